#include "app/studio/k_StudioPainter.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <system_error>

namespace
{
double Now()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string Read(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace

k_StudioPainter::k_StudioPainter(std::string program, std::filesystem::path manifest, std::filesystem::path served,
                                 Current current)
    : m_program(std::move(program)), m_manifest(std::move(manifest)), m_served(std::move(served)),
      m_fresh(m_served.string() + ".painting"), m_log(m_served.string() + ".log"), m_current(std::move(current))
{
}

k_StudioPainter::~k_StudioPainter()
{
    m_process.Stop();
    std::error_code ignored;
    std::filesystem::remove_all(m_fresh, ignored);
    std::filesystem::remove(m_log, ignored);
}

std::string k_StudioPainter::Saved()
{
    // A save during a painting paints again once that one is done (its pictures may already be stale).
    if (m_process.IsRunning())
    {
        m_again = true;
        return std::string();
    }
    std::string error;
    StartPainting(error);
    return error;
}

bool k_StudioPainter::StartPainting(std::string& error)
{
    std::error_code ignored;
    std::filesystem::remove_all(m_fresh, ignored);
    std::filesystem::create_directories(m_fresh, ignored);
    m_startedAt = Now();
    m_again = false;
    return m_process.Start(m_program, {m_manifest.string(), m_fresh.string()}, m_log.string(), error);
}

std::optional<k_StudioPainter::Result> k_StudioPainter::Poll()
{
    const std::optional<int> status = m_process.Poll();
    if (!status)
        return std::nullopt;
    Result result;
    if (*status != 0)
    {
        // The painter's own message (a malformed manifest names its file and line), its last line first.
        std::string log = Read(m_log);
        while (!log.empty() && (log.back() == '\n' || log.back() == '\r'))
            log.pop_back();
        result.error = log.substr(log.rfind('\n') == std::string::npos ? 0 : log.rfind('\n') + 1);
        if (result.error.empty())
            result.error = "the caption painter failed (status " + std::to_string(*status) + ")";
    }
    else
    {
        result.changed = MoveChanged();
    }
    result.milliseconds = Now() - m_startedAt;
    if (m_again)
    {
        std::string error;
        StartPainting(error);
    }
    return result;
}

// The fresh pictures that differ from what the show reads now (the pack's, or an earlier painting's) are
// served from now on; the others are left alone, so that only what changed is loaded again.
std::vector<std::string> k_StudioPainter::MoveChanged() const
{
    std::vector<std::string> changed;
    std::error_code error;
    for (auto item = std::filesystem::recursive_directory_iterator(m_fresh, error);
         !error && item != std::filesystem::recursive_directory_iterator(); item.increment(error))
    {
        if (!item->is_regular_file())
            continue;
        const std::filesystem::path name = std::filesystem::relative(item->path(), m_fresh);
        const std::filesystem::path target = m_served / name;
        const std::string bytes = Read(item->path());
        if (m_current ? m_current(name.generic_string()) == bytes
                      : std::filesystem::exists(target) && Read(target) == bytes)
            continue;
        std::filesystem::create_directories(target.parent_path(), error);
        std::ofstream(target, std::ios::binary) << bytes;
        changed.push_back(name.generic_string());
    }
    return changed;
}
