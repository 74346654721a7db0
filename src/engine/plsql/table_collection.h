// Collections read by TABLE() in SQL: the columns their rows have and the JSON text that carries a collection's
// elements into the statement (an array of rows in the collection's order, each an array of values), which the
// binder reads with SQLite's json_each.
#pragma once

#include "engine/bind/external_names.h"
#include "engine/plsql/nodes.h"

#include <optional>
#include <string>

namespace engine::plsql {

// The columns of a row of `t` as TABLE() shows them: COLUMN_VALUE for a scalar element, the fields of a record
// element. Throws Oracle's error for a type SQL cannot read: a type declared in a block rather than in a package
// (PLS-00642), an associative array indexed by VARCHAR2, or elements that are BOOLEAN, RAW, BLOB or collections.
bind::CollectionRows collectionRowsOf(const PlType& t);

// The collection `v` as TABLE() reads it; SQL NULL for an atomically NULL collection, which has no rows.
Value collectionJson(const Val& v);

// A collection variable of the block inside an embedded statement: its value as collectionJson gives it.
struct CCollectionRows : CExpr {
    CExprPtr source;
    Val eval(Ctx& c) const override;
};

} // namespace engine::plsql
