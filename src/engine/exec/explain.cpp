// EXPLAIN PLAN: the plan's rows go into the plan table through the session's own INSERT, so they are DML of its
// transaction (ROLLBACK removes them), checked and converted like any other rows, and all or none are written.
#include "engine/exec/explain.h"

#include "engine/catalog/catalog.h"
#include "engine/exec/binds.h"
#include "engine/exec/executor.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <set>

namespace engine::exec {

namespace {

// The plan table's columns the engine fills, in the order of Oracle's classic plan table; a table without one of
// them just does not get it.
enum class Col {
    StatementId,
    Timestamp,
    Operation,
    Options,
    ObjectOwner,
    ObjectName,
    ObjectType,
    Id,
    ParentId,
    Position,
    Depth,
    Cost,
    Cardinality
};

struct ColumnSpec {
    const char* name;
    Col col;
};

constexpr ColumnSpec kColumns[] = {
    { "STATEMENT_ID", Col::StatementId },
    { "TIMESTAMP", Col::Timestamp },
    { "OPERATION", Col::Operation },
    { "OPTIONS", Col::Options },
    { "OBJECT_OWNER", Col::ObjectOwner },
    { "OBJECT_NAME", Col::ObjectName },
    { "OBJECT_TYPE", Col::ObjectType },
    { "ID", Col::Id },
    { "PARENT_ID", Col::ParentId },
    { "POSITION", Col::Position },
    { "DEPTH", Col::Depth },
    { "COST", Col::Cost },
    { "CARDINALITY", Col::Cardinality },
};

// Every plan table Oracle ever defined has these.
constexpr const char* kRequired[] = { "STATEMENT_ID", "OPERATION", "ID", "PARENT_ID" };

struct Target {
    std::string name; // as the INSERT names it
    std::set<std::string> columns;
};

std::string quoted(const std::string& name)
{
    return storage::quoteIdent(name);
}

Target localTarget(SessionState& s, const bind::ObjectRef& ref, int offset)
{
    catalog::Lookup lookup(s.conn);
    Target t;
    t.name = quoted(ref.owner) + "." + quoted(ref.name);
    if (ref.kind == bind::ObjectKind::Table) {
        if (auto info = lookup.table(ref))
            for (const auto& c : info->columns)
                if (!c.hidden)
                    t.columns.insert(c.name);
    } else if (ref.kind == bind::ObjectKind::View) {
        if (auto info = lookup.view(ref))
            t.columns.insert(info->columnNames.begin(), info->columnNames.end());
    } else {
        throw oraError(942, "table or view does not exist", offset);
    }
    return t;
}

Target resolveTarget(SessionState& s, const sql::ExplainPlanStmt& stmt)
{
    if (!stmt.into) {
        std::lock_guard conn(s.connMutex);
        catalog::Lookup lookup(s.conn);
        auto ref = lookup.resolve("", "PLAN_TABLE", s.schema);
        if (!ref)
            throw oraError(2402, "PLAN_TABLE not found");
        return localTarget(s, *ref, -1);
    }
    const sql::ObjectName& n = *stmt.into;
    if (n.dblink) {
        // A table behind a link: its columns are what a query of it describes.
        Target t;
        t.name = (n.schema ? quoted(n.schema->name) + "." : std::string()) + quoted(n.name.name) + "@" + n.dblink->name;
        std::vector<Bind> none;
        ExecResult probe = executeNested(s, "SELECT * FROM " + t.name + " WHERE 1 = 0", none);
        if (probe.cursor) {
            for (const ColumnDesc& c : probe.cursor->columns())
                t.columns.insert(c.name);
            probe.cursor->close();
        }
        return t;
    }
    std::lock_guard conn(s.connMutex);
    catalog::Lookup lookup(s.conn);
    auto ref = lookup.resolve(n.schema ? n.schema->name : "", n.name.name, s.schema);
    if (!ref)
        throw oraError(942, "table or view does not exist", n.offset);
    return localTarget(s, *ref, n.offset);
}

Value textOrNull(const std::string& t)
{
    return Value::fromText(t);
}
Value numberOrNull(const std::optional<int64_t>& v)
{
    return v ? Value::fromInt(*v) : Value::null();
}

} // namespace

ExecResult explainPlan(SessionState& s, const sql::ExplainPlanStmt& stmt, std::string_view text)
{
    // The statement first: its own errors come before any about the plan table, as on Oracle.
    std::vector<PlanRow> plan = explainStatement(s, *stmt.statement, text);
    const int targetOffset = stmt.into ? stmt.into->offset : -1;
    Target target;
    try {
        target = resolveTarget(s, stmt);
    } catch (const Error& e) {
        throw Error(e.code(), e.message(), e.offset() >= 0 ? e.offset() : targetOffset);
    }
    for (const char* required : kRequired)
        if (!target.columns.count(required))
            throw oraError(2403, "plan table does not have correct format", targetOffset);

    std::vector<const ColumnSpec*> used;
    std::string names, values;
    for (const ColumnSpec& c : kColumns) {
        if (!target.columns.count(c.name))
            continue;
        used.push_back(&c);
        names += std::string(names.empty() ? "" : ", ") + quoted(c.name);
        values += std::string(values.empty() ? "" : ", ") + ":B" + std::to_string(used.size());
    }
    const std::string insert = "INSERT INTO " + target.name + " (" + names + ") VALUES (" + values + ")";
    const Value now = Value::fromDate(currentStatementTime());

    const bool wasInTransaction = s.inTransaction;
    const int64_t undoMark = s.undo->mark();
    const int64_t lockMark = s.db->locks.mark(s.sid);
    try {
        for (const PlanRow& row : plan) {
            std::vector<Bind> binds;
            for (size_t i = 0; i < used.size(); ++i) {
                Bind b;
                b.name = "B" + std::to_string(i + 1);
                b.type = OraType::Number;
                switch (used[i]->col) {
                case Col::StatementId:
                    b.type = OraType::Varchar2;
                    b.value = stmt.statementId ? textOrNull(*stmt.statementId) : Value::null();
                    break;
                case Col::Timestamp:
                    b.type = OraType::Date;
                    b.value = now;
                    break;
                case Col::Operation:
                    b.type = OraType::Varchar2;
                    b.value = textOrNull(row.operation);
                    break;
                case Col::Options:
                    b.type = OraType::Varchar2;
                    b.value = textOrNull(row.options);
                    break;
                case Col::ObjectOwner:
                    b.type = OraType::Varchar2;
                    b.value = textOrNull(row.objectOwner);
                    break;
                case Col::ObjectName:
                    b.type = OraType::Varchar2;
                    b.value = textOrNull(row.objectName);
                    break;
                case Col::ObjectType:
                    b.type = OraType::Varchar2;
                    b.value = textOrNull(row.objectType);
                    break;
                case Col::Id:
                    b.value = Value::fromInt(row.id);
                    break;
                case Col::ParentId:
                    b.value = row.parentId ? Value::fromInt(*row.parentId) : Value::null();
                    break;
                case Col::Position:
                    b.value = Value::fromInt(row.position);
                    break;
                case Col::Depth:
                    b.value = Value::fromInt(row.depth);
                    break;
                case Col::Cost:
                    b.value = numberOrNull(row.cost);
                    break;
                case Col::Cardinality:
                    b.value = numberOrNull(row.cardinality);
                    break;
                }
                binds.push_back(std::move(b));
            }
            executeNested(s, insert, binds);
        }
    } catch (const Error& e) {
        session::undoStatement(s, undoMark, lockMark);
        s.inTransaction = wasInTransaction || s.undo->changedSince(0);
        // The INSERT is the engine's own text: the user's statement names the plan table at INTO.
        throw Error(e.code(), e.message(), targetOffset);
    }
    ExecResult r;
    r.kind = StatementKind::Other;
    return r;
}

} // namespace engine::exec
