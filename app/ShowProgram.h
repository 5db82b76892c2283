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
};
