#include "k_Song.h"

#include "k_BassSynth.h"
#include "k_BellSynth.h"
#include "k_DrumKit.h"
#include "k_FxSynth.h"
#include "k_LeadSynth.h"
#include "k_PadSynth.h"
#include "k_PluckSynth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

// --- time and harmony ---

namespace
{
// Note lengths and delay times at the tune's own tempo, 120 beats a minute; where the tempo map stretches a
// stretch of bars by a percent, notes keep these lengths and only their starts follow the map.
constexpr double k_BarSeconds = 2.0;
constexpr double k_Sixteenth = k_BarSeconds / 16.0;
constexpr double k_Eighth = k_BarSeconds / 8.0;

// The arrangement's parts by the bar they start on (counted from 0 here, from 1 in the show file) and the
// show's section each begins.
struct Part
{
    const char* section;
    int bar;
};
constexpr Part k_Parts[] = {{"landscape", 13}, {"thanks", 38}, {"greetings", 68}, {"logo", 84}, {"ending", 87}};

float Lerp(float a, float b, float x)
{
    return a + (b - a) * std::clamp(x, 0.0f, 1.0f);
}
} // namespace

struct k_Song::Chord
{
    int bass;     // root in the bass register
    int pad[4];   // voicing of the pad
    int tones[3]; // chord tones around the middle octave, for arpeggios and stabs
};

// D minor and its neighbours, voiced to move smoothly from one to the next.
static const k_Song::Chord Dm{38, {50, 62, 65, 69}, {62, 65, 69}};
static const k_Song::Chord Bb{34, {46, 62, 65, 70}, {62, 65, 70}};
static const k_Song::Chord F{41, {53, 60, 65, 69}, {60, 65, 69}};
static const k_Song::Chord C{36, {48, 60, 64, 67}, {60, 64, 67}};
static const k_Song::Chord Gm{31, {55, 62, 67, 70}, {62, 67, 70}};
static const k_Song::Chord A{33, {45, 61, 64, 69}, {61, 64, 69}};
static const k_Song::Chord Bbmaj7{34, {46, 62, 65, 69}, {62, 65, 69}};
static const k_Song::Chord Cadd9{36, {48, 62, 64, 67}, {62, 64, 67}};
static const k_Song::Chord Dsus4{38, {50, 62, 67, 69}, {62, 67, 69}};
static const k_Song::Chord D{38, {50, 62, 66, 69}, {62, 66, 69}};

// The main progression (i - VI - III - VII) and the second one (iv - i - VI - V).
static const k_Song::Chord* const k_Main[4] = {&Dm, &Bb, &F, &C};
static const k_Song::Chord* const k_Second[4] = {&Gm, &Dm, &Bb, &A};

// --- melodies: {bar, start in eighths, length in eighths, MIDI pitch} ---

namespace
{
// The theme, over two rounds of the main progression.
constexpr int k_ThemeA[][4] = {
    {0, 0, 3, 69}, {0, 3, 3, 74}, {0, 6, 2, 76},                // Dm
    {1, 0, 6, 77}, {1, 6, 1, 76}, {1, 7, 1, 74},                // Bb
    {2, 0, 3, 72}, {2, 3, 3, 69}, {2, 6, 2, 72},                // F
    {3, 0, 4, 76}, {3, 4, 2, 74}, {3, 6, 2, 72},                // C
    {4, 0, 3, 69}, {4, 3, 3, 74}, {4, 6, 2, 76},                // Dm
    {5, 0, 3, 77}, {5, 3, 3, 79}, {5, 6, 1, 77}, {5, 7, 1, 76}, // Bb
    {6, 0, 2, 77}, {6, 2, 2, 76}, {6, 4, 4, 72},                // F
    {7, 0, 6, 76}, {7, 6, 2, 74},                               // C
};
// The second theme, over two rounds of the second progression; it climbs and comes back down to the dominant.
constexpr int k_ThemeB[][4] = {
    {0, 0, 3, 79}, {0, 3, 3, 77}, {0, 6, 2, 74}, // Gm
    {1, 0, 3, 77}, {1, 3, 3, 76}, {1, 6, 2, 74}, // Dm
    {2, 0, 3, 74}, {2, 3, 3, 72}, {2, 6, 2, 70}, // Bb
    {3, 0, 4, 73}, {3, 4, 2, 76}, {3, 6, 2, 81}, // A
    {4, 0, 3, 79}, {4, 3, 3, 81}, {4, 6, 2, 82}, // Gm
    {5, 0, 6, 81}, {5, 6, 1, 77}, {5, 7, 1, 74}, // Dm
    {6, 0, 3, 77}, {6, 3, 3, 74}, {6, 6, 2, 77}, // Bb
    {7, 0, 8, 76},                               // A
};
// Two bars that lead from the theme into a rise (over Gm and A).
constexpr int k_Turn[][4] = {
    {0, 0, 6, 74},
    {0, 6, 2, 77},
    {1, 0, 4, 76},
    {1, 4, 4, 73},
};
// Two bars that lead into the outro (over Bb and C).
constexpr int k_Climb[][4] = {
    {0, 0, 3, 77}, {0, 3, 3, 79}, {0, 6, 2, 81}, {1, 0, 4, 79}, {1, 4, 4, 76},
};
// The theme's opening as bells, an octave up, over the intro.
constexpr int k_BellHint[][4] = {
    {0, 0, 3, 81}, {0, 3, 3, 86}, {0, 6, 2, 88}, {1, 0, 6, 89}, {1, 6, 1, 88},
    {1, 7, 1, 86}, {2, 0, 3, 82}, {2, 3, 3, 81}, {2, 6, 2, 77}, {3, 0, 8, 81},
};

// The arpeggio's order over the chord's three tones and their octaves (index 3 to 5).
constexpr int k_ArpOrder[16] = {0, 3, 1, 4, 2, 5, 1, 4, 0, 3, 1, 4, 2, 5, 4, 3};

template <std::size_t N> constexpr int Size(const int (&)[N][4])
{
    return static_cast<int>(N);
}
} // namespace

// --- time ---

// Start of a bar (fractional bars allowed), through the show's tempo map: bar 0 here is its bar 1.
double k_Song::Bar(double bar) const
{
    const double whole = std::floor(bar);
    return m_Tempo.GetTimeOf(static_cast<int>(whole) + 1, 1.0 + (bar - whole) * 4.0);
}

// Start of a sixteenth step within a bar.
double k_Song::Step(int bar, double step) const
{
    return m_Tempo.GetTimeOf(bar + 1, 1.0 + step / 4.0);
}

std::optional<k_ShowFile> k_Song::ReadShowFile(const std::string& path, std::vector<std::string>& errors)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        errors = {path + ": cannot be read"};
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    k_ShowFile show(text.str(), std::filesystem::path(path).filename().string(), k_ShowFile::Vocabulary::Any());
    if (!show.IsValid())
    {
        errors = show.GetErrors();
        return std::nullopt;
    }
    return show;
}

k_ShowFile k_Song::LoadShowFile(const std::string& path)
{
    std::vector<std::string> errors;
    std::optional<k_ShowFile> show = ReadShowFile(path, errors);
    if (!show)
        throw std::runtime_error(errors.empty() ? path + ": cannot be used" : errors.front());
    return std::move(*show);
}

// --- building blocks ---

k_Track& k_Song::NewTrack(const char* name, std::unique_ptr<k_Instrument> instrument)
{
    m_Tracks.push_back(std::make_unique<k_Track>(name, std::move(instrument)));
    return *m_Tracks.back();
}

void k_Song::Kick(double time, float velocity)
{
    m_Kick->Add(time, 0.3, k_DrumKit::k_Kick, velocity, 0.5f);
    m_Kicks.push_back(time);
}

void k_Song::Hat(double time, double length, float drum, float velocity, float pan)
{
    // A drummer never hits two hats alike: a little seeded variation keeps the pattern from sounding mechanical.
    m_Hats->Add(time, length, drum, velocity * (0.85f + 0.3f * m_Humanize.Unit()), pan);
}

void k_Song::Pad(double bar, double bars, const Chord& chord, float velocity, float brightness)
{
    const double start = bar < 0.0 ? 0.0 : Bar(bar);
    const double end = Bar(bar + bars);
    for (int i = 0; i < 4; ++i)
        m_Pad->Add(start, end - start, static_cast<float>(chord.pad[i]), velocity * (i == 0 ? 0.8f : 1.0f), brightness);
}

void k_Song::Arpeggio(int bar, const Chord& chord, float velocity, float brightness)
{
    for (int step = 0; step < 16; ++step)
    {
        const int index = k_ArpOrder[step];
        const int pitch = chord.tones[index % 3] + (index / 3) * 12;
        // Accents on the beat give the pattern its drive.
        const float accent = step % 4 == 0 ? 1.0f : (step % 2 == 0 ? 0.8f : 0.65f);
        m_Arp->Add(Step(bar, step), k_Sixteenth * 0.8, static_cast<float>(pitch), velocity * accent, brightness);
    }
}

void k_Song::Melody(int bar, const int (*notes)[4], int count, float velocity, float brightness, bool doubled)
{
    for (int i = 0; i < count; ++i)
    {
        const double start = Bar(bar + notes[i][0]) + notes[i][1] * k_Eighth;
        // Notes are held slightly short of their full value, so repeated notes re-articulate.
        const double length = notes[i][2] * k_Eighth - 0.04;
        m_Lead->Add(start, length, static_cast<float>(notes[i][3]), velocity, brightness);
        if (doubled)
            m_LeadHigh->Add(start, length, static_cast<float>(notes[i][3] + 12), velocity * 0.55f, brightness);
    }
}

// --- the arrangement ---

k_Song::k_Song(const k_ShowFile& show) : m_Tempo(show.GetTempoMap()), m_Length(show.GetLength())
{
    CheckSections(show);
    for (const k_ShowFile::Caption& caption : show.GetCaptions())
        if (caption.music && caption.start < Bar(13))
            m_IntroCues.push_back(caption.start);

    m_Pad = &NewTrack("pad", std::make_unique<k_PadSynth>(0.9f, 1.6f));
    m_Pad->gain = 0.4f;
    m_Pad->reverbSend = 0.45f;
    m_Pad->duck = 0.55f;

    m_Bass = &NewTrack("bass", std::make_unique<k_BassSynth>());
    m_Bass->gain = 0.85f;
    m_Bass->duck = 0.75f;

    m_Lead = &NewTrack("lead", std::make_unique<k_LeadSynth>());
    m_Lead->gain = 1.4f;
    m_Lead->reverbSend = 0.3f;
    m_Lead->duck = 0.15f;
    m_Lead->delaySeconds = 3.0 * k_Sixteenth;
    m_Lead->delayFeedback = 0.35f;
    m_Lead->delayWet = 0.28f;

    m_LeadHigh = &NewTrack("lead octave", std::make_unique<k_LeadSynth>());
    m_LeadHigh->gain = 1.0f;
    m_LeadHigh->reverbSend = 0.4f;
    m_LeadHigh->duck = 0.2f;
    m_LeadHigh->delaySeconds = 3.0 * k_Sixteenth;
    m_LeadHigh->delayFeedback = 0.3f;
    m_LeadHigh->delayWet = 0.3f;

    m_Arp = &NewTrack("arpeggio", std::make_unique<k_PluckSynth>(0.16f));
    m_Arp->gain = 2.2f;
    m_Arp->reverbSend = 0.25f;
    m_Arp->duck = 0.45f;
    m_Arp->delaySeconds = 3.0 * k_Sixteenth;
    m_Arp->delayFeedback = 0.42f;
    m_Arp->delayWet = 0.4f;

    m_Stab = &NewTrack("stab", std::make_unique<k_PluckSynth>(0.45f));
    m_Stab->gain = 1.2f;
    m_Stab->reverbSend = 0.4f;
    m_Stab->delaySeconds = 2.0 * k_Sixteenth;
    m_Stab->delayFeedback = 0.3f;
    m_Stab->delayWet = 0.3f;

    m_Bell = &NewTrack("bell", std::make_unique<k_BellSynth>());
    m_Bell->gain = 1.5f;
    m_Bell->reverbSend = 0.55f;
    m_Bell->delaySeconds = 6.0 * k_Sixteenth;
    m_Bell->delayFeedback = 0.35f;
    m_Bell->delayWet = 0.3f;

    m_Kick = &NewTrack("kick", std::make_unique<k_DrumKit>());
    m_Kick->gain = 0.36f;

    m_Snare = &NewTrack("snare", std::make_unique<k_DrumKit>());
    m_Snare->gain = 0.4f;
    m_Snare->reverbSend = 0.25f;

    m_Hats = &NewTrack("hats", std::make_unique<k_DrumKit>());
    m_Hats->gain = 0.36f;
    m_Hats->reverbSend = 0.08f;

    m_Cymbal = &NewTrack("cymbal", std::make_unique<k_DrumKit>());
    m_Cymbal->gain = 0.3f;
    m_Cymbal->reverbSend = 0.2f;

    m_Clock = &NewTrack("clock", std::make_unique<k_DrumKit>());
    m_Clock->gain = 0.4f;
    m_Clock->reverbSend = 0.35f;

    m_Fx = &NewTrack("effects", std::make_unique<k_FxSynth>());
    m_Fx->gain = 0.55f;
    m_Fx->reverbSend = 0.3f;

    Intro();
    Entry();
    MainTheme();
    Riser();
    Plasma();
    Break();
    Greetings();
    Outro();
    Ending();
    std::sort(m_Kicks.begin(), m_Kicks.end());
    m_MasterGain = 1.0f;
}

// Each part of the arrangement has its number of bars: the show's sections must start on the downbeats the
// parts are written for (the tempo map decides when those come).
void k_Song::CheckSections(const k_ShowFile& show) const
{
    for (const Part& part : k_Parts)
    {
        const auto& sections = show.GetSections();
        const auto found = std::find_if(sections.begin(), sections.end(), [&](const k_ShowFile::Section& section) {
            return section.name == part.section;
        });
        const k_TempoMap::Position position =
            found != sections.end() ? m_Tempo.GetPosition(found->start) : k_TempoMap::Position{-1, 0.0};
        if (found == sections.end() || position.bar != part.bar + 1 || std::fabs(position.beat - 1.0) > 1e-6)
        {
            std::fprintf(stderr,
                         "the tune's %s part starts on bar %d:1; the show file's section \"%s\" %s. Move the section "
                         "or the tempo map so that they meet.\n",
                         part.section, part.bar + 1, part.section,
                         found == sections.end() ? "is missing"
                                                 : ("starts at " + m_Tempo.Format(found->start)).c_str());
            throw L"The show file's sections and the tune's parts do not meet.";
        }
    }
}

// --- the intro, to the landscape: the pad breathes in under a ticking clock; bells hint at the theme ---

void k_Song::Intro()
{
    const Chord* chords[7] = {&Dm, &Bb, &F, &C, &Dm, &Bb, &A};
    for (int i = 0; i < 7; ++i)
    {
        const double bar = 2.0 * i;
        const double bars = i == 6 ? 1.0 : 2.0;
        // The first chord starts at 0 s, half a beat before the first downbeat.
        Pad(i == 0 ? -1.0 : bar, i == 0 ? 3.0 : bars, *chords[i], 0.75f, Lerp(0.12f, 0.45f, i / 6.0f));
    }
    // The clock: a tick and a tock every second, fading in and then giving way to the beat.
    for (int second = 0; second < 26; ++second)
    {
        const double t = Bar(0) + second;
        const float level = Lerp(0.25f, 0.8f, second / 6.0f) * Lerp(1.0f, 0.5f, (second - 16) / 10.0f);
        m_Clock->Add(t, 0.05, second % 2 == 0 ? k_DrumKit::k_Tick : k_DrumKit::k_Tock, level,
                     second % 2 == 0 ? 0.35f : 0.65f);
    }
    // A bell on each caption the show file marks for the music before the beat comes in: the first title and
    // its answer ring long and low, the quick questions after them climb.
    const int questions[] = {81, 84, 86, 88, 89, 91};
    for (size_t i = 0; i < m_IntroCues.size(); ++i)
    {
        const double t = m_IntroCues[i];
        if (i == 0)
            m_Bell->Add(t, 3.0, 74, 0.6f, 0.5f);
        else if (i == 1)
            m_Bell->Add(t, 2.0, 77, 0.5f, 0.3f);
        else
        {
            const size_t q = std::min(i - 2, std::size(questions) - 1);
            m_Bell->Add(t, 1.0, static_cast<float>(questions[q]), 0.55f, std::min(1.0f, 0.2f + 0.2f * (i - 2)));
        }
    }
    // From bar 8 the bells play the opening of the theme.
    for (int i = 0; i < Size(k_BellHint); ++i)
    {
        const int* n = k_BellHint[i];
        m_Bell->Add(Bar(8 + n[0]) + n[1] * k_Eighth, n[2] * k_Eighth, static_cast<float>(n[3]), 0.45f,
                    0.3f + 0.1f * (i % 5));
    }
    // A dark arpeggio creeps in, opening bar by bar.
    for (int bar = 8; bar < 13; ++bar)
        Arpeggio(bar, bar < 10 ? Dm : (bar < 12 ? Bb : A), Lerp(0.35f, 0.7f, (bar - 8) / 4.0f),
                 Lerp(0.12f, 0.4f, (bar - 8) / 4.0f));
    // Low roots under the second half.
    m_Bass->Add(Bar(8), 4.0 - 0.05, 38, 0.4f, 0.05f);
    m_Bass->Add(Bar(10), 4.0 - 0.05, 34, 0.4f, 0.05f);
    m_Bass->Add(Bar(12), 2.0 - 0.05, 33, 0.45f, 0.08f);
    // A reversed swell draws into the entry and breaks off just before it, so that the downbeat lands in the
    // sudden quiet.
    m_Fx->Add(Bar(11), Bar(13) - Bar(11) - 0.08, k_FxSynth::k_Swell, 0.7f, 0.0f);
}

// --- the landscape's first five bars: bass and a soft beat as the landscape fades in ---

void k_Song::Entry()
{
    const Chord* chords[5] = {&Dm, &Bb, &F, &C, &A};
    // The landscape comes on with the beat: a crash and a soft impact on the downbeat.
    m_Cymbal->Add(Bar(13), 2.0, k_DrumKit::k_Crash, 0.85f, 0.5f);
    m_Fx->Add(Bar(13), 3.0, k_FxSynth::k_Impact, 0.6f, 0.0f);
    for (int i = 0; i < 5; ++i)
    {
        const int bar = 13 + i;
        const Chord& chord = *chords[i];
        Pad(bar, 1.0, chord, 0.8f, 0.5f);
        Arpeggio(bar, chord, 0.7f, Lerp(0.4f, 0.55f, i / 4.0f));
        // Bass in eighths, the root with an octave jump on the off-beats.
        for (int e = 0; e < 8; ++e)
            m_Bass->Add(Bar(bar) + e * k_Eighth, k_Eighth * 0.7, static_cast<float>(chord.bass + (e % 2 ? 12 : 0)),
                        0.75f, 0.25f);
        Kick(Step(bar, 0), 0.8f);
        Kick(Step(bar, 8), 0.75f);
        if (i % 2 == 1)
            Kick(Step(bar, 10), 0.5f);
        m_Snare->Add(Step(bar, 4), 0.2, k_DrumKit::k_Clap, 0.4f, 0.5f);
        m_Snare->Add(Step(bar, 12), 0.2, k_DrumKit::k_Clap, 0.4f, 0.5f);
        for (int e = 1; e < 8; e += 2)
            Hat(Bar(bar) + e * k_Eighth, 0.05, k_DrumKit::k_ClosedHat, 0.45f, 0.6f);
    }
    // A snare fill over the last two beats before the theme.
    for (int s = 8; s < 16; ++s)
        m_Snare->Add(Step(17, s), 0.1, k_DrumKit::k_Snare, Lerp(0.3f, 0.7f, (s - 8) / 7.0f), 0.5f);
}

// --- the theme over the landscape ---

void k_Song::MainTheme()
{
    m_Cymbal->Add(Bar(18), 2.0, k_DrumKit::k_Crash, 0.7f, 0.5f);
    m_Cymbal->Add(Bar(26), 2.0, k_DrumKit::k_Crash, 0.6f, 0.5f);
    for (int i = 0; i < 18; ++i)
    {
        const int bar = 18 + i;
        const Chord& chord = i < 16 ? *k_Main[i % 4] : (i == 16 ? Gm : A);
        Pad(bar, 1.0, chord, 0.8f, 0.5f);
        Arpeggio(bar, chord, 0.6f, 0.5f);
        // Bass: the root on the beat and pushing eighths on the off-beats.
        for (int e = 0; e < 8; ++e)
            m_Bass->Add(Bar(bar) + e * k_Eighth, k_Eighth * (e % 2 ? 0.55 : 0.8),
                        static_cast<float>(chord.bass + (e % 4 == 3 ? 12 : 0)), e % 2 ? 0.6f : 0.8f, 0.35f);
        Kick(Step(bar, 0), 0.85f);
        Kick(Step(bar, 8), 0.8f);
        if (i % 2 == 1)
            Kick(Step(bar, 14), 0.55f);
        m_Snare->Add(Step(bar, 4), 0.2, k_DrumKit::k_Clap, 0.55f, 0.5f);
        m_Snare->Add(Step(bar, 12), 0.2, k_DrumKit::k_Clap, 0.55f, 0.5f);
        for (int s = 0; s < 16; s += 2)
            Hat(Step(bar, s), 0.05, k_DrumKit::k_ClosedHat, s % 4 == 2 ? 0.55f : 0.3f, 0.6f);
    }
    Melody(18, k_ThemeA, Size(k_ThemeA), 0.75f, 0.45f, false);
    Melody(26, k_ThemeA, Size(k_ThemeA), 0.8f, 0.55f, false);
    Melody(34, k_Turn, Size(k_Turn), 0.8f, 0.55f, false);
    for (int s = 12; s < 16; ++s)
        m_Snare->Add(Step(35, s), 0.1, k_DrumKit::k_Snare, 0.5f, 0.5f);
}

// --- the landscape's last two bars: the rise to the white flash ---

void k_Song::Riser()
{
    Pad(36, 1.0, Bb, 0.8f, 0.65f);
    Pad(37, 0.94, C, 0.85f, 0.85f);
    for (int bar = 36; bar < 38; ++bar)
        Arpeggio(bar, bar == 36 ? Bb : C, 0.55f, Lerp(0.5f, 0.95f, (bar - 36) / 1.0f));
    // Snare in eighths, then sixteenths, then thirty-seconds, growing louder; the last eighth is left silent.
    for (int e = 0; e < 8; ++e)
        m_Snare->Add(Bar(36) + e * k_Eighth, 0.1, k_DrumKit::k_Snare, Lerp(0.2f, 0.35f, e / 7.0f), 0.5f);
    for (int s = 0; s < 8; ++s)
        m_Snare->Add(Step(37, s), 0.1, k_DrumKit::k_Snare, Lerp(0.35f, 0.5f, s / 7.0f), 0.5f);
    for (int s = 0; s < 14; ++s)
        m_Snare->Add(Step(37, 8 + s * 0.5), 0.05, k_DrumKit::k_Snare, Lerp(0.5f, 0.65f, s / 13.0f), 0.5f);
    m_Fx->Add(Bar(36), 3.9, k_FxSynth::k_Riser, 0.8f, 0.0f);
}

// --- the thanks: the drop into the plasma, full beat, the theme and the second theme ---

void k_Song::Plasma()
{
    m_Fx->Add(Bar(38), 3.0, k_FxSynth::k_Impact, 1.0f, 0.0f);
    for (int i = 0; i < 30; ++i)
    {
        const int bar = 38 + i;
        // Bars 16 to 23 carry the second theme over a lighter groove: eighth-note bass, no open hats.
        const bool light = i >= 16 && i < 24;
        const Chord* chord = k_Main[i % 4];
        if (light)
            chord = k_Second[i % 4];
        else if (i == 28)
            chord = &Gm;
        else if (i == 29)
            chord = &A;
        if (i % 8 == 0)
            m_Cymbal->Add(Bar(bar), 2.0, k_DrumKit::k_Crash, 0.8f, 0.5f);
        Pad(bar, 1.0, *chord, 0.85f, light ? 0.55f : 0.7f);
        // Off-beat chord stabs drive the first half of the section.
        if (i < 16)
            for (int s = 2; s < 16; s += 4)
                for (int t = 0; t < 3; ++t)
                    m_Stab->Add(Step(bar, s), 0.09, static_cast<float>(chord->tones[t] + 12), i < 8 ? 0.6f : 0.8f,
                                0.7f);
        Arpeggio(bar, *chord, 0.75f, light ? 0.7f : Lerp(0.75f, 0.9f, i / 8.0f));
        for (int s = 0; s < 16; ++s)
        {
            if (light)
            {
                // Off-beat eighths.
                if (s % 4 == 2)
                    m_Bass->Add(Step(bar, s), k_Eighth * 0.7, static_cast<float>(chord->bass), 0.9f, 0.4f);
                continue;
            }
            // A rolling bass: three sixteenths after every kick, the fifth now and then.
            if (s % 4 == 0)
                continue;
            const int pitch = chord->bass + (s % 8 == 7 ? 7 : 0);
            m_Bass->Add(Step(bar, s), k_Sixteenth * 0.75, static_cast<float>(pitch), s % 4 == 2 ? 0.95f : 0.75f, 0.5f);
        }
        for (int beat = 0; beat < 4; ++beat)
            Kick(Step(bar, beat * 4), 0.9f);
        m_Snare->Add(Step(bar, 4), 0.2, k_DrumKit::k_Clap, 0.8f, 0.5f);
        m_Snare->Add(Step(bar, 12), 0.2, k_DrumKit::k_Clap, 0.8f, 0.5f);
        m_Snare->Add(Step(bar, 4), 0.2, k_DrumKit::k_Snare, 0.35f, 0.5f);
        m_Snare->Add(Step(bar, 12), 0.2, k_DrumKit::k_Snare, 0.35f, 0.5f);
        for (int s = 0; s < 16; ++s)
        {
            if (s % 4 == 2 && !light)
                Hat(Step(bar, s), 0.2, k_DrumKit::k_OpenHat, 0.5f, 0.4f);
            else
                Hat(Step(bar, s), 0.05, k_DrumKit::k_ClosedHat, s % 2 ? 0.3f : 0.45f, 0.62f);
        }
    }
    // The theme comes back on the drop itself; the next eight bars leave the stage to the stabs and arpeggio.
    Melody(38, k_ThemeA, Size(k_ThemeA), 1.0f, 0.7f, false);
    Melody(54, k_ThemeB, Size(k_ThemeB), 0.95f, 0.6f, false);
    Melody(62, k_ThemeA, 12, 0.95f, 0.7f, false);
    Melody(66, k_Turn, Size(k_Turn), 0.95f, 0.7f, false);
    for (int s = 8; s < 16; ++s)
        m_Snare->Add(Step(67, s), 0.1, k_DrumKit::k_Snare, Lerp(0.4f, 0.7f, (s - 8) / 7.0f), 0.5f);
}

// --- the greetings' first two bars: a short breath before them ---

void k_Song::Break()
{
    Pad(68, 1.0, Bb, 0.85f, 0.45f);
    Pad(69, 0.95, C, 0.9f, 0.7f);
    for (int bar = 68; bar < 70; ++bar)
        Arpeggio(bar, bar == 68 ? Bb : C, 0.6f, Lerp(0.25f, 0.9f, (bar - 68) / 1.0f));
    // The break opens on a crash as the beat falls away.
    m_Cymbal->Add(Bar(68), 2.0, k_DrumKit::k_Crash, 0.8f, 0.5f);
    m_Bell->Add(Bar(68), 2.0, 81, 0.5f, 0.3f);
    m_Bell->Add(Bar(69), 2.0, 84, 0.5f, 0.7f);
    for (int s = 0; s < 16; ++s)
        m_Snare->Add(Step(69, s), 0.1, k_DrumKit::k_Snare, Lerp(0.2f, 0.65f, s / 15.0f), 0.5f);
    m_Fx->Add(Bar(68), 3.9, k_FxSynth::k_Riser, 0.7f, 0.0f);
}

// --- the greetings, everything at once, a stab on every greeting ---

void k_Song::Greetings()
{
    m_Fx->Add(Bar(70), 3.0, k_FxSynth::k_Impact, 0.9f, 0.0f);
    for (int i = 0; i < 14; ++i)
    {
        const int bar = 70 + i;
        const Chord* chord = i < 8 ? k_Main[i % 4] : (i < 12 ? k_Second[i % 4] : (i == 12 ? &Bb : &C));
        if (i % 4 == 0)
            m_Cymbal->Add(Bar(bar), 2.0, k_DrumKit::k_Crash, 0.85f, 0.5f);
        Pad(bar, 1.0, *chord, 0.9f, 0.85f);
        Arpeggio(bar, *chord, 0.8f, 1.0f);
        // The greeting images appear on each bar's downbeat: a bright chord stab marks each one.
        for (int t = 0; t < 3; ++t)
            m_Stab->Add(Step(bar, 0), 0.35, static_cast<float>(chord->tones[t] + 12), 0.8f, 0.85f);
        for (int s = 0; s < 16; ++s)
        {
            if (s % 4 == 0)
                continue;
            const int pitch = chord->bass + (s % 8 == 7 ? 12 : 0);
            m_Bass->Add(Step(bar, s), k_Sixteenth * 0.75, static_cast<float>(pitch), s % 4 == 2 ? 1.0f : 0.8f, 0.65f);
        }
        for (int beat = 0; beat < 4; ++beat)
            Kick(Step(bar, beat * 4), 1.0f);
        m_Snare->Add(Step(bar, 4), 0.2, k_DrumKit::k_Clap, 0.9f, 0.5f);
        m_Snare->Add(Step(bar, 12), 0.2, k_DrumKit::k_Clap, 0.9f, 0.5f);
        m_Snare->Add(Step(bar, 4), 0.2, k_DrumKit::k_Snare, 0.5f, 0.5f);
        m_Snare->Add(Step(bar, 12), 0.2, k_DrumKit::k_Snare, 0.5f, 0.5f);
        if (i % 2 == 1)
            m_Snare->Add(Step(bar, 15), 0.1, k_DrumKit::k_Snare, 0.3f, 0.5f);
        for (int s = 0; s < 16; ++s)
        {
            if (s % 4 == 2)
                Hat(Step(bar, s), 0.2, k_DrumKit::k_OpenHat, 0.6f, 0.4f);
            else
                Hat(Step(bar, s), 0.05, k_DrumKit::k_ClosedHat, s % 2 ? 0.4f : 0.55f, 0.62f);
        }
    }
    Melody(70, k_ThemeA, Size(k_ThemeA), 1.0f, 0.8f, true);
    Melody(78, k_ThemeB, 12, 1.0f, 0.8f, true);
    Melody(82, k_Climb, Size(k_Climb), 1.0f, 0.8f, true);
}

// --- the logo: the beat stops, the theme's last note rings out as the picture fades ---

void k_Song::Outro()
{
    m_Cymbal->Add(Bar(84), 2.0, k_DrumKit::k_Crash, 0.8f, 0.5f);
    m_Fx->Add(Bar(84), 3.0, k_FxSynth::k_Impact, 0.7f, 0.0f);
    m_Lead->Add(Bar(84), 3.8, 74, 0.85f, 0.5f);
    m_LeadHigh->Add(Bar(84), 3.8, 86, 0.4f, 0.5f);
    Pad(84, 2.0, Dm, 0.85f, 0.5f);
    Pad(86, 1.0, Gm, 0.75f, 0.4f);
    m_Bass->Add(Bar(84), 3.9, 38, 0.7f, 0.15f);
    m_Bass->Add(Bar(86), 1.9, 31, 0.55f, 0.1f);
    for (int bar = 84; bar < 87; ++bar)
        Arpeggio(bar, bar < 86 ? Dm : Gm, Lerp(0.6f, 0.3f, (bar - 84) / 2.0f), Lerp(0.7f, 0.3f, (bar - 84) / 2.0f));
}

// --- the ending: under the logo the harmony resolves to D major; the clock ticks once more ---

void k_Song::Ending()
{
    Pad(87, 2.0, Bbmaj7, 0.7f, 0.35f);
    Pad(89, 2.0, Cadd9, 0.7f, 0.35f);
    Pad(91, 1.0, Dsus4, 0.7f, 0.3f);
    // The final chord is held for three bars and released into the reverb.
    Pad(92, 3.0, D, 0.75f, 0.3f);
    m_Bass->Add(Bar(87), 3.9, 34, 0.35f, 0.05f);
    m_Bass->Add(Bar(89), 3.9, 36, 0.35f, 0.05f);
    m_Bass->Add(Bar(91), 1.9, 38, 0.35f, 0.05f);
    m_Bass->Add(Bar(92), 5.5, 38, 0.4f, 0.05f);
    const int bells[][4] = {
        {0, 0, 3, 81},  {0, 3, 3, 86},  {0, 6, 2, 88},  {1, 0, 8, 89}, // over Bbmaj7
        {2, 0, 3, 88},  {2, 3, 3, 86},  {2, 6, 2, 84},  {3, 0, 8, 88}, // over Cadd9
        {4, 0, 8, 86},                                                 // over Dsus4
        {5, 0, 16, 86}, {5, 0, 16, 78}, {5, 1, 16, 81},                // D major
    };
    for (int i = 0; i < Size(bells); ++i)
    {
        const int* n = bells[i];
        m_Bell->Add(Bar(87 + n[0]) + n[1] * k_Eighth, n[2] * k_Eighth, static_cast<float>(n[3]), 0.45f,
                    0.25f + 0.1f * (i % 6));
    }
    for (int second = 0; second < 10; ++second)
        m_Clock->Add(Bar(87) + second, 0.05, second % 2 == 0 ? k_DrumKit::k_Tick : k_DrumKit::k_Tock,
                     Lerp(0.6f, 0.2f, second / 9.0f), second % 2 == 0 ? 0.35f : 0.65f);
}
