#include "k_Sidechain.h"

#include "k_Sound.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double k_Attack = 0.004;  // seconds to full duck: fast but not a step
constexpr double k_Recovery = 0.11; // time constant of the release
constexpr double k_Span = 0.45;     // how long one kick's duck is followed
} // namespace

k_Sidechain::k_Sidechain(const std::vector<double>& kicks, double origin, std::size_t frames) : m_Curve(frames, 0.0f)
{
    const double sr = k_Sound::k_SampleRate;
    for (double kick : kicks)
    {
        const std::ptrdiff_t start = std::llround((kick - origin) * sr);
        const std::ptrdiff_t end = start + static_cast<std::ptrdiff_t>(k_Span * sr);
        for (std::ptrdiff_t f = std::max<std::ptrdiff_t>(start, 0);
             f < std::min<std::ptrdiff_t>(end, static_cast<std::ptrdiff_t>(frames)); ++f)
        {
            const double t = static_cast<double>(f - start) / sr;
            double value = t < k_Attack ? t / k_Attack : std::exp(-(t - k_Attack) / k_Recovery);
            // Fade the last part of the span to zero so overlapping kicks never leave a step.
            value *= std::min(1.0, (k_Span - t) / 0.05);
            float& slot = m_Curve[static_cast<std::size_t>(f)];
            slot = std::max(slot, static_cast<float>(value));
        }
    }
}
