// The statements that work on cursors: their initialisation, OPEN (of a declared cursor, OPEN FOR a query or a
// text), the cursor FOR loop, FETCH and CLOSE. A declared cursor belongs to the frame that declares it, which may be
// several static links above the subprogram that opens it: its parameters, their defaults and the variables its
// query names are read there, never in the opener's frame.
#pragma once

#include "engine/plsql/interpreter.h"

#include <memory>
#include <string>
#include <vector>

namespace engine::plsql {

// The arguments an OPEN or a cursor FOR loop passes to a declared cursor.
struct CursorCall {
    int declDepth = 0; // static links from the opener's frame up to the declaring one
    const std::vector<CParam>* params = nullptr; // the cursor's, with slots in the declaring frame
    std::vector<CExprPtr> args; // per parameter, evaluated in the opener's frame; null where the default applies
    // A package's declared cursor opened from another unit: the declaring frame is that package's state
    // in the session (declDepth is not used).
    int64_t packageUnit = 0;
};

// Opens a declared cursor: the arguments are evaluated where it is opened, the parameters (and defaults) are set
// in the declaring frame, and the query runs with that frame's variables.
void openDeclared(OpenCursor& cur, EmbeddedSql& sql, const CursorCall& call, Ctx& c);

struct SCursorInit : CStmt {
    CExprPtr target;
    Flow exec(Ctx& c) const override;
};

struct SCursorFor : CStmt {
    std::string label;
    CExprPtr record; // the loop's record variable
    CExprPtr cursorVar; // an explicit cursor, or null for an inline query
    EmbeddedSql* sql = nullptr;
    std::unique_ptr<EmbeddedSql> ownSql;
    CursorCall call; // an explicit cursor's arguments
    std::vector<CStmtPtr> body;
    Flow exec(Ctx& c) const override;
};

struct SOpen : CStmt {
    CExprPtr cursorVar;
    EmbeddedSql* sql = nullptr; // explicit cursor's query or OPEN FOR's
    std::unique_ptr<EmbeddedSql> ownSql;
    CursorCall call; // an explicit cursor's arguments
    CExprPtr dynamicText; // OPEN FOR expr
    std::vector<CExprPtr> usingArgs;
    Flow exec(Ctx& c) const override;

private:
    std::vector<Bind> dynamicBinds(std::string& text, Ctx& c) const;
};

struct SFetch : CStmt {
    CExprPtr cursorVar;
    std::vector<CExprPtr> into;
    bool bulk = false; // BULK COLLECT INTO [LIMIT n]
    CExprPtr limit;
    Flow exec(Ctx& c) const override;
};

struct SClose : CStmt {
    CExprPtr cursorVar;
    Flow exec(Ctx& c) const override;
};

} // namespace engine::plsql
