#include "engine/k_Engine.h"
#include "interfaces/IAnimationManager.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IWorld.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{
// A world that records the engine's calls into a shared journal.
class TestWorld : public IWorld
{
  public:
    TestWorld(std::string name, std::string& journal) : m_name(std::move(name)), m_journal(journal) {}

    std::string GetName() override { return m_name; }
    void Build() override { m_journal += "build " + m_name + ";"; }
    void Update() override { m_journal += "update " + m_name + ";"; }
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
