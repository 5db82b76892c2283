#pragma once
// Indexed geometry that is also a scene node: interleaved vertices described
// by a vertex format, 32-bit indices, a primitive topology and a material.
// The data are uploaded once into a vertex and an index buffer object, and a
// display list is compiled from them for every pass of the material; drawing
// is one glCallList of the pass chosen for the world being rendered. Every
// change of vertices, indices, material or drawn count recompiles the lists.
#include "interfaces/IMeshBuffer.h"
#include "interfaces/r_PrimitiveTopology.h"
#include "scene/k_Renderable.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

class k_MaterialPass;

class k_MeshBuffer : public k_Renderable, public IMeshBuffer
{
public:
    explicit k_MeshBuffer(IEngine* engine);
    ~k_MeshBuffer() override;
    k_MeshBuffer(const k_MeshBuffer&) = delete;
    k_MeshBuffer& operator=(const k_MeshBuffer&) = delete;

    r_PrimitiveTopology GetPrimitiveTopology() override;
    void SetPrimitiveTopology(r_PrimitiveTopology topology) override;
    void SetIndices(const uint32_t* indices, uint32_t count, unsigned int usage, bool copy) override;
    uint32_t* GetIndices() override;
    uint32_t GetIndexCount() override;
    void SetVertices(const void* vertices, uint32_t count, const std::vector<r_VertexElement>& format,
                     unsigned int usage, bool copy) override;
    void* GetVertices() override;
    uint32_t GetVertexCount() override;
    const std::vector<r_VertexElement>* GetVertexFormat() override;
    void SetMaterial(IMaterial* material) override;
    IMaterial* GetMaterial() override;
    void SetDrawnIndexCount(uint32_t count) override;
    uint32_t GetDrawnIndexCount() override;
    void* LockVertices(unsigned int access) override;
    void* LockIndices(unsigned int access) override;
    void UnlockVertices() override;
    void UnlockIndices() override;

    // Draws the list of the current world's pass at stage 1; nothing at other stages.
    void Draw(int stage) override;

    // Byte offset of each format element within a vertex.
    const std::vector<uint32_t>& GetElementOffsets() const { return m_elementOffsets; }
    uint32_t GetStride() const { return m_stride; }
    // The compiled display list of a pass, or 0.
    unsigned int GetDisplayList(k_MaterialPass* pass) const;
    size_t GetDisplayListCount() const { return m_displayLists.size(); }
    unsigned int GetVertexBuffer() const { return m_vertexBuffer; }
    unsigned int GetIndexBuffer() const { return m_indexBuffer; }

private:
    void ReleaseVertices();
    void ReleaseIndices();
    void Build();
    void CompileDisplayList(k_MaterialPass* pass);
    void DeleteDisplayLists();
    bool IndicesInRange();

    uint32_t m_vertexCount = 0;
    uint32_t m_indexCount = 0;
    uint32_t m_drawnIndexCount = 0;
    uint32_t* m_indices = nullptr;
    unsigned char* m_vertices = nullptr;
    bool m_ownsIndices = false;
    bool m_ownsVertices = false;
    std::vector<r_VertexElement> m_vertexFormat;
    std::vector<uint32_t> m_elementOffsets;
    r_PrimitiveTopology m_topology = r_PrimitiveTopology::Triangle;
    unsigned int m_vertexUsage = 0;
    unsigned int m_indexUsage = 0;
    size_t m_vertexDataSize = 0;
    uint32_t m_stride = 0;
    IMaterial* m_material = nullptr;
    unsigned int m_vertexBuffer = 0;
    unsigned int m_indexBuffer = 0;
    std::map<k_MaterialPass*, unsigned int> m_displayLists;
    bool m_verticesLocked = false;
    bool m_indicesLocked = false;
    bool m_indicesWritten = false; // the index buffer was written through a lock since the last SetIndices
    bool m_rangeChecked = false;
    bool m_indicesInRange = false;
};
