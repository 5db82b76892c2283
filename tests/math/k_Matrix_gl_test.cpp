#include "math/k_Matrix.h"
#include "math/k_Quaternion.h"
#include "support/k_GlTestContext.h"

#include <epoxy/gl.h>
#include <random>

// The engine hands its matrices to the fixed-function stack as they are: its product must be
// the one GL applies when glMultMatrixf follows glLoadMatrixf.
TEST_F(GlTest, MatrixProductMatchesTheGlMatrixStack)
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(-2.0f, 2.0f);
    k_Matrix a, b;
    for (int i = 0; i < 16; ++i)
    {
        a[i] = d(rng);
        b[i] = d(rng);
    }
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(a.Data());
    glMultMatrixf(b.Data());
    k_Matrix gl;
    glGetFloatv(GL_MODELVIEW_MATRIX, gl.Data());
    glPopMatrix();
    const k_Matrix p = a * b;
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(gl[i], p[i], 1e-5f) << "element " << i;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A quaternion's matrix turns drawn geometry on screen: a quad right of the centre, rotated
// by a quarter turn about z, lands above or below the centre and no longer to the right.
TEST_F(GlTest, QuaternionMatrixRotatesDrawnGeometry)
{
    glViewport(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(k_Quaternion::ToMatrix(k_Quaternion::FromAxisAngle(0, 0, 1, 90, true)).Data());
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glVertex2f(0.4f, -0.1f);
    glVertex2f(0.8f, -0.1f);
    glVertex2f(0.8f, 0.1f);
    glVertex2f(0.4f, 0.1f);
    glEnd();
    glLoadIdentity();

    auto lit = [](int x, int y) { return k_GlTestContext::ReadPixels(x, y, 1, 1)[0] > 128; };
    const int c = k_GlTestContext::k_Width / 2, off = static_cast<int>(0.6f * c);
    EXPECT_FALSE(lit(c + off, c)) << "still to the right: not rotated";
    // The rule gives the transpose of the right-hand rotation, so +90 degrees about z turns
    // +x towards -y (clockwise on screen).
    EXPECT_TRUE(lit(c, c - off));
    EXPECT_FALSE(lit(c, c + off));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
