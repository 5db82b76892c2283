#include "demo/k_PlasmaWorld.h"
#include "demo/k_Show.h"
#include "engine/k_SyncTracks.h"
#include "engine/k_Utf8.h"
#include "support/k_GlTestContext.h"
#include "support/k_ShowTestEngine.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace
{
// A demo's own show of one world (the plasma overlay, which asks for sync tracks as it is built).
class OneWorldShow : public k_Show
{
public:
    explicit OneWorldShow(IEngine* engine) : k_Show(engine, {{}, {}})
    {
        AddWorldStep([engine] { return std::make_unique<k_PlasmaWorld>(engine); });
    }
};

std::string BuildError(IEngine& engine)
{
    OneWorldShow show(&engine);
    try
    {
        show.Build();
    }
    catch (const wchar_t* message)
    {
        return k_Utf8::ToUtf8(message);
    }
    return "";
}
} // namespace

// A show of a demo's own reads its worlds' sync tracks from the pack's track files, with rows on its own tempo
// map (bar 1 at 0 s, 120 beats a minute); a damaged file stops it saying which file and what is wrong.
TEST_F(GlTest, AShowOfItsOwnReadsItsWorldsSyncTracksFromThePack)
{
    k_ShowTestEngine engine;
    engine.files.overrides[L"Show.txt"] = std::string("length 10\ntempo 1 0 bpm 120\nsection opening 0\n");
    k_SyncTracks keys;
    const int written = keys.GetTrack("plasma:turn");
    keys.SetKey(written, {8, 0.25f, ISyncTracks::Step});
    engine.files.overrides[L"Sync/show_plasma-3Aturn.track"] = keys.Encode(written);
    {
        OneWorldShow show(&engine);
        testing::internal::CaptureStdout();
        show.Build();
        testing::internal::GetCapturedStdout();
        const int track = engine.syncTracks.FindTrack("plasma:turn");
        ASSERT_GE(track, 0);
        ASSERT_EQ(engine.syncTracks.GetKeys(track).size(), 1u);
        EXPECT_DOUBLE_EQ(engine.syncTracks.GetTimeOfRow(8.0), 0.5);
        EXPECT_DOUBLE_EQ(*engine.syncTracks.GetValue(track, 0.5), 0.25);
    }
    engine.files.overrides[L"Sync/show_plasma-3Aturn.track"] = std::string("\x01\0", 2);
    testing::internal::CaptureStdout();
    const std::string error = BuildError(engine);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(error, "k_Show: A sync track file is damaged:\nSync/show_plasma-3Aturn.track: the file is shorter than "
                     "its key count");
}
