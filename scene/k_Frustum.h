#pragma once
// A perspective view frustum: eight corners and six planes whose unit normals
// point inwards (n . x + d = 0 on the plane), for point and sphere tests.
#include "interfaces/IFrustum.h"
#include "math/k_VectorUA.h"

class k_Frustum : public IFrustum
{
public:
    enum Result
    {
        Outside = 0,
        Intersecting = 1,
        Inside = 2,
    };

    struct Plane
    {
        k_VectorUA normal;
        k_VectorUA point;
        float d = 0.0f;
    };

    enum PlaneIndex
    {
        Top,
        Bottom,
        Left,
        Right,
        Near,
        Far,
        PlaneCount
    };

    void SetPerspective(float fovDegrees, float aspect, float nearDistance, float farDistance) override;
    void Update(const k_VectorUA& position, const k_VectorUA& target, const k_VectorUA& up) override;
    int TestPoint(const k_VectorUA& point) override;
    int TestSphere(const k_VectorUA& centre, float radius) override;

    // The plane of the index (Top .. Far), for inspection.
    const Plane& GetPlane(int index) const { return m_planes[index]; }
    // How many times Update has run (each one rebuilds every plane).
    int GetUpdateCount() const { return m_updateCount; }

private:
    static Plane MakePlane(const k_VectorUA& a, const k_VectorUA& b, const k_VectorUA& c);

    float m_nearDistance = 0.0f;
    float m_farDistance = 0.0f;
    float m_aspect = 0.0f;
    float m_fovDegrees = 0.0f;
    float m_tanHalfFov = 0.0f;
    float m_nearHalfHeight = 0.0f;
    float m_nearHalfWidth = 0.0f;
    float m_farHalfHeight = 0.0f;
    float m_farHalfWidth = 0.0f;
    // Near top-left, top-right, bottom-left, bottom-right, then the same on the far rectangle.
    k_VectorUA m_corners[8];
    Plane m_planes[PlaneCount];
    int m_updateCount = 0;
};
