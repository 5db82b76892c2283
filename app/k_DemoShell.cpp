#include "app/k_DemoShell.h"

#include "app/SetupSettings.h"
#include "app/k_Application.h"
#include "app/k_CaptureProgram.h"
#include "app/k_SetupDialog.h"
#include "app/studio/k_StudioProgram.h"
#include "engine/k_Utf8.h"
#include "platform/k_GtkSetupDialog.h"
#include "platform/k_HeapPolicy.h"
#include "platform/k_SdlDisplay.h"
#include "platform/k_Signals.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace
{
// --- setup dialog ---

// Shows the setup dialog with the title; the settings say whether and how to start.
void RunSetupDialog(SetupSettings& settings, const std::string& title)
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
    content.title = title;
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

// Ctrl+C or SIGTERM: the display mode comes back and the audio stops, then the
// process ends as the signal would have: status 130 or 143, so that a shell or a launcher can tell an
// interrupted run from a viewer's quit.
[[noreturn]] void EndInterrupted()
{
    k_SdlDisplay::Abandon();
    k_Signals::ExitAsSignalled();
}
} // namespace

k_DemoShell::k_DemoShell(const ShowProgram& program) : m_program(program) {}

int k_DemoShell::Play()
{
    k_HeapPolicy::KeepLargeBlocksApart();
    k_Signals::Install();
    k_Application application(k_Application::PlatformParts(m_program), k_Application::PlatformAudio(),
                              k_Application::PlatformShowError());
    try
    {
        SetupSettings settings;
        RunSetupDialog(settings, k_Utf8::ToUtf8(m_program.title));
        if (k_Signals::Caught())
            EndInterrupted();
        if (!settings.start)
            return 0;
        // In the show a signal ends the main loop as a quit does: stream freed, show, window, engine gone.
        const int status = application.Run(settings);
        if (k_Signals::Caught())
            EndInterrupted();
        return status;
    }
    catch (const k_Signals::Interrupted&)
    {
        EndInterrupted(); // while the show loads
    }
    catch (const wchar_t* message)
    {
        const int status = application.ReportError(message);
        // Nothing else is cleaned up; the display mode is restored and the status tells callers it failed.
        if (k_Signals::Caught())
            EndInterrupted();
        k_SdlDisplay::Close();
        std::_Exit(status);
    }
}

int k_DemoShell::Main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty())
        return Play();
    if (arguments[0] == "--capture")
    {
        k_HeapPolicy::KeepLargeBlocksApart();
        static std::wstring title;
        title = m_program.title + L" capture";
        k_CaptureProgram capture(m_program, m_program.name + " --capture", title.c_str());
        return capture.Run(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
    }
    if (arguments[0] == "--studio")
    {
        k_StudioProgram studio(m_program, m_program.name + " --studio");
        return studio.Run(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
    }
    const bool help = arguments[0] == "--help" || arguments[0] == "-h";
    std::ostream& out = help ? std::cout : std::cerr;
    if (!help)
        out << m_program.name << ": unknown option \"" << arguments[0] << "\"\n";
    out << "usage: " << m_program.name << "              play the show after the setup dialog\n"
        << "       " << m_program.name << " --capture ...  draw its frames (--capture --help lists how)\n"
        << "       " << m_program.name << " --studio ...   make it live: pause, jump, loop, reload what is saved\n"
        << "                      (--studio --help lists how)\n";
    return help ? 0 : 2;
}
