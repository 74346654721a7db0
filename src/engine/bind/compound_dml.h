// MERGE and the multitable INSERT bound as a sequence of plain INSERT, UPDATE and DELETE statements over their
// source rows, which the executor stores in a temporary table first so every clause reads the same rows.
#pragma once

#include "engine/bind/bound.h"
#include "engine/bind/external_names.h"
#include "engine/sql/ast.h"

#include <string>
#include <string_view>
#include <vector>

namespace engine::bind {

// Where the source rows and the row numbers an UPDATE of a MERGE changed are kept while the statement runs.
inline constexpr const char* kCompoundSourceTable = "temp.ORA_COMPOUND_SRC";
inline constexpr const char* kMergeRowsTable = "temp.ORA_MERGE_ROWS";
inline constexpr const char* kCheckRowsTable = "temp.ORA_CHECK_ROWS"; // rows checked against WITH CHECK OPTION

struct CompoundDml {
    // The source query: its rows are stored into kCompoundSourceTable (columns c1, c2, ...) before the steps run.
    BoundStatementPtr source;
    // MERGE with WHEN MATCHED: a query that yields a row when a target row would be updated from two source rows.
    BoundStatementPtr stableCheck;
    struct Step {
        BoundStatementPtr statement;
        bool recordRows = false; // the rows of the target it changes go to kMergeRowsTable (MERGE's UPDATE)
        bool counted = true; // its rows count in the statement's row count (not MERGE's DELETE)
        // A query of the rows in kCheckRowsTable that yields a row when one of them left the view it was changed
        // through (WITH CHECK OPTION): the step's rows are recorded there first.
        std::string checkSql;
    };
    std::vector<Step> steps;
};

// Binds a MergeStmt or MultiInsertStmt into out (out.compound, params, dependsOn, accesses).
// `external` names the enclosing PL/SQL block's variables, as for bindStatement.
void bindCompound(const sql::Statement& statement, std::string_view text, const CatalogLookup& catalog,
    const SessionContext& context, const ExternalNames* external, BoundStatement& out);

namespace detail {
class BinderImpl;
}

// An INSERT or UPDATE through a view WITH CHECK OPTION: the statement as one step whose changed rows must still
// meet the view's WHERE (ORA-01402).
BoundStatementPtr checkedThroughView(detail::BinderImpl& b, const std::shared_ptr<BoundStatement>& statement);

} // namespace engine::bind
