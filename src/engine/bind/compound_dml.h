// MERGE and the multitable INSERT bound as a sequence of plain INSERT, UPDATE and DELETE statements over their
// source rows, which the executor stores in a temporary table first so every clause reads the same rows.
#pragma once

#include "engine/bind/bound.h"
#include "engine/sql/ast.h"

#include <string>
#include <string_view>
#include <vector>

namespace engine::bind {

// Where the source rows and the row numbers an UPDATE of a MERGE changed are kept while the statement runs.
inline constexpr const char* kCompoundSourceTable = "temp.ORA_COMPOUND_SRC";
inline constexpr const char* kMergeRowsTable = "temp.ORA_MERGE_ROWS";

struct CompoundDml {
    // The source query: its rows are stored into kCompoundSourceTable (columns c1, c2, ...) before the steps run.
    BoundStatementPtr source;
    // MERGE with WHEN MATCHED: a query that yields a row when a target row would be updated from two source rows.
    BoundStatementPtr stableCheck;
    struct Step {
        BoundStatementPtr statement;
        bool recordRows = false; // the rows of the target it changes go to kMergeRowsTable (MERGE's UPDATE)
        bool counted = true; // its rows count in the statement's row count (not MERGE's DELETE)
    };
    std::vector<Step> steps;
};

// Binds a MergeStmt or MultiInsertStmt into out (out.compound, params, dependsOn, accesses).
void bindCompound(const sql::Statement& statement, std::string_view text, const CatalogLookup& catalog,
    const SessionContext& context, BoundStatement& out);

} // namespace engine::bind
