#include "engine/k_Utf8.h"

namespace
{
void Append(std::string& out, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80)
    {
        out += static_cast<char>(cp);
    }
    else if (cp < 0x800)
    {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
} // namespace

std::string k_Utf8::ToUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        Append(out, static_cast<char32_t>(c));
    return out;
}

std::wstring k_Utf8::FromUtf8(std::string_view text)
{
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size())
    {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        if (lead < 0x80)
            cp = lead;
        else if ((lead & 0xE0) == 0xC0)
            extra = 1, cp = lead & 0x1F;
        else if ((lead & 0xF0) == 0xE0)
            extra = 2, cp = lead & 0x0F;
        else if ((lead & 0xF8) == 0xF0)
            extra = 3, cp = lead & 0x07;
        else
        {
            out += L'\xFFFD';
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; ok && k <= extra; ++k)
        {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        if (!ok)
        {
            out += L'\xFFFD';
            ++i;
            continue;
        }
        // Overlong forms (such as C0 AF for "/"), surrogates and code points past U+10FFFF
        // are well-formed in shape only: the whole sequence becomes one replacement character.
        static constexpr char32_t k_Smallest[] = {0, 0x80, 0x800, 0x10000};
        if (cp < k_Smallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = 0xFFFD;
        out += static_cast<wchar_t>(cp);
        i += extra + 1;
    }
    return out;
}
