#pragma once
// A named, keyed animation of a 4x4 transformation with three linearly interpolated channels
// (translation, rotation in degrees, scale). Made and cached by name by the resource factory,
// which owns it; evaluated by bones.
#include "interfaces/TransformationKey.h"
#include "math/k_Matrix.h"

#include <string>

class ITransformationAnimation
{
public:
    virtual ~ITransformationAnimation() = default;

    // A copy of the name the animation was created under.
    virtual std::wstring GetName() = 0;
    // Stores the key on its channel under its time, replacing a key at the same time.
    virtual void AddKey(const TransformationKey& key) = 0;
    // The greatest last-key time over the three channels, never below 0.
    virtual float GetDuration() = 0;
    // The transformation R∘(T∘S) at the given time, from the interpolated channels.
    virtual k_Matrix GetTransformation(float time) = 0;
};
