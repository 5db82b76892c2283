#include "demo/k_Text.h"
#include "graphics/k_ResourceFactory.h"
#include "interfaces/IMaterial.h"
#include "math/k_VectorUA.h"
#include "support/k_SceneTestEngine.h"

#include <epoxy/gl.h>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

// Extruded text drawn for real on Mesa: the letters are read back from the window in an orthographic view
// where one glyph unit (the em square) is 64 pixels.
namespace
{
// A material that paints white and reports a pass, or reports none.
class WhiteMaterial : public IMaterial
{
public:
    explicit WhiteMaterial(bool hasPass) : m_hasPass(hasPass) {}
    bool Apply() override
    {
        ++applied;
        glColor3f(1.0f, 1.0f, 1.0f);
        return m_hasPass;
    }
    void AddPass(k_MaterialPass*) override {}
    std::vector<k_MaterialPass*>& GetPasses() override { return m_passes; }
    k_MaterialPass* FindPass(IWorld*) override { return nullptr; }

    int applied = 0;

private:
    bool m_hasPass;
    std::vector<k_MaterialPass*> m_passes;
};

constexpr float k_Em = 64.0f;
constexpr int k_OriginX = 16;
constexpr int k_Baseline = 100;

class TextTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        k_SceneTestPlainState();
        factory = std::make_unique<k_ResourceFactory>(&engine);
    }

    void TearDown() override
    {
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        factory.reset();
    }

    k_Text* Make(const std::string& text, const std::wstring& font = L"DejaVu Sans", int height = 64,
                 float depth = 0.25f, int style = 0)
    {
        IText* made = factory->CreateText(text, font, height, depth, style);
        return dynamic_cast<k_Text*>(made);
    }

    // Clears to black and renders the node at the origin with one em = 64 pixels, turned by the quaternion;
    // returns the count of lit pixels and keeps the picture.
    int Render(k_Text* text, const k_VectorUA& rotation = {0, 0, 0, 0})
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, k_GlTestContext::k_Width, 0, k_GlTestContext::k_Height, -300, 300);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        text->SetPosition({static_cast<float>(k_OriginX), static_cast<float>(k_Baseline), 0, 1});
        text->SetScale({k_Em, k_Em, k_Em, 1});
        text->SetRotation(rotation);
        text->Render();
        pixels = k_GlTestContext::ReadPixels(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
        int lit = 0;
        for (int y = 0; y < k_GlTestContext::k_Height; ++y)
            for (int x = 0; x < k_GlTestContext::k_Width; ++x)
                lit += Lit(x, y);
        return lit;
    }

    bool Lit(int x, int y) const { return pixels[(static_cast<size_t>(y) * k_GlTestContext::k_Width + x) * 4] > 128; }

    // The lit runs along a row: (first x, last x) of each.
    std::vector<std::pair<int, int>> Runs(int y) const
    {
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < k_GlTestContext::k_Width; ++x)
            if (Lit(x, y))
            {
                if (runs.empty() || runs.back().second != x - 1)
                    runs.push_back({x, x});
                else
                    runs.back().second = x;
            }
        return runs;
    }

    k_SceneTestEngine engine;
    std::unique_ptr<k_ResourceFactory> factory;
    WhiteMaterial white{true};
    std::vector<uint8_t> pixels;
};
} // namespace

TEST_F(TextTest, LettersStandOnTheBaselineWithinTheirAdvances)
{
    k_Text* text = Make("I I");
    ASSERT_NE(text, nullptr);
    text->SetMaterial(&white);
    const int width = text->GetTextWidth(); // pixels at height 64, so also pixels on screen here
    ASSERT_GT(width, 30);
    EXPECT_GT(Render(text), 200);

    // Two stems at mid cap height, apart by at least the space between them.
    const auto runs = Runs(k_Baseline + 20);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_GE(runs[1].first - runs[0].second, 12);
    EXPECT_GE(runs[0].second - runs[0].first, 3);
    // Everything lies between the origin and the measured width, above the baseline and below the em.
    for (int y = 0; y < k_GlTestContext::k_Height; ++y)
        for (int x = 0; x < k_GlTestContext::k_Width; ++x)
            if (Lit(x, y))
            {
                EXPECT_GE(x, k_OriginX - 1);
                EXPECT_LE(x, k_OriginX + width + 1);
                EXPECT_GE(y, k_Baseline - 1);
                EXPECT_LE(y, k_Baseline + static_cast<int>(k_Em));
            }
    EXPECT_FALSE(Lit(k_OriginX + width / 2, k_Baseline + 20)); // the space
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(TextTest, SolidIsClosedAndFacesOutwardsFromEverySide)
{
    // With back faces culled, a closed solid wound outwards shows the same silhouette as without culling:
    // from the front (front faces), from behind (back faces) and from the side (the extruded walls).
    k_Text* text = Make("Og", L"DejaVu Sans", 64, 0.5f);
    ASSERT_NE(text, nullptr);
    text->SetMaterial(&white);
    const float s = std::sqrt(0.5f);
    for (const k_VectorUA& turn : {k_VectorUA{0, 0, 0, 0}, k_VectorUA{0, 1, 0, 0}, k_VectorUA{0, s, 0, s}})
    {
        glDisable(GL_CULL_FACE);
        const int all = Render(text, turn);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
        const int outward = Render(text, turn);
        EXPECT_GT(all, 100);
        EXPECT_NEAR(outward, all, all / 50) << "turned by (" << turn.y << ", " << turn.w << ")";
    }
    // Seen from the side the letters are as thick as the depth: half an em.
    glDisable(GL_CULL_FACE);
    Render(text, {0, s, 0, s});
    const auto runs = Runs(k_Baseline + 20);
    ASSERT_FALSE(runs.empty());
    EXPECT_NEAR(runs.back().second - runs.front().first + 1, k_Em * 0.5f, 2.0f);
}

TEST_F(TextTest, EqualFontsShareGlyphListsAndAnotherDepthGetsItsOwn)
{
    k_Text* first = Make("A", L"DejaVu Sans", 40, 0.2f);
    k_Text* second = Make("B", L"DejaVu Sans", 40, 0.2f);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first->GetListBase(), 0u);
    EXPECT_EQ(first->GetListBase(), second->GetListBase());
    for (k_Text* other : {Make("C", L"DejaVu Sans", 40, 0.3f), Make("C", L"DejaVu Sans", 41, 0.2f),
                          Make("C", L"DejaVu Sans", 40, 0.2f, 1), Make("C", L"dejavu sans", 40, 0.2f)})
    {
        ASSERT_NE(other, nullptr);
        EXPECT_NE(other->GetListBase(), first->GetListBase());
    }
    // The first two keep drawing after the other fonts were built, and one text can show new words.
    first->SetMaterial(&white);
    EXPECT_GT(Render(first), 50);
    second->SetText("AAAA");
    second->SetMaterial(&white);
    EXPECT_GT(Render(second), 150);
    EXPECT_EQ(second->GetTextWidth(), 4 * first->GetTextWidth());
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(TextTest, NothingIsDrawnWithoutAMaterialPassOrText)
{
    k_Text* text = Make("Hello");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetMaterial(), nullptr);
    EXPECT_EQ(Render(text), 0);

    WhiteMaterial noPass(false);
    text->SetMaterial(&noPass);
    EXPECT_EQ(Render(text), 0);
    EXPECT_EQ(noPass.applied, 1);

    text->SetMaterial(&white);
    text->SetText("");
    EXPECT_EQ(text->GetTextWidth(), 0);
    EXPECT_EQ(Render(text), 0);
    EXPECT_EQ(text->GetText(), "");
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(TextTest, OddFontsAndHeightsStillGiveReadableText)
{
    // An unknown name falls back to fontconfig's choice; the text keeps the name it was given.
    k_Text* unknown = Make("Ww", L"No Such Font Anywhere 7", 64, 0.1f, 3);
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->GetFontName(), L"No Such Font Anywhere 7");
    EXPECT_EQ(unknown->GetStyle(), 3);
    EXPECT_GT(unknown->GetTextWidth(), 64);
    unknown->SetMaterial(&white);
    EXPECT_GT(Render(unknown), 300);

    // A height of 0 or below still measures; every byte value has a glyph, the last one too.
    for (int height : {0, -30, 30})
    {
        k_Text* text = Make("\xe9t\xe9\xff", L"DejaVu Serif", height, 0.1f);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->GetHeight(), height);
        EXPECT_GT(text->GetTextWidth(), 0);
    }
    k_Text* last = Make("\xff", L"DejaVu Sans", 64, 0.1f);
    last->SetMaterial(&white);
    EXPECT_GT(Render(last), 100);
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}
