#include "graphics/k_TextureBase.h"

#include <epoxy/gl.h>

k_TextureBase::k_TextureBase(IEngine* engine, int32_t format) : m_engine(engine), m_format(format) {}

k_TextureBase::~k_TextureBase()
{
    if (m_name)
        glDeleteTextures(1, &m_name);
}

int k_TextureBase::GetWidth()
{
    return m_width;
}

int k_TextureBase::GetHeight()
{
    return m_height;
}

void k_TextureBase::Bind(int unit)
{
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, m_name);
    glEnable(GL_TEXTURE_2D);
}

int k_TextureBase::GetFormat()
{
    return m_format;
}

bool k_TextureBase::HasMipmaps()
{
    return false;
}
