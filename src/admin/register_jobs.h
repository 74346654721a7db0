// The administration module's server-job windows in the main window's System Jobs menu.
#pragma once

class TfmMain;
class QWidget;

namespace admin {

// Registers the openers of mmLock and mmAudit: each makes its window once, in the variant of the server's release
// (the scheduler-job variant above release 18), and shows it again at later clicks.
void registerJobWindows();

// The openers themselves, which return the window they showed.
QWidget* openLockWindow(TfmMain& main);
QWidget* openAuditWindow(TfmMain& main);

} // namespace admin
