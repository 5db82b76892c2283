#pragma once
// The screen quad that shows one caption image. Each quad gets a material
// instance of its own from "Common/DistortedQuad.mat" (so every caption has
// its own "alpha", "animPos", place and start, even two captions of one
// picture), and the quad tells the material the image's aspect ratio
// ("texAspectRatio") before it draws.
#include "graphics/k_MeshBuffer.h"

#include <string>

class ITexture;

class k_DistortedQuad : public k_MeshBuffer
{
public:
    // Throws a wide message when the material cannot be made. The quad takes the lowest instance number that
    // no other living quad of the texture holds, and that instance's material.
    k_DistortedQuad(IEngine* engine, ITexture* texture);
    // Frees the instance number for the texture's next quad (the material stays with the factory).
    ~k_DistortedQuad() override;
    k_DistortedQuad(const k_DistortedQuad&) = delete;
    k_DistortedQuad& operator=(const k_DistortedQuad&) = delete;

    // Stage 0: sets "texAspectRatio" on the programs of the material's passes; then draws as a mesh.
    void Draw(int stage) override;

    ITexture* GetTexture() const { return m_texture; }
    // The material name a texture's quad uses: "Quad" and the texture's address in hexadecimal, then for
    // every instance but the first "-" and its number. A show made anew (a reload) finds the same names.
    static std::wstring MaterialName(const ITexture* texture, int instance = 0);
    int GetInstance() const { return m_instance; }

private:
    ITexture* m_texture;
    int m_instance = 0;
};
