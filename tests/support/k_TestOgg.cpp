#include "support/k_TestOgg.h"

#include <algorithm>
#include <cmath>
#include <vorbis/vorbisenc.h>

namespace
{
void Append(std::vector<unsigned char>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}
} // namespace

std::vector<unsigned char> k_TestOgg::Make(double seconds, int rate, int channels, double frequency)
{
    std::vector<unsigned char> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, 0.3f) != 0)
    {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        Append(out, page);

    const long total = static_cast<long>(seconds * rate);
    const long chunk = 1024;
    long written = 0;
    bool ended = false;
    while (!ended)
    {
        const long count = std::min(chunk, total - written);
        if (count > 0)
        {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (long i = 0; i < count; ++i)
            {
                const double t = static_cast<double>(written + i) / rate;
                const float sample = static_cast<float>(0.5 * std::sin(2.0 * M_PI * frequency * t));
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = sample;
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            written += count;
        }
        else
        {
            vorbis_analysis_wrote(&dsp, 0); // end of stream
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet))
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                {
                    Append(out, page);
                    if (ogg_page_eos(&page))
                        ended = true;
                }
            }
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

std::vector<unsigned char> k_TestOgg::WithHeader(std::vector<unsigned char> ogg, int channels, uint32_t rate)
{
    // The first page holds the identification header alone: "\x01vorbis", version, channels, rate, ...
    if (ogg.size() < 27)
        return ogg;
    const size_t headerLength = 27 + ogg[26];
    unsigned char* body = ogg.data() + headerLength;
    body[11] = static_cast<unsigned char>(channels);
    for (int i = 0; i < 4; ++i)
        body[12 + i] = static_cast<unsigned char>(rate >> (8 * i));
    size_t bodyLength = 0;
    for (size_t i = 0; i < ogg[26]; ++i)
        bodyLength += ogg[27 + i];
    ogg_page page{ogg.data(), static_cast<long>(headerLength), body, static_cast<long>(bodyLength)};
    ogg_page_checksum_set(&page);
    return ogg;
}
