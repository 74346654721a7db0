#include "deploy/commandcheck.h"

#include "deploy/commandtable.h"
#include "shell/commandline.h"

#include <QFile>
#include <QFileInfo>

namespace deploy {

namespace {

namespace text {
inline constexpr RunnerText noFileName { "The command line names no command file after \"@\".",
    "Ukazna vrstica za \"@\" ne navaja ukazne datoteke." };
inline constexpr RunnerText missing { "The command file %1 does not exist.", "Ukazna datoteka %1 ne obstaja." };
inline constexpr RunnerText directory { "%1 is a directory, not a command file.",
    "%1 je imenik, ne ukazna datoteka." };
inline constexpr RunnerText notRegular { "%1 is not a regular file.", "%1 ni navadna datoteka." };
inline constexpr RunnerText unreadable { "The command file %1 cannot be read: %2", "Ukazne datoteke %1 ni mogoče "
                                                                                     "prebrati: %2" };
inline constexpr RunnerText tooLarge { "The command file %1 is too large (%2 bytes; a command file has at most %3).",
    "Ukazna datoteka %1 je prevelika (%2 bajtov; ukazna datoteka ima največ %3)." };
inline constexpr RunnerText utf16 { "The command file %1 is written in UTF-16; save it as UTF-8 or Windows-1250 text.",
    "Ukazna datoteka %1 je zapisana v UTF-16; shranite jo kot besedilo UTF-8 ali Windows-1250." };
inline constexpr RunnerText binary { "The command file %1 is not a text file (a control byte at offset %2).",
    "Ukazna datoteka %1 ni besedilna datoteka (kontrolni bajt na mestu %2)." };
inline constexpr RunnerText empty { "The command file %1 holds no command.", "Ukazna datoteka %1 ne vsebuje ukaza." };
} // namespace text

// Bytes that no text file holds: control characters other than tab, line and page breaks (and the DOS end-of-file
// mark). -1 when there is none.
qsizetype controlByteOffset(const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != '\v' && b != 0x1A)
            return i;
    }
    return -1;
}

// The file named after "@": false with a problem when it cannot be a command file.
bool checkCommandFile(const QString& name, const QString& workingDir, CommandLineCheck& check)
{
    const auto problem = [&check](const RunnerText& t, QStringList args) {
        check.problems.push_back({ t, std::move(args) });
        return false;
    };
    if (name.isEmpty())
        return problem(text::noFileName, {});
    const QString path = shell::resolveFileNameIgnoringCase(name, workingDir);
    const QFileInfo info(path);
    if (!info.exists())
        return problem(text::missing, { name });
    if (info.isDir())
        return problem(text::directory, { path });
    if (!info.isFile())
        return problem(text::notRegular, { path });
    if (info.size() > commandFileSizeLimit)
        return problem(text::tooLarge, { path, QString::number(info.size()), QString::number(commandFileSizeLimit) });
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return problem(text::unreadable, { path, file.errorString() });
    // Read no more than the limit, also when the file grew since it was looked at.
    const QByteArray bytes = file.read(commandFileSizeLimit + 1);
    if (bytes.size() > commandFileSizeLimit)
        return problem(text::tooLarge, { path, QString::number(bytes.size()), QString::number(commandFileSizeLimit) });
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return problem(text::utf16, { path });
    if (const qsizetype at = controlByteOffset(bytes); at >= 0)
        return problem(text::binary, { path, QString::number(at) });
    if (QString::fromLatin1(bytes).remove(QChar(0x1A)).trimmed().isEmpty())
        return problem(text::empty, { path });
    return true;
}

} // namespace

bool asksForHelp(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return false;
    const QString first = arguments.first();
    return first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("-?")
        || first == QLatin1String("/?");
}

QString usageText()
{
    return QStringLiteral(
        "Usage:\n"
        "  dremmox                               start the program and log on in the logon dialog\n"
        "  dremmox CONNECT user password db      log on by itself and stay open\n"
        "  dremmox COMMAND [p1 [p2 [p3]]]        run one command unattended, then end\n"
        "  dremmox @FILE [user password db]      run the commands of a command file unattended, then end;\n"
        "                                        user, password and database fill the file's first CONNECT\n"
        "  dremmox @MU_FILE [user password db]   run the command file once for every installation registered in\n"
        "                                        VEXO_UTIL.VEXO_INSTALATIONS (needs the file vecInstalacij)\n"
        "  dremmox --help                        print this text\n"
        "\n"
        "A command file holds one command a line: a word and up to three parameters, separated by blanks or in\n"
        "double quotes; everything is read in upper case. A word that is no command stops the run before it starts.\n"
        "\n"
        "Commands:\n"
        "  CONNECT user password [VEXOAUDT]      log on again (from the third line on; the first CONNECT logs on)\n"
        "  OWNER owner                           the default owner of the tools\n"
        "  SCRIPT name [directory]               store and run the script directory/name.sql unless it has rows\n"
        "  LASTVERSIONCHECK name,name,...        skip the rest unless one of these scripts has been executed\n"
        "  ERRORS [owner|AUDIT]                  recompile invalid objects (the connected user's by default)\n"
        "  IMPORT arguments                      run the loader program (CURR_LOADER) and wait for it\n"
        "  LARGERB ON|OFF [segment]              switch the large rollback segment\n"
        "  RESTRICTEDLOGIN ENABLE|DISABLE [STOP] restricted session; STOP skips the rest while others are logged on\n"
        "  GRANT owner grantee, COMPARE source current [result], CHECK_TABLES [user] [filter] [CASCADE],\n"
        "  SISTEM [report], IZVEDISQL file, REFRESH file, VERSION file [user] [types], SHOWLOG kind\n"
        "                                        run the tool window of the command (reported as not available\n"
        "                                        while this version of the program has no such window)\n"
        "  LANGUAGE SLO|ANG, SAVELOGINDATA, USELOGINDATA, CLEARLOGINDATA   start-up words\n"
        "\n"
        "instance.txt beside the program lists up to 20 databases: the commands run on each in turn.\n"
        "\n"
        "Exit status: 0 every command succeeded, 1 a command failed, 2 a usage or logon error.\n"
        "Messages go to standard error; failures also to the error file (MONITOR.INI [UNATTENDED] ERROR_FILE,\n"
        "by default dremmox.err in the program's data directory).\n");
}

QString CommandLineCheck::message(const QString& language) const
{
    QStringList lines;
    for (const CommandLineProblem& p : problems)
        lines << runnerText(p.text, language, p.args);
    return lines.join(QLatin1Char('\n'));
}

CommandLineCheck checkCommandLine(const QStringList& arguments, const QString& workingDir)
{
    CommandLineCheck check;
    if (arguments.isEmpty())
        return check;
    if (arguments.first().startsWith(QLatin1Char('@'))
        && !checkCommandFile(arguments.first().mid(1, shell::commandFileNameLimit), workingDir, check))
        return check;
    const QStringList lines = runnerLines(shell::buildCommandList(arguments, workingDir));
    for (const UnknownCommand& u : unknownCommands(lines)) {
        if (u.word.isEmpty())
            check.problems.push_back({ runnertext::leadingBlank, { QString::number(u.line) } });
        else
            check.problems.push_back({ runnertext::unknownCommand, { QString::number(u.line), u.word } });
    }
    for (const QString& line : lines) {
        const shell::ParsedCommand c = shell::parseCommand(line);
        if (c.command == QLatin1String("LANGUAGE"))
            check.language = c.p1;
    }
    check.runsCommands = check.ok() && listRunsCommands(lines);
    return check;
}

} // namespace deploy
