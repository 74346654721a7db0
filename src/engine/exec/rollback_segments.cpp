// ALTER ROLLBACK SEGMENT: brings one of the instance's rollback segments online or takes it offline. The list lives
// in the instance state and the database file (PROPS$), so V$ROLLNAME and V$ROLLSTAT show the change at once and
// after the database is opened again.
#include "engine/exec/system.h"
#include "engine/exec/dml_triggers.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"
#include "engine/sysview/instance_load.h"
#include "engine/sysview/parameters.h"

#include <algorithm>
#include <mutex>

namespace engine::exec {

ExecResult alterRollbackSegment(SessionState& s, const sql::AlterRollbackSegmentStmt& st)
{
    checkNotInTrigger(s, "COMMIT");
    session::commit(s);
    s.readOnlyTransaction = false;
    if (!priv::hasSystemPrivilege(s, "ALTER ROLLBACK SEGMENT"))
        throw oraError(1031, "insufficient privileges");
    std::vector<RollbackSegment> segments;
    {
        std::lock_guard lk(s.db->instance.mutex);
        segments = s.db->instance.rollbackSegments;
    }
    auto it = std::find_if(
        segments.begin(), segments.end(), [&](const RollbackSegment& r) { return r.name == st.segment.name; });
    if (it == segments.end())
        throw oraError(1534, "rollback segment '" + st.segment.name + "' doesn't exist", st.segment.offset);
    // The undo segments of automatic undo management (the instance's own, when no rollback segments are configured)
    // are not altered by hand in Oracle.
    if (it->name.rfind("_SYSSMU", 0) == 0)
        throw oraError(30019, "Illegal rollback Segment operation in Automatic Undo mode", st.segment.offset);
    if (it == segments.begin() && !st.online)
        throw oraError(3001, "unimplemented feature: taking the SYSTEM rollback segment offline", st.segment.offset);
    it->online = st.online;
    sysview::storeProperty(*s.db, sysview::kRollbackSegmentsProperty, sysview::encodeRollbackSegments(segments));
    {
        std::lock_guard lk(s.db->instance.mutex);
        s.db->instance.rollbackSegments = segments;
    }
    ExecResult r;
    r.kind = StatementKind::Ddl;
    return r;
}

} // namespace engine::exec
