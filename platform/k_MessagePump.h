#pragma once
// The program's message queue on SDL: takes one waiting event at a time,
// translates it into the window's own messages (IWindow::Message) and hands
// them to the IWindow linked to the native window. A quit request travels
// through the queue as its own event, so it is seen after the messages
// already waiting before it.
#include <cstdint>

class k_MessagePump
{
  public:
    enum class Peeked
    {
        None,       // nothing was waiting
        Quit,       // the quit request came out of the queue
        Dispatched, // one event was taken and served (or ignored)
    };

    // Takes at most one waiting event and dispatches it; never waits.
    static Peeked PeekAndDispatch();
    // Queues a quit request (the main loop ends when it comes out).
    static void PostQuit();
};
