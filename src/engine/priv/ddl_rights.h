// The rights a DDL statement needs, checked before it changes anything: CREATE in one's own schema, the ANY
// privileges in another's, the object privileges ALTER, INDEX and REFERENCES on another's table.
#pragma once

#include "engine/sql/ast.h"

#include <string>

namespace engine {
struct SessionState;
namespace bind {
struct BoundStatement;
}
} // namespace engine

namespace engine::priv {

// ORA-01031 when the session's user may not run the statement, ORA-00942 (ORA-02289 for a sequence) when the
// object it names is one the user may not see. Statements it does not know pass (GRANT and REVOKE check their
// own rights).
void checkDdl(SessionState& s, const sql::Statement& stmt);

// A view's query, for the view's owner: every object it reads must be visible to the owner and readable with a
// privilege granted to the owner directly or to PUBLIC (ORA-00942, ORA-01031), as Oracle asks of a view.
void checkViewQuery(SessionState& s, const std::string& owner, const bind::BoundStatement& query);

// For the stages that create these objects: CREATE [PUBLIC] DATABASE LINK, and stored code (procedures,
// functions, packages, triggers) in a schema: ORA-01031 without CREATE [ANY] PROCEDURE / TRIGGER.
void checkCreateDatabaseLink(SessionState& s, bool isPublic);
void checkCreateCode(SessionState& s, const std::string& owner, bool trigger);

} // namespace engine::priv
