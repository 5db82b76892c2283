#pragma once
// The terrain world's fourth step: draws the terrain itself, with fog and
// without the water clip, over the water the third step drew. Hiding the step
// leaves the reflection and the water without the land.
#include "scene/k_Renderable.h"

class k_FourthRenderStep : public k_Renderable
{
public:
    k_FourthRenderStep(IEngine* engine, IRenderable* terrain);

    // At stage 1 only (so only while the step is visible).
    void Draw(int stage) override;

    IRenderable* GetTerrain() const { return m_terrain; }

private:
    IRenderable* m_terrain;
};
