#include "engine/k_FileSystem.h"
#include "engine/k_Log.h"
#include "interfaces/IFile.h"
#include "support/k_TestZip.h"
#include "support/k_UsageProbe.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <minizip/unzip.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
using FilePtr = std::unique_ptr<IFile>;

std::string Contents(IFile& file)
{
    return std::string(reinterpret_cast<const char*>(file.GetData()), static_cast<std::size_t>(file.GetSize()));
}

class k_FileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = fs::temp_directory_path() / ("orvelant_fs_" + std::to_string(getpid()) + "_" + test->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    // Opens the pack at path (absolute, so the executable's folder does not apply) and returns the log.
    std::string OpenPack(k_FileSystem& files, const fs::path& path)
    {
        testing::internal::CaptureStdout();
        files.OpenDataPack(path.wstring());
        return testing::internal::GetCapturedStdout();
    }

    fs::path m_folder;
};

const std::string k_Text = "material Water\n{\n  pass Terrain\n  {\n  }\n}\n";
} // namespace

// --- pack mode ---

TEST_F(k_FileSystemTest, PackNamesMatchWithoutCaseAndEachOpenIsIndependent)
{
    const fs::path pack = m_folder / "test.pak";
    ASSERT_TRUE(k_TestZip::Write(pack, {{"Common/DistortedQuad.mat", k_Text, true},
                                        {"Thanks/orm.png", std::string("\x89PNG\0\x01", 6), false},
                                        {"Empty.txt", "", true},
                                        {"Thanks/\xC3\x85sa.txt", "utf-8 name", true}}));
    auto files = std::make_unique<k_FileSystem>(nullptr);
    const std::string log = OpenPack(*files, pack);
    EXPECT_EQ(log, "Initializing file system with data file: " + pack.string() + "\n");

    FilePtr first(files->OpenFile(L"common/distortedquad.MAT"));
    FilePtr second(files->OpenFile(L"Common/DistortedQuad.mat"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Contents(*first), k_Text);
    EXPECT_NE(first->GetData(), second->GetData());
    first->ReadBytes(9);
    EXPECT_EQ(second->GetPosition(), second->GetData());
    EXPECT_EQ(second->ReadBytes(4), (std::vector<unsigned char>{'m', 'a', 't', 'e'}));

    FilePtr stored(files->OpenFile(L"THANKS/ORM.PNG"));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(Contents(*stored), std::string("\x89PNG\0\x01", 6));
    FilePtr empty(files->OpenFile(L"Empty.txt"));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetSize(), 0);
    FilePtr accented(files->OpenFile(L"thanks/\u00c5sa.txt")); // wide names are looked up as UTF-8
    ASSERT_NE(accented, nullptr);
    EXPECT_EQ(Contents(*accented), "utf-8 name");

    testing::internal::CaptureStdout();
    EXPECT_EQ(files->OpenFile(L"Common/Missing.mat"), nullptr);
    EXPECT_EQ(files->OpenFile(L"DistortedQuad.mat"), nullptr); // names are whole relative paths
    EXPECT_EQ(files->OpenFile(L""), nullptr);
    EXPECT_EQ(files->OpenFile(std::wstring(300, L'a')), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), ""); // a missing file is not an error

    // Files keep their bytes after the file system is gone.
    files.reset();
    EXPECT_EQ(Contents(*first), k_Text);
}

TEST_F(k_FileSystemTest, MissingOrBrokenPackLogsFailedAndOpensNothing)
{
    ASSERT_TRUE(k_TestZip::Write(m_folder / "good.pak", {{"a.txt", k_Text, true}, {"b.txt", k_Text, true}}));
    const std::string good = k_TestZip::Load(m_folder / "good.pak");
    k_TestZip::Save(m_folder / "truncated.pak", good.substr(0, good.size() - 30));
    k_TestZip::Save(m_folder / "half.pak", good.substr(0, good.size() / 2));
    k_TestZip::Save(m_folder / "text.pak", k_Text);
    k_TestZip::Save(m_folder / "empty.pak", "");
    fs::create_directories(m_folder / "folder.pak");

    for (const char* name : {"missing.pak", "truncated.pak", "half.pak", "text.pak", "empty.pak", "folder.pak"})
    {
        SCOPED_TRACE(name);
        k_FileSystem files(nullptr);
        const std::string log = OpenPack(files, m_folder / name);
        EXPECT_NE(log.find("Initializing file system with data file: "), std::string::npos);
        EXPECT_NE(log.find("\nFAILED!\n"), std::string::npos);
        EXPECT_EQ(files.OpenFile(L"a.txt"), nullptr);
    }

    // The failure line is red on a terminal and plain when redirected.
    k_Log::SetColourEnabled(true);
    k_FileSystem coloured(nullptr);
    const std::string log = OpenPack(coloured, m_folder / "missing.pak");
    k_Log::FollowTerminal();
    EXPECT_NE(log.find("\x1b[91mFAILED!\x1b[0m\n"), std::string::npos);
}

TEST_F(k_FileSystemTest, DamagedEntryOpensAsNullAfterARedLineNamingIt)
{
    const std::string payload(5000, 'x');
    struct Damage
    {
        const char* what;
        bool deflate;
        std::function<void(std::string&)> apply;
        const char* reason;
    };
    const Damage damages[] = {
        {"flipped stored byte", false, [](std::string& z) { z[k_TestZip::FirstEntryData(z) + 100] ^= 1; }, "CRC"},
        {"invalid deflate block", true, [](std::string& z) { z[k_TestZip::FirstEntryData(z)] = '\xff'; },
         "does not decompress"},
        {"size over 64 MiB", true, [](std::string& z) { k_TestZip::SetUncompressedSize(z, 0x90000000u); }, "64 MiB"},
        {"size beyond deflate's reach", true, [](std::string& z) { k_TestZip::SetUncompressedSize(z, 60u << 20); },
         "does not fit"},
        {"stored size mismatch", false, [](std::string& z) { k_TestZip::SetUncompressedSize(z, 6000); },
         "does not fit"},
        {"size larger than the data", true, [](std::string& z) { k_TestZip::SetUncompressedSize(z, 5010); }, "shorter"},
        {"size smaller than the data", true, [](std::string& z) { k_TestZip::SetUncompressedSize(z, 4000); }, "CRC"},
        {"encrypted flag", true,
         [](std::string& z) {
             z[k_TestZip::LocalHeader(z) + 6] |= 1;
             z[k_TestZip::CentralRecord(z) + 8] |= 1;
         },
         "encrypted"},
        {"broken local header", true, [](std::string& z) { z[k_TestZip::LocalHeader(z) + 2] = 'X'; }, "local header"},
    };

    for (const Damage& damage : damages)
    {
        SCOPED_TRACE(damage.what);
        const fs::path pack = m_folder / "damaged.pak";
        fs::remove(pack);
        ASSERT_TRUE(k_TestZip::Write(pack, {{"Terrain/Water.mat", payload, damage.deflate}, {"Intact.txt", k_Text}}));
        std::string bytes = k_TestZip::Load(pack);
        damage.apply(bytes);
        k_TestZip::Save(pack, bytes);

        k_FileSystem files(nullptr);
        EXPECT_EQ(OpenPack(files, pack).find("FAILED!"), std::string::npos);
        testing::internal::CaptureStdout();
        IFile* file = files.OpenFile(L"terrain/water.mat");
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(file, nullptr);
        delete file;
        EXPECT_NE(log.find("FILESYSTEM :: Cannot read terrain/water.mat from the data pack: "), std::string::npos)
            << log;
        EXPECT_NE(log.find(damage.reason), std::string::npos) << log;
        // The rest of the pack stays readable.
        FilePtr intact(files.OpenFile(L"Intact.txt"));
        ASSERT_NE(intact, nullptr);
        EXPECT_EQ(Contents(*intact), k_Text);
    }
}

TEST_F(k_FileSystemTest, HostileEntrySizesAreRefusedQuicklyWithoutReservingMemory)
{
    const fs::path pack = m_folder / "hostile.pak";
    {
        // A real entry past the limit (100 MB of zeros deflate to about 100 KB) and two that lie about their size.
        std::string zeros(100u << 20, '\0');
        ASSERT_TRUE(k_TestZip::Write(pack, {{"Bomb.bin", std::move(zeros), true}}));
    }
    const fs::path lying = m_folder / "lying.pak";
    ASSERT_TRUE(k_TestZip::Write(lying, {{"Small.txt", std::string(3000, 'a'), true}}));
    std::string small = k_TestZip::Load(lying);
    k_TestZip::SetUncompressedSize(small, 0xfffffff0u);
    k_TestZip::Save(m_folder / "huge.pak", small);
    k_TestZip::SetUncompressedSize(small, 63u << 20); // within the limit, but no deflate stream expands so far
    k_TestZip::Save(m_folder / "ratio.pak", small);

    for (const char* name : {"hostile.pak", "huge.pak", "ratio.pak"})
    {
        SCOPED_TRACE(name);
        k_FileSystem files(nullptr);
        OpenPack(files, m_folder / name);
        std::string log;
        IFile* file = nullptr;
        const k_UsageProbe::Usage usage = k_UsageProbe::Measure([&] {
            testing::internal::CaptureStdout();
            file = files.OpenFile(std::string(name) == "hostile.pak" ? L"Bomb.bin" : L"Small.txt");
            log = testing::internal::GetCapturedStdout();
        });
        EXPECT_EQ(file, nullptr);
        delete file;
        EXPECT_NE(log.find(std::string(name) == "ratio.pak" ? "does not fit" : "exceeds the 64 MiB"), std::string::npos)
            << log;
        EXPECT_LT(usage.cpuSeconds, 0.5);
        EXPECT_LT(usage.peakResidentMb, 256.0);
    }
}

TEST_F(k_FileSystemTest, DataPackIsFoundBesideTheExecutableNotTheWorkingFolder)
{
    const fs::path before = fs::current_path();
    fs::current_path(m_folder);
    k_FileSystem files(nullptr);
    const std::string log = OpenPack(files, "data.pak");
    fs::current_path(before);
    EXPECT_EQ(log, "Initializing file system with data file: data.pak\n");

    // Every entry is stored under a relative name with "/" and opens by that name in any case.
    unzFile zip = unzOpen64((files.GetBaseFolder() / "data.pak").c_str());
    ASSERT_NE(zip, nullptr);
    int entries = 0;
    for (int at = unzGoToFirstFile(zip); at == UNZ_OK; at = unzGoToNextFile(zip), ++entries)
    {
        char name[512];
        unz_file_info64 info{};
        ASSERT_EQ(unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0), UNZ_OK);
        const std::string entry(name);
        SCOPED_TRACE(entry);
        EXPECT_NE(entry.front(), '/');
        EXPECT_EQ(entry.find('\\'), std::string::npos);
        EXPECT_EQ(entry.find("./"), std::string::npos);
        std::wstring upper(entry.begin(), entry.end());
        for (wchar_t& c : upper)
            c = static_cast<wchar_t>(std::towupper(c));
        FilePtr file(files.OpenFile(upper));
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(static_cast<std::uint64_t>(file->GetSize()), info.uncompressed_size);
    }
    unzClose(zip);
    EXPECT_GT(entries, 0);
}

// --- directory mode ---

TEST_F(k_FileSystemTest, DirectoryModeReadsLooseFilesWithoutRegardToCase)
{
    fs::create_directories(m_folder / "Loose" / "Common");
    k_TestZip::Save(m_folder / "Loose" / "Common" / "DistortedQuad.mat", k_Text);
    k_TestZip::Save(m_folder / "Loose" / "Blank.bin", "");
    fs::create_directories(m_folder / "Loose" / "Folder.mat");

    k_FileSystem files(nullptr);
    files.UseDirectory((m_folder / "Loose").wstring());
    FilePtr exact(files.OpenFile(L"Common/DistortedQuad.mat"));
    ASSERT_NE(exact, nullptr);
    EXPECT_EQ(Contents(*exact), k_Text);
    FilePtr folded(files.OpenFile(L"COMMON/distortedquad.mat"));
    ASSERT_NE(folded, nullptr);
    EXPECT_EQ(Contents(*folded), k_Text);
    FilePtr blank(files.OpenFile(L"blank.BIN"));
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->GetSize(), 0);
    EXPECT_EQ(files.OpenFile(L"Common/Missing.mat"), nullptr);

    testing::internal::CaptureStdout();
    EXPECT_EQ(files.OpenFile(L"Folder.mat"), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("FILESYSTEM :: Cannot read Folder.mat: "), std::string::npos);

    // A pack switches back to pack mode; the loose files are no longer seen.
    ASSERT_TRUE(k_TestZip::Write(m_folder / "test.pak", {{"Packed.txt", "packed"}}));
    OpenPack(files, m_folder / "test.pak");
    EXPECT_EQ(files.OpenFile(L"Common/DistortedQuad.mat"), nullptr);
    FilePtr packed(files.OpenFile(L"Packed.txt"));
    ASSERT_NE(packed, nullptr);
    EXPECT_EQ(Contents(*packed), "packed");
}

// --- overlay folder ---

TEST_F(k_FileSystemTest, OverlayFolderIsReadBeforeThePackAndFallsBackToIt)
{
    ASSERT_TRUE(
        k_TestZip::Write(m_folder / "test.pak", {{"Plasma.mat", "packed plasma"}, {"Only/Packed.txt", "pack"}}));
    fs::create_directories(m_folder / "Work" / "Only");
    k_TestZip::Save(m_folder / "Work" / "plasma.MAT", "edited plasma");

    k_FileSystem files(nullptr);
    OpenPack(files, m_folder / "test.pak");
    files.SetOverlayFolder(m_folder / "Work");
    FilePtr edited(files.OpenFile(L"Plasma.mat"));
    ASSERT_NE(edited, nullptr);
    EXPECT_EQ(Contents(*edited), "edited plasma");
    // Names the folder lacks come from the pack (a folder of that name does not hide the file).
    FilePtr packed(files.OpenFile(L"Only/Packed.txt"));
    ASSERT_NE(packed, nullptr);
    EXPECT_EQ(Contents(*packed), "pack");

    // A file saved again is read anew; removing the overlay shows the pack again.
    k_TestZip::Save(m_folder / "Work" / "plasma.MAT", "saved again");
    FilePtr again(files.OpenFile(L"PLASMA.mat"));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Contents(*again), "saved again");
    files.SetOverlayFolder({});
    FilePtr original(files.OpenFile(L"Plasma.mat"));
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(Contents(*original), "packed plasma");
}

// A folder's files are listed from the overlay and the pack, each once, without the folders inside it.
TEST_F(k_FileSystemTest, ListFolderJoinsTheOverlayAndThePack)
{
    const fs::path pack = m_folder / "test.pak";
    ASSERT_TRUE(k_TestZip::Write(pack, {{"Sync/show_a-3Ax.track", "1", true},
                                        {"Sync/show_b.track", "2", true},
                                        {"Sync/Deeper/c.track", "3", true},
                                        {"Other/show_d.track", "4", true}}));
    fs::create_directories(m_folder / "overlay" / "Sync");
    std::FILE* saved = std::fopen((m_folder / "overlay" / "Sync" / "show_a:x.track").c_str(), "wb");
    ASSERT_NE(saved, nullptr);
    std::fclose(saved);
    k_FileSystem files(nullptr);
    OpenPack(files, pack);
    EXPECT_EQ(files.ListFolder("Sync"), (std::vector<std::string>{"Sync/show_a-3Ax.track", "Sync/show_b.track"}));
    files.SetOverlayFolder(m_folder / "overlay");
    EXPECT_EQ(files.ListFolder("Sync"),
              (std::vector<std::string>{"Sync/show_a-3Ax.track", "Sync/show_a:x.track", "Sync/show_b.track"}));
    EXPECT_EQ(files.ListFolder("Nowhere"), std::vector<std::string>());
}
