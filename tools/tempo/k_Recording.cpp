#include "k_Recording.h"

#include <aubio/aubio.h>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <vorbis/vorbisfile.h>

namespace
{
// aubio's analysis frames: the tracker's window and step, and the onset detector's (finer, 2.9 ms at 44.1 kHz).
constexpr uint_t TrackWindow = 1024;
constexpr uint_t TrackHop = 512;
constexpr uint_t OnsetWindow = 512;
constexpr uint_t OnsetHop = 128;

// aubio's error lines go into a string instead of standard error while it is alive.
class AubioMessages
{
public:
    AubioMessages()
    {
        aubio_log_set_level_function(AUBIO_LOG_ERR, &Keep, this);
        aubio_log_set_level_function(AUBIO_LOG_WRN, &Keep, this);
    }
    ~AubioMessages() { aubio_log_reset(); }
    AubioMessages(const AubioMessages&) = delete;
    AubioMessages& operator=(const AubioMessages&) = delete;
    const std::string& Text() const { return m_text; }

private:
    static void Keep(sint_t, const char_t* message, void* self)
    {
        std::string& text = static_cast<AubioMessages*>(self)->m_text;
        if (text.empty())
        {
            text = message;
            while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
                text.pop_back();
        }
    }
    std::string m_text;
};

// What the file's first bytes say it is.
enum class Kind
{
    Ogg,
    Wav,
    Other
};

Kind KindOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char magic[12] = {};
    if (!in.read(magic, sizeof magic))
        return Kind::Other;
    if (std::string(magic, 4) == "OggS")
        return Kind::Ogg;
    return std::string(magic, 4) == "RIFF" && std::string(magic + 8, 4) == "WAVE" ? Kind::Wav : Kind::Other;
}

bool ReadOgg(const std::string& path, std::vector<float>& samples, int& rate, std::string& error)
{
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0)
    {
        error = "not an Ogg Vorbis file it can read";
        return false;
    }
    const vorbis_info* info = ov_info(&file, -1);
    rate = info ? static_cast<int>(info->rate) : 0;
    const int channels = info ? info->channels : 0;
    bool ok = rate >= 8000 && rate <= 192000 && channels >= 1 && channels <= 8;
    while (ok)
    {
        float** pcm = nullptr;
        int section = 0;
        const long frames = ov_read_float(&file, &pcm, 4096, &section);
        if (frames == 0)
            break;
        if (frames < 0 || ov_info(&file, -1)->channels != channels)
        {
            ok = false;
            break;
        }
        for (long i = 0; i < frames; ++i)
        {
            float sum = 0.0f;
            for (int c = 0; c < channels; ++c)
                sum += pcm[c][i];
            samples.push_back(sum / static_cast<float>(channels));
        }
    }
    ov_clear(&file);
    if (!ok)
        error = "its Ogg Vorbis stream is damaged or has an unusable rate or channel count";
    return ok;
}

bool ReadWav(const std::string& path, std::vector<float>& samples, int& rate, std::string& error)
{
    AubioMessages messages;
    aubio_source_t* source = new_aubio_source(path.c_str(), 0, 4096);
    if (!source)
    {
        error = "a WAV file it cannot read" + (messages.Text().empty() ? "" : " (" + messages.Text() + ")");
        return false;
    }
    rate = static_cast<int>(aubio_source_get_samplerate(source));
    fvec_t* block = new_fvec(4096);
    for (uint_t read = 4096; read == 4096;)
    {
        aubio_source_do(source, block, &read);
        samples.insert(samples.end(), block->data, block->data + read);
    }
    del_fvec(block);
    del_aubio_source(source);
    return true;
}

// Runs an aubio detector over the samples a hop at a time (the last hop padded with silence).
template <typename Step> void EachHop(const std::vector<float>& samples, uint_t hop, Step step)
{
    fvec_t* in = new_fvec(hop);
    for (size_t at = 0; at < samples.size(); at += hop)
    {
        for (uint_t i = 0; i < hop; ++i)
            in->data[i] = at + i < samples.size() ? samples[at + i] : 0.0f;
        step(in);
    }
    del_fvec(in);
}
} // namespace

k_Recording::k_Recording(std::vector<float> samples, int rate) : m_samples(std::move(samples)), m_rate(rate)
{
    // One-pole low-passes, twice: at 200 Hz for Strength; what lies above 1 kHz for Brightness.
    const auto pole = [rate](double hz) {
        return static_cast<float>(1.0 - std::exp(-2.0 * std::numbers::pi * hz / rate));
    };
    const float low = pole(200.0), high = pole(1000.0);
    m_low.resize(m_samples.size());
    m_high.resize(m_samples.size());
    float low1 = 0.0f, low2 = 0.0f, high1 = 0.0f, high2 = 0.0f;
    for (size_t i = 0; i < m_samples.size(); ++i)
    {
        low1 += low * (m_samples[i] - low1);
        low2 += low * (low1 - low2);
        m_low[i] = low2;
        high1 += high * (m_samples[i] - high1);
        high2 += high * (high1 - high2);
        m_high[i] = m_samples[i] - high2;
    }
}

std::optional<k_Recording> k_Recording::Read(const std::string& path, std::string& error)
{
    if (!std::ifstream(path, std::ios::binary))
    {
        error = "cannot be opened";
        return std::nullopt;
    }
    std::vector<float> samples;
    int rate = 0;
    const Kind kind = KindOf(path);
    if (kind == Kind::Other)
    {
        error = "neither Ogg Vorbis nor WAV";
        return std::nullopt;
    }
    if (!(kind == Kind::Ogg ? ReadOgg(path, samples, rate, error) : ReadWav(path, samples, rate, error)))
        return std::nullopt;
    if (rate <= 0 || samples.empty())
    {
        error = "holds no sound";
        return std::nullopt;
    }
    return k_Recording(std::move(samples), rate);
}

std::vector<double> k_Recording::TrackBeats(std::vector<double>& periods) const
{
    AubioMessages messages;
    std::vector<double> beats;
    periods.clear();
    aubio_tempo_t* tempo = new_aubio_tempo("default", TrackWindow, TrackHop, static_cast<uint_t>(m_rate));
    if (!tempo)
        return beats;
    fvec_t* out = new_fvec(2);
    EachHop(m_samples, TrackHop, [&](const fvec_t* in) {
        aubio_tempo_do(tempo, in, out);
        if (out->data[0] != 0.0f)
        {
            beats.push_back(aubio_tempo_get_last_s(tempo));
            periods.push_back(aubio_tempo_get_period_s(tempo));
        }
    });
    del_fvec(out);
    del_aubio_tempo(tempo);
    return beats;
}

std::vector<double> k_Recording::FindOnsets() const
{
    AubioMessages messages;
    std::vector<double> onsets;
    aubio_onset_t* onset = new_aubio_onset("hfc", OnsetWindow, OnsetHop, static_cast<uint_t>(m_rate));
    if (!onset)
        return onsets;
    aubio_onset_set_threshold(onset, 0.3f);
    fvec_t* out = new_fvec(1);
    EachHop(m_samples, OnsetHop, [&](const fvec_t* in) {
        aubio_onset_do(onset, in, out);
        if (out->data[0] != 0.0f)
            onsets.push_back(aubio_onset_get_last_s(onset));
    });
    del_fvec(out);
    del_aubio_onset(onset);
    return onsets;
}

double k_Recording::Strength(double time) const
{
    const auto from = static_cast<size_t>(std::max(0.0, time * m_rate));
    const size_t to = std::min(m_low.size(), from + static_cast<size_t>(0.08 * m_rate));
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += static_cast<double>(m_low[i]) * m_low[i];
    return sum;
}

double k_Recording::Brightness(double time) const
{
    const auto from = static_cast<size_t>(std::max(0.0, time * m_rate));
    const size_t to = std::min(m_high.size(), from + static_cast<size_t>(0.05 * m_rate));
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += static_cast<double>(m_high[i]) * m_high[i];
    return sum;
}

k_TempoFit::Recording k_Recording::Analyse() const
{
    k_TempoFit::Recording recording;
    recording.beats = TrackBeats(recording.periods);
    recording.onsets = FindOnsets();
    recording.strength = [this](double time) { return Strength(time); };
    recording.brightness = [this](double time) { return Brightness(time); };
    recording.seconds = GetSeconds();
    return recording;
}
