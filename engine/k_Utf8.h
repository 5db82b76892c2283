#pragma once
// Conversions between the engine's wide strings (file and resource names,
// messages) and UTF-8 (the zip directory, file paths, the log).
#include <string>
#include <string_view>

class k_Utf8
{
public:
    // Wide text to UTF-8; code points that cannot be encoded become U+FFFD.
    static std::string ToUtf8(std::wstring_view text);
    // UTF-8 to wide text; malformed sequences become U+FFFD.
    static std::wstring FromUtf8(std::string_view text);
};
