// starwane-capture: the entry point of the capture program. Brings up the
// same engine, window and show as starwane (without the setup dialog and
// without playing the tune), then drives demo time in fixed steps from a
// warm-up before the first time asked for (or from 0) and writes the frames
// asked for as PNG files or a video, or measures them (--bench).
#include "app/SetupSettings.h"
#include "app/k_Application.h"
#include "app/k_BenchReport.h"
#include "app/k_CaptureLoop.h"
#include "app/k_CaptureOptions.h"
#include "app/k_CaptureProgress.h"
#include "demo/k_Demo.h"
#include "engine/k_Log.h"
#include "engine/k_Utf8.h"
#include "graphics/k_FrameReader.h"
#include "graphics/k_PassTimer.h"
#include "interfaces/IEngine.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IWindow.h"
#include "platform/k_HeapPolicy.h"
#include "platform/k_MessagePump.h"
#include "platform/k_PngWriter.h"
#include "platform/k_SdlDisplay.h"
#include "platform/k_SdlGlContext.h"
#include "platform/k_SdlWindow.h"
#include "platform/k_VideoEncoder.h"
#include "platform/k_VorbisMemoryFile.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

// Error texts are built at run time here; the error convention throws pointers to constant strings,
// so the one message of the run is kept alive in this variable.
std::wstring g_message;

[[noreturn]] void Fail(const std::string& message)
{
    g_message = k_Utf8::FromUtf8(message);
    throw g_message.c_str();
}

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// --- measurements ---

// Seconds between the process's start (as the kernel recorded it) and now; 0 when unknown.
double SecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The name in parentheses may hold spaces: fields are counted after its closing parenthesis.
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0.0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    for (int i = 3; i < 22 && fields >> field; ++i)
    {
    }
    unsigned long long startTicks = 0;
    timespec now{};
    if (!(fields >> startTicks) || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return 0.0;
    const double started = static_cast<double>(startTicks) / static_cast<double>(sysconf(_SC_CLK_TCK));
    const double since = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9 - started;
    return since > 0.0 ? since : 0.0;
}

// Processor time of the whole process so far (every thread, user and system), in milliseconds.
double ProcessorMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0);
}

double PeakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// --- the display ---

// Why SDL's video could not be started, and what to do about it.
std::string DisplayFailure(bool offscreen)
{
    if (offscreen)
        return "Cannot draw without a display: SDL's offscreen video driver does not start (" +
               k_SdlDisplay::GetError() + ").";
    std::string message = "Cannot open the display (" + k_SdlDisplay::GetError() + ")";
    if (const char* driver = std::getenv("SDL_VIDEODRIVER"); driver && driver[0] != '\0')
        return message + "; SDL_VIDEODRIVER asks for \"" + driver + "\": unset it to draw without a display.";
    return message + ".";
}

// --- outputs ---

// Creates and removes a file of the given name, to prove that the place can be written.
void ProveWritable(const std::string& probe, const std::string& what)
{
    FILE* file = std::fopen(probe.c_str(), "wb");
    if (!file)
        Fail("Capture: cannot write " + what + ": " + std::strerror(errno));
    std::fclose(file);
    std::error_code ignored;
    std::filesystem::remove(probe, ignored);
}

// Makes the folder if needed and proves it can be written, before anything is drawn.
void PrepareFolder(const std::string& folder)
{
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (failure || !std::filesystem::is_directory(folder))
        Fail("Capture: cannot make the output folder " + folder + (failure ? ": " + failure.message() : ""));
    ProveWritable((std::filesystem::path(folder) / (".capture-probe." + std::to_string(getpid()))).string(),
                  "into the output folder " + folder);
}

// The tune's samples for the video's frames: the sound starts at the first frame's demo time and lasts
// as long as the frames.
std::vector<int16_t> TuneForFrames(IEngine* engine, int64_t firstFrame, int64_t frames, int fps, int& channels,
                                   int& rate)
{
    IFile* tune = engine->GetFileSystem()->OpenFile(L"ov-starwane.ogg");
    if (!tune)
        throw L"Capture: the OGG tune \"ov-starwane.ogg\" is not in the data pack!";
    k_VorbisMemoryFile vorbis;
    std::vector<int16_t> decoded;
    if (!vorbis.Open(tune->GetData(), static_cast<size_t>(tune->GetSize())) || !vorbis.DecodeAll(decoded))
        throw L"Capture: the OGG tune \"ov-starwane.ogg\" cannot be decoded!";
    channels = vorbis.GetChannels();
    rate = vorbis.GetRate();
    // The decoded tune is cut down where it lies: a whole show's sound is 35 MB.
    return k_VideoEncoder::Slice(std::move(decoded), channels, rate, firstFrame, frames, fps);
}

// Writes the text under a temporary name beside the file and renames it: a file that is there is whole.
void WriteWhole(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out)
        {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            Fail("Capture: cannot write " + path);
        }
    }
    std::error_code failure;
    std::filesystem::rename(temporary, path, failure);
    if (failure)
    {
        std::filesystem::remove(temporary, failure);
        Fail("Capture: cannot write " + path);
    }
}
} // namespace

int main(int argc, char** argv)
{
    k_HeapPolicy::KeepLargeBlocksApart();
    const Clock::time_point mainStarted = Clock::now();
    const double beforeMain = SecondsSinceProcessStart();

    k_CaptureOptions options;
    const std::string refusal = options.Parse(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help)
    {
        std::cout << k_CaptureOptions::Usage();
        return 0;
    }
    if (!refusal.empty())
    {
        std::cerr << "starwane-capture: " << refusal << "\n" << k_CaptureOptions::Usage();
        return 2;
    }

    long glErrors = 0;
    k_Log::SetListener([&glErrors](std::string_view line) {
        // The device logs one line per error; the note that it stopped draining is not an error of its own.
        if (line.rfind("OPENGL :: ERROR", 0) == 0 && line != "OPENGL :: ERROR Too many errors!")
            ++glErrors;
    });

    k_Application application(k_Application::PlatformParts(L"Orvelant - starwane capture"), k_Application::Audio(),
                              [](k_WindowHandle, const wchar_t* message, const wchar_t*) {
                                  std::cerr << "starwane-capture: " << k_Utf8::ToUtf8(message) << std::endl;
                              });
    try
    {
        // --- what cannot be drawn or written is found before anything is drawn ---
        // With no display at all the frames are drawn through SDL's offscreen driver, which needs no window
        // system (EGL); a driver asked for by SDL_VIDEODRIVER is used as it is.
        const bool offscreen = k_SdlDisplay::PreferOffscreenWithoutDisplay();
        if (!k_SdlDisplay::Open())
            Fail(DisplayFailure(offscreen));
        if (offscreen)
            k_Log() << "starwane-capture: no display (neither DISPLAY nor WAYLAND_DISPLAY is set): drawing through "
                       "SDL's offscreen video driver.";
        // A size the driver cannot draw is a bad command line too, found before anything is drawn.
        int maxWidth = 0, maxHeight = 0;
        if (!k_SdlGlContext::QueryMaxPictureSize(maxWidth, maxHeight))
            Fail("Cannot draw: no OpenGL context can be had through SDL's " + k_SdlDisplay::GetDriverName() +
                 " video driver (" + k_SdlGlContext::GetError() +
                 "). Install Mesa's OpenGL and EGL drivers (libgl1-mesa-dri, libegl-mesa0) or run on a display.");
        if (const std::string tooLarge = options.CheckDriverLimit(maxWidth, maxHeight); !tooLarge.empty())
        {
            std::cerr << "starwane-capture: " << tooLarge << "\n" << k_CaptureOptions::Usage();
            return 2;
        }
        if (!options.outDirectory.empty())
            PrepareFolder(options.outDirectory);
        if (!options.jsonFile.empty())
            ProveWritable(options.jsonFile + ".part", options.jsonFile);
        std::unique_ptr<k_VideoEncoder> video;
        std::string error;
        if (!options.videoFile.empty())
        {
            video = std::make_unique<k_VideoEncoder>(options.videoFile);
            if (!video->Prepare(error))
                Fail("Capture: " + error);
        }

        // --- the show's start-up, without the dialog and the tune ---
        SetupSettings settings;
        settings.start = true;
        settings.width = options.width;
        settings.height = options.height;
        settings.aspectRatio = options.aspectRatio;
        settings.fullscreen = false;
        application.StartEngine(settings);
        const Clock::time_point engineUp = Clock::now();
        IEngine* engine = application.GetEngine();
        int drawableWidth = 0, drawableHeight = 0;
        k_SdlWindow::GetDrawableSize(application.GetWindow()->GetHandle(), drawableWidth, drawableHeight);
        if (drawableWidth != options.width || drawableHeight != options.height)
            Fail("Capture: the window's picture is " + std::to_string(drawableWidth) + "x" +
                 std::to_string(drawableHeight) + ", not the " + std::to_string(options.width) + "x" +
                 std::to_string(options.height) + " asked for");
        const k_CaptureLoop loop(options);
        // The video's sound is decoded, handed to the encoder and let go before the show is built: the
        // decoded tune then never adds to the memory the show holds.
        if (video)
        {
            const int64_t frames = loop.LastInRange() - loop.FirstInRange() + 1;
            k_VideoEncoder::Sound sound;
            const std::vector<int16_t> samples =
                TuneForFrames(engine, loop.FirstInRange(), frames, options.fps, sound.channels, sound.rate);
            sound.samples = samples.data();
            sound.count = samples.size();
            if (!video->Start(options.width, options.height, options.fps, sound, error))
                Fail("Capture: " + error);
        }
        application.BuildShow();
        const Clock::time_point built = Clock::now();

        // --- the frames ---
        std::unique_ptr<k_FrameReader> reader;
        if (!options.outDirectory.empty() || video)
        {
            reader =
                std::make_unique<k_FrameReader>(options.width, options.height, [&](int64_t tag, const uint8_t* rows) {
                    if (video && !video->WriteFrame(rows, error))
                        Fail("Capture: " + error);
                    if (options.outDirectory.empty())
                        return;
                    // The tag is the frame's place in the list of frames to write.
                    const k_CaptureLoop::Frame& frame = loop.Written()[static_cast<size_t>(tag)];
                    for (const double time : frame.nameTimes)
                    {
                        const std::string path =
                            (std::filesystem::path(options.outDirectory) / k_CaptureLoop::FileName(time)).string();
                        if (!k_PngWriter::Write(path, options.width, options.height, rows, error))
                            Fail("Capture: " + error);
                    }
                });
        }

        std::vector<double> boundaries;
        const k_ShowFile& show = application.GetDemo()->GetShow();
        for (const k_ShowFile::Section& section : show.GetSections())
            boundaries.push_back(section.start);
        boundaries.push_back(show.GetLength());
        k_BenchReport report(options.width, options.height, options.fps, options.from, options.to, boundaries);
        k_CaptureProgress progress(loop.DrawnCount(), isatty(STDERR_FILENO) != 0, std::cerr);
        Clock::time_point firstFrameDone{};
        Clock::time_point previous = built;
        double previousCpu = ProcessorMilliseconds();
        int64_t written = 0;
        int64_t drawn = 0;
        // The benchmark times every world, render step and pass of a frame, and the swap.
        k_PassTimer::SetEnabled(options.bench);
        std::optional<k_PassTimer> swapTimer;
        k_CaptureLoop::Hooks hooks;
        hooks.peek = k_MessagePump::PeekAndDispatch;
        hooks.drawn = [&](int64_t, const k_CaptureLoop::Frame* frame) {
            if (engine->GetGraphics()->GetWidth() != options.width ||
                engine->GetGraphics()->GetHeight() != options.height)
                Fail("Capture: the window was resized while capturing");
            if (frame && reader)
                reader->Read(written++);
            if (k_PassTimer::IsEnabled())
                swapTimer.emplace("swap");
        };
        hooks.presented = [&](int64_t index) {
            swapTimer.reset();
            const std::vector<k_PassTimer::Part> parts = k_PassTimer::TakeFrame();
            const Clock::time_point now = Clock::now();
            const double cpu = ProcessorMilliseconds();
            if (index == 0)
                firstFrameDone = now;
            else if (index >= loop.FirstInRange() && index <= loop.LastInRange())
                report.AddFrame(loop.TimeOf(index), Seconds(previous, now) * 1000.0, parts, cpu - previousCpu);
            previous = now;
            previousCpu = cpu;
            progress.Update(++drawn, Seconds(built, now));
        };
        loop.Run(engine, application.GetWindow(), application.GetDemo(), hooks);
        k_PassTimer::SetEnabled(false);
        if (reader)
            reader->Flush();
        reader.reset();
        progress.Finish();
        if (video && !video->Finish(error))
            Fail("Capture: " + error);

        if (options.bench)
        {
            report.SetStartup(beforeMain + Seconds(mainStarted, engineUp), Seconds(engineUp, built),
                              Seconds(built, firstFrameDone));
            report.SetPeakMemory(PeakResidentMegabytes());
            report.SetGlErrors(glErrors);
            std::cout << report.Text() << std::flush;
            if (!options.jsonFile.empty())
                WriteWhole(options.jsonFile, report.Json());
        }
        std::cerr << "starwane-capture: " << written << " frame(s) written, " << drawn << " drawn" << std::endl;
        application.ShutDown();
        k_Log::SetListener(nullptr);
        return 0;
    }
    catch (const wchar_t* message)
    {
        const int status = application.ReportError(message);
        k_SdlDisplay::Close();
        std::_Exit(status);
    }
}
