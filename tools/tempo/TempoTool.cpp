// orvelant_tempo: the tempo map of a recording, measured, in the show file's own tempo lines.
//
//   orvelant_tempo TUNE.ogg [--beats N] [--first-downbeat SECONDS] [--show SHOW.txt]
//   orvelant_tempo --check SHOW.txt [TUNE.ogg] [--pictures FOLDER]...
//
// The first form tracks the recording's beats with aubio and prints the tempo lines that put its bars on
// them (one anchor where the first bar starts, one wherever the tempo changes) and how well they fit; with
// --show it writes them into that file in place of its tempo lines, every other line kept as it was, and
// lists the entries whose bar:beat times moved. Status 1 when the recording cannot be read, is shorter than
// a bar or has no steady beat.
//
// The second form is a demo build's check: the show file must read without a mistake (status 1, with
// file:line:column, when it does not; a caption's picture must be in one of the --pictures folders when
// they are given), and with a recording its tempo map is measured against the recording's beats: a warning,
// not a failure, lists the bars whose beats lie more than 30 ms off.
#include "demo/k_ShowFile.h"
#include "engine/k_Utf8.h"
#include "k_Recording.h"
#include "k_TempoFit.h"
#include "k_TempoLines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace
{
constexpr double DriftLimit = 0.030;

struct Arguments
{
    std::string tune;
    std::string show;
    bool check = false;
    int beatsPerBar = 4;
    std::optional<double> firstDownbeat;
    std::vector<std::string> pictures;
};

const char* const Usage = "usage: orvelant_tempo TUNE.ogg [--beats N] [--first-downbeat SECONDS] [--show SHOW.txt]\n"
                          "       orvelant_tempo --check SHOW.txt [TUNE.ogg] [--pictures FOLDER]...\n";

std::optional<double> Number(const std::string& text)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The arguments, or nothing with a message on standard error.
std::optional<Arguments> Parse(int argc, char** argv)
{
    Arguments arguments;
    std::vector<std::string> plain;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--check")
        {
            arguments.check = true;
        }
        else if (arg == "--beats" && hasValue)
        {
            const std::optional<double> beats = Number(argv[++i]);
            if (!beats || *beats != std::floor(*beats) || *beats < 1 || *beats > 64)
            {
                std::fprintf(stderr, "orvelant_tempo: --beats takes a whole number of beats in a bar, 1 to 64\n");
                return std::nullopt;
            }
            arguments.beatsPerBar = static_cast<int>(*beats);
        }
        else if (arg == "--first-downbeat" && hasValue)
        {
            arguments.firstDownbeat = Number(argv[++i]);
            if (!arguments.firstDownbeat || *arguments.firstDownbeat < 0.0)
            {
                std::fprintf(stderr,
                             "orvelant_tempo: --first-downbeat takes the seconds of the first bar's downbeat\n");
                return std::nullopt;
            }
        }
        else if (arg == "--show" && hasValue)
        {
            arguments.show = argv[++i];
        }
        else if (arg == "--pictures" && hasValue)
        {
            arguments.pictures.push_back(argv[++i]);
        }
        else if (arg.starts_with("--"))
        {
            std::fputs(Usage, stderr);
            return std::nullopt;
        }
        else
        {
            plain.push_back(arg);
        }
    }
    if (arguments.check)
    {
        if (plain.empty() || plain.size() > 2 || !arguments.show.empty())
        {
            std::fputs(Usage, stderr);
            return std::nullopt;
        }
        arguments.show = plain[0];
        arguments.tune = plain.size() > 1 ? plain[1] : "";
    }
    else
    {
        if (plain.size() != 1 || !arguments.pictures.empty())
        {
            std::fputs(Usage, stderr);
            return std::nullopt;
        }
        arguments.tune = plain[0];
    }
    return arguments;
}

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return !in.bad();
}

// Writes the text beside the file and puts it in the file's place, so that the file is never half written;
// the file keeps its permissions.
bool WriteInPlace(const std::string& path, const std::string& text)
{
    namespace fs = std::filesystem;
    const std::string temporary = path + ".orvelant_tempo~";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out)
        {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    fs::permissions(temporary, fs::status(path, error).permissions(), error);
    fs::rename(temporary, path, error);
    if (error)
        fs::remove(temporary, error);
    return !error;
}

void PrintFit(const k_TempoMap& map, const k_TempoFit::Distance& fit, const char* what)
{
    std::printf("%s: the map's beats lie %.1f ms (median) and at most %.1f ms from %zu tracked beats; the most at "
                "%.3f s (bar %s)\n",
                what, fit.median * 1000.0, fit.worst * 1000.0, fit.beats, fit.worstTime,
                map.Format(fit.worstTime).c_str());
}

// --- the check of a demo's build ---

int Check(const Arguments& arguments)
{
    std::string text;
    if (!ReadText(arguments.show, text))
    {
        std::fprintf(stderr, "orvelant_tempo: %s cannot be read\n", arguments.show.c_str());
        return 1;
    }
    std::function<bool(const std::wstring&)> pictureExists;
    if (!arguments.pictures.empty())
        pictureExists = [&](const std::wstring& picture) {
            const std::string name = k_Utf8::ToUtf8(picture);
            return std::any_of(arguments.pictures.begin(), arguments.pictures.end(), [&](const std::string& folder) {
                return std::filesystem::is_regular_file(std::filesystem::path(folder) / name);
            });
        };
    // The show file's messages name it as given, so that an editor or an IDE finds the line.
    const k_ShowFile show(text, arguments.show, k_ShowFile::Vocabulary::Any(), pictureExists);
    if (!show.IsValid())
    {
        for (const std::string& error : show.GetErrors())
            std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (arguments.tune.empty())
        return 0;

    std::string error;
    const std::optional<k_Recording> recording = k_Recording::Read(arguments.tune, error);
    k_TempoFit::Result measured;
    if (recording)
        measured = k_TempoFit::Measure(recording->Analyse(), {show.GetTempoMap().GetBeatsPerBar(0.0), std::nullopt});
    if (!recording || !measured.error.empty())
    {
        std::fprintf(stderr, "warning: %s: its beats cannot be measured against %s: %s\n", arguments.tune.c_str(),
                     arguments.show.c_str(), recording ? measured.error.c_str() : error.c_str());
        return 0;
    }
    const k_TempoMap& map = show.GetTempoMap();
    const k_TempoFit::Distance fit = k_TempoFit::Compare(map, measured.beats);
    PrintFit(map, fit, (arguments.show + " against " + arguments.tune).c_str());
    const std::vector<k_TempoFit::Drift> drifts = k_TempoFit::Drifts(map, measured.beats, DriftLimit);
    if (drifts.empty())
        return 0;
    // The worst bars first, five at most.
    std::vector<k_TempoFit::Drift> worst = drifts;
    std::sort(worst.begin(), worst.end(), [](const k_TempoFit::Drift& a, const k_TempoFit::Drift& b) {
        return std::fabs(a.offset) > std::fabs(b.offset);
    });
    std::string bars;
    std::vector<int> listed;
    for (const k_TempoFit::Drift& drift : worst)
    {
        const int bar = map.GetPosition(drift.time).bar;
        if (std::find(listed.begin(), listed.end(), bar) != listed.end())
            continue;
        listed.push_back(bar);
        char item[96];
        std::snprintf(item, sizeof item, "%sbar %d (%+.0f ms at %.3f s)", bars.empty() ? "" : ", ", bar,
                      drift.offset * 1000.0, drift.time);
        bars += item;
        if (listed.size() == 5)
            break;
    }
    std::fprintf(stderr,
                 "warning: %s: %zu of %zu beats of %s lie more than %.0f ms from the tempo map; the worst: %s. "
                 "`orvelant_tempo %s --show %s` measures the map\n",
                 arguments.show.c_str(), drifts.size(), fit.beats, arguments.tune.c_str(), DriftLimit * 1000.0,
                 bars.c_str(), arguments.tune.c_str(), arguments.show.c_str());
    return 0;
}

// --- the measure ---

// The entries given in bars and beats whose seconds the new tempo lines move, in file order (the sections,
// which the reader does not place, first).
void PrintMoves(const std::string& name, const k_ShowFile& before, const k_ShowFile& after)
{
    struct Move
    {
        int line;
        std::string what;
        double from;
        double to;
    };
    std::vector<Move> moves;
    const auto add = [&](int line, const std::string& what, double from, double to) {
        if (std::fabs(to - from) >= 0.0005)
            moves.push_back({line, what, from, to});
    };
    add(0, "the length", before.GetLength(), after.GetLength());
    if (before.GetSections().size() == after.GetSections().size())
        for (size_t i = 0; i < after.GetSections().size(); ++i)
            add(0, "section " + after.GetSections()[i].name, before.GetSections()[i].start,
                after.GetSections()[i].start);
    if (before.GetCues().size() == after.GetCues().size())
        for (size_t i = 0; i < after.GetCues().size(); ++i)
        {
            const k_ShowFile::Cue& cue = after.GetCues()[i];
            add(cue.at.line, (cue.fade ? "fade " : "switch ") + cue.name, before.GetCues()[i].start, cue.start);
        }
    if (before.GetCaptions().size() == after.GetCaptions().size())
        for (size_t i = 0; i < after.GetCaptions().size(); ++i)
        {
            const k_ShowFile::Caption& caption = after.GetCaptions()[i];
            const std::wstring& what = caption.picture.empty() ? caption.font : caption.picture;
            add(caption.at.line, (caption.picture.empty() ? "text " : "caption ") + k_Utf8::ToUtf8(what),
                before.GetCaptions()[i].start, caption.start);
        }
    std::stable_sort(moves.begin(), moves.end(), [](const Move& a, const Move& b) { return a.line < b.line; });
    for (const Move& move : moves)
    {
        if (move.line > 0)
            std::printf("%s:%d: ", name.c_str(), move.line);
        else
            std::printf("%s: ", name.c_str());
        std::printf("%s moves from %.3f s to %.3f s (%+.0f ms)\n", move.what.c_str(), move.from, move.to,
                    (move.to - move.from) * 1000.0);
    }
    if (moves.empty())
        std::printf("%s: no entry moves\n", name.c_str());
}

int Measure(const Arguments& arguments)
{
    std::string error;
    const std::optional<k_Recording> recording = k_Recording::Read(arguments.tune, error);
    if (!recording)
    {
        std::fprintf(stderr, "orvelant_tempo: %s: %s\n", arguments.tune.c_str(), error.c_str());
        return 1;
    }
    const double seconds = recording->GetSeconds();
    // A bar at 240 beats a minute, the fastest tempo the map is made for.
    const auto tooShort = [&](double bar) {
        std::fprintf(stderr, "orvelant_tempo: %s: %.2f s long, shorter than a bar (%.2f s); no tempo to measure\n",
                     arguments.tune.c_str(), seconds, bar);
        return 1;
    };
    if (seconds < arguments.beatsPerBar * 0.25)
        return tooShort(arguments.beatsPerBar * 0.25);
    k_TempoFit::Options options;
    options.beatsPerBar = arguments.beatsPerBar;
    options.firstDownbeat = arguments.firstDownbeat;
    const k_TempoFit::Result result = k_TempoFit::Measure(recording->Analyse(), options);
    if (!result.error.empty())
    {
        if (seconds < arguments.beatsPerBar * 0.5)
            return tooShort(arguments.beatsPerBar * 0.5);
        std::fprintf(stderr,
                     "orvelant_tempo: %s: %s. It needs a recording with a steady beat (not silence, noise or a "
                     "beatless pad); write its tempo lines by hand\n",
                     arguments.tune.c_str(), result.error.c_str());
        return 1;
    }
    const k_TempoMap map(result.anchors);
    const double bar = 60.0 / map.GetBeatsPerMinute(result.anchors.front().time) * arguments.beatsPerBar;
    if (seconds < bar)
        return tooShort(bar);

    const std::vector<std::string> lines = k_TempoLines::Format(result.anchors);
    if (arguments.show.empty())
        for (const std::string& line : lines)
            std::printf("%s\n", line.c_str());
    PrintFit(map, result.fit, "fit");
    const double downbeat = result.anchors.front().time;
    switch (result.downbeat)
    {
    case k_TempoFit::Downbeat::Given:
        std::printf("bar 1 starts at %.3f s, the beat nearest --first-downbeat\n", downbeat);
        break;
    case k_TempoFit::Downbeat::Entry:
        std::printf("bar 1 starts at %.3f s: the music enters on that place in the bar (the low end rises fourfold "
                    "from the bar before); --first-downbeat SECONDS puts it elsewhere\n",
                    downbeat);
        break;
    case k_TempoFit::Downbeat::Accent:
        std::printf("bar 1 starts at %.3f s: the beat is strongest at that place in the bar (its low end against "
                    "the beats around it); --first-downbeat SECONDS puts it elsewhere\n",
                    downbeat);
        break;
    case k_TempoFit::Downbeat::First:
        std::printf("bar 1 starts at %.3f s, the first beat; --first-downbeat SECONDS puts it elsewhere\n", downbeat);
        break;
    }
    if (arguments.show.empty())
        return 0;

    std::string text;
    if (!ReadText(arguments.show, text))
    {
        std::fprintf(stderr, "orvelant_tempo: %s cannot be read\n", arguments.show.c_str());
        return 1;
    }
    const std::string name = std::filesystem::path(arguments.show).filename().string();
    const std::string rewritten = k_TempoLines::Replace(text, lines);
    const k_ShowFile after(rewritten, name, k_ShowFile::Vocabulary::Any());
    if (!after.IsValid())
    {
        std::fprintf(stderr, "orvelant_tempo: %s is left as it was: with the measured tempo lines it would not read:\n",
                     arguments.show.c_str());
        for (const std::string& message : after.GetErrors())
            std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    if (rewritten != text && !WriteInPlace(arguments.show, rewritten))
    {
        std::fprintf(stderr, "orvelant_tempo: %s cannot be written\n", arguments.show.c_str());
        return 1;
    }
    std::printf("%s: %zu tempo line(s) written\n", arguments.show.c_str(), lines.size());
    const k_ShowFile before(text, name, k_ShowFile::Vocabulary::Any());
    if (before.IsValid())
        PrintMoves(name, before, after);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    const std::optional<Arguments> arguments = Parse(argc, argv);
    if (!arguments)
        return 2;
    return arguments->check ? Check(*arguments) : Measure(*arguments);
}
