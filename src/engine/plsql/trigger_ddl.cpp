// DDL of database triggers: the OBJ$, SOURCE$, ERROR$ and DEPENDENCY$ rows through the unit store, TRIGGER$ here.
#include "engine/plsql/trigger_ddl.h"

#include "engine/catalog/catalog.h"
#include "engine/plsql/trigger_unit.h"
#include "engine/plsql/unit_store.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/sql/lexer.h"
#include "engine/storage/sqlite.h"

#include <algorithm>

namespace engine::plsql {

namespace {

constexpr const char* kCompileWarning = "success with compilation error";

// The statement's text from its TRIGGER word on, without the "/" line a script may end it with: the source as
// Oracle keeps it.
std::string triggerSource(std::string_view sql, int from)
{
    sql::LexResult lx = sql::tokenize(sql.substr(static_cast<size_t>(from)));
    int begin = 0;
    for (const sql::Token& t : lx.tokens)
        if (t.isWord("TRIGGER")) {
            begin = t.offset;
            break;
        }
    std::string text(sql.substr(static_cast<size_t>(from + begin)));
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    if (!text.empty() && text.back() == '/') {
        size_t nl = text.rfind('\n');
        if (nl != std::string::npos && text.find_first_not_of(" \t\r", nl + 1) == text.size() - 1) {
            text.erase(nl);
            while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
                text.pop_back();
        }
    }
    return text + "\n";
}

struct NamedTrigger {
    int64_t id = 0;
    std::string owner;
};

NamedTrigger existingTrigger(SessionState& s, const sql::ObjectName& name)
{
    const std::string owner = name.schema ? name.schema->name : s.schema;
    catalog::Catalog cat(s.conn);
    auto u = cat.user(owner);
    std::optional<StoredUnit> t;
    if (u)
        t = findUnit(s, u->id, name.name.name, catalog::kTypeTrigger);
    if (!t)
        throw oraError(4080, "trigger '" + name.name.name + "' does not exist", name.name.offset);
    return { t->id, t->owner };
}

void writeTriggerRow(SessionState& s, const TriggerUnit& t, bool enabled)
{
    storage::Stmt q(s.conn, R"(INSERT OR REPLACE INTO "TRIGGER$" ("OBJ#", "BASEOBJECT", "TYPE#", "UPDATE$", "INSERT$",
        "DELETE$", "ENABLED", "WHENCLAUSE", "ACTION#", "REFNEWNAME", "REFOLDNAME", "DEFINITION")
        VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12))");
    const Unit& h = *t.header;
    q.bind(1, t.id).bind(2, t.tableId).bind(3, t.type()).bind(4, h.onUpdate ? 1 : 0).bind(5, h.onInsert ? 1 : 0);
    q.bind(6, h.onDelete ? 1 : 0).bind(7, enabled ? 1 : 0);
    if (t.whenText.empty())
        q.bindNull(8);
    else
        q.bind(8, t.whenText);
    q.bind(9, t.blockText + "\n");
    q.bind(10, h.referencingNew).bind(11, h.referencingOld).bind(12, h.descriptionText + "\n");
    q.run();
}

// Compiles the trigger and records the outcome: errors, dependencies, status. Returns whether it compiled.
bool compileAndRecord(SessionState& s, TriggerUnit& t)
{
    {
        ActingAs as(s, t.ownerId, t.owner);
        compileTriggerUnit(s, t);
    }
    storeErrors(s, t.id, t.errors);
    std::vector<int64_t> uses { t.tableId };
    if (t.body)
        uses.insert(uses.end(), t.body->dependsOn.begin(), t.body->dependsOn.end());
    storeDependencies(s, t.id, uses);
    setCompiled(s, t.id, t.errors.empty());
    return t.errors.empty();
}

} // namespace

void createTrigger(SessionState& s, const sql::PlSqlStmt& stmt, std::string_view sql, std::string& warning)
{
    auto t = std::make_unique<TriggerUnit>(readTrigger(triggerSource(sql, std::max(0, stmt.offset))));
    const Unit& h = *t->header;
    catalog::Catalog cat(s.conn);
    const std::string owner = stmt.name && stmt.name->schema ? stmt.name->schema->name : s.schema;
    auto ownerRow = cat.user(owner);
    if (!ownerRow || ownerRow->type != 1)
        throw oraError(1918, "user '" + owner + "' does not exist");

    catalog::Lookup lookup(s.conn, &s);
    auto table = lookup.resolveObject(h.tableOwner, h.tableName, s.schema, h.tableOwner.empty());
    if (!table || (table->type != catalog::kTypeTable && table->type != catalog::kTypeView))
        throw oraError(942, "table or view does not exist");
    if (h.insteadOf && table->type != catalog::kTypeView)
        throw oraError(25002, "cannot create INSTEAD OF triggers on tables");
    if (h.insteadOf)
        throw oraError(3001, "unimplemented feature: INSTEAD OF triggers");
    if (table->type == catalog::kTypeView)
        throw oraError(25001, "cannot create this trigger type on views");
    if (table->ownerId == catalog::kSysUser)
        throw oraError(4089, "cannot create triggers on objects owned by SYS");
    if (table->ownerId != ownerRow->id && table->ownerId != s.userId
        && !priv::hasSystemPrivilege(s, "CREATE ANY TRIGGER"))
        throw oraError(942, "table or view does not exist");
    auto cols = cat.columns(table->id);
    for (const std::string& c : h.updateColumns)
        if (std::none_of(cols.begin(), cols.end(), [&](const catalog::ColumnRow& r) { return r.name == c; }))
            throw oraError(904, "\"" + c + "\": invalid identifier");

    if (!stmt.orReplace && findUnit(s, ownerRow->id, h.name, catalog::kTypeTrigger))
        throw oraError(4081, "trigger '" + h.name + "' already exists");
    // The checks a compile makes on the header (WHEN on a statement trigger, :NEW in one) fail the statement
    // before anything is stored.
    t->ownerId = ownerRow->id;
    t->owner = ownerRow->name;
    t->tableId = table->id;
    {
        ActingAs as(s, t->ownerId, t->owner);
        compileTriggerUnit(s, *t);
    }
    StoredUnit u = defineUnit(s, ownerRow->id, h.name, catalog::kTypeTrigger, stmt.orReplace, stmt.offset);
    t->id = u.id;
    storeSource(s, t->id, t->source);
    writeTriggerRow(s, *t, !h.disabled);
    if (!compileAndRecord(s, *t))
        warning = kCompileWarning;
}

void alterTrigger(SessionState& s, const sql::AlterCodeStmt& stmt, std::string& warning)
{
    NamedTrigger named = existingTrigger(s, stmt.name);
    catalog::Catalog cat(s.conn);
    auto o = cat.objectById(named.id);
    if (o && o->ownerId != s.userId && !s.sysdba && s.userId != catalog::kSysUser
        && !priv::hasSystemPrivilege(s, "ALTER ANY TRIGGER"))
        throw oraError(1031, "insufficient privileges", stmt.name.offset);
    if (stmt.action != sql::AlterCodeStmt::Action::Compile) {
        storage::Stmt q(s.conn, R"(UPDATE "TRIGGER$" SET "ENABLED" = ?2 WHERE "OBJ#" = ?1)");
        q.bind(1, named.id).bind(2, stmt.action == sql::AlterCodeStmt::Action::Enable ? 1 : 0).run();
        cat.touchObject(named.id);
        return;
    }
    std::unique_ptr<TriggerUnit> t;
    {
        std::string source = loadSource(s, named.id);
        t = std::make_unique<TriggerUnit>(readTrigger(source));
    }
    storage::Stmt q(s.conn, R"(SELECT "BASEOBJECT" FROM "TRIGGER$" WHERE "OBJ#" = ?1)");
    q.bind(1, named.id);
    if (q.step())
        t->tableId = q.int64(0);
    t->id = named.id;
    t->ownerId = o ? o->ownerId : 0;
    t->owner = named.owner;
    bool ok = false;
    try {
        ok = compileAndRecord(s, *t);
    } catch (const Error& e) {
        // A header that no longer fits its table (a column of UPDATE OF gone) leaves the trigger invalid.
        storeErrors(s, t->id,
            { CompileError { 1, 1,
                "ORA-" + std::string(e.code() < 10000 ? "0" : "") + std::to_string(e.code()) + ": " + e.message(),
                0 } });
        setCompiled(s, t->id, false);
    }
    if (!ok)
        warning = kCompileWarning;
}

void dropTrigger(SessionState& s, const sql::DropObjectStmt& stmt)
{
    NamedTrigger named = existingTrigger(s, stmt.name);
    removeUnit(s, named.id);
}

void setTableTriggers(SessionState& s, int64_t tableId, bool enabled)
{
    storage::Stmt q(s.conn, R"(UPDATE "TRIGGER$" SET "ENABLED" = ?2 WHERE "BASEOBJECT" = ?1)");
    q.bind(1, tableId).bind(2, enabled ? 1 : 0).run();
}

void dropTableTriggers(SessionState& s, int64_t tableId)
{
    std::vector<int64_t> ids;
    {
        storage::Stmt q(s.conn, R"(SELECT "OBJ#" FROM "TRIGGER$" WHERE "BASEOBJECT" = ?1)");
        q.bind(1, tableId);
        while (q.step())
            ids.push_back(q.int64(0));
    }
    for (int64_t id : ids)
        removeUnit(s, id);
}

} // namespace engine::plsql
