#include "engine/k_Log.h"

#include "engine/k_Utf8.h"

#include <unistd.h>

#include <iostream>
#include <locale>

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
}  // namespace

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
    std::cout << m_text.str();
    if (colour)
        std::cout << "\x1b[0m";
    std::cout << '\n' << std::flush;
    if (g_listener)
        g_listener(m_text.view());
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
