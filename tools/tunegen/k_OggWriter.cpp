#include "k_OggWriter.h"

#include "k_Sound.h"
#include "k_StereoBuffer.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vorbis/vorbisenc.h>

namespace
{
// Owns the encoder's state for one file, so every exit path releases it.
struct Encoder
{
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    bool analysis = false;

    Encoder()
    {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~Encoder()
    {
        if (analysis)
        {
            ogg_stream_clear(&stream);
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
};

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void WritePage(std::FILE* file, const ogg_page& page)
{
    if (std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), file) !=
            static_cast<std::size_t>(page.header_len) ||
        std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), file) !=
            static_cast<std::size_t>(page.body_len))
        throw L"Cannot write the tune file.";
}
} // namespace

void k_OggWriter::Write(const std::string& path, const k_StereoBuffer& buffer, float quality)
{
    Encoder enc;
    if (vorbis_encode_init_vbr(&enc.info, 2, k_Sound::k_SampleRate, quality) != 0)
        throw L"The Vorbis encoder refused its settings.";
    vorbis_comment_add_tag(&enc.comment, "TITLE", "starwane");
    vorbis_comment_add_tag(&enc.comment, "ENCODER", "orvelant_tunegen");
    vorbis_analysis_init(&enc.dsp, &enc.info);
    vorbis_block_init(&enc.dsp, &enc.block);
    ogg_stream_init(&enc.stream, 0x0572A9E1);
    enc.analysis = true;

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        throw L"Cannot create the tune file.";

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&enc.dsp, &enc.comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&enc.stream, &header);
    ogg_stream_packetin(&enc.stream, &headerComment);
    ogg_stream_packetin(&enc.stream, &headerCode);
    ogg_page page;
    // The headers get pages of their own, so the audio starts on a fresh page.
    while (ogg_stream_flush(&enc.stream, &page) != 0)
        WritePage(file.get(), page);

    const std::size_t chunk = 4096;
    std::size_t done = 0;
    bool finished = false;
    while (!finished)
    {
        const std::size_t count = std::min(chunk, buffer.Frames() - done);
        if (count == 0)
        {
            vorbis_analysis_wrote(&enc.dsp, 0); // end of stream
        }
        else
        {
            float** input = vorbis_analysis_buffer(&enc.dsp, static_cast<int>(count));
            std::copy_n(buffer.Left() + done, count, input[0]);
            std::copy_n(buffer.Right() + done, count, input[1]);
            vorbis_analysis_wrote(&enc.dsp, static_cast<int>(count));
            done += count;
        }
        while (vorbis_analysis_blockout(&enc.dsp, &enc.block) == 1)
        {
            vorbis_analysis(&enc.block, nullptr);
            vorbis_bitrate_addblock(&enc.block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&enc.dsp, &packet) != 0)
            {
                ogg_stream_packetin(&enc.stream, &packet);
                while (ogg_stream_pageout(&enc.stream, &page) != 0)
                {
                    WritePage(file.get(), page);
                    if (ogg_page_eos(&page))
                        finished = true;
                }
            }
        }
        if (count == 0)
            finished = true;
    }
    while (ogg_stream_flush(&enc.stream, &page) != 0)
        WritePage(file.get(), page);
    if (std::fclose(file.release()) != 0)
        throw L"Cannot write the tune file.";
}
