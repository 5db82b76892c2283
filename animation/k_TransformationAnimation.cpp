#include "animation/k_TransformationAnimation.h"

#include "engine/k_Log.h"

#include <cmath>
#include <iterator>

namespace
{
constexpr int Translation = 0;
constexpr int Rotation = 1;
constexpr int Scale = 2;
constexpr double DegreesToRadians = 0.017453292519943295;
} // namespace

k_TransformationAnimation::k_TransformationAnimation(const std::wstring& name, IEngine* engine)
    : m_engine(engine), m_name(name)
{
}

std::wstring k_TransformationAnimation::GetName()
{
    return m_name;
}

// --- keys ---

void k_TransformationAnimation::AddKey(const TransformationKey& key)
{
    if (key.channel < 0 || key.channel >= ChannelCount)
    {
        k_Log(k_Log::Colour::Error) << "TransformationAnimation: " << m_name << ": ignored a key on unknown channel "
                                    << key.channel;
        return;
    }
    if (std::isnan(key.time))
    {
        k_Log(k_Log::Colour::Error) << "TransformationAnimation: " << m_name
                                    << ": ignored a key at a time that is not a number";
        return;
    }
    m_channels[key.channel][key.time] = key;
}

float k_TransformationAnimation::GetDuration()
{
    float duration = 0.0f;
    for (const Channel& channel : m_channels)
        if (!channel.empty() && channel.rbegin()->first >= duration)
            duration = channel.rbegin()->first;
    return duration;
}

// --- evaluation ---

k_VectorUA k_TransformationAnimation::Interpolate(const Channel& channel, float time)
{
    // upper: the first key at or after time, else the last; lower: the key before upper,
    // else the first. Equal keys (outside the range) give u = 0 and so that key's value.
    auto upperIt = channel.lower_bound(time);
    const auto lowerIt = upperIt == channel.begin() ? channel.begin() : std::prev(upperIt);
    if (upperIt == channel.end())
        upperIt = std::prev(channel.end());
    const TransformationKey& lower = lowerIt->second;
    const TransformationKey& upper = upperIt->second;
    const float span = upper.time - lower.time;
    const float u = span > 0.0f ? (time - lower.time) / span : 0.0f;
    return (1.0f - u) * lower.value + u * upper.value;
}

k_Matrix k_TransformationAnimation::GetTransformation(float time)
{
    k_Matrix r, t, s;
    if (!m_channels[Rotation].empty())
    {
        const k_VectorUA v = Interpolate(m_channels[Rotation], time);
        const k_Matrix rz = k_Matrix::RotationZ(v.z * DegreesToRadians);
        const k_Matrix ry = k_Matrix::RotationY(v.y * DegreesToRadians);
        const k_Matrix rx = k_Matrix::RotationX(v.x * DegreesToRadians);
        r = rz * (ry * rx);
    }
    if (!m_channels[Translation].empty())
        t = k_Matrix::Translation(Interpolate(m_channels[Translation], time));
    if (!m_channels[Scale].empty())
    {
        const k_VectorUA v = Interpolate(m_channels[Scale], time);
        s = k_Matrix::Scale(v.x, v.y, v.z);
    }
    return r * (t * s);
}
