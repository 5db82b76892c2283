#pragma once
// Runs a GTK dialog modally the way the program's dialogs need it: ended at
// once by a signal (Ctrl+C, SIGTERM), kept above the demo window that owns
// it, and quiet: GTK wants every dialog to have a parent window and says so
// on standard error otherwise, but the setup dialog is the program's first
// window and an error box belongs to an SDL window, which cannot be a GTK
// parent. A GTK window that is never shown stands in as the parent, and the
// window manager is told about the real owner directly.
#include "interfaces/PlatformHandles.h"

#include <gtk/gtk.h>

class k_GtkDialogRunner
{
public:
    // What Run returns when a signal ended the dialog (or had arrived before it opened).
    static constexpr int Interrupted = -1000;

    // Shows the dialog and waits for its response; owner (may be null) is the demo window it belongs to.
    static int Run(GtkDialog* dialog, k_WindowHandle owner = nullptr);
};
