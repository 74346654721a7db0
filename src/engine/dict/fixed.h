// Objects every database has without rows of their own in OBJ$: SYS's catalog tables (OBJ$, USER$, ...), the data
// dictionary views (ALL_TABLES, USER_OBJECTS, DBA_USERS, ...), the dynamic performance views (V$SESSION,
// V$PARAMETER, ...) and DUAL. Each is made on a session's connection as an SQLite view in its TEMP schema (or a
// virtual table the family registers), which the binder reads like a table. Rows are never changed through them.
#pragma once

#include "engine/types/oratype.h"

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::dict {

struct FixedColumn {
    std::string name;
    types::ExprType type;
};

// Who may read a fixed object, besides SYS and a SYSDBA logon.
enum class FixedAccess {
    Public, // granted SELECT to PUBLIC, as Oracle grants the ALL_ and USER_ views, V$VERSION and DUAL
    Dictionary, // SELECT ANY DICTIONARY (DBA has it): the catalog tables, DBA_ views, V$ views
};

struct FixedObject {
    std::string owner = "SYS";
    std::string name; // e.g. "ALL_TABLES", "OBJ$", "V$SESSION"
    int objectType = 4; // OBJ$.TYPE#: 2 for the catalog tables, 4 for views
    std::vector<FixedColumn> columns; // Oracle's columns in Oracle's order
    // An SQLite SELECT giving exactly these columns in this order. It reads the catalog tables by their SQLite
    // names ("OBJ$"), the session's functions (ORA_PRIV_...) and whatever the family's setup registered.
    std::string source;
    bool publicSynonym = true; // reachable without the SYS. prefix, as through Oracle's PUBLIC synonyms
    FixedAccess access = FixedAccess::Public;
};

struct FixedFamily {
    std::vector<FixedObject> objects;
    // Called once on every new session connection before any of the family's objects is made there: registers
    // the SQLite functions or virtual-table modules the sources use. May be empty.
    std::function<void(sqlite3*, SessionState&)> setup;
};

// The families: the catalog tables and dictionary views (dict/), the dynamic performance views (sysview/).
FixedFamily dictionaryFamily();
FixedFamily performanceFamily();

// Every fixed object, numbered: object numbers below 1000 (user objects start at 1000).
struct NumberedFixedObject {
    int64_t objectId = 0;
    const FixedObject* object = nullptr;
};
const NumberedFixedObject* findFixedObject(std::string_view owner, std::string_view name);
const NumberedFixedObject* findFixedObject(int64_t objectId);
const std::vector<NumberedFixedObject>& fixedObjects();

// The SELECT that makes the fixed object's view, ready for SQLite.
std::string fixedObjectSource(const NumberedFixedObject& o);

// The SQLite name of a fixed object's view on a session connection, made there on first use.
std::string ensureFixedObject(SessionState& s, const NumberedFixedObject& o);

// Whether the session may read the dictionary: SYS, a SYSDBA logon or SELECT ANY DICTIONARY.
bool maySeeDictionary(SessionState& s);
// Whether the session may read the fixed object at all (else it does not exist for it: ORA-00942).
bool mayRead(SessionState& s, const NumberedFixedObject& o);

// Runs every family's setup on a new session connection.
void setupFixedObjects(sqlite3* conn, SessionState& s);

// The session a connection was set up for (nullptr for any other connection): what lets the catalog's lookups on
// a session's connection reach the fixed objects without being handed the session.
SessionState* sessionOf(sqlite3* conn);

} // namespace engine::dict
