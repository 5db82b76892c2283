#pragma once
// A named transformation keyed on three channels (translation, rotation in degrees, scale),
// each interpolated linearly and held constant outside its keys (see ITransformationAnimation).
#include "interfaces/ITransformationAnimation.h"

#include <map>
#include <string>

class IEngine;

class k_TransformationAnimation : public ITransformationAnimation
{
public:
    // An animation without keys. The engine is stored, not owned.
    k_TransformationAnimation(const std::wstring& name, IEngine* engine);
    ~k_TransformationAnimation() override = default;

    std::wstring GetName() override;
    // A key on a channel outside 0..2, or at a time that is not a number, is logged and ignored.
    void AddKey(const TransformationKey& key) override;
    float GetDuration() override;
    k_Matrix GetTransformation(float time) override;

    static constexpr int ChannelCount = 3;

private:
    using Channel = std::map<float, TransformationKey>;
    // The channel's value at time: linear between the neighbouring keys, the first or last
    // key's value outside them.
    static k_VectorUA Interpolate(const Channel& channel, float time);

    IEngine* m_engine;
    std::wstring m_name;
    Channel m_channels[ChannelCount];
};
