#include "demo/k_Show.h"

#include "demo/k_TextEvent.h"
#include "engine/k_SyncTracks.h"
#include "engine/k_Utf8.h"
#include "interfaces/IAnimationManager.h"
#include "interfaces/IEngine.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/ISyncTracks.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IWindow.h"
#include "interfaces/IWorld.h"

#include <epoxy/gl.h>
#include <algorithm>

namespace
{
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
k_Show::k_Show(IEngine* engine, k_ShowFile::Vocabulary vocabulary, std::wstring showFileName)
    : m_engine(engine), m_vocabulary(std::move(vocabulary)), m_ownSwitches(m_vocabulary.switches.size()),
      m_showFileName(std::move(showFileName)),
      m_show(std::make_unique<k_ShowFile>(std::string_view(), "", k_ShowFile::Vocabulary()))
{
}

k_Show::~k_Show()
{
    if (m_engine->GetTimeline())
        m_engine->GetTimeline()->SetTempoMap(nullptr);
    if (ISyncTracks* tracks = m_engine->GetSyncTracks())
        tracks->SetTempoMap(nullptr);
    // Each caption takes its node out of the world it is shown in, so the captions go first.
    DeleteCaptions();
    while (!m_worlds.empty())
        m_worlds.pop_back();
}

void k_Show::DeleteCaptions()
{
    while (!m_captions.empty())
        m_captions.pop_back();
}

void k_Show::AddWorldStep(std::function<std::unique_ptr<IWorld>()> make)
{
    m_steps.push_back({std::move(make), "", Start::Enabled});
}

// The step's switches join the vocabulary at once, so that the show file is read with them. A fault is kept
// for Build, which reports it as it reports a world that cannot be made.
void k_Show::AddWorldStep(const std::string& name, Start start, std::function<std::unique_ptr<IWorld>()> make)
{
    const bool wellFormed = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
    std::vector<std::string>& switches = m_vocabulary.switches;
    const std::string on = name + "-on";
    const std::string off = name + "-off";
    if (m_stepFault.empty() && !wellFormed)
        m_stepFault = "k_Show: The world step name \"" + name +
                      "\" is not a name for the show file; expected letters, digits, '-' and '_'.";
    else if (m_stepFault.empty() && (std::count(switches.begin(), switches.end(), on) > 0 ||
                                     std::count(switches.begin(), switches.end(), off) > 0))
        m_stepFault = "k_Show: The world step name \"" + name + "\" gives the switch \"" + on + "\" or \"" + off +
                      "\", which the show already has.";
    switches.push_back(on);
    switches.push_back(off);
    m_steps.push_back({std::move(make), name, start});
}

IWorld* k_Show::GetCaptionWorld() const
{
    return m_worlds.empty() ? nullptr : m_worlds.back().get();
}

void k_Show::Switch(const std::string&) {}

void k_Show::Fade(const std::string&, double) {}

std::vector<IEvent*> k_Show::GetEvents() const
{
    std::vector<IEvent*> events;
    for (const std::unique_ptr<IEvent>& caption : m_captions)
        events.push_back(caption.get());
    return events;
}

// --- building the show ---

int k_Show::GetProgressSteps() const
{
    return static_cast<int>(m_steps.size() + m_show->GetCaptions().size());
}

void k_Show::Progress()
{
    ++m_progress;
    if (m_progress >= GetProgressSteps())
        return;
    m_engine->GetGraphics()->DrawProgressBar(static_cast<float>(m_progress) / static_cast<float>(GetProgressSteps()));
    if (IWindow* window = m_engine->GetWindow())
        window->Present();
}

k_ShowFile k_Show::ReadShowFile() const
{
    const std::string name = k_Utf8::ToUtf8(m_showFileName);
    std::unique_ptr<IFile> file(m_engine->GetFileSystem()->OpenFile(m_showFileName));
    if (!file)
        ThrowMessage("k_Show: The show file " + name + " is missing from the data pack.");
    const std::string_view text(reinterpret_cast<const char*>(file->GetData()), static_cast<size_t>(file->GetSize()));
    k_ShowFile show(text, name, m_vocabulary);
    if (!show.IsValid())
        ThrowMessage("k_Show: The show file " + name + " is malformed:" + Joined(show.GetErrors()));
    return show;
}

std::vector<std::string> k_Show::ReadTrackFiles(IEngine* engine)
{
    ISyncTracks* tracks = engine->GetSyncTracks();
    if (tracks == nullptr)
        return {};
    return k_SyncTracks::ReadFiles(*tracks, *engine->GetFileSystem(), SyncTrackBase, true);
}

// The texture is made first (the factory keeps it for the caption, so the picture is read once); only when
// that fails is the pack asked whether the file is there at all.
const char* k_Show::PictureFault(const k_ShowFile::Caption& caption) const
{
    if (!caption.text.empty() || m_engine->GetResourceFactory()->CreateTexture(caption.picture, caption.picture))
        return nullptr;
    return std::unique_ptr<IFile>(m_engine->GetFileSystem()->OpenFile(caption.picture)) ? k_NotDecoded : k_NotInPack;
}

std::string k_Show::PictureError(const k_ShowFile::Caption& caption, const char* fault) const
{
    return k_Utf8::ToUtf8(m_showFileName) + ":" + std::to_string(caption.at.line) + ":" +
           std::to_string(caption.at.column) + ": the picture \"" + k_Utf8::ToUtf8(caption.picture) + "\" " + fault +
           "; expected the name of a PNG or JPEG picture in the pack";
}

void k_Show::Build()
{
    if (!m_stepFault.empty())
        ThrowMessage(m_stepFault);
    m_show = std::make_unique<k_ShowFile>(ReadShowFile());
    m_progress = 0;
    // A caption naming a picture the pack does not hold is a fault of the show file; a picture that is there
    // but cannot be decoded is a damaged pack, and the show goes on without that caption.
    for (const k_ShowFile::Caption& caption : m_show->GetCaptions())
        if (const char* fault = PictureFault(caption); fault == k_NotInPack)
            ThrowMessage("k_Show: The show file " + k_Utf8::ToUtf8(m_showFileName) + " is malformed:\n" +
                         PictureError(caption, fault));
    m_engine->GetTimeline()->SetTempoMap(&m_show->GetTempoMap());
    if (ISyncTracks* tracks = m_engine->GetSyncTracks())
    {
        tracks->SetTempoMap(&m_show->GetTempoMap());
        tracks->GetTrack(BeatTrackName);
    }

    // The worlds, each one step of the loading bar; each asks for its sync tracks as it is built.
    // A named step's world starts as the step says, unless its own Build says otherwise.
    m_namedWorlds.clear();
    for (const Step& step : m_steps)
    {
        std::unique_ptr<IWorld> world = step.make();
        if (!world)
            throw L"k_Show: A world of the show could not be made.";
        if (!step.name.empty())
        {
            world->SetEnabled(step.start == Start::Enabled);
            m_namedWorlds.push_back({world.get(), true});
        }
        m_worlds.push_back(std::move(world));
        m_engine->AddWorld(m_worlds.back().get());
        Progress();
    }

    // A damaged track file is a damaged pack, as a damaged material is: the show does not start.
    if (const std::vector<std::string> errors = ReadTrackFiles(m_engine); !errors.empty())
        ThrowMessage("k_Show: A sync track file is damaged:" + Joined(errors));

    MakeSchedule(true);
    AfterBuild();
    for (NamedWorld& named : m_namedWorlds)
        named.enabled = named.world->IsEnabled();
    m_engine->GetGraphics()->DrawProgressBar(1.0f);
    if (IWindow* window = m_engine->GetWindow())
        window->Present();
}

int k_Show::CodeOf(const k_ShowFile::Cue& cue) const
{
    const std::vector<std::string>& names = cue.fade ? m_vocabulary.fades : m_vocabulary.switches;
    const auto found = std::find(names.begin(), names.end(), cue.name);
    return static_cast<int>(found - names.begin()) + 1;
}

// The captions in the file's order, each cue registered where the file states it among them. A fade's end
// brings its last value, unless another fade starts right there and takes over.
void k_Show::MakeSchedule(bool progress)
{
    IAnimationManager* manager = m_engine->GetAnimationManager();
    const std::vector<k_ShowFile::Cue>& cues = m_show->GetCues();
    size_t next = 0;
    auto registerCues = [&](size_t captionsMade) {
        for (; next < cues.size() && cues[next].afterCaptions <= captionsMade; ++next)
        {
            const k_ShowFile::Cue& cue = cues[next];
            const int code = CodeOf(cue);
            if (!cue.fade)
            {
                manager->AddEvent(cue.start, this, code);
                continue;
            }
            manager->AddAnimation(cue.start, cue.end, this, code);
            const bool handedOn = std::any_of(cues.begin(), cues.end(), [&](const k_ShowFile::Cue& other) {
                return other.fade && &other != &cue && other.start == cue.end;
            });
            if (!handedOn)
                manager->AddEvent(cue.end, this, FadeOver + code);
        }
    };
    const std::vector<k_ShowFile::Caption>& captions = m_show->GetCaptions();
    for (size_t i = 0; i < captions.size(); ++i)
    {
        registerCues(i);
        const k_ShowFile::Caption& caption = captions[i];
        const bool text = !caption.text.empty();
        const k_VectorUA offset =
            text ? k_VectorUA(caption.x, caption.y, caption.size, 0.0f) : k_VectorUA(0.0f, 0.0f, 0.0f, 0.0f);
        auto event = std::make_unique<k_TextEvent>(
            GetCaptionWorld(), m_engine, GetHandOverWorld(), text ? caption.font : caption.picture, caption.text,
            offset, caption.start, caption.duration, k_TextEvent::Fade{caption.fadeIn.kind, caption.fadeIn.seconds},
            k_TextEvent::Fade{caption.fadeOut.kind, caption.fadeOut.seconds}, &m_spareTexts);
        if (!text)
            event->SetPlace(caption.x, caption.y, caption.size, caption.side);
        m_captions.push_back(std::move(event));
        if (progress)
            Progress();
    }
    registerCues(captions.size());
}

std::vector<std::string> k_Show::Reload(std::string_view text)
{
    k_ShowFile show(text, k_Utf8::ToUtf8(m_showFileName), m_vocabulary);
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
    for (const std::unique_ptr<IEvent>& caption : m_captions)
        if (auto* rewindable = dynamic_cast<IRewindable*>(caption.get()))
            rewindable->Rewind();
    DeleteCaptions();
    m_engine->GetAnimationManager()->Clear();
    m_show = std::make_unique<k_ShowFile>(std::move(show));
    m_engine->GetTimeline()->SetTempoMap(&m_show->GetTempoMap());
    if (ISyncTracks* tracks = m_engine->GetSyncTracks())
        tracks->SetTempoMap(&m_show->GetTempoMap());
    MakeSchedule(false);
    return {};
}

std::vector<double> k_Show::GetSectionBounds() const
{
    std::vector<double> bounds;
    for (const k_ShowFile::Section& section : m_show->GetSections())
        bounds.push_back(section.start);
    bounds.push_back(m_show->GetLength());
    return bounds;
}

// --- per frame ---

void k_Show::BeginFrame()
{
    ClearForFrame();
}

void k_Show::ClearForFrame()
{
    glDepthMask(GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFrontFace(GL_CW);
}

// --- schedule ---

void k_Show::Trigger(int code)
{
    const bool fadeOver = code > FadeOver;
    const int index = (fadeOver ? code - FadeOver : code) - 1;
    const std::vector<std::string>& names = fadeOver ? m_vocabulary.fades : m_vocabulary.switches;
    if (index < 0 || static_cast<size_t>(index) >= names.size())
        return;
    if (fadeOver)
        Fade(names[static_cast<size_t>(index)], 1.0);
    else if (!SwitchNamedWorld(static_cast<size_t>(index)))
        Switch(names[static_cast<size_t>(index)]);
}

// The named steps' switches follow the show's own, "-on" then "-off" for each step in order.
bool k_Show::SwitchNamedWorld(size_t index)
{
    if (index < m_ownSwitches)
        return false;
    const size_t step = (index - m_ownSwitches) / 2;
    if (step < m_namedWorlds.size())
        m_namedWorlds[step].world->SetEnabled((index - m_ownSwitches) % 2 == 0);
    return true;
}

void k_Show::Rewind()
{
    for (const NamedWorld& named : m_namedWorlds)
        named.world->SetEnabled(named.enabled);
    RewindShow();
}

void k_Show::Animate(double progress, int code)
{
    const int index = code - 1;
    if (index >= 0 && static_cast<size_t>(index) < m_vocabulary.fades.size())
        Fade(m_vocabulary.fades[static_cast<size_t>(index)], progress);
}
