#include "platform/k_MessageBox.h"

#include "engine/k_Utf8.h"

#include <SDL.h>

#include <cstdio>

void k_MessageBox::Show(k_WindowHandle owner, const wchar_t* text, const wchar_t* caption)
{
    const std::string message = k_Utf8::ToUtf8(text ? text : L"");
    const std::string title = k_Utf8::ToUtf8(caption ? caption : L"");
    std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
    std::fflush(stderr);
    // Without a display the box cannot be shown; standard error already has the text.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(),
                             reinterpret_cast<SDL_Window*>(owner));
}
