// Declarations: types as written resolved to PL/SQL types, variables, constants, exceptions, cursors, types,
// subprograms, and the blocks and exception handlers that hold them.
#include "engine/catalog/catalog.h"
#include "engine/exec/executor.h"
#include "engine/plsql/compiler_impl.h"
#include "engine/plsql/expr_nodes.h"
#include "engine/plsql/interpreter.h"
#include "engine/plsql/parser.h"
#include "engine/plsql/sql_functions.h"
#include "engine/plsql/statement_nodes.h"
#include "engine/plsql/stored_units.h"
#include "engine/plsql/table_collection.h"
#include "engine/plsql/values.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/sql/lexer.h"
#include "engine/storage/database_state.h"

#include <QString>

#include <atomic>
#include <map>
#include <utility>

namespace engine::plsql {

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

std::optional<bind::ExternalCollection> BlockNames::resolveCollection(const std::vector<std::string>& parts) const
{
    CExprPtr v = comp.tryVariable(parts, Pos {});
    if (!v || v->type.kind != PlKind::Table)
        return std::nullopt;
    bind::ExternalCollection x;
    x.rows = collectionRowsOf(v->type);
    x.bindName = "PLSQL$" + std::to_string(e.externals.size() + 1);
    auto rows = std::make_unique<CCollectionRows>();
    rows->type = PlType::varchar2();
    rows->source = std::move(v);
    e.externals.emplace_back(x.bindName, std::move(rows));
    return x;
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
        if (n == "INTEGER" || n == "INT" || n == "SMALLINT")
            return PlType::integer();
        if (n == "PLS_INTEGER" || n == "BINARY_INTEGER" || n == "NATURAL" || n == "NATURALN" || n == "POSITIVE"
            || n == "POSITIVEN" || n == "SIGNTYPE" || n == "SIMPLE_INTEGER") {
            PlType r = PlType::integer();
            r.plsInteger = true;
            if (n == "NATURAL" || n == "NATURALN")
                r.rangeLow = 0, r.rangeHigh = 2147483647;
            else if (n == "POSITIVE" || n == "POSITIVEN")
                r.rangeLow = 1, r.rangeHigh = 2147483647;
            else if (n == "SIGNTYPE")
                r.rangeLow = -1, r.rangeHigh = 1;
            return r;
        }
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
        if (n == "DATE")
            return PlType::date();
        if (n == "TIMESTAMP" || n.rfind("INTERVAL", 0) == 0)
            fail(t.pos, "ORA-03001: unimplemented feature: " + n + " variables in PL/SQL");
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

// TABLE OF t [NOT NULL] [INDEX BY k], VARRAY(n) OF t [NOT NULL].
PlType Compiler::collectionType(const Decl& d)
{
    PlType t;
    t.kind = PlKind::Table;
    PlType element = resolveType(d.type);
    element.notNull = d.notNull;
    if (element.kind == PlKind::RefCursor)
        fail(d.type.pos, "PLS-00531: Invalid use of a cursor variable in a record or collection type declaration");
    t.element = std::make_shared<PlType>(std::move(element));
    t.name = d.name;
    if (d.indexed) {
        t.coll = CollKind::Assoc;
        PlType it = resolveType(d.indexType);
        const bool integral = it.kind == PlKind::Number && it.integerOnly;
        const bool text = it.kind == PlKind::Varchar2 || it.kind == PlKind::Long;
        if (!integral && !text)
            fail(d.indexType.pos, "PLS-00315: Implementation restriction: unsupported table index type");
        t.indexByText = text;
    } else if (d.limit >= 0) {
        t.coll = CollKind::Varray;
        if (d.limit < 1 || d.limit > 2147483647)
            fail(d.pos, "PLS-00537: A VARRAY must have a positive limit");
        t.limit = d.limit;
    } else {
        t.coll = CollKind::Nested;
    }
    return t;
}

// The identity of a record or collection type declared here: its package's name for a package's types (a caller
// compiled against the header and the body's own compile agree on it), else one of its own.
std::string Compiler::typeKeyOf(const std::string& name)
{
    static std::atomic<uint64_t> counter { 0 };
    if (self && level == 0)
        return self->owner + "." + self->name + "." + name;
    return "#" + std::to_string(++counter) + "." + name;
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
            if (!compatible(sym.type, *init->value, *d.init))
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
                fail(d.codePos,
                    "PLS-00701: illegal ORACLE error number " + std::to_string(d.errorCode)
                        + " for PRAGMA EXCEPTION_INIT");
        it->second.exception->code = d.errorCode == 100 ? 1403 : -d.errorCode;
        return;
    }
    case DeclKind::PragmaOther:
        if (d.name == "AUTONOMOUS_TRANSACTION") {
            if (!autonomousHere)
                fail(d.pos, "PLS-00710: Pragma AUTONOMOUS_TRANSACTION cannot be specified here");
            out.autonomous = true;
        }
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
        sym.type.typeKey = typeKeyOf(d.name);
        scope->names.emplace(d.name, sym);
        return;
    }
    case DeclKind::TableType: {
        Sym sym;
        sym.k = Sym::K::Type;
        sym.type = collectionType(d);
        sym.type.typeKey = typeKeyOf(d.name);
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
        // a forward declaration and its body share one CSub: same name, parameter names and types (overloads
        // differ in one of them)
        std::shared_ptr<CSub> target;
        for (size_t k = 0; k < sym->subs.size(); ++k) {
            const Subprogram* other = sym->subDecls[k];
            if (other->params.size() != sp.params.size() || other->isFunction != sp.isFunction)
                continue;
            bool same = true;
            for (size_t j = 0; j < sp.params.size(); ++j)
                same = same && other->params[j].name == sp.params[j].name
                    && sameFamily(sym->subs[k]->params[j].type, formal(sp.params[j].type));
            if (same)
                target = sym->subs[k];
        }
        if (target && target->defined && sp.hasBody)
            fail(d.pos, "PLS-00305: previous use of '" + sp.name + "' conflicts with this use");
        if (!target) {
            target = std::make_shared<CSub>();
            target->name = sp.name;
            target->isFunction = sp.isFunction;
            target->pipelined = sp.pipelined;
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
    const int savedPipeSlot = pipeSlot;
    pipeSlot = -1;
    if (sp.pipelined)
        startPipelined(sp, *csub);
    int savedLoops = loopDepth;
    returnType = sp.isFunction ? &csub->returnType : nullptr;
    inFunction = sp.isFunction;
    loopDepth = 0;
    autonomousNext = true;
    std::vector<std::vector<std::string>> savedGotoScopes = std::move(gotoScopes);
    gotoScopes.clear();
    csub->body = block(*sp.body);
    gotoScopes = std::move(savedGotoScopes);
    returnType = savedReturn;
    inFunction = savedInFunction;
    pipeSlot = savedPipeSlot;
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
    {
        struct Restore {
            bool& here;
            bool outer;
            ~Restore() { here = outer; }
        } restore { autonomousHere, std::exchange(autonomousHere, std::exchange(autonomousNext, false)) };
        declarations(b.decls, *out);
    }
    for (const Decl& d : b.decls)
        if (d.kind == DeclKind::Subprogram && !d.subprogram->hasBody) {
            const Sym* sym = lookup(d.name);
            bool defined = false;
            if (sym)
                for (const auto& sub : sym->subs)
                    defined = defined || sub->defined;
            if (!defined)
                note(d.pos,
                    "PLS-00328: A subprogram body must be defined for the forward declaration of " + d.name + ".");
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

} // namespace engine::plsql
