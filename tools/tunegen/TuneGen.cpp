// orvelant_tunegen: renders the show's tune and encodes it as Ogg Vorbis.
//
//   orvelant_tunegen OUTPUT.ogg --show SHOW.txt [--wav FILE.wav] [--from SECONDS] [--to SECONDS] [--report]
//
// The show file gives the tune its tempo map and where its parts begin. The
// same program always writes the same samples for the same show file: every
// sound comes from the score and seeded generators, never from the clock. --wav also writes the mix
// as 16-bit PCM for listening; --from and --to render a stretch only; --report
// prints the peak and loudness of each section of the show.
#include "k_Mixdown.h"
#include "k_OggWriter.h"
#include "k_Song.h"
#include "k_Sound.h"
#include "k_StereoBuffer.h"
#include "k_WavWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

namespace
{
void Usage()
{
    std::cerr << "usage: orvelant_tunegen OUTPUT.ogg --show SHOW.txt [--wav FILE.wav] [--from SECONDS] [--to SECONDS] "
                 "[--report]\n";
}

bool ParseSeconds(const char* text, double& value)
{
    const std::string s(text);
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    return result.ec == std::errc() && result.ptr == s.data() + s.size() && std::isfinite(value) && value >= 0.0;
}

double ToDb(double v)
{
    return v > 0.0 ? 20.0 * std::log10(v) : -200.0;
}

// Peak and RMS of each section of the show that lies inside the rendered stretch.
void Report(const k_StereoBuffer& mix, double from, const k_ShowFile& show)
{
    const double sr = k_Sound::k_SampleRate;
    const double to = from + static_cast<double>(mix.Frames()) / sr;
    double peakAll = 0.0;
    for (const k_ShowFile::Section& s : show.GetSections())
    {
        const double a = std::max(s.start, from), b = std::min(s.end, to);
        if (b <= a)
            continue;
        const std::size_t i0 = static_cast<std::size_t>((a - from) * sr),
                          i1 = static_cast<std::size_t>((b - from) * sr);
        double sum = 0.0, peak = 0.0;
        for (std::size_t i = i0; i < i1 && i < mix.Frames(); ++i)
        {
            const double l = mix.Left()[i], r = mix.Right()[i];
            sum += l * l + r * r;
            peak = std::max({peak, std::fabs(l), std::fabs(r)});
        }
        const double rms = std::sqrt(sum / (2.0 * static_cast<double>(std::max<std::size_t>(1, i1 - i0))));
        peakAll = std::max(peakAll, peak);
        std::printf("%-10s %6.1f-%6.1f s  RMS %7.2f dBFS  peak %7.2f dBFS\n", s.name.c_str(), s.start, s.end, ToDb(rms),
                    ToDb(peak));
    }
    std::printf("overall peak %.2f dBFS\n", ToDb(peakAll));
}

std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; *text; ++text)
        out.push_back(*text < 128 ? static_cast<char>(*text) : '?');
    return out;
}
} // namespace

int main(int argc, char** argv)
{
    std::string output, wav, showFile;
    double from = 0.0, to = -1.0;
    bool report = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (arg == "--wav" && hasValue)
            wav = argv[++i];
        else if (arg == "--show" && hasValue)
            showFile = argv[++i];
        else if (arg == "--from" && hasValue)
        {
            if (!ParseSeconds(argv[++i], from))
            {
                std::cerr << "orvelant_tunegen: --from needs a number of seconds, not \"" << argv[i] << "\"\n";
                return 2;
            }
        }
        else if (arg == "--to" && hasValue)
        {
            if (!ParseSeconds(argv[++i], to))
            {
                std::cerr << "orvelant_tunegen: --to needs a number of seconds, not \"" << argv[i] << "\"\n";
                return 2;
            }
        }
        else if (arg == "--report")
            report = true;
        else if (!arg.empty() && arg[0] != '-' && output.empty())
            output = arg;
        else
        {
            Usage();
            return 2;
        }
    }
    if (output.empty())
    {
        Usage();
        return 2;
    }

    if (showFile.empty())
    {
        Usage();
        return 2;
    }
    std::vector<std::string> errors;
    const std::optional<k_ShowFile> show = k_Song::ReadShowFile(showFile, errors);
    if (!show)
    {
        for (const std::string& error : errors)
            std::cerr << error << "\n";
        std::cerr << "orvelant_tunegen: the show file " << showFile << " cannot be used\n";
        return 1;
    }

    try
    {
        const k_Song song(*show);
        if (to < 0.0)
            to = song.Length();
        if (to <= from || from >= song.Length())
        {
            std::cerr << "orvelant_tunegen: nothing to render between " << from << " and " << to << " s (the tune is "
                      << song.Length() << " s long)\n";
            return 2;
        }
        std::size_t limited = 0;
        const k_StereoBuffer mix = k_Mixdown::Render(song, from, to, &limited);
        if (report)
        {
            Report(mix, from, *show);
            std::printf("limiter: %.2f s turned down by more than 1 dB\n",
                        static_cast<double>(limited) / k_Sound::k_SampleRate);
        }
        if (!wav.empty())
            k_WavWriter::Write(wav, mix);
        // Written under a temporary name and renamed, so a failed run never leaves a half tune for the pack.
        const std::string partial = output + ".partial";
        k_OggWriter::Write(partial, mix, 0.5f);
        if (std::rename(partial.c_str(), output.c_str()) != 0)
        {
            std::remove(partial.c_str());
            throw L"Cannot write the tune file.";
        }
    }
    catch (const wchar_t* message)
    {
        std::cerr << "orvelant_tunegen: " << Narrow(message) << " (" << output << ")\n";
        return 1;
    }
    return 0;
}
