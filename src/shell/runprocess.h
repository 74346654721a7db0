// Runs an external program (the loader of the IMPORT command) from a command line and waits for its end while
// the windows keep painting; the caller tests the exit code.
#pragma once

#include <QString>

#include <stdexcept>

namespace shell {

// The program could not be started or did not end normally; message() is the text to report.
class RunProcessError : public std::runtime_error {
public:
    explicit RunProcessError(const QString& message)
        : std::runtime_error(message.toStdString())
        , text(message)
    {
    }
    QString message() const { return text; }

private:
    QString text;
};

// The exit code of the program started from commandLine, passed as given (platform::ProcessRunner::
// runCommandLine). The windows stay usable while it runs. Every exit code is returned as it is, 259 included.
// Throws RunProcessError when the program cannot be started ("Ne morem štartati procesa. " with two line breaks
// and the command line) or ends abnormally.
int RunProcessAndWait(const QString& commandLine);

} // namespace shell
