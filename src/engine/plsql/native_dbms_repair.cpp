// DBMS_REPAIR, for SYS only as on Oracle: the repair and orphan-key tables (ADMIN_TABLES), the search for damaged
// blocks of a table or index (CHECK_OBJECT, through the page walk and structure check of storage/corruption.h), and
// the marking of those blocks as corrupt (FIX_CORRUPT_BLOCKS). The database file keeps no free lists per object, so
// REBUILD_FREELISTS has nothing to rebuild; skipping corrupt blocks during scans (SKIP_CORRUPT_BLOCKS with SKIP_FLAG)
// and DUMP_ORPHAN_KEYS are refused with ORA-03001: a scan cannot step over a damaged page of SQLite's b-tree.
#include "engine/catalog/catalog.h"
#include "engine/catalog/schema.h"
#include "engine/exec/binds.h"
#include "engine/exec/executor.h"
#include "engine/plsql/native_state.h"
#include "engine/session/session_state.h"
#include "engine/storage/corruption.h"
#include "engine/storage/sqlite.h"

#include <algorithm>
#include <cctype>
#include <memory>

namespace engine::plsql {

namespace {

using namespace native;

// The package's constants, with Oracle's values.
constexpr int64_t kTableObject = 1;
constexpr int64_t kIndexObject = 2;
constexpr int64_t kClusterObject = 4;
constexpr int64_t kSkipFlag = 1;
constexpr int64_t kNoSkipFlag = 2;
constexpr int64_t kRepairTable = 1;
constexpr int64_t kOrphanTable = 2;
constexpr int64_t kCreateAction = 1;
constexpr int64_t kPurgeAction = 2;
constexpr int64_t kDropAction = 3;

// The tablespace and the corruption type a repair-table row reports for a damaged data block.
constexpr int64_t kTablespaceId = 4;
constexpr int64_t kCorruptType = 6148;

std::string upper(std::string t)
{
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return std::toupper(c); });
    return t;
}

std::string quoted(const std::string& name)
{
    return storage::quoteIdent(name);
}

[[noreturn]] void invalidParameter(const char* parameter, const char* procedure)
{
    fail(24120, std::string("invalid ") + parameter + " parameter passed to DBMS_REPAIR." + procedure + " procedure");
}

void runSql(NativeCall& c, const std::string& text, std::vector<Bind> binds = {})
{
    exec::executeNested(c.session, text, binds);
}

Bind bindOf(const char* name, Value v, OraType type)
{
    Bind b;
    b.name = name;
    b.type = type;
    b.value = std::move(v);
    return b;
}

// The columns of the two tables, as Oracle's ADMIN_TABLES makes them.
const char* const kRepairColumns = "OBJECT_ID NUMBER NOT NULL, TABLESPACE_ID NUMBER NOT NULL, "
                                   "RELATIVE_FILE_ID NUMBER NOT NULL, BLOCK_ID NUMBER NOT NULL, "
                                   "CORRUPT_TYPE NUMBER NOT NULL, SCHEMA_NAME VARCHAR2(128) NOT NULL, "
                                   "OBJECT_NAME VARCHAR2(128) NOT NULL, BASEOBJECT_NAME VARCHAR2(128), "
                                   "PARTITION_NAME VARCHAR2(128), CORRUPT_DESCRIPTION VARCHAR2(2000), "
                                   "REPAIR_DESCRIPTION VARCHAR2(200), MARKED_CORRUPT VARCHAR2(10) NOT NULL, "
                                   "CHECK_TIMESTAMP DATE NOT NULL, FIX_TIMESTAMP DATE, REFORMAT_TIMESTAMP DATE";
const char* const kOrphanColumns = "SCHEMA_NAME VARCHAR2(128) NOT NULL, INDEX_NAME VARCHAR2(128) NOT NULL, "
                                   "IPART_NAME VARCHAR2(128), INDEX_ID NUMBER NOT NULL, "
                                   "TABLE_NAME VARCHAR2(128) NOT NULL, PART_NAME VARCHAR2(128), "
                                   "TABLE_ID NUMBER NOT NULL, KEYROWID ROWID NOT NULL, KEY ROWID NOT NULL, "
                                   "DUMP_TIMESTAMP DATE NOT NULL";
constexpr const char* kRepairNeeds[]
    = { "OBJECT_ID", "BLOCK_ID", "SCHEMA_NAME", "OBJECT_NAME", "MARKED_CORRUPT", "CHECK_TIMESTAMP", "FIX_TIMESTAMP" };

std::optional<catalog::ObjectRow> sysTable(SessionState& s, const std::string& name)
{
    std::lock_guard conn(s.connMutex);
    catalog::Catalog cat(s.conn);
    auto o = cat.object(catalog::kSysUser, name, catalog::namespaceOf(catalog::kTypeTable));
    if (!o || o->type != catalog::kTypeTable)
        return std::nullopt;
    return o;
}

// The repair table a call names: SYS's, with the columns the call writes (ORA-24130, ORA-24131).
std::string repairTable(NativeCall& c, size_t i)
{
    const std::string name = upper(isNull(c, i) ? std::string("REPAIR_TABLE") : text(c, i));
    auto o = sysTable(c.session, name);
    if (!o)
        fail(24130, "table " + name + " does not exist");
    std::lock_guard conn(c.session.connMutex);
    catalog::Catalog cat(c.session.conn);
    std::vector<catalog::ColumnRow> cols = cat.columns(o->id);
    for (const char* need : kRepairNeeds)
        if (std::none_of(cols.begin(), cols.end(), [&](const catalog::ColumnRow& col) { return col.name == need; }))
            fail(24131, "table " + name + " has incorrect columns");
    return "SYS." + quoted(name);
}

std::optional<Value> adminTables(NativeCall& c)
{
    const std::optional<int64_t> type = integer(c, 1);
    const std::optional<int64_t> action = integer(c, 2);
    if (!type || (*type != kRepairTable && *type != kOrphanTable))
        invalidParameter("TABLE_TYPE", "ADMIN_TABLES");
    if (!action || (*action != kCreateAction && *action != kPurgeAction && *action != kDropAction))
        fail(24124, "invalid ACTION parameter passed to DBMS_REPAIR.ADMIN_TABLES procedure");
    const bool repair = *type == kRepairTable;
    const std::string prefix = repair ? "REPAIR_" : "ORPHAN_";
    const std::string name
        = upper(isNull(c, 0) ? std::string(repair ? "REPAIR_TABLE" : "ORPHAN_KEY_TABLE") : text(c, 0));
    if (name.compare(0, prefix.size(), prefix) != 0)
        fail(24129, "table name " + name + " does not start with " + prefix + " prefix");
    if (name.size() > 30)
        fail(24132, "table name " + name + " is too long");
    if (!isNull(c, 3) && *action != kCreateAction)
        fail(24127, "TABLESPACE parameter specified with an ACTION other than CREATE_ACTION");
    const std::string table = "SYS." + quoted(name);
    const std::string view = "SYS." + quoted("DBA_" + name);
    const bool exists = sysTable(c.session, name).has_value();
    switch (*action) {
    case kCreateAction:
        if (exists)
            fail(955, "name is already used by an existing object");
        runSql(c, "CREATE TABLE " + table + " (" + (repair ? kRepairColumns : kOrphanColumns) + ")");
        // The view leaves out the rows of objects that no longer exist.
        runSql(c,
            "CREATE OR REPLACE VIEW " + view + " AS SELECT * FROM " + table + " WHERE "
                + (repair ? "OBJECT_ID" : "TABLE_ID") + " IN (SELECT OBJECT_ID FROM SYS.DBA_OBJECTS)");
        break;
    case kPurgeAction:
        if (!exists)
            fail(942, "table or view does not exist");
        runSql(c,
            "DELETE FROM " + table + " WHERE " + (repair ? "OBJECT_ID" : "TABLE_ID")
                + " NOT IN (SELECT OBJECT_ID FROM SYS.DBA_OBJECTS)");
        break;
    default:
        if (!exists)
            fail(942, "table or view does not exist");
        runSql(c, "DROP TABLE " + table);
        try {
            runSql(c, "DROP VIEW " + view);
        } catch (const Error& e) {
            if (e.code() != 942)
                throw;
        }
        break;
    }
    return std::nullopt;
}

// The object a call names: its catalog row and its physical b-tree, with the physical table its checks run on.
struct RepairObject {
    catalog::ObjectRow object;
    std::string tree;
    std::string table;
};

RepairObject repairObject(NativeCall& c, const char* procedure, size_t typeArg, std::optional<size_t> partitionArg)
{
    if (isNull(c, 0))
        invalidParameter("SCHEMA_NAME", procedure);
    if (isNull(c, 1))
        invalidParameter("OBJECT_NAME", procedure);
    const std::optional<int64_t> type = integer(c, typeArg);
    if (!type || (*type != kTableObject && *type != kIndexObject && *type != kClusterObject))
        invalidParameter("OBJECT_TYPE", procedure);
    const std::string owner = upper(text(c, 0));
    const std::string name = upper(text(c, 1));
    SessionState& s = c.session;
    std::lock_guard conn(s.connMutex);
    catalog::Catalog cat(s.conn);
    auto user = cat.user(owner);
    if (*type == kClusterObject)
        fail(943, "cluster does not exist");
    const int wanted = *type == kTableObject ? catalog::kTypeTable : catalog::kTypeIndex;
    std::optional<catalog::ObjectRow> o;
    if (user)
        o = cat.object(user->id, name, catalog::namespaceOf(wanted));
    if (!o || o->type != wanted) {
        if (wanted == catalog::kTypeIndex)
            fail(1418, "specified index does not exist");
        fail(942, "table or view does not exist");
    }
    if (partitionArg && !isNull(c, *partitionArg))
        fail(24128, "partition name specified for a non-partitioned object");
    RepairObject r;
    r.object = *o;
    if (wanted == catalog::kTypeTable) {
        r.tree = catalog::physicalTableName(o->id);
        r.table = r.tree;
    } else {
        r.tree = catalog::physicalIndexName(o->id);
        auto tableId = cat.tableOfIndex(o->id);
        r.table = tableId ? catalog::physicalTableName(*tableId) : std::string();
    }
    return r;
}

std::optional<Value> checkObject(NativeCall& c)
{
    RepairObject o = repairObject(c, "CHECK_OBJECT", 3, 2);
    const std::string table = repairTable(c, 4);
    const std::optional<int64_t> from = integer(c, 7);
    const std::optional<int64_t> to = integer(c, 8);
    if ((from && *from < 0) || (to && *to < 0) || (from && to && *from > *to))
        fail(24122, "invalid block range specification");
    std::vector<storage::DamagedPage> damaged;
    {
        std::unique_ptr<storage::CheckConnection> check;
        {
            std::lock_guard conn(c.session.connMutex);
            check = std::make_unique<storage::CheckConnection>(c.session.conn);
        }
        if (check->get())
            damaged = storage::damagedPages(check->get(), o.tree, o.table);
    }
    const std::string now = exec::currentStatementTime();
    int64_t count = 0;
    for (const storage::DamagedPage& d : damaged) {
        if ((from && d.page < *from) || (to && d.page > *to))
            continue;
        ++count;
        // A block already listed keeps its row (and whether it was marked); it is only checked again.
        std::vector<Bind> key { bindOf("OBJ", Value::fromInt(o.object.id), OraType::Number),
            bindOf("BLK", Value::fromInt(d.page), OraType::Number),
            bindOf("NOW", Value::fromDate(now), OraType::Date) };
        ExecResult r = exec::executeNested(c.session,
            "UPDATE " + table + " SET CHECK_TIMESTAMP = :NOW WHERE OBJECT_ID = :OBJ AND BLOCK_ID = :BLK", key);
        if (r.rowsProcessed > 0)
            continue;
        std::vector<Bind> row { bindOf("OBJ", Value::fromInt(o.object.id), OraType::Number),
            bindOf("TS", Value::fromInt(kTablespaceId), OraType::Number),
            bindOf("FNO", Value::fromInt(storage::kDataFileNumber), OraType::Number),
            bindOf("BLK", Value::fromInt(d.page), OraType::Number),
            bindOf("TYP", Value::fromInt(kCorruptType), OraType::Number),
            bindOf("OWN", Value::fromText(o.object.owner), OraType::Varchar2),
            bindOf("NAM", Value::fromText(o.object.name), OraType::Varchar2),
            bindOf("DSC", Value::fromText(d.description.substr(0, 2000)), OraType::Varchar2),
            bindOf("NOW", Value::fromDate(now), OraType::Date) };
        exec::executeNested(c.session,
            "INSERT INTO " + table
                + " (OBJECT_ID, TABLESPACE_ID, RELATIVE_FILE_ID, BLOCK_ID, CORRUPT_TYPE, SCHEMA_NAME, OBJECT_NAME, "
                  "CORRUPT_DESCRIPTION, REPAIR_DESCRIPTION, MARKED_CORRUPT, CHECK_TIMESTAMP) VALUES (:OBJ, :TS, :FNO, "
                  ":BLK, :TYP, :OWN, :NAM, :DSC, 'mark block software corrupt', 'FALSE', :NOW)",
            row);
    }
    setOut(c, 9, Value::fromInt(count));
    return std::nullopt;
}

std::optional<Value> fixCorruptBlocks(NativeCall& c)
{
    RepairObject o = repairObject(c, "FIX_CORRUPT_BLOCKS", 3, 2);
    const std::string table = repairTable(c, 4);
    std::vector<Bind> binds { bindOf("OBJ", Value::fromInt(o.object.id), OraType::Number),
        bindOf("NOW", Value::fromDate(exec::currentStatementTime()), OraType::Date) };
    ExecResult r = exec::executeNested(c.session,
        "UPDATE " + table
            + " SET MARKED_CORRUPT = 'TRUE', FIX_TIMESTAMP = :NOW WHERE OBJECT_ID = :OBJ AND MARKED_CORRUPT = 'FALSE'",
        binds);
    setOut(c, 6, Value::fromInt(r.rowsProcessed));
    return std::nullopt;
}

std::optional<Value> skipCorruptBlocks(NativeCall& c)
{
    const std::optional<int64_t> flags = integer(c, 3);
    if (!flags || (*flags != kSkipFlag && *flags != kNoSkipFlag))
        invalidParameter("FLAGS", "SKIP_CORRUPT_BLOCKS");
    repairObject(c, "SKIP_CORRUPT_BLOCKS", 2, std::nullopt);
    if (*flags == kSkipFlag)
        fail(3001,
            "unimplemented feature: DBMS_REPAIR.SKIP_CORRUPT_BLOCKS with SKIP_FLAG (a scan cannot step over "
            "a damaged page)");
    return std::nullopt; // NOSKIP_FLAG: scans report ORA-01578 at a damaged block, as they always do here
}

std::optional<Value> rebuildFreelists(NativeCall& c)
{
    RepairObject o = repairObject(c, "REBUILD_FREELISTS", 3, 2);
    if (o.object.type != catalog::kTypeTable && o.object.type != catalog::kTypeIndex)
        invalidParameter("OBJECT_TYPE", "REBUILD_FREELISTS");
    // Free pages belong to the whole file, not to an object: there is no list of the object's to rebuild.
    return std::nullopt;
}

std::optional<Value> dumpOrphanKeys(NativeCall&)
{
    fail(3001, "unimplemented feature: DBMS_REPAIR.DUMP_ORPHAN_KEYS");
}

NativeConstant constant(const char* name, int64_t value)
{
    return { name, NativeType::Integer, Value::fromInt(value) };
}

} // namespace

NativePackage makeDbmsRepair()
{
    using T = NativeType;
    const Value null;
    const Value table = Value::fromInt(kTableObject);
    const Value repairName = Value::fromText("REPAIR_TABLE");
    NativePackage p;
    p.name = "DBMS_REPAIR";
    p.sysOnly = true;
    p.routines.push_back(routine("ADMIN_TABLES",
        { in("TABLE_NAME", T::Varchar2), in("TABLE_TYPE", T::Integer), in("ACTION", T::Integer),
            inDefault("TABLESPACE", T::Varchar2, null) },
        adminTables));
    p.routines.push_back(routine("CHECK_OBJECT",
        { in("SCHEMA_NAME", T::Varchar2), in("OBJECT_NAME", T::Varchar2),
            inDefault("PARTITION_NAME", T::Varchar2, null), inDefault("OBJECT_TYPE", T::Integer, table),
            inDefault("REPAIR_TABLE_NAME", T::Varchar2, repairName), inDefault("FLAGS", T::Integer, null),
            inDefault("RELATIVE_FNO", T::Integer, null), inDefault("BLOCK_START", T::Integer, null),
            inDefault("BLOCK_END", T::Integer, null), out("CORRUPT_COUNT", T::Integer) },
        checkObject));
    p.routines.push_back(routine("FIX_CORRUPT_BLOCKS",
        { in("SCHEMA_NAME", T::Varchar2), in("OBJECT_NAME", T::Varchar2),
            inDefault("PARTITION_NAME", T::Varchar2, null), inDefault("OBJECT_TYPE", T::Integer, table),
            inDefault("REPAIR_TABLE_NAME", T::Varchar2, repairName), inDefault("FLAGS", T::Integer, null),
            out("FIX_COUNT", T::Integer) },
        fixCorruptBlocks));
    p.routines.push_back(routine("SKIP_CORRUPT_BLOCKS",
        { in("SCHEMA_NAME", T::Varchar2), in("OBJECT_NAME", T::Varchar2), inDefault("OBJECT_TYPE", T::Integer, table),
            inDefault("FLAGS", T::Integer, Value::fromInt(kSkipFlag)) },
        skipCorruptBlocks));
    p.routines.push_back(routine("REBUILD_FREELISTS",
        { in("SCHEMA_NAME", T::Varchar2), in("OBJECT_NAME", T::Varchar2),
            inDefault("PARTITION_NAME", T::Varchar2, null), inDefault("OBJECT_TYPE", T::Integer, table) },
        rebuildFreelists));
    p.routines.push_back(routine("DUMP_ORPHAN_KEYS",
        { in("SCHEMA_NAME", T::Varchar2), in("OBJECT_NAME", T::Varchar2),
            inDefault("PARTITION_NAME", T::Varchar2, null),
            inDefault("OBJECT_TYPE", T::Integer, Value::fromInt(kIndexObject)),
            inDefault("REPAIR_TABLE_NAME", T::Varchar2, repairName),
            inDefault("ORPHAN_TABLE_NAME", T::Varchar2, Value::fromText("ORPHAN_KEY_TABLE")),
            inDefault("FLAGS", T::Integer, null), out("KEY_COUNT", T::Integer) },
        dumpOrphanKeys));
    p.constants = { constant("TABLE_OBJECT", kTableObject), constant("INDEX_OBJECT", kIndexObject),
        constant("CLUSTER_OBJECT", kClusterObject), constant("SKIP_FLAG", kSkipFlag),
        constant("NOSKIP_FLAG", kNoSkipFlag), constant("REPAIR_TABLE", kRepairTable),
        constant("ORPHAN_TABLE", kOrphanTable), constant("CREATE_ACTION", kCreateAction),
        constant("PURGE_ACTION", kPurgeAction), constant("DROP_ACTION", kDropAction), constant("ALL_INDEX_ID", 0),
        constant("LOCK_WAIT", 1), constant("LOCK_NOWAIT", 0) };
    return p;
}

} // namespace engine::plsql
