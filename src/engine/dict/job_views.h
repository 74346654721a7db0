// The job queue's dictionary views (DBA_JOBS, DBA_SCHEDULER_JOBS and their kin) and the live source of the jobs
// running now that several of them read.
#pragma once

#include "engine/dict/fixed.h"

namespace engine::dict {

void addJobViews(std::vector<FixedObject>& out);
// Registers ORA$JOB_RUNS, the running jobs, on a session connection.
void registerJobRuns(sqlite3* conn, SessionState& s);

} // namespace engine::dict
