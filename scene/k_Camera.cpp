#include "scene/k_Camera.h"

#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"

#include <epoxy/gl.h>
#include <GL/glu.h>

namespace
{
float AspectRatioOf(IEngine* engine)
{
    IGraphics* graphics = engine != nullptr ? engine->GetGraphics() : nullptr;
    return graphics != nullptr ? graphics->GetAspectRatio() : 1.0f;
}
} // namespace

// The initial direction is not derived from the initial position and target;
// the first setter makes the frame consistent. The frustum keeps the aspect
// ratio of this moment.
k_Camera::k_Camera(IEngine* engine) : m_engine(engine)
{
    m_frustum.SetPerspective(45.0f, AspectRatioOf(engine), k_NearDistance, k_FrustumFarDistance);
}

// --- the frame ---

// A degenerate input (position on the target, a zero direction or up vector,
// up parallel to the view) would zero the frame, and a zero up vector can never
// be recovered by later setters; such a step leaves the affected vectors as
// they were instead.
void k_Camera::DeriveFromTarget()
{
    const k_VectorUA direction = m_target - m_position;
    if (direction.LengthSquared() > 0.0f)
        m_direction = direction.Normalized();
    Reorthogonalise();
}

void k_Camera::Reorthogonalise()
{
    const k_VectorUA right = m_direction.Cross(m_up);
    if (right.LengthSquared() > 0.0f)
    {
        m_right = right.Normalized();
        m_up = m_right.Cross(m_direction).Normalized();
    }
    m_upPoint = m_position + m_up;
}

int k_Camera::GetTag()
{
    return m_tag;
}

void k_Camera::SetTag(int tag)
{
    m_tag = tag;
    m_frustumStale = true;
}

void k_Camera::SetPosition(const k_VectorUA& position)
{
    m_position = position;
    DeriveFromTarget();
    m_frustumStale = true;
}

void k_Camera::SetTarget(const k_VectorUA& target)
{
    m_target = target;
    DeriveFromTarget();
    m_frustumStale = true;
}

void k_Camera::SetDirection(const k_VectorUA& direction)
{
    m_target = m_position + direction;
    if (direction.LengthSquared() > 0.0f)
        m_direction = direction.Normalized();
    Reorthogonalise();
    m_frustumStale = true;
}

// The up vector is taken as given (only normalised), not re-orthogonalised against the direction.
void k_Camera::SetUp(const k_VectorUA& up)
{
    m_upPoint = m_position + up;
    if (up.LengthSquared() > 0.0f)
        m_up = up.Normalized();
    UpdateRight();
    m_frustumStale = true;
}

void k_Camera::SetUpPoint(const k_VectorUA& upPoint)
{
    m_upPoint = upPoint;
    const k_VectorUA up = upPoint - m_position;
    if (up.LengthSquared() > 0.0f)
        m_up = up.Normalized();
    UpdateRight();
    m_frustumStale = true;
}

void k_Camera::UpdateRight()
{
    const k_VectorUA right = m_direction.Cross(m_up);
    if (right.LengthSquared() > 0.0f)
        m_right = right.Normalized();
}

k_VectorUA k_Camera::GetPosition()
{
    return m_position;
}

k_VectorUA k_Camera::GetTarget()
{
    return m_target;
}

k_VectorUA k_Camera::GetDirection()
{
    return m_direction;
}

k_VectorUA k_Camera::GetUp()
{
    return m_up;
}

k_VectorUA k_Camera::GetUpPoint()
{
    return m_upPoint;
}

k_VectorUA k_Camera::GetRight()
{
    return m_right;
}

// --- matrices ---

const float* k_Camera::GetViewMatrix()
{
    return m_viewMatrix.Data();
}

void k_Camera::LoadMatrix(const float* matrix)
{
    if (matrix != nullptr)
        glLoadMatrixf(matrix);
}

void k_Camera::SetFieldOfView(float degrees)
{
    m_fieldOfView = degrees;
}

float k_Camera::GetFieldOfView()
{
    return m_fieldOfView;
}

void k_Camera::Apply()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(m_fieldOfView, AspectRatioOf(m_engine), k_NearDistance, k_ProjectionFarDistance);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(m_position.x, m_position.y, m_position.z, m_target.x, m_target.y, m_target.z, m_up.x, m_up.y, m_up.z);
    glGetFloatv(GL_MODELVIEW_MATRIX, m_viewMatrix.Data());
}

IFrustum* k_Camera::GetFrustum()
{
    if (m_frustumStale)
    {
        m_frustumStale = false;
        m_frustum.Update(m_position, m_target, m_up);
    }
    return &m_frustum;
}
