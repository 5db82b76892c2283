#include "graphics/k_RenderTarget.h"

#include "graphics/k_RenderTargetTexture.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IWorld.h"
#include "math/k_VectorUA.h"

#include <epoxy/gl.h>
#include <algorithm>

namespace
{
// The colour renderbuffer asks for 8 samples; drivers that offer fewer
// (Mesa's software renderer has 4) reject 8, so the largest they offer is used.
int SupportedSampleCount(int wanted)
{
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES_EXT, &maxSamples);
    return std::max(0, std::min(wanted, static_cast<int>(maxSamples)));
}
} // namespace

// --- construction ---

// Colour attachment 0 starts as a multisample renderbuffer, which the first
// colour texture replaces; the depth renderbuffer stays for the target's life.
k_RenderTarget::k_RenderTarget(IEngine* engine, int width, int height)
    : m_engine(engine), m_width(width), m_height(height)
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE_EXT, &maxSize);
    if (width <= 0 || height <= 0 || width > maxSize || height > maxSize)
        throw L"Invalid render target size.";
    glGenFramebuffersEXT(1, &m_framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, m_framebuffer);

    m_sampleCount = SupportedSampleCount(8);
    glGenRenderbuffersEXT(1, &m_colourRenderbuffer);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, m_colourRenderbuffer);
    glRenderbufferStorageMultisampleEXT(GL_RENDERBUFFER_EXT, m_sampleCount, GL_RGBA, width, height);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT,
                                 m_colourRenderbuffer);

    glGenRenderbuffersEXT(1, &m_renderbuffer);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, m_renderbuffer);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, width, height);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, m_renderbuffer);

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

k_RenderTarget::~k_RenderTarget()
{
    for (ITexture* texture : m_colorTextures)
        delete texture;
    glDeleteRenderbuffersEXT(1, &m_renderbuffer);
    glDeleteRenderbuffersEXT(1, &m_colourRenderbuffer);
    glDeleteFramebuffersEXT(1, &m_framebuffer);
}

ITexture* k_RenderTarget::AddColorTexture(int format)
{
    const int index = static_cast<int>(m_colorTextures.size());
    ITexture* texture = new k_RenderTargetTexture(m_engine, m_width, m_height, format, m_framebuffer, index);
    m_colorTextures.push_back(texture);
    if (index == 0 && m_colourRenderbuffer != 0)
    {
        // The first texture has taken the placeholder's attachment: the multisample storage behind it
        // (four samples a pixel here, a screen-sized target's 15 MB) would never be drawn into again.
        glDeleteRenderbuffersEXT(1, &m_colourRenderbuffer);
        m_colourRenderbuffer = 0;
    }
    RebuildDrawBuffers(k_DrawAll);
    return texture;
}

// --- binding ---

// 0x100 selects every colour attachment in order; otherwise each of the bits
// 0x010..0x080 selects attachment 0..3; no bit leaves the framebuffer's
// previous selection alone.
void k_RenderTarget::RebuildDrawBuffers(int flags)
{
    m_drawBuffers.clear();
    m_hasDrawBuffers = false;
    if (flags & k_DrawAll)
    {
        for (size_t i = 0; i < m_colorTextures.size(); ++i)
            m_drawBuffers.push_back(GL_COLOR_ATTACHMENT0_EXT + static_cast<GLenum>(i));
        m_hasDrawBuffers = true;
    }
    else if (flags & 0x0F0)
    {
        for (int bit = 0; bit < 4; ++bit)
            if (flags & (k_DrawAttachment << bit))
                m_drawBuffers.push_back(GL_COLOR_ATTACHMENT0_EXT + bit);
        m_hasDrawBuffers = true;
    }
    m_bindFlags = flags;
}

void k_RenderTarget::Bind(int flags)
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, m_framebuffer);
    if (flags != m_bindFlags)
        RebuildDrawBuffers(flags);
    if (m_hasDrawBuffers)
        glDrawBuffers(static_cast<GLsizei>(m_drawBuffers.size()), m_drawBuffers.data());
    glViewport(0, 0, m_width, m_height);
    glDepthMask(GL_TRUE);

    IRenderer* renderer = m_engine->GetRenderer();
    if (IWorld* world = renderer != nullptr ? renderer->GetCurrentWorld() : nullptr)
    {
        if (flags & k_ClearColour)
        {
            const k_VectorUA* colour = world->GetClearColour();
            glClearColor(colour->x, colour->y, colour->z, colour->w);
        }
        if (flags & k_ClearDepth)
            glClearDepth(world->GetClearDepth());
    }
    GLbitfield mask = 0;
    if (flags & k_ClearColour)
        mask |= GL_COLOR_BUFFER_BIT;
    if (flags & k_ClearDepth)
        mask |= GL_DEPTH_BUFFER_BIT;
    if (mask != 0)
        glClear(mask);

    if (IGraphics* graphics = m_engine->GetGraphics())
        graphics->CheckErrors();
    glEnable(GL_MULTISAMPLE);
}

void k_RenderTarget::Unbind()
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    IGraphics* graphics = m_engine->GetGraphics();
    if (graphics != nullptr)
        glViewport(0, 0, graphics->GetWidth(), graphics->GetHeight());
}

// --- size and textures ---

int k_RenderTarget::GetWidth()
{
    return m_width;
}

int k_RenderTarget::GetHeight()
{
    return m_height;
}

std::vector<ITexture*>* k_RenderTarget::GetColorTextures()
{
    return &m_colorTextures;
}
