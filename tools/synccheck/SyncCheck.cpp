// orvelant_synccheck: does the picture land on the music? Lists every moment of the show file that the music
// should mark (each section's start, and the switches, fades and captions marked "music") beside the nearest
// onset an onset detector finds in the tune, and the offset between them:
//
//   orvelant_synccheck SHOW.txt TUNE.ogg [--detector PROGRAM] [--frame SECONDS]
//
// The detector is Debian's aubioonset (aubio-tools), run as a program of its own with the high-frequency-content
// method and threshold 0.3. Exit status 0 when every offset is within a frame (1/30 s unless --frame says
// otherwise), 1 when one is not, 2 when the show, the tune or the detector cannot be used.
#include "animation/k_TempoMap.h"
#include "demo/k_ShowFile.h"
#include "engine/k_Utf8.h"
#include "k_Song.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
struct Moment
{
    std::string what;
    double time = 0.0;
};

// Single quotes around a path for the shell, with any quote inside escaped.
std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The onsets the detector finds, in seconds, ascending; false when it cannot run.
bool Onsets(const std::string& detector, const std::string& tune, std::vector<double>& onsets)
{
    const std::string command = ShellQuoted(detector) + " -i " + ShellQuoted(tune) + " -O hfc -t 0.3 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    char line[128];
    while (std::fgets(line, sizeof line, pipe))
    {
        double seconds = 0.0;
        const char* end = line + std::char_traits<char>::length(line);
        while (end > line && (end[-1] == '\n' || end[-1] == '\r' || end[-1] == ' '))
            --end;
        const auto [stop, error] = std::from_chars(line, end, seconds);
        if (error == std::errc() && stop == end && std::isfinite(seconds))
            onsets.push_back(seconds);
    }
    const int status = pclose(pipe);
    std::sort(onsets.begin(), onsets.end());
    return status == 0 && !onsets.empty();
}

std::vector<Moment> Moments(const k_ShowFile& show)
{
    std::vector<Moment> moments;
    for (const k_ShowFile::Section& section : show.GetSections())
        moments.push_back({"section " + section.name, section.start});
    for (const k_ShowFile::Cue& cue : show.GetCues())
        if (cue.music)
            moments.push_back({(cue.fade ? "fade " : "switch ") + cue.name, cue.start});
    for (const k_ShowFile::Caption& caption : show.GetCaptions())
        if (caption.music)
            moments.push_back(
                {"caption " + k_Utf8::ToUtf8(caption.picture.empty() ? caption.font : caption.picture), caption.start});
    std::stable_sort(moments.begin(), moments.end(), [](const Moment& a, const Moment& b) { return a.time < b.time; });
    return moments;
}
} // namespace

int main(int argc, char** argv)
{
    std::string showFile, tune, detector = "aubioonset";
    double frame = 1.0 / 30.0;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--detector" && i + 1 < argc)
            detector = argv[++i];
        else if (arg == "--frame" && i + 1 < argc)
            frame = std::atof(argv[++i]);
        else if (showFile.empty())
            showFile = arg;
        else if (tune.empty())
            tune = arg;
        else
            showFile.clear();
    }
    if (showFile.empty() || tune.empty() || !(frame > 0.0))
    {
        std::fprintf(stderr, "usage: orvelant_synccheck SHOW.txt TUNE.ogg [--detector PROGRAM] [--frame SECONDS]\n");
        return 2;
    }
    std::vector<std::string> errors;
    const std::optional<k_ShowFile> show = k_Song::ReadShowFile(showFile, errors);
    if (!show)
    {
        for (const std::string& error : errors)
            std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    std::vector<double> onsets;
    if (!Onsets(detector, tune, onsets))
    {
        std::fprintf(stderr,
                     "orvelant_synccheck: %s found no onsets in %s (is it installed? Debian's aubio-tools has it)\n",
                     detector.c_str(), tune.c_str());
        return 2;
    }

    const k_TempoMap& tempo = show->GetTempoMap();
    int late = 0;
    double worst = 0.0;
    std::printf("| moment | time (s) | bar:beat | nearest onset (s) | offset (ms) | within a frame |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Moment& moment : Moments(*show))
    {
        const auto after = std::lower_bound(onsets.begin(), onsets.end(), moment.time);
        double nearest = after != onsets.end() ? *after : onsets.back();
        if (after != onsets.begin() && (after == onsets.end() || moment.time - after[-1] < *after - moment.time))
            nearest = after[-1];
        const double offset = nearest - moment.time;
        const bool within = std::fabs(offset) <= frame + 1e-9;
        late += within ? 0 : 1;
        worst = std::max(worst, std::fabs(offset));
        std::printf("| %s | %.3f | %s | %.3f | %+.0f | %s |\n", moment.what.c_str(), moment.time,
                    tempo.Format(moment.time).c_str(), nearest, offset * 1000.0, within ? "yes" : "NO");
    }
    std::printf("\n%zu onsets; the largest offset %.0f ms; %d moment(s) off by more than %.0f ms\n", onsets.size(),
                worst * 1000.0, late, frame * 1000.0);
    return late == 0 ? 0 : 1;
}
