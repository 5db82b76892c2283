#pragma once
// The capture program's command line: what to draw (size, aspect ratio, frame
// rate, range of demo time) and what to make of it (PNG frames, a video, a
// benchmark). Parse checks every value and the combinations; a bad command
// line gives one message that says what is wrong, and nothing is drawn.
#include <string>
#include <vector>

class k_CaptureOptions
{
public:
    int width = 1280;
    int height = 720;
    float aspectRatio = 0.0f; // width over height; from the size unless --aspect gives it
    int fps = 30;
    double from = 0.0;
    double to = MaxTime; // --to; without it the show's end, set by EndAtShow once the show file is read
    bool toGiven = false;
    std::vector<double> at; // --at: demo times to write, ascending, without repeats
    int every = 1;
    std::string outDirectory; // --out
    std::string videoFile;    // --video
    bool bench = false;
    bool fromStart = false; // --from-start: draw every frame from 0 instead of seeking
    bool keepGoing = false; // --keep-going: draw though materials or shaders failed at start-up

    std::string jsonFile; // --json (with --bench)
    bool help = false;
    // Not an option: the seconds drawn before a time sought to, the show's own (ShowProgram::warmUpSeconds).
    double warmUp = 0.0;

    // The largest size accepted before the driver is asked (the window system's limit); the driver's own
    // limit is checked with CheckDriverLimit once a display is open.
    static constexpr int MaxSize = 32767;
    // The latest demo time accepted (an hour): the frames to write are listed before drawing, and times far
    // beyond the show would list more of them than memory holds.
    static constexpr double MaxTime = 3600.0;
    // The end of the range without --to for a show that has no show file to give its length.
    static constexpr double EndWithoutShowFile = 200.0;

    // Reads the arguments after the program's name. Returns an empty string on success, else the message
    // for the usage error. With --help nothing else is checked.
    std::string Parse(const std::vector<std::string>& arguments);
    // Without --to, the range ends at the show's end (the show file's length). Returns the refusal when --from
    // or an --at time lies past that end (empty when the range holds).
    std::string EndAtShow(double showLength);
    // The refusal for a size above the driver's largest picture (empty when it fits).
    std::string CheckDriverLimit(int maxWidth, int maxHeight) const;
    // The text of --help, for the command that runs the capture ("starwane-capture", "template --capture")
    // and the seconds its show warms up after a seek.
    static std::string Usage(const std::string& command = "starwane-capture", double warmUp = 0.0);
};
