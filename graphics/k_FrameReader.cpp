#include "graphics/k_FrameReader.h"

#include <epoxy/gl.h>
#include <cstring>

k_FrameReader::k_FrameReader(int width, int height, Sink sink)
    : m_width(width), m_height(height), m_sink(std::move(sink)),
      m_rows(static_cast<size_t>(width) * static_cast<size_t>(height) * 3)
{
    if (epoxy_gl_version() >= 21 || epoxy_has_gl_extension("GL_ARB_pixel_buffer_object"))
    {
        glGenBuffers(2, m_buffers);
        for (const unsigned buffer : m_buffers)
        {
            glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
            glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(m_rows.size()), nullptr, GL_STREAM_READ);
        }
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    }
    else
    {
        m_pixels.resize(m_rows.size());
    }
}

k_FrameReader::~k_FrameReader()
{
    if (m_buffers[0])
        glDeleteBuffers(2, m_buffers);
}

void k_FrameReader::Read(int64_t tag)
{
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    const int slot = m_next;
    if (m_buffers[slot])
    {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, m_buffers[slot]);
        glReadPixels(0, 0, m_width, m_height, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    }
    else
    {
        glReadPixels(0, 0, m_width, m_height, GL_RGB, GL_UNSIGNED_BYTE, m_pixels.data());
    }
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    m_tags[slot] = tag;
    m_pending[slot] = true;
    m_next = 1 - slot;
    // Without buffers the read is done already; with them the older frame is taken out now.
    if (!m_buffers[slot])
        Deliver(slot);
    else if (m_pending[m_next])
        Deliver(m_next);
}

void k_FrameReader::Flush()
{
    if (m_pending[m_next])
        Deliver(m_next);
    if (m_pending[1 - m_next])
        Deliver(1 - m_next);
}

void k_FrameReader::Deliver(int slot)
{
    m_pending[slot] = false;
    const uint8_t* pixels = m_pixels.data();
    if (m_buffers[slot])
    {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, m_buffers[slot]);
        pixels = static_cast<const uint8_t*>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
        if (!pixels)
        {
            glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
            throw L"Capture: the driver could not map a frame's pixels.";
        }
    }
    const size_t stride = static_cast<size_t>(m_width) * 3;
    for (int row = 0; row < m_height; ++row)
        std::memcpy(&m_rows[static_cast<size_t>(m_height - 1 - row) * stride],
                    pixels + static_cast<size_t>(row) * stride, stride);
    if (m_buffers[slot])
    {
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    }
    m_sink(m_tags[slot], m_rows.data());
}
