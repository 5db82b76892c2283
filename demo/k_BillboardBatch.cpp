#include "demo/k_BillboardBatch.h"

#include "engine/k_Log.h"
#include "interfaces/IBillboard.h"
#include "interfaces/ICamera.h"
#include "interfaces/IEngine.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IWorld.h"
#include "interfaces/r_DrawStage.h"
#include "interfaces/r_PrimitiveTopology.h"

#include <epoxy/gl.h>
#include <numeric>

namespace
{
// Position then texture coordinate: 20 bytes a vertex, four vertices a quad.
struct Vertex
{
    float x, y, z;
    float s, t;
};
static_assert(sizeof(Vertex) == 20);

const std::vector<r_VertexElement> k_Format = {r_VertexElement::Position3, r_VertexElement::TexCoord2};
} // namespace

k_BillboardBatch::k_BillboardBatch(IEngine* engine, int capacity, IMaterial* material) : k_Renderable(engine)
{
    m_mesh = engine->GetResourceFactory()->CreateMeshBuffer();
    if (m_mesh == nullptr)
        throw L"Billboard batch: the mesh could not be made.";
    m_meshNode = dynamic_cast<IRenderable*>(m_mesh);
    m_mesh->SetPrimitiveTopology(r_PrimitiveTopology::Quad);
    m_mesh->SetMaterial(material);
    Grow(capacity < 1 ? 1u : static_cast<unsigned int>(capacity));
}

void k_BillboardBatch::SetMaterial(IMaterial* material)
{
    m_mesh->SetMaterial(material);
}

IMaterial* k_BillboardBatch::GetMaterial()
{
    return m_mesh->GetMaterial();
}

// The new block is handed to the mesh zeroed; its quads are written before the
// first draw that shows them.
void k_BillboardBatch::Grow(unsigned int count)
{
    if (count == 0)
        return;
    m_capacity += count;
    const uint32_t vertexCount = 4 * m_capacity;
    const std::vector<Vertex> vertices(vertexCount, Vertex{});
    m_mesh->SetVertices(vertices.data(), vertexCount, k_Format, GL_DYNAMIC_DRAW, true);
    std::vector<uint32_t> indices(vertexCount);
    std::iota(indices.begin(), indices.end(), 0u);
    m_mesh->SetIndices(indices.data(), vertexCount, GL_STATIC_DRAW, true);
    m_mesh->SetDrawnIndexCount(static_cast<uint32_t>(4 * m_billboards.size()));
}

void k_BillboardBatch::AddChild(IRenderable* child)
{
    auto* billboard = dynamic_cast<IBillboard*>(child);
    if (billboard == nullptr)
    {
        k_Renderable::AddChild(child);
        return;
    }
    m_billboards.push_back({child, billboard});
    if (m_billboards.size() < m_capacity)
        m_mesh->SetDrawnIndexCount(static_cast<uint32_t>(4 * m_billboards.size()));
    else
        Grow(m_capacity);
}

void k_BillboardBatch::Draw(int stage)
{
    if (stage == r_DrawStage::Geometry)
    {
        if (m_meshNode != nullptr && m_quadsWritten)
            m_meshNode->Render();
        return;
    }
    if (stage != r_DrawStage::BeforeTransform)
        return;
    m_quadsWritten = false;
    if (m_billboards.empty())
        return;
    ICamera* camera = m_world != nullptr ? m_world->GetCamera() : nullptr;
    if (camera == nullptr)
    {
        if (!m_reportedNoCamera)
            k_Log(k_Log::Colour::Error) << "Billboard batch: it belongs to no world with a camera; nothing is drawn.";
        m_reportedNoCamera = true;
        return;
    }
    const k_VectorUA right = camera->GetRight();
    const k_VectorUA up = camera->GetUp();
    auto* quads = static_cast<Vertex*>(m_mesh->LockVertices(GL_WRITE_ONLY));
    if (quads == nullptr)
        return;
    for (const Member& member : m_billboards)
    {
        const k_VectorUA p = member.node->GetPosition();
        const k_VectorUA s = member.node->GetScale();
        const k_VectorUA r = right * s.x;
        const k_VectorUA u = member.billboard->GetMode() == IBillboard::Cylindrical ? k_VectorUA(0, 1, 0, 0) : up * s.y;
        const k_VectorUA a = p + r + u, b = p - r + u, c = p - r - u, d = p + r - u;
        *quads++ = {a.x, a.y, a.z, 1, 1};
        *quads++ = {b.x, b.y, b.z, 0, 1};
        *quads++ = {c.x, c.y, c.z, 0, 0};
        *quads++ = {d.x, d.y, d.z, 1, 0};
    }
    m_mesh->UnlockVertices();
    m_quadsWritten = true;
}
