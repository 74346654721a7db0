// Bulk binds: BULK COLLECT of a query's rows into collections (SELECT, FETCH with LIMIT, RETURNING), FORALL over a
// range or a collection's indices or values with SAVE EXCEPTIONS, and what SQL%BULK_ROWCOUNT and
// SQL%BULK_EXCEPTIONS report of the last FORALL.
#pragma once

#include "engine/plsql/interpreter.h"

#include <memory>
#include <string>
#include <vector>

namespace engine::plsql {

// Fetches up to `limit` rows (every row when limit < 0) of an open cursor into BULK COLLECT targets: one collection
// of records, or one collection per column. The targets are emptied first (initialised if they were NULL) unless
// `append`. Returns the rows fetched.
int64_t bulkFetch(OpenCursor& cur, const std::vector<const CExpr*>& targets, int64_t limit, bool append, Ctx& c);

// Appends one value per row to each RETURNING BULK COLLECT target.
void bulkReturn(
    const std::vector<const CExpr*>& targets, const std::vector<std::vector<Value>>& columns, bool append, Ctx& c);

struct SForAll : CStmt {
    Stmt::ForAllKind kind = Stmt::ForAllKind::Range;
    CExprPtr var; // the index
    CExprPtr lower, upper; // a range, or INDICES OF's BETWEEN bounds
    CExprPtr collection; // INDICES OF / VALUES OF
    bool saveExceptions = false;
    CStmtPtr body;
    Flow exec(Ctx& c) const override;
};

// SQL%BULK_ROWCOUNT(i), SQL%BULK_EXCEPTIONS.COUNT, SQL%BULK_EXCEPTIONS(j).ERROR_INDEX | ERROR_CODE.
struct CBulkAttribute : CExpr {
    bool exceptions = false;
    std::string member; // COUNT, ERROR_INDEX, ERROR_CODE for BULK_EXCEPTIONS
    CExprPtr arg;
    Val eval(Ctx& c) const override;
};

} // namespace engine::plsql
