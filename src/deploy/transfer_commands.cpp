#include "deploy/transfer_commands.h"

#include "db/oracleerror.h"
#include "deploy/cmpstru.h"
#include "deploy/refresh.h"
#include "shell/Main.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <cstdio>
#include <memory>

namespace deploy {

TransferOutcome runRefreshCommand(TfmMain& main, const QString& file)
{
    std::unique_ptr<TfmRefresh> window;
    try {
        window = std::make_unique<TfmRefresh>(&main, &main);
    } catch (const db::OracleError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(QStringLiteral("REFRESH ") + file + QStringLiteral(": ") + e.message()));
        if (main.exitStatus == 0)
            main.exitStatus = 1;
        return { false, e.message() };
    }
    window->runSkripta = file;
    window->show(); // runs the file before it returns
    TransferOutcome out;
    out.ok = !window->unattendedFailed();
    const QString errors = window->meScriptErr->toPlainText().trimmed();
    out.message = out.ok ? QStringLiteral("%1 refreshed").arg(file)
                         : QStringLiteral("%1: %2").arg(file, errors.isEmpty() ? QStringLiteral("failed") : errors);
    window->close();
    return out;
}

TransferOutcome runCompareCommand(TfmMain& main, const QString& referenceFile, const QString& currentFile,
    const QString& differenceFile, const QString& errorFile)
{
    auto window = std::make_unique<TfmCmpStru>(&main, &main);
    window->pAuto = true;
    window->edfSource->setText(referenceFile);
    window->edfDest->setText(currentFile);
    window->pShraniDir = differenceFile;
    window->pErrorFile = errorFile;
    // The sequence runs from the window's start timer once it is shown and always ends by closing the window.
    runModal(window.get());
    TransferOutcome out;
    out.ok = !window->pFailed;
    if (!out.ok)
        out.message = window->pFailText;
    else if (window->pNapake)
        out.message = QStringLiteral("%1 differences written to %2").arg(window->stNapak()).arg(differenceFile);
    else
        out.message = QStringLiteral("no differences");
    return out;
}

RunnerCommandResult refreshRunnerCommand(const RunnerCommandContext& context)
{
    return runRefreshCommand(context.main, context.command.p1);
}

RunnerCommandResult compareRunnerCommand(const RunnerCommandContext& context)
{
    return runCompareCommand(context.main, context.command.p1, context.command.p2, context.command.resultName);
}

} // namespace deploy
