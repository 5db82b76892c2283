#include "graphics/k_RenderTargetTexture.h"

#include "engine/k_Log.h"
#include "interfaces/r_ColourFormat.h"

#include <epoxy/gl.h>

namespace
{
struct Format
{
    GLint internalFormat;
    GLenum pixelFormat;
    GLenum pixelType;
};

// By r_ColourFormat code. R8 and R32F are one-channel colour textures, not depth attachments: a
// depth pixel format with a colour internal format is rejected by the driver,
// so they are made as red-only 8-bit and float textures.
constexpr Format k_Formats[] = {
    {3, GL_RGB, GL_UNSIGNED_BYTE},       {GL_RGB32F_ARB, GL_RGB, GL_FLOAT}, {4, GL_RGBA, GL_UNSIGNED_BYTE},
    {GL_RGBA32F_ARB, GL_RGBA, GL_FLOAT}, {GL_R8, GL_RED, GL_UNSIGNED_BYTE}, {GL_R32F, GL_RED, GL_FLOAT},
};

int CheckedFormat(int format)
{
    if (k_RenderTargetTexture::IsKnownFormat(format))
        return format;
    k_Log(k_Log::Colour::Error) << "RenderTarget: unknown colour texture format " << format << ", using 2 (RGBA).";
    return r_ColourFormat::Rgba8;
}
} // namespace

k_RenderTargetTexture::k_RenderTargetTexture(IEngine* engine, int width, int height, int format,
                                             unsigned int framebuffer, int index)
    : k_TextureBase(engine, CheckedFormat(format))
{
    m_width = width;
    m_height = height;
    const Format& f = k_Formats[m_format];
    glGenTextures(1, &m_name);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glBindTexture(GL_TEXTURE_2D, m_name);
    glTexImage2D(GL_TEXTURE_2D, 0, f.internalFormat, width, height, 0, f.pixelFormat, f.pixelType, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT + index, GL_TEXTURE_2D, m_name, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void k_RenderTargetTexture::Load(IFile*) {}
