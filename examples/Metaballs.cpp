// Voxel metaballs: six blobs drift through a voxel box and melt into each
// other. Every frame the whole field is rewritten through Lock and Unlock,
// and the iso level breathes, swelling and thinning the surface without any
// new upload. The marching cubes run on the GPU.
//
//   orvelant_example_metaballs [--shot SECONDS FILE.png]
#include "demo/k_Show.h"
#include "examples/k_ExampleRunner.h"
#include "interfaces/ICamera.h"
#include "interfaces/IEngine.h"
#include "interfaces/ILight.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IVoxelBox.h"
#include "math/k_Quaternion.h"
#include "scene/k_World.h"

#include <cmath>

namespace
{
constexpr int k_Size = 40;
constexpr int k_Balls = 6;

class k_MetaballWorld : public k_World
{
public:
    explicit k_MetaballWorld(IEngine* engine) : k_World(engine, "Metaballs") {}

    void Build() override
    {
        IResourceFactory* factory = m_engine->GetResourceFactory();
        SetClearColour({0.03f, 0.035f, 0.06f, 1.0f});
        ICamera* camera = factory->CreateCamera();
        camera->SetPosition({0.0f, 1.2f, -4.2f, 1.0f});
        camera->SetTarget({0.0f, 0.0f, 0.0f, 1.0f});
        camera->SetFieldOfView(50.0f);
        SetCamera(camera);

        // A warm key light above and to the left of the camera.
        ILight* key = factory->CreateLight();
        key->SetLightPosition({-3.0f, 4.0f, -5.0f, 1.0f});
        key->SetDiffuse({1.0f, 0.96f, 0.9f, 1.0f});
        key->SetSpecular({1.0f, 1.0f, 1.0f, 1.0f});
        AddLight(key);

        m_box = factory->CreateVoxelBox(k_Size, k_Size, k_Size);
        m_node = dynamic_cast<IRenderable*>(m_box);
        if (m_node == nullptr)
            return;
        m_node->SetScale({1.5f, 1.5f, 1.5f, 1.0f});
        AddRenderable(m_node);
        Update();
    }

    void Update() override
    {
        if (m_box == nullptr)
            return;
        const float t = static_cast<float>(m_engine->GetTimeline()->GetTime());

        // Each ball follows its own slow Lissajous path inside the box.
        float centres[k_Balls][3];
        for (int i = 0; i < k_Balls; ++i)
        {
            const float phase = static_cast<float>(i) * 1.7f;
            centres[i][0] = 0.5f * std::sin(t * (0.53f + 0.11f * i) + phase);
            centres[i][1] = 0.45f * std::sin(t * (0.41f + 0.07f * i) + phase * 2.3f);
            centres[i][2] = 0.5f * std::cos(t * (0.37f + 0.13f * i) + phase * 0.6f);
        }

        // The field is lowest inside: 1 minus the sum of the balls' pulls.
        float* field = m_box->Lock();
        for (int z = 0; z < k_Size; ++z)
            for (int y = 0; y < k_Size; ++y)
                for (int x = 0; x < k_Size; ++x)
                {
                    const float px = 2.0f * x / k_Size - 1.0f, py = 2.0f * y / k_Size - 1.0f,
                                pz = 2.0f * z / k_Size - 1.0f;
                    float pull = 0.0f;
                    for (const auto& c : centres)
                    {
                        const float dx = px - c[0], dy = py - c[1], dz = pz - c[2];
                        pull += 0.045f / (dx * dx + dy * dy + dz * dz + 1e-4f);
                    }
                    *field++ = 1.0f - pull;
                }
        m_box->Unlock();

        // The level breathes: the blobs swell, touch and part again.
        m_box->SetIsolevel(0.05f * std::sin(t * 0.8f));
        m_node->SetRotation(k_Quaternion::FromAxisAngle(0.0f, 1.0f, 0.0f, t * 14.0f, true));
    }

private:
    IVoxelBox* m_box = nullptr;
    IRenderable* m_node = nullptr;
};

class k_MetaballsDemo : public k_Show
{
public:
    explicit k_MetaballsDemo(IEngine* engine) : k_Show(engine, {{}, {}}), m_world(engine) {}
    // The example's one world, without a show file, loading bar or schedule.
    void Build() override { m_engine->AddWorld(&m_world); }

private:
    k_MetaballWorld m_world;
};
} // namespace

int main(int argc, char** argv)
{
    return k_ExampleRunner::Run(argc, argv, L"Orvelant example - voxel metaballs",
                                [](IEngine* engine) { return new k_MetaballsDemo(engine); });
}
