#pragma once
// Indexed geometry: interleaved vertices described by a vertex format, 32-bit
// indices, a primitive topology and a material. The data live in GPU buffers
// and are drawn through one display list per material pass, recompiled on
// every change. A mesh buffer is also a scene node: the object behind this
// interface is an IRenderable too (reach it with dynamic_cast).
#include "interfaces/r_VertexElement.h"

#include <cstdint>
#include <vector>

class r_PrimitiveTopology;
class IMaterial;

class IMeshBuffer
{
public:
    virtual ~IMeshBuffer() = default;

    // Returns the primitive topology (Triangle for a new mesh).
    virtual r_PrimitiveTopology GetPrimitiveTopology() = 0;
    // Stores the topology; it takes effect at the next recompilation.
    virtual void SetPrimitiveTopology(r_PrimitiveTopology topology) = 0;
    // Replaces the indices (copied if copy is set, else the caller keeps them alive); draws all of them.
    virtual void SetIndices(const uint32_t* indices, uint32_t count, unsigned int usage, bool copy) = 0;
    // Returns the client-side index array.
    virtual uint32_t* GetIndices() = 0;
    // Returns the number of indices held.
    virtual uint32_t GetIndexCount() = 0;
    // Replaces the vertices and their format (copied if copy is set, else the caller keeps them alive).
    virtual void SetVertices(const void* vertices, uint32_t count, const std::vector<r_VertexElement>& format,
                             unsigned int usage, bool copy) = 0;
    // Returns the client-side vertex array.
    virtual void* GetVertices() = 0;
    // Returns the number of vertices.
    virtual uint32_t GetVertexCount() = 0;
    // Returns the mesh's own vertex format.
    virtual const std::vector<r_VertexElement>* GetVertexFormat() = 0;
    // Sets the material (not owned) and recompiles one display list per pass.
    virtual void SetMaterial(IMaterial* material) = 0;
    // Returns the material, or null.
    virtual IMaterial* GetMaterial() = 0;
    // Draws the first min(count, index count) indices from now on; recompiles.
    virtual void SetDrawnIndexCount(uint32_t count) = 0;
    // Returns the number of indices drawn.
    virtual uint32_t GetDrawnIndexCount() = 0;
    // Maps the vertex buffer of a GL_DYNAMIC_DRAW mesh with the GL access; returns null for any other mesh.
    virtual void* LockVertices(unsigned int access) = 0;
    // Maps the index buffer of a GL_DYNAMIC_DRAW index array; returns null otherwise.
    virtual void* LockIndices(unsigned int access) = 0;
    // Unmaps the vertex buffer and recompiles the display lists from its new contents.
    virtual void UnlockVertices() = 0;
    // Unmaps the index buffer and recompiles the display lists from its new contents.
    virtual void UnlockIndices() = 0;
};
