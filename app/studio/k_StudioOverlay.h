#pragma once
// The studio's overlay, drawn with the immediate-mode GUI over the show's
// picture after each frame and before the swap: the timeline strip (Tab), the
// errors of failed reloads, the status figures in a corner, the keys and
// mouse actions (F1) and a view of the show's render targets (F2 cycles).
// The picture F12 saves is read before the overlay is drawn. While the show
// is paused the overlay keeps a copy of the show's picture, so that it can
// draw itself anew without drawing the show again.
#include "app/studio/k_StudioCosts.h"
#include "app/studio/k_StudioErrorBoard.h"
#include "app/studio/k_StudioStatus.h"
#include "app/studio/k_StudioStrip.h"
#include "app/studio/k_StudioWaveform.h"

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class IEngine;
class IWindow;
class k_OverlayInput;
class k_ShowFile;
struct ImGuiContext;

class k_StudioOverlay
{
public:
    // What the overlay shows of the studio's state.
    struct State
    {
        k_StudioStatus::State status;
        const k_ShowFile* show = nullptr;
    };
    // The keys of its own, as the window gives them (scancode + 0x10000).
    static constexpr uint32_t KeyTab = 0x10000u + 43u;
    static constexpr uint32_t KeyF1 = 0x10000u + 58u;
    static constexpr uint32_t KeyF2 = 0x10000u + 59u;
    // Rows and columns of the waveform's picture.
    static constexpr int WaveColumns = 8192;
    static constexpr int WaveRows = 48;
    // Columns of the narrow waveform the strip shows when zoomed out.
    static constexpr int NarrowWaveColumns = 1024;

    // Starts the GUI on the window's GL context; IsStarted says whether it could.
    k_StudioOverlay(IEngine* engine, IWindow* window);
    ~k_StudioOverlay();
    k_StudioOverlay(const k_StudioOverlay&) = delete;
    k_StudioOverlay& operator=(const k_StudioOverlay&) = delete;

    bool IsStarted() const { return m_context != nullptr; }
    // The tune decoded on a thread of its own; its waveform shows once it is ready.
    void DecodeTune(std::function<k_StudioWaveform::Sound()> decode);
    // Times its frames with the GPU's work (waiting for it before and after), for the median said at the end.
    void MeasureCost() { m_measure = true; }

    // Tab, F1 and F2 (Shift+F2 backwards): true when the key was one of these (a held key's repeats are taken
    // and do nothing).
    bool OnKey(uint32_t code, bool shift, bool repeat);
    // A reload of the files ended with these messages (none: it succeeded).
    void Reloaded(const std::vector<std::string>& files, const std::vector<std::string>& messages);
    // Notices that are not reload errors (the sync editor's save kept keyed files), shown with the errors
    // until the next call replaces them (none: cleared).
    void Notify(std::vector<std::string> notices);

    // After the show's frame is drawn on the back buffer: draws the overlay over it, keeping a copy of the
    // show's picture first when paused.
    void DrawOver(const State& state);
    // Draws the overlay anew over the kept copy of the show's picture (the caller presents it) and answers
    // the input; without a picture kept (paused in play) it answers the input only and returns false.
    bool Redraw(const State& state);
    // After the picture with the overlay was presented: logs what the panels show that changed.
    void Shown();
    // Whether input came (pointer, keys, the window) or what it shows changed since the overlay's last frame.
    bool HasInput() const;
    // Whether the pointer drags the strip's cursor.
    bool IsScrubbing() const { return m_strip.IsScrubbing(); }
    // The time a click or a drag on the strip asked for since the last call, if any.
    std::optional<double> TakeJump();

    bool IsStripShown() const { return m_stripShown; }
    // Bytes of the textures the overlay made: the waveform's and the font atlas.
    size_t GetWaveBytes() const { return m_waveBytes; }
    size_t GetFontBytes() const { return m_fontBytes; }

private:
    // One of the show's render targets the view can show.
    struct Target
    {
        std::string name;
        unsigned int texture = 0;
        int width = 0;
        int height = 0;
    };

    // One frame of the GUI on the input; drawn on the back buffer or not.
    void Frame(const State& state, bool draw);
    // The windows of one frame of the GUI.
    void Build(const State& state);
    bool KeepPicture(bool restore);
    // A texture of the waveform's picture (the engine's binding and row alignment left as they were).
    static unsigned int UploadWave(const k_StudioWaveform& waveform);
    void MakeWaveTexture();
    std::vector<Target> Targets() const;
    void DrawStatus(const State& state);
    void DrawErrors();
    void DrawHelp();
    void DrawTarget();
    // Notes what a panel shows; when it changed, it is logged once presented (Shown): the overlay's own record
    // of the text it drew.
    void Record(const std::string& what, const std::vector<std::string>& lines);

    IEngine* m_engine;
    IWindow* m_window;
    ImGuiContext* m_context = nullptr;
    std::unique_ptr<k_OverlayInput> m_input;
    uint64_t m_seenEvents = 0;
    bool m_keyed = false;
    bool m_stripShown = true;
    bool m_helpShown = false;
    // The render target shown: -1 none, else its place in Targets().
    int m_target = -1;
    k_StudioStrip m_strip;
    k_StudioErrorBoard m_errors;
    std::vector<std::string> m_notices;
    std::optional<double> m_jump;
    // The copy of the show's picture.
    unsigned int m_copyFramebuffer = 0;
    unsigned int m_copyTexture = 0;
    int m_copyWidth = 0;
    int m_copyHeight = 0;
    // Whether the copy holds the picture on screen.
    bool m_kept = false;
    // The waveform: being decoded, then its texture.
    std::future<k_StudioWaveform> m_waveform;
    unsigned int m_waveTexture = 0;
    unsigned int m_narrowWaveTexture = 0;
    int m_narrowWaveColumns = 0;
    double m_waveSeconds = 0.0;
    size_t m_waveBytes = 0;
    size_t m_fontBytes = 0;
    // What each panel showed last, as recorded.
    std::vector<std::pair<std::string, std::vector<std::string>>> m_recorded;
    std::vector<std::string> m_unlogged;
    bool m_measure = false;
    // The overlay's frames' costs, and those of keeping the paused picture, over the last frames.
    k_StudioCosts m_costs;
    k_StudioCosts m_copyCosts;
};
