#include "engine/k_File.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <unistd.h>

namespace
{
std::unique_ptr<k_File> MakeFile(const std::string& bytes)
{
    auto data = std::make_unique<unsigned char[]>(bytes.size() + 1);
    std::memcpy(data.get(), bytes.data(), bytes.size());
    return std::make_unique<k_File>(nullptr, std::move(data), static_cast<std::int32_t>(bytes.size()));
}

// Runs the call and returns the message it threw, or null if it threw nothing.
template <typename Call> const wchar_t* Thrown(Call call)
{
    try
    {
        call();
    }
    catch (const wchar_t* message)
    {
        return message;
    }
    return nullptr;
}

constexpr const wchar_t* k_Broken = L"File integrity is broken.";
} // namespace

TEST(k_File, ReadIntAndFloatAreLittleEndianAndNeedFourBytes)
{
    auto file = MakeFile(std::string("\xfe\xff\xff\xff\x00\x00\x80\x3f\x01\x02\x03", 11));
    EXPECT_EQ(file->ReadInt(), -2);
    EXPECT_EQ(file->ReadFloat(), 1.0f);
    unsigned char* before = file->GetPosition();
    EXPECT_STREQ(Thrown([&] { file->ReadInt(); }), k_Broken); // 3 bytes left
    EXPECT_EQ(file->GetPosition(), before);
    EXPECT_STREQ(Thrown([&] { file->ReadFloat(); }), k_Broken);
    EXPECT_EQ(file->GetPosition(), before);

    auto exact = MakeFile(std::string("\x78\x56\x34\x12", 4));
    EXPECT_EQ(exact->ReadInt(), 0x12345678);
    EXPECT_TRUE(exact->IsAtEnd());
}

TEST(k_File, ReadStringStopsAtTheTerminatorOrThrowsAtTheEnd)
{
    auto file = MakeFile(std::string("abc\0\0xyz", 8));
    unsigned char* start = file->GetPosition();
    EXPECT_EQ(file->ReadString(), "abc");
    EXPECT_EQ(file->GetPosition(), start + 4);
    EXPECT_EQ(file->ReadString(), ""); // an empty string is just its terminator
    EXPECT_EQ(file->GetPosition(), start + 5);
    EXPECT_STREQ(Thrown([&] { file->ReadString(); }), k_Broken);
    // The bytes before the end were consumed.
    EXPECT_TRUE(file->IsAtEnd());
    EXPECT_STREQ(Thrown([&] { file->ReadString(); }), k_Broken);
}

TEST(k_File, SetPositionAllowsOnePastTheEndAndMovesBeforeChecking)
{
    auto file = MakeFile("hello");
    unsigned char* first = file->GetData();
    file->SetPosition(first + 5);
    EXPECT_TRUE(file->IsAtEnd());
    EXPECT_EQ(file->ReadBytes(0).size(), 0u);
    EXPECT_STREQ(Thrown([&] { file->ReadBytes(1); }), k_Broken);
    EXPECT_EQ(file->GetPosition(), first + 5);

    EXPECT_STREQ(Thrown([&] { file->SetPosition(first + 6); }), k_Broken);
    EXPECT_EQ(file->GetPosition(), first + 6); // moved, then checked
    EXPECT_STREQ(Thrown([&] { file->ReadBytes(0); }), k_Broken);
    EXPECT_STREQ(Thrown([&] { file->ReadString(); }), k_Broken);

    EXPECT_STREQ(Thrown([&] { file->SetPosition(first - 1); }), k_Broken);
    EXPECT_STREQ(Thrown([&] { file->ReadInt(); }), k_Broken);

    file->Rewind();
    EXPECT_EQ(file->GetPosition(), first);
    EXPECT_FALSE(file->IsAtEnd());
}

TEST(k_File, ReadBytesCopiesAndRejectsCountsOutsideTheData)
{
    auto file = MakeFile("abcdef");
    EXPECT_EQ(file->ReadBytes(2), (std::vector<unsigned char>{'a', 'b'}));
    unsigned char* at = file->GetPosition();
    EXPECT_STREQ(Thrown([&] { file->ReadBytes(5); }), k_Broken);
    EXPECT_STREQ(Thrown([&] { file->ReadBytes(-1); }), k_Broken);
    EXPECT_STREQ(Thrown([&] { file->ReadBytes(INT32_MAX); }), k_Broken);
    EXPECT_EQ(file->GetPosition(), at);
    EXPECT_EQ(file->ReadBytes(4), (std::vector<unsigned char>{'c', 'd', 'e', 'f'}));
    EXPECT_TRUE(file->IsAtEnd());
}

TEST(k_File, EmptyFileIsAtEndAndRejectsEveryRead)
{
    auto file = MakeFile("");
    EXPECT_EQ(file->GetSize(), 0);
    EXPECT_TRUE(file->IsAtEnd());
    EXPECT_TRUE(file->ReadBytes(0).empty());
    EXPECT_STREQ(Thrown([&] { file->ReadString(); }), k_Broken);
    EXPECT_STREQ(Thrown([&] { file->ReadInt(); }), k_Broken);
}

TEST(k_File, WriteToDiskWritesEveryByteOrNothing)
{
    const auto folder = std::filesystem::temp_directory_path() / ("orvelant_file_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string bytes("one\0two\xff", 8);
    auto file = MakeFile(bytes);
    file->ReadInt(); // the cursor does not matter
    file->WriteToDisk((folder / "copy.bin").wstring());
    std::ifstream in(folder / "copy.bin", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), bytes);

    testing::internal::CaptureStdout();
    file->WriteToDisk((folder / "missing" / "copy.bin").wstring());
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Cannot open"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
    std::filesystem::remove_all(folder);
}
