// A PL/SQL cursor FOR loop over 100,000 rows doing one keyed UPDATE per row, run as one block, against the same
// 100,000 keyed UPDATEs sent one by one from C++ through the engine's API with binds (the statement cache keeps them
// prepared). Prints the ratio block time / C++ time; the target is at most 3.
// Bulk binds: a block that BULK COLLECTs 1,000,000 rows into a collection of records and inserts them into another
// table with FORALL, against INSERT INTO t2 SELECT * FROM t1 of the same rows. Prints the ratio; the target is at
// most 2.
#include "engine/engine.h"
#include "support/ratio_reporter.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kRows = 100000;

struct Fixture {
    QTemporaryDir tmp;
    std::shared_ptr<engine::Database> db;
    std::unique_ptr<engine::Session> session;

    Fixture()
    {
        db = engine::Database::create(tmp.filePath("engine").toStdString());
        session = db->logOn("SYSTEM", "MANAGER", false);
        session->execute("CREATE TABLE d10 (n NUMBER)");
        for (int i = 0; i < 10; ++i)
            session->execute("INSERT INTO d10 VALUES (" + std::to_string(i) + ")");
        session->execute("CREATE TABLE src AS SELECT a.n + b.n * 10 + c.n * 100 + d.n * 1000 + e.n * 10000 AS id "
                         "FROM d10 a, d10 b, d10 c, d10 d, d10 e");
        session->execute("CREATE TABLE dst (id NUMBER PRIMARY KEY, amount NUMBER)");
        session->execute("INSERT INTO dst SELECT id, 0 FROM src");
        session->commit();
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void CppUpdates(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        std::vector<engine::Bind> b(1);
        b[0].name = "ID";
        b[0].type = engine::OraType::Number;
        auto r = f.session->execute("SELECT id FROM src");
        std::vector<int64_t> ids;
        while (r.cursor->next())
            ids.push_back(r.cursor->value(0).integer);
        for (int64_t id : ids) {
            b[0].value = engine::Value::fromInt(id);
            f.session->execute("UPDATE dst SET amount = amount + 1 WHERE id = :id", b);
        }
        f.session->commit();
    }
}

void BlockUpdates(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        f.session->execute("BEGIN\n"
                           "  FOR r IN (SELECT id FROM src) LOOP\n"
                           "    UPDATE dst SET amount = amount + 1 WHERE id = r.id;\n"
                           "  END LOOP;\n"
                           "END;");
        f.session->commit();
    }
}

constexpr int kBulkRows = 1000000;

struct BulkFixture {
    QTemporaryDir tmp;
    std::shared_ptr<engine::Database> db;
    std::unique_ptr<engine::Session> session;

    BulkFixture()
    {
        db = engine::Database::create(tmp.filePath("bulk").toStdString());
        session = db->logOn("SYSTEM", "MANAGER", false);
        session->execute("CREATE TABLE d10 (n NUMBER)");
        for (int i = 0; i < 10; ++i)
            session->execute("INSERT INTO d10 VALUES (" + std::to_string(i) + ")");
        session->execute("CREATE TABLE t1 AS SELECT a.n + b.n * 10 + c.n * 100 + d.n * 1000 + e.n * 10000 "
                         "+ f.n * 100000 AS id, 'name ' || a.n || b.n AS name, c.n * 1.5 AS amount "
                         "FROM d10 a, d10 b, d10 c, d10 d, d10 e, d10 f");
        session->execute("CREATE TABLE t2 (id NUMBER, name VARCHAR2(30), amount NUMBER)");
        session->commit();
    }
    void empty()
    {
        session->execute("TRUNCATE TABLE t2");
    }
};

BulkFixture& bulkFixture()
{
    static BulkFixture f;
    return f;
}

void InsertSelect(benchmark::State& state)
{
    BulkFixture& f = bulkFixture();
    for (auto _ : state) {
        state.PauseTiming();
        f.empty();
        state.ResumeTiming();
        f.session->execute("INSERT INTO t2 SELECT * FROM t1");
        f.session->commit();
    }
}

void BulkCollectForall(benchmark::State& state)
{
    BulkFixture& f = bulkFixture();
    for (auto _ : state) {
        state.PauseTiming();
        f.empty();
        state.ResumeTiming();
        f.session->execute("DECLARE\n"
                           "  TYPE rows_t IS TABLE OF t1%ROWTYPE;\n"
                           "  r rows_t;\n"
                           "BEGIN\n"
                           "  SELECT * BULK COLLECT INTO r FROM t1;\n"
                           "  FORALL i IN 1 .. r.COUNT\n"
                           "    INSERT INTO t2 VALUES r(i);\n"
                           "END;");
        f.session->commit();
    }
}

BENCHMARK(InsertSelect)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BulkCollectForall)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CppUpdates)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BlockUpdates)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchsupport::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto c = reporter.times.find("CppUpdates/iterations:2");
    auto b = reporter.times.find("BlockUpdates/iterations:2");
    if (c != reporter.times.end() && b != reporter.times.end() && c->second > 0) {
        double ratio = b->second / c->second;
        std::printf("\nblock time / C++ time for %d keyed UPDATEs: %.2f (target at most 3) %s\n", kRows, ratio,
            ratio <= 3 ? "met" : "NOT MET");
    }
    auto sel = reporter.times.find("InsertSelect/iterations:1");
    auto bulk = reporter.times.find("BulkCollectForall/iterations:1");
    if (sel != reporter.times.end() && bulk != reporter.times.end() && sel->second > 0) {
        double ratio = bulk->second / sel->second;
        std::printf("BULK COLLECT + FORALL time / INSERT ... SELECT time for %d rows: %.2f (target at most 2) %s\n",
            kBulkRows, ratio, ratio <= 2 ? "met" : "NOT MET");
    }
    benchmark::Shutdown();
    return 0;
}
