#pragma once
// The main window's layout: one table that every run time builds the window from.
#include "platform/runtime.h"

namespace tavrin {

const WindowLayout& MainWindowLayout();

// The layout's entry for a control; every Control has one, except the window itself.
const ControlLayout* FindControlLayout(Control control);

}  // namespace tavrin
