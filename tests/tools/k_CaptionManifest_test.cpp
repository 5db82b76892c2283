#include "tools/captiongen/k_CaptionManifest.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace
{
// The message Parse throws for the text, or "" when it parses.
std::string Problem(const std::string& text)
{
    try
    {
        k_CaptionManifest::Parse(text, "Captions.txt");
    }
    catch (const std::runtime_error& error)
    {
        return error.what();
    }
    return "";
}
} // namespace

TEST(CaptionManifest, ReadsNamesAndOneOrTwoLinesSkippingCommentsAndBlanks)
{
    const auto captions = k_CaptionManifest::Parse("# words\r\n\n"
                                                   "time.png:  in the beginning |there was no time \r\n"
                                                   "   # indented comment\n"
                                                   "Thanks/orm.png: <small>for the first spark</small> | orm\n"
                                                   "whattime4.png:it?",
                                                   "Captions.txt");
    ASSERT_EQ(captions.size(), 3u);
    EXPECT_EQ(captions[0].name, "time.png");
    EXPECT_EQ(captions[0].lines, (std::vector<std::string>{"in the beginning", "there was no time"}));
    EXPECT_EQ(captions[0].lineNumber, 3);
    EXPECT_EQ(captions[1].name, "Thanks/orm.png");
    EXPECT_EQ(captions[1].lines[0], "<small>for the first spark</small>");
    EXPECT_EQ(captions[2].lines, (std::vector<std::string>{"it?"}));
    EXPECT_EQ(captions[2].lineNumber, 6);
}

TEST(CaptionManifest, MalformedLinesAreRejectedWithFileLineAndReason)
{
    struct Case
    {
        const char* text;
        const char* expected;
    } cases[] = {
        {"time.png in the beginning", "Captions.txt:1: expected 'name.png: words', found no ':'"},
        {"ok.png: fine\n: no name", "Captions.txt:2: missing caption name before ':'"},
        {"time.jpg: words", "Captions.txt:1: caption name 'time.jpg' must end in .png"},
        {".png: words", "Captions.txt:1: caption name '.png' must end in .png"},
        {"../up.png: words", "Captions.txt:1: caption name '../up.png' must be a relative path"},
        {"/root.png: words", "Captions.txt:1: caption name '/root.png' must be a relative path"},
        {"Thanks//tz.png: words", "Captions.txt:1: caption name 'Thanks//tz.png' must be a relative path"},
        {"my caption.png: words", "Captions.txt:1: caption name 'my caption.png' may hold only"},
        {"time.png:", "Captions.txt:1: caption 'time.png' has no words"},
        {"time.png:   ", "Captions.txt:1: caption 'time.png' has no words"},
        {"time.png: one || three", "Captions.txt:1: caption 'time.png' has an empty line of text"},
        {"time.png: one |", "Captions.txt:1: caption 'time.png' has an empty line of text"},
        {"time.png: one | two | three", "Captions.txt:1: caption 'time.png' has 3 lines of text; at most 2 fit"},
        {"a.png: x\n\nb.png: y\na.png: z", "Captions.txt:4: caption 'a.png' is already given on line 1"},
        {"# only comments\n\n", "Captions.txt: no captions"},
        {"", "Captions.txt: no captions"},
    };
    for (const Case& c : cases)
    {
        const std::string problem = Problem(c.text);
        EXPECT_EQ(problem.rfind(c.expected, 0), 0u) << "input: " << c.text << "\nmessage: " << problem;
    }
}
