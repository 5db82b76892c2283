#include "app/k_BenchReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace
{
std::string Printf(const char* format, double a, double b = 0.0, double c = 0.0, double d = 0.0)
{
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}
// The first column of the breakdown, padded to its width.
std::string Label(std::string text)
{
    text.resize(std::max<size_t>(text.size(), 36), ' ');
    return text;
}
} // namespace

k_BenchReport::k_BenchReport(int width, int height, int fps, double from, double to,
                             const std::vector<double>& boundaries)
    : m_width(width), m_height(height), m_fps(fps), m_from(from), m_to(to)
{
    for (size_t i = 0; i < boundaries.size(); ++i)
    {
        Section section;
        section.from = boundaries[i];
        section.to = i + 1 < boundaries.size() ? boundaries[i + 1] : std::numeric_limits<double>::infinity();
        m_sections.push_back(section);
    }
}

void k_BenchReport::SetStartup(double engine, double build, double firstFrame)
{
    m_engine = engine;
    m_build = build;
    m_firstFrame = firstFrame;
}

void k_BenchReport::AddFrame(double demoTime, double milliseconds, const std::vector<k_PassTimer::Part>& parts,
                             double cpuMilliseconds)
{
    for (Section& section : m_sections)
    {
        if (demoTime < section.from || demoTime >= section.to)
            continue;
        section.milliseconds.push_back(milliseconds);
        if (cpuMilliseconds >= 0.0)
            section.cpuMilliseconds.push_back(cpuMilliseconds);
        if (demoTime < section.from + 1.0)
            section.firstSecondMax = std::max(section.firstSecondMax, milliseconds);
        if (parts.empty())
            return;
        ++section.timedFrames;
        auto record = [&section](const std::string& name, double value) {
            std::vector<double>& values = section.parts[name];
            values.resize(section.timedFrames - 1, 0.0);
            values.push_back(value);
        };
        double covered = 0.0;
        size_t place = 0; // a stretch met for the first time goes after the one before it in this frame
        for (const k_PassTimer::Part& part : parts)
        {
            record(part.name, part.milliseconds);
            if (part.name.find('/') == std::string::npos)
                covered += part.milliseconds;
            const auto known = std::find(m_partNames.begin(), m_partNames.end(), part.name);
            if (known == m_partNames.end())
            {
                m_partNames.insert(m_partNames.begin() + static_cast<std::ptrdiff_t>(place++), part.name);
                continue;
            }
            // After a known stretch, past its parts that this frame did not run.
            place = static_cast<size_t>(known - m_partNames.begin()) + 1;
            while (place < m_partNames.size() && m_partNames[place].rfind(part.name + "/", 0) == 0)
                ++place;
        }
        record("rest", milliseconds - covered);
        return;
    }
}

std::vector<std::pair<std::string, double>> k_BenchReport::PartMedians(const Section& section) const
{
    std::vector<std::pair<std::string, double>> medians;
    if (section.timedFrames == 0)
        return medians;
    std::vector<std::string> names = m_partNames;
    names.push_back("rest");
    for (const std::string& name : names)
    {
        const auto found = section.parts.find(name);
        std::vector<double> values = found != section.parts.end() ? found->second : std::vector<double>();
        values.resize(section.timedFrames, 0.0);
        medians.emplace_back(name, Summarise(values).median);
    }
    return medians;
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
    text += "frame time per section (ms):   frames   median      p95      max  1st-s max  cpu median\n";
    for (const Section& section : m_sections)
    {
        const Figures figures = Summarise(section.milliseconds);
        if (figures.frames == 0 && std::isinf(section.to))
            continue;
        text += std::isinf(section.to) ? Printf("  %6.1f s and later          ", section.from)
                                       : Printf("  %6.1f - %6.1f s            ", section.from, section.to);
        text += Printf("%7.0f", static_cast<double>(figures.frames));
        const std::string cpu = section.cpuMilliseconds.empty()
                                    ? std::string("           -")
                                    : Printf(" %11.2f", Summarise(section.cpuMilliseconds).median);
        text += figures.frames ? Printf(" %8.2f %8.2f %8.2f %10.2f", figures.median, figures.p95, figures.max,
                                        section.firstSecondMax) +
                                     cpu + "\n"
                               : std::string("        -        -        -\n");
    }
    text += Breakdown();
    text += Printf("peak resident memory: %.1f MB\n", m_peakMegabytes);
    text += "GL errors logged: " + std::to_string(m_glErrors) + "\n";
    return text;
}

// One column per section that timed its frames, one line per stretch, parts indented under their stretch.
std::string k_BenchReport::Breakdown() const
{
    std::vector<const Section*> timed;
    for (const Section& section : m_sections)
        if (section.timedFrames > 0)
            timed.push_back(&section);
    if (timed.empty())
        return {};
    std::vector<std::vector<std::pair<std::string, double>>> columns;
    for (const Section* section : timed)
        columns.push_back(PartMedians(*section));

    std::string text = "where the time goes (median ms a frame; each stretch ends with glFinish):\n";
    text += Label("");
    for (const Section* section : timed)
    {
        char range[32], column[40];
        if (std::isinf(section->to))
            std::snprintf(range, sizeof range, "%g-", section->from);
        else
            std::snprintf(range, sizeof range, "%g-%g", section->from, section->to);
        std::snprintf(column, sizeof column, " %9s", range);
        text += column;
    }
    text += "\n";
    std::vector<double> sums(timed.size(), 0.0);
    for (size_t row = 0; row < columns.front().size(); ++row)
    {
        const std::string& name = columns.front()[row].first;
        const size_t slash = name.rfind('/');
        const auto depth = static_cast<size_t>(std::count(name.begin(), name.end(), '/'));
        text +=
            name == "rest"
                ? Label("  rest (clear, scheduling, untimed)")
                : Label(std::string(2 + 2 * depth, ' ') + (slash == std::string::npos ? name : name.substr(slash + 1)));
        for (size_t column = 0; column < columns.size(); ++column)
        {
            const double median = columns[column][row].second;
            if (depth == 0)
                sums[column] += median;
            text += Printf(" %9.2f", median);
        }
        text += "\n";
    }
    text += Label("  sum of the outermost medians");
    for (const double sum : sums)
        text += Printf(" %9.2f", sum);
    text += "\n" + Label("  frame median");
    for (const Section* section : timed)
        text += Printf(" %9.2f", Summarise(section->milliseconds).median);
    text += "\n";
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
        json += figures.frames
                    ? Printf(", \"median_ms\": %.4f, \"p95_ms\": %.4f, \"max_ms\": %.4f", figures.median, figures.p95,
                             figures.max) +
                          Printf(", \"first_second_max_ms\": %.4f", section.firstSecondMax) +
                          (section.cpuMilliseconds.empty()
                               ? std::string()
                               : Printf(", \"cpu_median_ms\": %.4f", Summarise(section.cpuMilliseconds).median))
                    : std::string(", \"median_ms\": null, \"p95_ms\": null, \"max_ms\": null");
        if (section.timedFrames > 0)
        {
            json += ", \"parts_median_ms\": {";
            const char* separator = "";
            for (const auto& [name, median] : PartMedians(section))
            {
                json += separator + ("\"" + name + "\": ") + Printf("%.4f", median);
                separator = ", ";
            }
            json += "}";
        }
        json += "}";
    }
    json += Printf("\n  ],\n  \"peak_resident_mb\": %.1f,\n", m_peakMegabytes);
    json += "  \"gl_errors\": " + std::to_string(m_glErrors) + "\n}\n";
    return json;
}
