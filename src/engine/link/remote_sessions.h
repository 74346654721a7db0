// The remote sessions one local session opened through its database links, kept until it logs off (as Oracle keeps
// a link's connection for the session), and the virtual tables that stand for remote tables on its connection.
#pragma once

#include "engine/engine.h"
#include "engine/link/link_catalog.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::link {

// Oracle's default distributed_lock_timeout: how long a statement sent through a link waits for a row lock.
inline constexpr int kDistributedLockTimeout = 60;

struct RemoteConnection {
    LinkRow link;
    std::unique_ptr<Session> session;
    // Local savepoints set while this connection was open: a ROLLBACK TO one of them goes to the same savepoint on
    // the remote side; to an older one, it undoes all the remote work.
    std::set<std::string> savepoints;
};

// A remote table or view as one of the session's virtual tables knows it.
struct RemoteObject {
    int64_t id = 0; // the virtual table is ORA_LINK$<id>
    LinkRow link;
    std::string fromText; // "OWNER"."NAME" or "NAME", as the remote session resolves it
    std::vector<ColumnDesc> columns;
};

struct Links {
    std::map<std::string, std::unique_ptr<RemoteConnection>> connections; // by "OWNER#:NAME"
    // Objects are never removed while the connection lives: a virtual table may still point at one.
    std::vector<std::unique_ptr<RemoteObject>> objects;
    std::map<std::string, RemoteObject*> objectsByKey; // link identity + remote name
    bool moduleRegistered = false;
    bool sequenceFunctionRegistered = false;
};

// The session's link state, made on first use.
Links& linksOf(SessionState& s);

// The open remote session for a link, logged on now when it is not yet (ORA-12154 when its database cannot be
// found, the remote logon's error followed by ORA-02063 when it refuses the user).
RemoteConnection& connection(SessionState& s, const LinkRow& link);
// Closes the session's connection through that link, if any (its work was committed by the DDL that drops it).
void closeConnection(SessionState& s, const LinkRow& link);

// A remote error as the local caller sees it: the remote message, then "ORA-02063: preceding line from LINK".
Error remoteError(const Error& e, const LinkRow& link, int offset = -1);

// The directory of the database a link's USING names, or empty when there is none: a database directory beside
// the local one (case-insensitive), the local database by its own name, or an absolute path.
std::string databaseDirectory(const std::string& localDir, const std::string& connectString);

} // namespace engine::link
