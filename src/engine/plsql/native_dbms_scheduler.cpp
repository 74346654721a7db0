// DBMS_SCHEDULER: jobs with names (OBJ$ rows of type JOB in their owner's schema), PL/SQL block or stored procedure
// actions, calendar or PL/SQL expression schedules, states and a run log. As in Oracle every call commits what the
// session had pending and takes effect at once; the job queue (jobs/coordinator.h) runs the jobs.
#include "engine/catalog/catalog.h"
#include "engine/exec/dml_triggers.h"
#include "engine/exec/executor.h"
#include "engine/jobs/calendar.h"
#include "engine/jobs/coordinator.h"
#include "engine/jobs/schedule.h"
#include "engine/plsql/native_state.h"
#include "engine/plsql/values.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <cctype>

namespace engine::plsql {

namespace {

using namespace native;
using jobs::SchedulerJob;

constexpr int64_t kLoggingOff = 32, kLoggingRuns = 64, kLoggingFailedRuns = 128, kLoggingFull = 256;

struct JobName {
    std::string owner, name;
    std::string quoted() const { return "\"" + owner + "\".\"" + name + "\""; }
};

std::string upperText(std::string t)
{
    for (char& ch : t)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return t;
}

std::string trimmed(const std::string& t)
{
    size_t b = t.find_first_not_of(" \t\r\n");
    size_t e = t.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : t.substr(b, e - b + 1);
}

[[noreturn]] void invalidName(const std::string& text)
{
    fail(27452, "\"" + text + "\" is an invalid name for a database object.");
}

// One part of a name: "Quoted" as written, else upper-cased; a letter first, then letters, digits, _ $ #.
std::string namePart(const std::string& part, const std::string& whole)
{
    std::string p = trimmed(part);
    if (p.size() >= 2 && p.front() == '"' && p.back() == '"') {
        p = p.substr(1, p.size() - 2);
        if (p.empty() || p.size() > 128 || p.find('"') != std::string::npos)
            invalidName(whole);
        return p;
    }
    if (p.empty() || p.size() > 128 || !std::isalpha(static_cast<unsigned char>(p[0])))
        invalidName(whole);
    for (char ch : p)
        if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '_' && ch != '$' && ch != '#')
            invalidName(whole);
    return upperText(p);
}

JobName jobName(SessionState& s, const std::string& text)
{
    const std::string t = trimmed(text);
    size_t dot = std::string::npos;
    bool inQuotes = false;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '"')
            inQuotes = !inQuotes;
        else if (t[i] == '.' && !inQuotes) {
            if (dot != std::string::npos)
                invalidName(t);
            dot = i;
        }
    }
    if (dot == std::string::npos)
        return { s.schema, namePart(t, t) };
    return { namePart(t.substr(0, dot), t), namePart(t.substr(dot + 1), t) };
}

// The names of a comma-separated list ("job1, scott.job2").
std::vector<JobName> jobNames(SessionState& s, const std::string& list)
{
    std::vector<JobName> r;
    std::string item;
    bool inQuotes = false;
    for (char ch : list + ",") {
        if (ch == '"')
            inQuotes = !inQuotes;
        if (ch == ',' && !inQuotes) {
            if (!trimmed(item).empty())
                r.push_back(jobName(s, item));
            item.clear();
        } else {
            item += ch;
        }
    }
    if (r.empty())
        fail(27452, "\"" + list + "\" is an invalid name for a database object.");
    return r;
}

[[noreturn]] void unknownJob(const JobName& n)
{
    fail(27475, "unknown job " + n.quoted());
}

// A user works on the jobs of his own schema; another schema's jobs need CREATE ANY JOB.
void checkRights(SessionState& s, const JobName& n)
{
    if (n.owner != s.user && !s.sysdba && !priv::hasSystemPrivilege(s, "CREATE ANY JOB"))
        fail(27486, "insufficient privileges");
}

SchedulerJob findJob(SessionState& s, const JobName& n)
{
    std::optional<int64_t> obj;
    std::optional<SchedulerJob> j;
    {
        std::lock_guard conn(s.connMutex);
        obj = jobs::findSchedulerJob(s.conn, n.owner, n.name);
        if (obj)
            j = jobs::readSchedulerJob(s.conn, *obj);
    }
    if (!j)
        unknownJob(n);
    checkRights(s, n);
    return *j;
}

// A change of the scheduler's tables: it commits what the session had pending, then writes and commits at once.
void schedulerChange(SessionState& s, const std::function<void(sqlite3*)>& change, bool objectsChanged = false)
{
    exec::checkNotInTrigger(s, "COMMIT");
    session::commit(s);
    {
        session::WriteScope w(s);
        s.undo->setCapturing(false);
        try {
            change(s.conn);
            w.commitSqlite();
        } catch (...) {
            w.rollbackSqlite();
            s.undo->setCapturing(true);
            throw;
        }
        s.undo->setCapturing(true);
    }
    if (objectsChanged)
        s.db->ddlGeneration++;
    jobs::coordinatorOf(s).wake();
}

std::string dateArg(NativeCall& c, size_t i)
{
    const Value& v = arg(c, i);
    if (v.isNull())
        return {};
    Value d = dateOf(v, c.session);
    return d.isNull() ? std::string() : d.text;
}

[[noreturn]] void invalidValue(const std::string& value, const std::string& attribute)
{
    fail(27465, "invalid value " + value + " for attribute " + attribute);
}

std::string checkedJobType(const std::string& value)
{
    const std::string t = upperText(trimmed(value));
    if (t == "PLSQL_BLOCK" || t == "STORED_PROCEDURE")
        return t;
    if (t == "EXECUTABLE" || t == "CHAIN" || t == "SQL_SCRIPT" || t == "EXTERNAL_SCRIPT" || t == "BACKUP_SCRIPT")
        fail(3001, "unimplemented feature: job type " + t);
    invalidValue(value.empty() ? "NULL" : value, "JOB_TYPE");
}

// A repeat interval is a calendar string or a PL/SQL expression that gives a DATE; both are checked now.
void checkRepeatInterval(SessionState& s, const std::string& interval)
{
    if (interval.empty())
        return;
    if (jobs::isCalendarSyntax(interval)) {
        jobs::parseCalendar(interval);
        return;
    }
    try {
        std::vector<Bind> none;
        ExecResult r = exec::executeNested(s, "SELECT (" + interval + ") FROM DUAL", none);
        if (r.cursor && r.cursor->next() && !r.cursor->value(0).isNull()
            && r.cursor->value(0).kind != Value::Kind::Date)
            invalidValue(interval, "REPEAT_INTERVAL");
    } catch (const Error& e) {
        if (e.code() == 27465)
            throw;
        invalidValue(interval, "REPEAT_INTERVAL");
    }
}

void checkJobClass(const std::string& value)
{
    std::string c = upperText(trimmed(value));
    if (c.rfind("SYS.", 0) == 0)
        c = c.substr(4);
    if (!c.empty() && c != "DEFAULT_JOB_CLASS")
        fail(27476, "\"SYS\".\"" + c + "\" does not exist");
}

// An enabled job that is not running gets its next run from its schedule.
void schedule(SchedulerJob& j)
{
    if (j.state == "RUNNING")
        return;
    if (!j.enabled) {
        j.state = "DISABLED";
        return;
    }
    if (j.startDate.empty())
        j.startDate = jobs::nowText(); // a calendar's reference date from now on
    j.nextRunDate = jobs::firstRunDate(j, jobs::now());
    j.state = "SCHEDULED";
    j.retryCount = 0;
}

std::optional<Value> createJob(NativeCall& c)
{
    SessionState& s = c.session;
    JobName n = jobName(s, text(c, 0));
    catalog::Catalog cat(s.conn);
    std::optional<catalog::UserRow> owner;
    {
        std::lock_guard conn(s.connMutex);
        owner = cat.user(n.owner);
    }
    if (!owner || owner->type != 1)
        fail(1435, "user does not exist");
    const bool own = n.owner == s.user;
    if (!s.sysdba && !priv::hasSystemPrivilege(s, "CREATE ANY JOB")
        && !(own && priv::hasSystemPrivilege(s, "CREATE JOB")))
        fail(27486, "insufficient privileges");
    SchedulerJob j;
    j.owner = n.owner;
    j.name = n.name;
    j.jobType = checkedJobType(text(c, 1));
    j.action = text(c, 2);
    if (j.action.empty())
        invalidValue("NULL", "JOB_ACTION");
    std::optional<int64_t> args = integer(c, 3);
    if (args && *args != 0)
        fail(3001, "unimplemented feature: job arguments");
    j.startDate = dateArg(c, 4);
    j.repeatInterval = trimmed(text(c, 5));
    j.endDate = dateArg(c, 6);
    checkJobClass(text(c, 7));
    j.enabled = boolean(c, 8);
    j.autoDrop = boolean(c, 9, true);
    j.comments = text(c, 10);
    if (!isNull(c, 11) || !isNull(c, 12))
        fail(3001, "unimplemented feature: remote jobs (credential or destination)");
    checkRepeatInterval(s, j.repeatInterval);
    j.creator = s.user;
    j.nlsEnv = jobs::nlsEnvText(s.fctx.nlsDateFormat);
    schedule(j);
    schedulerChange(
        s,
        [&](sqlite3* conn) {
            catalog::Catalog cat(conn);
            if (cat.object(owner->id, j.name, catalog::namespaceOf(jobs::kTypeJob)))
                fail(27477, n.quoted() + " already exists");
            j.obj = cat.addObject(owner->id, j.name, jobs::kTypeJob);
            jobs::insertSchedulerJob(conn, j);
        },
        true);
    return std::nullopt;
}

std::optional<Value> runJob(NativeCall& c)
{
    SessionState& s = c.session;
    const bool currentSession = boolean(c, 1, true);
    for (const JobName& n : jobNames(s, text(c, 0))) {
        SchedulerJob j = findJob(s, n);
        if (!currentSession) {
            exec::checkNotInTrigger(s, "COMMIT");
            session::commit(s);
            jobs::coordinatorOf(s).runNow(j.obj, j.owner, j.name);
            continue;
        }
        // In the caller's session: the run is logged, the job's counters and schedule stay as they are, and an
        // error reaches the caller.
        exec::checkNotInTrigger(s, "COMMIT");
        session::commit(s);
        const std::string started = jobs::nowText();
        std::optional<Error> failure;
        try {
            if (j.numberOfArguments > 0)
                fail(3001, "unimplemented feature: job arguments");
            std::vector<Bind> binds;
            std::string block;
            if (j.jobType == "STORED_PROCEDURE") {
                block = "BEGIN " + j.action + "; END;";
            } else {
                block = "DECLARE job_owner VARCHAR2(128) := :job_owner; job_name VARCHAR2(128) := :job_name; "
                        "job_subname VARCHAR2(128) := NULL; job_start DATE := :job_start; "
                        "job_scheduled_start DATE := :job_start; BEGIN\n"
                    + j.action + "\nEND;";
                Bind o;
                o.name = "JOB_OWNER";
                o.value = Value::fromText(j.owner);
                Bind nm;
                nm.name = "JOB_NAME";
                nm.value = Value::fromText(j.name);
                Bind st;
                st.name = "JOB_START";
                st.type = OraType::Date;
                st.value = Value::fromDate(started);
                binds = { o, nm, st };
            }
            exec::executeNested(s, block, binds);
            session::commit(s);
        } catch (const Error& e) {
            failure = e;
            session::rollback(s);
        }
        if (j.loggingLevel != kLoggingOff && (j.loggingLevel != kLoggingFailedRuns || failure)) {
            jobs::RunDetail d;
            d.owner = j.owner;
            d.jobName = j.name;
            d.status = failure ? "FAILED" : "SUCCEEDED";
            d.error = failure ? failure->code() : 0;
            d.requestedStart = started;
            d.actualStart = started;
            d.durationSeconds
                = std::max<int64_t>(0, fn::toSecondNumber(jobs::now()) - fn::toSecondNumber(jobs::dateOf(started)));
            d.sessionId = std::to_string(s.sid) + "," + std::to_string(s.info.serial);
            if (failure)
                d.errors = failure->message() + "\n";
            schedulerChange(s, [&](sqlite3* conn) { jobs::insertRunDetail(conn, d); });
        }
        if (failure)
            throw *failure;
    }
    return std::nullopt;
}

std::optional<Value> stopJob(NativeCall& c)
{
    SessionState& s = c.session;
    const bool force = boolean(c, 1);
    exec::checkNotInTrigger(s, "COMMIT");
    session::commit(s);
    for (const JobName& n : jobNames(s, text(c, 0))) {
        SchedulerJob j = findJob(s, n);
        if (force && !s.sysdba && !priv::hasSystemPrivilege(s, "MANAGE SCHEDULER"))
            fail(27486, "insufficient privileges");
        const std::string reason
            = std::string(force ? "Stop job with force called by user: '" : "Stop job called by user: '") + s.user
            + "'";
        if (!jobs::coordinatorOf(s).stopRun(j.obj, reason))
            fail(27366, "job " + n.quoted() + " is not running");
    }
    return std::nullopt;
}

std::optional<Value> dropJob(NativeCall& c)
{
    SessionState& s = c.session;
    const bool force = boolean(c, 1);
    const bool defer = boolean(c, 2);
    exec::checkNotInTrigger(s, "COMMIT");
    session::commit(s);
    for (const JobName& n : jobNames(s, text(c, 0))) {
        SchedulerJob j = findJob(s, n);
        jobs::Coordinator& queue = jobs::coordinatorOf(s);
        if (queue.isRunning(true, j.obj)) {
            if (defer)
                fail(3001, "unimplemented feature: DROP_JOB of a running job with DEFER");
            if (!force)
                fail(27478, "job " + n.quoted() + " is running");
            queue.stopRun(j.obj, "Stop job with force called by user: '" + s.user + "'");
        }
        schedulerChange(
            s,
            [&](sqlite3* conn) {
                catalog::Catalog(conn).removeObject(j.obj);
                storage::Stmt del(conn, R"(DELETE FROM "SCHEDULER$_JOB" WHERE "OBJ#" = ?1)");
                del.bind(1, j.obj).run();
            },
            true);
    }
    return std::nullopt;
}

// Reads, changes and writes one job inside the scheduler's committing write.
void changeJob(SessionState& s, const JobName& n, const std::function<void(SchedulerJob&)>& change)
{
    findJob(s, n);
    schedulerChange(s, [&](sqlite3* conn) {
        std::optional<int64_t> obj = jobs::findSchedulerJob(conn, n.owner, n.name);
        std::optional<SchedulerJob> j = obj ? jobs::readSchedulerJob(conn, *obj) : std::nullopt;
        if (!j)
            unknownJob(n);
        change(*j);
        jobs::updateSchedulerJob(conn, *j);
    });
}

std::optional<Value> enable(NativeCall& c)
{
    SessionState& s = c.session;
    for (const JobName& n : jobNames(s, text(c, 0)))
        changeJob(s, n, [](SchedulerJob& j) {
            const bool wasEnabled = j.enabled && j.state != "DISABLED";
            j.enabled = true;
            // Enabling an enabled job leaves its schedule as it is.
            if (!wasEnabled)
                schedule(j);
        });
    return std::nullopt;
}

std::optional<Value> disable(NativeCall& c)
{
    SessionState& s = c.session;
    const bool force = boolean(c, 1);
    for (const JobName& n : jobNames(s, text(c, 0))) {
        const SchedulerJob current = findJob(s, n);
        const bool running = jobs::coordinatorOf(s).isRunning(true, current.obj);
        if (running && !force)
            fail(27478, "job " + n.quoted() + " is running");
        changeJob(s, n, [&](SchedulerJob& j) {
            j.enabled = false;
            // A running job finishes its run and stays disabled then.
            if (!running)
                j.state = "DISABLED";
        });
    }
    return std::nullopt;
}

bool booleanValue(const Value& v, const std::string& attribute)
{
    if (v.kind == Value::Kind::Integer && (v.integer == 0 || v.integer == 1))
        return v.integer == 1;
    invalidValue(v.isNull() ? "NULL" : v.toString(), attribute);
}

int64_t numberValue(const Value& v, const std::string& attribute, int64_t low, int64_t high)
{
    if (v.kind == Value::Kind::Integer && v.integer >= low && v.integer <= high)
        return v.integer;
    if (v.kind == Value::Kind::Real && v.real == static_cast<double>(static_cast<int64_t>(v.real))
        && v.real >= static_cast<double>(low) && v.real <= static_cast<double>(high))
        return static_cast<int64_t>(v.real);
    invalidValue(v.isNull() ? "NULL" : v.toString(), attribute);
}

// SET_ATTRIBUTE and SET_ATTRIBUTE_NULL (value NULL): the attributes of an inline-scheduled job.
void setAttribute(NativeCall& c, const Value& value)
{
    SessionState& s = c.session;
    JobName n = jobName(s, text(c, 0));
    const std::string attribute = upperText(trimmed(text(c, 1)));
    const std::string textValue = value.isNull() ? std::string() : value.toString();
    // Checked before anything is written, so a refused value changes nothing.
    std::string date;
    if (attribute == "START_DATE" || attribute == "END_DATE") {
        Value d = value.isNull() ? Value::null() : dateOf(value, s);
        date = d.isNull() ? std::string() : d.text;
    } else if (attribute == "REPEAT_INTERVAL") {
        checkRepeatInterval(s, trimmed(textValue));
    } else if (attribute == "JOB_CLASS") {
        checkJobClass(textValue);
    } else if (attribute == "NUMBER_OF_ARGUMENTS") {
        if (!value.isNull() && numberValue(value, attribute, 0, 255) != 0)
            fail(3001, "unimplemented feature: job arguments");
    }
    static const char* const kUnsupported[] = { "PROGRAM_NAME", "SCHEDULE_NAME", "EVENT_SPEC", "SCHEDULE_LIMIT",
        "MAX_RUN_DURATION", "INSTANCE_STICKINESS", "RAISE_EVENTS", "JOB_WEIGHT", "STORE_OUTPUT", "INSTANCE_ID",
        "DESTINATION", "DESTINATION_NAME", "CREDENTIAL_NAME", "CONNECT_CREDENTIAL_NAME", "PARALLEL_INSTANCES",
        "ALLOW_RUNS_IN_RESTRICTED_MODE", "FOLLOW_DEFAULT_TIMEZONE", "DATABASE_ROLE", "JOB_STYLE", "NLS_ENV" };
    for (const char* u : kUnsupported)
        if (attribute == u)
            fail(3001, "unimplemented feature: job attribute " + attribute);
    changeJob(s, n, [&](SchedulerJob& j) {
        bool reschedule = false;
        if (attribute == "AUTO_DROP")
            j.autoDrop = booleanValue(value, attribute);
        else if (attribute == "RESTARTABLE")
            j.restartable = booleanValue(value, attribute);
        else if (attribute == "RESTART_ON_RECOVERY")
            j.restartOnRecovery = booleanValue(value, attribute);
        else if (attribute == "RESTART_ON_FAILURE")
            j.restartOnFailure = booleanValue(value, attribute);
        else if (attribute == "STOP_ON_WINDOW_CLOSE")
            j.stopOnWindowClose = booleanValue(value, attribute);
        else if (attribute == "LOGGING_LEVEL") {
            int64_t level = value.isNull() ? kLoggingRuns : numberValue(value, attribute, 0, 1024);
            if (level != kLoggingOff && level != kLoggingRuns && level != kLoggingFailedRuns && level != kLoggingFull)
                invalidValue(std::to_string(level), attribute);
            j.loggingLevel = level;
        } else if (attribute == "MAX_FAILURES") {
            j.maxFailures
                = value.isNull() ? std::nullopt : std::optional<int64_t>(numberValue(value, attribute, 1, 1000000));
        } else if (attribute == "MAX_RUNS") {
            j.maxRuns
                = value.isNull() ? std::nullopt : std::optional<int64_t>(numberValue(value, attribute, 1, 1000000));
        } else if (attribute == "JOB_PRIORITY") {
            j.priority = value.isNull() ? 3 : numberValue(value, attribute, 1, 5);
        } else if (attribute == "COMMENTS") {
            j.comments = textValue;
        } else if (attribute == "JOB_ACTION") {
            if (textValue.empty())
                invalidValue("NULL", attribute);
            j.action = textValue;
        } else if (attribute == "JOB_TYPE") {
            j.jobType = checkedJobType(textValue);
        } else if (attribute == "JOB_CLASS") {
            j.jobClass = "DEFAULT_JOB_CLASS";
        } else if (attribute == "NUMBER_OF_ARGUMENTS") {
            j.numberOfArguments = 0;
        } else if (attribute == "START_DATE") {
            j.startDate = date;
            reschedule = true;
        } else if (attribute == "END_DATE") {
            j.endDate = date;
        } else if (attribute == "REPEAT_INTERVAL") {
            j.repeatInterval = trimmed(textValue);
            reschedule = true;
        } else {
            fail(27469, attribute + " is not a valid job attribute");
        }
        if (reschedule && j.enabled && j.state != "RUNNING")
            schedule(j);
    });
}

std::optional<Value> setAttributeValue(NativeCall& c)
{
    setAttribute(c, arg(c, 2));
    return std::nullopt;
}

std::optional<Value> setAttributeNull(NativeCall& c)
{
    setAttribute(c, Value::null());
    return std::nullopt;
}

} // namespace

NativePackage makeDbmsScheduler()
{
    using T = NativeType;
    NativePackage p;
    p.name = "DBMS_SCHEDULER";
    const Value none = Value::null();
    p.routines.push_back(routine("CREATE_JOB",
        { in("JOB_NAME", T::Varchar2), in("JOB_TYPE", T::Varchar2), in("JOB_ACTION", T::Varchar2),
            inDefault("NUMBER_OF_ARGUMENTS", T::Integer, Value::fromInt(0)),
            inDefault("START_DATE", T::AnyScalar, none), inDefault("REPEAT_INTERVAL", T::Varchar2, none),
            inDefault("END_DATE", T::AnyScalar, none),
            inDefault("JOB_CLASS", T::Varchar2, Value::fromText("DEFAULT_JOB_CLASS")),
            inDefault("ENABLED", T::Boolean, Value::fromInt(0)), inDefault("AUTO_DROP", T::Boolean, Value::fromInt(1)),
            inDefault("COMMENTS", T::Varchar2, none), inDefault("CREDENTIAL_NAME", T::Varchar2, none),
            inDefault("DESTINATION_NAME", T::Varchar2, none) },
        createJob));
    p.routines.push_back(routine("RUN_JOB",
        { in("JOB_NAME", T::Varchar2), inDefault("USE_CURRENT_SESSION", T::Boolean, Value::fromInt(1)) }, runJob));
    p.routines.push_back(routine("STOP_JOB",
        { in("JOB_NAME", T::Varchar2), inDefault("FORCE", T::Boolean, Value::fromInt(0)),
            inDefault("COMMIT_SEMANTICS", T::Varchar2, Value::fromText("STOP_ON_FIRST_ERROR")) },
        stopJob));
    p.routines.push_back(routine("DROP_JOB",
        { in("JOB_NAME", T::Varchar2), inDefault("FORCE", T::Boolean, Value::fromInt(0)),
            inDefault("DEFER", T::Boolean, Value::fromInt(0)),
            inDefault("COMMIT_SEMANTICS", T::Varchar2, Value::fromText("STOP_ON_FIRST_ERROR")) },
        dropJob));
    p.routines.push_back(routine("ENABLE",
        { in("NAME", T::Varchar2), inDefault("COMMIT_SEMANTICS", T::Varchar2, Value::fromText("STOP_ON_FIRST_ERROR")) },
        enable));
    p.routines.push_back(routine("DISABLE",
        { in("NAME", T::Varchar2), inDefault("FORCE", T::Boolean, Value::fromInt(0)),
            inDefault("COMMIT_SEMANTICS", T::Varchar2, Value::fromText("STOP_ON_FIRST_ERROR")) },
        disable));
    p.routines.push_back(routine("SET_ATTRIBUTE",
        { in("NAME", T::Varchar2), in("ATTRIBUTE", T::Varchar2), in("VALUE", T::AnyScalar) }, setAttributeValue));
    p.routines.push_back(
        routine("SET_ATTRIBUTE_NULL", { in("NAME", T::Varchar2), in("ATTRIBUTE", T::Varchar2) }, setAttributeNull));
    p.constants.push_back({ "LOGGING_OFF", T::Integer, Value::fromInt(kLoggingOff) });
    p.constants.push_back({ "LOGGING_RUNS", T::Integer, Value::fromInt(kLoggingRuns) });
    p.constants.push_back({ "LOGGING_FAILED_RUNS", T::Integer, Value::fromInt(kLoggingFailedRuns) });
    p.constants.push_back({ "LOGGING_FULL", T::Integer, Value::fromInt(kLoggingFull) });
    return p;
}

} // namespace engine::plsql
