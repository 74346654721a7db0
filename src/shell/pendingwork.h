// Who holds uncommitted work on a session. The main session is one transaction for every window bound to it, so a
// window that is about to commit, roll back or run DDL there (DDL commits implicitly) first asks which other windows
// hold work it would end with its own. TfmMain::confirmMainSessionEnd puts the question to the user.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QObject;

namespace db {
class Session;
}

namespace shell {

// Describes a window's pending work on the session in one short line for the user ("WorkSheet_2: changes not yet
// committed"), or returns an empty text when the window holds none there.
using PendingWorkReporter = std::function<QString(const db::Session& session)>;

// Registers (or replaces) a window's reporter; it is forgotten when the window is destroyed.
void registerPendingWork(QObject* window, PendingWorkReporter reporter);
void unregisterPendingWork(QObject* window);

// The lines of every registered window but `asking` that holds pending work on the session.
QStringList pendingWorkOfOthers(const db::Session& session, const QObject* asking);

} // namespace shell
