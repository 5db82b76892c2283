#pragma once
// The screen quad that shows one caption image. Each texture gets a material
// instance of its own from "Common/DistortedQuad.mat" (so every caption has
// its own "alpha" and "animPos"), and the quad tells the material the image's
// aspect ratio ("texAspectRatio") before it draws.
#include "graphics/k_MeshBuffer.h"

#include <string>

class ITexture;

class k_DistortedQuad : public k_MeshBuffer
{
public:
    // Throws a wide message when the material cannot be made.
    k_DistortedQuad(IEngine* engine, ITexture* texture);

    // Stage 0: sets "texAspectRatio" on the programs of the material's passes; then draws as a mesh.
    void Draw(int stage) override;

    ITexture* GetTexture() const { return m_texture; }
    // The material name a texture's quad uses: "Quad" and the texture's address in hexadecimal.
    static std::wstring MaterialName(const ITexture* texture);

private:
    ITexture* m_texture;
};
