#pragma once
// The program's main loop: serves every waiting message before a frame,
// draws no frames while the window is minimised and sleeps until the next
// message instead (the whole minimised time becomes the next frame's step,
// so the picture catches up with the music),
// and draws each frame as BeginFrame, the engine's Update, Present.
#include "platform/k_MessagePump.h"

#include <cstdint>
#include <functional>

class IEngine;
class IWindow;
class IShow;

class k_MainLoop
{
public:
    using Peek = std::function<k_MessagePump::Peeked()>;
    using Counter = std::function<int64_t()>;
    // Sleeps while minimised until a message may be waiting; returns after at most a short while either way.
    using Wait = std::function<void()>;

    // How long one sleep while minimised lasts at most, in milliseconds.
    static constexpr int IdleWaitMilliseconds = 250;

    // The message source, the counter and the idle wait default to the platform's own.
    k_MainLoop(IEngine* engine, IWindow* window, IShow* demo, Peek peek = k_MessagePump::PeekAndDispatch,
               Counter read = nullptr, Counter frequency = nullptr, Wait wait = nullptr);

    // Takes the first counter reading; the first frame's step is measured from here.
    void Start();
    // Runs until a quit message comes out of the queue or the engine asks to quit.
    void Run();

private:
    IEngine* m_engine;
    IWindow* m_window;
    IShow* m_demo;
    Peek m_peek;
    Counter m_read;
    Counter m_frequency;
    Wait m_wait;
    int64_t m_previous = 0;
};
