#include "app/studio/k_SyncMessageReader.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace
{
std::string Be32(uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string SetKey(uint32_t track, uint32_t row, float value, uint8_t interpolation)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return std::string(1, '\0') + Be32(track) + Be32(row) + Be32(bits) +
           std::string(1, static_cast<char>(interpolation));
}

const std::string k_Greeting(k_SyncMessageReader::ServerGreeting);
} // namespace

// Every command of the editor, fed one byte at a time as a slow network gives them, and all at once.
TEST(SyncMessageReader, ReadsEveryCommandInPiecesOfAnySize)
{
    const std::string stream = k_Greeting + SetKey(2, 96, -1.5f, 2) + std::string(1, '\1') + Be32(1) + Be32(40) +
                               std::string(1, '\3') + Be32(1234) + std::string("\4\1", 2) + std::string(1, '\5') +
                               std::string("\4\0", 2);
    for (const size_t piece : {size_t{1}, size_t{5}, stream.size()})
    {
        k_SyncMessageReader reader(3, 100000);
        std::vector<k_SyncMessageReader::Message> messages;
        for (size_t at = 0; at < stream.size(); at += piece)
        {
            ASSERT_TRUE(reader.Feed(std::string_view(stream).substr(at, piece), messages)) << reader.GetError();
            EXPECT_EQ(reader.IsGreeted(), at + piece >= k_Greeting.size());
        }
        EXPECT_FALSE(reader.IsMidMessage());
        ASSERT_EQ(messages.size(), 6u) << "pieces of " << piece;
        EXPECT_EQ(messages[0].command, k_SyncMessageReader::SetKey);
        EXPECT_EQ(messages[0].track, 2);
        EXPECT_EQ(messages[0].row, 96);
        EXPECT_EQ(messages[0].value, -1.5f);
        EXPECT_EQ(messages[0].interpolation, 2);
        EXPECT_EQ(messages[1].command, k_SyncMessageReader::DeleteKey);
        EXPECT_EQ(messages[1].track, 1);
        EXPECT_EQ(messages[1].row, 40);
        EXPECT_EQ(messages[2].command, k_SyncMessageReader::SetRow);
        EXPECT_EQ(messages[2].row, 1234);
        EXPECT_EQ(messages[3].command, k_SyncMessageReader::Pause);
        EXPECT_TRUE(messages[3].paused);
        EXPECT_EQ(messages[4].command, k_SyncMessageReader::SaveTracks);
        EXPECT_FALSE(messages[5].paused);
    }
    k_SyncMessageReader reader(3, 100000);
    std::vector<k_SyncMessageReader::Message> messages;
    ASSERT_TRUE(reader.Feed(k_Greeting + SetKey(0, 1, 1.0f, 0).substr(0, 7), messages));
    EXPECT_TRUE(reader.IsMidMessage());
    EXPECT_TRUE(messages.empty());
}

// What the show could not take stops the reader with the reason; nothing after it is read.
TEST(SyncMessageReader, RefusesWhatTheShowCouldNotTake)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"hello, dome!", "the editor did not greet as a sync editor does"},
        {k_Greeting + "\x09", "the editor sent the unknown command 9"},
        {k_Greeting + "\x02", "the editor sent the unknown command 2"},
        {k_Greeting + SetKey(3, 0, 1.0f, 0), "the editor named track 3 of the 3 the show asked for"},
        {k_Greeting + std::string(1, '\1') + Be32(0xFFFFFFFFu) + Be32(0), "the editor named track 4294967295 of the 3"},
        {k_Greeting + SetKey(0, 100001, 1.0f, 0), "the editor sent row 100001, beyond the last row 100000"},
        {k_Greeting + std::string(1, '\3') + Be32(0x80000000u), "the editor sent row 2147483648, beyond"},
        {k_Greeting + SetKey(0, 1, nan, 0), "the editor sent a key value that is not a finite number"},
        {k_Greeting + SetKey(0, 1, -infinity, 0), "the editor sent a key value that is not a finite number"},
        {k_Greeting + SetKey(0, 1, 1.0f, 4), "the editor sent the unknown interpolation 4"},
    };
    for (const auto& [bytes, error] : cases)
    {
        k_SyncMessageReader reader(3, 100000);
        std::vector<k_SyncMessageReader::Message> messages;
        EXPECT_FALSE(reader.Feed(bytes + SetKey(0, 0, 1.0f, 0), messages));
        EXPECT_EQ(reader.GetError().rfind(error, 0), 0u) << reader.GetError();
        EXPECT_TRUE(messages.empty());
        EXPECT_FALSE(reader.Feed(SetKey(0, 0, 1.0f, 0), messages));
        EXPECT_TRUE(messages.empty());
    }
}

TEST(SyncMessageReader, RequestsAreBigEndian)
{
    EXPECT_EQ(k_SyncMessageReader::GetTrackRequest("camera:x"), std::string("\2\0\0\0\x08", 5) + "camera:x");
    EXPECT_EQ(k_SyncMessageReader::SetRowRequest(0x01020304), std::string("\3\1\2\3\4", 5));
    EXPECT_EQ(k_SyncMessageReader::SetRowRequest(-5), std::string("\3\0\0\0\0", 5));
}
