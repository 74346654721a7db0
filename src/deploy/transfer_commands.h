// The unattended entry points of the REFRESH and COMPARE commands: each runs its window's whole sequence without
// waiting for a person and returns whether it succeeded, with a line that says what happened.
#pragma once

#include "deploy/runnerregistry.h"

#include <QString>

class TfmMain;

namespace deploy {

using TransferOutcome = RunnerCommandResult;

// REFRESH: runs the refresh file `file` in a new refresh window, table after table, and closes the window. What no
// COMMIT=TRUE of the file committed is rolled back before this returns; a table that failed makes the outcome fail
// (the main window's exit status becomes 1), and its lines go to the standard error output.
TransferOutcome runRefreshCommand(TfmMain& main, const QString& file);

// COMPARE: dumps the tables of VOXA into `currentFile`, compares the dump with `referenceFile` and writes
// `differenceFile` only when differences were found; failures go to the standard error output and, when
// `errorFile` is given, are added to it. The window closes at the end; a difference is no failure.
TransferOutcome runCompareCommand(TfmMain& main, const QString& referenceFile, const QString& currentFile,
    const QString& differenceFile, const QString& errorFile = {});

// The same as the command runner's handlers (the runner writes the error file itself):
//   deploy::registerRunnerCommand(QStringLiteral("REFRESH"), deploy::refreshRunnerCommand);
//   deploy::registerRunnerCommand(QStringLiteral("COMPARE"), deploy::compareRunnerCommand);
RunnerCommandResult refreshRunnerCommand(const RunnerCommandContext& context);
RunnerCommandResult compareRunnerCommand(const RunnerCommandContext& context);

} // namespace deploy
