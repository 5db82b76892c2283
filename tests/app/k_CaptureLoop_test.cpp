#include "app/k_CaptureLoop.h"
#include "demo/k_Demo.h"
#include "engine/k_WarmUp.h"
#include "support/k_RecordingShell.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>

namespace
{
// The options of a command line for starwane's show (its warm-up) or a show of the given warm-up.
k_CaptureOptions Options(std::vector<std::string> arguments, double warmUp = k_Demo::WarmUpSeconds)
{
    k_CaptureOptions options;
    options.warmUp = warmUp;
    EXPECT_EQ(options.Parse(arguments), "");
    EXPECT_EQ(options.EndAtShow(200.0), ""); // starwane's length
    return options;
}

std::vector<int64_t> Indices(const k_CaptureLoop& loop)
{
    std::vector<int64_t> indices;
    for (const k_CaptureLoop::Frame& frame : loop.Written())
        indices.push_back(frame.index);
    return indices;
}
} // namespace

// The steps the engine sees: 1e-05 s first, then exactly 1 / fps every frame; frame 0 comes without
// BeginFrame as the show's own first frame does; frames are handed out before the swap.
TEST(CaptureLoop, FixedStepsFromTheFirstFrame)
{
    k_Trace trace;
    k_RecordingEngine engine(trace);
    k_RecordingWindow window(trace);
    k_RecordingDemo demo(&engine, trace);
    const k_CaptureLoop loop(Options({"--out", "f", "--fps", "4", "--from", "0.5", "--to", "1"}));
    ASSERT_EQ(loop.LastFrame(), 3);

    std::vector<double> steps;
    k_CaptureLoop::Hooks hooks;
    hooks.drawn = [&](int64_t index, const k_CaptureLoop::Frame* frame) {
        trace.push_back("drawn " + std::to_string(index) + (frame ? " write" : ""));
    };
    loop.Run(&engine, &window, &demo, hooks);
    const k_Trace expected = {"update 0.000010", "drawn 0",         "present",                   // frame 0
                              "begin",           "update 0.250000", "drawn 1",       "present",  // 0.25 s
                              "begin",           "update 0.250000", "drawn 2 write", "present",  // 0.5 s
                              "begin",           "update 0.250000", "drawn 3 write", "present"}; // 0.75 s
    EXPECT_EQ(trace, expected);
    trace.clear();
}

// Which frames are written and under which names.
TEST(CaptureLoop, ChoosesTheFramesAndTheirNames)
{
    // --at 1.0 at 30 fps: frame 30 (1.00001 s) is the first to reach it; frame 29 is 0.96668 s.
    const k_CaptureLoop at(Options({"--out", "f", "--at", "1,5,5.000004,5.001"}));
    ASSERT_EQ(at.Written().size(), 3u);
    EXPECT_EQ(Indices(at), (std::vector<int64_t>{30, 150, 151}));
    EXPECT_DOUBLE_EQ(at.TimeOf(30), 0.00001 + 1.0);
    EXPECT_EQ(at.Written()[1].nameTimes, (std::vector<double>{5.0})) << "5.000004 is the same frame and file as 5";
    EXPECT_EQ(at.NameClash(), "");
    // 5.0004 names the same file as 5 but reaches the next frame: its picture would replace that of 5.
    k_CaptureOptions clash;
    clash.outDirectory = "f";
    clash.at = {5.0, 5.0004};
    EXPECT_NE(k_CaptureLoop(clash).NameClash().find("5 and 5.0004 are different frames"), std::string::npos);
    EXPECT_EQ(at.LastFrame(), 151) << "nothing is drawn after the last frame asked for";
    EXPECT_EQ(k_CaptureLoop::FileName(5.0), "frame_005.000.png");
    EXPECT_EQ(k_CaptureLoop::FileName(at.TimeOf(30)), "frame_001.000.png");
    EXPECT_EQ(k_CaptureLoop::FileName(123.4567), "frame_123.457.png");

    // Two times that reach the same frame under different names: one frame, two files.
    const k_CaptureLoop same(Options({"--out", "f", "--at", "2.001,2.02"}));
    ASSERT_EQ(same.Written().size(), 1u);
    EXPECT_EQ(same.Written()[0].index, 61);
    EXPECT_EQ(same.Written()[0].nameTimes.size(), 2u);

    // The whole show at 30 fps: frames 0 to 5999 (frame 6000 is 200.00001 s, past the end).
    const k_CaptureLoop whole(Options({"--video", "v.mp4"}));
    EXPECT_EQ(whole.FirstInRange(), 0);
    EXPECT_EQ(whole.LastInRange(), 5999);
    EXPECT_EQ(whole.Written().size(), 6000u);

    // --every counts from the range's first frame.
    const k_CaptureLoop every(Options({"--out", "f", "--fps", "10", "--from", "1", "--to", "2", "--every", "3"}));
    EXPECT_EQ(Indices(every), (std::vector<int64_t>{10, 13, 16, 19}));

    // --bench writes nothing and draws the range.
    const k_CaptureLoop bench(Options({"--bench", "--from", "3", "--to", "4"}));
    EXPECT_TRUE(bench.Written().empty());
    EXPECT_EQ(bench.FirstInRange(), 90);
    EXPECT_EQ(bench.LastFrame(), 119);
}

// Closing the window or pressing Escape stops the capture as an error, after the waiting messages.
TEST(CaptureLoop, AQuitFromTheWindowStopsTheRun)
{
    k_Trace trace;
    k_RecordingEngine engine(trace);
    k_RecordingWindow window(trace);
    k_RecordingDemo demo(&engine, trace);
    const k_CaptureLoop loop(Options({"--out", "f", "--to", "10"}));
    int peeks = 0;
    k_CaptureLoop::Hooks hooks;
    hooks.peek = [&] {
        ++peeks;
        if (peeks == 1)
            return k_MessagePump::Peeked::None;
        return peeks == 2 ? k_MessagePump::Peeked::Dispatched : k_MessagePump::Peeked::Quit;
    };
    EXPECT_THROW(loop.Run(&engine, &window, &demo, hooks), const wchar_t*);
    EXPECT_EQ(trace, (k_Trace{"update 0.000010", "present"}));
}

namespace
{
std::vector<std::pair<int64_t, int64_t>> Spans(const k_CaptureLoop& loop)
{
    std::vector<std::pair<int64_t, int64_t>> spans;
    for (const k_CaptureLoop::Span& span : loop.Spans())
        spans.emplace_back(span.first, span.last);
    return spans;
}
using SpanList = std::vector<std::pair<int64_t, int64_t>>;
} // namespace

// What is drawn: a warm-up before each frame or range written, spans joined where their warm-ups would meet;
// every frame from 0 with --from-start, --bench, or where the warm-up reaches back to 0.
TEST(CaptureLoop, DrawsAWarmUpBeforeWhatItWritesAndEverythingWithFromStart)
{
    const auto warm = static_cast<int64_t>(std::ceil(k_Demo::WarmUpSeconds * 10.0)); // frames at 10 fps
    ASSERT_GE(warm, 10);
    ASSERT_LT(warm, 50) << "the times below assume a warm-up shorter than 5 s";
    const k_CaptureLoop at(Options({"--out", "f", "--fps", "10", "--at", "100,101,150"}));
    EXPECT_EQ(Indices(at), (std::vector<int64_t>{1000, 1010, 1500}));
    EXPECT_EQ(Spans(at), (SpanList{{1000 - warm, 1010}, {1500 - warm, 1500}}));
    EXPECT_EQ(at.DrawnCount(), warm + 11 + warm + 1);

    EXPECT_EQ(Spans(k_CaptureLoop(Options({"--out", "f", "--fps", "10", "--at", "100", "--from-start"}))),
              (SpanList{{0, 1000}}));
    EXPECT_EQ(Spans(k_CaptureLoop(Options({"--out", "f", "--fps", "10", "--at", "0.5"}))), (SpanList{{0, 5}}));
    EXPECT_EQ(Spans(k_CaptureLoop(Options({"--video", "v.mp4", "--fps", "10", "--from", "100", "--to", "101"}))),
              (SpanList{{1000 - warm, 1009}}))
        << "--to 101 ends on frame 1009 (100.90001 s)";
    EXPECT_EQ(Spans(k_CaptureLoop(Options({"--bench", "--fps", "10", "--from", "100", "--to", "101"}))),
              (SpanList{{0, 1009}}));
}

// A show whose worlds have no history states no warm-up: each frame written is sought to and drawn alone.
TEST(CaptureLoop, AShowWithoutWarmUpSeeksStraightToEachFrame)
{
    const k_CaptureLoop at(Options({"--out", "f", "--fps", "10", "--at", "3,7,7.05"}, 0.0));
    EXPECT_EQ(Indices(at), (std::vector<int64_t>{30, 70, 71}));
    EXPECT_EQ(Spans(at), (SpanList{{30, 30}, {70, 71}}));
    EXPECT_EQ(at.DrawnCount(), 3);
    EXPECT_EQ(Spans(k_CaptureLoop(Options({"--video", "v.mp4", "--fps", "10", "--from", "100", "--to", "101"}, 0.0))),
              (SpanList{{1000, 1009}}));
}

// A span that does not start at frame 0 seeks the engine to the frame before it, so its first step lands on
// its own frame's time; the frames before the one written are warm-up frames, the written one is drawn whole.
TEST(CaptureLoop, ASpanAfterTheStartSeeksToTheFrameBeforeIt)
{
    k_Trace trace;
    k_RecordingEngine engine(trace);
    k_RecordingRenderer renderer(trace);
    engine.renderer = &renderer;
    k_RecordingWindow window(trace);
    k_RecordingDemo demo(&engine, trace);
    const k_CaptureLoop loop(Options({"--out", "f", "--fps", "4", "--at", "9"}));
    const auto first = 36 - static_cast<int64_t>(std::ceil(k_Demo::WarmUpSeconds * 4.0));
    ASSERT_EQ(Spans(loop), (SpanList{{first, 36}}));
    k_CaptureLoop::Hooks hooks;
    hooks.drawn = [&](int64_t index, const k_CaptureLoop::Frame* frame) {
        trace.push_back("drawn " + std::to_string(index) + (frame ? " write" : ""));
    };
    loop.Run(&engine, &window, &demo, hooks);
    ASSERT_GE(trace.size(), 5u);
    EXPECT_EQ(trace[0], "seek " + std::to_string(loop.TimeOf(first - 1)));
    EXPECT_EQ((k_Trace(trace.begin() + 1, trace.begin() + 5)),
              (k_Trace{"begin", "warm-up 0.250000 targets", "drawn " + std::to_string(first), "present"}));
    EXPECT_EQ((k_Trace(trace.end() - 4, trace.end())),
              (k_Trace{"begin", "update 0.250000", "drawn 36 write", "present"}));
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "present"), 36 - first + 1);
    // The targets' worlds are drawn in the first warm-up frame, the one reaching 1 s before 9 s (8.00001 s)
    // and the last (8.75001 s, which also reaches 0.4 s before).
    ASSERT_EQ(k_WarmUp::Marks, (std::array<double, 2>{1.0, 0.4}));
    const long redraws = 3;
    const auto at = [&](double time) {
        const std::string drawn = "drawn " + std::to_string(static_cast<int64_t>(std::llround(time * 4.0)));
        const auto place = std::find(trace.begin(), trace.end(), drawn);
        return place == trace.begin() ? std::string() : *(place - 1);
    };
    EXPECT_EQ(at(8.0), "warm-up 0.250000 targets");
    EXPECT_EQ(at(8.75), "warm-up 0.250000 targets") << "the last warm-up frame";
    EXPECT_EQ(at(8.5), "warm-up 0.250000");
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "warm-up 0.250000 targets"), redraws);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "warm-up 0.250000"), 36 - first - redraws);
}
