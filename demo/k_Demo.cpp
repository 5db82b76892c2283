#include "demo/k_Demo.h"

#include "demo/k_AfterWorld.h"
#include "demo/k_DriftWorld.h"
#include "demo/k_PlasmaWorld.h"
#include "demo/k_TerrainWorld.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITexture.h"
#include "interfaces/r_ColourFormat.h"
#include "scene/k_HdrToLdrWorld.h"
#include "scene/k_Renderer.h"

k_Demo::k_Demo(IEngine* engine) : k_Show(engine, GetVocabulary())
{
    // The worlds, in drawing order: each is one step of the loading bar. The plasma overlay (plasma and
    // fades) is enabled for the whole show; the captions are shown in the logo's world.
    AddWorldStep([this] { return MakeTerrain(); });
    AddWorldStep([this] { return MakeHdrChain(); });
    AddWorldStep([this] { return Keep(m_plasmaWorld, std::make_unique<k_PlasmaWorld>(m_engine)); });
    AddWorldStep([this] { return MakeAfterWorld(); });
    AddWorldStep([this] { return MakeDrift(); });
}

k_ShowFile::Vocabulary k_Demo::GetVocabulary()
{
    return {{"landscape-on", "plasma-on"}, {"from-black", "to-white", "from-white", "to-logo"}};
}

// --- the worlds, in drawing order ---

// The landscape, off until its fade from black.
std::unique_ptr<IWorld> k_Demo::MakeTerrain()
{
    auto world = std::make_unique<k_TerrainWorld>(m_engine);
    world->SetEnabled(false);
    m_terrainWorld = world.get();
    return world;
}

// The landscape is drawn into a float target of the screen's size, which the tone map shows.
std::unique_ptr<IWorld> k_Demo::MakeHdrChain()
{
    IGraphics* graphics = m_engine->GetGraphics();
    IRenderTarget* landscapeTarget =
        m_engine->GetResourceFactory()->CreateRenderTarget(graphics->GetWidth(), graphics->GetHeight());
    if (!landscapeTarget)
        throw L"k_Demo: Unable to create the render target of the landscape.";
    ITexture* landscapePicture = landscapeTarget->AddColorTexture(r_ColourFormat::Rgba32F);
    landscapeTarget->Unbind();
    m_terrainWorld->SetRenderTarget(landscapeTarget);
    auto world = std::make_unique<k_HdrToLdrWorld>(m_engine, landscapePicture);
    world->SetEnabled(false);
    // The chain's passes are updated only while its picture is shown (see SetLandscapeEnabled).
    world->SetUpdated(false);
    m_hdrWorld = world.get();
    return world;
}

// The logo, and the world the captions are shown in.
std::unique_ptr<IWorld> k_Demo::MakeAfterWorld()
{
    auto world = std::make_unique<k_AfterWorld>(m_engine);
    world->SetCamera(m_terrainWorld->GetCamera());
    m_afterWorld = world.get();
    return world;
}

// The feedback the greetings dissolve in.
std::unique_ptr<IWorld> k_Demo::MakeDrift()
{
    IRenderTarget* driftTarget =
        m_engine->GetResourceFactory()->CreateRenderTargetWithTexture(512, 512, r_ColourFormat::Rgba32F);
    if (!driftTarget)
        throw L"k_Demo: Unable to create the 512 x 512 render target of the drift world.";
    driftTarget->Unbind();
    auto world = std::make_unique<k_DriftWorld>(m_engine);
    world->SetCamera(m_terrainWorld->GetCamera());
    world->SetRenderTarget(driftTarget);
    m_driftWorld = world.get();
    return world;
}

void k_Demo::ScheduleMade()
{
    const k_ShowFile& show = GetShow();
    auto sectionNamed = [&show](const char* name) -> const k_ShowFile::Section* {
        for (const k_ShowFile::Section& section : show.GetSections())
            if (section.name == name)
                return &section;
        return nullptr;
    };
    const k_ShowFile::Section* breakSection = sectionNamed("greetings");
    const k_ShowFile::Section* logo = sectionNamed("logo");
    if (m_plasmaWorld && breakSection && logo)
        m_plasmaWorld->SetGreetingsBeats(static_cast<float>(show.GetTempoMap().GetBeat(breakSection->start)),
                                         static_cast<float>(show.GetTempoMap().GetBeat(logo->start)));
}

IWorld* k_Demo::GetCaptionWorld() const
{
    return m_afterWorld;
}

IWorld* k_Demo::GetHandOverWorld() const
{
    return m_driftWorld;
}

void k_Demo::AfterBuild()
{
    if (IShaderProgram* program = m_plasmaWorld->GetProgram())
    {
        m_initial.fadeColour = program->GetUniformVector4("fadeColor");
        m_initial.disablePlasma = program->GetUniformInt("disablePlasma");
    }
    if (IShaderProgram* logo = m_afterWorld->GetLogoProgram())
        m_initial.logoAlpha = logo->GetUniformFloat("alpha");
    DrawLandscapeOnce();
}

// The driver compiles a shader's draw code for each state it is first drawn in, and a mesh compiles its
// display lists at its first draw: the landscape and its tone map, off until 27 s, are drawn once here,
// behind the loading bar, so that the frame they first appear in does not stall. What the draw leaves is
// undone: the landscape picture is cleared back to black and the HDR chain updated once more, so the
// chain's first frames read an empty picture and keep no adapted luminance, as if nothing had been drawn,
// and both worlds stay off.
void k_Demo::DrawLandscapeOnce()
{
    auto* renderer = dynamic_cast<k_Renderer*>(m_engine->GetRenderer());
    IRenderTarget* target = m_terrainWorld ? m_terrainWorld->GetRenderTarget() : nullptr;
    if (renderer == nullptr || target == nullptr || !m_hdrWorld)
        return;
    IWorld* current = renderer->GetCurrentWorld();
    BeginFrame();
    // The chain's update gives the tone map its textures; it reads the empty picture.
    m_hdrWorld->Update();
    m_terrainWorld->Update();
    renderer->DrawWorld(m_terrainWorld);
    renderer->DrawWorld(m_hdrWorld);

    m_terrainWorld->SetClearColour(k_VectorUA(0.0f, 0.0f, 0.0f, 0.0f));
    renderer->SetCurrentWorld(m_terrainWorld);
    target->Bind(IRenderTarget::k_ClearEverything);
    target->Unbind();
    // The two adapted-luminance targets change places at every update: a second one puts them back.
    m_hdrWorld->Update();
    renderer->SetCurrentWorld(current);
}

// --- schedule ---

// The HDR chain is updated while the landscape is shown and frozen while it is off: its luminance, adaption
// and glow are seen only through its tone map, so updating them outside 27 - 76.6 s would cost a third of
// every other frame for nothing. Before 27 s the chain would only have measured the empty landscape picture,
// which leaves no adapted luminance, so the landscape's first frame finds the chain as it would have.
void k_Demo::SetLandscapeEnabled(bool enabled)
{
    if (m_terrainWorld)
        m_terrainWorld->SetEnabled(enabled);
    if (m_hdrWorld)
    {
        m_hdrWorld->SetEnabled(enabled);
        m_hdrWorld->SetUpdated(enabled);
    }
}

void k_Demo::SetFadeColour(float r, float g, float b, float a)
{
    if (IShaderProgram* program = m_plasmaWorld ? m_plasmaWorld->GetProgram() : nullptr)
    {
        const float colour[4] = {r, g, b, a};
        program->SetUniformVector("fadeColor", colour, 4);
    }
}

void k_Demo::Switch(const std::string& name)
{
    if (name == "landscape-on")
    {
        SetLandscapeEnabled(true);
    }
    else if (name == "plasma-on")
    {
        if (IShaderProgram* program = m_plasmaWorld ? m_plasmaWorld->GetProgram() : nullptr)
            program->SetUniformInt("disablePlasma", 0);
        SetLandscapeEnabled(false);
    }
}

void k_Demo::Fade(const std::string& name, double progress)
{
    const float p = static_cast<float>(progress);
    if (name == "from-black")
        SetFadeColour(0.0f, 0.0f, 0.0f, 1.0f - p);
    else if (name == "to-white")
        SetFadeColour(1.0f, 1.0f, 1.0f, p);
    else if (name == "from-white")
        SetFadeColour(1.0f, 1.0f, 1.0f, 1.0f - p);
    else if (name == "to-logo")
    {
        if (IShaderProgram* logo = m_afterWorld ? m_afterWorld->GetLogoProgram() : nullptr)
            logo->SetUniformFloat("alpha", p);
        SetFadeColour(0.0f, 0.0f, 0.0f, p);
    }
}

void k_Demo::RewindShow()
{
    SetLandscapeEnabled(false);
    const std::array<float, 4>& fade = m_initial.fadeColour;
    SetFadeColour(fade[0], fade[1], fade[2], fade[3]);
    if (IShaderProgram* program = m_plasmaWorld ? m_plasmaWorld->GetProgram() : nullptr)
        program->SetUniformInt("disablePlasma", m_initial.disablePlasma);
    if (IShaderProgram* logo = m_afterWorld ? m_afterWorld->GetLogoProgram() : nullptr)
        logo->SetUniformFloat("alpha", m_initial.logoAlpha);
}
