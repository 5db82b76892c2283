#pragma once
// A grouping node: draws nothing itself; its transformation applies to its children.
#include "scene/k_Renderable.h"

class k_EmptyRenderable : public k_Renderable
{
public:
    explicit k_EmptyRenderable(IEngine* engine) : k_Renderable(engine) {}

    void Draw(int stage) override;
};
