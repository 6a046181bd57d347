#pragma once
// Lays out the controls of a page (or of the group below the pages) from the
// control table and the layout data: groups and frames with their nesting,
// rows of controls side by side, labels on the side their text asks for,
// up-downs beside their edits, value labels above their scroll bars, notes
// last in their groups.

#include "model/controls.h"

#include <array>
#include <string_view>

class QWidget;

namespace landuse::ui {

using ControlWidgets = std::array<QWidget*, ControlCount>;

// Creates the widgets of every control on `page` ("" for the group below the
// pages) inside `container`, records them in `widgets` and returns how many
// were made.
int BuildControls(std::string_view page, QWidget* container, ControlWidgets& widgets);

} // namespace landuse::ui
