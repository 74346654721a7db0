// The table-structure window on a schema of 2,000 tables (each with a key, a foreign key to the one before it and
// an index): listing the tables and opening the structure tabs of one (Columns, Indexes, Constraints, Triggers,
// References, Dependencies), target under 500 ms; and ANALYZE TABLE ... VALIDATE STRUCTURE CASCADE of a table of
// 1,000,000 rows with two indexes, against SQLite's own integrity check of the same table in the same run (target:
// at most twice its time).
#include "admin/tabStru.h"
#include "db/dataset.h"
#include "db/query.h"
#include "db/session.h"
#include "shell/Main.h"
#include "support/demo_start.h"
#include "support/ratio_reporter.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kTables = 2000;
constexpr double kTabsTargetMs = 500.0;
constexpr double kValidateTarget = 2.0;

TfmMain* mainWindow = nullptr;
db::Session* session = nullptr;
std::string databaseFile;
std::string bigTable; // the physical SQLite table of the million rows

void run(const QString& sql)
{
    db::Query q(session);
    q.setSql(sql);
    q.execute();
}

QString one(const QString& sql)
{
    db::Query q(session);
    q.setSql(sql);
    q.execute();
    return q.eof() ? QString() : q.field(0).toString();
}

// A new window each time: the list of the schema's 2,000 tables, then the six structure tabs of one table.
void OpenTreeAndTabs(benchmark::State& state)
{
    for (auto _ : state) {
        auto* w = new TfmTableStru(*mainWindow);
        w->cbUser->setEditText(QStringLiteral("BENCH2K"));
        w->edTabela->setText(QStringLiteral("T1000"));
        w->btStru->click();
        for (QWidget* page :
            { w->tabColumns, w->tabIndexes, w->tabConstraints, w->tabTriggers, w->tabReferences, w->tabDependencies })
            w->pcTable->setCurrentWidget(page);
        benchmark::DoNotOptimize(w->currTableName);
        delete w;
    }
}

// The list of the whole schema (its first screen) and the tabs of a table in the middle of it.
void ListWholeSchema(benchmark::State& state)
{
    for (auto _ : state) {
        auto* w = new TfmTableStru(*mainWindow);
        w->cbUser->setEditText(QStringLiteral("BENCH2K"));
        w->btStru->click();
        w->quTables->setRecNo(1000);
        for (QWidget* page : { w->tabColumns, w->tabIndexes, w->tabConstraints, w->tabReferences, w->tabDependencies })
            w->pcTable->setCurrentWidget(page);
        benchmark::DoNotOptimize(w->currTableName);
        delete w;
    }
}

void EngineValidateCascade(benchmark::State& state)
{
    for (auto _ : state)
        run(QStringLiteral("ANALYZE TABLE VOXA.BIG_CHECK VALIDATE STRUCTURE CASCADE"));
}

void SqliteIntegrityCheck(benchmark::State& state)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(databaseFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const std::string sql = "PRAGMA integrity_check(\"" + bigTable + "\")";
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_close(db);
}

BENCHMARK(OpenTreeAndTabs)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ListWholeSchema)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(SqliteIntegrityCheck)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(EngineValidateCascade)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    benchsupport::useOffscreenPlatform();
    QApplication app(argc, argv);
    const benchsupport::DemoDirectory demo;
    TfmMain::Environment env;
    env.executableDir = demo.binPath() + QLatin1Char('/');
    env.workingDir = demo.path();
    env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxBench\\Structure");
    TfmMain main(env);
    mainWindow = &main;
    session = main.osOracle;
    session->setUserName(QStringLiteral("VOXA"));
    session->setPassword(QStringLiteral("VOXA"));
    session->setDatabase(QStringLiteral("DEMO"));
    session->logOn();
    main.connUser = QStringLiteral("VOXA");
    main.connServer = QStringLiteral("DEMO");
    main.currOwner = QStringLiteral("BENCH2K");
    databaseFile = QDir(demo.path()).filePath(QStringLiteral("DEMO/database.sqlite")).toStdString();
    {
        QElapsedTimer clock;
        clock.start();
        run(QStringLiteral("create user BENCH2K identified by BENCH2K"));
        run(QStringLiteral("grant unlimited tablespace to BENCH2K"));
        run(QStringLiteral(
            "begin\n"
            "  for i in 1 .. %1 loop\n"
            "    execute immediate 'create table BENCH2K.T' || i || ' (ID number constraint T' || i ||\n"
            "      '_PK primary key, PARENT_ID number' || case when i > 1 then ' constraint T' || i ||\n"
            "      '_FK references BENCH2K.T' || (i - 1) end || ', NAME varchar2(40), CREATED date)';\n"
            "    execute immediate 'create index BENCH2K.T' || i || '_NAME on BENCH2K.T' || i || ' (NAME)';\n"
            "  end loop;\n"
            "end;")
                .arg(kTables));
        std::printf("%d tables made in %.1f s\n", kTables, clock.elapsed() / 1000.0);
        clock.restart();
        run(QStringLiteral("create table VOXA.CHECK_SEED as select level N from dual connect by level <= 1000"));
        run(QStringLiteral("create table VOXA.BIG_CHECK as select (a.N - 1) * 1000 + b.N ID, 'row ' || a.N || '/' || "
                           "b.N NAME, b.N GRP from VOXA.CHECK_SEED a, VOXA.CHECK_SEED b"));
        run(QStringLiteral("create unique index VOXA.BIG_CHECK_ID on VOXA.BIG_CHECK (ID)"));
        run(QStringLiteral("create index VOXA.BIG_CHECK_NAME on VOXA.BIG_CHECK (NAME)"));
        bigTable = "T"
            + one(QStringLiteral("select object_id from all_objects where owner = 'VOXA' and object_name = "
                                 "'BIG_CHECK' and object_type = 'TABLE'"))
                  .toStdString();
        std::printf("1,000,000-row table with two indexes made in %.1f s (%s rows)\n", clock.elapsed() / 1000.0,
            qPrintable(one(QStringLiteral("select count(*) from VOXA.BIG_CHECK"))));
    }
    benchmark::Initialize(&argc, argv);
    benchsupport::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    for (const char* name : { "OpenTreeAndTabs/iterations:5", "ListWholeSchema/iterations:5" }) {
        auto t = reporter.times.find(name);
        if (t != reporter.times.end())
            std::printf("  %-40s %.1f ms (target under %.0f ms) %s\n", name, t->second, kTabsTargetMs,
                t->second < kTabsTargetMs ? "met" : "NOT MET");
    }
    auto e = reporter.times.find("EngineValidateCascade/iterations:3");
    auto s = reporter.times.find("SqliteIntegrityCheck/iterations:3");
    if (e != reporter.times.end() && s != reporter.times.end() && s->second > 0) {
        const double ratio = e->second / s->second;
        std::printf("  VALIDATE STRUCTURE CASCADE / SQLite integrity_check: %.2f (target at most %.1f) %s\n", ratio,
            kValidateTarget, ratio <= kValidateTarget ? "met" : "NOT MET");
    }
    benchmark::Shutdown();
    return 0;
}
