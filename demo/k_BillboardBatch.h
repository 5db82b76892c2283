#pragma once
// Many billboards drawn as one dynamic mesh (see IBillboardBatch). The mesh
// has room for a capacity of quads that doubles when it is full; before the
// batch's transformation each frame, every quad is rewritten from the
// billboard's position and scale and the camera's right and up vectors.
#include "interfaces/IBillboardBatch.h"
#include "scene/k_Renderable.h"

#include <cstdint>
#include <vector>

class IBillboard;
class IMeshBuffer;

class k_BillboardBatch : public IBillboardBatch, public k_Renderable
{
public:
    // A capacity below 1 counts as 1.
    k_BillboardBatch(IEngine* engine, int capacity, IMaterial* material);

    void SetMaterial(IMaterial* material) override;
    IMaterial* GetMaterial() override;

    // A billboard joins the batch (its world is not set); any other node becomes an ordinary child.
    void AddChild(IRenderable* child) override;
    // Stage 0 rewrites the quads; stage 1 draws the mesh.
    void Draw(int stage) override;

    // Room for this many billboards.
    unsigned int GetCapacity() const { return m_capacity; }
    // The batch's mesh (owned by the resource factory).
    IMeshBuffer* GetMesh() const { return m_mesh; }

private:
    struct Member
    {
        IRenderable* node;
        IBillboard* billboard;
    };
    void Grow(unsigned int count);

    std::vector<Member> m_billboards;
    unsigned int m_capacity = 0;
    IMeshBuffer* m_mesh = nullptr;
    IRenderable* m_meshNode = nullptr;
    bool m_reportedNoCamera = false;
    // The quads were written for this frame (a camera was there).
    bool m_quadsWritten = false;
};
