// Which module opens the tool window behind a main-window menu item or tool button. The main window knows only the
// item's name; the module that owns a window registers how to open it, so an entry is enabled only once its window
// exists in the program.
#pragma once

#include <QString>

#include <functional>

class TfmMain;

namespace shell {

// How the main window uses an opener:
// - A menu item calls the opener registered under its own name. A tool button calls the one under its own name, or
//   else the one of the menu item it stands for (tbWorkSheet: mmNormal, tbMasterDetail: mmMasterDetail, tbWSPart:
//   mmScript, tbEditPL: mmEditPL, tbOpenProject: mmVersionCheck, tbExecScript: mmExecScript, tbErrors: mmStatus,
//   tbStructures: mmTabStru, tbPLBlocks: mmPLSQLStru; ToolButton4 only its own).
// - Before a chooser button (and mmGrantRevokerights) calls the opener, the main window offers the open windows of
//   the kind: the visible top-level windows whose objectName begins with the kind's prefix ("WorkSheet",
//   "fmMasterDetail", "fmSQLPart", "fmEdit", "fmScript", "fmErrors", "fmTableStru", "fmplSQLStru", "fmGrantAll").
//   A window the opener makes must carry such a name to be offered.
// - The opener makes the window and shows it; a kept window (the lock and audit windows) is made once and shown
//   again. mmLock and mmAudit choose their variant with shell::useOra19Windows(main.ORACLEVersion) (mainmenu.h);
//   they are enabled only while connected, so the version is known.
// - mmMonitor and mmTableLength are called only after their table counts allowed it.
// Opens a tool window for a menu item or tool button (its objectName); the module that has the window registers it.
using WindowOpener = std::function<void(TfmMain& main)>;

// Registers (or replaces) the opener of an item. Call it before the main window is created, or call
// TfmMain::refreshMenuStates() afterwards so the entry becomes enabled.
void registerWindowOpener(const QString& itemName, WindowOpener opener);
// The opener of an item; nullptr when none is registered.
const WindowOpener* windowOpener(const QString& itemName);
// Forgets an item's opener (tests that register their own).
void unregisterWindowOpener(const QString& itemName);

} // namespace shell
