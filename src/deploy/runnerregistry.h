// The window part of the commands of unattended runs. The command runner (deploy/commandrun.h) decides what a
// command means and what its outcome does to the run; the module that owns the tool window registers how the window
// is made, given its unattended fields and shown. A command whose window is not registered is reported as not
// available and counts as a failure of the run.
//
// The registry lives in this header alone (inline functions share one table across the program), so a module that
// does not link the deployment module (admin) can still register its windows' commands.
#pragma once

#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>

class TfmMain;

namespace deploy {

// What the runner hands a window command: the command line's parameters after the runner's normalisation, and the
// result file names it computed.
//
// - SCRIPT: p1 script name, p2 directory (the script directory of the settings, or the working directory, when the
//   line gives none). The runner has cleared main.pExecuteScriptNapaka; the window sets it when the run failed.
// - GRANT: p1 owner, p2 grantee ("ZDR" already made the installation's role in the several-installations mode).
// - COMPARE: p1 source dump, p2 current dump; resultName the difference file's name (tag DF, with "!.txt"). The
//   organisation header is in main.meVhod.
// - CHECK_TABLES: p1 user and p2 table filter (empty for none: "NULL" is made empty), p3 "CASCADE" or empty.
// - SISTEM: resultName the report's name (tag SI), secondResultName the backup report's name (tag SH).
// - IZVEDISQL: p1 statement file; resultName the results' file (tag QU, with ".txt").
// - REFRESH: p1 refresh parameter file.
// - VERSION: p1 version file with ".VER", p2 user, p3 object types ("ALL" when empty). The runner has set
//   main.VersionOK to false; the window sets it to true after a successful check, and the runner then renames the
//   file to ".COP".
// - ERRORS: p1 the owner whose invalid objects are recompiled (never empty; VOXA and BILDOR already mapped to the
//   installation's users in the several-installations mode).
// - SHOWLOG: p1 log kind.
struct RunnerCommand {
    QString word;
    QString p1;
    QString p2;
    QString p3;
    QString resultName;
    QString secondResultName;
    int line = 0; // the line of the command list, from 1
    bool severalInstallations = false; // run for one installation of several; the window closes in any case
};

struct RunnerCommandContext {
    TfmMain& main;
    RunnerCommand command;
};

// A window command's outcome: ok when the window did its work; otherwise message says why (the window may have said
// more on standard error itself).
struct RunnerCommandResult {
    bool ok = false;
    QString message;
};

using RunnerCommandHandler = std::function<RunnerCommandResult(const RunnerCommandContext& context)>;

inline std::map<QString, RunnerCommandHandler>& runnerCommandHandlers()
{
    static std::map<QString, RunnerCommandHandler> handlers;
    return handlers;
}

// Registers (or replaces) the window part of a command word (upper case: "SISTEM"). Call it before the run starts,
// as the windows' openers are registered.
inline void registerRunnerCommand(const QString& word, RunnerCommandHandler handler)
{
    runnerCommandHandlers()[word.toUpper()] = std::move(handler);
}

inline void unregisterRunnerCommand(const QString& word)
{
    runnerCommandHandlers().erase(word.toUpper());
}

// The registered window part of a command word; nullptr while none is registered.
inline const RunnerCommandHandler* runnerCommandHandler(const QString& word)
{
    const auto& handlers = runnerCommandHandlers();
    const auto found = handlers.find(word.toUpper());
    return found == handlers.end() ? nullptr : &found->second;
}

namespace detail {

// Ends a modal wait when the window hides (closing hides it; a close the window refuses does not count).
class ModalEnd : public QObject {
public:
    ModalEnd(QWidget* window, QEventLoop* loop)
        : QObject(window)
        , loop(loop)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && loop)
            loop->quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QEventLoop> loop;
};

} // namespace detail

// Shows a window of an unattended command modally and returns when it has closed (or hidden itself, or gone). The
// window does its work from its activation or start timer, as the runner's windows are built to.
inline void runModal(QWidget* window)
{
    QPointer<QWidget> guard(window);
    QEventLoop loop;
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    new detail::ModalEnd(window, &loop);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    window->activateWindow();
    if (guard && guard->isVisible())
        loop.exec();
}

} // namespace deploy
