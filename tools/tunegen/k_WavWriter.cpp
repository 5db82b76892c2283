#include "k_WavWriter.h"

#include "k_Sound.h"
#include "k_StereoBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

namespace
{
void Put16(std::vector<char>& out, std::uint16_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::vector<char>& out, std::uint32_t v)
{
    Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}

std::int16_t ToPcm(float v)
{
    return static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
}
} // namespace

void k_WavWriter::Write(const std::string& path, const k_StereoBuffer& buffer)
{
    const std::uint64_t dataBytes = static_cast<std::uint64_t>(buffer.Frames()) * 4;
    if (dataBytes > 0xFFFFFFF0ull)
        throw L"The tune is too long for a WAV file.";
    std::vector<char> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, static_cast<std::uint32_t>(36 + dataBytes));
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, 2); // channels
    Put32(out, k_Sound::k_SampleRate);
    Put32(out, k_Sound::k_SampleRate * 4);
    Put16(out, 4);  // bytes per frame
    Put16(out, 16); // bits per sample
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, static_cast<std::uint32_t>(dataBytes));
    for (std::size_t i = 0; i < buffer.Frames(); ++i)
    {
        Put16(out, static_cast<std::uint16_t>(ToPcm(buffer.Left()[i])));
        Put16(out, static_cast<std::uint16_t>(ToPcm(buffer.Right()[i])));
    }
    std::ofstream file(path, std::ios::binary);
    if (!file.write(out.data(), static_cast<std::streamsize>(out.size())) || !file.flush())
        throw L"Cannot write the WAV file.";
}
