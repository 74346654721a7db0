// The fixed objects of every database, numbered once per process, and their views made on a connection when first
// used.
#include "engine/dict/fixed.h"

#include "engine/dict/view_builder.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

#include <map>
#include <memory>
#include <mutex>

namespace engine::dict {

namespace {

struct Registry {
    std::vector<FixedFamily> families;
    std::vector<NumberedFixedObject> numbered;
    std::map<std::pair<std::string, std::string>, size_t> byName;
};

const Registry& registry()
{
    static const Registry r = [] {
        Registry reg;
        reg.families.push_back(dictionaryFamily());
        reg.families.push_back(performanceFamily());
        int64_t next = 100;
        for (const FixedFamily& f : reg.families) {
            for (const FixedObject& o : f.objects) {
                reg.byName[{ o.owner, o.name }] = reg.numbered.size();
                reg.numbered.push_back({ next++, &o });
            }
        }
        return reg;
    }();
    return r;
}

} // namespace

const std::vector<NumberedFixedObject>& fixedObjects()
{
    return registry().numbered;
}

const NumberedFixedObject* findFixedObject(std::string_view owner, std::string_view name)
{
    const Registry& r = registry();
    auto it = r.byName.find({ std::string(owner), std::string(name) });
    return it == r.byName.end() ? nullptr : &r.numbered[it->second];
}

const NumberedFixedObject* findFixedObject(int64_t objectId)
{
    for (const NumberedFixedObject& o : registry().numbered) {
        if (o.objectId == objectId)
            return &o;
    }
    return nullptr;
}

// Every fixed object as a row source (OBJ#, NAME, TYPE#, ACCESS, SYN), for the views that list them.
const std::string& fixedObjectsSql()
{
    static const std::string sql = [] {
        std::string values;
        for (const NumberedFixedObject& o : registry().numbered)
            values += (values.empty() ? "VALUES (" : ", (") + std::to_string(o.objectId) + ", "
                + detail::lit(o.object->name) + ", " + std::to_string(o.object->objectType) + ", "
                + (o.object->access == FixedAccess::Dictionary ? "1" : "0") + ", "
                + (o.object->publicSynonym ? "1" : "0") + ")";
        if (values.empty())
            values
                = "SELECT NULL AS column1, NULL AS column2, NULL AS column3, NULL AS column4, NULL AS column5 WHERE 0";
        return "(SELECT column1 AS \"OBJ#\", column2 AS \"NAME\", column3 AS \"TYPE#\", column4 AS \"ACCESS\", "
               "column5 AS \"SYN\" FROM ("
            + values + "))";
    }();
    return sql;
}

std::string fixedObjectSource(const NumberedFixedObject& o)
{
    std::string source = o.object->source;
    const std::string token = detail::kFixedObjectsToken;
    for (size_t at = source.find(token); at != std::string::npos; at = source.find(token, at))
        source.replace(at, token.size(), fixedObjectsSql());
    return source;
}

std::string ensureFixedObject(SessionState& s, const NumberedFixedObject& o)
{
    std::string name = "FIX$" + std::to_string(o.objectId);
    storage::exec(s.conn, "CREATE TEMP VIEW IF NOT EXISTS \"" + name + "\" AS " + fixedObjectSource(o));
    return name;
}

bool maySeeDictionary(SessionState& s)
{
    return s.user == "SYS" || s.sysdba || priv::hasSystemPrivilege(s, "SELECT ANY DICTIONARY");
}

bool mayRead(SessionState& s, const NumberedFixedObject& o)
{
    return o.object->access == FixedAccess::Public || maySeeDictionary(s);
}

namespace {

std::mutex sessionsMutex;
std::map<sqlite3*, SessionState*>& sessions()
{
    static std::map<sqlite3*, SessionState*> m;
    return m;
}

struct SessionEntry {
    sqlite3* conn;
};

// Called by SQLite when the connection closes: the connection's entry goes with it.
void forgetSession(void* p)
{
    std::unique_ptr<SessionEntry> entry(static_cast<SessionEntry*>(p));
    std::lock_guard lock(sessionsMutex);
    sessions().erase(entry->conn);
}

void noop(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_null(ctx);
}

} // namespace

SessionState* sessionOf(sqlite3* conn)
{
    std::lock_guard lock(sessionsMutex);
    auto it = sessions().find(conn);
    return it == sessions().end() ? nullptr : it->second;
}

void setupFixedObjects(sqlite3* conn, SessionState& s)
{
    // Registered once per connection: a second registration would first destroy the entry it replaces.
    if (sessionOf(conn) != &s) {
        auto entry = std::make_unique<SessionEntry>(SessionEntry { conn });
        sqlite3_create_function_v2(
            conn, "ORA_DICT_SESSION", 0, SQLITE_UTF8, entry.release(), noop, nullptr, nullptr, forgetSession);
        std::lock_guard lock(sessionsMutex);
        sessions()[conn] = &s;
    }
    for (const FixedFamily& f : registry().families) {
        if (f.setup)
            f.setup(conn, s);
    }
}

} // namespace engine::dict
