// The data-transfer windows the main window opens from its Utilities menu (table refresh, structure compare, key
// replacement), registered by name so the main window needs to know nothing of them.
#pragma once

class TfmMain;
class TfmCmpStru;
class TfmGenReplProc;
class TfmRefresh;

namespace deploy {

// Registers the openers of the transfer windows.
void registerTransferWindows();

// Makes and shows a new refresh window that frees itself when closed; nullptr, after saying why, when the window's
// own session cannot log on.
TfmRefresh* openRefresh(TfmMain& main);
// Makes and shows a new structure compare window that frees itself when closed.
TfmCmpStru* openCompare(TfmMain& main);
// Makes and shows a new key-replacement generator, which closing only hides.
TfmGenReplProc* openGenReplProc(TfmMain& main);

} // namespace deploy
