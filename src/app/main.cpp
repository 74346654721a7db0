// The program block: creates the application and its one main window, and runs the message loop until the main
// window closes.
#include "admin/register_jobs.h"
#include "admin/register_structure.h"
#include "db/drivers.h"
#include "db/oci/ociclient.h"
#include "db/oci/ocidriver.h"
#include "db/oci/tnsnames.h"
#include "develop/register_plsql.h"
#include "deploy/commandcheck.h"
#include "deploy/mainrunner.h"
#include "deploy/register_scripts.h"
#include "develop/registerwindows.h"
#include "shell/connect.h"
#include "shell/Main.h"

#include "engine/engine.h"
#include "engine/kit/kit.h"
#include "platform/fileinfo.h"
#include "platform/inifile.h"
#include "shell/settings.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>

#include <cstdio>

#include <memory>

// Whether the embedded database in `dir` is missing or was put aside because an older version of the program made it
// (another catalog version): it is then renamed under a dated name, so nothing of it is lost. A database in use or
// damaged stays where it is; the logon reports it.
static bool missingOrPutAside(const QString& dir)
{
    if (!engine::Database::exists(dir.toStdString()))
        return true;
    try {
        engine::Database::open(dir.toStdString());
        return false;
    } catch (const engine::Error& e) {
        if (e.code() != 1122 || !QString::fromStdString(e.message()).contains(QLatin1String("catalog version")))
            return false;
    }
    const QString aside
        = dir + QStringLiteral(".old-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!QDir().rename(dir, aside)) {
        std::fprintf(stderr, "The database %s is of an older version and could not be put aside.\n", qPrintable(dir));
        return false;
    }
    std::fprintf(stderr, "The database of an older version was put aside as %s; a new one is made.\n", qPrintable(aside));
    return true;
}

// The embedded demo database DEMO (with its audit database) is made from the kit the first time the program runs,
// and again when an older version made it, so there is always a database to log on to. Its second instance DEMO2, a
// copy of it, is there for command files run over two instances.
static void ensureDemoDatabase()
{
    const QString dataDir = db::embeddedDataDirectory();
    const QString demo = QDir(dataDir).filePath(QStringLiteral("DEMO"));
    const QString audit = QString::fromStdString(engine::kit::auditDatabaseDir(demo.toStdString()));
    const QString second = QString::fromStdString(engine::kit::secondDemoDir(demo.toStdString()));
    const bool auditGone = missingOrPutAside(audit);
    const bool demoGone = missingOrPutAside(demo);
    if (demoGone || auditGone) {
        try {
            QDir().mkpath(dataDir);
            if (engine::Database::exists(demo.toStdString()))
                engine::kit::createAuditDatabase(audit.toStdString());
            else
                engine::kit::createDemoDatabase(demo.toStdString());
        } catch (const engine::Error& e) {
            std::fprintf(stderr, "The demo database could not be made in %s: %s\n", qPrintable(demo), e.what());
            return;
        }
    }
    if (!missingOrPutAside(second))
        return;
    try {
        engine::kit::copyDatabase(demo.toStdString(), second.toStdString());
    } catch (const engine::Error& e) {
        std::fprintf(stderr, "The second demo database could not be made in %s: %s\n", qPrintable(second), e.what());
    }
}

// Whether windows can be shown: a platform chosen by the environment, or a display to show them on.
static bool displayAvailable()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// The language of messages before the main window exists: the command list's LANGUAGE, else the settings'.
static QString startLanguage(const deploy::CommandLineCheck& check)
{
    if (!check.language.isEmpty())
        return check.language;
    const platform::IniFile settings(shell::settingsFilePath(platform::executableDir()));
    return settings.readString(QStringLiteral("PL/SQL"), QStringLiteral("CURR_LANGUAGE"), QStringLiteral("ANG"));
}

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (deploy::asksForHelp(arguments)) {
        std::fputs(deploy::usageText().toLocal8Bit().constData(), stdout);
        return deploy::exitSucceeded;
    }
    // A run with commands, or one that will only say why it cannot run, needs no display.
    const deploy::CommandLineCheck check = deploy::checkCommandLine(arguments, QDir::currentPath());
    if ((check.runsCommands || !check.ok()) && !displayAvailable())
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmorant"));
    QApplication::setApplicationName(QStringLiteral("Dremmox"));
    QApplication::setApplicationVersion(platform::versionText());
    // The Oracle client is loaded only at the first logon to an Oracle alias: from DREMMOX_ORACLE_CLIENT when set (a
    // directory or the library file itself), else ORACLE_HOME, else the loader's search path.
    db::oci::setClientLocation(qEnvironmentVariable("DREMMOX_ORACLE_CLIENT"));
    db::setOracleClientDriver(db::oci::clientDriver());
    db::setOracleAliasProvider(&db::oci::clientAliases);

    if (!check.ok()) {
        std::fprintf(stderr, "%s\n", check.message(startLanguage(check)).toLocal8Bit().constData());
        return deploy::exitUsageOrLogon;
    }

    // Closing the main window ends the program even while tool windows are open; they go with it.
    ensureDemoDatabase();
    develop::registerWindows();
    develop::registerPlsqlWindows();
    deploy::registerScriptWindows();
    admin::registerJobWindows();
    admin::registerStructureWindows();
    auto window = std::make_unique<TfmMain>();
    shell::installConnectionSequence(*window);
    deploy::installCommandRunner(*window);
    TfmMain* main = window.get();
    QObject::connect(
        main, &TfmMain::closed, &app, [main] { QCoreApplication::exit(main->exitStatus); }, Qt::QueuedConnection);
    window->show();
    window->activateWindow(); // a display without a window manager activates nothing by itself
    const int result = QApplication::exec();
    // The last window closing quits the loop with 0 before the queued exit with the run's status comes: a run that
    // failed says so whichever comes first.
    const int status = main->exitStatus != 0 ? main->exitStatus : result;
    window.reset();
    return status;
}
