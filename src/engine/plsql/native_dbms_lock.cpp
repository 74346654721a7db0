// DBMS_LOCK.SLEEP: the session waits, and a cancel (Session::interrupt) ends the wait at once with ORA-01013.
#include "engine/plsql/native_state.h"
#include "engine/session/session_state.h"

#include <cmath>
#include <thread>

namespace engine::plsql {

namespace {

using namespace native;

std::optional<Value> sleep(NativeCall& c)
{
    std::optional<double> seconds = number(c, 0);
    if (!seconds || !std::isfinite(*seconds) || *seconds < 0)
        fail(38148, "invalid time limit specified");
    // Hundredths of a second are the finest step.
    auto hundredths = static_cast<int64_t>(std::llround(*seconds * 100));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(hundredths * 10);
    native::waitUntil(
        c.session, deadline, [] { return false; },
        [](std::chrono::milliseconds slice) { std::this_thread::sleep_for(slice); });
    return std::nullopt;
}

} // namespace

NativePackage makeDbmsLock()
{
    NativePackage p;
    p.name = "DBMS_LOCK";
    NativeRoutine r;
    r.name = "SLEEP";
    r.params = { in("SECONDS", NativeType::Number) };
    r.run = sleep;
    p.routines.push_back(std::move(r));
    return p;
}

} // namespace engine::plsql
