// The development windows the main window opens from its menu and tool bar, registered by name so the main
// window needs to know nothing of them.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class TfmMain;
class TfmWorkSheet;

namespace develop {

// Registers the openers of this module's windows (the worksheet's "&Normal" item and its tool button).
void registerWindows();

// Creates, names and shows a new worksheet the way the main window does: the counter goes up, the window is named
// "WorkSheet_" and the counter, and it frees itself when closed.
// A second worksheet opens below and right of the last one still open.
TfmWorkSheet* openWorkSheet(TfmMain& main);

// Where a window of `size` opens after one at `previous`: 30 pixels further right and down, or back at the top left
// of the screen's area when it would leave it.
QPoint cascadedPosition(const QRect& previous, const QSize& size, const QRect& screen);

} // namespace develop
