#pragma once
// An attack-decay-sustain-release envelope with curved segments. Attack and
// release always take at least a few milliseconds and end exactly at zero,
// so notes start and stop without clicks.

class k_Envelope
{
public:
    // Times in seconds, sustain as a level from 0 to 1.
    k_Envelope(float attack, float decay, float sustain, float release);

    // Starts the release from the current level.
    void Release();
    // The next level, 0 to 1.
    float Next();
    // Whether the release has reached zero.
    bool Done() const { return m_Stage == Stage::Off; }

private:
    enum class Stage
    {
        Attack,
        Decay,
        Sustain,
        Release,
        Off,
    };
    Stage m_Stage;
    float m_Level;
    float m_Sustain;
    float m_AttackStep;
    float m_DecayCoef;
    float m_ReleaseCoef;
};
