// Expressions and names: operators, variables and their fields and elements, calls of local, stored and native
// subprograms, functions of SQL, cursor references and assignment targets.
#include "engine/catalog/catalog.h"
#include "engine/exec/executor.h"
#include "engine/plsql/bulk.h"
#include "engine/plsql/compiler_impl.h"
#include "engine/plsql/expr_nodes.h"
#include "engine/plsql/interpreter.h"
#include "engine/plsql/parser.h"
#include "engine/plsql/sql_functions.h"
#include "engine/plsql/statement_nodes.h"
#include "engine/plsql/stored_units.h"
#include "engine/plsql/values.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/sql/lexer.h"
#include "engine/storage/database_state.h"

#include <QString>

#include <map>

namespace engine::plsql {

bool isSqlFunction(const std::string& n)
{
    static const char* const names[] = { "SUBSTR", "SUBSTRB", "INSTR", "INSTRB", "LENGTH", "LENGTHB", "UPPER", "LOWER",
        "INITCAP", "TRIM", "LTRIM", "RTRIM", "LPAD", "RPAD", "REPLACE", "TRANSLATE", "CHR", "ASCII", "CONCAT",
        "TO_CHAR", "TO_NUMBER", "TO_DATE", "TRUNC", "ROUND", "ABS", "MOD", "SIGN", "CEIL", "FLOOR", "POWER", "SQRT",
        "EXP", "LN", "LOG", "GREATEST", "LEAST", "NVL2", "ADD_MONTHS", "MONTHS_BETWEEN", "LAST_DAY", "NEXT_DAY",
        "SOUNDEX", "REMAINDER", "CAST", "EXTRACT", "USERENV", "SYS_CONTEXT", "COALESCE", "NULLIF", "RAWTOHEX",
        "HEXTORAW", "ROWIDTOCHAR", "CHARTOROWID", "UID", "SYSTIMESTAMP", "DUMP", "VSIZE", "BITAND", "NLS_UPPER",
        "NLS_LOWER", "REGEXP_REPLACE", "REGEXP_SUBSTR", "REGEXP_INSTR", "REGEXP_LIKE", "ORA$DATE_LITERAL", "ROWNUM",
        "LEVEL", "PRIOR", "EMPTY_CLOB", "EMPTY_BLOB", "TO_CLOB", "TO_BLOB" };
    for (const char* x : names)
        if (n == x)
            return true;
    return false;
}

bool isNullLiteral(const Expr& e)
{
    return e.kind == ExprKind::Literal && e.literal.isNull() && !e.isTextLiteral;
}

CExprPtr Compiler::condition(const Expr& e)
{
    CExprPtr c = expr(e);
    if (c->type.kind != PlKind::Boolean && !isNullLiteral(e))
        fail(e.pos, "PLS-00382: expression is of wrong type");
    return c;
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
                fail(e.pos,
                    "PLS-00049: bad bind variable '" + e.bindName + (e.bindField.empty() ? "" : "." + e.bindField)
                        + "'");
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
        // Nested tables compare for equality as multisets; other collections, records and cursors not at all.
        const bool lc = !n->l->type.isScalar(), rc = !n->r->type.isScalar();
        if (lc || rc) {
            const bool nested = n->l->type.kind == PlKind::Table && n->l->type.coll == CollKind::Nested
                && n->r->type.kind == PlKind::Table && n->l->type.typeKey == n->r->type.typeKey;
            if (!nested || (e.op != "=" && e.op != "<>"))
                fail(e.pos, "PLS-00306: wrong number or types of arguments in call to '" + e.op + "'");
        }
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
        if (e.sqlCursor && (e.attribute == "BULK_ROWCOUNT" || e.attribute == "BULK_EXCEPTIONS")) {
            auto n = node<CBulkAttribute>(e, PlType::integer());
            n->exceptions = e.attribute == "BULK_EXCEPTIONS";
            n->member = e.attributeMember;
            const bool wantsArg = !n->exceptions || n->member != "COUNT";
            if (wantsArg != (e.attributeArg != nullptr)
                || (n->exceptions && n->member != "COUNT" && n->member != "ERROR_INDEX" && n->member != "ERROR_CODE")
                || (!n->exceptions && !n->member.empty()))
                fail(e.pos, "PLS-00306: wrong number or types of arguments in call to '" + e.attribute + "'");
            if (e.attributeArg)
                n->arg = expr(*e.attributeArg);
            return n;
        }
        auto n = node<CCursorAttr>(e, PlType::boolean());
        n->attr = e.attribute;
        if (e.attribute != "FOUND" && e.attribute != "NOTFOUND" && e.attribute != "ISOPEN" && e.attribute != "ROWCOUNT"
            && e.attribute != "BULK_ROWCOUNT")
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

CExprPtr Compiler::cursorRef(const Expr& e, const CursorDecl** decl, int64_t* packageUnit)
{
    if (packageUnit)
        *packageUnit = 0;
    if (e.parts.size() >= 2 && e.parts.size() <= 3 && !lookup(e.parts[0].name)) {
        // A cursor declared with a package (not only in its body): its state is the package's, kept per session.
        std::vector<std::string> chain;
        for (const NamePart& p : e.parts)
            chain.push_back(p.name);
        int64_t unit = 0;
        const Sym* sym = storedSymbol(chain, &unit);
        if (sym && sym->k == Sym::K::Cursor) {
            if (!sym->cursor || !sym->cursor->sql)
                fail(e.pos, "ORA-03001: unimplemented feature: a package's cursor whose query is in the body");
            if (decl)
                *decl = sym->cursor;
            if (packageUnit)
                *packageUnit = unit;
            auto v = std::make_unique<CPackageVar>();
            v->unitId = unit;
            v->slot = sym->slot;
            v->pos = e.pos;
            v->type.kind = PlKind::RefCursor;
            return v;
        }
    }
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
    auto wrong
        = [&] { fail(part.pos, "PLS-00306: wrong number or types of arguments in call to '" + part.name + "'"); };
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
            const Sym* ps
                = storedSymbol(std::vector<std::string>(parts.begin(), parts.begin() + static_cast<long>(n)), &unitId);
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

namespace {

// The value of a translated SELECT ... FROM DUAL: its first column, as wide as PL/SQL's own types go.
CExprPtr sqlValue(std::unique_ptr<EmbeddedSql> es, const Pos& pos)
{
    es->mapSources();
    auto n = std::make_unique<CSqlExpr>();
    n->pos = pos;
    n->type = es->entry->bound->columns.empty() ? PlType::varchar2() : plTypeOf(es->entry->bound->columns[0]);
    if (n->type.kind == PlKind::Varchar2)
        n->type.size = 32767;
    if (n->type.kind == PlKind::Number)
        n->type.precision = 0, n->type.scale = 0, n->type.scaleDeclared = false;
    n->sql = std::move(es);
    return n;
}

} // namespace

CExprPtr Compiler::sqlExpr(const Expr& e)
{
    std::string exprText(
        text.substr(static_cast<size_t>(e.pos.offset), static_cast<size_t>(e.endOffset - e.pos.offset)));
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
        fail(err.offset() >= 0 ? pos(es->baseOffset + err.offset()) : e.pos,
            "PLS-00306: wrong number or types of "
            "arguments in call to '"
                + (e.parts.empty() ? std::string("?") : e.parts[0].name) + "'");
    }
    return sqlValue(std::move(es), e.pos);
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
            fail(args[i]->pos,
                "PLS-00306: wrong number or types of arguments in call to '"
                    + (e.parts.empty() ? std::string("?") : e.parts[0].name) + "'");
        types::ExprType t = sqlTypeOf(args[i]->type);
        es->byKey[n] = { n, t };
        es->externals.emplace_back(n, std::move(args[i]));
    }
    es->parsed = std::make_unique<sql::ParseResult>(sql::parse(q));
    if (!es->parsed->ok())
        fail(e.pos,
            "PLS-00306: wrong number or types of arguments in call to '"
                + (e.parts.empty() ? std::string("?") : e.parts[0].name) + "'");
    BlockNames names(*this, *es);
    try {
        es->entry = exec::translateEmbedded(s, q, *es->parsed->statement, &names);
        uses(es->entry->bound->dependsOn);
    } catch (const Error& err) {
        fail(e.pos,
            "PLS-00306: wrong number or types of arguments in call to '"
                + (e.parts.empty() ? std::string("?") : e.parts[0].name) + "'");
    }
    return sqlValue(std::move(es), e.pos);
}

CExprPtr Compiler::callOf(const Sym& sym, const NamePart& part, const Pos& p, bool asStatement, int64_t storedUnit)
{
    // Overloads: of those whose parameters take the arguments, the one that needs the fewest conversions of an
    // argument to another family of types; two alike are PLS-00307.
    std::string lastError;
    CExprPtr best;
    int bestCost = -1;
    bool ambiguous = false;
    bool bestPipelined = false; // a pipelined function is read by TABLE() in SQL only
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
                fail(a.value->pos,
                    "PLS-00363: expression '"
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
        int cost = 0;
        for (size_t j = 0; j < sub->params.size(); ++j)
            if (args[j] && !sameFamily(args[j]->type, sub->params[j].type))
                ++cost;
        if (bestCost >= 0 && cost >= bestCost) {
            ambiguous = ambiguous || cost == bestCost;
            continue;
        }
        bestCost = cost;
        ambiguous = false;
        bestPipelined = sub->pipelined;
        if (storedUnit) {
            auto c = std::make_unique<CStoredCall>();
            c->pos = p;
            c->unitId = storedUnit;
            c->name = sym.subs[k]->name;
            c->overload = k;
            c->args = std::move(args);
            c->type = sub->returnType;
            best = std::move(c);
            continue;
        }
        auto c = std::make_unique<CCall>();
        c->pos = p;
        c->sub = sub.get();
        c->unit = &unit;
        c->args = std::move(args);
        c->linkDepth = level - (sub->level - 1);
        c->type = sub->returnType;
        best = std::move(c);
    }
    if (ambiguous)
        fail(p, "PLS-00307: too many declarations of '" + part.name + "' match this call");
    if (bestPipelined)
        fail(p, "PLS-00653: aggregate/table functions are not allowed in PL/SQL scope");
    if (best)
        return best;
    bool any = false;
    for (const auto& sub : sym.subs)
        any = any || sub->isFunction != asStatement;
    if (!any && !sym.subs.empty())
        fail(p,
            sym.subs[0]->isFunction ? "PLS-00221: '" + part.name + "' is not a procedure or is undefined"
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
        // A LOB routine's overloads differ in the kind of LOB: character arguments take the CLOB one.
        for (size_t j = 0; ok && j < r.params.size(); ++j) {
            if (!args[j] || (r.params[j].type != NativeType::Clob && r.params[j].type != NativeType::Blob))
                continue;
            const PlKind k = args[j]->type.kind;
            const bool binary = k == PlKind::Blob || k == PlKind::Raw;
            if (binary != (r.params[j].type == NativeType::Blob) || k == PlKind::Boolean || !args[j]->type.isScalar())
                ok = false;
        }
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
            case NativeType::Clob:
                n->type = PlType::of(PlKind::Clob);
                break;
            case NativeType::Blob:
                n->type = PlType::of(PlKind::Blob);
                break;
            case NativeType::Raw:
                n->type = PlType::of(PlKind::Raw);
                n->type.size = 32767;
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

// t(k): an element of a collection.
CExprPtr Compiler::element(CExprPtr cur, const NamePart& part)
{
    if (cur->type.kind != PlKind::Table || part.args.size() != 1 || !part.args[0].name.empty())
        fail(part.pos, "PLS-00222: no function with name '" + part.name + "' exists in this scope");
    auto el = std::make_unique<CElement>();
    el->pos = part.pos;
    el->type = *cur->type.element;
    el->key = expr(*part.args[0].value);
    if (el->key->type.kind == PlKind::Boolean || !el->key->type.isScalar())
        fail(part.args[0].value->pos, "PLS-00382: expression is of wrong type");
    el->assignable = cur->assignable;
    el->base = std::move(cur);
    return el;
}

// type(e1, e2, ...): a new nested table or VARRAY.
CExprPtr Compiler::constructor(const PlType& type, const NamePart& part)
{
    auto n = std::make_unique<CConstructor>();
    n->pos = part.pos;
    n->type = type;
    for (const Arg& a : part.args) {
        if (!a.name.empty())
            fail(part.pos, "PLS-00306: wrong number or types of arguments in call to '" + part.name + "'");
        CExprPtr v = expr(*a.value);
        if (!compatible(*type.element, *v, *a.value))
            fail(a.value->pos, "PLS-00306: wrong number or types of arguments in call to '" + part.name + "'");
        n->args.push_back(std::move(v));
    }
    return n;
}

// Whether a value of `value`'s type may be assigned to a variable of type `to` (PLS-00382 otherwise): scalars of
// the same family of BOOLEAN or not, records to records, and collections only of the same declared type. The NULL
// literal goes anywhere but an associative array.
bool Compiler::compatible(const PlType& to, const CExpr& value, const Expr& valueExpr) const
{
    const PlType& from = value.type;
    if (isNullLiteral(valueExpr))
        return to.isScalar() || to.isDenseCollection();
    if ((to.kind == PlKind::Boolean) != (from.kind == PlKind::Boolean))
        return false;
    if ((to.kind == PlKind::Record) != (from.kind == PlKind::Record))
        return false;
    if ((to.kind == PlKind::Table) != (from.kind == PlKind::Table))
        return false;
    if (to.kind == PlKind::Table && !to.typeKey.empty() && !from.typeKey.empty() && to.typeKey != from.typeKey)
        return false;
    return true;
}

// What follows a variable, element or call in a name: record fields, subscripts of collections they hold, and a
// collection's methods.
CExprPtr Compiler::components(CExprPtr cur, const std::vector<NamePart>& parts, size_t i, bool asStatement)
{
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
            if (part.hasArgs)
                cur = element(std::move(cur), part);
            continue;
        }
        if (cur->type.kind == PlKind::Table) {
            cur = collectionMethod(std::move(cur), part, asStatement && i + 1 == parts.size());
            continue;
        }
        fail(part.pos, "PLS-00302: component '" + part.name + "' must be declared");
    }
    return cur;
}

// t.COUNT, t.NEXT(k) ... and, as statements, t.EXTEND, t.TRIM, t.DELETE.
CExprPtr Compiler::collectionMethod(CExprPtr cur, const NamePart& part, bool asStatement)
{
    struct Method {
        const char* name;
        size_t minArgs, maxArgs;
        bool procedure;
    };
    static const Method methods[] = { { "COUNT", 0, 0, false }, { "LIMIT", 0, 0, false }, { "FIRST", 0, 0, false },
        { "LAST", 0, 0, false }, { "NEXT", 1, 1, false }, { "PRIOR", 1, 1, false }, { "EXISTS", 1, 1, false },
        { "EXTEND", 0, 2, true }, { "TRIM", 0, 1, true }, { "DELETE", 0, 2, true } };
    const Method* m = nullptr;
    for (const Method& x : methods)
        if (part.name == x.name)
            m = &x;
    if (!m)
        fail(part.pos, "PLS-00302: component '" + part.name + "' must be declared");
    const PlType& t = cur->type;
    auto wrong
        = [&] { fail(part.pos, "PLS-00306: wrong number or types of arguments in call to '" + part.name + "'"); };
    if (part.args.size() < m->minArgs || part.args.size() > m->maxArgs)
        wrong();
    for (const Arg& a : part.args)
        if (!a.name.empty())
            wrong();
    if (m->procedure) {
        if (!asStatement)
            fail(part.pos, "PLS-00222: no function with name '" + part.name + "' exists in this scope");
        const bool assoc = !t.isDenseCollection();
        if ((assoc && part.name != "DELETE")
            || (t.coll == CollKind::Varray && part.name == "DELETE" && !part.args.empty()))
            wrong();
        if (!cur->assignable)
            fail(part.pos, "PLS-00363: expression '" + part.name + "' cannot be used as an assignment target");
        auto n = std::make_unique<CCollectionProcedure>();
        n->pos = part.pos;
        n->method = part.name;
        for (const Arg& a : part.args)
            n->args.push_back(expr(*a.value));
        n->base = std::move(cur);
        return n;
    }
    if (asStatement)
        fail(part.pos, "PLS-00221: '" + part.name + "' is not a procedure or is undefined");
    auto n = std::make_unique<CTableMethod>();
    n->pos = part.pos;
    n->method = part.name;
    if (!part.args.empty())
        n->arg = expr(*part.args[0].value);
    n->type = part.name == "EXISTS"                                     ? PlType::boolean()
        : t.indexByText && part.name != "COUNT" && part.name != "LIMIT" ? PlType::varchar2(32767)
                                                                        : PlType::integer();
    n->base = std::move(cur);
    return n;
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
            if (head.hasArgs)
                cur = element(std::move(cur), head);
        } else if (sym->k == Sym::K::Cursor) {
            fail(head.pos, "PLS-00320: the declaration of the type of this expression is incomplete or malformed");
        } else if (sym->k == Sym::K::Exception) {
            fail(head.pos,
                "PLS-00321: expression '" + head.name
                    + "' is inappropriate as the left hand side of an "
                      "assignment statement");
        } else if (sym->type.isDenseCollection() && head.hasArgs) {
            cur = constructor(sym->type, head);
        } else {
            fail(head.pos, "PLS-00330: invalid use of type name or subtype name");
        }
        return components(std::move(cur), parts, i, asStatement);
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
                    auto c = node<CLiteral>(
                        e, k.type == NativeType::Varchar2 ? PlType::varchar2(32767) : PlType::number());
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
        std::string what(
            text.substr(static_cast<size_t>(e.pos.offset), static_cast<size_t>(e.endOffset - e.pos.offset)));
        const Sym* sym = e.kind == ExprKind::Name ? lookup(e.parts[0].name) : nullptr;
        if (sym && sym->constant)
            fail(e.pos, "PLS-00363: expression '" + what + "' cannot be used as an assignment target");
        fail(e.pos, "PLS-00363: expression '" + what + "' cannot be used as an assignment target");
    }
    return t;
}

} // namespace engine::plsql
