#pragma once
// The base of every scene: a named list of top-level nodes with a camera,
// lights, an optional render target and clear settings. Scenes override
// Build, Update, OnRenderStage and Clear; the base versions of the first
// three do nothing and Clear clears the window's colour and depth.
#include "interfaces/IRenderTarget.h"
#include "interfaces/IWorld.h"
#include "math/k_VectorUA.h"

#include <string>
#include <vector>

class IEngine;

class k_World : public IWorld
{
public:
    k_World(IEngine* engine, std::string name);
    ~k_World() override = default;

    std::string GetName() override;
    void Build() override;
    void Update() override;
    void OnRenderStage(int stage) override;
    void SetEnabled(bool enabled) override;
    bool IsEnabled() override;
    void SetUpdated(bool updated) override;
    bool IsUpdated() override;
    void AddRenderable(IRenderable* node) override;
    void RemoveRenderable(IRenderable* node) override;
    std::vector<IRenderable*>* GetRenderables() override;
    void AddLight(ILight* light) override;
    std::vector<ILight*> GetLights() override;
    void SetCamera(ICamera* camera) override;
    ICamera* GetCamera() override;
    void SetRenderTarget(IRenderTarget* target) override;
    IRenderTarget* GetRenderTarget() override;
    void SetClearFlags(int flags) override;
    int GetClearFlags() override;
    void SetLinkedWorld(IWorld* world) override;
    IWorld* GetLinkedWorld() override;
    void SetClearColour(const k_VectorUA& colour) override;
    const k_VectorUA* GetClearColour() override;
    void SetClearDepth(float depth) override;
    float GetClearDepth() override;
    void Clear() override;

protected:
    IEngine* m_engine;
    k_VectorUA m_clearColour{0.0f, 0.0f, 0.0f, 0.0f};
    float m_clearDepth = 1.0f;
    std::string m_name;
    ICamera* m_camera = nullptr;
    bool m_enabled = true;
    bool m_updated = true;
    std::vector<IRenderable*> m_renderables;
    std::vector<ILight*> m_lights;
    IRenderTarget* m_renderTarget = nullptr;
    int m_clearFlags = IRenderTarget::k_ClearEverything;
    IWorld* m_linkedWorld = nullptr;
};
