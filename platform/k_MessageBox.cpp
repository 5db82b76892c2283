#include "platform/k_MessageBox.h"

#include "engine/k_Utf8.h"
#include "platform/k_GtkDialogRunner.h"

#include <clocale>
#include <cstdio>
#include <gtk/gtk.h>

void k_MessageBox::Show(k_WindowHandle owner, const wchar_t* text, const wchar_t* caption)
{
    const std::string message = k_Utf8::ToUtf8(text ? text : L"");
    const std::string title = k_Utf8::ToUtf8(caption ? caption : L"");
    std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
    std::fflush(stderr);
    // GTK draws the box (SDL's own needs the X server's core fonts, which many displays lack). Without a
    // display no box can be shown; standard error already has the text.
    if (!gtk_init_check(nullptr, nullptr))
        return;
    // GTK takes the locale from the environment; numbers stay in the "C" form the engine reads and writes.
    setlocale(LC_NUMERIC, "C");
    GtkWidget* box =
        gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s", message.c_str());
    gtk_window_set_title(GTK_WINDOW(box), title.c_str());
    gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
    gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
    k_GtkDialogRunner::Run(GTK_DIALOG(box), owner); // a signal closes it as the OK button does
    gtk_widget_destroy(box);
    while (gtk_events_pending())
        gtk_main_iteration();
}
