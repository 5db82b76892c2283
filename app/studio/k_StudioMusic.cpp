#include "app/studio/k_StudioMusic.h"

#include <algorithm>
#include <cmath>

void k_StudioMusic::Silence()
{
    if (m_playing && m_player.pause)
        m_player.pause();
    m_playing = false;
}

void k_StudioMusic::Follow(bool audible, double time)
{
    if (audible)
    {
        if (m_player.play)
            m_player.play(time);
        m_playing = static_cast<bool>(m_player.play);
        return;
    }
    if (m_player.pause)
        m_player.pause();
    m_playing = false;
}

double k_StudioMusic::Step(double elapsed, double pictureTime)
{
    if (!m_playing || !m_player.position)
        return elapsed;
    const std::optional<double> heard = m_player.position();
    if (!heard || !std::isfinite(*heard))
        return elapsed;
    const double drift = *heard - (pictureTime + elapsed);
    if (std::abs(drift) > MaxFollow)
    {
        // Too far to follow: the music goes where the picture goes.
        m_player.play(pictureTime + elapsed);
        return elapsed;
    }
    return std::max(0.0, elapsed + drift);
}
