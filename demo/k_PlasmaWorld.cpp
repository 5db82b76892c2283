#include "demo/k_PlasmaWorld.h"

#include "demo/k_UnitQuad.h"
#include "graphics/k_MaterialPass.h"
#include "interfaces/IEngine.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/r_RenderStage.h"

namespace
{
enum Track : size_t
{
    FadeRed,
    FadeAlpha = FadeRed + 3,
    Speed,
    Turn,
    Heat,
};
} // namespace

const std::array<const char*, 7> k_PlasmaWorld::TrackNames = {"fade:r",       "fade:g",      "fade:b",     "fade:a",
                                                              "plasma:speed", "plasma:turn", "plasma:heat"};

k_PlasmaWorld::k_PlasmaWorld(IEngine* engine) : k_World(engine, "Plasma") {}

void k_PlasmaWorld::Build()
{
    IResourceFactory* factory = m_engine->GetResourceFactory();
    for (size_t i = 0; i < m_tracks.size(); ++i)
        m_tracks[i] = k_SyncValue(m_engine, TrackNames[i]);
    if (!m_camera)
        SetCamera(factory->CreateCamera());
    m_material = factory->CreateMaterial(L"Plasma.mat", L"Plasma.mat");
    if (!m_material)
        throw L"k_PlasmaWorld: Unable to create the material Plasma.mat.";
    m_pass = m_material->FindPass(this);
    if (!m_pass || !m_pass->program)
        throw L"k_PlasmaWorld: Plasma.mat has no shader pass for the plasma world.";
    const float fade[4] = {0.0f, 0.0f, 0.0f, 0.5f};
    m_pass->program->SetUniformVector("fadeColor", fade, 4);
    m_pass->program->SetUniformInt("disablePlasma", 1);
    SetGreetingsBeats(DefaultBreakBeat, DefaultEndBeat);
    m_quad = factory->CreateMeshBuffer();
    if (!m_quad)
        throw L"k_PlasmaWorld: Unable to create the overlay quad.";
    k_UnitQuad::Fill(m_quad, m_material);
}

void k_PlasmaWorld::OnRenderStage(int stage)
{
    if (stage != r_RenderStage::AfterNodes || !m_quad)
        return;
    IShaderProgram* program = m_pass ? m_pass->program : nullptr;
    if (program == nullptr)
    {
        dynamic_cast<IRenderable*>(m_quad)->Render();
        return;
    }
    // The show's fade colour, with the channels keyed on their tracks taken over for this frame only: the
    // show's own value stays in the program for when the keys are gone.
    const std::array<float, 4> showFade = program->GetUniformVector4("fadeColor");
    std::array<float, 4> fade = showFade;
    for (size_t channel = 0; channel < 4; ++channel)
        fade[channel] = static_cast<float>(m_tracks[FadeRed + channel].Now(fade[channel]));
    // With the plasma off and a fade colour of alpha 0 the quad blends nothing over the picture (source
    // times 0 plus destination times 1): it is left out, and with it a full-screen shader that the software
    // renderer would run whole for every pixel (the landscape shows through it from 36.7 to 71.8 s).
    if (program->GetUniformInt("disablePlasma") != 0 && fade[3] == 0.0f)
        return;
    program->SetUniformFloat("plasmaTime", static_cast<float>(m_tracks[Speed].IntegralNow(1.0)));
    program->SetUniformFloat("plasmaTurn", static_cast<float>(m_tracks[Turn].Now(0.0)));
    program->SetUniformFloat("plasmaHeat", static_cast<float>(m_tracks[Heat].Now(-1.0)));
    if (fade != showFade)
        program->SetUniformVector("fadeColor", fade.data(), 4);
    dynamic_cast<IRenderable*>(m_quad)->Render();
    if (fade != showFade)
        program->SetUniformVector("fadeColor", showFade.data(), 4);
}

void k_PlasmaWorld::Clear() {}

IShaderProgram* k_PlasmaWorld::GetProgram() const
{
    return m_pass ? m_pass->program : nullptr;
}

void k_PlasmaWorld::SetGreetingsBeats(float breakBeat, float endBeat)
{
    const float beats[2] = {breakBeat, endBeat};
    if (IShaderProgram* program = GetProgram())
        program->SetUniformVector("greetingsBeats", beats, 2);
}
