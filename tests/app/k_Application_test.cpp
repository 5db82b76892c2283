#include "app/k_Application.h"
#include "engine/k_File.h"
#include "graphics/k_OpenGl.h"
#include "interfaces/IFileSystem.h"
#include "support/k_RecordingShell.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace
{
using Peeked = k_MessagePump::Peeked;

// Stores the aspect ratio like the real device and notes when it arrives.
class RecordingGraphics : public k_OpenGl
{
public:
    RecordingGraphics(IEngine* engine, k_Trace& trace) : k_OpenGl(engine), m_trace(trace) {}
    void SetAspectRatio(float aspectRatio) override
    {
        m_trace.push_back("aspect " + std::to_string(aspectRatio));
        k_OpenGl::SetAspectRatio(aspectRatio);
    }

private:
    k_Trace& m_trace;
};

// Keeps every step exactly as passed, where the test can read it after the engine is gone.
class StepEngine : public k_RecordingEngine
{
public:
    StepEngine(k_Trace& trace, std::vector<double>& steps) : k_RecordingEngine(trace), m_steps(steps) {}
    void Update(double seconds) override
    {
        m_steps.push_back(seconds);
        k_RecordingEngine::Update(seconds);
    }

private:
    std::vector<double>& m_steps;
};

// Holds one file, the tune, unless told it is missing; keeps what it hands out alive for the test.
class TuneFileSystem : public IFileSystem
{
public:
    explicit TuneFileSystem(k_Trace& trace) : m_trace(trace) {}
    void UseDirectory(const std::wstring&) override {}
    void OpenDataPack(const std::wstring&) override {}
    IFile* OpenFile(const std::wstring& name) override
    {
        m_trace.push_back("open " + std::string(name.begin(), name.end()));
        if (!hasTune || name != L"ov-starwane.ogg")
            return nullptr;
        auto bytes = std::make_unique<unsigned char[]>(64);
        std::memset(bytes.get(), 7, 64);
        opened = std::make_unique<k_File>(nullptr, std::move(bytes), 64);
        return opened.get();
    }

    bool hasTune = true;
    std::unique_ptr<k_File> opened;

private:
    k_Trace& m_trace;
};

// The run with recording stand-ins for everything the program talks to. The objects it makes are
// recorded when made and when destroyed; after a failed run the test releases what is left.
struct StartupRig
{
    k_Trace trace;
    TuneFileSystem fileSystem{trace};
    std::unique_ptr<RecordingGraphics> graphics;
    std::vector<double> steps;
    k_RecordingEngine* engine = nullptr;
    k_RecordingWindow* window = nullptr;
    k_RecordingDemo* demo = nullptr;
    bool makeWindow = true;
    k_WindowHandle handle = reinterpret_cast<k_WindowHandle>(0x5a5a);

    // What the audio layer answers.
    uint32_t version = 0x02040017u;
    bool initOk = true;
    uint32_t stream = 42;
    bool playOk = true;
    struct StreamArgs
    {
        bool memory = false;
        const void* file = nullptr;
        uint64_t offset = 99, length = 0;
        uint32_t flags = 99;
    } streamArgs;

    // A frame's worth of time passes between the first reading and the queue running dry.
    int64_t ticks = 1000;
    int peeks = 0;

    struct ShownError
    {
        k_WindowHandle owner;
        std::wstring text, caption;
    };
    std::vector<ShownError> shown;

    ~StartupRig()
    {
        // A failed run leaves its objects alive, as the program does until it exits.
        if (!trace.empty() && trace.back().rfind("~", 0) != 0)
        {
            delete demo;
            delete window;
            delete engine;
        }
    }

    k_Application Make()
    {
        k_Application::Parts parts;
        parts.engine = [this]() -> IEngine* {
            trace.push_back("make engine");
            engine = new StepEngine(trace, steps);
            graphics = std::make_unique<RecordingGraphics>(engine, trace);
            engine->graphics = graphics.get();
            engine->fileSystem = &fileSystem;
            return engine;
        };
        parts.window = [this](const SetupSettings& settings, IEngine* owner) -> IWindow* {
            trace.push_back("make window " + std::to_string(settings.width) + "x" + std::to_string(settings.height) +
                            (settings.fullscreen ? " full" : " windowed") + (owner == engine ? "" : " other engine"));
            if (!makeWindow)
                return nullptr;
            window = new k_RecordingWindow(trace);
            window->handle = handle;
            return window;
        };
        parts.demo = [this](IEngine* owner) -> IShow* {
            trace.push_back(owner == engine ? "make demo" : "make demo for another engine");
            demo = new k_RecordingDemo(owner, trace);
            return demo;
        };
        k_Application::Audio audio;
        audio.getVersion = [this] {
            trace.push_back("version");
            return version;
        };
        audio.init = [this](int device, uint32_t frequency, uint32_t flags, k_WindowHandle owner, const void* id) {
            trace.push_back("init " + std::to_string(device) + " " + std::to_string(frequency) + " " +
                            std::to_string(flags) + (owner == handle ? " window" : " no window") +
                            (id ? " id" : " null"));
            return initOk;
        };
        audio.streamCreateFile = [this](bool memory, const void* file, uint64_t offset, uint64_t length,
                                        uint32_t flags) {
            trace.push_back("stream");
            streamArgs = {memory, file, offset, length, flags};
            return stream;
        };
        audio.channelPlay = [this](uint32_t handle, bool restart) {
            trace.push_back("play " + std::to_string(handle) + (restart ? " restart" : ""));
            return playOk;
        };
        audio.streamFree = [this](uint32_t handle) {
            trace.push_back("free " + std::to_string(handle));
            return true;
        };
        return k_Application(
            std::move(parts), std::move(audio),
            [this](k_WindowHandle owner, const wchar_t* text, const wchar_t* caption) {
                shown.push_back({owner, text, caption});
            },
            [this] {
                // One frame's turn with nothing waiting, then the viewer quits.
                if (++peeks > 1)
                    return Peeked::Quit;
                ticks += 500;
                return Peeked::None;
            },
            [this] {
                trace.push_back("counter");
                return ticks;
            },
            [] { return int64_t{1000}; });
    }

    static SetupSettings Confirmed()
    {
        SetupSettings settings;
        settings.start = true;
        settings.width = 1280;
        settings.height = 720;
        settings.aspectRatio = 16.0f / 9.0f;
        settings.fullscreen = false;
        return settings;
    }

    // Runs with the confirmed settings; returns the error that stopped the run (null when none did).
    static const wchar_t* RunToError(k_Application& application)
    {
        try
        {
            application.Run(Confirmed());
        }
        catch (const wchar_t* message)
        {
            return message;
        }
        return nullptr;
    }
};

class Startup : public ::testing::Test, public StartupRig
{
};
} // namespace

// The whole run: the objects in their order, the first frame with the tiny step, playback right before the
// first counter reading, one frame of the loop, then the stream freed and show, window, engine destroyed.
TEST_F(Startup, RunsEveryStepInOrder)
{
    k_Application application = Make();
    EXPECT_EQ(application.Run(Confirmed()), 0);

    const k_Trace expected = {"make engine", "make window 1280x720 windowed", "make demo", "create", "present",
                              "initialize", "aspect 1.777778", "build", "version", "init -1 44100 0 window null",
                              "open ov-starwane.ogg", "stream", "update 0.000010", "present", "play 42", "counter",
                              // the loop's frame: elapsed, the next reading, BeginFrame, Update, Present
                              "counter", "counter", "begin", "update 0.500000", "present",
                              // shut-down
                              "free 42", "~demo", "~window", "~engine"};
    EXPECT_EQ(trace, expected);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0], 0.00001) << "the first step is exactly 1e-05 s, not 0";
    ASSERT_TRUE(fileSystem.opened);
    EXPECT_TRUE(streamArgs.memory);
    EXPECT_EQ(streamArgs.file, fileSystem.opened->GetData()) << "decoded from the file's own bytes, not a copy";
    EXPECT_EQ(streamArgs.offset, 0u);
    EXPECT_EQ(streamArgs.length, 64u);
    EXPECT_EQ(streamArgs.flags, 0u);
    EXPECT_TRUE(shown.empty());
}

// Each failing step stops the run with its own message right there: nothing later runs, nothing is
// destroyed, and the error box is owned by the window and captioned for the program; the status is 1.
TEST_F(Startup, AudioFailuresStopAtTheirStep)
{
    struct Case
    {
        const char* name;
        std::function<void(StartupRig&)> arrange;
        const wchar_t* message;
        const char* lastStep;
    };
    const std::vector<Case> cases = {
        {"wrong version", [](StartupRig& t) { t.version = 0x02030000u; },
         L"BASS :: An incorrect version of BASS.DLL was loaded!", "version"},
        {"no device", [](StartupRig& t) { t.initOk = false; }, L"BASS :: Can't initialize audio device!",
         "init -1 44100 0 window null"},
        {"no tune in the pack", [](StartupRig& t) { t.fileSystem.hasTune = false; },
         L"BASS :: The OGG tune \"ov-starwane.ogg\" is not in the data pack!", "open ov-starwane.ogg"},
        {"undecodable tune", [](StartupRig& t) { t.stream = 0; }, L"BASS :: Can't create the stream for the OGG tune!",
         "stream"},
        {"playback refused", [](StartupRig& t) { t.playOk = false; }, L"BASS :: Can't start playback!", "play 42"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        StartupRig run;
        c.arrange(run);
        k_Application application = run.Make();
        const wchar_t* caught = RunToError(application);
        ASSERT_NE(caught, nullptr);
        EXPECT_STREQ(caught, c.message);
        ASSERT_FALSE(run.trace.empty());
        EXPECT_EQ(run.trace.back(), c.lastStep);
        EXPECT_NE(std::find(run.trace.begin(), run.trace.end(), "build"), run.trace.end()) << "the show was built";
        EXPECT_EQ(std::find(run.trace.begin(), run.trace.end(), "counter"), run.trace.end());

        EXPECT_EQ(application.ReportError(caught), 1);
        ASSERT_EQ(run.shown.size(), 1u);
        EXPECT_EQ(run.shown[0].owner, run.handle);
        EXPECT_EQ(run.shown[0].text, c.message);
        EXPECT_EQ(run.shown[0].caption, L"Orvelant demo system");
    }
}

// Without a window the error has no owner: before the run (no display) and when no window was made.
TEST_F(Startup, ErrorsWithoutAWindowHaveNoOwner)
{
    k_Application application = Make();
    EXPECT_EQ(application.ReportError(L"Cannot open the display"), 1);

    makeWindow = false;
    const wchar_t* caught = RunToError(application);
    ASSERT_NE(caught, nullptr);
    EXPECT_STREQ(caught, L"Couldn't create Window!");
    // The show is made before the window is checked, as the objects are made in a fixed order.
    const k_Trace expected = {"make engine", "make window 1280x720 windowed", "make demo"};
    EXPECT_EQ(trace, expected);
    application.ReportError(caught);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].owner, nullptr);
    EXPECT_EQ(shown[1].owner, nullptr);
    EXPECT_EQ(shown[1].caption, L"Orvelant demo system");
}
