#include "demo/k_Demo.h"

#include "demo/k_AfterWorld.h"
#include "demo/k_DriftWorld.h"
#include "demo/k_PlasmaWorld.h"
#include "demo/k_TerrainWorld.h"
#include "demo/k_TextEvent.h"
#include "interfaces/IAnimationManager.h"
#include "interfaces/ICamera.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITexture.h"
#include "interfaces/IWindow.h"
#include "interfaces/r_ColourFormat.h"
#include "scene/k_HdrToLdrWorld.h"
#include "scene/k_Renderer.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <iterator>
#include <string>

namespace
{
// One caption of the show: image, start and length in seconds of demo time, fade-in and fade-out.
struct Caption
{
    const wchar_t* image;
    double start;
    double duration;
    k_TextEvent::Fade fadeIn;
    k_TextEvent::Fade fadeOut;
};

// How the captions come and go: the kind of fade and its seconds.
constexpr k_TextEvent::Fade k_Slide{k_TextEvent::k_FadeSlide, 3.0f};
constexpr k_TextEvent::Fade k_LongSlide{k_TextEvent::k_FadeSlide, 10.0f};
constexpr k_TextEvent::Fade k_SlideOut{k_TextEvent::k_FadeSlideOut, 3.0f};
constexpr k_TextEvent::Fade k_QuickIn{k_TextEvent::k_FadeAlpha, 0.5f};
constexpr k_TextEvent::Fade k_QuickOut{k_TextEvent::k_FadeAlpha, 0.25f};
constexpr k_TextEvent::Fade k_SnapIn{k_TextEvent::k_FadeAlpha, 0.25f};
constexpr k_TextEvent::Fade k_SlowAlpha{k_TextEvent::k_FadeAlpha, 2.0f};
// Going out, kind "slide" hands the caption over to the drift world for its last seconds.
constexpr k_TextEvent::Fade k_HandOver{k_TextEvent::k_FadeSlide, 0.1f};
constexpr k_TextEvent::Fade k_SlowHandOver{k_TextEvent::k_FadeSlide, 3.0f};
// Render-target flags: every attachment, colour and depth cleared.
constexpr int k_ClearEverything = 0x103;

// The 34 captions in the order they are made.
const Caption k_Captions[] = {
    {L"time.png", 0, 10, k_Slide, k_SlideOut},
    {L"it-is-time.png", 8, 10, k_Slide, k_SlideOut},
    {L"whattime1.png", 10, 2, k_QuickIn, k_QuickOut},
    {L"whattime2.png", 11.5, 2, k_QuickIn, k_QuickOut},
    {L"whattime3.png", 13, 2, k_QuickIn, k_QuickOut},
    {L"whattime4.png", 14.5, 2, k_QuickIn, k_QuickOut},
    {L"married.png", 18, 10, k_Slide, k_SlideOut},
    {L"married2.png", 25, 5, k_SlowAlpha, k_SlowAlpha},
    {L"corin.png", 30, 15, k_LongSlide, k_SlowHandOver},
    {L"goodbye.png", 45, 30, k_LongSlide, k_SlowHandOver},
    {L"gratitude.png", 76, 4, k_QuickIn, k_QuickOut},
    {L"Thanks/orm.png", 80, 13, k_Slide, k_SlideOut},
    {L"Thanks/tz.png", 91, 13, k_Slide, k_SlideOut},
    {L"Thanks/wendel.png", 102, 14, k_Slide, k_SlideOut},
    {L"Thanks/ux.png", 114, 13, k_Slide, k_SlideOut},
    {L"Thanks/brannock.png", 125, 12, k_Slide, k_SlideOut},
    {L"adore.png", 137, 4, k_QuickIn, k_QuickOut},
    {L"greet1.png", 141, 1.5, k_SnapIn, k_HandOver},
    {L"greet2.png", 143, 1.5, k_SnapIn, k_HandOver},
    {L"greet3.png", 145, 1.5, k_SnapIn, k_HandOver},
    {L"greet4.png", 147, 1.5, k_SnapIn, k_HandOver},
    {L"greet5.png", 149, 1.5, k_SnapIn, k_HandOver},
    {L"greet6.png", 151, 1.5, k_SnapIn, k_HandOver},
    {L"greet7.png", 153, 1.5, k_SnapIn, k_HandOver},
    {L"greet8.png", 155, 1.5, k_SnapIn, k_HandOver},
    {L"greet9.png", 157, 1.5, k_SnapIn, k_HandOver},
    {L"greet10.png", 159, 1.5, k_SnapIn, k_HandOver},
    {L"greet11.png", 161, 1.5, k_SnapIn, k_HandOver},
    {L"greet12.png", 163, 1.5, k_SnapIn, k_HandOver},
    {L"greet13.png", 165, 1.5, k_SnapIn, k_HandOver},
    {L"greet14.png", 167, 1.5, k_SnapIn, k_HandOver},
    {L"function.png", 170, 4, k_SlowAlpha, k_SlowAlpha},
    {L"were-not-dead.png", 175, 10, k_SnapIn, k_HandOver},
    {L"corin-says.png", 185, 1000, k_SnapIn, k_HandOver},
};
static_assert(std::size(k_Captions) == 34);

// The show's own schedule, registered among the captions: an event (start == end) or an animation.
struct Scheduled
{
    double start;
    double end;
    int code;
    bool event;
};
// Landscape on and its fade from black, the fade to white, plasma on, the fade from white.
// Each fade but the one to white (the fade from white starts where it ends) has an event at its end that
// sets its last value.
constexpr Scheduled k_LandscapeSchedule[] = {
    {27.0, 27.0, k_Demo::k_LandscapeOn, true},
    {27.0, 36.7, k_Demo::k_FadeFromBlack, false},
    {36.7, 36.7, k_Demo::FadeOver + k_Demo::k_FadeFromBlack, true},
    {71.8, 76.6, k_Demo::k_FadeToWhite, false},
    {76.6, 76.6, k_Demo::k_PlasmaOn, true},
    {76.6, 78.0, k_Demo::k_FadeFromWhite, false},
    {78.0, 78.0, k_Demo::FadeOver + k_Demo::k_FadeFromWhite, true},
};
// The logo in, the picture to black.
constexpr Scheduled k_LogoSchedule[] = {{169.0, 175.0, k_Demo::k_FadeToLogo, false},
                                        {175.0, 175.0, k_Demo::FadeOver + k_Demo::k_FadeToLogo, true}};

template <size_t N> void Register(IAnimationManager* manager, const Scheduled (&schedule)[N], k_Demo* demo)
{
    for (const Scheduled& entry : schedule)
    {
        if (entry.event)
            manager->AddEvent(entry.start, demo, entry.code);
        else
            manager->AddAnimation(entry.start, entry.end, demo, entry.code);
    }
}
} // namespace

k_Demo::k_Demo(IEngine* engine) : m_engine(engine) {}

k_Demo::~k_Demo()
{
    // The captions first: each takes its node out of the world it is shown in. The worlds follow as members.
    for (auto event = m_events.rbegin(); event != m_events.rend(); ++event)
        delete *event;
}

// --- building the show ---

void k_Demo::Progress(int step)
{
    Progress(static_cast<float>(step) / static_cast<float>(k_ProgressSteps));
}

void k_Demo::Progress(float fraction)
{
    m_engine->GetGraphics()->DrawProgressBar(fraction);
    if (IWindow* window = m_engine->GetWindow())
        window->Present();
}

void k_Demo::Build()
{
    IResourceFactory* factory = m_engine->GetResourceFactory();
    IAnimationManager* manager = m_engine->GetAnimationManager();

    // 1. The landscape, off until its fade from black.
    m_terrainWorld = std::make_unique<k_TerrainWorld>(m_engine);
    m_engine->AddWorld(m_terrainWorld.get());
    m_terrainWorld->SetEnabled(false);
    Progress(1);

    // 2. The landscape is drawn into a float target of the screen's size, which the tone map shows.
    IGraphics* graphics = m_engine->GetGraphics();
    IRenderTarget* landscapeTarget = factory->CreateRenderTarget(graphics->GetWidth(), graphics->GetHeight());
    if (!landscapeTarget)
        throw L"k_Demo: Unable to create the render target of the landscape.";
    ITexture* landscapePicture = landscapeTarget->AddColorTexture(r_ColourFormat::Rgba32F);
    m_terrainWorld->SetRenderTarget(landscapeTarget);
    m_hdrWorld = std::make_unique<k_HdrToLdrWorld>(m_engine, landscapePicture);
    m_engine->AddWorld(m_hdrWorld.get());
    m_hdrWorld->SetEnabled(false);
    // The chain's passes are updated only while its picture is shown (see SetLandscapeEnabled).
    m_hdrWorld->SetUpdated(false);
    landscapeTarget->Unbind();
    Progress(2);
    ICamera* camera = m_terrainWorld->GetCamera();

    // 3. The overlay: plasma and fades; enabled for the whole show.
    m_plasmaWorld = std::make_unique<k_PlasmaWorld>(m_engine);
    m_engine->AddWorld(m_plasmaWorld.get());
    Progress(3);

    // 4. The logo, and the world the captions are shown in.
    m_afterWorld = std::make_unique<k_AfterWorld>(m_engine);
    m_afterWorld->SetCamera(camera);
    m_engine->AddWorld(m_afterWorld.get());
    Progress(4);

    // 5. The feedback the greetings dissolve in.
    IRenderTarget* driftTarget = factory->CreateRenderTargetWithTexture(512, 512, r_ColourFormat::Rgba32F);
    if (!driftTarget)
        throw L"k_Demo: Unable to create the 512 x 512 render target of the drift world.";
    m_driftWorld = std::make_unique<k_DriftWorld>(m_engine);
    m_driftWorld->SetCamera(camera);
    m_driftWorld->SetRenderTarget(driftTarget);
    m_engine->AddWorld(m_driftWorld.get());
    driftTarget->Unbind();
    Progress(5);

    // 6, 7. The captions, with the show's own schedule among them.
    int step = 5;
    for (const Caption& caption : k_Captions)
    {
        m_events.push_back(new k_TextEvent(m_afterWorld.get(), m_engine, m_driftWorld.get(), caption.image,
                                           std::string(), k_VectorUA(0.0f, 0.0f, 0.0f, 0.0f), caption.start,
                                           caption.duration, caption.fadeIn, caption.fadeOut));
        ++step;
        if (step == 5 + 11)
            Register(manager, k_LandscapeSchedule, this);
        else if (step == 5 + 31)
            Register(manager, k_LogoSchedule, this);
        if (step < k_ProgressSteps)
            Progress(step);
    }
    if (IShaderProgram* program = m_plasmaWorld->GetProgram())
    {
        m_initial.fadeColour = program->GetUniformVector4("fadeColor");
        m_initial.disablePlasma = program->GetUniformInt("disablePlasma");
    }
    if (IShaderProgram* logo = m_afterWorld->GetLogoProgram())
        m_initial.logoAlpha = logo->GetUniformFloat("alpha");
    DrawLandscapeOnce();
    Progress(1.0f);
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
    renderer->DrawWorld(m_terrainWorld.get());
    renderer->DrawWorld(m_hdrWorld.get());

    m_terrainWorld->SetClearColour(k_VectorUA(0.0f, 0.0f, 0.0f, 0.0f));
    renderer->SetCurrentWorld(m_terrainWorld.get());
    target->Bind(k_ClearEverything);
    target->Unbind();
    // The two adapted-luminance targets change places at every update: a second one puts them back.
    m_hdrWorld->Update();
    renderer->SetCurrentWorld(current);
}

// --- per frame ---

void k_Demo::BeginFrame()
{
    glDepthMask(GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFrontFace(GL_CW);
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

void k_Demo::Trigger(int code)
{
    // The fade to white needs no end of its own: the fade from white starts where it ends.
    if (code == FadeOver + k_FadeFromBlack || code == FadeOver + k_FadeFromWhite || code == FadeOver + k_FadeToLogo)
        Animate(1.0, code - FadeOver);
    else if (code == k_LandscapeOn)
    {
        SetLandscapeEnabled(true);
    }
    else if (code == k_PlasmaOn)
    {
        if (IShaderProgram* program = m_plasmaWorld ? m_plasmaWorld->GetProgram() : nullptr)
            program->SetUniformInt("disablePlasma", 0);
        SetLandscapeEnabled(false);
    }
}

void k_Demo::Rewind()
{
    SetLandscapeEnabled(false);
    const std::array<float, 4>& fade = m_initial.fadeColour;
    SetFadeColour(fade[0], fade[1], fade[2], fade[3]);
    if (IShaderProgram* program = m_plasmaWorld ? m_plasmaWorld->GetProgram() : nullptr)
        program->SetUniformInt("disablePlasma", m_initial.disablePlasma);
    if (IShaderProgram* logo = m_afterWorld ? m_afterWorld->GetLogoProgram() : nullptr)
        logo->SetUniformFloat("alpha", m_initial.logoAlpha);
}

void k_Demo::Animate(double progress, int code)
{
    const float p = static_cast<float>(progress);
    switch (code)
    {
    case k_FadeFromBlack:
        SetFadeColour(0.0f, 0.0f, 0.0f, 1.0f - p);
        break;
    case k_FadeToWhite:
        SetFadeColour(1.0f, 1.0f, 1.0f, p);
        break;
    case k_FadeFromWhite:
        SetFadeColour(1.0f, 1.0f, 1.0f, 1.0f - p);
        break;
    case k_FadeToLogo:
        if (IShaderProgram* logo = m_afterWorld ? m_afterWorld->GetLogoProgram() : nullptr)
            logo->SetUniformFloat("alpha", p);
        SetFadeColour(0.0f, 0.0f, 0.0f, p);
        break;
    default:
        break;
    }
}

// --- the show's timeline for tools ---

std::vector<double> k_Demo::GetInstants()
{
    std::vector<double> instants;
    for (const Caption& caption : k_Captions)
        instants.push_back(caption.start);
    for (const Scheduled& entry : k_LandscapeSchedule)
        instants.insert(instants.end(), {entry.start, entry.end});
    for (const Scheduled& entry : k_LogoSchedule)
        instants.insert(instants.end(), {entry.start, entry.end});
    std::sort(instants.begin(), instants.end());
    instants.erase(std::unique(instants.begin(), instants.end()), instants.end());
    return instants;
}

const std::vector<k_Demo::Section>& k_Demo::GetSections()
{
    static const std::vector<Section> sections = {
        {"opening", 0.0, 27.0},      {"landscape", 27.0, 76.6}, {"thanks", 76.6, 137.0},
        {"greetings", 137.0, 169.0}, {"logo", 169.0, 175.0},    {"ending", 175.0, ShowLength},
    };
    return sections;
}
