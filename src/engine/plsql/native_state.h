// What the native packages keep for one session (the pipe message buffers, DBMS_SQL cursors, open UTL_FILE files,
// a DBMS_OUTPUT line still being written) and the helpers every package file shares: argument access, errors and
// the wait that gives way to a cancel.
#pragma once

#include "engine/engine.h"
#include "engine/plsql/native.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace engine::plsql {

// One item of a pipe message, with the type code NEXT_ITEM_TYPE reports.
struct PipeItem {
    int typeCode = 0; // 6 NUMBER, 9 VARCHAR2, 11 ROWID, 12 DATE, 23 RAW
    Value value;
};

// Packed items waiting for SEND_MESSAGE, or a received message being unpacked.
struct PipeBuffer {
    std::vector<PipeItem> items;
    size_t next = 0; // the item UNPACK_MESSAGE gives next
    int64_t bytes = 0; // as the pipe counts them (see pipeItemSize)
    void clear()
    {
        items.clear();
        next = 0;
        bytes = 0;
    }
};

// A DBMS_SQL cursor: the statement parsed into it, the values bound and the columns defined, and the rows of its
// last execution.
struct SqlCursor {
    std::string text;
    bool parsed = false;
    StatementKind kind = StatementKind::Other;
    bool ranAtParse = false; // DDL: done by PARSE, EXECUTE has nothing left to do
    std::vector<std::string> bindNames; // upper case, no colon, in order of first appearance
    std::vector<ColumnDesc> columns; // a query's select list
    std::map<std::string, Bind> binds; // by name
    std::map<int, OraType> defines; // by position (1-based)
    std::unique_ptr<Cursor> rows; // after EXECUTE of a query
    bool executed = false;
    bool hasRow = false; // FETCH_ROWS left a row to read
    bool exhausted = false; // FETCH_ROWS found no further row
    int64_t rowCount = 0; // rows fetched or processed, for LAST_ROW_COUNT
};

// A file opened by UTL_FILE.FOPEN.
struct OpenFile {
    std::FILE* fp = nullptr;
    std::string path;
    char mode = 'r'; // 'r', 'w' or 'a'
    int64_t maxLineSize = 1024;
    std::string pendingWrite; // written by PUT, not yet ended by NEW_LINE
    std::string pendingRead; // the rest of a line GET_LINE gave only in part
    bool pendingReadValid = false;
};

struct LoadedUnit;

struct NativeSessionState {
    // Stored units as this session has compiled them, with their package state (stored_units.h), by OBJ#.
    std::map<int64_t, std::shared_ptr<LoadedUnit>> storedUnits;
    // Packages whose state this session had when they changed, and whether it was the header ("package") or only
    // the body ("package body"): their next call is ORA-04068 (stored_units.cpp).
    std::map<int64_t, std::string> discardedState;
    // Stored functions the session's SQL calls (sql_functions.cpp).
    std::shared_ptr<void> sqlFunctions;

    // DBMS_OUTPUT: text written by PUT and not yet ended by NEW_LINE, and whether GET_LINE has read since the last
    // write (Oracle then discards the unread lines at the next write).
    std::string outputPartial;
    bool outputRead = false;

    // DBMS_PIPE.
    PipeBuffer sendBuffer;
    PipeBuffer receiveBuffer;

    // DBMS_SQL.
    std::map<int64_t, std::unique_ptr<SqlCursor>> sqlCursors;
    int64_t nextSqlCursor = 1;
    int64_t sqlLastRowCount = 0; // DBMS_SQL.LAST_ROW_COUNT
    bool sqlDenied = false; // a call named a cursor that is not open: DBMS_SQL refuses every call after it

    // UTL_FILE.
    std::map<int64_t, OpenFile> files;
    std::set<int64_t> issuedFiles; // handles handed out and not closed by FCLOSE (FCLOSE_ALL keeps them)
    int64_t nextFile = 1;

    ~NativeSessionState();
};

// The session's native state, made on first use.
NativeSessionState& nativeState(SessionState& s);

// The packages, each defined in its own file.
NativePackage makeDbmsOutput();
NativePackage makeDbmsPipe();
NativePackage makeDbmsLock();
NativePackage makeDbmsUtility();
NativePackage makeDbmsSql();
NativePackage makeUtlFile();
NativePackage makeDbmsJob();
NativePackage makeDbmsScheduler();
NativePackage makeDbmsRepair();
NativePackage makeDbmsLob();
NativePackage makeUtlRaw();

namespace native {

// Parameter lists written briefly.
NativeParam in(std::string name, NativeType type);
NativeParam inDefault(std::string name, NativeType type, Value defaultValue);
NativeParam out(std::string name, NativeType type);
NativeParam inOut(std::string name, NativeType type);
// A routine of a package: a function when `returns` is set.
NativeRoutine routine(std::string name, std::vector<NativeParam> params, NativeFunction run,
    std::optional<NativeType> returns = std::nullopt, bool usableInSql = false);

// Arguments read by position; the caller has converted each to its parameter's type.
const Value& arg(NativeCall& c, size_t i);
bool isNull(NativeCall& c, size_t i);
std::string text(NativeCall& c, size_t i); // "" for NULL
// NUMBER as int64 (a real is rounded as PL/SQL does when it assigns to an INTEGER); nullopt for NULL.
std::optional<int64_t> integer(NativeCall& c, size_t i);
std::optional<double> number(NativeCall& c, size_t i);
bool boolean(NativeCall& c, size_t i, bool whenNull = false);
void setOut(NativeCall& c, size_t i, Value v);
Value boolValue(bool b);

// The caller's declared type of argument i: argTypes, else outTypes for an OUT argument, else the value's kind.
OraType declaredType(NativeCall& c, size_t i);

// Oracle's text for a code ("ORA-20000: ..."): package errors thrown as engine::Error.
[[noreturn]] void fail(int code, const std::string& text);
// ORA-01013, the call cancelled by Session::interrupt.
[[noreturn]] void cancelled();

// Waits until `done` says so, the deadline passes (false) or the session is interrupted (ORA-01013). `wait` blocks
// for at most the slice it is given; the slice is short enough that a cancel is noticed within 50 ms.
bool waitUntil(SessionState& s, std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done,
    const std::function<void(std::chrono::milliseconds)>& wait);

} // namespace native
} // namespace engine::plsql
