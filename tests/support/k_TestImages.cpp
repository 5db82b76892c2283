#include "support/k_TestImages.h"

#include <cstdio>
#include <jpeglib.h>
#include <png.h>

namespace
{
void Append(png_structp png, png_bytep data, png_size_t size)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), size);
}

void Flush(png_structp) {}

std::string EncodeJpeg(int width, int height, const std::vector<uint8_t>& pixels, int components, J_COLOR_SPACE space,
                       int quality, bool progressive = false)
{
    jpeg_compress_struct encoder;
    jpeg_error_mgr errors;
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&encoder, &buffer, &size);
    encoder.image_width = static_cast<JDIMENSION>(width);
    encoder.image_height = static_cast<JDIMENSION>(height);
    encoder.input_components = components;
    encoder.in_color_space = space;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, quality, TRUE);
    // No chroma subsampling, so a two-pixel-high stripe keeps its colours.
    for (int i = 0; i < encoder.num_components; ++i)
        encoder.comp_info[i].h_samp_factor = encoder.comp_info[i].v_samp_factor = 1;
    if (progressive)
        jpeg_simple_progression(&encoder);
    jpeg_start_compress(&encoder, TRUE);
    while (encoder.next_scanline < encoder.image_height)
    {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + encoder.next_scanline * width * components);
        jpeg_write_scanlines(&encoder, &row, 1);
    }
    jpeg_finish_compress(&encoder);
    jpeg_destroy_compress(&encoder);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    free(buffer);
    return out;
}
} // namespace

std::string k_TestImages::Png(int width, int height, int colourType, int bitDepth, const std::vector<uint8_t>& pixels,
                              const std::vector<uint8_t>& palette, const std::vector<uint8_t>& alpha)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, Append, Flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth, colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> colours;
    for (size_t i = 0; i + 2 < palette.size(); i += 3)
        colours.push_back({palette[i], palette[i + 1], palette[i + 2]});
    if (!colours.empty())
        png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    if (!alpha.empty())
        png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
    png_write_info(png, info);
    const size_t stride = pixels.size() / static_cast<size_t>(height);
    for (int y = 0; y < height; ++y)
        png_write_row(png, pixels.data() + static_cast<size_t>(y) * stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string k_TestImages::Jpeg(int width, int height, const std::vector<uint8_t>& rgb, int quality)
{
    return EncodeJpeg(width, height, rgb, 3, JCS_RGB, quality);
}

std::string k_TestImages::GreyJpeg(int width, int height, const std::vector<uint8_t>& grey, int quality)
{
    return EncodeJpeg(width, height, grey, 1, JCS_GRAYSCALE, quality);
}

std::string k_TestImages::ProgressiveJpeg(int width, int height, const std::vector<uint8_t>& rgb)
{
    return EncodeJpeg(width, height, rgb, 3, JCS_RGB, 90, true);
}

std::string k_TestImages::ManyScanJpeg(int scans)
{
    const std::string jpeg = ProgressiveJpeg(8, 8, std::vector<uint8_t>(8 * 8 * 3, 100));
    // The first scan runs from its SOS marker to the next marker; copies of it follow it.
    const size_t first = jpeg.find("\xff\xda");
    size_t next = first + 2;
    while ((next = jpeg.find('\xff', next)) != std::string::npos && jpeg[next + 1] == '\0')
        next += 2;
    const std::string scan = jpeg.substr(first, next - first);
    std::string out = jpeg.substr(0, next);
    for (int i = 1; i < scans; ++i)
        out += scan;
    return out + jpeg.substr(next);
}
