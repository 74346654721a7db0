// Running the cursor statements.
#include "engine/plsql/cursor_statements.h"

#include "engine/exec/executor.h"
#include "engine/plsql/bulk.h"
#include "engine/plsql/statement_nodes.h"
#include "engine/plsql/stored_units.h"
#include "engine/plsql/values.h"
#include "engine/session/session_state.h"
#include "engine/sql/lexer.h"

#include <algorithm>

namespace engine::plsql {

void openDeclared(OpenCursor& cur, EmbeddedSql& sql, const CursorCall& call, Ctx& c)
{
    const size_t n = call.params ? call.params->size() : 0;
    std::vector<Val> values(n);
    for (size_t i = 0; i < n && i < call.args.size(); ++i)
        if (call.args[i])
            values[i] = call.args[i]->eval(c);
    std::shared_ptr<LoadedUnit> package = call.packageUnit ? loadForCall(c, call.packageUnit) : nullptr;
    Frame* declaring = package ? package->state.get() : enclosingFrame(c, call.declDepth);
    FrameSwitch at(c, declaring);
    for (size_t i = 0; i < n; ++i) {
        const CParam& p = (*call.params)[i];
        const bool given = i < call.args.size() && call.args[i];
        if (!given && !p.defaultValue)
            throw plError(6550, "wrong number or types of arguments in call to cursor");
        Val v = given ? values[i] : p.defaultValue->eval(c);
        declaring->slots[static_cast<size_t>(p.slot)] = convertTo(v, p.type, c.s);
    }
    openCursor(cur, sql, c);
}

Flow SCursorInit::exec(Ctx& c) const
{
    Val* slot = target->ref(c);
    slot->v = Value::null();
    slot->c = std::make_shared<Composite>();
    slot->c->cursor = std::make_shared<OpenCursor>();
    return Flow::Normal;
}

Flow SCursorFor::exec(Ctx& c) const
{
    std::shared_ptr<OpenCursor> cur;
    if (cursorVar) {
        Val* cv = cursorVar->ref(c);
        cur = cv->c->cursor;
        openDeclared(*cur, *sql, call, c);
    } else {
        cur = std::make_shared<OpenCursor>();
        openCursor(*cur, *sql, c);
    }
    struct Closer {
        OpenCursor& cur;
        ~Closer()
        {
            if (cur.isOpen)
                closeCursor(cur);
        }
    } closer { *cur };
    std::vector<const CExpr*> targets { record.get() };
    for (;;) {
        checkInterrupt(c);
        if (!fetchRow(*cur, c))
            break;
        assignRow(*cur, targets, c);
        Flow out;
        if (loopEnds(runStatements(body, c), label, c, out))
            return out;
    }
    return Flow::Normal;
}

Flow SOpen::exec(Ctx& c) const
{
    Val* cv = cursorVar->ref(c);
    if (!cv->c || !cv->c->cursor) {
        cv->c = std::make_shared<Composite>();
        cv->c->cursor = std::make_shared<OpenCursor>();
    }
    if (ownSql || dynamicText) {
        // OPEN FOR: a REF CURSOR is opened again with a new query; the old one closes.
        if (cv->c->cursor->isOpen)
            cv->c->cursor = std::make_shared<OpenCursor>();
    }
    if (dynamicText) {
        std::string text = textOf(dynamicText->eval(c).v, c.s);
        std::vector<Bind> binds = dynamicBinds(text, c);
        ExecResult r;
        try {
            r = exec::executeNested(c.s, text, binds);
        } catch (const Error& e) {
            PlError p;
            p.code = e.code();
            p.message = e.message();
            throw p;
        }
        OpenCursor& cur = *cv->c->cursor;
        cur.rows = std::move(r.cursor);
        cur.columns = cur.rows ? cur.rows->columns() : std::vector<ColumnDesc> {};
        cur.isOpen = true;
        cur.found = -1;
        cur.rowCount = 0;
        return Flow::Normal;
    }
    std::shared_ptr<OpenCursor> cur = cv->c->cursor; // the cursor stays while its query runs
    if (ownSql)
        openCursor(*cur, *sql, c);
    else
        openDeclared(*cur, *sql, call, c);
    return Flow::Normal;
}

std::vector<Bind> SOpen::dynamicBinds(std::string& text, Ctx& c) const
{
    std::vector<Bind> binds;
    std::vector<std::string> names = dynamicPlaceholders(text);
    if (names.size() < usingArgs.size())
        throw plError(1006, "bind variable does not exist");
    if (names.size() > usingArgs.size())
        throw plError(1008, "not all variables bound");
    for (size_t i = 0; i < names.size(); ++i) {
        Bind b;
        b.name = names[i];
        b.value = usingArgs[i]->eval(c).v;
        b.type = oraTypeOf(usingArgs[i]->type);
        binds.push_back(b);
    }
    return binds;
}

Flow SFetch::exec(Ctx& c) const
{
    Val* cv = cursorVar->ref(c);
    if (!cv->c || !cv->c->cursor)
        throw plError(1001, "invalid cursor");
    OpenCursor& cur = *cv->c->cursor;
    if (bulk) {
        if (!cur.isOpen)
            throw plError(1001, "invalid cursor");
        int64_t n = -1;
        if (limit) {
            Val lv = limit->eval(c);
            fn::NumberValue v = lv.v.isNull() ? fn::NumberValue::ofInteger(0) : numberOf(lv.v);
            v = fn::roundNumber(v, 0);
            // Oracle wants a positive LIMIT: anything else is INVALID_NUMBER.
            if (lv.v.isNull() || !v.isInteger || v.integer < 1)
                throw plError(1722, "invalid number");
            n = v.integer;
        }
        std::vector<const CExpr*> targets;
        for (const auto& t : into)
            targets.push_back(t.get());
        bulkFetch(cur, targets, n, false, c);
        return Flow::Normal;
    }
    if (fetchRow(cur, c)) {
        std::vector<const CExpr*> targets;
        for (const auto& t : into)
            targets.push_back(t.get());
        assignRow(cur, targets, c);
    }
    return Flow::Normal;
}

Flow SClose::exec(Ctx& c) const
{
    Val* cv = cursorVar->ref(c);
    if (!cv->c || !cv->c->cursor)
        throw plError(1001, "invalid cursor");
    closeCursor(*cv->c->cursor);
    return Flow::Normal;
}

} // namespace engine::plsql
