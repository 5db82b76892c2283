#include "support/k_GlTestContext.h"

#include <epoxy/gl.h>

// The test context itself: a compatibility context whose clears can be read back.
TEST_F(GlTest, ContextClearsAndReadsBack)
{
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const auto pixels = k_GlTestContext::ReadPixels(10, 10, 1, 1);
    EXPECT_EQ(pixels[0], 255);
    EXPECT_EQ(pixels[1], 0);
    EXPECT_EQ(pixels[2], 0);
    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_EQ(profile & GL_CONTEXT_CORE_PROFILE_BIT, 0) << "the engine needs fixed function";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
