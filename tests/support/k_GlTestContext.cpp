#include "support/k_GlTestContext.h"

#include <epoxy/gl.h>
#include <SDL.h>
#include <cstdio>

namespace
{
SDL_Window* g_window = nullptr;
SDL_GLContext g_context = nullptr;
} // namespace

bool k_GlTestContext::Ensure()
{
    if (g_context)
        return true;
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
    {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // An accumulation buffer lets the renderer's sub-frame tests run their
    // real path; a driver without one gets a context without it.
    for (int accumBits : {16, 0})
    {
        SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accumBits);
        SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accumBits);
        SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accumBits);
        SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, accumBits);
        g_window = SDL_CreateWindow("gl test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, k_Width, k_Height,
                                    SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!g_window)
        {
            std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
            continue;
        }
        g_context = SDL_GL_CreateContext(g_window);
        if (g_context)
            break;
        std::fprintf(stderr, "SDL_GL_CreateContext: %s\n", SDL_GetError());
        SDL_DestroyWindow(g_window);
        g_window = nullptr;
    }
    if (!g_context)
        return false;
    // The tests draw with desktop OpenGL 3.0 and newer, whose entry points libepoxy resolves on first call.
    if (!epoxy_is_desktop_gl() || epoxy_gl_version() < 30)
    {
        const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        std::fprintf(stderr, "the context offers OpenGL \"%s\", not desktop OpenGL 3.0 (SDL video driver: %s)\n",
                     version ? version : "", SDL_GetCurrentVideoDriver());
        SDL_GL_DeleteContext(g_context);
        g_context = nullptr;
        return false;
    }
    glViewport(0, 0, k_Width, k_Height);
    return true;
}

void k_GlTestContext::MakeCurrent()
{
    if (g_window && g_context)
        SDL_GL_MakeCurrent(g_window, g_context);
}

void* k_GlTestContext::GetWindow()
{
    return g_window;
}

void k_GlTestContext::Swap()
{
    if (g_window)
        SDL_GL_SwapWindow(g_window);
}

std::vector<uint8_t> k_GlTestContext::ReadPixels(int x, int y, int width, int height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void k_GlTestContext::DrawViewportQuad()
{
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
}
