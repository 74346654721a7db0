// DBMS_JOB: the classic job queue. Every change is part of the caller's transaction, as in Oracle: the job queue
// sees a submitted job only once it is committed, and a rollback takes the change back. The session holds the
// job's row lock (jobs::kJobLockObject) until its transaction ends; a user touches only the jobs he submitted.
#include "engine/exec/dml_triggers.h"
#include "engine/exec/executor.h"
#include "engine/jobs/coordinator.h"
#include "engine/jobs/schedule.h"
#include "engine/plsql/native_state.h"
#include "engine/plsql/runtime.h"
#include "engine/plsql/values.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <cctype>

namespace engine::plsql {

namespace {

using namespace native;
using jobs::ClassicJob;

// Stands for SYSDATE as a parameter's default: the native routines learn the call's time themselves.
const char* const kNow = "$SYSDATE$";

std::string wrapperBlock(const std::string& what)
{
    return "DECLARE job BINARY_INTEGER := :job; next_date DATE := :mydate; broken BOOLEAN := FALSE; BEGIN " + what
        + " :mydate := next_date; IF broken THEN :b := 1; ELSE :b := 0; END IF; END;";
}

std::vector<Bind> wrapperBinds(int64_t job, const std::string& nextDate)
{
    Bind j;
    j.name = "JOB";
    j.type = OraType::Number;
    j.value = Value::fromInt(job);
    Bind d;
    d.name = "MYDATE";
    d.type = OraType::Date;
    d.dir = BindDir::InOut;
    d.value = nextDate.empty() ? Value::null() : Value::fromDate(nextDate);
    Bind b;
    b.name = "B";
    b.type = OraType::Number;
    b.dir = BindDir::Out;
    return { j, d, b };
}

bool isNullInterval(const std::string& interval)
{
    std::string t;
    for (char ch : interval)
        if (!std::isspace(static_cast<unsigned char>(ch)))
            t += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return t.empty() || t == "NULL";
}

// A DATE argument (text converted with the session's date format); kNow is the call's time.
std::string dateArg(NativeCall& c, size_t i)
{
    const Value& v = arg(c, i);
    if (v.kind == Value::Kind::Text && v.text == kNow)
        return jobs::nowText();
    if (v.isNull())
        return {};
    Value d = dateOf(v, c.session);
    return d.isNull() ? std::string() : d.text;
}

int64_t jobArg(NativeCall& c, size_t i)
{
    std::optional<int64_t> job = integer(c, i);
    if (!job)
        fail(23421, "job number NULL is not a job in the job queue");
    return *job;
}

// The value of the interval's date expression now, on the caller's session: empty for NULL.
std::string intervalDate(SessionState& s, const std::string& interval)
{
    if (isNullInterval(interval))
        return {};
    std::vector<Bind> none;
    ExecResult r = exec::executeNested(s, "SELECT (" + interval + ") FROM DUAL", none);
    if (!r.cursor || !r.cursor->next() || r.cursor->value(0).isNull())
        return {};
    const Value v = r.cursor->value(0);
    if (v.kind != Value::Kind::Date)
        fail(932, "inconsistent datatypes: expected DATE got NUMBER");
    return v.text;
}

// Oracle refuses an interval that gives a date not in the future.
void checkInterval(SessionState& s, const std::string& interval)
{
    std::string next = intervalDate(s, interval);
    if (!next.empty() && next <= jobs::nowText())
        fail(23420, "interval must evaluate to a time in the future");
}

void checkWhat(SessionState& s, const std::string& what)
{
    if (what.empty())
        fail(23319, "parameter value \"WHAT\" is not appropriate");
    checkBlock(s, wrapperBlock(what), wrapperBinds(0, {}));
}

// Takes the job's row lock for the caller's transaction (waiting while the queue or another session holds it).
void lockJob(SessionState& s, int64_t job)
{
    session::releaseWriteLock(s);
    locks::WaitPolicy policy;
    policy.interrupted = &s.interrupted;
    s.db->locks.lockRows(s.sid, jobs::kJobLockObject, { job }, policy);
    s.inTransaction = true;
    jobs::coordinatorOf(s).noteChange(s.sid);
}

// The caller's own job, locked for the transaction; ORA-23421 for any other number.
ClassicJob ownJob(SessionState& s, int64_t job)
{
    lockJob(s, job);
    std::optional<ClassicJob> j;
    {
        std::lock_guard conn(s.connMutex);
        j = jobs::readClassicJob(s.conn, job);
    }
    if (!j || j->logUser != s.user)
        fail(23421, "job number " + std::to_string(job) + " is not a job in the job queue");
    return *j;
}

// Writes the job's row in the caller's transaction, with undo like any row the transaction changes.
void store(SessionState& s, const std::function<void(sqlite3*)>& change)
{
    session::WriteScope w(s);
    change(s.conn);
    s.inTransaction = true;
}

int64_t nextJobNumber(SessionState& s)
{
    // Like Oracle's SYS.JOBSEQ: numbers are never given twice, not even when the SUBMIT is rolled back.
    session::WriteScope w(s);
    int64_t used = storage::queryInt(s.conn, R"(SELECT ifnull(max("JOB"), 0) FROM "JOB$")");
    int64_t seq = storage::queryInt(s.conn, R"(SELECT ifnull(max(CAST("VALUE$" AS INTEGER)), 0) FROM "PROPS$"
        WHERE "NAME" = 'JOBSEQ')");
    int64_t job = std::max(used, seq) + 1;
    storage::Stmt p(s.conn, R"(INSERT OR REPLACE INTO "PROPS$" ("NAME", "VALUE$") VALUES ('JOBSEQ', ?1))");
    p.bind(1, std::to_string(job)).run();
    return job;
}

// Checks the new job's parts, then numbers it (a given number, or the next of the sequence) and writes it.
int64_t addJob(
    NativeCall& c, std::optional<int64_t> number, size_t what, size_t nextDate, size_t interval, size_t noParse)
{
    SessionState& s = c.session;
    ClassicJob j;
    j.what = text(c, what);
    j.nextDate = dateArg(c, nextDate);
    j.interval = isNull(c, interval) ? "null" : text(c, interval);
    if (j.nextDate.empty())
        fail(23319, "parameter value \"NEXT_DATE\" is not appropriate");
    if (!boolean(c, noParse))
        checkWhat(s, j.what);
    else if (j.what.empty())
        fail(23319, "parameter value \"WHAT\" is not appropriate");
    checkInterval(s, j.interval);
    j.logUser = s.user;
    j.privUser = s.user;
    j.schemaUser = s.schema;
    j.nlsEnv = jobs::nlsEnvText(s.fctx.nlsDateFormat);
    j.miscEnv = jobs::kMiscEnv;
    const int64_t job = number ? *number : nextJobNumber(s);
    j.job = job;
    lockJob(s, job);
    store(s, [&](sqlite3* conn) {
        if (jobs::readClassicJob(conn, job))
            fail(1, "unique constraint (SYS.I_JOB_JOB) violated");
        jobs::insertClassicJob(conn, j);
    });
    return job;
}

std::optional<Value> submit(NativeCall& c)
{
    setOut(c, 0, Value::fromInt(addJob(c, std::nullopt, 1, 2, 3, 4)));
    return std::nullopt;
}

std::optional<Value> isubmit(NativeCall& c)
{
    addJob(c, jobArg(c, 0), 1, 2, 3, 4);
    return std::nullopt;
}

std::optional<Value> remove(NativeCall& c)
{
    int64_t job = jobArg(c, 0);
    ownJob(c.session, job);
    // A running job is not stopped: it is removed from the queue, and its current run completes.
    store(c.session, [&](sqlite3* conn) { jobs::deleteClassicJob(conn, job); });
    return std::nullopt;
}

std::optional<Value> broken(NativeCall& c)
{
    int64_t job = jobArg(c, 0);
    ClassicJob j = ownJob(c.session, job);
    j.broken = boolean(c, 1);
    if (j.broken) {
        j.nextDate = jobs::kBrokenNextDate;
    } else {
        j.nextDate = dateArg(c, 2);
        if (j.nextDate.empty())
            fail(23319, "parameter value \"NEXT_DATE\" is not appropriate");
    }
    store(c.session, [&](sqlite3* conn) { jobs::updateClassicJob(conn, j); });
    return std::nullopt;
}

// CHANGE, WHAT, NEXT_DATE and INTERVAL: a NULL leaves that part as it is.
void change(NativeCall& c, std::optional<size_t> what, std::optional<size_t> nextDate, std::optional<size_t> interval)
{
    SessionState& s = c.session;
    int64_t job = jobArg(c, 0);
    ClassicJob j = ownJob(s, job);
    if (what && !isNull(c, *what)) {
        j.what = text(c, *what);
        checkWhat(s, j.what);
    }
    if (nextDate && !isNull(c, *nextDate))
        j.nextDate = dateArg(c, *nextDate);
    if (interval && !isNull(c, *interval)) {
        j.interval = text(c, *interval);
        checkInterval(s, j.interval);
    }
    store(s, [&](sqlite3* conn) { jobs::updateClassicJob(conn, j); });
}

std::optional<Value> changeAll(NativeCall& c)
{
    change(c, 1, 2, 3);
    return std::nullopt;
}

std::optional<Value> changeWhat(NativeCall& c)
{
    if (isNull(c, 1))
        fail(23319, "parameter value \"WHAT\" is not appropriate");
    change(c, 1, std::nullopt, std::nullopt);
    return std::nullopt;
}

std::optional<Value> changeNextDate(NativeCall& c)
{
    if (isNull(c, 1))
        fail(23319, "parameter value \"NEXT_DATE\" is not appropriate");
    change(c, std::nullopt, 1, std::nullopt);
    return std::nullopt;
}

std::optional<Value> changeInterval(NativeCall& c)
{
    SessionState& s = c.session;
    int64_t job = jobArg(c, 0);
    ClassicJob j = ownJob(s, job);
    j.interval = isNull(c, 1) ? "null" : text(c, 1);
    checkInterval(s, j.interval);
    store(s, [&](sqlite3* conn) { jobs::updateClassicJob(conn, j); });
    return std::nullopt;
}

std::optional<Value> changeInstance(NativeCall& c)
{
    SessionState& s = c.session;
    ClassicJob j = ownJob(s, jobArg(c, 0));
    std::optional<int64_t> instance = integer(c, 1);
    // This engine is one instance: 0 (any instance) and 1 are the ones there are.
    if (!instance || *instance < 0 || *instance > 1)
        fail(23428,
            "job associated instance number " + (instance ? std::to_string(*instance) : "NULL") + " is not valid");
    j.instance = *instance;
    store(s, [&](sqlite3* conn) { jobs::updateClassicJob(conn, j); });
    return std::nullopt;
}

// RUN: the job runs now in the caller's session (broken or not), after a commit of what the session had pending.
// Success clears BROKEN and FAILURES and sets the next date; a failure counts and raises ORA-12011.
std::optional<Value> run(NativeCall& c)
{
    SessionState& s = c.session;
    int64_t job = jobArg(c, 0);
    exec::checkNotInTrigger(s, "COMMIT");
    session::commit(s);
    ClassicJob j = ownJob(s, job);
    const std::string started = jobs::nowText();
    std::string intervalNext;
    std::optional<Error> failure;
    std::vector<Bind> binds;
    try {
        intervalNext = intervalDate(s, j.interval);
        binds = wrapperBinds(job, intervalNext);
        exec::executeNested(s, wrapperBlock(j.what), binds);
    } catch (const Error& e) {
        failure = e;
    }
    if (failure) {
        session::rollback(s);
        ClassicJob again = ownJob(s, job);
        ++again.failures;
        if (again.failures >= jobs::kMaxClassicFailures) {
            again.broken = true;
            again.nextDate = jobs::kBrokenNextDate;
        }
        store(s, [&](sqlite3* conn) { jobs::updateClassicJob(conn, again); });
        session::commit(s);
        throw Error(12011, "ORA-12011: execution of 1 jobs failed\n" + failure->message());
    }
    ClassicJob done = ownJob(s, job);
    const std::string next = binds[1].value.isNull() ? std::string() : binds[1].value.text;
    const bool markBroken = binds[2].value.kind == Value::Kind::Integer && binds[2].value.integer == 1;
    store(s, [&](sqlite3* conn) {
        if (next.empty() && !markBroken) {
            jobs::deleteClassicJob(conn, job);
            return;
        }
        done.failures = 0;
        done.lastDate = started;
        done.broken = markBroken;
        done.nextDate = markBroken ? jobs::kBrokenNextDate : next;
        done.totalSeconds
            += std::max<int64_t>(0, fn::toSecondNumber(jobs::now()) - fn::toSecondNumber(jobs::dateOf(started)));
        jobs::updateClassicJob(conn, done);
    });
    session::commit(s);
    return std::nullopt;
}

} // namespace

NativePackage makeDbmsJob()
{
    using T = NativeType;
    NativePackage p;
    p.name = "DBMS_JOB";
    const Value now = Value::fromText(kNow);
    p.routines.push_back(routine("SUBMIT",
        { out("JOB", T::Integer), in("WHAT", T::Varchar2), inDefault("NEXT_DATE", T::AnyScalar, now),
            inDefault("INTERVAL", T::Varchar2, Value::fromText("null")),
            inDefault("NO_PARSE", T::Boolean, Value::fromInt(0)), inDefault("INSTANCE", T::Integer, Value::fromInt(0)),
            inDefault("FORCE", T::Boolean, Value::fromInt(0)) },
        submit));
    p.routines.push_back(routine("ISUBMIT",
        { in("JOB", T::Integer), in("WHAT", T::Varchar2), in("NEXT_DATE", T::AnyScalar),
            inDefault("INTERVAL", T::Varchar2, Value::fromText("null")),
            inDefault("NO_PARSE", T::Boolean, Value::fromInt(0)) },
        isubmit));
    p.routines.push_back(routine("REMOVE", { in("JOB", T::Integer) }, remove));
    p.routines.push_back(routine("BROKEN",
        { in("JOB", T::Integer), in("BROKEN", T::Boolean), inDefault("NEXT_DATE", T::AnyScalar, now) }, broken));
    p.routines.push_back(routine("CHANGE",
        { in("JOB", T::Integer), in("WHAT", T::Varchar2), in("NEXT_DATE", T::AnyScalar), in("INTERVAL", T::Varchar2),
            inDefault("INSTANCE", T::Integer, Value::null()), inDefault("FORCE", T::Boolean, Value::fromInt(0)) },
        changeAll));
    p.routines.push_back(routine("WHAT", { in("JOB", T::Integer), in("WHAT", T::Varchar2) }, changeWhat));
    p.routines.push_back(
        routine("NEXT_DATE", { in("JOB", T::Integer), in("NEXT_DATE", T::AnyScalar) }, changeNextDate));
    p.routines.push_back(routine("INTERVAL", { in("JOB", T::Integer), in("INTERVAL", T::Varchar2) }, changeInterval));
    p.routines.push_back(routine("INSTANCE",
        { in("JOB", T::Integer), in("INSTANCE", T::Integer), inDefault("FORCE", T::Boolean, Value::fromInt(0)) },
        changeInstance));
    p.routines.push_back(
        routine("RUN", { in("JOB", T::Integer), inDefault("FORCE", T::Boolean, Value::fromInt(0)) }, run));
    p.constants.push_back({ "ANY_INSTANCE", T::Integer, Value::fromInt(0) });
    return p;
}

} // namespace engine::plsql
