#include "deploy/runnerwindows.h"

#include "deploy/execScr.h"
#include "db/oracleerror.h"
#include "deploy/runnerqueries.h"
#include "deploy/runnerregistry.h"
#include "develop/errors.h"
#include "shell/Main.h"
#include "shell/mainmenu.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

namespace deploy {

namespace {

// SCRIPT: the script executor stores and runs the script unless it has rows, and closes; the main window's
// pExecuteScriptNapaka tells whether its run broke off.
RunnerCommandResult runScriptWindow(const RunnerCommandContext& context)
{
    static int counter = 0;
    TfmMain& main = context.main;
    const RunnerCommand& c = context.command;
    auto* w = new TfmScript(&main, &main);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setObjectName(QStringLiteral("fmScript_run%1").arg(++counter));
    w->pcExec->setCurrentWidget(w->tabOpenFile);
    w->edSkripta->setText(c.p1);
    main.currentScript = c.p1;
    w->cbAllScripts->setEditText(c.p1);
    w->edDir->setText(c.p2);
    w->p_auto = true;
    // Nobody looks at the finished window: it closes as soon as its work is done.
    w->tiClose->setInterval(0);
    // Its work starts on its first activation; a display that activates nothing by itself still starts it.
    QTimer::singleShot(0, w, [w] { w->FormActivate(); });
    runModal(w);
    if (!main.pExecuteScriptNapaka)
        return { true, {} };
    // The row that failed says why in the script table; a store that failed left no row, and its window said why.
    std::optional<ScriptError> failed;
    try {
        failed = firstScriptError(*main.osOracle, c.p1, c.severalInstallations ? main.connUser : QString());
    } catch (const db::OracleError&) {
    }
    if (failed)
        return { false, QStringLiteral("the script %1 broke off at row %2: %3").arg(c.p1).arg(failed->counter).arg(failed->error) };
    return { false, QStringLiteral("the script %1 was not stored and run (see the messages above)").arg(c.p1) };
}

// ERRORS: the object-status window recompiles the owner's invalid objects in rounds; in the several-installations
// mode it closes whatever is left.
RunnerCommandResult runErrorsWindow(const RunnerCommandContext& context)
{
    if (!shell::registeredOpener(QStringLiteral("tbErrors")))
        return { false, QStringLiteral("the object-status window is not available") };
    const bool clean = develop::izvediErrors(context.main, context.command.p1);
    if (context.command.severalInstallations && fmErrors)
        fmErrors->close();
    return { clean, {} };
}

} // namespace

void registerRunnerWindows()
{
    registerRunnerCommand(QStringLiteral("SCRIPT"), runScriptWindow);
    registerRunnerCommand(QStringLiteral("ERRORS"), runErrorsWindow);
}

} // namespace deploy
