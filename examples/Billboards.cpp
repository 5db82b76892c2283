// Billboards: a swirl of three thousand sparks drawn as one billboard batch,
// with a few large glows drawn as billboards of their own, seen from a camera
// that circles and bobs through the field.
//
//   orvelant_example_billboards [--shot SECONDS FILE.png]
#include "demo/k_Show.h"
#include "examples/k_ExampleRunner.h"
#include "interfaces/IBillboard.h"
#include "interfaces/IBillboardBatch.h"
#include "interfaces/ICamera.h"
#include "interfaces/IEngine.h"
#include "interfaces/IRenderHook.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/ITimeline.h"
#include "scene/k_World.h"

#include <epoxy/gl.h>
#include <cmath>
#include <random>
#include <vector>

namespace
{
// Standalone billboards draw with the fixed-function pipeline and whatever
// blending is set: this hook makes each glow additive and gives it a colour.
class k_GlowHook : public IRenderHook
{
public:
    k_GlowHook(float r, float g, float b) : m_r(r), m_g(g), m_b(b) {}
    void BeginRender(IRenderable*) override
    {
        glDisable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glDepthMask(GL_FALSE);
        glColor4f(m_r, m_g, m_b, 1.0f);
    }
    void EndRender(IRenderable*) override
    {
        glColor4f(1, 1, 1, 1);
        glDepthMask(GL_TRUE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }

private:
    float m_r, m_g, m_b;
};

class k_SparkWorld : public k_World
{
public:
    explicit k_SparkWorld(IEngine* engine) : k_World(engine, "Sparks") {}

    void Build() override
    {
        IResourceFactory* factory = m_engine->GetResourceFactory();
        SetClearColour({0.015f, 0.01f, 0.04f, 1.0f});
        ICamera* camera = factory->CreateCamera();
        camera->SetFieldOfView(60.0f);
        SetCamera(camera);

        // The batch: one material, one mesh, every spark rewritten to face the camera each frame.
        IBillboardBatch* batch =
            factory->CreateBillboardBatch(256, factory->CreateMaterial(L"sparks", L"Examples/Sparks.mat"));
        auto* batchNode = dynamic_cast<IRenderable*>(batch);
        AddRenderable(batchNode);
        std::mt19937 random(7);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (int i = 0; i < 3000; ++i)
        {
            // Three spiral arms, thicker and sparser towards the rim.
            const float radius = 0.2f + 5.5f * std::pow(unit(random), 0.8f);
            const float arm = static_cast<float>(i % 3) * 2.0944f;
            const float angle = arm + radius * 0.9f + (unit(random) - 0.5f) * 0.7f;
            const float height = (unit(random) - 0.5f) * (0.25f + 0.12f * radius);
            const float size = 0.03f + 0.09f * unit(random) * unit(random) + 0.05f / (1.0f + radius);
            IRenderable* spark = dynamic_cast<IRenderable*>(factory->CreateBillboard());
            spark->SetPosition({radius * std::cos(angle), height, radius * std::sin(angle), 1.0f});
            spark->SetScale({size, size, size, 1.0f});
            batchNode->AddChild(spark);
        }

        // Glows drawn on their own: a big warm one at the heart, cooler ones on the arms.
        ITexture* glow = factory->CreateTexture(L"Common/Sparkle.png", L"Common/Sparkle.png");
        const float glows[][7] = {{0, 0, 0, 3.2f, 1.0f, 0.7f, 0.35f},
                                  {2.6f, 0.2f, 1.4f, 1.3f, 0.55f, 0.45f, 1.0f},
                                  {-2.2f, -0.1f, 2.4f, 1.1f, 1.0f, 0.35f, 0.6f},
                                  {-1.0f, 0.15f, -3.1f, 1.2f, 0.4f, 0.6f, 1.0f}};
        for (const auto& g : glows)
        {
            IBillboard* billboard = factory->CreateBillboard();
            billboard->SetTexture(glow);
            billboard->SetMode(IBillboard::Spherical);
            auto* node = dynamic_cast<IRenderable*>(billboard);
            node->SetPosition({g[0], g[1], g[2], 1.0f});
            node->SetScale({g[3], g[3], g[3], 1.0f});
            m_hooks.emplace_back(g[4], g[5], g[6]);
            AddRenderable(node);
        }
        // Hooks are attached once the list no longer grows, so their addresses stay put.
        for (size_t i = 0; i < m_hooks.size(); ++i)
            (*GetRenderables())[i + 1]->AddRenderHook(&m_hooks[i]);
        Update();
    }

    // The camera circles the swirl, rising and sinking, always looking at its heart.
    void Update() override
    {
        const double t = m_engine->GetTimeline()->GetTime();
        const float angle = static_cast<float>(t * 0.25);
        const float distance = 7.5f + 1.5f * std::sin(static_cast<float>(t * 0.31));
        m_camera->SetPosition({distance * std::cos(angle), 2.2f + 1.6f * std::sin(static_cast<float>(t * 0.45)),
                               distance * std::sin(angle), 1.0f});
        m_camera->SetTarget({0.0f, 0.0f, 0.0f, 1.0f});
    }

private:
    std::vector<k_GlowHook> m_hooks;
};

class k_BillboardsDemo : public k_Show
{
public:
    explicit k_BillboardsDemo(IEngine* engine) : k_Show(engine, {{}, {}}), m_world(engine) {}
    // The example's one world, without a show file, loading bar or schedule.
    void Build() override { m_engine->AddWorld(&m_world); }

private:
    k_SparkWorld m_world;
};
} // namespace

int main(int argc, char** argv)
{
    return k_ExampleRunner::Run(argc, argv, L"Orvelant example - billboards",
                                [](IEngine* engine) { return new k_BillboardsDemo(engine); });
}
