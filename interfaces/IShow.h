#pragma once
// A show as the program's shell sees it: built once behind the loading bar, then drawn frame after frame by
// the engine, each frame opened by the show. The shell (setup dialog, window, music, main loop, capture)
// makes the show through its program's description and knows nothing else of it.
#include <vector>

class IShow
{
public:
    virtual ~IShow() = default;

    // Reads the show's timeline and builds its worlds, captions and schedule, advancing and presenting the
    // loading bar. What cannot be made ends it with a wide message naming it.
    virtual void Build() = 0;
    // Prepares the framebuffer for the next frame, before the engine's update draws the worlds.
    virtual void BeginFrame() = 0;
    // Where the show's sections start, in order, then where the last one ends (before Build: an empty show, 0).
    virtual std::vector<double> GetSectionBounds() const = 0;
};
