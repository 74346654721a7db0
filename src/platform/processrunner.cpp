#include "platform/processrunner.h"

#include <QEventLoop>
#include <QProcess>

namespace platform {

ProcessResult ProcessRunner::run(const QString& program, const QStringList& arguments, const QString& workingDir)
{
    ProcessResult result;
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });

    process.start(program, arguments);
    if (process.state() == QProcess::NotRunning && process.error() == QProcess::FailedToStart) {
        result.error = QStringLiteral("Could not start %1: %2").arg(program, process.errorString());
        return result;
    }
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

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

} // namespace platform
