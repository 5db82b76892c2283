#include "platform/k_SdlGlContext.h"

#include <SDL.h>

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
