#include "tools/tunegen/k_Oscillator.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <vector>

namespace
{
constexpr int k_Rate = 44100;
constexpr double k_Pi = 3.14159265358979323846;

// Power of the component at an exact whole-Hz frequency of a one-second signal (Goertzel).
double PowerAt(const std::vector<float>& x, double hz)
{
    const double w = 2.0 * k_Pi * hz / k_Rate;
    const double c = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (float v : x)
    {
        const double s0 = v + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return 2.0 * power / (static_cast<double>(x.size()) * static_cast<double>(x.size()));
}

// Power folded back from above the Nyquist frequency onto audible frequencies below 10 kHz, relative to the
// fundamental, in dB. With f0 a whole number of Hz and one second of signal, every component sits on an exact bin.
double AudibleAliasingDb(const std::vector<float>& x, double f0)
{
    double aliases = 0.0;
    for (int k = 1; k * f0 < 40.0 * k_Rate; ++k)
    {
        const double f = k * f0;
        if (f < k_Rate / 2.0)
            continue; // a true harmonic
        double folded = std::fmod(f, static_cast<double>(k_Rate));
        if (folded > k_Rate / 2.0)
            folded = k_Rate - folded;
        if (folded < 10000.0 && std::fmod(folded, f0) != 0.0)
            aliases += PowerAt(x, folded);
    }
    return 10.0 * std::log10(std::max(aliases, 1e-15) / PowerAt(x, f0));
}

std::vector<float> Render(k_Oscillator osc, double hz)
{
    std::vector<float> x(k_Rate);
    for (float& v : x)
        v = osc.Next(hz);
    return x;
}
} // namespace

TEST(k_Oscillator, HighSawAndSquareFoldBackFarLessThanNaiveWaves)
{
    // A6, near the top of the tune's range: harmonics above 22 kHz fold onto frequencies that are not harmonics.
    const double hz = 1760.0;
    std::vector<float> naive(k_Rate);
    double phase = 0.0;
    for (float& v : naive)
    {
        v = static_cast<float>(2.0 * phase - 1.0);
        phase += hz / k_Rate;
        phase -= std::floor(phase);
    }
    const double naiveDb = AudibleAliasingDb(naive, hz);
    const double sawDb = AudibleAliasingDb(Render(k_Oscillator(k_Oscillator::Wave::Saw), hz), hz);
    const double squareDb = AudibleAliasingDb(Render(k_Oscillator(k_Oscillator::Wave::Square), hz), hz);
    std::printf("audible aliasing at %.0f Hz: naive %.1f dB, saw %.1f dB, square %.1f dB\n", hz, naiveDb, sawDb,
                squareDb);
    EXPECT_GT(naiveDb, -30.0); // the measure does see aliasing when it is there
    EXPECT_LT(sawDb, naiveDb - 25.0);
    EXPECT_LT(sawDb, -45.0);
    EXPECT_LT(squareDb, -45.0);
}

TEST(k_Oscillator, WavesAreCentredAndWithinFullScale)
{
    for (auto wave :
         {k_Oscillator::Wave::Sine, k_Oscillator::Wave::Saw, k_Oscillator::Wave::Square, k_Oscillator::Wave::Triangle})
    {
        for (float phase : {0.0f, 0.3f, 0.75f})
        {
            const std::vector<float> x = Render(k_Oscillator(wave, phase), 110.0); // 110 whole cycles
            double sum = 0.0;
            float peak = 0.0f;
            for (float v : x)
            {
                sum += v;
                peak = std::max(peak, std::fabs(v));
            }
            EXPECT_LT(std::fabs(sum / x.size()), 0.01) << "wave " << static_cast<int>(wave) << " phase " << phase;
            EXPECT_LE(peak, 1.1f);
            EXPECT_GT(peak, 0.9f);
        }
    }
}
