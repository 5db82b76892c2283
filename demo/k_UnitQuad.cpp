#include "demo/k_UnitQuad.h"

#include "interfaces/IMeshBuffer.h"
#include "interfaces/r_PrimitiveTopology.h"

#include <epoxy/gl.h>
#include <cstdint>

void k_UnitQuad::Fill(IMeshBuffer* mesh, IMaterial* material)
{
    // x, y, z, u, v
    static const float k_Vertices[] = {
        1.0f, 1.0f, 0.5f, 1.0f, 1.0f, //
        1.0f, 0.0f, 0.5f, 1.0f, 0.0f, //
        0.0f, 0.0f, 0.5f, 0.0f, 0.0f, //
        0.0f, 1.0f, 0.5f, 0.0f, 1.0f, //
    };
    static const uint32_t k_Indices[] = {0, 1, 2, 3};
    mesh->SetPrimitiveTopology(r_PrimitiveTopology::Quad);
    mesh->SetMaterial(material);
    mesh->SetVertices(k_Vertices, 4, {r_VertexElement::Position3, r_VertexElement::TexCoord2}, GL_STATIC_DRAW, true);
    mesh->SetIndices(k_Indices, 4, GL_STATIC_DRAW, true);
}
