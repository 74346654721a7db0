// The openers of the lock and audit windows.
#include "admin/register_jobs.h"

#include "admin/LOCK.h"
#include "admin/audit.h"
#include "shell/Main.h"
#include "shell/mainmenu.h"
#include "shell/themedgrid.h"
#include "shell/windowregistry.h"

namespace admin {

namespace {

// A kept window is shown again where it was, in front.
QWidget* present(QWidget* w)
{
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

} // namespace

QWidget* openLockWindow(TfmMain& main)
{
    if (shell::useOra19Windows(main.ORACLEVersion)) {
        if (!main.FfmLockOra19)
            main.FfmLockOra19 = new TfmLockOra19(&main);
        return present(main.FfmLockOra19);
    }
    if (!fmLock)
        fmLock = new TfmLock(&main);
    return present(fmLock);
}

QWidget* openAuditWindow(TfmMain& main)
{
    if (shell::useOra19Windows(main.ORACLEVersion)) {
        if (!main.FfmAuditOra19)
            main.FfmAuditOra19 = new TfmAuditOra19(&main);
        return present(main.FfmAuditOra19);
    }
    if (!fmAudit)
        fmAudit = new TfmAudit(&main);
    return present(fmAudit);
}

void registerJobWindows()
{
    // Every data grid of the program is the themed grid.
    shell::installThemedGrid();
    shell::registerWindowOpener(QStringLiteral("mmLock"), [](TfmMain& main) { openLockWindow(main); });
    shell::registerWindowOpener(QStringLiteral("mmAudit"), [](TfmMain& main) { openAuditWindow(main); });
}

} // namespace admin
