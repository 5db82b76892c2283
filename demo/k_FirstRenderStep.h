#pragma once
// The terrain world's first step: draws the terrain without fog into render
// target A (512 x 512) on a black, transparent background. A holds two float
// textures: A0 the colour, A1 what the terrain material writes for the water's
// depth. With the water clip on, only the ground under the water remains.
#include "scene/k_Renderable.h"

class IRenderTarget;
class ITexture;

class k_FirstRenderStep : public k_Renderable
{
public:
    // Makes target A with its two four-channel float textures; throws a wide message if it cannot.
    k_FirstRenderStep(IEngine* engine, IRenderable* terrain);

    // At stage 1 only.
    void Draw(int stage) override;

    IRenderable* GetTerrain() const { return m_terrain; }
    IRenderTarget* GetTarget() const { return m_target; }
    ITexture* GetColour() const { return m_colour; }
    ITexture* GetDepth() const { return m_depth; }

private:
    IRenderable* m_terrain;
    IRenderTarget* m_target = nullptr;
    ITexture* m_colour = nullptr; // A0
    ITexture* m_depth = nullptr;  // A1
};
