#include "platform/k_FileWatcher.h"
#include "support/k_TestZip.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
class k_FileWatcherTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_root = fs::temp_directory_path() / ("orvelant_watch_" + std::to_string(getpid()) + "_" + test->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "Common");
        k_TestZip::Save(m_root / "Plasma.mat", "first");
    }
    void TearDown() override { fs::remove_all(m_root); }

    static bool Has(const std::vector<std::string>& names, const std::string& name)
    {
        return std::find(names.begin(), names.end(), name) != names.end();
    }

    fs::path m_root;
};
} // namespace

// inotify queues an event before the call that caused it returns: each Poll sees what was done before it.
TEST_F(k_FileWatcherTest, SavesInPlaceAndByRenameAreSeenOnceWithTheirPackNames)
{
    k_FileWatcher watcher(m_root);
    ASSERT_TRUE(watcher.IsWatching());
    EXPECT_TRUE(watcher.Poll().empty());

    // Written in place, twice: one name.
    k_TestZip::Save(m_root / "Plasma.mat", "second");
    k_TestZip::Save(m_root / "Plasma.mat", "third");
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Plasma.mat"});
    EXPECT_TRUE(watcher.Poll().empty());

    // Written as a new file and renamed over the old one, in a folder below the root.
    k_TestZip::Save(m_root / "Common" / ".Blur.mat.swp", "new");
    fs::rename(m_root / "Common" / ".Blur.mat.swp", m_root / "Common" / "Blur.mat");
    const std::vector<std::string> renamed = watcher.Poll();
    EXPECT_TRUE(Has(renamed, "Common/Blur.mat"));

    // A file only opened and read is not a change; one removed is (the pack's version serves again).
    {
        std::ifstream read(m_root / "Plasma.mat");
    }
    EXPECT_TRUE(watcher.Poll().empty());
    fs::remove(m_root / "Common" / "Blur.mat");
    // Told at the next poll, if still gone.
    EXPECT_TRUE(watcher.Poll().empty());
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Common/Blur.mat"});
    // Removed and written again before the poll: one change.
    fs::remove(m_root / "Plasma.mat");
    k_TestZip::Save(m_root / "Plasma.mat", "back");
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Plasma.mat"});
}

// As vim saves with its defaults: a probe file "4913", the old file renamed to a "~" backup, the new one
// written, the backup removed; with its swap files beside.
TEST_F(k_FileWatcherTest, EditorsTemporaryFilesAreNotChanges)
{
    k_FileWatcher watcher(m_root);
    ASSERT_TRUE(watcher.IsWatching());
    k_TestZip::Save(m_root / ".Plasma.mat.swp", "swap");
    k_TestZip::Save(m_root / ".Plasma.mat.swx", "probe");
    fs::remove(m_root / ".Plasma.mat.swx");
    k_TestZip::Save(m_root / "4913", "");
    fs::remove(m_root / "4913");
    fs::rename(m_root / "Plasma.mat", m_root / "Plasma.mat~");
    k_TestZip::Save(m_root / "Plasma.mat", "saved by vim");
    fs::remove(m_root / "Plasma.mat~");
    k_TestZip::Save(m_root / "#Plasma.mat#", "emacs");
    k_TestZip::Save(m_root / ".#Plasma.mat", "emacs");
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Plasma.mat"});
}

TEST(FileWatcher, OtherEditorsTemporaryNamesAreKnown)
{
    const std::pair<const char*, bool> names[] = {
        {"sedAb12Cd", true},             // sed -i
        {".goutputstream-K2X9QZ", true}, // gedit
        {"Plasma.mat___jb_tmp___", true},
        {"Plasma.mat___jb_old___", true}, // JetBrains
        {".Plasma.mat.kate-swp", true},   // Kate
        {"Plasma.mat", false},
        {"sediment", false},
        {"sedAb12Cd.mat", false},
        {"sed-12345", false},
        {"Show.txt", false},
    };
    for (const auto& [name, temporary] : names)
        EXPECT_EQ(k_FileWatcher::IsEditorTemporary(name), temporary) << name;
}

// An editor that moves the old file away and writes the new one may be seen by a poll between the two: the
// file is not told gone meanwhile, and the save is one change.
TEST_F(k_FileWatcherTest, ASaveSplitAcrossTwoPollsIsOneChange)
{
    k_FileWatcher watcher(m_root);
    ASSERT_TRUE(watcher.IsWatching());
    fs::rename(m_root / "Plasma.mat", m_root / "Plasma.mat~");
    EXPECT_TRUE(watcher.Poll().empty());
    k_TestZip::Save(m_root / "sedXy12Zq", "written by sed");
    fs::rename(m_root / "sedXy12Zq", m_root / "Plasma.mat");
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Plasma.mat"});
    EXPECT_TRUE(watcher.Poll().empty());
}

// A folder moved out of the tree is gone with its files, and what is saved in it afterwards is no change.
TEST_F(k_FileWatcherTest, AFolderMovedAwayIsNoLongerWatched)
{
    k_TestZip::Save(m_root / "Common" / "Blur.mat", "blur");
    k_FileWatcher watcher(m_root);
    ASSERT_TRUE(watcher.IsWatching());
    const fs::path outside = m_root.string() + "_away";
    fs::remove_all(outside);
    fs::rename(m_root / "Common", outside);
    EXPECT_TRUE(watcher.Poll().empty());
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Common/Blur.mat"});
    k_TestZip::Save(outside / "Blur.mat", "saved away");
    EXPECT_TRUE(watcher.Poll().empty());
    // Moved back, it is watched again.
    fs::rename(outside, m_root / "Common");
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Common/Blur.mat"});
    k_TestZip::Save(m_root / "Common" / "Blur.mat", "home again");
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Common/Blur.mat"});
}

TEST_F(k_FileWatcherTest, FoldersAndFilesLinkedIntoTheTreeAreWatchedWhereTheyLive)
{
    const fs::path outside = m_root.string() + "_outside";
    fs::remove_all(outside);
    fs::create_directories(outside / "Hdr");
    k_TestZip::Save(outside / "Hdr" / "Glow.mat", "glow");
    k_TestZip::Save(outside / "Lone.mat", "lone");
    fs::create_directory_symlink(outside / "Hdr", m_root / "Hdr");
    fs::create_symlink(outside / "Lone.mat", m_root / "Lone.mat");
    // A link back up the tree is followed once.
    fs::create_directory_symlink(m_root, m_root / "Common" / "Up");
    k_FileWatcher watcher(m_root);
    ASSERT_TRUE(watcher.IsWatching());

    k_TestZip::Save(outside / "Hdr" / "Glow.mat", "glow again");
    k_TestZip::Save(outside / "Lone.mat.new", "lone again");
    fs::rename(outside / "Lone.mat.new", outside / "Lone.mat");
    const std::vector<std::string> changed = watcher.Poll();
    EXPECT_TRUE(Has(changed, "Hdr/Glow.mat"));
    EXPECT_TRUE(Has(changed, "Lone.mat"));

    // A link made later is watched too.
    k_TestZip::Save(outside / "Late.mat", "late");
    fs::create_symlink(outside / "Late.mat", m_root / "Common" / "Late.mat");
    EXPECT_TRUE(Has(watcher.Poll(), "Common/Late.mat"));
    k_TestZip::Save(outside / "Late.mat", "late again");
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Common/Late.mat"});
    fs::remove_all(outside);
}

TEST_F(k_FileWatcherTest, AWatchedFolderDeletedAndMadeAgainIsWatchedAgain)
{
    k_FileWatcher watcher(m_root);
    ASSERT_TRUE(watcher.IsWatching());
    fs::remove_all(m_root);
    // Its files are gone: the pack serves them again (told at the next poll).
    EXPECT_TRUE(watcher.Poll().empty());
    EXPECT_TRUE(Has(watcher.Poll(), "Plasma.mat"));
    EXPECT_TRUE(watcher.Poll().empty());

    fs::create_directories(m_root / "Common");
    k_TestZip::Save(m_root / "Common" / "Blur.mat", "blur");
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Common/Blur.mat"});
    k_TestZip::Save(m_root / "Common" / "Blur.mat", "blur again");
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Common/Blur.mat"});
}

// The kernel keeps at most max_queued_events events; past that it drops them and says so once.
TEST_F(k_FileWatcherTest, ALostEventQueueIsMadeUpByScanningTheTree)
{
    std::ifstream limitFile("/proc/sys/fs/inotify/max_queued_events");
    int limit = 0;
    ASSERT_TRUE(limitFile >> limit);
    k_TestZip::Save(m_root / "Other.mat", "other");
    k_TestZip::Save(m_root / "Gone.mat", "gone");
    k_FileWatcher watcher(m_root);
    ASSERT_TRUE(watcher.IsWatching());
    // Opened for writing and closed, alternately (the kernel merges an event equal to the one before it).
    k_TestZip::Save(m_root / "Common" / "Flood.mat", "flood");
    const std::string files[2] = {(m_root / "Other.mat").string(), (m_root / "Common" / "Flood.mat").string()};
    for (int i = 0; i <= limit + 1; ++i)
    {
        const int descriptor = open(files[i % 2].c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(descriptor, 0);
        close(descriptor);
    }
    // Lost with the queue full: found by the scan.
    k_TestZip::Save(m_root / "Plasma.mat", "changed after the flood");
    k_TestZip::Save(m_root / "Common" / "New.mat", "new");
    fs::remove(m_root / "Gone.mat");
    const std::vector<std::string> changed = watcher.Poll();
    EXPECT_TRUE(Has(changed, "Plasma.mat"));
    EXPECT_TRUE(Has(changed, "Common/New.mat"));
    EXPECT_TRUE(Has(changed, "Gone.mat"));
    EXPECT_TRUE(watcher.Poll().empty());
    k_TestZip::Save(m_root / "Plasma.mat", "and watched still");
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Plasma.mat"});
}

TEST_F(k_FileWatcherTest, FoldersMadeOrMovedInLaterAreWatchedWithWhatTheyHold)
{
    k_FileWatcher watcher(m_root);
    ASSERT_TRUE(watcher.IsWatching());
    fs::create_directories(m_root / "Terrain");
    k_TestZip::Save(m_root / "Terrain" / "Water.mat", "water");
    EXPECT_TRUE(Has(watcher.Poll(), "Terrain/Water.mat"));
    k_TestZip::Save(m_root / "Terrain" / "Water.mat", "water again");
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Terrain/Water.mat"});

    // A whole folder moved in from outside: its files count as saved.
    const fs::path outside = m_root.string() + "_outside";
    fs::create_directories(outside / "Hdr");
    k_TestZip::Save(outside / "Hdr" / "Glow.mat", "glow");
    fs::rename(outside, m_root / "Moved");
    EXPECT_TRUE(Has(watcher.Poll(), "Moved/Hdr/Glow.mat"));
    k_TestZip::Save(m_root / "Moved" / "Hdr" / "Glow.mat", "glow again");
    EXPECT_EQ(watcher.Poll(), std::vector<std::string>{"Moved/Hdr/Glow.mat"});
}

TEST_F(k_FileWatcherTest, AMissingFolderIsNotWatched)
{
    k_FileWatcher watcher(m_root / "missing");
    EXPECT_FALSE(watcher.IsWatching());
    EXPECT_TRUE(watcher.Poll().empty());
}
