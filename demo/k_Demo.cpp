#include "demo/k_Demo.h"

#include "demo/k_AfterWorld.h"
#include "demo/k_DriftWorld.h"
#include "demo/k_PlasmaWorld.h"
#include "demo/k_Show.h"
#include "demo/k_TerrainWorld.h"
#include "demo/k_TextEvent.h"
#include "engine/k_SyncTracks.h"
#include "engine/k_Utf8.h"
#include "interfaces/IAnimationManager.h"
#include "interfaces/ICamera.h"
#include "interfaces/IEngine.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ISyncTracks.h"
#include "interfaces/ITexture.h"
#include "interfaces/ITimeline.h"
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
// The names of the show file's switches and fades, and their codes.
struct Named
{
    const char* name;
    int code;
};
constexpr Named k_Switches[] = {{"landscape-on", k_Demo::k_LandscapeOn}, {"plasma-on", k_Demo::k_PlasmaOn}};
constexpr Named k_Fades[] = {{"from-black", k_Demo::k_FadeFromBlack},
                             {"to-white", k_Demo::k_FadeToWhite},
                             {"from-white", k_Demo::k_FadeFromWhite},
                             {"to-logo", k_Demo::k_FadeToLogo}};

template <size_t N> int CodeOf(const Named (&names)[N], const std::string& name)
{
    for (const Named& named : names)
        if (name == named.name)
            return named.code;
    return 0;
}

// Why a caption's picture cannot be shown.
constexpr const char* k_NotInPack = "is not in the pack";
constexpr const char* k_NotDecoded = "cannot be decoded";

// The error convention wants a constant wide string: the message lives until the process ends with it.
[[noreturn]] void ThrowMessage(const std::string& message)
{
    static std::wstring text;
    text = k_Utf8::FromUtf8(message);
    throw text.c_str();
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += "\n" + line;
    return text;
}
} // namespace

// Until Build reads the show file, the show is empty: no sections, no captions.
k_Demo::k_Demo(IEngine* engine)
    : m_engine(engine), m_show(std::make_unique<k_ShowFile>(std::string_view(), "", k_ShowFile::Vocabulary()))
{
}

k_Demo::~k_Demo()
{
    if (m_engine->GetTimeline())
        m_engine->GetTimeline()->SetTempoMap(nullptr);
    if (ISyncTracks* tracks = m_engine->GetSyncTracks())
        tracks->SetTempoMap(nullptr);
    // The captions first: each takes its node out of the world it is shown in. The worlds follow as members.
    for (auto event = m_events.rbegin(); event != m_events.rend(); ++event)
        delete *event;
}

// --- building the show ---

int k_Demo::GetProgressSteps() const
{
    // One step a world, then one a caption.
    return static_cast<int>(std::size(k_WorldSteps) + m_show->GetCaptions().size());
}

std::vector<double> k_Demo::GetSectionBounds() const
{
    std::vector<double> bounds;
    for (const k_ShowFile::Section& section : m_show->GetSections())
        bounds.push_back(section.start);
    bounds.push_back(m_show->GetLength());
    return bounds;
}

// One more step of the bar, drawn unless it is the last (Build draws the bar full itself at the end).
void k_Demo::Progress()
{
    ++m_progress;
    if (m_progress < GetProgressSteps())
        Progress(static_cast<float>(m_progress) / static_cast<float>(GetProgressSteps()));
}

// --- the show file ---

k_ShowFile::Vocabulary k_Demo::GetVocabulary()
{
    k_ShowFile::Vocabulary vocabulary;
    for (const Named& named : k_Switches)
        vocabulary.switches.push_back(named.name);
    for (const Named& named : k_Fades)
        vocabulary.fades.push_back(named.name);
    return vocabulary;
}

k_ShowFile k_Demo::ReadShowFile(IEngine* engine)
{
    const std::string name = k_Utf8::ToUtf8(ShowFileName);
    std::unique_ptr<IFile> file(engine->GetFileSystem()->OpenFile(ShowFileName));
    if (!file)
        ThrowMessage("k_Demo: The show file " + name + " is missing from the data pack.");
    const std::string_view text(reinterpret_cast<const char*>(file->GetData()), static_cast<size_t>(file->GetSize()));
    k_ShowFile show(text, name, GetVocabulary());
    if (!show.IsValid())
        ThrowMessage("k_Demo: The show file " + name + " is malformed:" + Joined(show.GetErrors()));
    return show;
}

std::vector<std::string> k_Demo::ReadTrackFiles(IEngine* engine)
{
    ISyncTracks* tracks = engine->GetSyncTracks();
    if (tracks == nullptr)
        return {};
    return k_SyncTracks::ReadFiles(*tracks, *engine->GetFileSystem(), SyncTrackBase, true);
}

// The texture is made first (the factory keeps it for the caption, so the picture is read once); only when
// that fails is the pack asked whether the file is there at all.
const char* k_Demo::PictureFault(const k_ShowFile::Caption& caption) const
{
    if (!caption.text.empty() || m_engine->GetResourceFactory()->CreateTexture(caption.picture, caption.picture))
        return nullptr;
    return std::unique_ptr<IFile>(m_engine->GetFileSystem()->OpenFile(caption.picture)) ? k_NotDecoded : k_NotInPack;
}

std::string k_Demo::PictureError(const k_ShowFile::Caption& caption, const char* fault)
{
    return k_Utf8::ToUtf8(ShowFileName) + ":" + std::to_string(caption.at.line) + ":" +
           std::to_string(caption.at.column) + ": the picture \"" + k_Utf8::ToUtf8(caption.picture) + "\" " + fault +
           "; expected the name of a PNG or JPEG picture in the pack";
}

void k_Demo::Progress(float fraction)
{
    m_engine->GetGraphics()->DrawProgressBar(fraction);
    if (IWindow* window = m_engine->GetWindow())
        window->Present();
}

// --- the worlds, in drawing order ---

// The landscape, off until its fade from black.
void k_Demo::MakeTerrain()
{
    m_terrainWorld = std::make_unique<k_TerrainWorld>(m_engine);
    m_engine->AddWorld(m_terrainWorld.get());
    m_terrainWorld->SetEnabled(false);
}

// The landscape is drawn into a float target of the screen's size, which the tone map shows.
void k_Demo::MakeHdrChain()
{
    IGraphics* graphics = m_engine->GetGraphics();
    IRenderTarget* landscapeTarget =
        m_engine->GetResourceFactory()->CreateRenderTarget(graphics->GetWidth(), graphics->GetHeight());
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
}

// The overlay: plasma and fades; enabled for the whole show.
void k_Demo::MakePlasma()
{
    m_plasmaWorld = std::make_unique<k_PlasmaWorld>(m_engine);
    m_engine->AddWorld(m_plasmaWorld.get());
}

// The logo, and the world the captions are shown in.
void k_Demo::MakeAfterWorld()
{
    m_afterWorld = std::make_unique<k_AfterWorld>(m_engine);
    m_afterWorld->SetCamera(m_terrainWorld->GetCamera());
    m_engine->AddWorld(m_afterWorld.get());
}

// The feedback the greetings dissolve in.
void k_Demo::MakeDrift()
{
    IRenderTarget* driftTarget =
        m_engine->GetResourceFactory()->CreateRenderTargetWithTexture(512, 512, r_ColourFormat::Rgba32F);
    if (!driftTarget)
        throw L"k_Demo: Unable to create the 512 x 512 render target of the drift world.";
    m_driftWorld = std::make_unique<k_DriftWorld>(m_engine);
    m_driftWorld->SetCamera(m_terrainWorld->GetCamera());
    m_driftWorld->SetRenderTarget(driftTarget);
    m_engine->AddWorld(m_driftWorld.get());
    driftTarget->Unbind();
}

void k_Demo::Build()
{
    m_show = std::make_unique<k_ShowFile>(ReadShowFile(m_engine));
    m_progress = 0;
    // A caption naming a picture the pack does not hold is a fault of the show file; a picture that is there
    // but cannot be decoded is a damaged pack, and the show goes on without that caption.
    for (const k_ShowFile::Caption& caption : m_show->GetCaptions())
        if (const char* fault = PictureFault(caption); fault == k_NotInPack)
            ThrowMessage("k_Demo: The show file " + k_Utf8::ToUtf8(ShowFileName) + " is malformed:\n" +
                         PictureError(caption, fault));
    m_engine->GetTimeline()->SetTempoMap(&m_show->GetTempoMap());
    if (ISyncTracks* tracks = m_engine->GetSyncTracks())
    {
        tracks->SetTempoMap(&m_show->GetTempoMap());
        tracks->GetTrack(BeatTrackName);
    }

    // The worlds, each one step of the loading bar; each asks for its sync tracks as it is built.
    for (const WorldStep step : k_WorldSteps)
    {
        (this->*step)();
        Progress();
    }

    // A damaged track file is a damaged pack, as a damaged material is: the show does not start.
    if (const std::vector<std::string> errors = ReadTrackFiles(m_engine); !errors.empty())
        ThrowMessage("k_Demo: A sync track file is damaged:" + Joined(errors));

    // 6, 7. The captions, with the show's own schedule among them.
    MakeSchedule(*m_show, true);
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

// The captions in the file's order, each cue registered where the file states it among them. A fade's end
// sets its last value, unless another fade starts right there and takes over.
void k_Demo::MakeSchedule(const k_ShowFile& show, bool progress)
{
    IAnimationManager* manager = m_engine->GetAnimationManager();
    const std::vector<k_ShowFile::Cue>& cues = show.GetCues();
    size_t next = 0;
    auto registerCues = [&](size_t captionsMade) {
        for (; next < cues.size() && cues[next].afterCaptions <= captionsMade; ++next)
        {
            const k_ShowFile::Cue& cue = cues[next];
            if (!cue.fade)
            {
                manager->AddEvent(cue.start, this, CodeOf(k_Switches, cue.name));
                continue;
            }
            const int code = CodeOf(k_Fades, cue.name);
            manager->AddAnimation(cue.start, cue.end, this, code);
            const bool handedOn = std::any_of(cues.begin(), cues.end(), [&](const k_ShowFile::Cue& other) {
                return other.fade && &other != &cue && other.start == cue.end;
            });
            if (!handedOn)
                manager->AddEvent(cue.end, this, FadeOver + code);
        }
    };
    const std::vector<k_ShowFile::Caption>& captions = show.GetCaptions();
    for (size_t i = 0; i < captions.size(); ++i)
    {
        registerCues(i);
        const k_ShowFile::Caption& caption = captions[i];
        const bool text = !caption.text.empty();
        const k_VectorUA offset =
            text ? k_VectorUA(caption.x, caption.y, caption.size, 0.0f) : k_VectorUA(0.0f, 0.0f, 0.0f, 0.0f);
        auto* event = new k_TextEvent(m_afterWorld.get(), m_engine, m_driftWorld.get(),
                                      text ? caption.font : caption.picture, caption.text, offset, caption.start,
                                      caption.duration, {caption.fadeIn.kind, caption.fadeIn.seconds},
                                      {caption.fadeOut.kind, caption.fadeOut.seconds});
        m_events.push_back(event);
        if (!text)
            event->SetPlace(caption.x, caption.y, caption.size, caption.side);
        if (progress)
            Progress();
    }
    registerCues(captions.size());
}

std::vector<std::string> k_Demo::Reload(std::string_view text)
{
    k_ShowFile show(text, k_Utf8::ToUtf8(ShowFileName), GetVocabulary());
    if (!show.IsValid())
        return show.GetErrors();
    // Every picture first: a caption that cannot be shown keeps the old show on screen.
    std::vector<std::string> errors;
    for (const k_ShowFile::Caption& caption : show.GetCaptions())
        if (const char* fault = PictureFault(caption))
            errors.push_back(PictureError(caption, fault));
    if (!errors.empty())
        return errors;

    // The old captions put their uniforms back as they were made (the new ones share their materials and
    // take those values as their own), then go; the schedule is emptied and filled again.
    for (IEvent* event : m_events)
        if (auto* rewindable = dynamic_cast<IRewindable*>(event))
            rewindable->Rewind();
    for (auto event = m_events.rbegin(); event != m_events.rend(); ++event)
        delete *event;
    m_events.clear();
    m_engine->GetAnimationManager()->Clear();
    m_show = std::make_unique<k_ShowFile>(std::move(show));
    m_engine->GetTimeline()->SetTempoMap(&m_show->GetTempoMap());
    if (ISyncTracks* tracks = m_engine->GetSyncTracks())
        tracks->SetTempoMap(&m_show->GetTempoMap());
    MakeSchedule(*m_show, false);
    return {};
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
    target->Bind(IRenderTarget::k_ClearEverything);
    target->Unbind();
    // The two adapted-luminance targets change places at every update: a second one puts them back.
    m_hdrWorld->Update();
    renderer->SetCurrentWorld(current);
}

// --- per frame ---

void k_Demo::BeginFrame()
{
    k_Show::ClearForFrame();
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
