#include "shell/commandline.h"

#include "platform/codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace shell {

namespace {

const QChar blank = QLatin1Char(' ');
const QChar quote = QLatin1Char('"');

QString withoutLeadingBlanks(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == blank)
        ++i;
    return text.mid(i);
}

// Command files come from Windows as often as not: Windows-1250 unless the bytes are UTF-8, CR LF or LF.
QStringList readCommandFile(const QString& path, bool* ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    if (!*ok)
        return {};
    const QByteArray bytes = file.readAll();
    QString text = platform::codepage::isValidUtf8(bytes) ? QString::fromUtf8(bytes)
                                                          : platform::codepage::windows1250ToUnicode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    return lines;
}

QString asOneParameter(const QString& parameter)
{
    if (parameter.contains(blank) && !parameter.contains(quote))
        return quote + parameter + quote;
    return parameter;
}

} // namespace

bool vzemiEnParameter(QString& rest, QString& param)
{
    QString work;
    qsizetype end = -1;
    if (rest.startsWith(quote)) {
        work = withoutLeadingBlanks(rest.mid(1)).left(commandRestLimit);
        end = work.indexOf(quote);
    } else {
        work = rest;
        end = work.indexOf(blank);
    }
    if (end < 0) {
        // An unmatched quote, or a parameter cut by the length limit: nothing is taken.
        param.clear();
        return !rest.trimmed().isEmpty();
    }
    param = work.left(end).trimmed().toUpper();
    rest = withoutLeadingBlanks(work.mid(end + 1).left(commandRestLimit));
    return !rest.isEmpty();
}

ParsedCommand parseCommand(const QString& line)
{
    ParsedCommand result;
    const QString text = line + blank;
    const qsizetype firstBlank = text.indexOf(blank);
    result.command = text.left(firstBlank).trimmed().toUpper();
    QString rest = text.mid(firstBlank + 1).left(commandRestLimit);
    if (vzemiEnParameter(rest, result.p1) && vzemiEnParameter(rest, result.p2))
        vzemiEnParameter(rest, result.p3);
    return result;
}

bool isPasswordCode(const QString& text)
{
    return !text.isEmpty() && QString::fromLatin1(passwordCodeString).contains(text);
}

bool isAuditHostForm(const QString& text)
{
    return text.startsWith(QLatin1Char('A')) && text.size() < 3;
}

QString builtInPassword(const QString& code)
{
    static const char* const passwords[] = { "TORVA58", "PLIMO47", "SNOG7386", "KERP5193", "BRELSOMAK74" };
    if (code.size() != 1)
        return {};
    const qsizetype index = QString::fromLatin1(passwordCodeString).indexOf(code);
    if (index < 0 || index >= 5)
        return {};
    return QString::fromLatin1(passwords[index]);
}

CommandLine buildCommandList(const QStringList& arguments, const QString& workingDir)
{
    CommandLine result;
    QString parameters[4];
    for (qsizetype i = 0; i < std::min<qsizetype>(arguments.size(), 4); ++i)
        parameters[i] = arguments.at(i);
    result.runParamType = parameters[0];
    result.runParamValue1 = parameters[1];
    result.runParamValue2 = parameters[2];
    result.runParamValue3 = parameters[3];
    result.declRunParam = !arguments.isEmpty();
    result.lines << QString();

    if (!result.runParamType.startsWith(QLatin1Char('@'))) {
        QStringList words;
        for (const QString& parameter : parameters)
            words << asOneParameter(parameter);
        QString line = words.join(blank);
        if (isPasswordCode(result.runParamValue1.toUpper()))
            line.prepend(QLatin1String("CONNECT "));
        result.lines << line;
        return result;
    }

    result.fileMode = true;
    result.commandFile = result.runParamType.mid(1, commandFileNameLimit);
    if (result.commandFile.isEmpty())
        return result;
    const QString path = resolveFileNameIgnoringCase(result.commandFile, workingDir);
    if (!QFileInfo(path).isFile())
        return result;
    bool ok = false;
    const QStringList lines = readCommandFile(path, &ok);
    if (ok) {
        result.lines = lines;
        result.commandFilePath = path;
    }
    return result;
}

void obeyConnectPassword(QString p2, StartupState& state, const StartupServices& services)
{
    state.p_ScriptAudit = false;
    if (isAuditHostForm(p2)) {
        state.p_ScriptAudit = true;
        p2 = p2.mid(1);
    }
    if (isPasswordCode(p2)) {
        state.connPassword
            = services.rememberedPassword ? services.rememberedPassword(state.connServer, state.connUser) : QString();
        if (state.connPassword.trimmed().isEmpty()) {
            const QString builtIn = builtInPassword(p2);
            if (!builtIn.isEmpty()) {
                state.connPassword = builtIn;
                state.connPasswordUtil = builtIn;
            } else if (p2 == QString(QLatin1Char(passwordCodeString[6]))) {
                state.connPassword = state.connPasswordUtil;
            }
        }
    } else if (!p2.isEmpty()) {
        state.connPassword = p2;
        state.connPasswordUtil = p2;
    } else {
        if (state.bSaveLoginData)
            state.bHaveToSaveLoginData = true;
        if (state.bUseLoginData && services.readLoginData)
            services.readLoginData(state);
    }
}

void obeyStartupWords(const CommandLine& commandLine, StartupState& state, const StartupServices& services)
{
    state.pAutoG = false;
    bool connectTaken = false;
    for (const QString& line : commandLine.lines) {
        ParsedCommand c = parseCommand(line);
        if (c.command == QLatin1String("SAVELOGINDATA")) {
            state.bSaveLoginData = true;
        } else if (c.command == QLatin1String("USELOGINDATA")) {
            state.bUseLoginData = true;
        } else if (c.command == QLatin1String("CLEARLOGINDATA")) {
            state.bClearLoginData = true;
        } else if (c.command == QLatin1String("LANGUAGE")) {
            state.currLanguage = c.p1;
        } else if (c.command == QLatin1String("CONNECT") && !connectTaken) {
            connectTaken = true;
            if (commandLine.fileMode) {
                // The command line's user, password and database fill what the file leaves open.
                if (c.p1.isEmpty() && !commandLine.runParamValue1.isEmpty())
                    c.p1 = commandLine.runParamValue1;
                if (c.p2.isEmpty() && !commandLine.runParamValue2.isEmpty())
                    c.p2 = commandLine.runParamValue2;
                if (c.p3.isEmpty() && !commandLine.runParamValue3.isEmpty())
                    c.p3 = commandLine.runParamValue3;
            }
            if (!c.p1.isEmpty())
                state.connUser = c.p1;
            // The database goes with a password only; without one the database of the settings stays.
            if (!c.p2.isEmpty())
                state.connServer = c.p3;
            state.pAutoG = true;
            obeyConnectPassword(c.p2, state, services);
        }
    }
}

QString resolveFileNameIgnoringCase(const QString& path, const QString& baseDir)
{
    const bool relative = QFileInfo(path).isRelative() && !path.startsWith(QLatin1Char('\\'));
    const QString full = relative && !baseDir.isEmpty() ? QDir(baseDir).filePath(path) : path;
    if (path.isEmpty() || QFileInfo::exists(full))
        return full;
#ifdef Q_OS_WIN
    return full;
#else
    QString normalized = path;
    normalized.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString current;
    if (normalized.startsWith(QLatin1Char('/')))
        current = QStringLiteral("/");
    else
        current = baseDir.isEmpty() ? QStringLiteral(".") : baseDir;
    const QStringList parts = normalized.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QString exact = QDir(current).filePath(part);
        if (part == QLatin1String(".") || part == QLatin1String("..") || QFileInfo::exists(exact)) {
            current = exact;
            continue;
        }
        QStringList entries
            = QDir(current).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        std::sort(entries.begin(), entries.end());
        const auto match = std::find_if(entries.cbegin(), entries.cend(),
            [&part](const QString& entry) { return entry.compare(part, Qt::CaseInsensitive) == 0; });
        if (match == entries.cend())
            return full;
        current = QDir(current).filePath(*match);
    }
    return current;
#endif
}

} // namespace shell
