#pragma once
// The terrain world's second step: draws the terrain mirrored about the water
// plane y = 9, with fog (its eye distance is the length of the reflected ray)
// and without culling (the mirror turns every face around), into render
// target B, then the sky as the water reflects it around the land. With the
// water clip on, only what lay above the water remains: the reflection. B is
// 256 x 256: the water breaks the reflection up with its ripples, and the
// small picture costs a quarter of a full one and softens the silhouettes.
// B's alpha is 1 where land was drawn, 0 on the sky.
#include "scene/k_Renderable.h"

class IRenderTarget;
class ITexture;
class k_FirstRenderStep;
class k_SkyRenderStep;

class k_SecondRenderStep : public k_Renderable
{
public:
    // Makes target B with one four-channel float texture; throws a wide message if it cannot. Without a sky
    // step B keeps the clear colour around the land.
    k_SecondRenderStep(IEngine* engine, k_FirstRenderStep* first, k_SkyRenderStep* sky = nullptr);

    // At stage 1 only. Leaves the terrain node's matrix, position and culling as it found them.
    void Draw(int stage) override;

    k_FirstRenderStep* GetFirst() const { return m_first; }
    IRenderTarget* GetTarget() const { return m_target; }
    ITexture* GetColour() const { return m_colour; }

private:
    k_FirstRenderStep* m_first;
    k_SkyRenderStep* m_sky;
    IRenderTarget* m_target = nullptr;
    ITexture* m_colour = nullptr; // B0
};
