#pragma once
// A scene drawn by the renderer: named top-level nodes, one camera, lights,
// an optional render target, clear settings, enabled/updated switches and an
// optional linked world whose shared nodes are drawn into this one first.
// Scenes derive from k_World and override Build, Update, OnRenderStage and
// Clear. A world holds plain pointers; it owns none of them.
#include <string>
#include <vector>

struct k_VectorUA;
class IRenderable;
class ILight;
class ICamera;
class IRenderTarget;

class IWorld
{
public:
    virtual ~IWorld() = default;

    // Returns a copy of the world's name (materials pick their pass by it).
    virtual std::string GetName() = 0;
    // Builds the scene; called once by the engine when the world is added.
    virtual void Build() = 0;
    // Per-frame work; called once per timeline advance while the updated flag is set.
    virtual void Update() = 0;
    // Called by the renderer at each r_RenderStage while it draws this world.
    virtual void OnRenderStage(int stage) = 0;
    // Sets whether the renderer draws the world.
    virtual void SetEnabled(bool enabled) = 0;
    // Returns whether the renderer draws the world.
    virtual bool IsEnabled() = 0;
    // Sets whether the world's Update runs each frame.
    virtual void SetUpdated(bool updated) = 0;
    // Returns whether the world's Update runs each frame.
    virtual bool IsUpdated() = 0;
    // Gives the node this world, then appends it to the top-level nodes.
    virtual void AddRenderable(IRenderable* node) = 0;
    // Clears the node's world (always), then erases its first occurrence.
    virtual void RemoveRenderable(IRenderable* node) = 0;
    // Returns the world's own top-level node list.
    virtual std::vector<IRenderable*>* GetRenderables() = 0;
    // Appends a light (not owned).
    virtual void AddLight(ILight* light) = 0;
    // Returns a copy of the light list.
    virtual std::vector<ILight*> GetLights() = 0;
    // Sets the camera (not owned; null keeps the previous world's matrices).
    virtual void SetCamera(ICamera* camera) = 0;
    // Returns the camera, or null.
    virtual ICamera* GetCamera() = 0;
    // Sets the render target drawn into (null = the window).
    virtual void SetRenderTarget(IRenderTarget* target) = 0;
    // Returns the render target, or null.
    virtual IRenderTarget* GetRenderTarget() = 0;
    // Sets the flags the render target is bound with (0x001 depth, 0x002 colour, 0x100 all attachments...).
    virtual void SetClearFlags(int flags) = 0;
    // Returns the render target bind flags (259 by default).
    virtual int GetClearFlags() = 0;
    // Sets the world whose shared nodes are drawn into this one before its own.
    virtual void SetLinkedWorld(IWorld* world) = 0;
    // Returns the linked world, or null.
    virtual IWorld* GetLinkedWorld() = 0;
    // Sets the clear colour (r, g, b, a).
    virtual void SetClearColour(const k_VectorUA& colour) = 0;
    // Returns the clear colour.
    virtual const k_VectorUA* GetClearColour() = 0;
    // Sets the clear depth.
    virtual void SetClearDepth(float depth) = 0;
    // Returns the clear depth.
    virtual float GetClearDepth() = 0;
    // Clears the window's colour and depth with the world's clear values (scenes may do nothing).
    virtual void Clear() = 0;
};
