// The table-structure, disabled references and triggers, validation and repair windows, registered with the main
// window's menu items and tool button by name.
#pragma once

class TfmMain;
class TfmTableStru;

namespace admin {

// Registers the openers of mmTabStru (and with it the tool button tbStructures), mmConstraints,
// mmSearchfordisabledtriggers, mmChecktables and mmRepairtables.
void registerStructureWindows();

// Creates, names ("fmTableStru_" and a number, the chooser's prefix) and shows a table-structure window; it frees
// itself when closed.
TfmTableStru* openTableStru(TfmMain& main);

} // namespace admin
