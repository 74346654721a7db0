// The command language of unattended runs: its words, what kind each is, where it is available, and the command
// list a run works through, with the checks made on it before anything runs.
#pragma once

#include "shell/commandline.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace deploy {

enum class CommandKind {
    StartupWord, // obeyed while the program starts (LANGUAGE, the login-data words); nothing in the run
    Direct, // the runner acts itself (CONNECT, OWNER, LARGERB, RESTRICTEDLOGIN, LASTVERSIONCHECK, IMPORT)
    Window, // a tool window does the work (registered in deploy/runnerregistry.h)
};

struct CommandInfo {
    const char* word;
    CommandKind kind;
    bool inSeveralInstallations; // available in the several-installations mode
};

const std::vector<CommandInfo>& commandTable();
// The command of a word (upper case); nullptr for a word that is no command.
const CommandInfo* findCommand(const QString& word);

// A CONNECT on these first lines of a list is the start-up's logon; the runner obeys a CONNECT from the next line on.
inline constexpr int firstRunnerConnectLine = 3;

// The command list a run works through: a command file's lines, or the one line of a command given on the command
// line (with "CONNECT " in front when its second parameter is a password code).
QStringList runnerLines(const shell::CommandLine& commandLine);

// Whether line `number` (from 1) does anything in the run: a word of the table that is not a start-up word, and not
// a CONNECT the start-up has taken. A list of start-up words alone (a logon) leaves the program to the user.
bool lineRuns(const shell::ParsedCommand& command, int number);
bool listRunsCommands(const QStringList& lines);

// A line whose word is no command, or that holds text behind a leading blank (an empty word).
struct UnknownCommand {
    int line = 0;
    QString word;
};
std::vector<UnknownCommand> unknownCommands(const QStringList& lines);

} // namespace deploy
