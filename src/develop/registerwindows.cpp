#include "develop/registerwindows.h"

#include "db/oracleerror.h"
#include "db/session.h"
#include "develop/workshet.h"
#include "shell/Main.h"
#include "shell/sqleditor.h"
#include "shell/windowregistry.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace develop {

namespace {

// The worksheet opened last that is still on the screen, if any.
TfmWorkSheet* lastOpenWorkSheet(const TfmWorkSheet* except)
{
    TfmWorkSheet* last = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* ws = qobject_cast<TfmWorkSheet*>(w);
        if (ws && ws != except && ws->isVisible() && (!last || ws->WorkStevec > last->WorkStevec))
            last = ws;
    }
    return last;
}

} // namespace

QPoint cascadedPosition(const QRect& previous, const QSize& size, const QRect& screen)
{
    constexpr int step = 30;
    QPoint p = previous.topLeft() + QPoint(step, step);
    // A window that would leave the screen starts again at its top left.
    if (p.x() + size.width() > screen.right() || p.y() + size.height() > screen.bottom())
        p = screen.topLeft() + QPoint(step, step);
    return p;
}

TfmWorkSheet* openWorkSheet(TfmMain& main)
{
    ++main.workSheetStevec;
    // A top-level window of its own that frees itself when closed; the main window does not own it.
    auto* sheet = new TfmWorkSheet(&main);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setObjectName(QStringLiteral("WorkSheet_%1").arg(main.workSheetStevec));
    sheet->setWorkStevec(main.workSheetStevec);
    if (!main.hooks.jeVTransakciji)
        main.hooks.jeVTransakciji = [](QWidget* window, const QString& database) {
            auto* ws = qobject_cast<TfmWorkSheet*>(window);
            return ws && ws->jeVTransakciji(database);
        };
    // A second worksheet opens below and right of the one before, not over it.
    if (const TfmWorkSheet* previous = lastOpenWorkSheet(sheet)) {
        const QScreen* screen = previous->screen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
        sheet->move(cascadedPosition(previous->frameGeometry(), sheet->frameGeometry().size(), area));
    }
    sheet->show();
    return sheet;
}

namespace {

// For screenshots of the program (scripts/screenshot.sh): DREMMOX_SHOT_WORKSHEET holds a statement, which a worksheet
// opened at start-up runs, logged on as DREMMOX_SHOT_LOGON ("user/password@database", default the demo's VOXA).
void openShotWorksheet()
{
    const QString statement = qEnvironmentVariable("DREMMOX_SHOT_WORKSHEET");
    if (statement.isEmpty() || !fmMain)
        return;
    TfmMain& main = *fmMain;
    if (!main.osOracle->connected()) {
        const QString logon = qEnvironmentVariable("DREMMOX_SHOT_LOGON", QStringLiteral("VOXA/VOXA@DEMO"));
        const QString user = logon.section(QLatin1Char('/'), 0, 0);
        const QString rest = logon.section(QLatin1Char('/'), 1);
        main.osOracle->setUserName(user.toUpper());
        main.osOracle->setPassword(rest.section(QLatin1Char('@'), 0, 0));
        main.osOracle->setDatabase(rest.section(QLatin1Char('@'), 1));
        try {
            main.osOracle->logOn();
        } catch (const db::OracleError&) {
            return;
        }
        main.connUser = user.toUpper();
        main.connServer = main.osOracle->database();
        main.ORACLEVersion = main.osOracle->serverMajorVersion();
    }
    TfmWorkSheet* sheet = openWorkSheet(main);
    sheet->resize(1000, 720);
    sheet->move(40, 30);
    sheet->meWork->setText(QString(statement).replace(QLatin1String("\\n"), QLatin1String("\r\n")));
    sheet->spExe->click();
}

} // namespace

void registerWindows()
{
    if (qEnvironmentVariableIsSet("DREMMOX_SHOT_WORKSHEET"))
        QTimer::singleShot(0, [] { openShotWorksheet(); });
    const shell::WindowOpener worksheet = [](TfmMain& main) { openWorkSheet(main); };
    shell::registerWindowOpener(QStringLiteral("mmNormal"), worksheet);
    shell::registerWindowOpener(QStringLiteral("tbWorkSheet"), worksheet);
}

} // namespace develop
