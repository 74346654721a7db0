// Script deployment on the embedded demo database, on the offscreen platform:
// - storing a script file of 10,000 statements (about 1 MB, with variables and conditions) into the script table
//   (target: under 1 s);
// - Execute All of 10,000 small statements in the script executor (status row written and committed per statement)
//   against the same statements each followed by COMMIT through db::Query, in the same run (target: at most 3 times),
//   and the resident memory of the run after 1,000 rows and at its end (it must not grow with the rows run).
#include "db/query.h"
#include "db/session.h"
#include "deploy/execScr.h"
#include "deploy/scriptstore.h"
#include "shell/Main.h"
#include "support/demo_start.h"
#include "support/main_window.h"
#include "support/ratio_reporter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kStatements = 10000;
constexpr double kStoreTargetMs = 1000.0;
constexpr double kExecuteTargetRatio = 3.0;

TfmMain* mainWindow = nullptr;
TfmScript* window = nullptr;
QStringList storeLines;
qint64 storeBytes = 0;
int storeIteration = 0;

std::vector<double> executeMs, directMs, ratios;
long rssAt1000Kb = 0;
long rssAtEndKb = 0;

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

void run(const QString& sql)
{
    db::Query q(mainWindow->osOracle);
    q.setSql(sql);
    q.execute();
}

// 10,000 statements of about 100 characters, with declared variables and a condition before every 50th.
void buildStoreScript()
{
    storeLines << QStringLiteral("-- a deployment of ten thousand statements")
               << QStringLiteral("#DECLARE VAR_OWN \"VOXA\"") << QStringLiteral("/")
               << QStringLiteral("#DECLARE VAR_NOTE \"stored by the store benchmark\"") << QStringLiteral("/");
    for (int i = 1; i <= kStatements; ++i) {
        if (i % 50 == 1)
            storeLines << QStringLiteral("#IF 2 select count(*) rezultat from all_tables where owner='VOXA' and "
                                         "table_name='ORDERS' #ENDIF");
        storeLines << QStringLiteral("INSERT INTO :VAR_OWN:.BENCH_EXEC (ID, NOTE) VALUES (%1, ':VAR_NOTE: %2, a row of the deployment')")
                          .arg(i)
                          .arg(i, 6, 10, QLatin1Char('0'))
                   << QStringLiteral("/");
    }
    for (const QString& line : storeLines)
        storeBytes += line.toUtf8().size() + 2;
}

void StoreTenThousandStatements(benchmark::State& state)
{
    for (auto _ : state) {
        deploy::StoreRequest request;
        request.name = QStringLiteral("BENCH_STORE_%1").arg(++storeIteration);
        request.owner = QStringLiteral("VOXA");
        request.scriptDateOwner = true;
        QElapsedTimer clock;
        clock.start();
        const deploy::StoreOutcome outcome = deploy::storeScript(*mainWindow->osOracle, storeLines, request);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (!outcome.stored || outcome.resolve.rows.size() != size_t(kStatements)) {
            state.SkipWithError("the script was not stored whole");
            break;
        }
        state.PauseTiming();
        run(QStringLiteral("delete from vexo_util.vexo_exs where script_name like 'BENCH_STORE%'"));
        mainWindow->osOracle->commit();
        state.ResumeTiming();
    }
    state.counters["bytes"] = double(storeBytes);
}

// The same script as a file, through the window: loaded into the open-file page and put into the table.
void StoreFileThroughTheWindow(benchmark::State& state)
{
    QTemporaryDir scripts;
    QFile f(scripts.filePath(QStringLiteral("bench_window.sql")));
    f.open(QIODevice::WriteOnly);
    f.write(storeLines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
    f.close();
    for (auto _ : state) {
        window->edDir->setText(scripts.path());
        window->edSkripta->setText(QStringLiteral("BENCH_WINDOW"));
        QElapsedTimer clock;
        clock.start();
        const bool stored = window->loadScriptFile() && window->btScriptPutClick();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (!stored) {
            state.SkipWithError("the script file was not stored");
            break;
        }
        state.PauseTiming();
        run(QStringLiteral("delete from vexo_util.vexo_exs where script_name = 'BENCH_WINDOW'"));
        mainWindow->osOracle->commit();
        state.ResumeTiming();
    }
}

QString smallStatement(int i)
{
    return QStringLiteral("INSERT INTO VOXA.BENCH_EXEC (ID, NOTE) VALUES (%1, 'row %1')").arg(i);
}

void resetRun()
{
    run(QStringLiteral("delete from voxa.bench_exec"));
    run(QStringLiteral("update vexo_util.vexo_exs set script_stat='N', script_err=null where script_name='BENCH_EXEC'"));
    mainWindow->osOracle->commit();
}

double executeAll()
{
    long firstMark = 0;
    QTimer sampler;
    sampler.setInterval(0);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (!firstMark && window->laCurrent->text().toInt() >= 1000)
            firstMark = residentKb();
        // The message at the end of the run, answered at once.
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            box->done(QDialog::Accepted);
    });
    sampler.start();
    QElapsedTimer clock;
    clock.start();
    window->spExecAllScript->click();
    const double ms = clock.nsecsElapsed() / 1e6;
    sampler.stop();
    rssAt1000Kb = firstMark;
    rssAtEndKb = residentKb();
    return ms;
}

double direct()
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= kStatements; ++i) {
        db::Query q(mainWindow->osOracle);
        q.setSql(smallStatement(i));
        q.execute();
        mainWindow->osOracle->commit();
    }
    return clock.nsecsElapsed() / 1e6;
}

void ExecuteAllAgainstQueryAndCommit(benchmark::State& state)
{
    mainWindow->currentScript = QStringLiteral("BENCH_EXEC");
    window->cbAllScripts->setEditText(QStringLiteral("BENCH_EXEC"));
    window->tbRunClick();
    for (auto _ : state) {
        state.PauseTiming();
        resetRun();
        state.ResumeTiming();
        const double e = executeAll();
        state.PauseTiming();
        if (window->laCurrent->text().toInt() != kStatements) {
            state.SkipWithError("Execute All did not run every row");
            break;
        }
        resetRun();
        state.ResumeTiming();
        const double d = direct();
        executeMs.push_back(e);
        directMs.push_back(d);
        ratios.push_back(e / d);
        state.SetIterationTime((e + d) / 1e3);
    }
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

BENCHMARK(StoreTenThousandStatements)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(StoreFileThroughTheWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(ExecuteAllAgainstQueryAndCommit)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    benchsupport::useOffscreenPlatform();
    QApplication app(argc, argv);
    const benchsupport::DemoDirectory demo;
    auto main = benchsupport::loggedOnMainWindow(demo);
    mainWindow = main.get();
    db::Session& s = *main->osOracle;
    run(QStringLiteral("create table VOXA.BENCH_EXEC (ID number, NOTE varchar2(60))"));
    buildStoreScript();

    // The script Execute All runs: 10,000 small statements stored as rows of the script table.
    QStringList execLines;
    for (int i = 1; i <= kStatements; ++i)
        execLines << smallStatement(i) << QStringLiteral("/");
    deploy::StoreRequest request;
    request.name = QStringLiteral("BENCH_EXEC");
    request.owner = QStringLiteral("VOXA");
    request.scriptDateOwner = true;
    if (!deploy::storeScript(s, execLines, request).stored) {
        std::fprintf(stderr, "the Execute All script could not be stored\n");
        return 1;
    }
    auto script = std::make_unique<TfmScript>(main.get());
    window = script.get();
    window->resize(1100, 700);
    if (qEnvironmentVariableIsEmpty("BENCH_HIDDEN")) window->show();
    window->cbMess->setChecked(false);
    window->cbThread->setChecked(false);
    main->currentScript = QStringLiteral("BENCH_EXEC");
    window->cbAllScripts->setEditText(QStringLiteral("BENCH_EXEC"));
    window->tbRunClick();

    benchsupport::RatioReporter reporter;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double storeMs = reporter.times["StoreTenThousandStatements/iterations:5/manual_time"];
    std::printf("\nStore of %d statements (%.2f MB, with variables and conditions): %.1f ms (target under %.0f ms): %s\n",
        kStatements, storeBytes / 1048576.0, storeMs, kStoreTargetMs, storeMs < kStoreTargetMs ? "met" : "NOT met");
    const double windowMs = reporter.times["StoreFileThroughTheWindow/iterations:3/manual_time"];
    std::printf("The same file loaded and put into the table through the window: %.1f ms (target under %.0f ms): %s\n",
        windowMs, kStoreTargetMs, windowMs < kStoreTargetMs ? "met" : "NOT met");
    const double ratio = median(ratios);
    std::printf("Execute All of %d statements: median %.0f ms; each through db::Query with COMMIT: median %.0f ms; "
                "ratio %.2f (target at most %.1f): %s\n",
        kStatements, median(executeMs), median(directMs), ratio, kExecuteTargetRatio,
        ratio <= kExecuteTargetRatio ? "met" : "NOT met");
    std::printf("Resident memory of the last Execute All: %ld kB after 1,000 rows, %ld kB after %d rows (growth %ld kB)\n",
        rssAt1000Kb, rssAtEndKb, kStatements, rssAtEndKb - rssAt1000Kb);
    script.reset();
    return 0;
}
