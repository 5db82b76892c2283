#include "platform/k_GtkSetupDialog.h"

#include "platform/k_GtkDialogRunner.h"

#include <clocale>
#include <gtk/gtk.h>

namespace
{
constexpr int k_ResponseConfirm = 1;
constexpr int k_ResponseCancel = 2;

struct ListBox
{
    GtkWidget* entry = nullptr;
    GtkWidget* view = nullptr;
};

void OnRowSelected(GtkTreeSelection* selection, gpointer entry)
{
    GtkTreeModel* model = nullptr;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(selection, &model, &iter))
        return;
    gchar* text = nullptr;
    gtk_tree_model_get(model, &iter, 0, &text, -1);
    gtk_entry_set_text(GTK_ENTRY(entry), text ? text : "");
    g_free(text);
}

// An edit field with its list always shown below it; picking an item copies it into the field.
ListBox MakeListBox(const std::vector<std::string>& items, int selection, int listHeight)
{
    ListBox box;
    GtkListStore* store = gtk_list_store_new(1, G_TYPE_STRING);
    for (const std::string& item : items)
    {
        GtkTreeIter iter;
        gtk_list_store_append(store, &iter);
        gtk_list_store_set(store, &iter, 0, item.c_str(), -1);
    }
    box.entry = gtk_entry_new();
    gtk_entry_set_activates_default(GTK_ENTRY(box.entry), TRUE);
    box.view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    g_object_unref(store);
    gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(box.view), FALSE);
    gtk_tree_view_append_column(GTK_TREE_VIEW(box.view), gtk_tree_view_column_new_with_attributes(
                                                             "", gtk_cell_renderer_text_new(), "text", 0, nullptr));
    GtkTreeSelection* chosen = gtk_tree_view_get_selection(GTK_TREE_VIEW(box.view));
    g_signal_connect(chosen, "changed", G_CALLBACK(OnRowSelected), box.entry);
    if (selection >= 0 && selection < static_cast<int>(items.size()))
    {
        GtkTreePath* path = gtk_tree_path_new_from_indices(selection, -1);
        gtk_tree_selection_select_path(chosen, path);
        gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(box.view), path, nullptr, TRUE, 0.5f, 0.0f);
        gtk_tree_path_free(path);
    }
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_AUTOMATIC, GTK_POLICY_ALWAYS);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
    gtk_widget_set_size_request(scroller, -1, listHeight);
    gtk_container_add(GTK_CONTAINER(scroller), box.view);

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    gtk_box_pack_start(GTK_BOX(column), box.entry, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), scroller, TRUE, TRUE, 0);
    box.view = column; // the whole control is what goes into the grid
    return box;
}

struct ToggleContext
{
    const k_GtkSetupDialog::Handler* handler;
};

void OnFullscreenToggled(GtkToggleButton*, gpointer context)
{
    (*static_cast<ToggleContext*>(context)->handler)(1002, "", "");
}

GtkWidget* Label(const char* text)
{
    GtkWidget* label = gtk_label_new(text);
    gtk_widget_set_halign(label, GTK_ALIGN_START);
    gtk_widget_set_valign(label, GTK_ALIGN_START);
    gtk_widget_set_margin_top(label, 4);
    return label;
}

void Flush()
{
    while (gtk_events_pending())
        gtk_main_iteration();
}
} // namespace

bool k_GtkSetupDialog::Open()
{
    const bool opened = gtk_init_check(nullptr, nullptr) != FALSE;
    // GTK takes the locale from the environment (the dialog's own texts follow the user's language);
    // numbers stay in the "C" form the engine reads and writes.
    setlocale(LC_NUMERIC, "C");
    return opened;
}

void k_GtkSetupDialog::Run(const Content& content, const Handler& handler)
{
    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog), content.title.c_str());
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_window_set_default_size(GTK_WINDOW(dialog), 300, -1);

    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 8);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 10);
    const ListBox resolution = MakeListBox(content.resolutions, content.resolutionSelection, 110);
    const ListBox aspect = MakeListBox(content.aspectRatios, content.aspectRatioSelection, 90);
    gtk_widget_set_hexpand(resolution.view, TRUE);
    gtk_grid_attach(GTK_GRID(grid), Label("Resolution:"), 0, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), resolution.view, 1, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), Label("Aspect ratio:"), 0, 1, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), aspect.view, 1, 1, 1, 1);
    GtkWidget* fullscreen = gtk_check_button_new_with_label("Fullscreen");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(fullscreen), content.fullscreen);
    gtk_grid_attach(GTK_GRID(grid), fullscreen, 0, 2, 2, 1);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), grid, TRUE, TRUE, 0);
    // Connected after the initial state is set, so that only the viewer's clicks reach the handler.
    ToggleContext toggle{&handler};
    g_signal_connect(fullscreen, "toggled", G_CALLBACK(OnFullscreenToggled), &toggle);

    gtk_dialog_add_button(GTK_DIALOG(dialog), "Have the guts", k_ResponseConfirm);
    gtk_dialog_add_button(GTK_DIALOG(dialog), "Chicken out", k_ResponseCancel);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), k_ResponseConfirm);
    gtk_widget_show_all(dialog);
    gtk_widget_grab_focus(resolution.entry);

    for (;;)
    {
        const int response = k_GtkDialogRunner::Run(GTK_DIALOG(dialog));
        if (response == k_GtkDialogRunner::Interrupted)
            break; // the caller sees the signal and ends the program
        const uint32_t command = response == k_ResponseConfirm ? 1u : 2u; // anything else closes: cancel
        const Verdict verdict = handler(command, gtk_entry_get_text(GTK_ENTRY(resolution.entry)),
                                        gtk_entry_get_text(GTK_ENTRY(aspect.entry)));
        if (verdict.ended)
            break;
        if (!verdict.refusal.empty())
        {
            GtkWidget* message = gtk_message_dialog_new(GTK_WINDOW(dialog), GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                                                        GTK_BUTTONS_OK, "%s", verdict.refusal.c_str());
            gtk_window_set_title(GTK_WINDOW(message), content.title.c_str());
            const int answer = k_GtkDialogRunner::Run(GTK_DIALOG(message));
            gtk_widget_destroy(message);
            if (answer == k_GtkDialogRunner::Interrupted)
                break;
        }
    }
    gtk_widget_destroy(dialog);
    Flush(); // let the dialog disappear before anything else opens
}
