// Statements and embedded SQL: each statement of the tree becomes its node of statement_nodes.h; SQL is parsed
// and bound once with the block's names as binds.
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

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <map>

namespace engine::plsql {

namespace {

// The name of a cursor in OPEN or a cursor FOR loop, without the arguments its last part carries.
Expr cursorName(const Expr& ce)
{
    Expr nameOnly;
    nameOnly.kind = ExprKind::Name;
    nameOnly.pos = ce.pos;
    for (const NamePart& p : ce.parts)
        nameOnly.parts.push_back(NamePart { p.name, p.pos, false, {} });
    return nameOnly;
}

} // namespace

// ---- SQL

// The block's values an embedded statement names that are no plain variables: elements of collections (l(i),
// l(i).field, r.list(i)) anywhere, and whole records as a row (INSERT ... VALUES r, UPDATE ... SET ROW = r). Each
// becomes a name the statement takes as a bind (PLSQL$En); the edits replace their text.
std::vector<SqlEdit> Compiler::blockValuesIn(int begin, int end, int intoBegin, int intoEnd, EmbeddedSql& es)
{
    std::vector<SqlEdit> edits;
    std::string span(text.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin)));
    sql::LexResult lx = sql::tokenize(span);
    std::vector<sql::Token> tk;
    for (auto& x : lx.tokens)
        if (x.kind != sql::TokenKind::Comment && x.kind != sql::TokenKind::End)
            tk.push_back(x);
    auto inInto = [&](const sql::Token& x) {
        return intoBegin >= 0 && begin + x.offset >= intoBegin && begin + x.offset < intoEnd;
    };
    auto isName = [](const sql::Token& x) {
        return x.kind == sql::TokenKind::Identifier || x.kind == sql::TokenKind::QuotedIdentifier;
    };
    // Registers a value of the block as a name of the statement.
    auto bindValue = [&](CExprPtr v) {
        std::string name = "PLSQL$E" + std::to_string(es.externals.size() + 1);
        types::ExprType t = sqlTypeOf(v->type);
        es.byKey[name] = { name, t };
        es.externals.emplace_back(name, std::move(v));
        return name;
    };
    // The fields of a record value as a list of names of the statement.
    auto recordFields = [&](const Expr& e) {
        std::vector<std::string> names;
        CExprPtr whole = expr(e);
        for (size_t f = 0; f < whole->type.record->types.size(); ++f) {
            CExprPtr rec = expr(e);
            auto field = std::make_unique<CField>();
            field->pos = e.pos;
            field->type = rec->type.record->types[f];
            field->index = static_cast<int>(f);
            field->base = std::move(rec);
            names.push_back(bindValue(std::move(field)));
        }
        return names;
    };
    size_t skipUntil = 0;
    for (size_t i = 0; i < tk.size(); ++i) {
        const sql::Token& x = tk[i];
        if (x.offset < static_cast<int>(skipUntil) || inInto(x) || !isName(x))
            continue;
        if (i > 0 && (tk[i - 1].kind == sql::TokenKind::Dot || tk[i - 1].kind == sql::TokenKind::Bind))
            continue;
        // INSERT ... VALUES record
        const bool afterValues = i > 0 && tk[i - 1].isWord("VALUES");
        // UPDATE ... SET ROW = record
        const bool setRow = x.isWord("ROW") && i > 0 && tk[i - 1].isWord("SET") && i + 2 < tk.size()
            && tk[i + 1].kind == sql::TokenKind::Eq;
        if (setRow) {
            auto parsed = parseExpressionAt(text, begin + tk[i + 2].offset);
            if (!parsed)
                continue;
            CExprPtr rec = expr(*parsed->expr);
            if (rec->type.kind != PlKind::Record || !rec->type.record)
                fail(pos(begin + tk[i + 2].offset), "PLS-00382: expression is of wrong type");
            size_t u = 0;
            while (u < i && !tk[u].isWord("UPDATE"))
                ++u;
            std::string table;
            for (size_t j = u + 1; j < i && !tk[j].isWord("SET"); ++j)
                table += span.substr(
                             static_cast<size_t>(tk[j].offset), static_cast<size_t>(tk[j].endOffset - tk[j].offset))
                    + " ";
            PlType row = rowTypeOfQuery("SELECT * FROM " + table, pos(begin + x.offset));
            std::vector<std::string> names = recordFields(*parsed->expr);
            if (names.size() != row.record->names.size())
                fail(pos(begin + tk[i + 2].offset),
                    names.size() > row.record->names.size() ? "PL/SQL: ORA-00913: too many values"
                                                            : "PL/SQL: ORA-00947: not enough values");
            std::string list;
            for (size_t f = 0; f < names.size(); ++f)
                list += (f ? ", \"" : "\"") + row.record->names[f] + "\" = " + names[f];
            edits.push_back({ static_cast<size_t>(x.offset), static_cast<size_t>(parsed->end - begin), list });
            skipUntil = static_cast<size_t>(parsed->end - begin);
            continue;
        }
        size_t j = i;
        std::vector<std::string> chain { x.text };
        while (j + 2 < tk.size() && tk[j + 1].kind == sql::TokenKind::Dot && isName(tk[j + 2])) {
            chain.push_back(tk[j + 2].text);
            j += 2;
        }
        const bool subscripted = j + 1 < tk.size() && tk[j + 1].kind == sql::TokenKind::LParen;
        if (!subscripted && !afterValues)
            continue;
        CExprPtr v = tryVariable(chain, pos(begin + x.offset));
        if (!v || (subscripted && v->type.kind != PlKind::Table) || (!subscripted && v->type.kind != PlKind::Record))
            continue;
        auto parsed = parseExpressionAt(text, begin + x.offset);
        if (!parsed)
            continue;
        CExprPtr value = expr(*parsed->expr);
        std::string replacement;
        if (value->type.kind == PlKind::Record && afterValues) {
            std::vector<std::string> names = recordFields(*parsed->expr);
            for (size_t f = 0; f < names.size(); ++f)
                replacement += (f ? ", " : "(") + names[f];
            replacement += ")";
        } else if (value->type.isScalar() && value->type.kind != PlKind::Boolean) {
            replacement = bindValue(std::move(value));
        } else {
            fail(pos(begin + x.offset), "PLS-00382: expression is of wrong type");
        }
        edits.push_back({ static_cast<size_t>(x.offset), static_cast<size_t>(parsed->end - begin), replacement });
        skipUntil = static_cast<size_t>(parsed->end - begin);
    }
    return edits;
}

std::unique_ptr<EmbeddedSql> Compiler::embedded(
    int begin, int end, int intoBegin, int intoEnd, size_t returning, const Pos& stmtPos, bool forUpdateRowid)
{
    auto es = std::make_unique<EmbeddedSql>();
    std::string t(text.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin)));
    std::vector<SqlEdit> edits = blockValuesIn(begin, end, intoBegin, intoEnd, *es);
    if (intoBegin >= 0) {
        size_t a = static_cast<size_t>(intoBegin - begin), b = static_cast<size_t>(intoEnd - begin);
        if (returning > 0) {
            std::string list;
            for (size_t i = 0; i < returning; ++i) {
                std::string name = "PLSQL_R" + std::to_string(i + 1);
                es->returningBinds.push_back(name);
                list += (i ? ", :" : " INTO :") + name;
            }
            edits.push_back({ a, b, list });
        } else {
            std::string blank = t.substr(a, b - a);
            for (char& ch : blank)
                if (ch != '\n')
                    ch = ' ';
            edits.push_back({ a, b, blank });
        }
    }
    std::sort(edits.begin(), edits.end(), [](const SqlEdit& x, const SqlEdit& y) { return x.begin > y.begin; });
    for (const SqlEdit& ed : edits)
        t.replace(ed.begin, ed.end - ed.begin, ed.text);
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
            // A table behind a database link has no ROWID here: its rows are locked on the remote side, and
            // WHERE CURRENT OF such a cursor is refused when it runs.
            if (!qb->from.empty() && qb->from[0]->kind == sql::TableRefKind::Table
                && !static_cast<sql::TableName*>(qb->from[0].get())->name.dblink) {
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
        note(pos(off), err.code() == 6553 ? plsErrorOf(err.message()) : "PL/SQL: " + err.message());
        fail(stmtPos, "PL/SQL: SQL Statement ignored");
    }
    if (es->rowidColumn == -2)
        es->rowidColumn = static_cast<int>(es->entry->bound->columns.size()) - 1;
    es->mapSources();
    return es;
}

// ---- statements

std::vector<CStmtPtr> Compiler::statements(const std::vector<StmtPtr>& list)
{
    std::vector<CStmtPtr> out;
    gotoScopes.emplace_back();
    for (const StmtPtr& s : list)
        if (!s->label.empty())
            gotoScopes.back().push_back(s->label);
    struct Pop {
        std::vector<std::vector<std::string>>& scopes;
        ~Pop() { scopes.pop_back(); }
    } pop { gotoScopes };
    for (const StmtPtr& s : list) {
        try {
            CStmtPtr c = statement(*s);
            c->line = s->pos.line;
            c->label = s->label;
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
            int64_t packageUnit = 0;
            if (ce.parts.size() == 1) {
                const Sym* sym = lookup(ce.parts[0].name);
                if (!sym)
                    fail(ce.pos, "PLS-00201: identifier '" + ce.parts[0].name + "' must be declared");
                if (sym->k != Sym::K::Cursor)
                    fail(ce.pos, "PLS-00456: item '" + ce.parts[0].name + "' is not a cursor");
            }
            Expr nameOnly = cursorName(ce);
            n->cursorVar = cursorRef(nameOnly, &cd, &packageUnit);
            if (!cd || !cd->sql)
                fail(ce.pos, "PLS-00456: item '" + ce.parts.back().name + "' is not a cursor");
            n->sql = cd->sql.get();
            n->call = cursorCall(ce.parts.back(), *cd);
            n->call.packageUnit = packageUnit;
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

// How many columns an INTO list takes: one record's fields, or one per target; for BULK COLLECT each target must be
// a collection (a collection of records alone takes the fields of its records).
size_t Compiler::intoWidth(const std::vector<CExprPtr>& into, bool bulk, const Pos& at)
{
    for (const auto& t : into)
        if ((t->type.kind == PlKind::Table) != bulk)
            fail(at,
                bulk ? "PLS-00497: cannot mix between single row and multi-row (BULK) in INTO list"
                     : "PLS-00382: expression is of wrong type");
    if (into.size() != 1)
        return into.size();
    const PlType& one = bulk ? *into[0]->type.element : into[0]->type;
    return one.kind == PlKind::Record && one.record ? one.record->types.size() : 1;
}

// FORALL i IN lo .. hi | INDICES OF c [BETWEEN lo AND hi] | VALUES OF c [SAVE EXCEPTIONS] statement.
CStmtPtr Compiler::forAll(const Stmt& s)
{
    auto n = std::make_unique<SForAll>();
    n->kind = s.forAllKind;
    n->saveExceptions = s.saveExceptions;
    auto integral = [&](const Expr& e) {
        CExprPtr v = expr(e);
        if (v->type.kind == PlKind::Boolean || !v->type.isScalar())
            fail(e.pos, "PLS-00382: expression is of wrong type");
        return v;
    };
    if (s.lower) {
        n->lower = integral(*s.lower);
        n->upper = integral(*s.upper);
    }
    if (s.value) {
        n->collection = expr(*s.value);
        const PlType& t = n->collection->type;
        if (t.kind != PlKind::Table || t.indexByText
            || (s.forAllKind == Stmt::ForAllKind::Values && t.element->kind != PlKind::Number))
            fail(s.value->pos, "PLS-00667: Element type of associative array should be pls_integer");
    }
    push();
    Sym sym;
    sym.k = Sym::K::Var;
    sym.type = PlType::integer();
    sym.level = level;
    sym.slot = alloc();
    sym.constant = true;
    scope->names.emplace(s.loopVar, sym);
    n->var = var(sym, s.loopVarPos);
    try {
        n->body = statement(*s.body[0]);
        n->body->line = s.body[0]->pos.line;
    } catch (...) {
        pop();
        throw;
    }
    pop();
    return n;
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
        if (!compatible(n->target->type, *n->value, *s.value))
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
                && !dynamic_cast<CStoredCall*>(n->call.get()) && !dynamic_cast<CCollectionProcedure*>(n->call.get()))
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
            fail(s.pos,
                s.isContinue ? "PLS-00376: illegal CONTINUE statement; it must appear inside a loop"
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
        if (pipeSlot >= 0) {
            if (s.value)
                fail(s.pos, "PLS-00633: RETURN statement in a pipelined function cannot contain an expression");
            n->pipeSlot = pipeSlot;
            return n;
        }
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
                        { 6501, "PL/SQL: program error" },
                        { 6504,
                            "PL/SQL: Return types of Result Set variables "
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
        if (s.sqlWord == "LOCK") {
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
        auto n = std::make_unique<SSql>();
        n->isSelect = s.sqlWord == "SELECT";
        n->isDml = s.sqlWord == "INSERT" || s.sqlWord == "UPDATE" || s.sqlWord == "DELETE" || s.sqlWord == "MERGE";
        for (const Target& t : s.into)
            n->into.push_back(target(*t.expr));
        n->bulk = s.bulk;
        const size_t want = intoWidth(n->into, s.bulk, pos(s.intoBegin));
        n->sql = embedded(s.queryBegin, s.queryEnd, s.intoBegin, s.intoEnd, n->isSelect ? 0 : s.into.size(), s.pos);
        n->sql->returnAll = s.bulk && !n->isSelect;
        if (s.bulk && !n->isSelect)
            for (const auto& t : n->into)
                if (!t->type.element->isScalar())
                    fail(
                        pos(s.intoBegin), "PLS-00497: cannot mix between single row and multi-row (BULK) in INTO list");
        if (n->isSelect) {
            const auto& cols = n->sql->entry->bound->columns;
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
        int64_t packageUnit = 0;
        Expr nameOnly = cursorName(ce);
        n->cursorVar = cursorRef(nameOnly, &cd, &packageUnit);
        if (!cd)
            fail(ce.pos, "PLS-00382: expression is of wrong type");
        if (!cd->sql)
            fail(ce.pos, "PLS-00201: identifier '" + ce.parts[0].name + "' must be declared");
        n->sql = cd->sql.get();
        n->call = cursorCall(ce.parts.back(), *cd);
        n->call.packageUnit = packageUnit;
        return n;
    }
    case StmtKind::Fetch: {
        auto n = std::make_unique<SFetch>();
        const CursorDecl* cd = nullptr;
        n->cursorVar = cursorRef(*s.target, &cd);
        for (const Target& t : s.into)
            n->into.push_back(target(*t.expr));
        n->bulk = s.bulk;
        if (s.limit) {
            n->limit = expr(*s.limit);
            if (n->limit->type.kind != PlKind::Number && n->limit->type.kind != PlKind::Varchar2)
                fail(s.limit->pos, "PLS-00382: expression is of wrong type");
        }
        const size_t want = intoWidth(n->into, s.bulk, s.into.front().expr->pos);
        if (cd && cd->sql) {
            size_t cols = cd->rowType.record ? cd->rowType.record->types.size() : 0;
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
        auto n = std::make_unique<SExecImmediate>();
        n->bulk = s.bulk;
        n->text = expr(*s.dynamicText);
        for (size_t i = 0; i < s.using_.size(); ++i) {
            Param::Mode m = s.usingModes[i];
            n->modes.push_back(m);
            n->usingArgs.push_back(m == Param::Mode::In ? expr(*s.using_[i].value) : target(*s.using_[i].value));
        }
        for (const Target& t : s.into)
            n->into.push_back(target(*t.expr));
        if (!n->into.empty())
            intoWidth(n->into, s.bulk, s.into.front().expr->pos);
        return n;
    }
    case StmtKind::Goto: {
        for (const auto& scope : gotoScopes)
            if (std::find(scope.begin(), scope.end(), s.gotoLabel) != scope.end()) {
                auto n = std::make_unique<SGoto>();
                n->target = s.gotoLabel;
                return n;
            }
        // A label of the unit that the GOTO may not reach, or none of that name.
        const QString source = QString::fromUtf8(text.data(), static_cast<int>(text.size())).toUpper();
        if (source.contains(QRegularExpression(
                "<<\\s*" + QRegularExpression::escape(QString::fromStdString(s.gotoLabel)) + "\\s*>>")))
            fail(s.pos, "PLS-00375: illegal GOTO statement; this GOTO cannot branch to label '" + s.gotoLabel + "'");
        fail(s.pos, "PLS-00201: identifier '" + s.gotoLabel + "' must be declared");
    }
    case StmtKind::ForAll:
        return forAll(s);
    case StmtKind::PipeRow:
        return pipeRow(s);
    }
    fail(s.pos, "PLS-00103");
}

} // namespace engine::plsql
