#pragma once
// A keyed curve over time: (time, value) keys from which a value is computed for any time by
// linear (method 0) or Catmull-Rom (method 1) interpolation. Used as IPath<float> and
// IPath<k_VectorUA>; made empty by the resource factory, which owns it.
#include "math/k_VectorUA.h"

template <typename T> class IPath
{
public:
    // Frees the keys.
    virtual ~IPath() = default;

    // Stores the method (0 linear, 1 Catmull-Rom); an unknown one is reported by GetValue.
    virtual void SetInterpolation(int method) = 0;
    // Inserts a key, or replaces the value of the key at exactly that time.
    virtual void SetKey(float time, T value) = 0;
    // The interpolated value at the time; throws for an unknown interpolation method.
    virtual T GetValue(float time) = 0;
};
