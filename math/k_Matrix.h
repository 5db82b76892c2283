#pragma once
// A 4x4 matrix of single-precision floats in the element order handed to glLoadMatrixf and
// glMultMatrixf (column-major: m[4 * column + row]). The product A * B is the engine's A∘B,
// P[4n + j] = sum over k of A[4k + j] * B[4n + k]; the inverse is the adjugate over the
// determinant.
#include "math/k_VectorUA.h"

struct alignas(16) k_Matrix
{
    float m[16];

    // The identity.
    k_Matrix();
    // A copy of 16 floats in storage order.
    explicit k_Matrix(const float* values);

    static k_Matrix Identity() { return k_Matrix(); }
    // All sixteen elements zero.
    static k_Matrix Zero();

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    float* Data() { return m; }
    const float* Data() const { return m; }

    // --- products ---
    // The engine's product this∘b (the product of column-major matrices).
    k_Matrix operator*(const k_Matrix& b) const;
    // Exact comparison of all sixteen elements.
    bool operator==(const k_Matrix& b) const;

    // --- inverse ---
    float Determinant() const;
    // The adjugate times 1/determinant (the reciprocal taken once, in single precision).
    // A singular matrix (determinant 0, or a non-finite reciprocal, e.g. from NaN elements)
    // has no inverse: the result is then the identity and *invertible (if given) is false.
    k_Matrix Inverse(bool* invertible = nullptr) const;

    // --- the building blocks of transformation animations and bones ---
    // These compose as R∘(T∘S) and keep the translation in m[3], m[7], m[11] (the row-major
    // layout those transformations are keyed in), not in m[12..14] as glTranslatef does.
    // Identity with m[3], m[7], m[11], m[15] = v.x, v.y, v.z, v.w.
    static k_Matrix Translation(const k_VectorUA& v);
    // Identity with m[0], m[5], m[10] = sx, sy, sz (m[15] stays 1).
    static k_Matrix Scale(float sx, float sy, float sz);
    // m[5] = cos a, m[6] = -sin a, m[9] = sin a, m[10] = cos a (radians).
    static k_Matrix RotationX(double radians);
    // m[0] = cos a, m[2] = sin a, m[8] = -sin a, m[10] = cos a (radians).
    static k_Matrix RotationY(double radians);
    // m[0] = cos a, m[1] = -sin a, m[4] = sin a, m[5] = cos a (radians).
    static k_Matrix RotationZ(double radians);
};

static_assert(sizeof(k_Matrix) == 64 && alignof(k_Matrix) == 16);
