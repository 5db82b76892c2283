#pragma once
// The figures of the capture's benchmark mode: start-up time split into its
// steps, frame times per section of the show (median, 95th percentile and
// maximum), where each section's frame time goes (the median of every timed
// stretch: worlds, their render steps and passes, the swap, and the rest of
// the frame that no stretch covers), peak resident memory and the GL errors
// logged; as text for the terminal and as JSON for tools.
#include "graphics/k_PassTimer.h"

#include <map>
#include <string>
#include <vector>

class k_BenchReport
{
public:
    // A stretch of demo time, from inclusive, to exclusive.
    struct Section
    {
        double from = 0.0;
        double to = 0.0;
        std::vector<double> milliseconds;
        std::vector<double> cpuMilliseconds;
        // Per timed stretch, its time in each frame of the section that timed anything (0 where it did not run).
        std::map<std::string, std::vector<double>> parts;
        size_t timedFrames = 0;
        // The slowest frame in the section's first second (where a world first appears).
        double firstSecondMax = 0.0;
    };
    struct Figures
    {
        size_t frames = 0;
        double median = 0.0;
        double p95 = 0.0; // nearest rank
        double max = 0.0;
    };

    // What was drawn: the picture size, the frame rate and the range of demo time; the sections' boundaries
    // in demo time, ascending (the show's sections' starts and its length: frames past the length have a
    // section of their own).
    k_BenchReport(int width, int height, int fps, double from, double to, const std::vector<double>& boundaries);

    // Seconds from the process's start to the engine being up (window and GL included), then Build, then
    // the first frame.
    void SetStartup(double engine, double build, double firstFrame);
    // One frame of the range: its demo time, what it took and, when it was timed in stretches, their times
    // (names with a "/" are parts of the stretch before it; the frame's time not covered by an outermost
    // stretch becomes the part "rest").
    // cpuMilliseconds is the processor time the whole process (the driver's threads included) spent on the
    // frame, which a busy machine stretches far less than the wall time; negative when not measured.
    void AddFrame(double demoTime, double milliseconds, const std::vector<k_PassTimer::Part>& parts = {},
                  double cpuMilliseconds = -1.0);
    void SetPeakMemory(double megabytes) { m_peakMegabytes = megabytes; }
    void SetGlErrors(long count) { m_glErrors = count; }

    // The figures of a set of frame times (all zero when it is empty).
    static Figures Summarise(std::vector<double> milliseconds);

    std::string Text() const;
    std::string Json() const;

private:
    // The median of each stretch in a section, in the report's order of stretches, "rest" last; empty when
    // none was timed.
    std::vector<std::pair<std::string, double>> PartMedians(const Section& section) const;
    // The table of stretches by section for Text (empty when nothing was timed).
    std::string Breakdown() const;

    int m_width, m_height, m_fps;
    double m_from, m_to;
    double m_engine = 0.0, m_build = 0.0, m_firstFrame = 0.0;
    std::vector<Section> m_sections;
    std::vector<std::string> m_partNames; // in the order first met, "rest" last
    double m_peakMegabytes = 0.0;
    long m_glErrors = 0;
};
