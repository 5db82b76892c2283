#include "graphics/k_PngTexture.h"

#include "engine/k_Log.h"
#include "interfaces/IFile.h"

#include <epoxy/gl.h>
#include <csetjmp>
#include <cstdio>
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

// Why decoding stopped, for the log line; written before every jump out of the decoder.
struct Failure
{
    char text[160];
};

void Fail(png_structp png, const char* text)
{
    Failure* failure = static_cast<Failure*>(png_get_error_ptr(png));
    std::snprintf(failure->text, sizeof failure->text, "%s", text);
    png_longjmp(png, 1);
}

void OnError(png_structp png, png_const_charp message)
{
    Fail(png, message);
}

void OnWarning(png_structp, png_const_charp) {}

// Ancillary chunks (text, colour profiles) are decompressed whole in memory; more than this is no picture's.
constexpr png_alloc_size_t k_MaxChunkBytes = 8u << 20;

// Decodes into image (rows stored bottom row first). image and rows live in the caller, so the jump skips no
// destructor.
bool DecodePng(Reader& reader, k_ImageTexture::Image& image, std::vector<png_bytep>& rows, Failure& failure,
               png_uint_32& pngWidth, png_uint_32& pngHeight)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, OnError, OnWarning);
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
    png_set_chunk_malloc_max(png, k_MaxChunkBytes);
    png_read_info(png, info);

    int bitDepth = 0;
    int colourType = 0;
    if (!png_get_IHDR(png, info, &pngWidth, &pngHeight, &bitDepth, &colourType, nullptr, nullptr, nullptr))
        Fail(png, "no image header");
    if (!k_ImageTexture::IsWithinLimits(pngWidth, pngHeight))
    {
        std::snprintf(failure.text, sizeof failure.text, "%u x %u pixels (at most %d a side and %lld in all)",
                      static_cast<unsigned>(pngWidth), static_cast<unsigned>(pngHeight), k_ImageTexture::k_MaxImageSide,
                      static_cast<long long>(k_ImageTexture::k_MaxImagePixels));
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

    image.components = png_get_channels(png, info);
    if (image.components != 3 && image.components != 4)
        Fail(png, "only RGB, RGBA, palette and grey-with-alpha images");
    image.width = static_cast<int>(pngWidth);
    image.height = static_cast<int>(pngHeight);
    const size_t stride = static_cast<size_t>(image.width) * static_cast<size_t>(image.components);
    image.pixels.reserve(stride * static_cast<size_t>(image.height) + k_ImageTexture::k_UploadSlackBytes);
    image.pixels.resize(stride * static_cast<size_t>(image.height));
    rows.resize(static_cast<size_t>(image.height));
    for (int i = 0; i < image.height; ++i)
        rows[static_cast<size_t>(i)] = image.pixels.data() + static_cast<size_t>(image.height - 1 - i) * stride;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}
} // namespace

k_PngTexture::k_PngTexture(IEngine* engine, const std::wstring& fileName)
    : k_ImageTexture(engine, fileName, &k_PngTexture::Decode)
{
}

void k_PngTexture::Decode(const unsigned char* data, size_t size, Image& image)
{
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        throw L"Not a PNG file.";
    Reader reader{data, size, 8};
    std::vector<png_bytep> rows;
    Failure failure{};
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    if (!DecodePng(reader, image, rows, failure, width, height))
    {
        const bool tooLarge = !IsWithinLimits(width, height);
        image = Image();
        k_Log(k_Log::Colour::Error) << (tooLarge ? "Unsupported PNG: " : "Cannot decode PNG: ") << failure.text;
        throw tooLarge ? L"PNG too large." : L"Cannot decode PNG.";
    }
}
