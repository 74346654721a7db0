// The checks made on the program's parameters before the program starts: whether they ask for help, whether a named
// command file can be a command file at all (it exists, is a regular text file of sensible size that holds a
// command), and whether every word of the list is a command. A run that would fail on its input ends before it logs
// on, says why and loses nothing.
#pragma once

#include "deploy/runnertexts.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace deploy {

// A command file larger than this is refused without being read.
inline constexpr qint64 commandFileSizeLimit = 1024 * 1024;

// "--help", "-h", "-?" or "/?" as the only or first parameter.
bool asksForHelp(const QStringList& arguments);
// The usage text that --help prints: the forms of the command line, the command language, the exit statuses and
// the files of a run.
QString usageText();

// The exit statuses of a run.
inline constexpr int exitSucceeded = 0;
inline constexpr int exitCommandFailed = 1;
inline constexpr int exitUsageOrLogon = 2;

struct CommandLineProblem {
    RunnerText text;
    QStringList args;
};

struct CommandLineCheck {
    std::vector<CommandLineProblem> problems; // empty when the parameters can be run
    bool runsCommands = false; // the list holds a command to run (not only a logon or start-up words)
    QString language; // the LANGUAGE word of the list, when it has one

    bool ok() const { return problems.empty(); }
    // The problems, one a line, in the language given.
    QString message(const QString& language) const;
};

// Checks the parameters (without the program's name); a relative command file is looked up in workingDir, without
// regard to case as the start-up does.
CommandLineCheck checkCommandLine(const QStringList& arguments, const QString& workingDir);

} // namespace deploy
