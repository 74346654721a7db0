#include "develop/ownsession.h"

#include "db/session.h"
#include "shell/Main.h"
#include "shell/connect.h"
#include "shell/logon.h"
#include "shell/mainservices.h"

#include <utility>

namespace develop {

db::Session* createOwnSession(TfmMain& main, QObject* parent)
{
    ++main.datasetStevec;
    auto* session = new db::Session(parent);
    session->setObjectName(QStringLiteral("ORA_TMP") + QString::number(main.datasetStevec));
    return session;
}

bool runOwnLogonDialog(TfmMain* main, db::Session& own, QWidget* window)
{
    // The dialog fills its password from the main window's; the own logon must not be offered it, and the main
    // window must have it back whatever the dialog ends with.
    QString password;
    QString passwordUtil;
    if (main) {
        password = std::exchange(main->connPassword, QString());
        passwordUtil = std::exchange(main->connPasswordUtil, QString());
    }
    TfmConnect dialog(main, window);
    dialog.doaOracle = &own;
    dialog.connForm = window;
    dialog.exec();
    if (main) {
        main->connPassword = password;
        main->connPasswordUtil = passwordUtil;
    }
    return dialog.logonAccepted() && own.connected();
}

OwnLogonResult connectOwnSession(
    TfmMain* main, db::Session& own, QWidget* window, const std::function<bool(db::Session& own)>& dialog)
{
    OwnLogonResult result;
    if (main && &own == main->osOracle)
        return result;
    if (dialog)
        dialog(own);
    else
        runOwnLogonDialog(main, own, window);
    if (!own.connected()) {
        disconnectOwnSession(own, main ? main->osOracle : nullptr);
        return result;
    }
    result.connected = true;
    const shell::OracleVersion version = shell::getOracleVersion(own);
    result.oracleVersion = version.major;
    result.oracleVersionMinor = version.minor;
    const QString format = main ? main->currentDateFormat : QStringLiteral("DD.MM.YYYY");
    // The date format is set on the own session alone: a transaction it might open is the own session's.
    shell::changeDateFormat(own, own, format, &result.dateFormatError);
    return result;
}

void disconnectOwnSession(db::Session& session, const db::Session* mainSession)
{
    if (&session == mainSession || session.objectName() == QLatin1String("osOracle"))
        return;
    if (session.connected())
        session.logOff();
}

} // namespace develop
