#include "k_TempoLines.h"

#include <charconv>
#include <optional>

namespace
{
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// The number with the given decimals, always with a point (whatever the locale says).
std::string Fixed(double value, int decimals)
{
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? std::string(text, end) : std::string("0");
}

// A line of the text: what it says and how it ends ("\n", "\r\n" or nothing at the end of the file).
struct Line
{
    std::string_view body;
    std::string_view end;
};

std::vector<Line> Split(std::string_view text)
{
    std::vector<Line> lines;
    while (!text.empty())
    {
        const size_t newline = text.find('\n');
        if (newline == std::string_view::npos)
        {
            lines.push_back({text, {}});
            break;
        }
        const size_t bodyEnd = newline > 0 && text[newline - 1] == '\r' ? newline - 1 : newline;
        lines.push_back({text.substr(0, bodyEnd), text.substr(bodyEnd, newline + 1 - bodyEnd)});
        text.remove_prefix(newline + 1);
    }
    return lines;
}

bool IsEntry(std::string_view body)
{
    const size_t first = body.find_first_not_of(" \t");
    return first != std::string_view::npos && body[first] != '#';
}
} // namespace

std::vector<std::string> k_TempoLines::Format(const std::vector<k_TempoMap::Anchor>& anchors)
{
    std::vector<std::string> lines;
    for (size_t i = 0; i < anchors.size(); ++i)
    {
        const k_TempoMap::Anchor& anchor = anchors[i];
        std::string line = "tempo " + std::to_string(anchor.bar) + " " + Fixed(anchor.time, 3);
        if (anchor.beatsPerBar != 4)
            line += " beats " + std::to_string(anchor.beatsPerBar);
        double bpm = anchor.beatsPerMinute;
        if (i + 1 < anchors.size())
        {
            const k_TempoMap::Anchor& next = anchors[i + 1];
            bpm = 60.0 * (next.bar - anchor.bar) * anchor.beatsPerBar / (next.time - anchor.time);
        }
        else if (bpm > 0.0)
        {
            line += " bpm " + Fixed(bpm, 3);
        }
        if (bpm > 0.0)
            line += "  # " + Fixed(bpm, 2) + " BPM";
        lines.push_back(line);
    }
    return lines;
}

bool k_TempoLines::IsTempoLine(std::string_view line)
{
    if (line.starts_with(ByteOrderMark))
        line.remove_prefix(ByteOrderMark.size());
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return false;
    line.remove_prefix(first);
    return line.starts_with("tempo") && (line.size() == 5 || line[5] == ' ' || line[5] == '\t' || line[5] == '#');
}

std::string k_TempoLines::Replace(std::string_view text, const std::vector<std::string>& lines)
{
    const std::vector<Line> file = Split(text);
    std::string_view usualEnd = "\n";
    for (const Line& line : file)
        if (!line.end.empty())
        {
            usualEnd = line.end;
            break;
        }
    std::optional<size_t> at;
    for (size_t i = 0; i < file.size() && !at; ++i)
        if (IsTempoLine(file[i].body))
            at = i;
    const bool replacing = at.has_value();
    if (!at)
    {
        at = file.size();
        for (size_t i = 0; i < file.size(); ++i)
            if (IsEntry(i == 0 && file[i].body.starts_with(ByteOrderMark) ? file[i].body.substr(3) : file[i].body))
            {
                at = i;
                break;
            }
    }

    std::string out;
    out.reserve(text.size() + 64 * lines.size());
    for (size_t i = 0; i < file.size(); ++i)
    {
        if (i == *at)
        {
            // The replaced line's byte order mark and indent stay; the new lines end as it did.
            std::string_view body = replacing ? file[i].body : std::string_view();
            std::string prefix;
            if (body.starts_with(ByteOrderMark) || (!replacing && i == 0 && file[i].body.starts_with(ByteOrderMark)))
            {
                prefix = ByteOrderMark;
                if (body.starts_with(ByteOrderMark))
                    body.remove_prefix(ByteOrderMark.size());
            }
            const std::string indent(body.substr(0, body.find_first_not_of(" \t")));
            const std::string_view end = replacing && !file[i].end.empty() ? file[i].end : usualEnd;
            for (size_t k = 0; k < lines.size(); ++k)
            {
                out += (k == 0 ? prefix : std::string()) + indent + lines[k];
                out += replacing && k + 1 == lines.size() ? file[i].end : end;
            }
            if (replacing)
                continue;
            // An inserted block goes before this line, which keeps its bytes (the mark is already written).
            std::string_view keep = file[i].body;
            if (!prefix.empty())
                keep.remove_prefix(ByteOrderMark.size());
            out += keep;
            out += file[i].end;
            continue;
        }
        if (replacing && i > *at && IsTempoLine(file[i].body))
            continue;
        out += file[i].body;
        out += file[i].end;
    }
    if (*at == file.size())
    {
        if (!file.empty() && file.back().end.empty())
            out += usualEnd;
        for (const std::string& line : lines)
            out += line + std::string(usualEnd);
    }
    return out;
}
