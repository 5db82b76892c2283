#include "scene/k_HdrToLdrWorld.h"

#include "engine/k_Log.h"
#include "graphics/k_DeltaTimeShaderCallback.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_PassTimer.h"
#include "interfaces/IEngine.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITexture.h"
#include "interfaces/ITimeline.h"
#include "interfaces/r_ColourFormat.h"
#include "interfaces/r_PrimitiveTopology.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <cstdint>
#include <utility>

namespace
{

// The unit square at depth 0.5, texture coordinates matching the corners.
constexpr float k_QuadVertices[] = {
    1.0f, 1.0f, 0.5f, 1.0f, 1.0f, //
    1.0f, 0.0f, 0.5f, 1.0f, 0.0f, //
    0.0f, 0.0f, 0.5f, 0.0f, 0.0f, //
    0.0f, 1.0f, 0.5f, 0.0f, 1.0f, //
};
constexpr uint32_t k_QuadIndices[] = {0, 1, 2, 3};

void Fill(k_MaterialPass* pass, int unit, ITexture* texture)
{
    if (pass != nullptr)
        pass->SetTexture(unit, texture);
}
} // namespace

k_HdrToLdrWorld::k_HdrToLdrWorld(IEngine* engine, ITexture* source) : k_World(engine, "Hdr"), m_source(source) {}

// --- building ---

void k_HdrToLdrWorld::Build()
{
    if (m_source == nullptr)
        throw L"HDR: there is no source picture to tone-map.";
    const int size = std::min(m_source->GetWidth(), m_source->GetHeight());
    if (size < 8)
        throw L"HDR: the source picture is smaller than 8 pixels; it cannot be averaged.";
    IResourceFactory* factory = m_engine->GetResourceFactory();

    // Shaders may read the frame's duration as "deltatime"; the first world to ask registers the callback.
    auto* callback = new k_DeltaTimeShaderCallback(m_engine);
    if (!factory->RegisterShaderCallback(callback))
        delete callback;

    ICamera* camera = factory->CreateCamera();
    if (camera == nullptr)
        throw L"HDR: the camera could not be made.";
    SetCamera(camera);

    m_toneMapPass =
        LoadPass(L"Hdr/HdrToLdr.mat", m_toneMapMaterial, L"HDR: the material Hdr/HdrToLdr.mat could not be made.");
    Fill(m_toneMapPass, 0, m_source);
    if (m_toneMapPass != nullptr && m_toneMapPass->program != nullptr)
        m_toneMapPass->program->SetUniformFloat("Exposure", m_exposure);
    m_toneMapQuad = MakeQuad(m_toneMapMaterial);
    AddRenderable(m_toneMapQuad);

    m_luminancePass =
        LoadPass(L"Hdr/Luminance.mat", m_luminanceMaterial, L"HDR: the material Hdr/Luminance.mat could not be made.");
    m_adaptionPass = LoadPass(L"Hdr/LuminanceAdaption.mat", m_adaptionMaterial,
                              L"HDR: the material Hdr/LuminanceAdaption.mat could not be made.");
    m_luminanceQuad = MakeQuad(m_luminanceMaterial);
    m_adaptionQuad = MakeQuad(m_adaptionMaterial);

    // Each level a quarter of the one before, down to one pixel; the first is a sixteenth of the source.
    int level = size / 4;
    while (level > 1)
    {
        level = std::max(level / 4, 1);
        m_luminanceChain.push_back(MakeLevel(level, L"HDR: a luminance render target could not be made."));
    }

    m_adaptedA = MakeLevel(1, L"HDR: an adapted-luminance render target could not be made.");
    m_adaptedB = MakeLevel(1, L"HDR: an adapted-luminance render target could not be made.");

    for (int i = 0, blurSize = size; i < 3; ++i, blurSize /= 2)
        m_blurChain.push_back(MakeLevel(blurSize, L"HDR: a glow render target could not be made."));

    m_blurPass = LoadPass(L"Common/Blur.mat", m_blurMaterial, L"HDR: the material Common/Blur.mat could not be made.");
    m_glowPass = LoadPass(L"Hdr/Glow.mat", m_glowMaterial, L"HDR: the material Hdr/Glow.mat could not be made.");
    m_blurQuad = MakeQuad(m_blurMaterial);
    m_glowQuad = MakeQuad(m_glowMaterial);
    if (m_glowPass != nullptr && m_glowPass->program != nullptr)
    {
        m_glowPass->program->SetUniformFloat("Exposure", m_exposure);
        m_glowPass->program->SetUniformFloat("GlowStrength", m_glowStrength);
    }
    m_exposureTrack = k_SyncValue(m_engine, "hdr:exposure");
    m_built = true;
}

k_MaterialPass* k_HdrToLdrWorld::LoadPass(const wchar_t* fileName, IMaterial*& material, const wchar_t* failure)
{
    material = m_engine->GetResourceFactory()->CreateMaterial(fileName, fileName);
    if (material == nullptr)
        throw failure;
    k_MaterialPass* pass = material->FindPass(this);
    if (pass == nullptr)
        k_Log(k_Log::Colour::Error) << "HDR: " << fileName << " has no pass for this world; its step is left out.";
    return pass;
}

IRenderable* k_HdrToLdrWorld::MakeQuad(IMaterial* material)
{
    IMeshBuffer* mesh = m_engine->GetResourceFactory()->CreateMeshBuffer();
    auto* node = dynamic_cast<IRenderable*>(mesh);
    if (node == nullptr)
        throw L"HDR: the screen quad mesh could not be made.";
    mesh->SetPrimitiveTopology(r_PrimitiveTopology(r_PrimitiveTopology::Quad));
    mesh->SetMaterial(material);
    mesh->SetVertices(k_QuadVertices, 4, {r_VertexElement::Position3, r_VertexElement::TexCoord2}, GL_STATIC_DRAW,
                      true);
    mesh->SetIndices(k_QuadIndices, 4, GL_STATIC_DRAW, true);
    return node;
}

k_HdrToLdrWorld::Level k_HdrToLdrWorld::MakeLevel(int size, const wchar_t* failure)
{
    Level level;
    level.target = m_engine->GetResourceFactory()->CreateRenderTarget(size, size);
    if (level.target == nullptr)
        throw failure;
    level.texture = level.target->AddColorTexture(r_ColourFormat::Rgb32F);
    if (level.texture == nullptr)
        throw failure;
    return level;
}

// --- every frame ---

void k_HdrToLdrWorld::DrawInto(const Level& level, IRenderable* quad)
{
    level.target->Bind(IRenderTarget::k_ClearEverything);
    quad->Render();
    level.target->Unbind();
}

void k_HdrToLdrWorld::SetAdaptSeconds(double seconds, bool evenly)
{
    if (m_adaptionPass->program == nullptr)
        return;
    m_adaptionPass->program->SetUniformFloat("adaptSeconds", static_cast<float>(seconds));
    m_adaptionPass->program->SetUniformFloat("adaptEvenly", evenly ? 1.0f : 0.0f);
}

void k_HdrToLdrWorld::ClearLevel(const Level& level)
{
    level.target->Bind(IRenderTarget::k_ClearEverything);
    level.target->Unbind();
}

void k_HdrToLdrWorld::Rewind()
{
    m_forgetAdaption = true;
}

// The steps run on the source as the previous frame left it; the tone map drawn later this frame reads
// the source as it stands then. The glow reads A before this frame's adaption overwrites it.
void k_HdrToLdrWorld::Update()
{
    // A build that stopped part-way (it threw) may leave the world listed with some chains empty.
    if (!m_built)
        return;
    m_engine->GetRenderer()->SetCurrentWorld(this);
    const auto exposure = static_cast<float>(m_exposureTrack.Now(m_exposure));
    for (k_MaterialPass* pass : {m_toneMapPass, m_glowPass})
        if (pass != nullptr && pass->program != nullptr)
            pass->program->SetUniformFloat("Exposure", exposure);
    // The first frame after a rewind reads the picture drawn before it (another time of the show): its
    // light is not measured, so the adaption starts from the first picture of the new time, as a play
    // from the start meets its first picture.
    const bool staleSource = m_forgetAdaption;
    if (m_forgetAdaption)
    {
        // Cleared to the world's clear colour, black: green 0 marks the level as not yet valid.
        for (const Level* level : {&m_adaptedA, &m_adaptedB})
            if (level->target != nullptr)
                ClearLevel(*level);
        m_forgetAdaption = false;
        m_adaptSeconds = 0.0;
    }
    // The light is measured on the picture the previous frame drew. A warm-up frame may leave the picture
    // as it was (IRenderer::RedrawsTargets): nothing new to measure, so the adaption waits and then steps
    // over all the time since it last stepped, at the rate it would have moved at frame by frame. A single
    // frame counts for at most half a second, so a stall in play does not jump the eye to the new light.
    IRenderer* renderer = m_engine->GetRenderer();
    m_adaptSeconds += std::clamp(m_engine->GetTimeline()->GetDemoDeltaTime(), 0.0, 0.5);
    const bool measure = !staleSource && m_sourceDrawn;
    if (!measure && !staleSource)
        m_caughtUp = true;
    m_sourceDrawn = renderer == nullptr || renderer->RedrawsTargets();

    if (m_luminancePass != nullptr && measure)
    {
        const k_PassTimer timer("luminance");
        for (size_t i = 0; i < m_luminanceChain.size(); ++i)
        {
            Fill(m_luminancePass, 0, i == 0 ? m_source : m_luminanceChain[i - 1].texture);
            DrawInto(m_luminanceChain[i], m_luminanceQuad);
        }
    }

    // The glow, its blur and the tone map make only this frame's picture: a warm-up frame, which nobody sees,
    // leaves them out (the luminance and the adaption are the state a later frame reads).
    const bool seen = renderer == nullptr || !renderer->IsWarmingUp();
    if (m_toneMapQuad != nullptr)
        m_toneMapQuad->SetVisible(seen);
    // The glow reads the adapted value written before this frame's: a frame back when every frame measures,
    // but all the skipped time back after a warm-up that skipped. A step over skipped time therefore goes
    // first, and leaves its value in both levels.
    const bool catchUp = measure && m_caughtUp;
    if (catchUp)
        Adapt(true);
    Fill(m_glowPass, 0, m_source);
    Fill(m_glowPass, 1, m_adaptedA.texture);
    if (m_glowPass != nullptr && seen)
    {
        const k_PassTimer timer("glow");
        DrawInto(m_blurChain[0], m_glowQuad);
    }

    if (m_blurPass != nullptr && seen)
    {
        const k_PassTimer timer("blur");
        for (size_t i = 1; i < m_blurChain.size(); ++i)
        {
            Fill(m_blurPass, 0, m_blurChain[i - 1].texture);
            DrawInto(m_blurChain[i], m_blurQuad);
        }
    }
    Fill(m_toneMapPass, 2, m_blurChain.back().texture);

    if (!measure)
    {
        // B holds the last value written.
        Fill(m_toneMapPass, 1, m_adaptedB.texture);
        return;
    }
    if (!catchUp)
        Adapt(false);
    Fill(m_toneMapPass, 1, m_adaptedA.texture);
    std::swap(m_adaptedA, m_adaptedB);
}

void k_HdrToLdrWorld::Adapt(bool catchUp)
{
    Fill(m_adaptionPass, 0, m_adaptedB.texture);
    Fill(m_adaptionPass, 2, m_luminanceChain.back().texture);
    if (m_adaptionPass != nullptr)
    {
        const k_PassTimer timer("adaption");
        SetAdaptSeconds(m_adaptSeconds, catchUp);
        DrawInto(m_adaptedA, m_adaptionQuad);
        if (catchUp)
        {
            // B from A by the same pass, moving by nothing.
            Fill(m_adaptionPass, 0, m_adaptedA.texture);
            SetAdaptSeconds(0.0, false);
            DrawInto(m_adaptedB, m_adaptionQuad);
        }
    }
    m_caughtUp = false;
    m_adaptSeconds = 0.0;
}
