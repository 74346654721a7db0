// The job queue: how soon a job submitted for now starts (its first statement reaches the benchmark through a
// pipe), how much of a core the coordinator takes while ten jobs wait for later (against the same database open
// with no jobs), and the round trip of a lock server call served by the demo's lock server running as a job
// (against the same call answered in the caller's session when no server runs). Prints medians against targets.
#include "engine/engine.h"
#include "engine/kit/kit.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double processCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Results {
    std::vector<double> startMs, serverMs, localMs;
    double idleJobsPercent = 0, idleNonePercent = 0;
} results;

std::string value(engine::Session& s, const std::string& sql)
{
    engine::ExecResult r = s.execute(sql);
    return r.cursor && r.cursor->next() ? r.cursor->value(0).toString() : std::string();
}

// From the COMMIT of a SUBMIT for now to the job's first statement.
void JobStart(benchmark::State& state)
{
    QTemporaryDir tmp;
    auto db = engine::Database::create(tmp.filePath("db").toStdString());
    auto s = db->logOn("SYSTEM", "MANAGER");
    const std::string submit = "DECLARE j BINARY_INTEGER; BEGIN DBMS_JOB.SUBMIT(j, 'DECLARE s INTEGER; BEGIN "
                               "DBMS_PIPE.PACK_MESSAGE(1); s := DBMS_PIPE.SEND_MESSAGE(''started''); END;'); END;";
    for (auto _ : state) {
        s->execute(submit);
        const auto begin = Clock::now();
        s->commit();
        std::vector<engine::Bind> status(1);
        status[0].name = "S";
        status[0].dir = engine::BindDir::Out;
        status[0].type = engine::OraType::Number;
        s->execute("BEGIN :s := DBMS_PIPE.RECEIVE_MESSAGE('started', 10); END;", status);
        const std::string got = status[0].value.toString();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        if (got != "0")
            state.SkipWithError("the job did not start within 10 s");
        state.SetIterationTime(ms / 1000.0);
        results.startMs.push_back(ms);
    }
}

// CPU of the whole process over two idle seconds, with or without ten jobs due tomorrow.
double idlePercent(bool withJobs)
{
    QTemporaryDir tmp;
    auto db = engine::Database::create(tmp.filePath("db").toStdString());
    auto s = db->logOn("SYSTEM", "MANAGER");
    if (withJobs) {
        for (int i = 0; i < 5; ++i)
            s->execute("DECLARE j BINARY_INTEGER; BEGIN DBMS_JOB.SUBMIT(j, 'NULL;', SYSDATE + 1, 'SYSDATE + 1'); END;");
        for (int i = 0; i < 5; ++i)
            s->execute("BEGIN DBMS_SCHEDULER.CREATE_JOB('LATER_" + std::to_string(i)
                + "', 'PLSQL_BLOCK', 'NULL;', start_date => SYSDATE + 1, repeat_interval => 'FREQ=DAILY', "
                  "enabled => TRUE); END;");
        s->commit();
    }
    const double cpu0 = processCpuSeconds();
    const auto wall0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double cpu = processCpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    return 100.0 * cpu / wall;
}

void IdleQueue(benchmark::State& state)
{
    for (auto _ : state) {
        results.idleNonePercent = idlePercent(false);
        results.idleJobsPercent = idlePercent(true);
        state.SetIterationTime(2.0);
    }
}

// A lock and an unlock by a client, served by the lock server job through its pipe; the baseline is the same call
// when no server runs, which the client answers itself.
void LockRoundTrip(benchmark::State& state)
{
    QTemporaryDir tmp;
    engine::kit::demoTemplate(tmp.filePath("demo").toStdString());
    auto db = engine::Database::open(tmp.filePath("demo").toStdString());
    auto control = db->logOn("VOXA", "VOXA");
    auto client = db->logOn("AKRALJ", "AKRALJ");
    const std::string call = "SELECT voxa.pckSemaphor.zakleni('ORDERS', '4711') FROM DUAL";
    const std::string unlock = "SELECT voxa.pckSemaphor.odkleni('ORDERS', '4711') FROM DUAL";
    for (int i = 0; i < 50; ++i) {
        const auto begin = Clock::now();
        value(*client, call);
        results.localMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
    }
    control->execute("DECLARE j BINARY_INTEGER; BEGIN DBMS_JOB.SUBMIT(j, 'begin voxa.pckSemaphorServer.server; "
                     "end;', SYSDATE, NULL); COMMIT; END;");
    while (value(*control, "SELECT voxa.pckVexoServer.isRunning('SEMAPHOR') FROM DUAL") != "D")
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    for (auto _ : state) {
        const auto begin = Clock::now();
        const std::string answer = value(*client, call);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        value(*client, unlock);
        if (answer != "OK")
            state.SkipWithError(("the lock server answered " + answer).c_str());
        state.SetIterationTime(ms / 1000.0);
        results.serverMs.push_back(ms);
    }
    control->execute("BEGIN voxa.pckSemaphor.ShutdownSemaphor; END;");
}

BENCHMARK(JobStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(IdleQueue)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(LockRoundTrip)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\njob start after COMMIT: median %.2f ms (target: under 1000 ms)\n", median(results.startMs));
    std::printf("idle, 10 jobs waiting for later: %.3f%% of a core (without jobs %.3f%%; target: under 1%%)\n",
        results.idleJobsPercent, results.idleNonePercent);
    std::printf("lock server round trip: median %.2f ms (target: under 5 ms); the same call without a server "
                "%.2f ms\n",
        median(results.serverMs), median(results.localMs));
    benchmark::Shutdown();
    return 0;
}
