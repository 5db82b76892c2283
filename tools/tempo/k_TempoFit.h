#pragma once
// A show file's tempo map measured from a recording's beats. The beats come from a beat tracker (aubio's) and
// are placed on the nearest onset, which is sharper than the tracker's own estimate; the fit numbers them
// (a skipped beat counts, a doubled one is dropped), finds the bar's first beat and fits anchors on bar
// downbeats: the first where the music starts its first bar, one more wherever the beats leave the line of
// the tempo before by more than a few milliseconds. Between anchors the map's tempo is constant, as the
// show file's reader computes it, so the fit is a line through each span's beats, joined at the anchors.
#include "animation/k_TempoMap.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class k_TempoFit
{
public:
    struct Options
    {
        int beatsPerBar = 4;
        // Seconds of the first bar's downbeat; unset: the first beat of the strongest place in the bar.
        std::optional<double> firstDownbeat;
    };
    // What was heard: the tracker's beats with the beat length it followed at each (may be left empty) and
    // the onsets (seconds, ascending), and how strong the sound is
    // just after a time (any scale; compared between beats only): its low end (kick drums, bass) and its
    // bright part (above the bass).
    struct Recording
    {
        std::vector<double> beats;
        std::vector<double> periods;
        std::vector<double> onsets;
        std::function<double(double)> strength;
        std::function<double(double)> brightness;
        double seconds = 0.0;
    };
    // How far the beats of a map lie from the tracked beats: the median and the largest distance (seconds),
    // where the largest is, and how many beats were compared.
    struct Distance
    {
        double median = 0.0;
        double worst = 0.0;
        double worstTime = 0.0;
        size_t beats = 0;
    };
    // A tracked beat further than the limit from the map's nearest beat.
    struct Drift
    {
        double time = 0.0;
        double offset = 0.0;
    };
    // Given by the caller; where the music enters (the low end rising fourfold from the bar before); the
    // place in the bar where the beat is strongest; the first beat (nothing to hear it by).
    enum class Downbeat
    {
        Given,
        Entry,
        Accent,
        First
    };
    struct Result
    {
        // Empty on success, else why the recording has no map.
        std::string error;
        std::vector<k_TempoMap::Anchor> anchors;
        // The tracked beats the map was fitted to (seconds), and how well it fits them.
        std::vector<double> beats;
        Distance fit;
        // How the first downbeat was chosen.
        Downbeat downbeat = Downbeat::Given;
    };

    // The fewest tracked beats a map is made from.
    static constexpr size_t MinBeats = 8;
    // A tracked beat counts when an onset lies this close (seconds); the map fits its beats to this much.
    static constexpr double OnsetWindow = 0.05;
    static constexpr double SpanTolerance = 0.010;
    static constexpr double SpanLargest = 0.025;
    // A beat this far off the line of the beats around it is a stray hit, not a beat.
    static constexpr double OutlierDistance = 0.030;
    // A map whose median distance is larger fits no steady beat.
    static constexpr double SteadyMedian = 0.020;

    static Result Measure(const Recording& recording, const Options& options);
    // The distance from each beat to the nearest beat of the map.
    static Distance Compare(const k_TempoMap& map, const std::vector<double>& beats);
    // The beats further than limit from the map, in time order.
    static std::vector<Drift> Drifts(const k_TempoMap& map, const std::vector<double>& beats, double limit);
};
