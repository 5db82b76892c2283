#pragma once
// The terrain world's second step: draws the terrain mirrored about the water
// plane y = 9, without fog and without culling (the mirror turns every face
// around), into render target B (512 x 512) on the sky colour. With the water
// clip on, only what lay above the water remains: the reflection.
#include "scene/k_Renderable.h"

class IRenderTarget;
class ITexture;
class k_FirstRenderStep;

class k_SecondRenderStep : public k_Renderable
{
public:
    // Makes target B with one three-channel float texture; throws a wide message if it cannot.
    k_SecondRenderStep(IEngine* engine, k_FirstRenderStep* first);

    // At stage 1 only. Leaves the terrain node's matrix, position, culling and fog as it found them.
    void Draw(int stage) override;

    k_FirstRenderStep* GetFirst() const { return m_first; }
    IRenderTarget* GetTarget() const { return m_target; }
    ITexture* GetColour() const { return m_colour; }

private:
    k_FirstRenderStep* m_first;
    IRenderTarget* m_target = nullptr;
    ITexture* m_colour = nullptr; // B0
};
