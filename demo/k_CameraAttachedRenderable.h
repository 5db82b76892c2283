#pragma once
// A node that keeps its children in front of its world's camera: each frame
// it moves to the camera's position plus a distance along the view direction,
// turns to face the viewer, and shifts its first child by (x, y).
#include "math/k_VectorUA.h"
#include "scene/k_Renderable.h"

class k_CameraAttachedRenderable : public k_Renderable
{
public:
    // offset: x and y of the first child, the distance in front of the camera, and a fourth value not read.
    k_CameraAttachedRenderable(IEngine* engine, const k_VectorUA& offset);

    // Stage 0 only: places the node and its first child; nothing without a world, a camera or a child.
    void Draw(int stage) override;

    const k_VectorUA& GetOffset() const { return m_offset; }

private:
    k_VectorUA m_offset;
};
