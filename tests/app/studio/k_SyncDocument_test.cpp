#include "app/studio/k_SyncDocument.h"
#include "engine/k_SyncTracks.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

// The editor's document holds every track in the order asked for, with each key's row, value and
// interpolation, names escaped for XML, values with a point in any locale, and the sections as bookmarks.
TEST(SyncDocument, HoldsEveryTrackAndKeyInTheEditorsForm)
{
    k_SyncTracks tracks;
    const int camera = tracks.GetTrack("camera:x");
    tracks.GetTrack("a&b<\"c\">");
    tracks.SetKey(camera, {0, 1.5f, ISyncTracks::Linear});
    tracks.SetKey(camera, {1064, -0.1f, ISyncTracks::Ramp});
    EXPECT_EQ(k_SyncDocument::Make(tracks, 1601, {0, 192}),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<sync rows=\"1601\">\n"
              "\t<tracks>\n"
              "\t\t<track name=\"camera:x\">\n"
              "\t\t\t<key row=\"0\" value=\"1.5\" interpolation=\"1\"/>\n"
              "\t\t\t<key row=\"1064\" value=\"-0.1\" interpolation=\"3\"/>\n"
              "\t\t</track>\n"
              "\t\t<track name=\"a&amp;b&lt;&quot;c&quot;&gt;\"></track>\n"
              "\t</tracks>\n"
              "\t<bookmarks>\n"
              "\t\t<bookmark row=\"0\"/>\n"
              "\t\t<bookmark row=\"192\"/>\n"
              "\t</bookmarks>\n"
              "</sync>\n");
    // 120 beats a minute by default, 8 rows a beat: 16 rows a second; the row at the end is included.
    EXPECT_EQ(k_SyncDocument::RowsFor(tracks, 100.0), 1601);
    EXPECT_EQ(k_SyncDocument::RowsFor(tracks, 100.01), 1602);
    EXPECT_EQ(k_SyncDocument::RowsFor(tracks, 0.0), 1);
}

// The document is written only when it changed, so a studio starting again leaves the file (and a pack built
// from the folder) alone.
TEST(SyncDocument, IsWrittenOnlyWhenItChanged)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("sync_document_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    const std::string path = (folder / "Sync" / "show.rocket").string();
    for (const auto& [text, changes] : {std::pair{"one", true}, {"one", false}, {"two", true}})
    {
        bool written = false;
        EXPECT_EQ(k_SyncDocument::WriteIfChanged(path, text, written), "");
        EXPECT_EQ(written, changes) << text;
        std::ifstream in(path);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
    }
    EXPECT_FALSE(std::filesystem::exists(path + "~"));
    bool written = true;
    EXPECT_NE(k_SyncDocument::WriteIfChanged("/proc/no/such/show.rocket", "x", written), "");
    EXPECT_FALSE(written);
    std::filesystem::remove_all(folder);
}
