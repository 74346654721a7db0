#include "shell/pendingwork.h"

#include <QObject>
#include <QPointer>

#include <vector>

namespace shell {
namespace {

struct Entry {
    QPointer<QObject> window;
    PendingWorkReporter reporter;
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

} // namespace

void registerPendingWork(QObject* window, PendingWorkReporter reporter)
{
    dropGone();
    for (Entry& e : entries()) {
        if (e.window == window) {
            e.reporter = std::move(reporter);
            return;
        }
    }
    entries().push_back({ window, std::move(reporter) });
}

void unregisterPendingWork(QObject* window)
{
    std::erase_if(entries(), [window](const Entry& e) { return e.window.isNull() || e.window == window; });
}

QStringList pendingWorkOfOthers(const db::Session& session, const QObject* asking)
{
    dropGone();
    QStringList lines;
    // A copy: a reporter may not change the list, but a window destroyed on the way must not leave a hole.
    const std::vector<Entry> list = entries();
    for (const Entry& e : list) {
        if (e.window.isNull() || e.window == asking || !e.reporter)
            continue;
        const QString line = e.reporter(session);
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

} // namespace shell
