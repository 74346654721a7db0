// engine::Session: the public face of a session's state.
#include "engine/catalog/schema.h"
#include "engine/engine.h"
#include "engine/exec/cursor.h"
#include "engine/exec/dml_triggers.h"
#include "engine/exec/executor.h"
#include "engine/exec/key_locks.h"
#include "engine/exec/prepared_pool.h"
#include "engine/exec/statement_cache.h"
#include "engine/link/links.h"
#include "engine/plsql/native.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"
#include "engine/sysview/calls.h"
#include "engine/sysview/version.h"

namespace engine {

SessionState::SessionState() = default;

SessionState::~SessionState()
{
    plsql::releaseNativeState(*this);
    exec::forgetCompiledTriggers(*this);
    {
        std::lock_guard lk(connMutex);
        for (auto& w : openCursors)
            if (auto core = w.lock())
                core->release();
        openCursors.clear();
    }
    cache.reset();
    keys.reset();
    prepared.reset();
    undo.reset();
    if (db) {
        {
            std::lock_guard gate(db->gate);
            if (db->pendingWriter == this)
                db->pendingWriter = nullptr;
        }
        std::lock_guard lk(db->sessionsMutex);
        db->sessions.erase(this);
    }
    if (conn)
        sqlite3_close_v2(conn);
}

Session::Session(std::unique_ptr<SessionState> state)
    : state_(std::move(state))
{
}

Session::~Session()
{
    // Logging off ends the transaction the way an abnormal end does: nothing uncommitted is kept. The access layer
    // commits first when a window asks for it.
    try {
        std::lock_guard call(state_->callMutex);
        session::rollback(*state_);
    } catch (const Error&) {
        // The undo stays in UNDO$ and is applied at the next open.
    }
    state_->db->locks.releaseAll(state_->sid);
}

ExecResult Session::execute(std::string_view sql, std::vector<Bind>& binds)
{
    SessionState& s = *state_;
    return sysview::runCall(s, [&] {
        session::endLostTransaction(s);
        int64_t undoRows = sysview::pendingUndoRows(s);
        ExecResult r;
        try {
            r = exec::execute(s, sql, binds);
        } catch (const Error& e) {
            // A failure that cost the transaction part of its work ends it, and says so.
            session::endLostTransaction(s, e.message());
            throw;
        }
        session::endLostTransaction(s);
        sysview::countStatement(s, r, undoRows);
        return r;
    });
}

ExecResult Session::execute(std::string_view sql)
{
    std::vector<Bind> none;
    return execute(sql, none);
}

void Session::commit()
{
    sysview::runCall(*state_, [this] {
        state_->interrupted = false;
        session::commit(*state_);
        state_->readOnlyTransaction = false;
    });
}

void Session::rollback()
{
    sysview::runCall(*state_, [this] {
        ExecResult r;
        r.kind = StatementKind::Rollback;
        int64_t undoRows = sysview::pendingUndoRows(*state_);
        state_->interrupted = false;
        session::rollback(*state_);
        state_->readOnlyTransaction = false;
        sysview::countStatement(*state_, r, undoRows);
    });
}

bool Session::inTransaction() const
{
    return state_->inTransaction;
}

void Session::interrupt()
{
    state_->interrupted = true;
    sqlite3_interrupt(state_->conn);
    state_->db->locks.wakeAll();
    link::interruptRemote(*state_);
}

void Session::enableOutput(int64_t bufferSize)
{
    std::lock_guard call(state_->callMutex);
    state_->outputEnabled = true;
    state_->outputLimit = bufferSize;
}

void Session::disableOutput()
{
    std::lock_guard call(state_->callMutex);
    state_->outputEnabled = false;
    state_->outputLines.clear();
    state_->outputBytes = 0;
}

std::vector<std::string> Session::takeOutputLines()
{
    std::lock_guard call(state_->callMutex);
    std::vector<std::string> lines(state_->outputLines.begin(), state_->outputLines.end());
    state_->outputLines.clear();
    state_->outputBytes = 0;
    return lines;
}

void Session::putOutputLine(const std::string& line)
{
    std::lock_guard call(state_->callMutex);
    if (!state_->outputEnabled)
        return;
    int64_t size = static_cast<int64_t>(line.size());
    if (state_->outputLimit > 0 && state_->outputBytes + size > state_->outputLimit)
        throw oraError(20000, "ORU-10027: buffer overflow, limit of " + std::to_string(state_->outputLimit) + " bytes");
    state_->outputBytes += size;
    state_->outputLines.push_back(line);
}

std::string Session::user() const
{
    return state_->user;
}
std::string Session::currentSchema() const
{
    return state_->schema;
}
int64_t Session::sessionId() const
{
    return state_->sid;
}
std::string Session::serverVersion() const
{
    return sysview::versionBanner(sysview::instanceVersion(*state_->db));
}

} // namespace engine
