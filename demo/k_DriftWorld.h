#pragma once
// A feedback effect: what the world's nodes draw into its render target is,
// frame after frame, carried along and smeared by "Drift/ProcessDrift.mat"
// (run twice a frame, ping-ponging through an auxiliary target of the same
// size and format) and shown over the picture by "Drift/ShowDrift.mat". A
// node is drawn into the target only in the first frame after it was made
// visible: at the end of every frame the world hides all its nodes. The
// sync track "drift:strength" scales what is shown (1 as drawn) where keyed.
#include "engine/k_SyncValue.h"
#include "interfaces/IRewindable.h"
#include "scene/k_World.h"

class IMaterial;
class IMeshBuffer;
class IRenderTarget;
class ITexture;
class k_MaterialPass;

class k_DriftWorld : public k_World, public IRewindable
{
public:
    // Names the world "Drift".
    explicit k_DriftWorld(IEngine* engine);

    // Needs the render target given before (else throws "k_DriftWorld: Unable to work without a rendertarget.");
    // registers the "deltatime" callback, loads both materials, makes the quads and the auxiliary target.
    void Build() override;
    // Stage 3: processes the target twice, shows it on the current framebuffer, hides every node.
    void OnRenderStage(int stage) override;
    // Forgets what the feedback holds: the next frame clears the target, as the first frame did.
    void Rewind() override;

    bool IsStarted() const { return m_started; }
    // Whether the picture has held nothing but zero since its first clear (its passes are then left out).
    bool IsEmpty() const { return m_empty; }
    IRenderTarget* GetAuxiliaryTarget() const { return m_auxiliaryTarget; }
    ITexture* GetAuxiliaryTexture() const { return m_auxiliaryTexture; }
    k_MaterialPass* GetProcessPass() const { return m_processPass; }
    k_MaterialPass* GetShowPass() const { return m_showPass; }

private:
    // The process and show passes each draw their own copy of the unit quad, so no display list is
    // recompiled in the frame (switching one quad's material would recompile it twice a frame).
    IMeshBuffer* m_processQuad = nullptr;
    IMeshBuffer* m_showQuad = nullptr;
    IMaterial* m_processMaterial = nullptr;
    k_MaterialPass* m_processPass = nullptr;
    ITexture* m_auxiliaryTexture = nullptr;
    IRenderTarget* m_auxiliaryTarget = nullptr;
    IMaterial* m_showMaterial = nullptr;
    k_MaterialPass* m_showPass = nullptr;
    ITexture* m_worldTexture = nullptr;
    bool m_started = false;
    // The clear flags before the first frame, which keeps the target's colour from then on.
    int m_startClearFlags = 0;
    bool m_empty = true;
    k_SyncValue m_strength;
};
