#include "demo/k_VoxelBox.h"

#include "demo/k_MarchingCubesTable.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShader.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/r_DrawStage.h"
#include "interfaces/r_PrimitiveTopology.h"

#include <epoxy/gl.h>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr GLenum k_FieldUnit = GL_TEXTURE6;
constexpr GLenum k_TableUnit = GL_TEXTURE7;
// A field of more samples than this is refused rather than allocated.
constexpr long long k_MaxSamples = 1LL << 24;
} // namespace

// --- construction ---

k_VoxelBox::k_VoxelBox(IEngine* engine, int width, int height, int depth)
    : k_Renderable(engine), m_width(width), m_height(height), m_depth(depth)
{
    GLint max3d = 0;
    glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &max3d);
    if (width < 1 || height < 1 || depth < 1 || width > max3d || height > max3d || depth > max3d ||
        static_cast<long long>(width) * height * depth > k_MaxSamples)
        throw L"Voxel Box: each size must lie between 1 and the largest 3D texture, with at most 2^24 samples.";

    IResourceFactory* factory = engine->GetResourceFactory();
    IShader* vertex = factory->CreateShader(L"MarchingCubesVS", r_ShaderType::Vertex, L"MarchingCubes/Cubes.vs");
    IShader* geometry = factory->CreateShader(L"MarchingCubesGS", r_ShaderType::Geometry, L"MarchingCubes/Cubes.gs");
    if (geometry != nullptr)
        geometry->SetGeometryParameters(r_PrimitiveTopology::Point, r_PrimitiveTopology::TriangleStrip, 16);
    IShader* pixel = factory->CreateShader(L"MarchingCubesPS", r_ShaderType::Pixel, L"MarchingCubes/Cubes.ps");
    if (vertex == nullptr || geometry == nullptr || pixel == nullptr)
        throw L"Voxel Box: the marching-cubes shaders could not be made.";
    m_program = factory->CreateShaderProgram({vertex, geometry, pixel});
    if (m_program == nullptr)
        throw L"Voxel Box: the marching-cubes program could not be made.";

    // The triangle table: one integer texel per entry, one row per configuration.
    const auto& table = k_MarchingCubesTable::Get();
    glGenTextures(1, &m_tableTexture);
    glActiveTexture(k_TableUnit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_tableTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA16I_EXT, k_MarchingCubesTable::Columns, k_MarchingCubesTable::Rows, 0,
                 GL_ALPHA_INTEGER_EXT, GL_INT, table.data());

    // The field: linear filtering, so a sample read at its texel's centre is exact.
    glGenTextures(1, &m_fieldTexture);
    glActiveTexture(k_FieldUnit);
    glEnable(GL_TEXTURE_3D);
    glBindTexture(GL_TEXTURE_3D, m_fieldTexture);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);

    // The initial field: a rounded box shape, -1 at the centre and -5 at the lowest corner.
    float* field = Lock();
    for (int z = 0; z < depth; ++z)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                const double g = static_cast<float>(2.0 * x / width - 1.0);
                const double h = static_cast<float>(2.0 * y / height - 1.0);
                const double l = static_cast<float>(2.0 * z / depth - 1.0);
                field[x + static_cast<size_t>(width) * (y + static_cast<size_t>(height) * z)] =
                    static_cast<float>(16.0 * g * h * l + 4.0 * g * g + 4.0 * h * h + 4.0 * l * l - 1.0);
            }
    Unlock();

    m_program->SetUniformInt("dataFieldTex", 6);
    m_program->SetUniformInt("triTableTex", 7);
    const float w = 2.0f / static_cast<float>(width), hh = 2.0f / static_cast<float>(height),
                d = 2.0f / static_cast<float>(depth);
    const float step[4] = {1.0f / static_cast<float>(width), 1.0f / static_cast<float>(height),
                           1.0f / static_cast<float>(depth), 1.0f};
    m_program->SetUniformVector("dataStep", step, 4);
    const float decals[8][4] = {{0, 0, 0, 0}, {w, 0, 0, 0}, {w, hh, 0, 0}, {0, hh, 0, 0},
                                {0, 0, d, 0}, {w, 0, d, 0}, {w, hh, d, 0}, {0, hh, d, 0}};
    for (int i = 0; i < 8; ++i)
        m_program->SetUniformVector("vertDecals[" + std::to_string(i) + "]", decals[i], 4);
    glUseProgram(0);

    // One point per cell, at the cell's lowest corner: -1 up to 1 - 2/N on each
    // axis. Each coordinate is computed from its index, so no rounding drift
    // adds or loses a layer.
    const size_t count = static_cast<size_t>(width) * height * depth;
    std::vector<float> points;
    points.reserve(count * 3);
    for (int z = 0; z < depth; ++z)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                points.push_back(static_cast<float>(2.0 * x / width - 1.0));
                points.push_back(static_cast<float>(2.0 * y / height - 1.0));
                points.push_back(static_cast<float>(2.0 * z / depth - 1.0));
            }
    glGenBuffers(1, &m_pointBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, m_pointBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(points.size() * sizeof(float)), points.data(),
                 GL_STATIC_DRAW);

    // The draw. The vertex-array state and buffer binding act at once while the
    // list is compiled, so the list holds the points themselves.
    m_displayList = glGenLists(1);
    glNewList(m_displayList, GL_COMPILE);
    glActiveTexture(k_FieldUnit);
    glBindTexture(GL_TEXTURE_3D, m_fieldTexture);
    glActiveTexture(k_TableUnit);
    glBindTexture(GL_TEXTURE_2D, m_tableTexture);
    glActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(count));
    glDisableClientState(GL_VERTEX_ARRAY);
    glEndList();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glActiveTexture(GL_TEXTURE0);
}

k_VoxelBox::~k_VoxelBox()
{
    delete[] m_lockedField;
    if (m_displayList != 0)
        glDeleteLists(m_displayList, 1);
    if (m_pointBuffer != 0)
        glDeleteBuffers(1, &m_pointBuffer);
    if (m_fieldTexture != 0)
        glDeleteTextures(1, &m_fieldTexture);
    if (m_tableTexture != 0)
        glDeleteTextures(1, &m_tableTexture);
}

// --- the field ---

void k_VoxelBox::GetSize(int& width, int& height, int& depth)
{
    width = m_width;
    height = m_height;
    depth = m_depth;
}

void k_VoxelBox::SetIsolevel(float isolevel)
{
    m_isolevel = isolevel;
}

float k_VoxelBox::GetIsolevel()
{
    return m_isolevel;
}

float* k_VoxelBox::Lock()
{
    if (m_lockedField != nullptr)
        throw L"Voxel Box is already locked!";
    m_lockedField = new float[static_cast<size_t>(m_width) * m_height * m_depth];
    return m_lockedField;
}

void k_VoxelBox::Unlock()
{
    if (m_lockedField == nullptr)
        throw L"Voxel Box is already unlocked!";
    glActiveTexture(k_FieldUnit);
    glBindTexture(GL_TEXTURE_3D, m_fieldTexture);
    glTexImage3D(GL_TEXTURE_3D, 0, GL_ALPHA32F_ARB, m_width, m_height, m_depth, 0, GL_ALPHA, GL_FLOAT, m_lockedField);
    glActiveTexture(GL_TEXTURE0);
    delete[] m_lockedField;
    m_lockedField = nullptr;
}

// --- drawing ---

void k_VoxelBox::Draw(int stage)
{
    if (stage != r_DrawStage::Geometry)
        return;
    m_program->Use();
    m_program->SetUniformFloat("isolevel", m_isolevel);
    glCallList(m_displayList);
    m_engine->GetGraphics()->CheckErrors();
}
