#include "graphics/k_PassTimer.h"

#include <epoxy/gl.h>
#include <chrono>

namespace
{
bool g_enabled = false;
bool g_finishing = false;
// The names of the open timers, outermost first, and the current frame's parts.
std::vector<std::string> g_open;
std::vector<k_PassTimer::Part> g_parts;

double NowMilliseconds()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string OpenPath()
{
    std::string path;
    for (const std::string& name : g_open)
        path += (path.empty() ? "" : "/") + name;
    return path;
}
} // namespace

k_PassTimer::k_PassTimer(const char* name)
{
    m_finishing = g_enabled || g_finishing;
    if (m_finishing)
        glFinish();
    if (!g_enabled)
        return;
    m_timing = true;
    g_open.emplace_back(name);
    // The part gets its place in the frame's list when it begins, so outer stretches come before their parts.
    const std::string path = OpenPath();
    bool known = false;
    for (const Part& part : g_parts)
        known = known || part.name == path;
    if (!known)
        g_parts.push_back(Part{path, 0.0});
    m_started = NowMilliseconds();
}

k_PassTimer::~k_PassTimer()
{
    if (m_finishing)
        glFinish();
    if (!m_timing)
        return;
    const double spent = NowMilliseconds() - m_started;
    const std::string path = OpenPath();
    g_open.pop_back();
    for (Part& part : g_parts)
        if (part.name == path)
            part.milliseconds += spent;
}

void k_PassTimer::SetEnabled(bool enabled)
{
    g_enabled = enabled;
}

void k_PassTimer::SetFinishing(bool finishing)
{
    g_finishing = finishing;
}

bool k_PassTimer::IsEnabled()
{
    return g_enabled;
}

std::vector<k_PassTimer::Part> k_PassTimer::TakeFrame()
{
    std::vector<Part> parts;
    parts.swap(g_parts);
    return parts;
}
