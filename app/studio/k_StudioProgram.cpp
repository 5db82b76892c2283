#include "app/studio/k_StudioProgram.h"

#include "app/SetupSettings.h"
#include "app/k_Application.h"
#include "app/studio/k_Studio.h"
#include "app/studio/k_StudioOptions.h"
#include "app/studio/k_StudioOverlay.h"
#include "app/studio/k_StudioSources.h"
#include "app/studio/k_StudioWindow.h"
#include "demo/k_Show.h"
#include "engine/k_FileSystem.h"
#include "engine/k_Log.h"
#include "engine/k_Utf8.h"
#include "interfaces/IEngine.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/IWindow.h"
#include "platform/k_Bass.h"
#include "platform/k_HeapPolicy.h"
#include "platform/k_SdlDisplay.h"
#include "platform/k_Signals.h"
#include "platform/k_VorbisMemoryFile.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <unistd.h>

namespace
{
// The folder of the caption pictures the studio paints while it runs, removed with everything in it at the end.
struct PaintedFolder
{
    std::filesystem::path path;
    ~PaintedFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
};

std::string ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

// The name of the caption manifest inside the watched folder: the registered manifest's place in the build's
// assets folder, found again in the folder watched (a copy of it, given with --assets); empty when the
// manifest is not inside the build's assets folder.
std::string ManifestName(const k_StudioSources& sources)
{
    if (sources.captions.empty() || sources.assets.empty())
        return {};
    const std::filesystem::path relative =
        std::filesystem::path(sources.captions)
            .lexically_normal()
            .lexically_relative(std::filesystem::path(sources.assets).lexically_normal());
    if (relative.empty() || *relative.begin() == "..")
        return {};
    return relative.generic_string();
}

// The tune from the pack, playing from the time asked; empty calls when there is no audio device.
struct Tune
{
    std::unique_ptr<IFile> file;
    uint32_t stream = 0;
};

k_Studio::Music StartMusic(const std::string& name, IEngine* engine, IWindow* window, const std::wstring& tuneName,
                           Tune& tune)
{
    if (!k_Bass::Init(-1, 44100, 0, window->GetHandle(), nullptr))
    {
        std::cerr << name << ": no audio device; the show runs without its music" << std::endl;
        return {};
    }
    tune.file.reset(k_Application::OpenTune(engine, tuneName));
    if (tune.file)
        tune.stream =
            k_Bass::StreamCreateFile(true, tune.file->GetData(), 0, static_cast<uint64_t>(tune.file->GetSize()), 0);
    if (tune.stream == 0)
    {
        std::cerr << name << ": the tune \"" << k_Utf8::ToUtf8(tuneName)
                  << "\" cannot be played; the show runs without it" << std::endl;
        return {};
    }
    const uint32_t stream = tune.stream;
    k_Studio::Music music;
    music.play = [stream](double seconds) {
        k_Bass::ChannelSetPosition(stream, seconds);
        k_Bass::ChannelPlay(stream, false);
    };
    music.pause = [stream] { k_Bass::ChannelPause(stream); };
    music.position = [stream]() -> std::optional<double> {
        const double heard = k_Bass::ChannelGetPosition(stream);
        return heard >= 0.0 ? std::optional<double>(heard) : std::nullopt;
    };
    // SDL reports no output latency: what is counted is the buffer the callback fills, an estimate that leaves
    // out the sound server's and the card's own buffering.
    k_Log() << "Studio: the music's latency is estimated at "
            << static_cast<int>(std::lround(k_Bass::GetLatency() * 1000.0))
            << " ms (the audio buffer asked of SDL, which reports no device latency); the picture follows the music "
               "heard by that estimate";
    return music;
}

// The overlay over the studio's picture, with the tune's waveform decoded on a thread of its own; none when
// turned off or when it cannot start.
std::unique_ptr<k_StudioOverlay> StartOverlay(const k_StudioOptions& options, k_Application& application)
{
    if (!options.overlay)
        return nullptr;
    auto overlay = std::make_unique<k_StudioOverlay>(application.GetEngine(), application.GetWindow());
    if (!overlay->IsStarted())
        return nullptr;
    if (options.overlayCost)
        overlay->MeasureCost();
    std::shared_ptr<IFile> file(k_Application::OpenTune(application.GetEngine(), application.GetTuneName()));
    if (file)
        overlay->DecodeTune([file] {
            k_StudioWaveform::Sound sound;
            k_VorbisMemoryFile vorbis;
            if (vorbis.Open(file->GetData(), static_cast<size_t>(file->GetSize())) && vorbis.DecodeAll(sound.samples))
            {
                sound.channels = vorbis.GetChannels();
                sound.rate = vorbis.GetRate();
            }
            return sound;
        });
    return overlay;
}
} // namespace

k_StudioProgram::k_StudioProgram(const ShowProgram& program, std::string name)
    : m_program(program), m_name(std::move(name)), m_title(program.title + L" studio")
{
}

int k_StudioProgram::Run(const std::vector<std::string>& arguments)
{
    k_HeapPolicy::KeepLargeBlocksApart();
    k_StudioOptions options;
    const std::string refusal = options.Parse(arguments);
    if (options.help)
    {
        std::cout << k_StudioOptions::Usage(m_name);
        return 0;
    }
    if (!refusal.empty())
    {
        std::cerr << m_name << ": " << refusal << "\n" << k_StudioOptions::Usage(m_name);
        return 2;
    }
    const k_StudioSources& sources = k_StudioSources::Registered();
    std::string assets = options.assets;
    if (assets.empty() && !options.noAssets)
    {
        const k_StudioSources::Choice choice = sources.DefaultAssets(ProgramFolder());
        assets = choice.folder;
        if (assets.empty())
            std::cerr << m_name << ": runs from its pack, watching nothing: " << choice.reason
                      << " (--assets DIR serves and watches a folder)" << std::endl;
    }

    k_Signals::Install();
    k_Studio* studio = nullptr;
    const wchar_t* title = m_title.c_str();
    k_Application::Parts parts = k_Application::PlatformParts(m_program, title);
    parts.window = [&studio, title](const SetupSettings& settings, IEngine* engine) -> IWindow* {
        return new k_StudioWindow(title, settings.width, settings.height, engine,
                                  [&studio](uint32_t code, bool shift, bool repeat) {
                                      if (studio)
                                          studio->OnKey(code, shift, repeat);
                                  });
    };
    const std::string name = m_name;
    k_Application application(std::move(parts), k_Application::Audio(),
                              [name](k_WindowHandle, const wchar_t* message, const wchar_t*) {
                                  std::cerr << name << ": " << k_Utf8::ToUtf8(message) << std::endl;
                              });
    try
    {
        if (!k_SdlDisplay::Open())
        {
            // Said with SDL's own reason, which tells a display that is not there from one that refused.
            static std::wstring message;
            message = L"Cannot open the display: the studio needs a graphical session (is DISPLAY set?). SDL: " +
                      k_Utf8::FromUtf8(k_SdlDisplay::GetError());
            throw message.c_str();
        }
        SetupSettings settings;
        settings.start = true;
        settings.width = options.width;
        settings.height = options.height;
        settings.aspectRatio = static_cast<float>(options.width) / static_cast<float>(options.height);
        settings.fullscreen = false;
        application.StartEngine(settings);
        IEngine* engine = application.GetEngine();
        auto* show = dynamic_cast<k_Show*>(application.GetShow());
        if (!show)
            throw L"The studio plays shows made on k_Show (their timeline is the show file); this show is not.";
        if (!assets.empty())
        {
            if (auto* files = dynamic_cast<k_FileSystem*>(engine->GetFileSystem()))
                files->SetOverlayFolder(std::filesystem::absolute(assets));
            k_Log() << "Studio: serving and watching " << assets;
        }
        application.BuildShow();
        if (k_Signals::Caught())
            k_Signals::ExitAsSignalled();

        Tune tune;
        const k_Studio::Music music =
            StartMusic(m_name, engine, application.GetWindow(), application.GetTuneName(), tune);
        // Made before the studio, so that it goes after it: the painter it may run has stopped by then.
        PaintedFolder paintedFolder;
        k_Studio run(options, m_program, engine, application.GetWindow(), show, music, std::cerr,
                     isatty(STDERR_FILENO) != 0);
        // The build's caption painter paints the captions again when the watched manifest is saved; its pictures
        // go to a folder of this run's, served after the watched one.
        if (!assets.empty())
        {
            run.WatchAssets(assets);
            const std::string manifest = ManifestName(sources);
            const std::filesystem::path painter = std::filesystem::path(sources.tools) / "orvelant_captiongen";
            std::error_code error;
            std::string folder =
                (std::filesystem::temp_directory_path(error) / (m_program.name + "-studio-XXXXXX")).string();
            if (manifest.empty() || sources.tools.empty())
                k_Log() << "Studio: no caption manifest in the assets folder; the captions are painted by the build";
            else if (!std::filesystem::exists(painter))
                k_Log() << "Studio: the caption painter " << painter.string()
                        << " is not there; the captions are painted by the build";
            else if (mkdtemp(folder.data()))
            {
                paintedFolder.path = folder;
                const std::filesystem::path painted = std::filesystem::path(folder) / "painted";
                std::filesystem::create_directories(painted);
                if (auto* files = dynamic_cast<k_FileSystem*>(engine->GetFileSystem()))
                    files->SetPaintedFolder(painted);
                run.PaintCaptions(painter.string(), manifest, painted.string());
            }
        }
        if (options.sync)
            run.ConnectSyncEditor(assets);
        // Made on the window's GL context, it goes before the engine does.
        std::unique_ptr<k_StudioOverlay> overlay = StartOverlay(options, application);
        run.UseOverlay(overlay.get());
        studio = &run;
        run.Run();
        studio = nullptr;
        run.UseOverlay(nullptr);
        overlay.reset();
        if (tune.stream != 0)
            k_Bass::StreamFree(tune.stream);
        if (run.GetPlayedSeconds() > 0.0)
            std::cerr << m_name << ": " << run.GetPlayedFrames() << " frames played in " << run.GetPlayedSeconds()
                      << " s (" << run.GetPlayedFrames() / run.GetPlayedSeconds() << " fps)" << std::endl;
        application.ShutDown();
        // Thrown rather than ended here, so that the studio (and the painter it may run) and the painted folder
        // are gone before the program ends as signalled.
        if (k_Signals::Caught())
            throw k_Signals::Interrupted();
        return 0;
    }
    catch (const k_Signals::Interrupted&)
    {
        k_SdlDisplay::Abandon();
        k_Signals::ExitAsSignalled();
    }
    catch (const wchar_t* message)
    {
        const int status = application.ReportError(message);
        k_SdlDisplay::Close();
        std::_Exit(status);
    }
}
