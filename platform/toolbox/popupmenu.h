// Internal: the open menu of a popup control.
#pragma once

#include "toolboxrecords.h"

namespace toolbox_internal {

// Shows the popup's items over its window until the user chooses one or closes the menu.
// A choice becomes the popup's value; returns whether an item was chosen.
bool RunPopupMenu(ControlRef thePopup, Point thePress);

} // namespace toolbox_internal
