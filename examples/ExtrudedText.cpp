// Extruded text: a word built from a font's glyph outlines as solid letters,
// turning slowly between a warm key light and a cool back light.
//
//   orvelant_example_extruded_text [--shot SECONDS FILE.png]
#include "demo/k_Show.h"
#include "examples/k_ExampleRunner.h"
#include "interfaces/ICamera.h"
#include "interfaces/IEngine.h"
#include "interfaces/ILight.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IText.h"
#include "interfaces/ITimeline.h"
#include "math/k_Quaternion.h"
#include "scene/k_World.h"

#include <cmath>

namespace
{
class k_TextWorld : public k_World
{
public:
    explicit k_TextWorld(IEngine* engine) : k_World(engine, "Letters") {}

    void Build() override
    {
        IResourceFactory* factory = m_engine->GetResourceFactory();
        SetClearColour({0.05f, 0.045f, 0.07f, 1.0f});
        ICamera* camera = factory->CreateCamera();
        camera->SetPosition({0.0f, 0.8f, 7.0f, 1.0f});
        camera->SetTarget({0.0f, 0.0f, 0.0f, 1.0f});
        camera->SetFieldOfView(45.0f);
        SetCamera(camera);

        ILight* key = factory->CreateLight();
        key->SetLightPosition({-4.0f, 5.0f, 6.0f, 1.0f});
        key->SetDiffuse({1.0f, 0.92f, 0.8f, 1.0f});
        key->SetSpecular({1.0f, 1.0f, 0.95f, 1.0f});
        AddLight(key);
        ILight* back = factory->CreateLight();
        back->SetLightPosition({5.0f, 2.0f, -4.0f, 1.0f});
        back->SetDiffuse({0.35f, 0.5f, 1.0f, 1.0f});
        back->SetSpecular({0.4f, 0.6f, 1.0f, 1.0f});
        AddLight(back);

        // Letters one em high (made at 64 pixels), 0.3 em deep, bold.
        IText* text = factory->CreateText("ORVELANT", L"DejaVu Sans", 64, 0.3f, 1);
        auto* letters = dynamic_cast<IRenderable*>(text);
        if (letters == nullptr)
            return;
        text->SetMaterial(factory->CreateMaterial(L"letters", L"Examples/Letters.mat"));
        // The word's own node centres it on the pivot: half its width to the left, half its depth back.
        const float width = static_cast<float>(text->GetTextWidth()) / static_cast<float>(text->GetHeight());
        letters->SetPosition({-0.5f * width, -0.35f, 0.15f, 1.0f});
        m_pivot = factory->CreateEmptyRenderable();
        m_pivot->AddChild(letters);
        AddRenderable(m_pivot);
        Update();
    }

    // A slow sway about the vertical with a gentle nod, so the light runs over faces and walls.
    void Update() override
    {
        if (m_pivot == nullptr)
            return;
        const float t = static_cast<float>(m_engine->GetTimeline()->GetTime());
        const k_VectorUA turn = k_Quaternion::FromAxisAngle(0.0f, 1.0f, 0.0f, 38.0f * std::sin(t * 0.6f), true);
        const k_VectorUA nod = k_Quaternion::FromAxisAngle(1.0f, 0.0f, 0.0f, 10.0f * std::sin(t * 0.45f), true);
        // Quaternion product turn * nod.
        m_pivot->SetRotation({turn.w * nod.x + turn.x * nod.w + turn.y * nod.z - turn.z * nod.y,
                              turn.w * nod.y - turn.x * nod.z + turn.y * nod.w + turn.z * nod.x,
                              turn.w * nod.z + turn.x * nod.y - turn.y * nod.x + turn.z * nod.w,
                              turn.w * nod.w - turn.x * nod.x - turn.y * nod.y - turn.z * nod.z});
    }

private:
    IRenderable* m_pivot = nullptr;
};

class k_ExtrudedTextDemo : public k_Show
{
public:
    explicit k_ExtrudedTextDemo(IEngine* engine) : k_Show(engine, {{}, {}}), m_world(engine) {}
    // The example's one world, without a show file, loading bar or schedule.
    void Build() override { m_engine->AddWorld(&m_world); }

private:
    k_TextWorld m_world;
};
} // namespace

int main(int argc, char** argv)
{
    return k_ExampleRunner::Run(argc, argv, L"Orvelant example - extruded text",
                                [](IEngine* engine) { return new k_ExtrudedTextDemo(engine); });
}
