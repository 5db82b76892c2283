#pragma once
// The HDR to LDR post-process world "Hdr": turns a float picture (the source
// texture, drawn by another world) into display colour. Each frame's Update
// averages the source's log luminance down a chain of square float targets
// to 1 x 1, lets the adapted luminance follow it over time (two 1 x 1
// targets that swap every frame), extracts and blurs the bright parts into a
// glow; the world itself then draws one quad that tone-maps the source with
// the adapted luminance and adds the glow. The materials are "Hdr/HdrToLdr.mat",
// "Hdr/Luminance.mat", "Hdr/LuminanceAdaption.mat", "Hdr/Glow.mat" and
// "Common/Blur.mat"; texture units and uniforms are listed in Build and Update.
#include "engine/k_SyncValue.h"
#include "interfaces/IRewindable.h"
#include "scene/k_World.h"

#include <vector>

class IMaterial;
class IRenderable;
class IRenderTarget;
class ITexture;
class k_MaterialPass;

class k_HdrToLdrWorld : public k_World, public IRewindable
{
public:
    // A float texture with its render target: one level of a chain.
    struct Level
    {
        ITexture* texture = nullptr;
        IRenderTarget* target = nullptr;
    };

    // The source texture is not owned; it must be at least 8 pixels each way.
    k_HdrToLdrWorld(IEngine* engine, ITexture* source);

    // Makes the camera, the five materials, the quads and every target; throws a wide message naming
    // anything the resource factory could not make. A material without a pass for this world only
    // drops its step (logged).
    void Build() override;
    // Runs the luminance, glow, blur and adaption passes into their targets and points the tone map
    // at this frame's results; the adapted-luminance pair swaps at the end.
    void Update() override;
    // Forgets the adapted luminance: the next Update clears both levels (invalid), so the first picture
    // drawn after it is met at once, as at the start of the show.
    void Rewind() override;

    const std::vector<Level>& GetLuminanceChain() const { return m_luminanceChain; }
    const std::vector<Level>& GetBlurChain() const { return m_blurChain; }
    // The adapted-luminance level written by the last Update is B after the swap.
    const Level& GetAdaptedA() const { return m_adaptedA; }
    const Level& GetAdaptedB() const { return m_adaptedB; }
    k_MaterialPass* GetToneMapPass() const { return m_toneMapPass; }
    float GetExposure() const { return m_exposure; }
    float GetGlowStrength() const { return m_glowStrength; }

private:
    // The material by file name (the name is also its cache name) and its pass for this world.
    k_MaterialPass* LoadPass(const wchar_t* fileName, IMaterial*& material, const wchar_t* failure);
    // A unit-square quad drawn with the material, built once; each step has its own, so the frame never
    // recompiles display lists.
    IRenderable* MakeQuad(IMaterial* material);
    Level MakeLevel(int size, const wchar_t* failure);
    // Binds the target (all attachments, clear colour and depth), draws the quad, unbinds.
    void DrawInto(const Level& level, IRenderable* quad);
    // Clears a level to black (green 0: no valid value yet).
    static void ClearLevel(const Level& level);
    // The seconds the adaption pass moves the adapted value over, and whether the light is taken to have
    // moved evenly from the last average measured (after frames that measured nothing) or to have held.
    void SetAdaptSeconds(double seconds, bool evenly);
    // Moves the adapted value (B) over the seconds gone by towards the measured light, into A. A catch-up
    // after frames that measured nothing writes B too, and takes the light as moving evenly meanwhile.
    void Adapt(bool catchUp);

    ITexture* m_source;
    IMaterial* m_toneMapMaterial = nullptr;
    k_MaterialPass* m_toneMapPass = nullptr;
    IRenderable* m_toneMapQuad = nullptr;
    IMaterial* m_luminanceMaterial = nullptr;
    k_MaterialPass* m_luminancePass = nullptr;
    IRenderable* m_luminanceQuad = nullptr;
    std::vector<Level> m_luminanceChain;
    IMaterial* m_adaptionMaterial = nullptr;
    k_MaterialPass* m_adaptionPass = nullptr;
    IRenderable* m_adaptionQuad = nullptr;
    Level m_adaptedA;
    Level m_adaptedB;
    IMaterial* m_glowMaterial = nullptr;
    k_MaterialPass* m_glowPass = nullptr;
    IRenderable* m_glowQuad = nullptr;
    IMaterial* m_blurMaterial = nullptr;
    k_MaterialPass* m_blurPass = nullptr;
    IRenderable* m_blurQuad = nullptr;
    std::vector<Level> m_blurChain;
    float m_exposure = 1.0f;
    // "hdr:exposure": the exposure by hand where the track has keys.
    k_SyncValue m_exposureTrack;
    float m_glowStrength = 0.25f;
    bool m_built = false; // Build ran to its end
    bool m_forgetAdaption = false;
    // Whether the previous frame drew the source picture anew (every frame but some warm-up frames).
    bool m_sourceDrawn = true;
    // Seconds since the adaption last stepped, each frame's at most 0.5.
    double m_adaptSeconds = 0.0;
    // Whether frames went by without a measure since the adaption last stepped.
    bool m_caughtUp = false;
};
