// The engine against plain SQLite doing the same work in the same run: fetching a million rows of five columns,
// 100,000 single-row INSERTs with binds in one transaction (undo recorded), 100,000 primary-key lookups with a
// bind, and 20,000 keyed UPDATEs through the access layer's db::Query against the same UPDATE as a prepared SQLite
// statement, each in its own transaction. Prints each pair's ratio and the target.
#include "db/embedded/embeddeddriver.h"
#include "db/query.h"
#include "db/session.h"
#include "engine/engine.h"
#include "support/ratio_reporter.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kFetchRows = 1000000;
constexpr int kInserts = 100000;
constexpr int kLookups = 100000;
constexpr int kUpdateRows = 100000;
constexpr int kUpdates = 20000;

struct Fixture {
    QTemporaryDir tmp;
    std::shared_ptr<engine::Database> db;
    std::unique_ptr<engine::Session> session;
    sqlite3* plain = nullptr;

    std::unique_ptr<db::Session> access; // the access layer's session on the database of the table UPD

    Fixture()
    {
        db = engine::Database::create(tmp.filePath("engine").toStdString());
        session = db->logOn("SYSTEM", "MANAGER", false);
        session->execute("CREATE TABLE d10 (n NUMBER, txt VARCHAR2(20), d DATE)");
        std::vector<engine::Bind> b(2);
        b[0].name = "NUM";
        b[1].name = "TXT";
        for (int i = 0; i < 10; ++i) {
            b[0].value = engine::Value::fromInt(i);
            b[1].value = engine::Value::fromText("text " + std::to_string(i));
            session->execute("INSERT INTO d10 VALUES (:num, :txt, DATE '2020-01-01')", b);
        }
        session->commit();
        const char* big = "SELECT a.n + b.n * 10 + c.n * 100 + d.n * 1000 + e.n * 10000 + f.n * 100000 AS id, "
                          "a.n * 1.5 AS amount, a.txt AS name, a.d AS created, b.txt AS note "
                          "FROM d10 a, d10 b, d10 c, d10 d, d10 e, d10 f";
        std::string ctas = "CREATE TABLE big AS ";
        ctas += big;
        session->execute(ctas);
        session->execute("CREATE TABLE ins (id NUMBER PRIMARY KEY, name VARCHAR2(40), amount NUMBER)");

        sqlite3_open((tmp.filePath("plain.sqlite")).toUtf8().constData(), &plain);
        sqlite3_exec(plain,
            "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA cache_size = -32768;"
            "CREATE TABLE d10 (n, txt, d);"
            "CREATE TABLE big (rid INTEGER PRIMARY KEY, id, amount, name, created, note);"
            "CREATE TABLE ins (rid INTEGER PRIMARY KEY, id, name, amount);"
            "CREATE UNIQUE INDEX ins_pk ON ins (id);"
            "CREATE UNIQUE INDEX big_pk ON big (id);",
            nullptr, nullptr, nullptr);
        for (int i = 0; i < 10; ++i) {
            std::string sql = "INSERT INTO d10 VALUES (" + std::to_string(i) + ", 'text " + std::to_string(i)
                + "', '2020-01-01 00:00:00')";
            sqlite3_exec(plain, sql.c_str(), nullptr, nullptr, nullptr);
        }
        sqlite3_exec(plain,
            "INSERT INTO big (id, amount, name, created, note) SELECT a.n + b.n * 10 + c.n * 100 + d.n * 1000 + "
            "e.n * 10000 + f.n * 100000, a.n * 1.5, a.txt, a.d, b.txt FROM d10 a, d10 b, d10 c, d10 d, d10 e, d10 f",
            nullptr, nullptr, nullptr);
        session->execute("ALTER TABLE big ADD CONSTRAINT big_pk PRIMARY KEY (id)");

        // The UPDATE's table lives in a database of its own, which the access layer opens through its driver.
        const QString updDir = tmp.filePath("update");
        {
            auto udb = engine::Database::create(updDir.toStdString());
            auto us = udb->logOn("SYSTEM", "MANAGER", false);
            us->execute("CREATE TABLE upd (id NUMBER PRIMARY KEY, name VARCHAR2(40), amount NUMBER)");
            us->execute("INSERT INTO upd SELECT LEVEL - 1, 'name of row', 0 FROM dual CONNECT BY LEVEL <= "
                + std::to_string(kUpdateRows));
            us->commit();
        }
        access = std::make_unique<db::Session>();
        access->setDriver(db::embedded::driverForDirectory(updDir));
        access->setUserName(QStringLiteral("SYSTEM"));
        access->setPassword(QStringLiteral("MANAGER"));
        access->logOn();
        sqlite3_exec(plain,
            "CREATE TABLE upd (rid INTEGER PRIMARY KEY, id, name, amount);"
            "CREATE UNIQUE INDEX upd_pk ON upd (id);"
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999) "
            "INSERT INTO upd (id, name, amount) SELECT i, 'name of row', 0 FROM n;",
            nullptr, nullptr, nullptr);
    }
    ~Fixture()
    {
        access.reset();
        sqlite3_close(plain);
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void EngineFetch(benchmark::State& state)
{
    auto& f = fixture();
    for (auto _ : state) {
        auto r = f.session->execute("SELECT id, amount, name, created, note FROM big");
        int64_t n = 0;
        size_t bytes = 0;
        while (r.cursor->next()) {
            for (int i = 0; i < 5; ++i)
                bytes += r.cursor->value(i).text.size();
            ++n;
        }
        if (n != kFetchRows)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(bytes);
    }
}

void SqliteFetch(benchmark::State& state)
{
    auto& f = fixture();
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(f.plain, "SELECT id, amount, name, created, note FROM big", -1, &st, nullptr);
        int64_t n = 0;
        size_t bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int64(st, 0));
            benchmark::DoNotOptimize(sqlite3_column_double(st, 1));
            for (int i : { 2, 3, 4 }) {
                std::string copy(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                    static_cast<size_t>(sqlite3_column_bytes(st, i)));
                bytes += copy.size();
            }
            ++n;
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(bytes);
    }
}

void EngineInsert(benchmark::State& state)
{
    auto& f = fixture();
    std::vector<engine::Bind> b(3);
    b[0].name = "ID";
    b[1].name = "NAME";
    b[2].name = "AMOUNT";
    for (auto _ : state) {
        for (int i = 0; i < kInserts; ++i) {
            b[0].value = engine::Value::fromInt(i);
            b[1].value = engine::Value::fromText("name of row");
            b[2].value = engine::Value::fromReal(i * 0.5);
            f.session->execute("INSERT INTO ins (id, name, amount) VALUES (:id, :name, :amount)", b);
        }
        f.session->commit();
        state.PauseTiming();
        f.session->execute("TRUNCATE TABLE ins");
        state.ResumeTiming();
    }
}

void SqliteInsert(benchmark::State& state)
{
    auto& f = fixture();
    for (auto _ : state) {
        sqlite3_exec(f.plain, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(f.plain, "INSERT INTO ins (id, name, amount) VALUES (?1, ?2, ?3)", -1, &st, nullptr);
        for (int i = 0; i < kInserts; ++i) {
            sqlite3_bind_int64(st, 1, i);
            sqlite3_bind_text(st, 2, "name of row", -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(st, 3, i * 0.5);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(f.plain, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_exec(f.plain, "DELETE FROM ins", nullptr, nullptr, nullptr);
        state.ResumeTiming();
    }
}

void EngineLookup(benchmark::State& state)
{
    auto& f = fixture();
    std::vector<engine::Bind> b(1);
    b[0].name = "ID";
    for (auto _ : state) {
        size_t bytes = 0;
        for (int i = 0; i < kLookups; ++i) {
            b[0].value = engine::Value::fromInt((i * 7919) % kFetchRows);
            auto r = f.session->execute("SELECT name, note FROM big WHERE id = :id", b);
            while (r.cursor->next())
                bytes += r.cursor->value(0).text.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}

void SqliteLookup(benchmark::State& state)
{
    auto& f = fixture();
    for (auto _ : state) {
        size_t bytes = 0;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(f.plain, "SELECT name, note FROM big WHERE id = ?1", -1, &st, nullptr);
        for (int i = 0; i < kLookups; ++i) {
            sqlite3_bind_int64(st, 1, (i * 7919) % kFetchRows);
            while (sqlite3_step(st) == SQLITE_ROW) {
                std::string copy(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                    static_cast<size_t>(sqlite3_column_bytes(st, 0)));
                bytes += copy.size();
            }
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(bytes);
    }
}

// The key sequence both UPDATE benchmarks follow.
int updateKey(int i)
{
    return (i * 7919) % kUpdateRows;
}

void AccessUpdate(benchmark::State& state)
{
    auto& f = fixture();
    db::Query q(f.access.get());
    q.setSql(QStringLiteral("UPDATE upd SET amount = :amount WHERE id = :id"));
    q.declareVariable(QStringLiteral("AMOUNT"), db::BindType::Float);
    q.declareVariable(QStringLiteral("ID"), db::BindType::Integer);
    int64_t changed = 0;
    for (auto _ : state) {
        for (int i = 0; i < kUpdates; ++i) {
            q.setVariable(QStringLiteral("AMOUNT"), i * 0.5);
            q.setVariable(QStringLiteral("ID"), updateKey(i));
            q.execute();
            changed += q.rowsProcessed();
        }
        f.access->commit();
    }
    if (changed != int64_t(kUpdates) * state.iterations())
        state.SkipWithError("wrong row count");
}

void SqliteUpdate(benchmark::State& state)
{
    auto& f = fixture();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(f.plain, "UPDATE upd SET amount = ?1 WHERE id = ?2", -1, &st, nullptr);
    int64_t changed = 0;
    for (auto _ : state) {
        for (int i = 0; i < kUpdates; ++i) {
            sqlite3_bind_double(st, 1, i * 0.5);
            sqlite3_bind_int64(st, 2, updateKey(i));
            sqlite3_step(st); // autocommit: each UPDATE is a transaction of its own
            changed += sqlite3_changes(f.plain);
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    if (changed != int64_t(kUpdates) * state.iterations())
        state.SkipWithError("wrong row count");
}

// The same UPDATEs all in one SQLite transaction: what the statement itself costs without a commit each.
void SqliteUpdateOneTransaction(benchmark::State& state)
{
    auto& f = fixture();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(f.plain, "UPDATE upd SET amount = ?1 WHERE id = ?2", -1, &st, nullptr);
    for (auto _ : state) {
        sqlite3_exec(f.plain, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 0; i < kUpdates; ++i) {
            sqlite3_bind_double(st, 1, i * 0.5);
            sqlite3_bind_int64(st, 2, updateKey(i));
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_exec(f.plain, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(st);
}

BENCHMARK(SqliteFetch)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(EngineFetch)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SqliteInsert)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(EngineInsert)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SqliteLookup)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(EngineLookup)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SqliteUpdate)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SqliteUpdateOneTransaction)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(AccessUpdate)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchsupport::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    struct Pair {
        const char* what;
        const char* engine;
        const char* sqlite;
        double target;
    };
    const Pair pairs[] = {
        { "fetch 1,000,000 rows of five columns", "EngineFetch/iterations:3", "SqliteFetch/iterations:3", 0.8 },
        { "100,000 single-row INSERTs with binds", "EngineInsert/iterations:3", "SqliteInsert/iterations:3", 0.5 },
        { "100,000 primary-key lookups with a bind", "EngineLookup/iterations:3", "SqliteLookup/iterations:3", 0.94 },
    };
    std::printf("\nspeed relative to plain SQLite (SQLite time / engine time)\n");
    for (const Pair& p : pairs) {
        auto e = reporter.times.find(p.engine);
        auto s = reporter.times.find(p.sqlite);
        if (e == reporter.times.end() || s == reporter.times.end() || e->second <= 0)
            continue;
        double ratio = s->second / e->second;
        std::printf(
            "  %-45s %.2f (target at least %.2f) %s\n", p.what, ratio, p.target, ratio >= p.target ? "met" : "NOT MET");
    }
    auto a = reporter.times.find("AccessUpdate/iterations:3");
    auto u = reporter.times.find("SqliteUpdate/iterations:3");
    if (a != reporter.times.end() && u != reporter.times.end() && u->second > 0) {
        // Times are in milliseconds per iteration of kUpdates statements.
        double times = a->second / u->second;
        std::printf("  %-45s %.2f times SQLite (%.1f us against %.1f us; target at most 3) %s\n",
            "20,000 keyed UPDATEs through db::Query", times, a->second * 1000.0 / kUpdates,
            u->second * 1000.0 / kUpdates, times <= 3.0 ? "met" : "NOT MET");
    }
    auto one = reporter.times.find("SqliteUpdateOneTransaction/iterations:3");
    if (a != reporter.times.end() && one != reporter.times.end() && one->second > 0)
        std::printf("  %-45s %.2f times SQLite with all of them in one transaction (%.1f us)\n", "",
            a->second / one->second, one->second * 1000.0 / kUpdates);
    benchmark::Shutdown();
    return 0;
}
