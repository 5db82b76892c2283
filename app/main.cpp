// starwane: the entry point. Asks for the display settings, brings up the
// engine, the window and the show in a fixed order, starts the music, runs
// the main loop until the viewer quits, and is the one place errors end up.
#include "app/SetupSettings.h"
#include "app/k_MainLoop.h"
#include "app/k_SetupDialog.h"
#include "app/k_Window.h"
#include "demo/k_Demo.h"
#include "engine/k_Engine.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/IGraphics.h"
#include "platform/k_Bass.h"
#include "platform/k_GtkSetupDialog.h"
#include "platform/k_MessageBox.h"
#include "platform/k_SdlDisplay.h"
#include "platform/k_SdlWindow.h"

#include <cstdint>
#include <cstdlib>

namespace
{
// --- setup dialog ---

// Shows the setup dialog; the settings say whether and how to start.
void RunSetupDialog(SetupSettings& settings)
{
    if (!k_GtkSetupDialog::Open() || !k_SdlDisplay::Open())
        throw L"Cannot open the display: the demo needs a graphical session (is DISPLAY set?).";

    std::vector<std::pair<int, int>> modes;
    for (const k_SdlDisplay::Mode& mode : k_SdlDisplay::GetModes())
        modes.emplace_back(mode.width, mode.height);
    const k_SdlDisplay::Mode desktop = k_SdlDisplay::GetDesktopMode();

    k_SetupDialog dialog(settings);
    dialog.Initialize(modes, desktop.width, desktop.height);
    k_GtkSetupDialog::Content content;
    content.title = k_SetupDialog::Title;
    content.resolutions = dialog.GetResolutions();
    content.resolutionSelection = dialog.GetResolutionSelection();
    content.aspectRatios = dialog.GetAspectRatios();
    content.aspectRatioSelection = dialog.GetAspectRatioSelection();
    content.fullscreen = dialog.IsFullscreenChecked();
    k_GtkSetupDialog::Run(content,
                          [&dialog](uint32_t command, const std::string& resolution, const std::string& aspect) {
                              dialog.HandleCommand(command, resolution, aspect);
                              return k_GtkSetupDialog::Verdict{dialog.IsEnded(), dialog.GetRefusal()};
                          });
}

// --- start-up, main loop, shut-down ---

k_Engine* g_engine = nullptr;
k_Window* g_window = nullptr;
k_Demo* g_demo = nullptr;

int Run()
{
    SetupSettings settings;
    RunSetupDialog(settings);
    if (!settings.start)
        return 0;

    g_engine = new k_Engine();
    g_window =
        new k_Window(L"Orvelant - starwane", settings.width, settings.height, g_engine, true, settings.fullscreen);
    g_demo = new k_Demo(g_engine);
    if (!g_window)
        throw L"Couldn't create Window!";
    g_window->Create();
    g_window->Present();
    g_engine->Initialize();
    g_engine->GetGraphics()->SetAspectRatio(settings.aspectRatio);
    g_demo->Build();

    if ((k_Bass::GetVersion() >> 16) != 0x0204)
        throw L"BASS :: An incorrect version of BASS.DLL was loaded!";
    if (!k_Bass::Init(-1, 44100, 0, g_window->GetHandle(), nullptr))
        throw L"BASS :: Can't initialize audio device!";
    // The tune's bytes stay with the audio layer for the whole run: the file is never released.
    IFile* tune = g_engine->GetFileSystem()->OpenFile(L"ov-starwane.ogg");
    if (!tune)
        throw L"BASS :: The OGG tune \"ov-starwane.ogg\" is not in the data pack!";
    const int32_t size = tune->GetSize();
    const unsigned char* data = tune->GetData();
    const uint32_t stream = k_Bass::StreamCreateFile(true, data, 0, static_cast<uint64_t>(size), 0);
    if (stream == 0)
        throw L"BASS :: Can't create the stream for the OGG tune!";

    g_engine->Update(0.00001);
    g_window->Present();
    if (!k_Bass::ChannelPlay(stream, false))
        throw L"BASS :: Can't start playback!";
    k_MainLoop loop(g_engine, g_window, g_demo);
    loop.Start();
    loop.Run();

    k_Bass::StreamFree(stream);
    delete g_demo;
    g_demo = nullptr;
    delete g_window;
    g_window = nullptr;
    delete g_engine;
    g_engine = nullptr;
    return 0;
}
} // namespace

int main()
{
    try
    {
        return Run();
    }
    catch (const wchar_t* message)
    {
        k_WindowHandle owner = g_window ? g_window->GetHandle() : nullptr;
        // A full-screen window would hide the box; the desktop mode comes back first.
        if (owner && g_window->IsFullscreen())
            k_SdlWindow::LeaveFullscreen(owner);
        k_MessageBox::Show(owner, message, L"Orvelant demo system");
        // Nothing else is cleaned up; the display mode is restored and the status tells callers it failed.
        k_SdlDisplay::Close();
        std::_Exit(1);
    }
}
