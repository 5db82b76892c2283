#pragma once
// What the shell needs to know of a show to play, capture or measure it: the names it goes by, its tune and
// how to make it. A demo's own program fills one in and hands it to k_DemoShell; starwane's is
// k_Application::Starwane().
#include <functional>
#include <string>

class IEngine;
class IShow;

struct ShowProgram
{
    std::string name;                         // the program's name in messages ("starwane")
    std::wstring title;                       // the window's title
    std::wstring tune;                        // the tune's file name in the pack (Ogg Vorbis)
    std::function<IShow*(IEngine*)> makeShow; // makes the show (unbuilt) for the engine
    // Seconds of frames the capture draws before a time it seeks to, so that worlds whose picture depends on
    // the frames before (feedback, adaptation) look as after a play from the start. 0: the show's worlds
    // draw the same at a time however they got there, and the capture seeks straight to it.
    double warmUpSeconds = 0.0;
};
