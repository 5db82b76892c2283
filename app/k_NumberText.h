#pragma once
// Numbers on the programs' command lines, read the same whatever the locale says: the whole text must be the
// number, or there is none.
#include <optional>
#include <string_view>

class k_NumberText
{
public:
    // A finite decimal number in fixed notation ("12.5"), or none.
    static std::optional<double> Number(std::string_view text);
    // A whole number that fits an int, or none.
    static std::optional<int> Integer(std::string_view text);
};
