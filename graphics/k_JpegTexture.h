#pragma once
// A texture decoded from a JPEG file of the data pack (libjpeg) and uploaded
// as RGB with a full mipmap chain. Rows go to GL top row first. Greyscale
// JPEGs are converted to RGB; CMYK ones are refused. A stream the decoder
// rejects fails the construction with a red log line.
#include "graphics/k_TextureBase.h"

#include <string>

class k_JpegTexture : public k_TextureBase
{
public:
    // Loads the file; throws (after logging) when it cannot be read or decoded.
    k_JpegTexture(IEngine* engine, const std::wstring& fileName);

    void Load(IFile* file) override;
    bool HasMipmaps() override;
};
