#include "graphics/k_PassTimer.h"
#include "support/k_GlTestContext.h"

#include <epoxy/gl.h>
#include <gtest/gtest.h>

namespace
{
class k_PassTimerTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        k_PassTimer::TakeFrame();
    }
    void TearDown() override
    {
        k_PassTimer::SetEnabled(false);
        k_PassTimer::SetFinishing(false);
        k_PassTimer::TakeFrame();
    }
};
} // namespace

TEST_F(k_PassTimerTest, SwitchedOffRecordsNothing)
{
    EXPECT_FALSE(k_PassTimer::IsEnabled());
    {
        const k_PassTimer timer("world");
        k_GlTestContext::DrawViewportQuad();
    }
    EXPECT_TRUE(k_PassTimer::TakeFrame().empty());
}

// Parts are named under the stretch they run in, outer stretches come first, a stretch timed twice in a
// frame is one part with both times, and taking the frame starts the next one empty.
TEST_F(k_PassTimerTest, NamesPartsUnderTheirStretchAndSumsRepeats)
{
    k_PassTimer::SetEnabled(true);
    {
        const k_PassTimer world("Terrain");
        for (int i = 0; i < 2; ++i)
        {
            const k_PassTimer step("first step");
            k_GlTestContext::DrawViewportQuad();
        }
        const k_PassTimer other(std::string("fourth step"));
        k_GlTestContext::DrawViewportQuad();
    }
    {
        const k_PassTimer swap("swap");
    }
    const std::vector<k_PassTimer::Part> parts = k_PassTimer::TakeFrame();
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].name, "Terrain");
    EXPECT_EQ(parts[1].name, "Terrain/first step");
    EXPECT_EQ(parts[2].name, "Terrain/fourth step");
    EXPECT_EQ(parts[3].name, "swap");
    for (const k_PassTimer::Part& part : parts)
        EXPECT_GE(part.milliseconds, 0.0) << part.name;
    EXPECT_GE(parts[0].milliseconds, parts[1].milliseconds + parts[2].milliseconds);
    EXPECT_TRUE(k_PassTimer::TakeFrame().empty());
}

// A stretch ends only when its GL work is done, whether it is timed (the benchmark) or only finished (the
// capture): a query issued inside it has its result at once. Finished only, nothing is recorded.
TEST_F(k_PassTimerTest, FinishesTheWorkOfItsStretch)
{
    for (const bool timed : {true, false})
    {
        k_PassTimer::SetEnabled(timed);
        k_PassTimer::SetFinishing(!timed);
        GLuint query = 0;
        glGenQueries(1, &query);
        {
            const k_PassTimer timer("pass");
            glBeginQuery(GL_SAMPLES_PASSED, query);
            for (int i = 0; i < 50; ++i)
                k_GlTestContext::DrawViewportQuad();
            glEndQuery(GL_SAMPLES_PASSED);
        }
        GLint available = 0;
        glGetQueryObjectiv(query, GL_QUERY_RESULT_AVAILABLE, &available);
        EXPECT_EQ(available, GL_TRUE) << (timed ? "timed" : "finished only");
        GLint samples = 0;
        glGetQueryObjectiv(query, GL_QUERY_RESULT, &samples);
        EXPECT_GT(samples, 0);
        glDeleteQueries(1, &query);
        EXPECT_EQ(k_PassTimer::TakeFrame().size(), timed ? 1u : 0u);
    }
}
