#include "app/k_BenchReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace
{
// The show's sections in demo time; frames past its end (with --to beyond 200) have one of their own.
constexpr double Boundaries[] = {0.0, 27.0, 76.6, 169.0, 200.0};

std::string Printf(const char* format, double a, double b = 0.0, double c = 0.0, double d = 0.0)
{
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}
} // namespace

k_BenchReport::k_BenchReport(int width, int height, int fps, double from, double to)
    : m_width(width), m_height(height), m_fps(fps), m_from(from), m_to(to)
{
    for (size_t i = 0; i + 1 < std::size(Boundaries); ++i)
        m_sections.push_back(Section{Boundaries[i], Boundaries[i + 1], {}});
    m_sections.push_back(Section{Boundaries[std::size(Boundaries) - 1], std::numeric_limits<double>::infinity(), {}});
}

void k_BenchReport::SetStartup(double engine, double build, double firstFrame)
{
    m_engine = engine;
    m_build = build;
    m_firstFrame = firstFrame;
}

void k_BenchReport::AddFrame(double demoTime, double milliseconds)
{
    for (Section& section : m_sections)
        if (demoTime >= section.from && demoTime < section.to)
        {
            section.milliseconds.push_back(milliseconds);
            return;
        }
}

k_BenchReport::Figures k_BenchReport::Summarise(std::vector<double> milliseconds)
{
    Figures figures;
    figures.frames = milliseconds.size();
    if (milliseconds.empty())
        return figures;
    std::sort(milliseconds.begin(), milliseconds.end());
    const size_t n = milliseconds.size();
    figures.median = n % 2 ? milliseconds[n / 2] : (milliseconds[n / 2 - 1] + milliseconds[n / 2]) / 2.0;
    const auto rank = static_cast<size_t>(std::ceil(0.95 * static_cast<double>(n)));
    figures.p95 = milliseconds[std::max<size_t>(rank, 1) - 1];
    figures.max = milliseconds.back();
    return figures;
}

// --- output ---

std::string k_BenchReport::Text() const
{
    std::string text = "bench: " + std::to_string(m_width) + "x" + std::to_string(m_height) + " at " +
                       std::to_string(m_fps) + " fps, demo time " + Printf("%.3f to %.3f s\n", m_from, m_to);
    text += Printf("start-up: %.3f s to the first show frame (engine initialisation %.3f s, Build %.3f s, ",
                   m_engine + m_build + m_firstFrame, m_engine, m_build);
    text += Printf("first frame %.3f s)\n", m_firstFrame);
    text += "frame time per section (ms):   frames   median      p95      max\n";
    for (const Section& section : m_sections)
    {
        const Figures figures = Summarise(section.milliseconds);
        if (figures.frames == 0 && std::isinf(section.to))
            continue;
        text += std::isinf(section.to) ? Printf("  %6.1f s and later          ", section.from)
                                       : Printf("  %6.1f - %6.1f s            ", section.from, section.to);
        text += Printf("%7.0f", static_cast<double>(figures.frames));
        text += figures.frames ? Printf(" %8.2f %8.2f %8.2f\n", figures.median, figures.p95, figures.max)
                               : std::string("        -        -        -\n");
    }
    text += Printf("peak resident memory: %.1f MB\n", m_peakMegabytes);
    text += "GL errors logged: " + std::to_string(m_glErrors) + "\n";
    return text;
}

std::string k_BenchReport::Json() const
{
    std::string json = "{\n  \"size\": [" + std::to_string(m_width) + ", " + std::to_string(m_height) +
                       "],\n  \"fps\": " + std::to_string(m_fps) +
                       Printf(",\n  \"from\": %.6g,\n  \"to\": %.6g,\n", m_from, m_to);
    json += Printf("  \"startup_s\": {\"total\": %.6f, \"engine_initialisation\": %.6f, \"build\": %.6f, ",
                   m_engine + m_build + m_firstFrame, m_engine, m_build);
    json += Printf("\"first_frame\": %.6f},\n  \"sections\": [", m_firstFrame);
    bool first = true;
    for (const Section& section : m_sections)
    {
        const Figures figures = Summarise(section.milliseconds);
        if (figures.frames == 0 && std::isinf(section.to))
            continue;
        json += first ? "\n" : ",\n";
        first = false;
        json += Printf("    {\"from\": %.6g, ", section.from);
        json += std::isinf(section.to) ? std::string("\"to\": null, ") : Printf("\"to\": %.6g, ", section.to);
        json += "\"frames\": " + std::to_string(figures.frames);
        json += figures.frames ? Printf(", \"median_ms\": %.4f, \"p95_ms\": %.4f, \"max_ms\": %.4f}", figures.median,
                                        figures.p95, figures.max)
                               : std::string(", \"median_ms\": null, \"p95_ms\": null, \"max_ms\": null}");
    }
    json += Printf("\n  ],\n  \"peak_resident_mb\": %.1f,\n", m_peakMegabytes);
    json += "  \"gl_errors\": " + std::to_string(m_glErrors) + "\n}\n";
    return json;
}
