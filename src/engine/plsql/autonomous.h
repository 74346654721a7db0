// PRAGMA AUTONOMOUS_TRANSACTION: a block that runs a transaction of its own, its caller's suspended meanwhile on the
// same session. Its COMMIT and ROLLBACK end only its own work; leaving it with work pending is ORA-06519.
#pragma once

#include "engine/session/session_state.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace engine::plsql {

class AutonomousTransaction {
public:
    explicit AutonomousTransaction(SessionState& s);
    // Rolls back whatever the autonomous transaction left pending and gives the caller's transaction back.
    ~AutonomousTransaction();
    AutonomousTransaction(const AutonomousTransaction&) = delete;
    AutonomousTransaction& operator=(const AutonomousTransaction&) = delete;

    // The block ended without an error: work still pending is rolled back and is ORA-06519, as Oracle raises it.
    void finish();

private:
    bool pending() const;
    void rollbackOwn();

    SessionState& s_;
    std::unique_ptr<undo::UndoLog> callerUndo_;
    std::vector<Savepoint> callerSavepoints_;
    bool callerInTransaction_ = false;
    bool callerReadOnly_ = false;
    int64_t callerLockFloor_ = 0;
    int callerSqlFunctionDepth_ = 0;
    int hiddenTriggers_ = 0;
};

} // namespace engine::plsql
