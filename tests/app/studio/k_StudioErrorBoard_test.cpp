#include "app/studio/k_StudioErrorBoard.h"

#include <gtest/gtest.h>

TEST(k_StudioErrorBoardTest, AFilesMessagesStayUntilItReloadsWithout)
{
    k_StudioErrorBoard board;
    EXPECT_TRUE(board.IsEmpty());
    board.Reloaded({"Plasma.mat", "Terrain/Water.frag"},
                   {"terrain/water.frag:3:7: error: 'colr' undeclared\n  colr = 1.0;\n  ^\nmore\nand more",
                    "Plasma.mat:12:1: unknown key \"blnd\""});
    EXPECT_EQ(board.Lines(), (std::vector<std::string>{"Plasma.mat:12:1: unknown key \"blnd\"",
                                                       "terrain/water.frag:3:7: error: 'colr' undeclared",
                                                       "      colr = 1.0;", "      ^", "    more"}));
    // Another file's good reload leaves them; the shader's good reload clears its own only.
    board.Reloaded({"Hdr/Glow.mat"}, {});
    EXPECT_EQ(board.Lines().size(), 5u);
    board.Reloaded({"TERRAIN/WATER.FRAG"}, {});
    EXPECT_EQ(board.Lines(), (std::vector<std::string>{"Plasma.mat:12:1: unknown key \"blnd\""}));
    // A failure that names none of the files goes to the first one reloaded.
    board.Reloaded({"Show.txt"}, {"cannot be read"});
    EXPECT_EQ(board.Lines().size(), 2u);
    board.Reloaded({"Plasma.mat", "Show.txt"}, {});
    EXPECT_TRUE(board.IsEmpty());
    EXPECT_TRUE(board.Lines().empty());
}

TEST(k_StudioErrorBoardTest, AFilesNewFailureReplacesItsOldOneAndIsCut)
{
    k_StudioErrorBoard board;
    board.Reloaded({"Show.txt"}, {"Show.txt:4:1: old"});
    std::vector<std::string> many;
    for (int i = 0; i < 20; ++i)
        many.push_back("Show.txt:" + std::to_string(i + 1) + ":1: bad");
    board.Reloaded({"Show.txt"}, many);
    const std::vector<std::string> lines = board.Lines();
    ASSERT_EQ(lines.size(), k_StudioErrorBoard::MaxMessages);
    EXPECT_EQ(lines.front(), "Show.txt:1:1: bad");
    // Nothing reloaded: nothing changes.
    board.Reloaded({}, {"x"});
    EXPECT_EQ(board.Lines(), lines);
}
