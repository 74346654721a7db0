// A session's calls as the instance sees them: ACTIVE while one runs, the I/O counters it adds, and the end of a
// session killed by ALTER SYSTEM KILL SESSION (its next call fails with ORA-00028 and later ones with ORA-01012).
#pragma once

#include "engine/engine.h"
#include "engine/session/session_state.h"

#include <type_traits>

namespace engine::sysview {

// Refuses the call of a killed session (rolling its work back if nobody has yet), else marks it ACTIVE.
void enterCall(SessionState& s);
// Marks the session INACTIVE, counts the pages it read from the file and publishes what V$SESSION shows.
void leaveCall(SessionState& s);
// Throws ORA-00028 (after rolling back) when the session was killed while the call ran.
void checkKilled(SessionState& s);
// Adds a finished statement to the session's counters.
void countStatement(SessionState& s, const ExecResult& r, int64_t undoRowsBefore);
// The undo records of the session's transaction that a rollback would apply (cheap: asked before every call).
int64_t pendingUndoRows(SessionState& s);

// Runs one call of the session's client under its call mutex.
template <typename F> auto runCall(SessionState& s, F&& f) -> decltype(f())
{
    std::lock_guard call(s.callMutex);
    enterCall(s);
    struct Leave {
        SessionState& s;
        ~Leave() { leaveCall(s); }
    } leave { s };
    try {
        if constexpr (std::is_void_v<decltype(f())>) {
            f();
            checkKilled(s);
        } else {
            auto r = f();
            checkKilled(s);
            return r;
        }
    } catch (const Error&) {
        checkKilled(s);
        throw;
    }
}

// Identity of a new session: serial number, logon time, client, and the instance's settings read on first use.
// Throws ORA-01035 while restricted session is enabled and the user lacks RESTRICTED SESSION (unless
// `checkRestricted` is false: the engine's own sessions, a job's).
void onLogon(SessionState& s, const ClientInfo& client, bool checkRestricted = true);

// Publishes what V$SESSION shows of the session now (its schema, module, action), outside a call.
void publishSession(SessionState& s);

// ALTER SYSTEM KILL SESSION 'sid,serial#': ORA-00030 when no such session, ORA-00027 for the caller's own,
// ORA-00031 when the victim's running call did not stop in time (it is still killed, as Oracle marks it).
void killSession(SessionState& killer, int64_t sid, int64_t serial);

// The instance's release as five parts, e.g. "19.0.0.0.0".
std::string instanceVersion(DatabaseState& db);

} // namespace engine::sysview
