#pragma once
// The frames a seek draws before the time it shows (its warm-up), which nobody sees: they rebuild the
// frame-to-frame state a play from the start would have there (the drift's feedback, the light adaption).
// Worlds with such state are drawn in every warm-up frame. Worlds that only draw what such state reads (the
// landscape whose light the adaption measures) are slow and are drawn in fewer of them: the state fades
// exponentially, so what they drew long before the time shown counts for little, and in between the state
// reads the picture they drew last.
#include <array>

class k_WarmUp
{
public:
    // Seconds before the time shown at which those worlds are drawn again, besides a warm-up's first frame
    // and its last (whose picture the shown frame's light and glow are measured on).
    static constexpr std::array<double, 2> Marks = {1.0, 0.4};

    // Whether the warm-up frame that starts `leftBefore` seconds before the time shown and takes `step`
    // seconds draws them: the first frame does, each frame that reaches a mark, and the last, after which
    // no more than a step is left.
    static bool RedrawsTargets(bool first, double leftBefore, double step);
};
