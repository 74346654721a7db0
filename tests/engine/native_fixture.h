// Calls a native package routine the way the PL/SQL interpreter does: found by package and name, positional values,
// defaults filled for the parameters left out, inside the session's call.
#pragma once

#include "engine/plsql/native.h"
#include "engine/session/session_state.h"
#include "engine_fixture.h"

#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace engine {
// Values in failure messages as their text and kind.
inline void PrintTo(const Value& v, std::ostream* os)
{
    static const char* kinds[] = { "Null", "Integer", "Real", "Text", "Date", "Blob" };
    *os << kinds[static_cast<int>(v.kind)] << "(" << v.toString() << ")";
}
} // namespace engine

namespace enginetest {

struct NativeResult {
    std::optional<engine::Value> returned;
    std::vector<engine::Value> args; // after the call: OUT values written back
    std::vector<std::vector<engine::Value>> tables;
};

struct NativeArgs {
    std::vector<engine::Value> values;
    std::vector<engine::OraType> outTypes; // per parameter position; empty when not given
    std::vector<engine::OraType> argTypes;
    std::vector<std::vector<engine::Value>> tables;
};

inline const engine::plsql::NativeRoutine& nativeRoutine(const std::string& package, const std::string& name)
{
    const engine::plsql::NativePackage* p = engine::plsql::findNativePackage(package);
    if (!p)
        throw std::runtime_error("no package " + package);
    for (const auto& r : p->routines)
        if (r.name == name)
            return r;
    throw std::runtime_error("no routine " + package + "." + name);
}

inline NativeResult callNative(engine::Session& s, const std::string& package, const std::string& name, NativeArgs a)
{
    const engine::plsql::NativeRoutine& r = nativeRoutine(package, name);
    std::vector<engine::Value> args = a.values;
    if (args.size() > r.params.size())
        throw std::runtime_error("too many arguments for " + name);
    for (size_t i = args.size(); i < r.params.size(); ++i) {
        if (!r.params[i].hasDefault && r.params[i].mode == engine::plsql::ParamMode::In)
            throw std::runtime_error("missing argument " + r.params[i].name);
        args.push_back(r.params[i].hasDefault ? r.params[i].defaultValue : engine::Value::null());
    }
    engine::SessionState& st = s.state();
    std::lock_guard call(st.callMutex);
    engine::plsql::NativeCall c { st, args, a.outTypes, a.argTypes, a.tables, {} };
    c.tables.resize(r.params.size());
    NativeResult out;
    out.returned = r.run(c);
    out.args = args;
    out.tables = c.tables;
    return out;
}

inline NativeResult callNative(
    engine::Session& s, const std::string& package, const std::string& name, std::vector<engine::Value> values = {})
{
    return callNative(s, package, name, NativeArgs { std::move(values), {}, {}, {} });
}

// The ORA code a call fails with, 0 when it succeeds; the message goes to *message when asked.
template <typename F> int oraCodeOf(F f, std::string* message = nullptr)
{
    try {
        f();
    } catch (const engine::Error& e) {
        if (message)
            *message = e.message();
        return e.code();
    }
    return 0;
}

inline engine::Value num(int64_t v)
{
    return engine::Value::fromInt(v);
}
inline engine::Value txt(const std::string& v)
{
    return engine::Value::fromText(v);
}

} // namespace enginetest
