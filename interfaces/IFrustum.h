#pragma once
// A view frustum for visibility tests: six inward-facing planes built from a
// perspective and a look-at frame. Tests answer 0 outside, 1 intersecting,
// 2 inside.
struct k_VectorUA;

class IFrustum
{
public:
    virtual ~IFrustum() = default;

    // Stores the vertical field of view (degrees), aspect ratio and the near and far distances.
    virtual void SetPerspective(float fovDegrees, float aspect, float nearDistance, float farDistance) = 0;
    // Rebuilds the corners and planes for an eye at position looking at target with the given up vector.
    virtual void Update(const k_VectorUA& position, const k_VectorUA& target, const k_VectorUA& up) = 0;
    // Returns 0 if the point lies behind any plane, else 2.
    virtual int TestPoint(const k_VectorUA& point) = 0;
    // Returns 0 if the sphere lies wholly behind a plane, 1 if it crosses one, else 2.
    virtual int TestSphere(const k_VectorUA& centre, float radius) = 0;
};
