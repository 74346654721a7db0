// When a scheduler job runs: its first run once enabled, its next run after one ends, and the state a finished run
// leaves it in. Shared by DBMS_SCHEDULER (which enables and changes jobs) and the coordinator (which runs them).
#pragma once

#include "engine/jobs/job_tables.h"

#include <optional>
#include <string>

namespace engine::jobs {

// Whether the job repeats (it has a repeat interval).
bool repeats(const SchedulerJob& j);

// The first run of a job enabled at `now`: its start date (now when it has none; a start date already past means
// at once), or for a calendar interval the first date of the calendar on or after both. Throws the calendar's
// errors.
std::string firstRunDate(const SchedulerJob& j, const fn::DateTime& now);

// The run after one that ended at `now`: nullopt when the job does not repeat or its end date has passed.
// `expressionNext` is the value a PL/SQL expression interval gave when the run began (empty for none).
std::optional<std::string> nextRunDate(
    const SchedulerJob& j, const fn::DateTime& now, const std::string& expressionNext);

// How a run ended, for the job's state afterwards.
enum class RunEnd { Succeeded, Failed, Stopped };

// The job's counters and state after a run ended (the caller writes the row, and drops the job when `drop`):
// a one-time job SUCCEEDED, FAILED or STOPPED and disabled; a repeating one SCHEDULED again, COMPLETED at its end
// date or MAX_RUNS, BROKEN at MAX_FAILURES; a failed one with RESTART_ON_FAILURE RETRY SCHEDULED. A job that was
// disabled while it ran stays disabled.
struct AfterRun {
    bool drop = false;
};
AfterRun applyRunEnd(SchedulerJob& j, RunEnd end, const fn::DateTime& now, const std::string& expressionNext);

// DATE texts of the calendar; empty text stands for none.
fn::DateTime dateOf(const std::string& stored);

} // namespace engine::jobs
