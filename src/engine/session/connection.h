// Opening a session's SQLite connection: the pragmas every connection of a database uses and the functions the
// emitted SQL calls (Oracle's built-ins, ROWID, sequences, the switch of the engine's constraint triggers).
#pragma once

#include <sqlite3.h>

#include <string>

namespace engine {

struct SessionState;

namespace fn {
struct FunctionContext;
}

namespace session {

// Opens the file with the settings of a session's connection; throws Error.
sqlite3* openConnection(const std::string& file);

// Registers Oracle's built-ins and the engine's runtime functions (ORA_RAISE_ERROR, ORA_STORE_...) on a
// connection; the context must outlive it. SQLite's result code.
int registerBuiltins(sqlite3* db, fn::FunctionContext* context);

// Registers the functions that need the session (ROWID, sequences, constraint switch and Oracle's built-ins).
void registerSessionFunctions(SessionState& s);

// Name of the function the constraint triggers ask whether they apply: they do not while undo is applied.
inline constexpr const char* kChecksFunction = "ORA_DML_CHECKS";

// ORA_FK_IMMEDIATE(): 1 when foreign keys are checked row by row, 0 while a statement defers them to its end.
inline constexpr const char* kForeignKeysImmediateFunction = "ORA_FK_IMMEDIATE";

// ORA_ROW_LOCKED(objectId, rowNumber): 1 when another session holds the row's lock, else 0. A query FOR UPDATE
// SKIP LOCKED filters its rows with it, after the executor took the rows that were free.
inline constexpr const char* kRowLockedFunction = "ORA_ROW_LOCKED";

// NEXTVAL of a sequence for the session (used by the SQL function and by the executor's DEFAULT handling).
int64_t sequenceNextval(SessionState& s, int64_t sequenceId);
// Forgets the cached values of a sequence after ALTER or DROP SEQUENCE.
void dropSequenceCache(SessionState& s, int64_t sequenceId);

} // namespace session
} // namespace engine
