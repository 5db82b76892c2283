// starwane-studio: the entry point of the program for making and checking
// the show. Brings up the same engine, window and show as starwane (without
// the setup dialog), serves the assets folder before the pack and watches it,
// plays the tune in step with demo time, and hands over to the studio's loop.
#include "app/SetupSettings.h"
#include "app/k_Application.h"
#include "app/studio/k_Studio.h"
#include "app/studio/k_StudioOptions.h"
#include "app/studio/k_StudioOverlay.h"
#include "app/studio/k_StudioWindow.h"
#include "demo/k_Demo.h"
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
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
const wchar_t* const k_Title = L"starwane studio";

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

// The tune from the pack, playing from the time asked; empty calls when there is no audio device.
struct Tune
{
    std::unique_ptr<IFile> file;
    uint32_t stream = 0;
};

k_Studio::Music StartMusic(IEngine* engine, IWindow* window, const std::wstring& name, Tune& tune)
{
    if (!k_Bass::Init(-1, 44100, 0, window->GetHandle(), nullptr))
    {
        std::cerr << "starwane-studio: no audio device; the show runs without its music" << std::endl;
        return {};
    }
    tune.file.reset(k_Application::OpenTune(engine, name));
    if (tune.file)
        tune.stream =
            k_Bass::StreamCreateFile(true, tune.file->GetData(), 0, static_cast<uint64_t>(tune.file->GetSize()), 0);
    if (tune.stream == 0)
    {
        std::cerr << "starwane-studio: the tune \"" << k_Utf8::ToUtf8(name)
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
    k_Log() << "Studio: the music is heard " << static_cast<int>(std::lround(k_Bass::GetLatency() * 1000.0))
            << " ms after the device takes it (its buffer); the picture follows what is heard";
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

int main(int argc, char** argv)
{
    k_HeapPolicy::KeepLargeBlocksApart();
    k_StudioOptions options;
    const std::string refusal = options.Parse(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help)
    {
        std::cout << k_StudioOptions::Usage();
        return 0;
    }
    if (!refusal.empty())
    {
        std::cerr << "starwane-studio: " << refusal << "\n" << k_StudioOptions::Usage();
        return 2;
    }
    std::string assets = options.assets;
    if (assets.empty() && !options.noAssets)
        assets = k_StudioOptions::DefaultAssets(ProgramFolder(), ORV_STUDIO_BUILD_BIN, ORV_STUDIO_SOURCE_ASSETS);

    k_Signals::Install();
    k_Studio* studio = nullptr;
    k_Application::Parts parts = k_Application::PlatformParts(k_Title);
    parts.window = [&studio](const SetupSettings& settings, IEngine* engine) -> IWindow* {
        return new k_StudioWindow(k_Title, settings.width, settings.height, engine,
                                  [&studio](uint32_t code, bool shift, bool repeat) {
                                      if (studio)
                                          studio->OnKey(code, shift, repeat);
                                  });
    };
    k_Application application(std::move(parts), k_Application::Audio(),
                              [](k_WindowHandle, const wchar_t* message, const wchar_t*) {
                                  std::cerr << "starwane-studio: " << k_Utf8::ToUtf8(message) << std::endl;
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
        const k_Studio::Music music = StartMusic(engine, application.GetWindow(), application.GetTuneName(), tune);
        // Made before the studio, so that it goes after it: the painter it may run has stopped by then.
        PaintedFolder paintedFolder;
        k_Studio run(options, engine, application.GetWindow(), application.GetDemo(), music, std::cerr,
                     isatty(STDERR_FILENO) != 0);
        // Run from the build tree, the build's caption painter paints the captions again when the watched
        // Captions.txt is saved; its pictures go to a folder of this run's, served after the watched one.
        std::filesystem::path painted;
        if (!assets.empty())
        {
            run.WatchAssets(assets);
            const std::filesystem::path painter = std::filesystem::path(ProgramFolder()) / "orvelant_captiongen";
            std::error_code noTemporary;
            std::string folder =
                (std::filesystem::temp_directory_path(noTemporary) / "starwane-studio-XXXXXX").string();
            if (!noTemporary && std::filesystem::exists(painter) && mkdtemp(folder.data()))
            {
                paintedFolder.path = folder;
                painted = std::filesystem::path(folder) / "painted";
                std::filesystem::create_directories(painted);
                if (auto* files = dynamic_cast<k_FileSystem*>(engine->GetFileSystem()))
                    files->SetPaintedFolder(painted);
                run.PaintCaptions(painter.string(), painted.string());
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
            std::cerr << "starwane-studio: " << run.GetPlayedFrames() << " frames played in " << run.GetPlayedSeconds()
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
