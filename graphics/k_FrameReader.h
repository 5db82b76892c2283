#pragma once
// Reads finished frames back from the window's back buffer (before the swap)
// without waiting for them: each read goes into a pixel-buffer object, and a
// frame's pixels are taken out only when the next frame's read has been
// started, so the driver can finish one frame while the next is drawn. The
// pixels reach the sink as RGB rows, top row first (GL reads bottom-up).
#include <cstdint>
#include <functional>
#include <vector>

class k_FrameReader
{
public:
    // tag: what Read was given; rows: width * height RGB triples, top row first, no padding.
    using Sink = std::function<void(int64_t tag, const uint8_t* rows)>;

    // Needs a current GL context; reads the lower-left width x height pixels.
    k_FrameReader(int width, int height, Sink sink);
    ~k_FrameReader();
    k_FrameReader(const k_FrameReader&) = delete;
    k_FrameReader& operator=(const k_FrameReader&) = delete;

    // Starts reading the frame just drawn, then hands the frame read before it to the sink.
    void Read(int64_t tag);
    // Hands every frame still being read to the sink, oldest first.
    void Flush();

private:
    // Maps the slot's buffer and hands its pixels to the sink.
    void Deliver(int slot);

    int m_width;
    int m_height;
    Sink m_sink;
    unsigned m_buffers[2] = {0, 0}; // none without pixel-buffer objects: then reads are immediate
    int64_t m_tags[2] = {0, 0};
    bool m_pending[2] = {false, false};
    int m_next = 0;
    std::vector<uint8_t> m_pixels; // bottom-up as read (only without pixel-buffer objects)
    std::vector<uint8_t> m_rows;   // top-down for the sink
};
