#pragma once
// One key of a transformation animation: a value on one channel at one time.
#include "math/k_VectorUA.h"

struct TransformationKey
{
    // 0 translation, 1 rotation, 2 scale.
    int channel = 0;
    // Translation x, y, z, w; or rotation angles about x, y, z in degrees; or scale x, y, z.
    k_VectorUA value;
    // Key time in seconds.
    float time = 0.0f;
};
