// The job queue running jobs in the background as Oracle's does (Administrator's Guide, "Managing Job Queues" and
// "Scheduling Jobs with Oracle Scheduler"): commit visibility, failures and broken jobs, job sessions in V$SESSION
// and ALTER SYSTEM KILL SESSION, job_queue_processes, scheduler states and STOP_JOB, and a database opened again.
// Each test waits for what the queue does with a deadline; a job due "now" starts at once.
#include "engine_fixture.h"
#include "support/waitfor.h"

#include <string>

namespace {

using enginetest::EngineTest;
using testsupport::waitFor;

class JobQueue : public EngineTest {
protected:
    std::unique_ptr<engine::Session> main;

    void SetUp() override
    {
        EngineTest::SetUp();
        main = logOn();
        main->execute("CREATE TABLE jt (n NUMBER, who VARCHAR2(30))");
    }

    int64_t count(engine::Session& s, const std::string& sql) { return std::stoll(one(s, sql)); }

    // Waits until the query's single value is the expected text.
    bool waitForValue(engine::Session& s, const std::string& sql, const std::string& expected, int ms = 20000)
    {
        return waitFor([&] { return one(s, sql) == expected; }, ms);
    }

    int64_t submit(engine::Session& s, const std::string& what, const std::string& interval = "NULL")
    {
        engine::Bind job;
        job.name = "J";
        job.dir = engine::BindDir::Out;
        job.type = engine::OraType::Number;
        std::vector<engine::Bind> binds { job };
        s.execute("BEGIN DBMS_JOB.SUBMIT(:j, '" + what + "', SYSDATE, " + interval + "); END;", binds);
        return binds[0].value.integer;
    }
};

// A job waiting on a pipe until a message comes, so that it runs for as long as the test wants.
const std::string kWaitForPipe = "DECLARE s INTEGER; BEGIN LOOP s := DBMS_PIPE.RECEIVE_MESSAGE(''go'' || job, 60); "
                                 "EXIT WHEN s = 0; END LOOP; END;";

// Oracle: a submitted job is seen by the job queue only after COMMIT; a rolled back SUBMIT never runs.
TEST_F(JobQueue, JobStartsOnlyOnceItsSubmitIsCommitted)
{
    int64_t first = submit(*main, "INSERT INTO jt VALUES (1, USER);");
    int64_t second = submit(*main, "INSERT INTO jt VALUES (2, USER);");
    auto other = logOn();
    // A job committed later, which the queue runs while the other two are not committed yet.
    submit(*other, "INSERT INTO jt VALUES (3, USER);");
    other->commit();
    ASSERT_TRUE(waitForValue(*other, "SELECT COUNT(*) FROM jt WHERE n = 3", "1"));
    EXPECT_EQ(count(*main, "SELECT COUNT(*) FROM jt WHERE n IN (1, 2)"), 0);
    EXPECT_EQ(count(*main,
                  "SELECT COUNT(*) FROM user_jobs WHERE job IN (" + std::to_string(first) + ", "
                      + std::to_string(second) + ")"),
        2);

    main->execute("BEGIN DBMS_JOB.REMOVE(" + std::to_string(second) + "); END;");
    main->commit();
    ASSERT_TRUE(waitForValue(*other, "SELECT COUNT(*) FROM jt WHERE n = 1", "1"));
    // The job ran as its owner, and a job without an interval leaves the queue after it succeeded.
    EXPECT_EQ(one(*other, "SELECT who FROM jt WHERE n = 1"), "SYSTEM");
    EXPECT_TRUE(waitForValue(*other, "SELECT COUNT(*) FROM dba_jobs", "0"));

    submit(*main, "INSERT INTO jt VALUES (4, USER);");
    main->rollback();
    submit(*other, "INSERT INTO jt VALUES (5, USER);");
    other->commit();
    ASSERT_TRUE(waitForValue(*other, "SELECT COUNT(*) FROM jt WHERE n = 5", "1"));
    EXPECT_EQ(count(*other, "SELECT COUNT(*) FROM jt WHERE n IN (2, 4)"), 0);
}

// Oracle: a failing job counts FAILURES and is tried again after 1, 2, 4 ... minutes; after 16 failures in a row
// it is marked broken (NEXT_DATE 1 January 4000) and no longer run.
TEST_F(JobQueue, FailingJobCountsFailuresAndIsBrokenAfterSixteen)
{
    int64_t job = submit(*main, "RAISE_APPLICATION_ERROR(-20001, ''no luck'');", "'SYSDATE + 1'");
    main->commit();
    const std::string row = "SELECT failures || ' ' || broken FROM user_jobs WHERE job = " + std::to_string(job);
    ASSERT_TRUE(waitForValue(*main, row, "1 N"));
    EXPECT_EQ(one(*main,
                  "SELECT CASE WHEN next_date BETWEEN SYSDATE + 50/86400 AND SYSDATE + 70/86400 THEN 'a minute later' "
                  "END FROM user_jobs WHERE job = "
                      + std::to_string(job)),
        "a minute later");
    for (int failures = 2; failures <= 16; ++failures) {
        main->execute("BEGIN DBMS_JOB.NEXT_DATE(" + std::to_string(job) + ", SYSDATE); COMMIT; END;");
        ASSERT_TRUE(waitForValue(*main, row, std::to_string(failures) + (failures == 16 ? " Y" : " N")))
            << "failure " << failures;
    }
    EXPECT_EQ(one(*main, "SELECT TO_CHAR(next_date, 'YYYY-MM-DD') FROM user_jobs WHERE job = " + std::to_string(job)),
        "4000-01-01");
}

// Oracle: a running job has a session of its owner (V$SESSION, DBA_JOBS_RUNNING); ALTER SYSTEM KILL SESSION ends the
// run, which counts as a failure.
TEST_F(JobQueue, JobSessionIsListedAndKillSessionEndsTheRun)
{
    int64_t job = submit(*main, kWaitForPipe, "'SYSDATE + 1'");
    main->commit();
    ASSERT_TRUE(waitForValue(*main, "SELECT COUNT(*) FROM dba_jobs_running", "1"));
    const std::string sid = one(*main, "SELECT sid FROM dba_jobs_running WHERE job = " + std::to_string(job));
    // The run's session is ACTIVE while its call runs (it is between calls for a moment after its interval).
    EXPECT_TRUE(
        waitForValue(*main, "SELECT username || ' ' || status || ' ' || module FROM v$session WHERE sid = " + sid,
            "SYSTEM ACTIVE DBMS_SCHEDULER"));
    EXPECT_EQ(count(*main, "SELECT COUNT(*) FROM v$session WHERE sid = " + sid + " AND program LIKE '%(J0%)'"), 1);
    EXPECT_NE(one(*main, "SELECT this_date FROM user_jobs WHERE job = " + std::to_string(job)), "NULL");

    const std::string serial = one(*main, "SELECT serial# FROM v$session WHERE sid = " + sid);
    main->execute("ALTER SYSTEM KILL SESSION '" + sid + "," + serial + "'");
    ASSERT_TRUE(waitForValue(*main, "SELECT COUNT(*) FROM dba_jobs_running", "0"));
    EXPECT_TRUE(waitForValue(*main, "SELECT failures FROM user_jobs WHERE job = " + std::to_string(job), "1"));
    EXPECT_EQ(count(*main, "SELECT COUNT(*) FROM v$session WHERE sid = " + sid), 0);
    EXPECT_EQ(one(*main, "SELECT this_date FROM user_jobs WHERE job = " + std::to_string(job)), "NULL");
}

// Oracle: job_queue_processes is the most jobs that run at once; 0 starts none, and raising it starts the waiting
// jobs at once.
TEST_F(JobQueue, JobQueueProcessesLimitsTheRuns)
{
    main->execute("ALTER SYSTEM SET job_queue_processes = 1");
    int64_t a = submit(*main, kWaitForPipe);
    int64_t b = submit(*main, kWaitForPipe);
    main->commit();
    ASSERT_TRUE(waitForValue(*main, "SELECT COUNT(*) FROM dba_jobs_running", "1"));
    const std::string runningJob = one(*main, "SELECT job FROM dba_jobs_running");
    const std::string waitingJob = runningJob == std::to_string(a) ? std::to_string(b) : std::to_string(a);
    EXPECT_EQ(one(*main, "SELECT this_date FROM user_jobs WHERE job = " + waitingJob), "NULL");

    main->execute("DECLARE s INTEGER; BEGIN s := DBMS_PIPE.SEND_MESSAGE('go" + runningJob + "'); END;");
    ASSERT_TRUE(waitForValue(*main, "SELECT job FROM dba_jobs_running", waitingJob));

    main->execute("ALTER SYSTEM SET job_queue_processes = 0");
    main->execute("DECLARE s INTEGER; BEGIN s := DBMS_PIPE.SEND_MESSAGE('go" + waitingJob + "'); END;");
    ASSERT_TRUE(waitForValue(*main, "SELECT COUNT(*) FROM dba_jobs_running", "0"));
    submit(*main, "INSERT INTO jt VALUES (7, USER);");
    main->commit();
    EXPECT_EQ(count(*main, "SELECT COUNT(*) FROM jt"), 0);
    main->execute("ALTER SYSTEM SET job_queue_processes = 2");
    EXPECT_TRUE(waitForValue(*main, "SELECT COUNT(*) FROM jt WHERE n = 7", "1"));
}

// Oracle: jobs run while the database is open; one opened again runs the jobs that came due, and restarts a
// scheduler job that was running with RESTART_ON_RECOVERY.
TEST_F(JobQueue, DatabaseOpenedAgainResumesItsJobs)
{
    main->execute("ALTER SYSTEM SET job_queue_processes = 0 SCOPE = MEMORY");
    submit(*main, "INSERT INTO jt VALUES (8, USER);");
    main->commit();
    main.reset();
    db.reset();

    db = engine::Database::open(dir());
    main = logOn();
    ASSERT_TRUE(waitForValue(*main, "SELECT COUNT(*) FROM jt WHERE n = 8", "1"));

    main->execute(R"(BEGIN
  DBMS_SCHEDULER.CREATE_JOB('SERVER_JOB', 'PLSQL_BLOCK',
    'DECLARE s INTEGER; BEGIN INSERT INTO jt VALUES (9, job_name); COMMIT; s := DBMS_PIPE.RECEIVE_MESSAGE(''stop'', 3600); END;',
    auto_drop => FALSE);
  DBMS_SCHEDULER.SET_ATTRIBUTE('SERVER_JOB', 'RESTART_ON_RECOVERY', TRUE);
  DBMS_SCHEDULER.ENABLE('SERVER_JOB');
END;)");
    ASSERT_TRUE(waitForValue(*main, "SELECT COUNT(*) FROM jt WHERE n = 9", "1"));
    EXPECT_EQ(one(*main, "SELECT state FROM user_scheduler_jobs"), "RUNNING");
    main.reset();
    db.reset();

    db = engine::Database::open(dir());
    main = logOn();
    ASSERT_TRUE(waitForValue(*main, "SELECT COUNT(*) FROM jt WHERE n = 9", "2"));
    EXPECT_TRUE(waitForValue(*main, "SELECT COUNT(*) FROM user_scheduler_running_jobs", "1"));
}

// Oracle: a one-time scheduler job that ran ends SUCCEEDED or FAILED and disabled, counted and logged; AUTO_DROP
// drops it; a repeating job is SCHEDULED again for the calendar's next date.
TEST_F(JobQueue, SchedulerJobsEndInTheirStates)
{
    main->execute(R"(BEGIN
  DBMS_SCHEDULER.CREATE_JOB('OK_JOB', 'PLSQL_BLOCK', 'INSERT INTO jt VALUES (10, job_name);', enabled => TRUE,
    auto_drop => FALSE);
  DBMS_SCHEDULER.CREATE_JOB('BAD_JOB', 'PLSQL_BLOCK', 'RAISE_APPLICATION_ERROR(-20001, ''no luck'');',
    enabled => TRUE, auto_drop => FALSE);
  DBMS_SCHEDULER.CREATE_JOB('GONE_JOB', 'PLSQL_BLOCK', 'INSERT INTO jt VALUES (11, job_name);', enabled => TRUE);
  DBMS_SCHEDULER.CREATE_JOB('EVERY_SECOND', 'PLSQL_BLOCK', 'INSERT INTO jt VALUES (12, job_name);',
    repeat_interval => 'FREQ=SECONDLY', enabled => TRUE);
END;)");
    const std::string state = "SELECT state || ':' || enabled || ':' || run_count || ':' || failure_count FROM "
                              "user_scheduler_jobs WHERE job_name = ";
    ASSERT_TRUE(waitForValue(*main, state + "'OK_JOB'", "SUCCEEDED:FALSE:1:0")) << one(*main, state + "'OK_JOB'");
    ASSERT_TRUE(waitForValue(*main, state + "'BAD_JOB'", "FAILED:FALSE:1:1")) << one(*main, state + "'BAD_JOB'");
    ASSERT_TRUE(waitForValue(*main, "SELECT COUNT(*) FROM user_scheduler_jobs WHERE job_name = 'GONE_JOB'", "0"));
    EXPECT_EQ(one(*main, "SELECT who FROM jt WHERE n = 10"), "OK_JOB");
    EXPECT_EQ(one(*main, "SELECT COUNT(*) FROM jt WHERE n = 11"), "1");
    EXPECT_EQ(one(*main,
                  "SELECT status || ' ' || error# FROM user_scheduler_job_run_details WHERE job_name = "
                  "'BAD_JOB'"),
        "FAILED 20001");
    EXPECT_EQ(one(*main, "SELECT status FROM user_scheduler_job_run_details WHERE job_name = 'GONE_JOB'"), "SUCCEEDED");

    ASSERT_TRUE(waitFor([&] {
        return count(*main, "SELECT run_count FROM user_scheduler_jobs WHERE job_name = 'EVERY_SECOND'") >= 2;
    }));
    main->execute("BEGIN DBMS_SCHEDULER.DISABLE('EVERY_SECOND', force => TRUE); END;");
    EXPECT_TRUE(waitForValue(*main,
        "SELECT state || ' ' || enabled FROM user_scheduler_jobs WHERE job_name = 'EVERY_SECOND'", "DISABLED FALSE"));
}

// Oracle: STOP_JOB ends a running job's run: a one-time job is then STOPPED and disabled, and its run is logged
// STOPPED with the reason. RUN_JOB in the background and ENABLE start it again (as the lock window's start does).
TEST_F(JobQueue, StopJobEndsTheRunAndTheJobStartsAgain)
{
    main->execute(R"(BEGIN
  DBMS_SCHEDULER.CREATE_JOB('LONG_JOB', 'PLSQL_BLOCK',
    'DECLARE s INTEGER; BEGIN s := DBMS_PIPE.RECEIVE_MESSAGE(''never'', 3600); END;', enabled => TRUE, auto_drop => FALSE);
END;)");
    ASSERT_TRUE(waitForValue(*main, "SELECT COUNT(*) FROM user_scheduler_running_jobs", "1"));
    EXPECT_EQ(one(*main, "SELECT state FROM user_scheduler_jobs"), "RUNNING");
    const std::string sid = one(*main, "SELECT session_id FROM user_scheduler_running_jobs");
    EXPECT_EQ(one(*main, "SELECT action FROM v$session WHERE sid = " + sid), "LONG_JOB");

    main->execute("BEGIN DBMS_SCHEDULER.STOP_JOB('LONG_JOB', force => TRUE); END;");
    EXPECT_EQ(one(*main, "SELECT state || ' ' || enabled FROM user_scheduler_jobs"), "STOPPED FALSE");
    EXPECT_EQ(count(*main, "SELECT COUNT(*) FROM user_scheduler_running_jobs"), 0);
    EXPECT_EQ(one(*main, "SELECT status || ' ' || additional_info FROM user_scheduler_job_run_details"),
        "STOPPED REASON=\"Stop job with force called by user: 'SYSTEM'\"");

    main->execute("BEGIN DBMS_SCHEDULER.RUN_JOB('LONG_JOB', use_current_session => FALSE); "
                  "DBMS_SCHEDULER.ENABLE('LONG_JOB'); END;");
    ASSERT_TRUE(waitForValue(*main, "SELECT COUNT(*) FROM user_scheduler_running_jobs", "1"));
    EXPECT_EQ(one(*main, "SELECT state || ' ' || enabled FROM user_scheduler_jobs"), "RUNNING TRUE");
    // Oracle: a second start of a running job is refused; disabling it needs FORCE.
    EXPECT_EQ(errorOf(*main, "BEGIN DBMS_SCHEDULER.RUN_JOB('LONG_JOB', FALSE); END;"), 27478);
    EXPECT_EQ(errorOf(*main, "BEGIN DBMS_SCHEDULER.DISABLE('LONG_JOB'); END;"), 27478);
    main->execute("BEGIN DBMS_SCHEDULER.STOP_JOB('LONG_JOB'); END;");
    EXPECT_EQ(count(*main, "SELECT COUNT(*) FROM user_scheduler_job_run_details WHERE status = 'STOPPED'"), 2);
}

} // namespace
