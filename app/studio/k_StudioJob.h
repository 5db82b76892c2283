#pragma once
// One program the studio runs in the background after a save (the caption painter, the tune's generator, the
// tempo measure): one run at a time, its output in a log file, its time measured. A save that comes while a run
// is under way is kept, and the run's end says to start again, since what it made may already be stale.
#include "platform/k_ChildProcess.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class k_StudioJob
{
public:
    // Output of every run goes to `log`, which is removed with the job.
    explicit k_StudioJob(std::filesystem::path log);
    ~k_StudioJob();
    k_StudioJob(const k_StudioJob&) = delete;
    k_StudioJob& operator=(const k_StudioJob&) = delete;

    // A save came: true when nothing runs and the caller should start now; false when a run is under way, which
    // then ends with `again` set.
    bool Asked();
    // Starts the program; false with the reason in error when it cannot be started.
    bool Start(const std::string& program, const std::vector<std::string>& arguments, std::string& error);
    // Ends a run under way and waits for it (before its output folder is removed).
    void Stop() { m_process.Stop(); }

    struct Ended
    {
        int status = 0;     // the program's exit status (-1 when a signal ended it)
        std::string report; // everything it wrote
        bool again = false; // a save came during the run: start again
    };
    // Once a run has ended, what it ended with; nothing while it runs or when none was started.
    std::optional<Ended> Poll();
    // Milliseconds since the last run started (what the caller did with its output counted in).
    double Elapsed() const;

    // The bytes of a file; empty when it cannot be read.
    static std::string Read(const std::filesystem::path& path);
    // The last line of a program's output that says something.
    static std::string LastLine(std::string text);

private:
    std::filesystem::path m_log;
    k_ChildProcess m_process;
    bool m_again = false;
    double m_startedAt = 0.0;
};
