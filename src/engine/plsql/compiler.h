// The PL/SQL compiler: resolves every name of a parsed unit (variables to frame slots, types, cursors, exceptions,
// subprograms, embedded SQL against the catalog) and builds the form the interpreter runs. Errors are collected
// with Oracle's line, column and text, as Oracle lists them for a unit.
#pragma once

#include "engine/plsql/ast.h"
#include "engine/plsql/nodes.h"
#include "engine/plsql/unit_store.h"

#include <memory>
#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::plsql {

struct CompileOutput {
    std::unique_ptr<CUnit> unit;
    std::vector<CompileError> errors;
    // Storage of the call's binds (:NAME) the compiled unit refers to, in the order of `binds`.
    std::shared_ptr<std::vector<Val>> bindValues;
    // The objects the unit uses (filled for triggers, whose DEPENDENCY$ rows list them).
    std::vector<int64_t> dependsOn;
};

// Compiles an anonymous block; `binds` are the call's binds, which :NAME refers to.
CompileOutput compileBlock(SessionState& s, std::string_view text, const Unit& unit, const std::vector<Bind>& binds);

// The names a stored unit offers to the units that use it (a package header's declarations; a procedure or function
// itself).
struct PackageSymbols;

struct StoredCompileOutput {
    std::unique_ptr<CUnit> unit; // its top frame is the package's state (empty for a procedure or function)
    std::shared_ptr<PackageSymbols> symbols;
    std::vector<CompileError> errors;
    std::vector<int64_t> dependsOn; // objects the unit uses, synonyms on the way included
    std::shared_ptr<const StoredCompileOutput> interface; // kept alive: its exceptions are the runnable form's
};

// Compiles a stored procedure, function or package header (`spec`, parsed from `specText`) and, for a package, its
// body (`body` from `bodyText`, or null), with the session acting as the unit's owner (the caller sees to that).
// With `headersOnly` subprograms' bodies are left out: the interface callers compile against. `interface`, given
// when the runnable form is compiled, lends it the header's exceptions so that callers compiled against the
// interface catch what the unit raises. The errors are those of the body when one is given, else of the header.
StoredCompileOutput compileStored(SessionState& s, const StoredUnit& info, std::string_view specText, const Unit& spec,
    std::string_view bodyText, const Unit* body, bool headersOnly,
    std::shared_ptr<const StoredCompileOutput> interface = nullptr);

// The subprograms of a compiled unit named `member` (a procedure's or function's own name for a unit of its own),
// overloads in declaration order.
std::vector<std::shared_ptr<CSub>> subprogramsOf(const PackageSymbols& symbols, const std::string& member);

// The ARGUMENT$ rows of a compiled procedure, function or package header, `spec` being the tree it was compiled from.
std::vector<ArgumentRow> argumentsOf(const StoredCompileOutput& out, const Unit& spec, const StoredUnit& info);

// What a trigger's body names besides its own declarations: :NEW and :OLD (under their REFERENCING names) as
// records of the table's row, and INSERTING, UPDATING, UPDATING('COLUMN'), DELETING. They live in the first slots
// of the trigger's frame, which the caller fills before each firing.
enum TriggerSlot {
    kTriggerNew = 0,
    kTriggerOld,
    kTriggerInserting,
    kTriggerUpdating,
    kTriggerDeleting,
    kTriggerColumns, // the SET list of the UPDATE as ",COL1,COL2,"
    kTriggerResult, // the WHEN condition's value
    kTriggerSlots
};
struct TriggerNames {
    std::shared_ptr<const RecordDef> row; // the table's columns; null for a statement trigger
    std::string newName = "NEW", oldName = "OLD";
    bool newWritable = false; // BEFORE EACH ROW may assign :NEW
    bool plainNames = false; // the WHEN condition names the rows without a colon
};

// Compiles a trigger's PL/SQL block (text holds the block alone, so its lines count from DECLARE or BEGIN), or the
// block "BEGIN TRG$RESULT := condition; END;" that evaluates its WHEN condition.
CompileOutput compileTrigger(SessionState& s, std::string_view text, const Unit& unit, const TriggerNames& names);

} // namespace engine::plsql
