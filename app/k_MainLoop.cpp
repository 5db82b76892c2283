#include "app/k_MainLoop.h"

#include "interfaces/IEngine.h"
#include "interfaces/IShow.h"
#include "interfaces/IWindow.h"
#include "platform/k_PerformanceCounter.h"

k_MainLoop::k_MainLoop(IEngine* engine, IWindow* window, IShow* demo, Peek peek, Counter read, Counter frequency,
                       Wait wait)
    : m_engine(engine), m_window(window), m_demo(demo), m_peek(std::move(peek)),
      m_read(read ? std::move(read) : Counter(k_PerformanceCounter::Read)),
      m_frequency(frequency ? std::move(frequency) : Counter(k_PerformanceCounter::Frequency)),
      m_wait(wait ? std::move(wait) : Wait([] { k_MessagePump::WaitForMessage(IdleWaitMilliseconds); }))
{
}

void k_MainLoop::Start()
{
    m_previous = m_read();
}

void k_MainLoop::Run()
{
    bool quit = false;
    while (!quit)
    {
        const k_MessagePump::Peeked peeked = m_peek();
        if (peeked == k_MessagePump::Peeked::Quit)
        {
            quit = true;
            continue;
        }
        if (peeked == k_MessagePump::Peeked::Dispatched)
            continue; // every waiting message before the next frame
        if (!m_window->IsActive())
        {
            // Minimised: no frames, and the previous reading stays where it was. Sleep rather than spin.
            m_wait();
            continue;
        }
        if (m_engine->IsQuitRequested())
        {
            quit = true;
            continue;
        }
        const int64_t current = m_read();
        const int64_t frequency = m_frequency();
        const double elapsed = static_cast<double>(current - m_previous) / static_cast<double>(frequency);
        m_previous = m_read();
        m_demo->BeginFrame();
        m_engine->Update(elapsed);
        m_window->Present();
    }
}
