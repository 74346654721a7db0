// Openers of the structure windows.
#include "admin/register_structure.h"

#include "admin/napRef.h"
#include "admin/napTrigg.h"
#include "admin/repair.h"
#include "admin/tabStru.h"
#include "admin/valiStru.h"
#include "shell/Main.h"
#include "shell/themedgrid.h"
#include "shell/windowregistry.h"

namespace admin {

TfmTableStru* openTableStru(TfmMain& main)
{
    static int counter = 0;
    auto* window = new TfmTableStru(main);
    window->setObjectName(QStringLiteral("fmTableStru_%1").arg(++counter));
    window->show();
    return window;
}

void registerStructureWindows()
{
    // Every data grid these windows make is the themed grid.
    shell::installThemedGrid();
    shell::registerWindowOpener(QStringLiteral("mmTabStru"), [](TfmMain& main) { openTableStru(main); });
    // The windows below are only hidden when closed: the main window keeps them, and they go with it.
    shell::registerWindowOpener(QStringLiteral("mmConstraints"), [](TfmMain& main) {
        auto* w = new TfmDisRef(main, &main);
        w->show();
    });
    shell::registerWindowOpener(QStringLiteral("mmSearchfordisabledtriggers"), [](TfmMain& main) {
        auto* w = new TfmDisTrigg(main, &main);
        w->show();
    });
    shell::registerWindowOpener(QStringLiteral("mmRepairtables"), [](TfmMain& main) {
        auto* w = new TfmRepairTable(main, &main);
        w->show();
    });
    shell::registerWindowOpener(QStringLiteral("mmChecktables"), [](TfmMain& main) {
        auto* w = new TfmValiStru(main, &main);
        w->show();
    });
}

} // namespace admin
