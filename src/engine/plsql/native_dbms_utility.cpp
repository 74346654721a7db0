// DBMS_UTILITY: the elapsed-time counter, and the error and call stacks, which the interpreter answers through
// its hooks.
#include "engine/plsql/native_state.h"

#include <chrono>

namespace engine::plsql {

namespace {

using namespace native;

// Hundredths of a second from an arbitrary point, wrapping within a 32-bit binary integer as Oracle's does, so the
// difference of two readings is an elapsed time only when taken modulo 2^32.
std::optional<Value> getTime(NativeCall&)
{
    using namespace std::chrono;
    auto ticks = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() / 10;
    auto wrapped = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(ticks)));
    return Value::fromInt(wrapped);
}

NativeFunction fromHook(std::function<std::string(SessionState&)> NativeInterpreterHooks::*hook)
{
    return [hook](NativeCall& c) -> std::optional<Value> {
        const auto& f = nativeInterpreterHooks().*hook;
        std::string text = f ? f(c.session) : std::string();
        if (text.empty())
            return Value::null();
        return Value::fromText(std::move(text));
    };
}

NativeRoutine function(std::string name, NativeFunction run)
{
    NativeRoutine r;
    r.name = std::move(name);
    r.returns = NativeType::Varchar2;
    r.run = std::move(run);
    r.usableInSql = true;
    return r;
}

} // namespace

NativePackage makeDbmsUtility()
{
    NativePackage p;
    p.name = "DBMS_UTILITY";
    NativeRoutine time = function("GET_TIME", getTime);
    time.returns = NativeType::Integer;
    p.routines.push_back(std::move(time));
    p.routines.push_back(function("FORMAT_ERROR_STACK", fromHook(&NativeInterpreterHooks::errorStack)));
    p.routines.push_back(function("FORMAT_ERROR_BACKTRACE", fromHook(&NativeInterpreterHooks::errorBacktrace)));
    p.routines.push_back(function("FORMAT_CALL_STACK", fromHook(&NativeInterpreterHooks::callStack)));
    return p;
}

} // namespace engine::plsql
