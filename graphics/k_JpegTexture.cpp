#include "graphics/k_JpegTexture.h"

#include "engine/k_Log.h"
#include "interfaces/IFile.h"

#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>
#include <vector>

namespace
{
// What the decoder is doing when it warns.
enum class Phase
{
    Starting, // the header and, for progressive files, every scan
    Rows,     // handing out rows
    Finishing // every row is out; only the tail after the picture data is read
};

// libjpeg's error manager with a way back: a fatal error jumps out of the decoder instead of ending the
// process. Only plain C data lives between the setjmp and the jump.
struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    Phase phase;
};

void OnFatalError(j_common_ptr decoder)
{
    ErrorManager* errors = reinterpret_cast<ErrorManager*>(decoder->err);
    errors->base.format_message(decoder, errors->message);
    std::longjmp(errors->jump, 1);
}

void OnMessage(j_common_ptr)
{
    // Warnings about recoverable damage are not worth a log line of their own.
}

// The decoder only warns when picture data is missing or damaged and fills the rest with grey; such a
// file is broken, so those warnings fail the load like any other decoder error. A warning after the
// last row (a file that lacks only its end marker) leaves the picture whole and keeps it. Running into
// the end of the data while rows are handed out is the decoder reading ahead for bits it may not need:
// a row that really lacks data is then reported as hitting a marker.
void OnEmitMessage(j_common_ptr decoder, int level)
{
    const ErrorManager* errors = reinterpret_cast<const ErrorManager*>(decoder->err);
    if (level >= 0 || errors->phase == Phase::Finishing)
        return;
    switch (decoder->err->msg_code)
    {
    case JWRN_JPEG_EOF:
        if (errors->phase == Phase::Rows)
            break;
        [[fallthrough]];
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
        decoder->err->error_exit(decoder);
        break;
    default:
        break;
    }
}

// Each scan of a progressive or multi-scan file passes over the whole coefficient buffer: a few bytes per scan
// would make thousands of passes. Real encoders write about ten.
constexpr int k_MaxScans = 500;

void OnProgress(j_common_ptr decoder)
{
    const auto* decompressor = reinterpret_cast<j_decompress_ptr>(decoder);
    if (decompressor->input_scan_number <= k_MaxScans)
        return;
    ErrorManager* errors = reinterpret_cast<ErrorManager*>(decoder->err);
    std::snprintf(errors->message, sizeof errors->message, "more than %d scans", k_MaxScans);
    std::longjmp(errors->jump, 1);
}

enum class Result
{
    Ok,
    DecoderError,
    TooLarge,
    NotRgb,
};

// Decodes into image (RGB, top row first). image lives in the caller, so the jump skips no destructor.
Result DecodeJpeg(const unsigned char* data, unsigned long size, k_ImageTexture::Image& image, ErrorManager& errors,
                  unsigned long& width, unsigned long& height)
{
    jpeg_decompress_struct decoder;
    jpeg_progress_mgr progress{};
    decoder.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnFatalError;
    errors.base.output_message = OnMessage;
    errors.base.emit_message = OnEmitMessage;
    errors.message[0] = '\0';
    errors.phase = Phase::Starting;
    progress.progress_monitor = OnProgress;
    if (setjmp(errors.jump))
    {
        jpeg_destroy_decompress(&decoder);
        return Result::DecoderError;
    }
    jpeg_create_decompress(&decoder);
    decoder.progress = &progress;
    jpeg_mem_src(&decoder, data, size);
    jpeg_read_header(&decoder, TRUE);
    // Greyscale converts to RGB; CMYK cannot.
    if (decoder.jpeg_color_space == JCS_GRAYSCALE)
        decoder.out_color_space = JCS_RGB;
    width = decoder.image_width;
    height = decoder.image_height;
    if (!k_ImageTexture::IsWithinLimits(width, height))
    {
        jpeg_destroy_decompress(&decoder);
        return Result::TooLarge;
    }
    jpeg_start_decompress(&decoder);
    if (decoder.output_components != 3)
    {
        jpeg_destroy_decompress(&decoder);
        return Result::NotRgb;
    }
    image.width = static_cast<int>(decoder.output_width);
    image.height = static_cast<int>(decoder.output_height);
    image.components = 3;
    const size_t stride = static_cast<size_t>(image.width) * 3;
    image.pixels.reserve(stride * static_cast<size_t>(image.height) + k_ImageTexture::k_UploadSlackBytes);
    image.pixels.resize(stride * static_cast<size_t>(image.height));
    errors.phase = Phase::Rows;
    while (decoder.output_scanline < decoder.output_height)
    {
        JSAMPROW row = image.pixels.data() + decoder.output_scanline * stride;
        jpeg_read_scanlines(&decoder, &row, 1);
    }
    errors.phase = Phase::Finishing;
    jpeg_finish_decompress(&decoder);
    jpeg_destroy_decompress(&decoder);
    return Result::Ok;
}
} // namespace

k_JpegTexture::k_JpegTexture(IEngine* engine, const std::wstring& fileName)
    : k_ImageTexture(engine, fileName, &k_JpegTexture::Decode)
{
}

void k_JpegTexture::Decode(const unsigned char* data, size_t size, Image& image)
{
    ErrorManager errors;
    unsigned long width = 0;
    unsigned long height = 0;
    switch (DecodeJpeg(data, static_cast<unsigned long>(size), image, errors, width, height))
    {
    case Result::Ok:
        return;
    case Result::DecoderError:
        image = Image();
        k_Log(k_Log::Colour::Error) << "Cannot decode JPEG: " << errors.message;
        throw L"Cannot decode JPEG.";
    case Result::TooLarge:
        k_Log(k_Log::Colour::Error) << "Unsupported JPEG: " << width << " x " << height << " pixels (at most "
                                    << k_MaxImageSide << " a side and " << k_MaxImagePixels << " in all)";
        throw L"JPEG too large.";
    case Result::NotRgb:
        break;
    }
    k_Log(k_Log::Colour::Error) << "Unsupported JPEG: only RGB and greyscale images";
    throw L"Unsupported JPEG.";
}
