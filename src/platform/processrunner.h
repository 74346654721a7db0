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
    // Every event is processed meanwhile, the user's input included: windows repaint and react.
    static ProcessResult run(const QString& program, const QStringList& arguments, const QString& workingDir = {});
    // Runs a command line as given. On Windows it reaches the program as it stands; elsewhere it is split into the
    // program and its arguments exactly as a Windows program's start-up splits its command line, so a loader gets
    // the same arguments on both (splitCommandLine).
    static ProcessResult runCommandLine(const QString& commandLine, const QString& workingDir = {});
};

// The program and the arguments of a Windows command line: the program is the first word, or the text between
// the quotes it begins with (backslashes are plain there); in the arguments, blanks and tabs separate outside
// quotes, quotes group and are dropped, 2n backslashes before a quote give n backslashes and the quote groups,
// 2n + 1 give n backslashes and a literal quote, and backslashes before anything else stay as they are.
QStringList splitCommandLine(const QString& commandLine);

} // namespace platform
