#include "interfaces/IBone.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderCallback.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITransformationAnimation.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"

#include <array>
#include <string>
#include <vector>

// The "bones" callback on a real program: what it uploads to "bonematrix", and when it uploads nothing.
TEST_F(GlTest, BonesCallbackUploadsEveryIndexUpToTheHighestAndNothingForHandleZero)
{
    k_GpuTestEngine engine;
    IResourceFactory* factory = engine.GetResourceFactory();
    // Eight matrices, all in use, so the array keeps its length.
    IShader* vertex = factory->CreateShaderFromSource(
        L"bones.vs", r_ShaderType::Vertex, L"bones.vs",
        "#version 120\n"
        "uniform mat4 bonematrix[8];\n"
        "void main() { gl_Position = bonematrix[0] * bonematrix[5] * bonematrix[7] * gl_Vertex; }\n");
    IShader* pixel = factory->CreateShaderFromSource(L"bones.ps", r_ShaderType::Pixel, L"bones.ps",
                                                     "#version 120\nvoid main() { gl_FragColor = vec4(1.0); }\n");
    IShaderProgram* program = factory->CreateShaderProgram({vertex, pixel});
    ASSERT_NE(program, nullptr);
    IShaderCallback* bones = factory->FindShaderCallback(L"bones");
    ASSERT_NE(bones, nullptr);
    ASSERT_TRUE(bones->IsSupported(program));

    // Every element starts as 7 times the identity, so what was not uploaded shows.
    std::vector<float> sevens(8 * 16, 0.0f);
    for (int i = 0; i < 8; ++i)
        for (int d = 0; d < 4; ++d)
            sevens[static_cast<size_t>(16 * i + 5 * d)] = 7.0f;
    program->SetUniformMatrix4Array("bonematrix", sevens.data(), 8);
    auto element = [&](int i) { return program->GetUniformMatrix4("bonematrix[" + std::to_string(i) + "]"); };
    auto seven = [&](int i) {
        std::array<float, 16> m{};
        std::copy_n(sevens.begin() + 16 * i, 16, m.begin());
        return m;
    };

    // A root (index 0) and a lifted tip at index 5: the skeleton's array has six matrices.
    IBone* root = factory->CreateBone(L"root", 0, {0, 0, 0, 1}, {1, 1, 1, 0}, {0, 0, 0, 0});
    IBone* tip = factory->CreateBone(L"tip", 5, {0, 1, 0, 1}, {1, 1, 1, 0}, {0, 0, 0, 0});
    ASSERT_TRUE(root && tip);
    tip->SetParent(root);
    ITransformationAnimation* lift = factory->CreateTransformationAnimation(L"lift");
    TransformationKey key;
    key.channel = 0;
    key.value = {0, 3, 0, 1};
    lift->AddKey(key);
    tip->SetAnimation(lift);
    ASSERT_EQ(root->GetMatrixCount(), 6);

    // Handle 0 names no skeleton: nothing changes.
    bones->Apply(program, 0);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(element(i), seven(i)) << "element " << i << " after handle 0";

    bones->Apply(program, root->GetHandle());
    for (int i = 0; i < 6; ++i)
    {
        std::array<float, 16> expected{};
        std::copy_n(root->GetMatrices() + 16 * i, 16, expected.begin());
        EXPECT_EQ(element(i), expected) << "element " << i;
    }
    EXPECT_NE(element(5), seven(5));
    EXPECT_FLOAT_EQ(element(5)[7], 2.0f) << "the tip lifted from 1 to 3: moved by 2";
    // Past the highest index nothing is uploaded.
    EXPECT_EQ(element(6), seven(6));
    EXPECT_EQ(element(7), seven(7));
    EXPECT_EQ(engine.graphics.errors, 0);
}
