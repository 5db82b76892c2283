#pragma once
// What every example program shares: it opens a 960 x 540 window with the
// engine, lets the example's demo build its worlds, and then either runs
// until Escape or, with --shot T FILE.png, draws the frames up to demo time
// T at a fixed step of 1/30 s and writes the last one as a PNG.
#include <functional>

class IEngine;
class IShow;

class k_ExampleRunner
{
public:
    static constexpr int Width = 960;
    static constexpr int Height = 540;

    // Runs the example; makeDemo returns the demo (owned by the runner) whose Build makes the worlds.
    // Returns the process's exit status.
    static int Run(int argc, char** argv, const wchar_t* title, const std::function<IShow*(IEngine*)>& makeDemo);
};
