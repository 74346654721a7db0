// The built-in packages written in C++ (DBMS_OUTPUT, DBMS_PIPE, DBMS_LOCK, DBMS_SQL, DBMS_UTILITY, UTL_FILE,
// DBMS_JOB, DBMS_SCHEDULER, DBMS_LOB, UTL_RAW): each routine's parameters as PL/SQL sees them and the code that runs
// it. The PL/SQL interpreter resolves a call of PACKAGE.ROUTINE here (after the user's own objects), matches the arguments by
// position or name, fills defaults, converts each IN value to the parameter's type, and writes the OUT values back
// into the caller's variables.
#pragma once

#include "engine/engine.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
struct DatabaseState;
} // namespace engine

namespace engine::plsql {

// Parameter and result types of native routines. BOOLEAN travels as an integer Value 0/1; a FILE_TYPE (UTL_FILE) as
// the integer handle of the open file; AnyScalar takes VARCHAR2, NUMBER or DATE as it comes (PACK_MESSAGE,
// BIND_VARIABLE), and for an OUT parameter writes a value of the caller's variable's type (see NativeCall).
// Varchar2Table is an index-by table of VARCHAR2 (DBMS_OUTPUT.CHARARR): it travels in NativeCall::tables, not in
// args.
// Clob and Blob parameters tell overloads apart by the caller's argument (DBMS_LOB's routines exist for both): a
// CLOB one takes character arguments, a BLOB one RAW and BLOB arguments. A CLOB value may be the empty LOB, a Text
// value of no characters, which is not NULL.
enum class NativeType { Varchar2, Number, Integer, Date, Boolean, Raw, AnyScalar, FileType, Varchar2Table, Clob, Blob };

enum class ParamMode { In, Out, InOut };

struct NativeParam {
    std::string name; // upper case
    NativeType type = NativeType::Varchar2;
    ParamMode mode = ParamMode::In;
    bool hasDefault = false;
    Value defaultValue; // used when hasDefault and the caller leaves the parameter out
    // An IN OUT LOB the routine writes into (DBMS_LOB.APPEND): a LOB read from a table may not be written through
    // its locator here (ORA-22920), since the engine's LOBs are values, not references to the row.
    bool writesLob = false;
};

struct NativeCall {
    SessionState& session;
    // One value per parameter in declaration order: IN values converted to the parameter's type, defaults filled;
    // the routine writes OUT and IN OUT values into them.
    std::vector<Value>& args;
    // The declared type of the caller's variable for each OUT or IN OUT argument (Varchar2 when unknown), so an
    // AnyScalar OUT parameter (UNPACK_MESSAGE, COLUMN_VALUE) knows what to give. Indexed by parameter position, like
    // args; entries of IN parameters are not read.
    std::vector<OraType> outTypes;
    // The declared type of every argument as the caller wrote it (a variable's type, a literal's type), indexed by
    // parameter position. An AnyScalar IN parameter reads it when its value is NULL and so cannot tell a NULL
    // NUMBER from a NULL VARCHAR2 (PACK_MESSAGE, DEFINE_COLUMN). May be left empty: the value's kind decides.
    std::vector<OraType> argTypes;
    // Collections, indexed by parameter position: for a Varchar2Table parameter the elements in index order (the
    // first element is index 1). The caller fills IN and IN OUT tables; the routine fills OUT tables, which the
    // caller then assigns to its variable as elements 1..n. Entries of scalar parameters stay empty.
    std::vector<std::vector<Value>> tables;
    // Per parameter position: whether the argument is a LOB read from a table rather than a temporary one
    // (DBMS_LOB.ISTEMPORARY). Empty when unknown.
    std::vector<char> tableLobs;
};

// A routine fails by throwing engine::Error with Oracle's code: a package exception (UTL_FILE.INVALID_PATH) is the
// error code its PRAGMA EXCEPTION_INIT names (see NativeException), so a handler of it catches the error.
using NativeFunction = std::function<std::optional<Value>(NativeCall&)>;

struct NativeRoutine {
    std::string name; // upper case; overloads share a name and differ in parameters
    std::vector<NativeParam> params;
    std::optional<NativeType> returns; // a function when set
    NativeFunction run;
    bool usableInSql = false; // may be called from a SQL statement (a function without OUT parameters)
};

struct NativeConstant {
    std::string name; // DBMS_SQL.NATIVE
    NativeType type = NativeType::Integer;
    Value value;
};

struct NativeException {
    std::string name; // UTL_FILE.INVALID_PATH: "INVALID_PATH"
    int code = 0; // the Oracle error it stands for, e.g. 29280
};

struct NativePackage {
    std::string name; // upper case, owned by SYS with a PUBLIC synonym
    std::vector<NativeRoutine> routines;
    std::vector<NativeConstant> constants;
    std::vector<NativeException> exceptions;
    std::vector<std::string> types; // type names the package declares (FILE_TYPE)
    std::vector<NativeType> typeKinds; // what each of `types` is, in the same order (FileType, Varchar2Table)
    // Owned by SYS without a grant to anyone (DBMS_REPAIR): another user's code does not see the package at all.
    bool sysOnly = false;
};

// Every native package.
const std::vector<NativePackage>& nativePackages();
const NativePackage* findNativePackage(std::string_view name);
// The package as the session's user sees it: nullptr for a SYS-only package seen by anyone but SYS.
const NativePackage* findNativePackageFor(const SessionState& s, std::string_view name);

// What a package's type stands for (UTL_FILE.FILE_TYPE is FileType, DBMS_OUTPUT.CHARARR is Varchar2Table).
std::optional<NativeType> findNativeType(std::string_view package, std::string_view type);

// A database pipe as V$DB_PIPES lists it: OWNERID (the creator's user# for a private pipe, NULL for a public one),
// NAME, TYPE ("PUBLIC" or "PRIVATE") and PIPE_SIZE (bytes of the messages it holds).
struct PipeInfo {
    std::optional<int64_t> ownerId;
    std::string name;
    std::string type;
    int64_t size = 0;
};
std::vector<PipeInfo> listPipes(DatabaseState& db);

// What only the interpreter knows, asked for by DBMS_UTILITY.FORMAT_ERROR_STACK, FORMAT_ERROR_BACKTRACE and
// FORMAT_CALL_STACK. The interpreter sets the ones it can answer; an unset hook gives NULL.
struct NativeInterpreterHooks {
    std::function<std::string(SessionState&)> errorStack;
    std::function<std::string(SessionState&)> errorBacktrace;
    std::function<std::string(SessionState&)> callStack;
};
NativeInterpreterHooks& nativeInterpreterHooks();

// Package state that lives with the session (open files, DBMS_SQL cursors, the pipe message buffers, a partial
// DBMS_OUTPUT line) is released when the session ends: the session's own teardown calls this, and calling it
// again does nothing.
void releaseNativeState(SessionState& s);

} // namespace engine::plsql
