#include "math/k_Matrix.h"

#include <cmath>
#include <cstring>

// --- construction ---

k_Matrix::k_Matrix() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

k_Matrix::k_Matrix(const float* values)
{
    std::memcpy(m, values, sizeof(m));
}

k_Matrix k_Matrix::Zero()
{
    k_Matrix z;
    for (float& e : z.m)
        e = 0.0f;
    return z;
}

// --- products ---

k_Matrix k_Matrix::operator*(const k_Matrix& b) const
{
    k_Matrix p = Zero();
    for (int n = 0; n < 4; ++n)
        for (int j = 0; j < 4; ++j)
        {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += m[4 * k + j] * b.m[4 * n + k];
            p.m[4 * n + j] = sum;
        }
    return p;
}

bool k_Matrix::operator==(const k_Matrix& b) const
{
    for (int i = 0; i < 16; ++i)
        if (m[i] != b.m[i])
            return false;
    return true;
}

// --- inverse ---

namespace
{
// Cofactors of a 4x4 matrix laid out by element index; the determinant expands along
// the first column: det = m0*c0 + m1*c4 + m2*c8 + m3*c12.
void Cofactors(const float* m, float* c)
{
    c[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
           m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    c[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
           m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    c[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
           m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    c[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
            m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    c[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
           m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    c[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
           m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    c[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
           m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    c[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
            m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    c[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] + m[13] * m[2] * m[7] -
           m[13] * m[3] * m[6];
    c[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
           m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    c[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
            m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    c[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
            m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    c[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] - m[9] * m[2] * m[7] +
           m[9] * m[3] * m[6];
    c[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] + m[8] * m[2] * m[7] -
           m[8] * m[3] * m[6];
    c[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] - m[8] * m[1] * m[7] +
            m[8] * m[3] * m[5];
    c[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] + m[8] * m[1] * m[6] -
            m[8] * m[2] * m[5];
}
} // namespace

float k_Matrix::Determinant() const
{
    float c[16];
    Cofactors(m, c);
    return m[0] * c[0] + m[1] * c[4] + m[2] * c[8] + m[3] * c[12];
}

k_Matrix k_Matrix::Inverse(bool* invertible) const
{
    // c is already the adjugate: element i of c is the cofactor of the transposed position.
    k_Matrix inv;
    Cofactors(m, inv.m);
    const float det = m[0] * inv.m[0] + m[1] * inv.m[4] + m[2] * inv.m[8] + m[3] * inv.m[12];
    const float invDet = 1.0f / det;
    const bool ok = det != 0.0f && std::isfinite(invDet) && std::isfinite(det);
    if (invertible)
        *invertible = ok;
    if (!ok)
        return Identity();
    for (float& e : inv.m)
        e *= invDet;
    return inv;
}

// --- building blocks ---

k_Matrix k_Matrix::Translation(const k_VectorUA& v)
{
    k_Matrix t;
    t.m[3] = v.x;
    t.m[7] = v.y;
    t.m[11] = v.z;
    t.m[15] = v.w;
    return t;
}

k_Matrix k_Matrix::Scale(float sx, float sy, float sz)
{
    k_Matrix s;
    s.m[0] = sx;
    s.m[5] = sy;
    s.m[10] = sz;
    return s;
}

k_Matrix k_Matrix::RotationX(double radians)
{
    const float c = static_cast<float>(std::cos(radians)), s = static_cast<float>(std::sin(radians));
    k_Matrix r;
    r.m[5] = c;
    r.m[6] = -s;
    r.m[9] = s;
    r.m[10] = c;
    return r;
}

k_Matrix k_Matrix::RotationY(double radians)
{
    const float c = static_cast<float>(std::cos(radians)), s = static_cast<float>(std::sin(radians));
    k_Matrix r;
    r.m[0] = c;
    r.m[2] = s;
    r.m[8] = -s;
    r.m[10] = c;
    return r;
}

k_Matrix k_Matrix::RotationZ(double radians)
{
    const float c = static_cast<float>(std::cos(radians)), s = static_cast<float>(std::sin(radians));
    k_Matrix r;
    r.m[0] = c;
    r.m[1] = -s;
    r.m[4] = s;
    r.m[5] = c;
    return r;
}
