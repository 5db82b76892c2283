#include "engine/k_Log.h"

#include "engine/k_Utf8.h"

#include <iostream>
#include <locale>
#include <unistd.h>

namespace
{
enum class ColourMode
{
    FollowTerminal,
    On,
    Off
};
ColourMode g_colourMode = ColourMode::FollowTerminal;
std::function<void(std::string_view)> g_listener;

const char* Escape(k_Log::Colour colour)
{
    switch (colour)
    {
    case k_Log::Colour::Error:
        return "\x1b[91m";
    case k_Log::Colour::Warning:
        return "\x1b[93m";
    case k_Log::Colour::Normal:
        break;
    }
    return "";
}
} // namespace

// Numbers are written the same whatever locale the process runs in ("0.5", "1234567").
k_Log::k_Log(Colour colour) : m_colour(colour)
{
    m_text.imbue(std::locale::classic());
}

k_Log::~k_Log()
{
    const bool colour = m_colour != Colour::Normal && UsesColour(STDOUT_FILENO);
    if (colour)
        std::cout << Escape(m_colour);
    const std::string text = Printable(m_text.view());
    std::cout << text;
    if (colour)
        std::cout << "\x1b[0m";
    std::cout << '\n' << std::flush;
    if (g_listener)
        g_listener(text);
}

// --- what reaches the terminal ---

namespace
{
// The length of the well-formed UTF-8 sequence at the start of text (0 when there is none) and its code point.
size_t Utf8Sequence(std::string_view text, char32_t& codePoint)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf)
        length = 2;
    else if (lead >= 0xe0 && lead <= 0xef)
    {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;  // no overlong forms
        high = lead == 0xed ? 0x9f : 0xbf; // no surrogates
    }
    else if (lead >= 0xf0 && lead <= 0xf4)
    {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    }
    if (length == 0 || text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    codePoint = lead & (length == 2 ? 0x1f : length == 3 ? 0x0f : 0x07);
    for (size_t i = 1; i < length; ++i)
    {
        if (i > 1 && (byte(i) < 0x80 || byte(i) > 0xbf))
            return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3f);
    }
    return length;
}
} // namespace

std::string k_Log::Printable(std::string_view text)
{
    static constexpr char k_Hex[] = "0123456789abcdef";
    std::string printable;
    printable.reserve(text.size());
    size_t i = 0;
    while (i < text.size())
    {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c >= 0x20 && c < 0x7f) || c == '\n' || c == '\t')
        {
            printable += static_cast<char>(c);
            ++i;
            continue;
        }
        char32_t codePoint = 0;
        const size_t length = c >= 0x80 ? Utf8Sequence(text.substr(i), codePoint) : 0;
        // The C1 controls (U+0080 to U+009F) act on a terminal as the escapes below 0x20 do.
        if (length > 0 && codePoint > 0x9f)
        {
            printable.append(text.substr(i, length));
            i += length;
            continue;
        }
        printable += "\\x";
        printable += k_Hex[c >> 4];
        printable += k_Hex[c & 0x0f];
        ++i;
    }
    return printable;
}

k_Log& k_Log::operator<<(std::string_view text)
{
    m_text << text;
    return *this;
}

k_Log& k_Log::operator<<(const char* text)
{
    m_text << (text ? text : "(null)");
    return *this;
}

k_Log& k_Log::operator<<(std::wstring_view text)
{
    m_text << k_Utf8::ToUtf8(text);
    return *this;
}

k_Log& k_Log::operator<<(const wchar_t* text)
{
    return *this << (text ? std::wstring_view(text) : std::wstring_view(L"(null)"));
}

k_Log& k_Log::operator<<(char c)
{
    m_text << c;
    return *this;
}

k_Log& k_Log::operator<<(int value)
{
    m_text << value;
    return *this;
}

k_Log& k_Log::operator<<(unsigned value)
{
    m_text << value;
    return *this;
}

k_Log& k_Log::operator<<(long value)
{
    m_text << value;
    return *this;
}

k_Log& k_Log::operator<<(unsigned long value)
{
    m_text << value;
    return *this;
}

k_Log& k_Log::operator<<(long long value)
{
    m_text << value;
    return *this;
}

k_Log& k_Log::operator<<(unsigned long long value)
{
    m_text << value;
    return *this;
}

k_Log& k_Log::operator<<(double value)
{
    m_text << value;
    return *this;
}

void k_Log::SetColourEnabled(bool enabled)
{
    g_colourMode = enabled ? ColourMode::On : ColourMode::Off;
}

void k_Log::FollowTerminal()
{
    g_colourMode = ColourMode::FollowTerminal;
}

bool k_Log::UsesColour(int fileDescriptor)
{
    if (g_colourMode != ColourMode::FollowTerminal)
        return g_colourMode == ColourMode::On;
    return isatty(fileDescriptor) == 1;
}

void k_Log::SetListener(std::function<void(std::string_view line)> listener)
{
    g_listener = std::move(listener);
}
