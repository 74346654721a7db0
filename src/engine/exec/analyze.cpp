// ANALYZE TABLE ... VALIDATE STRUCTURE. The table's b-tree is checked by SQLite's quick_check of the table (its
// pages and cells), and with CASCADE by its integrity_check, which also compares every index with the rows; the
// page walk names the damaged pages when a check stops at one. The statement is DDL for the transaction: it commits
// before it runs and its INVALID_ROWS rows are committed before it reports a failure, as Oracle's recursive
// inserts are.
#include "engine/exec/analyze.h"

#include "engine/catalog/catalog.h"
#include "engine/catalog/rowid.h"
#include "engine/catalog/schema.h"
#include "engine/exec/binds.h"
#include "engine/exec/dml_triggers.h"
#include "engine/exec/executor.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/storage/corruption.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <algorithm>
#include <memory>
#include <set>

namespace engine::exec {

namespace {

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// "row 17 missing from index T1_I": the row number, or -1 for any other message.
int64_t rowMissingFromIndex(const std::string& m)
{
    if (!startsWith(m, "row "))
        return -1;
    size_t i = 4;
    int64_t n = 0;
    bool digits = false;
    while (i < m.size() && m[i] >= '0' && m[i] <= '9') {
        n = n * 10 + (m[i++] - '0');
        digits = true;
    }
    return digits && m.compare(i, 19, " missing from index") == 0 ? n : -1;
}

bool isCrossReference(const std::string& m)
{
    return rowMissingFromIndex(m) >= 0 || startsWith(m, "wrong # of entries in index")
        || startsWith(m, "non-unique entry in index");
}

// NOT NULL and CHECK are the engine's own business (its constraint triggers); SQLite's checks of them say nothing
// about the storage.
bool isConstraintMessage(const std::string& m)
{
    return startsWith(m, "NULL value in ") || startsWith(m, "CHECK constraint failed");
}

// The table the INTO clause (or, without one, INVALID_ROWS of the current schema) names, as the INSERT names it;
// empty when there is none.
struct Target {
    std::string name;
    std::set<std::string> columns;
};

std::optional<Target> findTarget(SessionState& s, const std::optional<sql::ObjectName>& into)
{
    std::lock_guard conn(s.connMutex);
    catalog::Lookup lookup(s.conn, &s);
    std::optional<bind::ObjectRef> ref = into
        ? lookup.resolve(into->schema ? into->schema->name : "", into->name.name, s.schema)
        : lookup.resolve("", "INVALID_ROWS", s.schema);
    if (!ref || ref->kind != bind::ObjectKind::Table)
        return std::nullopt;
    Target t;
    t.name = storage::quoteIdent(ref->owner) + "." + storage::quoteIdent(ref->name);
    if (auto info = lookup.table(*ref))
        for (const auto& c : info->columns)
            if (!c.hidden)
                t.columns.insert(c.name);
    return t;
}

// utlvalid.sql's table: these columns are what the rows are written into.
constexpr const char* kTargetColumns[]
    = { "OWNER_NAME", "TABLE_NAME", "PARTITION_NAME", "SUBPARTITION_NAME", "HEAD_ROWID", "ANALYZE_TIMESTAMP" };

bool targetHasForm(const Target& t)
{
    return std::all_of(
        std::begin(kTargetColumns), std::end(kTargetColumns), [&](const char* c) { return t.columns.count(c) > 0; });
}

Bind textBind(const char* name, const std::string& value, OraType type = OraType::Varchar2)
{
    Bind b;
    b.name = name;
    b.type = type;
    b.value = Value::fromText(value);
    return b;
}

void writeInvalidRows(
    SessionState& s, const Target& target, const catalog::ObjectRow& table, const std::vector<int64_t>& rows)
{
    const std::string insert = "INSERT INTO " + target.name
        + " (OWNER_NAME, TABLE_NAME, PARTITION_NAME, SUBPARTITION_NAME, HEAD_ROWID, ANALYZE_TIMESTAMP)"
          " VALUES (:O, :T, NULL, NULL, :R, :D)";
    const std::string now = currentStatementTime();
    for (int64_t row : rows) {
        std::vector<Bind> binds;
        binds.push_back(textBind("O", table.owner));
        binds.push_back(textBind("T", table.name));
        binds.push_back(textBind("R", catalog::encodeRowid(table.id, row), OraType::Rowid));
        Bind d;
        d.name = "D";
        d.type = OraType::Date;
        d.value = Value::fromDate(now);
        binds.push_back(std::move(d));
        executeNested(s, insert, binds);
    }
    session::commit(s);
}

} // namespace

ValidationResult validateTable(sqlite3* db, const std::string& table, bool cascade)
{
    ValidationResult r;
    storage::TableCheck check = storage::checkTable(db, table, cascade);
    if (check.messages.empty())
        return r;
    storage::TreePages own = storage::treePages(db, table);
    std::set<int64_t> missing;
    for (size_t i = 0; i < check.messages.size(); ++i) {
        const std::string& m = check.messages[i];
        const bool last = i + 1 == check.messages.size();
        if (isConstraintMessage(m))
            continue;
        if (isCrossReference(m)) {
            if (int64_t row = rowMissingFromIndex(m); row >= 0)
                missing.insert(row);
            r.crossReferenceProblems.push_back(m);
            continue;
        }
        if (check.stopped && last)
            continue; // the check's own error: the page walk says where below
        std::vector<int64_t> pages = storage::pagesNamed(m);
        // Without CASCADE only the table's own pages count: quick_check also reads its indexes' pages.
        const bool ownPage = pages.empty() || !own.walked
            || std::any_of(pages.begin(), pages.end(), [&](int64_t p) { return own.pages.count(p) > 0; });
        if (cascade || ownPage)
            r.blockProblems.push_back(m);
    }
    for (const storage::DamagedPage& d : own.damaged)
        r.blockProblems.push_back("page " + std::to_string(d.page) + ": " + d.description);
    if (check.stopped && r.blockProblems.empty() && (cascade || !own.walked || !own.damaged.empty()))
        r.blockProblems.push_back(check.messages.back());
    r.rowsNotInIndex.assign(missing.begin(), missing.end());
    return r;
}

ExecResult analyze(SessionState& s, const sql::AnalyzeStmt& st, std::string_view)
{
    // Oracle commits the open transaction before ANALYZE, as before any DDL.
    checkNotInTrigger(s, "COMMIT");
    session::commit(s);
    s.readOnlyTransaction = false;

    if (st.objectType != "TABLE")
        throw oraError(3001, "unimplemented feature: ANALYZE " + st.objectType, st.offset);
    if (st.clause != "VALIDATE STRUCTURE")
        throw oraError(3001, "unimplemented feature: ANALYZE TABLE ... " + st.clause, st.clauseOffset);
    if (st.name.dblink)
        throw oraError(2021, "DDL operations are not allowed on a remote database", st.name.dblink->offset);

    std::optional<catalog::ObjectRow> found;
    {
        std::lock_guard conn(s.connMutex);
        catalog::Lookup lookup(s.conn, &s);
        found = lookup.resolveObject(st.name.schema ? st.name.schema->name : "", st.name.name.name, s.schema, true);
    }
    if (!found || (found->type != catalog::kTypeTable && found->type != catalog::kTypeView)
        || (found->ownerId != s.userId && !priv::maySee(s, found->id)))
        throw oraError(942, "table or view does not exist", st.name.offset);
    if (found->type == catalog::kTypeView)
        throw oraError(1702, "a view is not appropriate here", st.name.offset);
    const catalog::ObjectRow table = *found;
    if (table.ownerId != s.userId && !priv::hasSystemPrivilege(s, "ANALYZE ANY"))
        throw oraError(1031, "insufficient privileges", st.name.offset);
    if (st.partitionOffset >= 0)
        throw oraError(14501, "object is not partitioned", st.partitionOffset);

    // An INTO table must be there with utlvalid.sql's columns; INVALID_ROWS is looked for only when rows are listed.
    std::optional<Target> target;
    if (st.into) {
        target = findTarget(s, st.into);
        if (!target)
            throw oraError(14508, "specified VALIDATE INTO table not found", st.into->offset);
        if (!targetHasForm(*target))
            throw oraError(14509, "specified VALIDATE INTO table form incorrect", st.into->offset);
    }

    // OFFLINE (the default) keeps DML out while the check runs; a session with uncommitted changes in the table
    // makes it fail at once, as DDL does.
    if (!st.online) {
        locks::WaitPolicy nowait;
        nowait.nowait = true;
        s.db->locks.lockTable(s.sid, table.id, locks::TableMode::Share, nowait);
    }
    ValidationResult result;
    try {
        std::unique_ptr<storage::CheckConnection> check;
        {
            std::lock_guard conn(s.connMutex);
            check = std::make_unique<storage::CheckConnection>(s.conn);
        }
        if (!check->get())
            throw oraError(1498, "block check failure - see trace file");
        result = validateTable(check->get(), catalog::physicalTableName(table.id), st.cascade);
    } catch (...) {
        s.db->locks.releaseAll(s.sid);
        throw;
    }
    s.db->locks.releaseAll(s.sid);

    if (result.damaged())
        throw oraError(1498, "block check failure - see trace file");
    if (result.crossReferenceFailure()) {
        if (!target)
            target = findTarget(s, std::nullopt);
        if (target && targetHasForm(*target) && !result.rowsNotInIndex.empty())
            writeInvalidRows(s, *target, table, result.rowsNotInIndex);
        throw oraError(1499, "table/index cross reference failure - see trace file");
    }
    ExecResult r;
    r.kind = StatementKind::Ddl;
    return r;
}

} // namespace engine::exec
