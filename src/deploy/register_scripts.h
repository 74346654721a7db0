// The script executor's entries in the main window: its menu item and tool button open a new TfmScript.
#pragma once

class TfmMain;
class TfmScript;

namespace deploy {

// Registers the opener of "execute &Script" (mmExecScript); the tool button tbExecScript stands for it.
void registerScriptWindows();

// Creates, names ("fmScript_" and a running number) and shows a new script executor, not unattended; it frees
// itself when closed.
TfmScript* openScriptWindow(TfmMain& main);

} // namespace deploy
