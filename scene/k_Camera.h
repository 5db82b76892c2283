#pragma once
// A look-at camera: keeps an orthonormal frame (position, target, direction,
// right, up), sets the projection (far plane 256) and the look-at model-view
// matrix when its world is drawn, and owns a view frustum (far plane 1000)
// that is rebuilt lazily after the frame changes.
#include "interfaces/ICamera.h"
#include "math/k_Matrix.h"
#include "math/k_VectorUA.h"
#include "scene/k_Frustum.h"

class IEngine;

class k_Camera : public ICamera
{
public:
    explicit k_Camera(IEngine* engine);

    int GetTag() override;
    void SetTag(int tag) override;
    void SetPosition(const k_VectorUA& position) override;
    void SetTarget(const k_VectorUA& target) override;
    void SetDirection(const k_VectorUA& direction) override;
    void SetUp(const k_VectorUA& up) override;
    void SetUpPoint(const k_VectorUA& upPoint) override;
    k_VectorUA GetPosition() override;
    k_VectorUA GetTarget() override;
    k_VectorUA GetDirection() override;
    k_VectorUA GetUp() override;
    k_VectorUA GetUpPoint() override;
    k_VectorUA GetRight() override;
    const float* GetViewMatrix() override;
    void LoadMatrix(const float* matrix) override;
    void SetFieldOfView(float degrees) override;
    float GetFieldOfView() override;
    void Apply() override;
    IFrustum* GetFrustum() override;

    static constexpr float k_NearDistance = 0.1f;
    static constexpr float k_ProjectionFarDistance = 256.0f;
    static constexpr float k_FrustumFarDistance = 1000.0f;

private:
    void DeriveFromTarget();
    // Right from direction x up, then up from right x direction; the up point follows.
    void Reorthogonalise();
    // Right from direction x up only.
    void UpdateRight();

    k_VectorUA m_position{0.0f, 0.0f, -5.0f, 0.0f};
    k_VectorUA m_target{0.0f, 0.0f, 0.0f, 0.0f};
    k_VectorUA m_direction{0.0f, 0.0f, -1.0f, 0.0f};
    k_VectorUA m_right{1.0f, 0.0f, 0.0f, 0.0f};
    k_VectorUA m_up{0.0f, 1.0f, 0.0f, 0.0f};
    k_VectorUA m_upPoint{0.0f, 1.0f, -5.0f, 0.0f};
    k_Matrix m_viewMatrix;
    IEngine* m_engine;
    int m_tag = 0;
    float m_fieldOfView = 45.0f;
    k_Frustum m_frustum;
    bool m_frustumStale = true;
};
