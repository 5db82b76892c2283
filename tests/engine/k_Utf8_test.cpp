#include "engine/k_Utf8.h"

#include <gtest/gtest.h>

TEST(k_Utf8, RoundTripsAsciiAndNonAscii)
{
    const std::wstring wide = L"Thanks/orm.png \u00e9\u20ac\U0001F600";
    const std::string utf8 = k_Utf8::ToUtf8(wide);
    EXPECT_EQ(utf8, "Thanks/orm.png \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(k_Utf8::FromUtf8(utf8), wide);
}

TEST(k_Utf8, MalformedUtf8BecomesReplacementCharacters)
{
    EXPECT_EQ(k_Utf8::FromUtf8("a\xC3"), L"a\uFFFD"); // truncated sequence
    EXPECT_EQ(k_Utf8::FromUtf8("\xFF"
                               "b"),
              L"\uFFFDb");                                         // invalid lead byte
    EXPECT_EQ(k_Utf8::FromUtf8("\xE2\x28\xA1"), L"\uFFFD(\uFFFD"); // bad continuation
    EXPECT_EQ(k_Utf8::FromUtf8("a\xC0\xAF-"), L"a\uFFFD-");        // overlong "/"
    EXPECT_EQ(k_Utf8::FromUtf8("\xED\xA0\x80"), L"\uFFFD");        // surrogate
    EXPECT_EQ(k_Utf8::FromUtf8("\xF4\x90\x80\x80"), L"\uFFFD");    // past U+10FFFF
}
