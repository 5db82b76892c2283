#pragma once
// The figures of the capture's benchmark mode: start-up time split into its
// steps, frame times per section of the show (median, 95th percentile and
// maximum), peak resident memory and the GL errors logged; as text for the
// terminal and as JSON for tools.
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
    };
    struct Figures
    {
        size_t frames = 0;
        double median = 0.0;
        double p95 = 0.0; // nearest rank
        double max = 0.0;
    };

    // What was drawn: the picture size, the frame rate and the range of demo time.
    k_BenchReport(int width, int height, int fps, double from, double to);

    // Seconds from the process's start to the engine being up (window and GL included), then Build, then
    // the first frame.
    void SetStartup(double engine, double build, double firstFrame);
    // One frame of the range: its demo time and what it took.
    void AddFrame(double demoTime, double milliseconds);
    void SetPeakMemory(double megabytes) { m_peakMegabytes = megabytes; }
    void SetGlErrors(long count) { m_glErrors = count; }

    // The figures of a set of frame times (all zero when it is empty).
    static Figures Summarise(std::vector<double> milliseconds);

    std::string Text() const;
    std::string Json() const;

private:
    int m_width, m_height, m_fps;
    double m_from, m_to;
    double m_engine = 0.0, m_build = 0.0, m_firstFrame = 0.0;
    std::vector<Section> m_sections;
    double m_peakMegabytes = 0.0;
    long m_glErrors = 0;
};
