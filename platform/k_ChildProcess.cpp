#include "platform/k_ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

k_ChildProcess::~k_ChildProcess()
{
    Stop();
}

bool k_ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& log, std::string& error)
{
    if (IsRunning())
    {
        error = "a program is still running";
        return false;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int spawned = posix_spawn(&m_child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
    {
        m_child = -1;
        error = "cannot start " + program + ": " + std::strerror(spawned);
        return false;
    }
    return true;
}

std::optional<int> k_ChildProcess::Poll()
{
    if (!IsRunning())
        return std::nullopt;
    int status = 0;
    pid_t ended = 0;
    do
        ended = waitpid(m_child, &status, WNOHANG);
    while (ended < 0 && errno == EINTR);
    if (ended == 0)
        return std::nullopt;
    m_child = -1;
    if (ended < 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void k_ChildProcess::Stop()
{
    if (!IsRunning())
        return;
    kill(m_child, SIGTERM);
    int status = 0;
    while (waitpid(m_child, &status, 0) < 0 && errno == EINTR)
    {
    }
    m_child = -1;
}
