#pragma once
// The base of every scene node: keeps the transformation (position, scale,
// rotation quaternion, free matrix), children, render hooks, the visible and
// shared flags and the node's world, and walks the node and its children on
// the fixed-function model-view matrix stack. Derived nodes implement Draw.
#include "interfaces/IRenderable.h"
#include "math/k_Matrix.h"
#include "math/k_VectorUA.h"

#include <vector>

class IEngine;

class k_Renderable : public IRenderable
{
public:
    explicit k_Renderable(IEngine* engine);
    ~k_Renderable() override = default;

    void SetRotation(const k_VectorUA& rotation) override;
    void SetScale(const k_VectorUA& scale) override;
    void SetPosition(const k_VectorUA& position) override;
    void SetMatrix(const float* matrix) override;
    k_VectorUA GetRotation() override;
    k_VectorUA GetScale() override;
    k_VectorUA GetPosition() override;
    k_Matrix GetMatrix() override;
    void AddRenderHook(IRenderHook* hook) override;
    void RemoveRenderHook(IRenderHook* hook) override;
    std::vector<IRenderHook*>* GetRenderHooks() override;
    void AddChild(IRenderable* child) override;
    void RemoveChild(IRenderable* child) override;
    std::vector<IRenderable*> GetChildren() override;
    void SetWorld(IWorld* world) override;
    IWorld* GetWorld() override;
    void SetShared(bool shared) override;
    bool IsShared() override;
    void Render() override;
    void SetVisible(bool visible) override;
    bool IsVisible() override;

protected:
    IEngine* m_engine;
    IWorld* m_world = nullptr;
    k_VectorUA m_rotation{0.0f, 0.0f, 0.0f, 0.0f};
    k_VectorUA m_scale{1.0f, 1.0f, 1.0f, 1.0f};
    k_VectorUA m_position{0.0f, 0.0f, 0.0f, 1.0f};
    k_Matrix m_matrix;
    std::vector<IRenderable*> m_children;
    std::vector<IRenderHook*> m_renderHooks;
    bool m_shared = true;
    bool m_visible = true;

private:
    bool m_rendering = false;
    bool m_reportedCycle = false;
};
