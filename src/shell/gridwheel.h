// How far one notch of the mouse wheel moves a data grid's current record, by the keys held.
#pragma once

#include <Qt>

namespace shell {

// Down: a page (visible rows - 1) with Ctrl, whatever else is held; else 1 with Shift; else 2.
// Up: a page with Ctrl alone (neither Shift nor Alt); else 1 with Shift; else 2.
int wheelStep(bool down, Qt::KeyboardModifiers modifiers, int visibleRows);

} // namespace shell
