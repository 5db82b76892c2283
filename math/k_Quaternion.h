#pragma once
// Rotation quaternions as the scene nodes and bones use them: a k_VectorUA (x, y, z, w),
// turned into a rotation matrix for glMultMatrixf, and built from an axis and an angle.
// The zero quaternion means "no rotation".
#include "math/k_Matrix.h"
#include "math/k_VectorUA.h"

class k_Quaternion
{
public:
    // The rotation matrix of q. A quaternion whose squared length is neither exactly 1 nor
    // exactly 0 is first scaled by the reciprocal-square-root estimate of that length; the
    // zero quaternion gives the identity. Elements in glMultMatrixf order, element 0 first:
    //   1-2(y²+z²), 2(xy-wz),    2(xz+wy),    0,
    //   2(xy+wz),   1-2(x²+z²),  2(yz-wx),    0,
    //   2(xz-wy),   2(yz+wx),    1-2(x²+y²),  0,
    //   0,          0,           0,           1.
    static k_Matrix ToMatrix(const k_VectorUA& q);

    // With makeRotation false: (x, y, z, angleDegrees) as given. With makeRotation true: the
    // unit rotation about the axis, (normalised axis * sin(h), cos(h)) with h = half the
    // angle in radians; a zero axis gives (0, 0, 0, cos(h)), which ToMatrix turns into the
    // identity.
    static k_VectorUA FromAxisAngle(float x, float y, float z, float angleDegrees, bool makeRotation);
};
