// The development windows the main window opens from its menu and tool bar, registered by name so the main
// window needs to know nothing of them.
#pragma once

class TfmMain;
class TfmWorkSheet;

namespace develop {

// Registers the openers of this module's windows (the worksheet's "&Normal" item and its tool button).
void registerWindows();

// Creates, names and shows a new worksheet the way the main window does: the counter goes up, the window is named
// "WorkSheet_" and the counter, and it frees itself when closed.
TfmWorkSheet* openWorkSheet(TfmMain& main);

} // namespace develop
