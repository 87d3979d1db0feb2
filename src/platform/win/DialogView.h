#pragma once

// DialogView -- a small modal form in GTK 3: rows of a right-aligned label and a drop-down list
// or a check box, and two buttons. Enter presses the focused button and confirms from anywhere
// else (also from inside a list); Escape and the close box cancel.
//
// Does not: know what the rows mean. The caller hears of every pick in a list and may change
// the form (another row's selection or choices) in answer; the view shows the change.
//
//   DialogForm form{"Setup", {{"Size:", {"640 x 480", "800 x 600"}, 1}}, "OK", "Cancel"};
//   if (runDialog(form, onChoice) == DialogResult::Confirmed) { ... form.rows ... }

#include <functional>
#include <string>
#include <vector>

namespace orb::win {

struct DialogRow
{
    std::string label;
    std::vector<std::string> choices; // a drop-down list; empty for a check box
    int selected = -1;                // the list's entry, -1 for none
    bool checked = false;             // the check box's state
};

struct DialogForm
{
    std::string title;
    std::vector<DialogRow> rows;
    std::string confirm; // the default button
    std::string cancel;
    int width = 0; // at least this size, in pixels
    int height = 0;
    std::vector<int> focusOrder; // rows in the order Tab visits them; empty: top to bottom
};

enum class DialogResult
{
    Confirmed,
    Cancelled,
    Unavailable, // no display to show it on
};

// Blocks until the viewer answers; on Confirmed the form holds the final choices.
DialogResult runDialog(DialogForm& form, const std::function<void(DialogForm& form, int row)>& onChoice);

} // namespace orb::win
