#include "animation/k_Path.h"

#include "engine/k_Log.h"

#include <cmath>
#include <iterator>

template <typename T> k_Path<T>::k_Path(IEngine* engine) : m_engine(engine) {}

template <typename T> void k_Path<T>::SetInterpolation(int method)
{
    m_method = method;
}

template <typename T> void k_Path<T>::SetKey(float time, T value)
{
    // NaN cannot be ordered and would corrupt the key map.
    if (std::isnan(time))
    {
        k_Log(k_Log::Colour::Error) << "Path: ignored a key at a time that is not a number";
        return;
    }
    m_keys[time] = value;
}

template <typename T> T k_Path<T>::GetValue(float time)
{
    if (m_method != Linear && m_method != CatmullRom)
        throw L"Interpolation method not implemented!";
    if (m_keys.empty())
        return T{};
    if (m_keys.size() == 1)
        return m_keys.begin()->second;
    return m_method == Linear ? GetLinear(time) : GetCatmullRom(time);
}

// --- linear ---

template <typename T> T k_Path<T>::GetLinear(float time) const
{
    // Walk from the second key: prev is the last key before time, next the first key at or
    // after it. Past the last key next falls back to the first key, so the result lies on
    // the line through the last and the first key's values.
    auto prev = m_keys.begin();
    auto next = m_keys.begin();
    for (auto k = std::next(m_keys.begin()); k != m_keys.end(); ++k)
    {
        if (time > k->first)
        {
            prev = k;
            continue;
        }
        next = k;
        break;
    }
    const double span = static_cast<double>(next->first) - prev->first;
    const float u = static_cast<float>((static_cast<double>(time) - prev->first) / span);
    return (1.0f - u) * prev->second + u * next->second;
}

// --- Catmull-Rom ---

template <typename T> T k_Path<T>::GetCatmullRom(float time) const
{
    // p1 and p2 enclose the time; p0 lags p1 by one key except on the first segment, where
    // it is the first key itself; p3 leads p2 by one, or is the last key at the end.
    const auto end = m_keys.end();
    auto p0 = m_keys.begin();
    auto p1 = m_keys.begin();
    auto p2 = std::next(p1);
    auto p3 = std::next(p2);
    for (auto k = std::next(m_keys.begin()); k != end && time > k->first; ++k)
    {
        if (p0 != p1)
            ++p0;
        ++p1;
        if (p2 != end)
            ++p2;
        if (p3 != end)
            ++p3;
    }
    // Past the last key there is no segment to follow: hold the last value (its value at the
    // last key's own time, so the curve stays continuous there).
    if (p2 == end)
        return std::prev(end)->second;
    if (p3 == end)
        p3 = std::prev(end);

    const double span = static_cast<double>(p2->first) - p1->first;
    const float u = static_cast<float>((static_cast<double>(time) - p1->first) / span);
    const T& v0 = p0->second;
    const T& v1 = p1->second;
    const T& v2 = p2->second;
    const T& v3 = p3->second;
    const T c1 = 0.5f * (v2 - v0);
    const T c2 = v0 - 2.5f * v1 + 2.0f * v2 - 0.5f * v3;
    const T c3 = -0.5f * v0 + 1.5f * v1 - 1.5f * v2 + 0.5f * v3;
    return v1 + u * (c1 + u * (c2 + u * c3));
}

template class k_Path<float>;
template class k_Path<k_VectorUA>;
