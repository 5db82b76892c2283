#pragma once
// A tempo map made of anchors: "bar B starts at time T, in bars of N beats". Between two anchors the tempo is
// constant, so that the bars between them fill the time exactly (a tempo change, a short bar or a long one
// is a new anchor); after the last anchor the tempo goes on at the given beats a minute or, without one, at
// the tempo before it; before the first anchor, the first span's tempo runs backwards.
#include "interfaces/ITempoMap.h"

#include <string>
#include <vector>

class k_TempoMap : public ITempoMap
{
public:
    struct Anchor
    {
        int bar = 1;
        double time = 0.0;
        int beatsPerBar = 4;
        // Beats a minute after the last anchor; 0 elsewhere (derived from the next anchor).
        double beatsPerMinute = 0.0;
    };
    // A bar and its beat (from 1, with a fraction).
    struct Position
    {
        int bar = 1;
        double beat = 1.0;
    };

    // 120 beats a minute in bars of 4 from 0 s.
    k_TempoMap();
    // The anchors must be valid (see Check); an invalid list leaves the default map.
    explicit k_TempoMap(std::vector<Anchor> anchors);

    // Empty when the anchors make a map; else what is wrong with them (the first fault), and in faultAt, when
    // given, the index of the anchor it lies at. Every tempo, given or derived from two anchors, lies between
    // MinBeatsPerMinute and MaxBeatsPerMinute.
    static std::string Check(const std::vector<Anchor>& anchors, size_t* faultAt = nullptr);
    static constexpr double MinBeatsPerMinute = 1.0;
    static constexpr double MaxBeatsPerMinute = 1000.0;

    double GetBeat(double time) const override;
    double GetTimeOfBeat(double beat) const override;
    double GetTimeOf(int bar, double beat) const override;

    // The bar and beat at a time.
    Position GetPosition(double time) const;
    // Beats in the bar at a time, and the tempo there (beats a minute).
    int GetBeatsPerBar(double time) const;
    double GetBeatsPerMinute(double time) const;
    // "39:1" on a beat, else "39:2.50" (to a hundredth of a beat).
    std::string Format(double time) const;
    const std::vector<Anchor>& GetAnchors() const { return m_anchors; }

private:
    struct Span
    {
        int bar;
        double time;
        int beatsPerBar;
        double secondsPerBeat;
        double beat; // beats since bar 1's downbeat at the span's start
    };
    // The span that holds the time (the first for times before it).
    const Span& SpanAtTime(double time) const;
    const Span& SpanAtBeat(double beat) const;
    const Span& SpanAtBar(int bar) const;

    std::vector<Anchor> m_anchors;
    std::vector<Span> m_spans;
};
