// Pipelined table functions: RETURN collection PIPELINED, PIPE ROW and RETURN. The function runs to its end when SQL
// calls it for TABLE(f(...)); each PIPE ROW adds an element to the rows it returns, which TABLE() then reads in
// order. A consumer that stops early (ROWNUM) still lets the function run to its end, so ORA-06548 (no more rows
// needed) is never raised.
#include "engine/plsql/collections.h"
#include "engine/plsql/compiler_impl.h"

namespace engine::plsql {

namespace {

struct SPipeRow : CStmt {
    CExprPtr value;
    PlType collection;
    int slot = 0;
    Flow exec(Ctx& c) const override
    {
        Val row = value->eval(c);
        Val& rows = c.frame->slots[static_cast<size_t>(slot)];
        if (!rows.c)
            rows = emptyCollection(collection);
        appendElement(rows, collection, std::move(row), c);
        return Flow::Normal;
    }
};

} // namespace

// A pipelined function returns a nested table or VARRAY (PLS-00630 otherwise); its rows are kept in a slot of its
// frame.
void Compiler::startPipelined(const Subprogram& sp, CSub& csub)
{
    if (!csub.returnType.isDenseCollection())
        fail(sp.pos, "PLS-00630: pipelined functions must have a supported collection return type");
    pipeSlot = alloc();
    csub.pipeSlot = pipeSlot;
}

CStmtPtr Compiler::pipeRow(const Stmt& s)
{
    if (pipeSlot < 0)
        fail(s.pos, "PLS-00629: PIPE statement cannot be used in non-pipelined functions");
    auto n = std::make_unique<SPipeRow>();
    n->collection = *returnType;
    n->slot = pipeSlot;
    n->value = expr(*s.value);
    const PlType& element = *returnType->element;
    if ((n->value->type.kind == PlKind::Boolean) != (element.kind == PlKind::Boolean)
        || (n->value->type.kind == PlKind::Record) != (element.kind == PlKind::Record))
        fail(s.value->pos, "PLS-00382: expression is of wrong type");
    return n;
}

} // namespace engine::plsql
