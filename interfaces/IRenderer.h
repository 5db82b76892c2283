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
