// The interpreter's building blocks shared by the compiler: running statement lists and blocks with their exception
// handlers, calling subprograms, and the cursor operations.
#pragma once

#include "engine/plsql/embedded_sql.h"
#include "engine/plsql/nodes.h"

namespace engine::plsql {

// Runs statements in order, noting each one's line in the frame; stops at EXIT, CONTINUE or RETURN.
Flow runStatements(const std::vector<CStmtPtr>& list, Ctx& c);
// A block: its declarations, its statements, and its handlers for what they raise.
Flow runBlock(const CBlock& b, Ctx& c);
// What a loop does with the flow of its body: true when the loop ends with `out`.
bool loopEnds(Flow f, const std::string& label, Ctx& c, Flow& out);
// Calls a subprogram with its arguments (null where the parameter's default applies).
Val callSubprogram(const CSub& sub, const CUnit* unit, const std::vector<const CExpr*>& args, int linkDepth, Ctx& c);
// The same with the frame the subprogram's own names are found in (a package's state for a stored subprogram).
Val callSubprogramAt(const CSub& sub, const CUnit* unit, const std::vector<const CExpr*>& args, Frame* link, Ctx& c);

// The frame `depth` static links up from the running one: where a name of an enclosing subprogram, package or
// block lives.
Frame* enclosingFrame(Ctx& c, int depth);

// Runs its scope with `frame` as the running frame: for code compiled where a cursor is declared (its query, its
// parameters' defaults), run from the deeper subprogram that opens it.
class FrameSwitch {
public:
    FrameSwitch(Ctx& c, Frame* frame)
        : c_(c)
        , saved_(c.frame)
    {
        c.frame = frame;
    }
    ~FrameSwitch() { c_.frame = saved_; }
    FrameSwitch(const FrameSwitch&) = delete;
    FrameSwitch& operator=(const FrameSwitch&) = delete;

private:
    Ctx& c_;
    Frame* saved_;
};

// Cursors.
void openCursor(OpenCursor& cur, EmbeddedSql& sql, Ctx& c);
bool fetchRow(OpenCursor& cur, Ctx& c); // false at the end; throws ORA-01001 on a closed cursor
void closeCursor(OpenCursor& cur);
// Assigns the current row to INTO targets (one record, or one target per column).
void assignRow(OpenCursor& cur, const std::vector<const CExpr*>& targets, Ctx& c);
// Assigns one value to an INTO target or the target of :=, converting it to the target's type.
void assignTo(const CExpr& target, const Val& v, Ctx& c);

// A fresh value of the type: records with their fields, empty tables, closed cursors.
Val initialValue(const PlType& t);

void checkInterrupt(Ctx& c);

} // namespace engine::plsql
