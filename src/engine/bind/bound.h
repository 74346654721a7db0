// A statement after binding: the SQLite SQL to run, where each Oracle bind goes, the result columns with their
// Oracle types, and what the executor needs for row locks and undo. Immutable, holds no bind values, so the
// statement cache keeps one per text and schema and runs it again with new binds.
#pragma once

#include "engine/bind/catalog_lookup.h"
#include "engine/bind/external_names.h"
#include "engine/engine.h"
#include "engine/types/oratype.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace engine::bind {

// The session's context the binder reads.
struct SessionContext {
    std::string currentSchema; // ALTER SESSION SET CURRENT_SCHEMA, else the user
    std::string user;
    // Whether an object may be seen by the session's user (definer empty) or by the owner of a view the object is
    // used in: a name the user may not see is ORA-00942 as soon as it is met, before its columns. Unset: all are.
    std::function<bool(int64_t objectId, const std::string& definer)> maySee;
    // A function of a stored unit the name stands for ([owner.][package.]function, called with one argument per
    // entry of `argNames`: the parameter's name for a named argument (p => x), empty for a positional one): the SQL
    // call to emit before its arguments as written ("ORA_PLSQL_CALL(7" takes ", arg..." and ")"), its result's type
    // and the unit, which the statement then depends on. Unset, or nothing found: the name is no such function; a
    // function found whose parameters the arguments do not fit throws Oracle's error (ORA-06553).
    struct StoredFunction {
        std::string callPrefix;
        types::ExprType type;
        int64_t objectId = 0;
    };
    std::function<std::optional<StoredFunction>(
        const std::vector<std::string>& parts, const std::vector<std::string>& argNames)>
        storedFunction;
    // A stored function returning a collection that TABLE(f(...)) reads, called as `storedFunction` is: the SQL call
    // that gives the collection as TABLE() reads it, the rows' columns and the unit. `fromPlsql`: the statement is
    // static or dynamic SQL of a PL/SQL unit, where a package's collection types are SQL types too.
    struct StoredCollectionFunction {
        std::string callPrefix;
        CollectionRows rows;
        int64_t objectId = 0;
    };
    std::function<std::optional<StoredCollectionFunction>(
        const std::vector<std::string>& parts, const std::vector<std::string>& argNames, bool fromPlsql)>
        collectionFunction;
};

// What a statement does to an object it names; checked against the privileges on every execution.
enum class AccessKind { Select, Insert, Update, Delete };

struct ObjectAccess {
    ObjectRef object;
    AccessKind access = AccessKind::Select;
    std::string definer; // empty: the session's user; else the owner of the view the object is used in
    std::string view; // that view, as ORA-04063 names it: "OWNER"."NAME"
    int offset = -1;
    std::vector<std::string> columns; // INSERT and UPDATE: the columns given values
};

// One SQLite parameter. The SQL uses numbered parameters ?1, ?2, ...: parameter i (1-based) is params[i-1]. An
// Oracle bind used several times in the text has one slot, so one value serves every place.
struct ParamSlot {
    std::string name; // upper case, no colon; a positional ":1" is "1"
    // The type the bind's context expects (a NUMBER column compared with it, a DATE column it is stored into...).
    // The executor converts an IN value to it by Oracle's implicit rules before binding (text '10' to 10, text to
    // DATE under NLS_DATE_FORMAT), so the SQL compares like with like. Varchar2 when the context says nothing.
    types::ExprType expected;
    // Never set: RETURNING ... INTO targets are not SQLite parameters and are listed in BoundStatement::returning.
    bool isReturningTarget = false;
};

// A table whose rows the statement locks (SELECT ... FOR UPDATE, UPDATE, DELETE): the SQL listing the row numbers
// of the rows it would touch, with the same parameters as the statement.
struct RowLockTarget {
    ObjectRef table;
    std::string physicalName;
    std::string rowNumberColumn;
    std::string rowsSql; // SELECT <rowno> FROM ... WHERE ...: one column, the row numbers
    // A table read through a database link (physicalName is its virtual table): rowsSql lists the values of every
    // column of the rows to lock, which the remote session locks by those values.
    bool remote = false;
};

// The temporary table the executor fills with the locked row numbers before running a DML restricted to them
// (restrictedSql). Its one column is R INTEGER PRIMARY KEY.
inline constexpr const char* kDmlRowsTable = "temp.ORA_DML_ROWS";

struct ReturningItem {
    ColumnDesc column; // type of the returned expression
    std::string bindName; // the INTO bind
};

struct CompoundDml;

struct BoundStatement {
    StatementKind kind = StatementKind::Other;

    // The SQLite statement. For a query, its columns are the result columns in order.
    std::string sql;
    std::vector<ParamSlot> params;

    // A query's result columns (and a DML's nothing).
    std::vector<ColumnDesc> columns;

    // SELECT ... FOR UPDATE [OF ...]: the tables whose rows are locked when the cursor opens.
    std::vector<RowLockTarget> lockTargets;
    bool nowait = false;
    int waitSeconds = -1; // FOR UPDATE WAIT n; -1 waits for ever
    bool skipLocked = false; // FOR UPDATE SKIP LOCKED: rows locked by others are left out, not waited for

    // INSERT/UPDATE/DELETE: the target table.
    std::optional<RowLockTarget> dmlTarget; // rowsSql is empty for INSERT
    // UPDATE/DELETE restricted to the rows of kDmlRowsTable, for the executor that locked them first.
    std::string restrictedSql;
    // RETURNING ... INTO: the SQL (sql) ends in a SQLite RETURNING clause with these columns in order.
    std::vector<ReturningItem> returning;

    // Objects the translation relies on: a change to any of them drops the cached translation.
    std::vector<int64_t> dependsOn;

    // The objects the statement reads and changes, with the user whose privileges decide.
    std::vector<ObjectAccess> accesses;

    // MERGE and the multitable INSERT: the plain statements that carry it out (compound_dml.h); sql is empty.
    std::shared_ptr<const CompoundDml> compound;
};

using BoundStatementPtr = std::shared_ptr<const BoundStatement>;

} // namespace engine::bind
