#pragma once
// The program around a show: what every demo's own main reuses. Play asks for the display settings in the
// setup dialog, brings up the engine, the window and the show in a fixed order, starts the music, runs the
// main loop until the viewer quits, and is the one place errors end up (error box, status 1); Ctrl+C or
// SIGTERM end it with the signal's status (130, 143) after the display mode is restored. Main adds the
// capture program behind "--capture", so a demo's one program can also draw its frames without a display, and
// the studio behind "--studio", to make the show live.
#include "app/ShowProgram.h"

class k_DemoShell
{
public:
    // The program is not copied: it must outlive the shell.
    explicit k_DemoShell(const ShowProgram& program);

    // Setup dialog, show and music until the viewer quits; returns the exit status (0, also on cancel).
    int Play();
    // No arguments: Play. "--capture" and the capture program's options: the frames (see k_CaptureProgram).
    // "--studio" and the studio's options: the studio (see k_StudioProgram). "--help": the usage, status 0.
    // Anything else is refused with the usage and status 2.
    int Main(int argc, char** argv);

private:
    const ShowProgram& m_program;
};
