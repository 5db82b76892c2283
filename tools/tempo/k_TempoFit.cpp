#include "k_TempoFit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
// --- helpers ---

// A beat with its number: beats since the first tracked one, gaps counted.
struct Numbered
{
    long index = 0;
    double time = 0.0;
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The onset nearest the time within the window, if any.
std::optional<double> NearestOnset(const std::vector<double>& onsets, double time, double window)
{
    const auto after = std::lower_bound(onsets.begin(), onsets.end(), time);
    std::optional<double> best;
    if (after != onsets.end() && *after - time <= window)
        best = *after;
    if (after != onsets.begin() && time - after[-1] <= window && (!best || time - after[-1] < *best - time))
        best = after[-1];
    return best;
}

// Solves the square system in place (Gaussian elimination with partial pivoting); false when singular.
bool Solve(std::vector<std::vector<double>>& a, std::vector<double>& b)
{
    const size_t n = b.size();
    for (size_t col = 0; col < n; ++col)
    {
        size_t pivot = col;
        for (size_t row = col + 1; row < n; ++row)
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col]))
                pivot = row;
        if (std::fabs(a[pivot][col]) < 1e-12)
            return false;
        std::swap(a[pivot], a[col]);
        std::swap(b[pivot], b[col]);
        for (size_t row = col + 1; row < n; ++row)
        {
            const double factor = a[row][col] / a[col][col];
            for (size_t k = col; k < n; ++k)
                a[row][k] -= factor * a[col][k];
            b[row] -= factor * b[col];
        }
    }
    for (size_t col = n; col-- > 0;)
    {
        for (size_t k = col + 1; k < n; ++k)
            b[col] -= a[col][k] * b[k];
        b[col] /= a[col][col];
    }
    return true;
}

// --- the fit of a map to numbered beats ---

// A map of anchors on beat numbers (knots, from the first downbeat): the time of each knot and the seconds a
// beat after the last, fitted by least squares to the beats.
struct Spline
{
    std::vector<long> knots;
    std::vector<double> times;
    double secondsPerBeat = 0.0;
    double squares = 0.0;
    std::vector<double> residuals;

    // The weights of the unknowns (knot times, then the last span's seconds a beat) in a beat's time.
    void Weights(long beat, std::vector<double>& w) const
    {
        std::fill(w.begin(), w.end(), 0.0);
        const size_t k = knots.size();
        if (k == 1 || beat >= knots.back())
        {
            w[k - 1] = 1.0;
            w[k] = static_cast<double>(beat - knots.back());
            return;
        }
        size_t span = 0;
        while (span + 2 < k && beat >= knots[span + 1])
            ++span;
        const double along =
            static_cast<double>(beat - knots[span]) / static_cast<double>(knots[span + 1] - knots[span]);
        w[span] = 1.0 - along;
        w[span + 1] = along;
    }

    bool Fit(const std::vector<Numbered>& beats, long first)
    {
        const size_t n = knots.size() + 1;
        std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
        std::vector<double> b(n, 0.0), w(n);
        for (const Numbered& beat : beats)
        {
            Weights(beat.index - first, w);
            for (size_t i = 0; i < n; ++i)
            {
                if (w[i] == 0.0)
                    continue;
                b[i] += w[i] * beat.time;
                for (size_t j = 0; j < n; ++j)
                    a[i][j] += w[i] * w[j];
            }
        }
        if (!Solve(a, b))
            return false;
        times.assign(b.begin(), b.end() - 1);
        secondsPerBeat = b.back();
        squares = 0.0;
        residuals.clear();
        for (const Numbered& beat : beats)
        {
            Weights(beat.index - first, w);
            double predicted = 0.0;
            for (size_t i = 0; i < n; ++i)
                predicted += w[i] * (i + 1 < n ? times[i] : secondsPerBeat);
            residuals.push_back(beat.time - predicted);
            squares += residuals.back() * residuals.back();
        }
        for (size_t i = 0; i + 1 < times.size(); ++i)
            if (!(times[i + 1] > times[i]))
                return false;
        return secondsPerBeat > 0.0;
    }

    // Every beat within the span tolerances: 95 in 100 within the first, all within the second.
    bool Good() const
    {
        std::vector<double> sizes;
        for (const double r : residuals)
            sizes.push_back(std::fabs(r));
        std::sort(sizes.begin(), sizes.end());
        if (sizes.empty())
            return true;
        const size_t at95 = std::min(sizes.size() - 1, sizes.size() * 95 / 100);
        return sizes[at95] <= k_TempoFit::SpanTolerance && sizes.back() <= k_TempoFit::SpanLargest;
    }
};

// --- the beats heard, numbered ---

// The tracker's beat length at a time (that of its last beat before), or 0 where it gave none.
using PeriodAt = std::function<double(double)>;

// The local beat length at each gap (the first entry is the whole recording's). The candidates are the
// tracker's, and the median of the eight gaps before and of the eight after (at a tempo change a gap belongs
// to one side, and the tracker takes a while to follow); each is taken back to about the whole recording's
// where it is half or double that (the tracker followed half or double the tempo for a stretch). The gap's
// beats by a candidate are heard where onsets lie between its ends at those beats: the candidate whose beats
// are heard best, then whose beats fill the gap best, wins.
std::vector<double> LocalPeriods(const std::vector<double>& times, const PeriodAt& trackerPeriod,
                                 const std::vector<double>& onsets, bool byOnsets)
{
    std::vector<double> gaps;
    for (size_t i = 1; i < times.size(); ++i)
        gaps.push_back(times[i] - times[i - 1]);
    const double global = Median(gaps);
    const auto octave = [global](double local) {
        if (local > 1.8 * global)
            local /= std::round(local / global);
        else if (local < global / 1.8)
            local *= std::round(global / local);
        return local;
    };
    const auto side = [&](size_t from, size_t to) {
        return octave(from < to ? Median(std::vector<double>(gaps.begin() + static_cast<std::ptrdiff_t>(from),
                                                             gaps.begin() + static_cast<std::ptrdiff_t>(to)))
                                : global);
    };
    std::vector<double> periods{global};
    for (size_t g = 0; g < gaps.size(); ++g)
    {
        std::vector<double> candidates{side(g > 8 ? g - 8 : 0, g), side(g + 1, std::min(gaps.size(), g + 9))};
        if (trackerPeriod)
        {
            // The tracker's beat length here, and eight of its beats before and after (it follows a tempo
            // change some beats late).
            std::vector<double> tracked{trackerPeriod(times[g + 1]), trackerPeriod(times[g > 7 ? g - 7 : 0]),
                                        trackerPeriod(times[std::min(times.size() - 1, g + 9)])};
            for (size_t k = tracked.size(); k-- > 0;)
                if (tracked[k] > 0.0)
                    candidates.insert(candidates.begin(), octave(tracked[k]));
        }
        if (!byOnsets)
        {
            // The one the gap fits best, a whole number of its beats.
            const auto misfit = [&](double period) {
                return std::fabs(gaps[g] / period - std::max(1.0, std::round(gaps[g] / period)));
            };
            periods.push_back(*std::min_element(candidates.begin(), candidates.end(),
                                                [&](double a, double b) { return misfit(a) < misfit(b); }));
            continue;
        }
        // Of the candidates that fill the gap with whole beats (within a quarter of a beat), the one whose
        // beats between the gap's ends fall on the most onsets; then the one that fills it best.
        double best = candidates.front(), bestMisfit = 1e9;
        int bestHeard = -1;
        for (const double period : candidates)
        {
            const double count = std::max(1.0, std::round(gaps[g] / period));
            const double misfit = std::fabs(gaps[g] / period - count);
            int heard = 0;
            for (int k = 1; k < static_cast<int>(count); ++k)
                heard += NearestOnset(onsets, times[g] + k * gaps[g] / count, std::min(0.03, period / 8.0)) ? 1 : 0;
            if (misfit > 0.25)
                heard = -1;
            if (heard > bestHeard || (heard == bestHeard && misfit < bestMisfit))
            {
                best = period;
                bestHeard = heard;
                bestMisfit = misfit;
            }
        }
        periods.push_back(best);
    }
    return periods;
}

// Numbers the beats: a gap of about two beats counts two (a beat the tracker skipped), a beat less than half
// a beat after the one before is dropped.
std::vector<Numbered> NumberBeats(const std::vector<double>& times, const PeriodAt& trackerPeriod,
                                  const std::vector<double>& onsets)
{
    const std::vector<double> periods = LocalPeriods(times, trackerPeriod, onsets, true);
    std::vector<Numbered> beats{{0, times.front()}};
    for (size_t i = 1; i < times.size(); ++i)
    {
        const double gap = times[i] - beats.back().time;
        const long count = std::lround(gap / periods[i]);
        if (count < 1)
            continue;
        beats.push_back({beats.back().index + count, times[i]});
    }
    return beats;
}

// The tracker may follow the off-beats or another sixteenth for a stretch (a busy hi-hat, a syncopated bass):
// its beats then fall a part of a beat away from the beats before. Each such stretch is a run with its phase
// against the first; runs whose phases agree form a class, and the class whose beats carry the most low end
// against the rest of their beat (where the kick drum and the bass fall) is the beat. The other runs' beats
// are moved onto its phase and kept where an onset is there.
std::vector<double> OnePhase(const std::vector<double>& heard, const std::vector<double>& onsets,
                             const std::function<double(double)>& strength)
{
    const std::vector<double> periods = LocalPeriods(heard, nullptr, onsets, false);
    const double global = periods.front();
    const auto wrap = [](double phase, double period) { return phase - period * std::floor(phase / period + 0.5); };
    std::vector<double> phaseOf(heard.size(), 0.0);
    for (size_t i = 1; i < heard.size(); ++i)
    {
        const double gap = heard[i] - heard[i - 1];
        const double jump = gap - periods[i] * std::floor(gap / periods[i] + 0.5);
        phaseOf[i] = std::fabs(jump) > periods[i] / 8.0 ? wrap(phaseOf[i - 1] + jump / periods[i] * global, global)
                                                        : phaseOf[i - 1];
    }
    std::vector<double> classes;
    std::vector<size_t> classOf(heard.size());
    for (size_t i = 0; i < heard.size(); ++i)
    {
        size_t c = 0;
        while (c < classes.size() && std::fabs(wrap(phaseOf[i] - classes[c], global)) > global / 8.0)
            ++c;
        if (c == classes.size())
            classes.push_back(phaseOf[i]);
        classOf[i] = c;
    }
    if (classes.size() == 1 || !strength)
        return heard;
    std::vector<double> score(classes.size(), 0.0);
    std::vector<size_t> count(classes.size(), 0);
    for (size_t i = 0; i < heard.size(); ++i)
    {
        double all = 0.0;
        for (int k = 0; k < 4; ++k)
            all += strength(heard[i] + k * periods[i] / 4.0);
        score[classOf[i]] += (strength(heard[i]) + 1e-12) / (all / 4.0 + 1e-12);
        ++count[classOf[i]];
    }
    size_t best = 0;
    double bestScore = -1.0;
    for (size_t c = 0; c < classes.size(); ++c)
    {
        if (count[c] < std::max<size_t>(4, heard.size() / 10))
            continue;
        if (score[c] / count[c] > bestScore)
        {
            bestScore = score[c] / count[c];
            best = c;
        }
    }
    std::vector<double> beats;
    for (size_t i = 0; i < heard.size(); ++i)
    {
        double time = heard[i];
        if (classOf[i] != best)
        {
            const double shift = wrap(classes[best] - phaseOf[i], global) * periods[i] / global;
            const std::optional<double> onset =
                NearestOnset(onsets, heard[i] + shift, std::min(0.03, periods[i] / 10.0));
            if (!onset)
                continue;
            time = *onset;
        }
        if (beats.empty() || time - beats.back() > periods[i] / 2.0)
            beats.push_back(time);
    }
    return beats;
}

// The tracker may follow half the tempo of a fast piece (174 BPM as 87). Below 100 BPM, where nearly every
// gap between its beats has an onset in the middle about as bright as the beats around it (their sound above
// the bass), the onsets in the middle are beats too.
std::vector<double> Doubled(const std::vector<double>& beats, const std::vector<double>& onsets,
                            const std::function<double(double)>& brightness)
{
    std::vector<double> gaps;
    for (size_t i = 1; i < beats.size(); ++i)
        gaps.push_back(beats[i] - beats[i - 1]);
    const double period = Median(gaps);
    if (!brightness || gaps.empty() || period < 0.6)
        return beats;
    std::vector<double> middles, ratios;
    size_t pairs = 0;
    for (size_t i = 1; i < beats.size(); ++i)
    {
        if (gaps[i - 1] > 1.5 * period)
            continue;
        ++pairs;
        const std::optional<double> onset =
            NearestOnset(onsets, 0.5 * (beats[i - 1] + beats[i]), std::min(0.03, period / 10.0));
        if (!onset)
            continue;
        middles.push_back(*onset);
        ratios.push_back(brightness(*onset) / (0.5 * (brightness(beats[i - 1]) + brightness(beats[i])) + 1e-12));
    }
    if (middles.size() * 10 < pairs * 8 || Median(ratios) < 0.5)
        return beats;
    std::vector<double> doubled = beats;
    doubled.insert(doubled.end(), middles.begin(), middles.end());
    std::sort(doubled.begin(), doubled.end());
    return doubled;
}

// Follows the beat from the first and the last tracked beat outwards through onsets, where the tracker had
// not locked on yet or had let go: each next beat a beat's length on, within 20 ms (and a tenth of a beat)
// of an onset, up to a bar of beats without one.
void Extend(std::vector<Numbered>& beats, const std::vector<double>& onsets, double seconds, int beatsPerBar)
{
    const auto period = [&](bool front) {
        const size_t n = std::min<size_t>(beats.size(), 9);
        const Numbered& a = front ? beats.front() : beats[beats.size() - n];
        const Numbered& b = front ? beats[n - 1] : beats.back();
        return (b.time - a.time) / static_cast<double>(b.index - a.index);
    };
    const double before = period(true);
    std::vector<Numbered> added;
    int missed = 0;
    for (Numbered last = beats.front(); missed < beatsPerBar;)
    {
        const long index = last.index - 1 - missed;
        const double predicted = last.time - before * static_cast<double>(1 + missed);
        if (predicted < -before * 0.25)
            break;
        const std::optional<double> onset = NearestOnset(onsets, predicted, std::min(before * 0.1, 0.02));
        if (!onset)
        {
            ++missed;
            continue;
        }
        last = {index, *onset};
        added.push_back(last);
        missed = 0;
    }
    beats.insert(beats.begin(), added.rbegin(), added.rend());
    const double after = period(false);
    missed = 0;
    for (Numbered last = beats.back(); missed < beatsPerBar;)
    {
        const long index = last.index + 1 + missed;
        const double predicted = last.time + after * static_cast<double>(1 + missed);
        if (predicted > seconds)
            break;
        const std::optional<double> onset = NearestOnset(onsets, predicted, std::min(after * 0.1, 0.02));
        if (!onset)
        {
            ++missed;
            continue;
        }
        last = {index, *onset};
        beats.push_back(last);
        missed = 0;
    }
}

// --- the downbeat ---

// Where in the bar the downbeat falls (0 to perBar - 1, counted on the beats' numbers). Music enters on a
// downbeat: where the low end rises at least fourfold from one bar to the next (the beat coming in, a
// drop), the place where such rises are largest is the downbeat's. Music without such entries (a loop, a
// metronome) has its downbeat where the beat is strongest against the beats around it, on average.
long DownbeatPlace(const std::vector<Numbered>& beats, const std::function<double(double)>& strength, int perBar,
                   double period, k_TempoFit::Downbeat& how)
{
    const auto placeOf = [perBar](long index) { return static_cast<size_t>(((index % perBar) + perBar) % perBar); };
    const auto best = [](const std::vector<double>& score) {
        return static_cast<long>(std::max_element(score.begin(), score.end()) - score.begin());
    };
    if (!strength)
    {
        how = k_TempoFit::Downbeat::First;
        return placeOf(beats.front().index);
    }
    // Entries: the low end of the bar from the beat against the bar before it (a whole bar before only).
    std::vector<double> level;
    for (const Numbered& beat : beats)
        level.push_back(strength(beat.time));
    const double usual = Median(level);
    std::vector<double> entries(static_cast<size_t>(perBar), 0.0);
    for (const Numbered& beat : beats)
    {
        if (beat.time < perBar * period)
            continue;
        double before = 0.0, after = 0.0;
        for (int k = 0; k < 2 * perBar; ++k)
        {
            before += strength(beat.time - (k + 1) * period / 2.0);
            after += strength(beat.time + k * period / 2.0);
        }
        // The music's start out of silence says nothing: it may start with a pickup.
        if (before < usual * 0.01 * 2 * perBar)
            continue;
        const double rise = std::log((after + 1e-9) / (before + 1e-9));
        if (rise > std::log(4.0))
            entries[placeOf(beat.index)] += rise * rise;
    }
    std::vector<double> sorted = entries;
    std::sort(sorted.rbegin(), sorted.rend());
    if (sorted[0] > 0.0 && (sorted.size() == 1 || sorted[0] >= 1.5 * sorted[1]))
    {
        how = k_TempoFit::Downbeat::Entry;
        return best(entries);
    }
    // Accents: each beat's strength against the beats a bar around it.
    std::vector<double> accents(static_cast<size_t>(perBar), 0.0);
    for (size_t i = 0; i < beats.size(); ++i)
    {
        double around = 0.0;
        int count = 0;
        for (size_t j = i >= static_cast<size_t>(perBar) ? i - perBar : 0; j < std::min(beats.size(), i + perBar + 1);
             ++j)
            if (j != i)
            {
                around += level[j];
                ++count;
            }
        around = count > 0 ? around / count : level[i];
        accents[placeOf(beats[i].index)] += std::log((level[i] + 1e-9) / (around + 1e-9));
    }
    how = k_TempoFit::Downbeat::Accent;
    return best(accents);
}
} // namespace

// --- the measure ---

k_TempoFit::Result k_TempoFit::Measure(const Recording& recording, const Options& options)
{
    Result result;
    const int perBar = std::max(1, options.beatsPerBar);
    // The tracker's beats on their onsets; a beat with no onset near it is not heard and not counted.
    std::vector<double> heard;
    for (const double beat : recording.beats)
    {
        const std::optional<double> onset = NearestOnset(recording.onsets, beat, OnsetWindow);
        if (onset && (heard.empty() || *onset > heard.back()))
            heard.push_back(*onset);
    }
    if (heard.size() < MinBeats || heard.size() * 2 < recording.beats.size())
    {
        char text[160];
        std::snprintf(text, sizeof text, "no steady beat: %zu of %zu tracked beats fall on an onset (%zu needed)",
                      heard.size(), recording.beats.size(), std::max(MinBeats, (recording.beats.size() + 1) / 2));
        result.error = text;
        return result;
    }
    // The tracker's beat length at a time: that at its last beat before (a little before: the beats moved
    // onto their onsets).
    PeriodAt trackerPeriod;
    if (recording.periods.size() == recording.beats.size() && !recording.beats.empty())
        trackerPeriod = [&recording](double time) {
            const auto after = std::upper_bound(recording.beats.begin(), recording.beats.end(), time + OnsetWindow);
            const size_t at =
                after == recording.beats.begin() ? 0 : static_cast<size_t>(after - recording.beats.begin()) - 1;
            return recording.periods[at];
        };
    heard = OnePhase(heard, recording.onsets, recording.strength);
    if (heard.size() < MinBeats)
    {
        result.error = "no steady beat: the tracked beats keep no phase";
        return result;
    }
    heard = Doubled(heard, recording.onsets, recording.brightness);
    std::vector<Numbered> beats = NumberBeats(heard, trackerPeriod, recording.onsets);
    Extend(beats, recording.onsets, recording.seconds, perBar);
    std::vector<double> gaps;
    for (size_t i = 1; i < beats.size(); ++i)
        gaps.push_back((beats[i].time - beats[i - 1].time) / static_cast<double>(beats[i].index - beats[i - 1].index));
    const double period = Median(gaps);

    // The bar's first beat: given, or heard (see DownbeatPlace), the first beat at that place in the bar.
    long first = 0;
    if (options.firstDownbeat)
    {
        const double at = *options.firstDownbeat;
        const auto nearest = std::min_element(beats.begin(), beats.end(), [at](const Numbered& a, const Numbered& b) {
            return std::fabs(a.time - at) < std::fabs(b.time - at);
        });
        first = nearest->index + std::lround((at - nearest->time) / period);
        result.downbeat = Downbeat::Given;
    }
    else
    {
        const long place = DownbeatPlace(beats, recording.strength, perBar, period, result.downbeat);
        first = beats.front().index;
        while (((first % perBar) + perBar) % perBar != place)
            ++first;
    }

    // The anchors: the first downbeat, then, one at a time, the downbeat that brings the beats nearest the
    // map, until they all lie within the tolerances; then each that is not needed for that is taken out.
    Spline spline;
    spline.knots = {0};
    if (!spline.Fit(beats, first))
    {
        result.error = "no steady beat: the beats make no tempo";
        return result;
    }
    // A beat far from the line its neighbours keep on both sides is a hit between the beats that the tracker
    // took for one (a tempo change bends the line: a beat there lies on one side's line): it is left out.
    {
        const auto lineOf = [&](size_t from, size_t to, long index) -> std::optional<double> {
            if (to - from < 2)
                return std::nullopt;
            double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
            const double n = static_cast<double>(to - from);
            for (size_t j = from; j < to; ++j)
            {
                const double x = static_cast<double>(beats[j].index - index);
                sx += x;
                sy += spline.residuals[j];
                sxx += x * x;
                sxy += x * spline.residuals[j];
            }
            const double d = n * sxx - sx * sx;
            return std::fabs(d) < 1e-12 ? sy / n : (sy * sxx - sx * sxy) / d;
        };
        std::vector<Numbered> kept;
        for (size_t i = 0; i < beats.size(); ++i)
        {
            const std::optional<double> left = lineOf(i >= 6 ? i - 6 : 0, i, beats[i].index);
            const std::optional<double> right = lineOf(i + 1, std::min(beats.size(), i + 7), beats[i].index);
            const auto off = [&](const std::optional<double>& line) {
                return !line || std::fabs(spline.residuals[i] - *line) > OutlierDistance;
            };
            if (!(off(left) && off(right)))
                kept.push_back(beats[i]);
        }
        if (kept.size() >= MinBeats)
            beats = std::move(kept);
        if (!spline.Fit(beats, first))
        {
            result.error = "no steady beat: the beats make no tempo";
            return result;
        }
    }
    const long last = beats.back().index - first;
    while (!spline.Good() && spline.knots.size() < 512)
    {
        std::optional<Spline> best;
        for (long knot = perBar; knot < last; knot += perBar)
        {
            if (std::binary_search(spline.knots.begin(), spline.knots.end(), knot))
                continue;
            Spline trial = spline;
            trial.knots.insert(std::upper_bound(trial.knots.begin(), trial.knots.end(), knot), knot);
            if (trial.Fit(beats, first) && (!best || trial.squares < best->squares))
                best = std::move(trial);
        }
        if (!best || best->squares > spline.squares * 0.95)
            break;
        spline = std::move(*best);
    }
    for (size_t k = spline.knots.size(); k-- > 1;)
    {
        Spline trial = spline;
        trial.knots.erase(trial.knots.begin() + static_cast<std::ptrdiff_t>(k));
        if (trial.Fit(beats, first) && trial.Good())
            spline = std::move(trial);
    }

    // The anchors as written: times to the millisecond, the last tempo to a thousandth of a beat a minute.
    for (size_t k = 0; k < spline.knots.size(); ++k)
    {
        k_TempoMap::Anchor anchor;
        anchor.bar = static_cast<int>(spline.knots[k] / perBar) + 1;
        anchor.time = std::max(0.0, std::round(spline.times[k] * 1000.0) / 1000.0);
        anchor.beatsPerBar = perBar;
        if (k + 1 == spline.knots.size())
            anchor.beatsPerMinute = std::round(60.0 / spline.secondsPerBeat * 1000.0) / 1000.0;
        result.anchors.push_back(anchor);
    }
    const std::string fault = k_TempoMap::Check(result.anchors);
    if (!fault.empty())
    {
        result.error = "no steady beat: " + fault;
        result.anchors.clear();
        return result;
    }
    for (const Numbered& beat : beats)
        result.beats.push_back(beat.time);
    result.fit = Compare(k_TempoMap(result.anchors), result.beats);
    if (result.fit.median > SteadyMedian)
    {
        char text[160];
        std::snprintf(text, sizeof text, "no steady beat: the beats lie %.0f ms from the best tempo map (median)",
                      result.fit.median * 1000.0);
        result.error = text;
        result.anchors.clear();
    }
    return result;
}

// --- distances ---

k_TempoFit::Distance k_TempoFit::Compare(const k_TempoMap& map, const std::vector<double>& beats)
{
    Distance distance;
    std::vector<double> sizes;
    for (const Drift& drift : Drifts(map, beats, -1.0))
    {
        sizes.push_back(std::fabs(drift.offset));
        if (sizes.back() > distance.worst)
        {
            distance.worst = sizes.back();
            distance.worstTime = drift.time;
        }
    }
    distance.beats = sizes.size();
    if (!sizes.empty())
    {
        std::sort(sizes.begin(), sizes.end());
        const size_t n = sizes.size();
        distance.median = n % 2 == 1 ? sizes[n / 2] : 0.5 * (sizes[n / 2 - 1] + sizes[n / 2]);
    }
    return distance;
}

std::vector<k_TempoFit::Drift> k_TempoFit::Drifts(const k_TempoMap& map, const std::vector<double>& beats, double limit)
{
    std::vector<Drift> drifts;
    for (const double time : beats)
    {
        const double offset = time - map.GetTimeOfBeat(std::round(map.GetBeat(time)));
        if (std::fabs(offset) > limit)
            drifts.push_back({time, offset});
    }
    return drifts;
}
