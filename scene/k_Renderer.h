#pragma once
// Draws one frame: advances the timeline, then draws every enabled world of
// the engine's list in order (camera, lights, render stages 0 to 3, render
// target or window clear, the linked world's shared nodes, the world's own
// nodes). Optionally splits a frame into sub-frames blended in the GL
// accumulation buffer, with a count that can follow the frame rate.
#include "interfaces/IRenderer.h"

class IEngine;

class k_Renderer : public IRenderer
{
public:
    explicit k_Renderer(IEngine* engine);

    void Initialize() override;
    void RenderFrame(double elapsedSeconds) override;
    void RenderWarmUpFrame(double elapsedSeconds, bool redrawTargets) override;
    bool IsWarmingUp() override { return m_warmingUp; }
    bool RedrawsTargets() override { return !m_warmingUp || m_redrawTargets; }
    void SetAdaptive(bool adaptive) override;
    bool IsAdaptive() override;
    void SetSubFrameCount(int count) override;
    int GetSubFrameCount() override;
    void SetCurrentWorld(IWorld* world) override;
    IWorld* GetCurrentWorld() override;

    // Draws one world as a frame draws it (whether it is enabled or not), without advancing the timeline.
    void DrawWorld(IWorld* world);

    // Frames longer than this (1/59 s) lower an adaptive sub-frame count, shorter ones raise it.
    static constexpr double k_AdaptiveFrameTime = 1.0 / 59.0;

private:
    void Advance(double step);
    void DrawWorlds();
    // Makes the world current and applies its camera and lights (or switches lighting off).
    void ApplyView(IWorld* world);
    static void DrawNodes(IWorld* world, bool sharedOnly);
    bool HasAccumulationBuffer();

    IEngine* m_engine;
    IWorld* m_currentWorld = nullptr;
    bool m_adaptive = false;
    int m_subFrameCount = 1;
    int m_accumulationBits = -1; // -1: not asked yet
    bool m_warmingUp = false;
    bool m_redrawTargets = true;
};
