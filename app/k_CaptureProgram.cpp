#include "app/k_CaptureProgram.h"

#include "app/SetupSettings.h"
#include "app/k_BenchReport.h"
#include "app/k_CaptureLoop.h"
#include "app/k_CaptureProgress.h"
#include "demo/k_Show.h"
#include "engine/k_Log.h"
#include "engine/k_Utf8.h"
#include "graphics/k_FrameReader.h"
#include "graphics/k_PassTimer.h"
#include "interfaces/IEngine.h"
#include "interfaces/IFile.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IShow.h"
#include "interfaces/IWindow.h"
#include "platform/k_MessagePump.h"
#include "platform/k_PngWriter.h"
#include "platform/k_SdlDisplay.h"
#include "platform/k_SdlGlContext.h"
#include "platform/k_SdlWindow.h"
#include "platform/k_VideoEncoder.h"
#include "platform/k_VorbisMemoryFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#include <utility>

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

// The outermost folder of the path that does not exist yet (empty when it all exists).
std::filesystem::path FirstMissing(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path missing;
    for (std::filesystem::path at = path; !at.empty() && !std::filesystem::exists(at, error); at = at.parent_path())
    {
        missing = at;
        if (at == at.parent_path())
            break;
    }
    return missing;
}

// Takes away the empty folders PrepareFolder made for the path, up to the first one that was missing.
void RemoveMadeFolders(const std::filesystem::path& path, const std::filesystem::path& firstMissing)
{
    std::error_code error;
    for (std::filesystem::path at = path; !firstMissing.empty() && !at.empty(); at = at.parent_path())
    {
        if (!std::filesystem::remove(at, error) || at == firstMissing || at == at.parent_path())
            break;
    }
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
std::vector<int16_t> TuneForFrames(IEngine* engine, const std::wstring& name, int64_t firstFrame, int64_t frames,
                                   int fps, int& channels, int& rate)
{
    const std::unique_ptr<IFile> tune(k_Application::OpenTune(engine, name));
    if (!tune)
        Fail("Capture: the OGG tune \"" + k_Utf8::ToUtf8(name) + "\" is not in the data pack!");
    k_VorbisMemoryFile vorbis;
    std::vector<int16_t> decoded;
    if (!vorbis.Open(tune->GetData(), static_cast<size_t>(tune->GetSize())) || !vorbis.DecodeAll(decoded))
        Fail("Capture: the OGG tune \"" + k_Utf8::ToUtf8(name) + "\" cannot be decoded!");
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

k_CaptureProgram::k_CaptureProgram(const ShowProgram& program, std::string name, const wchar_t* title)
    : m_program(program), m_name(std::move(name)),
      m_application(k_Application::PlatformParts(program, title), k_Application::Audio(),
                    [this](k_WindowHandle, const wchar_t* message, const wchar_t*) {
                        std::cerr << m_name << ": " << k_Utf8::ToUtf8(message) << std::endl;
                    }),
      m_started(Clock::now()), m_beforeMain(SecondsSinceProcessStart())
{
    m_options.warmUp = program.warmUpSeconds;
}

k_CaptureProgram::~k_CaptureProgram() = default;

// --- before anything is drawn ---

bool k_CaptureProgram::Prepare()
{
    // With no display at all the frames are drawn through SDL's offscreen driver, which needs no window
    // system (EGL); a driver asked for by SDL_VIDEODRIVER is used as it is.
    const bool offscreen = k_SdlDisplay::PreferOffscreenWithoutDisplay();
    if (!k_SdlDisplay::Open())
        Fail(DisplayFailure(offscreen));
    if (offscreen)
        k_Log() << m_name
                << ": no display (neither DISPLAY nor WAYLAND_DISPLAY is set): drawing through "
                   "SDL's offscreen video driver.";
    // A size the driver cannot draw is a bad command line too, found before anything is drawn.
    int maxWidth = 0, maxHeight = 0;
    if (!k_SdlGlContext::QueryMaxPictureSize(maxWidth, maxHeight))
        Fail("Cannot draw: no OpenGL context can be had through SDL's " + k_SdlDisplay::GetDriverName() +
             " video driver (" + k_SdlGlContext::GetError() +
             "). Install Mesa's OpenGL and EGL drivers (libgl1-mesa-dri, libegl-mesa0) or run on a display.");
    if (const std::string tooLarge = m_options.CheckDriverLimit(maxWidth, maxHeight); !tooLarge.empty())
    {
        std::cerr << m_name << ": " << tooLarge << "\n" << k_CaptureOptions::Usage(m_name, m_options.warmUp);
        return false;
    }
    if (!m_options.outDirectory.empty())
        PrepareFolder(m_options.outDirectory);
    if (!m_options.jsonFile.empty())
        ProveWritable(m_options.jsonFile + ".part", m_options.jsonFile);
    if (!m_options.videoFile.empty())
    {
        std::string error;
        m_video = std::make_unique<k_VideoEncoder>(m_options.videoFile);
        if (!m_video->Prepare(error))
            Fail("Capture: " + error);
    }
    return true;
}

// --- the show's start-up ---

void k_CaptureProgram::StartEngine()
{
    SetupSettings settings;
    settings.start = true;
    settings.width = m_options.width;
    settings.height = m_options.height;
    settings.aspectRatio = m_options.aspectRatio;
    settings.fullscreen = false;
    m_application.StartEngine(settings);
    m_engineUp = Clock::now();
    int drawableWidth = 0, drawableHeight = 0;
    k_SdlWindow::GetDrawableSize(m_application.GetWindow()->GetHandle(), drawableWidth, drawableHeight);
    if (drawableWidth != m_options.width || drawableHeight != m_options.height)
        Fail("Capture: the window's picture is " + std::to_string(drawableWidth) + "x" +
             std::to_string(drawableHeight) + ", not the " + std::to_string(m_options.width) + "x" +
             std::to_string(m_options.height) + " asked for");
}

double k_CaptureProgram::ReadShowLength() const
{
    const auto* show = dynamic_cast<const k_Show*>(m_application.GetShow());
    return show ? show->ReadLength() : k_CaptureOptions::EndWithoutShowFile;
}

void k_CaptureProgram::StartShow(const k_CaptureLoop& loop)
{
    IEngine* engine = m_application.GetEngine();
    // The video's sound is decoded, handed to the encoder and let go before the show is built: the
    // decoded tune then never adds to the memory the show holds.
    if (m_video)
    {
        const int64_t frames = loop.LastInRange() - loop.FirstInRange() + 1;
        k_VideoEncoder::Sound sound;
        const std::vector<int16_t> samples = TuneForFrames(engine, m_application.GetTuneName(), loop.FirstInRange(),
                                                           frames, m_options.fps, sound.channels, sound.rate);
        sound.samples = samples.data();
        sound.count = samples.size();
        std::string error;
        if (!m_video->Start(m_options.width, m_options.height, m_options.fps, sound, error))
            Fail("Capture: " + error);
    }
    m_application.BuildShow();
    if (!m_options.keepGoing)
        m_application.StopOnFailures("--keep-going");
    m_built = Clock::now();
}

// --- the frames ---

int64_t k_CaptureProgram::DrawFrames(const k_CaptureLoop& loop)
{
    IEngine* engine = m_application.GetEngine();
    const k_CaptureOptions& options = m_options;
    std::string error;
    std::unique_ptr<k_FrameReader> reader;
    if (!options.outDirectory.empty() || m_video)
    {
        reader = std::make_unique<k_FrameReader>(options.width, options.height, [&](int64_t tag, const uint8_t* rows) {
            if (m_video && !m_video->WriteFrame(rows, error))
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

    k_BenchReport report(options.width, options.height, options.fps, options.from, options.to,
                         m_application.GetShow()->GetSectionBounds());
    k_CaptureProgress progress(loop.DrawnCount(), isatty(STDERR_FILENO) != 0, std::cerr);
    Clock::time_point firstFrameDone{};
    Clock::time_point previous = m_built;
    double previousCpu = ProcessorMilliseconds();
    int64_t written = 0;
    int64_t drawn = 0;
    // The benchmark times every world, render step and pass of a frame, and the swap.
    k_PassTimer::SetEnabled(options.bench);
    // Drawn offline, each pass is finished before the next is queued: the software renderer then holds the
    // bins of one pass at a time (a 1280x720 video of 0-50 s peaked 21 MB lower; its frame rate stayed within
    // the spread between runs).
    k_PassTimer::SetFinishing(true);
    std::optional<k_PassTimer> swapTimer;
    k_CaptureLoop::Hooks hooks;
    hooks.peek = k_MessagePump::PeekAndDispatch;
    hooks.drawn = [&](int64_t, const k_CaptureLoop::Frame* frame) {
        if (engine->GetGraphics()->GetWidth() != options.width || engine->GetGraphics()->GetHeight() != options.height)
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
        progress.Update(++drawn, Seconds(m_built, now));
    };
    loop.Run(engine, m_application.GetWindow(), m_application.GetShow(), hooks);
    k_PassTimer::SetEnabled(false);
    k_PassTimer::SetFinishing(false);
    if (reader)
        reader->Flush();
    reader.reset();
    progress.Finish();
    if (m_video && !m_video->Finish(error))
        Fail("Capture: " + error);

    if (options.bench)
    {
        report.SetStartup(m_beforeMain + Seconds(m_started, m_engineUp), Seconds(m_engineUp, m_built),
                          Seconds(m_built, firstFrameDone));
        report.SetPeakMemory(PeakResidentMegabytes());
        report.SetGlErrors(m_glErrors);
        std::cout << report.Text() << std::flush;
        if (!options.jsonFile.empty())
            WriteWhole(options.jsonFile, report.Json());
    }
    std::cerr << m_name << ": " << written << " frame(s) written, " << drawn << " drawn; peak resident memory "
              << std::lround(PeakResidentMegabytes()) << " MB" << std::endl;
    return written;
}

// --- the run ---

int k_CaptureProgram::Run(const std::vector<std::string>& arguments)
{
    const std::string refusal = m_options.Parse(arguments);
    if (m_options.help)
    {
        std::cout << k_CaptureOptions::Usage(m_name, m_options.warmUp);
        return 0;
    }
    if (!refusal.empty())
    {
        std::cerr << m_name << ": " << refusal << "\n" << k_CaptureOptions::Usage(m_name, m_options.warmUp);
        return 2;
    }

    k_Log::SetListener([this](std::string_view line) {
        // The device logs one line per error; the note that it stopped draining is not an error of its own.
        if (line.rfind("OPENGL :: ERROR", 0) == 0 && line != "OPENGL :: ERROR Too many errors!")
            ++m_glErrors;
    });
    // A range refused once the show's end is known is a bad command line: it leaves no output folder behind.
    const std::filesystem::path madeFolder =
        m_options.outDirectory.empty() ? std::filesystem::path() : FirstMissing(m_options.outDirectory);
    try
    {
        if (!Prepare())
        {
            k_Log::SetListener(nullptr);
            return 2;
        }
        StartEngine();
        if (const std::string refusal = m_options.EndAtShow(ReadShowLength()); !refusal.empty())
        {
            std::cerr << m_name << ": " << refusal << "\n" << k_CaptureOptions::Usage(m_name, m_options.warmUp);
            m_application.ShutDown();
            k_SdlDisplay::Close();
            RemoveMadeFolders(m_options.outDirectory, madeFolder);
            k_Log::SetListener(nullptr);
            return 2;
        }
        const k_CaptureLoop loop(m_options);
        StartShow(loop);
        DrawFrames(loop);
        m_application.ShutDown();
        k_Log::SetListener(nullptr);
        return 0;
    }
    catch (const wchar_t* message)
    {
        const int status = m_application.ReportError(message);
        k_SdlDisplay::Close();
        std::_Exit(status);
    }
}
