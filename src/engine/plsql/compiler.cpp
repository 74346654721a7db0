// Name resolution and code building for PL/SQL units. Each construct becomes a node of nodes.h; embedded SQL is
// parsed and bound here once, with the block's names as binds.
#include "engine/plsql/compiler.h"

#include "engine/catalog/catalog.h"
#include "engine/plsql/cursor_statements.h"
#include "engine/exec/executor.h"
#include "engine/plsql/embedded_sql.h"
#include "engine/plsql/expr_nodes.h"
#include "engine/plsql/interpreter.h"
#include "engine/plsql/native.h"
#include "engine/plsql/parser.h"
#include "engine/plsql/sql_functions.h"
#include "engine/plsql/stored_units.h"
#include "engine/plsql/values.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/sql/lexer.h"
#include "engine/storage/database_state.h"

#include <QString>

#include <map>

namespace engine::plsql {

TableKey tableKey(const Val& k, const PlType& tableType, Ctx& c)
{
    if (k.v.isNull())
        throw plError(6502, "PL/SQL: numeric or value error: NULL index table key value");
    if (tableType.indexByText)
        return textOf(k.v, c.s);
    fn::NumberValue n = numberOf(k.v);
    if (!n.isInteger)
        n = fn::roundNumber(n, 0);
    return n.integer;
}

namespace {

// ------------------------------------------------------------------------------------------------ expressions

Val boolVal(int b) // -1 null
{
    Val v;
    if (b >= 0)
        v.v = Value::fromInt(b);
    return v;
}

int truth(const Val& v)
{
    if (v.v.isNull())
        return -1;
    return v.v.integer != 0 ? 1 : 0;
}

struct CUnary : CExpr {
    CExprPtr operand;
    Val eval(Ctx& c) const override
    {
        Val v = operand->eval(c);
        if (v.v.isNull())
            return v;
        return Val { arithmetic("-", Value::fromInt(0), v.v), nullptr };
    }
};

struct CArith : CExpr {
    std::string op;
    CExprPtr l, r;
    Val eval(Ctx& c) const override { return Val { arithmetic(op, l->eval(c).v, r->eval(c).v), nullptr }; }
};

struct CConcat : CExpr {
    CExprPtr l, r;
    Val eval(Ctx& c) const override
    {
        Val a = l->eval(c), b = r->eval(c);
        std::string s = textOf(a.v, c.s) + textOf(b.v, c.s);
        if (s.size() > 32767)
            throw valueError("character string buffer too small");
        return Val { Value::fromText(std::move(s)), nullptr };
    }
};

struct CCompare : CExpr {
    std::string op;
    CExprPtr l, r;
    Val eval(Ctx& c) const override
    {
        Val a = l->eval(c), b = r->eval(c);
        if (a.v.isNull() || b.v.isNull())
            return boolVal(-1);
        int k = (l->type.kind == PlKind::Boolean) ? (a.v.integer > b.v.integer) - (a.v.integer < b.v.integer)
                                                   : compareValues(a.v, b.v, c.s);
        bool res = op == "=" ? k == 0
            : op == "<>"     ? k != 0
            : op == "<"      ? k < 0
            : op == "<="     ? k <= 0
            : op == ">"      ? k > 0
                             : k >= 0;
        return boolVal(res ? 1 : 0);
    }
};

struct CLogical : CExpr {
    bool isAnd = true;
    CExprPtr l, r;
    Val eval(Ctx& c) const override
    {
        int a = truth(l->eval(c));
        if (isAnd && a == 0)
            return boolVal(0);
        if (!isAnd && a == 1)
            return boolVal(1);
        int b = truth(r->eval(c));
        if (isAnd)
            return boolVal(b == 0 ? 0 : (a == 1 && b == 1) ? 1 : -1);
        return boolVal(b == 1 ? 1 : (a == 0 && b == 0) ? 0 : -1);
    }
};

struct CNot : CExpr {
    CExprPtr operand;
    Val eval(Ctx& c) const override
    {
        int a = truth(operand->eval(c));
        return boolVal(a < 0 ? -1 : 1 - a);
    }
};

struct CIsNull : CExpr {
    bool negated = false;
    CExprPtr operand;
    Val eval(Ctx& c) const override
    {
        Val v = operand->eval(c);
        bool isNull = v.v.isNull() && !(v.c && !v.c->atomicallyNull && operand->type.kind != PlKind::RefCursor);
        return boolVal((isNull != negated) ? 1 : 0);
    }
};

bool likeMatch(const std::string& s, size_t si, const std::string& p, size_t pi, int esc)
{
    while (pi < p.size()) {
        char pc = p[pi];
        if (esc >= 0 && pc == static_cast<char>(esc) && pi + 1 < p.size()) {
            if (si >= s.size() || s[si] != p[pi + 1])
                return false;
            ++si;
            pi += 2;
            continue;
        }
        if (pc == '%') {
            while (pi < p.size() && p[pi] == '%')
                ++pi;
            if (pi == p.size())
                return true;
            for (size_t k = si; k <= s.size(); ++k)
                if (likeMatch(s, k, p, pi, esc))
                    return true;
            return false;
        }
        if (si >= s.size())
            return false;
        if (pc == '_') {
            unsigned char ch = static_cast<unsigned char>(s[si]);
            size_t len = ch < 0x80 ? 1 : ch >= 0xF0 ? 4 : ch >= 0xE0 ? 3 : 2;
            si += len;
            ++pi;
            continue;
        }
        if (s[si] != pc)
            return false;
        ++si;
        ++pi;
    }
    return si == s.size();
}

struct CLike : CExpr {
    bool negated = false;
    CExprPtr l, r, esc;
    Val eval(Ctx& c) const override
    {
        Val a = l->eval(c), b = r->eval(c);
        if (a.v.isNull() || b.v.isNull())
            return boolVal(-1);
        int e = -1;
        if (esc) {
            Val ev = esc->eval(c);
            if (ev.v.isNull())
                return boolVal(-1);
            std::string et = textOf(ev.v, c.s);
            if (et.size() != 1)
                throw plError(1425, "escape character must be character string of length 1");
            e = static_cast<unsigned char>(et[0]);
        }
        bool m = likeMatch(textOf(a.v, c.s), 0, textOf(b.v, c.s), 0, e);
        return boolVal(m != negated ? 1 : 0);
    }
};

struct CIn : CExpr {
    bool negated = false;
    CExprPtr l;
    std::vector<CExprPtr> list;
    Val eval(Ctx& c) const override
    {
        Val a = l->eval(c);
        if (a.v.isNull())
            return boolVal(-1);
        bool sawNull = false;
        for (const auto& e : list) {
            Val b = e->eval(c);
            if (b.v.isNull()) {
                sawNull = true;
                continue;
            }
            if (compareValues(a.v, b.v, c.s) == 0)
                return boolVal(negated ? 0 : 1);
        }
        if (sawNull)
            return boolVal(-1);
        return boolVal(negated ? 1 : 0);
    }
};

struct CBetween : CExpr {
    bool negated = false;
    CExprPtr v, lo, hi;
    Val eval(Ctx& c) const override
    {
        Val x = v->eval(c), a = lo->eval(c), b = hi->eval(c);
        int t1 = x.v.isNull() || a.v.isNull() ? -1 : compareValues(x.v, a.v, c.s) >= 0;
        int t2 = x.v.isNull() || b.v.isNull() ? -1 : compareValues(x.v, b.v, c.s) <= 0;
        int r = (t1 == 0 || t2 == 0) ? 0 : (t1 == 1 && t2 == 1) ? 1 : -1;
        if (negated && r >= 0)
            r = 1 - r;
        return boolVal(r);
    }
};

struct CCase : CExpr {
    CExprPtr selector;
    std::vector<std::pair<CExprPtr, CExprPtr>> whens;
    CExprPtr elseExpr;
    bool statementCase = false;
    Val eval(Ctx& c) const override
    {
        Val sel;
        if (selector)
            sel = selector->eval(c);
        for (const auto& [w, r] : whens) {
            bool hit;
            if (selector) {
                Val x = w->eval(c);
                hit = !sel.v.isNull() && !x.v.isNull() && compareValues(sel.v, x.v, c.s) == 0;
            } else {
                hit = truth(w->eval(c)) == 1;
            }
            if (hit)
                return convertTo(r->eval(c), type, c.s);
        }
        if (elseExpr)
            return convertTo(elseExpr->eval(c), type, c.s);
        return {};
    }
};

struct CNvl : CExpr {
    CExprPtr a, b;
    Val eval(Ctx& c) const override
    {
        Val x = a->eval(c);
        if (!x.v.isNull())
            return x;
        return b->eval(c);
    }
};

// UPDATING('COLUMN') in a trigger: whether the UPDATE that fired it sets that column.
struct CUpdatingColumn : CExpr {
    CExprPtr updating, columns, column;
    Val eval(Ctx& c) const override
    {
        Val name = column->eval(c);
        bool yes = false;
        Val on = updating->eval(c);
        if (!name.v.isNull() && on.v.kind == Value::Kind::Integer && on.v.integer != 0) {
            std::string n = QString::fromStdString(textOf(name.v, c.s)).trimmed().toUpper().toStdString();
            Val list = columns->eval(c);
            yes = !list.v.isNull() && textOf(list.v, c.s).find("," + n + ",") != std::string::npos;
        }
        return Val { Value::fromInt(yes ? 1 : 0), nullptr };
    }
};

struct CSqlCode : CExpr {
    bool message = false;
    CExprPtr arg;
    Val eval(Ctx& c) const override
    {
        const PlError* e = c.handling.empty() ? nullptr : c.handling.back();
        if (arg) {
            Val a = arg->eval(c);
            int64_t code = a.v.isNull() ? 0 : numberOf(a.v).integer;
            if (code == 0)
                return Val { Value::fromText("ORA-0000: normal, successful completion"), nullptr };
            if (code == 100)
                code = -1403;
            char buf[32];
            std::snprintf(buf, sizeof buf, "ORA-%05lld", static_cast<long long>(-code));
            return Val { Value::fromText(std::string(buf) + ": Message " + std::to_string(-code) + " not found"),
                nullptr };
        }
        if (!message) {
            if (!e)
                return Val { Value::fromInt(0), nullptr };
            if (e->userException && e->code == 6510)
                return Val { Value::fromInt(1), nullptr };
            return Val { Value::fromInt(e->code == 1403 ? 100 : -e->code), nullptr };
        }
        if (!e)
            return Val { Value::fromText("ORA-0000: normal, successful completion"), nullptr };
        if (e->userException && e->code == 6510)
            return Val { Value::fromText("User-Defined Exception"), nullptr };
        return Val { Value::fromText(e->message), nullptr };
    }
};

// An expression the SQL engine evaluates (functions of SQL, date arithmetic): SELECT <expr> FROM DUAL with the
// block's names as binds.
struct CSqlExpr : CExpr {
    std::unique_ptr<EmbeddedSql> sql;
    Val eval(Ctx& c) const override
    {
        ExecResult r = sql->run(c);
        Val v;
        if (r.cursor && r.cursor->next())
            v.v = r.cursor->value(0);
        if (r.cursor)
            r.cursor->close();
        if (type.kind == PlKind::Boolean)
            return v;
        return v;
    }
};

struct CCursorAttr : CExpr {
    CExprPtr cursor; // null: SQL%
    std::string attr;
    Val eval(Ctx& c) const override
    {
        if (!cursor) {
            if (attr == "ROWCOUNT")
                return c.sqlFound < 0 ? Val {} : Val { Value::fromInt(c.sqlRowCount), nullptr };
            if (attr == "ISOPEN")
                return boolVal(0);
            if (c.sqlFound < 0)
                return boolVal(-1);
            return boolVal(attr == "FOUND" ? c.sqlFound : 1 - c.sqlFound);
        }
        Val v = cursor->eval(c);
        std::shared_ptr<OpenCursor> cur = v.c ? v.c->cursor : nullptr;
        if (attr == "ISOPEN")
            return boolVal(cur && cur->isOpen ? 1 : 0);
        if (!cur || !cur->isOpen)
            throw plError(1001, "invalid cursor");
        if (attr == "ROWCOUNT")
            return Val { Value::fromInt(cur->rowCount), nullptr };
        if (cur->found < 0)
            return boolVal(-1);
        return boolVal(attr == "FOUND" ? cur->found : 1 - cur->found);
    }
};

struct CCurrentRowid : CExpr {
    CExprPtr cursor;
    Val eval(Ctx& c) const override
    {
        Val v = cursor->eval(c);
        if (!v.c || !v.c->cursor || !v.c->cursor->isOpen)
            throw plError(1001, "invalid cursor");
        if (v.c->cursor->found != 1)
            throw plError(1410, "invalid ROWID");
        return Val { Value::fromText(v.c->cursor->currentRowid), nullptr };
    }
};

struct CTableMethod : CExpr {
    CExprPtr base;
    std::string method;
    CExprPtr arg;
    Val eval(Ctx& c) const override
    {
        Val b = base->eval(c);
        static const std::map<TableKey, Val> none;
        const auto& m = b.c ? b.c->elements : none;
        auto keyVal = [](const TableKey& k) {
            if (std::holds_alternative<int64_t>(k))
                return Value::fromInt(std::get<int64_t>(k));
            return Value::fromText(std::get<std::string>(k));
        };
        if (method == "COUNT")
            return Val { Value::fromInt(static_cast<int64_t>(m.size())), nullptr };
        if (method == "FIRST")
            return m.empty() ? Val {} : Val { keyVal(m.begin()->first), nullptr };
        if (method == "LAST")
            return m.empty() ? Val {} : Val { keyVal(m.rbegin()->first), nullptr };
        Val a = arg->eval(c);
        if (a.v.isNull())
            return method == "EXISTS" ? boolVal(0) : Val {};
        TableKey k = tableKey(a, base->type, c);
        if (method == "EXISTS")
            return boolVal(m.count(k) ? 1 : 0);
        if (method == "NEXT") {
            auto it = m.upper_bound(k);
            return it == m.end() ? Val {} : Val { keyVal(it->first), nullptr };
        }
        auto it = m.lower_bound(k);
        if (it == m.begin())
            return {};
        --it;
        return Val { keyVal(it->first), nullptr };
    }
};

struct CCall : CExpr {
    const CSub* sub = nullptr; // owned by the unit (a recursive call must not own itself)
    const CUnit* unit = nullptr;
    std::vector<CExprPtr> args; // per parameter; null where the default applies
    int linkDepth = 0;
    Val eval(Ctx& c) const override
    {
        std::vector<const CExpr*> a;
        for (const auto& x : args)
            a.push_back(x.get());
        return callSubprogram(*sub, unit, a, linkDepth, c);
    }
};

// The declared types of the arguments, for a native package that reads them (a NULL of a known type).
template <typename Call> void fillArgTypes(Call& call, const std::vector<OraType>& types)
{
    if constexpr (requires { call.argTypes; })
        call.argTypes = types;
}

struct CNativeCall : CExpr {
    const NativeRoutine* routine = nullptr;
    std::vector<CExprPtr> args;
    Val eval(Ctx& c) const override
    {
        std::vector<Value> values(routine->params.size());
        std::vector<OraType> outTypes(routine->params.size(), OraType::Varchar2);
        for (size_t i = 0; i < routine->params.size(); ++i) {
            const NativeParam& p = routine->params[i];
            if (i < args.size() && args[i]) {
                if (p.mode != ParamMode::Out)
                    values[i] = args[i]->eval(c).v;
                outTypes[i] = oraTypeOf(args[i]->type);
            } else {
                values[i] = p.defaultValue;
            }
        }
        std::vector<OraType> argTypes(routine->params.size(), OraType::Varchar2);
        for (size_t i = 0; i < args.size() && i < argTypes.size(); ++i)
            if (args[i])
                argTypes[i] = oraTypeOf(args[i]->type);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
        NativeCall call { c.s, values, outTypes };
#pragma GCC diagnostic pop
        fillArgTypes(call, argTypes);
        // Collections travel apart: the elements of an IN table in index order, an OUT table as elements 1..n.
        call.tables.resize(routine->params.size());
        for (size_t i = 0; i < routine->params.size() && i < args.size(); ++i)
            if (routine->params[i].type == NativeType::Varchar2Table && args[i]
                && routine->params[i].mode != ParamMode::Out) {
                Val t = args[i]->eval(c);
                if (t.c)
                    for (const auto& [k, v] : t.c->elements)
                        call.tables[i].push_back(v.v);
            }
        std::optional<Value> r;
        try {
            r = routine->run(call);
        } catch (const Error& e) {
            PlError p;
            p.code = e.code();
            p.message = e.message();
            throw p;
        }
        for (size_t i = 0; i < routine->params.size(); ++i) {
            if (routine->params[i].mode == ParamMode::In || i >= args.size() || !args[i])
                continue;
            if (routine->params[i].type == NativeType::Varchar2Table) {
                Val* t = args[i]->ref(c);
                if (!t)
                    continue;
                *t = initialValue(args[i]->type);
                int64_t k = 1;
                for (const Value& v : call.tables[i])
                    t->c->elements[TableKey { k++ }] = Val { v, nullptr };
                continue;
            }
            assignTo(*args[i], Val { values[i], nullptr }, c);
        }
        return Val { r ? *r : Value::null(), nullptr };
    }
};

// ------------------------------------------------------------------------------------------------ statements

struct SAssign : CStmt {
    CExprPtr target, value;
    Flow exec(Ctx& c) const override
    {
        assignTo(*target, value->eval(c), c);
        return Flow::Normal;
    }
};

struct SInit : CStmt {
    CExprPtr target; // a CVar
    CExprPtr value; // may be null
    PlType type;
    Flow exec(Ctx& c) const override
    {
        Val* slot = target->ref(c);
        if (value)
            *slot = convertTo(value->eval(c), type, c.s);
        else
            *slot = initialValue(type);
        return Flow::Normal;
    }
};

struct SEval : CStmt {
    CExprPtr call;
    Flow exec(Ctx& c) const override
    {
        call->eval(c);
        return Flow::Normal;
    }
};

struct SIf : CStmt {
    std::vector<std::pair<CExprPtr, std::vector<CStmtPtr>>> branches;
    std::vector<CStmtPtr> elseBranch;
    bool hasElse = false;
    bool caseStatement = false;
    CExprPtr selector;
    Flow exec(Ctx& c) const override
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
};

struct SLoop : CStmt {
    std::string label;
    CExprPtr whileCond;
    std::vector<CStmtPtr> body;
    Flow exec(Ctx& c) const override
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
};

struct SForNum : CStmt {
    std::string label;
    CExprPtr var, lower, upper;
    bool reverse = false;
    std::vector<CStmtPtr> body;
    Flow exec(Ctx& c) const override
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
};

struct SExit : CStmt {
    bool isContinue = false;
    std::string label;
    CExprPtr when;
    Flow exec(Ctx& c) const override
    {
        if (when && truth(when->eval(c)) != 1)
            return Flow::Normal;
        c.exitLabel = label;
        return isContinue ? Flow::Continue : Flow::Exit;
    }
};

struct SReturn : CStmt {
    CExprPtr value;
    Flow exec(Ctx& c) const override
    {
        if (value)
            c.returnValue = value->eval(c);
        return Flow::Return;
    }
};

struct SRaise : CStmt {
    int code = 0; // 0: re-raise
    std::string message;
    const void* user = nullptr;
    Flow exec(Ctx& c) const override
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
};

struct SRaiseAppError : CStmt {
    CExprPtr code, message;
    Flow exec(Ctx& c) const override
    {
        Val cv = code->eval(c), mv = message->eval(c);
        int64_t n = cv.v.isNull() ? 0 : fn::roundNumber(numberOf(cv.v), 0).integer;
        if (n < -20999 || n > -20000)
            throw plError(21000,
                "error number argument to raise_application_error of " + std::to_string(n) + " is out of range");
        std::string text = textOf(mv.v, c.s);
        if (text.size() > 2048)
            text.resize(2048);
        throw plError(static_cast<int>(-n), text);
    }
};

struct SBlock : CStmt {
    std::unique_ptr<CBlock> block;
    Flow exec(Ctx& c) const override
    {
        Flow f = runBlock(*block, c);
        if (f == Flow::Exit && !block->label.empty() && c.exitLabel == block->label) {
            c.exitLabel.clear();
            return Flow::Normal;
        }
        return f;
    }
};

struct SSql : CStmt {
    std::unique_ptr<EmbeddedSql> sql;
    std::vector<CExprPtr> into;
    bool isSelect = false;
    bool isDml = false;
    Flow exec(Ctx& c) const override
    {
        if (isDml && inSqlFunction())
            throw plError(14551, "cannot perform a DML operation inside a query");
        std::vector<Bind> binds;
        ExecResult r = sql->run(c, &binds);
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
            std::vector<const CExpr*> targets;
            for (const auto& t : into)
                targets.push_back(t.get());
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
        for (size_t i = 0; i < into.size() && i < sql->returningBinds.size(); ++i)
            for (const Bind& b : binds)
                if (b.name == sql->returningBinds[i])
                    assignTo(*into[i], Val { b.value, nullptr }, c);
        return Flow::Normal;
    }
};

// COMMIT, ROLLBACK, SAVEPOINT, SET TRANSACTION, LOCK TABLE: run by the executor from their text.
struct STransaction : CStmt {
    std::string text;
    Flow exec(Ctx& c) const override
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
};

struct SExecImmediate : CStmt {
    CExprPtr text;
    std::vector<CExprPtr> usingArgs;
    std::vector<Param::Mode> modes;
    std::vector<CExprPtr> into;
    Flow exec(Ctx& c) const override
    {
        Val tv = text->eval(c);
        if (tv.v.isNull())
            throw plError(900, "invalid SQL statement");
        std::string sqlText = textOf(tv.v, c.s);
        sql::LexResult lx = sql::tokenize(sqlText);
        std::vector<std::string> names;
        bool isBlock = false;
        for (const sql::Token& t : lx.tokens) {
            if (t.kind == sql::TokenKind::Comment)
                continue;
            if (names.empty() && !isBlock && (t.isWord("BEGIN") || t.isWord("DECLARE")))
                isBlock = true;
            if (t.kind == sql::TokenKind::Bind
                && (!isBlock || std::find(names.begin(), names.end(), t.text) == names.end()))
                names.push_back(t.text);
        }
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
            }
            bool dup = false;
            for (const Bind& x : binds)
                dup = dup || x.name == b.name;
            if (!dup)
                binds.push_back(b);
        }
        if (names.size() < usingArgs.size())
            throw plError(1006, "bind variable does not exist");
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
            if (!into.empty()) {
                if (!fetchRow(cur, c))
                    throw plError(1403, "no data found");
                std::vector<const CExpr*> targets;
                for (const auto& t : into)
                    targets.push_back(t.get());
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
        }
        for (size_t i = 0; i < names.size() && i < usingArgs.size(); ++i) {
            Param::Mode m = i < modes.size() ? modes[i] : Param::Mode::In;
            if (m == Param::Mode::In)
                continue;
            for (const Bind& b : binds)
                if (b.name == names[i])
                    assignTo(*usingArgs[i], Val { b.value, nullptr }, c);
        }
        return Flow::Normal;
    }
};

struct SNull : CStmt {
    Flow exec(Ctx&) const override { return Flow::Normal; }
};

// ------------------------------------------------------------------------------------------------ compiler

struct Fail {
    CompileError error;
};

struct ExceptionDecl {
    std::string name;
    int code = 0; // from EXCEPTION_INIT; 0 for a plain user exception
};

struct CursorDecl {
    std::unique_ptr<EmbeddedSql> sql;
    std::vector<CParam> params;
    int level = 0;
    int slot = 0;
    PlType rowType;
};

struct Sym {
    enum class K { Var, Cursor, Exception, Type, Sub } k = K::Var;
    PlType type;
    int level = 0;
    int slot = 0;
    bool constant = false;
    CursorDecl* cursor = nullptr;
    ExceptionDecl* exception = nullptr;
    std::vector<std::shared_ptr<CSub>> subs;
    std::vector<const Subprogram*> subDecls;
};

struct Scope {
    std::map<std::string, Sym> names;
    Scope* parent = nullptr;
    std::string label;
};

} // namespace

// The names a stored unit offers to others: a package header's declarations, or a procedure or function itself.
struct PackageSymbols {
    std::map<std::string, Sym> names;
};

namespace {

// A call of a stored subprogram: which one is decided when the caller is compiled (the unit and the overload), the
// subprogram itself is found when the call runs, in the unit as the session has it compiled then.
struct CStoredCall : CExpr {
    int64_t unitId = 0;
    std::string name;
    size_t overload = 0;
    std::vector<CExprPtr> args; // per parameter; null where the default applies
    Val eval(Ctx& c) const override
    {
        std::shared_ptr<LoadedUnit> lu = loadForCall(c, unitId);
        std::shared_ptr<StoredCompileOutput> runnable = lu->runnable;
        std::shared_ptr<Frame> state = lu->state;
        auto it = runnable->symbols->names.find(name);
        if (it == runnable->symbols->names.end() || overload >= it->second.subs.size())
            throw plError(6508, "PL/SQL: could not find program unit being called");
        std::vector<const CExpr*> a;
        for (const auto& x : args)
            a.push_back(x.get());
        return callSubprogramAt(*it->second.subs[overload], runnable->unit.get(), a, state.get(), c);
    }
};

// A variable of a package's header, in the package's state of the session.
struct CPackageVar : CExpr {
    int64_t unitId = 0;
    int slot = 0;
    Val* ref(Ctx& c) const override
    {
        return packageVariable(c, unitId, slot);
    }
    Val eval(Ctx& c) const override { return *ref(c); }
};

struct Predefined {
    const char* name;
    int code;
};
constexpr Predefined kPredefined[] = { { "NO_DATA_FOUND", 1403 }, { "TOO_MANY_ROWS", 1422 }, { "VALUE_ERROR", 6502 },
    { "ZERO_DIVIDE", 1476 }, { "DUP_VAL_ON_INDEX", 1 }, { "INVALID_CURSOR", 1001 }, { "CURSOR_ALREADY_OPEN", 6511 },
    { "INVALID_NUMBER", 1722 }, { "LOGIN_DENIED", 1017 }, { "NOT_LOGGED_ON", 1012 }, { "PROGRAM_ERROR", 6501 },
    { "STORAGE_ERROR", 6500 }, { "TIMEOUT_ON_RESOURCE", 51 }, { "ROWTYPE_MISMATCH", 6504 },
    { "CASE_NOT_FOUND", 6592 }, { "COLLECTION_IS_NULL", 6531 }, { "SUBSCRIPT_BEYOND_COUNT", 6533 },
    { "SUBSCRIPT_OUTSIDE_LIMIT", 6532 }, { "SYS_INVALID_ROWID", 1410 }, { "ACCESS_INTO_NULL", 6530 },
    { "SELF_IS_NULL", 30625 } };

// Functions of SQL that PL/SQL takes as they are (evaluated by the SQL engine).
bool isSqlFunction(const std::string& n)
{
    static const char* const names[] = { "SUBSTR", "SUBSTRB", "INSTR", "INSTRB", "LENGTH", "LENGTHB", "UPPER", "LOWER",
        "INITCAP", "TRIM", "LTRIM", "RTRIM", "LPAD", "RPAD", "REPLACE", "TRANSLATE", "CHR", "ASCII", "CONCAT",
        "TO_CHAR", "TO_NUMBER", "TO_DATE", "TRUNC", "ROUND", "ABS", "MOD", "SIGN", "CEIL", "FLOOR", "POWER", "SQRT",
        "EXP", "LN", "LOG", "GREATEST", "LEAST", "NVL2", "ADD_MONTHS", "MONTHS_BETWEEN", "LAST_DAY", "NEXT_DAY",
        "SOUNDEX", "REMAINDER", "CAST", "EXTRACT", "USERENV", "SYS_CONTEXT", "COALESCE", "NULLIF", "RAWTOHEX",
        "HEXTORAW", "ROWIDTOCHAR", "CHARTOROWID", "UID", "SYSTIMESTAMP", "DUMP", "VSIZE", "BITAND", "NLS_UPPER",
        "NLS_LOWER", "REGEXP_REPLACE", "REGEXP_SUBSTR", "REGEXP_INSTR", "REGEXP_LIKE", "ORA$DATE_LITERAL", "ROWNUM",
        "LEVEL", "PRIOR" };
    for (const char* x : names)
        if (n == x)
            return true;
    return false;
}

// Resolves the names an embedded statement leaves over to the block's variables.
class Compiler;

class BlockNames : public bind::ExternalNames {
public:
    BlockNames(Compiler& c, EmbeddedSql& e)
        : comp(c)
        , e(e)
    {
    }
    std::optional<bind::ExternalName> resolve(const std::vector<std::string>& parts) const override;

private:
    Compiler& comp;
    EmbeddedSql& e;
};

class Compiler {
public:
    Compiler(SessionState& s, std::string_view text, CUnit& unit, std::shared_ptr<std::vector<Val>> bindValues,
        const std::vector<Bind>& binds)
        : s(s)
        , text(text)
        , unit(unit)
        , bindValues(std::move(bindValues))
        , binds(binds)
    {
    }

    SessionState& s;
    std::string_view text;
    CUnit& unit;
    std::shared_ptr<std::vector<Val>> bindValues;
    const std::vector<Bind>& binds;
    std::vector<CompileError> errors;
    Scope* scope = nullptr;
    int level = 0;
    std::vector<int> frameSize { 0 };
    std::vector<std::unique_ptr<ExceptionDecl>> exceptions;
    std::vector<std::unique_ptr<CursorDecl>> cursors;
    std::vector<std::unique_ptr<Scope>> scopes;
    const PlType* returnType = nullptr;
    bool inFunction = false;
    int loopDepth = 0;
    std::string currentCursorOf; // WHERE CURRENT OF being compiled
    // A stored unit being compiled: itself (its own package's members are named through it), what it uses, and
    // whether only the subprograms' headers are wanted (the interface other units compile against).
    const StoredUnit* self = nullptr;
    std::vector<int64_t> dependsOn;
    bool headersOnly = false;
    bool formalType = false; // resolving a parameter's or a function result's type
    PlType formal(const TypeSpec& t)
    {
        formalType = true;
        try {
            PlType r = resolveType(t);
            formalType = false;
            return r;
        } catch (...) {
            formalType = false;
            throw;
        }
    }
    void uses(const std::vector<int64_t>& ids) { dependsOn.insert(dependsOn.end(), ids.begin(), ids.end()); }
    // Interfaces of other units whose symbols the compiled form points at, kept alive with it.
    std::vector<std::shared_ptr<const StoredCompileOutput>> keepInterfaces;
    // The header's exceptions lent by the interface when the runnable form of a package is compiled.
    const PackageSymbols* lentExceptions = nullptr;
    const Sym* storedSymbol(const std::vector<std::string>& chain, int64_t* unitId = nullptr);
    const TriggerNames* trigger = nullptr; // set while a trigger's body or WHEN condition is compiled

    Pos pos(int offset) const { return positionOf(text, offset); }
    [[noreturn]] void fail(const Pos& p, const std::string& message) const
    {
        throw Fail { CompileError { p.line, p.col, message, p.offset } };
    }
    void note(const Pos& p, const std::string& message)
    {
        errors.push_back(CompileError { p.line, p.col, message, p.offset });
    }

    Scope* push(const std::string& label = {})
    {
        scopes.push_back(std::make_unique<Scope>());
        Scope* sc = scopes.back().get();
        sc->parent = scope;
        sc->label = label;
        scope = sc;
        return sc;
    }
    void pop() { scope = scope->parent; }
    int alloc() { return frameSize[static_cast<size_t>(level)]++; }

    const Sym* lookup(const std::string& name) const
    {
        for (Scope* sc = scope; sc; sc = sc->parent) {
            auto it = sc->names.find(name);
            if (it != sc->names.end())
                return &it->second;
        }
        return nullptr;
    }
    const Sym* lookupLabelled(const std::string& label, const std::string& name) const
    {
        for (Scope* sc = scope; sc; sc = sc->parent)
            if (sc->label == label) {
                auto it = sc->names.find(name);
                return it == sc->names.end() ? nullptr : &it->second;
            }
        return nullptr;
    }
    bool isLabel(const std::string& label) const
    {
        for (Scope* sc = scope; sc; sc = sc->parent)
            if (sc->label == label)
                return true;
        return false;
    }

    std::unique_ptr<CVar> var(const Sym& sym, const Pos& p)
    {
        auto v = std::make_unique<CVar>();
        v->depth = level - sym.level;
        v->slot = sym.slot;
        v->type = sym.type;
        v->pos = p;
        v->assignable = !sym.constant;
        return v;
    }

    // ---- types
    PlType resolveType(const TypeSpec& t);
    PlType rowTypeOfQuery(const std::string& query, const Pos& p);

    // ---- expressions
    CExprPtr expr(const Expr& e);
    CExprPtr condition(const Expr& e);
    CExprPtr name(const Expr& e, bool asStatement = false);
    CExprPtr sqlExpr(const Expr& e);
    CExprPtr sqlWith(const std::string& exprText, std::vector<CExprPtr> args, const Expr& e);
    CExprPtr target(const Expr& e);
    CExprPtr tryVariable(const std::vector<std::string>& parts, const Pos& p);
    CExprPtr callOf(const Sym& sym, const NamePart& part, const Pos& p, bool asStatement, int64_t storedUnit = 0);
    CExprPtr storedName(const Expr& e, bool asStatement);
    CExprPtr member(const PackageSymbols& pkg, int64_t unitId, const std::vector<NamePart>& parts, size_t i,
        bool asStatement);
    CExprPtr nativeCall(const NativePackage& pkg, const NamePart& routine, const Pos& p, bool asStatement);
    CExprPtr cursorRef(const Expr& e, const CursorDecl** decl);
    CursorCall cursorCall(const NamePart& part, const CursorDecl& cd);

    // ---- SQL
    std::unique_ptr<EmbeddedSql> embedded(int begin, int end, int intoBegin, int intoEnd, size_t returning,
        const Pos& stmtPos, bool forUpdateRowid = false);

    // ---- declarations and statements
    void declarations(const std::vector<Decl>& decls, CBlock& out);
    void declare(const Decl& d, CBlock& out);
    std::unique_ptr<CBlock> block(const Block& b, const std::vector<Param>* params = nullptr,
        std::vector<CParam>* cparams = nullptr);
    void compileSub(const Subprogram& sp, std::shared_ptr<CSub> csub);
    std::vector<CStmtPtr> statements(const std::vector<StmtPtr>& list);
    CStmtPtr statement(const Stmt& s);
    CStmtPtr loop(const Stmt& s);
    void handlers(const Block& b, CBlock& out);
};

std::optional<bind::ExternalName> BlockNames::resolve(const std::vector<std::string>& parts) const
{
    std::string key;
    for (const std::string& p : parts)
        key += (key.empty() ? "" : ".") + p;
    auto it = e.byKey.find(key);
    if (it != e.byKey.end())
        return bind::ExternalName { it->second.first, it->second.second };
    CExprPtr v = comp.tryVariable(parts, Pos {});
    if (!v || !v->type.isScalar() || v->type.kind == PlKind::Boolean)
        return std::nullopt;
    std::string bindName = "PLSQL$" + std::to_string(e.externals.size() + 1);
    types::ExprType t = sqlTypeOf(v->type);
    e.byKey[key] = { bindName, t };
    e.externals.emplace_back(bindName, std::move(v));
    return bind::ExternalName { bindName, t };
}

// ---- types

PlType Compiler::resolveType(const TypeSpec& t)
{
    PlType r;
    if (t.attr == TypeSpec::Attr::None && t.name.size() == 1) {
        const std::string& n = t.name[0];
        auto sized = [&](PlKind k, int def) {
            r.kind = k;
            r.size = t.size > 0 ? t.size : def;
            return r;
        };
        if (n == "NUMBER" || n == "DECIMAL" || n == "NUMERIC" || n == "DEC") {
            r.kind = PlKind::Number;
            if (t.size > 0) {
                r.precision = t.size;
                r.scale = t.scale > 0 ? t.scale : 0;
                r.scaleDeclared = true;
            }
            return r;
        }
        if (n == "FLOAT" || n == "REAL" || n == "DOUBLE PRECISION" || n == "BINARY_DOUBLE" || n == "BINARY_FLOAT"
            || n == "SIMPLE_DOUBLE")
            return PlType::number();
        if (n == "INTEGER" || n == "INT" || n == "SMALLINT" || n == "PLS_INTEGER" || n == "BINARY_INTEGER"
            || n == "NATURAL" || n == "NATURALN" || n == "POSITIVE" || n == "POSITIVEN" || n == "SIGNTYPE"
            || n == "SIMPLE_INTEGER")
            return PlType::integer();
        if (n == "VARCHAR2" || n == "VARCHAR" || n == "NVARCHAR2" || n == "STRING") {
            // A formal parameter and a function's result take no length: the actual value brings its own.
            if (t.size <= 0 && !formalType)
                fail(t.pos, "PLS-00215: String length constraints must be in range (1 .. 32767)");
            if (t.size > 32767)
                fail(t.pos, "PLS-00215: String length constraints must be in range (1 .. 32767)");
            return sized(PlKind::Varchar2, 0);
        }
        if (n == "CHAR" || n == "NCHAR" || n == "CHARACTER") {
            if (t.size > 32767)
                fail(t.pos, "PLS-00215: String length constraints must be in range (1 .. 32767)");
            return sized(PlKind::Char, 1);
        }
        if (n == "DATE" || n == "TIMESTAMP")
            return PlType::date();
        if (n == "BOOLEAN")
            return PlType::boolean();
        if (n == "LONG")
            return sized(PlKind::Long, 32760);
        if (n == "CLOB" || n == "NCLOB")
            return sized(PlKind::Clob, 0);
        if (n == "BLOB")
            return sized(PlKind::Blob, 0);
        if (n == "RAW")
            return sized(PlKind::Raw, 0);
        if (n == "LONG RAW")
            return sized(PlKind::Raw, 32760);
        if (n == "ROWID" || n == "UROWID")
            return sized(PlKind::Rowid, 0);
        if (n == "SYS_REFCURSOR") {
            r.kind = PlKind::RefCursor;
            return r;
        }
        if (const Sym* sym = lookup(n); sym && sym->k == Sym::K::Type)
            return sym->type;
        fail(t.pos, "PLS-00201: identifier '" + n + "' must be declared");
    }
    std::string full;
    for (const std::string& p : t.name)
        full += (full.empty() ? "" : ".") + p;
    if (t.attr == TypeSpec::Attr::Type) {
        if (CExprPtr v = tryVariable(t.name, t.pos)) {
            PlType vt = v->type;
            vt.notNull = false;
            return vt;
        }
        if (const Sym* sym = storedSymbol(t.name); sym && sym->k == Sym::K::Var) {
            PlType vt = sym->type;
            vt.notNull = false;
            return vt;
        }
        if (t.name.size() >= 2) {
            // table.column or owner.table.column
            std::string owner = t.name.size() == 3 ? t.name[0] : "";
            const std::string& table = t.name[t.name.size() - 2];
            const std::string& column = t.name.back();
            std::string from = (owner.empty() ? "" : owner + ".") + table + (t.dblink.empty() ? "" : "@" + t.dblink);
            PlType row = rowTypeOfQuery("SELECT * FROM " + from, t.pos);
            int i = row.record ? row.record->find(column) : -1;
            if (i < 0)
                fail(t.pos, "PLS-00302: component '" + column + "' must be declared");
            return row.record->types[static_cast<size_t>(i)];
        }
        fail(t.pos, "PLS-00201: identifier '" + full + "' must be declared");
    }
    if (t.attr == TypeSpec::Attr::RowType) {
        if (t.name.size() == 1) {
            if (const Sym* sym = lookup(t.name[0]); sym && sym->k == Sym::K::Cursor)
                return sym->cursor->rowType;
        }
        return rowTypeOfQuery("SELECT * FROM " + full + (t.dblink.empty() ? "" : "@" + t.dblink), t.pos);
    }
    if (const Sym* sym = lookup(full); sym && sym->k == Sym::K::Type)
        return sym->type;
    if (t.name.size() == 2)
        if (auto native = findNativeType(t.name[0], t.name[1])) {
            if (*native == NativeType::Varchar2Table) {
                PlType table = PlType::of(PlKind::Table);
                table.element = std::make_shared<PlType>(PlType::varchar2(32767));
                table.name = full;
                return table;
            }
            return PlType::integer(); // a handle, as the package hands it out
        }
    if (const Sym* sym = storedSymbol(t.name); sym && sym->k == Sym::K::Type)
        return sym->type;
    fail(t.pos, "PLS-00201: identifier '" + full + "' must be declared");
}

PlType Compiler::rowTypeOfQuery(const std::string& query, const Pos& p)
{
    sql::ParseResult parsed = sql::parse(query);
    if (!parsed.ok())
        fail(p, "PLS-00201: identifier '" + query.substr(14) + "' must be declared");
    std::shared_ptr<exec::CachedStatement> entry;
    try {
        entry = exec::translateEmbedded(s, query, *parsed.statement, nullptr);
        uses(entry->bound->dependsOn);
    } catch (const Error& e) {
        std::string what = query.substr(14);
        if (e.code() == 942)
            fail(p, "PLS-00201: identifier '" + what + "' must be declared");
        fail(p, "PL/SQL: " + e.message());
    }
    auto def = std::make_shared<RecordDef>();
    for (const ColumnDesc& c : entry->bound->columns) {
        def->names.push_back(c.name);
        def->types.push_back(plTypeOf(c));
    }
    PlType r;
    r.kind = PlKind::Record;
    r.record = def;
    return r;
}

// ---- expressions

namespace {

// NULL has every scalar type: it may stand where a BOOLEAN is expected (b := NULL, IF NULL THEN), as in Oracle.
bool isNullLiteral(const Expr& e)
{
    return e.kind == ExprKind::Literal && e.literal.isNull() && !e.isTextLiteral;
}

} // namespace

CExprPtr Compiler::condition(const Expr& e)
{
    CExprPtr c = expr(e);
    if (c->type.kind != PlKind::Boolean && !isNullLiteral(e))
        fail(e.pos, "PLS-00382: expression is of wrong type");
    return c;
}

template <typename T> std::unique_ptr<T> node(const Expr& e, PlType type)
{
    auto n = std::make_unique<T>();
    n->pos = e.pos;
    n->type = std::move(type);
    return n;
}

bool refersToDate(const CExpr& e)
{
    return e.type.kind == PlKind::Date;
}

CExprPtr Compiler::expr(const Expr& e)
{
    switch (e.kind) {
    case ExprKind::Literal: {
        auto n = node<CLiteral>(e, e.isTextLiteral ? PlType::varchar2() : PlType::number());
        if (e.op == "NUMBER") {
            fn::NumberValue v;
            if (!fn::tryParseNumberText(e.literal.text, v))
                fail(e.pos, "PLS-00103: Encountered the symbol \"" + e.literal.text + "\"");
            n->value = valueOf(v);
            n->type = PlType::number();
        } else {
            n->value = e.literal;
            if (e.literal.isNull())
                n->type = PlType::varchar2();
        }
        return n;
    }
    case ExprKind::Bool: {
        auto n = node<CLiteral>(e, PlType::boolean());
        n->value = Value::fromInt(e.boolValue ? 1 : 0);
        return n;
    }
    case ExprKind::Bind: {
        if (trigger) {
            const bool rowName = e.bindName == trigger->newName || e.bindName == trigger->oldName;
            if (rowName && !trigger->row)
                fail(e.pos, "ORA-04082: NEW or OLD references not allowed in table level triggers");
            const Sym* sym = rowName ? lookup(e.bindName + "$") : nullptr;
            if (!sym || e.bindField.empty() || sym->type.record->find(e.bindField) < 0)
                fail(e.pos, "PLS-00049: bad bind variable '" + e.bindName
                        + (e.bindField.empty() ? "" : "." + e.bindField) + "'");
            return tryVariable({ e.bindName + "$", e.bindField }, e.pos);
        }
        for (size_t i = 0; i < binds.size(); ++i)
            if (binds[i].name == e.bindName) {
                PlType t;
                switch (binds[i].type) {
                case OraType::Number:
                    t = PlType::number();
                    break;
                case OraType::Date:
                    t = PlType::date();
                    break;
                case OraType::RefCursor:
                    t.kind = PlKind::RefCursor;
                    break;
                case OraType::Long:
                    t.kind = PlKind::Long;
                    break;
                case OraType::Clob:
                    t.kind = PlKind::Clob;
                    break;
                default:
                    t = PlType::varchar2(32767);
                    break;
                }
                auto n = node<CBindRef>(e, t);
                n->index = i;
                n->values = bindValues.get();
                n->assignable = true;
                return n;
            }
        fail(e.pos, "ORA-01008: not all variables bound");
    }
    case ExprKind::Unary: {
        CExprPtr o = expr(*e.left);
        if (e.op == "+")
            return o;
        if (o->type.kind != PlKind::Number)
            fail(e.pos, "PLS-00306: wrong number or types of arguments in call to '-'");
        auto n = node<CUnary>(e, PlType::number());
        n->operand = std::move(o);
        return n;
    }
    case ExprKind::Binary: {
        CExprPtr l = expr(*e.left), r = expr(*e.right);
        if (l->type.kind == PlKind::Boolean || r->type.kind == PlKind::Boolean)
            fail(e.pos, "PLS-00306: wrong number or types of arguments in call to '" + e.op + "'");
        if (e.op == "||") {
            auto n = node<CConcat>(e, PlType::varchar2(32767));
            n->l = std::move(l);
            n->r = std::move(r);
            return n;
        }
        if (refersToDate(*l) || refersToDate(*r)) {
            std::vector<CExprPtr> args;
            args.push_back(std::move(l));
            args.push_back(std::move(r));
            return sqlWith("PLSQL$A1 " + e.op + " PLSQL$A2", std::move(args), e);
        }
        auto n = node<CArith>(e, PlType::number());
        n->op = e.op;
        n->l = std::move(l);
        n->r = std::move(r);
        return n;
    }
    case ExprKind::Compare: {
        auto n = node<CCompare>(e, PlType::boolean());
        n->op = e.op;
        n->l = expr(*e.left);
        n->r = expr(*e.right);
        if ((n->l->type.kind == PlKind::Boolean) != (n->r->type.kind == PlKind::Boolean))
            fail(e.pos, "PLS-00306: wrong number or types of arguments in call to '" + e.op + "'");
        return n;
    }
    case ExprKind::Logical: {
        auto n = node<CLogical>(e, PlType::boolean());
        n->isAnd = e.op == "AND";
        n->l = condition(*e.left);
        n->r = condition(*e.right);
        return n;
    }
    case ExprKind::Not: {
        auto n = node<CNot>(e, PlType::boolean());
        n->operand = condition(*e.left);
        return n;
    }
    case ExprKind::IsNull: {
        auto n = node<CIsNull>(e, PlType::boolean());
        n->negated = e.negated;
        n->operand = expr(*e.left);
        return n;
    }
    case ExprKind::Like: {
        auto n = node<CLike>(e, PlType::boolean());
        n->negated = e.negated;
        n->l = expr(*e.left);
        n->r = expr(*e.right);
        if (e.third)
            n->esc = expr(*e.third);
        return n;
    }
    case ExprKind::In: {
        auto n = node<CIn>(e, PlType::boolean());
        n->negated = e.negated;
        n->l = expr(*e.left);
        for (const auto& x : e.list)
            n->list.push_back(expr(*x));
        return n;
    }
    case ExprKind::Between: {
        auto n = node<CBetween>(e, PlType::boolean());
        n->negated = e.negated;
        n->v = expr(*e.left);
        n->lo = expr(*e.right);
        n->hi = expr(*e.third);
        return n;
    }
    case ExprKind::Case: {
        auto n = node<CCase>(e, PlType::varchar2());
        if (e.selector)
            n->selector = expr(*e.selector);
        bool first = true;
        for (const auto& [w, r] : e.whens) {
            CExprPtr cw = e.selector ? expr(*w) : condition(*w);
            CExprPtr cr = expr(*r);
            if (first)
                n->type = cr->type, n->type.size = cr->type.kind == PlKind::Varchar2 ? 32767 : cr->type.size;
            first = false;
            n->whens.emplace_back(std::move(cw), std::move(cr));
        }
        if (e.elseExpr)
            n->elseExpr = expr(*e.elseExpr);
        n->type.notNull = false;
        return n;
    }
    case ExprKind::Attribute: {
        auto n = node<CCursorAttr>(e, PlType::boolean());
        n->attr = e.attribute;
        if (e.attribute != "FOUND" && e.attribute != "NOTFOUND" && e.attribute != "ISOPEN"
            && e.attribute != "ROWCOUNT" && e.attribute != "BULK_ROWCOUNT")
            fail(e.pos, "PLS-00208: identifier '" + e.attribute + "' is not a legal cursor attribute");
        if (e.attribute == "ROWCOUNT")
            n->type = PlType::integer();
        if (!e.sqlCursor) {
            Expr cursorName;
            cursorName.kind = ExprKind::Name;
            cursorName.pos = e.pos;
            for (const NamePart& p : e.parts)
                cursorName.parts.push_back(NamePart { p.name, p.pos, false, {} });
            n->cursor = cursorRef(cursorName, nullptr);
        }
        return n;
    }
    case ExprKind::Name:
        return name(e);
    }
    fail(e.pos, "PLS-00103: Encountered an unexpected symbol");
}

CExprPtr Compiler::cursorRef(const Expr& e, const CursorDecl** decl)
{
    if (e.parts.size() == 1) {
        const Sym* sym = lookup(e.parts[0].name);
        if (sym && sym->k == Sym::K::Cursor) {
            if (decl)
                *decl = sym->cursor;
            auto v = var(*sym, e.pos);
            v->type.kind = PlKind::RefCursor;
            return v;
        }
    }
    CExprPtr v = tryVariable({ e.parts[0].name }, e.pos);
    if (v && e.parts.size() == 1 && v->type.kind == PlKind::RefCursor)
        return v;
    if (!v && !lookup(e.parts[0].name))
        fail(e.parts[0].pos, "PLS-00201: identifier '" + e.parts[0].name + "' must be declared");
    fail(e.pos, "PLS-00324: cursor attribute may not be applied to non-cursor '" + e.parts[0].name + "'");
}

// The arguments of an OPEN or cursor FOR loop of a declared cursor, positional or named; a parameter left out takes
// its default, and one without a default is PLS-00306.
CursorCall Compiler::cursorCall(const NamePart& part, const CursorDecl& cd)
{
    CursorCall call;
    call.declDepth = level - cd.level;
    call.params = &cd.params;
    call.args.resize(cd.params.size());
    auto wrong = [&] { fail(part.pos, "PLS-00306: wrong number or types of arguments in call to '" + part.name + "'"); };
    size_t positional = 0;
    for (const Arg& a : part.args) {
        size_t idx = cd.params.size();
        if (a.name.empty())
            idx = positional++;
        else
            for (size_t j = 0; j < cd.params.size(); ++j)
                if (cd.params[j].name == a.name)
                    idx = j;
        if (idx >= cd.params.size() || call.args[idx])
            wrong();
        call.args[idx] = expr(*a.value);
        if ((call.args[idx]->type.kind == PlKind::Boolean) != (cd.params[idx].type.kind == PlKind::Boolean))
            wrong();
    }
    for (size_t i = 0; i < cd.params.size(); ++i)
        if (!call.args[i] && !cd.params[i].defaultValue)
            wrong();
    return call;
}

// A variable, parameter, record field or constant named by the parts (no calls): null when there is none.
CExprPtr Compiler::tryVariable(const std::vector<std::string>& parts, const Pos& p)
{
    if (parts.empty())
        return nullptr;
    size_t i = 0;
    const Sym* sym = nullptr;
    if (parts.size() >= 2 && isLabel(parts[0])) {
        sym = lookupLabelled(parts[0], parts[1]);
        i = 2;
    } else {
        sym = lookup(parts[0]);
        i = 1;
    }
    CExprPtr cur;
    if (!sym && parts.size() >= 2) {
        // a package's variable: PKG.V or OWNER.PKG.V, with fields after it
        for (size_t n = 2; n <= 3 && n <= parts.size() && !cur; ++n) {
            int64_t unitId = 0;
            const Sym* ps = storedSymbol(std::vector<std::string>(parts.begin(), parts.begin() + static_cast<long>(n)), &unitId);
            if (!ps || ps->k != Sym::K::Var)
                continue;
            auto v = std::make_unique<CPackageVar>();
            v->unitId = unitId;
            v->slot = ps->slot;
            v->type = ps->type;
            v->pos = p;
            v->assignable = !ps->constant;
            cur = std::move(v);
            i = n;
        }
        if (!cur)
            return nullptr;
    } else {
        if (!sym || sym->k != Sym::K::Var)
            return nullptr;
        cur = var(*sym, p);
    }
    for (; i < parts.size(); ++i) {
        if (cur->type.kind != PlKind::Record || !cur->type.record)
            return nullptr;
        int idx = cur->type.record->find(parts[i]);
        if (idx < 0)
            return nullptr;
        auto f = std::make_unique<CField>();
        f->type = cur->type.record->types[static_cast<size_t>(idx)];
        f->index = idx;
        f->pos = p;
        f->assignable = cur->assignable;
        f->base = std::move(cur);
        cur = std::move(f);
    }
    return cur;
}

CExprPtr Compiler::sqlExpr(const Expr& e)
{
    std::string exprText(text.substr(static_cast<size_t>(e.pos.offset), static_cast<size_t>(e.endOffset - e.pos.offset)));
    std::string q = "SELECT " + exprText + " FROM DUAL";
    auto es = std::make_unique<EmbeddedSql>();
    es->text = q;
    es->baseOffset = e.pos.offset - 7;
    es->parsed = std::make_unique<sql::ParseResult>(sql::parse(q));
    if (!es->parsed->ok()) {
        const sql::ParseError& pe = *es->parsed->error;
        fail(pos(std::max(0, es->baseOffset + pe.offset)), "PLS-00103: " + pe.message);
    }
    BlockNames names(*this, *es);
    try {
        es->entry = exec::translateEmbedded(s, q, *es->parsed->statement, &names);
        uses(es->entry->bound->dependsOn);
    } catch (const Error& err) {
        if (err.code() == 904) {
            // the name that is neither a column nor a variable
            std::string what = err.message();
            size_t a = what.find(": ");
            size_t b = what.find(": invalid identifier");
            std::string ident = a != std::string::npos && b != std::string::npos ? what.substr(a + 2, b - a - 2) : what;
            if (!ident.empty() && ident.front() == '"')
                ident = ident.substr(1, ident.size() - 2);
            fail(err.offset() >= 0 ? pos(es->baseOffset + err.offset()) : e.pos,
                "PLS-00201: identifier '" + ident + "' must be declared");
        }
        fail(err.offset() >= 0 ? pos(es->baseOffset + err.offset()) : e.pos, "PLS-00306: wrong number or types of "
                                                                              "arguments in call to '"
                + (e.parts.empty() ? std::string("?") : e.parts[0].name) + "'");
    }
    es->mapSources();
    auto n = std::make_unique<CSqlExpr>();
    n->pos = e.pos;
    n->type = es->entry->bound->columns.empty() ? PlType::varchar2() : plTypeOf(es->entry->bound->columns[0]);
    if (n->type.kind == PlKind::Varchar2)
        n->type.size = 32767;
    if (n->type.kind == PlKind::Number)
        n->type.precision = 0, n->type.scale = 0, n->type.scaleDeclared = false;
    n->sql = std::move(es);
    return n;
}

// An expression of SQL over values PL/SQL computes: the arguments are evaluated here and passed as binds named
// PLSQL$A1, PLSQL$A2 ... in exprText (SQLERRM, cursor attributes and local functions are no names of SQL).
CExprPtr Compiler::sqlWith(const std::string& exprText, std::vector<CExprPtr> args, const Expr& e)
{
    std::string q = "SELECT " + exprText + " FROM DUAL";
    auto es = std::make_unique<EmbeddedSql>();
    es->text = q;
    es->baseOffset = e.pos.offset;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string n = "PLSQL$A" + std::to_string(i + 1);
        if (args[i]->type.kind == PlKind::Boolean || !args[i]->type.isScalar())
            fail(args[i]->pos, "PLS-00306: wrong number or types of arguments in call to '"
                    + (e.parts.empty() ? std::string("?") : e.parts[0].name) + "'");
        types::ExprType t = sqlTypeOf(args[i]->type);
        es->byKey[n] = { n, t };
        es->externals.emplace_back(n, std::move(args[i]));
    }
    es->parsed = std::make_unique<sql::ParseResult>(sql::parse(q));
    if (!es->parsed->ok())
        fail(e.pos, "PLS-00306: wrong number or types of arguments in call to '"
                + (e.parts.empty() ? std::string("?") : e.parts[0].name) + "'");
    BlockNames names(*this, *es);
    try {
        es->entry = exec::translateEmbedded(s, q, *es->parsed->statement, &names);
        uses(es->entry->bound->dependsOn);
    } catch (const Error& err) {
        fail(e.pos, "PLS-00306: wrong number or types of arguments in call to '"
                + (e.parts.empty() ? std::string("?") : e.parts[0].name) + "'");
    }
    es->mapSources();
    auto n = std::make_unique<CSqlExpr>();
    n->pos = e.pos;
    n->type = es->entry->bound->columns.empty() ? PlType::varchar2() : plTypeOf(es->entry->bound->columns[0]);
    if (n->type.kind == PlKind::Varchar2)
        n->type.size = 32767;
    if (n->type.kind == PlKind::Number)
        n->type.precision = 0, n->type.scale = 0, n->type.scaleDeclared = false;
    n->sql = std::move(es);
    return n;
}

CExprPtr Compiler::callOf(const Sym& sym, const NamePart& part, const Pos& p, bool asStatement, int64_t storedUnit)
{
    // Overloads: the first whose parameters take the arguments.
    std::string lastError;
    for (size_t k = 0; k < sym.subs.size(); ++k) {
        const auto& sub = sym.subs[k];
        if (sub->isFunction == asStatement)
            continue;
        std::vector<CExprPtr> args(sub->params.size());
        bool ok = true;
        size_t positional = 0;
        for (const Arg& a : part.args) {
            size_t idx = 0;
            if (a.name.empty()) {
                idx = positional++;
                if (idx >= sub->params.size()) {
                    ok = false;
                    break;
                }
            } else {
                idx = sub->params.size();
                for (size_t j = 0; j < sub->params.size(); ++j)
                    if (sub->params[j].name == a.name)
                        idx = j;
                if (idx == sub->params.size()) {
                    ok = false;
                    break;
                }
            }
            const CParam& prm = sub->params[idx];
            CExprPtr v = prm.mode == Param::Mode::In ? expr(*a.value) : target(*a.value);
            if (prm.mode != Param::Mode::In && !v->assignable)
                fail(a.value->pos, "PLS-00363: expression '"
                        + std::string(text.substr(static_cast<size_t>(a.value->pos.offset),
                            static_cast<size_t>(a.value->endOffset - a.value->pos.offset)))
                        + "' cannot be used as an assignment target");
            if ((v->type.kind == PlKind::Boolean) != (prm.type.kind == PlKind::Boolean)) {
                ok = false;
                break;
            }
            args[idx] = std::move(v);
        }
        for (size_t j = 0; ok && j < sub->params.size(); ++j)
            if (!args[j] && !sub->params[j].defaultValue)
                ok = false;
        if (!ok)
            continue;
        if (storedUnit) {
            auto c = std::make_unique<CStoredCall>();
            c->pos = p;
            c->unitId = storedUnit;
            c->name = sym.subs[k]->name;
            c->overload = k;
            c->args = std::move(args);
            c->type = sub->returnType;
            return c;
        }
        auto c = std::make_unique<CCall>();
        c->pos = p;
        c->sub = sub.get();
        c->unit = &unit;
        c->args = std::move(args);
        c->linkDepth = level - (sub->level - 1);
        c->type = sub->returnType;
        return c;
    }
    bool any = false;
    for (const auto& sub : sym.subs)
        any = any || sub->isFunction != asStatement;
    if (!any && !sym.subs.empty())
        fail(p, sym.subs[0]->isFunction ? "PLS-00221: '" + part.name + "' is not a procedure or is undefined"
                                        : "PLS-00222: no function with name '" + part.name + "' exists in this scope");
    fail(p, "PLS-00306: wrong number or types of arguments in call to '" + part.name + "'");
}

CExprPtr Compiler::nativeCall(const NativePackage& pkg, const NamePart& routine, const Pos& p, bool asStatement)
{
    for (const NativeRoutine& r : pkg.routines) {
        if (r.name != routine.name || r.returns.has_value() == asStatement)
            continue;
        std::vector<CExprPtr> args(r.params.size());
        bool ok = true;
        size_t positional = 0;
        for (const Arg& a : routine.args) {
            size_t idx = r.params.size();
            if (a.name.empty())
                idx = positional++;
            else
                for (size_t j = 0; j < r.params.size(); ++j)
                    if (r.params[j].name == a.name)
                        idx = j;
            if (idx >= r.params.size()) {
                ok = false;
                break;
            }
            args[idx] = r.params[idx].mode == ParamMode::In ? expr(*a.value) : target(*a.value);
        }
        for (size_t j = 0; ok && j < r.params.size(); ++j)
            if (!args[j] && !r.params[j].hasDefault)
                ok = false;
        if (!ok)
            continue;
        auto n = std::make_unique<CNativeCall>();
        n->pos = p;
        n->routine = &r;
        n->args = std::move(args);
        if (r.returns) {
            switch (*r.returns) {
            case NativeType::Number:
            case NativeType::Integer:
            case NativeType::FileType:
                n->type = PlType::number();
                break;
            case NativeType::Date:
                n->type = PlType::date();
                break;
            case NativeType::Boolean:
                n->type = PlType::boolean();
                break;
            default:
                n->type = PlType::varchar2(32767);
                break;
            }
        }
        return n;
    }
    fail(p, "PLS-00306: wrong number or types of arguments in call to '" + routine.name + "'");
}

CExprPtr Compiler::name(const Expr& e, bool asStatement)
{
    const auto& parts = e.parts;
    const NamePart& first = parts[0];
    if (e.op == "SQL")
        return sqlExpr(e);
    if (trigger && parts.size() == 1 && first.name == "UPDATING" && first.hasArgs) {
        const Sym* updating = lookup("UPDATING");
        const Sym* columns = lookup("TRG$COLUMNS");
        if (first.args.size() != 1 || !first.args[0].name.empty() || !updating || !columns)
            fail(first.pos, "PLS-00306: wrong number or types of arguments in call to 'UPDATING'");
        auto n = node<CUpdatingColumn>(e, PlType::boolean());
        n->updating = var(*updating, first.pos);
        n->columns = var(*columns, first.pos);
        n->column = expr(*first.args[0].value);
        return n;
    }
    const Sym* sym = nullptr;
    size_t i = 1;
    if (parts.size() >= 2 && isLabel(first.name) && !first.hasArgs) {
        sym = lookupLabelled(first.name, parts[1].name);
        i = 2;
    } else {
        sym = lookup(first.name);
    }
    const NamePart& head = parts[i - 1];
    if (sym) {
        CExprPtr cur;
        if (sym->k == Sym::K::Sub) {
            cur = callOf(*sym, head, head.pos, asStatement && i == parts.size());
        } else if (sym->k == Sym::K::Var) {
            cur = var(*sym, head.pos);
            if (head.hasArgs) {
                if (cur->type.kind != PlKind::Table || head.args.size() != 1)
                    fail(head.pos, "PLS-00222: no function with name '" + head.name + "' exists in this scope");
                auto el = std::make_unique<CElement>();
                el->pos = head.pos;
                el->type = *cur->type.element;
                el->key = expr(*head.args[0].value);
                el->assignable = cur->assignable;
                el->base = std::move(cur);
                cur = std::move(el);
            }
        } else if (sym->k == Sym::K::Cursor) {
            fail(head.pos, "PLS-00320: the declaration of the type of this expression is incomplete or malformed");
        } else if (sym->k == Sym::K::Exception) {
            fail(head.pos, "PLS-00321: expression '" + head.name + "' is inappropriate as the left hand side of an "
                                                                   "assignment statement");
        } else {
            fail(head.pos, "PLS-00330: invalid use of type name or subtype name");
        }
        for (; i < parts.size(); ++i) {
            const NamePart& part = parts[i];
            if (cur->type.kind == PlKind::Record && cur->type.record) {
                int idx = cur->type.record->find(part.name);
                if (idx < 0)
                    fail(part.pos, "PLS-00302: component '" + part.name + "' must be declared");
                auto f = std::make_unique<CField>();
                f->pos = part.pos;
                f->type = cur->type.record->types[static_cast<size_t>(idx)];
                f->index = idx;
                f->assignable = cur->assignable;
                f->base = std::move(cur);
                cur = std::move(f);
                if (part.hasArgs) {
                    if (cur->type.kind != PlKind::Table || part.args.size() != 1)
                        fail(part.pos, "PLS-00222: no function with name '" + part.name + "' exists in this scope");
                    auto el = std::make_unique<CElement>();
                    el->pos = part.pos;
                    el->type = *cur->type.element;
                    el->key = expr(*part.args[0].value);
                    el->assignable = cur->assignable;
                    el->base = std::move(cur);
                    cur = std::move(el);
                }
                continue;
            }
            if (cur->type.kind == PlKind::Table) {
                static const char* const methods[] = { "COUNT", "FIRST", "LAST", "NEXT", "PRIOR", "EXISTS", "DELETE" };
                bool known = false;
                for (const char* m : methods)
                    known = known || part.name == m;
                if (!known)
                    fail(part.pos, "PLS-00302: component '" + part.name + "' must be declared");
                if (part.name == "DELETE")
                    fail(part.pos, "ORA-03001: unimplemented feature: DELETE of a collection");
                auto m = std::make_unique<CTableMethod>();
                m->pos = part.pos;
                m->method = part.name;
                bool needsArg = part.name == "NEXT" || part.name == "PRIOR" || part.name == "EXISTS";
                if (needsArg != (part.args.size() == 1))
                    fail(part.pos, "PLS-00306: wrong number or types of arguments in call to '" + part.name + "'");
                if (needsArg)
                    m->arg = expr(*part.args[0].value);
                m->type = part.name == "EXISTS" ? PlType::boolean()
                    : cur->type.indexByText && part.name != "COUNT" ? PlType::varchar2(32767)
                                                                    : PlType::integer();
                m->base = std::move(cur);
                cur = std::move(m);
                continue;
            }
            fail(part.pos, "PLS-00302: component '" + part.name + "' must be declared");
        }
        return cur;
    }
    if (parts.size() == 1) {
        const std::string& n = first.name;
        if (n == "SQLCODE" || n == "SQLERRM") {
            auto c = node<CSqlCode>(e, n == "SQLCODE" ? PlType::integer() : PlType::varchar2(512));
            c->message = n == "SQLERRM";
            if (first.hasArgs) {
                if (n == "SQLCODE" || first.args.size() != 1)
                    fail(first.pos, "PLS-00306: wrong number or types of arguments in call to '" + n + "'");
                c->arg = expr(*first.args[0].value);
            }
            return c;
        }
        if (n == "NVL" && first.hasArgs) {
            if (first.args.size() != 2)
                fail(first.pos, "PLS-00306: wrong number or types of arguments in call to 'NVL'");
            auto c = node<CNvl>(e, PlType::varchar2());
            c->a = expr(*first.args[0].value);
            c->b = expr(*first.args[1].value);
            c->type = c->a->type;
            c->type.notNull = false;
            if (c->type.kind == PlKind::Varchar2 || c->type.kind == PlKind::Char)
                c->type.kind = PlKind::Varchar2, c->type.size = 32767;
            if (c->type.kind == PlKind::Number)
                c->type = PlType::number();
            return c;
        }
        if (n == "DECODE")
            fail(first.pos, "PLS-00204: function or pseudo-column 'DECODE' may be used inside a SQL statement only");
        if (n == "RAISE_APPLICATION_ERROR")
            fail(first.pos, "PLS-00222: no function with name 'RAISE_APPLICATION_ERROR' exists in this scope");
        if (n == "SYSDATE" || n == "USER" || n == "UID" || n == "SYSTIMESTAMP" || isSqlFunction(n)) {
            for (const Arg& a : first.args)
                if (!a.name.empty())
                    fail(first.pos, "PLS-00306: wrong number or types of arguments in call to '" + n + "'");
            if (!first.hasArgs || n == "ORA$DATE_LITERAL")
                return sqlExpr(e);
            std::vector<CExprPtr> args;
            std::string call = n + "(";
            for (size_t i = 0; i < first.args.size(); ++i) {
                args.push_back(expr(*first.args[i].value));
                call += (i ? ", PLSQL$A" : "PLSQL$A") + std::to_string(i + 1);
            }
            return sqlWith(call + ")", std::move(args), e);
        }
    }
    if (parts.size() == 2) {
        if (const NativePackage* pkg = findNativePackageFor(s, first.name)) {
            for (const NativeConstant& k : pkg->constants)
                if (k.name == parts[1].name && !parts[1].hasArgs) {
                    auto c = node<CLiteral>(e, k.type == NativeType::Varchar2 ? PlType::varchar2(32767)
                                                                              : PlType::number());
                    c->value = k.value;
                    return c;
                }
            return nativeCall(*pkg, parts[1], parts[1].pos, asStatement);
        }
        if (parts[1].name == "NEXTVAL" || parts[1].name == "CURRVAL")
            return sqlExpr(e);
    }
    if (CExprPtr stored = storedName(e, asStatement))
        return stored;
    std::string full;
    for (const NamePart& p : parts)
        full += (full.empty() ? "" : ".") + p.name;
    fail(first.pos, "PLS-00201: identifier '" + full + "' must be declared");
}

CExprPtr Compiler::target(const Expr& e)
{
    if (e.kind != ExprKind::Name && e.kind != ExprKind::Bind)
        fail(e.pos, "PLS-00363: expression cannot be used as an assignment target");
    CExprPtr t = e.kind == ExprKind::Bind ? expr(e) : name(e, false);
    if (!t->assignable) {
        std::string what(text.substr(static_cast<size_t>(e.pos.offset), static_cast<size_t>(e.endOffset - e.pos.offset)));
        const Sym* sym = e.kind == ExprKind::Name ? lookup(e.parts[0].name) : nullptr;
        if (sym && sym->constant)
            fail(e.pos, "PLS-00363: expression '" + what + "' cannot be used as an assignment target");
        fail(e.pos, "PLS-00363: expression '" + what + "' cannot be used as an assignment target");
    }
    return t;
}

// ---- SQL

std::unique_ptr<EmbeddedSql> Compiler::embedded(
    int begin, int end, int intoBegin, int intoEnd, size_t returning, const Pos& stmtPos, bool forUpdateRowid)
{
    auto es = std::make_unique<EmbeddedSql>();
    std::string t(text.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin)));
    if (intoBegin >= 0) {
        size_t a = static_cast<size_t>(intoBegin - begin), b = static_cast<size_t>(intoEnd - begin);
        if (returning > 0) {
            std::string list;
            for (size_t i = 0; i < returning; ++i) {
                std::string name = "PLSQL_R" + std::to_string(i + 1);
                es->returningBinds.push_back(name);
                list += (i ? ", :" : " INTO :") + name;
            }
            t = t.substr(0, a) + list + t.substr(b);
        } else {
            for (size_t i = a; i < b; ++i)
                if (t[i] != '\n')
                    t[i] = ' ';
        }
    }
    // WHERE CURRENT OF c: the row the cursor fetched last, by its ROWID.
    const CursorDecl* currentOf = nullptr;
    CExprPtr currentOfVar;
    {
        sql::LexResult lx = sql::tokenize(t);
        std::vector<sql::Token> tk;
        for (auto& x : lx.tokens)
            if (x.kind != sql::TokenKind::Comment)
                tk.push_back(x);
        for (size_t i = 0; i + 2 < tk.size(); ++i)
            if (tk[i].isWord("CURRENT") && tk[i + 1].isWord("OF") && (tk[i + 2].kind == sql::TokenKind::Identifier)) {
                Expr ce;
                ce.kind = ExprKind::Name;
                ce.pos = pos(begin + tk[i + 2].offset);
                ce.parts.push_back(NamePart { tk[i + 2].text, ce.pos, false, {} });
                currentOfVar = cursorRef(ce, &currentOf);
                std::string repl = "ROWID = PLSQL$CUROF";
                t = t.substr(0, static_cast<size_t>(tk[i].offset)) + repl
                    + t.substr(static_cast<size_t>(tk[i + 2].endOffset));
                break;
            }
    }
    if (trigger && trigger->row) {
        // :NEW.COL becomes NEW$.COL, of the same length so that positions stay: a name of the block, which the
        // statement takes as a bind.
        sql::LexResult lx = sql::tokenize(t);
        for (const sql::Token& x : lx.tokens)
            if (x.kind == sql::TokenKind::Bind && (x.text == trigger->newName || x.text == trigger->oldName)
                && static_cast<size_t>(x.endOffset) < t.size() && t[static_cast<size_t>(x.endOffset)] == '.'
                && x.endOffset - x.offset == static_cast<int>(x.text.size()) + 1)
                t.replace(static_cast<size_t>(x.offset), x.text.size() + 1, x.text + "$");
    }
    es->text = t;
    es->baseOffset = begin;
    es->parsed = std::make_unique<sql::ParseResult>(sql::parse(es->text));
    if (!es->parsed->ok()) {
        const sql::ParseError& pe = *es->parsed->error;
        note(pos(begin + std::max(0, pe.offset)), "PL/SQL: " + pe.message);
        fail(stmtPos, "PL/SQL: SQL Statement ignored");
    }
    if (currentOfVar) {
        auto cr = std::make_unique<CCurrentRowid>();
        cr->type.kind = PlKind::Rowid;
        cr->cursor = std::move(currentOfVar);
        es->byKey["PLSQL$CUROF"] = { "PLSQL$CUROF", types::ExprType::rowid() };
        es->externals.emplace_back("PLSQL$CUROF", std::move(cr));
    }
    if (forUpdateRowid && es->parsed->statement->kind == sql::StatementKind::Select) {
        auto* sel = es->parsed->statement->as<sql::SelectStmt>();
        if (sel->query->forUpdate && sel->query->body->kind == sql::QueryBodyKind::Block) {
            auto* qb = static_cast<sql::QueryBlock*>(sel->query->body.get());
            if (!qb->from.empty() && qb->from[0]->kind == sql::TableRefKind::Table) {
                auto* tn = static_cast<sql::TableName*>(qb->from[0].get());
                auto rowid = std::make_unique<sql::PseudoColumnExpr>();
                rowid->which = sql::PseudoColumnExpr::Which::Rowid;
                rowid->offset = -1;
                sql::Identifier q;
                q.name = tn->alias ? tn->alias->name : tn->name.name.name;
                rowid->qualifier.push_back(q);
                if (!tn->alias && tn->name.schema) {
                    rowid->qualifier.insert(rowid->qualifier.begin(), *tn->name.schema);
                }
                // "SELECT *, ROWID" is no query: the star is taken as the table's own star
                for (sql::SelectItem& it : qb->items)
                    if (it.type == sql::SelectItem::Type::Star && qb->from.size() == 1) {
                        it.type = sql::SelectItem::Type::QualifiedStar;
                        it.qualifier = rowid->qualifier;
                    }
                sql::SelectItem item;
                item.type = sql::SelectItem::Type::Expr;
                item.expr = std::move(rowid);
                sql::Identifier alias;
                alias.name = "PLSQL$ROWID";
                item.alias = alias;
                qb->items.push_back(std::move(item));
                es->rowidColumn = -2; // set after binding
            }
        }
    }
    BlockNames names(*this, *es);
    if (es->prepareRemote(names))
        return es;
    try {
        es->entry = exec::translateEmbedded(s, es->text, *es->parsed->statement, &names);
        uses(es->entry->bound->dependsOn);
    } catch (const Error& err) {
        int off = err.offset() >= 0 ? begin + err.offset() : stmtPos.offset;
        note(pos(off), "PL/SQL: " + err.message());
        fail(stmtPos, "PL/SQL: SQL Statement ignored");
    }
    if (es->rowidColumn == -2)
        es->rowidColumn = static_cast<int>(es->entry->bound->columns.size()) - 1;
    es->mapSources();
    return es;
}

// ---- declarations

void Compiler::declarations(const std::vector<Decl>& decls, CBlock& out)
{
    for (const Decl& d : decls) {
        try {
            declare(d, out);
        } catch (const Fail& f) {
            errors.push_back(f.error);
            if (f.error.text.rfind("PL/SQL: SQL Statement ignored", 0) != 0)
                note(d.pos, "PL/SQL: Item ignored");
            // the name stays known, so later uses do not each report it again
            Sym sym;
            sym.k = Sym::K::Var;
            sym.level = level;
            sym.slot = alloc();
            if (d.kind == DeclKind::Variable || d.kind == DeclKind::Constant)
                scope->names.emplace(d.name, sym);
        }
    }
}

void Compiler::declare(const Decl& d, CBlock& out)
{
    if (d.kind != DeclKind::PragmaExceptionInit && d.kind != DeclKind::PragmaOther && d.kind != DeclKind::Subprogram
        && scope->names.count(d.name))
        fail(d.pos, "PLS-00371: at most one declaration for '" + d.name + "' is permitted");
    switch (d.kind) {
    case DeclKind::Variable:
    case DeclKind::Constant: {
        Sym sym;
        sym.k = Sym::K::Var;
        sym.type = resolveType(d.type);
        sym.type.notNull = d.notNull;
        sym.constant = d.kind == DeclKind::Constant;
        sym.level = level;
        sym.slot = alloc();
        auto init = std::make_unique<SInit>();
        init->line = d.pos.line;
        init->type = sym.type;
        if (d.init) {
            init->value = expr(*d.init);
            if ((init->value->type.kind == PlKind::Boolean) != (sym.type.kind == PlKind::Boolean)
                && !(isNullLiteral(*d.init) && sym.type.kind == PlKind::Boolean))
                fail(d.init->pos, "PLS-00382: expression is of wrong type");
        }
        auto v = var(sym, d.pos);
        init->target = std::move(v);
        out.init.push_back(std::move(init));
        scope->names.emplace(d.name, sym);
        return;
    }
    case DeclKind::Exception: {
        Sym sym;
        sym.k = Sym::K::Exception;
        if (lentExceptions && level == 0) {
            auto lent = lentExceptions->names.find(d.name);
            if (lent != lentExceptions->names.end() && lent->second.k == Sym::K::Exception) {
                sym.exception = lent->second.exception;
                scope->names.emplace(d.name, sym);
                return;
            }
        }
        exceptions.push_back(std::make_unique<ExceptionDecl>());
        exceptions.back()->name = d.name;
        sym.exception = exceptions.back().get();
        scope->names.emplace(d.name, sym);
        return;
    }
    case DeclKind::PragmaExceptionInit: {
        auto it = scope->names.find(d.name);
        if (it == scope->names.end() || it->second.k != Sym::K::Exception) {
            if (!lookup(d.name))
                fail(d.pos, "PLS-00201: identifier '" + d.name + "' must be declared");
            fail(d.pos, "PLS-00109: unknown exception name '" + d.name + "' in PRAGMA EXCEPTION_INIT");
        }
        if (d.errorCode >= 0 || d.errorCode < -1000000 || d.errorCode == -1403)
            if (d.errorCode != 100)
                fail(d.codePos, "PLS-00701: illegal ORACLE error number " + std::to_string(d.errorCode)
                        + " for PRAGMA EXCEPTION_INIT");
        it->second.exception->code = d.errorCode == 100 ? 1403 : -d.errorCode;
        return;
    }
    case DeclKind::PragmaOther:
        return;
    case DeclKind::Cursor: {
        cursors.push_back(std::make_unique<CursorDecl>());
        CursorDecl& cd = *cursors.back();
        cd.level = level;
        cd.slot = alloc();
        push();
        for (const Param& prm : d.params) {
            CParam cp;
            cp.name = prm.name;
            cp.type = formal(prm.type);
            cp.slot = alloc();
            if (prm.defaultValue)
                cp.defaultValue = expr(*prm.defaultValue);
            Sym ps;
            ps.k = Sym::K::Var;
            ps.type = cp.type;
            ps.level = level;
            ps.slot = cp.slot;
            ps.constant = true;
            scope->names.emplace(prm.name, ps);
            cd.params.push_back(std::move(cp));
        }
        if (d.queryBegin >= 0) {
            try {
                cd.sql = embedded(d.queryBegin, d.queryEnd, -1, -1, 0, pos(d.queryBegin), true);
            } catch (...) {
                pop();
                throw;
            }
            auto def = std::make_shared<RecordDef>();
            const auto& cols = cd.sql->entry->bound->columns;
            size_t n = cd.sql->rowidColumn >= 0 ? static_cast<size_t>(cd.sql->rowidColumn) : cols.size();
            for (size_t i = 0; i < n; ++i) {
                def->names.push_back(cols[i].name);
                def->types.push_back(plTypeOf(cols[i]));
            }
            cd.rowType.kind = PlKind::Record;
            cd.rowType.record = def;
        }
        pop();
        Sym sym;
        sym.k = Sym::K::Cursor;
        sym.cursor = &cd;
        sym.level = level;
        sym.slot = cd.slot;
        auto init = std::make_unique<SCursorInit>();
        init->line = d.pos.line;
        init->target = var(sym, d.pos);
        out.init.push_back(std::move(init));
        scope->names.emplace(d.name, sym);
        return;
    }
    case DeclKind::RecordType: {
        auto def = std::make_shared<RecordDef>();
        for (const Decl::Field& f : d.fields) {
            PlType ft = resolveType(f.type);
            def->names.push_back(f.name);
            def->types.push_back(ft);
        }
        Sym sym;
        sym.k = Sym::K::Type;
        sym.type.kind = PlKind::Record;
        sym.type.record = def;
        sym.type.name = d.name;
        scope->names.emplace(d.name, sym);
        return;
    }
    case DeclKind::TableType: {
        Sym sym;
        sym.k = Sym::K::Type;
        sym.type.kind = PlKind::Table;
        sym.type.element = std::make_shared<PlType>(resolveType(d.type));
        sym.type.name = d.name;
        if (!d.indexed)
            fail(d.pos, "ORA-03001: unimplemented feature: nested tables and varrays");
        PlType it = resolveType(d.indexType);
        sym.type.indexByText = it.kind == PlKind::Varchar2;
        scope->names.emplace(d.name, sym);
        return;
    }
    case DeclKind::RefCursorType: {
        Sym sym;
        sym.k = Sym::K::Type;
        sym.type.kind = PlKind::RefCursor;
        sym.type.name = d.name;
        scope->names.emplace(d.name, sym);
        return;
    }
    case DeclKind::Subtype: {
        Sym sym;
        sym.k = Sym::K::Type;
        sym.type = resolveType(d.type);
        sym.type.notNull = d.notNull;
        scope->names.emplace(d.name, sym);
        return;
    }
    case DeclKind::Subprogram: {
        const Subprogram& sp = *d.subprogram;
        Sym* sym = nullptr;
        auto it = scope->names.find(sp.name);
        if (it != scope->names.end()) {
            if (it->second.k != Sym::K::Sub)
                fail(d.pos, "PLS-00371: at most one declaration for '" + sp.name + "' is permitted");
            sym = &it->second;
        } else {
            Sym ns;
            ns.k = Sym::K::Sub;
            sym = &scope->names.emplace(sp.name, ns).first->second;
        }
        // a forward declaration and its body share one CSub: same name and parameter names
        std::shared_ptr<CSub> target;
        for (size_t k = 0; k < sym->subs.size(); ++k) {
            const Subprogram* other = sym->subDecls[k];
            if (other->params.size() != sp.params.size() || other->isFunction != sp.isFunction)
                continue;
            bool same = true;
            for (size_t j = 0; j < sp.params.size(); ++j)
                same = same && other->params[j].name == sp.params[j].name;
            if (same)
                target = sym->subs[k];
        }
        if (target && target->defined && sp.hasBody)
            fail(d.pos, "PLS-00305: previous use of '" + sp.name + "' conflicts with this use");
        if (!target) {
            target = std::make_shared<CSub>();
            target->name = sp.name;
            target->isFunction = sp.isFunction;
            target->level = level + 1;
            target->pos = sp.pos;
            // parameters are compiled now so calls before the body know them
            ++level;
            frameSize.push_back(0);
            push();
            for (const Param& prm : sp.params) {
                CParam cp;
                cp.name = prm.name;
                cp.mode = prm.mode;
                // a formal parameter takes the actual's length and precision: CHAR is any CHAR
                cp.type = formal(prm.type);
                cp.type.size = 0;
                cp.type.precision = 0;
                cp.type.scale = 0;
                cp.type.scaleDeclared = false;
                cp.slot = alloc();
                if (prm.defaultValue)
                    cp.defaultValue = expr(*prm.defaultValue);
                target->params.push_back(std::move(cp));
            }
            if (sp.isFunction)
                target->returnType = formal(sp.returnType);
            target->frameSize = frameSize.back();
            pop();
            frameSize.pop_back();
            --level;
            sym->subs.push_back(target);
            sym->subDecls.push_back(&sp);
            unit.subs.push_back(target);
        }
        if (sp.hasBody && !headersOnly)
            compileSub(sp, target);
        return;
    }
    }
}

void Compiler::compileSub(const Subprogram& sp, std::shared_ptr<CSub> csub)
{
    ++level;
    frameSize.push_back(static_cast<int>(csub->params.size()));
    push(sp.name);
    for (const CParam& cp : csub->params) {
        Sym ps;
        ps.k = Sym::K::Var;
        ps.type = cp.type;
        ps.level = level;
        ps.slot = cp.slot;
        ps.constant = cp.mode == Param::Mode::In;
        scope->names.emplace(cp.name, ps);
    }
    const PlType* savedReturn = returnType;
    bool savedInFunction = inFunction;
    int savedLoops = loopDepth;
    returnType = sp.isFunction ? &csub->returnType : nullptr;
    inFunction = sp.isFunction;
    loopDepth = 0;
    csub->body = block(*sp.body);
    returnType = savedReturn;
    inFunction = savedInFunction;
    loopDepth = savedLoops;
    csub->frameSize = frameSize.back();
    csub->defined = true;
    pop();
    frameSize.pop_back();
    --level;
}

std::unique_ptr<CBlock> Compiler::block(const Block& b, const std::vector<Param>*, std::vector<CParam>*)
{
    auto out = std::make_unique<CBlock>();
    out->label = b.label;
    push(b.label);
    declarations(b.decls, *out);
    for (const Decl& d : b.decls)
        if (d.kind == DeclKind::Subprogram && !d.subprogram->hasBody) {
            const Sym* sym = lookup(d.name);
            bool defined = false;
            if (sym)
                for (const auto& sub : sym->subs)
                    defined = defined || sub->defined;
            if (!defined)
                note(d.pos, "PLS-00328: A subprogram body must be defined for the forward declaration of "
                        + d.name + ".");
        }
    out->body = statements(b.body);
    handlers(b, *out);
    pop();
    return out;
}

void Compiler::handlers(const Block& b, CBlock& out)
{
    for (const ExceptionHandler& h : b.handlers) {
        CHandler ch;
        for (size_t i = 0; i < h.names.size(); ++i) {
            const auto& chain = h.names[i];
            if (chain.size() == 1 && chain[0] == "OTHERS") {
                ch.others = true;
                continue;
            }
            const Sym* sym = chain.size() == 1 ? lookup(chain[0]) : nullptr;
            if (sym && sym->k == Sym::K::Exception) {
                if (sym->exception->code)
                    ch.codes.push_back(sym->exception->code);
                else
                    ch.userExceptions.push_back(sym->exception);
                continue;
            }
            bool found = false;
            if (chain.size() == 1)
                for (const Predefined& p : kPredefined)
                    if (chain[0] == p.name) {
                        ch.codes.push_back(p.code);
                        found = true;
                    }
            if (chain.size() == 2) {
                if (const NativePackage* pkg = findNativePackageFor(s, chain[0]))
                    for (const NativeException& ne : pkg->exceptions)
                        if (ne.name == chain[1]) {
                            ch.codes.push_back(ne.code);
                            found = true;
                        }
                if (chain[0] == "STANDARD")
                    for (const Predefined& p : kPredefined)
                        if (chain[1] == p.name) {
                            ch.codes.push_back(p.code);
                            found = true;
                        }
            }
            if (!found && chain.size() >= 2)
                if (const Sym* ps = storedSymbol(chain); ps && ps->k == Sym::K::Exception) {
                    if (ps->exception->code)
                        ch.codes.push_back(ps->exception->code);
                    else
                        ch.userExceptions.push_back(ps->exception);
                    found = true;
                }
            if (!found) {
                std::string full;
                for (const std::string& n : chain)
                    full += (full.empty() ? "" : ".") + n;
                note(h.namePos[i], "PLS-00201: identifier '" + full + "' must be declared");
            }
        }
        ch.body = statements(h.body);
        out.handlers.push_back(std::move(ch));
    }
}

// ---- statements

std::vector<CStmtPtr> Compiler::statements(const std::vector<StmtPtr>& list)
{
    std::vector<CStmtPtr> out;
    for (const StmtPtr& s : list) {
        try {
            CStmtPtr c = statement(*s);
            c->line = s->pos.line;
            out.push_back(std::move(c));
        } catch (const Fail& f) {
            errors.push_back(f.error);
            if (f.error.text.rfind("PL/SQL: SQL Statement ignored", 0) != 0)
                note(s->pos, "PL/SQL: Statement ignored");
        }
    }
    return out;
}

CStmtPtr Compiler::loop(const Stmt& s)
{
    ++loopDepth;
    struct Down {
        int& d;
        ~Down() { --d; }
    } down { loopDepth };
    switch (s.loopKind) {
    case Stmt::LoopKind::Basic:
    case Stmt::LoopKind::While: {
        auto n = std::make_unique<SLoop>();
        n->label = s.label;
        if (s.loopKind == Stmt::LoopKind::While) {
            Expr dummy;
            n->whileCond = condition(*s.value);
        }
        push(s.label);
        n->body = statements(s.body);
        pop();
        return n;
    }
    case Stmt::LoopKind::NumericFor: {
        auto n = std::make_unique<SForNum>();
        n->label = s.label;
        n->reverse = s.reverse;
        n->lower = expr(*s.lower);
        n->upper = expr(*s.upper);
        if (n->lower->type.kind != PlKind::Number || n->upper->type.kind != PlKind::Number)
            if (n->lower->type.kind == PlKind::Boolean || n->upper->type.kind == PlKind::Boolean)
                fail(s.lower->pos, "PLS-00382: expression is of wrong type");
        push(s.label);
        Sym sym;
        sym.k = Sym::K::Var;
        sym.type = PlType::integer();
        sym.level = level;
        sym.slot = alloc();
        sym.constant = true;
        scope->names.emplace(s.loopVar, sym);
        n->var = var(sym, s.loopVarPos);
        n->body = statements(s.body);
        pop();
        return n;
    }
    case Stmt::LoopKind::CursorFor: {
        auto n = std::make_unique<SCursorFor>();
        n->label = s.label;
        PlType rowType;
        if (s.queryBegin >= 0) {
            n->ownSql = embedded(s.queryBegin, s.queryEnd, -1, -1, 0, pos(s.queryBegin), true);
            n->sql = n->ownSql.get();
        } else {
            const Expr& ce = *s.lower;
            const CursorDecl* cd = nullptr;
            if (ce.parts.size() != 1)
                fail(ce.pos, "PLS-00201: identifier '" + ce.parts[0].name + "' must be declared");
            const Sym* sym = lookup(ce.parts[0].name);
            if (!sym)
                fail(ce.pos, "PLS-00201: identifier '" + ce.parts[0].name + "' must be declared");
            if (sym->k != Sym::K::Cursor)
                fail(ce.pos, "PLS-00456: item '" + ce.parts[0].name + "' is not a cursor");
            Expr nameOnly;
            nameOnly.kind = ExprKind::Name;
            nameOnly.pos = ce.pos;
            nameOnly.parts.push_back(NamePart { ce.parts[0].name, ce.pos, false, {} });
            n->cursorVar = cursorRef(nameOnly, &cd);
            if (!cd->sql)
                fail(ce.pos, "PLS-00201: identifier '" + ce.parts[0].name + "' must be declared");
            n->sql = cd->sql.get();
            n->call = cursorCall(ce.parts[0], *cd);
        }
        {
            auto def = std::make_shared<RecordDef>();
            const auto& cols = n->sql->entry->bound->columns;
            size_t cnt = n->sql->rowidColumn >= 0 ? static_cast<size_t>(n->sql->rowidColumn) : cols.size();
            for (size_t i = 0; i < cnt; ++i) {
                def->names.push_back(cols[i].name);
                def->types.push_back(plTypeOf(cols[i]));
            }
            rowType.kind = PlKind::Record;
            rowType.record = def;
        }
        push(s.label);
        Sym sym;
        sym.k = Sym::K::Var;
        sym.type = rowType;
        sym.level = level;
        sym.slot = alloc();
        scope->names.emplace(s.loopVar, sym);
        n->record = var(sym, s.loopVarPos);
        n->body = statements(s.body);
        pop();
        return n;
    }
    }
    fail(s.pos, "PLS-00103");
}

CStmtPtr Compiler::statement(const Stmt& s)
{
    switch (s.kind) {
    case StmtKind::Null:
        return std::make_unique<SNull>();
    case StmtKind::Assign: {
        auto n = std::make_unique<SAssign>();
        n->target = target(*s.target);
        n->value = expr(*s.value);
        if (((n->target->type.kind == PlKind::Boolean) != (n->value->type.kind == PlKind::Boolean)
                && !(isNullLiteral(*s.value) && n->target->type.kind == PlKind::Boolean))
            || (n->target->type.kind == PlKind::Record) != (n->value->type.kind == PlKind::Record)
            || (n->target->type.kind == PlKind::Table) != (n->value->type.kind == PlKind::Table))
            fail(s.value->pos, "PLS-00382: expression is of wrong type");
        return n;
    }
    case StmtKind::Call: {
        const Expr& e = *s.value;
        if (e.parts.size() == 1 && e.parts[0].name == "RAISE_APPLICATION_ERROR" && !lookup("RAISE_APPLICATION_ERROR")) {
            if (e.parts[0].args.size() < 2 || e.parts[0].args.size() > 3)
                fail(e.pos, "PLS-00306: wrong number or types of arguments in call to 'RAISE_APPLICATION_ERROR'");
            auto n = std::make_unique<SRaiseAppError>();
            n->code = expr(*e.parts[0].args[0].value);
            n->message = expr(*e.parts[0].args[1].value);
            return n;
        }
        const Sym* sym = e.parts.size() == 1 ? lookup(e.parts[0].name) : nullptr;
        if (sym && sym->k == Sym::K::Var)
            fail(e.pos, "PLS-00221: '" + e.parts[0].name + "' is not a procedure or is undefined");
        auto n = std::make_unique<SEval>();
        n->call = name(e, true);
        if (n->call->type.kind != PlKind::Varchar2 || dynamic_cast<CCall*>(n->call.get()) == nullptr) {
            if (!dynamic_cast<CCall*>(n->call.get()) && !dynamic_cast<CNativeCall*>(n->call.get())
                && !dynamic_cast<CStoredCall*>(n->call.get()))
                fail(e.pos, "PLS-00221: '" + e.parts.back().name + "' is not a procedure or is undefined");
        }
        return n;
    }
    case StmtKind::If:
    case StmtKind::Case: {
        auto n = std::make_unique<SIf>();
        n->caseStatement = s.kind == StmtKind::Case;
        if (s.selector)
            n->selector = expr(*s.selector);
        for (const auto& [c, body] : s.branches) {
            CExprPtr cond = s.selector ? expr(*c) : condition(*c);
            n->branches.emplace_back(std::move(cond), statements(body));
        }
        n->hasElse = s.hasElse;
        n->elseBranch = statements(s.elseBranch);
        return n;
    }
    case StmtKind::Loop:
        return loop(s);
    case StmtKind::Exit: {
        if (loopDepth == 0 && s.exitLabel.empty())
            fail(s.pos, s.isContinue ? "PLS-00376: illegal CONTINUE statement; it must appear inside a loop"
                                     : "PLS-00376: illegal EXIT statement; it must appear inside a loop");
        if (!s.exitLabel.empty() && !isLabel(s.exitLabel))
            fail(s.pos, "PLS-00373: EXIT label '" + s.exitLabel + "' must label a LOOP statement");
        auto n = std::make_unique<SExit>();
        n->isContinue = s.isContinue;
        n->label = s.exitLabel;
        if (s.value)
            n->when = condition(*s.value);
        return n;
    }
    case StmtKind::Return: {
        auto n = std::make_unique<SReturn>();
        if (inFunction && !s.value)
            fail(s.pos, "PLS-00503: RETURN <value> statement required for this return from function");
        if (!inFunction && s.value)
            fail(s.pos, "PLS-00372: In a procedure, RETURN statement cannot contain an expression");
        if (s.value) {
            n->value = expr(*s.value);
            if ((n->value->type.kind == PlKind::Boolean) != (returnType->kind == PlKind::Boolean)
                && !(isNullLiteral(*s.value) && returnType->kind == PlKind::Boolean))
                fail(s.value->pos, "PLS-00382: expression is of wrong type");
        }
        return n;
    }
    case StmtKind::Raise: {
        auto n = std::make_unique<SRaise>();
        if (!s.value)
            return n;
        const Expr& e = *s.value;
        const Sym* sym = e.parts.size() == 1 ? lookup(e.parts[0].name) : nullptr;
        if (!sym && e.parts.size() >= 2) {
            std::vector<std::string> chain;
            for (const NamePart& p : e.parts)
                chain.push_back(p.name);
            sym = storedSymbol(chain);
        }
        if (sym && sym->k == Sym::K::Exception) {
            if (sym->exception->code) {
                n->code = sym->exception->code;
                n->message = plError(n->code, "").message;
                n->message.pop_back();
            } else {
                n->code = 6510;
                n->message = "ORA-06510: PL/SQL: unhandled user-defined exception";
                n->user = sym->exception;
            }
            return n;
        }
        if (e.parts.size() == 1)
            for (const Predefined& p : kPredefined)
                if (e.parts[0].name == p.name) {
                    static const std::map<int, std::string> texts { { 1403, "no data found" },
                        { 1422, "exact fetch returns more than requested number of rows" },
                        { 6502, "PL/SQL: numeric or value error" }, { 1476, "divisor is equal to zero" },
                        { 1, "unique constraint violated" }, { 1001, "invalid cursor" },
                        { 6511, "PL/SQL: cursor already open" }, { 1722, "invalid number" },
                        { 6501, "PL/SQL: program error" }, { 6504, "PL/SQL: Return types of Result Set variables "
                                                                   "or query do not match" },
                        { 6592, "CASE not found while executing CASE statement" } };
                    auto it = texts.find(p.code);
                    PlError pe = plError(p.code, it != texts.end() ? it->second : std::string(p.name));
                    n->code = p.code;
                    n->message = pe.message;
                    return n;
                }
        std::string full;
        for (const NamePart& p : e.parts)
            full += (full.empty() ? "" : ".") + p.name;
        fail(e.pos, "PLS-00201: identifier '" + full + "' must be declared");
    }
    case StmtKind::Block: {
        auto n = std::make_unique<SBlock>();
        n->block = block(*s.block);
        return n;
    }
    case StmtKind::Sql: {
        if (s.bulk)
            fail(s.pos, "ORA-03001: unimplemented feature: BULK COLLECT");
        if (s.sqlWord == "LOCK") {
            auto n = std::make_unique<STransaction>();
            n->text = std::string(text.substr(static_cast<size_t>(s.queryBegin),
                static_cast<size_t>(s.queryEnd - s.queryBegin)));
            sql::ParseResult pr = sql::parse(n->text);
            if (!pr.ok()) {
                note(pos(s.queryBegin + std::max(0, pr.error->offset)), "PL/SQL: " + pr.error->message);
                fail(s.pos, "PL/SQL: SQL Statement ignored");
            }
            return n;
        }
        auto n = std::make_unique<SSql>();
        n->isSelect = s.sqlWord == "SELECT";
        n->isDml = s.sqlWord == "INSERT" || s.sqlWord == "UPDATE" || s.sqlWord == "DELETE" || s.sqlWord == "MERGE";
        for (const Target& t : s.into)
            n->into.push_back(target(*t.expr));
        n->sql = embedded(s.queryBegin, s.queryEnd, s.intoBegin, s.intoEnd, n->isSelect ? 0 : s.into.size(), s.pos);
        if (n->isSelect) {
            const auto& cols = n->sql->entry->bound->columns;
            bool recordTarget = n->into.size() == 1 && n->into[0]->type.kind == PlKind::Record;
            size_t want = recordTarget && n->into[0]->type.record ? n->into[0]->type.record->types.size()
                                                                  : n->into.size();
            if (cols.size() > want)
                fail(pos(s.intoBegin), "PL/SQL: ORA-00913: too many values");
            if (cols.size() < want)
                fail(pos(s.intoBegin), "PL/SQL: ORA-00947: not enough values");
        }
        return n;
    }
    case StmtKind::Transaction: {
        auto n = std::make_unique<STransaction>();
        n->text = std::string(
            text.substr(static_cast<size_t>(s.queryBegin), static_cast<size_t>(s.queryEnd - s.queryBegin)));
        sql::ParseResult pr = sql::parse(n->text);
        if (!pr.ok()) {
            note(pos(s.queryBegin + std::max(0, pr.error->offset)), "PL/SQL: " + pr.error->message);
            fail(s.pos, "PL/SQL: SQL Statement ignored");
        }
        return n;
    }
    case StmtKind::Open: {
        auto n = std::make_unique<SOpen>();
        const Expr& ce = *s.target;
        if (s.queryBegin >= 0 || s.forExpr) {
            n->cursorVar = target(ce);
            if (n->cursorVar->type.kind != PlKind::RefCursor)
                fail(ce.pos, "PLS-00382: expression is of wrong type");
            if (s.queryBegin >= 0) {
                n->ownSql = embedded(s.queryBegin, s.queryEnd, -1, -1, 0, pos(s.queryBegin), true);
                n->sql = n->ownSql.get();
            } else {
                n->dynamicText = expr(*s.forExpr);
                for (const Arg& a : s.using_)
                    n->usingArgs.push_back(expr(*a.value));
            }
            return n;
        }
        const CursorDecl* cd = nullptr;
        Expr nameOnly;
        nameOnly.kind = ExprKind::Name;
        nameOnly.pos = ce.pos;
        nameOnly.parts.push_back(NamePart { ce.parts[0].name, ce.pos, false, {} });
        n->cursorVar = cursorRef(nameOnly, &cd);
        if (!cd)
            fail(ce.pos, "PLS-00382: expression is of wrong type");
        if (!cd->sql)
            fail(ce.pos, "PLS-00201: identifier '" + ce.parts[0].name + "' must be declared");
        n->sql = cd->sql.get();
        n->call = cursorCall(ce.parts[0], *cd);
        return n;
    }
    case StmtKind::Fetch: {
        if (s.bulk)
            fail(s.pos, "ORA-03001: unimplemented feature: BULK COLLECT");
        auto n = std::make_unique<SFetch>();
        const CursorDecl* cd = nullptr;
        n->cursorVar = cursorRef(*s.target, &cd);
        for (const Target& t : s.into)
            n->into.push_back(target(*t.expr));
        if (cd && cd->sql) {
            size_t cols = cd->rowType.record ? cd->rowType.record->types.size() : 0;
            bool rec = n->into.size() == 1 && n->into[0]->type.kind == PlKind::Record;
            size_t want = rec && n->into[0]->type.record ? n->into[0]->type.record->types.size() : n->into.size();
            if (cols != want)
                fail(s.pos, "PLS-00394: wrong number of values in the INTO list of a FETCH statement");
        }
        return n;
    }
    case StmtKind::Close: {
        auto n = std::make_unique<SClose>();
        n->cursorVar = cursorRef(*s.target, nullptr);
        return n;
    }
    case StmtKind::ExecuteImmediate: {
        if (s.bulk)
            fail(s.pos, "ORA-03001: unimplemented feature: BULK COLLECT");
        auto n = std::make_unique<SExecImmediate>();
        n->text = expr(*s.dynamicText);
        for (size_t i = 0; i < s.using_.size(); ++i) {
            Param::Mode m = s.usingModes[i];
            n->modes.push_back(m);
            n->usingArgs.push_back(m == Param::Mode::In ? expr(*s.using_[i].value) : target(*s.using_[i].value));
        }
        for (const Target& t : s.into)
            n->into.push_back(target(*t.expr));
        return n;
    }
    case StmtKind::Goto:
        fail(s.pos, "ORA-03001: unimplemented feature: GOTO");
    }
    fail(s.pos, "PLS-00103");
}

// ---- stored units

namespace {

// An object a name stands for, synonyms followed; the synonyms passed are noted as used too.
std::optional<catalog::ObjectRow> resolveCode(
    SessionState& s, const std::string& owner, const std::string& name, std::vector<int64_t>& used)
{
    catalog::Lookup lookup(s.conn, &s);
    std::optional<catalog::ObjectRow> o;
    try {
        o = lookup.resolveObject(owner, name, s.schema, false);
        if (o && o->type == catalog::kTypeSynonym) {
            used.push_back(o->id);
            o = lookup.resolveObject(owner, name, s.schema, true);
        }
    } catch (const Error&) {
        return std::nullopt;
    }
    return o;
}

} // namespace

const Sym* Compiler::storedSymbol(const std::vector<std::string>& chain, int64_t* unitId)
{
    if (chain.size() < 2 || chain.size() > 3)
        return nullptr;
    std::vector<int64_t> used;
    auto o = resolveCode(s, chain.size() == 3 ? chain[0] : "", chain[chain.size() - 2], used);
    if (!o || o->type != catalog::kTypePackage)
        return nullptr;
    if (o->ownerId != s.userId && !priv::hasObjectPrivilege(s, o->id, priv::ObjectPrivilege::Execute))
        return nullptr;
    std::shared_ptr<LoadedUnit> lu = unitInterface(s, o->id);
    if (!lu || !unitCompiles(s, *lu))
        return nullptr;
    auto it = lu->interface->symbols->names.find(chain.back());
    if (it == lu->interface->symbols->names.end())
        return nullptr;
    uses(used);
    dependsOn.push_back(o->id);
    keepInterfaces.push_back(lu->interface);
    if (unitId)
        *unitId = o->id;
    return &it->second;
}

CExprPtr Compiler::storedName(const Expr& e, bool asStatement)
{
    const auto& parts = e.parts;
    std::vector<int64_t> used;
    std::optional<catalog::ObjectRow> o;
    size_t i = 1;
    o = resolveCode(s, "", parts[0].name, used);
    if ((!o || o->type == catalog::kTypeTable || o->type == catalog::kTypeView) && parts.size() >= 2
        && !parts[0].hasArgs) {
        used.clear();
        o = resolveCode(s, parts[0].name, parts[1].name, used);
        i = 2;
        if (!o && parts.size() == 3 && parts[0].name == "SYS")
            if (const NativePackage* pkg = findNativePackageFor(s, parts[1].name)) {
                // SYS.DBMS_SCHEDULER.LOGGING_RUNS: a package constant named with its owner.
                for (const NativeConstant& k : pkg->constants)
                    if (k.name == parts[2].name && !parts[2].hasArgs) {
                        auto lit = node<CLiteral>(
                            e, k.type == NativeType::Varchar2 ? PlType::varchar2(32767) : PlType::number());
                        lit->value = k.value;
                        return lit;
                    }
                return nativeCall(*pkg, parts[2], parts[2].pos, asStatement);
            }
    }
    if (!o)
        return nullptr;
    const int type = o->type;
    if (type != catalog::kTypeProcedure && type != catalog::kTypeFunction && type != catalog::kTypePackage)
        return nullptr;
    // Without EXECUTE the unit is not there for this user, as Oracle says it.
    if (o->ownerId != s.userId && !priv::hasObjectPrivilege(s, o->id, priv::ObjectPrivilege::Execute))
        return nullptr;
    if (self && o->id == self->id) {
        // a procedure naming itself (recursion) finds itself in its own scope
        const Sym* own = lookup(o->name);
        if (own && own->k == Sym::K::Sub && i == parts.size())
            return callOf(*own, parts[i - 1], parts[i - 1].pos, asStatement);
    }
    std::shared_ptr<LoadedUnit> lu = unitInterface(s, o->id);
    if (!lu)
        return nullptr;
    if (!unitCompiles(s, *lu))
        fail(parts[0].pos, "PLS-00905: object " + o->owner + "." + o->name + " is invalid");
    uses(used);
    dependsOn.push_back(o->id);
    keepInterfaces.push_back(lu->interface);
    const PackageSymbols& pkg = *lu->interface->symbols;
    if (type != catalog::kTypePackage) {
        auto it = pkg.names.find(o->name);
        if (it == pkg.names.end() || it->second.k != Sym::K::Sub)
            return nullptr;
        if (i != parts.size())
            fail(parts[i].pos, "PLS-00302: component '" + parts[i].name + "' must be declared");
        return callOf(it->second, parts[i - 1], parts[i - 1].pos, asStatement, o->id);
    }
    if (i >= parts.size())
        fail(parts[i - 1].pos, "PLS-00221: '" + parts[i - 1].name + "' is not a procedure or is undefined");
    return member(pkg, o->id, parts, i, asStatement);
}

CExprPtr Compiler::member(
    const PackageSymbols& pkg, int64_t unitId, const std::vector<NamePart>& parts, size_t i, bool asStatement)
{
    const NamePart& part = parts[i];
    auto it = pkg.names.find(part.name);
    if (it == pkg.names.end())
        fail(part.pos, "PLS-00302: component '" + part.name + "' must be declared");
    const Sym& sym = it->second;
    CExprPtr cur;
    if (sym.k == Sym::K::Sub) {
        cur = callOf(sym, part, part.pos, asStatement && i + 1 == parts.size(), unitId);
    } else if (sym.k == Sym::K::Var) {
        auto v = std::make_unique<CPackageVar>();
        v->unitId = unitId;
        v->slot = sym.slot;
        v->type = sym.type;
        v->pos = part.pos;
        v->assignable = !sym.constant;
        cur = std::move(v);
        if (part.hasArgs) {
            if (cur->type.kind != PlKind::Table || part.args.size() != 1)
                fail(part.pos, "PLS-00222: no function with name '" + part.name + "' exists in this scope");
            auto el = std::make_unique<CElement>();
            el->pos = part.pos;
            el->type = *cur->type.element;
            el->key = expr(*part.args[0].value);
            el->assignable = cur->assignable;
            el->base = std::move(cur);
            cur = std::move(el);
        }
    } else if (sym.k == Sym::K::Exception) {
        fail(part.pos,
            "PLS-00321: expression '" + part.name
                + "' is inappropriate as the left hand side of an assignment statement");
    } else if (sym.k == Sym::K::Cursor) {
        fail(part.pos, "ORA-03001: unimplemented feature: a package's cursor used from another unit");
    } else {
        fail(part.pos, "PLS-00330: invalid use of type name or subtype name");
    }
    for (++i; i < parts.size(); ++i) {
        const NamePart& field = parts[i];
        if (cur->type.kind != PlKind::Record || !cur->type.record || field.hasArgs)
            fail(field.pos, "PLS-00302: component '" + field.name + "' must be declared");
        int idx = cur->type.record->find(field.name);
        if (idx < 0)
            fail(field.pos, "PLS-00302: component '" + field.name + "' must be declared");
        auto f = std::make_unique<CField>();
        f->pos = field.pos;
        f->type = cur->type.record->types[static_cast<size_t>(idx)];
        f->index = idx;
        f->assignable = cur->assignable;
        f->base = std::move(cur);
        cur = std::move(f);
    }
    return cur;
}

} // namespace

CompileOutput compileBlock(SessionState& s, std::string_view text, const Unit& unit, const std::vector<Bind>& binds)
{
    CompileOutput out;
    out.unit = std::make_unique<CUnit>();
    out.bindValues = std::make_shared<std::vector<Val>>(binds.size());
    Compiler c(s, text, *out.unit, out.bindValues, binds);
    Scope root;
    c.scope = &root;
    try {
        out.unit->block = c.block(*unit.block);
    } catch (const Fail& f) {
        c.errors.push_back(f.error);
    }
    out.unit->frameSize = c.frameSize[0];
    out.errors = std::move(c.errors);
    // keep the cursor declarations (their SQL) alive with the unit
    struct Holder : CExpr {
        std::vector<std::unique_ptr<CursorDecl>> cursors;
        std::vector<std::unique_ptr<ExceptionDecl>> exceptions;
        Val eval(Ctx&) const override { return {}; }
    };
    auto h = std::make_unique<Holder>();
    h->cursors = std::move(c.cursors);
    h->exceptions = std::move(c.exceptions);
    out.unit->keep.push_back(std::move(h));
    return out;
}

CompileOutput compileTrigger(SessionState& s, std::string_view text, const Unit& unit, const TriggerNames& names)
{
    static const std::vector<Bind> noBinds;
    CompileOutput out;
    out.unit = std::make_unique<CUnit>();
    out.bindValues = std::make_shared<std::vector<Val>>();
    Compiler c(s, text, *out.unit, out.bindValues, noBinds);
    c.trigger = &names;
    Scope root;
    c.scope = &root;
    auto add = [&](const std::string& name, PlType type, int slot, bool constant) {
        Sym sym;
        sym.type = std::move(type);
        sym.slot = slot;
        sym.constant = constant;
        root.names[name] = sym;
    };
    if (names.row) {
        PlType row;
        row.kind = PlKind::Record;
        row.record = names.row;
        add(names.newName + "$", row, kTriggerNew, !names.newWritable);
        add(names.oldName + "$", row, kTriggerOld, true);
        if (names.plainNames) {
            add(names.newName, row, kTriggerNew, true);
            add(names.oldName, row, kTriggerOld, true);
        }
    }
    add("INSERTING", PlType::boolean(), kTriggerInserting, true);
    add("UPDATING", PlType::boolean(), kTriggerUpdating, true);
    add("DELETING", PlType::boolean(), kTriggerDeleting, true);
    add("TRG$COLUMNS", PlType::varchar2(32767), kTriggerColumns, true);
    add("TRG$RESULT", PlType::boolean(), kTriggerResult, false);
    c.frameSize[0] = kTriggerSlots;
    try {
        out.unit->block = c.block(*unit.block);
    } catch (const Fail& f) {
        c.errors.push_back(f.error);
    }
    out.unit->frameSize = c.frameSize[0];
    out.dependsOn = c.dependsOn;
    out.errors = std::move(c.errors);
    struct Holder : CExpr {
        std::vector<std::unique_ptr<CursorDecl>> cursors;
        std::vector<std::unique_ptr<ExceptionDecl>> exceptions;
        Val eval(Ctx&) const override { return {}; }
    };
    auto h = std::make_unique<Holder>();
    h->cursors = std::move(c.cursors);
    h->exceptions = std::move(c.exceptions);
    out.unit->keep.push_back(std::move(h));
    return out;
}

} // namespace engine::plsql

namespace engine::plsql {

StoredCompileOutput compileStored(SessionState& s, const StoredUnit& info, std::string_view specText, const Unit& spec,
    std::string_view bodyText, const Unit* body, bool headersOnly, std::shared_ptr<const StoredCompileOutput> interface)
{
    static const std::vector<Bind> noBinds;
    StoredCompileOutput out;
    out.unit = std::make_unique<CUnit>();
    out.unit->owner = info.owner;
    out.unit->ownerId = info.ownerId;
    out.unit->name = info.name;
    out.unit->invokerRights = spec.invokerRights;
    out.symbols = std::make_shared<PackageSymbols>();
    out.interface = interface;
    Compiler c(s, specText, *out.unit, std::make_shared<std::vector<Val>>(), noBinds);
    c.self = &info;
    c.headersOnly = headersOnly;
    if (interface)
        c.lentExceptions = interface->symbols.get();
    Scope root;
    // The package's own name qualifies its members inside it (PKG.X), as a label does.
    root.label = info.name;
    c.scope = &root;
    auto top = std::make_unique<CBlock>();
    if (spec.kind == Unit::Kind::Procedure || spec.kind == Unit::Kind::Function) {
        Decl d;
        d.kind = DeclKind::Subprogram;
        d.name = spec.subprogram->name;
        d.pos = spec.subprogram->pos;
        d.subprogram = spec.subprogram;
        try {
            c.declare(d, *top);
        } catch (const Fail& f) {
            c.errors.push_back(f.error);
        }
        out.symbols->names = root.names;
    } else {
        c.declarations(spec.decls, *top);
        out.symbols->names = root.names;
        if (body) {
            // The header's errors are its own: the body reports only what is wrong in it.
            std::vector<CompileError> specErrors = std::move(c.errors);
            c.errors.clear();
            if (!specErrors.empty())
                c.note(body->namePos, "PLS-00905: object " + info.owner + "." + info.name + " is invalid");
            c.text = bodyText;
            c.declarations(body->decls, *top);
            for (const Decl& d : spec.decls)
                if (d.kind == DeclKind::Subprogram) {
                    const Sym* sym = c.lookup(d.name);
                    bool defined = false;
                    if (sym)
                        for (const auto& sub : sym->subs)
                            defined = defined || sub->defined;
                    if (!defined)
                        c.note(d.pos,
                            "PLS-00323: subprogram or cursor '" + d.name
                                + "' is declared in a package specification and must be defined in the package body");
                }
            if (body->block) {
                try {
                    std::unique_ptr<CBlock> b = c.block(*body->block);
                    top->body = std::move(b->body);
                    top->handlers = std::move(b->handlers);
                    for (CStmtPtr& st : b->init)
                        top->init.push_back(std::move(st));
                } catch (const Fail& f) {
                    c.errors.push_back(f.error);
                }
            }
        }
    }
    out.unit->block = std::move(top);
    out.unit->frameSize = c.frameSize[0];
    out.errors = std::move(c.errors);
    out.dependsOn = std::move(c.dependsOn);
    struct Holder : CExpr {
        std::vector<std::unique_ptr<CursorDecl>> cursors;
        std::vector<std::unique_ptr<ExceptionDecl>> exceptions;
        std::vector<std::shared_ptr<const StoredCompileOutput>> interfaces;
        Val eval(Ctx&) const override { return {}; }
    };
    auto h = std::make_unique<Holder>();
    h->cursors = std::move(c.cursors);
    h->exceptions = std::move(c.exceptions);
    h->interfaces = std::move(c.keepInterfaces);
    out.unit->keep.push_back(std::move(h));
    return out;
}

} // namespace engine::plsql

namespace engine::plsql {

namespace {

void describeType(ArgumentRow& r, const PlType& t, const TypeSpec* ts, const StoredUnit& info)
{
    const std::string word = ts && ts->attr == TypeSpec::Attr::None && ts->name.size() == 1 ? ts->name[0] : "";
    switch (t.kind) {
    case PlKind::Number:
        if (word == "PLS_INTEGER" || word == "BINARY_INTEGER") {
            r.typeNo = 3;
            r.plsType = word;
        } else {
            r.typeNo = 2;
            r.plsType = t.integerOnly ? "INTEGER" : "NUMBER";
            if (t.integerOnly)
                r.precision = 38, r.scale = 0;
            else if (t.precision > 0)
                r.precision = t.precision, r.scale = t.scale;
        }
        break;
    case PlKind::Varchar2:
        r.typeNo = 1, r.plsType = "VARCHAR2", r.charUsed = true;
        break;
    case PlKind::Char:
        r.typeNo = 96, r.plsType = "CHAR", r.charUsed = true;
        break;
    case PlKind::Long:
        r.typeNo = 8, r.plsType = "LONG";
        break;
    case PlKind::Clob:
        r.typeNo = 112, r.plsType = "CLOB";
        break;
    case PlKind::Blob:
        r.typeNo = 113, r.plsType = "BLOB";
        break;
    case PlKind::Raw:
        r.typeNo = 23, r.plsType = "RAW";
        break;
    case PlKind::Rowid:
        r.typeNo = 69, r.plsType = "ROWID";
        break;
    case PlKind::Date:
        r.typeNo = 12, r.plsType = "DATE";
        break;
    case PlKind::Boolean:
        r.typeNo = 252, r.plsType = "BOOLEAN";
        break;
    case PlKind::RefCursor:
        r.typeNo = 102;
        break;
    case PlKind::Record:
        r.typeNo = 250;
        break;
    case PlKind::Table:
        r.typeNo = 251;
        break;
    }
    if ((t.kind == PlKind::Record || t.kind == PlKind::Table || t.kind == PlKind::RefCursor) && ts
        && ts->attr == TypeSpec::Attr::None && word != "SYS_REFCURSOR") {
        // A type of a package: TYPE_OWNER, TYPE_NAME (the package) and TYPE_SUBNAME (the type).
        if (ts->name.size() == 1) {
            r.typeOwner = info.owner, r.typeName = info.name, r.typeSubname = ts->name[0];
        } else if (ts->name.size() >= 2) {
            r.typeOwner = ts->name.size() == 3 ? ts->name[0] : info.owner;
            r.typeName = ts->name[ts->name.size() - 2];
            r.typeSubname = ts->name.back();
        }
    }
}

void addArgument(std::vector<ArgumentRow>& rows, const ArgumentRow& base, const std::string& name, int position,
    int level, const PlType& t, const TypeSpec* ts, int inOut, bool defaulted, const StoredUnit& info)
{
    ArgumentRow r = base;
    r.argument = name;
    r.position = position;
    r.sequence = static_cast<int>(rows.size()) + 1;
    r.level = level;
    r.inOut = inOut;
    r.defaulted = defaulted;
    describeType(r, t, ts, info);
    rows.push_back(r);
    if (level > 8)
        return;
    if (t.kind == PlKind::Record && t.record)
        for (size_t i = 0; i < t.record->names.size(); ++i)
            addArgument(rows, base, t.record->names[i], static_cast<int>(i) + 1, level + 1, t.record->types[i], nullptr,
                inOut, false, info);
    if (t.kind == PlKind::Table && t.element)
        addArgument(rows, base, "", 1, level + 1, *t.element, nullptr, inOut, false, info);
}

} // namespace

std::vector<ArgumentRow> argumentsOf(const StoredCompileOutput& out, const Unit& spec, const StoredUnit& info)
{
    std::vector<ArgumentRow> all;
    std::vector<const Subprogram*> subs;
    const bool package = spec.kind == Unit::Kind::Package;
    if (package) {
        for (const Decl& d : spec.decls)
            if (d.kind == DeclKind::Subprogram && d.subprogram)
                subs.push_back(d.subprogram.get());
    } else if (spec.subprogram) {
        subs.push_back(spec.subprogram.get());
    }
    std::map<std::string, int> seen, total;
    for (const Subprogram* sp : subs)
        ++total[sp->name];
    for (size_t k = 0; k < subs.size(); ++k) {
        const Subprogram& sp = *subs[k];
        const int index = seen[sp.name]++;
        auto it = out.symbols->names.find(package ? sp.name : info.name);
        if (it == out.symbols->names.end() || it->second.k != Sym::K::Sub
            || static_cast<size_t>(index) >= it->second.subs.size())
            continue;
        const CSub& sub = *it->second.subs[static_cast<size_t>(index)];
        std::vector<ArgumentRow> rows;
        ArgumentRow base;
        base.procedure = package ? sp.name : "";
        base.overload = total[sp.name] > 1 ? index + 1 : 0;
        base.subprogramId = static_cast<int>(k) + 1;
        if (sub.isFunction)
            addArgument(rows, base, "", 0, 0, sub.returnType, &sp.returnType, 1, false, info);
        if (sub.params.empty() && !sub.isFunction) {
            ArgumentRow r = base;
            rows.push_back(r);
        }
        for (size_t j = 0; j < sub.params.size() && j < sp.params.size(); ++j) {
            const CParam& p = sub.params[j];
            int inOut = p.mode == Param::Mode::Out ? 1 : p.mode == Param::Mode::InOut ? 2 : 0;
            addArgument(rows, base, p.name, static_cast<int>(j) + 1, 0, p.type, &sp.params[j].type, inOut,
                p.defaultValue != nullptr, info);
        }
        all.insert(all.end(), rows.begin(), rows.end());
    }
    return all;
}

} // namespace engine::plsql

namespace engine::plsql {

std::vector<std::shared_ptr<CSub>> subprogramsOf(const PackageSymbols& symbols, const std::string& member)
{
    auto it = symbols.names.find(member);
    if (it == symbols.names.end() || it->second.k != Sym::K::Sub)
        return {};
    return it->second.subs;
}

} // namespace engine::plsql
