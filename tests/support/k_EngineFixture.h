#pragma once
// GL tests of the show's worlds on the real engine: k_Engine over the built
// data.pak, its graphics device sized to the test window, and frames run the
// way the show runs them (depth cleared to 0, clockwise fronts, then the
// engine's Update). The captured log is kept for checks; GL state is put back
// to the plain scene-test state afterwards.
#include "engine/k_Engine.h"
#include "interfaces/IGraphics.h"
#include "support/k_GlTestContext.h"
#include "support/k_SceneTestEngine.h"

#include <epoxy/gl.h>
#include <iostream>
#include <memory>
#include <string>

class k_EngineFixture : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        k_SceneTestDrainErrors();
        testing::internal::CaptureStdout();
        m_capturing = true;
        engine = std::make_unique<k_Engine>();
        engine->GetGraphics()->Initialize();
        engine->GetGraphics()->Resize(k_GlTestContext::k_Width, k_GlTestContext::k_Height);
        engine->Initialize();
        engine->GetGraphics()->SetAspectRatio(1.0f);
    }

    void TearDown() override
    {
        engine.reset();
        // Failure messages written while the log was captured would be lost with it.
        if (HasFailure())
            std::cerr << Log();
        else
            Log();
        for (int unit = 0; unit < 8; ++unit)
        {
            glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
            glBindTexture(GL_TEXTURE_2D, 0);
            glDisable(GL_TEXTURE_2D);
        }
        glActiveTexture(GL_TEXTURE0);
        glFrontFace(GL_CCW);
        glDisable(GL_LIGHT0);
        glDisable(GL_BLEND);
        glDepthFunc(GL_LESS);
        glClearDepth(1.0);
        k_SceneTestPlainState();
    }

    // One frame as the show draws it.
    void Frame(double seconds)
    {
        glDepthMask(GL_TRUE);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClearDepth(0.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFrontFace(GL_CW);
        engine->Update(seconds);
    }

    // Everything logged so far (the capture ends at the first call).
    const std::string& Log()
    {
        if (m_capturing)
        {
            m_log = testing::internal::GetCapturedStdout();
            m_capturing = false;
        }
        return m_log;
    }

    std::unique_ptr<k_Engine> engine;

private:
    bool m_capturing = false;
    std::string m_log;
};
