// Stored procedures, functions and packages: their DDL, and the session's compiled forms and package state.
#include "engine/plsql/stored_units.h"

#include "engine/catalog/catalog.h"
#include "engine/plsql/interpreter.h"
#include "engine/plsql/native_state.h"
#include "engine/plsql/parser.h"
#include "engine/plsql/values.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/sql/lexer.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <functional>
#include <optional>
#include <set>

namespace engine::plsql {

std::string storedText(std::string_view statement)
{
    sql::LexResult lx = sql::tokenize(statement);
    size_t begin = 0;
    for (const sql::Token& t : lx.tokens) {
        if (t.isWord("CREATE") || t.isWord("OR") || t.isWord("REPLACE") || t.isWord("EDITIONABLE")
            || t.isWord("NONEDITIONABLE"))
            continue;
        begin = static_cast<size_t>(t.offset);
        break;
    }
    std::string text(statement.substr(begin));
    auto trimEnd = [&] {
        while (
            !text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
    };
    trimEnd();
    size_t lastLine = text.rfind('\n');
    if (lastLine != std::string::npos && text.substr(lastLine + 1) == "/") {
        text.resize(lastLine);
        trimEnd();
    }
    return text;
}

namespace {

int typeOf(sql::PlSqlStmt::Unit u)
{
    switch (u) {
    case sql::PlSqlStmt::Unit::Procedure:
        return catalog::kTypeProcedure;
    case sql::PlSqlStmt::Unit::Function:
        return catalog::kTypeFunction;
    case sql::PlSqlStmt::Unit::Package:
        return catalog::kTypePackage;
    case sql::PlSqlStmt::Unit::PackageBody:
        return catalog::kTypePackageBody;
    default:
        return 0;
    }
}

// Inside CREATE or ALTER ... COMPILE of a unit: recompiling what it uses may store the outcome.
thread_local int unitDdlDepth = 0;
struct UnitDdl {
    UnitDdl() { ++unitDdlDepth; }
    ~UnitDdl() { --unitDdlDepth; }
};

// Units whose runnable form is being compiled on this thread (two units calling each other).
thread_local std::set<int64_t> compilingRunnable;

// ORA-04063 as Oracle raises it for a call: the unit that has errors, then ORA-06508 naming it.
PlError errorsOf(const std::string& text, const StoredUnit& u)
{
    PlError e = plError(4063, text);
    e.stack.push_back(
        "ORA-06508: PL/SQL: could not find program unit being called: \"" + u.owner + "." + u.name + "\"");
    return e;
}

std::string hasErrors(const std::string& word, const StoredUnit& u)
{
    std::string lower;
    for (char ch : word)
        lower += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    return lower + " \"" + u.owner + "." + u.name + "\" has errors";
}

struct AsOwner : DefinerRights {
    AsOwner(SessionState& s, const StoredUnit& u)
        : DefinerRights(s, u.ownerId, u.owner)
    {
    }
};

struct Parsed {
    std::string text;
    std::shared_ptr<Unit> unit;
    std::optional<CompileError> error;
};

Parsed parseStored(SessionState& s, int64_t id)
{
    Parsed p;
    p.text = loadSource(s, id);
    ParseOutput out = parseUnit(p.text);
    p.unit = std::move(out.unit);
    p.error = out.error;
    return p;
}

// Compiles a unit from its stored text and writes what the compile found: errors, dependencies, status.
bool compileAndStore(SessionState& s, const StoredUnit& u, const std::string& text, const ParseOutput& parsed)
{
    std::vector<CompileError> errors;
    std::vector<int64_t> uses;
    if (parsed.error) {
        errors.push_back(*parsed.error);
    } else if (u.type == catalog::kTypePackageBody) {
        std::optional<StoredUnit> spec = findUnit(s, u.ownerId, u.name, catalog::kTypePackage);
        if (!spec) {
            errors.push_back({ parsed.unit->namePos.line, parsed.unit->namePos.col,
                "PLS-00201: identifier '" + u.name + "' must be declared", parsed.unit->namePos.offset });
        } else {
            uses.push_back(spec->id);
            Parsed sp = parseStored(s, spec->id);
            if (sp.error || !sp.unit || sp.unit->kind != Unit::Kind::Package) {
                errors.push_back({ parsed.unit->namePos.line, parsed.unit->namePos.col,
                    "PLS-00905: object " + u.owner + "." + u.name + " is invalid", parsed.unit->namePos.offset });
            } else {
                AsOwner as(s, u);
                StoredCompileOutput out = compileStored(s, *spec, sp.text, *sp.unit, text, parsed.unit.get(), false);
                errors = std::move(out.errors);
                uses.insert(uses.end(), out.dependsOn.begin(), out.dependsOn.end());
            }
        }
    } else {
        AsOwner as(s, u);
        StoredCompileOutput out = compileStored(s, u, text, *parsed.unit, {}, nullptr, false);
        errors = std::move(out.errors);
        uses.insert(uses.end(), out.dependsOn.begin(), out.dependsOn.end());
        // The call builder reads the arguments of what compiles; an invalid unit shows none, as in Oracle.
        storeArguments(s, u.id, errors.empty() ? argumentsOf(out, *parsed.unit, u) : std::vector<ArgumentRow> {});
    }
    if (parsed.error)
        storeArguments(s, u.id, {});
    if (u.type != catalog::kTypePackageBody)
        setAuthid(s, u.id, parsed.unit && parsed.unit->invokerRights);
    storeErrors(s, u.id, errors);
    storeDependencies(s, u.id, uses);
    setCompiled(s, u.id, errors.empty());
    return errors.empty();
}

constexpr const char* kCompileWarning = "ORA-24344: success with compilation error";

std::string ownerOf(SessionState& s, const sql::ObjectName& name)
{
    return name.schema ? name.schema->name : s.schema;
}

catalog::UserRow ownerRow(SessionState& s, const sql::ObjectName& name)
{
    std::string owner = ownerOf(s, name);
    auto u = catalog::Catalog(s.conn).user(owner);
    if (!u || u->type != 1)
        throw oraError(1918, "user '" + owner + "' does not exist", name.schema ? name.schema->offset : name.offset);
    return *u;
}

} // namespace

void createUnit(SessionState& s, const sql::PlSqlStmt& stmt, std::string_view, std::string& warning)
{
    UnitDdl inDdl;
    const int type = typeOf(stmt.unit);
    if (!type || !stmt.name)
        throw oraError(3001, "unimplemented feature", stmt.offset);
    catalog::UserRow owner = ownerRow(s, *stmt.name);
    std::string text = storedText(stmt.text);
    ParseOutput parsed = parseUnit(text);
    StoredUnit u = defineUnit(s, owner.id, stmt.name->name.name, type, stmt.orReplace, stmt.name->name.offset);
    storeSource(s, u.id, text);
    invalidateDependents(s, u.id);
    if (!compileAndStore(s, u, text, parsed))
        warning = kCompileWarning;
}

void alterCompile(SessionState& s, const std::string& ownerName, const std::string& name, const std::string& what,
    int offset, std::string& warning)
{
    UnitDdl inDdl;
    auto owner = catalog::Catalog(s.conn).user(ownerName);
    if (!owner || owner->type != 1)
        throw oraError(1918, "user '" + ownerName + "' does not exist", offset);
    std::vector<int> types;
    if (what == "PROCEDURE")
        types = { catalog::kTypeProcedure };
    else if (what == "FUNCTION")
        types = { catalog::kTypeFunction };
    else if (what == "BODY")
        types = { catalog::kTypePackageBody };
    else if (what == "SPECIFICATION")
        types = { catalog::kTypePackage };
    else
        types = { catalog::kTypePackage, catalog::kTypePackageBody };
    // COMPILE BODY names the package; its body must be there.
    if (!findUnit(s, owner->id, name, types.front()))
        throw oraError(4043, "object " + name + " does not exist", offset);
    bool ok = true;
    for (int type : types) {
        std::optional<StoredUnit> u = findUnit(s, owner->id, name, type);
        if (!u)
            continue;
        std::string text = loadSource(s, u->id);
        ParseOutput parsed = parseUnit(text);
        ok = compileAndStore(s, *u, text, parsed) && ok;
    }
    if (!ok)
        warning = kCompileWarning;
}

void dropUnit(SessionState& s, const sql::DropObjectStmt& stmt)
{
    catalog::UserRow owner = ownerRow(s, stmt.name);
    const std::string& name = stmt.name.name.name;
    int type = 0;
    if (stmt.objectType == "PROCEDURE")
        type = catalog::kTypeProcedure;
    else if (stmt.objectType == "FUNCTION")
        type = catalog::kTypeFunction;
    else if (stmt.objectType == "PACKAGE")
        type = catalog::kTypePackage;
    else if (stmt.objectType == "PACKAGE BODY")
        type = catalog::kTypePackageBody;
    std::optional<StoredUnit> u = type ? findUnit(s, owner.id, name, type) : std::nullopt;
    if (!u)
        throw oraError(4043, "object " + name + " does not exist", stmt.name.name.offset);
    if (type == catalog::kTypePackage)
        if (auto body = findUnit(s, owner.id, name, catalog::kTypePackageBody))
            removeUnit(s, body->id);
    removeUnit(s, u->id);
}

// ---- the session's compiled units

namespace {

// What the catalog says of the unit (and its body) now: a compiled form made under another stamp is stale.
std::string stampOf(SessionState& s, const StoredUnit& u)
{
    storage::Stmt q(s.conn, R"(SELECT "OBJ#", "TYPE#", "STIME", "STATUS" FROM "OBJ$"
        WHERE "OWNER#" = ?1 AND "NAME" = ?2 AND ("OBJ#" = ?3 OR ("TYPE#" = 11 AND ?4 = 9)) ORDER BY "TYPE#")");
    q.bind(1, u.ownerId).bind(2, u.name).bind(3, u.id).bind(4, u.type);
    std::string stamp;
    while (q.step()) {
        // Two replacements within one second leave STIME alone: the text tells them apart.
        int64_t id = q.int64(0);
        stamp += std::to_string(id) + ":" + q.text(2) + ":" + std::to_string(q.int64(3)) + ":"
            + std::to_string(std::hash<std::string> {}(loadSource(s, id))) + ";";
    }
    return stamp;
}

// Units whose interface is being compiled on this thread: a unit that reaches itself again through others waits
// for nothing and is taken as not there.
thread_local std::set<int64_t> compiling;

struct LoadedSources {
    Parsed spec, body;
};

} // namespace

std::shared_ptr<LoadedUnit> unitInterface(SessionState& s, int64_t objectId)
{
    auto& cache = nativeState(s).storedUnits;
    auto it = cache.find(objectId);
    const uint64_t generation = s.db->ddlGeneration.load();
    if (it != cache.end()) {
        LoadedUnit& lu = *it->second;
        if (lu.checkedGeneration == generation)
            return it->second;
        const std::string stamp = stampOf(s, lu.info);
        if (stamp == lu.stamp) {
            lu.checkedGeneration = generation;
            return it->second;
        }
        // A package with state (variables, constants, cursors) that the session instantiated: Oracle discards the
        // state and says so at the next call.
        if (lu.info.type == catalog::kTypePackage && lu.initialised && lu.runnable
            && lu.runnable->unit->frameSize > 0) {
            const std::string spec = std::to_string(lu.info.id) + ":";
            auto entryOf = [&](const std::string& st) {
                const size_t at = st.find(spec);
                return at == std::string::npos ? std::string() : st.substr(at, st.find(';', at) - at);
            };
            nativeState(s).discardedState[objectId] = entryOf(stamp) == entryOf(lu.stamp) ? "package body" : "package";
        }
        cache.erase(it);
    }
    if (compiling.count(objectId))
        return nullptr;
    auto o = catalog::Catalog(s.conn).objectById(objectId);
    if (!o
        || (o->type != catalog::kTypeProcedure && o->type != catalog::kTypeFunction
            && o->type != catalog::kTypePackage))
        return nullptr;
    auto lu = std::make_shared<LoadedUnit>();
    lu->info = StoredUnit { o->id, o->ownerId, o->owner, o->name, o->type, o->status == catalog::kStatusValid };
    if (o->type == catalog::kTypePackage)
        if (auto body = findUnit(s, o->ownerId, o->name, catalog::kTypePackageBody))
            lu->bodyId = body->id;
    lu->stamp = stampOf(s, lu->info);
    lu->checkedGeneration = generation;
    auto sources = std::make_shared<LoadedSources>();
    sources->spec = parseStored(s, objectId);
    if (!sources->spec.error && sources->spec.unit && objectTypeOf(sources->spec.unit->kind) == o->type) {
        compiling.insert(objectId);
        try {
            AsOwner as(s, lu->info);
            auto out = std::make_shared<StoredCompileOutput>(
                compileStored(s, lu->info, sources->spec.text, *sources->spec.unit, {}, nullptr, true));
            if (out->errors.empty())
                lu->interface = std::move(out);
        } catch (...) {
            compiling.erase(objectId);
            throw;
        }
        compiling.erase(objectId);
    }
    lu->sources = sources;
    cache[objectId] = lu;
    return lu;
}

std::shared_ptr<LoadedUnit> loadForCall(Ctx& c, int64_t objectId)
{
    SessionState& s = c.s;
    std::shared_ptr<LoadedUnit> lu = unitInterface(s, objectId);
    if (!lu)
        throw plError(6508, "PL/SQL: could not find program unit being called");
    auto& discarded = nativeState(s).discardedState;
    if (auto d = discarded.find(objectId); d != discarded.end()) {
        // Once: the call after it finds the package anew, its state initialised again.
        const std::string what = d->second + " \"" + lu->info.owner + "." + lu->info.name + "\"";
        discarded.erase(d);
        throw plError(4068,
            "existing state of packages has been discarded\nORA-04061: existing state of " + what
                + " has been invalidated\nORA-04065: not executed, altered or dropped " + what
                + "\nORA-06508: PL/SQL: could not find program unit being called: \"" + lu->info.owner + "."
                + lu->info.name + "\"");
    }
    if (!lu->interface)
        throw errorsOf(hasErrors(objectWord(lu->info.type), lu->info), lu->info);
    if (!lu->runnable) {
        auto sources = std::static_pointer_cast<LoadedSources>(lu->sources);
        const Unit* body = nullptr;
        if (lu->bodyId) {
            sources->body = parseStored(s, lu->bodyId);
            if (sources->body.error || !sources->body.unit || sources->body.unit->kind != Unit::Kind::PackageBody)
                throw errorsOf(hasErrors("PACKAGE BODY", lu->info), lu->info);
            body = sources->body.unit.get();
        }
        AsOwner as(s, lu->info);
        auto out = std::make_shared<StoredCompileOutput>(compileStored(
            s, lu->info, sources->spec.text, *sources->spec.unit, sources->body.text, body, false, lu->interface));
        if (!out->errors.empty())
            throw errorsOf(hasErrors(body ? "PACKAGE BODY" : objectWord(lu->info.type), lu->info), lu->info);
        lu->runnable = std::move(out);
        lu->state = std::make_shared<Frame>();
        lu->state->slots.resize(static_cast<size_t>(lu->runnable->unit->frameSize));
        lu->initialised = false;
    }
    if (!lu->initialised) {
        // The package's declarations and initialisation section run once per session, at its first use.
        lu->initialised = true;
        const CUnit& unit = *lu->runnable->unit;
        Ctx ic(s);
        ic.frame = lu->state.get();
        ic.unit = &unit;
        ic.depth = c.depth + 1;
        try {
            std::optional<AsOwner> as;
            if (!unit.invokerRights)
                as.emplace(s, lu->info);
            runBlock(*unit.block, ic);
        } catch (PlError& e) {
            lu->initialised = false;
            e.stack.push_back(unit.where(lu->state->line));
            throw;
        }
    }
    return lu;
}

DefinerRights::DefinerRights(SessionState& s, int64_t ownerId, const std::string& owner)
{
    if (s.userId != ownerId || s.schema != owner || s.sysdba)
        as_.emplace(s, ownerId, owner);
}

bool unitCompiles(SessionState& s, LoadedUnit& lu)
{
    if (!lu.interface)
        return false;
    if (lu.info.valid || lu.runnable || compilingRunnable.count(lu.info.id))
        return true;
    compilingRunnable.insert(lu.info.id);
    struct Done {
        int64_t id;
        ~Done() { compilingRunnable.erase(id); }
    } done { lu.info.id };
    if (unitDdlDepth > 0) {
        // Stored as a recompile would store it: errors, dependencies and status.
        bool ok = true;
        for (int64_t id : { lu.info.id, lu.bodyId }) {
            if (!id)
                continue;
            auto o = catalog::Catalog(s.conn).objectById(id);
            if (!o)
                continue;
            StoredUnit u { o->id, o->ownerId, o->owner, o->name, o->type, false };
            std::string text = loadSource(s, id);
            ok = compileAndStore(s, u, text, parseUnit(text)) && ok;
        }
        lu.info.valid = ok;
        return ok;
    }
    auto sources = std::static_pointer_cast<LoadedSources>(lu.sources);
    const Unit* body = nullptr;
    if (lu.bodyId) {
        sources->body = parseStored(s, lu.bodyId);
        if (sources->body.error || !sources->body.unit || sources->body.unit->kind != Unit::Kind::PackageBody)
            return false;
        body = sources->body.unit.get();
    }
    AsOwner as(s, lu.info);
    auto out = std::make_shared<StoredCompileOutput>(compileStored(
        s, lu.info, sources->spec.text, *sources->spec.unit, sources->body.text, body, false, lu.interface));
    if (!out->errors.empty())
        return false;
    lu.runnable = std::move(out);
    // Written to the catalog when the call ends, not in the middle of the statement that runs it.
    if (!lu.info.valid) {
        s.revalidatedUnits.push_back(lu.info.id);
        if (lu.bodyId)
            s.revalidatedUnits.push_back(lu.bodyId);
    }
    lu.state = std::make_shared<Frame>();
    lu.state->slots.resize(static_cast<size_t>(lu.runnable->unit->frameSize));
    lu.initialised = false;
    return true;
}

void storeRevalidated(SessionState& s) noexcept
{
    if (s.revalidatedUnits.empty())
        return;
    std::vector<int64_t> ids;
    ids.swap(s.revalidatedUnits);
    try {
        UnitDdl ddl;
        session::WriteScope w(s);
        for (int64_t id : ids) {
            auto o = catalog::Catalog(s.conn).objectById(id);
            if (!o || o->status == catalog::kStatusValid)
                continue;
            StoredUnit u { o->id, o->ownerId, o->owner, o->name, o->type, false };
            const std::string text = loadSource(s, id);
            compileAndStore(s, u, text, parseUnit(text));
        }
    } catch (...) {
        // The status stays INVALID; the next call or ALTER ... COMPILE tries again.
    }
}

Val* packageVariable(Ctx& c, int64_t objectId, int slot)
{
    std::shared_ptr<LoadedUnit> lu = loadForCall(c, objectId);
    return &lu->state->slots[static_cast<size_t>(slot)];
}

} // namespace engine::plsql
