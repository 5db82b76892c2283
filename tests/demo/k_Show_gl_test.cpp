#include "demo/k_PlasmaWorld.h"
#include "demo/k_Show.h"
#include "engine/k_SyncTracks.h"
#include "engine/k_Utf8.h"
#include "scene/k_World.h"
#include "support/k_GlTestContext.h"
#include "support/k_ShowTestEngine.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

namespace
{
// A show of two plain worlds, "A" and "B" (B off until its switch), and a level the fades "rise" and "fall"
// drive; it notes what happens in the order it happens.
class TwoWorldShow : public k_Show
{
public:
    explicit TwoWorldShow(k_ShowTestEngine& engine) : k_Show(&engine, {{"b-on"}, {"rise", "fall"}}), m_test(engine)
    {
        AddWorldStep([this] {
            auto world = std::make_unique<k_World>(m_engine, "A");
            a = world.get();
            return world;
        });
        AddWorldStep([this] {
            journal.push_back("step B, worlds " + std::to_string(m_engine->GetWorlds().size()));
            auto world = std::make_unique<k_World>(m_engine, "B");
            world->SetEnabled(false);
            b = world.get();
            return world;
        });
    }
    void Rewind() override
    {
        journal.push_back("rewind");
        b->SetEnabled(false);
        level = 0.0;
    }

    std::vector<std::string> journal;
    k_World* a = nullptr;
    k_World* b = nullptr;
    double level = 0.0;

protected:
    void AfterBuild() override
    {
        journal.push_back("after build, bar " + std::to_string(m_test.graphics.progress.size()));
    }
    void Switch(const std::string& name) override
    {
        journal.push_back("switch " + name);
        if (name == "b-on")
            b->SetEnabled(true);
    }
    void Fade(const std::string& name, double progress) override { level = name == "rise" ? progress : 1.0 - progress; }

private:
    k_ShowTestEngine& m_test;
};

const char* const k_TwoWorldShowFile = "length 20\ntempo 1 0 bpm 120\nsection opening 0\nswitch b-on 4\n"
                                       "fade rise 2 6\nfade fall 6 8\n";
} // namespace

// The worlds are made in their steps' order, which is the engine's drawing order, each a step of the loading bar
// counted as it is taken; AfterBuild comes after the worlds, before the bar is drawn full. The show file's
// switches and fades come back by name: a fade handed on to the next one at its end gives way to it, the last
// one's end brings its last value whatever frames miss it, and a seek rewinds the show and replays it.
TEST_F(GlTest, AShowMakesItsWorldsInOrderAndHearsItsSwitchesAndFadesByName)
{
    k_ShowTestEngine engine;
    engine.files.overrides[L"Show.txt"] = std::string(k_TwoWorldShowFile);
    TwoWorldShow show(engine);
    show.Build();
    EXPECT_EQ(engine.GetWorlds(), (std::vector<IWorld*>{show.a, show.b}));
    EXPECT_EQ(show.GetProgressSteps(), 2);
    EXPECT_EQ(engine.graphics.progress, (std::vector<float>{0.5f, 1.0f}));
    EXPECT_EQ(show.journal, (std::vector<std::string>{"step B, worlds 1", "after build, bar 1"}));

    engine.AdvanceTo(3.0);
    EXPECT_DOUBLE_EQ(show.level, 0.25);
    EXPECT_FALSE(show.b->IsEnabled());
    engine.AdvanceTo(7.0);
    EXPECT_TRUE(show.b->IsEnabled());
    EXPECT_DOUBLE_EQ(show.level, 0.5);
    engine.AdvanceTo(12.0, 3.0);
    EXPECT_EQ(show.level, 0.0);
    EXPECT_EQ(show.journal.back(), "switch b-on");

    show.journal.clear();
    engine.Seek(3.0);
    EXPECT_EQ(show.journal, (std::vector<std::string>{"rewind"}));
    EXPECT_FALSE(show.b->IsEnabled());
    EXPECT_DOUBLE_EQ(show.level, 0.25);
}

// A step that makes no world, and a show file the pack does not hold under the show's own name, stop the build
// with a message; the reload of a text with errors keeps the show it had.
TEST_F(GlTest, AShowWithoutAWorldOrItsFileStopsAndABadReloadKeepsTheShow)
{
    k_ShowTestEngine engine;
    engine.files.overrides[L"Show.txt"] = std::string(k_TwoWorldShowFile);
    struct NoWorld : k_Show
    {
        explicit NoWorld(IEngine* engine, std::wstring file) : k_Show(engine, {{}, {}}, std::move(file))
        {
            AddWorldStep([] { return std::unique_ptr<IWorld>(); });
        }
    };
    const auto error = [](k_Show& show) {
        try
        {
            show.Build();
        }
        catch (const wchar_t* message)
        {
            return k_Utf8::ToUtf8(message);
        }
        return std::string();
    };
    NoWorld noWorld(&engine, L"Show.txt");
    EXPECT_EQ(error(noWorld), "k_Show: A world of the show could not be made.");
    NoWorld noFile(&engine, L"Other.txt");
    engine.files.overrides[L"Other.txt"] = std::nullopt;
    EXPECT_EQ(error(noFile), "k_Show: The show file Other.txt is missing from the data pack.");

    TwoWorldShow show(engine);
    show.Build();
    const std::vector<std::string> errors = show.Reload("length 20\ntempo 1 0 bpm 120\nsection opening 0\n"
                                                        "switch c-on 4\n");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors.front().rfind("Show.txt:4:8: unknown switch \"c-on\"", 0), 0u) << errors.front();
    EXPECT_EQ(show.GetShow().GetCues().size(), 3u);
    ASSERT_TRUE(show.Reload("length 20\ntempo 1 0 bpm 120\nsection opening 0\nswitch b-on 9\n").empty());
    engine.GetTimeline()->Seek(0.0);
    engine.AdvanceTo(8.0);
    EXPECT_FALSE(show.b->IsEnabled());
    engine.AdvanceTo(9.5);
    EXPECT_TRUE(show.b->IsEnabled());
}
