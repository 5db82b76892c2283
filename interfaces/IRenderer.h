#pragma once
// Draws one frame: advances the timeline, then draws every enabled world of
// the engine's list in order, optionally in sub-frames accumulated in the GL
// accumulation buffer. Records the world being drawn (the current world).
class IWorld;

class IRenderer
{
public:
    virtual ~IRenderer() = default;

    // One-time start-up; does nothing.
    virtual void Initialize() = 0;
    // Advances the timeline by the elapsed seconds and draws the worlds (in sub-frames if asked).
    virtual void RenderFrame(double elapsedSeconds) = 0;
    // A frame whose picture nobody sees (those a seek draws before the time it shows): advances the timeline
    // as RenderFrame does, in one pass, and draws only what a later frame can depend on. Worlds with
    // frame-to-frame state (IRewindable) are drawn; worlds that draw into a render target are drawn when
    // redrawTargets is set, else their target keeps what they drew last. The others are left out, but their
    // camera and lights are applied as a frame would, since they stay in effect for the worlds after them.
    // IsWarmingUp is true meanwhile, so a world may leave out what only the picture shows.
    virtual void RenderWarmUpFrame(double elapsedSeconds, bool redrawTargets) = 0;
    // Whether the frame being advanced and drawn is a warm-up frame.
    virtual bool IsWarmingUp() = 0;
    // Whether the frame being advanced and drawn draws the worlds that draw into render targets: every frame
    // but a warm-up frame without redrawTargets.
    virtual bool RedrawsTargets() = 0;
    // Sets whether the sub-frame count follows the frame rate.
    virtual void SetAdaptive(bool adaptive) = 0;
    // Returns whether the sub-frame count follows the frame rate.
    virtual bool IsAdaptive() = 0;
    // Sets the number of sub-frames per frame (0 or 1 = one pass).
    virtual void SetSubFrameCount(int count) = 0;
    // Returns the number of sub-frames per frame.
    virtual int GetSubFrameCount() = 0;
    // Records the world being drawn (not owned).
    virtual void SetCurrentWorld(IWorld* world) = 0;
    // Returns the world being drawn, or null.
    virtual IWorld* GetCurrentWorld() = 0;
};
