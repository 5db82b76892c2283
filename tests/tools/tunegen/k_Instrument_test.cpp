#include "tools/tunegen/k_BassSynth.h"
#include "tools/tunegen/k_BellSynth.h"
#include "tools/tunegen/k_DrumKit.h"
#include "tools/tunegen/k_FxSynth.h"
#include "tools/tunegen/k_LeadSynth.h"
#include "tools/tunegen/k_PadSynth.h"
#include "tools/tunegen/k_PluckSynth.h"
#include "tools/tunegen/k_StereoBuffer.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace
{
struct Case
{
    std::string name;
    std::shared_ptr<k_Instrument> instrument;
    float pitch;
    double length;
};
} // namespace

// Every instrument's note starts from silence, stays inside full scale, dies away within its declared tail and
// sounds the same wherever the rendered stretch begins (a stretch starting mid-note gets the same samples).
TEST(k_Instrument, NotesStartAndEndWithoutClicksWithinTheirTail)
{
    const std::vector<Case> cases = {
        {"pad", std::make_shared<k_PadSynth>(0.9f, 1.6f), 62.0f, 1.0},
        {"lead", std::make_shared<k_LeadSynth>(), 74.0f, 0.5},
        {"bass", std::make_shared<k_BassSynth>(), 38.0f, 0.1},
        {"pluck", std::make_shared<k_PluckSynth>(0.16f), 86.0f, 0.1},
        {"bell", std::make_shared<k_BellSynth>(), 88.0f, 0.5},
        {"kick", std::make_shared<k_DrumKit>(), k_DrumKit::k_Kick, 0.3},
        {"snare", std::make_shared<k_DrumKit>(), k_DrumKit::k_Snare, 0.2},
        {"clap", std::make_shared<k_DrumKit>(), k_DrumKit::k_Clap, 0.2},
        {"open hat", std::make_shared<k_DrumKit>(), k_DrumKit::k_OpenHat, 0.2},
        {"crash", std::make_shared<k_DrumKit>(), k_DrumKit::k_Crash, 2.0},
        {"tick", std::make_shared<k_DrumKit>(), k_DrumKit::k_Tick, 0.05},
        {"riser", std::make_shared<k_FxSynth>(), k_FxSynth::k_Riser, 2.0},
        {"impact", std::make_shared<k_FxSynth>(), k_FxSynth::k_Impact, 1.0},
        {"swell", std::make_shared<k_FxSynth>(), k_FxSynth::k_Swell, 2.0},
    };
    for (const Case& c : cases)
    {
        const double start = 0.1;
        const double end = start + c.length + c.instrument->Tail();
        k_StereoBuffer whole(static_cast<std::size_t>((end + 0.2) * 44100));
        const k_Note note{start, c.length, c.pitch, 1.0f, 0.8f};
        c.instrument->Render(note, whole, 0.0, 7);

        const std::size_t first = static_cast<std::size_t>(start * 44100);
        float peak = 0.0f;
        std::size_t lastSound = 0;
        for (std::size_t i = 0; i < whole.Frames(); ++i)
        {
            const float v = std::max(std::fabs(whole.Left()[i]), std::fabs(whole.Right()[i]));
            if (i < first)
            {
                ASSERT_EQ(v, 0.0f) << c.name << " sounds before its start";
            }
            peak = std::max(peak, v);
            if (v > 0.0f)
                lastSound = i;
        }
        EXPECT_GT(peak, 0.01f) << c.name << " is silent";
        EXPECT_LT(peak, 1.0f) << c.name;
        EXPECT_LT(std::fabs(whole.Left()[first]) + std::fabs(whole.Right()[first]), 0.02f * peak + 1e-4f)
            << c.name << " starts with a step";
        EXPECT_LT(static_cast<double>(lastSound) / 44100.0, end) << c.name << " outlives its tail";
        for (std::size_t i = lastSound > 8 ? lastSound - 8 : 0; i <= lastSound; ++i)
            EXPECT_LT(std::fabs(whole.Left()[i]), 0.02f * peak + 1e-4f) << c.name << " stops with a step at " << i;

        // The same note rendered into a stretch that begins half-way through it.
        const double origin = start + c.length * 0.5;
        k_StereoBuffer part(static_cast<std::size_t>(0.1 * 44100));
        c.instrument->Render(note, part, origin, 7);
        const std::size_t offset = static_cast<std::size_t>(std::llround(origin * 44100));
        for (std::size_t i = 0; i < part.Frames(); ++i)
            ASSERT_EQ(part.Left()[i], whole.Left()[offset + i]) << c.name << " frame " << i;
    }
}
