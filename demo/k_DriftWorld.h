#pragma once
// A feedback effect: what the world's nodes draw into its render target is,
// step after step, carried along and smeared by "Drift/ProcessDrift.mat"
// (ping-ponging through an auxiliary target of the same size and format) and
// shown over the picture by "Drift/ShowDrift.mat". A node is drawn into the
// target only in the first frame after it was made visible: at the end of
// every frame the world hides all its nodes. The sync track "drift:strength"
// scales what is shown (1 as drawn) where keyed.
//
// The feedback steps on a grid of demo time, not by frames: each frame first
// makes the steps whose grid times it has reached (before its nodes are drawn
// in), and shows the picture carried on by the part of a step since the last
// one. So every frame rate and every speed makes the same steps at the same
// demo times, a node drawn in at a frame on the grid lands on the same step,
// and the picture at a demo time is the same whatever the frames before it
// were (at 30 frames a second it is two steps a frame, as the feedback was
// made for).
#include "engine/k_SyncValue.h"
#include "interfaces/IRewindable.h"
#include "scene/k_World.h"

#include <cstdint>

class IMaterial;
class IMeshBuffer;
class IRenderTarget;
class ITexture;
class k_MaterialPass;

class k_DriftWorld : public k_World, public IRewindable
{
public:
    // Names the world "Drift".
    explicit k_DriftWorld(IEngine* engine);

    // The demo time one step of the feedback moves its picture by; steps fall on its multiples.
    static constexpr double StepSeconds = 1.0 / 60.0;
    // The steps one frame makes at most: the time of a longer frame (a stall) is skipped, not caught up.
    static constexpr int MaxStepsPerFrame = 6;
    // The step whose grid time the demo time has reached (a time within a millionth of a step below a grid
    // time counts as on it: sums of frame steps round).
    static int64_t StepAt(double time);

    // Needs the render target given before (else throws "k_DriftWorld: Unable to work without a rendertarget.");
    // registers the "deltatime" callback, loads both materials, makes the quads and the auxiliary target.
    void Build() override;
    // Stage 0: steps the target's picture up to the demo time's step. Stage 3: shows the picture (carried on
    // by the part of a step since the last, into the auxiliary target) on the current framebuffer, then hides
    // every node.
    void OnRenderStage(int stage) override;
    // Forgets what the feedback holds: the next frame clears the target, as the first frame did.
    void Rewind() override;

    bool IsStarted() const { return m_started; }
    // Whether the picture has held nothing but zero since its first clear (its passes are then left out).
    bool IsEmpty() const { return m_empty; }
    IRenderTarget* GetAuxiliaryTarget() const { return m_auxiliaryTarget; }
    ITexture* GetAuxiliaryTexture() const { return m_auxiliaryTexture; }
    k_MaterialPass* GetProcessPass() const { return m_processPass; }
    k_MaterialPass* GetShowPass() const { return m_showPass; }

private:
    // Makes the steps due at the demo time (stage 0).
    void CatchUp();
    // One run of the process pass: `from` carried on by `seconds` (0 copies it) into the target, with the
    // flow taken at `time`.
    void Process(ITexture* from, IRenderTarget* into, double seconds, double time);
    double Now() const;

    // The process and show passes each draw their own copy of the unit quad, so no display list is
    // recompiled in the frame (switching one quad's material would recompile it twice a frame).
    IMeshBuffer* m_processQuad = nullptr;
    IMeshBuffer* m_showQuad = nullptr;
    IMaterial* m_processMaterial = nullptr;
    k_MaterialPass* m_processPass = nullptr;
    ITexture* m_auxiliaryTexture = nullptr;
    IRenderTarget* m_auxiliaryTarget = nullptr;
    IMaterial* m_showMaterial = nullptr;
    k_MaterialPass* m_showPass = nullptr;
    ITexture* m_worldTexture = nullptr;
    bool m_started = false;
    // The clear flags before the first frame, which keeps the target's colour from then on.
    int m_startClearFlags = 0;
    bool m_empty = true;
    // The step of the grid the target's picture stands at (once started).
    int64_t m_step = 0;
    k_SyncValue m_strength;
};
