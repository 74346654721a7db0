// Opening remote sessions for database links, and the local transaction's end carried to them.
#include "engine/link/remote_sessions.h"

#include "engine/link/links.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"

#include <QDir>
#include <QFileInfo>

#include <mutex>
#include <optional>
#include <utility>

namespace engine::link {

namespace {

// Guards every session's link state against Session::interrupt() from another thread: the state is made and its
// connections added or removed only while it is held. Recursive: interrupting a remote session goes on to the
// sessions it opened through links of its own.
std::recursive_mutex& linkStateMutex()
{
    static std::recursive_mutex m;
    return m;
}

std::string connectionKey(const LinkRow& link)
{
    return std::to_string(link.ownerId) + ":" + link.name;
}

std::string quotedName(const std::string& name)
{
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

} // namespace

Links& linksOf(SessionState& s)
{
    if (!s.links) {
        std::lock_guard lk(linkStateMutex());
        s.links = std::make_shared<Links>();
    }
    return *s.links;
}

std::string databaseDirectory(const std::string& localDir, const std::string& connectString)
{
    const QString wanted = QString::fromStdString(connectString).trimmed();
    if (wanted.isEmpty())
        return {};
    if (QDir::isAbsolutePath(wanted))
        return Database::exists(wanted.toStdString()) ? QDir::cleanPath(wanted).toStdString() : std::string();
    // Only a plain name reaches a sibling: no path separators, no climbing out of the data directory.
    if (wanted.contains('/') || wanted.contains('\\') || wanted == "." || wanted == "..")
        return {};
    const QFileInfo local(QDir::cleanPath(QString::fromStdString(localDir)));
    if (local.fileName().compare(wanted, Qt::CaseInsensitive) == 0)
        return localDir;
    const QDir parent = local.dir();
    const QStringList entries = parent.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        const std::string dir = parent.filePath(entry).toStdString();
        if (Database::exists(dir))
            return dir;
    }
    return {};
}

Error remoteError(const Error& e, const LinkRow& link, int offset)
{
    return Error(e.code(), e.message() + "\nORA-02063: preceding line from " + link.name, offset);
}

RemoteConnection& connection(SessionState& s, const LinkRow& link)
{
    Links& links = linksOf(s);
    const std::string key = connectionKey(link);
    auto it = links.connections.find(key);
    if (it != links.connections.end() && it->second->link.identity() == link.identity())
        return *it->second;
    // A link without USING names its database by its own name, as Oracle then takes the name as the service.
    const std::string target = link.host.empty() ? link.name.substr(0, link.name.find('.')) : link.host;
    const std::string dir = databaseDirectory(s.db->dir, target);
    if (dir.empty())
        throw oraError(12154, "TNS:could not resolve the connect identifier specified");
    std::shared_ptr<Database> database;
    try {
        database = Database::open(dir);
    } catch (const Error& e) {
        if (e.code() == 12154)
            throw oraError(12154, "TNS:could not resolve the connect identifier specified");
        throw;
    }
    auto remote = std::make_unique<RemoteConnection>();
    remote->link = link;
    try {
        remote->session = database->logOn(link.user, link.password);
    } catch (const Error& e) {
        throw remoteError(e, link);
    }
    remote->session->state().lockWaitLimit = kDistributedLockTimeout;
    RemoteConnection& made = *remote;
    std::unique_ptr<RemoteConnection> replaced;
    {
        std::lock_guard lk(linkStateMutex());
        replaced = std::exchange(links.connections[key], std::move(remote));
    }
    return made;
}

void closeConnection(SessionState& s, const LinkRow& link)
{
    if (!s.links)
        return;
    std::unique_ptr<RemoteConnection> closed;
    {
        std::lock_guard lk(linkStateMutex());
        auto it = s.links->connections.find(connectionKey(link));
        if (it != s.links->connections.end()) {
            closed = std::move(it->second);
            s.links->connections.erase(it);
        }
    }
    for (auto it = s.links->objectsByKey.begin(); it != s.links->objectsByKey.end();)
        if (it->second->link.ownerId == link.ownerId && it->second->link.name == link.name)
            it = s.links->objectsByKey.erase(it);
        else
            ++it;
}

void interruptRemote(SessionState& s)
{
    std::lock_guard lk(linkStateMutex());
    if (!s.links)
        return;
    for (auto& [key, c] : s.links->connections)
        c->session->interrupt();
}

void commitRemote(SessionState& s)
{
    if (!s.links)
        return;
    for (auto& [key, c] : s.links->connections) {
        c->savepoints.clear();
        try {
            c->session->commit();
        } catch (const Error& e) {
            throw remoteError(e, c->link);
        }
    }
}

void rollbackRemote(SessionState& s)
{
    if (!s.links)
        return;
    // Every remote session is rolled back even when one fails; the first failure is reported.
    std::optional<Error> failed;
    for (auto& [key, c] : s.links->connections) {
        c->savepoints.clear();
        try {
            c->session->rollback();
        } catch (const Error& e) {
            if (!failed)
                failed = remoteError(e, c->link);
        }
    }
    if (failed)
        throw *failed;
}

void savepointRemote(SessionState& s, const std::string& name)
{
    if (!s.links)
        return;
    for (auto& [key, c] : s.links->connections) {
        try {
            c->session->execute("SAVEPOINT " + quotedName(name));
        } catch (const Error& e) {
            throw remoteError(e, c->link);
        }
        c->savepoints.insert(name);
    }
}

void rollbackRemoteToSavepoint(SessionState& s, const std::string& name)
{
    if (!s.links)
        return;
    for (auto& [key, c] : s.links->connections) {
        try {
            if (c->savepoints.count(name))
                c->session->execute("ROLLBACK TO SAVEPOINT " + quotedName(name));
            else
                c->session->rollback();
        } catch (const Error& e) {
            throw remoteError(e, c->link);
        }
    }
}

} // namespace engine::link
