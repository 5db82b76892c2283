#include "demo/k_AfterWorld.h"
#include "demo/k_Demo.h"
#include "demo/k_DriftWorld.h"
#include "demo/k_FirstRenderStep.h"
#include "demo/k_PlasmaWorld.h"
#include "demo/k_TextEvent.h"
#include "engine/k_SyncTracks.h"
#include "engine/k_Utf8.h"
#include "graphics/k_MaterialPass.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ISyncTracks.h"
#include "interfaces/ITexture.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IWorld.h"
#include "support/k_ShowTestEngine.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace
{
const wchar_t* const k_CaptionFiles[] = {
    L"time.png",          L"it-is-time.png",    L"whattime1.png", L"whattime2.png",
    L"whattime3.png",     L"whattime4.png",     L"married.png",   L"married2.png",
    L"corin.png",         L"goodbye.png",       L"gratitude.png", L"Thanks/orm.png",
    L"Thanks/tz.png",     L"Thanks/wendel.png", L"Thanks/ux.png", L"Thanks/brannock.png",
    L"adore.png",         L"greet1.png",        L"greet2.png",    L"greet3.png",
    L"greet4.png",        L"greet5.png",        L"greet6.png",    L"greet7.png",
    L"greet8.png",        L"greet9.png",        L"greet10.png",   L"greet11.png",
    L"greet12.png",       L"greet13.png",       L"greet14.png",   L"function.png",
    L"were-not-dead.png", L"corin-says.png",
};

// The show built over the pack's materials, with stand-in caption pictures (so the schedule is tested whatever
// the pack's pictures are) and the clocks moved by hand.
class DemoTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        engine = std::make_unique<k_ShowTestEngine>();
        for (const wchar_t* file : k_CaptionFiles)
            engine->files.overrides[file] = k_ShowTestEngine::WhitePng(64, 16);
        demo = std::make_unique<k_Demo>(engine.get());
    }

    void TearDown() override
    {
        demo.reset();
        engine.reset();
    }

    void Build()
    {
        testing::internal::CaptureStdout();
        demo->Build();
        log = testing::internal::GetCapturedStdout();
        // These tests move the clocks and check the schedule; the worlds' own per-frame work (the tone map's
        // passes above all) is tested with the worlds and would only slow every step down here.
        for (IWorld* world : engine->GetWorlds())
            world->SetUpdated(false);
    }

    // The caption n (1 to 34) of the show.
    k_TextEvent* Caption(int n) { return dynamic_cast<k_TextEvent*>(demo->GetEvents().at(static_cast<size_t>(n - 1))); }

    static bool Holds(IWorld* world, IRenderable* node)
    {
        const std::vector<IRenderable*>& nodes = *world->GetRenderables();
        return std::find(nodes.begin(), nodes.end(), node) != nodes.end();
    }

    // Where caption n is: "A" (after world), "B" (drift world), "" (neither) or "AB".
    std::string WhereIs(int n)
    {
        IRenderable* node = Caption(n)->GetNode();
        std::string where;
        if (Holds(demo->GetAfterWorld(), node))
            where += "A";
        if (Holds(demo->GetDriftWorld(), node))
            where += "B";
        return where;
    }

    float Uniform(int n, const char* name)
    {
        IMaterial* material = Caption(n)->GetMaterial();
        return material->FindPass(demo->GetAfterWorld())->program->GetUniformFloat(name);
    }

    std::array<float, 4> FadeColour() { return demo->GetPlasmaWorld()->GetProgram()->GetUniformVector4("fadeColor"); }

    double Now() { return engine->GetTimeline()->GetTime(); }

    std::unique_ptr<k_ShowTestEngine> engine;
    std::unique_ptr<k_Demo> demo;
    std::string log;
};
} // namespace

// --- building ---

// A step a world and a step a caption: the bar counts as it goes, so a world added to the show adds a step.
TEST_F(DemoTest, BuildAdvancesTheBarAStepAWorldAndACaptionThenFillsItAndPresentsEachStep)
{
    Build();
    EXPECT_EQ(demo->GetEvents().size(), 34u);
    const size_t steps = engine->GetWorlds().size() + demo->GetEvents().size();
    EXPECT_EQ(demo->GetProgressSteps(), static_cast<int>(steps));
    const std::vector<float>& progress = engine->graphics.progress;
    ASSERT_EQ(progress.size(), steps);
    for (size_t k = 1; k < steps; ++k)
        EXPECT_EQ(progress[k - 1], static_cast<float>(k) / static_cast<float>(steps)) << "step " << k;
    EXPECT_EQ(progress.back(), 1.0f);
    EXPECT_EQ(std::count(engine->trace.begin(), engine->trace.end(), "present"), static_cast<long>(steps));
    EXPECT_EQ(engine->graphics.errors.size(), 0u);
}

TEST_F(DemoTest, WorldsAreListedInDrawingOrderAndWiredTogether)
{
    Build();
    std::vector<std::string> names;
    for (IWorld* world : engine->GetWorlds())
        names.push_back(world->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"Terrain", "Hdr", "Plasma", "AfterWorld", "Drift"}));
    // The landscape is drawn off screen into a float picture of the screen's size, shown by the tone map; both
    // wait for their time.
    IRenderTarget* landscape = demo->GetTerrainWorld()->GetRenderTarget();
    ASSERT_NE(landscape, nullptr);
    EXPECT_EQ(landscape->GetWidth(), engine->graphics.GetWidth());
    EXPECT_EQ(landscape->GetHeight(), engine->graphics.GetHeight());
    EXPECT_EQ(landscape->GetColorTextures()->front()->GetFormat(), 3);
    EXPECT_FALSE(demo->GetTerrainWorld()->IsEnabled());
    EXPECT_FALSE(demo->GetHdrWorld()->IsEnabled());

    EXPECT_TRUE(demo->GetPlasmaWorld()->IsEnabled());
    EXPECT_TRUE(demo->GetAfterWorld()->IsEnabled());
    ASSERT_NE(demo->GetTerrainWorld()->GetCamera(), nullptr);
    EXPECT_EQ(demo->GetAfterWorld()->GetCamera(), demo->GetTerrainWorld()->GetCamera());
    EXPECT_EQ(demo->GetDriftWorld()->GetCamera(), demo->GetTerrainWorld()->GetCamera());
    IRenderTarget* drift = demo->GetDriftWorld()->GetRenderTarget();
    ASSERT_NE(drift, nullptr);
    EXPECT_EQ(drift->GetWidth(), 512);
    EXPECT_EQ(drift->GetHeight(), 512);
    EXPECT_EQ(drift->GetColorTextures()->front()->GetFormat(), 3);
    // Nothing is on screen before the show starts; the logo starts invisible.
    EXPECT_EQ(demo->GetAfterWorld()->GetRenderables()->size(), 1u);
    EXPECT_EQ(demo->GetAfterWorld()->GetLogoProgram()->GetUniformFloat("alpha"), 0.0f);
}

// A picture the pack holds but cannot decode is a damaged pack: that caption is skipped and the show goes on.
TEST_F(DemoTest, ACaptionWhosePictureIsDamagedIsSkippedWithARedLineAndTheShowGoesOn)
{
    engine->files.overrides[L"greet3.png"] = std::string("not a picture at all");
    Build();
    EXPECT_NE(log.find("greet3.png"), std::string::npos);
    EXPECT_NE(log.find("the caption is skipped"), std::string::npos);
    EXPECT_EQ(Caption(20)->GetNode(), nullptr);
    EXPECT_EQ(engine->graphics.progress.back(), 1.0f);
    // The show runs past the damaged greeting; its neighbours come and go as before.
    engine->AdvanceTo(145.5);
    EXPECT_EQ(WhereIs(21), "");
    engine->AdvanceTo(147.5);
    EXPECT_EQ(WhereIs(21), "A");
}

// --- the show file ---

// Build's message for a show file that cannot be used (it is thrown as a wide string).
std::string BuildError(k_ShowTestEngine& engine)
{
    k_Demo demo(&engine);
    testing::internal::CaptureStdout();
    std::string message;
    try
    {
        demo.Build();
    }
    catch (const wchar_t* thrown)
    {
        message = k_Utf8::ToUtf8(thrown);
    }
    testing::internal::GetCapturedStdout();
    return message;
}

TEST_F(DemoTest, AShowFileThatIsMissingMalformedOrNamesAnAbsentPictureStopsTheBuildSayingWhere)
{
    engine->files.overrides[L"Show.txt"] = std::nullopt;
    EXPECT_EQ(BuildError(*engine), "k_Show: The show file Show.txt is missing from the data pack.");

    engine->files.overrides[L"Show.txt"] = std::string("length 200\ntempo 1 0 bpm 120\nsection opening 0\n"
                                                       "caption time.png 0 10 at 0 0 1\nswitch lights-on 12\n");
    EXPECT_EQ(BuildError(*engine), "k_Show: The show file Show.txt is malformed:\nShow.txt:5:8: unknown switch "
                                   "\"lights-on\"; expected landscape-on or plasma-on");

    engine->files.overrides[L"Show.txt"] =
        std::string("length 200\ntempo 1 0 bpm 120\nsection opening 0\n\ncaption  nowhere.png 0 10 at 0 0 1\n");
    EXPECT_EQ(BuildError(*engine), "k_Show: The show file Show.txt is malformed:\nShow.txt:5:10: the picture "
                                   "\"nowhere.png\" is not in the pack; expected the name of a PNG or JPEG picture "
                                   "in the pack (for a picture painted from words, add a line \"nowhere.png: the "
                                   "words\" to the captions manifest, Captions.txt, and build again)");
}

// The loading bar counts its steps as they happen: a world each, then a caption each, whatever the file holds.
TEST_F(DemoTest, TheLoadingBarHasAStepForEachWorldAndEachCaptionOfTheFile)
{
    engine->files.overrides[L"Show.txt"] =
        std::string("length 20\ntempo 1 0 bpm 120\nsection opening 0\ncaption time.png 1 2 at 0 0 1\n"
                    "caption it-is-time.png 3 2 at 0 0 1\n");
    Build();
    EXPECT_EQ(demo->GetProgressSteps(), 7);
    const std::vector<float>& progress = engine->graphics.progress;
    ASSERT_EQ(progress.size(), 7u);
    for (int k = 1; k <= 6; ++k)
        EXPECT_EQ(progress[static_cast<size_t>(k - 1)], static_cast<float>(k) / 7.0f) << "step " << k;
    EXPECT_EQ(progress.back(), 1.0f);
    EXPECT_EQ(demo->GetEvents().size(), 2u);
}

// Each caption rests where the file places it, and shaders read the tune's beats through the timeline.
TEST_F(DemoTest, CaptionsArePlacedFromTheFileAndTheBeatComesFromItsTempoMap)
{
    Build();
    IMaterial* material = Caption(1)->GetMaterial();
    for (k_MaterialPass* pass : material->GetPasses())
        EXPECT_EQ(pass->program->GetUniformVector4("captionPlace"), (std::array<float, 4>{-0.1f, 0.42f, 1.25f, -1.0f}));
    const k_ShowFile::Caption& greeting = demo->GetShow().GetCaptions().at(17);
    EXPECT_EQ(Caption(18)->GetMaterial()->GetPasses().front()->program->GetUniformVector4("captionPlace"),
              (std::array<float, 4>{greeting.x, greeting.y, greeting.size, 0.0f}));
    const k_TempoMap& tempo = demo->GetShow().GetTempoMap();
    engine->AdvanceTo(100.0);
    EXPECT_DOUBLE_EQ(engine->GetTimeline()->GetBeat(), tempo.GetBeat(Now()));
}

// The studio's reload: the schedule is emptied and filled again from the new text, the captions made anew
// in its order; a text with errors changes nothing and says why.
TEST_F(DemoTest, AReloadReplacesTheScheduleAndABadTextKeepsTheOldShow)
{
    Build();
    const std::string show = "length 200\ntempo 1 0 bpm 120\nsection opening 0\nsection plasma 10\n"
                             "switch plasma-on 10\n"
                             "caption it-is-time.png 2 3 in alpha 1 out alpha 1 at 0 0 1\n"
                             "caption time.png 4 10 at 0.5 0.5 1 from left\n";
    ASSERT_TRUE(demo->Reload(show).empty());
    ASSERT_EQ(demo->GetEvents().size(), 2u);
    EXPECT_EQ(demo->GetShow().GetSections().back().name, "plasma");
    // As the studio does after a reload: the schedule alone is sought, the worlds keep their state.
    engine->AdvanceTo(1.0);
    engine->GetTimeline()->Seek(1.0);
    engine->AdvanceTo(2.5);
    EXPECT_EQ(WhereIs(1), "A");
    EXPECT_NEAR(Uniform(1, "alpha"), 0.5f, 0.05f);
    EXPECT_EQ(WhereIs(2), "");
    engine->AdvanceTo(4.5);
    EXPECT_EQ(WhereIs(2), "A");
    EXPECT_EQ(demo->GetPlasmaWorld()->GetProgram()->GetUniformInt("disablePlasma"), 1);
    engine->AdvanceTo(10.5);
    EXPECT_EQ(demo->GetPlasmaWorld()->GetProgram()->GetUniformInt("disablePlasma"), 0);
    // The old schedule is gone: nothing of the 34 captions comes back at its old time.
    engine->AdvanceTo(18.5);
    EXPECT_TRUE(demo->GetAfterWorld()->GetRenderables()->size() <= 1u);

    const std::vector<std::string> errors = demo->Reload("length 200\ntempo 1 0 bpm 120\nsection opening 0\n"
                                                         "caption time.png 4 -1 at 0 0 1\n");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors.front().rfind("Show.txt:4:20: ", 0), 0u) << errors.front();
    EXPECT_EQ(demo->GetEvents().size(), 2u);
    EXPECT_EQ(demo->GetShow().GetSections().back().name, "plasma");
    const std::vector<std::string> missing = demo->Reload("length 200\ntempo 1 0 bpm 120\nsection opening 0\n"
                                                          "caption gone.png 4 1 at 0 0 1\n");
    ASSERT_EQ(missing.size(), 1u) << missing.front();
    EXPECT_EQ(missing.front().rfind("Show.txt:4:9: the picture \"gone.png\" is not in the pack", 0), 0u)
        << missing.front();
    EXPECT_EQ(demo->GetEvents().size(), 2u);
}

// --- the captions' schedule ---

TEST_F(DemoTest, CaptionsEnterTheAfterWorldAtTheirStartAndLeaveAtTheirEnd)
{
    Build();
    engine->AdvanceTo(0.5);
    EXPECT_EQ(WhereIs(1), "A");
    EXPECT_EQ(WhereIs(2), "");
    engine->AdvanceTo(9.0);
    EXPECT_EQ(WhereIs(1), "A");
    EXPECT_EQ(WhereIs(2), "A");
    engine->AdvanceTo(10.25);
    EXPECT_EQ(WhereIs(1), "");
    EXPECT_EQ(WhereIs(3), "A");
    engine->AdvanceTo(80.5);
    EXPECT_EQ(WhereIs(11), "");
    EXPECT_EQ(WhereIs(12), "A");
    engine->AdvanceTo(200.0);
    EXPECT_EQ(WhereIs(32), "");
    EXPECT_EQ(WhereIs(34), "A");
    EXPECT_EQ(engine->graphics.errors.size(), 0u);
}

// Where every caption is at its start, when its fade-in is over, when its fade-out begins and at its end, the
// clocks stepping onto each of those times exactly: in the after world throughout, in the drift world from a
// hand-over's beginning (the 3 s ones of "corin.png" at 42 s and "goodbye.png" at 72 s, the greetings' last
// tenth of a second), and in neither at the end.
TEST_F(DemoTest, EveryCaptionIsWhereItBelongsAtEachStepOfItsSchedule)
{
    struct Caption
    {
        double start, duration;
        int fadeInKind;
        float fadeIn;
        int fadeOutKind;
        float fadeOut;
    };
    std::vector<Caption> captions = {
        {0, 10, 3, 3.0f, 4, 3.0f},    {8, 10, 3, 3.0f, 4, 3.0f},   {10, 2, 1, 0.5f, 1, 0.25f},
        {11.5, 2, 1, 0.5f, 1, 0.25f}, {13, 2, 1, 0.5f, 1, 0.25f},  {14.5, 2, 1, 0.5f, 1, 0.25f},
        {18, 10, 3, 3.0f, 4, 3.0f},   {25, 5, 1, 2.0f, 1, 2.0f},   {30, 15, 3, 10.0f, 3, 3.0f},
        {45, 30, 3, 10.0f, 3, 3.0f},  {76, 4, 1, 0.5f, 1, 0.25f},  {80, 13, 3, 3.0f, 4, 3.0f},
        {91, 13, 3, 3.0f, 4, 3.0f},   {102, 14, 3, 3.0f, 4, 3.0f}, {114, 13, 3, 3.0f, 4, 3.0f},
        {125, 12, 3, 3.0f, 4, 3.0f},  {137, 4, 1, 0.5f, 1, 0.25f},
    };
    for (int i = 1; i <= 14; ++i)
        captions.push_back({141.0 + 2.0 * (i - 1), 1.5, 1, 0.25f, 3, 0.1f});
    captions.push_back({170, 4, 1, 2.0f, 1, 2.0f});
    captions.push_back({175, 10, 1, 0.25f, 3, 0.1f});
    captions.push_back({185, 1000, 1, 0.25f, 3, 0.1f});
    ASSERT_EQ(captions.size(), 34u);

    // (time, caption, where) in the order of time; the times are the schedule's own doubles.
    struct Probe
    {
        double time;
        int caption;
        std::string where;
    };
    std::vector<Probe> probes;
    for (int n = 1; n <= 34; ++n)
    {
        const Caption& c = captions[static_cast<size_t>(n - 1)];
        const double end = c.start + c.duration;
        // The show's first update is 0.00001 s: the first caption's start is seen there.
        probes.push_back({c.start == 0.0 ? 0.00001 : c.start, n, "A"});
        probes.push_back({c.start + static_cast<double>(c.fadeIn), n, "A"});
        probes.push_back({end - static_cast<double>(c.fadeOut), n, c.fadeOutKind == 3 ? "B" : "A"});
        probes.push_back({end, n, ""});
    }
    std::stable_sort(probes.begin(), probes.end(), [](const Probe& a, const Probe& b) { return a.time < b.time; });

    Build();
    std::vector<int> seen(35, 0);
    for (const Probe& probe : probes)
    {
        // Past the show's last change the clocks may take long steps.
        engine->AdvanceTo(probe.time, probe.time > 190.0 ? 4.0 : 1.0 / 32.0);
        ASSERT_EQ(Now(), probe.time);
        EXPECT_EQ(WhereIs(probe.caption), probe.where) << "caption " << probe.caption << " at " << probe.time;
        ++seen[static_cast<size_t>(probe.caption)];
    }
    EXPECT_EQ(std::count(seen.begin() + 1, seen.end(), 4), 34);
}

// The clocks step onto each start time exactly, where the start event is triggered twice: the greeting must
// still be listed once, so that the hand-over takes it out of the after world.
TEST_F(DemoTest, GreetingsAreHandedToTheDriftWorldForTheirLastTenthOfASecond)
{
    Build();
    for (int i = 1; i <= 14; ++i)
    {
        const double start = 141.0 + 2.0 * (i - 1);
        const int n = 17 + i;
        engine->AdvanceTo(start + 1.375);
        EXPECT_EQ(WhereIs(n), "A") << "greet" << i;
        engine->AdvanceTo(start + 1.4375);
        EXPECT_EQ(WhereIs(n), "B") << "greet" << i;
        EXPECT_EQ(Caption(n)->GetNode()->GetWorld(), demo->GetDriftWorld());
        engine->AdvanceTo(start + 1.5);
        EXPECT_EQ(WhereIs(n), "") << "greet" << i;
        EXPECT_EQ(Caption(n)->GetNode()->GetWorld(), nullptr);
    }
    // The two closing lines go the same way.
    engine->AdvanceTo(184.9375);
    EXPECT_EQ(WhereIs(33), "B");
    engine->AdvanceTo(185.0);
    EXPECT_EQ(WhereIs(33), "");
    EXPECT_EQ(WhereIs(34), "A");
}

TEST_F(DemoTest, FadeKindsDriveAlphaAndAnimPos)
{
    Build();
    // Caption 1 slides in over 3 s (alpha held at 1) and slides out over its last 3 s.
    engine->AdvanceTo(1.5);
    EXPECT_FLOAT_EQ(Uniform(1, "animPos"), 0.5f);
    EXPECT_FLOAT_EQ(Uniform(1, "alpha"), 1.0f);
    engine->AdvanceTo(5.0);
    EXPECT_FLOAT_EQ(Uniform(1, "animPos"), 1.0f);
    engine->AdvanceTo(8.5);
    EXPECT_FLOAT_EQ(Uniform(1, "animPos"), 0.5f);
    // Caption 3 fades in over 0.5 s (animPos held at 1) and out over 0.25 s.
    engine->AdvanceTo(10.25);
    EXPECT_FLOAT_EQ(Uniform(3, "alpha"), 0.5f);
    EXPECT_FLOAT_EQ(Uniform(3, "animPos"), 1.0f);
    engine->AdvanceTo(11.0);
    EXPECT_FLOAT_EQ(Uniform(3, "alpha"), 1.0f);
    engine->AdvanceTo(11.875);
    EXPECT_FLOAT_EQ(Uniform(3, "alpha"), 0.5f);
    // A greeting's hand-over has no animation: it stays fully shown until it moves.
    engine->AdvanceTo(142.375);
    EXPECT_FLOAT_EQ(Uniform(18, "alpha"), 1.0f);
    EXPECT_FLOAT_EQ(Uniform(18, "animPos"), 1.0f);
}

// "married.png" slides out from 25 to 28 while "married2.png" fades in from 25 to 27: each over its own span,
// so the fade-in is whole at 27 and stays so (no flash back to a partly faded caption after its end).
TEST_F(DemoTest, CaptionsSevenAndEightFadeOverTheirOwnSpansFromOneInstant)
{
    Build();
    struct Case
    {
        double time;
        float alpha8;   // married2's fade-in, then its fade-out from 28 to 30
        float animPos7; // married's slide-out
    };
    for (const Case& c : {Case{26.0, 0.5f, 2.0f / 3.0f}, Case{26.96875, 0.984375f, 1.0f - 1.96875f / 3.0f},
                          Case{27.5, 1.0f, 0.5f / 3.0f}, Case{29.0, 0.5f, 0.0f}})
    {
        engine->AdvanceTo(c.time);
        EXPECT_FLOAT_EQ(Uniform(8, "alpha"), c.alpha8) << c.time;
        if (c.time < 28.0)
        {
            EXPECT_FLOAT_EQ(Uniform(7, "animPos"), c.animPos7) << c.time;
        }
    }
}

// The plasma's greetings follow the show file's sections: the break ("greetings") and the end ("logo"), in
// beats; a reload that moves them two bars earlier moves the plasma's greetings with them.
TEST_F(DemoTest, ThePlasmasGreetingsFollowTheShowFilesSections)
{
    Build();
    auto beats = [this] {
        const std::array<float, 4> value = demo->GetPlasmaWorld()->GetProgram()->GetUniformVector4("greetingsBeats");
        return std::pair<float, float>{value[0], value[1]};
    };
    EXPECT_EQ(beats(), (std::pair<float, float>{272.0f, 336.0f}));
    std::unique_ptr<IFile> file(engine->GetFileSystem()->OpenFile(L"Show.txt"));
    ASSERT_NE(file, nullptr);
    std::string text(reinterpret_cast<const char*>(file->GetData()), static_cast<size_t>(file->GetSize()));
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"section greetings  69:1", "section greetings  67:1"},
          {"section logo       85:1", "section logo       83:1"}})
    {
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    }
    ASSERT_EQ(demo->Reload(text), std::vector<std::string>());
    EXPECT_EQ(beats(), (std::pair<float, float>{264.0f, 328.0f}));
}

// --- the show's own schedule ---

TEST_F(DemoTest, TheScheduleFadesFromBlackToWhiteToPlasmaAndEndsOnTheLogo)
{
    Build();
    IShaderProgram* plasma = demo->GetPlasmaWorld()->GetProgram();
    IShaderProgram* logo = demo->GetAfterWorld()->GetLogoProgram();
    engine->AdvanceTo(26.0);
    EXPECT_EQ(FadeColour(), (std::array<float, 4>{0, 0, 0, 0.5f}));
    EXPECT_EQ(plasma->GetUniformInt("disablePlasma"), 1);

    engine->AdvanceTo(31.0);
    EXPECT_FLOAT_EQ(FadeColour()[3], static_cast<float>(1.0 - 4.0 / 9.7));
    // The fade's end sets its last value, wherever the last frame inside it fell (frames of 1/32 s from 31 s miss
    // 36.7 s).
    engine->AdvanceTo(40.0);
    EXPECT_EQ(FadeColour()[3], 0.0f);

    engine->AdvanceTo(74.2);
    const std::array<float, 4> white = FadeColour();
    EXPECT_EQ(white[0], 1.0f);
    EXPECT_FLOAT_EQ(white[3], static_cast<float>((Now() - 71.8) / 4.8));
    EXPECT_EQ(plasma->GetUniformInt("disablePlasma"), 1);

    engine->AdvanceTo(77.0);
    EXPECT_EQ(plasma->GetUniformInt("disablePlasma"), 0);
    EXPECT_FLOAT_EQ(FadeColour()[3], static_cast<float>(1.0 - (Now() - 76.6) / 1.4));
    EXPECT_EQ(logo->GetUniformFloat("alpha"), 0.0f);

    // No white veil is left over the plasma (frames of 0.07 s from 77 s miss the fade's end at 78 s).
    engine->AdvanceTo(100.0, 0.07);
    EXPECT_EQ(FadeColour(), (std::array<float, 4>{1, 1, 1, 0}));

    engine->AdvanceTo(172.0);
    EXPECT_FLOAT_EQ(logo->GetUniformFloat("alpha"), 0.5f);
    EXPECT_EQ(FadeColour(), (std::array<float, 4>{0, 0, 0, 0.5f}));
    engine->AdvanceTo(190.0, 0.07); // misses 175 s
    EXPECT_EQ(logo->GetUniformFloat("alpha"), 1.0f);
    EXPECT_EQ(FadeColour(), (std::array<float, 4>{0, 0, 0, 1}));
}

TEST_F(DemoTest, TheLandscapeIsOnFromTwentySevenSecondsUntilThePlasma)
{
    Build();
    IWorld* terrain = demo->GetTerrainWorld();
    IWorld* hdr = demo->GetHdrWorld();
    engine->AdvanceTo(26.5);
    EXPECT_FALSE(terrain->IsEnabled());
    EXPECT_FALSE(hdr->IsEnabled());
    engine->AdvanceTo(27.0);
    EXPECT_TRUE(terrain->IsEnabled());
    EXPECT_TRUE(hdr->IsEnabled());
    // The tone map's chain is updated while its picture is shown, and only then.
    EXPECT_TRUE(hdr->IsUpdated());
    engine->AdvanceTo(76.5, 1.0);
    EXPECT_TRUE(terrain->IsEnabled());
    engine->AdvanceTo(76.625);
    EXPECT_FALSE(terrain->IsEnabled());
    EXPECT_FALSE(hdr->IsEnabled());
    EXPECT_FALSE(hdr->IsUpdated());
}

// The landscape and its tone map are drawn once while loading (so that their first frame in the show does not
// stall) and leave nothing behind: both worlds off, the chain not updated, the landscape picture black again
// and no adapted luminance kept.
TEST_F(DemoTest, BuildDrawsTheLandscapeOnceAndLeavesNoTrace)
{
    testing::internal::CaptureStdout();
    demo->Build();
    log = testing::internal::GetCapturedStdout();
    IWorld* terrain = demo->GetTerrainWorld();
    IWorld* hdr = demo->GetHdrWorld();
    EXPECT_FALSE(terrain->IsEnabled());
    EXPECT_FALSE(hdr->IsEnabled());
    EXPECT_FALSE(hdr->IsUpdated());
    EXPECT_TRUE(engine->GetWorlds().at(4)->IsUpdated());

    auto largest = [](ITexture* texture) {
        std::vector<float> texels(static_cast<size_t>(texture->GetWidth()) * texture->GetHeight() * 4);
        texture->Bind(0);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        float most = 0.0f;
        for (const float value : texels)
            most = std::max(most, std::abs(value));
        return most;
    };
    ITexture* picture = terrain->GetRenderTarget()->GetColorTextures()->front();
    EXPECT_EQ(largest(picture), 0.0f);
    // The land under the water was drawn into the first step's target: the landscape was drawn.
    auto* first = dynamic_cast<k_FirstRenderStep*>(terrain->GetRenderables()->front());
    ASSERT_NE(first, nullptr);
    EXPECT_GT(largest(first->GetColour()), 0.0f);
    auto* tone = dynamic_cast<IMeshBuffer*>(hdr->GetRenderables()->front());
    ASSERT_NE(tone, nullptr);
    k_MaterialPass* pass = tone->GetMaterial()->FindPass(hdr);
    ASSERT_NE(pass, nullptr);
    // The adapted luminance the chain's update gave it (1 x 1): no value (red) and not marked valid (green).
    ITexture* adapted = pass->textures[1].texture;
    ASSERT_NE(adapted, nullptr);
    float texel[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    adapted->Bind(0);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texel);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(texel[0], 0.0f);
    EXPECT_EQ(texel[1], 0.0f);
    EXPECT_EQ(engine->graphics.errors.size(), 0u);
}

// --- the frame ---

TEST_F(DemoTest, BeginFrameClearsColourAndDepthToZeroWithClockwiseFronts)
{
    glClearColor(1, 1, 1, 1);
    glClearDepth(1.0);
    glDepthMask(GL_FALSE);
    glClear(GL_COLOR_BUFFER_BIT);
    glFrontFace(GL_CCW);
    demo->BeginFrame();
    GLint front = 0;
    glGetIntegerv(GL_FRONT_FACE, &front);
    EXPECT_EQ(front, GL_CW);
    float depth = 1.0f;
    glReadPixels(10, 10, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 0.0f);
    const std::vector<uint8_t> pixel = k_GlTestContext::ReadPixels(10, 10, 1, 1);
    EXPECT_EQ(pixel[0] + pixel[1] + pixel[2], 0);
    glFrontFace(GL_CCW);
}

// --- seeking ---

namespace
{
// What the schedule decides at one moment: where each caption is and its uniforms, the worlds' switches, the
// overlay's fade and the logo's alpha.
struct ShowState
{
    std::vector<std::string> where;
    std::vector<float> captionValues; // alpha and animPos of each caption that is shown, else 0
    bool landscape = false;
    bool hdr = false;
    std::array<float, 4> fade{};
    int disablePlasma = 0;
    float logoAlpha = 0.0f;
};
} // namespace

class DemoSeekTest : public DemoTest
{
protected:
    ShowState State()
    {
        ShowState state;
        for (int n = 1; n <= 34; ++n)
        {
            const std::string where = WhereIs(n);
            state.where.push_back(where);
            state.captionValues.push_back(where.empty() ? 0.0f : Uniform(n, "alpha"));
            state.captionValues.push_back(where.empty() ? 0.0f : Uniform(n, "animPos"));
        }
        state.landscape = demo->GetTerrainWorld()->IsEnabled();
        state.hdr = demo->GetHdrWorld()->IsEnabled();
        state.fade = FadeColour();
        state.disablePlasma = demo->GetPlasmaWorld()->GetProgram()->GetUniformInt("disablePlasma");
        state.logoAlpha = demo->GetAfterWorld()->GetLogoProgram()->GetUniformFloat("alpha");
        return state;
    }

    // A play's frames leave an interval at their last progress inside it, a seek at 1: the frames here are
    // 1/64 s, the shortest fade of the show's own lasts 1.4 s.
    static void ExpectSame(const ShowState& seek, const ShowState& play, double time)
    {
        constexpr float tolerance = 0.012f;
        EXPECT_EQ(seek.where, play.where) << "at " << time;
        for (size_t i = 0; i < seek.captionValues.size(); ++i)
            EXPECT_NEAR(seek.captionValues[i], play.captionValues[i], tolerance)
                << "at " << time << ", caption " << i / 2 + 1 << (i % 2 ? " animPos" : " alpha");
        EXPECT_EQ(seek.landscape, play.landscape) << "at " << time;
        EXPECT_EQ(seek.hdr, play.hdr) << "at " << time;
        for (size_t i = 0; i < 4; ++i)
            EXPECT_NEAR(seek.fade[i], play.fade[i], tolerance) << "at " << time << ", fade colour " << i;
        EXPECT_EQ(seek.disablePlasma, play.disablePlasma) << "at " << time;
        EXPECT_NEAR(seek.logoAlpha, play.logoAlpha, tolerance) << "at " << time;
    }

    // The mean absolute difference of two RGBA frames over their colour channels, in 1/255.
    static double MeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
    {
        double sum = 0.0;
        for (size_t i = 0; i < a.size(); ++i)
            if (i % 4 != 3)
                sum += std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
        return sum / static_cast<double>(a.size() / 4 * 3);
    }

    // Draws one frame of the given step, as the main loop does, and reads it back.
    std::vector<uint8_t> DrawFrame(double step)
    {
        demo->BeginFrame();
        engine->Update(step);
        return k_GlTestContext::ReadPixels(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
    }
};

// Seeking to a time, forward or back, in a fade, a slide or a hand-over, gives what a play from the start to that
// time gives; a seek back first puts every caption, switch and fade back as before the first frame.
TEST_F(DemoSeekTest, SeekingForwardOrBackGivesTheStateOfAPlayFromTheStart)
{
    Build();
    const ShowState before = State();
    const double times[] = {1.5, 5, 8.5, 20, 29.3, 40, 43.5, 55, 73, 74, 77, 100, 139, 142.45, 150, 172, 190};
    std::vector<ShowState> played;
    for (double time : times)
    {
        engine->AdvanceTo(time, 1.0 / 64.0);
        played.push_back(State());
    }
    engine->Seek(-1.0); // before the first frame's events at 0
    ExpectSame(State(), before, -1.0);
    const size_t order[] = {16, 0, 12, 5, 15, 3, 9, 1, 13, 8, 2, 11, 4, 14, 6, 10, 7, 16, 13};
    for (size_t i : order)
    {
        engine->Seek(times[i]);
        EXPECT_DOUBLE_EQ(Now(), times[i]);
        ExpectSame(State(), played[i], times[i]);
    }
    // And the show plays on from a time sought to.
    engine->Seek(26.5);
    engine->AdvanceTo(27.5);
    EXPECT_TRUE(demo->GetTerrainWorld()->IsEnabled());
    EXPECT_FLOAT_EQ(FadeColour()[3], static_cast<float>(1.0 - 0.5 / 9.7));
}

// A minimised window restored after a fade (or any stall longer than a fade) comes back in one long frame: the
// picture shows the fade's end, as if every frame had been drawn. The picture after each long frame is compared
// with the same picture drawn once the fade's end state is set by hand. Frames of no time after the long one
// let the luminance adaptation, which reads the frame before, settle; they move nothing else.
TEST_F(DemoSeekTest, ALongFrameAcrossAFadeShowsTheFadesEnd)
{
    demo->Build();
    engine->Seek(26.9);
    DrawFrame(10.0); // 26.9 -> 36.9, across the fade from black
    DrawFrame(0.0);
    const std::vector<uint8_t> landscape = DrawFrame(0.0);
    const float clear[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    demo->GetPlasmaWorld()->GetProgram()->SetUniformVector("fadeColor", clear, 4);
    const std::vector<uint8_t> expected = DrawFrame(0.0);
    EXPECT_LT(MeanDifference(landscape, expected), 2.0);
    EXPECT_GT(MeanDifference(expected, std::vector<uint8_t>(expected.size(), 0)), 40.0) << "the landscape shows";

    engine->Seek(168.9);
    DrawFrame(1.0 / 30.0);
    DrawFrame(6.2); // -> 175.1, across the logo's fade and the fade to black
    const std::vector<uint8_t> logo = DrawFrame(0.0);
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    demo->GetPlasmaWorld()->GetProgram()->SetUniformVector("fadeColor", black, 4);
    demo->GetAfterWorld()->GetLogoProgram()->SetUniformFloat("alpha", 1.0f);
    const std::vector<uint8_t> logoExpected = DrawFrame(0.0);
    EXPECT_LT(MeanDifference(logo, logoExpected), 2.0);
    size_t dark = 0;
    for (size_t i = 0; i < logoExpected.size(); i += 4)
        dark += logoExpected[i] < 8 && logoExpected[i + 1] < 8 && logoExpected[i + 2] < 8;
    EXPECT_GT(dark, logoExpected.size() / 4 / 2) << "the picture is black but for the logo and the caption";
}

// --- sync tracks ---

// The show asks for its tracks as it builds; a keyed track takes over its value in the picture (the exposure, the
// camera, the fade colour, the plasma's palette) and a track whose keys are gone gives the show back as it was.
TEST_F(DemoSeekTest, KeyedSyncTracksTakeOverAndUnkeyedOnesLeaveThePictureAlone)
{
    demo->Build();
    ISyncTracks* tracks = engine->GetSyncTracks();
    for (const char* name : {"show:beat", "camera:x", "camera:look_z", "hdr:exposure", "fade:a", "plasma:speed",
                             "plasma:turn", "plasma:heat", "drift:strength"})
        EXPECT_GE(tracks->FindTrack(name), 0) << name;

    const auto keyed = [&](const char* name, float value, const std::function<void()>& check) {
        const int track = tracks->FindTrack(name);
        tracks->SetKey(track, {0, value, ISyncTracks::Step});
        check();
        tracks->ClearKeys(track);
    };
    engine->Seek(40.0);
    DrawFrame(1.0 / 30.0);
    const std::vector<uint8_t> landscape = DrawFrame(0.0);
    EXPECT_GT(MeanDifference(landscape, std::vector<uint8_t>(landscape.size(), 0)), 40.0) << "the landscape shows";
    keyed("hdr:exposure", 0.2f, [&] { EXPECT_GT(MeanDifference(DrawFrame(0.0), landscape), 20.0) << "exposure"; });
    keyed("camera:y", 40.0f, [&] { EXPECT_GT(MeanDifference(DrawFrame(0.0), landscape), 10.0) << "camera"; });
    keyed("fade:a", 1.0f, [&] {
        tracks->SetKey(tracks->FindTrack("fade:r"), {0, 1.0f, ISyncTracks::Step});
        const std::vector<uint8_t> red = DrawFrame(0.0);
        EXPECT_EQ(red[0], 255);
        EXPECT_EQ(red[1], 0);
        EXPECT_EQ(red[2], 0);
        tracks->ClearKeys(tracks->FindTrack("fade:r"));
    });
    EXPECT_EQ(FadeColour()[3], 0.0f) << "the show's own fade colour stays in the program";
    EXPECT_LT(MeanDifference(DrawFrame(0.0), landscape), 0.5) << "the show as it was";

    engine->Seek(150.0);
    const std::vector<uint8_t> plasma = DrawFrame(1.0 / 30.0);
    engine->Seek(150.0);
    keyed("plasma:turn", 0.5f, [&] { EXPECT_GT(MeanDifference(DrawFrame(1.0 / 30.0), plasma), 10.0) << "turn"; });
    engine->Seek(150.0);
    keyed("plasma:speed", 3.0f, [&] { EXPECT_GT(MeanDifference(DrawFrame(1.0 / 30.0), plasma), 10.0) << "speed"; });
    engine->Seek(150.0);
    EXPECT_EQ(MeanDifference(DrawFrame(1.0 / 30.0), plasma), 0.0) << "the plasma as it was";
}

// The keys come from the track files of the pack; a damaged one stops the show saying which and what is wrong.
TEST_F(DemoTest, SyncTrackFilesInThePackGiveTheirTracksKeys)
{
    k_SyncTracks keys;
    const int written = keys.GetTrack("hdr:exposure");
    keys.SetKey(written, {16, 0.5f, ISyncTracks::Linear});
    keys.SetKey(written, {32, 2.0f, ISyncTracks::Step});
    engine->files.overrides[L"Sync/show_hdr-3Aexposure.track"] = keys.Encode(written);
    Build();
    ISyncTracks* tracks = engine->GetSyncTracks();
    const int track = tracks->FindTrack("hdr:exposure");
    ASSERT_EQ(tracks->GetKeys(track).size(), 2u);
    EXPECT_DOUBLE_EQ(*tracks->GetValue(track, tracks->GetTimeOfRow(24.0)), 1.25);
    EXPECT_FALSE(tracks->GetValue(tracks->FindTrack("camera:x"), 10.0).has_value()) << "no file, no keys";
    // Read again after the file was deleted (the studio's reload), the track has no keys.
    engine->files.overrides[L"Sync/show_hdr-3Aexposure.track"] = std::nullopt;
    EXPECT_TRUE(k_Demo::ReadTrackFiles(engine.get()).empty());
    EXPECT_TRUE(tracks->GetKeys(track).empty());

    engine->files.overrides[L"Sync/show_camera-3Ax.track"] = std::string("\x02\0\0\0", 4);
    EXPECT_EQ(BuildError(*engine),
              "k_Show: A sync track file is damaged:\nSync/show_camera-3Ax.track: the file holds 4 "
              "bytes where 2 keys take 22");
}
