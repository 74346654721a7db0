// The PL/SQL editor and the object-status window on the embedded demo database, on the offscreen platform:
// - a file of 20,000 lines holding 40 packages (four of them with errors in their bodies) compiled from the editor
//   (split, send, read the errors, mark the first) against the same CREATE statements through db::Query (target: at
//   most 1.5 times);
// - "Recompile All" over 300 invalid procedures in the object-status window against the same ALTER ... COMPILE
//   statements sent directly (target: at most 1.5 times).
// The two ways take turns in each round; the ratio is the median of the rounds' ratios, as this machine's speed
// changes within a run.
#include "db/query.h"
#include "db/session.h"
#include "develop/editpl.h"
#include "develop/errors.h"
#include "develop/objectstatus.h"
#include "shell/Main.h"
#include "shell/sqleditor.h"
#include "support/demo_start.h"
#include "support/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double kTargetRatio = 1.5;
constexpr int kPackages = 40;
constexpr int kLinesPerPackage = 500;
constexpr int kUnits = 300;
constexpr int kRounds = 7;

TfmMain* mainWindow = nullptr;

void run(const QString& sql)
{
    db::Query q(mainWindow->osOracle);
    q.setSql(sql);
    q.execute();
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The statements of one package: its declaration (CREATE PACKAGE) and a body of procedures that fill
// kLinesPerPackage lines in all; a package with errors assigns to a variable it never declared.
QStringList packageStatements(int n, bool withErrors)
{
    const QString name = QStringLiteral("voxa.pck_bench_%1").arg(n);
    constexpr int procedures = 10;
    QString spec = QStringLiteral("CREATE OR REPLACE PACKAGE %1 IS\r\n").arg(name);
    for (int p = 0; p < procedures; ++p)
        spec += QStringLiteral("  PROCEDURE p%1(a NUMBER);\r\n").arg(p);
    spec += QStringLiteral("END;\r\n");
    const int specLines = procedures + 2;
    const int bodyLines = kLinesPerPackage - specLines - 2; // the two "/" lines
    const int perProcedure = (bodyLines - 2) / procedures;
    QString body = QStringLiteral("CREATE OR REPLACE PACKAGE BODY %1 IS\r\n").arg(name);
    int written = 1;
    for (int p = 0; p < procedures; ++p) {
        body += QStringLiteral("  PROCEDURE p%1(a NUMBER) IS\r\n    v NUMBER := a;\r\n  BEGIN\r\n").arg(p);
        written += 3;
        for (int s = 0; s < perProcedure - 4; ++s, ++written)
            body += (withErrors && p == 5 && s == 7) ? QStringLiteral("    w_undeclared := v + %1;\r\n").arg(s)
                                                     : QStringLiteral("    v := v + %1;\r\n").arg(s);
        body += QStringLiteral("  END;\r\n");
        ++written;
    }
    for (; written < bodyLines - 1; ++written)
        body += QStringLiteral("  -- end of the procedures\r\n");
    body += QStringLiteral("END;\r\n");
    return { spec, body };
}

void compareEditorCompile()
{
    QStringList statements;
    for (int n = 0; n < kPackages; ++n)
        statements << packageStatements(n, n % 10 == 3);
    QString file;
    for (const QString& s : statements)
        file += s + QStringLiteral("/\r\n");
    const int lines = int(file.count(QStringLiteral("\r\n")));

    TfmEditPL* editor = openEditPL(*mainWindow);
    editor->resize(900, 700);
    editor->meEdit->setText(file);
    QTest::qWaitForWindowExposed(editor);
    std::vector<double> direct, window, ratios;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        for (const QString& s : statements) {
            db::Query q(mainWindow->osOracle);
            q.setSql(s);
            q.execute();
        }
        const double d = clock.nsecsElapsed() / 1e6;
        clock.restart();
        editor->spCompileClick();
        const double w = clock.nsecsElapsed() / 1e6;
        direct.push_back(d);
        window.push_back(w);
        ratios.push_back(w / d);
    }
    const double ratio = median(ratios);
    std::printf("compile of %d lines, %d packages (%d errors listed) from the editor: %.1f ms; the same %lld CREATE "
                "statements through db::Query: %.1f ms (medians of %d); ratio %.2f (target at most %.1f) %s\n",
        lines, kPackages, editor->stNapak, median(window), static_cast<long long>(statements.size()), median(direct),
        kRounds, ratio, kTargetRatio, ratio <= kTargetRatio ? "met" : "NOT MET");
    delete editor;
}

// Makes the units INVALID again: their table goes and comes back.
void invalidateUnits()
{
    run(QStringLiteral("drop table bildor.bench_dep"));
    run(QStringLiteral("create table bildor.bench_dep (a number)"));
}

void compareCompileAll()
{
    run(QStringLiteral("create table bildor.bench_dep (a number)"));
    for (int i = 0; i < kUnits; ++i)
        run(QStringLiteral("create or replace procedure bildor.p_bench_%1 is n number; begin select count(*) into n "
                           "from bildor.bench_dep; end;")
                .arg(i, 3, 10, QLatin1Char('0')));
    TfmErrors* window = develop::openErrorsWindow(*mainWindow);
    window->edOwner->setText(QStringLiteral("BILDOR"));
    window->resize(900, 600);
    QTest::qWaitForWindowExposed(window);
    std::vector<double> direct, all, ratios;
    int listed = 0;
    for (int round = 0; round < kRounds; ++round) {
        invalidateUnits();
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kUnits; ++i)
            run(develop::alterCompileStatement(
                { QStringLiteral("BILDOR"), QStringLiteral("P_BENCH_%1").arg(i, 3, 10, QLatin1Char('0')),
                    QStringLiteral("PROCEDURE") }));
        const double d = clock.nsecsElapsed() / 1e6;
        invalidateUnits();
        window->tbInvalidClick();
        listed = window->listedCount();
        clock.restart();
        window->tbCompileAllClick();
        const double w = clock.nsecsElapsed() / 1e6;
        direct.push_back(d);
        all.push_back(w);
        ratios.push_back(w / d);
    }
    const double ratio = median(ratios);
    std::printf("Recompile All of %d invalid units in the object-status window: %.1f ms; the same ALTER ... COMPILE "
                "statements sent directly: %.1f ms (medians of %d); ratio %.2f (target at most %.1f) %s; %d left "
                "invalid\n",
        listed, median(all), median(direct), kRounds, ratio, kTargetRatio, ratio <= kTargetRatio ? "met" : "NOT MET",
        window->listedCount());
    delete window;
}

} // namespace

int main(int argc, char** argv)
{
    benchsupport::useOffscreenPlatform();
    QApplication app(argc, argv);
    const benchsupport::DemoDirectory demo;
    auto main = benchsupport::loggedOnMainWindow(demo);
    mainWindow = main.get();
    db::Session& s = *main->osOracle;
    main->currOwner = QStringLiteral("VOXA");
    compareEditorCompile();
    compareCompileAll();
    std::fflush(stdout);
    s.logOff();
    return 0;
}
