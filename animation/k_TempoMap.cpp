#include "animation/k_TempoMap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

k_TempoMap::k_TempoMap() : k_TempoMap(std::vector<Anchor>{{1, 0.0, 4, 120.0}}) {}

k_TempoMap::k_TempoMap(std::vector<Anchor> anchors)
{
    if (!Check(anchors).empty())
        anchors = {{1, 0.0, 4, 120.0}};
    m_anchors = std::move(anchors);
    double beat = (m_anchors.front().bar - 1) * static_cast<double>(m_anchors.front().beatsPerBar);
    for (size_t i = 0; i < m_anchors.size(); ++i)
    {
        const Anchor& anchor = m_anchors[i];
        double secondsPerBeat = 0.0;
        if (i + 1 < m_anchors.size())
        {
            const Anchor& next = m_anchors[i + 1];
            secondsPerBeat =
                (next.time - anchor.time) / ((next.bar - anchor.bar) * static_cast<double>(anchor.beatsPerBar));
        }
        else
        {
            secondsPerBeat = anchor.beatsPerMinute > 0.0 ? 60.0 / anchor.beatsPerMinute : m_spans.back().secondsPerBeat;
        }
        if (i > 0)
        {
            const Span& previous = m_spans.back();
            beat = previous.beat + (anchor.bar - previous.bar) * static_cast<double>(previous.beatsPerBar);
        }
        m_spans.push_back({anchor.bar, anchor.time, anchor.beatsPerBar, secondsPerBeat, beat});
    }
}

std::string k_TempoMap::Check(const std::vector<Anchor>& anchors, size_t* faultAt)
{
    if (anchors.empty())
        return "the tempo map has no anchor";
    auto fault = [faultAt](size_t at, std::string text) {
        if (faultAt)
            *faultAt = at;
        return text;
    };
    for (size_t i = 0; i < anchors.size(); ++i)
    {
        const Anchor& anchor = anchors[i];
        if (!std::isfinite(anchor.time))
            return fault(i, "a tempo anchor's time is not a finite number");
        if (anchor.beatsPerBar < 1 || anchor.beatsPerBar > 64)
            return fault(i, "a bar has 1 to 64 beats");
        // 0: derived from the next anchor.
        if (!std::isfinite(anchor.beatsPerMinute) || anchor.beatsPerMinute < 0.0 ||
            (anchor.beatsPerMinute != 0.0 && anchor.beatsPerMinute < MinBeatsPerMinute) ||
            anchor.beatsPerMinute > MaxBeatsPerMinute)
            return fault(i, "a tempo lies between 1 and 1000 beats a minute");
        if (i + 1 < anchors.size())
        {
            const Anchor& next = anchors[i + 1];
            if (anchor.beatsPerMinute != 0.0)
                return fault(i,
                             "only the last tempo anchor gives beats a minute; the others take theirs from the next");
            if (next.bar <= anchor.bar)
                return fault(i + 1, "tempo anchors go up in bars");
            if (!(next.time > anchor.time))
                return fault(i + 1, "tempo anchors go up in time");
            // The tempo the two anchors make, bounded as a given one is.
            const double beats = (next.bar - anchor.bar) * static_cast<double>(anchor.beatsPerBar);
            const double beatsPerMinute = beats * 60.0 / (next.time - anchor.time);
            if (!(beatsPerMinute >= MinBeatsPerMinute && beatsPerMinute <= MaxBeatsPerMinute))
            {
                char text[160];
                std::snprintf(text, sizeof text,
                              "bars %d to %d in %g s make %g beats a minute; a tempo lies between 1 and 1000",
                              anchor.bar, next.bar, next.time - anchor.time, beatsPerMinute);
                return fault(i, text);
            }
        }
        else if (anchors.size() == 1 && anchor.beatsPerMinute == 0.0)
        {
            return fault(i, "a tempo map of one anchor needs its beats a minute");
        }
    }
    return std::string();
}

// --- spans ---

const k_TempoMap::Span& k_TempoMap::SpanAtTime(double time) const
{
    auto after = std::upper_bound(m_spans.begin(), m_spans.end(), time,
                                  [](double t, const Span& span) { return t < span.time; });
    return after == m_spans.begin() ? m_spans.front() : *(after - 1);
}

const k_TempoMap::Span& k_TempoMap::SpanAtBeat(double beat) const
{
    auto after = std::upper_bound(m_spans.begin(), m_spans.end(), beat,
                                  [](double b, const Span& span) { return b < span.beat; });
    return after == m_spans.begin() ? m_spans.front() : *(after - 1);
}

const k_TempoMap::Span& k_TempoMap::SpanAtBar(int bar) const
{
    auto after =
        std::upper_bound(m_spans.begin(), m_spans.end(), bar, [](int b, const Span& span) { return b < span.bar; });
    return after == m_spans.begin() ? m_spans.front() : *(after - 1);
}

// --- conversions ---

double k_TempoMap::GetBeat(double time) const
{
    const Span& span = SpanAtTime(time);
    return span.beat + (time - span.time) / span.secondsPerBeat;
}

double k_TempoMap::GetTimeOfBeat(double beat) const
{
    const Span& span = SpanAtBeat(beat);
    if (beat == span.beat)
        return span.time;
    return span.time + (beat - span.beat) * span.secondsPerBeat;
}

double k_TempoMap::GetTimeOf(int bar, double beat) const
{
    const Span& span = SpanAtBar(bar);
    const double beats = (bar - span.bar) * static_cast<double>(span.beatsPerBar) + (beat - 1.0);
    // On an anchor's downbeat, its time as written (no arithmetic to round it).
    if (beats == 0.0)
        return span.time;
    return span.time + beats * span.secondsPerBeat;
}

k_TempoMap::Position k_TempoMap::GetPosition(double time) const
{
    const Span& span = SpanAtTime(time);
    const double beats = (time - span.time) / span.secondsPerBeat;
    // A hair under a beat (a time computed from a beat) counts as on it.
    const double wholeBars = std::floor(beats / span.beatsPerBar + 1e-9);
    double beat = beats - wholeBars * span.beatsPerBar + 1.0;
    if (beat < 1.0)
        beat = 1.0;
    // Far outside any show (or at a tempo no map of the reader's has) the bar would not fit an int: it is held
    // at the int's ends instead of overflowing.
    const double sum = span.bar + wholeBars;
    const double bar = std::isnan(sum) ? span.bar
                                       : std::clamp(sum, static_cast<double>(std::numeric_limits<int>::min()),
                                                    static_cast<double>(std::numeric_limits<int>::max()));
    return {static_cast<int>(bar), std::isfinite(beat) ? beat : 1.0};
}

int k_TempoMap::GetBeatsPerBar(double time) const
{
    return SpanAtTime(time).beatsPerBar;
}

double k_TempoMap::GetBeatsPerMinute(double time) const
{
    return 60.0 / SpanAtTime(time).secondsPerBeat;
}

std::string k_TempoMap::Format(double time) const
{
    Position position = GetPosition(time);
    char text[48];
    double rounded = std::round(position.beat * 100.0) / 100.0;
    // A time a hair before a downbeat reads as that downbeat.
    if (rounded >= GetBeatsPerBar(time) + 1.0)
    {
        ++position.bar;
        rounded = 1.0;
    }
    if (std::fabs(rounded - std::round(rounded)) < 1e-9)
        std::snprintf(text, sizeof text, "%d:%d", position.bar, static_cast<int>(std::lround(rounded)));
    else
        std::snprintf(text, sizeof text, "%d:%.2f", position.bar, rounded);
    return text;
}
