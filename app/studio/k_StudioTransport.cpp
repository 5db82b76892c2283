#include "app/studio/k_StudioTransport.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
// Keyboard scancodes as the window hands them over (the USB HID usage of each key, plus 0x10000).
constexpr uint32_t k_KeyFlag = 0x10000u;
constexpr uint32_t k_Space = 44;
constexpr uint32_t k_Right = 79;
constexpr uint32_t k_Left = 80;
constexpr uint32_t k_PageUp = 75;
constexpr uint32_t k_PageDown = 78;
constexpr uint32_t k_Home = 74;
constexpr uint32_t k_LeftBracket = 47;
constexpr uint32_t k_RightBracket = 48;
constexpr uint32_t k_L = 15;
constexpr uint32_t k_F12 = 69;
constexpr uint32_t k_Comma = 54;
constexpr uint32_t k_Period = 55;
// Two instants closer than this are one.
constexpr double k_Epsilon = 1e-6;
} // namespace

k_StudioTransport::Key k_StudioTransport::KeyOf(uint32_t code, bool shift)
{
    if ((code & k_KeyFlag) == 0)
        return Key::None;
    switch (code & ~k_KeyFlag)
    {
    case k_Space:
        return Key::PlayPause;
    case k_Left:
        return shift ? Key::BackLong : Key::Back;
    case k_Right:
        return shift ? Key::ForwardLong : Key::Forward;
    case k_PageUp:
        return Key::PreviousInstant;
    case k_PageDown:
        return Key::NextInstant;
    case k_Home:
        return Key::Home;
    case k_LeftBracket:
        return Key::Slower;
    case k_RightBracket:
        return Key::Faster;
    case k_L:
        return Key::Loop;
    case k_F12:
        return Key::Shot;
    case k_Comma:
        return shift ? Key::BarBack : Key::BeatBack;
    case k_Period:
        return shift ? Key::BarForward : Key::BeatForward;
    default:
        return Key::None;
    }
}

k_StudioTransport::k_StudioTransport(std::vector<double> instants, std::vector<Section> sections, k_TempoMap tempo)
{
    SetTimeline(std::move(instants), std::move(sections), std::move(tempo));
}

void k_StudioTransport::SetTimeline(std::vector<double> instants, std::vector<Section> sections, k_TempoMap tempo)
{
    m_instants = std::move(instants);
    m_sections = std::move(sections);
    m_tempo = std::move(tempo);
    std::sort(m_instants.begin(), m_instants.end());
    if (m_sections.empty())
        m_sections.push_back({"show", 0.0, std::numeric_limits<double>::infinity()});
    // A section looped by L follows its section when the timeline moves it (a show file saved anew); a section
    // that is gone leaves the loop where it was.
    if (m_loop && m_loopSection)
        for (const Section& section : m_sections)
            if (section.name == *m_loopSection)
                m_loop = std::pair{section.start, section.end};
}

k_StudioTransport::Action k_StudioTransport::Press(Key key)
{
    Action action;
    auto jump = [&](double to) { action.jump = std::max(0.0, to); };
    switch (key)
    {
    case Key::PlayPause:
        m_paused = !m_paused;
        action.changed = true;
        break;
    case Key::Back:
        jump(m_time - ShortStep);
        break;
    case Key::Forward:
        jump(m_time + ShortStep);
        break;
    case Key::BackLong:
        jump(m_time - LongStep);
        break;
    case Key::ForwardLong:
        jump(m_time + LongStep);
        break;
    case Key::BeatBack:
        jump(StepBeats(m_time, -1));
        break;
    case Key::BeatForward:
        jump(StepBeats(m_time, 1));
        break;
    case Key::BarBack:
        jump(StepBars(m_time, -1));
        break;
    case Key::BarForward:
        jump(StepBars(m_time, 1));
        break;
    case Key::PreviousInstant:
        if (const std::optional<double> to = PreviousInstant(m_time))
            jump(*to);
        break;
    case Key::NextInstant:
        if (const std::optional<double> to = NextInstant(m_time))
            jump(*to);
        break;
    case Key::Home:
        jump(0.0);
        break;
    case Key::Slower:
        m_speed = std::max(MinSpeed, m_speed / 2.0);
        action.changed = true;
        break;
    case Key::Faster:
        m_speed = std::min(MaxSpeed, m_speed * 2.0);
        action.changed = true;
        break;
    case Key::Loop:
        if (m_loop)
        {
            m_loop.reset();
            m_loopSection.reset();
        }
        else
        {
            const Section& section = SectionAt(m_time);
            m_loop = std::pair{section.start, section.end};
            m_loopSection = section.name;
        }
        action.changed = true;
        break;
    case Key::Shot:
        action.shot = true;
        break;
    case Key::None:
        break;
    }
    return action;
}

bool k_StudioTransport::GoesOn(double now, double to, double historyFrom, double warmUp)
{
    return to > now && to - now <= warmUp && now >= historyFrom && (historyFrom <= 0.0 || to - historyFrom >= warmUp);
}

bool k_StudioTransport::StepTo(double to, double maxStep, const std::function<double()>& clock,
                               const std::function<bool(double step, bool last)>& frame)
{
    const double span = to - clock();
    if (!(span > 0.0))
        return frame(0.00001, true); // at (or past) the time: one frame shows it
    const int steps = std::max(1, static_cast<int>(std::ceil(span / maxStep - 1e-9)));
    const double step = span / steps;
    for (int i = 1; i < steps; ++i)
        if (!frame(step, false))
            return false;
    // Summing equal steps rounds (30 steps of 0.1 from 73.6 end at 76.59999999999982): the last step is
    // what is left. The clock is within a factor of two of `to` here, so the difference and the sum are
    // exact and the clock lands on `to`.
    return frame(to - clock(), true);
}

k_StudioTransport::Action k_StudioTransport::Reached(double time)
{
    m_time = time;
    Action action;
    if (m_loop && time >= m_loop->second - k_Epsilon)
        action.jump = m_loop->first;
    return action;
}

bool k_StudioTransport::IsOver(double quitAt) const
{
    if (quitAt < 0.0)
        return false;
    if (m_time >= quitAt)
        return true;
    return m_loop && quitAt >= m_loop->second - k_Epsilon && m_time >= m_loop->second - k_Epsilon;
}

void k_StudioTransport::SetLoop(double from, double to)
{
    m_loop = std::pair{from, to};
    m_loopSection.reset();
}

const k_StudioTransport::Section& k_StudioTransport::SectionAt(double time) const
{
    for (const Section& section : m_sections)
        if (time < section.end)
            return section;
    return m_sections.back();
}

std::optional<double> k_StudioTransport::NextInstant(double time) const
{
    auto next = std::upper_bound(m_instants.begin(), m_instants.end(), time + k_Epsilon);
    if (next == m_instants.end())
        return std::nullopt;
    return *next;
}

std::optional<double> k_StudioTransport::PreviousInstant(double time) const
{
    auto after = std::lower_bound(m_instants.begin(), m_instants.end(), time - PreviousGrace);
    if (after == m_instants.begin())
        return std::nullopt;
    return *(after - 1);
}

// --- beats and bars ---

// From a time on a beat, the next beat; from between two, the one after (forward) or before (back).
double k_StudioTransport::StepBeats(double time, int beats) const
{
    const double beat = m_tempo.GetBeat(time);
    const double on = beats > 0 ? std::floor(beat + k_Epsilon) : std::ceil(beat - k_Epsilon);
    return std::max(0.0, m_tempo.GetTimeOfBeat(on + beats));
}

double k_StudioTransport::StepBars(double time, int bars) const
{
    const k_TempoMap::Position position = m_tempo.GetPosition(time);
    const bool onBar = position.beat - 1.0 < k_Epsilon;
    const int bar = bars > 0 || onBar ? position.bar + bars : position.bar + bars + 1;
    return std::max(0.0, m_tempo.GetTimeOf(bar, 1.0));
}
