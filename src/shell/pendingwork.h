// Who holds uncommitted work on a session. The main session is one transaction for every window bound to it, so a
// window that is about to commit, roll back or run DDL there (DDL commits implicitly) first asks which other windows
// hold work it would end with its own. TfmMain::confirmMainSessionEnd puts the question to the user. Before the
// program ends, or the main session is disconnected, the main window asks once about all of it (TfmMain::
// settleOpenWork), the windows' own sessions included, and lets each window commit or roll back its work.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QObject;

namespace db {
class Session;
}

namespace shell {

// Describes a window's pending work on the session in one short line for the user ("WorkSheet_2: changes not yet
// committed"), or returns an empty text when the window holds none there.
using PendingWorkReporter = std::function<QString(const db::Session& session)>;
// Commits (commit true) or rolls back the window's pending work on the session, as its own Commit and Rollback
// buttons do; false when a commit failed (the window has said why and keeps its changes).
using PendingWorkEnder = std::function<bool(db::Session& session, bool commit)>;

struct PendingWork {
    PendingWorkReporter report;
    PendingWorkEnder end; // may be empty: the session's own commit or rollback then covers the window's work
    // The sessions the window holds apart from the main session (a worksheet's own); may be empty.
    std::function<std::vector<db::Session*>()> ownSessions;
};

// Registers (or replaces) a window's reporter; it is forgotten when the window is destroyed.
void registerPendingWork(QObject* window, PendingWorkReporter reporter);
void registerPendingWork(QObject* window, PendingWork work);
void unregisterPendingWork(QObject* window);

// The lines of every registered window but `asking` that holds pending work on the session.
QStringList pendingWorkOfOthers(const db::Session& session, const QObject* asking);

// The sessions of their own that the registered windows hold, each once.
std::vector<db::Session*> ownSessionsOfWindows();

// Asks every registered window with an ender to commit or roll back its pending work on the session; false when a
// window's commit failed (the others are still asked).
bool endPendingWork(db::Session& session, bool commit);

// What is left uncommitted before the main session ends (everywhere false: a disconnect or a new logon) or the
// program ends (everywhere true): each window's line for the main session, mainSessionLine for a transaction open
// there that no window speaks for, and with everywhere the windows' work on their own sessions. Empty when
// nothing would be lost.
QStringList workToSettle(db::Session* mainSession, bool everywhere, const QString& mainSessionLine);

// Commits or rolls back what workToSettle lists: each window ends its own work first, then the main session's
// transaction is ended. False when a commit failed; *error then holds the server's message when the main
// session's own commit failed (a window says its own).
bool settleWork(db::Session* mainSession, bool everywhere, bool commit, QString* error);

} // namespace shell
