#include "graphics/k_PngTexture.h"

#include "interfaces/IFile.h"

#include <GL/glew.h>
#include <csetjmp>
#include <cstring>
#include <png.h>
#include <vector>

namespace
{
// The decoder reads through this cursor over the file's bytes; running past the end is a decoder error.
struct Reader
{
    const unsigned char* data;
    size_t size;
    size_t cursor;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count)
{
    Reader* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->cursor)
        png_error(png, "read past the end of the file");
    std::memcpy(out, reader->data + reader->cursor, count);
    reader->cursor += count;
}

void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Decodes into pixels (rows stored bottom row first). pixels and rows live in the caller, so the jump
// skips no destructor.
bool Decode(Reader& reader, std::vector<unsigned char>& pixels, std::vector<png_bytep>& rows, int& width, int& height,
            int& channels)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info)
    {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadBytes);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);

    png_uint_32 pngWidth = 0;
    png_uint_32 pngHeight = 0;
    int bitDepth = 0;
    int colourType = 0;
    if (!png_get_IHDR(png, info, &pngWidth, &pngHeight, &bitDepth, &colourType, nullptr, nullptr, nullptr) ||
        pngWidth > static_cast<png_uint_32>(k_TextureBase::k_MaxImageSide) ||
        pngHeight > static_cast<png_uint_32>(k_TextureBase::k_MaxImageSide))
    {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (bitDepth == 16)
        png_set_strip_16(png);
    png_read_update_info(png, info);

    channels = png_get_channels(png, info);
    if (channels != 3 && channels != 4)
    {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    width = static_cast<int>(pngWidth);
    height = static_cast<int>(pngHeight);
    const size_t stride = static_cast<size_t>(width) * channels;
    pixels.resize(stride * height);
    rows.resize(static_cast<size_t>(height));
    for (int i = 0; i < height; ++i)
        rows[static_cast<size_t>(i)] = pixels.data() + static_cast<size_t>(height - 1 - i) * stride;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}
} // namespace

k_PngTexture::k_PngTexture(IEngine* engine, const std::wstring& fileName) : k_TextureBase(engine, 2)
{
    LoadImageFile(fileName);
}

void k_PngTexture::Load(IFile* file)
{
    const size_t size = file->GetSize() > 0 ? static_cast<size_t>(file->GetSize()) : 0;
    if (size < 8 || png_sig_cmp(file->GetData(), 0, 8) != 0)
        throw L"Not a PNG file.";
    Reader reader{file->GetData(), size, 8};
    std::vector<unsigned char> pixels;
    std::vector<png_bytep> rows;
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!Decode(reader, pixels, rows, width, height, channels))
        throw L"Cannot decode PNG.";
    m_width = width;
    m_height = height;
    UploadMipmapped(pixels.data(), width, height, channels);
}

bool k_PngTexture::HasMipmaps()
{
    return true;
}
