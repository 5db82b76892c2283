#pragma once
// Encodes a stereo buffer as an Ogg Vorbis file with libvorbisenc (variable
// bit rate). The stream's serial number is fixed, so the same samples always
// give the same file.
#include <string>

class k_StereoBuffer;

class k_OggWriter
{
public:
    // Writes the buffer to `path` at the given quality (-0.1 to 1). Throws a wide message when the file cannot
    // be written or the encoder refuses its settings.
    static void Write(const std::string& path, const k_StereoBuffer& buffer, float quality);
};
