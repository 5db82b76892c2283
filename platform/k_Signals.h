#pragma once
// Ctrl+C, SIGTERM and SIGHUP at any moment: the handler only notes the signal
// and wakes whoever waits (a byte on a pipe for GTK's dialogs, EINTR for SDL's
// event wait); the program notices it at its next step (the dialogs, the
// message queue, the next presented picture), cleans up as for a quit, and
// then ends the way the signal would have, so the shell sees 128 + signal.
// A second signal ends the process at once.

class k_Signals
{
public:
    // Thrown by the program's own steps when a signal arrived mid-way (while the show loads): the entry point
    // catches it, restores the display and ends as signalled. Not an error: no message is shown.
    struct Interrupted
    {
    };

    // Installs the handlers once (before SDL, so that SDL leaves them alone); later calls do nothing.
    static void Install();
    // The signal that arrived (SIGINT, SIGTERM, SIGHUP), or 0.
    static int Caught();
    // Throws Interrupted when a signal has arrived.
    static void ThrowIfCaught();
    // A descriptor that becomes readable once a signal has arrived (-1 before Install).
    static int WakeDescriptor();
    // Ends the process as the signal would have (exit status 128 + signal seen by the shell); the caller has
    // restored the display and closed the audio already.
    [[noreturn]] static void ExitAsSignalled();
};
