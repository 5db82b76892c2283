#pragma once
// The studio of a show, as a program: brings up the same engine, window and show as the player (without the
// setup dialog), serves the show's assets folder before the pack and watches it, paints the captions again
// when their manifest is saved, plays the tune in step with demo time and hands over to the studio's loop.
// starwane-studio runs it for starwane; every demo's program runs it behind "--studio" (k_DemoShell).
#include "app/ShowProgram.h"

#include <string>
#include <vector>

class k_StudioProgram
{
public:
    // The program's show; messages and the usage line begin with the name ("starwane-studio",
    // "mydemo --studio"). The program is not copied: it must outlive the run.
    k_StudioProgram(const ShowProgram& program, std::string name);

    // Runs with the command line's arguments (after the name); returns the exit status: 0 done or --help,
    // 2 a bad command line. A failure after that ends the process with the status of a failed run (1), a
    // signal with the signal's status.
    int Run(const std::vector<std::string>& arguments);

private:
    const ShowProgram& m_program;
    std::string m_name;
    // The window's title (the window keeps a pointer to it).
    std::wstring m_title;
};
