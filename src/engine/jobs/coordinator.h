// The job queue of one open database: a coordinator thread that sleeps until the next job is due (or until a
// committed change of the queue, ALTER SYSTEM SET job_queue_processes or a finished run wakes it) and starts each due
// job on a background session of its owner, up to job_queue_processes at once. DBMS_JOB and DBMS_SCHEDULER
// (plsql/native_dbms_job.cpp, native_dbms_scheduler.cpp) change the queue's tables; the coordinator reads them.
#pragma once

#include "engine/jobs/job_tables.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace engine {
struct DatabaseState;
struct SessionState;
class Session;
} // namespace engine

namespace engine::jobs {

// A running job as DBA_JOBS_RUNNING, *_SCHEDULER_RUNNING_JOBS and V$SESSION show it.
struct RunningJob {
    bool scheduler = false;
    int64_t id = 0; // JOB of a classic job, OBJ# of a scheduler job
    std::string owner, name; // the scheduler job's; the classic job's log user
    int64_t sid = 0, serial = 0; // 0 until its session is logged on
    std::string started; // DATE text
    std::string slave; // "J000"
    int64_t failures = 0; // a classic job's FAILURES when it started
    std::string lastDate; // a classic job's LAST_DATE when it started
};

class Coordinator {
public:
    // Makes the queue's tables when the file lacks them, clears what a process that ended while jobs ran left
    // behind, and starts the coordinator thread when jobs are waiting.
    explicit Coordinator(DatabaseState& db);
    ~Coordinator();
    Coordinator(const Coordinator&) = delete;
    Coordinator& operator=(const Coordinator&) = delete;

    // Ends every run (their sessions are interrupted; nothing of an unfinished run is recorded, so the job runs
    // again when the database is next opened) and the coordinator thread. Called as the database closes.
    void stop();

    // A session changed the queue in its transaction: its commit or rollback wakes the coordinator.
    void noteChange(int64_t sid);
    void transactionEnded(int64_t sid);
    // Reads the queue again now (a committed scheduler change, a changed job_queue_processes).
    void wake();

    std::vector<RunningJob> running();
    bool isRunning(bool scheduler, int64_t id);

    // DBMS_SCHEDULER.STOP_JOB: ends the scheduler job's run, recorded as STOPPED with the reason, and waits until
    // it has ended. False when the job is not running.
    bool stopRun(int64_t obj, const std::string& reason);
    // DBMS_SCHEDULER.RUN_JOB with USE_CURRENT_SESSION FALSE: starts a run now, whatever the schedule says.
    // ORA-27478 while the job runs, ORA-27492 while job_queue_processes is 0.
    void runNow(int64_t obj, const std::string& owner, const std::string& name);

    // job_queue_processes as the instance has it.
    int64_t processLimit();

    // Runs a function on the coordinator's connection inside a write transaction taken through the database's
    // gate, outside every session's transaction.
    void write(const std::function<void(sqlite3*)>& change);

private:
    struct Run;
    struct Outcome;

    void ensureThread();
    void loop();
    // Starts what is due; the time of the next due job, if any.
    std::optional<std::chrono::system_clock::time_point> scan();
    bool startClassic(const ClassicJob& j);
    bool startScheduler(int64_t obj, bool requested);
    void launch(std::shared_ptr<Run> run);
    // Runs the body on a background session of the run's user: the session is listed for the views and for
    // STOP_JOB while it lives, committed after a body that succeeds and rolled back after one that fails.
    void runOnSession(Run& run, const std::string& user, const std::string& schema, const std::string& nlsEnv,
        const std::string& action, Outcome& o, const std::function<void(Session&)>& body);
    void runClassic(std::shared_ptr<Run> run);
    void runScheduler(std::shared_ptr<Run> run);
    void finishClassic(const Run& run, const Outcome& o);
    void finishScheduler(const Run& run, const Outcome& o);
    void forget(const std::shared_ptr<Run>& run);
    std::string freeSlave();
    void recover();

    DatabaseState& db_;
    sqlite3* conn_ = nullptr;
    std::mutex connMutex_; // the coordinator's connection

    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<bool> stopping_ { false };
    bool wakeRequested_ = false;
    std::thread thread_;
    std::map<std::pair<bool, int64_t>, std::shared_ptr<Run>> runs_;
    std::list<std::thread> slaves_;
    std::list<std::thread::id> finishedSlaves_;
    std::set<int64_t> changers_;
    std::atomic<int> changerCount_ { 0 };
};

// The coordinator of the session's database.
Coordinator& coordinatorOf(SessionState& s);
// Called by every commit and rollback of a session: wakes the coordinator when the transaction changed the queue.
void transactionEnded(SessionState& s);

} // namespace engine::jobs
