#pragma once
// A texture decoded from a JPEG file of the data pack (libjpeg) and uploaded
// as RGB with a full mipmap chain. Rows go to GL top row first. Greyscale
// JPEGs are converted to RGB; CMYK ones are refused. A stream the decoder
// rejects fails the construction with a red log line, as does a picture
// past the size limits or a file of more than 500 scans.
#include "graphics/k_ImageTexture.h"

#include <string>

class k_JpegTexture : public k_ImageTexture
{
public:
    // Loads the file; throws (after logging) when it cannot be read or decoded.
    k_JpegTexture(IEngine* engine, const std::wstring& fileName);

    // Decodes a JPEG file's bytes into RGB rows, top row first, without touching GL; logs in red and throws
    // when the data cannot be decoded or the picture is too large (k_MaxImageSide, k_MaxImagePixels).
    static void Decode(const unsigned char* data, size_t size, Image& image);
};
