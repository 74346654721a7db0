// Stored functions inside SQL: name resolution for the binder and the SQLite function that runs them.
#include "engine/plsql/sql_functions.h"

#include "engine/catalog/catalog.h"
#include "engine/plsql/expr_nodes.h"
#include "engine/plsql/native_state.h"
#include "engine/plsql/stored_units.h"
#include "engine/plsql/table_collection.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

#include <utility>

namespace engine::plsql {

namespace {

constexpr const char* kCallFunction = "ORA_PLSQL_CALL";
// The same call for TABLE(f(...)): the function's collection as TABLE() reads it (table_collection.h).
constexpr const char* kRowsFunction = "ORA_PLSQL_ROWS";

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
    // For each parameter, the argument of the call that gives it (in the order written), or -1 for its default.
    std::vector<int> argOfParam;
    bool operator==(const SqlFunctionRef&) const = default;
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

void runCall(sqlite3_context* ctx, int argc, sqlite3_value** argv, bool rows)
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
        for (size_t j = 0; j < sub.params.size() && j < ref.argOfParam.size(); ++j) {
            const int a = ref.argOfParam[j];
            if (a < 0 || a + 1 >= argc) {
                args.push_back(nullptr);
                continue;
            }
            auto lit = std::make_unique<CLiteral>();
            lit->value = storage::toValue(argv[a + 1]);
            lit->type = sub.params[j].type;
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
        storage::resultValue(ctx, rows ? collectionJson(r) : r.v);
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

void callFn(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    runCall(ctx, argc, argv, false);
}

void rowsFn(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    runCall(ctx, argc, argv, true);
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

// The token of ORA_PLSQL_CALL (and ORA_PLSQL_ROWS) for a call: a unit's member with its arguments' mapping, or
// (unitId -1) a built-in package's function, member "PKG.F".
size_t tokenFor(SessionState& s, const SqlFunctionRef& ref)
{
    SqlFunctions& reg = registry(s);
    if (!reg.registered) {
        sqlite3_create_function(s.conn, kCallFunction, -1, SQLITE_UTF8, &s, callFn, nullptr, nullptr);
        sqlite3_create_function(s.conn, kRowsFunction, -1, SQLITE_UTF8, &s, rowsFn, nullptr, nullptr);
        reg.registered = true;
    }
    for (size_t i = 0; i < reg.refs.size(); ++i)
        if (reg.refs[i] == ref)
            return i;
    reg.refs.push_back(ref);
    return reg.refs.size() - 1;
}

std::optional<catalog::ObjectRow> resolve(SessionState& s, const std::string& owner, const std::string& name)
{
    catalog::Lookup lookup(s.conn, &s);
    try {
        return lookup.resolveObject(owner, name, s.schema, true);
    } catch (const Error&) {
        return std::nullopt;
    }
}

// Oracle's rules for the list as a whole: no positional argument after a named one (PLS-00312), no parameter
// named twice (PLS-00703); in SQL each is reported inside ORA-06553.
void checkArgumentNames(const std::vector<std::string>& argNames)
{
    bool named = false;
    for (size_t i = 0; i < argNames.size(); ++i) {
        if (argNames[i].empty() && named)
            throw oraError(6553, "PLS-312: a positional parameter association may not follow a named association");
        named = named || !argNames[i].empty();
        for (size_t j = 0; j < i; ++j)
            if (!argNames[i].empty() && argNames[j] == argNames[i])
                throw oraError(6553, "PLS-703: multiple instances of named argument in list");
    }
}

// Which argument gives each parameter of `sub` (positional ones first, then by name), -1 for a parameter left to its
// default; nothing when the arguments do not fit: too many, a name it has not, a parameter given twice or one
// without a default left out.
std::optional<std::vector<int>> parametersOf(const CSub& sub, const std::vector<std::string>& argNames)
{
    std::vector<int> argOfParam(sub.params.size(), -1);
    size_t positional = 0;
    for (size_t a = 0; a < argNames.size(); ++a) {
        size_t j = sub.params.size();
        if (argNames[a].empty())
            j = positional++;
        else
            for (size_t k = 0; k < sub.params.size(); ++k)
                if (sub.params[k].name == argNames[a])
                    j = k;
        if (j >= sub.params.size() || argOfParam[j] >= 0)
            return std::nullopt;
        argOfParam[j] = static_cast<int>(a);
    }
    for (size_t j = 0; j < sub.params.size(); ++j)
        if (argOfParam[j] < 0 && !sub.params[j].defaultValue)
            return std::nullopt;
    return argOfParam;
}

} // namespace

std::string plsErrorOf(const std::string& ora06553)
{
    const size_t at = ora06553.find("PLS-");
    const size_t colon = at == std::string::npos ? at : ora06553.find(':', at);
    if (colon == std::string::npos)
        return ora06553;
    std::string number = ora06553.substr(at + 4, colon - at - 4);
    while (number.size() < 5)
        number.insert(number.begin(), '0');
    return "PLS-" + number + ora06553.substr(colon);
}

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

namespace {

// A stored function that SQL calls, registered on the session: the token its calls carry, what it returns, its unit.
struct FoundFunction {
    size_t token = 0;
    PlType returnType;
    int64_t objectId = 0;
};

// The stored function `parts` names for a call with arguments named `argNames`, returning a scalar (`rows` false) or a
// collection for TABLE() (`rows` true).
std::optional<FoundFunction> findFunction(SessionState& s, const std::vector<std::string>& parts,
    const std::vector<std::string>& argNames, bool rows, bool fromPlsql)
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
    if (subs.empty())
        return std::nullopt;
    checkArgumentNames(argNames);
    const std::string callName = parts.back();
    int outArguments = 0;
    int wrongType = 0;
    int pipelinedOutsideTable = 0;
    int notFromSql = 0;
    for (size_t k = 0; k < subs.size(); ++k) {
        const CSub& sub = *subs[k];
        if (!sub.isFunction)
            continue;
        std::optional<std::vector<int>> argOfParam = parametersOf(sub, argNames);
        if (!argOfParam)
            continue;
        bool fits = true;
        for (const CParam& p : sub.params)
            if (p.mode != Param::Mode::In) {
                ++outArguments;
                fits = false;
            } else if (p.type.kind == PlKind::Boolean) {
                ++wrongType;
                fits = false;
            }
        if (fits && rows && sub.returnType.kind != PlKind::Table) {
            ++wrongType;
            fits = false;
        } else if (fits && rows && !sub.pipelined && !fromPlsql) {
            // a package's collection type is a type of SQL only inside PL/SQL, or for a pipelined function
            ++notFromSql;
            fits = false;
        } else if (fits && !rows && sub.pipelined) {
            ++pipelinedOutsideTable;
            fits = false;
        } else if (fits && !rows && (sub.returnType.kind == PlKind::Boolean || !sub.returnType.isScalar())) {
            ++wrongType;
            fits = false;
        }
        if (!fits)
            continue;
        if (rows)
            collectionRowsOf(sub.returnType); // refuses the collections SQL cannot read
        return FoundFunction { tokenFor(s, SqlFunctionRef { o->id, member, k, *argOfParam }), sub.returnType, o->id };
    }
    if (outArguments > 0 && wrongType == 0)
        throw oraError(6572, "Function " + callName + " has out arguments");
    if (pipelinedOutsideTable > 0)
        throw oraError(6553, "PLS-653: aggregate/table functions are not allowed in PL/SQL scope");
    if (notFromSql > 0)
        throw oraError(902, "invalid datatype");
    if (rows && wrongType > 0)
        throw oraError(22905, "cannot access rows from a non-nested table item");
    if (wrongType > 0)
        throw oraError(6553, "PLS-382: expression is of wrong type");
    throw oraError(6553, "PLS-306: wrong number or types of arguments in call to '" + callName + "'");
}

// A built-in package's function called from SQL (DBMS_LOB.GETLENGTH, SYS.UTL_RAW.CAST_TO_RAW) with positional
// arguments, when no object of the schema takes the name.
std::optional<bind::SessionContext::StoredFunction> builtInPackageFunction(
    SessionState& s, const std::vector<std::string>& parts, const std::vector<std::string>& argNames)
{
    if (parts.size() < 2 || parts.size() > 3 || (parts.size() == 3 && parts[0] != "SYS"))
        return std::nullopt;
    for (const std::string& name : argNames)
        if (!name.empty())
            return std::nullopt;
    if (resolve(s, parts[0], parts[1]) || (parts.size() == 2 && resolve(s, "", parts[0])))
        return std::nullopt;
    const std::string& package = parts[parts.size() - 2];
    std::vector<const NativeRoutine*> found = nativeCandidates(s, package, parts.back(), argNames.size());
    if (found.empty())
        return std::nullopt;
    bind::SessionContext::StoredFunction f;
    const size_t token = tokenFor(s, SqlFunctionRef { -1, package + "." + parts.back(), 0, {} });
    f.callPrefix = std::string(kCallFunction) + "(" + std::to_string(token);
    f.type = nativeResultType(*found[0]->returns);
    return f;
}

} // namespace

std::optional<bind::SessionContext::StoredFunction> sqlFunction(
    SessionState& s, const std::vector<std::string>& parts, const std::vector<std::string>& argNames)
{
    std::optional<FoundFunction> found = findFunction(s, parts, argNames, false, false);
    if (!found)
        return builtInPackageFunction(s, parts, argNames);
    bind::SessionContext::StoredFunction f;
    f.callPrefix = std::string(kCallFunction) + "(" + std::to_string(found->token);
    f.type = sqlTypeOf(found->returnType);
    f.objectId = found->objectId;
    return f;
}

std::optional<bind::SessionContext::StoredCollectionFunction> sqlCollectionFunction(SessionState& s,
    const std::vector<std::string>& parts, const std::vector<std::string>& argNames, bool fromPlsql)
{
    std::optional<FoundFunction> found = findFunction(s, parts, argNames, true, fromPlsql);
    if (!found)
        return std::nullopt;
    bind::SessionContext::StoredCollectionFunction f;
    f.callPrefix = std::string(kRowsFunction) + "(" + std::to_string(found->token);
    f.rows = collectionRowsOf(found->returnType);
    f.objectId = found->objectId;
    return f;
}

} // namespace engine::plsql
