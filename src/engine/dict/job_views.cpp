// The job queue's dictionary views: DBA_/ALL_/USER_JOBS and DBA_JOBS_RUNNING over JOB$, the scheduler's
// DBA_/ALL_/USER_SCHEDULER_JOBS, _SCHEDULER_RUNNING_JOBS and _SCHEDULER_JOB_RUN_DETAILS over SCHEDULER$_JOB and its
// run log, and the running jobs read live from the coordinator (ORA$JOB_RUNS). Oracle's INTERVAL DAY TO SECOND
// columns (LAST_RUN_DURATION, RUN_DURATION, ELAPSED_TIME, CPU_USED, SCHEDULE_LIMIT, MAX_RUN_DURATION) are left out:
// the engine has no such type, and a query naming one fails with ORA-00904 rather than getting another type.
#include "engine/dict/job_views.h"

#include "engine/dict/view_builder.h"
#include "engine/jobs/coordinator.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"
#include "engine/sysview/live_table.h"

#include <unistd.h>

namespace engine::dict {

namespace {

using namespace detail;

const sysview::LiveTable& jobRunsTable()
{
    static const sysview::LiveTable t { "ORA$JOB_RUNS",
        { "KIND", "ID", "OWNER", "NAME", "SID", "SERIAL#", "STARTED", "SLAVE", "FAILURES", "LAST_DATE" },
        [](SessionState& self) {
            sysview::LiveRows rows;
            if (!self.db->jobs)
                return rows;
            for (const jobs::RunningJob& r : self.db->jobs->running()) {
                // A run is listed from the moment its session is there.
                if (!r.sid)
                    continue;
                rows.push_back({ Value::fromText(r.scheduler ? "S" : "J"), Value::fromInt(r.id),
                    Value::fromText(r.owner), Value::fromText(r.name), Value::fromInt(r.sid), Value::fromInt(r.serial),
                    Value::fromDate(r.started), Value::fromText(r.slave), Value::fromInt(r.failures),
                    r.lastDate.empty() ? Value::null() : Value::fromDate(r.lastDate) });
            }
            return rows;
        } };
    return t;
}

const char* const kCurrentUser = "(SELECT \"NAME\" FROM \"USER$\" WHERE \"USER#\" = ORA_UID())";

std::string timeOf(const std::string& date)
{
    return "substr(" + date + ", 12, 8)";
}

std::string flag(const std::string& column)
{
    return "CASE WHEN " + column + " <> 0 THEN 'TRUE' ELSE 'FALSE' END";
}

void addClassicViews(std::vector<FixedObject>& out)
{
    const auto N = num();
    ViewTrio j;
    j.suffix = "JOBS";
    j.cols = { { "JOB!", N, "j.\"JOB\"" }, { "LOG_USER!", vc(128), "j.\"LOWNER\"" },
        { "PRIV_USER!", vc(128), "j.\"POWNER\"" }, { "SCHEMA_USER!", vc(128), "j.\"COWNER\"" },
        { "LAST_DATE", date(), "j.\"LAST_DATE\"" }, { "LAST_SEC", vc(8), timeOf("j.\"LAST_DATE\"") },
        { "THIS_DATE", date(), "j.\"THIS_DATE\"" }, { "THIS_SEC", vc(8), timeOf("j.\"THIS_DATE\"") },
        { "NEXT_DATE!", date(), "j.\"NEXT_DATE\"" }, { "NEXT_SEC", vc(8), timeOf("j.\"NEXT_DATE\"") },
        { "TOTAL_TIME", N, "j.\"TOTAL\"" }, { "BROKEN", vc(1), "CASE WHEN j.\"BROKEN\" <> 0 THEN 'Y' ELSE 'N' END" },
        { "INTERVAL!", vc(200), "j.\"INTERVAL#\"" }, { "FAILURES", N, "j.\"FAILURES\"" },
        { "WHAT", vc(4000), "j.\"WHAT\"" }, { "NLS_ENV", vc(4000), "j.\"NLSENV\"" },
        { "MISC_ENV", raw(32), "x'0102000200000000'" }, { "INSTANCE", N, "j.\"INSTANCE\"" } };
    j.from = "FROM \"JOB$\" j";
    j.ownerIdExpr = "0";
    j.objectIdExpr = "0";
    // A user's jobs are those whose rights they run with; ALL_JOBS shows the same ones, as in Oracle.
    j.userFilter = std::string("j.\"POWNER\" = ") + kCurrentUser;
    j.allFilter = j.userFilter;
    j.userDrops = {};
    addTrio(out, j);

    out.push_back(makeFixed("DBA_JOBS_RUNNING",
        { { "SID", N, "r.\"SID\"" }, { "JOB", N, "r.\"ID\"" }, { "FAILURES", N, "r.\"FAILURES\"" },
            { "LAST_DATE", date(), "r.\"LAST_DATE\"" }, { "LAST_SEC", vc(8), timeOf("r.\"LAST_DATE\"") },
            { "THIS_DATE", date(), "r.\"STARTED\"" }, { "THIS_SEC", vc(8), timeOf("r.\"STARTED\"") },
            { "INSTANCE", N, "0" } },
        "FROM \"ORA$JOB_RUNS\" r WHERE r.\"KIND\" = 'J'", FixedAccess::Dictionary));
}

std::string allJobsFilter(const std::string& ownerColumn)
{
    return ownerColumn + " = " + kCurrentUser + " OR ORA_PRIV_SYS('CREATE ANY JOB') = 1";
}

void addSchedulerViews(std::vector<FixedObject>& out)
{
    const auto N = num();
    const std::string calendar = "instr(j.\"REPEAT_INTERVAL\", '=') > 0";
    ViewTrio s;
    s.suffix = "SCHEDULER_JOBS";
    s.cols = { { "OWNER", vc(128), "u.\"NAME\"" }, { "JOB_NAME", vc(128), "o.\"NAME\"" },
        { "JOB_SUBNAME", vc(128), "" }, { "JOB_STYLE", vc(17), "'REGULAR'" },
        { "JOB_CREATOR", vc(128), "j.\"CREATOR\"" }, { "CLIENT_ID", vc(65), "" }, { "GLOBAL_UID", vc(33), "" },
        { "PROGRAM_OWNER", vc(4000), "" }, { "PROGRAM_NAME", vc(4000), "" }, { "JOB_TYPE", vc(16), "j.\"JOB_TYPE\"" },
        { "JOB_ACTION", vc(4000), "j.\"ACTION\"" }, { "NUMBER_OF_ARGUMENTS", N, "j.\"NARGS\"" },
        { "SCHEDULE_OWNER", vc(4000), "" }, { "SCHEDULE_NAME", vc(4000), "" },
        { "SCHEDULE_TYPE", vc(12),
            "CASE WHEN j.\"REPEAT_INTERVAL\" IS NULL THEN CASE WHEN j.\"START_DATE\" IS NULL THEN 'IMMEDIATE' ELSE "
            "'ONCE' END WHEN "
                + calendar + " THEN 'CALENDAR' ELSE 'PLSQL' END" },
        { "START_DATE", date(), "j.\"START_DATE\"" }, { "REPEAT_INTERVAL", vc(4000), "j.\"REPEAT_INTERVAL\"" },
        { "EVENT_QUEUE_OWNER", vc(128), "" }, { "EVENT_QUEUE_NAME", vc(128), "" }, { "EVENT_QUEUE_AGENT", vc(523), "" },
        { "EVENT_CONDITION", vc(4000), "" }, { "EVENT_RULE", vc(261), "" }, { "FILE_WATCHER_OWNER", vc(261), "" },
        { "FILE_WATCHER_NAME", vc(261), "" }, { "END_DATE", date(), "j.\"END_DATE\"" },
        { "JOB_CLASS", vc(128), "j.\"CLASS\"" }, { "ENABLED", vc(5), flag("j.\"ENABLED\"") },
        { "AUTO_DROP", vc(5), flag("j.\"AUTO_DROP\"") },
        { "RESTART_ON_RECOVERY", vc(5), flag("j.\"RESTART_ON_RECOVERY\"") },
        { "RESTART_ON_FAILURE", vc(5), flag("j.\"RESTART_ON_FAILURE\"") }, { "STATE", vc(15), "j.\"STATE\"" },
        { "JOB_PRIORITY", N, "j.\"PRIORITY\"" }, { "RUN_COUNT", N, "j.\"RUN_COUNT\"" }, { "UPTIME_RUN_COUNT", N, "" },
        { "MAX_RUNS", N, "j.\"MAX_RUNS\"" }, { "FAILURE_COUNT", N, "j.\"FAILURE_COUNT\"" },
        { "UPTIME_FAILURE_COUNT", N, "" }, { "MAX_FAILURES", N, "j.\"MAX_FAILURES\"" },
        { "RETRY_COUNT", N, "j.\"RETRY_COUNT\"" }, { "LAST_START_DATE", date(), "j.\"LAST_START_DATE\"" },
        { "NEXT_RUN_DATE", date(), "j.\"NEXT_RUN_DATE\"" },
        { "LOGGING_LEVEL", vc(11),
            "CASE j.\"LOGGING_LEVEL\" WHEN 32 THEN 'OFF' WHEN 64 THEN 'RUNS' WHEN 128 THEN 'FAILED RUNS' WHEN 256 "
            "THEN 'FULL' END" },
        { "STORE_OUTPUT", vc(5), "'TRUE'" }, { "STOP_ON_WINDOW_CLOSE", vc(5), flag("j.\"STOP_ON_WINDOW_CLOSE\"") },
        { "INSTANCE_STICKINESS", vc(5), "'TRUE'" }, { "RAISE_EVENTS", vc(4000), "" }, { "SYSTEM", vc(5), "'FALSE'" },
        { "JOB_WEIGHT", N, "1" }, { "NLS_ENV", vc(4000), "j.\"NLSENV\"" }, { "SOURCE", vc(128), "" },
        { "NUMBER_OF_DESTINATIONS", N, "1" }, { "DESTINATION_OWNER", vc(261), "" }, { "DESTINATION", vc(261), "" },
        { "CREDENTIAL_OWNER", vc(128), "" }, { "CREDENTIAL_NAME", vc(128), "" }, { "INSTANCE_ID", N, "" },
        { "DEFERRED_DROP", vc(5), "'FALSE'" }, { "ALLOW_RUNS_IN_RESTRICTED_MODE", vc(5), "'FALSE'" },
        { "COMMENTS", vc(4000), "j.\"COMMENTS\"" }, { "FLAGS", N, "0" },
        { "RESTARTABLE", vc(5), flag("j.\"RESTARTABLE\"") }, { "HAS_CONSTRAINTS", vc(5), "'FALSE'" },
        { "CONNECT_CREDENTIAL_OWNER", vc(128), "" }, { "CONNECT_CREDENTIAL_NAME", vc(128), "" },
        { "FAIL_ON_SCRIPT_ERROR", vc(5), "'FALSE'" } };
    s.from = "FROM \"SCHEDULER$_JOB\" j JOIN \"OBJ$\" o ON o.\"OBJ#\" = j.\"OBJ#\" JOIN \"USER$\" u ON u.\"USER#\" = "
             "o.\"OWNER#\"";
    s.ownerIdExpr = "o.\"OWNER#\"";
    s.objectIdExpr = "o.\"OBJ#\"";
    s.allFilter = allJobsFilter("u.\"NAME\"");
    addTrio(out, s);

    ViewTrio r;
    r.suffix = "SCHEDULER_RUNNING_JOBS";
    r.cols = { { "OWNER", vc(128), "r.\"OWNER\"" }, { "JOB_NAME", vc(128), "r.\"NAME\"" },
        { "JOB_SUBNAME", vc(128), "" }, { "JOB_STYLE", vc(17), "'REGULAR'" }, { "DETACHED", vc(5), "'FALSE'" },
        { "SESSION_ID", N, "r.\"SID\"" }, { "SLAVE_PROCESS_ID", N, "CAST(substr(r.\"SLAVE\", 2) AS INTEGER)" },
        { "SLAVE_OS_PROCESS_ID", vc(12), "'" + std::to_string(::getpid()) + "'" }, { "RUNNING_INSTANCE", N, "1" },
        { "RESOURCE_CONSUMER_GROUP", vc(32), "" }, { "DESTINATION_OWNER", vc(128), "" }, { "DESTINATION", vc(128), "" },
        { "CREDENTIAL_OWNER", vc(128), "" }, { "CREDENTIAL_NAME", vc(128), "" }, { "LOG_ID", N, "" } };
    r.from = "FROM \"ORA$JOB_RUNS\" r";
    r.where = "r.\"KIND\" = 'S'";
    r.ownerIdExpr = "0";
    r.objectIdExpr = "0";
    r.allFilter = allJobsFilter("r.\"OWNER\"");
    r.userFilter = std::string("r.\"OWNER\" = ") + kCurrentUser;
    addTrio(out, r);

    ViewTrio d;
    d.suffix = "SCHEDULER_JOB_RUN_DETAILS";
    d.cols = { { "LOG_ID!", N, "d.\"LOG_ID\"" }, { "LOG_DATE", date(), "d.\"LOG_DATE\"" },
        { "OWNER", vc(128), "d.\"OWNER\"" }, { "JOB_NAME", vc(261), "d.\"JOB_NAME\"" }, { "JOB_SUBNAME", vc(261), "" },
        { "STATUS", vc(30), "d.\"STATUS\"" }, { "ERROR#", N, "d.\"ERROR#\"" },
        { "REQ_START_DATE", date(), "d.\"REQ_START_DATE\"" },
        { "ACTUAL_START_DATE", date(), "d.\"ACTUAL_START_DATE\"" }, { "INSTANCE_ID", N, "1" },
        { "SESSION_ID", vc(128), "d.\"SESSION_ID\"" }, { "SLAVE_PID", vc(30), "" }, { "CREDENTIAL_OWNER", vc(261), "" },
        { "CREDENTIAL_NAME", vc(261), "" }, { "DESTINATION_OWNER", vc(128), "" }, { "DESTINATION", vc(128), "" },
        { "ADDITIONAL_INFO", vc(4000), "d.\"ADDITIONAL_INFO\"" }, { "ERRORS", vc(4000), "d.\"ERRORS\"" },
        { "OUTPUT", vc(4000), "d.\"OUTPUT\"" } };
    d.from = "FROM \"SCHEDULER$_JOB_RUN_DETAILS\" d";
    d.ownerIdExpr = "0";
    d.objectIdExpr = "0";
    d.allFilter = allJobsFilter("d.\"OWNER\"");
    d.userFilter = std::string("d.\"OWNER\" = ") + kCurrentUser;
    d.userDrops = {};
    addTrio(out, d);
}

} // namespace

void addJobViews(std::vector<FixedObject>& out)
{
    addClassicViews(out);
    addSchedulerViews(out);
}

void registerJobRuns(sqlite3* conn, SessionState& s)
{
    sysview::registerLiveTable(conn, s, jobRunsTable());
}

} // namespace engine::dict
