#include "app/k_StudioTransport.h"

#include <algorithm>

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
    default:
        return Key::None;
    }
}

k_StudioTransport::k_StudioTransport(std::vector<double> instants, std::vector<k_Demo::Section> sections)
    : m_instants(std::move(instants)), m_sections(std::move(sections))
{
    std::sort(m_instants.begin(), m_instants.end());
    if (m_sections.empty())
        m_sections.push_back({"show", 0.0, k_Demo::ShowLength});
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
        }
        else
        {
            const k_Demo::Section& section = SectionAt(m_time);
            m_loop = std::pair{section.start, section.end};
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

k_StudioTransport::Action k_StudioTransport::Reached(double time)
{
    m_time = time;
    Action action;
    if (m_loop && time >= m_loop->second - k_Epsilon)
        action.jump = m_loop->first;
    return action;
}

void k_StudioTransport::SetLoop(double from, double to)
{
    m_loop = std::pair{from, to};
}

const k_Demo::Section& k_StudioTransport::SectionAt(double time) const
{
    for (const k_Demo::Section& section : m_sections)
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
