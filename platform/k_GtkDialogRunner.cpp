#include "platform/k_GtkDialogRunner.h"

#include "platform/k_Signals.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>

namespace
{
// The parent GTK asks for; never realised, so the window manager never hears of it.
GtkWindow* StandInParent()
{
    static GtkWidget* parent = nullptr;
    if (!parent)
        parent = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    return GTK_WINDOW(parent);
}

gboolean OnSignal(gint, GIOCondition, gpointer dialog)
{
    gtk_dialog_response(GTK_DIALOG(dialog), k_GtkDialogRunner::Interrupted);
    return G_SOURCE_CONTINUE;
}

// Once the dialog has its X window, it is marked as belonging to the SDL window (both on X11 only).
void OnRealize(GtkWidget* dialog, gpointer owner)
{
    GdkDisplay* display = gtk_widget_get_display(dialog);
    if (!GDK_IS_X11_DISPLAY(display))
        return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(static_cast<SDL_Window*>(owner), &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    GdkWindow* native = gdk_x11_window_foreign_new_for_display(display, info.info.x11.window);
    if (!native)
        return;
    gdk_window_set_transient_for(gtk_widget_get_window(dialog), native);
    g_object_unref(native);
}
} // namespace

int k_GtkDialogRunner::Run(GtkDialog* dialog, k_WindowHandle owner)
{
    if (k_Signals::Caught() != 0)
        return Interrupted;
    if (!gtk_window_get_transient_for(GTK_WINDOW(dialog)))
        gtk_window_set_transient_for(GTK_WINDOW(dialog), StandInParent());
    if (owner)
        g_signal_connect(dialog, "realize", G_CALLBACK(OnRealize), owner);
    guint watch = 0;
    if (k_Signals::WakeDescriptor() >= 0)
        watch = g_unix_fd_add(k_Signals::WakeDescriptor(), G_IO_IN, OnSignal, dialog);
    int response = gtk_dialog_run(dialog);
    if (watch != 0)
        g_source_remove(watch);
    if (k_Signals::Caught() != 0)
        response = Interrupted;
    return response;
}
