#include "app/k_CaptureOptions.h"

#include "app/k_CaptureLoop.h"
#include "app/k_NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

namespace
{
// Two numbers around a separator ("1280x720", "16:9").
template <typename T, typename Parser>
bool ParsePair(std::string_view text, char separator, Parser parse, T& first, T& second)
{
    const size_t split = text.find(separator);
    if (split == std::string_view::npos)
        return false;
    const auto a = parse(text.substr(0, split));
    const auto b = parse(text.substr(split + 1));
    if (!a || !b)
        return false;
    first = *a;
    second = *b;
    return true;
}

std::string Format(double value)
{
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}
// What the usage text says of the frames drawn before a time sought to.
std::string WarmUp(double seconds)
{
    if (!(seconds > 0.0))
        return "The show is sought to the first time written (--from, --at) and drawn from there.\n"
               "--from-start and --bench draw every frame from demo time 0.\n";
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return std::string("Frames start ") + text +
           " s before the first time written (--from, --at): the show is sought there and\n"
           "those frames bring its feedback and adaptation to their look. --from-start, --bench and\n"
           "ranges that start sooner draw every frame from demo time 0.\n";
}
} // namespace

// --- the command line ---

std::string k_CaptureOptions::Parse(const std::vector<std::string>& arguments)
{
    // Help wins wherever it stands, whatever else is wrong.
    for (const std::string& argument : arguments)
        if (argument == "--help" || argument == "-h")
        {
            help = true;
            return {};
        }
    bool aspectGiven = false, atGiven = false, everyGiven = false, jsonGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        std::string name = arguments[i];
        std::string value;
        bool hasValue = false;
        if (const size_t equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos)
        {
            value = name.substr(equals + 1);
            name.resize(equals);
            hasValue = true;
        }
        if (name == "--bench" || name == "--from-start" || name == "--keep-going")
        {
            if (hasValue)
                return name + " takes no value";
            (name == "--bench" ? bench : name == "--from-start" ? fromStart : keepGoing) = true;
            continue;
        }
        static const std::string_view withValue[] = {"--size", "--aspect", "--fps", "--from",  "--to",
                                                     "--at",   "--every",  "--out", "--video", "--json"};
        if (std::find(std::begin(withValue), std::end(withValue), name) == std::end(withValue))
            return "unknown option '" + arguments[i] + "'";
        if (!hasValue)
        {
            if (i + 1 >= arguments.size())
                return name + " needs a value";
            value = arguments[++i];
        }

        if (name == "--size")
        {
            if (!ParsePair<int>(value, 'x', k_NumberText::Integer, width, height))
                return "--size wants WIDTHxHEIGHT in pixels, not '" + value + "'";
            if (width < 1 || height < 1)
                return "--size " + value + " is empty: width and height must be at least 1";
            if (width > MaxSize || height > MaxSize)
                return "--size " + value + " is larger than " + std::to_string(MaxSize) + " pixels";
        }
        else if (name == "--aspect")
        {
            double w = 0.0, h = 0.0;
            if (!ParsePair<double>(value, ':', k_NumberText::Number, w, h) || w <= 0.0 || h <= 0.0)
                return "--aspect wants W:H with two positive numbers, not '" + value + "'";
            aspectRatio = static_cast<float>(w / h);
            aspectGiven = true;
        }
        else if (name == "--fps")
        {
            const auto parsed = k_NumberText::Integer(value);
            if (!parsed || *parsed < 1 || *parsed > 240)
                return "--fps wants a whole number from 1 to 240, not '" + value + "'";
            fps = *parsed;
        }
        else if (name == "--from" || name == "--to")
        {
            const auto parsed = k_NumberText::Number(value);
            if (!parsed || *parsed < 0.0)
                return name + " wants a demo time in seconds (0 or more), not '" + value + "'";
            if (*parsed > MaxTime)
                return name + " " + value + " is past the latest demo time the capture takes, " + Format(MaxTime) +
                       " s";
            (name == "--from" ? from : to) = *parsed;
            toGiven = toGiven || name == "--to";
        }
        else if (name == "--at")
        {
            at.clear();
            std::string_view rest = value;
            while (true)
            {
                const size_t comma = rest.find(',');
                const std::string_view piece = rest.substr(0, comma);
                const auto parsed = k_NumberText::Number(piece);
                if (!parsed || *parsed < 0.0)
                    return "--at wants demo times in seconds separated by commas, not '" + value + "'";
                if (*parsed > MaxTime)
                    return "--at " + std::string(piece) + " is past the latest demo time the capture takes, " +
                           Format(MaxTime) + " s";
                at.push_back(*parsed);
                if (comma == std::string_view::npos)
                    break;
                rest.remove_prefix(comma + 1);
            }
            atGiven = true;
        }
        else if (name == "--every")
        {
            const auto parsed = k_NumberText::Integer(value);
            if (!parsed || *parsed < 1)
                return "--every wants a whole number of frames (1 or more), not '" + value + "'";
            every = *parsed;
            everyGiven = true;
        }
        else if (name == "--out" || name == "--video" || name == "--json")
        {
            if (value.empty())
                return name + " needs a file or folder name";
            (name == "--out" ? outDirectory : name == "--video" ? videoFile : jsonFile) = value;
            jsonGiven = jsonGiven || name == "--json";
        }
    }

    // --- the combinations ---
    if (to <= from)
        return "--to (" + Format(to) + ") must come after --from (" + Format(from) + ")";
    for (const double time : at)
        if (time < from || time > to)
            return "--at " + Format(time) + " is outside the range " + Format(from) + " to " + Format(to);
    std::sort(at.begin(), at.end());
    at.erase(std::unique(at.begin(), at.end()), at.end());
    if (!at.empty() && !bench)
    {
        const k_CaptureLoop frames(*this);
        if (!frames.NameClash().empty())
            return frames.NameClash();
    }
    if (bench && (!outDirectory.empty() || !videoFile.empty() || atGiven || everyGiven))
        return "--bench draws without writing frames: it cannot be combined with --out, --video, --at or --every";
    if (jsonGiven && !bench)
        return "--json writes the figures of --bench: give --bench too";
    if (!bench && outDirectory.empty() && videoFile.empty())
        return "nothing to do: give --out DIR, --video FILE or --bench";
    if (!videoFile.empty() && (atGiven || everyGiven))
        return "--video takes every frame of the range: it cannot be combined with --at or --every";
    if (atGiven && everyGiven)
        return "--at and --every cannot be combined";
    if (!videoFile.empty() && (width % 2 != 0 || height % 2 != 0))
        return "--video needs an even width and height (the video's colour format halves them)";
    if (!aspectGiven)
        aspectRatio = static_cast<float>(width) / static_cast<float>(height);
    return {};
}

std::string k_CaptureOptions::EndAtShow(double showLength)
{
    if (toGiven)
        return {};
    to = showLength;
    if (to <= from)
        return "--from " + Format(from) + " is at or past the show's end (" + Format(showLength) +
               " s): give --to to draw past it";
    for (const double time : at)
        if (time > to)
            return "--at " + Format(time) + " is outside the range " + Format(from) + " to " + Format(to) +
                   ", the show's end: give --to to draw past it";
    return {};
}

std::string k_CaptureOptions::CheckDriverLimit(int maxWidth, int maxHeight) const
{
    if (width <= maxWidth && height <= maxHeight)
        return {};
    return "--size " + std::to_string(width) + "x" + std::to_string(height) + " is larger than the driver draws (" +
           std::to_string(maxWidth) + "x" + std::to_string(maxHeight) + " at most)";
}

std::string k_CaptureOptions::Usage(const std::string& command, double warmUp)
{
    return "usage: " + command +
           " [options]\n"
           "Renders the show at a fixed frame rate: frame n is drawn at demo time n / fps.\n"
           "  --size WxH       picture size in pixels (default 1280x720)\n"
           "  --aspect W:H     display aspect ratio (default: that of the size)\n"
           "  --fps N          frames per second of demo time, 1 to 240 (default 30)\n"
           "  --from S         first demo time written, in seconds (default 0)\n"
           "  --to S           last demo time drawn, in seconds (default: the show's end; at most 3600)\n"
           "  --at T[,T...]    write only the first frame reaching each demo time\n"
           "  --every N        write every Nth frame of the range (default 1)\n"
           "  --out DIR        write PNG frames into DIR as frame_TTT.TTT.png\n"
           "  --video FILE     write a video: MP4 (H.264, the tune as AAC), or for FILE.mkv Matroska with\n"
           "                   the tune as FLAC, whose parts of adjacent ranges join without a gap\n"
           "  --from-start     draw every frame from demo time 0 (the show's exact history)\n"
           "  --bench          draw every frame from 0 without writing frames and print timings\n"
           "  --json FILE      with --bench: write the figures as JSON too\n"
           "  --keep-going     draw though a material or shader failed at start-up (else: status 1)\n"
           "  --help           show this text\n" +
           WarmUp(warmUp) +
           "Draws on the display; with none (neither DISPLAY nor WAYLAND_DISPLAY set) through SDL's offscreen\n"
           "driver, unless SDL_VIDEODRIVER names another.\n"
           "Exit status: 0 done, 1 error (message on standard error; a material or shader that failed at\n"
           "start-up is one), 2 bad command line.\n";
}
