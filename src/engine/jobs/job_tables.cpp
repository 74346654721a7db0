// The job queue's catalog tables and their rows.
#include "engine/jobs/job_tables.h"

#include "engine/storage/sqlite.h"

#include <ctime>

namespace engine::jobs {

namespace {

constexpr const char* kTables = R"(
CREATE TABLE IF NOT EXISTS "JOB$" ("JOB" INTEGER PRIMARY KEY, "LOWNER" TEXT NOT NULL, "POWNER" TEXT NOT NULL,
  "COWNER" TEXT NOT NULL, "NEXT_DATE" TEXT, "INTERVAL#" TEXT NOT NULL, "WHAT" TEXT, "BROKEN" INTEGER NOT NULL DEFAULT 0,
  "FAILURES" INTEGER NOT NULL DEFAULT 0, "LAST_DATE" TEXT, "THIS_DATE" TEXT, "TOTAL" INTEGER NOT NULL DEFAULT 0,
  "NLSENV" TEXT, "ENV" TEXT, "INSTANCE" INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS "SCHEDULER$_JOB" ("OBJ#" INTEGER PRIMARY KEY, "JOB_TYPE" TEXT NOT NULL, "ACTION" TEXT,
  "NARGS" INTEGER NOT NULL DEFAULT 0, "START_DATE" TEXT, "REPEAT_INTERVAL" TEXT, "END_DATE" TEXT, "CLASS" TEXT,
  "ENABLED" INTEGER NOT NULL DEFAULT 0, "AUTO_DROP" INTEGER NOT NULL DEFAULT 1, "RESTARTABLE" INTEGER NOT NULL DEFAULT 0,
  "RESTART_ON_RECOVERY" INTEGER NOT NULL DEFAULT 0, "RESTART_ON_FAILURE" INTEGER NOT NULL DEFAULT 0,
  "STOP_ON_WINDOW_CLOSE" INTEGER NOT NULL DEFAULT 0, "STATE" TEXT NOT NULL, "RUN_COUNT" INTEGER NOT NULL DEFAULT 0,
  "FAILURE_COUNT" INTEGER NOT NULL DEFAULT 0, "RETRY_COUNT" INTEGER NOT NULL DEFAULT 0, "MAX_RUNS" INTEGER,
  "MAX_FAILURES" INTEGER, "LAST_START_DATE" TEXT, "LAST_RUN_DURATION" INTEGER, "NEXT_RUN_DATE" TEXT,
  "LOGGING_LEVEL" INTEGER NOT NULL DEFAULT 64, "PRIORITY" INTEGER NOT NULL DEFAULT 3, "COMMENTS" TEXT,
  "CREATOR" TEXT, "NLSENV" TEXT);
CREATE TABLE IF NOT EXISTS "SCHEDULER$_JOB_RUN_DETAILS" ("LOG_ID" INTEGER PRIMARY KEY, "LOG_DATE" TEXT NOT NULL,
  "OWNER" TEXT NOT NULL, "JOB_NAME" TEXT NOT NULL, "STATUS" TEXT, "ERROR#" INTEGER, "REQ_START_DATE" TEXT,
  "ACTUAL_START_DATE" TEXT, "RUN_DURATION" INTEGER, "SESSION_ID" TEXT, "ADDITIONAL_INFO" TEXT, "ERRORS" TEXT,
  "OUTPUT" TEXT);
)";

ClassicJob classicFrom(const storage::Stmt& q)
{
    ClassicJob j;
    j.job = q.int64(0);
    j.logUser = q.text(1);
    j.privUser = q.text(2);
    j.schemaUser = q.text(3);
    j.nextDate = q.text(4);
    j.interval = q.text(5);
    j.what = q.text(6);
    j.broken = q.int64(7) != 0;
    j.failures = q.int64(8);
    j.lastDate = q.text(9);
    j.thisDate = q.text(10);
    j.totalSeconds = q.int64(11);
    j.nlsEnv = q.text(12);
    j.miscEnv = q.text(13);
    j.instance = q.int64(14);
    return j;
}

constexpr const char* kClassicColumns = R"("JOB", "LOWNER", "POWNER", "COWNER", "NEXT_DATE", "INTERVAL#", "WHAT",
  "BROKEN", "FAILURES", "LAST_DATE", "THIS_DATE", "TOTAL", "NLSENV", "ENV", "INSTANCE")";

void bindClassic(storage::Stmt& s, const ClassicJob& j)
{
    s.bind(1, j.job).bind(2, j.logUser).bind(3, j.privUser).bind(4, j.schemaUser).bind(5, j.nextDate);
    s.bind(6, j.interval).bind(7, j.what).bind(8, j.broken ? 1 : 0).bind(9, j.failures).bind(10, j.lastDate);
    s.bind(11, j.thisDate).bind(12, j.totalSeconds).bind(13, j.nlsEnv).bind(14, j.miscEnv).bind(15, j.instance);
}

constexpr const char* kSchedulerSelect = R"(SELECT j."OBJ#", u."NAME", o."NAME", j."JOB_TYPE", j."ACTION", j."NARGS",
  j."START_DATE", j."REPEAT_INTERVAL", j."END_DATE", j."CLASS", j."ENABLED", j."AUTO_DROP", j."RESTARTABLE",
  j."RESTART_ON_RECOVERY", j."RESTART_ON_FAILURE", j."STOP_ON_WINDOW_CLOSE", j."STATE", j."RUN_COUNT",
  j."FAILURE_COUNT", j."RETRY_COUNT", j."MAX_RUNS", j."MAX_FAILURES", j."LAST_START_DATE", j."LAST_RUN_DURATION",
  j."NEXT_RUN_DATE", j."LOGGING_LEVEL", j."PRIORITY", j."COMMENTS", j."CREATOR", j."NLSENV"
  FROM "SCHEDULER$_JOB" j JOIN "OBJ$" o ON o."OBJ#" = j."OBJ#" JOIN "USER$" u ON u."USER#" = o."OWNER#" )";

std::optional<int64_t> optionalInt(const storage::Stmt& q, int i)
{
    if (q.isNull(i))
        return std::nullopt;
    return q.int64(i);
}

SchedulerJob schedulerFrom(const storage::Stmt& q)
{
    SchedulerJob j;
    j.obj = q.int64(0);
    j.owner = q.text(1);
    j.name = q.text(2);
    j.jobType = q.text(3);
    j.action = q.text(4);
    j.numberOfArguments = q.int64(5);
    j.startDate = q.text(6);
    j.repeatInterval = q.text(7);
    j.endDate = q.text(8);
    j.jobClass = q.text(9);
    j.enabled = q.int64(10) != 0;
    j.autoDrop = q.int64(11) != 0;
    j.restartable = q.int64(12) != 0;
    j.restartOnRecovery = q.int64(13) != 0;
    j.restartOnFailure = q.int64(14) != 0;
    j.stopOnWindowClose = q.int64(15) != 0;
    j.state = q.text(16);
    j.runCount = q.int64(17);
    j.failureCount = q.int64(18);
    j.retryCount = q.int64(19);
    j.maxRuns = optionalInt(q, 20);
    j.maxFailures = optionalInt(q, 21);
    j.lastStartDate = q.text(22);
    j.lastRunSeconds = optionalInt(q, 23);
    j.nextRunDate = q.text(24);
    j.loggingLevel = q.int64(25);
    j.priority = q.int64(26);
    j.comments = q.text(27);
    j.creator = q.text(28);
    j.nlsEnv = q.text(29);
    return j;
}

void bindOptional(storage::Stmt& s, int i, const std::optional<int64_t>& v)
{
    if (v)
        s.bind(i, *v);
    else
        s.bindNull(i);
}

void bindScheduler(storage::Stmt& s, const SchedulerJob& j)
{
    s.bind(1, j.obj).bind(2, j.jobType).bind(3, j.action).bind(4, j.numberOfArguments).bind(5, j.startDate);
    s.bind(6, j.repeatInterval).bind(7, j.endDate).bind(8, j.jobClass).bind(9, j.enabled ? 1 : 0);
    s.bind(10, j.autoDrop ? 1 : 0).bind(11, j.restartable ? 1 : 0).bind(12, j.restartOnRecovery ? 1 : 0);
    s.bind(13, j.restartOnFailure ? 1 : 0).bind(14, j.stopOnWindowClose ? 1 : 0).bind(15, j.state);
    s.bind(16, j.runCount).bind(17, j.failureCount).bind(18, j.retryCount);
    bindOptional(s, 19, j.maxRuns);
    bindOptional(s, 20, j.maxFailures);
    s.bind(21, j.lastStartDate);
    bindOptional(s, 22, j.lastRunSeconds);
    s.bind(23, j.nextRunDate).bind(24, j.loggingLevel).bind(25, j.priority).bind(26, j.comments);
    s.bind(27, j.creator).bind(28, j.nlsEnv);
}

constexpr const char* kSchedulerColumns = R"("OBJ#", "JOB_TYPE", "ACTION", "NARGS", "START_DATE", "REPEAT_INTERVAL",
  "END_DATE", "CLASS", "ENABLED", "AUTO_DROP", "RESTARTABLE", "RESTART_ON_RECOVERY", "RESTART_ON_FAILURE",
  "STOP_ON_WINDOW_CLOSE", "STATE", "RUN_COUNT", "FAILURE_COUNT", "RETRY_COUNT", "MAX_RUNS", "MAX_FAILURES",
  "LAST_START_DATE", "LAST_RUN_DURATION", "NEXT_RUN_DATE", "LOGGING_LEVEL", "PRIORITY", "COMMENTS", "CREATOR",
  "NLSENV")";

std::string placeholders(int n)
{
    std::string r;
    for (int i = 1; i <= n; ++i)
        r += (i > 1 ? ", ?" : "?") + std::to_string(i);
    return r;
}

} // namespace

void ensureJobTables(sqlite3* db)
{
    storage::exec(db, kTables);
}

std::optional<ClassicJob> readClassicJob(sqlite3* db, int64_t job)
{
    storage::Stmt q(db, std::string("SELECT ") + kClassicColumns + R"( FROM "JOB$" WHERE "JOB" = ?1)");
    q.bind(1, job);
    if (!q.step())
        return std::nullopt;
    return classicFrom(q);
}

std::vector<ClassicJob> pendingClassicJobs(sqlite3* db)
{
    storage::Stmt q(db,
        std::string("SELECT ") + kClassicColumns
            + R"( FROM "JOB$" WHERE "BROKEN" = 0 AND "NEXT_DATE" IS NOT NULL ORDER BY "NEXT_DATE", "JOB")");
    std::vector<ClassicJob> r;
    while (q.step())
        r.push_back(classicFrom(q));
    return r;
}

void insertClassicJob(sqlite3* db, const ClassicJob& j)
{
    storage::Stmt s(
        db, std::string(R"(INSERT INTO "JOB$" ()") + kClassicColumns + ") VALUES (" + placeholders(15) + ")");
    bindClassic(s, j);
    s.run();
}

void updateClassicJob(sqlite3* db, const ClassicJob& j)
{
    storage::Stmt s(db, R"(UPDATE "JOB$" SET "LOWNER" = ?2, "POWNER" = ?3, "COWNER" = ?4, "NEXT_DATE" = ?5,
        "INTERVAL#" = ?6, "WHAT" = ?7, "BROKEN" = ?8, "FAILURES" = ?9, "LAST_DATE" = ?10, "THIS_DATE" = ?11,
        "TOTAL" = ?12, "NLSENV" = ?13, "ENV" = ?14, "INSTANCE" = ?15 WHERE "JOB" = ?1)");
    bindClassic(s, j);
    s.run();
}

void deleteClassicJob(sqlite3* db, int64_t job)
{
    storage::Stmt s(db, R"(DELETE FROM "JOB$" WHERE "JOB" = ?1)");
    s.bind(1, job).run();
}

std::optional<SchedulerJob> readSchedulerJob(sqlite3* db, int64_t obj)
{
    storage::Stmt q(db, std::string(kSchedulerSelect) + R"(WHERE j."OBJ#" = ?1)");
    q.bind(1, obj);
    if (!q.step())
        return std::nullopt;
    return schedulerFrom(q);
}

std::optional<int64_t> findSchedulerJob(sqlite3* db, const std::string& owner, const std::string& name)
{
    storage::Stmt q(db, R"(SELECT j."OBJ#" FROM "SCHEDULER$_JOB" j JOIN "OBJ$" o ON o."OBJ#" = j."OBJ#"
        JOIN "USER$" u ON u."USER#" = o."OWNER#" WHERE u."NAME" = ?1 AND o."NAME" = ?2)");
    q.bind(1, owner).bind(2, name);
    if (!q.step())
        return std::nullopt;
    return q.int64(0);
}

std::vector<SchedulerJob> pendingSchedulerJobs(sqlite3* db)
{
    storage::Stmt q(
        db, std::string(kSchedulerSelect) + R"(WHERE j."ENABLED" = 1 AND j."STATE" IN ('SCHEDULED', 'RETRY SCHEDULED')
                 AND j."NEXT_RUN_DATE" IS NOT NULL ORDER BY j."NEXT_RUN_DATE", j."OBJ#")");
    std::vector<SchedulerJob> r;
    while (q.step())
        r.push_back(schedulerFrom(q));
    return r;
}

std::vector<SchedulerJob> schedulerJobsInState(sqlite3* db, const std::string& state)
{
    storage::Stmt q(db, std::string(kSchedulerSelect) + R"(WHERE j."STATE" = ?1 ORDER BY j."OBJ#")");
    q.bind(1, state);
    std::vector<SchedulerJob> r;
    while (q.step())
        r.push_back(schedulerFrom(q));
    return r;
}

void insertSchedulerJob(sqlite3* db, const SchedulerJob& j)
{
    storage::Stmt s(db,
        std::string(R"(INSERT INTO "SCHEDULER$_JOB" ()") + kSchedulerColumns + ") VALUES (" + placeholders(28) + ")");
    bindScheduler(s, j);
    s.run();
}

void updateSchedulerJob(sqlite3* db, const SchedulerJob& j)
{
    storage::Stmt s(db,
        std::string(R"(INSERT OR REPLACE INTO "SCHEDULER$_JOB" ()") + kSchedulerColumns + ") VALUES ("
            + placeholders(28) + ")");
    bindScheduler(s, j);
    s.run();
}

void insertRunDetail(sqlite3* db, const RunDetail& r)
{
    storage::Stmt s(
        db, R"(INSERT INTO "SCHEDULER$_JOB_RUN_DETAILS" ("LOG_ID", "LOG_DATE", "OWNER", "JOB_NAME", "STATUS",
        "ERROR#", "REQ_START_DATE", "ACTUAL_START_DATE", "RUN_DURATION", "SESSION_ID", "ADDITIONAL_INFO", "ERRORS",
        "OUTPUT") VALUES ((SELECT ifnull(max("LOG_ID"), 0) + 1 FROM "SCHEDULER$_JOB_RUN_DETAILS"), ?1, ?2, ?3, ?4, ?5,
        ?6, ?7, ?8, ?9, ?10, ?11, ?12))");
    s.bind(1, nowText()).bind(2, r.owner).bind(3, r.jobName).bind(4, r.status).bind(5, r.error);
    s.bind(6, r.requestedStart).bind(7, r.actualStart).bind(8, r.durationSeconds).bind(9, r.sessionId);
    s.bind(10, r.additionalInfo).bind(11, r.errors).bind(12, r.output);
    s.run();
}

std::string nlsEnvText(const std::string& dateFormat)
{
    std::string quoted;
    for (char ch : dateFormat) {
        quoted += ch;
        if (ch == '\'')
            quoted += ch;
    }
    return "NLS_LANGUAGE='AMERICAN' NLS_TERRITORY='AMERICA' NLS_CURRENCY='$' NLS_ISO_CURRENCY='AMERICA' "
           "NLS_NUMERIC_CHARACTERS='.,' NLS_DATE_FORMAT='"
        + quoted + "' NLS_DATE_LANGUAGE='AMERICAN' NLS_SORT='BINARY'";
}

std::string nlsDateFormatOf(const std::string& nlsEnv)
{
    const std::string key = "NLS_DATE_FORMAT='";
    size_t at = nlsEnv.find(key);
    if (at == std::string::npos)
        return {};
    std::string r;
    for (size_t i = at + key.size(); i < nlsEnv.size(); ++i) {
        if (nlsEnv[i] == '\'') {
            if (i + 1 < nlsEnv.size() && nlsEnv[i + 1] == '\'') {
                r += '\'';
                ++i;
                continue;
            }
            return r;
        }
        r += nlsEnv[i];
    }
    return r;
}

fn::DateTime now()
{
    std::time_t t = std::time(nullptr);
    std::tm local {};
    localtime_r(&t, &local);
    fn::DateTime d;
    d.year = local.tm_year + 1900;
    d.month = local.tm_mon + 1;
    d.day = local.tm_mday;
    d.hour = local.tm_hour;
    d.minute = local.tm_min;
    d.second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return d;
}

std::string nowText()
{
    return fn::toStoredDate(now());
}

} // namespace engine::jobs
