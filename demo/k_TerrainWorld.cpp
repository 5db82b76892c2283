#include "demo/k_TerrainWorld.h"

#include "demo/k_FirstRenderStep.h"
#include "demo/k_FourthRenderStep.h"
#include "demo/k_SecondRenderStep.h"
#include "demo/k_SkyRenderStep.h"
#include "demo/k_TerrainPass.h"
#include "demo/k_ThirdRenderStep.h"
#include "engine/k_Log.h"
#include "interfaces/ICamera.h"
#include "interfaces/IEngine.h"
#include "interfaces/ILight.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/ITimeline.h"
#include "interfaces/r_PrimitiveTopology.h"
#include "math/k_VectorUA.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <cmath>
#include <numeric>

const std::array<const char*, 6> k_TerrainWorld::CameraTrackNames = {"camera:x",      "camera:y",      "camera:z",
                                                                     "camera:look_x", "camera:look_y", "camera:look_z"};

k_TerrainWorld::k_TerrainWorld(IEngine* engine) : k_World(engine, "Terrain") {}

k_TerrainWorld::~k_TerrainWorld() = default;

// --- building ---

std::vector<float> k_TerrainWorld::GridVertices()
{
    std::vector<float> vertices;
    vertices.reserve(static_cast<size_t>(k_GridQuads) * k_GridQuads * 4 * 5);
    auto add = [&](int x, int z, int u, int v) {
        vertices.push_back(static_cast<float>(x));
        vertices.push_back(1.0f);
        vertices.push_back(static_cast<float>(z));
        vertices.push_back(static_cast<float>(u / 129.0));
        vertices.push_back(static_cast<float>(v / 129.0));
    };
    for (int a = -k_GridQuads / 2; a < k_GridQuads / 2; ++a)
    {
        for (int j = -k_GridQuads / 2; j < k_GridQuads / 2; ++j)
        {
            add(j + 1, a, j + 193, a + 192);
            add(j + 1, a + 1, j + 193, a + 193);
            add(j, a + 1, j + 192, a + 193);
            add(j, a, j + 192, a + 192);
        }
    }
    return vertices;
}

void k_TerrainWorld::Build()
{
    IResourceFactory* factory = m_engine->GetResourceFactory();
    for (size_t i = 0; i < m_cameraTracks.size(); ++i)
        m_cameraTracks[i] = k_SyncValue(m_engine, CameraTrackNames[i]);

    m_light = factory->CreateLight();
    if (m_light == nullptr)
        throw L"Terrain: the light could not be made.";
    m_light->SetAmbient(k_VectorUA(0.12f, 0.17f, 0.32f, 1.0f));
    // Low in the sky: the light of dusk, and the sky's glow where the camera can see it.
    m_light->SetLightPosition(k_VectorUA(-1000.0f, 650.0f, -1000.0f, 1.0f));
    AddLight(m_light);

    m_camera = factory->CreateCamera();
    if (m_camera == nullptr)
        throw L"Terrain: the camera could not be made.";
    SetCamera(m_camera);

    m_terrainMaterial = factory->CreateMaterial(L"Terrain/Terraform.mat", L"Terrain/Terraform.mat");
    if (m_terrainMaterial == nullptr)
        throw L"Terrain: the material Terrain/Terraform.mat could not be made.";
    if (k_TerrainPass::First(m_terrainMaterial) == nullptr)
        k_Log(k_Log::Colour::Error) << "Terrain: Terrain/Terraform.mat has no pass; the land is left out.";
    // Between the steps fog and the water clip are on; each step switches off what it must not have.
    k_TerrainPass::SetInt(m_terrainMaterial, "fogEnabled", 1);
    k_TerrainPass::SetInt(m_terrainMaterial, "clipPlaneEnabled", 1);

    m_terrainMesh = factory->CreateMeshBuffer();
    auto* terrain = dynamic_cast<IRenderable*>(m_terrainMesh);
    if (terrain == nullptr)
        throw L"Terrain: the terrain mesh could not be made.";
    const std::vector<float> vertices = GridVertices();
    const auto vertexCount = static_cast<uint32_t>(vertices.size() / 5);
    std::vector<uint32_t> indices(vertexCount);
    std::iota(indices.begin(), indices.end(), 0u);
    m_terrainMesh->SetPrimitiveTopology(r_PrimitiveTopology::Quad);
    m_terrainMesh->SetMaterial(m_terrainMaterial);
    m_terrainMesh->SetVertices(vertices.data(), vertexCount, {r_VertexElement::Position3, r_VertexElement::TexCoord2},
                               GL_STATIC_DRAW, true);
    m_terrainMesh->SetIndices(indices.data(), vertexCount, GL_STATIC_DRAW, true);

    m_first = std::make_unique<k_FirstRenderStep>(m_engine, terrain);
    m_sky = std::make_unique<k_SkyRenderStep>(m_engine);
    m_second = std::make_unique<k_SecondRenderStep>(m_engine, m_first.get(), m_sky.get());
    m_third = std::make_unique<k_ThirdRenderStep>(m_engine, m_first.get(), m_second.get());
    m_fourth = std::make_unique<k_FourthRenderStep>(m_engine, terrain);
    AddRenderable(m_first.get());
    AddRenderable(m_second.get());
    AddRenderable(m_third.get());
    AddRenderable(m_fourth.get());
    AddRenderable(m_sky.get());
}

// --- every frame ---

double k_TerrainWorld::LiftFor(double distance)
{
    const double near = std::max(0.0, 1.0 - distance / k_LiftReach);
    return k_MaxLift * near * std::sqrt(near);
}

double k_TerrainWorld::PitchFor(double drop, double distance)
{
    const double pitch = std::atan2(drop, distance);
    if (pitch <= k_GentlePitch)
        return pitch;
    // Past the gentle angle the pitch eases toward its limit: continuous, with a continuous slope.
    const double room = k_MaxPitch - k_GentlePitch;
    return k_GentlePitch + room * (1.0 - std::exp(-(pitch - k_GentlePitch) / room));
}

void k_TerrainWorld::Update()
{
    SetClearColour(k_VectorUA(0.7f, 0.8f, 0.9f, 1.0f));
    if (m_light == nullptr || m_camera == nullptr)
        return; // not built
    const double t = m_engine->GetTimeline()->GetTime();
    const double b = t / 20.0;
    const auto k = static_cast<float>(0.75 + 0.5 * std::sin(b));
    m_light->SetDiffuse(k_VectorUA(1.3f * k, 1.1f * k, 0.6f * k, k));
    const auto offset = [&](size_t track, double onPath) {
        return static_cast<float>(onPath + m_cameraTracks[track].At(t, 0.0));
    };
    const double x = 64.0 * std::sin(3.0 * b);
    const double z = 64.0 * std::cos(5.0 * b);
    m_camera->SetPosition(k_VectorUA(offset(0, x), offset(1, 12.0 + LiftFor(std::hypot(x, z))), offset(2, z), 0.0f));
    const k_VectorUA eye = m_camera->GetPosition();
    k_VectorUA target(offset(3, 0.0), offset(4, 0.0), offset(5, 0.0), 0.0f);
    const double across = std::hypot(target.x - eye.x, target.z - eye.z);
    const double drop = eye.y - target.y;
    if (across > 1e-3 && drop > 0.0)
        target.y = static_cast<float>(eye.y - across * std::tan(PitchFor(drop, across)));
    m_camera->SetTarget(target);
    m_camera->SetUp(k_VectorUA(0.0f, 1.0f, 0.0f, 0.0f));
}
