#pragma once
// The program's message queue on SDL: takes one waiting event at a time,
// translates it into the window's own messages (IWindow::Message) and hands
// them to the IWindow linked to the native window. A posted quit request
// comes out only when no other event is waiting, so every message before it
// is served first; SDL's own quit event and a caught signal (k_Signals) end
// the loop too.
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

    // Takes at most one waiting event and dispatches it; never waits. Quit once a signal has arrived.
    static Peeked PeekAndDispatch();
    // Sleeps until an event is waiting (left in the queue), a signal arrives or the milliseconds have passed.
    static void WaitForMessage(int milliseconds);
    // Posts a quit request: the next peek that finds nothing else waiting returns Quit.
    static void PostQuit();
};
