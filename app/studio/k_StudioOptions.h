#pragma once
// The studio's command line: the window's size, where the show starts, a
// loop, the folder of assets to serve and watch, and a demo time at which to
// quit (for scripted runs and measurements). Parse checks every value; a bad
// command line gives one message that says what is wrong.
#include <string>
#include <vector>

class k_StudioOptions
{
public:
    int width = 1280;
    int height = 720;
    double at = 0.0;
    bool loop = false; // --loop A B
    double loopFrom = 0.0;
    double loopTo = 0.0;
    std::string assets;      // --assets DIR; empty: the default (k_StudioSources::DefaultAssets)
    bool noAssets = false;   // --no-assets: the pack only, nothing watched
    double quitAt = -1.0;    // --quit-at T: quit once demo time reaches T (negative: never)
    std::string shots = "."; // --shots DIR: where F12 writes its pictures
    bool sync = false;       // --sync [HOST:]PORT: connect to a sync editor
    std::string syncHost = "127.0.0.1";
    int syncPort = 1338;
    bool overlay = true;      // --no-overlay: the picture alone, without the timeline, panels and mouse
    bool overlayCost = false; // --overlay-cost: time the overlay with the GPU's work; the median is logged
    bool help = false;

    // The largest window side accepted.
    static constexpr int MaxSize = 16384;

    // Reads the arguments after the program's name. Returns an empty string on success, else the message
    // for the usage error. With --help nothing else is checked.
    std::string Parse(const std::vector<std::string>& arguments);
    // The text of --help, with the keys; the invocation starts the usage line ("starwane-studio",
    // "mydemo --studio").
    static std::string Usage(const std::string& invocation);
};
