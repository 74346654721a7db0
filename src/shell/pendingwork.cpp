#include "shell/pendingwork.h"

#include "db/oracleerror.h"
#include "db/session.h"

#include <QObject>
#include <QPointer>

#include <algorithm>

namespace shell {
namespace {

struct Entry {
    QPointer<QObject> window;
    PendingWork work;
};

// Registered from the GUI thread only, as windows are.
std::vector<Entry>& entries()
{
    static std::vector<Entry> list;
    return list;
}

void dropGone()
{
    std::erase_if(entries(), [](const Entry& e) { return e.window.isNull(); });
}

// A copy: a reporter or ender may not change the list, but a window destroyed on the way must not leave a hole.
std::vector<Entry> liveEntries()
{
    dropGone();
    return entries();
}

} // namespace

void registerPendingWork(QObject* window, PendingWorkReporter reporter)
{
    registerPendingWork(window, PendingWork { std::move(reporter), {}, {} });
}

void registerPendingWork(QObject* window, PendingWork work)
{
    dropGone();
    for (Entry& e : entries()) {
        if (e.window == window) {
            e.work = std::move(work);
            return;
        }
    }
    entries().push_back({ window, std::move(work) });
}

void unregisterPendingWork(QObject* window)
{
    std::erase_if(entries(), [window](const Entry& e) { return e.window.isNull() || e.window == window; });
}

QStringList pendingWorkOfOthers(const db::Session& session, const QObject* asking)
{
    QStringList lines;
    for (const Entry& e : liveEntries()) {
        if (e.window.isNull() || e.window == asking || !e.work.report)
            continue;
        const QString line = e.work.report(session);
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

std::vector<db::Session*> ownSessionsOfWindows()
{
    std::vector<db::Session*> sessions;
    for (const Entry& e : liveEntries()) {
        if (e.window.isNull() || !e.work.ownSessions)
            continue;
        for (db::Session* s : e.work.ownSessions()) {
            if (s && std::find(sessions.begin(), sessions.end(), s) == sessions.end())
                sessions.push_back(s);
        }
    }
    return sessions;
}

bool endPendingWork(db::Session& session, bool commit)
{
    bool ended = true;
    for (const Entry& e : liveEntries()) {
        if (e.window.isNull() || !e.work.end)
            continue;
        if (!e.work.end(session, commit))
            ended = false;
    }
    return ended;
}

namespace {

// The sessions a settling covers: the main session (when connected), and with everywhere the windows' own.
std::vector<db::Session*> sessionsToSettle(db::Session* mainSession, bool everywhere)
{
    std::vector<db::Session*> sessions;
    if (mainSession && mainSession->connected())
        sessions.push_back(mainSession);
    if (everywhere) {
        for (db::Session* s : ownSessionsOfWindows()) {
            if (s != mainSession && s->connected())
                sessions.push_back(s);
        }
    }
    return sessions;
}

} // namespace

QStringList workToSettle(db::Session* mainSession, bool everywhere, const QString& mainSessionLine)
{
    QStringList lines;
    for (db::Session* s : sessionsToSettle(mainSession, everywhere)) {
        const QStringList windows = pendingWorkOfOthers(*s, nullptr);
        lines << windows;
        if (s == mainSession && windows.isEmpty() && s->inTransaction())
            lines << mainSessionLine;
    }
    return lines;
}

bool settleWork(db::Session* mainSession, bool everywhere, bool commit, QString* error)
{
    bool settled = true;
    for (db::Session* s : sessionsToSettle(mainSession, everywhere)) {
        if (!endPendingWork(*s, commit))
            settled = false;
    }
    // Work the windows did not end themselves (a window without an ender, statements of the main window).
    if (settled && mainSession && mainSession->connected() && mainSession->inTransaction()) {
        try {
            if (commit)
                mainSession->commit();
            else
                mainSession->rollback();
        } catch (const db::OracleError& e) {
            // A rollback that fails leaves nothing to keep (the session is gone); a failed commit keeps the program
            // open with the work.
            if (commit) {
                if (error)
                    *error = e.message();
                settled = false;
            }
        }
    }
    return settled;
}

} // namespace shell
