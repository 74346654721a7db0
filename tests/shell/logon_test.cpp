#include "db/drivers.h"
#include "db/session.h"
#include "engine/engine.h"
#include "engine/kit/kit.h"
#include "platform/configdir.h"
#include "platform/inifile.h"
#include "shell/Main.h"
#include "shell/connect.h"
#include "shell/logon.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using testsupport::waitFor;

namespace {

struct VersionCase {
    const char* text;
    const char* major;
    const char* minor;
};

} // namespace

TEST(LogonLogic, VersionSplitsAtTheFirstDot)
{
    const VersionCase cases[] = {
        { "19.0.0.0.0", "19", "0" },
        { "9.2.0.1.0", "9", "2" },
        { "8.1.7", "8", "1" },
        { "8.xxx", "8", "x" },
        { "11", "1", "" }, // no dot: taken as the second place
        { "1234.5", "1", "3" }, // a dot beyond the third character counts as if it stood second
        { "", "", "" },
    };
    for (const VersionCase& c : cases) {
        const shell::OracleVersion v = shell::splitOracleVersion(QString::fromLatin1(c.text));
        EXPECT_EQ(v.major.toStdString(), c.major) << c.text;
        EXPECT_EQ(v.minor.toStdString(), c.minor) << c.text;
        EXPECT_EQ(v.all.toStdString(), c.text);
    }
    EXPECT_EQ(shell::versionFromBanner(QStringLiteral("Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production")),
        QStringLiteral("19.0.0.0.0"));
    EXPECT_EQ(shell::versionFromBanner(QStringLiteral("Oracle9i Release   9.2.0.1.0 - Production")), QStringLiteral("9.2.0.1.0"));
    EXPECT_FALSE(shell::versionFromBanner(QStringLiteral("PL/SQL 19.0.0.0.0 - Production")).has_value());
}

TEST(LogonLogic, OwnerFollowsWholeNamesOnly)
{
    struct Case {
        const char* owner;
        const char* typed;
        const char* result;
    } cases[] = {
        { "", "voxa", "voxa" }, // an empty owner takes the user as typed
        { "BILDOR", "VOXA", "VOXA" },
        { "BILDOR", "voxa", "BILDOR" }, // the owner test is case-sensitive
        { "BILDOR", "XA", "BILDOR" }, // not a part of VOXA
        { "BILDOR", "VEXO", "BILDOR" }, // nor of VEXO_UTIL
        { "VOXA", "VEXO_UTIL", "VEXO_UTIL" },
        { "VOXA", "MNOVAK", "VOXA" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::ownerAfterLogon(QString::fromLatin1(c.owner), QString::fromLatin1(c.typed)).toStdString(),
            c.result)
            << c.owner << " " << c.typed;
}

TEST(LogonLogic, ExemptUsersAreFifteenOwnersIgnoringCase)
{
    EXPECT_EQ(shell::exemptUsers().size(), 15);
    EXPECT_TRUE(shell::isExemptUser(QStringLiteral("sys")));
    EXPECT_TRUE(shell::isExemptUser(QStringLiteral("Vexo_Util")));
    EXPECT_FALSE(shell::isExemptUser(QStringLiteral("MNOVAK")));
    EXPECT_FALSE(shell::isExemptUser(QStringLiteral("VOX")));
}

TEST(LogonLogic, AliasFileMapsChosenNames)
{
    QTemporaryDir dir;
    EXPECT_EQ(shell::aliasForDatabase(dir.path(), QStringLiteral("PROD")), QStringLiteral("PROD")); // no file
    QFile f(dir.filePath(QStringLiteral("TNSNAMES.INI")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[OTHER]\r\nPROD=WRONG\r\n[ALIAS]\r\nPROD=PROD_NEW.WORLD\r\n");
    f.close();
    EXPECT_EQ(shell::aliasForDatabase(dir.path() + QLatin1Char('/'), QStringLiteral("PROD")),
        QStringLiteral("PROD_NEW.WORLD"));
    EXPECT_EQ(shell::aliasForDatabase(dir.path(), QStringLiteral("TEST")), QStringLiteral("TEST"));
}

namespace {

// The main window over a copy of the demo database named DEMO, with its logon step being the real sequence.
class LogonTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        QDir().mkpath(exeDir());
        engine::kit::demoTemplate(tmp.filePath(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
        TfmMain::Environment env;
        env.executableDir = exeDir();
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\LoginData");
        main = std::make_unique<TfmMain>(env);
        QObject::connect(main.get(), &TfmMain::closed, [this] { ++closed; });
    }
    void TearDown() override
    {
        main.reset();
        db::setEmbeddedDataDirectory({});
    }
    QString exeDir() const { return tmp.path() + "/bin/"; }

    TfmConnect* dialog() const
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<TfmConnect*>(w); d && d->isVisible())
                return d;
        }
        return nullptr;
    }
    QMessageBox* message() const
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* m = qobject_cast<QMessageBox*>(w); m && m->isVisible())
                return m;
        }
        return nullptr;
    }

    // Runs the connection sequence while `person` works the dialog once it shows.
    void connectWith(const std::function<void(TfmConnect&)>& person)
    {
        QTimer::singleShot(0, [this, person] {
            ASSERT_TRUE(waitFor([this] { return dialog() != nullptr; }));
            person(*dialog());
        });
        shell::tbConnectClick(*main);
    }
    static void type(TfmConnect& d, const QString& user, const QString& password, bool sysdba = false)
    {
        d.edUser->setText(user);
        d.edPassword->setText(password);
        d.cbDatabases->setCurrentIndex(d.cbDatabases->findText(QStringLiteral("DEMO")));
        d.cbSysdba->setChecked(sysdba);
    }
    // Presses Connect, reads and closes the message it raises, then leaves the dialog.
    QString refusedMessage(TfmConnect& d)
    {
        QString text;
        QTimer::singleShot(0, [this, &text] {
            ASSERT_TRUE(waitFor([this] { return message() != nullptr; }));
            text = message()->text();
            message()->accept();
        });
        d.btConnect->click();
        d.btExit->click();
        return text;
    }

    std::unique_ptr<TfmMain> main;
    int closed = 0;
};

} // namespace

TEST_F(LogonTest, TheApplicationOwnerLogsOnThroughTheDialog)
{
    main->mainString = QStringLiteral("Dremmox");
    connectWith([](TfmConnect& d) {
        EXPECT_TRUE(d.cbDatabases->findText(QStringLiteral("DEMO")) >= 0);
        type(d, QStringLiteral("voxa"), QStringLiteral("VOXA"));
        d.btConnect->click();
    });
    ASSERT_TRUE(main->osOracle->connected());
    // The dialog's caption of the logon gives way to the connected caption with the version at the end of the
    // sequence, so the caption is never the stale one of the dialog.
    EXPECT_TRUE(main->windowTitle().startsWith(QStringLiteral("PL/SQL Editor  VOXA@DEMO  Oracle:19")))
        << main->windowTitle().toStdString();
    EXPECT_EQ(main->connUser, QStringLiteral("VOXA"));
    EXPECT_EQ(main->connPassword, QStringLiteral("VOXA"));
    EXPECT_EQ(main->connServer, QStringLiteral("DEMO"));
    EXPECT_EQ(main->ORACLEVersion, QStringLiteral("19"));
    EXPECT_TRUE(main->toolButton(QStringLiteral("tbConnect"))->isEnabled());
    EXPECT_FALSE(main->toolButton(QStringLiteral("tbConnect"))->isChecked());
    EXPECT_EQ(main->popMain->findChild<QAction*>(QStringLiteral("miUser"))->text(), QStringLiteral("User    : VOXA"));
    EXPECT_EQ(main->popMain->findChild<QAction*>(QStringLiteral("miServer"))->text(), QStringLiteral("Server  : DEMO"));
    EXPECT_TRUE(main->menuItem(QStringLiteral("mmSistemskiParametri"))->isVisible());
    EXPECT_EQ(closed, 0);
}

TEST_F(LogonTest, AWrongPasswordIsRefusedWithTheServersMessage)
{
    connectWith([this](TfmConnect& d) {
        type(d, QStringLiteral("VOXA"), QStringLiteral("wrong"));
        const QString text = refusedMessage(d);
        EXPECT_TRUE(text.startsWith(QStringLiteral("ACCESS DENIED \r\n\r\nORA-01017"))) << text.toStdString();
    });
    EXPECT_FALSE(main->osOracle->connected());
    // Leaving the dialog without a session ends the program, without a message about missing rights.
    EXPECT_TRUE(waitFor([this] { return closed == 1; }));
    EXPECT_EQ(main->exitStatus, 0);
}

TEST_F(LogonTest, AnEndUserNeedsTheApplicationsAdministratorMark)
{
    connectWith([this](TfmConnect& d) {
        type(d, QStringLiteral("MNOVAK"), QStringLiteral("MNOVAK"));
        const QString text = refusedMessage(d);
        EXPECT_TRUE(text.startsWith(QStringLiteral("ACCESS DENIED \r\n\r\n"))) << text.toStdString();
    });
    EXPECT_FALSE(main->osOracle->connected());
}

TEST_F(LogonTest, SysdbaLogonIsMadeAsAskedAndRefusedWithoutThePrivilege)
{
    connectWith([](TfmConnect& d) {
        type(d, QStringLiteral("SYS"), QStringLiteral("CHANGE_ON_INSTALL"), true);
        d.btConnect->click();
    });
    ASSERT_TRUE(main->osOracle->connected());
    EXPECT_TRUE(main->osOracle->sysdba());

    connectWith([this](TfmConnect& d) {
        type(d, QStringLiteral("VOXA"), QStringLiteral("VOXA"), true);
        const QString text = refusedMessage(d);
        EXPECT_TRUE(text.contains(QStringLiteral("ORA-01031"))) << text.toStdString();
    });
    // A failed logon from a connected program: the earlier session was given up for it, so the program ends.
    EXPECT_FALSE(main->osOracle->connected());
}

TEST_F(LogonTest, CancellingKeepsAConnectedProgramRunning)
{
    connectWith([](TfmConnect& d) {
        type(d, QStringLiteral("VOXA"), QStringLiteral("VOXA"));
        d.btConnect->click();
    });
    ASSERT_TRUE(main->osOracle->connected());
    connectWith([](TfmConnect& d) { d.btExit->click(); });
    EXPECT_TRUE(main->osOracle->connected());
    QApplication::processEvents();
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(main->connUser, QStringLiteral("VOXA"));
}

// What goes wrong after the logon itself is said, and the logon stands: saved login data that cannot be written,
// and a date format the server refuses.
TEST_F(LogonTest, FailuresAfterTheLogonAreSaidAndTheLogonStands)
{
    // The key store's file cannot be written where a directory stands in its place.
    QDir().mkpath(path(QStringLiteral("config/registry.ini")));
    platform::setUserConfigDir(path(QStringLiteral("config")));
    main->bHaveToSaveLoginData = true;
    main->currentDateFormat = QStringLiteral("no such format");
    QStringList said;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            said << box->objectName() + "|" + box->text();
            box->accept();
        }
    });
    answer.start(10);
    connectWith([](TfmConnect& d) {
        type(d, QStringLiteral("VOXA"), QStringLiteral("VOXA"));
        d.btConnect->click();
    });
    platform::setUserConfigDir({});
    ASSERT_TRUE(main->osOracle->connected());
    ASSERT_EQ(said.size(), 2) << said.join(" / ").toStdString();
    EXPECT_TRUE(said.at(0).startsWith("loginDataNotSaved|The login data could not be saved."))
        << said.at(0).toStdString();
    EXPECT_EQ(said.at(1), "wrongDateFormat|Wrong DATE FORMAT");
    EXPECT_FALSE(main->bHaveToSaveLoginData);
    EXPECT_EQ(closed, 0);
}

TEST_F(LogonTest, AnAutomaticLogonThatCannotBeMadeEndsTheRunWithAFailure)
{
    struct Case {
        const char* password;
        const char* server;
    } cases[] = {
        { "", "DEMO" }, // no password
        { "VOXA", "" }, // no database: the first of the list is never taken on its own
        { "wrong", "DEMO" }, // refused by the server
    };
    for (const Case& c : cases) {
        main->connUser = QStringLiteral("VOXA");
        main->connPassword = QString::fromLatin1(c.password);
        main->connServer = QString::fromLatin1(c.server);
        main->pAutoG = true;
        main->exitStatus = 0;
        closed = 0;
        shell::tbConnectClick(*main); // nobody touches the dialog
        EXPECT_FALSE(main->osOracle->connected()) << c.password << "/" << c.server;
        EXPECT_EQ(main->exitStatus, 2) << c.password << "/" << c.server;
        EXPECT_TRUE(waitFor([this] { return closed == 1; }));
        EXPECT_EQ(message(), nullptr);
    }
}

TEST_F(LogonTest, AnAutomaticLogonConnectsWithTheGivenValues)
{
    main->connUser = QStringLiteral("VOXA");
    main->connPassword = QStringLiteral("VOXA");
    main->connServer = QStringLiteral("demo");
    main->pAutoG = true;
    shell::tbConnectClick(*main);
    EXPECT_TRUE(main->osOracle->connected());
    EXPECT_FALSE(main->pAutoG);
    EXPECT_EQ(main->exitStatus, 0);
}

TEST_F(LogonTest, AWorksheetsOwnLogonLeavesTheMainWindowAlone)
{
    main->connUser = QStringLiteral("SYSTEM");
    main->setWindowTitle(QStringLiteral("main"));
    QWidget worksheet;
    worksheet.setProperty("sCaption", QStringLiteral("SQL Worksheet 1"));
    db::Session own;
    own.setObjectName(QStringLiteral("osWorkSheet"));
    TfmConnect d(main.get());
    d.doaOracle = &own;
    d.connForm = &worksheet;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(waitFor([&] { return d.isVisible(); }));
        type(d, QStringLiteral("VOXA"), QStringLiteral("VOXA"));
        d.btConnect->click();
    });
    d.exec();
    EXPECT_TRUE(own.connected());
    EXPECT_EQ(worksheet.windowTitle(), QStringLiteral("SQL Worksheet 1  (VOXA@DEMO)"));
    EXPECT_EQ(main->windowTitle(), QStringLiteral("main"));
    EXPECT_EQ(main->connUser, QStringLiteral("SYSTEM"));
    EXPECT_FALSE(main->osOracle->connected());
    own.logOff();
}

TEST_F(LogonTest, TheAuditHostIsFoundWhereTheAuditTablesAre)
{
    db::Session s;
    s.setUserName(QStringLiteral("VOXA"));
    s.setPassword(QStringLiteral("VOXA"));
    s.setDatabase(QStringLiteral("DEMO"));
    s.logOn();
    // The demo's link VEXOAUDT leads to the audit database beside it when the kit made one: its audit tables make
    // the kind "Z". Without it the count through the link fails and counts as none, so the tables of this database
    // decide, and they are VEXO_AUDIT's, not VOXA's: "N".
    const bool auditDatabase = engine::Database::exists(tmp.filePath(QStringLiteral("VEXOAUDT")).toStdString());
    const shell::AuditHost host = shell::findAuditHost(s);
    EXPECT_EQ(host.user, QStringLiteral("VEXO_AUDIT"));
    EXPECT_FALSE(host.host.isEmpty());
    EXPECT_EQ(host.kind.toStdString(), auditDatabase ? "Z" : "N");
    EXPECT_FALSE(s.inTransaction());
    s.logOff();
}
