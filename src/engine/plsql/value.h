// Values of the PL/SQL interpreter: a scalar engine::Value (BOOLEAN as the integer 0 or 1), or a record, an index-by
// table or a cursor held by reference and copied when PL/SQL assigns it.
#pragma once

#include "engine/engine.h"

#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace engine::plsql {

struct Composite;

// An open cursor: its rows, what FETCH last did, and for a FOR UPDATE cursor the ROWID of the current row, which
// WHERE CURRENT OF names.
struct OpenCursor {
    std::unique_ptr<Cursor> rows;
    std::vector<ColumnDesc> columns; // the visible columns (the hidden ROWID is after them)
    int rowidColumn = -1;
    bool isOpen = false;
    int found = -1; // -1 before the first fetch, 0 after a fetch found no row, 1 after a fetch found one
    int64_t rowCount = 0;
    std::string currentRowid;
};

struct Val {
    Value v;
    std::shared_ptr<Composite> c; // record fields, table elements or a cursor
    // A CLOB or BLOB read from a table's column (SELECT INTO, FETCH, RETURNING INTO): its locator is the row's,
    // which DBMS_LOB may not write through (ORA-22920); a LOB made in PL/SQL is a temporary one.
    bool tableLob = false;
};

// Keys of an index-by table: numbers in numeric order, texts in byte order.
using TableKey = std::variant<int64_t, std::string>;

struct Composite {
    std::vector<Val> fields; // record
    std::map<TableKey, Val> elements; // collection: the elements that exist
    // A nested table's or VARRAY's size as EXTEND and TRIM see it: elements DELETE removed leave their places.
    int64_t size = 0;
    std::shared_ptr<OpenCursor> cursor; // REF CURSOR variable or explicit cursor
    bool atomicallyNull = false;
};

// A deep copy, as PL/SQL assignment of records and tables copies them. Cursors are shared (a REF CURSOR assigned
// points at the same open cursor).
Val copyVal(const Val& v);

// An error being raised inside PL/SQL: Oracle's code (positive, ORA-nnnnn; 1 with userId for an exception the user
// declared without EXCEPTION_INIT), its message and the ORA-06512 lines gathered on its way out.
struct PlError {
    int code = 0;
    std::string message; // "ORA-01403: no data found"
    const void* userException = nullptr; // the declaration of a user exception, null for Oracle's errors
    std::vector<std::string> stack; // "ORA-06512: at line 5"
    // In a handler: where the error was raised and passed on its way there, innermost first, the handler's own unit
    // last (DBMS_UTILITY.FORMAT_ERROR_BACKTRACE).
    std::vector<std::string> backtrace;
};

} // namespace engine::plsql
