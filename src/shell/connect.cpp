#include "shell/connect.h"

#include "db/drivers.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "platform/inifile.h"
#include "shell/Main.h"
#include "shell/commandline.h"
#include "shell/iKript.h"
#include "shell/logon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {
const QString kCrLf2 = QStringLiteral("\r\n\r\n");
}

TfmConnect::TfmConnect(TfmMain* main, QWidget* parent)
    : QDialog(parent)
    , fmMain(main)
{
    setObjectName(QStringLiteral("fmConnect"));
    setWindowTitle(QStringLiteral("Connect"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    const bool slo = fmMain && fmMain->currLanguage == QLatin1String("SLO");
    auto tr2 = [slo](const char* en, const char* sl) { return QString::fromUtf8(slo ? sl : en); };

    laUser = new QLabel(tr2("User:", "Uporabnik:"), this);
    laPassword = new QLabel(tr2("Password:", "Geslo:"), this);
    laDatabase = new QLabel(tr2("Database:", "Baza:"), this);
    edUser = new QLineEdit(this);
    edPassword = new QLineEdit(this);
    edPassword->setEchoMode(QLineEdit::Password);
    cbDatabases = new QComboBox(this);
    cbDatabases->setEditable(false);
    cbDatabases->setMinimumContentsLength(18);
    cbSysdba = new QCheckBox(QStringLiteral("Sysdba"), this);
    cbConnect = new QCheckBox(tr2("Save ", "Shrani:"), this);
    btConnect = new QPushButton(tr2("&Connect", "Prijava"), this);
    btExit = new QPushButton(tr2("&Exit", "Izhod"), this);
    btConnect->setDefault(true);
    tiAuto = new QTimer(this);
    tiAuto->setInterval(1000);
    tiAuto->setSingleShot(true);
    napakaConn = tr2("ACCESS DENIED ", "NEDOVOLJEN DOSTOP ");

    const std::pair<QWidget*, const char*> names[] = { { laUser, "laUser" }, { laPassword, "laPassword" },
        { laDatabase, "laDatabase" }, { edUser, "edUser" }, { edPassword, "edPassword" },
        { cbDatabases, "cbDatabases" }, { cbSysdba, "cbSysdba" }, { cbConnect, "cbConnect" },
        { btConnect, "btConnect" }, { btExit, "btExit" } };
    for (const auto& [w, name] : names)
        w->setObjectName(QLatin1String(name));
    tiAuto->setObjectName(QStringLiteral("tiAuto"));
    laUser->setBuddy(edUser);
    laPassword->setBuddy(edPassword);
    laDatabase->setBuddy(cbDatabases);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->setVerticalSpacing(8);
    fields->addWidget(laUser, 0, 0);
    fields->addWidget(edUser, 0, 1);
    fields->addWidget(laPassword, 1, 0);
    fields->addWidget(edPassword, 1, 1);
    fields->addWidget(laDatabase, 2, 0);
    fields->addWidget(cbDatabases, 2, 1);
    auto* checks = new QHBoxLayout;
    checks->addWidget(cbSysdba);
    checks->addSpacing(16);
    checks->addWidget(cbConnect);
    checks->addStretch();
    fields->addLayout(checks, 3, 1);
    fields->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btConnect);
    buttons->addWidget(btExit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(14);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setMinimumWidth(340);
    setSizeGripEnabled(false);

    connect(btConnect, &QPushButton::clicked, this, &TfmConnect::btConnectClick);
    connect(btExit, &QPushButton::clicked, this, &TfmConnect::btExitClick);
    connect(tiAuto, &QTimer::timeout, this, [this] {
        tiAuto->stop();
        btConnectClick();
    });
}

void TfmConnect::setDatabaseNames(const QStringList& names)
{
    databaseNames = names;
    namesGiven = true;
}

void TfmConnect::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!activated) {
        activated = true;
        FormActivate();
    }
}

bool TfmConnect::isMainSession() const
{
    return doaOracle && doaOracle->objectName() == QLatin1String("osOracle");
}

bool TfmConnect::automaticMode() const
{
    return tiAuto->property("wanted").toBool();
}

void TfmConnect::FormActivate()
{
    const bool automatic = automaticMode();
    if (fmMain) {
        edUser->setText(fmMain->connUser);
        edPassword->setText(edUser->text().toUpper() == QLatin1String("VEXO_UTIL") ? fmMain->connPasswordUtil
                                                                                  : fmMain->connPassword);
    }
    cbDatabases->clear();
    const QStringList names = namesGiven ? databaseNames : shell::logonDatabaseNames();
    for (const QString& n : names)
        cbDatabases->addItem(n.toUpper());
    // An automatic logon connects only to the database it was given, never to whichever is listed first.
    cbDatabases->setCurrentIndex(automatic || cbDatabases->count() == 0 ? -1 : 0);
    if (fmMain && !fmMain->connServer.isEmpty()) {
        const int i = cbDatabases->findText(fmMain->connServer, Qt::MatchFixedString);
        cbDatabases->setCurrentIndex(i);
    }
    if (!edUser->text().isEmpty())
        edPassword->setFocus();
    if (automatic)
        tiAuto->start();
}

void TfmConnect::report(const QString& text)
{
    if (automaticMode()) {
        // Nobody is there to read a message in an unattended run: the run ends and says why.
        autoFailure = text;
        done(QDialog::Rejected);
        return;
    }
    QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("connectMessage"));
    box.exec();
}

void TfmConnect::btConnectClick()
{
    if (!doaOracle)
        return;
    const QString database = cbDatabases->currentIndex() < 0 ? QString() : cbDatabases->currentText();
    if (edPassword->text().isEmpty() || database.isEmpty()) {
        QString text = QStringLiteral("Prazno geslo ali baza!");
        // An unattended run names the database it was given, so that a misspelt one is found from its message.
        if (automaticMode() && database.isEmpty() && fmMain && !fmMain->connServer.isEmpty())
            text += QStringLiteral("\nThe database ") + fmMain->connServer
                + QStringLiteral(" is neither an alias of the Oracle client nor an embedded database.");
        report(text);
        return;
    }
    const QString user = edUser->text();
    const QString alias = shell::aliasForDatabase(fmMain ? fmMain->currQUANDRELDir : QString(), database);
    bool ok = false;
    QString message;
    try {
        doaOracle->setUserName(user);
        doaOracle->setPassword(edPassword->text());
        doaOracle->setDatabase(alias);
        doaOracle->setSysdba(cbSysdba->isChecked());
        doaOracle->logOff();
        doaOracle->logOn();
        ok = true;
        if (!shell::isExemptUser(user)) {
            QString error;
            const bool admin = shell::isAdministrator(*doaOracle, user, &error);
            if (!error.isEmpty()) {
                // A check that could not be made admits nobody; the user is told why.
                message = napakaConn + kCrLf2 + error;
                doaOracle->logOff();
                ok = false;
            } else if (!admin) {
                message = napakaConn + kCrLf2 + QStringLiteral("Uporabnik ") + user
                    + QStringLiteral(" nima pravice za dostop.");
                doaOracle->logOff();
                ok = false;
            }
        }
    } catch (const db::OracleError& e) {
        message = napakaConn + kCrLf2 + e.message();
    }
    if (!ok) {
        report(message);
        return;
    }
    accepted = true;
    if (fmMain) {
        const QString previousUser = fmMain->connUser;
        if (isMainSession())
            fmMain->currOwner = shell::ownerAfterLogon(fmMain->currOwner, user);
        if (cbConnect->isChecked() && !fmMain->settingsFile.isEmpty()) {
            platform::IniFile settings(fmMain->settingsFile);
            settings.writeString(QStringLiteral("PL/SQL"), QStringLiteral("CURR_USER"), user);
            settings.writeString(QStringLiteral("PL/SQL"), QStringLiteral("CURR_SERVER"), database);
            TKript::shraniGeslo(settings, database, user, edPassword->text(), previousUser);
        }
        if (!isMainSession()) {
            if (connForm) {
                const QVariant own = connForm->property("sCaption");
                const QString base = own.isValid() ? own.toString() : connForm->windowTitle();
                connForm->setWindowTitle(
                    base + QStringLiteral("  (") + user + QLatin1Char('@') + database + QLatin1Char(')'));
            }
        } else {
            fmMain->setWindowTitle(
                fmMain->mainString + QStringLiteral("  (") + user + QLatin1Char('@') + database + QLatin1Char(')'));
            fmMain->connUser = user.toUpper();
            if (fmMain->connUser != QLatin1String("VEXO_UTIL"))
                fmMain->connPassword = edPassword->text();
            else
                fmMain->connPasswordUtil = edPassword->text();
            fmMain->connServer = database;
            if (FSaveLoginData)
                fmMain->SaveLoginData(user, edPassword->text(), database);
        }
    }
    accept();
}

void TfmConnect::btExitClick()
{
    reject();
}

void TfmConnect::reject()
{
    tiAuto->stop();
    QDialog::reject();
}

namespace shell {

QStringList logonDatabaseNames()
{
    QStringList names;
    for (const QString& n : db::databaseAliases())
        names << n.toUpper();
    names.removeDuplicates();
    return names;
}

namespace {

// The dialog for the main session, shown modally; false when it ended without a logon.
struct DialogOutcome {
    bool accepted = false;
    QString automaticFailure;
};

DialogOutcome showMainDialog(TfmMain& m)
{
    TfmConnect dialog(&m, &m);
    dialog.doaOracle = m.osOracle;
    dialog.connForm = &m;
    dialog.tiAuto->setProperty("wanted", m.pAutoG);
    dialog.tiAuto->setInterval(m.autoLogonDelayMs);
    dialog.cbConnect->setEnabled(!m.pAutoG);
    dialog.FSaveLoginData = m.bHaveToSaveLoginData;
    dialog.exec();
    m.bHaveToSaveLoginData = false;
    return { dialog.logonAccepted(), dialog.automaticLogonFailure() };
}

// A run given commands on its command line has nobody to answer a message.
bool unattended(const TfmMain& m)
{
    for (const QString& line : m.commandLine.lines) {
        if (!line.trimmed().isEmpty())
            return true;
    }
    return false;
}

// Ends the program from the connection sequence; an unattended run that could not log on ends with a failure.
// While the command runner is at work the session is left unconnected instead: the runner counts the failed logon
// and goes on with its next instance or installation.
void endProgram(TfmMain& m, const QString& why)
{
    if (m.commandRunActive()) {
        if (!why.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(why));
        m.osOracle->logOff();
        m.enableConnectedActions(false);
        return;
    }
    if (!why.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        m.exitStatus = 2;
    }
    QTimer::singleShot(0, &m, [&m] { m.close(); });
}

} // namespace

void tbConnectClick(TfmMain& m)
{
    const QString rememberedPassword = m.connPassword;
    QToolButton* tbConnect = m.toolButton(QStringLiteral("tbConnect"));
    if (tbConnect)
        tbConnect->setChecked(true);
    const bool wasConnected = m.osOracle->connected();
    const DialogOutcome outcome = showMainDialog(m);
    m.pAutoG = false;
    if (!outcome.automaticFailure.isEmpty()) {
        endProgram(m, outcome.automaticFailure);
        return;
    }
    if (!outcome.accepted && !m.osOracle->connected()) {
        // Leaving the dialog without a logon ends a program that has no session; it is not a lack of rights.
        endProgram(m, {});
        return;
    }
    if (!outcome.accepted && wasConnected) {
        if (tbConnect)
            tbConnect->setChecked(false);
        return;
    }

    // Rights test: the tool reads the dictionary everywhere.
    try {
        db::Query quSelAnyDict(m.osOracle);
        quSelAnyDict.setSql(QStringLiteral("select * from all_tables"));
        quSelAnyDict.execute();
        quSelAnyDict.close();
    } catch (const db::OracleError&) {
        QMessageBox box(QMessageBox::Critical, m.windowTitle(), m.nizMissingRights, QMessageBox::Ok, &m);
        box.setObjectName(QStringLiteral("missingRights"));
        if (!unattended(m))
            box.exec();
        endProgram(m, unattended(m) ? m.nizMissingRights : QString());
        return;
    }

    if (m.osOracle->connected()) {
        const AuditHost audit = findAuditHost(*m.osOracle);
        m.p_hostAudit = audit.kind;
        m.p_hostAuditUpor = audit.user;
        m.p_hostAuditHost = audit.host;
    }
    if (m.p_ScriptAudit) {
        if (m.p_hostAudit == QLatin1String("N")) {
            endProgram(m, {});
            return;
        }
        if (m.p_hostAudit == QLatin1String("Z")) {
            m.connPassword = !rememberedPassword.isEmpty() && m.connUser == m.p_hostAuditUpor
                ? rememberedPassword
                : builtInPassword(QString(QLatin1Char(passwordCodeString[4])));
            m.connUser = m.p_hostAuditUpor;
            m.connServer = m.p_hostAuditHost;
        }
        if (tbConnect)
            tbConnect->setChecked(true);
        m.pAutoG = true;
        const DialogOutcome second = showMainDialog(m);
        m.pAutoG = false;
        if (!second.automaticFailure.isEmpty()) {
            endProgram(m, second.automaticFailure);
            return;
        }
    }

    m.statusBar()->clearMessage();
    const bool connected = m.osOracle->connected();
    m.enableConnectedActions(connected);
    if (!connected)
        return;
    if (tbConnect)
        tbConnect->setChecked(false);
    const OracleVersion version = getOracleVersion(*m.osOracle);
    m.ORACLEVersion = version.major;
    m.ORACLEVersionDod = version.minor;
    m.ORACLEVersionAll = version.all;
    NastaviUserIPL(*m.osOracle, m.currentDateFormat, m.CurrentUserIpl, m.connUser, m.currMoreInstall);
    auto popupItem = [&m](const char* name) { return m.popMain->findChild<QAction*>(QLatin1String(name)); };
    if (QAction* a = popupItem("miVersion"))
        a->setText(QStringLiteral("Version : ") + m.ORACLEVersionAll + QLatin1Char('(') + m.ORACLEVersionDod
            + QLatin1Char(')'));
    if (QAction* a = popupItem("miServer"))
        a->setText(QStringLiteral("Server  : ") + m.connServer.toUpper());
    if (QAction* a = popupItem("miUser"))
        a->setText(QStringLiteral("User    : ") + m.connUser.toUpper());
    m.menuItem(QStringLiteral("mmSistemskiParametri"))
        ->setVisible(m.tableExists(QStringLiteral("VEXO_UTIL"), QStringLiteral("SISTEMSKI_PARAMETRI")));
}

void installConnectionSequence(TfmMain& m)
{
    m.hooks.tbConnectClick = [&m] { tbConnectClick(m); };
    QObject::connect(m.menuItem(QStringLiteral("mmConnect")), &QAction::triggered, &m, [&m] {
        m.connPassword.clear();
        tbConnectClick(m);
        m.najdiglavnegaUserja();
    });
    QObject::connect(m.menuItem(QStringLiteral("mmDisconnect")), &QAction::triggered, &m, [&m] {
        m.osOracle->logOff();
        m.enableConnectedActions(false);
    });
}

} // namespace shell
