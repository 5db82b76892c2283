#pragma once
// The terrain world's sky: a quad on the far plane drawn with
// "Terrain/Sky.mat" after the land and the water, so it shades only the
// pixels nothing nearer covered. The second step also draws it into the
// mirrored picture (DrawMirrored), where it is the sky the water reflects.
#include "scene/k_Renderable.h"

class IMaterial;
class IRenderable;

class k_SkyRenderStep : public k_Renderable
{
public:
    // Loads the sky material and builds its quad; throws a wide message naming what could not be made.
    explicit k_SkyRenderStep(IEngine* engine);

    // At stage 1 only: the sky as the camera sees it, into whatever target is bound.
    void Draw(int stage) override;
    // The sky as the water reflects it, into whatever target is bound (with alpha 0 there).
    void DrawMirrored();

    IMaterial* GetSkyMaterial() const { return m_material; }

private:
    void DrawSky(bool mirrored);

    IMaterial* m_material = nullptr;
    IRenderable* m_quad = nullptr;
};
