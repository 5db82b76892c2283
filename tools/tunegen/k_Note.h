#pragma once
// One event of the score: when it starts and how long it is held (seconds of
// the tune), its pitch as a MIDI note number (or a drum or effect code), its
// velocity, and one free parameter whose meaning the instrument defines
// (brightness of a synth, pan of a bell).

struct k_Note
{
    double start = 0.0;
    double length = 0.0;
    float pitch = 60.0f;
    float velocity = 1.0f;
    float param = 0.5f;
};
