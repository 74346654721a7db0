// The built-in packages written in C++ (DBMS_OUTPUT, DBMS_PIPE, DBMS_LOCK, DBMS_SQL, DBMS_UTILITY, UTL_FILE): each
// routine's parameters as PL/SQL sees them and the code that runs it. The PL/SQL interpreter resolves a call of
// PACKAGE.ROUTINE here (after the user's own objects), matches the arguments by position or name, fills defaults,
// converts each IN value to the parameter's type, and writes the OUT values back into the caller's variables.
#pragma once

#include "engine/engine.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::plsql {

// Parameter and result types of native routines. BOOLEAN travels as an integer Value 0/1; a FILE_TYPE (UTL_FILE) as
// the integer handle of the open file; AnyScalar takes VARCHAR2, NUMBER or DATE as it comes (PACK_MESSAGE,
// BIND_VARIABLE), and for an OUT parameter writes a value of the caller's variable's type (see NativeCall).
enum class NativeType { Varchar2, Number, Integer, Date, Boolean, Raw, AnyScalar, FileType };

enum class ParamMode { In, Out, InOut };

struct NativeParam {
    std::string name; // upper case
    NativeType type = NativeType::Varchar2;
    ParamMode mode = ParamMode::In;
    bool hasDefault = false;
    Value defaultValue; // used when hasDefault and the caller leaves the parameter out
};

struct NativeCall {
    SessionState& session;
    // One value per parameter in declaration order: IN values converted to the parameter's type, defaults filled;
    // the routine writes OUT and IN OUT values into them.
    std::vector<Value>& args;
    // The declared type of the caller's variable for each OUT or IN OUT argument (Varchar2 when unknown), so an
    // AnyScalar OUT parameter (UNPACK_MESSAGE, COLUMN_VALUE) knows what to give.
    std::vector<OraType> outTypes;
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
};

// Every native package.
const std::vector<NativePackage>& nativePackages();
const NativePackage* findNativePackage(std::string_view name);

// Package state that lives with the session (open files, DBMS_SQL cursors, the pipe message buffer) is released
// when the session ends; the interpreter calls this from the session's teardown.
void releaseNativeState(SessionState& s);

} // namespace engine::plsql
