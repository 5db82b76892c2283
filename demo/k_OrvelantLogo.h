#pragma once
// The logo: one quad with "Orvelant.mat". It owns nothing; the material and
// the mesh belong to the resource factory.
class IEngine;
class IMaterial;
class IMeshBuffer;

class k_OrvelantLogo
{
public:
    // Loads "Orvelant.mat" and builds the quad; throws a wide message when either cannot be made.
    explicit k_OrvelantLogo(IEngine* engine);
    virtual ~k_OrvelantLogo() = default;

    IMaterial* GetMaterial() const { return m_material; }
    IMeshBuffer* GetMesh() const { return m_mesh; }

private:
    IMaterial* m_material = nullptr;
    IMeshBuffer* m_mesh = nullptr;
};
