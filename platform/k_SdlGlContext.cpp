#include "platform/k_SdlGlContext.h"

#include <epoxy/gl.h>
#include <SDL.h>
#include <algorithm>

namespace
{
SDL_Window* Window(k_DeviceContext deviceContext)
{
    return reinterpret_cast<SDL_Window*>(deviceContext);
}
} // namespace

k_RenderingContext k_SdlGlContext::Create(k_DeviceContext deviceContext)
{
    if (!deviceContext)
    {
        SDL_SetError("no window to create the context on");
        return nullptr;
    }
    return static_cast<k_RenderingContext>(SDL_GL_CreateContext(Window(deviceContext)));
}

bool k_SdlGlContext::MakeCurrent(k_DeviceContext deviceContext, k_RenderingContext context)
{
    return SDL_GL_MakeCurrent(Window(deviceContext), static_cast<SDL_GLContext>(context)) == 0;
}

void k_SdlGlContext::Delete(k_RenderingContext context)
{
    if (context)
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
}

bool k_SdlGlContext::Swap(k_DeviceContext deviceContext)
{
    if (!deviceContext)
        return false;
    SDL_GL_SwapWindow(Window(deviceContext));
    return true;
}

std::string k_SdlGlContext::GetError()
{
    return SDL_GetError();
}

bool k_SdlGlContext::QueryMaxPictureSize(int& maxWidth, int& maxHeight)
{
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!probe)
        return false;
    SDL_GLContext context = SDL_GL_CreateContext(probe);
    if (!context)
    {
        SDL_DestroyWindow(probe);
        return false;
    }
    GLint viewport[2] = {0, 0}, texture = 0, renderbuffer = 1 << 30;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    while (glGetError() != GL_NO_ERROR)
    {
    }
    SDL_GL_MakeCurrent(probe, nullptr);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(probe);
    maxWidth = std::min({viewport[0], texture, renderbuffer});
    maxHeight = std::min({viewport[1], texture, renderbuffer});
    return maxWidth > 0 && maxHeight > 0;
}
