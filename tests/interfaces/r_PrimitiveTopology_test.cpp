#include "interfaces/r_PrimitiveTopology.h"

#include <gtest/gtest.h>
#include <string>

TEST(r_PrimitiveTopology, ParsesEveryNameExactly)
{
    EXPECT_EQ(r_PrimitiveTopology::Parse("Point"), r_PrimitiveTopology::Point);
    EXPECT_EQ(r_PrimitiveTopology::Parse("Line"), r_PrimitiveTopology::Line);
    EXPECT_EQ(r_PrimitiveTopology::Parse("LineLoop"), r_PrimitiveTopology::LineLoop);
    EXPECT_EQ(r_PrimitiveTopology::Parse("LineStrip"), r_PrimitiveTopology::LineStrip);
    EXPECT_EQ(r_PrimitiveTopology::Parse("Triangle"), r_PrimitiveTopology::Triangle);
    // A name that begins with a shorter one does not match the shorter one.
    EXPECT_EQ(static_cast<int>(r_PrimitiveTopology::Parse("TriangleStrip")), 5);
    EXPECT_EQ(static_cast<int>(r_PrimitiveTopology::Parse("Quad")), 7);
}

TEST(r_PrimitiveTopology, RejectsOtherSpellings)
{
    for (const char* text : {"triangle", "Triangles", "", "Fan", "TriangleFan", "Quad ", "6"})
    {
        try
        {
            r_PrimitiveTopology::Parse(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        }
        catch (const wchar_t* message)
        {
            EXPECT_EQ(std::wstring(message), L"Invalid value passed to r_PrimitiveTopology::Parse!");
        }
    }
}
