#pragma once
// One part of the arrangement: an instrument, the notes it plays, and how it
// sits in the mix (level, balance, echo, reverb send, and how much it ducks
// under the kick).
#include "k_Instrument.h"
#include "k_Note.h"

#include <memory>
#include <string>
#include <vector>

class k_Track
{
public:
    k_Track(std::string name, std::unique_ptr<k_Instrument> instrument);

    // Appends a note.
    void Add(const k_Note& note) { m_Notes.push_back(note); }
    // Appends a note from its parts.
    void Add(double start, double length, float pitch, float velocity, float param)
    {
        m_Notes.push_back({start, length, pitch, velocity, param});
    }

    const std::string& Name() const { return m_Name; }
    const k_Instrument& Instrument() const { return *m_Instrument; }
    const std::vector<k_Note>& Notes() const { return m_Notes; }

    float gain = 1.0f;         // linear level into the mix
    float pan = 0.0f;          // balance, -1 left to +1 right
    float reverbSend = 0.0f;   // linear level into the shared reverb
    float duck = 0.0f;         // 0 = untouched by the kick, 1 = silenced at each kick
    double delaySeconds = 0.0; // echo time; 0 = no echo
    float delayFeedback = 0.0f;
    float delayWet = 0.0f;

private:
    std::string m_Name;
    std::unique_ptr<k_Instrument> m_Instrument;
    std::vector<k_Note> m_Notes;
};
