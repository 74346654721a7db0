#include "platform/processrunner.h"

#include <QEventLoop>
#include <QProcess>

namespace platform {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

ProcessResult runProcess(QProcess& process, const QString& program, const QString& workingDir);

} // namespace

QStringList splitCommandLine(const QString& commandLine)
{
    QStringList words;
    qsizetype i = 0;
    const qsizetype n = commandLine.size();
    while (i < n && isBlank(commandLine.at(i)))
        ++i;
    if (i == n)
        return words;
    // The program's name: no escapes, a quote only groups.
    QString program;
    if (commandLine.at(i) == QLatin1Char('"')) {
        const qsizetype close = commandLine.indexOf(QLatin1Char('"'), i + 1);
        program = commandLine.mid(i + 1, close < 0 ? -1 : close - i - 1);
        i = close < 0 ? n : close + 1;
    } else {
        while (i < n && !isBlank(commandLine.at(i)))
            program += commandLine.at(i++);
    }
    words << program;
    for (;;) {
        while (i < n && isBlank(commandLine.at(i)))
            ++i;
        if (i >= n)
            break;
        QString word;
        bool quoted = false;
        while (i < n && (quoted || !isBlank(commandLine.at(i)))) {
            const QChar c = commandLine.at(i);
            if (c == QLatin1Char('\\')) {
                qsizetype slashes = 0;
                while (i < n && commandLine.at(i) == QLatin1Char('\\')) {
                    ++slashes;
                    ++i;
                }
                if (i < n && commandLine.at(i) == QLatin1Char('"')) {
                    word += QString(slashes / 2, QLatin1Char('\\'));
                    if (slashes % 2 == 1) {
                        word += QLatin1Char('"');
                        ++i;
                    }
                } else {
                    word += QString(slashes, QLatin1Char('\\'));
                }
            } else if (c == QLatin1Char('"')) {
                // Inside quotes, a doubled quote stands for one quote.
                if (quoted && i + 1 < n && commandLine.at(i + 1) == QLatin1Char('"')) {
                    word += QLatin1Char('"');
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                word += c;
                ++i;
            }
        }
        words << word;
    }
    return words;
}

ProcessResult ProcessRunner::runCommandLine(const QString& commandLine, const QString& workingDir)
{
    QProcess process;
#ifdef Q_OS_WIN
    // The command line reaches the program as it stands: the program's own start-up reads it.
    const QStringList words = splitCommandLine(commandLine);
    const QString program = words.value(0);
    process.setProgram(program);
    QString rest = commandLine.trimmed();
    rest = rest.startsWith(QLatin1Char('"')) ? rest.mid(rest.indexOf(QLatin1Char('"'), 1) + 1)
                                             : rest.mid(program.size());
    process.setNativeArguments(rest);
#else
    const QStringList words = splitCommandLine(commandLine);
    const QString program = words.value(0);
    process.setProgram(program);
    process.setArguments(words.mid(1));
#endif
    if (program.isEmpty()) {
        ProcessResult result;
        result.error = QStringLiteral("No program in the command line");
        return result;
    }
    return runProcess(process, program, workingDir);
}

ProcessResult ProcessRunner::run(const QString& program, const QStringList& arguments, const QString& workingDir)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    return runProcess(process, program, workingDir);
}

namespace {

ProcessResult runProcess(QProcess& process, const QString& program, const QString& workingDir)
{
    ProcessResult result;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });

    process.start();
    if (process.state() == QProcess::NotRunning && process.error() == QProcess::FailedToStart) {
        result.error = QStringLiteral("Could not start %1: %2").arg(program, process.errorString());
        return result;
    }
    // The user's input is served too: the program stays usable (menus, other windows) while the child runs.
    if (process.state() != QProcess::NotRunning)
        loop.exec();

    if (process.error() == QProcess::FailedToStart) {
        result.error = QStringLiteral("Could not start %1: %2").arg(program, process.errorString());
        return result;
    }
    result.started = true;
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = result.crashed ? -1 : process.exitCode();
    if (result.crashed)
        result.error = QStringLiteral("%1 ended abnormally").arg(program);
    return result;
}

} // namespace

} // namespace platform
