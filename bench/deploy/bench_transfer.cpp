// The data-transfer windows on the embedded demo database, on the offscreen platform:
// - refreshing a 100,000-row table (10% of its rows changed, 1% new, 1% deleted) through the refresh window's
//   generated block, against deleting the destination's rows and inserting the source's with one INSERT ... SELECT
//   through db::Query in the same run (target: at most 5 times); the longest time the window went without new
//   progress (target: at most 1 s); and how long Stop takes to end a run (target: at most 1 s);
// - dumping the structure of VOXA's tables and comparing it with a reference (target: under 2 s).
#include "db/query.h"
#include "db/session.h"
#include "deploy/cmpstru.h"
#include "deploy/refresh.h"
#include "shell/Main.h"
#include "shell/sqleditor.h"
#include "support/demo_start.h"
#include "support/main_window.h"
#include "support/ratio_reporter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int kRows = 100000;
constexpr double kRefreshTargetRatio = 5.0;
constexpr double kProgressTargetMs = 1000.0;
constexpr double kStopTargetMs = 1000.0;
constexpr double kCompareTargetMs = 2000.0;

TfmMain* mainWindow = nullptr;
TfmRefresh* refresh = nullptr;
QString workDir;
double longestSilenceMs = 0;
double longestStopMs = 0;

void run(db::Session& s, const QString& sql)
{
    db::Query q(&s);
    q.setSql(sql);
    q.execute();
}

// The destination as the refresh finds it: 1% of the source's rows missing, 10% changed, 1% that the source lacks.
void resetDestination()
{
    db::Session& s = *mainWindow->osOracle;
    run(s, QStringLiteral("delete from BILDOR.BR_DST"));
    run(s, QStringLiteral("insert into BILDOR.BR_DST select ID, case when mod(ID, 10) = 3 then NAME || 'x' else NAME "
                          "end, AMT, D from VOXA.BR_SRC where mod(ID, 100) <> 7"));
    run(s, QStringLiteral("insert into BILDOR.BR_DST select ID + %1, NAME, AMT, D from VOXA.BR_SRC where mod(ID, 100) "
                          "= 9")
               .arg(kRows));
    s.commit();
}

// Runs the window's block; notes the longest time between two changes of the counter label.
void RefreshThroughTheWindow(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        resetDestination();
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        QString last;
        QElapsedTimer silence;
        silence.start();
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (refresh->laCounter->text() != last) {
                last = refresh->laCounter->text();
                longestSilenceMs = std::max(longestSilenceMs, silence.nsecsElapsed() / 1e6);
                silence.restart();
            }
        });
        watch.start(5);
        refresh->btRefresh->click();
        watch.stop();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (refresh->laStatus->text() != QLatin1String("ENDED"))
            state.SkipWithError("the refresh did not end well");
        state.counters["deleted"] = refresh->laDeleted->text().toDouble();
        state.counters["updated"] = refresh->laUpdated->text().toDouble();
        state.counters["inserted"] = refresh->laInserted->text().toDouble();
        state.PauseTiming();
        refresh->btRollback->click();
        state.ResumeTiming();
    }
}

void DeleteAndInsertSelect(benchmark::State& state)
{
    db::Session& s = *mainWindow->osOracle;
    for (auto _ : state) {
        state.PauseTiming();
        resetDestination();
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        db::Query del(&s);
        del.setSql(QStringLiteral("delete from BILDOR.BR_DST"));
        del.execute();
        db::Query ins(&s);
        ins.setSql(QStringLiteral("insert into BILDOR.BR_DST select * from VOXA.BR_SRC"));
        ins.execute();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        state.PauseTiming();
        s.rollback();
        state.ResumeTiming();
    }
}

// Stop pressed as the first progress shows: the time until the window has the run behind it.
void StopDuringARun(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        resetDestination();
        state.ResumeTiming();
        QElapsedTimer stopped;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!refresh->laCounter->text().isEmpty() && !stopped.isValid()) {
                stopped.start();
                refresh->btStop->click();
            }
        });
        watch.start(5);
        refresh->btRefresh->click();
        watch.stop();
        const double ms = stopped.isValid() ? stopped.nsecsElapsed() / 1e6 : 0;
        longestStopMs = std::max(longestStopMs, ms);
        state.SetIterationTime(ms / 1000.0);
        if (refresh->laStatus->text() != QLatin1String("STOPPED"))
            state.SkipWithError("the run was not stopped");
        state.PauseTiming();
        if (refresh->btRollback->isEnabled())
            refresh->btRollback->click();
        state.ResumeTiming();
    }
}

// The COMPARE sequence's work without its start timer: dump VOXA's tables, save, load both dumps, compare.
void DumpAndCompareVoxa(benchmark::State& state)
{
    for (auto _ : state) {
        TfmCmpStru window(mainWindow);
        window.pAuto = true;
        window.edfSource->setText(workDir + QStringLiteral("/ref.sfg"));
        window.edfDest->setText(workDir + QStringLiteral("/cur.sfg"));
        window.edUser->setText(QStringLiteral("VOXA"));
        window.edName->setText(QStringLiteral("%"));
        QElapsedTimer clock;
        clock.start();
        window.btCreateScriptClick();
        window.spSaveClick();
        window.loadSource();
        window.loadDest();
        window.btCompareClick();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        state.counters["lines"] = double(window.meDest->lines());
        state.counters["differences"] = window.stNapak();
    }
}

BENCHMARK(RefreshThroughTheWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(DeleteAndInsertSelect)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(StopDuringARun)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(DumpAndCompareVoxa)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    benchsupport::useOffscreenPlatform();
    QApplication app(argc, argv);
    const benchsupport::DemoDirectory demo;
    workDir = demo.path();
    auto main = benchsupport::loggedOnMainWindow(demo);
    mainWindow = main.get();
    db::Session& s = *main->osOracle;
    run(s, QStringLiteral("create table VOXA.BR_SRC (ID number primary key, NAME varchar2(30), AMT number, D date)"));
    run(s, QStringLiteral("insert into VOXA.BR_SRC select level, 'row ' || level, level * 1.5, date '2024-01-01' + "
                          "mod(level, 365) from dual connect by level <= %1")
               .arg(kRows));
    run(s, QStringLiteral("create table BILDOR.BR_DST (ID number primary key, NAME varchar2(30), AMT number, D date)"));
    s.commit();
    // The reference dump of the compare, made once.
    {
        TfmCmpStru window(main.get());
        window.pAuto = true;
        window.edfDest->setText(demo.path() + QStringLiteral("/ref.sfg"));
        window.edName->setText(QStringLiteral("%"));
        window.btCreateScriptClick();
        window.spSaveClick();
    }

    auto* window = new TfmRefresh(main.get(), main.get());
    refresh = window;
    window->show();
    window->cbUserSource->setEditText(QStringLiteral("VOXA"));
    window->cbTableSource->setEditText(QStringLiteral("BR_SRC"));
    window->cbUserDest->setEditText(QStringLiteral("BILDOR"));
    window->cbTableDest->setEditText(QStringLiteral("BR_DST"));
    window->loadColumns();
    for (int r = 0; r < window->sgSelCol->rowCount(); ++r)
        if (window->sgSelCol->item(r, 1)->text() != QLatin1String("ID"))
            window->sgSelCol->item(r, 0)->setText(QStringLiteral(" + "));
    window->cbDelete->setChecked(true);

    ::benchmark::Initialize(&argc, argv);
    benchsupport::RatioReporter reporter;
    ::benchmark::RunSpecifiedBenchmarks(&reporter);
    const double refreshMs = reporter.times["RefreshThroughTheWindow/iterations:3/manual_time"];
    const double baselineMs = reporter.times["DeleteAndInsertSelect/iterations:3/manual_time"];
    const double compareMs = reporter.times["DumpAndCompareVoxa/iterations:5/manual_time"];
    if (baselineMs > 0) {
        const double ratio = refreshMs / baselineMs;
        std::printf("refresh of %d rows: %.0f ms, delete and INSERT ... SELECT: %.0f ms, ratio %.2f (target at most "
                    "%.1f) %s\n",
            kRows, refreshMs, baselineMs, ratio, kRefreshTargetRatio, ratio <= kRefreshTargetRatio ? "OK" : "MISSED");
    }
    std::printf("longest time without new progress: %.0f ms (target at most %.0f) %s\n", longestSilenceMs,
        kProgressTargetMs, longestSilenceMs <= kProgressTargetMs ? "OK" : "MISSED");
    std::printf("Stop to the run's end: %.0f ms at most (target at most %.0f) %s\n", longestStopMs, kStopTargetMs,
        longestStopMs <= kStopTargetMs ? "OK" : "MISSED");
    std::printf("dump and compare of VOXA's tables: %.0f ms (target under %.0f) %s\n", compareMs, kCompareTargetMs,
        compareMs < kCompareTargetMs ? "OK" : "MISSED");
    ::benchmark::Shutdown();
    delete window;
    return 0;
}
