#include "platform/k_PngWriter.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <png.h>
#include <unistd.h>

namespace
{
void OnError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = message ? message : "libpng failed";
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Writes the rows to the open file; false with the reason in error. Kept apart from the setjmp's
// caller's objects with destructors.
bool Encode(FILE* file, int width, int height, const uint8_t* rows, std::string& error)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, OnError, OnWarning);
    if (!png)
    {
        error = "libpng could not start";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        if (error.empty())
            error = "libpng could not start";
        return false;
    }
    png_init_io(png, file);
    // Frames are written by the thousand: a quick compression level keeps capture fast.
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int row = 0; row < height; ++row)
        png_write_row(png, const_cast<png_bytep>(rows + static_cast<size_t>(row) * stride));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
} // namespace

bool k_PngWriter::Write(const std::string& path, int width, int height, const uint8_t* rows, std::string& error)
{
    const std::filesystem::path target(path);
    const std::filesystem::path temporary =
        target.parent_path() / ("." + target.filename().string() + "." + std::to_string(getpid()) + ".part");
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
    {
        error = "cannot write " + temporary.string() + ": " + std::strerror(errno);
        return false;
    }
    error.clear();
    bool written = Encode(file, width, height, rows, error);
    if (std::fflush(file) != 0 && written)
    {
        error = "cannot write " + temporary.string() + ": " + std::strerror(errno);
        written = false;
    }
    if (std::fclose(file) != 0 && written)
    {
        error = "cannot write " + temporary.string() + ": " + std::strerror(errno);
        written = false;
    }
    std::error_code failure;
    if (written)
    {
        std::filesystem::rename(temporary, target, failure);
        if (failure)
        {
            error = "cannot rename " + temporary.string() + " to " + path + ": " + failure.message();
            written = false;
        }
    }
    if (!written)
        std::filesystem::remove(temporary, failure);
    return written;
}
