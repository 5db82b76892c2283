#include "graphics/k_PngWriter.h"

#include <GL/glew.h>
#include <cstdio>
#include <iostream>
#include <memory>
#include <png.h>

bool k_PngWriter::Write(const std::string& fileName, int width, int height, const std::vector<uint8_t>& rgba)
{
    if (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * height * 4)
    {
        std::cerr << "PNG: " << width << " x " << height << " does not match " << rgba.size() << " bytes of pixels\n";
        return false;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(fileName.c_str(), "wb"), std::fclose);
    if (!file)
    {
        std::cerr << "PNG: cannot write " << fileName << "\n";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        std::cerr << "PNG: writing " << fileName << " failed\n";
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // PNG rows run top first.
    for (int y = height - 1; y >= 0; --y)
        png_write_row(png, const_cast<png_bytep>(&rgba[static_cast<size_t>(y) * width * 4]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fflush(file.get()) == 0;
}

bool k_PngWriter::WriteFramebuffer(const std::string& fileName, int width, int height)
{
    if (width <= 0 || height <= 0)
        return Write(fileName, width, height, {});
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    // The picture is opaque whatever the framebuffer's alpha holds.
    for (size_t i = 3; i < rgba.size(); i += 4)
        rgba[i] = 255;
    return Write(fileName, width, height, rgba);
}
