// Running anonymous blocks for a client: parse, compile with the call's binds, run with the call's statement-level
// atomicity, hand OUT binds and REF CURSORs back, and report errors as Oracle's stack.
#include "engine/plsql/runtime.h"

#include "engine/plsql/compiler.h"
#include "engine/plsql/interpreter.h"
#include "engine/plsql/parser.h"
#include "engine/plsql/values.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"

namespace engine::plsql {

namespace {

// A REF CURSOR handed to the client: reads the rows the block opened.
class RefCursorOut : public Cursor {
public:
    explicit RefCursorOut(std::shared_ptr<OpenCursor> cur)
        : cur_(std::move(cur))
    {
    }
    const std::vector<ColumnDesc>& columns() const override { return cur_->columns; }
    bool next() override { return cur_->isOpen && cur_->rows && cur_->rows->next(); }
    const Value& value(int i) const override { return cur_->rows->value(i); }
    void close() override
    {
        if (cur_->rows)
            cur_->rows->close();
        cur_->isOpen = false;
    }

private:
    std::shared_ptr<OpenCursor> cur_;
};

std::string compileMessage(const std::vector<CompileError>& errors)
{
    std::string m;
    for (const CompileError& e : errors) {
        if (!m.empty())
            m += "\n";
        m += "ORA-06550: line " + std::to_string(e.line) + ", column " + std::to_string(e.col) + ":\n" + e.text;
    }
    return m;
}

Value toBindValue(const Val& v, const Bind& b, const SessionState& s)
{
    if (v.v.isNull())
        return v.v;
    switch (b.type) {
    case OraType::Number:
        return valueOf(numberOf(v.v));
    case OraType::Date:
        return dateOf(v.v, s);
    case OraType::Varchar2:
    case OraType::Char:
    case OraType::Long:
    case OraType::Clob:
    case OraType::Rowid:
        if (v.v.kind == Value::Kind::Text)
            return v.v;
        return Value::fromText(textOf(v.v, s));
    default:
        return v.v;
    }
}

} // namespace

ExecResult execute(SessionState& s, const sql::PlSqlStmt& stmt, std::string_view sql, std::vector<Bind>& binds)
{
    if (stmt.unit != sql::PlSqlStmt::Unit::AnonymousBlock)
        throw oraError(3001, "unimplemented feature: CREATE of stored PL/SQL units", stmt.offset);
    ParseOutput parsed = parseUnit(sql, stmt.offset);
    if (parsed.error)
        throw Error(6550, compileMessage({ *parsed.error }), parsed.error->offset);
    CompileOutput compiled = compileBlock(s, sql, *parsed.unit, binds);
    if (!compiled.errors.empty())
        throw Error(6550, compileMessage(compiled.errors), compiled.errors.front().offset);

    std::vector<Val>& bindVals = *compiled.bindValues;
    for (size_t i = 0; i < binds.size(); ++i)
        if (binds[i].dir != BindDir::Out)
            bindVals[i].v = binds[i].value;

    Frame frame;
    frame.slots.resize(static_cast<size_t>(compiled.unit->frameSize));
    Ctx c(s);
    c.frame = &frame;
    c.binds = &binds;
    c.unit = compiled.unit.get();
    const int64_t undoMark = s.undo->mark();
    const int64_t lockMark = s.db->locks.mark(s.sid);
    const bool wasInTransaction = s.inTransaction;
    try {
        runBlock(*compiled.unit->block, c);
    } catch (PlError& e) {
        e.stack.push_back(compiled.unit->where(frame.line));
        // The call is one statement: what it did is undone, the transaction's earlier work is kept. A COMMIT inside
        // the block has already made its part permanent.
        try {
            if (s.undo->mark() >= undoMark)
                session::undoStatement(s, undoMark, lockMark);
            s.inTransaction = wasInTransaction || s.undo->changedSince(0);
        } catch (const Error&) {
        }
        std::string message = e.message;
        for (const std::string& line : e.stack)
            message += "\n" + line;
        throw Error(e.code, message);
    }
    for (size_t i = 0; i < binds.size(); ++i) {
        if (binds[i].dir == BindDir::In)
            continue;
        if (binds[i].type == OraType::RefCursor) {
            const Val& v = bindVals[i];
            if (v.c && v.c->cursor && v.c->cursor->isOpen)
                binds[i].cursor = std::make_shared<RefCursorOut>(v.c->cursor);
            continue;
        }
        binds[i].value = toBindValue(bindVals[i], binds[i], s);
    }
    ExecResult r;
    r.kind = StatementKind::PlSql;
    r.rowsProcessed = 1;
    return r;
}

void checkBlock(SessionState& s, std::string_view block, const std::vector<Bind>& binds)
{
    ParseOutput parsed = parseUnit(block, 0);
    if (parsed.error)
        throw Error(6550, compileMessage({ *parsed.error }), parsed.error->offset);
    CompileOutput compiled = compileBlock(s, block, *parsed.unit, binds);
    if (!compiled.errors.empty())
        throw Error(6550, compileMessage(compiled.errors), compiled.errors.front().offset);
}

} // namespace engine::plsql
