#include "animation/k_AnimationManager.h"
#include "engine/k_Engine.h"
#include "engine/k_FileSystem.h"
#include "engine/k_Timeline.h"
#include "graphics/k_OpenGl.h"
#include "graphics/k_ResourceFactory.h"
#include "interfaces/IAnimationManager.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IRewindable.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IWorld.h"
#include "scene/k_Renderer.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace
{
// A world that records the engine's calls into a shared journal.
class TestWorld : public IWorld
{
public:
    TestWorld(std::string name, std::string& journal) : m_name(std::move(name)), m_journal(journal) {}

    std::string GetName() override { return m_name; }
    void Build() override { m_journal += "build " + m_name + ";"; }
    void Update() override
    {
        m_journal += "update " + m_name + ";";
        if (onUpdate)
            onUpdate();
    }
    void OnRenderStage(int) override {}
    void SetEnabled(bool enabled) override { m_enabled = enabled; }
    bool IsEnabled() override { return m_enabled; }
    void SetUpdated(bool updated) override { m_updated = updated; }
    bool IsUpdated() override { return m_updated; }
    void AddRenderable(IRenderable*) override {}
    void RemoveRenderable(IRenderable*) override {}
    std::vector<IRenderable*>* GetRenderables() override { return &m_nodes; }
    void AddLight(ILight*) override {}
    std::vector<ILight*> GetLights() override { return {}; }
    void SetCamera(ICamera*) override {}
    ICamera* GetCamera() override { return nullptr; }
    void SetRenderTarget(IRenderTarget*) override {}
    IRenderTarget* GetRenderTarget() override { return nullptr; }
    void SetClearFlags(int) override {}
    int GetClearFlags() override { return 259; }
    void SetLinkedWorld(IWorld*) override {}
    IWorld* GetLinkedWorld() override { return nullptr; }
    void SetClearColour(const k_VectorUA&) override {}
    const k_VectorUA* GetClearColour() override { return nullptr; }
    void SetClearDepth(float) override {}
    float GetClearDepth() override { return 1.0f; }
    void Clear() override {}

    std::function<void()> onUpdate;

private:
    std::string m_name;
    std::string& m_journal;
    bool m_enabled = true;
    bool m_updated = true;
    std::vector<IRenderable*> m_nodes;
};
} // namespace

TEST(k_Engine, InitializeOpensTheDataPackBesideTheExecutable)
{
    k_Engine engine;
    ASSERT_NE(engine.GetFileSystem(), nullptr);
    EXPECT_FALSE(engine.IsQuitRequested());

    testing::internal::CaptureStdout();
    engine.Initialize();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find("Initializing engine...\n"), 0u);
    EXPECT_NE(log.find("\nInitializing file system with data file: data.pak\n"), std::string::npos);
    EXPECT_EQ(log.find("FAILED!"), std::string::npos);

    std::unique_ptr<IFile> file(engine.GetFileSystem()->OpenFile(L"Common/Pack.txt"));
    ASSERT_NE(file, nullptr);
    EXPECT_GT(file->GetSize(), 0);
}

TEST(k_Engine, AddWorldBuildsItAndGetWorldsHandsOutACopy)
{
    std::string journal;
    TestWorld first("Terrain", journal), second("Drift", journal), late("Plasma", journal);
    k_Engine engine;
    engine.AddWorld(&first);
    engine.AddWorld(nullptr); // ignored
    engine.AddWorld(&second);
    EXPECT_EQ(journal, "build Terrain;build Drift;");

    // Adding while a caller walks its copy leaves that walk alone.
    int walked = 0;
    for (IWorld* world : engine.GetWorlds())
    {
        ASSERT_NE(world, nullptr);
        if (walked++ == 0)
            engine.AddWorld(&late);
    }
    EXPECT_EQ(walked, 2);
    EXPECT_EQ(engine.GetWorlds(), (std::vector<IWorld*>{&first, &second, &late}));
}

TEST(k_Engine, UpdateWorldsRunsOnlyUpdatedWorldsInListOrder)
{
    std::string journal;
    TestWorld a("Hdr", journal), b("AfterWorld", journal), c("Plasma", journal);
    k_Engine engine;
    engine.AddWorld(&a);
    engine.AddWorld(&b);
    engine.AddWorld(&c);
    journal.clear();

    b.SetUpdated(false); // still enabled: drawn but not advanced
    a.SetEnabled(false); // not drawn, still advanced
    engine.UpdateWorlds();
    EXPECT_EQ(journal, "update Hdr;update Plasma;");

    journal.clear();
    b.SetUpdated(true);
    engine.UpdateWorlds();
    EXPECT_EQ(journal, "update Hdr;update AfterWorld;update Plasma;");
}

TEST(k_Engine, TimelineDrivesTheEnginesAnimationManager)
{
    struct Counter : IEvent
    {
        int fired = 0;
        void Trigger(int code) override { fired += code; }
    } counter;
    k_Engine engine;
    ASSERT_NE(engine.GetTimeline(), nullptr);
    ASSERT_NE(engine.GetAnimationManager(), nullptr);
    EXPECT_EQ(engine.GetTimeline()->GetSpeed(), 1.0);
    engine.GetAnimationManager()->AddEvent(0.0, &counter, 3);
    engine.GetTimeline()->Advance(0.00001);
    EXPECT_EQ(counter.fired, 3);
}

TEST(k_Engine, WorldAddedDuringTheWalkIsUpdatedFromTheNextWalkOn)
{
    std::string journal;
    TestWorld first("Terrain", journal), second("Drift", journal), added("Plasma", journal);
    k_Engine engine;
    engine.AddWorld(&first);
    engine.AddWorld(&second);
    // The list's storage is full: the world added during the walk moves it.
    ASSERT_EQ(engine.GetWorlds().size(), 2u);
    bool adding = true;
    first.onUpdate = [&] {
        if (adding)
            engine.AddWorld(&added);
        adding = false;
    };
    journal.clear();
    engine.UpdateWorlds();
    EXPECT_EQ(journal, "update Terrain;build Plasma;update Drift;");
    journal.clear();
    engine.UpdateWorlds();
    EXPECT_EQ(journal, "update Terrain;update Drift;update Plasma;");
}

// --- the services' lifetime and start-up ---

namespace
{
// The real services, each noting its creation and its release (with what the engine still hands out).
std::string* g_lifeJournal = nullptr;

std::string Visible(IEngine* engine)
{
    std::string seen;
    seen += engine->GetGraphics() ? "G" : "-";
    seen += engine->GetRenderer() ? "R" : "-";
    seen += engine->GetResourceFactory() ? "F" : "-";
    seen += engine->GetFileSystem() ? "S" : "-";
    seen += engine->GetTimeline() ? "T" : "-";
    seen += engine->GetAnimationManager() ? "A" : "-";
    return seen;
}

template <class Service> struct Noted : Service
{
    Noted(IEngine* engine, const char* name) : Service(engine), engine(engine), name(name)
    {
        *g_lifeJournal += std::string("new ") + name + " " + Visible(engine) + ";";
    }
    ~Noted() override { *g_lifeJournal += std::string("delete ") + name + " " + Visible(engine) + ";"; }
    IEngine* engine;
    const char* name;
};

struct NotedGraphics : Noted<k_OpenGl>
{
    using Noted::Noted;
    void DestroyContext() override
    {
        *g_lifeJournal += "release context;";
        k_OpenGl::DestroyContext();
    }
};

k_Engine::ServiceMakers NotedMakers()
{
    k_Engine::ServiceMakers makers;
    makers.graphics = [](IEngine* e) -> IGraphics* { return new NotedGraphics(e, "graphics"); };
    makers.renderer = [](IEngine* e) -> IRenderer* { return new Noted<k_Renderer>(e, "renderer"); };
    makers.resourceFactory = [](IEngine* e) -> IResourceFactory* { return new Noted<k_ResourceFactory>(e, "factory"); };
    makers.fileSystem = [](IEngine* e) -> IFileSystem* { return new Noted<k_FileSystem>(e, "files"); };
    makers.timeline = [](IEngine* e) -> ITimeline* { return new Noted<k_Timeline>(e, "timeline"); };
    makers.animationManager = [](IEngine* e) -> IAnimationManager* {
        return new Noted<k_AnimationManager>(e, "animation");
    };
    return makers;
}
} // namespace

TEST(k_Engine, CreatesAndReleasesItsServicesInTheirOrder)
{
    std::string journal;
    g_lifeJournal = &journal;
    {
        k_Engine engine(NotedMakers());
        EXPECT_EQ(journal, "new graphics ------;new renderer G-----;new factory GR----;new files GRF---;"
                           "new timeline GRFS--;new animation GRFST-;");
        journal.clear();
    }
    // The GL context goes first, then each service, its field cleared once it is gone.
    EXPECT_EQ(journal, "release context;delete graphics GRFSTA;delete renderer -RFSTA;delete factory --FSTA;"
                       "delete files ---STA;delete timeline ----TA;delete animation -----A;");
    g_lifeJournal = nullptr;
}

TEST(k_Engine, InitializeDrawsEachFrameInOnePass)
{
    k_Engine engine;
    IRenderer* renderer = engine.GetRenderer();
    renderer->SetAdaptive(true);
    renderer->SetSubFrameCount(4);
    testing::internal::CaptureStdout();
    engine.Initialize();
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(renderer->IsAdaptive());
    EXPECT_EQ(renderer->GetSubFrameCount(), 0);
}

TEST(k_Engine, InitializeCompletesWithoutTheDataPack)
{
    const std::filesystem::path empty =
        std::filesystem::temp_directory_path() / ("orv-engine-nopack-" + std::to_string(getpid()));
    std::filesystem::create_directories(empty);
    k_Engine::ServiceMakers makers = k_Engine::DefaultServiceMakers();
    makers.fileSystem = [&empty](IEngine* e) -> IFileSystem* { return new k_FileSystem(e, empty); };
    {
        k_Engine engine(makers);
        engine.GetRenderer()->SetSubFrameCount(4);
        testing::internal::CaptureStdout();
        engine.Initialize();
        const std::string log = testing::internal::GetCapturedStdout();
        // The failure is one line; the resource factory and the renderer are still set up after it.
        const size_t failed = log.find("\nFAILED!\n");
        ASSERT_NE(failed, std::string::npos) << log;
        EXPECT_NE(log.find("Initializing resource factory...", failed), std::string::npos) << log;
        EXPECT_EQ(engine.GetRenderer()->GetSubFrameCount(), 0);
        testing::internal::CaptureStdout();
        std::unique_ptr<IFile> file(engine.GetFileSystem()->OpenFile(L"Common/Pack.txt"));
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(file, nullptr);
    }
    std::filesystem::remove_all(empty);
}

TEST(k_Engine, SeekToATimeThatIsNotFiniteRewindsNothing)
{
    struct RewindableWorld : TestWorld, IRewindable
    {
        using TestWorld::TestWorld;
        int rewinds = 0;
        void Rewind() override { ++rewinds; }
    };
    std::string journal;
    RewindableWorld drift("Drift", journal);
    k_Engine engine;
    engine.AddWorld(&drift);
    engine.Seek(4.0);
    ASSERT_EQ(drift.rewinds, 1);

    testing::internal::CaptureStdout();
    engine.Seek(std::nan(""));
    engine.Seek(HUGE_VAL);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(drift.rewinds, 1); // the feedback it holds is still that of 4 s
    EXPECT_EQ(engine.GetTimeline()->GetTime(), 4.0);
}
