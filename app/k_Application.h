#pragma once
// The program's run once the viewer has confirmed the setup dialog: creates the
// engine, the window and the show, brings them up in a fixed order, starts the
// tune just before the first counter reading, runs the main loop, and shuts
// down (stream, show, window, engine). The collaborators come in from outside,
// so the whole sequence can be recorded; the entry point passes the real ones.
#include "app/SetupSettings.h"
#include "app/ShowProgram.h"
#include "app/k_MainLoop.h"
#include "interfaces/PlatformHandles.h"

#include <cstdint>
#include <functional>
#include <string>

class IEngine;
class IFile;
class IShow;
class IWindow;

class k_Application
{
public:
    // The audio layer's five calls.
    struct Audio
    {
        std::function<uint32_t()> getVersion;
        std::function<bool(int, uint32_t, uint32_t, k_WindowHandle, const void*)> init;
        std::function<uint32_t(bool, const void*, uint64_t, uint64_t, uint32_t)> streamCreateFile;
        std::function<bool(uint32_t, bool)> channelPlay;
        std::function<bool(uint32_t)> streamFree;
    };
    // Makers of the three top-level objects, each deleted by the shut-down, and the tune's name in the pack.
    struct Parts
    {
        std::function<IEngine*()> engine;
        std::function<IWindow*(const SetupSettings&, IEngine*)> window;
        std::function<IShow*(IEngine*)> demo;
        std::wstring tune = TuneFileName();
    };
    // Shows an error: owner window (null for none), text, caption.
    using ShowError = std::function<void(k_WindowHandle, const wchar_t*, const wchar_t*)>;

    // The show "starwane" as a program: its name, title, tune and show.
    static ShowProgram Starwane();
    // The tune of starwane ("ov-starwane.ogg").
    static std::wstring TuneFileName();
    // The engine, the window with the title (the program's own by default) and the program's show and tune.
    // Neither the program nor the title is copied: they must outlive the window.
    static Parts PlatformParts(const ShowProgram& program, const wchar_t* title = nullptr);
    // starwane's parts (the window's title given, or its own).
    static Parts PlatformParts(const wchar_t* title = nullptr);
    // Opens the parts' tune in the engine's pack (the caller owns the file), or null when the pack lacks it.
    static IFile* OpenTune(IEngine* engine, const std::wstring& tune);
    // The audio layer of the platform.
    static Audio PlatformAudio();
    // The platform's message box (out of full screen first, so that it can be seen).
    static ShowError PlatformShowError();

    // The message source and the counter default to the platform's own (see k_MainLoop).
    k_Application(Parts parts, Audio audio, ShowError showError, k_MainLoop::Peek peek = k_MessagePump::PeekAndDispatch,
                  k_MainLoop::Counter read = nullptr, k_MainLoop::Counter frequency = nullptr);

    // Start-up, main loop and shut-down with the confirmed settings; returns the exit status (0).
    // The errors of every step are thrown on; whatever was created then stays alive.
    int Run(const SetupSettings& settings);
    // Shows the error owned by the window, if there is one; returns the exit status of a failed run (1).
    int ReportError(const wchar_t* message);

    // The steps every program that shows the show shares, in their order. Run takes them itself; a
    // program that drives demo time on its own (the capture) takes them one by one and then its own frames.
    // Makes the engine, the window and the show, creates and presents the window, initialises the engine
    // and hands the aspect ratio to the graphics device.
    void StartEngine(const SetupSettings& settings);
    // Builds the show (the loading bar advances).
    void BuildShow();
    // Destroys the show, the window and the engine, in that order.
    void ShutDown();

    IEngine* GetEngine() const { return m_engine; }
    IWindow* GetWindow() const { return m_window; }
    IShow* GetShow() const { return m_demo; }
    const std::wstring& GetTuneName() const { return m_parts.tune; }

private:
    Parts m_parts;
    Audio m_audio;
    ShowError m_showError;
    k_MainLoop::Peek m_peek;
    k_MainLoop::Counter m_read;
    k_MainLoop::Counter m_frequency;
    IEngine* m_engine = nullptr;
    IWindow* m_window = nullptr;
    IShow* m_demo = nullptr;
};
