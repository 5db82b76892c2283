#include "app/studio/k_StudioJob.h"

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
} // namespace

k_StudioJob::k_StudioJob(std::filesystem::path log) : m_log(std::move(log)) {}

k_StudioJob::~k_StudioJob()
{
    m_process.Stop();
    std::error_code ignored;
    std::filesystem::remove(m_log, ignored);
}

bool k_StudioJob::Asked()
{
    if (!m_process.IsRunning())
        return true;
    m_again = true;
    return false;
}

bool k_StudioJob::Start(const std::string& program, const std::vector<std::string>& arguments, std::string& error)
{
    m_again = false;
    m_startedAt = Now();
    return m_process.Start(program, arguments, m_log.string(), error);
}

std::optional<k_StudioJob::Ended> k_StudioJob::Poll()
{
    const std::optional<int> status = m_process.Poll();
    if (!status)
        return std::nullopt;
    Ended ended;
    ended.status = *status;
    ended.report = Read(m_log);
    ended.again = m_again;
    m_again = false;
    return ended;
}

double k_StudioJob::Elapsed() const
{
    return Now() - m_startedAt;
}

std::string k_StudioJob::Read(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string k_StudioJob::LastLine(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    const size_t newline = text.rfind('\n');
    return newline == std::string::npos ? text : text.substr(newline + 1);
}
