#pragma once
// A call-back that wraps the drawing of one node: the node calls BeginRender
// after it has applied its transformation and EndRender after its last draw
// stage, whether or not the node is visible. Hooks are not owned by nodes.
class IRenderable;

class IRenderHook
{
public:
    virtual ~IRenderHook() = default;

    // Called with the node before its own geometry and children are drawn.
    virtual void BeginRender(IRenderable* node) = 0;
    // Called with the node after its last draw stage, before its matrix is popped.
    virtual void EndRender(IRenderable* node) = 0;
};
