// The compiled form the interpreter runs: expressions and statements with every name resolved to a frame slot, a
// subprogram or an embedded statement, so nothing is looked up by name while a block runs.
#pragma once

#include "engine/exec/statement_cache.h"
#include "engine/plsql/ast.h"
#include "engine/plsql/types.h"
#include "engine/plsql/value.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::plsql {

// The variables of one running subprogram (or anonymous block): nested blocks share their subprogram's frame.
struct Frame {
    std::vector<Val> slots;
    Frame* link = nullptr; // the frame of the enclosing subprogram
    int line = 0; // the line of the statement running in it
};

struct CUnit;

struct Ctx {
    explicit Ctx(SessionState& session)
        : s(session)
    {
    }
    SessionState& s;
    Frame* frame = nullptr;
    std::vector<Bind>* binds = nullptr; // the call's binds (:name)
    const CUnit* unit = nullptr;
    // SQL%ROWCOUNT, SQL%FOUND of the last embedded statement
    int64_t sqlRowCount = 0;
    int sqlFound = -1;
    std::vector<const PlError*> handling; // errors whose handler is running: SQLCODE, SQLERRM, RAISE;
    std::string exitLabel; // EXIT / CONTINUE of an outer loop
    std::string gotoLabel; // the label a GOTO looks for in the statement lists around it
    Val returnValue;
    int depth = 0; // nesting of calls, bounded
    // The last FORALL: rows each index's statement changed (SQL%BULK_ROWCOUNT), and under SAVE EXCEPTIONS the
    // iterations that failed with their error codes (SQL%BULK_EXCEPTIONS).
    std::map<int64_t, int64_t> bulkRowCount;
    std::vector<std::pair<int64_t, int>> bulkExceptions;
    int64_t forAllIteration = 0; // inside FORALL: 1, 2, ... for each execution of its statement; 0 outside
};

enum class Flow { Normal, Exit, Continue, Return, Goto };

struct CExpr {
    PlType type;
    Pos pos;
    virtual ~CExpr() = default;
    virtual Val eval(Ctx& c) const = 0;
    // The variable an assignment writes, when the expression names one.
    virtual Val* ref(Ctx&) const { return nullptr; }
    // Oracle's name of what is written, for PLS-00363 when it cannot be.
    bool assignable = false;
};
using CExprPtr = std::unique_ptr<CExpr>;

struct CStmt {
    int line = 0;
    std::string label; // <<label>> before it, a GOTO's target
    virtual ~CStmt() = default;
    virtual Flow exec(Ctx& c) const = 0;
};
using CStmtPtr = std::unique_ptr<CStmt>;

struct CHandler {
    std::vector<int> codes; // Oracle error codes it catches
    std::vector<const void*> userExceptions;
    bool others = false;
    std::vector<CStmtPtr> body;
};

struct CBlock {
    std::string label;
    std::vector<CStmtPtr> init; // the declarations' initial values, run at each entry
    std::vector<CStmtPtr> body;
    std::vector<CHandler> handlers;
    bool autonomous = false; // PRAGMA AUTONOMOUS_TRANSACTION among its declarations
};

struct CParam {
    std::string name;
    Param::Mode mode = Param::Mode::In;
    PlType type;
    int slot = 0;
    CExprPtr defaultValue;
};

// A subprogram: local, or a stored procedure or function, or a package's.
struct CSub {
    std::string name;
    bool isFunction = false;
    int level = 0; // 0 for a unit's own frame; a local subprogram is one deeper than its parent
    int frameSize = 0;
    std::vector<CParam> params;
    PlType returnType;
    std::unique_ptr<CBlock> body;
    bool defined = false;
    Pos pos;
    // RETURN ... PIPELINED: PIPE ROW adds to the result (`pipeSlot` in its frame), which RETURN gives back
    // (pipelined.cpp).
    bool pipelined = false;
    int pipeSlot = -1;
};

// A compiled unit: the top block's frame, its subprograms and the unit's name for ORA-06512 lines.
struct CUnit {
    std::string owner, name; // empty for an anonymous block
    int64_t ownerId = -1; // a stored unit's owner, whose rights it runs with; -1 for an anonymous block
    // AUTHID CURRENT_USER: the unit runs with the rights and names of its caller's current user, and its SQL is
    // bound again for each current user and schema it runs under.
    bool invokerRights = false;
    int frameSize = 0;
    std::unique_ptr<CBlock> block;
    std::vector<std::shared_ptr<CSub>> subs;
    std::vector<std::unique_ptr<CExpr>> keep;
    std::string where(int line) const
    {
        if (name.empty())
            return "ORA-06512: at line " + std::to_string(line);
        return "ORA-06512: at \"" + owner + "." + name + "\", line " + std::to_string(line);
    }
};

} // namespace engine::plsql
