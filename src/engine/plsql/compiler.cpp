// The compiler's entry points for anonymous blocks, triggers and stored units, the names other units offer (a
// package's members, a stored subprogram), and the ARGUMENT$ rows of a compiled unit.
#include "engine/catalog/catalog.h"
#include "engine/exec/executor.h"
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

// ---- stored units

Val CStoredCall::eval(Ctx& c) const
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

Val* CPackageVar::ref(Ctx& c) const
{
    return packageVariable(c, unitId, slot);
}

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
        if (part.hasArgs)
            cur = element(std::move(cur), part);
    } else if (sym.k == Sym::K::Exception) {
        fail(part.pos,
            "PLS-00321: expression '" + part.name
                + "' is inappropriate as the left hand side of an assignment statement");
    } else if (sym.k == Sym::K::Cursor) {
        fail(part.pos, "ORA-03001: unimplemented feature: a package's cursor used from another unit");
    } else if (sym.type.isDenseCollection() && part.hasArgs) {
        cur = constructor(sym.type, part);
    } else {
        fail(part.pos, "PLS-00330: invalid use of type name or subtype name");
    }
    return components(std::move(cur), parts, i + 1, asStatement);
}

CompileOutput compileBlock(SessionState& s, std::string_view text, const Unit& unit, const std::vector<Bind>& binds)
{
    CompileOutput out;
    out.unit = std::make_unique<CUnit>();
    out.bindValues = std::make_shared<std::vector<Val>>(binds.size());
    Compiler c(s, text, *out.unit, out.bindValues, binds);
    Scope root;
    c.scope = &root;
    try {
        c.autonomousNext = true;
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
        c.autonomousNext = true;
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
