#include "graphics/k_OpenGl.h"

#include "engine/k_Log.h"
#include "platform/k_SdlGlContext.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <cstdio>

namespace
{
const char* GlString(GLenum name)
{
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text ? text : "";
}
} // namespace

k_OpenGl::k_OpenGl(IEngine* engine) : m_engine(engine) {}

// --- context ---

bool k_OpenGl::CreateContext(k_DeviceContext deviceContext)
{
    m_context = k_SdlGlContext::Create(deviceContext);
    if (!m_context)
    {
        k_Log(k_Log::Colour::Error) << "OPENGL :: " << k_SdlGlContext::GetError();
        throw L"Cannot create OpenGl Rendering Context!";
    }
    m_deviceContext = deviceContext;
    if (!k_SdlGlContext::MakeCurrent(deviceContext, m_context))
    {
        k_Log(k_Log::Colour::Error) << "OPENGL :: " << k_SdlGlContext::GetError();
        throw L"Cannot make OpenGl Rendering Context current!";
    }
    return true;
}

void k_OpenGl::DestroyContext()
{
    if (!m_context)
        return;
    k_SdlGlContext::MakeCurrent(m_deviceContext, nullptr);
    k_SdlGlContext::Delete(m_context);
    m_context = nullptr;
    m_deviceContext = nullptr;
}

// --- state ---

bool k_OpenGl::Initialize()
{
    k_Log() << "Initializing OpenGL...";
    glewExperimental = GL_TRUE;
    glewInit();
    // GLEW may leave an error from probing the driver; it is not ours to report.
    while (glGetError() != GL_NO_ERROR)
    {
    }
    k_Log() << "OPENGL :: Vendor: " << GlString(GL_VENDOR);
    k_Log() << "OPENGL :: Renderer: " << GlString(GL_RENDERER);
    k_Log() << "OPENGL :: Version: " << GlString(GL_VERSION);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m_maxTextureSize);
    char line[255];
    std::snprintf(line, sizeof line, "OPENGL :: Maximum texture size: %d", m_maxTextureSize);
    k_Log() << line;

    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFrontFace(GL_CCW);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrontFace(GL_CW);

    DrawProgressBar(0.0f);
    return true;
}

void k_OpenGl::Resize(int width, int height)
{
    if (height == 0)
        height = 1;
    m_width = width;
    m_height = height;
    glViewport(0, 0, width, height);
}

// --- errors ---

unsigned k_OpenGl::NextError()
{
    return glGetError();
}

void k_OpenGl::CheckErrors()
{
    int budget = 5;
    for (;;)
    {
        const unsigned error = NextError();
        if (error != GL_NO_ERROR)
        {
            --budget;
            const auto* text = reinterpret_cast<const char*>(gluErrorString(error));
            if (text)
                k_Log() << "OPENGL :: ERROR " << text;
            else
                k_Log() << "OPENGL :: UNKNOWN ERROR!";
        }
        if (budget == 0)
        {
            k_Log() << "OPENGL :: ERROR Too many errors!";
            return;
        }
        if (error == GL_NO_ERROR)
            return;
    }
}

// --- loading bar ---

void k_OpenGl::DrawProgressBar(float fraction)
{
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    if (glUseProgram)
        glUseProgram(0);
    glDisable(GL_LIGHTING);

    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(0.2f, 0.5f, 0.9f);

    glBegin(GL_LINE_LOOP);
    glVertex2f(-0.91f, 0.06f);
    glVertex2f(0.91f, 0.06f);
    glVertex2f(0.91f, -0.06f);
    glVertex2f(-0.91f, -0.06f);
    glEnd();

    const double right = static_cast<double>(fraction) * 1.8 - 0.9;
    glBegin(GL_QUADS);
    glVertex2d(-0.9, 0.05);
    glVertex2d(right, 0.05);
    glVertex2d(right, -0.05);
    glVertex2d(-0.9, -0.05);
    glEnd();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
}
