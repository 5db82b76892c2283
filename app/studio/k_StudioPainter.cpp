#include "app/studio/k_StudioPainter.h"

#include <fstream>
#include <system_error>

k_StudioPainter::k_StudioPainter(std::string program, std::filesystem::path manifest, std::filesystem::path served,
                                 Current current)
    : m_program(std::move(program)), m_manifest(std::move(manifest)), m_served(std::move(served)),
      m_fresh(m_served.string() + ".painting"), m_current(std::move(current)), m_job(m_served.string() + ".log")
{
}

k_StudioPainter::~k_StudioPainter()
{
    m_job.Stop();
    std::error_code ignored;
    std::filesystem::remove_all(m_fresh, ignored);
}

std::string k_StudioPainter::Saved()
{
    // A save during a painting paints again once that one is done (its pictures may already be stale).
    if (!m_job.Asked())
        return std::string();
    std::string error;
    StartPainting(error);
    return error;
}

bool k_StudioPainter::StartPainting(std::string& error)
{
    std::error_code ignored;
    std::filesystem::remove_all(m_fresh, ignored);
    std::filesystem::create_directories(m_fresh, ignored);
    return m_job.Start(m_program, {m_manifest.string(), m_fresh.string()}, error);
}

std::optional<k_StudioPainter::Result> k_StudioPainter::Poll()
{
    const std::optional<k_StudioJob::Ended> ended = m_job.Poll();
    if (!ended)
        return std::nullopt;
    Result result;
    if (ended->status != 0)
    {
        // The painter's own message (a malformed manifest names its file and line).
        result.error = k_StudioJob::LastLine(ended->report);
        if (result.error.empty())
            result.error = "the caption painter failed (status " + std::to_string(ended->status) + ")";
    }
    else
    {
        result.changed = MoveChanged();
    }
    result.milliseconds = m_job.Elapsed();
    if (ended->again)
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
        const std::string bytes = k_StudioJob::Read(item->path());
        if (m_current ? m_current(name.generic_string()) == bytes
                      : std::filesystem::exists(target) && k_StudioJob::Read(target) == bytes)
            continue;
        std::filesystem::create_directories(target.parent_path(), error);
        std::ofstream(target, std::ios::binary) << bytes;
        changed.push_back(name.generic_string());
    }
    return changed;
}
