#include "shell/runprocess.h"

#include "platform/processrunner.h"

namespace shell {

int RunProcessAndWait(const QString& commandLine)
{
    const QString cannotStart = QStringLiteral("Ne morem štartati procesa. \r\n\r\n") + commandLine;
    const platform::ProcessResult result = platform::ProcessRunner::runCommandLine(commandLine);
    if (!result.started)
        throw RunProcessError(cannotStart);
    if (result.crashed)
        throw RunProcessError(QStringLiteral("Proces se je nepravilno končal: ") + commandLine);
    return result.exitCode;
}

} // namespace shell
