// The coordinator thread, the job slaves (one thread and one background session per running job) and what a run
// leaves in the queue's tables.
#include "engine/jobs/coordinator.h"

#include "engine/catalog/catalog.h"
#include "engine/jobs/calendar.h"
#include "engine/jobs/schedule.h"
#include "engine/session/connection.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"
#include "engine/sysview/instance_load.h"
#include "engine/sysview/parameters.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace engine::jobs {

struct Coordinator::Run {
    RunningJob info;
    ClassicJob classic;
    SchedulerJob scheduler;
    std::string scheduledStart; // the run's due date
    Session* session = nullptr; // while the run's session lives; guarded by the coordinator's mutex
    bool stopRequested = false;
    std::string stopReason;
};

struct Coordinator::Outcome {
    bool ok = false;
    int code = 0;
    std::string message;
    bool brokenFlag = false; // a classic job set BROKEN := TRUE
    std::string newNext; // a classic job's NEXT_DATE after its run (empty: none)
    std::string intervalNext; // what the interval gave before the run (empty: none)
    int64_t seconds = 0;
};

namespace {

// A job's row lock is held under an id of its own, so two runs finishing at once never release each other's.
int64_t classicHolder(int64_t job)
{
    return kQueueHolder - 1000000 - job;
}

std::chrono::system_clock::time_point timeOf(const std::string& stored)
{
    fn::DateTime d = dateOf(stored);
    std::tm t {};
    t.tm_year = d.year - 1900;
    t.tm_mon = d.month - 1;
    t.tm_mday = d.day;
    t.tm_hour = d.hour;
    t.tm_min = d.minute;
    t.tm_sec = d.second;
    t.tm_isdst = -1;
    std::time_t tt = std::mktime(&t);
    if (tt == static_cast<std::time_t>(-1))
        return std::chrono::system_clock::now() + std::chrono::hours(24);
    return std::chrono::system_clock::from_time_t(tt);
}

bool isNullInterval(const std::string& interval)
{
    std::string t;
    for (char ch : interval)
        if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n')
            t += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return t.empty() || t == "NULL";
}

// The block Oracle wraps around a job's WHAT: the job's number, its next date and its broken flag are variables
// the job may read and set.
std::string classicBlock(const std::string& what)
{
    return "DECLARE job BINARY_INTEGER := :job; next_date DATE := :mydate; broken BOOLEAN := FALSE; BEGIN " + what
        + " :mydate := next_date; IF broken THEN :b := 1; ELSE :b := 0; END IF; END;";
}

std::string schedulerBlock(const SchedulerJob& j)
{
    if (j.jobType == "STORED_PROCEDURE")
        return "BEGIN " + j.action + "; END;";
    return "DECLARE job_owner VARCHAR2(128) := :job_owner; job_name VARCHAR2(128) := :job_name; "
           "job_subname VARCHAR2(128) := NULL; job_start DATE := :job_start; "
           "job_scheduled_start DATE := :job_scheduled_start; BEGIN\n"
        + j.action + "\nEND;";
}

Bind bindOf(const std::string& name, OraType type, Value v, BindDir dir = BindDir::In)
{
    Bind b;
    b.name = name;
    b.type = type;
    b.value = std::move(v);
    b.dir = dir;
    return b;
}

Value dateValue(const std::string& stored)
{
    return stored.empty() ? Value::null() : Value::fromDate(stored);
}

// The value of a date expression on the session ('SYSDATE + 1/24'): a DATE, or empty for NULL.
std::string evaluateDate(Session& session, const std::string& expression)
{
    ExecResult r = session.execute("SELECT (" + expression + ") FROM DUAL");
    if (!r.cursor || !r.cursor->next())
        return {};
    const Value& v = r.cursor->value(0);
    if (v.isNull())
        return {};
    if (v.kind != Value::Kind::Date)
        throw oraError(932, "inconsistent datatypes: expected DATE got NUMBER");
    return v.text;
}

ClientInfo slaveClient(const std::string& slave)
{
    ClientInfo c = defaultClientInfo();
    c.program = "oracle@" + c.machine + " (" + slave + ")";
    c.terminal = "UNKNOWN";
    return c;
}

int64_t secondsBetween(const std::string& from, const std::string& to)
{
    return std::max<int64_t>(0, fn::toSecondNumber(dateOf(to)) - fn::toSecondNumber(dateOf(from)));
}

} // namespace

Coordinator::Coordinator(DatabaseState& db)
    : db_(db)
{
    conn_ = session::openConnection(db.file);
    try {
        sysview::loadInstance(db_, conn_);
        // A database whose file may not be written is open read-only: no job can run or record its run there.
        if (sqlite3_db_readonly(conn_, "main") == 1)
            return;
        write([](sqlite3* c) { ensureJobTables(c); });
        recover();
    } catch (...) {
        sqlite3_close_v2(conn_);
        throw;
    }
    bool waiting = false;
    {
        std::lock_guard lk(connMutex_);
        waiting = !pendingClassicJobs(conn_).empty() || !pendingSchedulerJobs(conn_).empty();
    }
    if (waiting)
        ensureThread();
}

Coordinator::~Coordinator()
{
    stop();
    sqlite3_close_v2(conn_);
}

void Coordinator::stop()
{
    {
        std::lock_guard lk(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    db_.locks.wakeAll();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
    // Every run ends as its session's call is cancelled; a call that only starts now is cancelled again.
    std::list<std::thread> slaves;
    for (;;) {
        {
            std::unique_lock lk(mutex_);
            for (auto& [key, run] : runs_)
                if (run->session)
                    run->session->interrupt();
            if (runs_.empty()) {
                slaves.splice(slaves.end(), slaves_);
                break;
            }
            changed_.wait_for(lk, std::chrono::milliseconds(20));
        }
    }
    for (std::thread& t : slaves)
        if (t.joinable() && t.get_id() != std::this_thread::get_id())
            t.join();
        else if (t.joinable())
            t.detach();
}

void Coordinator::noteChange(int64_t sid)
{
    std::lock_guard lk(mutex_);
    if (changers_.insert(sid).second)
        ++changerCount_;
}

void Coordinator::transactionEnded(int64_t sid)
{
    if (changerCount_.load() == 0)
        return;
    {
        std::lock_guard lk(mutex_);
        if (changers_.erase(sid) == 0)
            return;
        --changerCount_;
    }
    wake();
}

void Coordinator::wake()
{
    {
        std::lock_guard lk(mutex_);
        wakeRequested_ = true;
    }
    changed_.notify_all();
    ensureThread();
}

void Coordinator::ensureThread()
{
    std::lock_guard lk(mutex_);
    if (!thread_.joinable() && !stopping_)
        thread_ = std::thread([this] { loop(); });
}

std::vector<RunningJob> Coordinator::running()
{
    std::lock_guard lk(mutex_);
    std::vector<RunningJob> r;
    for (const auto& [key, run] : runs_)
        r.push_back(run->info);
    return r;
}

bool Coordinator::isRunning(bool scheduler, int64_t id)
{
    std::lock_guard lk(mutex_);
    return runs_.count({ scheduler, id }) != 0;
}

int64_t Coordinator::processLimit()
{
    std::optional<std::string> v = sysview::instanceParameter(db_, "job_queue_processes");
    if (!v)
        return 0;
    try {
        return std::stoll(*v);
    } catch (const std::exception&) {
        return 0;
    }
}

void Coordinator::write(const std::function<void(sqlite3*)>& change)
{
    std::lock_guard conn(connMutex_);
    std::lock_guard gate(db_.gate);
    if (SessionState* pending = db_.pendingWriter) {
        session::commitPendingOf(*pending);
        db_.pendingWriter = nullptr;
    }
    storage::exec(conn_, "BEGIN IMMEDIATE");
    try {
        change(conn_);
        storage::exec(conn_, "COMMIT");
    } catch (...) {
        sqlite3_exec(conn_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void Coordinator::recover()
{
    const std::string now = nowText();
    bool dropped = false;
    write([&](sqlite3* c) {
        // A run of a process that ended is no longer running; the job is still due, so it runs again.
        storage::exec(c, R"(UPDATE "JOB$" SET "THIS_DATE" = NULL WHERE "THIS_DATE" IS NOT NULL)");
        for (SchedulerJob j : schedulerJobsInState(c, "RUNNING")) {
            if (j.restartOnRecovery || j.restartable) {
                j.state = j.enabled ? "SCHEDULED" : "DISABLED";
                j.nextRunDate = j.enabled ? now : std::string();
            } else {
                RunDetail d;
                d.owner = j.owner;
                d.jobName = j.name;
                d.status = "STOPPED";
                d.requestedStart = j.nextRunDate;
                d.actualStart = j.lastStartDate;
                d.additionalInfo = "REASON=\"ORA-01014: ORACLE shutdown in progress\"";
                if (j.loggingLevel != 32)
                    insertRunDetail(c, d);
                if (applyRunEnd(j, RunEnd::Stopped, dateOf(now), {}).drop) {
                    catalog::Catalog(c).removeObject(j.obj);
                    storage::Stmt del(c, R"(DELETE FROM "SCHEDULER$_JOB" WHERE "OBJ#" = ?1)");
                    del.bind(1, j.obj).run();
                    dropped = true;
                    continue;
                }
            }
            updateSchedulerJob(c, j);
        }
    });
    if (dropped)
        db_.ddlGeneration++;
}

void Coordinator::loop()
{
    std::unique_lock lk(mutex_);
    while (!stopping_) {
        wakeRequested_ = false;
        for (auto it = slaves_.begin(); it != slaves_.end();) {
            auto done = std::find(finishedSlaves_.begin(), finishedSlaves_.end(), it->get_id());
            if (done != finishedSlaves_.end()) {
                finishedSlaves_.erase(done);
                it->join();
                it = slaves_.erase(it);
            } else {
                ++it;
            }
        }
        lk.unlock();
        std::optional<std::chrono::system_clock::time_point> next;
        try {
            next = scan();
        } catch (const Error&) {
            // The file could not be read now (a write held it longer than the busy wait): try again shortly.
            next = std::chrono::system_clock::now() + std::chrono::seconds(1);
        }
        lk.lock();
        if (stopping_ || wakeRequested_)
            continue;
        if (next)
            changed_.wait_until(lk, *next, [this] { return stopping_ || wakeRequested_; });
        else
            changed_.wait(lk, [this] { return stopping_ || wakeRequested_; });
    }
}

std::optional<std::chrono::system_clock::time_point> Coordinator::scan()
{
    const int64_t limit = processLimit();
    std::vector<ClassicJob> classic;
    std::vector<SchedulerJob> scheduler;
    {
        std::lock_guard lk(connMutex_);
        classic = pendingClassicJobs(conn_);
        scheduler = pendingSchedulerJobs(conn_);
    }
    const std::string now = nowText();
    std::string earliest;
    auto later = [&](const std::string& date) {
        if (earliest.empty() || date < earliest)
            earliest = date;
    };
    auto slotFree = [&] {
        std::lock_guard lk(mutex_);
        return static_cast<int64_t>(runs_.size()) < limit;
    };
    for (const ClassicJob& j : classic) {
        if (stopping_)
            return std::nullopt;
        if (isRunning(false, j.job))
            continue;
        if (j.nextDate > now)
            later(j.nextDate);
        else if (slotFree())
            startClassic(j);
    }
    for (const SchedulerJob& j : scheduler) {
        if (stopping_)
            return std::nullopt;
        if (isRunning(true, j.obj))
            continue;
        if (j.nextRunDate > now)
            later(j.nextRunDate);
        else if (slotFree())
            startScheduler(j.obj, false);
    }
    // Due jobs left waiting for a free process are started when a run ends, which wakes the coordinator.
    if (earliest.empty())
        return std::nullopt;
    return timeOf(earliest);
}

bool Coordinator::startClassic(const ClassicJob& due)
{
    const int64_t holder = classicHolder(due.job);
    // A job whose change is not committed yet (or whose run is being recorded) waits for that transaction.
    if (db_.locks.lockFreeRows(holder, kJobLockObject, { due.job }).empty())
        return false;
    struct Release {
        DatabaseState& db;
        int64_t holder;
        ~Release() { db.locks.releaseAll(holder); }
    } release { db_, holder };
    const std::string now = nowText();
    std::optional<ClassicJob> j;
    write([&](sqlite3* c) {
        j = readClassicJob(c, due.job);
        if (!j || j->broken || j->nextDate.empty() || j->nextDate > now) {
            j.reset();
            return;
        }
        j->thisDate = now;
        updateClassicJob(c, *j);
    });
    if (!j)
        return false;
    auto run = std::make_shared<Run>();
    run->classic = *j;
    run->info.scheduler = false;
    run->info.id = j->job;
    run->info.owner = j->logUser;
    run->info.started = now;
    run->info.failures = j->failures;
    run->info.lastDate = j->lastDate;
    run->scheduledStart = j->nextDate;
    launch(run);
    return true;
}

bool Coordinator::startScheduler(int64_t obj, bool requested)
{
    if (isRunning(true, obj))
        return false;
    const std::string now = nowText();
    std::optional<SchedulerJob> j;
    std::string scheduled;
    write([&](sqlite3* c) {
        j = readSchedulerJob(c, obj);
        if (!j)
            return;
        if (!requested
            && (!j->enabled || (j->state != "SCHEDULED" && j->state != "RETRY SCHEDULED") || j->nextRunDate.empty()
                || j->nextRunDate > now)) {
            j.reset();
            return;
        }
        scheduled = requested || j->nextRunDate.empty() ? now : j->nextRunDate;
        j->state = "RUNNING";
        j->lastStartDate = now;
        updateSchedulerJob(c, *j);
    });
    if (!j)
        return false;
    auto run = std::make_shared<Run>();
    run->scheduler = *j;
    run->info.scheduler = true;
    run->info.id = j->obj;
    run->info.owner = j->owner;
    run->info.name = j->name;
    run->info.started = now;
    run->scheduledStart = scheduled;
    launch(run);
    return true;
}

void Coordinator::runNow(int64_t obj, const std::string& owner, const std::string& name)
{
    const std::string quoted = "\"" + owner + "\".\"" + name + "\"";
    if (processLimit() == 0)
        throw oraError(27492, "unable to run job " + quoted + ": scheduler unavailable");
    if (!startScheduler(obj, true))
        throw oraError(27478, "job " + quoted + " is running");
}

std::string Coordinator::freeSlave()
{
    std::set<std::string> used;
    for (const auto& [key, run] : runs_)
        used.insert(run->info.slave);
    for (int i = 0;; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "J%03d", i % 1000);
        if (!used.count(name) || i >= 1000)
            return name;
    }
}

void Coordinator::launch(std::shared_ptr<Run> run)
{
    std::lock_guard lk(mutex_);
    if (stopping_)
        return;
    run->info.slave = freeSlave();
    runs_[{ run->info.scheduler, run->info.id }] = run;
    slaves_.emplace_back([this, run] {
        if (run->info.scheduler)
            runScheduler(run);
        else
            runClassic(run);
        forget(run);
    });
}

void Coordinator::forget(const std::shared_ptr<Run>& run)
{
    {
        std::lock_guard lk(mutex_);
        auto it = runs_.find({ run->info.scheduler, run->info.id });
        if (it != runs_.end() && it->second == run)
            runs_.erase(it);
        finishedSlaves_.push_back(std::this_thread::get_id());
        wakeRequested_ = true;
    }
    changed_.notify_all();
}

namespace {

// The background session of a run, listed in V$SESSION as the job's process with the job's module and action.
std::unique_ptr<Session> openRunSession(DatabaseState& db, const std::string& user, const std::string& schema,
    const std::string& nlsEnv, const std::string& slave, const std::string& action)
{
    return Database::backgroundSession(db, user, schema, slaveClient(slave), [&](SessionState& s) {
        std::string format = nlsDateFormatOf(nlsEnv);
        if (!format.empty())
            s.fctx.setNlsDateFormat(format);
        s.fctx.module = "DBMS_SCHEDULER";
        s.fctx.action = action;
    });
}

} // namespace

void Coordinator::runOnSession(Run& run, const std::string& user, const std::string& schema, const std::string& nlsEnv,
    const std::string& action, Outcome& o, const std::function<void(Session&)>& body)
{
    std::unique_ptr<Session> session;
    try {
        session = openRunSession(db_, user, schema, nlsEnv, run.info.slave, action);
    } catch (const Error& e) {
        o.code = e.code();
        o.message = e.message();
    }
    if (session) {
        bool stopNow = false;
        {
            std::lock_guard lk(mutex_);
            run.session = session.get();
            run.info.sid = session->sessionId();
            run.info.serial = session->state().info.serial;
            stopNow = run.stopRequested;
        }
        try {
            if (stopNow)
                throw oraError(1013, "user requested cancel of current operation");
            body(*session);
            session->commit();
            o.ok = true;
        } catch (const Error& e) {
            o.code = e.code();
            o.message = e.message();
            try {
                session->rollback();
            } catch (const Error&) {
            }
        }
        std::lock_guard lk(mutex_);
        run.session = nullptr;
    }
    session.reset();
    o.seconds = secondsBetween(run.info.started, nowText());
}

void Coordinator::runClassic(std::shared_ptr<Run> run)
{
    const ClassicJob& j = run->classic;
    Outcome o;
    std::vector<Bind> binds;
    runOnSession(*run, j.privUser, j.schemaUser, j.nlsEnv, "JOB " + std::to_string(j.job), o, [&](Session& session) {
        if (!isNullInterval(j.interval))
            o.intervalNext = evaluateDate(session, j.interval);
        binds = { bindOf("JOB", OraType::Number, Value::fromInt(j.job)),
            bindOf("MYDATE", OraType::Date, dateValue(o.intervalNext), BindDir::InOut),
            bindOf("B", OraType::Number, Value::null(), BindDir::Out) };
        session.execute(classicBlock(j.what), binds);
    });
    if (o.ok) {
        o.newNext = binds[1].value.isNull() ? std::string() : binds[1].value.text;
        o.brokenFlag = binds[2].value.kind == Value::Kind::Integer && binds[2].value.integer == 1;
    }
    if (!stopping_)
        finishClassic(*run, o);
}

void Coordinator::finishClassic(const Run& run, const Outcome& o)
{
    const int64_t job = run.classic.job;
    const int64_t holder = classicHolder(job);
    locks::WaitPolicy policy;
    policy.interrupted = &stopping_;
    try {
        // A session that changes the job now holds its row until its transaction ends; the run's result waits.
        db_.locks.lockRows(holder, kJobLockObject, { job }, policy);
    } catch (const Error&) {
        db_.locks.releaseAll(holder);
        return;
    }
    struct Release {
        DatabaseState& db;
        int64_t holder;
        ~Release() { db.locks.releaseAll(holder); }
    } release { db_, holder };
    const fn::DateTime now = jobs::now();
    try {
        write([&](sqlite3* c) {
            std::optional<ClassicJob> cur = readClassicJob(c, job);
            if (!cur)
                return; // removed while it ran
            cur->thisDate.clear();
            if (o.ok) {
                cur->failures = 0;
                cur->lastDate = run.info.started;
                cur->totalSeconds += o.seconds;
                if (o.brokenFlag) {
                    cur->broken = true;
                    cur->nextDate = kBrokenNextDate;
                } else if (o.newNext.empty()) {
                    // A job without a next date has run for the last time.
                    deleteClassicJob(c, job);
                    return;
                } else {
                    cur->broken = false;
                    cur->nextDate = o.newNext;
                }
            } else {
                ++cur->failures;
                if (cur->failures >= kMaxClassicFailures) {
                    cur->broken = true;
                    cur->nextDate = kBrokenNextDate;
                } else {
                    // Tried again after 1, 2, 4 ... minutes, and at the latest when the interval says.
                    int shift = static_cast<int>(std::min<int64_t>(cur->failures - 1, 20));
                    std::string retry
                        = fn::toStoredDate(fn::fromSecondNumber(fn::toSecondNumber(now) + (int64_t(60) << shift)));
                    if (!o.intervalNext.empty() && o.intervalNext < retry)
                        retry = o.intervalNext;
                    cur->nextDate = retry;
                }
            }
            updateClassicJob(c, *cur);
        });
    } catch (const Error&) {
        // The row stays as it was; the job runs again when it is due.
    }
}

void Coordinator::runScheduler(std::shared_ptr<Run> run)
{
    const SchedulerJob& j = run->scheduler;
    Outcome o;
    runOnSession(*run, j.owner, j.owner, j.nlsEnv, j.name, o, [&](Session& session) {
        if (repeats(j) && !isCalendarSyntax(j.repeatInterval))
            o.intervalNext = evaluateDate(session, j.repeatInterval);
        if (j.numberOfArguments > 0)
            throw oraError(3001, "unimplemented feature: job arguments");
        std::vector<Bind> binds;
        if (j.jobType != "STORED_PROCEDURE") {
            binds.push_back(bindOf("JOB_OWNER", OraType::Varchar2, Value::fromText(j.owner)));
            binds.push_back(bindOf("JOB_NAME", OraType::Varchar2, Value::fromText(j.name)));
            binds.push_back(bindOf("JOB_START", OraType::Date, dateValue(run->info.started)));
            binds.push_back(bindOf("JOB_SCHEDULED_START", OraType::Date, dateValue(run->scheduledStart)));
        }
        session.execute(schedulerBlock(j), binds);
    });
    if (!stopping_)
        finishScheduler(*run, o);
}

void Coordinator::finishScheduler(const Run& run, const Outcome& o)
{
    bool stopped = false;
    std::string reason;
    {
        std::lock_guard lk(mutex_);
        stopped = run.stopRequested;
        reason = run.stopReason;
    }
    const RunEnd end = stopped ? RunEnd::Stopped : o.ok ? RunEnd::Succeeded : RunEnd::Failed;
    const fn::DateTime now = jobs::now();
    bool dropped = false;
    try {
        write([&](sqlite3* c) {
            std::optional<SchedulerJob> j = readSchedulerJob(c, run.info.id);
            const int64_t level = j ? j->loggingLevel : run.scheduler.loggingLevel;
            const bool log = level != 32 && (level != 128 || end == RunEnd::Failed);
            if (log) {
                RunDetail d;
                d.owner = run.info.owner;
                d.jobName = run.info.name;
                d.status = end == RunEnd::Stopped ? "STOPPED" : end == RunEnd::Succeeded ? "SUCCEEDED" : "FAILED";
                d.error = end == RunEnd::Failed ? o.code : 0;
                d.requestedStart = run.scheduledStart;
                d.actualStart = run.info.started;
                d.durationSeconds = o.seconds;
                if (run.info.sid)
                    d.sessionId = std::to_string(run.info.sid) + "," + std::to_string(run.info.serial);
                if (end == RunEnd::Stopped)
                    d.additionalInfo = "REASON=\"" + reason + "\"";
                else if (end == RunEnd::Failed)
                    d.errors = o.message + "\n";
                insertRunDetail(c, d);
            }
            if (!j)
                return; // dropped while it ran
            j->lastRunSeconds = o.seconds;
            if (applyRunEnd(*j, end, now, o.intervalNext).drop) {
                catalog::Catalog(c).removeObject(j->obj);
                storage::Stmt del(c, R"(DELETE FROM "SCHEDULER$_JOB" WHERE "OBJ#" = ?1)");
                del.bind(1, j->obj).run();
                dropped = true;
                return;
            }
            updateSchedulerJob(c, *j);
        });
    } catch (const Error&) {
        // The job stays RUNNING in the file; the next opening of the database settles it.
    }
    if (dropped)
        db_.ddlGeneration++;
}

bool Coordinator::stopRun(int64_t obj, const std::string& reason)
{
    std::unique_lock lk(mutex_);
    auto it = runs_.find({ true, obj });
    if (it == runs_.end())
        return false;
    std::shared_ptr<Run> run = it->second;
    run->stopRequested = true;
    run->stopReason = reason;
    // Cancelled until it has ended: a call that was only starting when the first cancel came is cancelled again.
    while (runs_.count({ true, obj }) && runs_.at({ true, obj }) == run && !stopping_) {
        if (run->session)
            run->session->interrupt();
        changed_.wait_for(lk, std::chrono::milliseconds(20));
    }
    return true;
}

Coordinator& coordinatorOf(SessionState& s)
{
    return *s.db->jobs;
}

void transactionEnded(SessionState& s)
{
    if (s.db && s.db->jobs)
        s.db->jobs->transactionEnded(s.sid);
}

} // namespace engine::jobs
