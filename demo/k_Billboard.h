#pragma once
// A billboard drawn on its own (see IBillboard): before its transformation it
// edits the model-view matrix so the quad faces the camera, then draws one
// textured quad in immediate mode, without shader or lighting.
#include "interfaces/IBillboard.h"
#include "scene/k_Renderable.h"

class k_Billboard : public IBillboard, public k_Renderable
{
public:
    explicit k_Billboard(IEngine* engine);

    int GetMode() override;
    void SetMode(int mode) override;
    void SetTexture(ITexture* texture) override;
    ITexture* GetTexture() override;

    // Stage 0 turns the model-view matrix for the mode; stage 1 draws the quad.
    void Draw(int stage) override;

private:
    ITexture* m_texture = nullptr;
    int m_mode = Fixed;
};
