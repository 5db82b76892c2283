#pragma once
// The capture's own main loop: drives demo time in fixed steps instead of the
// clock. Frame 0 takes the entry point's first step of 0.00001 s, every later
// frame exactly 1 / fps, so frame n shows demo time 0.00001 + n / fps on any
// machine, whatever a frame costs. The frames drawn come in spans: each span
// starts the show's warm-up (options.warmUp) before the first frame it writes,
// where the engine seeks to, so that the show's feedback and adaptation reach
// their look (a show without either seeks straight to the frame); a span that
// would start near 0 starts at frame 0 without a seek,
// and --from-start or --bench draw every frame from 0. The frames the options
// ask for are handed out after drawing, before the buffers are swapped.
#include "app/k_CaptureOptions.h"
#include "platform/k_MessagePump.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class IEngine;
class IWindow;
class IShow;

class k_CaptureLoop
{
public:
    static constexpr double FirstStep = 0.00001;

    // A frame to write, with the demo times its files are named after (requested by --at, else its own;
    // several --at times may reach the same frame).
    struct Frame
    {
        int64_t index = 0;
        std::vector<double> nameTimes;
    };
    struct Hooks
    {
        // After the frame is drawn, before the swap; frame is null when the frame is not written.
        std::function<void(int64_t index, const Frame* frame)> drawn;
        // After the swap.
        std::function<void(int64_t index)> presented;
        // The window's message source; null serves none.
        std::function<k_MessagePump::Peeked()> peek;
    };

    explicit k_CaptureLoop(const k_CaptureOptions& options);

    // The demo time frame n shows.
    double TimeOf(int64_t index) const;
    // The first and last frame inside --from .. --to.
    int64_t FirstInRange() const { return m_firstInRange; }
    int64_t LastInRange() const { return m_lastInRange; }
    // The last frame that has to be drawn.
    int64_t LastFrame() const { return m_lastFrame; }
    // The spans of frames drawn, each from its first to its last frame, in order.
    struct Span
    {
        int64_t first = 0;
        int64_t last = 0;
    };
    const std::vector<Span>& Spans() const { return m_spans; }
    // How many frames the spans draw.
    int64_t DrawnCount() const;
    // The frames to write, in order (none for --bench).
    const std::vector<Frame>& Written() const { return m_written; }
    // When two --at times name the same file but reach different frames (the second would overwrite the
    // first): what to tell the user; else empty.
    const std::string& NameClash() const { return m_nameClash; }
    // "frame_005.000.png" for 5 s.
    static std::string FileName(double time);

    // Draws the spans' frames, seeking the engine before each span that does not start at frame 0. A quit
    // request from the window (closed, Escape) stops the capture with an error.
    void Run(IEngine* engine, IWindow* window, IShow* demo, const Hooks& hooks) const;

private:
    // Draws frame index (peeking the window's messages first) and hands it out when it is to be written;
    // span is the span it belongs to; next is the place of the next frame to write.
    void DrawFrame(IEngine* engine, IWindow* window, IShow* demo, const Hooks& hooks, int64_t index, const Span& span,
                   size_t& next) const;
    // The first frame whose demo time reaches the time.
    int64_t FirstReaching(double time) const;

    double m_step;
    int64_t m_firstInRange = 0;
    int64_t m_lastInRange = 0;
    int64_t m_lastFrame = 0;
    std::vector<Frame> m_written;
    std::string m_nameClash;
    std::vector<Span> m_spans;
};
