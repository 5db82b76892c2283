#pragma once
// The piece itself: the arrangement of every track, timed to the show. It is
// in D minor in 4/4 at about 120 beats per minute; its bars fall where the
// show file's tempo map puts them, and its parts begin where the show's
// sections do, so that the beat comes in with the landscape, the drop lands
// on the plasma, a stab marks each greeting on its downbeat and the beat
// stops as the logo comes.
#include "animation/k_TempoMap.h"
#include "demo/k_ShowFile.h"
#include "k_Random.h"
#include "k_Track.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class k_Song
{
public:
    // Builds the whole arrangement on the show's tempo map. Throws a wide message (and says why on standard
    // error) when the show's sections do not start on the bars the parts are written for.
    explicit k_Song(const k_ShowFile& show);
    // The show file at a path, for the tune; nothing, with the messages, when it cannot be read or is malformed.
    static std::optional<k_ShowFile> ReadShowFile(const std::string& path, std::vector<std::string>& errors);
    // The same for tests and benchmarks: throws std::runtime_error with the first message.
    static k_ShowFile LoadShowFile(const std::string& path);

    // Every track in mixing order.
    const std::vector<std::unique_ptr<k_Track>>& Tracks() const { return m_Tracks; }
    // The times of every kick drum, for the pumping of the other tracks.
    const std::vector<double>& Kicks() const { return m_Kicks; }
    // Length of the tune in seconds: the show's.
    double Length() const { return m_Length; }
    // The mix fades out from FadeStart() and is silent from FadeEnd() on (seconds).
    double FadeStart() const { return m_Length - 8.0; }
    double FadeEnd() const { return m_Length - 5.0; }
    // Linear gain of the finished mix before the limiter.
    float MasterGain() const { return m_MasterGain; }
    // Linear level at which the reverb's output joins the mix.
    float ReverbReturn() const { return 0.9f; }

    // A chord of the score: bass root, pad voicing and the tones its arpeggios use.
    struct Chord;

private:
    double Bar(double bar) const;
    double Step(int bar, double step) const;
    void CheckSections(const k_ShowFile& show) const;
    k_Track& NewTrack(const char* name, std::unique_ptr<k_Instrument> instrument);
    void Kick(double time, float velocity);
    void Hat(double time, double length, float drum, float velocity, float pan);
    void Pad(double bar, double bars, const Chord& chord, float velocity, float brightness);
    void Arpeggio(int bar, const Chord& chord, float velocity, float brightness);
    void Melody(int bar, const int (*notes)[4], int count, float velocity, float brightness, bool doubled);

    void Intro();
    void Entry();
    void MainTheme();
    void Riser();
    void Plasma();
    void Break();
    void Greetings();
    void Outro();
    void Ending();

    k_TempoMap m_Tempo;
    double m_Length = 0.0;
    // The starts of the captions the intro's bells mark.
    std::vector<double> m_IntroCues;
    std::vector<std::unique_ptr<k_Track>> m_Tracks;
    std::vector<double> m_Kicks;
    float m_MasterGain = 1.0f;
    k_Random m_Humanize{20260};
    k_Track* m_Pad = nullptr;
    k_Track* m_Bass = nullptr;
    k_Track* m_Lead = nullptr;
    k_Track* m_LeadHigh = nullptr;
    k_Track* m_Arp = nullptr;
    k_Track* m_Stab = nullptr;
    k_Track* m_Bell = nullptr;
    k_Track* m_Kick = nullptr;
    k_Track* m_Snare = nullptr;
    k_Track* m_Hats = nullptr;
    k_Track* m_Cymbal = nullptr;
    k_Track* m_Clock = nullptr;
    k_Track* m_Fx = nullptr;
};
