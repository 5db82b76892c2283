#pragma once
// The template's world: a sky over the whole screen, drawn with its material "Sky.mat" (assets/), warm at
// the top and deep blue below, its horizon glowing on every beat of the tune. The captions are drawn over it.
// The horizon's height is a sync track, "sky:horizon", keyed in a sync editor through the studio (its keys
// are read from the pack's Sync/show_sky-3Ahorizon.track); without keys it stays where the world puts it.
#include "engine/k_SyncValue.h"
#include "scene/k_World.h"

class IMeshBuffer;
class IShaderProgram;

class k_SkyWorld : public k_World
{
public:
    explicit k_SkyWorld(IEngine* engine);

    // Loads Sky.mat and makes the quad; throws a wide message when either cannot be made.
    void Build() override;
    // Every frame: the horizon's height from its track.
    void Update() override;
    // Before the nodes (the captions): the sky.
    void OnRenderStage(int stage) override;
    // 0 black to 1 full: the material's "brightness".
    void SetBrightness(float brightness);

private:
    IShaderProgram* m_program = nullptr;
    IMeshBuffer* m_quad = nullptr;
    k_SyncValue m_horizon;
};
