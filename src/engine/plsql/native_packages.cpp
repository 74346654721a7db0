// The list of native packages, the session's native state and the helpers the package files share.
#include "engine/plsql/native.h"
#include "engine/plsql/native_state.h"
#include "engine/session/session_state.h"

#include <cmath>
#include <thread>

namespace engine::plsql {

const std::vector<NativePackage>& nativePackages()
{
    static const std::vector<NativePackage> all = [] {
        std::vector<NativePackage> v;
        v.push_back(makeDbmsOutput());
        v.push_back(makeDbmsPipe());
        v.push_back(makeDbmsLock());
        v.push_back(makeDbmsUtility());
        v.push_back(makeDbmsSql());
        v.push_back(makeUtlFile());
        v.push_back(makeDbmsJob());
        v.push_back(makeDbmsScheduler());
        v.push_back(makeDbmsRepair());
        v.push_back(makeDbmsLob());
        v.push_back(makeUtlRaw());
        return v;
    }();
    return all;
}

const NativePackage* findNativePackage(std::string_view name)
{
    for (const NativePackage& p : nativePackages()) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
}

const NativePackage* findNativePackageFor(const SessionState& s, std::string_view name)
{
    const NativePackage* p = findNativePackage(name);
    return p && p->sysOnly && s.user != "SYS" ? nullptr : p;
}

std::optional<NativeType> findNativeType(std::string_view package, std::string_view type)
{
    const NativePackage* p = findNativePackage(package);
    if (!p)
        return std::nullopt;
    for (size_t i = 0; i < p->types.size() && i < p->typeKinds.size(); ++i)
        if (p->types[i] == type)
            return p->typeKinds[i];
    return std::nullopt;
}

NativeInterpreterHooks& nativeInterpreterHooks()
{
    static NativeInterpreterHooks hooks;
    return hooks;
}

NativeSessionState::~NativeSessionState()
{
    for (auto& [id, f] : files)
        if (f.fp)
            std::fclose(f.fp);
    for (auto& [id, c] : sqlCursors)
        if (c && c->rows)
            c->rows->close();
}

NativeSessionState& nativeState(SessionState& s)
{
    if (!s.native)
        s.native = std::make_shared<NativeSessionState>();
    return *s.native;
}

void releaseNativeState(SessionState& s)
{
    if (!s.native)
        return;
    std::shared_ptr<NativeSessionState> gone = std::move(s.native);
    s.native.reset();
    // Written lines still waiting in a file's buffer reach the file, as when Oracle closes a session's files.
    for (auto& [id, f] : gone->files)
        if (f.fp && !f.pendingWrite.empty())
            std::fwrite(f.pendingWrite.data(), 1, f.pendingWrite.size(), f.fp);
}

namespace native {

NativeRoutine routine(std::string name, std::vector<NativeParam> params, NativeFunction run,
    std::optional<NativeType> returns, bool usableInSql)
{
    NativeRoutine r;
    r.name = std::move(name);
    r.params = std::move(params);
    r.run = std::move(run);
    r.returns = returns;
    r.usableInSql = usableInSql;
    return r;
}

NativeParam in(std::string name, NativeType type)
{
    NativeParam p;
    p.name = std::move(name);
    p.type = type;
    return p;
}

NativeParam inDefault(std::string name, NativeType type, Value defaultValue)
{
    NativeParam p = in(std::move(name), type);
    p.hasDefault = true;
    p.defaultValue = std::move(defaultValue);
    return p;
}

NativeParam out(std::string name, NativeType type)
{
    NativeParam p = in(std::move(name), type);
    p.mode = ParamMode::Out;
    return p;
}

NativeParam inOut(std::string name, NativeType type)
{
    NativeParam p = in(std::move(name), type);
    p.mode = ParamMode::InOut;
    return p;
}

const Value& arg(NativeCall& c, size_t i)
{
    static const Value none;
    return i < c.args.size() ? c.args[i] : none;
}

bool isNull(NativeCall& c, size_t i)
{
    return arg(c, i).isNull();
}

std::string text(NativeCall& c, size_t i)
{
    return arg(c, i).toString();
}

std::optional<double> number(NativeCall& c, size_t i)
{
    const Value& v = arg(c, i);
    switch (v.kind) {
    case Value::Kind::Integer:
        return static_cast<double>(v.integer);
    case Value::Kind::Real:
        return v.real;
    case Value::Kind::Text:
        try {
            size_t used = 0;
            double d = std::stod(v.text, &used);
            if (used == v.text.size())
                return d;
        } catch (const std::exception&) {
        }
        fail(6502, "PL/SQL: numeric or value error: character to number conversion error");
    default:
        return std::nullopt;
    }
}

std::optional<int64_t> integer(NativeCall& c, size_t i)
{
    const Value& v = arg(c, i);
    if (v.kind == Value::Kind::Integer)
        return v.integer;
    std::optional<double> d = number(c, i);
    if (!d)
        return std::nullopt;
    if (!std::isfinite(*d) || std::fabs(*d) > 9.2e18)
        fail(6502, "PL/SQL: numeric or value error: number precision too large");
    return static_cast<int64_t>(std::llround(*d));
}

bool boolean(NativeCall& c, size_t i, bool whenNull)
{
    std::optional<int64_t> v = integer(c, i);
    return v ? *v != 0 : whenNull;
}

void setOut(NativeCall& c, size_t i, Value v)
{
    if (i < c.args.size())
        c.args[i] = std::move(v);
}

Value boolValue(bool b)
{
    return Value::fromInt(b ? 1 : 0);
}

OraType declaredType(NativeCall& c, size_t i)
{
    if (i < c.argTypes.size())
        return c.argTypes[i];
    const Value& v = arg(c, i);
    switch (v.kind) {
    case Value::Kind::Integer:
    case Value::Kind::Real:
        return OraType::Number;
    case Value::Kind::Date:
        return OraType::Date;
    case Value::Kind::Blob:
        return OraType::Raw;
    case Value::Kind::Text:
        return OraType::Varchar2;
    case Value::Kind::Null:
        break;
    }
    if (i < c.outTypes.size())
        return c.outTypes[i];
    return OraType::Varchar2;
}

void fail(int code, const std::string& text)
{
    throw oraError(code, text);
}

void cancelled()
{
    fail(1013, "user requested cancel of current operation");
}

bool waitUntil(SessionState& s, std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done,
    const std::function<void(std::chrono::milliseconds)>& wait)
{
    using namespace std::chrono;
    constexpr milliseconds kSlice(20);
    for (;;) {
        if (s.interrupted)
            cancelled();
        if (done())
            return true;
        auto now = steady_clock::now();
        if (now >= deadline)
            return false;
        auto left = duration_cast<milliseconds>(deadline - now) + milliseconds(1);
        wait(std::min(left, kSlice));
    }
}

} // namespace native
} // namespace engine::plsql
