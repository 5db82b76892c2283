#include "app/studio/k_StudioTuneMaker.h"

#include <regex>
#include <system_error>

k_StudioTuneMaker::k_StudioTuneMaker(Setup setup)
    : m_setup(std::move(setup)), m_fresh(m_setup.served.string() + ".tune"),
      m_job(m_setup.served.string() + ".tune.log")
{
}

k_StudioTuneMaker::~k_StudioTuneMaker()
{
    m_job.Stop();
    std::error_code ignored;
    std::filesystem::remove_all(m_fresh, ignored);
}

bool k_StudioTuneMaker::IsUseful() const
{
    return !m_setup.maker.empty() || (!m_setup.measure.empty() && !m_setup.recording.empty());
}

std::string k_StudioTuneMaker::Saved(const std::filesystem::path& showFile)
{
    m_show = showFile;
    // A save while the tune is made makes it again once that run ends (its tune may already be stale).
    if (!m_job.Asked())
        return std::string();
    std::string error;
    Start(error);
    return error;
}

bool k_StudioTuneMaker::Start(std::string& error)
{
    if (!m_setup.maker.empty())
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_fresh, ignored);
        std::filesystem::create_directories(m_fresh, ignored);
        return m_job.Start(m_setup.maker, {(m_fresh / m_setup.tuneName).string(), "--show", m_show.string()}, error);
    }
    return m_job.Start(m_setup.measure, {"--check", m_show.string(), m_setup.recording}, error);
}

std::optional<k_StudioTuneMaker::Result> k_StudioTuneMaker::Poll()
{
    const std::optional<k_StudioJob::Ended> ended = m_job.Poll();
    if (!ended)
        return std::nullopt;
    Result result;
    const std::string& report = ended->report;
    if (ended->status != 0)
    {
        result.error = k_StudioJob::LastLine(report);
        if (result.error.empty())
            result.error = (m_setup.maker.empty() ? m_setup.measure : m_setup.maker) + " failed (status " +
                           std::to_string(ended->status) + ")";
    }
    else if (!m_setup.maker.empty())
    {
        // Served from now on: moved over the one before in one step, so that no half-written tune is read.
        std::error_code error;
        std::filesystem::create_directories(m_setup.served, error);
        std::filesystem::rename(m_fresh / m_setup.tuneName, m_setup.served / m_setup.tuneName, error);
        if (error)
            result.error = "the new tune cannot be served: " + error.message();
        else
            result.made = true;
    }
    else
    {
        result.fit = FitOf(report);
        // The measure's warning (beats more than 30 ms off, with the worst bars) or why it could not measure.
        const size_t warning = report.find("warning: ");
        if (warning != std::string::npos)
            result.error = k_StudioJob::LastLine(report.substr(warning, report.find('\n', warning) - warning));
    }
    result.milliseconds = m_job.Elapsed();
    if (ended->again)
    {
        std::string error;
        Start(error);
    }
    return result;
}

std::string k_StudioTuneMaker::FitOf(const std::string& report)
{
    static const std::regex fit(R"(lie ([0-9.]+) ms \(median\) and at most ([0-9.]+) ms)");
    std::smatch match;
    if (!std::regex_search(report, match, fit))
        return std::string();
    return match[1].str() + " ms median, " + match[2].str() + " ms at most";
}
