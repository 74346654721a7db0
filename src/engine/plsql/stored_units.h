// Stored procedures, functions and packages: CREATE, ALTER ... COMPILE and DROP as DDL, and for the interpreter
// the session's compiled form of each unit (compiled on first use, again after the unit or what it uses changed)
// with the package's state, initialised at its first use in the session.
#pragma once

#include "engine/engine.h"
#include "engine/plsql/compiler.h"
#include "engine/plsql/nodes.h"
#include "engine/plsql/trigger_unit.h"
#include "engine/plsql/unit_store.h"
#include "engine/sql/ast.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace engine {
struct SessionState;
}

namespace engine::plsql {

// The text as ALL_SOURCE keeps it: from the unit's type word on ("CREATE [OR REPLACE] [EDITIONABLE]" dropped), up to
// its last line, without the "/" line that ends it in a script.
std::string storedText(std::string_view statement);

// CREATE [OR REPLACE] PROCEDURE | FUNCTION | PACKAGE | PACKAGE BODY, inside the DDL's transaction. A unit that does
// not compile is still stored (INVALID, its errors in ERROR$); `warning` then receives Oracle's ORA-24344 text.
void createUnit(SessionState& s, const sql::PlSqlStmt& stmt, std::string_view text, std::string& warning);

// ALTER PROCEDURE | FUNCTION | PACKAGE name COMPILE, for a package with the word saying which part (the whole
// package, its body or its header alone), with `warning` as for CREATE when errors remain.
// `what` is "PROCEDURE", "FUNCTION", "PACKAGE" (header and body), "BODY", or Oracle's keyword for the header alone,
// as the statement spells it; `offset` is the name's.
void alterCompile(SessionState& s, const std::string& owner, const std::string& name, const std::string& what,
    int offset, std::string& warning);

// Writes the outcome of the recompiles a finished call made of INVALID units (status, errors, dependencies), as
// Oracle's automatic recompilation does. Never throws: the call's own result stands.
void storeRevalidated(SessionState& s) noexcept;

// DROP PROCEDURE | FUNCTION | PACKAGE | PACKAGE BODY (ORA-04043 when there is none); DROP PACKAGE drops the body
// too. Dependents become INVALID.
void dropUnit(SessionState& s, const sql::DropObjectStmt& stmt);

// A unit as one session has it compiled: the interface other units compile against, the form that runs, and the
// package's state.
struct LoadedUnit {
    StoredUnit info; // the procedure, function or package header
    int64_t bodyId = 0; // the package body, 0 when none
    std::string stamp; // what the catalog said of the unit (and body) when it was compiled
    uint64_t checkedGeneration = ~uint64_t(0);
    std::shared_ptr<StoredCompileOutput> interface; // the header only
    std::shared_ptr<StoredCompileOutput> runnable; // with the body; null until the unit is first run
    std::shared_ptr<Frame> state; // package variables; a procedure's is empty
    bool initialised = false;
    std::shared_ptr<void> sources; // the texts and syntax trees the compiled forms were made from
};

// The unit's interface for compiling a caller: compiled once per session, again when it changed. Null when the
// object is not a procedure, function or package.
std::shared_ptr<LoadedUnit> unitInterface(SessionState& s, int64_t objectId);

// For compiling a caller: whether the unit compiles. A unit the catalog has INVALID is compiled again first (and,
// inside CREATE or ALTER ... COMPILE, its new state stored), as Oracle recompiles what a unit being compiled uses.
bool unitCompiles(SessionState& s, LoadedUnit& lu);

// The unit ready to run: compiled with its body (recompiled first when INVALID or changed) and its package state
// initialised. Throws PlError: ORA-04063 when it has errors, ORA-06508 when it is gone.
std::shared_ptr<LoadedUnit> loadForCall(Ctx& c, int64_t objectId);

// Runs its scope with the session acting as a unit's owner, with the owner's rights and schema: stored units run
// with their definer's rights (Oracle's AUTHID DEFINER). Does nothing when the session is already the owner.
class DefinerRights {
public:
    DefinerRights(SessionState& s, int64_t ownerId, const std::string& owner);

private:
    std::optional<ActingAs> as_;
};

// A variable of the package's state (the package made ready as for a call).
Val* packageVariable(Ctx& c, int64_t objectId, int slot);

} // namespace engine::plsql
