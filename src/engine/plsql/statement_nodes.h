// The compiled statements: assignment, calls, IF and CASE, loops, EXIT and CONTINUE, RETURN, RAISE, nested blocks,
// embedded SQL, transaction control and EXECUTE IMMEDIATE.
#pragma once

#include "engine/plsql/embedded_sql.h"
#include "engine/plsql/interpreter.h"

#include <memory>
#include <string>
#include <vector>

namespace engine::plsql {

struct SAssign : CStmt {
    CExprPtr target, value;
    Flow exec(Ctx& c) const override;
};

struct SInit : CStmt {
    CExprPtr target; // a CVar
    CExprPtr value; // may be null
    PlType type;
    Flow exec(Ctx& c) const override;
};

struct SEval : CStmt {
    CExprPtr call;
    Flow exec(Ctx& c) const override;
};

struct SIf : CStmt {
    std::vector<std::pair<CExprPtr, std::vector<CStmtPtr>>> branches;
    std::vector<CStmtPtr> elseBranch;
    bool hasElse = false;
    bool caseStatement = false;
    CExprPtr selector;
    Flow exec(Ctx& c) const override;
};

struct SLoop : CStmt {
    std::string label;
    CExprPtr whileCond;
    std::vector<CStmtPtr> body;
    Flow exec(Ctx& c) const override;
};

struct SForNum : CStmt {
    std::string label;
    CExprPtr var, lower, upper;
    bool reverse = false;
    std::vector<CStmtPtr> body;
    Flow exec(Ctx& c) const override;
};

struct SExit : CStmt {
    bool isContinue = false;
    std::string label;
    CExprPtr when;
    Flow exec(Ctx& c) const override;
};

struct SReturn : CStmt {
    CExprPtr value;
    int pipeSlot = -1; // a pipelined function's: it returns the rows piped so far
    Flow exec(Ctx& c) const override;
};

struct SRaise : CStmt {
    int code = 0; // 0: re-raise
    std::string message;
    const void* user = nullptr;
    Flow exec(Ctx& c) const override;
};

struct SRaiseAppError : CStmt {
    CExprPtr code, message;
    Flow exec(Ctx& c) const override;
};

struct SBlock : CStmt {
    std::unique_ptr<CBlock> block;
    Flow exec(Ctx& c) const override;
};

struct SSql : CStmt {
    std::unique_ptr<EmbeddedSql> sql;
    std::vector<CExprPtr> into;
    bool isSelect = false;
    bool isDml = false;
    bool bulk = false; // BULK COLLECT INTO (of a query or of RETURNING)
    Flow exec(Ctx& c) const override;
};

// COMMIT, ROLLBACK, SAVEPOINT, SET TRANSACTION, LOCK TABLE: run by the executor from their text.
struct STransaction : CStmt {
    std::string text;
    Flow exec(Ctx& c) const override;
};

// The placeholders of a dynamic statement in the order USING binds them: a block's by name (a repeated name is one
// argument), a SQL statement's by position (each place its own argument, renamed in `text` to tell them apart).
std::vector<std::string> dynamicPlaceholders(std::string& text, bool* isBlock = nullptr);

struct SExecImmediate : CStmt {
    CExprPtr text;
    std::vector<CExprPtr> usingArgs;
    std::vector<Param::Mode> modes;
    std::vector<CExprPtr> into;
    bool bulk = false; // BULK COLLECT INTO, RETURNING BULK COLLECT INTO
    Flow exec(Ctx& c) const override;
};

struct SGoto : CStmt {
    std::string target;
    Flow exec(Ctx& c) const override
    {
        c.gotoLabel = target;
        return Flow::Goto;
    }
};

struct SNull : CStmt {
    Flow exec(Ctx&) const override { return Flow::Normal; }
};

} // namespace engine::plsql
