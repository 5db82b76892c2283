// A skinned tube: one mesh carried by a chain of three animated bones. Each
// vertex names the bones that move it (blend indices) and how much (blend
// weights); the "bones" shader callback uploads the skeleton's matrices to
// the material's "bonematrix" every time the program is used.
//
//   orvelant_example_skinned_tube [--shot SECONDS FILE.png]
#include "demo/k_Show.h"
#include "examples/k_ExampleRunner.h"
#include "graphics/k_MaterialPass.h"
#include "interfaces/IBone.h"
#include "interfaces/ICamera.h"
#include "interfaces/IEngine.h"
#include "interfaces/ILight.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITransformationAnimation.h"
#include "scene/k_World.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
constexpr int k_BodyRings = 48; // along the tube, from y = 0 to y = 3
constexpr int k_CapRings = 10;  // on each half-sphere end
constexpr int k_Segments = 40;  // around it
constexpr float k_Length = 3.0f;
constexpr float k_Radius = 0.42f;
constexpr float k_Pi = 3.14159265f;

// Position, normal, four blend indices, four blend weights.
struct Vertex
{
    float position[3];
    float normal[3];
    float indices[4];
    float weights[4];
};

// Bone i runs from y = i to y = i + 1. A vertex belongs to the bones whose
// middles are near it, with weights falling off over one bone's length.
void Weigh(float y, Vertex& v)
{
    float sum = 0.0f;
    for (int bone = 0; bone < 3; ++bone)
    {
        v.indices[bone] = static_cast<float>(bone);
        v.weights[bone] = std::max(0.0f, 1.0f - std::abs(y - (static_cast<float>(bone) + 0.5f)));
        sum += v.weights[bone];
    }
    for (float& w : v.weights)
        w /= sum;
    v.indices[3] = 0.0f;
    v.weights[3] = 0.0f;
}

// A tube with half-sphere caps: a profile of rings (height, radius and the
// normal's slope), each ring turned about the y axis.
void MakeTube(std::vector<Vertex>& vertices, std::vector<uint32_t>& indices)
{
    struct Ring
    {
        float y, radius, normalOut, normalUp;
    };
    std::vector<Ring> profile;
    for (int k = 0; k <= k_CapRings; ++k) // bottom cap, pole to equator
    {
        const float a = 0.5f * k_Pi * static_cast<float>(k) / k_CapRings;
        profile.push_back({k_Radius - k_Radius * std::cos(a), k_Radius * std::sin(a), std::sin(a), -std::cos(a)});
    }
    for (int k = 1; k < k_BodyRings; ++k)
        profile.push_back({k_Radius + (k_Length - 2 * k_Radius) * static_cast<float>(k) / k_BodyRings, k_Radius, 1, 0});
    for (int k = 0; k <= k_CapRings; ++k) // top cap, equator to pole
    {
        const float a = 0.5f * k_Pi * static_cast<float>(k) / k_CapRings;
        profile.push_back(
            {k_Length - k_Radius + k_Radius * std::sin(a), k_Radius * std::cos(a), std::cos(a), std::sin(a)});
    }
    for (const Ring& ring : profile)
        for (int s = 0; s <= k_Segments; ++s)
        {
            const float a = 2.0f * k_Pi * static_cast<float>(s) / k_Segments;
            Vertex v{};
            v.position[0] = ring.radius * std::cos(a);
            v.position[1] = ring.y;
            v.position[2] = ring.radius * std::sin(a);
            v.normal[0] = ring.normalOut * std::cos(a);
            v.normal[1] = ring.normalUp;
            v.normal[2] = ring.normalOut * std::sin(a);
            Weigh(ring.y, v);
            vertices.push_back(v);
        }
    const uint32_t row = k_Segments + 1;
    for (uint32_t ring = 0; ring + 1 < profile.size(); ++ring)
        for (uint32_t s = 0; s < k_Segments; ++s)
        {
            const uint32_t a = ring * row + s, b = a + 1, c = a + row, d = c + 1;
            // Clockwise seen from outside, the engine's front faces.
            indices.insert(indices.end(), {a, b, c, b, d, c});
        }
}

TransformationKey Key(int channel, float time, float x, float y, float z)
{
    TransformationKey key;
    key.channel = channel;
    key.time = time;
    key.value = {x, y, z, channel == 0 ? 1.0f : 0.0f};
    return key;
}

class k_TubeWorld : public k_World
{
public:
    explicit k_TubeWorld(IEngine* engine) : k_World(engine, "Tube") {}

    void Build() override
    {
        IResourceFactory* factory = m_engine->GetResourceFactory();
        SetClearColour({0.06f, 0.05f, 0.08f, 1.0f});
        ICamera* camera = factory->CreateCamera();
        camera->SetPosition({1.6f, 1.1f, -3.4f, 1.0f});
        camera->SetTarget({0.0f, 0.2f, 0.0f, 1.0f});
        camera->SetFieldOfView(50.0f);
        SetCamera(camera);
        ILight* key = factory->CreateLight();
        key->SetLightPosition({-4.0f, 5.0f, -6.0f, 1.0f});
        key->SetDiffuse({1.0f, 0.95f, 0.88f, 1.0f});
        key->SetSpecular({1.0f, 1.0f, 1.0f, 1.0f});
        AddLight(key);

        // The skeleton: a root at the base and two bones above it, each bound
        // where it starts. Each bone's animation places it relative to its
        // parent (one unit up) and turns it there.
        const k_VectorUA noTurn(0, 0, 0, 0), unit(1, 1, 1, 0);
        IBone* root = factory->CreateBone(L"root", 0, {0, 0, 0, 1}, unit, noTurn);
        IBone* middle = factory->CreateBone(L"middle", 1, {0, 1, 0, 1}, unit, noTurn);
        IBone* tip = factory->CreateBone(L"tip", 2, {0, 2, 0, 1}, unit, noTurn);
        middle->SetParent(root);
        tip->SetParent(middle);
        ITransformationAnimation* sway = factory->CreateTransformationAnimation(L"tube.root");
        ITransformationAnimation* bend = factory->CreateTransformationAnimation(L"tube.middle");
        ITransformationAnimation* curl = factory->CreateTransformationAnimation(L"tube.tip");
        for (int i = 0; i <= 2400; ++i)
        {
            const float t = static_cast<float>(i) * 0.125f;
            sway->AddKey(Key(1, t, 8.0f * std::sin(t * 0.7f), t * 12.0f, 10.0f * std::sin(t * 0.9f)));
            bend->AddKey(Key(1, t, 25.0f * std::sin(t * 1.1f + 0.6f), 0.0f, 38.0f * std::sin(t * 1.3f)));
            curl->AddKey(Key(1, t, 30.0f * std::sin(t * 1.5f + 1.9f), 0.0f, 48.0f * std::sin(t * 1.7f + 0.8f)));
        }
        bend->AddKey(Key(0, 0.0f, 0.0f, 1.0f, 0.0f));
        curl->AddKey(Key(0, 0.0f, 0.0f, 1.0f, 0.0f));
        root->SetAnimation(sway);
        middle->SetAnimation(bend);
        tip->SetAnimation(curl);

        std::vector<Vertex> vertices;
        std::vector<uint32_t> indices;
        MakeTube(vertices, indices);
        IMaterial* material = factory->CreateMaterial(L"tube", L"Examples/SkinnedTube.mat");
        IMeshBuffer* mesh = factory->CreateMeshBuffer();
        mesh->SetVertices(vertices.data(), static_cast<uint32_t>(vertices.size()),
                          {r_VertexElement::Position3, r_VertexElement::Normal3, r_VertexElement::BlendIndices4,
                           r_VertexElement::BlendWeights4},
                          GL_STATIC_DRAW, true);
        mesh->SetIndices(indices.data(), static_cast<uint32_t>(indices.size()), GL_STATIC_DRAW, true);
        mesh->SetMaterial(material);
        // The material script attaches "bones" without a skeleton; give it this one.
        if (material != nullptr && !material->GetPasses().empty() && material->GetPasses()[0]->program != nullptr)
            material->GetPasses()[0]->program->AddShaderCallback(L"bones", root->GetHandle());
        auto* node = dynamic_cast<IRenderable*>(mesh);
        node->SetPosition({0.0f, -1.5f, 0.0f, 1.0f});
        AddRenderable(node);
    }
};

class k_SkinnedTubeDemo : public k_Show
{
public:
    explicit k_SkinnedTubeDemo(IEngine* engine) : k_Show(engine, {{}, {}}), m_world(engine) {}
    // The example's one world, without a show file, loading bar or schedule.
    void Build() override { m_engine->AddWorld(&m_world); }

private:
    k_TubeWorld m_world;
};
} // namespace

int main(int argc, char** argv)
{
    return k_ExampleRunner::Run(argc, argv, L"Orvelant example - skinned tube",
                                [](IEngine* engine) { return new k_SkinnedTubeDemo(engine); });
}
