// Openers of the structure windows.
#include "admin/register_structure.h"

#include "admin/napRef.h"
#include "admin/napTrigg.h"
#include "admin/repair.h"
#include "admin/tabStru.h"
#include "admin/valiStru.h"
#include "deploy/runnerregistry.h"
#include "shell/Main.h"
#include "shell/themedgrid.h"
#include "shell/windowregistry.h"

#include <memory>
#include <optional>

namespace admin {

namespace {

// CHECK_TABLES of an unattended run: the validation window checks the owner's tables (filter and CASCADE as the
// command gives them), writes what it found on the error output and closes; the run fails when a table is damaged,
// an index does not agree with its table, or a table could not be validated.
deploy::RunnerCommandResult runCheckTables(const deploy::RunnerCommandContext& context)
{
    const deploy::RunnerCommand& c = context.command;
    auto* w = new TfmValiStru(context.main, &context.main);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setObjectName(QStringLiteral("fmValiStru_run"));
    auto finished = std::make_shared<std::optional<bool>>();
    QObject::connect(w, &TfmValiStru::checkFinished, w, [finished](bool ok) { *finished = ok; });
    w->startUnattended(c.p1, c.p2, c.p3);
    deploy::runModal(w);
    if (!finished->has_value())
        return { false, QStringLiteral("the check of tables did not run to its end") };
    if (!**finished)
        return { false, QStringLiteral("the check of tables found tables that are damaged or could not be validated") };
    return { true, {} };
}

} // namespace

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
    deploy::registerRunnerCommand(QStringLiteral("CHECK_TABLES"), runCheckTables);
}

} // namespace admin
