// orvelant_tempo_compare: how far a measured tempo map lies from the one a show file was made with.
//
//   orvelant_tempo_compare EXPECTED.txt MEASURED.txt
//
// Prints one line: the anchors of each file ("bar@seconds", the last with its BPM), the number of beats
// compared (every beat of the expected map from bar 1's downbeat to the show's length, by bar and beat, so a
// map that numbers its bars differently is far off), and the median and largest distance between the two
// maps' times of those beats in milliseconds. Status 1 when the files cannot be read, 0 otherwise.
#include "animation/k_TempoMap.h"
#include "demo/k_ShowFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace
{
std::optional<k_ShowFile> Read(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    k_ShowFile show(text.str(), path, k_ShowFile::Vocabulary::Any());
    if (!in || !show.IsValid())
    {
        std::fprintf(stderr, "%s: %s\n", path,
                     show.GetErrors().empty() ? "cannot be read" : show.GetErrors()[0].c_str());
        return std::nullopt;
    }
    return show;
}

std::string Anchors(const k_TempoMap& map)
{
    std::string text;
    char item[64];
    for (const k_TempoMap::Anchor& anchor : map.GetAnchors())
    {
        std::snprintf(item, sizeof item, "%s%d@%.3f", text.empty() ? "" : " ", anchor.bar, anchor.time);
        text += item;
        if (anchor.beatsPerMinute > 0.0)
        {
            std::snprintf(item, sizeof item, " (%.3f BPM)", anchor.beatsPerMinute);
            text += item;
        }
    }
    return text;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: orvelant_tempo_compare EXPECTED.txt MEASURED.txt\n");
        return 2;
    }
    const std::optional<k_ShowFile> expected = Read(argv[1]);
    const std::optional<k_ShowFile> measured = Read(argv[2]);
    if (!expected || !measured)
        return 1;
    const k_TempoMap& a = expected->GetTempoMap();
    const k_TempoMap& b = measured->GetTempoMap();
    std::vector<double> distances;
    for (double beat = 0.0; a.GetTimeOfBeat(beat) <= expected->GetLength(); beat += 1.0)
        distances.push_back(std::fabs(a.GetTimeOfBeat(beat) - b.GetTimeOfBeat(beat)));
    std::sort(distances.begin(), distances.end());
    const double median = distances.empty() ? 0.0 : distances[distances.size() / 2];
    const double largest = distances.empty() ? 0.0 : distances.back();
    std::printf("%s | %s | %zu | %.1f | %.1f\n", Anchors(a).c_str(), Anchors(b).c_str(), distances.size(),
                median * 1000.0, largest * 1000.0);
    return 0;
}
