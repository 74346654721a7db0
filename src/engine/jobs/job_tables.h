// The job queue's catalog tables: JOB$ (DBMS_JOB's jobs), SCHEDULER$_JOB (DBMS_SCHEDULER's jobs, each an OBJ$ row
// of type JOB) and SCHEDULER$_JOB_RUN_DETAILS (the scheduler's run log), made in a database file that lacks them
// when it is opened. JOB$ is written in the submitting session's transaction and carries undo like user data;
// the scheduler's tables change only in statements that commit at once.
#pragma once

#include "engine/fn/datetime.h"

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace engine::jobs {

// OBJ$.TYPE# of a scheduler job.
inline constexpr int kTypeJob = 66;
// The object number under which the lock manager keeps a classic job's row lock (the JOB$ row number is the
// job's number): a session that changes a job holds it until its transaction ends, and the job queue takes it
// only while it starts or finishes a run, so it never starts a job whose change is not committed.
inline constexpr int64_t kJobLockObject = -66;
// The lock manager's holder id of the job queue itself.
inline constexpr int64_t kQueueHolder = -66;
// DBA_JOBS.NEXT_DATE of a broken job.
inline constexpr const char* kBrokenNextDate = "4000-01-01 00:00:00";
// A classic job is marked broken after this many failures in a row.
inline constexpr int kMaxClassicFailures = 16;

// Creates the tables when the file has none (a database made before the job queue existed).
void ensureJobTables(sqlite3* db);

// A DBMS_JOB job as JOB$ holds it.
struct ClassicJob {
    int64_t job = 0;
    std::string logUser, privUser, schemaUser;
    std::string nextDate; // DATE text; kBrokenNextDate while broken
    std::string interval; // the date expression as given ("null" for none)
    std::string what;
    bool broken = false;
    int64_t failures = 0;
    std::string lastDate, thisDate;
    int64_t totalSeconds = 0;
    std::string nlsEnv, miscEnv;
    int64_t instance = 0;
};

std::optional<ClassicJob> readClassicJob(sqlite3* db, int64_t job);
// Jobs that are not broken, soonest first.
std::vector<ClassicJob> pendingClassicJobs(sqlite3* db);
void insertClassicJob(sqlite3* db, const ClassicJob& j);
void updateClassicJob(sqlite3* db, const ClassicJob& j);
void deleteClassicJob(sqlite3* db, int64_t job);

// A DBMS_SCHEDULER job as SCHEDULER$_JOB holds it, with its name from OBJ$.
struct SchedulerJob {
    int64_t obj = 0;
    std::string owner, name;
    std::string jobType = "PLSQL_BLOCK"; // PLSQL_BLOCK or STORED_PROCEDURE
    std::string action;
    int64_t numberOfArguments = 0;
    std::string startDate, repeatInterval, endDate; // DATE texts and the interval as given; empty for none
    std::string jobClass = "DEFAULT_JOB_CLASS";
    bool enabled = false;
    bool autoDrop = true;
    bool restartable = false;
    bool restartOnRecovery = false;
    bool restartOnFailure = false;
    bool stopOnWindowClose = false;
    std::string state = "DISABLED";
    int64_t runCount = 0, failureCount = 0, retryCount = 0;
    std::optional<int64_t> maxRuns, maxFailures;
    std::string lastStartDate;
    std::optional<int64_t> lastRunSeconds;
    std::string nextRunDate;
    int64_t loggingLevel = 64; // DBMS_SCHEDULER.LOGGING_RUNS
    int64_t priority = 3;
    std::string comments;
    std::string creator, nlsEnv;
};

std::optional<SchedulerJob> readSchedulerJob(sqlite3* db, int64_t obj);
// The job's OBJ#, when the owner has a scheduler job of that name.
std::optional<int64_t> findSchedulerJob(sqlite3* db, const std::string& owner, const std::string& name);
// Enabled jobs waiting for their next run, soonest first.
std::vector<SchedulerJob> pendingSchedulerJobs(sqlite3* db);
// Jobs the file says are running: those of a process that ended while they ran.
std::vector<SchedulerJob> schedulerJobsInState(sqlite3* db, const std::string& state);
void insertSchedulerJob(sqlite3* db, const SchedulerJob& j); // the OBJ$ row exists already
void updateSchedulerJob(sqlite3* db, const SchedulerJob& j);

// One row of the scheduler's run log.
struct RunDetail {
    std::string owner, jobName;
    std::string status; // SUCCEEDED, FAILED, STOPPED
    int64_t error = 0;
    std::string requestedStart, actualStart;
    int64_t durationSeconds = 0;
    std::string sessionId; // "sid,serial#"
    std::string additionalInfo;
    std::string errors, output;
};
void insertRunDetail(sqlite3* db, const RunDetail& r);

// NLS_ENV as DBA_JOBS shows it, holding the submitting session's date format, and the date format read back from
// it (empty when it names none).
std::string nlsEnvText(const std::string& dateFormat);
std::string nlsDateFormatOf(const std::string& nlsEnv);
// MISC_ENV of a job, as Oracle writes it.
inline constexpr const char* kMiscEnv = "0102000200000000";

// The current time of the server as a DATE.
fn::DateTime now();
std::string nowText();

} // namespace engine::jobs
