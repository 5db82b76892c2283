#include "app/studio/k_Studio.h"

#include "app/k_CaptureLoop.h"
#include "app/studio/k_StudioOverlay.h"
#include "app/studio/k_StudioPainter.h"
#include "app/studio/k_StudioTuneMaker.h"
#include "app/studio/k_SyncClient.h"
#include "app/studio/k_SyncDocument.h"
#include "demo/k_Show.h"
#include "engine/k_Log.h"
#include "engine/k_Utf8.h"
#include "engine/k_WarmUp.h"
#include "graphics/k_ResourceFactory.h"
#include "interfaces/IEngine.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IRenderer.h"
#include "interfaces/ISyncTracks.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IWindow.h"
#include "platform/k_FileWatcher.h"
#include "platform/k_MessagePump.h"
#include "platform/k_PngWriter.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

namespace
{
// How often the terminal's status line is rewritten at most, and how long one wait for a key lasts while
// paused (the watched folder is polled in between).
constexpr auto k_StatusInterval = std::chrono::milliseconds(200);
constexpr int k_PausedWaitMilliseconds = 50;

// Seconds since the epoch on the wall clock (file times are on it).
double WallSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The time the file was last written, on the wall clock; 0 when unknown.
double SavedAt(const std::filesystem::path& path)
{
    struct stat status
    {
    };
    if (stat(path.c_str(), &status) != 0)
        return 0.0;
    return static_cast<double>(status.st_mtim.tv_sec) + static_cast<double>(status.st_mtim.tv_nsec) * 1e-9;
}

std::string ClockTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}
} // namespace

k_Studio::k_Studio(const k_StudioOptions& options, const ShowProgram& program, IEngine* engine, IWindow* window,
                   k_Show* show, Music music, std::ostream& status, bool statusIsTerminal)
    : m_options(options), m_engine(engine), m_window(window), m_program(program), m_show(show),
      m_music(std::move(music)), m_status(status), m_statusIsTerminal(statusIsTerminal),
      m_transport(show->GetShow().GetInstants(), show->GetShow().GetSections(), show->GetShow().GetTempoMap())
{
    if (options.loop)
        m_transport.SetLoop(options.loopFrom, options.loopTo);
}

k_Studio::~k_Studio() = default;

void k_Studio::WatchAssets(const std::string& folder)
{
    m_assets = folder;
    m_watcher = std::make_unique<k_FileWatcher>(folder);
    if (!m_watcher->IsWatching())
        k_Log(k_Log::Colour::Error) << "Studio: cannot watch " << folder << "; saved files are not reloaded";
    WriteSyncDocument();
}

void k_Studio::WriteSyncDocument(bool editorSaved)
{
    ISyncTracks* tracks = m_engine->GetSyncTracks();
    const std::string folder = !m_assets.empty() ? m_assets : m_sync ? std::string(".") : std::string();
    if (!tracks || folder.empty())
        return;
    // While an editor is connected the keys are its own, which may be none at all (an editor started without
    // the document): the document keeps the show's keys until the editor saves its own without emptying a file.
    if (m_sync && m_sync->IsConnected() && !editorSaved)
        return;
    const k_ShowFile& show = m_show->GetShow();
    std::vector<int> bookmarks;
    for (const k_ShowFile::Section& section : show.GetSections())
        bookmarks.push_back(static_cast<int>(std::lround(tracks->GetRow(section.start))));
    const std::string path =
        (std::filesystem::path(folder) / (std::string(k_Show::SyncTrackBase) + ".rocket")).string();
    bool written = false;
    const std::string error = k_SyncDocument::WriteIfChanged(
        path, k_SyncDocument::Make(*tracks, k_SyncDocument::RowsFor(*tracks, show.GetLength()), bookmarks), written);
    if (!error.empty())
        k_Log(k_Log::Colour::Error) << "Studio: the sync editor's document: " << error;
    else if (written)
        k_Log() << "Studio: wrote the sync editor's document " << path << " (" << tracks->GetTrackCount()
                << " tracks; open it in the editor before connecting)";
}

void k_Studio::NoteSyncSave()
{
    std::vector<std::string> kept;
    if (!m_sync || !m_sync->TakeSaved(kept))
        return;
    if (kept.empty())
        WriteSyncDocument(true);
    std::vector<std::string> messages;
    for (const std::string& file : kept)
        messages.push_back("emptied by the editor's save; its keys are kept in " + file);
    // Shown until the next save.
    if (m_overlay)
        m_overlay->Notify(messages);
    if (kept.empty())
        return;
    m_reload = "sync save emptied " + std::to_string(kept.size()) + " keyed track file(s); kept as " +
               std::filesystem::path(kept.front()).filename().string() + (kept.size() > 1 ? " and more" : "");
    UpdateStatus(true);
}

void k_Studio::ConnectSyncEditor(const std::string& saveFolder)
{
    ISyncTracks* tracks = m_engine->GetSyncTracks();
    if (!tracks)
        return;
    m_sync = std::make_unique<k_SyncClient>(tracks, m_options.syncHost, m_options.syncPort,
                                            saveFolder.empty() ? std::string(".") : saveFolder, k_Show::SyncTrackBase);
    WriteSyncDocument();
    k_Log() << "Studio: shaping " << tracks->GetTrackCount() << " sync tracks with the editor at "
            << m_sync->GetAddress() << " (connecting whenever it is there)";
}

void k_Studio::PaintCaptions(const std::string& program, const std::string& manifest, const std::string& folder)
{
    IFileSystem* files = m_engine->GetFileSystem();
    m_manifest = manifest;
    m_painter = std::make_unique<k_StudioPainter>(
        program, std::filesystem::path(m_assets) / manifest, folder, [files](const std::string& name) {
            std::unique_ptr<IFile> file(files->OpenFile(k_Utf8::FromUtf8(name)));
            return file ? std::string(reinterpret_cast<const char*>(file->GetData()),
                                      static_cast<size_t>(file->GetSize()))
                        : std::string();
        });
}

void k_Studio::MakeTune(std::unique_ptr<k_StudioTuneMaker> maker, std::function<void()> swapped)
{
    m_tuneMaker = std::move(maker);
    m_tuneSwapped = std::move(swapped);
    // With a recording the fit is on the status line from the start.
    if (m_tuneMaker && m_tuneMaker->IsMeasuring() && !m_assets.empty())
    {
        const std::string error =
            m_tuneMaker->Saved(std::filesystem::path(m_assets) / k_Utf8::ToUtf8(m_show->GetShowFileName()));
        if (!error.empty())
            k_Log(k_Log::Colour::Error) << "Studio: " << error;
    }
}

void k_Studio::OnKey(uint32_t code, bool shift, bool repeat)
{
    if (m_overlay && m_overlay->OnKey(code, shift, repeat))
        return;
    const k_StudioTransport::Key key = k_StudioTransport::KeyOf(code, shift);
    // A held key repeats steps, not toggles.
    if (repeat && (key == k_StudioTransport::Key::PlayPause || key == k_StudioTransport::Key::Loop ||
                   key == k_StudioTransport::Key::Shot))
        return;
    if (key != k_StudioTransport::Key::None)
        m_keys.push_back(key);
}

// --- drawing the show at a time ---

void k_Studio::Seek(double time)
{
    m_engine->Seek(time);
    m_historyFrom = time;
}

bool k_Studio::ShowAt(double time, bool savePicture)
{
    const Clock::time_point started = Clock::now();
    ITimeline* timeline = m_engine->GetTimeline();
    const double speed = timeline->GetSpeed();
    timeline->SetSpeed(1.0);
    // The warm-up's frames are not heard: the music waits and starts at the time shown.
    m_music.Silence();
    // A jump a little ahead goes on from the time reached when the frames since the last seek already give
    // the time a warm-up's history (a step on, the next beat or instant): fewer frames, the same picture.
    if (!k_StudioTransport::GoesOn(timeline->GetTime(), time, m_historyFrom, m_program.warmUpSeconds))
        Seek(std::max(0.0, time - m_program.warmUpSeconds));
    const bool shown = k_StudioTransport::StepTo(
        time, MaxWarmUpStep, [timeline] { return timeline->GetTime(); },
        [this, savePicture, timeline, time, first = true](double step, bool last) mutable {
            if (Interrupted(!savePicture))
                return false;
            m_show->BeginFrame();
            // Only the last frame is seen: those before it draw just what it depends on.
            if (last)
            {
                m_engine->Update(step);
                return true;
            }
            m_engine->GetRenderer()->RenderWarmUpFrame(
                step, k_WarmUp::RedrawsTargets(first, time - timeline->GetTime(), step));
            first = false;
            return true;
        });
    timeline->SetSpeed(speed);
    if (!shown)
    {
        // The keys that stopped it decide where to go; until then the jump waits where it was going.
        m_pending = time;
        m_pendingShot = savePicture;
        m_transport.Aim(time);
        return false;
    }
    m_pending.reset();
    m_pendingShot = false;
    if (savePicture)
        SavePicture();
    Present();
    k_Log() << "Studio: the jump to " << time << " s was shown in "
            << static_cast<int>(std::lround(std::chrono::duration<double, std::milli>(Clock::now() - started).count()))
            << " ms";
    NoteReloadShown();
    // A loop's end reached by the jump itself is not wrapped again.
    m_transport.Reached(timeline->GetTime());
    FollowMusic();
    TellSyncRow();
    return true;
}

bool k_Studio::Interrupted(bool byKeys)
{
    // Drains what waits, as the loop does: keys are queued by the window, a quit comes out last.
    k_MessagePump::Peeked peeked;
    while ((peeked = k_MessagePump::PeekAndDispatch()) == k_MessagePump::Peeked::Dispatched)
    {
    }
    if (peeked == k_MessagePump::Peeked::Quit || m_engine->IsQuitRequested())
        m_quit = true;
    return m_quit || (byKeys && (!m_keys.empty() || (m_overlay && m_overlay->IsScrubbing() && m_overlay->HasInput())));
}

// --- keys ---

void k_Studio::ServeKeys()
{
    // A burst of keys (a held key's repeats, quick presses, those that came during a jump) makes one jump:
    // each step counts from the target of the one before, and only the last target is drawn.
    std::optional<double> target = m_pending;
    bool shot = m_pendingShot;
    bool changed = false;
    while (!m_keys.empty() && !m_quit)
    {
        const k_StudioTransport::Action action = m_transport.Press(m_keys.front());
        m_keys.pop_front();
        if (action.changed)
        {
            m_engine->GetTimeline()->SetSpeed(m_transport.GetSpeed());
            changed = true;
        }
        if (action.jump)
        {
            target = action.jump;
            m_transport.Aim(*target);
        }
        if (action.shot)
        {
            // The picture is saved at the time reached so far; keys after it make a jump of their own.
            shot = true;
            if (!target)
                target = m_transport.GetTime();
            break;
        }
    }
    if (changed)
        FollowMusic();
    if (target && !m_quit)
        ShowAt(*target, shot);
    // A jump stopped on its way says nothing yet: the status names the time on screen.
    if ((changed || target) && !m_pending)
        UpdateStatus(true);
}

void k_Studio::FollowMusic()
{
    m_music.Follow(m_transport.IsMusicPlaying(), m_engine->GetTimeline()->GetTime());
}

// --- the sync editor ---

bool k_Studio::ServeSync()
{
    if (!m_sync)
        return false;
    const k_SyncClient::Requests requests =
        m_sync->Poll(std::chrono::duration<double>(Clock::now().time_since_epoch()).count());
    NoteSyncSave();
    if (m_sync->IsConnected() != m_syncConnected)
    {
        m_syncConnected = m_sync->IsConnected();
        UpdateStatus(true);
    }
    if (requests.pause && *requests.pause != m_transport.IsPaused())
        m_keys.push_back(k_StudioTransport::Key::PlayPause);
    if (requests.row)
    {
        // Served with the keys as a jump: rows the editor sends while its cursor moves make one jump.
        m_pending = std::max(0.0, m_engine->GetSyncTracks()->GetTimeOfRow(*requests.row));
        m_transport.Aim(*m_pending);
        return false;
    }
    // New keys show in the next frame in play; paused, the frame on screen is drawn again with them.
    if (requests.keysChanged && (m_transport.IsPaused() || !m_active) && !m_pending)
    {
        RedrawSchedule();
        return true;
    }
    return false;
}

void k_Studio::TellSyncRow()
{
    // The client sends only a row that changed, and not the one the editor itself asked for.
    if (m_sync)
        m_sync->SendRow(
            static_cast<int>(std::floor(m_engine->GetSyncTracks()->GetRow(m_engine->GetTimeline()->GetTime()))));
}

bool k_Studio::ReloadTracks()
{
    if (m_sync && m_sync->IsConnected())
        return false; // the editor's own save: its keys are already those shown
    const std::vector<std::string> errors = k_Show::ReadTrackFiles(m_engine);
    for (const std::string& error : errors)
        k_Log(k_Log::Colour::Error) << "Studio: " << error;
    WriteSyncDocument();
    m_reload = errors.empty() ? "sync tracks reloaded" : errors.front();
    RedrawSchedule();
    UpdateStatus(true);
    return true;
}

// --- pictures ---

std::filesystem::path k_Studio::ShotPath(const std::filesystem::path& folder, double time)
{
    const std::filesystem::path first = folder / k_CaptureLoop::FileName(time);
    std::error_code error;
    if (!std::filesystem::exists(first, error))
        return first;
    const std::string stem = first.stem().string();
    const std::string extension = first.extension().string();
    for (int count = 2;; ++count)
    {
        const std::filesystem::path next = folder / (stem + "-" + std::to_string(count) + extension);
        if (!std::filesystem::exists(next, error))
            return next;
    }
}

void k_Studio::SavePicture()
{
    const int width = m_engine->GetGraphics()->GetWidth();
    const int height = m_engine->GetGraphics()->GetHeight();
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // GL reads bottom-up; the file is top-down.
    std::vector<uint8_t> rows(pixels.size());
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        std::copy_n(pixels.data() + static_cast<size_t>(height - 1 - y) * stride, stride, rows.data() + y * stride);
    const double time = m_engine->GetTimeline()->GetTime();
    const std::string path = ShotPath(m_options.shots, time).string();
    std::string error;
    if (k_PngWriter::Write(path, width, height, rows.data(), error))
        k_Log() << "Studio: saved " << path;
    else
        k_Log(k_Log::Colour::Error) << "Studio: cannot save the picture: " << error;
}

// --- live reload ---

bool k_Studio::ReloadSaved()
{
    if (!m_watcher)
        return false;
    const std::vector<std::string> saved = m_watcher->Poll();
    if (saved.empty())
        return false;
    auto* factory = dynamic_cast<k_ResourceFactory*>(m_engine->GetResourceFactory());
    if (!factory)
        return false;
    bool drawn = false;
    std::vector<std::wstring> names;
    std::vector<std::string> reloaded;
    double savedAt = 0.0;
    for (const std::string& name : saved)
    {
        if (k_Utf8::FromUtf8(name) == m_show->GetShowFileName())
        {
            drawn = ReloadShow(SavedAt(std::filesystem::path(m_assets) / name)) || drawn;
            continue;
        }
        // The editor's document and the keyed files kept by a save are the studio's own writing.
        if (name.ends_with(".rocket") || name.find(".track.kept") != std::string::npos)
            continue;
        if (name.ends_with(".track"))
        {
            drawn = ReloadTracks() || drawn;
            continue;
        }
        if (m_painter && name == m_manifest)
        {
            m_paintSavedAt = SavedAt(std::filesystem::path(m_assets) / name);
            const std::string error = m_painter->Saved();
            if (error.empty())
                k_Log() << "Studio: painting the captions of " << m_manifest << " again";
            else
                k_Log(k_Log::Colour::Error) << "Studio: " << error;
            continue;
        }
        names.push_back(k_Utf8::FromUtf8(name));
        reloaded.push_back(name);
        savedAt = std::max(savedAt, SavedAt(std::filesystem::path(m_assets) / name));
    }
    if (names.empty())
        return drawn;
    const Clock::time_point started = Clock::now();
    const k_ResourceFactory::ReloadReport report = factory->Reload(names);
    const double milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    if (m_overlay)
        m_overlay->Reloaded(reloaded, report.errors);
    if (!report.Any())
    {
        k_Log() << "Studio: nothing on screen is made from " << saved.front()
                << (saved.size() > 1 ? " and the rest" : "") << " (generated content is rebuilt by the build)";
        return drawn;
    }
    std::string what;
    auto count = [&what](int n, const char* one, const char* many) {
        if (n > 0)
            what += (what.empty() ? "" : ", ") + std::to_string(n) + " " + (n == 1 ? one : many);
    };
    count(report.materials, "material", "materials");
    count(report.shaders, "shader", "shaders");
    count(report.textures, "picture", "pictures");
    count(report.programs, "program relinked", "programs relinked");
    if (!report.errors.empty())
    {
        k_Log(k_Log::Colour::Error) << "Studio: reload failed; the previous version stays:";
        for (const std::string& error : report.errors)
            k_Log(k_Log::Colour::Error) << error;
        const std::string& first = report.errors.front();
        m_reload = "reload failed " + ClockTime() + ": " + first.substr(0, first.find('\n'));
    }
    else
    {
        m_reload = "reloaded " + ClockTime() + ": " + saved.front() + (saved.size() > 1 ? " and more" : "");
    }
    k_Log() << "Studio: reloaded " << (what.empty() ? std::string("nothing") : what) << " in "
            << static_cast<int>(std::lround(milliseconds)) << " ms";
    if (report.materials + report.shaders + report.textures + report.programs > 0)
    {
        m_reloadSavedAt = savedAt > 0.0 ? savedAt : WallSeconds();
        // A paused picture is drawn again with what was reloaded.
        if (m_transport.IsPaused())
        {
            ShowAt(m_transport.GetTime());
            drawn = true;
        }
    }
    UpdateStatus(true);
    return drawn;
}

// The show file saved: the timeline is read again from the file system (which serves the watched folder
// first) and the show is drawn anew at the time on screen; a file with errors leaves the show as it was.
bool k_Studio::ReloadShow(double savedAt)
{
    const std::string name = k_Utf8::ToUtf8(m_show->GetShowFileName());
    std::unique_ptr<IFile> file(m_engine->GetFileSystem()->OpenFile(m_show->GetShowFileName()));
    const Clock::time_point started = Clock::now();
    std::vector<std::string> errors;
    // What the tune is made from, to tell whether the tune is to be made again.
    const std::vector<k_TempoMap::Anchor> anchors = m_show->GetShow().GetTempoMap().GetAnchors();
    const std::vector<k_ShowFile::Section> sections = m_show->GetShow().GetSections();
    if (!file)
        errors.push_back(name + ": cannot be read");
    else
        errors = m_show->Reload(
            std::string_view(reinterpret_cast<const char*>(file->GetData()), static_cast<size_t>(file->GetSize())));
    // The overlay's panel shows the file's errors until it reloads fine.
    if (m_overlay)
        m_overlay->Reloaded({name}, errors);
    if (!errors.empty())
    {
        k_Log(k_Log::Colour::Error) << "Studio: reload failed; the previous show stays:";
        for (const std::string& error : errors)
            k_Log(k_Log::Colour::Error) << error;
        m_reload = "reload failed " + ClockTime() + ": " + errors.front();
        UpdateStatus(true);
        return false;
    }
    const k_ShowFile& show = m_show->GetShow();
    m_transport.SetTimeline(show.GetInstants(), show.GetSections(), show.GetTempoMap());
    // Its length and sections are the document's rows and bookmarks.
    WriteSyncDocument();
    const double milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    k_Log() << "Studio: reloaded the show file (" << show.GetCaptions().size() << " captions, " << show.GetCues().size()
            << " switches and fades) in " << static_cast<int>(std::lround(milliseconds)) << " ms";
    m_reload = "reloaded " + ClockTime() + ": " + name;
    m_reloadSavedAt = savedAt > 0.0 ? savedAt : WallSeconds();
    // The new schedule is brought to the time on screen and drawn there, paused or playing.
    RedrawSchedule();
    UpdateStatus(true);
    const auto sameAnchors = [](const k_TempoMap::Anchor& a, const k_TempoMap::Anchor& b) {
        return a.bar == b.bar && a.time == b.time && a.beatsPerBar == b.beatsPerBar &&
               a.beatsPerMinute == b.beatsPerMinute;
    };
    const auto sameSections = [](const k_ShowFile::Section& a, const k_ShowFile::Section& b) {
        return a.name == b.name && a.start == b.start && a.end == b.end;
    };
    const std::vector<k_TempoMap::Anchor>& anchorsNow = show.GetTempoMap().GetAnchors();
    const bool changed =
        !std::equal(anchors.begin(), anchors.end(), anchorsNow.begin(), anchorsNow.end(), sameAnchors) ||
        !std::equal(sections.begin(), sections.end(), show.GetSections().begin(), show.GetSections().end(),
                    sameSections);
    if (changed && m_tuneMaker && m_tuneMaker->IsUseful())
    {
        const std::string error = m_tuneMaker->Saved(std::filesystem::path(m_assets) / name);
        if (error.empty())
            k_Log() << "Studio: the tempo map or the sections changed; making the tune again";
        else
            k_Log(k_Log::Colour::Error) << "Studio: " << error;
    }
    return true;
}

void k_Studio::ShowTune()
{
    const std::optional<k_StudioTuneMaker::Result> made = m_tuneMaker ? m_tuneMaker->Poll() : std::nullopt;
    if (!made)
        return;
    const std::string name = k_Utf8::ToUtf8(m_show->GetShowFileName());
    if (!made->fit.empty() && made->fit != m_fit)
    {
        m_fit = made->fit;
        k_Log() << "Studio: the recording's beats lie " << m_fit << " from the show file's tempo map";
    }
    if (!made->error.empty())
    {
        // A show file the tune's generator refuses, or a map the recording's beats have left.
        k_Log(k_Log::Colour::Error) << "Studio: " << made->error;
        m_reload = "tune " + ClockTime() + ": " + made->error;
        if (m_overlay)
            m_overlay->Reloaded({name}, {made->error});
    }
    if (made->made)
    {
        // Played from the picture's time: the picture does not move.
        m_music.Silence();
        if (m_tuneSwapped)
            m_tuneSwapped();
        FollowMusic();
        char time[32];
        std::snprintf(time, sizeof time, "%.3f", m_transport.GetTime());
        k_Log() << "Studio: made the tune again in " << static_cast<int>(std::lround(made->milliseconds))
                << " ms; it plays from " << time << " s";
        m_reload = "tune made again " + ClockTime();
    }
    UpdateStatus(true);
}

// The schedule or the sync keys changed. Paused, the picture on screen must be the show's at its time, as a jump
// and F12 draw it: what the worlds carry from frame to frame (the feedback's imprints, the light the eye adapted
// to) may come from the old schedule or keys, so the time is jumped to anew, with the warm-up the show needs. In
// play the next frames go on from one frame drawn at once.
void k_Studio::RedrawSchedule()
{
    if (m_transport.IsPaused() || !m_active)
    {
        ShowAt(m_transport.GetTime());
        return;
    }
    RedrawFrame();
}

// The timeline's seek rewinds the captions and the show's fades and replays the schedule up to the time on
// screen, while the worlds keep their frame-to-frame state; one frame shows it, without the warm-up of a jump.
void k_Studio::RedrawFrame()
{
    ITimeline* timeline = m_engine->GetTimeline();
    const double speed = timeline->GetSpeed();
    timeline->SetSpeed(1.0);
    timeline->Seek(m_transport.GetTime());
    m_show->BeginFrame();
    m_engine->Update(0.00001);
    Present();
    NoteReloadShown();
    timeline->SetSpeed(speed);
    m_transport.Reached(timeline->GetTime());
    TellSyncRow();
}

bool k_Studio::ShowPainted()
{
    const std::optional<k_StudioPainter::Result> painted = m_painter ? m_painter->Poll() : std::nullopt;
    if (!painted)
        return false;
    if (m_overlay)
        m_overlay->Reloaded({m_manifest}, painted->error.empty() ? std::vector<std::string>()
                                                                 : std::vector<std::string>{painted->error});
    if (!painted->error.empty())
    {
        k_Log(k_Log::Colour::Error) << "Studio: painting the captions failed; the pictures stay: " << painted->error;
        m_reload = "reload failed " + ClockTime() + ": " + painted->error;
        UpdateStatus(true);
        return false;
    }
    auto* factory = dynamic_cast<k_ResourceFactory*>(m_engine->GetResourceFactory());
    std::vector<std::wstring> names;
    for (const std::string& name : painted->changed)
        names.push_back(k_Utf8::FromUtf8(name));
    const k_ResourceFactory::ReloadReport report =
        factory && !names.empty() ? factory->Reload(names) : k_ResourceFactory::ReloadReport();
    k_Log() << "Studio: painted the captions again in " << static_cast<int>(std::lround(painted->milliseconds))
            << " ms; " << names.size() << " changed, " << report.textures << " on screen reloaded";
    if (report.textures == 0)
        return false;
    m_reload = "reloaded " + ClockTime() + ": " + m_manifest;
    m_reloadSavedAt = m_paintSavedAt > 0.0 ? m_paintSavedAt : WallSeconds();
    UpdateStatus(true);
    if (!m_transport.IsPaused())
        return false;
    ShowAt(m_transport.GetTime());
    return true;
}

void k_Studio::NoteReloadShown()
{
    if (m_reloadSavedAt <= 0.0)
        return;
    const double shown = WallSeconds() - m_reloadSavedAt;
    k_Log() << "Studio: the first frame with the reload was shown " << static_cast<int>(std::lround(shown * 1000.0))
            << " ms after the save";
    m_reloadSavedAt = 0.0;
}

// --- status ---

k_StudioStatus::State k_Studio::Status() const
{
    k_StudioStatus::State state;
    state.time = m_transport.GetTime();
    state.barBeat = m_transport.GetTempoMap().Format(state.time);
    state.section = m_transport.SectionAt(state.time).name;
    state.framesPerSecond = m_transport.IsPaused() ? 0.0 : m_framesPerSecond;
    state.paused = m_transport.IsPaused();
    state.speed = m_transport.GetSpeed();
    state.looping = m_transport.IsLooping();
    state.loopFrom = m_transport.GetLoopFrom();
    state.loopTo = m_transport.GetLoopTo();
    state.reload = m_reload;
    state.fit = m_fit;
    if (m_sync)
        state.sync = (m_sync->IsConnected() ? "sync on " : "sync waiting for ") + m_sync->GetAddress();
    return state;
}

void k_Studio::UpdateStatus(bool event)
{
    const Clock::time_point now = Clock::now();
    if (!event && now - m_lastStatus < k_StatusInterval)
        return;
    m_lastStatus = now;
    const k_StudioStatus::State state = Status();
    m_window->SetTitle(k_Utf8::FromUtf8(k_StudioStatus::Title(m_program.name, state)));
    const std::string line = k_StudioStatus::Line(state);
    if (m_statusIsTerminal)
    {
        m_status << "\r" << line << "\033[K" << std::flush;
    }
    else if (event)
    {
        // Redirected: a line for each thing that happened, not for every frame.
        m_status << "studio: " << line << std::endl;
    }
}

// --- the overlay ---

void k_Studio::Present()
{
    if (m_overlay)
        m_overlay->DrawOver({Status(), &m_show->GetShow()});
    m_window->Present();
    if (m_overlay)
        m_overlay->Shown();
}

void k_Studio::ServeOverlay()
{
    if (!m_overlay)
        return;
    // Playing, the next frame draws the overlay with the input anyway.
    const bool input = (m_transport.IsPaused() || !m_active || m_pending) && m_overlay->HasInput();
    const bool drawn = input && m_overlay->Redraw({Status(), &m_show->GetShow()});
    if (drawn)
    {
        m_window->Present();
        m_overlay->Shown();
    }
    if (const std::optional<double> jump = m_overlay->TakeJump())
    {
        m_pending = jump;
        m_transport.Aim(*jump);
    }
    // Paused from play, the overlay keeps no picture yet: the frame on screen is drawn once more, at its time.
    else if (input && !drawn && m_transport.IsPaused() && !m_pending && m_active)
    {
        RedrawFrame();
    }
}

// --- the loop ---

void k_Studio::Run()
{
    ShowAt(m_options.at);
    UpdateStatus(true);
    m_secondStarted = Clock::now();
    Clock::time_point previous = Clock::now();
    while (!m_quit)
    {
        const k_MessagePump::Peeked peeked = k_MessagePump::PeekAndDispatch();
        if (peeked == k_MessagePump::Peeked::Quit)
            break;
        if (peeked == k_MessagePump::Peeked::Dispatched)
            continue;
        if (m_engine->IsQuitRequested())
            break;
        bool jumped = ServeSync();
        ServeOverlay();
        if (!m_keys.empty() || m_pending)
        {
            jumped = true;
            ServeKeys();
        }
        if (m_quit)
            break;
        if (m_pending)
            continue; // stopped by keys: they are served first
        // A reload drawn at once is a jump: the time it took is not played.
        jumped = ReloadSaved() || jumped;
        jumped = ShowPainted() || jumped;
        ShowTune();
        if (m_quit)
            break;
        if (m_pending)
            continue;
        // A jump or the start may have reached the end, paused or not.
        if (m_transport.IsOver(m_options.quitAt))
            break;
        // Minimised, the music waits too; it goes on from the picture's time when the window comes back.
        if (m_window->IsActive() != m_active)
        {
            m_active = m_window->IsActive();
            if (!m_active)
                m_music.Silence();
            else
                FollowMusic();
        }
        if (m_transport.IsPaused() || !m_active)
        {
            // Nothing is drawn; the clock starts again from the next frame.
            UpdateStatus(false);
            k_MessagePump::WaitForMessage(k_PausedWaitMilliseconds);
            previous = Clock::now();
            continue;
        }
        if (jumped)
            previous = Clock::now(); // the time a jump took is not played
        const Clock::time_point now = Clock::now();
        const double elapsed = std::chrono::duration<double>(now - previous).count();
        previous = now;
        m_show->BeginFrame();
        // The picture follows the music being heard (the wall clock's step, corrected to the audio device's).
        m_engine->Update(m_music.Step(elapsed, m_engine->GetTimeline()->GetTime()));
        Present();
        NoteReloadShown();
        ++m_playedFrames;
        m_playedSeconds += elapsed;
        ++m_framesThisSecond;
        const double second = std::chrono::duration<double>(now - m_secondStarted).count();
        if (second >= 1.0)
        {
            m_framesPerSecond = m_framesThisSecond / second;
            m_framesThisSecond = 0;
            m_secondStarted = now;
        }
        const double time = m_engine->GetTimeline()->GetTime();
        TellSyncRow();
        const std::string section = m_transport.SectionAt(m_transport.GetTime()).name;
        const k_StudioTransport::Action wrap = m_transport.Reached(time);
        if (m_transport.IsOver(m_options.quitAt))
            break;
        if (wrap.jump)
        {
            ShowAt(*wrap.jump);
            previous = Clock::now();
        }
        UpdateStatus(wrap.jump.has_value() || section != m_transport.SectionAt(m_transport.GetTime()).name);
    }
    if (m_statusIsTerminal)
        m_status << "\n" << std::flush;
}
