#include "app/studio/k_StudioWaveform.h"

#include <algorithm>
#include <cmath>

k_StudioWaveform::k_StudioWaveform(const Sound& sound, int columns)
{
    if (sound.channels <= 0 || sound.rate <= 0 || columns <= 0 ||
        sound.samples.size() < static_cast<size_t>(sound.channels))
        return;
    const size_t channels = static_cast<size_t>(sound.channels);
    const size_t frames = sound.samples.size() / channels;
    m_seconds = static_cast<double>(frames) / sound.rate;
    const size_t count = std::min(static_cast<size_t>(columns), frames);
    m_low.assign(count, 0.0f);
    m_high.assign(count, 0.0f);
    for (size_t column = 0; column < count; ++column)
    {
        const size_t from = column * frames / count;
        const size_t to = (column + 1) * frames / count;
        float low = 1.0f;
        float high = -1.0f;
        for (size_t frame = from; frame < to; ++frame)
        {
            int sum = 0;
            for (size_t channel = 0; channel < channels; ++channel)
                sum += sound.samples[frame * channels + channel];
            const float level = static_cast<float>(sum) / (32768.0f * static_cast<float>(channels));
            low = std::min(low, level);
            high = std::max(high, level);
        }
        m_low[column] = low;
        m_high[column] = high;
    }
}

k_StudioWaveform k_StudioWaveform::Narrowed(int columns) const
{
    k_StudioWaveform narrowed;
    if (columns <= 0 || IsEmpty())
        return narrowed;
    const size_t from = m_low.size();
    const size_t count = std::min(static_cast<size_t>(columns), from);
    narrowed.m_seconds = m_seconds;
    narrowed.m_low.assign(count, 1.0f);
    narrowed.m_high.assign(count, -1.0f);
    for (size_t column = 0; column < from; ++column)
    {
        const size_t into = column * count / from;
        narrowed.m_low[into] = std::min(narrowed.m_low[into], m_low[column]);
        narrowed.m_high[into] = std::max(narrowed.m_high[into], m_high[column]);
    }
    return narrowed;
}

std::vector<uint32_t> k_StudioWaveform::Picture(int height, uint32_t colour) const
{
    const int width = GetColumns();
    if (width == 0 || height <= 0)
        return {};
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
    // Level 1 is the top row, -1 the bottom one.
    auto row = [height](float level) {
        return std::clamp(static_cast<int>(std::lround((1.0f - level) * 0.5f * static_cast<float>(height - 1))), 0,
                          height - 1);
    };
    for (int x = 0; x < width; ++x)
    {
        const int top = row(m_high[static_cast<size_t>(x)]);
        const int bottom = row(m_low[static_cast<size_t>(x)]);
        for (int y = top; y <= bottom; ++y)
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = colour;
    }
    return pixels;
}
