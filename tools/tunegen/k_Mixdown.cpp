#include "k_Mixdown.h"

#include "k_Delay.h"
#include "k_Filter.h"
#include "k_Limiter.h"
#include "k_Reverb.h"
#include "k_Sidechain.h"
#include "k_Song.h"
#include "k_Sound.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace
{
// Treats denormal floats as zero while rendering: decaying reverb and filter tails would otherwise slow to a
// crawl. Restores the caller's mode afterwards.
class FlushDenormals
{
public:
#if defined(__SSE__)
    FlushDenormals() : m_Saved(_mm_getcsr())
    {
        _mm_setcsr(m_Saved | 0x8040);
    }
    ~FlushDenormals()
    {
        _mm_setcsr(m_Saved);
    }

private:
    unsigned int m_Saved;
#endif
};
} // namespace

k_StereoBuffer k_Mixdown::Render(const k_Song& song, double from, double to, std::size_t* limited)
{
    FlushDenormals flush;
    from = std::clamp(from, 0.0, song.Length());
    to = std::clamp(to, from, song.Length());
    const double sr = k_Sound::k_SampleRate;
    const std::size_t frames = static_cast<std::size_t>(std::llround((to - from) * sr));
    k_StereoBuffer mix(frames), send(frames), part(frames);
    const k_Sidechain sidechain(song.Kicks(), from, frames);

    // --- every track into the mix and the reverb send ---
    for (std::size_t t = 0; t < song.Tracks().size(); ++t)
    {
        const k_Track& track = *song.Tracks()[t];
        part.Clear();
        const double tail = track.Instrument().Tail();
        bool any = false;
        for (std::size_t n = 0; n < track.Notes().size(); ++n)
        {
            const k_Note& note = track.Notes()[n];
            if (note.start >= to || note.start + note.length + tail <= from)
                continue;
            // Each note's noise and phases come from its own seed, fixed by its place in the score.
            const std::uint64_t seed = (static_cast<std::uint64_t>(t) << 32) ^ n;
            track.Instrument().Render(note, part, from, seed);
            any = true;
        }
        if (!any && track.delayWet <= 0.0f)
            continue;
        float* left = part.Left();
        float* right = part.Right();
        if (track.duck > 0.0f)
        {
            for (std::size_t i = 0; i < frames; ++i)
            {
                const float g = 1.0f - track.duck * sidechain.At(i);
                left[i] *= g;
                right[i] *= g;
            }
        }
        if (track.delayWet > 0.0f && track.delaySeconds > 0.0)
            k_Delay(track.delaySeconds, track.delayFeedback, track.delayWet, 3500.0f).Process(part);
        float panLeft, panRight;
        k_Sound::Balance(track.pan, panLeft, panRight);
        const float gl = track.gain * panLeft, gr = track.gain * panRight;
        const float sl = gl * track.reverbSend, sr2 = gr * track.reverbSend;
        float* mixLeft = mix.Left();
        float* mixRight = mix.Right();
        float* sendLeft = send.Left();
        float* sendRight = send.Right();
        for (std::size_t i = 0; i < frames; ++i)
        {
            mixLeft[i] += left[i] * gl;
            mixRight[i] += right[i] * gr;
            sendLeft[i] += left[i] * sl;
            sendRight[i] += right[i] * sr2;
        }
    }

    // --- the shared reverb ---
    k_Reverb(0.82f, 0.45f, 0.025).Process(send);
    {
        const float ret = song.ReverbReturn();
        for (std::size_t i = 0; i < frames; ++i)
        {
            mix.Left()[i] += send.Left()[i] * ret;
            mix.Right()[i] += send.Right()[i] * ret;
        }
    }

    // --- the master: no DC, level, peaks, and the fade to silence ---
    k_Filter dcLeft(k_Filter::Mode::HighPass, 20.0f, 0.0f), dcRight(k_Filter::Mode::HighPass, 20.0f, 0.0f);
    const float gain = song.MasterGain();
    for (std::size_t i = 0; i < frames; ++i)
    {
        mix.Left()[i] = dcLeft.Process(mix.Left()[i]) * gain;
        mix.Right()[i] = dcRight.Process(mix.Right()[i]) * gain;
    }
    const std::size_t turnedDown = k_Limiter(k_Ceiling, 0.005, 0.12).Process(mix);
    if (limited)
        *limited = turnedDown;
    for (std::size_t i = 0; i < frames; ++i)
    {
        const double t = from + static_cast<double>(i) / sr;
        if (t < song.FadeStart())
            continue;
        const double x = std::min(1.0, (t - song.FadeStart()) / (song.FadeEnd() - song.FadeStart()));
        const float g = static_cast<float>(0.5 + 0.5 * std::cos(k_Sound::k_Pi * x));
        mix.Left()[i] *= g;
        mix.Right()[i] *= g;
    }
    return mix;
}
