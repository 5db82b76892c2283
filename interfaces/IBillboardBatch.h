#pragma once
// Many billboards drawn as one dynamic mesh with one material. Billboards
// given to the batch's AddChild join the batch (not its children); every
// frame their quads are rewritten from the camera's right and up vectors.
// Only a billboard's position, scale and the cylindrical mode count here.
// The object behind this interface is a scene node too (reach it with
// dynamic_cast to IRenderable). Made and owned by the resource factory.
class IMaterial;

class IBillboardBatch
{
public:
    virtual ~IBillboardBatch() = default;

    // Sets the material (not owned) the quads are drawn with.
    virtual void SetMaterial(IMaterial* material) = 0;
    // The material, or null.
    virtual IMaterial* GetMaterial() = 0;
};
