#pragma once
// Gradient noise for the generated pictures: smooth, repeatable from a seed,
// optionally periodic so that a picture tiles.
#include <cstdint>

class k_Noise
{
public:
    // Gradient noise at (x, y) in lattice units, about -0.7..0.7; with period > 0 it repeats every period cells.
    static float Gradient(float x, float y, uint32_t seed, int period = 0);
    // Octaves of gradient noise, each twice the frequency and half the amplitude of the one before;
    // about -1..1. A period (in cells of the first octave) makes the sum tile.
    static float Fractal(float x, float y, int octaves, uint32_t seed, int period = 0);
    // Octaves of folded noise (1 - |noise|, squared): sharp crests like mountain ridges; about 0..1.
    static float Ridged(float x, float y, int octaves, uint32_t seed);
};
