#pragma once
// The terrain world's third step: draws the water plane at height 9 with
// "Terrain/Water.mat", which reads what lies under the water (A0), the
// mirrored landscape (B0) and the water's depth (A1) at its own place on the
// screen, and ripples with "time". Draws into the world's render target, or
// onto the window when the world has none.
#include "scene/k_Renderable.h"

class IMaterial;
class IRenderable;
class k_FirstRenderStep;
class k_SecondRenderStep;

class k_ThirdRenderStep : public k_Renderable
{
public:
    // Loads the water material, fills its slots 0, 1, 2 and builds the water mesh; throws a wide message
    // naming what could not be made.
    k_ThirdRenderStep(IEngine* engine, k_FirstRenderStep* first, k_SecondRenderStep* second);

    // At stage 1 only.
    void Draw(int stage) override;

    IMaterial* GetWaterMaterial() const { return m_material; }
    IRenderable* GetWater() const { return m_water; }

private:
    k_FirstRenderStep* m_first;
    k_SecondRenderStep* m_second;
    IMaterial* m_material = nullptr;
    IRenderable* m_water = nullptr;
};
