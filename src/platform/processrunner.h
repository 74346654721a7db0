// Starts an external program and waits for it while the GUI keeps painting; stands for process creation
// and exit-code polling.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

struct ProcessResult {
    bool started = false;   // false: the program could not be started; error says why
    bool crashed = false;   // the program ended abnormally (signal, exception)
    int exitCode = -1;      // valid when started and not crashed; any value, 259 included, is a real exit code
    QString error;
};

class ProcessRunner {
public:
    // Runs program with arguments in workingDir (empty: the current directory) and returns when it ends.
    // Events are processed meanwhile so windows repaint.
    static ProcessResult run(const QString& program, const QStringList& arguments, const QString& workingDir = {});
};

} // namespace platform
