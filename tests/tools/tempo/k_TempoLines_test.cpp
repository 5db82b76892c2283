#include "tools/tempo/k_TempoLines.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
const std::vector<std::string> Measured = {"tempo 1 0.500", "tempo 9 16.500 bpm 128.000"};
} // namespace

// Every byte but the tempo lines stays: comments, blank lines, indents, CRLF, a byte order mark, a last line
// without its end; the new lines stand where the first tempo line stood and end as it did.
TEST(TempoLines, ReplaceKeepsEveryOtherByte)
{
    struct Case
    {
        const char* what;
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"LF, one tempo line with a comment", "length 20\n# the map\ntempo 1 0 bpm 120  # old\nsection a 0\n",
         "length 20\n# the map\ntempo 1 0.500\ntempo 9 16.500 bpm 128.000\nsection a 0\n"},
        {"CRLF, two tempo lines apart", "length 20\r\ntempo 1 0\r\n\r\n# x\r\ntempo 5 8 bpm 120\r\nsection a 0\r\n",
         "length 20\r\ntempo 1 0.500\r\ntempo 9 16.500 bpm 128.000\r\n\r\n# x\r\nsection a 0\r\n"},
        {"byte order mark on the tempo line", "\xEF\xBB\xBFtempo 1 0 bpm 120\nlength 20\n",
         "\xEF\xBB\xBFtempo 1 0.500\ntempo 9 16.500 bpm 128.000\nlength 20\n"},
        {"indented, tabs, last line without an end", "length 20\n\t  tempo\t1 0 bpm 120",
         "length 20\n\t  tempo 1 0.500\n\t  tempo 9 16.500 bpm 128.000"},
        {"a word that only starts with tempo is not a tempo line", "tempos 1\ntempo 1 0 bpm 120\n",
         "tempos 1\ntempo 1 0.500\ntempo 9 16.500 bpm 128.000\n"},
        {"no tempo line: before the first entry", "\xEF\xBB\xBF# head\r\n\r\nlength 20\r\n",
         "\xEF\xBB\xBF# head\r\n\r\ntempo 1 0.500\r\ntempo 9 16.500 bpm 128.000\r\nlength 20\r\n"},
        {"no entry at all: at the end", "# only a comment",
         "# only a comment\ntempo 1 0.500\ntempo 9 16.500 bpm 128.000\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(k_TempoLines::Replace(c.text, Measured), c.expected) << c.what;
}

// The anchors as the reader takes them: seconds to the millisecond, beats only when not 4, bpm on the last
// line, each span's tempo in a comment, a point for the decimals whatever the locale.
TEST(TempoLines, FormatWritesTheReadersSyntax)
{
    const std::vector<std::string> lines =
        k_TempoLines::Format({{1, 1.0, 3, 0.0}, {14, 27.0004, 3, 0.0}, {20, 40.0, 3, 90.5}});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "tempo 1 1.000 beats 3  # 90.00 BPM");
    EXPECT_EQ(lines[1], "tempo 14 27.000 beats 3  # 83.08 BPM");
    EXPECT_EQ(lines[2], "tempo 20 40.000 beats 3 bpm 90.500  # 90.50 BPM");
}
