#include "demo/k_CameraAttachedRenderable.h"

#include "interfaces/ICamera.h"
#include "interfaces/IWorld.h"
#include "interfaces/r_DrawStage.h"
#include "math/k_Matrix.h"

k_CameraAttachedRenderable::k_CameraAttachedRenderable(IEngine* engine, const k_VectorUA& offset)
    : k_Renderable(engine), m_offset(offset)
{
}

void k_CameraAttachedRenderable::Draw(int stage)
{
    if (stage != r_DrawStage::BeforeTransform || !m_world)
        return;
    ICamera* camera = m_world->GetCamera();
    if (!camera)
        return;
    const k_VectorUA position = camera->GetPosition();
    const k_VectorUA direction = camera->GetDirection().Normalized();
    const k_Matrix view(camera->GetViewMatrix());

    // inverse(V') after T, where V' is the view with a zero bottom row and T the view's translation alone: for a
    // view made of a rotation and a translation this is the inverse of the rotation, so the children face the
    // viewer.
    k_Matrix rotation = view;
    rotation[3] = rotation[7] = rotation[11] = 0.0f;
    k_Matrix translation = view;
    for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10})
        translation[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    SetMatrix((rotation.Inverse() * translation).Data());
    SetPosition(position + direction * m_offset.z);

    if (!m_children.empty() && m_children.front())
    {
        k_Matrix shift;
        shift[12] = m_offset.x;
        shift[13] = m_offset.y;
        m_children.front()->SetMatrix(shift.Data());
    }
}
