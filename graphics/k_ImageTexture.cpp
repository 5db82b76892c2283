#include "graphics/k_ImageTexture.h"

#include "engine/k_Log.h"
#include "interfaces/IEngine.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/r_ColourFormat.h"

#include <epoxy/gl.h>
#include <GL/glu.h>
#include <memory>

// Image textures report 8-bit RGBA, whether their rows are RGB or RGBA.
k_ImageTexture::k_ImageTexture(IEngine* engine, const std::wstring& fileName, Decoder decode)
    : k_TextureBase(engine, r_ColourFormat::Rgba8), m_decode(decode), m_fileName(fileName)
{
    glGenTextures(1, &m_name);
    glBindTexture(GL_TEXTURE_2D, m_name);
    std::unique_ptr<IFile> file(m_engine->GetFileSystem()->OpenFile(fileName));
    if (!file)
    {
        k_Log(k_Log::Colour::Error) << "Cannot read from file: " << fileName;
        throw L"Cannot read from file.";
    }
    try
    {
        Load(file.get());
    }
    catch (const wchar_t* message)
    {
        k_Log(k_Log::Colour::Error) << "Cannot load texture " << fileName << ": " << message;
        throw;
    }
}

void k_ImageTexture::Load(IFile* file)
{
    Image image;
    m_decode(file->GetData(), file->GetSize() > 0 ? static_cast<size_t>(file->GetSize()) : 0, image);
    m_width = image.width;
    m_height = image.height;
    UploadMipmapped(image);
}

bool k_ImageTexture::HasMipmaps()
{
    return true;
}

bool k_ImageTexture::ReloadImageFile()
{
    if (m_fileName.empty() || !m_name)
        return false;
    std::unique_ptr<IFile> file(m_engine->GetFileSystem()->OpenFile(m_fileName));
    if (!file)
    {
        k_Log(k_Log::Colour::Error) << "Cannot read from file: " << m_fileName;
        return false;
    }
    k_Log() << "Reloading " << m_fileName << "...";
    // The decoders throw before anything reaches GL, so a damaged file leaves the old picture.
    const int32_t width = m_width;
    const int32_t height = m_height;
    glBindTexture(GL_TEXTURE_2D, m_name);
    try
    {
        Load(file.get());
    }
    catch (const wchar_t* message)
    {
        m_width = width;
        m_height = height;
        k_Log(k_Log::Colour::Error) << "Cannot load texture " << m_fileName << ": " << message;
        return false;
    }
    return true;
}

void k_ImageTexture::UploadMipmapped(Image& image)
{
    // When a side is not a power of two, gluBuild2DMipmaps first scales the picture with a box filter that also
    // reads the pixel just right of each row's last one, weighted zero (or a rounding residue); after the last
    // row that pixel lies past the buffer. A zeroed pixel there keeps the read inside our memory and the texels
    // independent of whatever memory follows.
    const size_t bytes = image.pixels.size();
    image.pixels.resize(bytes + k_UploadSlackBytes);
    // Rows are tightly packed; GL's default unpack alignment of 4 would skew RGB rows of odd widths.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // The filters come before the levels: with GL's default minifying filter Mesa keeps the base level in
    // storage of its own beside the mipmap chain until the texture is first drawn (a megabyte more for each
    // caption while the show loads); told the final filter first, it stores all levels in one place.
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLfloat>(GL_LINEAR_MIPMAP_LINEAR));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLfloat>(GL_LINEAR));
    gluBuild2DMipmaps(GL_TEXTURE_2D, image.components, image.width, image.height,
                      image.components == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    image.pixels.resize(bytes);
}
