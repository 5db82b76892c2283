#pragma once
// Something whose state the show's schedule or its frames change, and that can be put back as it was
// before the show's first frame, so that a seek can bring the show to any time by replaying from there.
// Scheduled targets (events and animations) that also implement it are rewound by the scheduler's
// seek; worlds that implement it (frame-to-frame state such as feedback) are rewound by the engine's, and
// are the worlds a warm-up frame draws (IRenderer::RenderWarmUpFrame).

class IRewindable
{
public:
    virtual ~IRewindable() = default;

    // Puts the object back as it was before the show's first frame (nothing is drawn here).
    virtual void Rewind() = 0;
};
