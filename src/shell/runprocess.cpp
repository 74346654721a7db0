#include "shell/runprocess.h"

#include "platform/processrunner.h"

#include <QProcess>

namespace shell {

int RunProcessAndWait(const QString& commandLine)
{
    const QString cannotStart = QStringLiteral("Ne morem štartati procesa. \r\n\r\n") + commandLine;
    QStringList arguments = QProcess::splitCommand(commandLine);
    if (arguments.isEmpty())
        throw RunProcessError(cannotStart);
    const QString program = arguments.takeFirst();
    const platform::ProcessResult result = platform::ProcessRunner::run(program, arguments);
    if (!result.started)
        throw RunProcessError(cannotStart);
    if (result.crashed)
        throw RunProcessError(QStringLiteral("Proces se je nepravilno končal: ") + commandLine);
    return result.exitCode;
}

} // namespace shell
