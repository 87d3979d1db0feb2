#include "platform/win/DialogView.h"

#include "platform/win/QuitRequests.h"

#include <gtk/gtk.h>

namespace orb::win {

namespace {

struct DialogState
{
    DialogForm* form;
    const std::function<void(DialogForm&, int)>* onChoice;
    std::vector<GtkWidget*> controls;             // per row: a GtkComboBoxText or a GtkCheckButton
    std::vector<std::vector<std::string>> listed; // per row: the choices its list holds
    bool updating = false;
};

void list(GtkWidget* combo, const std::vector<std::string>& choices)
{
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(combo));
    for (const std::string& choice : choices)
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), choice.c_str());
}

void showForm(DialogState& state)
{
    state.updating = true;
    for (std::size_t row = 0; row < state.controls.size(); ++row) {
        const DialogRow& entry = state.form->rows[row];
        if (GTK_IS_TOGGLE_BUTTON(state.controls[row])) {
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(state.controls[row]), entry.checked);
            continue;
        }
        if (entry.choices != state.listed[row]) {
            list(state.controls[row], entry.choices);
            state.listed[row] = entry.choices;
        }
        gtk_combo_box_set_active(GTK_COMBO_BOX(state.controls[row]), entry.selected);
    }
    state.updating = false;
}

void readForm(DialogState& state)
{
    for (std::size_t row = 0; row < state.controls.size(); ++row) {
        DialogRow& entry = state.form->rows[row];
        if (GTK_IS_TOGGLE_BUTTON(state.controls[row]))
            entry.checked = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(state.controls[row]));
        else
            entry.selected = gtk_combo_box_get_active(GTK_COMBO_BOX(state.controls[row]));
    }
}

void onChanged(GtkComboBox* combo, gpointer data)
{
    auto& state = *static_cast<DialogState*>(data);
    if (state.updating)
        return;
    for (std::size_t row = 0; row < state.controls.size(); ++row) {
        if (state.controls[row] == GTK_WIDGET(combo)) {
            readForm(state);
            (*state.onChoice)(*state.form, static_cast<int>(row));
            showForm(state);
        }
    }
}

// Enter works as in a Windows dialog: it presses the push button that has the focus, and
// confirms from anywhere else (GTK's drop-down lists would not pass it to the default button).
gboolean onKey(GtkWidget* dialog, GdkEventKey* event, gpointer)
{
    if (event->keyval != GDK_KEY_Return && event->keyval != GDK_KEY_KP_Enter)
        return FALSE;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(dialog));
    if (focus != nullptr && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus))
        gtk_button_clicked(GTK_BUTTON(focus));
    else
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    return TRUE;
}

GtkWidget* control(const DialogRow& row)
{
    return row.choices.empty() ? gtk_check_button_new() : gtk_combo_box_text_new();
}

} // namespace

DialogResult runDialog(DialogForm& form, const std::function<void(DialogForm&, int)>& onChoice)
{
    if (!gtk_init_check(nullptr, nullptr))
        return DialogResult::Unavailable;

    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog), form.title.c_str());
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(dialog), form.width, form.height);
    gtk_dialog_add_button(GTK_DIALOG(dialog), form.confirm.c_str(), GTK_RESPONSE_OK);
    gtk_dialog_add_button(GTK_DIALOG(dialog), form.cancel.c_str(), GTK_RESPONSE_CANCEL);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);

    DialogState state{&form, &onChoice, {}, {}, false};
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 4);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 10);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 8);
    for (std::size_t row = 0; row < form.rows.size(); ++row) {
        GtkWidget* label = gtk_label_new(form.rows[row].label.c_str());
        gtk_label_set_xalign(GTK_LABEL(label), 1.0f);
        GtkWidget* input = control(form.rows[row]);
        gtk_widget_set_halign(input, form.rows[row].choices.empty() ? GTK_ALIGN_START : GTK_ALIGN_FILL);
        gtk_grid_attach(GTK_GRID(grid), label, 0, static_cast<gint>(row), 1, 1);
        gtk_grid_attach(GTK_GRID(grid), input, 1, static_cast<gint>(row), 1, 1);
        if (!form.rows[row].choices.empty())
            g_signal_connect(input, "changed", G_CALLBACK(onChanged), &state);
        state.controls.push_back(input);
        state.listed.emplace_back();
    }
    if (!form.focusOrder.empty()) {
        GList* chain = nullptr;
        for (int row : form.focusOrder)
            chain = g_list_append(chain, state.controls[static_cast<std::size_t>(row)]);
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gtk_container_set_focus_chain(GTK_CONTAINER(grid), chain);
        G_GNUC_END_IGNORE_DEPRECATIONS
        g_list_free(chain);
    }
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), grid, TRUE, TRUE, 0);
    g_signal_connect(dialog, "key-press-event", G_CALLBACK(onKey), nullptr);
    showForm(state);
    gtk_widget_show_all(dialog);
    if (!form.focusOrder.empty())
        gtk_widget_grab_focus(state.controls[static_cast<std::size_t>(form.focusOrder.front())]);

    // A quit signal cancels the dialog, as its cancel button would.
    const guint signalWatch = g_timeout_add(
        100,
        [](gpointer shown) -> gboolean {
            if (quitSignal() != nullptr)
                gtk_dialog_response(GTK_DIALOG(shown), GTK_RESPONSE_CANCEL);
            return G_SOURCE_CONTINUE;
        },
        dialog);
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    g_source_remove(signalWatch);
    if (response == GTK_RESPONSE_OK)
        readForm(state);
    gtk_widget_destroy(dialog);
    while (gtk_events_pending())
        gtk_main_iteration();
    return response == GTK_RESPONSE_OK ? DialogResult::Confirmed : DialogResult::Cancelled;
}

} // namespace orb::win
