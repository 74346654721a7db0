// The program block: creates the application and its one main window, and runs the message loop until the main
// window closes.
#include "db/drivers.h"
#include "db/oci/ociclient.h"
#include "db/oci/ocidriver.h"
#include "db/oci/tnsnames.h"
#include "develop/registerwindows.h"
#include "shell/connect.h"
#include "shell/Main.h"

#include "engine/engine.h"
#include "engine/kit/kit.h"
#include "platform/fileinfo.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

#include <memory>

// The embedded demo database DEMO is made from the kit the first time the program runs, so there is always a
// database to log on to.
static void ensureDemoDatabase()
{
    const QString dataDir = db::embeddedDataDirectory();
    const QString demo = QDir(dataDir).filePath(QStringLiteral("DEMO"));
    if (engine::Database::exists(demo.toStdString()))
        return;
    try {
        QDir().mkpath(dataDir);
        engine::kit::createDemoDatabase(demo.toStdString());
    } catch (const engine::Error& e) {
        std::fprintf(stderr, "The demo database could not be made in %s: %s\n", qPrintable(demo), e.what());
    }
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmorant"));
    QApplication::setApplicationName(QStringLiteral("Dremmox"));
    QApplication::setApplicationVersion(platform::versionText());
    // The Oracle client is loaded only at the first logon to an Oracle alias: from DREMMOX_ORACLE_CLIENT when set (a
    // directory or the library file itself), else ORACLE_HOME, else the loader's search path.
    db::oci::setClientLocation(qEnvironmentVariable("DREMMOX_ORACLE_CLIENT"));
    db::setOracleClientDriver(db::oci::clientDriver());
    db::setOracleAliasProvider(&db::oci::clientAliases);

    // Closing the main window ends the program even while tool windows are open; they go with it.
    ensureDemoDatabase();
    develop::registerWindows();
    auto window = std::make_unique<TfmMain>();
    shell::installConnectionSequence(*window);
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
