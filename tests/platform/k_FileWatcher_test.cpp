#include "platform/k_FileWatcher.h"
#include "support/k_TestZip.h"

#include <algorithm>
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

    // A file only opened and read, or removed, is not a save.
    {
        std::ifstream read(m_root / "Plasma.mat");
    }
    fs::remove(m_root / "Common" / "Blur.mat");
    EXPECT_TRUE(watcher.Poll().empty());
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
