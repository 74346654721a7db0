// Which module opens the tool window behind a main-window menu item or tool button. The main window knows only the
// item's name; the module that owns a window registers how to open it, so an entry is enabled only once its window
// exists in the program.
#pragma once

#include <QString>

#include <functional>

class TfmMain;

namespace shell {

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
