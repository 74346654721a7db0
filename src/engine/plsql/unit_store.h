// The catalog rows of stored PL/SQL units (procedures, functions, packages, package bodies and triggers): the OBJ$
// row, the source line by line in SOURCE$, compile errors in ERROR$, what the unit uses in DEPENDENCY$ and its
// subprograms' arguments in ARGUMENT$. Every write happens in the caller's SQLite transaction (a DDL statement's).
#pragma once

#include "engine/plsql/ast.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::plsql {

// One stored unit as OBJ$ has it.
struct StoredUnit {
    int64_t id = 0;
    int64_t ownerId = 0;
    std::string owner;
    std::string name;
    int type = 0; // catalog::kTypeProcedure, kTypeFunction, kTypePackage, kTypePackageBody, kTypeTrigger
    bool valid = true;
};

// OBJ$.TYPE# of a parsed unit's kind (0 for an anonymous block).
int objectTypeOf(Unit::Kind kind);
// The object word as Oracle prints it in messages and ALL_OBJECTS: "PROCEDURE", "PACKAGE BODY", "TRIGGER" ...
std::string objectWord(int type);

// The unit of that type, if there is one.
std::optional<StoredUnit> findUnit(SessionState& s, int64_t ownerId, const std::string& name, int type);

// Makes the OBJ$ row for CREATE [OR REPLACE]: a new object (STATUS VALID until setCompiled says otherwise), or with
// OR REPLACE the existing object of the same type, which keeps its number (and so its grants and the
// DEPENDENCY$ rows of its dependents). ORA-00955 at `offset` when the name is taken by another object of the
// namespace, or by this type without OR REPLACE.
StoredUnit defineUnit(
    SessionState& s, int64_t ownerId, const std::string& name, int type, bool orReplace, int offset = 0);

// Replaces the unit's SOURCE$ rows with `text` split into lines, each line keeping its line feed as Oracle keeps
// it. The text begins with the unit's type word ("PROCEDURE P IS ..."): CREATE [OR REPLACE] is not part of it.
void storeSource(SessionState& s, int64_t id, std::string_view text);
// The stored text, lines joined again.
std::string loadSource(SessionState& s, int64_t id);

// Replaces the unit's ERROR$ rows: line and column in the stored text, Oracle's message text ("PLS-00201: ...").
void storeErrors(SessionState& s, int64_t id, const std::vector<CompileError>& errors);

// Replaces the unit's DEPENDENCY$ rows with the objects it uses (tables, views, sequences, synonyms, units); the
// unit itself and duplicates are left out.
void storeDependencies(SessionState& s, int64_t id, const std::vector<int64_t>& referenced);

// One row of ARGUMENT$: an argument of a subprogram (or a record's field one level down, or a function's result
// at POSITION 0), as ALL_ARGUMENTS shows it.
struct ArgumentRow {
    std::string procedure; // the package's member; empty for a procedure or function of its own
    int overload = 0; // 0 when the name is not overloaded, else 1, 2 ...
    int subprogramId = 1;
    std::string argument; // empty: no name (a result, or the row of a subprogram without arguments)
    int position = 1;
    int sequence = 1;
    int level = 0;
    int typeNo = 0; // Oracle's type code (1 VARCHAR2, 2 NUMBER, 252 PL/SQL BOOLEAN ...); 0 for no argument
    bool defaulted = false;
    int inOut = 0; // 0 IN, 1 OUT, 2 IN/OUT
    std::optional<int> length, precision, scale;
    std::string plsType; // PLS_TYPE: VARCHAR2, NUMBER, PLS_INTEGER ...
    std::string typeOwner, typeName, typeSubname; // a record or table type declared in a package
    bool charUsed = false; // a character argument: CHAR_USED 'B'
};

// Replaces the unit's ARGUMENT$ rows.
void storeArguments(SessionState& s, int64_t id, const std::vector<ArgumentRow>& rows);

// After a compile: STATUS VALID or INVALID; LAST_DDL_TIME and TIMESTAMP move on.
void setCompiled(SessionState& s, int64_t id, bool valid);
// Records the unit's AUTHID (CURRENT_USER when `invokerRights`) in OBJ$.FLAGS, as ALL_PROCEDURES shows it.
void setAuthid(SessionState& s, int64_t id, bool invokerRights);

// Marks every object that uses `id`, directly or through others, INVALID (views and units alike), and tells
// every session that compiled forms made before may be stale.
void invalidateDependents(SessionState& s, int64_t id);

// Removes a unit's rows from OBJ$, SOURCE$, ERROR$, DEPENDENCY$, ARGUMENT$ and its grants; dependents become
// INVALID first.
void removeUnit(SessionState& s, int64_t id);

} // namespace engine::plsql
