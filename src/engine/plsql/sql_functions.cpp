// Stored functions inside SQL: name resolution for the binder and the SQLite function that runs them.
#include "engine/plsql/sql_functions.h"

#include "engine/catalog/catalog.h"
#include "engine/plsql/expr_nodes.h"
#include "engine/plsql/native_state.h"
#include "engine/plsql/stored_units.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

#include <utility>

namespace engine::plsql {

namespace {

constexpr const char* kCallFunction = "ORA_PLSQL_CALL";

thread_local int sqlFunctionDepth = 0;
// The depth at which the innermost autonomous transaction started: functions called from SQL below it may do DML.
thread_local int autonomousSqlLevel = 0;
// Oracle's bound on SQL run from PL/SQL run from SQL: ORA-00036 beyond it.
constexpr int kMaxRecursiveSqlLevels = 50;

// What one token of ORA_PLSQL_CALL stands for in the session.
struct SqlFunctionRef {
    int64_t unitId = 0;
    std::string member;
    size_t overload = 0;
};

struct SqlFunctions {
    std::vector<SqlFunctionRef> refs;
    bool registered = false;
};

SqlFunctions& registry(SessionState& s)
{
    static_assert(sizeof(SqlFunctionRef) > 0);
    NativeSessionState& ns = nativeState(s);
    if (!ns.sqlFunctions)
        ns.sqlFunctions = std::make_shared<SqlFunctions>();
    return *std::static_pointer_cast<SqlFunctions>(ns.sqlFunctions);
}

void callNative(sqlite3_context* ctx, SessionState& s, const std::string& member, int argc, sqlite3_value** argv);

void callFn(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    auto* s = static_cast<SessionState*>(sqlite3_user_data(ctx));
    SqlFunctions& reg = registry(*s);
    const int64_t token = sqlite3_value_int64(argv[0]);
    if (token < 0 || static_cast<size_t>(token) >= reg.refs.size()) {
        sqlite3_result_error(ctx, "ORA-06508: PL/SQL: could not find program unit being called", -1);
        return;
    }
    if (sqlFunctionDepth >= kMaxRecursiveSqlLevels) {
        const std::string message = "ORA-00036: maximum number of recursive SQL levels ("
            + std::to_string(kMaxRecursiveSqlLevels) + ") exceeded";
        sqlite3_result_error(ctx, message.c_str(), -1);
        return;
    }
    const SqlFunctionRef ref = reg.refs[static_cast<size_t>(token)];
    if (ref.unitId < 0) {
        callNative(ctx, *s, ref.member, argc - 1, argv + 1);
        return;
    }
    std::vector<std::unique_ptr<CLiteral>> values;
    std::vector<const CExpr*> args;
    Ctx c(*s);
    Frame top;
    c.frame = &top;
    try {
        std::shared_ptr<LoadedUnit> lu = loadForCall(c, ref.unitId);
        std::vector<std::shared_ptr<CSub>> subs = subprogramsOf(*lu->runnable->symbols, ref.member);
        if (ref.overload >= subs.size())
            throw plError(6508, "PL/SQL: could not find program unit being called");
        const CSub& sub = *subs[ref.overload];
        for (int i = 1; i < argc; ++i) {
            auto lit = std::make_unique<CLiteral>();
            lit->value = storage::toValue(argv[i]);
            if (static_cast<size_t>(i - 1) < sub.params.size())
                lit->type = sub.params[static_cast<size_t>(i - 1)].type;
            args.push_back(lit.get());
            values.push_back(std::move(lit));
        }
        ++sqlFunctionDepth;
        struct Leave {
            ~Leave() { --sqlFunctionDepth; }
        } leave;
        std::shared_ptr<StoredCompileOutput> runnable = lu->runnable;
        std::shared_ptr<Frame> state = lu->state;
        Val r = callSubprogramAt(sub, runnable->unit.get(), args, state.get(), c);
        storage::resultValue(ctx, r.v);
    } catch (const PlError& e) {
        std::string message = e.message;
        for (const std::string& line : e.stack)
            message += "\n" + line;
        sqlite3_result_error(ctx, message.c_str(), -1);
    } catch (const Error& e) {
        std::string message = e.message();
        sqlite3_result_error(ctx, message.c_str(), -1);
    }
}

// The routines of a built-in package that SQL may call as PKG.F with `argCount` arguments.
std::vector<const NativeRoutine*> nativeCandidates(SessionState& s, const std::string& package, const std::string& name,
    size_t argCount)
{
    std::vector<const NativeRoutine*> r;
    const NativePackage* p = findNativePackageFor(s, package);
    if (!p)
        return r;
    for (const NativeRoutine& routine : p->routines) {
        if (routine.name != name || !routine.usableInSql || !routine.returns || argCount > routine.params.size())
            continue;
        bool fits = true;
        for (size_t j = argCount; j < routine.params.size(); ++j)
            fits = fits && routine.params[j].hasDefault;
        if (fits)
            r.push_back(&routine);
    }
    return r;
}

// A built-in package's function called from SQL ("PKG.F" in `member`): the overload whose LOB parameters fit the
// arguments' kinds (bytes take the BLOB one).
void callNative(sqlite3_context* ctx, SessionState& s, const std::string& member, int argc, sqlite3_value** argv)
{
    const size_t dot = member.find('.');
    std::vector<Value> values;
    for (int i = 0; i < argc; ++i) {
        values.push_back(storage::toValue(argv[i]));
        if (sqlite3_value_type(argv[i]) == SQLITE_TEXT && sqlite3_value_bytes(argv[i]) == 0)
            values.back().kind = Value::Kind::Text; // an empty CLOB, which the LOB routines tell from NULL
    }
    const NativeRoutine* chosen = nullptr;
    for (const NativeRoutine* r : nativeCandidates(s, member.substr(0, dot), member.substr(dot + 1), values.size())) {
        bool fits = true;
        for (size_t i = 0; i < values.size(); ++i) {
            const NativeType t = r->params[i].type;
            if ((t == NativeType::Clob || t == NativeType::Blob) && !values[i].isNull())
                fits = fits && (values[i].kind == Value::Kind::Blob) == (t == NativeType::Blob);
        }
        if (fits) {
            chosen = r;
            break;
        }
    }
    if (!chosen) {
        sqlite3_result_error(ctx, "ORA-06553: PLS-306: wrong number or types of arguments in call", -1);
        return;
    }
    for (size_t i = values.size(); i < chosen->params.size(); ++i)
        values.push_back(chosen->params[i].defaultValue);
    std::vector<OraType> outTypes(values.size(), OraType::Varchar2);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
    NativeCall call { s, values, outTypes };
#pragma GCC diagnostic pop
    call.tables.resize(values.size());
    try {
        std::optional<Value> r = chosen->run(call);
        storage::resultValue(ctx, r ? *r : Value::null());
    } catch (const Error& e) {
        sqlite3_result_error(ctx, e.message().c_str(), -1);
    }
}

types::ExprType nativeResultType(NativeType t)
{
    switch (t) {
    case NativeType::Number:
    case NativeType::Integer:
        return sqlTypeOf(PlType::number());
    case NativeType::Date:
        return sqlTypeOf(PlType::date());
    case NativeType::Clob:
        return sqlTypeOf(PlType::of(PlKind::Clob));
    case NativeType::Blob:
        return sqlTypeOf(PlType::of(PlKind::Blob));
    case NativeType::Raw: {
        PlType r = PlType::of(PlKind::Raw);
        r.size = 32767;
        return sqlTypeOf(r);
    }
    default:
        return sqlTypeOf(PlType::varchar2(32767));
    }
}

size_t tokenFor(SessionState& s, int64_t unitId, const std::string& member, size_t overload);

std::optional<catalog::ObjectRow> resolve(SessionState& s, const std::string& owner, const std::string& name)
{
    catalog::Lookup lookup(s.conn, &s);
    try {
        return lookup.resolveObject(owner, name, s.schema, true);
    } catch (const Error&) {
        return std::nullopt;
    }
}

// The token of ORA_PLSQL_CALL for a unit's member (unitId -1: a built-in package's function, member "PKG.F").
size_t tokenFor(SessionState& s, int64_t unitId, const std::string& member, size_t overload)
{
    SqlFunctions& reg = registry(s);
    if (!reg.registered) {
        sqlite3_create_function(s.conn, kCallFunction, -1, SQLITE_UTF8, &s, callFn, nullptr, nullptr);
        reg.registered = true;
    }
    for (size_t i = 0; i < reg.refs.size(); ++i)
        if (reg.refs[i].unitId == unitId && reg.refs[i].member == member && reg.refs[i].overload == overload)
            return i;
    reg.refs.push_back({ unitId, member, overload });
    return reg.refs.size() - 1;
}

} // namespace

bool inSqlFunction()
{
    return sqlFunctionDepth > autonomousSqlLevel;
}

int beginAutonomousSqlLevel()
{
    return std::exchange(autonomousSqlLevel, sqlFunctionDepth);
}

void endAutonomousSqlLevel(int saved)
{
    autonomousSqlLevel = saved;
}

std::optional<bind::SessionContext::StoredFunction> sqlFunction(
    SessionState& s, const std::vector<std::string>& parts, size_t argCount)
{
    if (parts.empty() || parts.size() > 3)
        return std::nullopt;
    // F; PKG.F or OWNER.F; OWNER.PKG.F
    std::optional<catalog::ObjectRow> o;
    std::string member;
    if (parts.size() == 1) {
        o = resolve(s, "", parts[0]);
        member = parts[0];
    } else if (parts.size() == 2) {
        o = resolve(s, "", parts[0]);
        member = parts[1];
        if (!o || o->type != catalog::kTypePackage) {
            o = resolve(s, parts[0], parts[1]);
            member = parts[1];
        }
    } else {
        o = resolve(s, parts[0], parts[1]);
        member = parts[2];
    }
    if (!o && parts.size() >= 2 && (parts.size() == 2 || parts[0] == "SYS")) {
        // A built-in package's function (DBMS_LOB.GETLENGTH, UTL_RAW.CAST_TO_RAW).
        const std::string& package = parts[parts.size() - 2];
        std::vector<const NativeRoutine*> found = nativeCandidates(s, package, parts.back(), argCount);
        if (found.empty())
            return std::nullopt;
        const std::string key = package + "." + parts.back();
        bind::SessionContext::StoredFunction f;
        f.callPrefix = std::string(kCallFunction) + "(" + std::to_string(tokenFor(s, -1, key, 0));
        f.type = nativeResultType(*found[0]->returns);
        return f;
    }
    if (!o)
        return std::nullopt;
    if (o->type == catalog::kTypeFunction)
        member = o->name;
    else if (o->type != catalog::kTypePackage)
        return std::nullopt;
    if (o->ownerId != s.userId && !priv::hasObjectPrivilege(s, o->id, priv::ObjectPrivilege::Execute))
        return std::nullopt;
    std::shared_ptr<LoadedUnit> lu = unitInterface(s, o->id);
    if (!lu || !lu->interface)
        return std::nullopt;
    std::vector<std::shared_ptr<CSub>> subs = subprogramsOf(*lu->interface->symbols, member);
    for (size_t k = 0; k < subs.size(); ++k) {
        const CSub& sub = *subs[k];
        if (!sub.isFunction || argCount > sub.params.size() || sub.returnType.kind == PlKind::Boolean
            || !sub.returnType.isScalar())
            continue;
        bool fits = true;
        for (size_t j = 0; j < sub.params.size(); ++j) {
            if (sub.params[j].mode != Param::Mode::In || sub.params[j].type.kind == PlKind::Boolean)
                fits = false;
            if (j >= argCount && !sub.params[j].defaultValue)
                fits = false;
        }
        if (!fits)
            continue;
        bind::SessionContext::StoredFunction f;
        f.callPrefix = std::string(kCallFunction) + "(" + std::to_string(tokenFor(s, o->id, member, k));
        f.type = sqlTypeOf(sub.returnType);
        f.objectId = o->id;
        return f;
    }
    return std::nullopt;
}

} // namespace engine::plsql
