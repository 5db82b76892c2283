#pragma once
// A node of the scene graph: a transformation (position, scale, rotation
// quaternion, free matrix), child nodes, render hooks, visibility, a shared
// flag and the world it belongs to. Nodes never own their children or hooks;
// their creator (usually the resource factory) owns them.
#include <vector>

struct k_VectorUA;
struct k_Matrix;
class IRenderHook;
class IWorld;

class IRenderable
{
public:
    virtual ~IRenderable() = default;

    // Stores the rotation quaternion as given (not normalised); the zero quaternion means no rotation.
    virtual void SetRotation(const k_VectorUA& rotation) = 0;
    // Stores the per-axis scale (x, y, z used).
    virtual void SetScale(const k_VectorUA& scale) = 0;
    // Stores the translation (x, y, z used).
    virtual void SetPosition(const k_VectorUA& position) = 0;
    // Copies 16 floats (column-major, as glMultMatrixf takes them) into the free local matrix.
    virtual void SetMatrix(const float* matrix) = 0;
    // Returns the rotation quaternion.
    virtual k_VectorUA GetRotation() = 0;
    // Returns the scale.
    virtual k_VectorUA GetScale() = 0;
    // Returns the translation.
    virtual k_VectorUA GetPosition() = 0;
    // Returns a copy of the free local matrix.
    virtual k_Matrix GetMatrix() = 0;
    // Appends a render hook (not owned).
    virtual void AddRenderHook(IRenderHook* hook) = 0;
    // Erases the first occurrence of the hook; does nothing if it is absent.
    virtual void RemoveRenderHook(IRenderHook* hook) = 0;
    // Returns the node's own hook list.
    virtual std::vector<IRenderHook*>* GetRenderHooks() = 0;
    // Gives the child this node's current world, then appends it (the same child may be listed twice).
    virtual void AddChild(IRenderable* child) = 0;
    // Clears the child's world (even if it is not listed), then erases its first occurrence.
    virtual void RemoveChild(IRenderable* child) = 0;
    // Returns a copy of the child list.
    virtual std::vector<IRenderable*> GetChildren() = 0;
    // Stores the world (not owned); does not reach the children.
    virtual void SetWorld(IWorld* world) = 0;
    // Returns the world the node was added to, or null.
    virtual IWorld* GetWorld() = 0;
    // Sets whether a world linking to this node's world draws the node too.
    virtual void SetShared(bool shared) = 0;
    // Returns the shared flag (true by default).
    virtual bool IsShared() = 0;
    // Draws the node and its children on the model-view matrix stack (stages 0, 1, 2 and the hooks).
    virtual void Render() = 0;
    // Sets whether the node's own geometry and its children are drawn.
    virtual void SetVisible(bool visible) = 0;
    // Returns the visibility flag (true by default).
    virtual bool IsVisible() = 0;
    // Draws one r_DrawStage: before the node's transformation, its geometry, after its children.
    virtual void Draw(int stage) = 0;
};
