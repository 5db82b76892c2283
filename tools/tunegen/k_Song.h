#pragma once
// The piece itself: the arrangement of every track, timed to the show. It is
// in D minor at 120 beats per minute in 4/4, a bar every 2 s with downbeats on
// the half seconds (0.5, 2.5, ...), so that the drop lands at 76.5 s and each
// greeting from 141 s falls on a backbeat.
#include "k_Random.h"
#include "k_Track.h"

#include <memory>
#include <vector>

class k_Song
{
public:
    // Builds the whole arrangement.
    k_Song();

    // Every track in mixing order.
    const std::vector<std::unique_ptr<k_Track>>& Tracks() const { return m_Tracks; }
    // The times of every kick drum, for the pumping of the other tracks.
    const std::vector<double>& Kicks() const { return m_Kicks; }
    // Length of the tune in seconds.
    double Length() const { return 200.0; }
    // The mix fades out from FadeStart() and is silent from FadeEnd() on (seconds).
    double FadeStart() const { return 192.0; }
    double FadeEnd() const { return 195.0; }
    // Linear gain of the finished mix before the limiter.
    float MasterGain() const { return m_MasterGain; }
    // Linear level at which the reverb's output joins the mix.
    float ReverbReturn() const { return 0.9f; }

    // A chord of the score: bass root, pad voicing and the tones its arpeggios use.
    struct Chord;

private:
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
