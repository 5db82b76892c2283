#include "graphics/k_MeshBuffer.h"

#include "engine/k_Log.h"
#include "graphics/k_MaterialPass.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/r_DrawStage.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
// How one element is bound: which array, how many components of which type.
enum class Binding
{
    None,
    Vertex,
    Normal,
    Colour,
    TexCoord,
    Attribute
};

struct ElementBinding
{
    Binding binding;
    GLint components;
    GLenum type;
    const char* attribute;
};

ElementBinding BindingOf(r_VertexElement element)
{
    switch (element)
    {
    case r_VertexElement::Position2:
        return {Binding::Vertex, 2, GL_FLOAT, nullptr};
    case r_VertexElement::Position3:
        return {Binding::Vertex, 3, GL_FLOAT, nullptr};
    case r_VertexElement::Position4:
        return {Binding::Vertex, 4, GL_FLOAT, nullptr};
    case r_VertexElement::Normal3:
        return {Binding::Normal, 3, GL_FLOAT, nullptr};
    case r_VertexElement::Colour3UB:
        return {Binding::Colour, 3, GL_UNSIGNED_BYTE, nullptr};
    case r_VertexElement::Colour4UB:
        return {Binding::Colour, 4, GL_UNSIGNED_BYTE, nullptr};
    case r_VertexElement::Colour3F:
        return {Binding::Colour, 3, GL_FLOAT, nullptr};
    case r_VertexElement::Colour4F:
        return {Binding::Colour, 4, GL_FLOAT, nullptr};
    case r_VertexElement::TexCoord2:
        return {Binding::TexCoord, 2, GL_FLOAT, nullptr};
    case r_VertexElement::TexCoord3:
        return {Binding::TexCoord, 3, GL_FLOAT, nullptr};
    case r_VertexElement::TexCoord4:
        return {Binding::TexCoord, 4, GL_FLOAT, nullptr};
    case r_VertexElement::Tangent3:
        return {Binding::Attribute, 3, GL_FLOAT, "Tangent"};
    case r_VertexElement::Tangent4:
        return {Binding::Attribute, 4, GL_FLOAT, "Tangent"};
    case r_VertexElement::BlendIndices4:
        return {Binding::Attribute, 4, GL_FLOAT, "BlendIndices"};
    case r_VertexElement::BlendWeights4:
        return {Binding::Attribute, 4, GL_FLOAT, "BlendWeights"};
    }
    return {Binding::None, 0, 0, nullptr};
}

const void* Offset(uint32_t bytes)
{
    return reinterpret_cast<const void*>(static_cast<uintptr_t>(bytes));
}

// Makes a buffer object at target holding size bytes of data. A usage the
// driver rejects, or memory it cannot find, leaves the buffer without storage,
// and compiling a list from it would read outside it: such a buffer is deleted
// and 0 returned, with a message.
GLuint Upload(GLenum target, size_t size, const void* data, GLenum usage, const char* what)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, static_cast<GLsizeiptr>(size), data, usage);
    GLint stored = -1;
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &stored);
    glBindBuffer(target, 0);
    if (stored >= 0 && static_cast<size_t>(stored) == size)
        return buffer;
    glDeleteBuffers(1, &buffer);
    k_Log(k_Log::Colour::Error) << "MeshBuffer: the " << what << " buffer could not be made (usage " << usage << ", "
                                << size << " bytes); the mesh is not drawn.";
    return 0;
}

// Maps a buffer for a lock: null, and nothing mapped, unless the buffer exists,
// is dynamic and is not mapped already. The buffer stays bound while mapped.
void* Map(GLenum target, GLuint buffer, GLenum usage, bool& locked, GLenum access)
{
    if (buffer == 0 || usage != GL_DYNAMIC_DRAW || locked)
        return nullptr;
    glBindBuffer(target, buffer);
    void* data = glMapBuffer(target, access);
    locked = data != nullptr;
    return data;
}

// Unmaps a buffer a lock mapped, binding it first (other code may have bound
// another buffer since the lock); returns whether one was mapped.
bool Unmap(GLenum target, GLuint buffer, bool& locked)
{
    if (!locked)
        return false;
    glBindBuffer(target, buffer);
    glUnmapBuffer(target);
    glBindBuffer(target, 0);
    locked = false;
    return true;
}

bool AllBelow(const uint32_t* indices, uint32_t count, uint32_t limit)
{
    return std::all_of(indices, indices + count, [limit](uint32_t index) { return index < limit; });
}
} // namespace

k_MeshBuffer::k_MeshBuffer(IEngine* engine) : k_Renderable(engine) {}

k_MeshBuffer::~k_MeshBuffer()
{
    ReleaseIndices();
    ReleaseVertices();
}

// --- topology and material ---

r_PrimitiveTopology k_MeshBuffer::GetPrimitiveTopology()
{
    return m_topology;
}

// Takes effect at the next recompilation.
void k_MeshBuffer::SetPrimitiveTopology(r_PrimitiveTopology topology)
{
    m_topology = topology;
}

void k_MeshBuffer::SetMaterial(IMaterial* material)
{
    m_material = material;
    DeleteDisplayLists();
    Build();
}

IMaterial* k_MeshBuffer::GetMaterial()
{
    return m_material;
}

void k_MeshBuffer::SetDrawnIndexCount(uint32_t count)
{
    m_drawnIndexCount = std::min(count, m_indexCount);
    DeleteDisplayLists();
    Build();
}

uint32_t k_MeshBuffer::GetDrawnIndexCount()
{
    return m_drawnIndexCount;
}

// --- vertices ---

void k_MeshBuffer::ReleaseVertices()
{
    Unmap(GL_ARRAY_BUFFER, m_vertexBuffer, m_verticesLocked);
    if (m_ownsVertices)
        delete[] m_vertices;
    m_ownsVertices = false;
    m_vertexCount = 0;
    m_vertices = nullptr;
    m_vertexFormat.clear();
    m_elementOffsets.clear();
    m_vertexDataSize = 0;
    m_stride = 0;
    if (m_vertexBuffer != 0)
        glDeleteBuffers(1, &m_vertexBuffer);
    m_vertexBuffer = 0;
    m_rangeChecked = false;
    DeleteDisplayLists();
}

void k_MeshBuffer::SetVertices(const void* vertices, uint32_t count, const std::vector<r_VertexElement>& format,
                               unsigned int usage, bool copy)
{
    ReleaseVertices();
    m_vertexUsage = usage;
    m_vertexCount = count;
    m_vertexFormat = format;
    for (r_VertexElement element : m_vertexFormat)
    {
        m_elementOffsets.push_back(m_stride);
        m_stride += r_VertexElementSize(element);
    }
    m_vertexDataSize = static_cast<size_t>(count) * m_stride;
    if (vertices == nullptr)
    {
        m_vertexCount = 0;
        m_vertexDataSize = 0;
    }
    else if (copy)
    {
        m_vertices = new unsigned char[m_vertexDataSize];
        std::memcpy(m_vertices, vertices, m_vertexDataSize);
        m_ownsVertices = true;
    }
    else
    {
        m_vertices = static_cast<unsigned char*>(const_cast<void*>(vertices));
    }
    Build();
}

void* k_MeshBuffer::GetVertices()
{
    return m_vertices;
}

uint32_t k_MeshBuffer::GetVertexCount()
{
    return m_vertexCount;
}

const std::vector<r_VertexElement>* k_MeshBuffer::GetVertexFormat()
{
    return &m_vertexFormat;
}

// --- indices ---

void k_MeshBuffer::ReleaseIndices()
{
    Unmap(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer, m_indicesLocked);
    if (m_ownsIndices)
        delete[] m_indices;
    m_ownsIndices = false;
    m_indexCount = 0;
    m_drawnIndexCount = 0;
    m_indices = nullptr;
    m_indicesWritten = false;
    if (m_indexBuffer != 0)
        glDeleteBuffers(1, &m_indexBuffer);
    m_indexBuffer = 0;
    m_rangeChecked = false;
    DeleteDisplayLists();
}

void k_MeshBuffer::SetIndices(const uint32_t* indices, uint32_t count, unsigned int usage, bool copy)
{
    ReleaseIndices();
    m_indexUsage = usage;
    if (indices != nullptr)
    {
        m_indexCount = m_drawnIndexCount = count;
        if (copy)
        {
            m_indices = new uint32_t[count];
            std::memcpy(m_indices, indices, static_cast<size_t>(count) * sizeof(uint32_t));
            m_ownsIndices = true;
        }
        else
        {
            m_indices = const_cast<uint32_t*>(indices);
        }
    }
    Build();
}

uint32_t* k_MeshBuffer::GetIndices()
{
    return m_indices;
}

uint32_t k_MeshBuffer::GetIndexCount()
{
    return m_indexCount;
}

// --- buffers and display lists ---

// An index at or beyond the vertex count would make the driver read outside
// the vertex buffer; such a mesh gets no display lists and draws nothing.
// The answer is kept until the vertices or indices change, so the
// recompilation after each vertex unlock of a dynamic mesh does not walk them
// again. Indices written through a lock live only in the index buffer, so
// from then on the buffer is read back and checked instead of the array.
bool k_MeshBuffer::IndicesInRange()
{
    if (m_rangeChecked)
        return m_indicesInRange;
    if (m_indicesWritten)
    {
        std::vector<uint32_t> written(m_indexCount);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer);
        glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(m_indexCount) * 4, written.data());
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        m_indicesInRange = AllBelow(written.data(), m_indexCount, m_vertexCount);
    }
    else
    {
        m_indicesInRange = AllBelow(m_indices, m_indexCount, m_vertexCount);
    }
    m_rangeChecked = true;
    return m_indicesInRange;
}

void k_MeshBuffer::Build()
{
    if (m_vertices != nullptr && m_vertexBuffer == 0 && !m_vertexFormat.empty())
        m_vertexBuffer = Upload(GL_ARRAY_BUFFER, m_vertexDataSize, m_vertices, m_vertexUsage, "vertex");
    if (m_indices != nullptr && m_indexBuffer == 0)
        m_indexBuffer =
            Upload(GL_ELEMENT_ARRAY_BUFFER, static_cast<size_t>(m_indexCount) * 4, m_indices, m_indexUsage, "index");
    if (!m_displayLists.empty() || m_vertices == nullptr || m_indices == nullptr || m_vertexFormat.empty())
        return;
    if (m_vertexBuffer == 0 || m_indexBuffer == 0)
        return;
    if (m_material == nullptr)
        return;
    // Said when the indices are checked, once per change of the data, not on every rebuild (a new
    // material, a new drawn count, a vertex unlock), which for a dynamic mesh can be every frame.
    const bool checkedBefore = m_rangeChecked;
    if (!IndicesInRange())
    {
        if (!checkedBefore)
            k_Log(k_Log::Colour::Error) << "MeshBuffer: an index lies beyond the " << m_vertexCount
                                        << " vertices; the mesh is not drawn.";
        return;
    }
    for (k_MaterialPass* pass : m_material->GetPasses())
        CompileDisplayList(pass);
}

// Vertex-array state and buffer bindings execute at once while the draw call
// is compiled, so the list holds a copy of the geometry as it is now.
void k_MeshBuffer::CompileDisplayList(k_MaterialPass* pass)
{
    IShaderProgram* program = pass != nullptr ? pass->program : nullptr;
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBindBuffer(GL_ARRAY_BUFFER, m_vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer);

    // A generic attribute the pass's program does not have (or a pass without
    // program) is left out rather than enabled at location -1.
    auto locationOf = [program](const char* name) {
        return program != nullptr ? program->GetAttributeLocation(name) : -1;
    };

    int unit = 0;
    for (size_t i = 0; i < m_vertexFormat.size(); ++i)
    {
        const ElementBinding b = BindingOf(m_vertexFormat[i]);
        const void* offset = Offset(m_elementOffsets[i]);
        switch (b.binding)
        {
        case Binding::Vertex:
            glEnableClientState(GL_VERTEX_ARRAY);
            glVertexPointer(b.components, b.type, m_stride, offset);
            break;
        case Binding::Normal:
            glEnableClientState(GL_NORMAL_ARRAY);
            glNormalPointer(b.type, m_stride, offset);
            break;
        case Binding::Colour:
            glEnableClientState(GL_COLOR_ARRAY);
            glColorPointer(b.components, b.type, m_stride, offset);
            break;
        case Binding::TexCoord:
            glClientActiveTexture(GL_TEXTURE0 + unit++);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(b.components, b.type, m_stride, offset);
            break;
        case Binding::Attribute:
            if (const int location = locationOf(b.attribute); location >= 0)
            {
                glEnableVertexAttribArray(location);
                glVertexAttribPointer(location, b.components, b.type, GL_FALSE, m_stride, offset);
            }
            break;
        case Binding::None:
            break;
        }
    }

    glDrawElements(m_topology, static_cast<GLsizei>(m_drawnIndexCount), GL_UNSIGNED_INT, nullptr);

    unit = 0;
    for (r_VertexElement element : m_vertexFormat)
    {
        const ElementBinding b = BindingOf(element);
        switch (b.binding)
        {
        case Binding::Vertex:
            glDisableClientState(GL_VERTEX_ARRAY);
            break;
        case Binding::Normal:
            glDisableClientState(GL_NORMAL_ARRAY);
            break;
        case Binding::Colour:
            glDisableClientState(GL_COLOR_ARRAY);
            break;
        case Binding::TexCoord:
            glClientActiveTexture(GL_TEXTURE0 + unit++);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            break;
        case Binding::Attribute:
            if (const int location = locationOf(b.attribute); location >= 0)
                glDisableVertexAttribArray(location);
            break;
        case Binding::None:
            break;
        }
    }
    glClientActiveTexture(GL_TEXTURE0);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glEndList();
    unsigned int& entry = m_displayLists[pass];
    if (entry != 0)
        glDeleteLists(entry, 1);
    entry = list;
}

void k_MeshBuffer::DeleteDisplayLists()
{
    for (const auto& [pass, list] : m_displayLists)
        if (list != 0)
            glDeleteLists(list, 1);
    m_displayLists.clear();
}

unsigned int k_MeshBuffer::GetDisplayList(k_MaterialPass* pass) const
{
    auto found = m_displayLists.find(pass);
    return found != m_displayLists.end() ? found->second : 0;
}

// --- drawing ---

void k_MeshBuffer::Draw(int stage)
{
    if (stage != r_DrawStage::Geometry || m_material == nullptr || m_vertices == nullptr || m_vertexFormat.empty())
        return;
    if (!m_material->Apply())
        return;
    const unsigned int list = GetDisplayList(m_material->FindPass(nullptr));
    if (list != 0)
        glCallList(list);
}

// --- dynamic buffers ---

void* k_MeshBuffer::LockVertices(unsigned int access)
{
    if (m_vertices == nullptr)
        return nullptr;
    return Map(GL_ARRAY_BUFFER, m_vertexBuffer, m_vertexUsage, m_verticesLocked, access);
}

void* k_MeshBuffer::LockIndices(unsigned int access)
{
    if (m_indices == nullptr)
        return nullptr;
    return Map(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer, m_indexUsage, m_indicesLocked, access);
}

// A lock exists only while its buffer does (releasing the data unmaps first).
void k_MeshBuffer::UnlockVertices()
{
    if (!Unmap(GL_ARRAY_BUFFER, m_vertexBuffer, m_verticesLocked))
        return;
    DeleteDisplayLists();
    Build();
}

void k_MeshBuffer::UnlockIndices()
{
    if (!Unmap(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer, m_indicesLocked))
        return;
    m_indicesWritten = true;
    m_rangeChecked = false;
    DeleteDisplayLists();
    Build();
}
