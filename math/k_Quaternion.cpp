#include "math/k_Quaternion.h"

#include <cmath>

k_Matrix k_Quaternion::ToMatrix(const k_VectorUA& q)
{
    k_VectorUA n = q;
    const float s = n.LengthSquared();
    if (s != 1.0f && s != 0.0f)
        n *= k_VectorUA::ReciprocalSqrtEstimate(s);

    const float x = n.x, y = n.y, z = n.z, w = n.w;
    k_Matrix r;
    r.m[0] = 1.0f - 2.0f * (y * y + z * z);
    r.m[1] = 2.0f * (x * y - w * z);
    r.m[2] = 2.0f * (x * z + w * y);
    r.m[3] = 0.0f;
    r.m[4] = 2.0f * (x * y + w * z);
    r.m[5] = 1.0f - 2.0f * (x * x + z * z);
    r.m[6] = 2.0f * (y * z - w * x);
    r.m[7] = 0.0f;
    r.m[8] = 2.0f * (x * z - w * y);
    r.m[9] = 2.0f * (y * z + w * x);
    r.m[10] = 1.0f - 2.0f * (x * x + y * y);
    r.m[11] = 0.0f;
    r.m[12] = 0.0f;
    r.m[13] = 0.0f;
    r.m[14] = 0.0f;
    r.m[15] = 1.0f;
    return r;
}

k_VectorUA k_Quaternion::FromAxisAngle(float x, float y, float z, float angleDegrees, bool makeRotation)
{
    k_VectorUA q(x, y, z, angleDegrees);
    if (!makeRotation)
        return q;
    constexpr float pi = 3.1415927f;
    const float h = angleDegrees * pi / 180.0f * 0.5f;
    q.w = 0.0f;
    q = q.Normalized() * std::sin(h);
    q.w = std::cos(h);
    return q;
}
