// ANALYZE TABLE ... VALIDATE STRUCTURE: the table's storage checked by SQLite's own structure checks, with CASCADE
// its indexes compared with its rows; damage fails with Oracle's ORA-01498, rows missing from an index with
// ORA-01499 after their ROWIDs went into the INVALID_ROWS table (or the INTO table).
#pragma once

#include "engine/engine.h"
#include "engine/sql/ast.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace engine {
struct SessionState;
}

namespace engine::exec {

// What the structure checks found in one table: damaged pages (of the table, or with `cascade` of its indexes too)
// and the row numbers that an index lacks or holds wrongly.
struct ValidationResult {
    std::vector<std::string> blockProblems; // each as SQLite words it
    std::vector<int64_t> rowsNotInIndex; // row numbers, ascending, each once
    std::vector<std::string> crossReferenceProblems;
    bool damaged() const { return !blockProblems.empty(); }
    bool crossReferenceFailure() const { return !crossReferenceProblems.empty(); }
};

// Checks the physical table `table` (with its indexes when `cascade`) on the connection.
ValidationResult validateTable(sqlite3* db, const std::string& table, bool cascade);

// The statement: commits before and after as DDL does, and throws ORA-01498 or ORA-01499 when the check failed.
ExecResult analyze(SessionState& s, const sql::AnalyzeStmt& stmt, std::string_view text);

} // namespace engine::exec
