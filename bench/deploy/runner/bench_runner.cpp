// Unattended runs of the program as whole processes, without a display:
// - a command file that logs on to the demo database and ends (target: under 1 s from process start to exit);
// - a several-installations run over 20 installations against the same run over 1, the script already stored for
//   every installation so that only the run's own work is timed (target: under 200 ms per further installation).
//
// bench_runner prepares a directory with the demo database (in two data directories, one with 1 installation and
// one with 20), the command files and vecInstalacij, and prints the three command lines to time with any process
// timer (farm-bench, hyperfine, /usr/bin/time). With --runs N it also times them itself, N runs each after one
// warm-up, and prints the medians and the cost per further installation.
//
//   bench_runner --program build/bench/src/dremmox [--runs 9] [--keep]
#include "engine/engine.h"
#include "engine/kit/kit.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kInstallations = 20;
constexpr double kStartTargetMs = 1000.0;
constexpr double kPerInstallationTargetMs = 200.0;

void writeFile(const QString& path, const QString& text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(text.toUtf8());
}

// A demo database in dataDir/dremmox/databases/DEMO with `count` installations; each has the script V9000_BENCH
// stored and executed already.
void makeData(const QString& dataDir, int count)
{
    const QString databases = dataDir + QStringLiteral("/dremmox/databases");
    QDir().mkpath(databases);
    const std::string demo = QDir(databases).filePath(QStringLiteral("DEMO")).toStdString();
    engine::kit::demoTemplate(demo);
    auto db = engine::Database::open(demo);
    auto s = db->logOn("SYSTEM", "MANAGER");
    s->execute("DELETE FROM VEXO_UTIL.VEXO_INST_USERS WHERE USERINDEX > " + std::to_string(count));
    s->execute("DELETE FROM VEXO_UTIL.VEXO_INSTALATIONS WHERE USERINDEX > " + std::to_string(count));
    for (int i = 4; i <= count; ++i) {
        const std::string n = std::to_string(i);
        const std::string v = "VZAS" + n;
        const std::string b = "BZAS" + n;
        for (const std::string& user : { v, b }) {
            s->execute("CREATE USER " + user + " IDENTIFIED BY " + user
                + " DEFAULT TABLESPACE VOXA_PR TEMPORARY TABLESPACE TEMP");
            s->execute("GRANT CONNECT, RESOURCE, ZDR, DBA TO " + user);
            s->execute("INSERT INTO VOXA.ISEC_USERS VALUES (" + std::to_string(100 + i * 2 + (user == b)) + ", '" + user
                + "', NULL, 'X" + n + "', 'Bench', NULL, 0, 'D', 1)");
        }
        s->execute("INSERT INTO VEXO_UTIL.VEXO_INSTALATIONS VALUES (" + n + ", '" + v + "', 'Bench " + n + "', 'DEMO', '"
            + v + "', '" + v + "', '" + b + "', '" + b + "', NULL, NULL, NULL)");
    }
    for (int i = 1; i <= count; ++i)
        s->execute("INSERT INTO VEXO_UTIL.VEXO_EXS VALUES ('V9000_BENCH', 1, 'X', 'SELECT 1 FROM DUAL', NULL, 'VZAS"
            + std::to_string(i) + "', SYSDATE)");
    s->commit();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Command {
    const char* what;
    QString dataDir;
    QString file;
};

// One run of the program as the command line says; its wall time in milliseconds, or a negative value when it failed.
double timeRun(const QString& program, const QString& dir, const Command& c)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), c.dataDir);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/config"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    QElapsedTimer clock;
    clock.start();
    p.start(program, { QLatin1Char('@') + c.file });
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed (%d): %s\n", c.what, p.exitCode(), p.readAllStandardError().constData());
        return -1;
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype programAt = args.indexOf(QStringLiteral("--program"));
    if (programAt < 0 || programAt + 1 >= args.size()) {
        std::fprintf(stderr, "usage: bench_runner --program PATH [--runs N] [--keep]\n");
        return 2;
    }
    const QString program = QFileInfo(args.at(programAt + 1)).absoluteFilePath();
    const qsizetype runsAt = args.indexOf(QStringLiteral("--runs"));
    const int runs = runsAt >= 0 && runsAt + 1 < args.size() ? args.at(runsAt + 1).toInt() : 0;

    // A short directory: command files are named with at most 50 characters.
    QTemporaryDir root(QStringLiteral("/tmp/drbXXXXXX"));
    root.setAutoRemove(!args.contains(QStringLiteral("--keep")));
    const QString dir = root.path();
    makeData(dir + QStringLiteral("/one"), 1);
    makeData(dir + QStringLiteral("/twenty"), kInstallations);
    writeFile(dir + QStringLiteral("/logon.txt"), QStringLiteral("CONNECT VOXA VOXA DEMO\nOWNER VOXA\n"));
    writeFile(dir + QStringLiteral("/MU_bench.txt"),
        QStringLiteral("CONNECT VOXA VOXA DEMO\nSCRIPT V9000_BENCH ") + dir + QLatin1Char('\n'));
    writeFile(dir + QStringLiteral("/vecInstalacij"), QStringLiteral("DEMO TRUE\n"));

    const std::vector<Command> commands = {
        // Named from the working directory: the several-installations mode is the file name's "MU_" prefix.
        { "logon and end", dir + QStringLiteral("/one"), QStringLiteral("logon.txt") },
        { "1 installation", dir + QStringLiteral("/one"), QStringLiteral("MU_bench.txt") },
        { "20 installations", dir + QStringLiteral("/twenty"), QStringLiteral("MU_bench.txt") },
    };
    for (const Command& c : commands)
        std::printf("%-18s sh -c 'cd %s && exec env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
                    "XDG_DATA_HOME=%s XDG_CONFIG_HOME=%s/config %s @%s'\n",
            c.what, qPrintable(dir), qPrintable(c.dataDir), qPrintable(dir), qPrintable(program), qPrintable(c.file));
    if (runs <= 0)
        return 0;

    std::vector<double> medians;
    for (const Command& c : commands) {
        timeRun(program, dir, c); // warm-up
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            const double ms = timeRun(program, dir, c);
            if (ms < 0)
                return 1;
            times.push_back(ms);
        }
        medians.push_back(median(times));
        std::printf("%-18s median %8.1f ms over %d runs\n", c.what, medians.back(), runs);
    }
    const double perInstallation = (medians[2] - medians[1]) / (kInstallations - 1);
    std::printf("logon and end: %.1f ms (target under %.0f ms)\n", medians[0], kStartTargetMs);
    std::printf("per further installation: %.1f ms (target under %.0f ms)\n", perInstallation, kPerInstallationTargetMs);
    return 0;
}
