#include "interfaces/IGraphics.h"
#include "platform/k_MessagePump.h"
#include "support/k_WindowFixture.h"

#include <SDL.h>

namespace
{
Uint32 WindowId(IWindow& window)
{
    return SDL_GetWindowID(reinterpret_cast<SDL_Window*>(window.GetHandle()));
}

void PushWindowEvent(IWindow& window, Uint8 kind, int data1 = 0, int data2 = 0)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = WindowId(window);
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    SDL_PushEvent(&event);
}

void PushKey(IWindow& window, SDL_Keycode key, Uint16 modifiers = KMOD_NONE)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = WindowId(window);
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    event.key.keysym.mod = modifiers;
    SDL_PushEvent(&event);
}
} // namespace

// Keys that come before SDL has applied the window's keyboard focus carry no window; they are the
// window's all the same (Escape pressed while the show loads must still quit).
TEST_F(WindowTest, KeysWithoutAWindowGoToTheLatestWindow)
{
    PushWindowEvent(*window, SDL_WINDOWEVENT_EXPOSED);
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = 0;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = SDLK_ESCAPE;
    event.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    SDL_PushEvent(&event);
    EXPECT_TRUE(DrainMessages());
}

// SDL's events reach the window as its own messages, one per turn.
TEST_F(WindowTest, PumpTranslatesWindowEvents)
{
    PushWindowEvent(*window, SDL_WINDOWEVENT_SIZE_CHANGED, 512, 0);
    EXPECT_EQ(k_MessagePump::PeekAndDispatch(), k_MessagePump::Peeked::Dispatched);
    EXPECT_EQ(engine->GetGraphics()->GetWidth(), 512);
    EXPECT_EQ(engine->GetGraphics()->GetHeight(), 1);

    PushWindowEvent(*window, SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_FALSE(DrainMessages());
    EXPECT_FALSE(window->IsActive());
    PushWindowEvent(*window, SDL_WINDOWEVENT_RESTORED);
    DrainMessages();
    EXPECT_TRUE(window->IsActive());
    PushWindowEvent(*window, SDL_WINDOWEVENT_FOCUS_LOST);
    DrainMessages();
    EXPECT_TRUE(window->IsActive()) << "losing the focus does not stop the show";

    PushWindowEvent(*window, SDL_WINDOWEVENT_CLOSE);
    EXPECT_TRUE(DrainMessages());
    EXPECT_EQ(k_MessagePump::PeekAndDispatch(), k_MessagePump::Peeked::None);
}

TEST_F(WindowTest, PumpQuitsOnEscapeAndAltF4Only)
{
    PushKey(*window, SDLK_SPACE);
    PushKey(*window, SDLK_F4);
    PushKey(*window, SDLK_q, KMOD_LCTRL);
    EXPECT_FALSE(DrainMessages());
    PushKey(*window, SDLK_ESCAPE);
    EXPECT_TRUE(DrainMessages());
    PushKey(*window, SDLK_F4, KMOD_LALT);
    EXPECT_TRUE(DrainMessages());
}

// A quit request comes out after the messages already waiting: they are all served first.
TEST_F(WindowTest, QuitComesOutAfterTheMessagesBeforeIt)
{
    PushKey(*window, SDLK_ESCAPE);
    PushWindowEvent(*window, SDL_WINDOWEVENT_SIZE_CHANGED, 300, 100);
    EXPECT_EQ(k_MessagePump::PeekAndDispatch(), k_MessagePump::Peeked::Dispatched); // Escape posts the quit
    EXPECT_EQ(k_MessagePump::PeekAndDispatch(), k_MessagePump::Peeked::Dispatched); // the resize
    EXPECT_EQ(engine->GetGraphics()->GetWidth(), 300);
    EXPECT_EQ(k_MessagePump::PeekAndDispatch(), k_MessagePump::Peeked::Quit);
    EXPECT_FALSE(DrainMessages()) << "one request, one quit";
}

// SDL's own quit event (from a signal, or the last window closing) ends the loop as well.
TEST_F(WindowTest, SdlQuitEventEndsTheLoop)
{
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_TRUE(DrainMessages());
}
