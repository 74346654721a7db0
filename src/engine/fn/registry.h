// Oracle's built-in functions as SQLite functions named ORA_...: registration on a session's connection, and the
// table of their names, argument types and result types from which the binder picks a function and its conversions.
#pragma once

#include <array>
#include <span>
#include <string_view>

struct sqlite3;

namespace engine::fn {

struct FunctionContext;

// The type a function expects of an argument (the binder converts to it by Oracle's implicit conversion rules) or
// gives as its result.
enum class FnType {
    Text, // VARCHAR2
    Number,
    Date, // stored text "YYYY-MM-DD HH:MM:SS"
    Any, // taken as it comes (compared, passed through)
    SameAsFirst, // result only: the type of the first argument (GREATEST, LEAST, NVL)
    SameAsSecond, // result only: the type of the second argument (NVL2)
};

struct FunctionInfo {
    std::string_view name; // SQLite name, e.g. "ORA_TO_CHAR_DATE"
    std::string_view oracleName; // the Oracle function it implements, e.g. "TO_CHAR"
    int minArgs;
    int maxArgs; // -1: any number; the last listed argument type repeats
    std::array<FnType, 4> args; // types of the first arguments; beyond maxArgs unused
    FnType result;
    bool deterministic; // false when the result depends on the session or the statement time
};

// Every registered function, in the order of the table in registry.cpp. Several rows may share one SQLite function
// when Oracle has several names or shapes for it (|| and CONCAT).
std::span<const FunctionInfo> functionTable();

// The first entry for a SQLite name (case-insensitive), or nullptr.
const FunctionInfo* findFunction(std::string_view name);

// Registers every function of functionTable() on the connection. The context must outlive the connection; its
// fields are read at each call, so the session may change them between statements.
// Returns SQLITE_OK or the first SQLite error code.
int registerAll(sqlite3* db, FunctionContext* context);

} // namespace engine::fn
