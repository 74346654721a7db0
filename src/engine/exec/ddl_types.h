// CREATE [OR REPLACE] TYPE ... AS TABLE OF | VARRAY(n) OF and DROP TYPE: collection types of a schema.
#pragma once

#include "engine/sql/ast.h"

#include <string>

namespace engine {
struct SessionState;
}

namespace engine::exec {

// Stores the type (OBJ$ TYPE# 13, its text in SOURCE$, its element in ARGUMENT$ at POSITION# 0). An element type
// that names nothing leaves the type INVALID with its error in ERROR$ and sets `warning`.
void createCollectionType(SessionState& s, const sql::PlSqlStmt& stmt, std::string& warning);
// DROP TYPE [FORCE]: ORA-02303 while another type depends on it and FORCE is absent; units using it become INVALID.
void dropCollectionType(SessionState& s, const sql::DropObjectStmt& stmt);

} // namespace engine::exec
