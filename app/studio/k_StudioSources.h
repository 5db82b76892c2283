#pragma once
// Where a demo's build found the sources of its pack, for the demo's studio. The build writes them into the
// program (orvelant_add_pack() adds a source that registers them at start-up; starwane's build does the same),
// so that the program run from its build folder serves and watches its own assets folder with no option, and
// paints its captions again with the build's own painter when their manifest is saved.
#include <string>

class k_StudioSources
{
public:
    std::string assets;        // the source assets folder, absolute
    std::string captions;      // the caption manifest the build paints, absolute; empty: none
    std::string tools;         // the folder of the build's programs (orvelant_captiongen, orvelant_beatgen)
    std::string programFolder; // the folder the build puts the program in

    // Registers the sources of the program being run (called once, before main, by the build's source);
    // returns true so that it can initialise a static.
    static bool Register(k_StudioSources sources);
    // What was registered, or all empty: a program whose build registered nothing.
    static const k_StudioSources& Registered();

    // The assets folder the studio serves when none is given, and why none when it is empty.
    struct Choice
    {
        std::string folder;
        std::string reason;
    };
    // `assets` when the program runs from the folder its build put it in (runningFolder) and the folder is
    // there; else none, with the reason in one line. A program moved elsewhere does not watch the build's
    // sources behind the demo maker's back.
    Choice DefaultAssets(const std::string& runningFolder) const;
};
