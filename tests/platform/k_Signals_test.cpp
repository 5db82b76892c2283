#include "platform/k_MessagePump.h"
#include "platform/k_Signals.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <poll.h>

namespace
{
// Runs in a child process (the handlers and the caught signal are process-wide); exits with the number of the
// first check that failed. When all held, ends as signalled, or by a second signal when asked to.
[[noreturn]] void SignalInTheChild(bool secondSignal)
{
    k_Signals::Install();
    k_Signals::Install(); // a second call changes nothing
    if (k_Signals::Caught() != 0)
        std::_Exit(1);
    pollfd wake{k_Signals::WakeDescriptor(), POLLIN, 0};
    if (wake.fd < 0 || poll(&wake, 1, 0) != 0)
        std::_Exit(2);

    std::raise(SIGTERM); // noted, not fatal
    if (k_Signals::Caught() != SIGTERM)
        std::_Exit(3);
    if (poll(&wake, 1, 0) != 1 || (wake.revents & POLLIN) == 0)
        std::_Exit(4);
    try
    {
        k_Signals::ThrowIfCaught();
        std::_Exit(5);
    }
    catch (const k_Signals::Interrupted&)
    {
    }
    // The main loop's queue says quit without looking at SDL.
    if (k_MessagePump::PeekAndDispatch() != k_MessagePump::Peeked::Quit)
        std::_Exit(6);
    if (secondSignal)
    {
        std::raise(SIGINT); // a program stuck after the first signal can still be stopped
        std::_Exit(7);
    }
    k_Signals::ExitAsSignalled();
}
} // namespace

// A signal is only noted by the handler; the program sees it through Caught, the wake descriptor, the queue and
// the throw, and finally ends as the signal would have, so its parent sees "killed by SIGTERM" (status 143).
// A second signal ends the process at once.
TEST(k_Signals, NotedThenEndsAsSignalled)
{
    EXPECT_EXIT(SignalInTheChild(false), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_EXIT(SignalInTheChild(true), ::testing::KilledBySignal(SIGINT), "");
}
