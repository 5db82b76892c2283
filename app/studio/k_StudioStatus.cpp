#include "app/studio/k_StudioStatus.h"

#include <cstdio>

namespace
{
std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}
} // namespace

std::string k_StudioStatus::Line(const State& state)
{
    std::string line = Format("%.3f s", state.time);
    if (!state.barBeat.empty())
        line += " | " + state.barBeat;
    if (!state.section.empty())
        line += " | " + state.section;
    line += " | " + Format("%.1f fps", state.framesPerSecond);
    if (state.paused)
        line += " | paused";
    if (state.speed != 1.0)
        line += " | speed " + Format("%g", state.speed);
    if (state.looping)
        line += " | loop " + Format("%.3f", state.loopFrom) + "-" + Format("%.3f", state.loopTo);
    if (!state.sync.empty())
        line += " | " + state.sync;
    if (!state.reload.empty())
        line += " | " + state.reload;
    return line;
}

std::string k_StudioStatus::Title(const std::string& show, const State& state)
{
    return show + " studio - " + Line(state);
}
