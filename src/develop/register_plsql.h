// The PL/SQL editor and the object-status window as the main window opens them from its menu and tool bar.
#pragma once

namespace develop {

// Registers the openers of "Edit PL/SQL" (mmEditPL, tbEditPL) and of the object status (mmStatus, tbErrors).
void registerPlsqlWindows();

} // namespace develop
