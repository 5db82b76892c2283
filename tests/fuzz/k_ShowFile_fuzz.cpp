// The show file's reader over any bytes: it either reads a show whose timeline holds together (sections that
// cover the show in order, finite times, fades that end after they start, instants in order) or gives
// messages that each say file, line and column; it never does both, and never more than its limit of them.
#include "demo/k_ShowFile.h"
#include "fuzz/k_FuzzCheck.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const k_ShowFile show(text, "F.txt", {{"on", "off"}, {"in", "out"}});
    if (!show.IsValid())
    {
        ORV_FUZZ_REQUIRE(show.GetErrors().size() <= k_ShowFile::MaxErrors);
        for (const std::string& error : show.GetErrors())
            ORV_FUZZ_REQUIRE(error.rfind("F.txt:", 0) == 0 && error.find(": ", 6) != std::string::npos);
        ORV_FUZZ_REQUIRE(show.GetSections().empty() && show.GetCaptions().empty() && show.GetCues().empty());
        return 0;
    }
    ORV_FUZZ_REQUIRE(std::isfinite(show.GetLength()) && show.GetLength() > 0.0);
    const auto& sections = show.GetSections();
    ORV_FUZZ_REQUIRE(!sections.empty() && sections.front().start == 0.0);
    for (size_t i = 0; i < sections.size(); ++i)
    {
        ORV_FUZZ_REQUIRE(sections[i].start < sections[i].end);
        ORV_FUZZ_REQUIRE(i + 1 == sections.size() ? sections[i].end == show.GetLength()
                                                  : sections[i].end == sections[i + 1].start);
    }
    for (const k_ShowFile::Cue& cue : show.GetCues())
        ORV_FUZZ_REQUIRE(std::isfinite(cue.start) && cue.end >= cue.start &&
                         cue.afterCaptions <= show.GetCaptions().size());
    for (const k_ShowFile::Caption& caption : show.GetCaptions())
    {
        ORV_FUZZ_REQUIRE(std::isfinite(caption.start) && caption.start >= 0.0 && caption.duration >= 0.0);
        ORV_FUZZ_REQUIRE(caption.fadeIn.seconds >= 0.0f && caption.fadeOut.seconds >= 0.0f);
        ORV_FUZZ_REQUIRE(caption.fadeIn.kind >= 0 && caption.fadeIn.kind <= 4);
        ORV_FUZZ_REQUIRE(caption.picture.empty() != caption.text.empty());
    }
    const std::vector<double> instants = show.GetInstants();
    for (size_t i = 1; i < instants.size(); ++i)
        ORV_FUZZ_REQUIRE(instants[i - 1] < instants[i]);
    // The tempo map turns every instant into beats and back.
    for (const double instant : instants)
    {
        const double beat = show.GetTempoMap().GetBeat(instant);
        ORV_FUZZ_REQUIRE(std::isfinite(beat));
        ORV_FUZZ_REQUIRE(std::fabs(show.GetTempoMap().GetTimeOfBeat(beat) - instant) <= 1e-6 * (1.0 + instant));
    }
    return 0;
}
