#include "graphics/k_OpenGl.h"

#include "engine/k_Log.h"
#include "platform/k_SdlGlContext.h"

#include <epoxy/gl.h>
#include <GL/glu.h>
#include <cstdio>

namespace
{
const char* GlString(GLenum name)
{
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text ? text : "";
}

// The oldest desktop OpenGL the engine draws with (GLSL 1.30 shaders, float and integer textures), as
// major * 10 + minor.
constexpr int k_NeededVersion = 30;

// Extensions whose entry points the engine calls by their extension names, each with the message of its absence.
struct NeededExtension
{
    const char* name;
    const wchar_t* message;
};
constexpr NeededExtension k_NeededExtensions[] = {
    {"GL_EXT_framebuffer_object", L"The OpenGL driver has no framebuffer objects (GL_EXT_framebuffer_object)!"},
    {"GL_EXT_framebuffer_multisample",
     L"The OpenGL driver has no multisample renderbuffers (GL_EXT_framebuffer_multisample)!"},
};
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
    // The engine frees the context before the resources made on it, whose destructors then delete their GL
    // objects with no context current: calls that do nothing. libepoxy, though, resolves an entry point on its
    // first call and can only do that with a context current, so each deletion the resources make is called
    // once here, with nothing to delete, while the context still is.
    glDeleteShader(0);
    glDeleteProgram(0);
    glDeleteBuffers(0, nullptr);
    glDeleteTextures(0, nullptr);
    glDeleteLists(0, 0);
    glDeleteFramebuffersEXT(0, nullptr);
    glDeleteRenderbuffersEXT(0, nullptr);
    k_SdlGlContext::MakeCurrent(m_deviceContext, nullptr);
    k_SdlGlContext::Delete(m_context);
    m_context = nullptr;
    m_deviceContext = nullptr;
}

// --- state ---

bool k_OpenGl::Initialize()
{
    k_Log() << "Initializing OpenGL...";
    k_Log() << "OPENGL :: Vendor: " << GlString(GL_VENDOR);
    k_Log() << "OPENGL :: Renderer: " << GlString(GL_RENDERER);
    k_Log() << "OPENGL :: Version: " << GlString(GL_VERSION);
    RequireFeatures();
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

// Entry points come through libepoxy, which resolves each on its first call from whichever of GLX or EGL made
// the current context; one the driver lacks would end the process there. So what the engine calls is checked
// once here, and a driver without it is refused with a message that names it.
void k_OpenGl::RequireFeatures()
{
    const int version = GlVersion();
    if (version < k_NeededVersion)
    {
        char line[160];
        if (version > 0)
            std::snprintf(line, sizeof line,
                          "OPENGL :: The driver offers OpenGL %d.%d; the engine needs %d.%d or newer.", version / 10,
                          version % 10, k_NeededVersion / 10, k_NeededVersion % 10);
        else
            std::snprintf(line, sizeof line,
                          "OPENGL :: The context offers no desktop OpenGL version; the engine needs %d.%d or newer.",
                          k_NeededVersion / 10, k_NeededVersion % 10);
        k_Log(k_Log::Colour::Error) << line;
        throw L"The OpenGL driver is too old: OpenGL 3.0 or newer is needed!";
    }
    for (const NeededExtension& extension : k_NeededExtensions)
    {
        if (!HasExtension(extension.name))
        {
            k_Log(k_Log::Colour::Error) << "OPENGL :: The driver lacks the extension " << extension.name << ".";
            throw extension.message;
        }
    }
}

int k_OpenGl::GlVersion()
{
    return epoxy_is_desktop_gl() ? epoxy_gl_version() : 0;
}

bool k_OpenGl::HasExtension(const char* name)
{
    return epoxy_has_gl_extension(name);
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
    // Initialize made sure of programs (OpenGL 2.0 and newer).
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
