// Sessions of one database working at once on several threads: a statement started on another thread, and the
// condition that it waits for a lock (as V$LOCK sees it), so tests wait for states, never for time.
#pragma once

#include "engine/engine_fixture.h"
#include "engine/storage/database_state.h"
#include "support/waitfor.h"

#include <chrono>
#include <functional>
#include <future>
#include <string>

namespace enginetest {

class SessionThreads : public EngineTest {
protected:
    // Runs the statement on another thread; the future gives the ORA code (0 for success).
    static std::future<int> start(engine::Session& s, std::string sql)
    {
        return std::async(std::launch::async, [&s, sql] { return errorOf(s, sql); });
    }
    // True once the session waits for a lock held by another; false when its statement ended first.
    bool waitsForLock(engine::Session& s, std::future<int>& f)
    {
        bool waiting = false;
        testsupport::waitFor([&] {
            waiting = db->state().locks.snapshot().waitsFor.count(s.sessionId()) > 0;
            return waiting || f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        });
        return waiting;
    }
    // The statement's ORA code when it ends without ever waiting for a lock, -1 when it waits: then unblock() ends
    // what it waits for, so that a test of a fault fails instead of hanging.
    int withoutWaiting(engine::Session& s, const std::string& sql, const std::function<void()>& unblock)
    {
        auto f = start(s, sql);
        if (waitsForLock(s, f)) {
            unblock();
            f.get();
            return -1;
        }
        return f.get();
    }
};

} // namespace enginetest
