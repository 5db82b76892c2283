#pragma once
// The console log: one line of progress or failure text on standard output.
//
//   k_Log() << "Initializing engine...";
//   k_Log(k_Log::Colour::Error) << "Cannot open " << fileName;
//
// A line is built from narrow (8-bit) and wide pieces and written when the
// k_Log object dies: colour on, text, colour back to normal, newline, flush.
// Wide text is written as UTF-8 through the same stream as narrow text (a C
// stream cannot carry both orientations on Linux). Colours are ANSI escapes
// while standard output is a terminal and are left out while it is redirected.
//
// Lines quote what files hold (names and keys of material scripts, names from
// the data pack, driver logs about shader sources): every byte that a terminal
// would not print as text is written as \xNN (a backslash, x and two lower-case
// hex digits), so a damaged or hostile file cannot send escapes or control
// bytes to the terminal. Line breaks and tabs stay (driver logs span lines), as
// do well-formed UTF-8 letters.
#include <functional>
#include <sstream>
#include <string>
#include <string_view>

class k_Log
{
public:
    enum class Colour
    {
        Normal,  // progress
        Error,   // failures that loading survives (red)
        Warning, // unknown sections and keys of material scripts (yellow)
    };

    explicit k_Log(Colour colour = Colour::Normal);
    ~k_Log();
    k_Log(const k_Log&) = delete;
    k_Log& operator=(const k_Log&) = delete;

    k_Log& operator<<(std::string_view text);
    k_Log& operator<<(const char* text);
    k_Log& operator<<(std::wstring_view text);
    k_Log& operator<<(const wchar_t* text);
    k_Log& operator<<(const std::string& text) { return *this << std::string_view(text); }
    k_Log& operator<<(const std::wstring& text) { return *this << std::wstring_view(text); }
    k_Log& operator<<(char c);
    k_Log& operator<<(int value);
    k_Log& operator<<(unsigned value);
    k_Log& operator<<(long value);
    k_Log& operator<<(unsigned long value);
    k_Log& operator<<(long long value);
    k_Log& operator<<(unsigned long long value);
    k_Log& operator<<(double value);

    // The text with every byte escaped as \xNN that is not printable ASCII, a line break, a tab or part of a
    // well-formed UTF-8 sequence of a character above the C1 controls.
    static std::string Printable(std::string_view text);

    // Forces colour escapes on or off (tests).
    static void SetColourEnabled(bool enabled);
    // Back to the default: colour while standard output is a terminal, asked for each line, so a
    // redirection made later (a test capturing the output) is followed.
    static void FollowTerminal();
    // Whether a line written to the file descriptor gets colour escapes.
    static bool UsesColour(int fileDescriptor);
    // Hands every line's text (without colour escapes) to the listener after it is written, so that a
    // program can count lines of a kind; an empty listener stops it. The output itself does not change.
    static void SetListener(std::function<void(std::string_view line)> listener);

private:
    Colour m_colour;
    std::ostringstream m_text;
};
