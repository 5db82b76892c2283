#include "app/k_Application.h"

#include "app/k_Window.h"
#include "demo/k_Demo.h"
#include "engine/k_Engine.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/IGraphics.h"
#include "platform/k_Bass.h"
#include "platform/k_MessageBox.h"
#include "platform/k_SdlWindow.h"

// --- the platform's collaborators ---

ShowProgram k_Application::Starwane()
{
    ShowProgram program;
    program.name = "starwane";
    program.title = L"Orvelant - starwane";
    program.tune = TuneFileName();
    program.makeShow = [](IEngine* engine) -> IShow* { return new k_Demo(engine); };
    program.warmUpSeconds = k_Demo::WarmUpSeconds;
    return program;
}

std::wstring k_Application::TuneFileName()
{
    return k_Demo::TuneFileName;
}

k_Application::Parts k_Application::PlatformParts(const ShowProgram& program, const wchar_t* title)
{
    Parts parts;
    parts.engine = []() -> IEngine* { return new k_Engine(); };
    if (!title)
        title = program.title.c_str();
    parts.window = [title](const SetupSettings& settings, IEngine* engine) -> IWindow* {
        return new k_Window(title, settings.width, settings.height, engine, true, settings.fullscreen);
    };
    parts.demo = program.makeShow;
    parts.tune = program.tune;
    return parts;
}

k_Application::Parts k_Application::PlatformParts(const wchar_t* title)
{
    // starwane's title is a constant; the window keeps a pointer to it.
    static const ShowProgram starwane = Starwane();
    return PlatformParts(starwane, title);
}

IFile* k_Application::OpenTune(IEngine* engine, const std::wstring& tune)
{
    return engine->GetFileSystem()->OpenFile(tune);
}

k_Application::Audio k_Application::PlatformAudio()
{
    return Audio{k_Bass::GetVersion, k_Bass::Init, k_Bass::StreamCreateFile, k_Bass::ChannelPlay, k_Bass::StreamFree};
}

k_Application::ShowError k_Application::PlatformShowError()
{
    return [](k_WindowHandle owner, const wchar_t* message, const wchar_t* caption) {
        // A full-screen window would hide the box; the desktop mode comes back first.
        k_SdlWindow::LeaveFullscreen(owner);
        k_MessageBox::Show(owner, message, caption);
    };
}

k_Application::k_Application(Parts parts, Audio audio, ShowError showError, k_MainLoop::Peek peek,
                             k_MainLoop::Counter read, k_MainLoop::Counter frequency)
    : m_parts(std::move(parts)), m_audio(std::move(audio)), m_showError(std::move(showError)), m_peek(std::move(peek)),
      m_read(std::move(read)), m_frequency(std::move(frequency))
{
}

// --- start-up, main loop, shut-down ---

void k_Application::StartEngine(const SetupSettings& settings)
{
    m_engine = m_parts.engine();
    m_window = m_parts.window(settings, m_engine);
    m_demo = m_parts.demo(m_engine);
    if (!m_window)
        throw L"Couldn't create Window!";
    m_window->Create();
    m_window->Present();
    m_engine->Initialize();
    m_engine->GetGraphics()->SetAspectRatio(settings.aspectRatio);
}

void k_Application::BuildShow()
{
    m_demo->Build();
}

void k_Application::ShutDown()
{
    delete m_demo;
    m_demo = nullptr;
    delete m_window;
    m_window = nullptr;
    delete m_engine;
    m_engine = nullptr;
}

int k_Application::Run(const SetupSettings& settings)
{
    StartEngine(settings);
    BuildShow();

    if ((m_audio.getVersion() >> 16) != 0x0204)
        throw L"BASS :: An incorrect version of BASS.DLL was loaded!";
    if (!m_audio.init(-1, 44100, 0, m_window->GetHandle(), nullptr))
        throw L"BASS :: Can't initialize audio device!";
    // The tune's bytes stay with the audio layer for the whole run: the file is never released.
    IFile* tune = OpenTune(m_engine, m_parts.tune);
    if (!tune)
    {
        static std::wstring message;
        message = L"BASS :: The OGG tune \"" + m_parts.tune + L"\" is not in the data pack!";
        throw message.c_str();
    }
    const int32_t size = tune->GetSize();
    const unsigned char* data = tune->GetData();
    const uint32_t stream = m_audio.streamCreateFile(true, data, 0, static_cast<uint64_t>(size), 0);
    if (stream == 0)
        throw L"BASS :: Can't create the stream for the OGG tune!";

    // One frame with a tiny step, so that every world and schedule has been evaluated before the music starts.
    m_engine->Update(0.00001);
    m_window->Present();
    if (!m_audio.channelPlay(stream, false))
        throw L"BASS :: Can't start playback!";
    k_MainLoop loop(m_engine, m_window, m_demo, m_peek, m_read, m_frequency);
    loop.Start();
    loop.Run();

    m_audio.streamFree(stream);
    ShutDown();
    return 0;
}

int k_Application::ReportError(const wchar_t* message)
{
    m_showError(m_window ? m_window->GetHandle() : nullptr, message, L"Orvelant demo system");
    return 1;
}
