#include "platform/k_Signals.h"

#include <SDL.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace
{
volatile std::sig_atomic_t g_caught = 0;
int g_wake[2] = {-1, -1};

// Only async-signal-safe work: note the first signal and wake the dialogs' loop. A second signal ends the
// process at once, for a program stuck where it cannot look at the first (a display server that stopped
// answering, say).
void OnSignal(int signal)
{
    if (g_caught != 0)
    {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    g_caught = signal;
    if (g_wake[1] >= 0)
    {
        const char byte = 1;
        const ssize_t ignored = write(g_wake[1], &byte, 1);
        (void)ignored;
    }
}
} // namespace

void k_Signals::Install()
{
    if (g_wake[0] >= 0)
        return;
    if (pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        g_wake[0] = g_wake[1] = -1;
    // SDL would otherwise turn the signals into a quit event that nobody reads while a dialog is open.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking wait returns at once with EINTR and the caller looks at the flag.
    action.sa_flags = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

int k_Signals::Caught()
{
    return g_caught;
}

void k_Signals::ThrowIfCaught()
{
    if (g_caught != 0)
        throw Interrupted{};
}

int k_Signals::WakeDescriptor()
{
    return g_wake[0];
}

void k_Signals::ExitAsSignalled()
{
    const int signal = g_caught != 0 ? g_caught : SIGTERM;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal); // not reached: the default action ends the process
}
