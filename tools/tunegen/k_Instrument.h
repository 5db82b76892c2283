#pragma once
// The base of every sound source of the tune: it renders one note at a time
// into a stereo buffer. A note is rendered from its own start to the end of
// its release, on fresh voice state, so notes never depend on each other and
// a render of any stretch of the tune gives the same samples.
#include "k_Envelope.h"
#include "k_Note.h"
#include "k_Sound.h"
#include "k_StereoBuffer.h"

#include <cstddef>
#include <cstdint>

class k_Instrument
{
public:
    virtual ~k_Instrument() = default;
    // Seconds a note may still sound after its held length (the release tail).
    virtual double Tail() const = 0;
    // Adds the note to the buffer, whose first frame lies at `origin` seconds; `seed` drives its noise and phases.
    virtual void Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const = 0;

protected:
    // Runs one voice over the note: from its start frame, releases `amp` once the held length is over and
    // stops when the envelope has died away or the buffer ends. For every frame in between it calls
    // voice(n, frame, env) with the sample index n since the note's start, the buffer frame and the envelope
    // level; the voice adds its own sample to the buffer.
    template <class Voice>
    static void Play(const k_Note& note, const k_StereoBuffer& out, double origin, k_Envelope& amp, Voice&& voice)
    {
        const std::ptrdiff_t first = k_Sound::FrameOf(note.start, origin);
        const std::size_t held = static_cast<std::size_t>(note.length * k_Sound::k_SampleRate);
        const auto frames = static_cast<std::ptrdiff_t>(out.Frames());
        for (std::size_t n = 0;; ++n)
        {
            const std::ptrdiff_t frame = first + static_cast<std::ptrdiff_t>(n);
            if (frame >= frames)
                break;
            if (n == held)
                amp.Release();
            const float env = amp.Next();
            if (amp.Done())
                break;
            voice(n, frame, env);
        }
    }
};
