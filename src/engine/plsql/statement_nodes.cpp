// Running the compiled statements.
#include "engine/plsql/statement_nodes.h"

#include "engine/exec/executor.h"
#include "engine/plsql/bulk.h"
#include "engine/plsql/expr_nodes.h"
#include "engine/plsql/sql_functions.h"
#include "engine/session/session_state.h"
#include "engine/sql/lexer.h"

#include <algorithm>
#include <map>

namespace engine::plsql {

Flow SAssign::exec(Ctx& c) const
{
    assignTo(*target, value->eval(c), c);
    return Flow::Normal;
}

Flow SInit::exec(Ctx& c) const
{
    Val* slot = target->ref(c);
    if (value)
        *slot = convertTo(value->eval(c), type, c.s);
    else
        *slot = initialValue(type);
    return Flow::Normal;
}

Flow SEval::exec(Ctx& c) const
{
    call->eval(c);
    return Flow::Normal;
}

Flow SIf::exec(Ctx& c) const
{
    Val sel;
    if (selector)
        sel = selector->eval(c);
    for (const auto& [cond, body] : branches) {
        bool hit;
        if (selector) {
            Val x = cond->eval(c);
            hit = !sel.v.isNull() && !x.v.isNull() && compareValues(sel.v, x.v, c.s) == 0;
        } else {
            hit = truth(cond->eval(c)) == 1;
        }
        if (hit)
            return runStatements(body, c);
    }
    if (caseStatement && !hasElse)
        throw plError(6592, "CASE not found while executing CASE statement");
    return runStatements(elseBranch, c);
}

Flow SLoop::exec(Ctx& c) const
{
    for (;;) {
        checkInterrupt(c);
        if (whileCond && truth(whileCond->eval(c)) != 1)
            return Flow::Normal;
        Flow out;
        if (loopEnds(runStatements(body, c), label, c, out))
            return out;
    }
}

Flow SForNum::exec(Ctx& c) const
{
    Val lo = lower->eval(c), hi = upper->eval(c);
    if (lo.v.isNull() || hi.v.isNull())
        throw valueError("");
    int64_t a = fn::roundNumber(numberOf(lo.v), 0).integer, b = fn::roundNumber(numberOf(hi.v), 0).integer;
    Val* slot = var->ref(c);
    for (int64_t i = reverse ? b : a; reverse ? i >= a : i <= b; reverse ? --i : ++i) {
        checkInterrupt(c);
        slot = var->ref(c);
        slot->v = Value::fromInt(i);
        Flow out;
        if (loopEnds(runStatements(body, c), label, c, out))
            return out;
    }
    return Flow::Normal;
}

Flow SExit::exec(Ctx& c) const
{
    if (when && truth(when->eval(c)) != 1)
        return Flow::Normal;
    c.exitLabel = label;
    return isContinue ? Flow::Continue : Flow::Exit;
}

Flow SReturn::exec(Ctx& c) const
{
    if (value)
        c.returnValue = value->eval(c);
    else if (pipeSlot >= 0)
        c.returnValue = c.frame->slots[static_cast<size_t>(pipeSlot)];
    return Flow::Return;
}

Flow SRaise::exec(Ctx& c) const
{
    if (code == 0) {
        if (c.handling.empty())
            throw plError(3001, "unimplemented feature: RAISE outside a handler");
        PlError e = *c.handling.back();
        e.stack.clear();
        throw e;
    }
    PlError e;
    e.code = code;
    e.message = message;
    e.userException = user;
    throw e;
}

Flow SRaiseAppError::exec(Ctx& c) const
{
    Val cv = code->eval(c), mv = message->eval(c);
    int64_t n = cv.v.isNull() ? 0 : fn::roundNumber(numberOf(cv.v), 0).integer;
    if (n < -20999 || n > -20000)
        throw plError(
            21000, "error number argument to raise_application_error of " + std::to_string(n) + " is out of range");
    std::string text = textOf(mv.v, c.s);
    if (text.size() > 2048)
        text.resize(2048);
    throw plError(static_cast<int>(-n), text);
}

Flow SBlock::exec(Ctx& c) const
{
    Flow f = runBlock(*block, c);
    if (f == Flow::Exit && !block->label.empty() && c.exitLabel == block->label) {
        c.exitLabel.clear();
        return Flow::Normal;
    }
    return f;
}

Flow SSql::exec(Ctx& c) const
{
    if (isDml && inSqlFunction())
        throw plError(14551, "cannot perform a DML operation inside a query");
    std::vector<Bind> binds;
    ExecResult r = sql->run(c, &binds);
    std::vector<const CExpr*> targets;
    for (const auto& t : into)
        targets.push_back(t.get());
    if (isSelect && bulk) {
        OpenCursor cur;
        cur.rows = std::move(r.cursor);
        cur.columns = cur.rows ? cur.rows->columns() : std::vector<ColumnDesc> {};
        cur.isOpen = true;
        int64_t n = bulkFetch(cur, targets, -1, false, c);
        closeCursor(cur);
        c.sqlRowCount = n;
        c.sqlFound = n > 0 ? 1 : 0;
        return Flow::Normal;
    }
    if (isSelect) {
        OpenCursor cur;
        cur.rows = std::move(r.cursor);
        cur.columns = cur.rows ? cur.rows->columns() : std::vector<ColumnDesc> {};
        cur.isOpen = true;
        c.sqlFound = 0;
        c.sqlRowCount = 0;
        if (!fetchRow(cur, c)) {
            closeCursor(cur);
            throw plError(1403, "no data found");
        }
        assignRow(cur, targets, c);
        bool more = fetchRow(cur, c);
        closeCursor(cur);
        if (more) {
            c.sqlRowCount = 2;
            c.sqlFound = 1;
            throw plError(1422, "exact fetch returns more than requested number of rows");
        }
        c.sqlFound = 1;
        c.sqlRowCount = 1;
        return Flow::Normal;
    }
    c.sqlRowCount = r.rowsProcessed;
    c.sqlFound = r.rowsProcessed > 0 ? 1 : 0;
    if (bulk) {
        // Inside FORALL the rows of every iteration gather in the same collections.
        std::vector<std::vector<Value>> columns;
        for (const std::string& name : sql->returningBinds)
            for (const Bind& b : binds)
                if (b.name == name)
                    columns.push_back(b.values);
        bulkReturn(targets, columns, c.forAllIteration > 1, c);
        return Flow::Normal;
    }
    for (size_t i = 0; i < into.size() && i < sql->returningBinds.size(); ++i)
        for (const Bind& b : binds)
            if (b.name == sql->returningBinds[i]) {
                Val v { b.value, nullptr };
                v.tableLob = b.type == OraType::Clob || b.type == OraType::Blob;
                assignTo(*into[i], v, c);
            }
    return Flow::Normal;
}

Flow STransaction::exec(Ctx& c) const
{
    std::vector<Bind> none;
    try {
        exec::executeNested(c.s, text, none);
    } catch (const Error& e) {
        PlError p;
        p.code = e.code();
        p.message = e.message();
        throw p;
    }
    return Flow::Normal;
}

std::vector<std::string> dynamicPlaceholders(std::string& text, bool* isBlock)
{
    sql::LexResult lx = sql::tokenize(text);
    std::vector<std::string> names;
    std::vector<const sql::Token*> places;
    bool block = false;
    bool first = true;
    for (const sql::Token& t : lx.tokens) {
        if (t.kind == sql::TokenKind::Comment)
            continue;
        if (first && (t.isWord("BEGIN") || t.isWord("DECLARE")))
            block = true;
        first = false;
        if (t.kind != sql::TokenKind::Bind)
            continue;
        if (block) {
            // A block's placeholders are bound by name: a repeated one is one argument.
            if (std::find(names.begin(), names.end(), t.text) == names.end())
                names.push_back(t.text);
            continue;
        }
        places.push_back(&t);
    }
    if (isBlock)
        *isBlock = block;
    if (block)
        return names;
    // In SQL each place takes the next argument, whatever its name: each gets a name of its own.
    for (size_t k = 0; k < places.size(); ++k)
        names.push_back("PLSQL$D" + std::to_string(k + 1));
    for (size_t k = places.size(); k-- > 0;) {
        const sql::Token& t = *places[k];
        text.replace(static_cast<size_t>(t.offset), static_cast<size_t>(t.endOffset - t.offset), ":" + names[k]);
    }
    return names;
}

Flow SExecImmediate::exec(Ctx& c) const
{
    Val tv = text->eval(c);
    if (tv.v.isNull())
        throw plError(900, "invalid SQL statement");
    std::string sqlText = textOf(tv.v, c.s);
    bool isBlock = false;
    std::vector<std::string> names = dynamicPlaceholders(sqlText, &isBlock);
    if (names.size() < usingArgs.size())
        throw plError(1006, "bind variable does not exist");
    // The placeholders after the USING arguments are a DML statement's RETURNING ... INTO targets.
    const bool isQuery = [&] {
        sql::LexResult lx = sql::tokenize(sqlText);
        for (const sql::Token& t : lx.tokens)
            if (t.kind != sql::TokenKind::Comment)
                return t.isWord("SELECT") || t.isWord("WITH") || t.kind == sql::TokenKind::LParen;
        return false;
    }();
    const size_t returning = isBlock || isQuery ? 0 : into.size();
    if (names.size() > usingArgs.size() + returning)
        throw plError(1008, "not all variables bound");
    std::vector<Bind> binds;
    for (size_t i = 0; i < names.size(); ++i) {
        Bind b;
        b.name = names[i];
        if (i < usingArgs.size()) {
            Param::Mode m = i < modes.size() ? modes[i] : Param::Mode::In;
            b.dir = m == Param::Mode::In ? BindDir::In : m == Param::Mode::Out ? BindDir::Out : BindDir::InOut;
            if (m != Param::Mode::Out)
                b.value = usingArgs[i]->eval(c).v;
            b.type = oraTypeOf(usingArgs[i]->type);
        } else {
            b.dir = BindDir::Out;
            const PlType& t = into[i - usingArgs.size()]->type;
            b.type = oraTypeOf(bulk && t.element ? *t.element : t);
            b.returnAll = bulk;
        }
        binds.push_back(b);
    }
    ExecResult r;
    try {
        r = exec::executeNested(c.s, sqlText, binds);
    } catch (const Error& e) {
        PlError p;
        p.code = e.code();
        p.message = e.message();
        throw p;
    }
    if (r.cursor) {
        OpenCursor cur;
        cur.rows = std::move(r.cursor);
        cur.columns = cur.rows->columns();
        cur.isOpen = true;
        std::vector<const CExpr*> targets;
        for (const auto& t : into)
            targets.push_back(t.get());
        if (bulk) {
            int64_t n = bulkFetch(cur, targets, -1, false, c);
            closeCursor(cur);
            c.sqlRowCount = n;
            c.sqlFound = n > 0 ? 1 : 0;
            return Flow::Normal;
        }
        if (!into.empty()) {
            if (!fetchRow(cur, c))
                throw plError(1403, "no data found");
            assignRow(cur, targets, c);
            if (fetchRow(cur, c))
                throw plError(1422, "exact fetch returns more than requested number of rows");
        }
        closeCursor(cur);
        c.sqlRowCount = 1;
        c.sqlFound = 1;
    } else {
        c.sqlRowCount = r.rowsProcessed;
        c.sqlFound = r.rowsProcessed > 0 ? 1 : 0;
        if (bulk && !isBlock) {
            std::vector<const CExpr*> targets;
            std::vector<std::vector<Value>> columns;
            for (size_t i = usingArgs.size(); i < binds.size() && i - usingArgs.size() < into.size(); ++i) {
                targets.push_back(into[i - usingArgs.size()].get());
                columns.push_back(binds[i].values);
            }
            bulkReturn(targets, columns, false, c);
        } else {
            for (size_t i = usingArgs.size(); i < binds.size() && i - usingArgs.size() < into.size(); ++i)
                assignTo(*into[i - usingArgs.size()], Val { binds[i].value, nullptr }, c);
        }
    }
    for (size_t i = 0; i < usingArgs.size(); ++i) {
        Param::Mode m = i < modes.size() ? modes[i] : Param::Mode::In;
        if (m != Param::Mode::In)
            assignTo(*usingArgs[i], Val { binds[i].value, nullptr }, c);
    }
    return Flow::Normal;
}

} // namespace engine::plsql
