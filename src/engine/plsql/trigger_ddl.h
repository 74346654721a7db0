// DDL of database triggers: CREATE [OR REPLACE] TRIGGER (stored even with compile errors), ALTER TRIGGER ENABLE |
// DISABLE | COMPILE, DROP TRIGGER, ALTER TABLE ENABLE | DISABLE ALL TRIGGERS and the triggers going with their
// table. Each runs inside the caller's DDL transaction.
#pragma once

#include "engine/sql/ast.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {
struct SessionState;
}

namespace engine::plsql {

// CREATE TRIGGER; `warning` receives "success with compilation error" when the body has errors.
void createTrigger(SessionState& s, const sql::PlSqlStmt& stmt, std::string_view sql, std::string& warning);
// ALTER TRIGGER name ENABLE | DISABLE | COMPILE; `warning` as for CREATE.
void alterTrigger(SessionState& s, const sql::AlterCodeStmt& stmt, std::string& warning);
// DROP TRIGGER name (ORA-04080 when there is none).
void dropTrigger(SessionState& s, const sql::DropObjectStmt& stmt);
// ALTER TABLE ... ENABLE | DISABLE ALL TRIGGERS.
void setTableTriggers(SessionState& s, int64_t tableId, bool enabled);
// DROP TABLE: the table's triggers go with it.
void dropTableTriggers(SessionState& s, int64_t tableId);

} // namespace engine::plsql
