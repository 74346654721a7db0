// The expressions' evaluation: Oracle's operators with their null rules, CASE, SQLCODE and SQLERRM, cursor
// attributes, collection methods and calls of local, stored and native subprograms.
#include "engine/plsql/expr_nodes.h"

#include "engine/plsql/embedded_sql.h"
#include "engine/plsql/error_messages.h"
#include "engine/plsql/native.h"
#include "engine/plsql/stored_units.h"
#include "engine/session/session_state.h"

#include <QString>

#include <map>

namespace engine::plsql {

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

namespace {

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

// The declared types of the arguments, for a native package that reads them (a NULL of a known type).
template <typename Call> void fillArgTypes(Call& call, const std::vector<OraType>& types)
{
    if constexpr (requires { call.argTypes; })
        call.argTypes = types;
}

} // namespace

Val CUnary::eval(Ctx& c) const
{
    Val v = operand->eval(c);
    if (v.v.isNull())
        return v;
    return Val { arithmetic("-", Value::fromInt(0), v.v), nullptr };
}

Val CConcat::eval(Ctx& c) const
{
    Val a = l->eval(c), b = r->eval(c);
    std::string s = textOf(a.v, c.s) + textOf(b.v, c.s);
    if (s.size() > 32767)
        throw valueError("character string buffer too small");
    return Val { Value::fromText(std::move(s)), nullptr };
}

Val CCompare::eval(Ctx& c) const
{
    if (l->type.kind == PlKind::Table) {
        int eq = collectionsEqual(l->eval(c), r->eval(c), l->type, c);
        return boolVal(eq < 0 ? -1 : (eq == 1) == (op == "="));
    }
    Val a = l->eval(c), b = r->eval(c);
    if (a.v.isNull() || b.v.isNull())
        return boolVal(-1);
    int k = (l->type.kind == PlKind::Boolean) ? (a.v.integer > b.v.integer) - (a.v.integer < b.v.integer)
                                              : compareValues(a.v, b.v,
                                                  l->type.kind == PlKind::Number || r->type.kind == PlKind::Number, c.s);
    bool res = op == "=" ? k == 0
        : op == "<>"     ? k != 0
        : op == "<"      ? k < 0
        : op == "<="     ? k <= 0
        : op == ">"      ? k > 0
                         : k >= 0;
    return boolVal(res ? 1 : 0);
}

Val CLogical::eval(Ctx& c) const
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

Val CNot::eval(Ctx& c) const
{
    int a = truth(operand->eval(c));
    return boolVal(a < 0 ? -1 : 1 - a);
}

Val CIsNull::eval(Ctx& c) const
{
    Val v = operand->eval(c);
    bool isNull = v.v.isNull() && !(v.c && !v.c->atomicallyNull && operand->type.kind != PlKind::RefCursor);
    return boolVal((isNull != negated) ? 1 : 0);
}

Val CLike::eval(Ctx& c) const
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

Val CIn::eval(Ctx& c) const
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

Val CBetween::eval(Ctx& c) const
{
    Val x = v->eval(c), a = lo->eval(c), b = hi->eval(c);
    const bool numeric = v->type.kind == PlKind::Number;
    int t1 = x.v.isNull() || a.v.isNull() ? -1 : compareValues(x.v, a.v, numeric || lo->type.kind == PlKind::Number, c.s) >= 0;
    int t2 = x.v.isNull() || b.v.isNull() ? -1 : compareValues(x.v, b.v, numeric || hi->type.kind == PlKind::Number, c.s) <= 0;
    int r = (t1 == 0 || t2 == 0) ? 0 : (t1 == 1 && t2 == 1) ? 1 : -1;
    if (negated && r >= 0)
        r = 1 - r;
    return boolVal(r);
}

Val CCase::eval(Ctx& c) const
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

Val CNvl::eval(Ctx& c) const
{
    Val x = a->eval(c);
    if (!x.v.isNull())
        return x;
    return b->eval(c);
}

Val CUpdatingColumn::eval(Ctx& c) const
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

Val CSqlCode::eval(Ctx& c) const
{
    const PlError* e = c.handling.empty() ? nullptr : c.handling.back();
    if (arg) {
        Val a = arg->eval(c);
        int64_t code = a.v.isNull() ? 0 : fn::roundNumber(numberOf(a.v), 0).integer;
        return Val { Value::fromText(sqlErrorMessage(code)), nullptr };
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

Val CSqlExpr::eval(Ctx& c) const
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

Val CCursorAttr::eval(Ctx& c) const
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

Val CCurrentRowid::eval(Ctx& c) const
{
    Val v = cursor->eval(c);
    if (!v.c || !v.c->cursor || !v.c->cursor->isOpen)
        throw plError(1001, "invalid cursor");
    if (v.c->cursor->found != 1)
        throw plError(1410, "invalid ROWID");
    if (v.c->cursor->rowidColumn < 0)
        throw plError(3001, "unimplemented feature: WHERE CURRENT OF a cursor without a ROWID of its table");
    return Val { Value::fromText(v.c->cursor->currentRowid), nullptr };
}

Val CTableMethod::eval(Ctx& c) const
{
    Val b = base->eval(c);
    if (!arg)
        return collectionFunction(b, base->type, method, nullptr, c);
    Val a = arg->eval(c);
    return collectionFunction(b, base->type, method, &a, c);
}

Val CCollectionProcedure::eval(Ctx& c) const
{
    std::vector<Val> values;
    for (const auto& a : args)
        values.push_back(a->eval(c));
    Val* b = base->ref(c);
    if (!b)
        throw valueError("");
    collectionProcedure(*b, base->type, method, values, c);
    return {};
}

Val CConstructor::eval(Ctx& c) const
{
    std::vector<Val> values;
    values.reserve(args.size());
    for (const auto& a : args)
        values.push_back(a->eval(c));
    return constructCollection(type, values, c);
}

Val CCall::eval(Ctx& c) const
{
    std::vector<const CExpr*> a;
    for (const auto& x : args)
        a.push_back(x.get());
    return callSubprogram(*sub, unit, a, linkDepth, c);
}

Val CNativeCall::eval(Ctx& c) const
{
    std::vector<Value> values(routine->params.size());
    std::vector<OraType> outTypes(routine->params.size(), OraType::Varchar2);
    std::vector<char> tableLobs(routine->params.size(), 0);
    for (size_t i = 0; i < routine->params.size(); ++i) {
        const NativeParam& p = routine->params[i];
        if (i < args.size() && args[i]) {
            if (p.mode != ParamMode::Out) {
                Val a = args[i]->eval(c);
                if (a.tableLob && p.writesLob)
                    throw plError(22920, "row containing the LOB value is not locked");
                tableLobs[i] = a.tableLob ? 1 : 0;
                values[i] = std::move(a.v);
            }
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
    call.tableLobs = std::move(tableLobs);
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

} // namespace engine::plsql
