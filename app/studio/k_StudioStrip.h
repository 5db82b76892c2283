#pragma once
// The studio's timeline strip, drawn with the immediate-mode GUI along the
// bottom of the window: the show file's sections as coloured bands with their
// names, the world switches and fades, every caption as a bar on its own row
// (fade parts shaded), the tune's waveform with the tempo map's bar and beat
// grid, the instants, the loop range and the cursor. A click jumps, a drag
// scrubs, the wheel zooms about the pointer, hovering an entry tells it.
#include "app/studio/k_StudioTimelineView.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class k_ShowFile;

class k_StudioStrip
{
public:
    // What the strip shows besides the show file.
    struct Marks
    {
        double time = 0.0;
        bool looping = false;
        double loopFrom = 0.0;
        double loopTo = 0.0;
    };
    // The waveform's picture (a GL texture name; 0: none yet) and the seconds of tune it spans.
    struct Wave
    {
        unsigned int texture = 0;
        double seconds = 0.0;
        // The same picture in fewer columns, shown while the whole tune spans fewer than twice as many pixels.
        unsigned int narrow = 0;
        int narrowColumns = 0;
    };

    // Rows of captions shown at most (more overlapping ones share the last row).
    static constexpr int MaxCaptionRows = 8;
    // The most of the display's height the strip covers.
    static constexpr float MaxShare = 0.4f;

    // How the strip fits a display: its rows of captions, the scale of every row and its height in pixels.
    struct Layout
    {
        int captionRows = 1;
        float scale = 1.0f;
        float height = 0.0f;
    };
    // The strip's layout for captions overlapping in so many rows on a display of the height given.
    static Layout Fit(int captionRows, float displayHeight);

    // Draws the strip across the bottom of the display in the GUI frame under way and serves the pointer.
    // Returns the time to jump to when a click or a drag asks for one.
    std::optional<double> Draw(const k_ShowFile& show, const Marks& marks, const Wave& wave);
    // Whether the pointer holds the cursor (a drag under way).
    bool IsScrubbing() const { return m_scrubbing; }
    // Ends a drag under way: the strip is not drawn (hidden, or no room), so the pointer holds nothing.
    void LetGo()
    {
        m_scrubbing = false;
        m_asked = -1.0;
    }
    const k_StudioTimelineView& GetView() const { return m_view; }
    // Height in pixels of the strip as last drawn (it has a row for each row of overlapping captions, as far as
    // the display has room; 0 when it had none).
    float GetHeight() const { return m_height; }

private:
    k_StudioTimelineView m_view;
    bool m_scrubbing = false;
    // The last time asked for while scrubbing: the pointer standing still asks for nothing more.
    double m_asked = -1.0;
    float m_height = 0.0f;
};
