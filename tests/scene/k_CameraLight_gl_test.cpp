#include "scene/k_Camera.h"
#include "scene/k_Frustum.h"
#include "scene/k_Light.h"
#include "support/k_SceneTestEngine.h"

#include <epoxy/gl.h>
#include <cmath>
#include <gtest/gtest.h>

// The default camera looks from (0, 0, -5) at the origin with up +y: the eye
// looks down +z, so world x maps to eye -x and the origin lies 5 in front.
TEST_F(GlTest, CameraApplySetsProjectionAndLookAtAndCapturesTheViewMatrix)
{
    k_SceneTestEngine engine;
    engine.Graphics().SetAspectRatio(2.0f);
    k_Camera camera(&engine);
    camera.Apply();
    const float* view = camera.GetViewMatrix();
    EXPECT_NEAR(view[0], -1.0f, 1e-5f);
    EXPECT_NEAR(view[5], 1.0f, 1e-5f);
    EXPECT_NEAR(view[10], -1.0f, 1e-5f);
    EXPECT_NEAR(view[14], -5.0f, 1e-5f);

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const float f = 1.0f / std::tan(22.5f * 3.1415927f / 180.0f);
    EXPECT_NEAR(projection[0], f / 2.0f, 1e-4f); // the device's aspect ratio at Apply time
    EXPECT_NEAR(projection[5], f, 1e-4f);
    EXPECT_NEAR(projection[10], (256.0f + 0.1f) / (0.1f - 256.0f), 1e-5f); // far plane 256
    EXPECT_NEAR(projection[14], 2.0f * 256.0f * 0.1f / (0.1f - 256.0f), 1e-5f);

    const float other[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1};
    camera.LoadMatrix(other);
    float loaded[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, loaded);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(loaded[i], other[i]);
    EXPECT_NEAR(camera.GetViewMatrix()[14], -5.0f, 1e-5f); // untouched by LoadMatrix
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

// The projection follows the device's aspect ratio each time the camera is applied; the frustum keeps
// the ratio the camera was made with. At 10 in front, the 45 degree view reaches 4.14 to the side at
// ratio 1 and 8.28 at ratio 2: a point 6 to the side is outside the one and inside the other.
TEST_F(GlTest, ProjectionTakesTheAspectRatioAtApplyAndTheFrustumAtConstruction)
{
    k_SceneTestEngine engine;
    engine.Graphics().SetAspectRatio(1.0f);
    k_Camera square(&engine);
    engine.Graphics().SetAspectRatio(2.0f);
    k_Camera wide(&engine);
    const float f = 1.0f / std::tan(22.5f * 3.1415927f / 180.0f);
    for (k_Camera* camera : {&square, &wide})
    {
        camera->SetPosition(k_VectorUA(0, 0, 0, 0));
        camera->SetTarget(k_VectorUA(0, 0, -1, 0));
        camera->Apply();
        float projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        EXPECT_NEAR(projection[0], f / 2.0f, 1e-4f);
        EXPECT_NEAR(projection[5], f, 1e-4f);
    }
    EXPECT_EQ(square.GetFrustum()->TestPoint(k_VectorUA(6, 0, -10, 0)), k_Frustum::Outside);
    EXPECT_EQ(square.GetFrustum()->TestPoint(k_VectorUA(3, 0, -10, 0)), k_Frustum::Inside);
    EXPECT_EQ(wide.GetFrustum()->TestPoint(k_VectorUA(6, 0, -10, 0)), k_Frustum::Inside);
    EXPECT_EQ(wide.GetFrustum()->TestPoint(k_VectorUA(9, 0, -10, 0)), k_Frustum::Outside);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(GlTest, LightApplyEnablesItsGlLightAndLoadsEveryParameter)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    k_Light light(nullptr);
    light.SetDiffuse(k_VectorUA(0.5f, 0.25f, 0.125f, 1));
    light.SetLightPosition(k_VectorUA(1, 2, 3, 0));
    light.SetSpot(k_VectorUA(0, -1, 0, 0), 4, 30);
    light.SetAttenuation(2, 0.5f, 0.25f);
    glDisable(GL_LIGHT2);
    light.Apply(2);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT2));

    float v[4];
    glGetLightfv(GL_LIGHT2, GL_DIFFUSE, v);
    EXPECT_FLOAT_EQ(v[1], 0.25f);
    glGetLightfv(GL_LIGHT2, GL_POSITION, v);
    EXPECT_FLOAT_EQ(v[2], 3.0f);
    float f = 0;
    glGetLightfv(GL_LIGHT2, GL_SPOT_CUTOFF, &f);
    EXPECT_FLOAT_EQ(f, 30.0f);
    glGetLightfv(GL_LIGHT2, GL_QUADRATIC_ATTENUATION, &f); // the last of the walked codes
    EXPECT_FLOAT_EQ(f, 0.25f);

    // GL has eight lights; a ninth index would only raise a GL error.
    light.Apply(8);
    light.Apply(-1);
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
    glDisable(GL_LIGHT2);
}
