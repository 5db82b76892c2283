#pragma once
// Four single-precision floats (x, y, z, w) on a 16-byte boundary: positions, directions,
// scales, colours, quaternions and path values. Arithmetic is component-wise over all four
// components, `*` included; the dot product and the length sum all four components, so
// directions keep w = 0. Normalising uses the fast reciprocal-square-root estimate (~12 bits).

struct alignas(16) k_VectorUA
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    constexpr k_VectorUA() = default;
    constexpr k_VectorUA(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

    // --- component-wise arithmetic ---
    constexpr k_VectorUA operator+(const k_VectorUA& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
    constexpr k_VectorUA operator-(const k_VectorUA& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
    constexpr k_VectorUA operator*(const k_VectorUA& o) const { return {x * o.x, y * o.y, z * o.z, w * o.w}; }
    constexpr k_VectorUA operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    constexpr k_VectorUA operator-() const { return {-x, -y, -z, -w}; }
    constexpr k_VectorUA& operator+=(const k_VectorUA& o) { return *this = *this + o; }
    constexpr k_VectorUA& operator-=(const k_VectorUA& o) { return *this = *this - o; }
    constexpr k_VectorUA& operator*=(const k_VectorUA& o) { return *this = *this * o; }
    constexpr k_VectorUA& operator*=(float s) { return *this = *this * s; }
    // Exact comparison of all four components.
    constexpr bool operator==(const k_VectorUA&) const = default;

    // --- products and length ---
    // Sum of the products of all four components.
    constexpr float Dot(const k_VectorUA& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
    // x² + y² + z² + w².
    constexpr float LengthSquared() const { return Dot(*this); }
    // Square root of the sum over all four components (exact, not the estimate).
    float Length() const;
    // Cross product of the x, y, z parts; w of the result is 0.
    constexpr k_VectorUA Cross(const k_VectorUA& o) const
    {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x, 0.0f};
    }

    // --- normalising ---
    // This vector times the reciprocal-square-root estimate of LengthSquared(). The zero
    // vector stays zero (the estimate of 1/0 is infinite and would give NaN).
    k_VectorUA Normalized() const;
    // Normalises in place, as Normalized().
    void Normalize() { *this = Normalized(); }
    // The processor's reciprocal-square-root estimate of s (relative error below 1.5 * 2^-12).
    static float ReciprocalSqrtEstimate(float s);
};

constexpr k_VectorUA operator*(float s, const k_VectorUA& v)
{
    return v * s;
}

static_assert(sizeof(k_VectorUA) == 16 && alignof(k_VectorUA) == 16);
