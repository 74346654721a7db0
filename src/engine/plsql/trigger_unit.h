// A database trigger read from its source: the header (timing, events, UPDATE OF columns, REFERENCING names, WHEN)
// and its body compiled with :NEW, :OLD and INSERTING/UPDATING/DELETING, under its owner's rights.
#pragma once

#include "engine/plsql/ast.h"
#include "engine/plsql/compiler.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::plsql {

// TRIGGER$.TYPE# as Oracle numbers the timings.
enum TriggerType { kBeforeStatement = 0, kBeforeRow = 1, kAfterStatement = 2, kAfterRow = 3 };

struct TriggerUnit {
    int64_t id = 0;
    int64_t ownerId = 0;
    std::string owner, name;
    int64_t tableId = 0;
    std::string source; // as stored: begins with TRIGGER
    std::unique_ptr<Unit> header; // the parsed header; its block is a stand-in when the body does not parse
    std::string whenText; // the WHEN condition as written, empty without one
    std::string blockText; // the PL/SQL block (TRIGGER$.ACTION#)
    std::shared_ptr<const RecordDef> row; // the table's columns, for :NEW and :OLD
    // The compiled forms, with the syntax trees and texts they were made from, which they may point into.
    std::unique_ptr<Unit> blockTree, whenTree;
    std::string whenBlockText;
    std::optional<CompileOutput> body;
    std::optional<CompileOutput> when;
    std::vector<CompileError> errors; // the body's errors, numbered from its block

    int type() const;
    bool valid() const { return errors.empty() && body && body->unit; }
};

// Runs its scope with the session acting as the given user (and schema): a trigger is compiled and runs with its
// owner's rights, whoever fired it.
class ActingAs {
public:
    ActingAs(SessionState& s, int64_t userId, const std::string& user);
    ~ActingAs();
    ActingAs(const ActingAs&) = delete;
    ActingAs& operator=(const ActingAs&) = delete;

private:
    SessionState& s_;
    int64_t userId_, schemaId_, fctxSchemaId_;
    std::string user_, schema_, fctxSchema_, fctxUser_;
    int64_t fctxUserId_;
    bool sysdba_;
};

// Reads the header of a trigger's source. Throws Error with Oracle's code when the header itself is malformed
// (ORA-04079); a malformed body is left to compileTriggerUnit, which lists its errors.
TriggerUnit readTrigger(std::string_view source);

// Compiles the body and the WHEN condition against the table `tableId` (as the session's current user: wrap in
// ActingAs for the owner). Errors of the body go to `errors`; a WHEN condition that does not compile throws
// ORA-04076, a :NEW or :OLD in a statement trigger ORA-04082.
void compileTriggerUnit(SessionState& s, TriggerUnit& t);

// The stored trigger with this object number, read and compiled under its owner's rights.
std::unique_ptr<TriggerUnit> loadTrigger(SessionState& s, int64_t id);

} // namespace engine::plsql
