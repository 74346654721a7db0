// EXPLAIN PLAN: the plan SQLite chose for a statement's translation, told as Oracle's plan operations, and the
// statement that writes them into a plan table as DML of the session.
#pragma once

#include "engine/engine.h"
#include "engine/sql/ast.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::exec {

// One row of a plan as Oracle's plan table holds it. IDs number the operations in pre-order from 0; the root has
// no parent and carries the plan's cost in POSITION, every other row its place among its siblings (from 1).
struct PlanRow {
    int id = 0;
    std::optional<int> parentId;
    int position = 0;
    int depth = 0;
    std::string operation;
    std::string options;
    std::string objectOwner;
    std::string objectName;
    std::string objectType; // TABLE, INDEX, INDEX (UNIQUE) or empty
    std::optional<int64_t> cost;
    std::optional<int64_t> cardinality;
};

// The plan of a SELECT, INSERT, UPDATE or DELETE: the statement is bound as the executor binds it (bind variables
// need no values) and SQLite's plan for the translation is read. Nothing of the statement is run. Errors of the
// statement (ORA-00942 ...) carry offsets in `text`, the text the tree was parsed from.
std::vector<PlanRow> explainStatement(SessionState& s, const sql::Statement& statement, std::string_view text);

// EXPLAIN PLAN: writes the plan's rows into the plan table (INTO, else PLAN_TABLE as the session resolves the
// name) in the session's transaction. ORA-02402 when there is no PLAN_TABLE, ORA-02403 when the table lacks the
// columns every plan table has.
ExecResult explainPlan(SessionState& s, const sql::ExplainPlanStmt& stmt, std::string_view text);

} // namespace engine::exec
