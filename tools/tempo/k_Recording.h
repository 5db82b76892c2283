#pragma once
// A recording as the tempo measure hears it: the samples of an Ogg Vorbis or WAV file mixed to one channel,
// and what aubio finds in them: the beats its tracker follows and the onsets of notes and hits.
#include "k_TempoFit.h"

#include <optional>
#include <string>
#include <vector>

class k_Recording
{
public:
    // Reads the file; nothing, with the reason in error, when it cannot be read or holds no sound.
    static std::optional<k_Recording> Read(const std::string& path, std::string& error);

    int GetRate() const { return m_rate; }
    double GetSeconds() const { return static_cast<double>(m_samples.size()) / m_rate; }
    const std::vector<float>& GetSamples() const { return m_samples; }

    // aubio's beat tracker (its default method) and onset detector (high-frequency content, threshold 0.3):
    // times in seconds, ascending; the tracker's beat length at each of its beats into periods.
    std::vector<double> TrackBeats(std::vector<double>& periods) const;
    std::vector<double> FindOnsets() const;
    // The energy below about 200 Hz in the 80 ms from the time (where kick drums and downbeats weigh).
    double Strength(double time) const;
    // The energy above about 1 kHz in the 50 ms from the time.
    double Brightness(double time) const;
    // All of these, for the fit.
    k_TempoFit::Recording Analyse() const;

private:
    k_Recording(std::vector<float> samples, int rate);

    std::vector<float> m_samples;
    std::vector<float> m_low;
    std::vector<float> m_high;
    int m_rate = 0;
};
