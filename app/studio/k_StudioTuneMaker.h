#pragma once
// The studio's music after a saved show file. Where the build makes the tune from the show file (starwane's
// generator, a template's metronome), the maker runs that generator again in the background when the tempo
// map or the sections change, into a folder of its own, and hands back the new tune, served from then on in
// place of the pack's; a show file the generator refuses (a section off the bars its parts are written for)
// comes back with the generator's message. Where the show plays a recording of one's own, it measures the
// show file's tempo map against the recording instead (orvelant_tempo --check) and hands back the fit.
#include "app/studio/k_StudioJob.h"

#include <filesystem>
#include <optional>
#include <string>

class k_StudioTuneMaker
{
public:
    struct Setup
    {
        // The generator ("PROGRAM TUNE.ogg --show SHOW.txt"); empty when the tune is not made.
        std::string maker;
        // Without a generator: the tempo measure (orvelant_tempo) and the recording, absolute.
        std::string measure;
        std::string recording;
        // The folder served after the watched one, and the tune's name in the pack ("template.ogg").
        std::filesystem::path served;
        std::string tuneName;
    };
    explicit k_StudioTuneMaker(Setup setup);
    ~k_StudioTuneMaker();
    k_StudioTuneMaker(const k_StudioTuneMaker&) = delete;
    k_StudioTuneMaker& operator=(const k_StudioTuneMaker&) = delete;

    // Whether it has anything to do: a generator, or a recording to measure against.
    bool IsUseful() const;
    // Whether it measures the show file against a recording (there is no generator).
    bool IsMeasuring() const { return m_setup.maker.empty() && IsUseful(); }
    // The show file was saved with a new tempo map or sections: makes or measures now, or as soon as the run
    // under way ends. Empty, or why the program cannot be started.
    std::string Saved(const std::filesystem::path& showFile);

    struct Result
    {
        // A new tune is served under the tune's name (made), or the fit was measured ("1.2 ms median, 10.6 ms
        // at most to the tracked beats"), or the program's error (its last line).
        bool made = false;
        std::string fit;
        std::string error;
        double milliseconds = 0.0;
    };
    // Nothing while nothing has finished since the last call.
    std::optional<Result> Poll();

    // "lie 1.2 ms (median) and at most 10.6 ms" in the measure's report, as "1.2 ms median, 10.6 ms at most";
    // empty when the report has no such line.
    static std::string FitOf(const std::string& report);

private:
    bool Start(std::string& error);

    Setup m_setup;
    std::filesystem::path m_show;
    std::filesystem::path m_fresh;
    k_StudioJob m_job;
};
