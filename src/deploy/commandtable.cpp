#include "deploy/commandtable.h"

#include <algorithm>

namespace deploy {

const std::vector<CommandInfo>& commandTable()
{
    using K = CommandKind;
    static const std::vector<CommandInfo> table = {
        { "CONNECT", K::Direct, true },
        { "OWNER", K::Direct, true },
        { "LARGERB", K::Direct, true },
        { "RESTRICTEDLOGIN", K::Direct, true },
        { "LASTVERSIONCHECK", K::Direct, true },
        { "IMPORT", K::Direct, true },
        { "SCRIPT", K::Window, true },
        { "GRANT", K::Window, true },
        { "COMPARE", K::Window, false },
        { "CHECK_TABLES", K::Window, false },
        { "SISTEM", K::Window, true },
        { "IZVEDISQL", K::Window, true },
        { "REFRESH", K::Window, true },
        { "VERSION", K::Window, true },
        { "ERRORS", K::Window, true },
        { "SHOWLOG", K::Window, false },
        { "LANGUAGE", K::StartupWord, true },
        { "SAVELOGINDATA", K::StartupWord, true },
        { "USELOGINDATA", K::StartupWord, true },
        { "CLEARLOGINDATA", K::StartupWord, true },
    };
    return table;
}

const CommandInfo* findCommand(const QString& word)
{
    const auto& table = commandTable();
    const auto found = std::find_if(
        table.begin(), table.end(), [&word](const CommandInfo& c) { return word == QLatin1String(c.word); });
    return found == table.end() ? nullptr : &*found;
}

QStringList runnerLines(const shell::CommandLine& commandLine)
{
    if (commandLine.fileMode)
        return commandLine.lines;
    // The start-up list holds an empty line before the command.
    QStringList lines = commandLine.lines;
    if (!lines.isEmpty() && lines.first().isEmpty())
        lines.removeFirst();
    return lines;
}

bool lineRuns(const shell::ParsedCommand& command, int number)
{
    const CommandInfo* info = findCommand(command.command);
    if (!info || info->kind == CommandKind::StartupWord)
        return false;
    return command.command != QLatin1String("CONNECT") || number >= firstRunnerConnectLine;
}

bool listRunsCommands(const QStringList& lines)
{
    for (int i = 0; i < lines.size(); ++i) {
        if (lineRuns(shell::parseCommand(lines.at(i)), i + 1))
            return true;
    }
    return false;
}

std::vector<UnknownCommand> unknownCommands(const QStringList& lines)
{
    std::vector<UnknownCommand> unknown;
    for (int i = 0; i < lines.size(); ++i) {
        const shell::ParsedCommand c = shell::parseCommand(lines.at(i));
        // A line of blanks only has no command word and does nothing; so would a command behind a blank, which
        // is why such a line is refused rather than passed over.
        if (c.command.isEmpty() ? !lines.at(i).trimmed().isEmpty() : !findCommand(c.command))
            unknown.push_back({ i + 1, c.command });
    }
    return unknown;
}

} // namespace deploy
