#pragma once
// The capture program of a show: brings up the same engine, window and show as the player (without the
// setup dialog and without playing the tune), then drives demo time in fixed steps from a warm-up before
// the first time asked for (or from 0) and writes the frames asked for as PNG files or a video, or measures
// them (--bench). Whatever cannot be drawn or written is found before anything is drawn.
#include "app/ShowProgram.h"
#include "app/k_Application.h"
#include "app/k_CaptureOptions.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class k_CaptureLoop;
class k_VideoEncoder;

class k_CaptureProgram
{
public:
    // The program's show; messages begin with the name ("starwane-capture: ..."), the window takes the title.
    // The program and the title are not copied: they must outlive the run.
    k_CaptureProgram(const ShowProgram& program, std::string name, const wchar_t* title);
    ~k_CaptureProgram();
    k_CaptureProgram(const k_CaptureProgram&) = delete;
    k_CaptureProgram& operator=(const k_CaptureProgram&) = delete;

    // Runs with the command line's arguments (without the program's name); returns the exit status: 0 done or
    // --help, 2 a bad command line. A failure after that ends the process with the status of a failed run (1).
    int Run(const std::vector<std::string>& arguments);

private:
    using Clock = std::chrono::steady_clock;

    // Opens the display (offscreen without one), checks the size against the driver's limit and proves that
    // the outputs can be written. False when the size is too large (a bad command line, already reported).
    bool Prepare();
    // The engine, the window and the (unbuilt) show, without the dialog; the window's picture checked.
    void StartEngine();
    // The show file's length (read ahead of the build, which reports a bad file the same way).
    double ReadShowLength() const;
    // The show's build behind the loading bar, without the tune; the video's sound goes to the encoder first.
    void StartShow(const k_CaptureLoop& loop);
    // Draws the frames, writing and measuring those asked for; returns how many were written.
    int64_t DrawFrames(const k_CaptureLoop& loop);

    const ShowProgram& m_program;
    std::string m_name;
    k_CaptureOptions m_options;
    k_Application m_application;
    std::unique_ptr<k_VideoEncoder> m_video;
    long m_glErrors = 0;
    // When main started, and how long the process ran before it.
    Clock::time_point m_started;
    double m_beforeMain = 0.0;
    Clock::time_point m_engineUp{};
    Clock::time_point m_built{};
};
