#include "platform/k_MessageBox.h"

#include "engine/k_Utf8.h"

#include <SDL.h>
#include <clocale>
#include <cstdio>
#include <gtk/gtk.h>

namespace
{
// GTK's own dialog, for displays where SDL cannot draw its box (it needs the X server's core fonts).
bool ShowWithGtk(const std::string& title, const std::string& message)
{
    if (!gtk_init_check(nullptr, nullptr))
        return false;
    // GTK takes the locale from the environment; numbers stay in the "C" form the engine reads and writes.
    setlocale(LC_NUMERIC, "C");
    GtkWidget* box =
        gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s", message.c_str());
    gtk_window_set_title(GTK_WINDOW(box), title.c_str());
    gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
    gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
    while (gtk_events_pending())
        gtk_main_iteration();
    return true;
}
} // namespace

void k_MessageBox::Show(k_WindowHandle owner, const wchar_t* text, const wchar_t* caption)
{
    const std::string message = k_Utf8::ToUtf8(text ? text : L"");
    const std::string title = k_Utf8::ToUtf8(caption ? caption : L"");
    std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
    std::fflush(stderr);
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(),
                                 reinterpret_cast<SDL_Window*>(owner)) == 0)
        return;
    // Without a display no box can be shown; standard error already has the text.
    ShowWithGtk(title, message);
}
