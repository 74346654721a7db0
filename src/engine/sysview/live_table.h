// Live rows for the dynamic performance views: an eponymous SQLite virtual table per source whose rows are taken
// from the engine's state each time a query starts reading it, so one query sees one consistent picture.
#pragma once

#include "engine/engine.h"

#include <sqlite3.h>

#include <functional>
#include <string>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::sysview {

using LiveRows = std::vector<std::vector<Value>>;

struct LiveTable {
    std::string name; // the SQLite name the views select from, e.g. "ORA$SESSIONS"
    std::vector<std::string> columns;
    std::function<LiveRows(SessionState&)> rows; // may throw Error
};

// Registers the table on a session's connection; the table must outlive the connection.
void registerLiveTable(sqlite3* conn, SessionState& s, const LiveTable& table);

} // namespace engine::sysview
