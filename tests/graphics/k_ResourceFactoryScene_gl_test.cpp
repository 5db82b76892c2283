#include "graphics/k_ResourceFactory.h"
#include "interfaces/ICamera.h"
#include "interfaces/ILight.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IRenderable.h"
#include "interfaces/ITexture.h"
#include "interfaces/r_PrimitiveTopology.h"
#include "math/k_VectorUA.h"
#include "support/k_SceneTestEngine.h"

#include <epoxy/gl.h>
#include <gtest/gtest.h>
#include <memory>

// The scene objects the factory makes: a new one on every call, owned and
// destroyed by the factory.
TEST_F(GlTest, ResourceFactoryMakesSceneObjectsAndRenderTargets)
{
    k_SceneTestDrainErrors();
    k_SceneTestEngine engine;
    auto factory = std::make_unique<k_ResourceFactory>(&engine);

    IRenderable* group = factory->CreateEmptyRenderable();
    ASSERT_NE(group, nullptr);
    EXPECT_NE(factory->CreateEmptyRenderable(), group);

    IMeshBuffer* mesh = factory->CreateMeshBuffer();
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetPrimitiveTopology(), r_PrimitiveTopology::Triangle);
    auto* meshNode = dynamic_cast<IRenderable*>(mesh);
    ASSERT_NE(meshNode, nullptr);
    group->AddChild(meshNode);

    ICamera* camera = factory->CreateCamera();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->GetPosition(), k_VectorUA(0, 0, -5, 0));
    ILight* light = factory->CreateLight();
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->GetDiffuse(), k_VectorUA(1, 1, 1, 1));
    EXPECT_EQ(light->GetLightPosition(), k_VectorUA(0, 0, 0, 1));

    IRenderTarget* target = factory->CreateRenderTargetWithTexture(64, 32, 1);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->GetWidth(), 64);
    EXPECT_EQ(target->GetHeight(), 32);
    ASSERT_EQ(target->GetColorTextures()->size(), 1u);
    EXPECT_EQ(target->GetColorTextures()->front()->GetFormat(), 1);
    EXPECT_TRUE(factory->CreateRenderTarget(16, 16)->GetColorTextures()->empty());

    testing::internal::CaptureStdout();
    EXPECT_EQ(factory->CreateRenderTarget(0, 64), nullptr);
    EXPECT_EQ(factory->CreateRenderTargetWithTexture(64, -1, 3), nullptr);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Invalid render target size."), std::string::npos);

    factory.reset();
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}
