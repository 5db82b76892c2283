#include "scene/k_Frustum.h"

#include <cmath>

namespace
{
enum Corner
{
    NearTopLeft,
    NearTopRight,
    NearBottomLeft,
    NearBottomRight,
    FarTopLeft,
    FarTopRight,
    FarBottomLeft,
    FarBottomRight
};
constexpr float k_Pi = 3.1415927f;
} // namespace

void k_Frustum::SetPerspective(float fovDegrees, float aspect, float nearDistance, float farDistance)
{
    m_fovDegrees = fovDegrees;
    m_aspect = aspect;
    m_nearDistance = nearDistance;
    m_farDistance = farDistance;
    m_tanHalfFov = std::tan(fovDegrees * k_Pi / 180.0f * 0.5f);
    m_nearHalfHeight = m_tanHalfFov * nearDistance;
    m_nearHalfWidth = m_nearHalfHeight * aspect;
    m_farHalfHeight = m_tanHalfFov * farDistance;
    m_farHalfWidth = m_farHalfHeight * aspect;
}

k_Frustum::Plane k_Frustum::MakePlane(const k_VectorUA& a, const k_VectorUA& b, const k_VectorUA& c)
{
    Plane plane;
    plane.normal = (c - a).Cross(b - a).Normalized();
    plane.point = a;
    plane.d = -plane.normal.Dot(a);
    return plane;
}

void k_Frustum::Update(const k_VectorUA& position, const k_VectorUA& target, const k_VectorUA& up)
{
    const k_VectorUA z = (position - target).Normalized();
    const k_VectorUA x = up.Cross(z).Normalized();
    const k_VectorUA y = z.Cross(x);

    const k_VectorUA nearCentre = position - z * m_nearDistance;
    const k_VectorUA farCentre = position - z * m_farDistance;
    const k_VectorUA nearUp = y * m_nearHalfHeight, nearSide = x * m_nearHalfWidth;
    const k_VectorUA farUp = y * m_farHalfHeight, farSide = x * m_farHalfWidth;

    k_VectorUA* c = m_corners;
    c[NearTopLeft] = nearCentre + nearUp - nearSide;
    c[NearTopRight] = nearCentre + nearUp + nearSide;
    c[NearBottomLeft] = nearCentre - nearUp - nearSide;
    c[NearBottomRight] = nearCentre - nearUp + nearSide;
    c[FarTopLeft] = farCentre + farUp - farSide;
    c[FarTopRight] = farCentre + farUp + farSide;
    c[FarBottomLeft] = farCentre - farUp - farSide;
    c[FarBottomRight] = farCentre - farUp + farSide;

    m_planes[Top] = MakePlane(c[NearTopLeft], c[NearTopRight], c[FarTopLeft]);
    m_planes[Bottom] = MakePlane(c[NearBottomRight], c[NearBottomLeft], c[FarBottomRight]);
    m_planes[Left] = MakePlane(c[NearBottomLeft], c[NearTopLeft], c[FarBottomLeft]);
    m_planes[Right] = MakePlane(c[NearTopRight], c[NearBottomRight], c[FarBottomRight]);
    m_planes[Near] = MakePlane(c[NearTopRight], c[NearTopLeft], c[NearBottomRight]);
    m_planes[Far] = MakePlane(c[FarTopLeft], c[FarTopRight], c[FarBottomLeft]);
    ++m_updateCount;
}

int k_Frustum::TestPoint(const k_VectorUA& point)
{
    for (const Plane& plane : m_planes)
        if (plane.normal.Dot(point) + plane.d < 0.0f)
            return Outside;
    return Inside;
}

int k_Frustum::TestSphere(const k_VectorUA& centre, float radius)
{
    int result = Inside;
    for (const Plane& plane : m_planes)
    {
        const float distance = plane.normal.Dot(centre) + plane.d;
        if (distance < -radius)
            return Outside;
        if (distance < radius)
            result = Intersecting;
    }
    return result;
}
