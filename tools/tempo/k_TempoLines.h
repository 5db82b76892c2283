#pragma once
// The tempo lines of a show file: written from a tempo map's anchors, and put into the file's text in place
// of the lines it had, every other byte of the file kept as it was (comments, blank lines, a byte order mark,
// CRLF or LF line ends, a last line without one).
#include "animation/k_TempoMap.h"

#include <string>
#include <string_view>
#include <vector>

class k_TempoLines
{
public:
    // One "tempo BAR SECONDS [beats N] [bpm N]" line an anchor, the tempo of its span in a comment.
    static std::vector<std::string> Format(const std::vector<k_TempoMap::Anchor>& anchors);
    // The text with its tempo lines replaced by these: where the first of them stood (the others go), or,
    // in a file without one, before its first entry. The new lines end as the line they replace did.
    static std::string Replace(std::string_view text, const std::vector<std::string>& lines);
    // Whether a line (without its end) is a tempo line.
    static bool IsTempoLine(std::string_view line);
};
