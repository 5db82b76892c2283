#include "demo/k_PlasmaWorld.h"
#include "demo/k_Show.h"
#include "engine/k_SyncTracks.h"
#include "engine/k_Utf8.h"
#include "scene/k_World.h"
#include "support/k_GlTestContext.h"
#include "support/k_ShowTestEngine.h"

#include <algorithm>
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

// What Build throws, or empty.
std::string BuildError(k_Show& show)
{
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
    OneWorldShow damaged(&engine);
    const std::string error = BuildError(damaged);
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
    void RewindShow() override
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
        explicit NoWorld(IEngine* engine, std::wstring file)
            : k_Show(engine, {{"b-on"}, {"rise", "fall"}}, std::move(file))
        {
            AddWorldStep([] { return std::unique_ptr<IWorld>(); });
        }
    };
    NoWorld noWorld(&engine, L"Show.txt");
    EXPECT_EQ(BuildError(noWorld), "k_Show: A world of the show could not be made.");
    NoWorld noFile(&engine, L"Other.txt");
    engine.files.overrides[L"Other.txt"] = std::nullopt;
    EXPECT_EQ(BuildError(noFile), "k_Show: The show file Other.txt is missing from the data pack.");

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

// A reload makes text captions' meshes and materials only for words the show did not have before: the factory
// keeps what it makes until the engine goes.
TEST_F(GlTest, AReloadTakesTheTextCaptionsItHadBefore)
{
    k_ShowTestEngine engine;
    engine.files.overrides[L"Show.txt"] = std::string(k_TwoWorldShowFile);
    TwoWorldShow show(engine);
    show.Build();
    const std::string hello = std::string(k_TwoWorldShowFile) + "text \"DejaVu Sans\" \"hello\" 1 3 at 0 0 -8\n";
    const std::string more = hello + "text \"DejaVu Sans\" \"again\" 2 3 at 0 0 -8\n";
    // The materials a reload of the text made.
    auto made = [&show](const std::string& text) {
        testing::internal::CaptureStdout();
        EXPECT_TRUE(show.Reload(text).empty());
        const std::string log = testing::internal::GetCapturedStdout();
        int count = 0;
        for (size_t at = log.find("Creating material 'Common/TextLight.mat"); at != std::string::npos;
             at = log.find("Creating material 'Common/TextLight.mat", at + 1))
            ++count;
        return count;
    };
    const std::pair<const std::string*, int> reloads[] = {
        {&hello, 1}, {&hello, 0}, {&more, 1}, {&more, 0}, {&hello, 0}};
    for (const auto& [text, count] : reloads)
        EXPECT_EQ(made(*text), count) << *text;
}

namespace
{
// A show of three worlds: "A" of its own, whose switch "a-off" it hears itself, and two named steps the show file
// switches with no code of the show's: "glow" (off until "glow-on") and "haze" (on until "haze-off").
class NamedWorldShow : public k_Show
{
public:
    NamedWorldShow(IEngine* engine, const std::string& glowName = "glow") : k_Show(engine, {{"a-off"}, {}})
    {
        AddWorldStep([this] {
            auto world = std::make_unique<k_World>(m_engine, "A");
            a = world.get();
            return world;
        });
        AddWorldStep(glowName, Start::Disabled, [this] {
            auto world = std::make_unique<k_World>(m_engine, "Glow");
            glow = world.get();
            return world;
        });
        AddWorldStep("haze", Start::Enabled, [this] {
            auto world = std::make_unique<k_World>(m_engine, "Haze");
            haze = world.get();
            return world;
        });
    }
    // The enabled worlds' names.
    std::string Enabled() const
    {
        std::string names;
        for (k_World* world : {a, glow, haze})
            names += world->IsEnabled() ? world->GetName() : "-";
        return names;
    }

    std::vector<std::string> heard;
    k_World* a = nullptr;
    k_World* glow = nullptr;
    k_World* haze = nullptr;

protected:
    void Switch(const std::string& name) override
    {
        heard.push_back(name);
        if (name == "a-off")
            a->SetEnabled(false);
    }
    void RewindShow() override { a->SetEnabled(true); }
};

const char* const k_NamedWorldShowFile = "length 20\ntempo 1 0 bpm 120\nsection opening 0\nswitch glow-on 2\n"
                                         "switch haze-off 3\nswitch a-off 4\nswitch glow-off 5\nswitch haze-on 6\n";
} // namespace

// The show file switches a named step's world by "NAME-on" and "NAME-off" without the show hearing them; the
// show's own switches still come to Switch. A seek back over the switches puts every named world back as Build
// left it (glow off, haze on) and replays what is due, as a play from the start would have it.
TEST_F(GlTest, TheShowFileSwitchesNamedWorldsAndASeekBackPutsThemBack)
{
    k_ShowTestEngine engine;
    engine.files.overrides[L"Show.txt"] = std::string(k_NamedWorldShowFile);
    NamedWorldShow show(&engine);
    show.Build();
    EXPECT_EQ(show.GetProgressSteps(), 3);
    EXPECT_EQ(show.Enabled(), "A-Haze");
    const std::vector<std::pair<double, std::string>> expected = {
        {2.5, "AGlowHaze"}, {3.5, "AGlow-"}, {4.5, "-Glow-"}, {5.5, "---"}, {6.5, "--Haze"}};
    for (const auto& [time, enabled] : expected)
    {
        engine.AdvanceTo(time);
        EXPECT_EQ(show.Enabled(), enabled) << "playing at " << time;
    }
    // A frame that ends on a switch's instant and the next that starts there both hear it.
    ASSERT_FALSE(show.heard.empty());
    EXPECT_EQ(std::count(show.heard.begin(), show.heard.end(), "a-off"), static_cast<long>(show.heard.size()));

    for (const auto& [time, enabled] : {std::pair<double, std::string>{4.5, "-Glow-"},
                                        {1.0, "A-Haze"},
                                        {3.5, "AGlow-"},
                                        {0.0, "A-Haze"},
                                        {7.0, "--Haze"},
                                        {2.5, "AGlowHaze"}})
    {
        engine.Seek(time);
        EXPECT_EQ(show.Enabled(), enabled) << "sought to " << time;
    }

    // A reload takes the named switches too; a name the show has not is refused where it stands.
    EXPECT_TRUE(show.Reload("length 20\ntempo 1 0 bpm 120\nsection opening 0\nswitch haze-off 1\n").empty());
    const std::vector<std::string> errors =
        show.Reload("length 20\ntempo 1 0 bpm 120\nsection opening 0\nswitch glow-of 1\n");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors.front().rfind("Show.txt:4:8: unknown switch \"glow-of\"", 0), 0u) << errors.front();
}

// An unknown switch in the show file stops the build at its line and column; a step name that is not a word of
// the show file, or whose switches the show already has, stops it naming the step.
TEST_F(GlTest, AnUnknownNamedSwitchOrABadStepNameStopsTheBuild)
{
    k_ShowTestEngine engine;
    engine.files.overrides[L"Show.txt"] =
        std::string("length 20\ntempo 1 0 bpm 120\nsection opening 0\n\nswitch  hazy-off 3\n");
    NamedWorldShow unknown(&engine);
    const std::string error = BuildError(unknown);
    EXPECT_EQ(error.rfind("k_Show: The show file Show.txt is malformed:\nShow.txt:5:9: unknown switch \"hazy-off\"", 0),
              0u)
        << error;
    EXPECT_NE(error.find("haze-off"), std::string::npos) << "the known switches are listed: " << error;

    engine.files.overrides[L"Show.txt"] = std::string(k_NamedWorldShowFile);
    NamedWorldShow spaced(&engine, "two words");
    EXPECT_EQ(BuildError(spaced), "k_Show: The world step name \"two words\" is not a name for the show file; expected "
                                  "letters, digits, '-' and '_'.");
    NamedWorldShow empty(&engine, "");
    EXPECT_EQ(BuildError(empty).rfind("k_Show: The world step name \"\" is not", 0), 0u);
    NamedWorldShow twice(&engine, "haze");
    EXPECT_EQ(BuildError(twice), "k_Show: The world step name \"haze\" gives the switch \"haze-on\" or \"haze-off\", "
                                 "which the show already has.");
    NamedWorldShow clash(&engine, "a");
    EXPECT_EQ(BuildError(clash).rfind("k_Show: The world step name \"a\" gives the switch \"a-on\"", 0), 0u);
    EXPECT_TRUE(engine.GetWorlds().empty()) << "no world is made";
}
