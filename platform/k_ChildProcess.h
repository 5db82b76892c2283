#pragma once
// A program run beside the engine without waiting for it: started with its arguments, its standard output and
// error written to a file, polled until it ends. Destroying a process that still runs ends it.
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

class k_ChildProcess
{
public:
    k_ChildProcess() = default;
    ~k_ChildProcess();
    k_ChildProcess(const k_ChildProcess&) = delete;
    k_ChildProcess& operator=(const k_ChildProcess&) = delete;

    // Starts the program (a path) with its arguments, its output going to the log file; false (with the reason in
    // error) when it cannot be started or one is still running.
    bool Start(const std::string& program, const std::vector<std::string>& arguments, const std::string& log,
               std::string& error);
    bool IsRunning() const { return m_child > 0; }
    // Once the program has ended: its exit status (-1 when a signal ended it), and it is no longer running.
    // Nothing while it runs or when none was started.
    std::optional<int> Poll();
    // Ends a running program and waits for it.
    void Stop();

private:
    pid_t m_child = -1;
};
