// The main window: creation from the settings file and the command line, the language texts, activation with
// the logon and the one-time command run, the minimised form, and closing.
#include "db/drivers.h"
#include "db/session.h"
#include "engine/engine.h"
#include "platform/inifile.h"
#include "shell/Main.h"
#include "shell/iKript.h"
#include "shell/mainpicture.h"
#include "shell/windowregistry.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

using testsupport::waitFor;

namespace {

class MainWindowTest : public testsupport::TempDirTest {
protected:
    QString exeDir() const { return tmp.path() + "/bin/"; }
    QString workDir() const { return tmp.path() + "/work"; }

    void SetUp() override
    {
        QDir().mkpath(exeDir());
        QDir().mkpath(workDir());
    }

    void writeFile(const QString& path, const QByteArray& bytes) const
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void writeSettings(const QByteArray& bytes) const { writeFile(exeDir() + "MONITOR.INI", bytes); }

    std::unique_ptr<TfmMain> create(const QStringList& arguments = {})
    {
        TfmMain::Environment env;
        env.arguments = arguments;
        env.executableDir = exeDir();
        env.workingDir = workDir();
        env.loginDataKeyPath = loginDataKeyPath;
        return std::make_unique<TfmMain>(env);
    }

    // Saved login data of the tests stay apart from the user's own.
    const QString loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\LoginData");

    // Shows the window and waits until its activation handler has run (the logon step counts the calls).
    static void showAndActivate(TfmMain& window, const int& logons, int expectedLogons)
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(waitFor([&] { return logons >= expectedLogons; }));
    }

    // A main session stand-in: the logon step connects when told to.
    struct FakeLogon {
        bool connected = false;
        bool logonSucceeds = true;
        int logons = 0;
        int runs = 0;
        void attach(TfmMain& window)
        {
            window.hooks.sessionConnected = [this] { return connected; };
            window.hooks.tbConnectClick = [this, &window] {
                ++logons;
                connected = logonSucceeds;
                if (connected)
                    window.ORACLEVersionAll = "19.3.0.0.0";
            };
            window.hooks.IzvediCeloSkripto = [this] { ++runs; };
        }
    };
};

} // namespace

TEST_F(MainWindowTest, StartsWithoutSettingsFileOrParameters)
{
    auto window = create();
    EXPECT_EQ(fmMain, window.get());
    EXPECT_EQ(window->objectName(), "fmMain");
    ASSERT_NE(window->osOracle, nullptr);
    EXPECT_EQ(window->osOracle->objectName(), "osOracle");
    EXPECT_FALSE(window->mainSessionConnected());
    EXPECT_EQ(window->currLanguage, "ANG");
    EXPECT_EQ(window->nizMain, "PL/SQL Editor");
    EXPECT_EQ(window->nizError, "ERROR");
    EXPECT_TRUE(window->nizDone.isEmpty()) << "English leaves it empty";
    EXPECT_TRUE(window->windowTitle().startsWith("PL/SQL Editor    "));
    EXPECT_TRUE(window->p_verzijaPLSQL.startsWith("     Ver."));
    EXPECT_TRUE(window->mainString.isEmpty());
    EXPECT_EQ(window->currCommentsFile, exeDir());
    EXPECT_EQ(window->currQUANDRELDir, exeDir());
    EXPECT_FALSE(window->declRunParam);
    EXPECT_TRUE(window->runParamType.isEmpty());
    EXPECT_EQ(window->meVhodParam, QStringList({ "", "   " }));
    EXPECT_TRUE(window->prvicNaFormi);
    EXPECT_EQ(window->currLargeRB, "0");
    EXPECT_TRUE(window->menuItem("mmRefreshTables")->isVisible());
    EXPECT_EQ(window->menuItem("mmConnDisc")->text(), "&Connect/Setup");
    EXPECT_EQ(window->toolButton("tbExit")->toolTip(), "Exit");
    EXPECT_TRUE(window->toolButton("ToolButton4")->toolTip().isEmpty());
    EXPECT_FALSE(QFile::exists(exeDir() + "MONITOR.INI")) << "start-up writes no settings";

    // The database tools wait for a logon; the rest is there from the start.
    for (const char* name :
        { "tbWorkSheet", "tbWSPart", "tbOpenProject", "tbEditPL", "tbExecScript", "tbErrors", "tbStructures" })
        EXPECT_FALSE(window->toolButton(name)->isEnabled()) << name;
    for (const char* name : { "tbConnect", "tbMin", "tbOkna", "tbExit" })
        EXPECT_TRUE(window->toolButton(name)->isEnabled()) << name;
    // Their windows are not part of this test program, so their buttons stay disabled.
    for (const char* name : { "tbMasterDetail", "ToolButton4" })
        EXPECT_FALSE(window->toolButton(name)->isEnabled()) << name;
    for (const char* name :
        { "mmWorkSheet", "mmProject", "mmEditPL", "mmExecScript", "mmCompare", "mmStructures", "mmStatus" })
        EXPECT_FALSE(window->menuItem(name)->isEnabled()) << name;
    for (const char* name : { "mmConnDisc", "mmAbout", "mmExit" })
        EXPECT_TRUE(window->menuItem(name)->isEnabled()) << name;
    // The system-jobs menu would open onto grey entries only (no job window is part of this program).
    EXPECT_FALSE(window->menuItem("mmLockAudit")->isEnabled());

    FakeLogon logon;
    logon.attach(*window);
    logon.logonSucceeds = false;
    showAndActivate(*window, logon.logons, 1);
    EXPECT_EQ(logon.runs, 0);
    EXPECT_FALSE(window->prvicNaFormi);
    EXPECT_TRUE(window->windowTitle().startsWith("PL/SQL Editor    ")) << "no user to show while unconnected";
}

TEST_F(MainWindowTest, TextsFollowTheLanguage)
{
    struct Case {
        const char* name;
        QStringList arguments;
        QByteArray settings;
        bool slovenian;
    };
    const Case cases[] = {
        { "language on the command line", { "LANGUAGE", "slo" }, "", true },
        { "language in the settings", {}, "[PL/SQL]\r\nCURR_LANGUAGE=SLO\r\n", true },
        { "lower-case setting counts as English", {}, "[PL/SQL]\nCURR_LANGUAGE=slo\n", false },
        { "the command line wins over the settings", { "LANGUAGE", "ANG" }, "[PL/SQL]\nCURR_LANGUAGE=SLO\n", false },
        { "a command file sets the language", { "@START.CMD" }, "", true },
    };
    writeFile(workDir() + "/start.cmd", "LANGUAGE SLO\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(exeDir() + "MONITOR.INI");
        if (!c.settings.isEmpty())
            writeSettings(c.settings);
        auto window = create(c.arguments);
        FakeLogon logon;
        logon.attach(*window);
        logon.connected = true;
        window->connUser = "VOXA";
        window->connServer = "PROD";
        window->ORACLEVersionAll = "19.3.0.0.0";
        window->show();
        window->activateWindow();
        ASSERT_TRUE(waitFor([&] { return !window->prvicNaFormi; }));
        if (c.slovenian) {
            EXPECT_EQ(window->currLanguage, "SLO");
            EXPECT_EQ(window->nizMain, "PL/SQL urejevalnik");
            EXPECT_EQ(window->nizDone, "Narejeno.");
            EXPECT_EQ(window->nizEnd, QStringLiteral("ALI RES HOČETE ZAKLJUČITI PROGRAM?"));
            EXPECT_EQ(window->menuItem("mmConnDisc")->text(), "&Prijava/Odjava");
            EXPECT_EQ(window->menuItem("mmExit")->text(), "&Konec");
            EXPECT_EQ(window->menuItem("mmMonitor")->text(), "Monitor");
            EXPECT_EQ(window->menuItem("mmTablesreccount")->text(), QStringLiteral("Tabele-pomožni progami"));
            EXPECT_EQ(window->toolButton("tbExit")->toolTip(), "Izhod iz programa");
            EXPECT_EQ(window->toolButton("tbStructures")->toolTip(), "Strukture tabel,podatki,odvisnosti,indeksi");
            EXPECT_FALSE(window->menuItem("mmRefreshTables")->isVisible());
            EXPECT_TRUE(window->windowTitle().startsWith("PL/SQL urejevalnik  VOXA@PROD  Oracle:19.3.0.0.0     Ver."))
                << window->windowTitle().toStdString();
            EXPECT_EQ(window->Slika->subtitleText(), QStringLiteral("SQL, PL/SQL in nameščanje\nza baze Quandrel"));
        } else {
            EXPECT_EQ(window->nizMain, "PL/SQL Editor");
            EXPECT_TRUE(window->nizDone.isEmpty());
            EXPECT_EQ(window->menuItem("mmConnDisc")->text(), "&Connect/Setup");
            EXPECT_EQ(window->menuItem("mmTablesreccount")->text(), "Tables-reccount");
            EXPECT_EQ(window->toolButton("tbExit")->toolTip(), "Exit");
            EXPECT_TRUE(window->menuItem("mmRefreshTables")->isVisible());
            EXPECT_TRUE(window->windowTitle().startsWith("PL/SQL Editor  VOXA@PROD  Oracle:19.3.0.0.0     Ver."))
                << window->windowTitle().toStdString();
            EXPECT_EQ(window->Slika->subtitleText(), "SQL, PL/SQL and deployment\nfor Quandrel databases");
        }
        // The toolkit's own message boxes speak the interface language too.
        QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        EXPECT_EQ(box.button(QMessageBox::Yes)->text(), c.slovenian ? "&Da" : "&Yes");
        EXPECT_EQ(box.button(QMessageBox::No)->text(), c.slovenian ? "&Ne" : "&No");
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), c.slovenian ? QStringLiteral("&Prekliči") : "Cancel");
    }
}

TEST_F(MainWindowTest, CommandLineLogsOnAndRunsTheListOnce)
{
    auto window = create({ "voxa", "8", "prod" });
    EXPECT_TRUE(window->pAutoG);
    EXPECT_EQ(window->connUser, "VOXA");
    EXPECT_EQ(window->connServer, "PROD");
    EXPECT_EQ(window->connPassword, "TORVA58");
    EXPECT_EQ(window->meVhodParam, QStringList({ "", "CONNECT voxa 8 prod " }));

    FakeLogon logon;
    logon.attach(*window);
    int nestedRuns = 0;
    // The run shows modal windows; their closing re-activates the main window while the run is at work.
    window->hooks.IzvediCeloSkripto = [&] {
        ++logon.runs;
        EXPECT_EQ(window->currUserIndex, -1);
        window->FormActivate();
        nestedRuns = logon.runs;
    };
    showAndActivate(*window, logon.logons, 1);
    ASSERT_TRUE(waitFor([&] { return logon.runs == 1 && !window->prvicNaFormi; }));
    EXPECT_EQ(nestedRuns, 1);
    EXPECT_FALSE(window->declRunParam);
    EXPECT_TRUE(window->windowTitle().contains("VOXA@PROD  Oracle:19.3.0.0.0"));

    // Later activations log on again when needed but never run the list again.
    logon.connected = false;
    window->FormActivate();
    EXPECT_EQ(logon.logons, 2);
    EXPECT_EQ(logon.runs, 1);
}

TEST_F(MainWindowTest, FailedFirstLogonMeansNoRunThisTime)
{
    auto window = create({ "@NIGHTLY.CMD", "VOXA", "TIGER", "PROD" });
    writeFile(workDir() + "/nightly.cmd", "CONNECT\r\nERRORS\r\n");
    // The command file is read while the window is created: create it again now the file is there.
    window = create({ "@NIGHTLY.CMD", "VOXA", "TIGER", "PROD" });
    EXPECT_EQ(window->meVhodParam, QStringList({ "CONNECT", "ERRORS" }));
    EXPECT_EQ(window->connPassword, "TIGER");
    FakeLogon logon;
    logon.attach(*window);
    logon.logonSucceeds = false;
    showAndActivate(*window, logon.logons, 1);
    ASSERT_TRUE(waitFor([&] { return !window->prvicNaFormi; }));
    logon.logonSucceeds = true;
    window->FormActivate();
    EXPECT_EQ(logon.logons, 2);
    EXPECT_TRUE(logon.connected);
    EXPECT_EQ(logon.runs, 0);
}

TEST_F(MainWindowTest, SeveralInstallationsMode)
{
    writeFile(workDir() + "/vecInstalacij", "PROD TRUE\nTEST\n");
    writeFile(workDir() + "/MU_DEPLOY.CMD", "CONNECT\r\nSCRIPT \"C:\\SKRIPTE\\\" UPG1\r\n");
    auto window = create({ "@MU_DEPLOY.CMD", "VOXA", "TIGER", "PROD" });
    EXPECT_TRUE(window->currMoreInstall);
    EXPECT_EQ(window->meVhod, QStringList({ "PROD TRUE", "TEST" }));

    FakeLogon logon;
    logon.attach(*window);
    int loops = 0;
    window->hooks.IzvediVecInstalacij = [&] { ++loops; };
    window->hooks.aliJeVecInstacijNaTrenutniInstanci = [](const QString& server) { return server == "PROD"; };
    bool tableOpens = true;
    window->hooks.openInstallationsTable = [&] { return tableOpens; };
    window->hooks.findInstallationOfUser = [](const QString& user) -> std::optional<TInstallationOfUser> {
        if (user != "VOXA")
            return std::nullopt;
        return TInstallationOfUser { "PROD", 3, "VOXA3", "V3PW", "BILDOR3", "B3PW" };
    };
    showAndActivate(*window, logon.logons, 1);
    ASSERT_TRUE(waitFor([&] { return !window->prvicNaFormi; }));
    EXPECT_EQ(loops, 1);
    EXPECT_EQ(logon.runs, 0) << "the single-installation runner is not used";
    EXPECT_TRUE(window->windowTitle().contains("Oracle:19.3.0.0.0  (MULTIUSER)     Ver."));
    EXPECT_TRUE(window->menuItem("mmInstalationsformoreusers")->isVisible());
    EXPECT_TRUE(window->menuItem("mmMoreInstalationsCrtica")->isVisible());
    EXPECT_EQ(window->currInstanceAs, "PROD");
    EXPECT_EQ(window->currUserIndex, 3);
    EXPECT_EQ(window->currUserAsVoxa, "VOXA3");
    EXPECT_EQ(window->currPassAsBildor, "B3PW");

    // The installation table cannot be read: no mark, no menu item.
    tableOpens = false;
    window->FormActivate();
    EXPECT_FALSE(window->windowTitle().contains("MULTIUSER"));
    EXPECT_FALSE(window->menuItem("mmInstalationsformoreusers")->isVisible());
    EXPECT_EQ(loops, 1);
}

TEST_F(MainWindowTest, WithoutInstallationsFileTheModeStaysOff)
{
    auto window = create({ "@MU_DEPLOY.CMD" });
    EXPECT_FALSE(window->currMoreInstall);
}

TEST_F(MainWindowTest, ActivationLoadsMacrosAndShowsTheCubeMenu)
{
    writeSettings("[PL/SQL]\r\nCURR_MACRO_FILE=MOJI.MCR\r\nCURR_CUBECOMPANY=100\r\n");
    writeFile(workDir() + "/moji.mcr", "#A\r\nselect * from dual\r\n");
    auto window = create();
    FakeLogon logon;
    logon.attach(*window);
    showAndActivate(*window, logon.logons, 1);
    ASSERT_TRUE(waitFor([&] { return !window->prvicNaFormi; }));
    EXPECT_TRUE(window->currMacros.contains("select * from dual"));
    EXPECT_TRUE(window->menuItem("mmKocka")->isVisible());

    window->currCubeCompany.clear();
    QFile::remove(workDir() + "/moji.mcr");
    window->FormActivate();
    EXPECT_FALSE(window->menuItem("mmKocka")->isVisible());
    EXPECT_TRUE(window->currMacros.isEmpty());
}

TEST_F(MainWindowTest, ConnectedActionsFollowTheSession)
{
    auto window = create();
    // The windows of these tools come from other modules; here each is a stand-in.
    for (const char* name : { "mmNormal", "mmPLSQLStru", "mmStatus", "mmMasterDetail" })
        shell::registerWindowOpener(name, [](TfmMain&) {});
    window->enableConnectedActions(true);
    for (const char* name : { "tbWorkSheet", "tbPLBlocks", "tbErrors" })
        EXPECT_TRUE(window->toolButton(name)->isEnabled()) << name;
    EXPECT_TRUE(window->menuItem("mmCompare")->isEnabled());
    window->enableConnectedActions(false);
    EXPECT_FALSE(window->toolButton("tbPLBlocks")->isEnabled());
    EXPECT_FALSE(window->menuItem("mmStatus")->isEnabled());
    EXPECT_TRUE(window->toolButton("tbMasterDetail")->isEnabled()) << "not a database tool of the tool bar";
    for (const char* name : { "mmNormal", "mmPLSQLStru", "mmStatus", "mmMasterDetail" })
        shell::unregisterWindowOpener(name);
}

TEST_F(MainWindowTest, MinimisedStartAndRestore)
{
    // A negative position is kept whatever the screen's size (a screen on the left of the main one).
    writeSettings("[PL/SQL]\nCURR_MINIMIZED=D\nCURR_MIN_TOP=-100\nCURR_MIN_LEFT=-120\n");
    auto window = create();
    EXPECT_TRUE(window->paMain->isHidden());
    EXPECT_EQ(window->pos(), QPoint(-120, -100));
    EXPECT_EQ(window->height(), window->visinaCela - window->visinaSlika + 1);
    window->show();
    window->toolButton("tbMin")->click();
    EXPECT_FALSE(window->paMain->isHidden());
    EXPECT_EQ(window->height(), window->visinaCela);
    window->toggleMinimized(false);
    EXPECT_TRUE(window->paMain->isHidden());
}

TEST_F(MainWindowTest, ClosingSwitchesTheLargeRollbackSegmentOff)
{
    struct Case {
        const char* state;
        int switches;
    };
    for (const Case& c : { Case { "D", 1 }, Case { "N", 0 }, Case { "0", 0 } }) {
        SCOPED_TRACE(c.state);
        auto window = create();
        int switches = 0;
        window->hooks.mmActivateLargeRBClick = [&] {
            ++switches;
            EXPECT_EQ(window->currLargeRB, "N");
            EXPECT_TRUE(window->menuItem("mmActivateLargeRB")->isChecked());
        };
        window->currLargeRB = c.state;
        int closed = 0;
        QObject::connect(window.get(), &TfmMain::closed, [&] { ++closed; });
        window->show();
        EXPECT_TRUE(window->close());
        EXPECT_EQ(switches, c.switches);
        EXPECT_EQ(closed, 1);
    }
}

TEST_F(MainWindowTest, UnattendedRunClosesFromTheTimer)
{
    auto window = create();
    window->show();
    int closed = 0;
    QObject::connect(window.get(), &TfmMain::closed, [&] { ++closed; });
    EXPECT_FALSE(window->tiCloseForm->isActive());
    window->startCloseTimer();
    ASSERT_TRUE(waitFor([&] { return closed == 1; }, 5000));
    EXPECT_FALSE(window->tiCloseForm->isActive());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, ClearingTheLoginDataOnClose)
{
    auto window = create({ "CLEARLOGINDATA" });
    EXPECT_TRUE(window->bClearLoginData);
    ASSERT_TRUE(window->SaveLoginData("voxa", "tiger", "PROD")) << window->loginDataError.toStdString();
    window->ReadLoginData();
    EXPECT_EQ(window->connUser, "voxa");
    EXPECT_EQ(window->connPassword, "tiger");
    EXPECT_EQ(window->connServer, "PROD");
    window->show();
    window->close();
    window->connUser.clear();
    window->ReadLoginData();
    EXPECT_TRUE(window->connUser.isEmpty()) << "nothing saved is left after closing";
}

TEST_F(MainWindowTest, SavedLoginDataServeALogonWithoutPassword)
{
    writeFile(workDir() + "/logon.cmd", "USELOGINDATA\r\nCONNECT\r\n");
    {
        auto writer = create();
        ASSERT_TRUE(writer->SaveLoginData("bildor", "lion", "TEST")) << writer->loginDataError.toStdString();
    }
    auto reader = create({ "@LOGON.CMD" });
    EXPECT_EQ(reader->connUser, "bildor") << "as saved, not upper-cased";
    EXPECT_EQ(reader->connPassword, "lion");
    EXPECT_EQ(reader->connServer, "TEST");
    EXPECT_TRUE(reader->pAutoG);
    EXPECT_TRUE(reader->ClearLoginData());
}

TEST_F(MainWindowTest, PictureIsDrawn)
{
    const QImage image = shell::MainPicture::render(QSize(774, 301)).toImage();
    ASSERT_FALSE(image.isNull());
    // Not one flat colour: the picture has its drawing on the background.
    QSet<QRgb> colours;
    for (int x = 0; x < image.width(); x += 7)
        for (int y = 0; y < image.height(); y += 7)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 50);
    EXPECT_FALSE(shell::toolButtonIcon("tbConnect").isNull());
}

TEST_F(MainWindowTest, ServicesWorkOnTheWindowsOwnState)
{
    writeSettings("[PL/SQL]\r\nCURR_DESCRIPTOR=#9\r\n");
    auto window = create();
    EXPECT_EQ(window->pretvoriDescriptor(), "\t");
    window->currUserAsVoxa = "INST2";
    window->currUserAsBildor = "BIL2";
    EXPECT_EQ(window->zamenjave("CONNECT VOXA GESLO BAZA", "UKAZ"), "CONNECT INST2 GESLO BAZA");
    EXPECT_EQ(window->FileDirName("C:\\Skripte\\upg1.sql").fileName, "upg1.sql");

    // The macro text of the latest activation fills the tables the editors read.
    window->currMacros = "#a\r\nselect * from\r\n/Glava\r\nbegin null; end;";
    QWidget editor;
    QMenu popup;
    window->preberiMacroTipke(&editor, &popup, nullptr);
    EXPECT_EQ(window->macroTables.mcKeys, "a");
    EXPECT_EQ(window->macroTables.nrMacros, 1);
    ASSERT_EQ(popup.actions().size(), 1);
    EXPECT_EQ(popup.actions().at(0)->text(), "Glava");
}

// The macro tables hold 50 shortcuts and 25 popup macros; what a file has beyond them is left out and said once,
// after the window that asked has come up.
TEST_F(MainWindowTest, MacrosBeyondTheTablesAreSaid)
{
    auto window = create();
    QString macros;
    for (int k = 0; k < 52; ++k)
        macros += QStringLiteral("#%1\r\ntext %2\r\n").arg(QChar(u'!' + k)).arg(k);
    window->currMacros = macros;
    QString said;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            said = box->objectName() + "|" + box->text() + "|" + box->informativeText();
            box->accept();
        }
    });
    answer.start(10);
    QWidget editor;
    QMenu popup;
    window->preberiMacroTipke(&editor, &popup, nullptr);
    EXPECT_EQ(window->macroTables.mcUkaz, 50);
    ASSERT_TRUE(waitFor([&] { return !said.isEmpty(); }));
    EXPECT_TRUE(said.startsWith("macroProblems|The macro file DREMMOX.MCR holds more macros")) << said.toStdString();
    EXPECT_EQ(said.count("is ignored"), 2) << said.toStdString();
    // A second editor takes the same tables without a second message.
    said.clear();
    QMenu second;
    window->preberiMacroTipke(&editor, &second, nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(said.isEmpty());
}

TEST_F(MainWindowTest, MainSessionOnAnEmbeddedDatabase)
{
    engine::Database::create(path("DEMO").toStdString());
    db::setEmbeddedDataDirectory(tmp.path());
    auto window = create({ "SYSTEM", "MANAGER", "DEMO" });
    int logons = 0;
    int runs = 0;
    // The logon as the connection sequence will make it: the logon values first, then the logon.
    window->hooks.tbConnectClick = [&] {
        ++logons;
        window->osOracle->setUserName(window->connUser);
        window->osOracle->setPassword(window->connPassword);
        window->osOracle->setDatabase(window->connServer);
        window->osOracle->logOn();
        window->ORACLEVersionAll = window->osOracle->serverVersion();
    };
    window->hooks.IzvediCeloSkripto = [&] { ++runs; };
    // A plain password on the command line is no logon: the list has a command, not a CONNECT.
    EXPECT_FALSE(window->pAutoG);
    window->connUser = "SYSTEM";
    window->connPassword = "MANAGER";
    window->connServer = "DEMO";
    showAndActivate(*window, logons, 1);
    ASSERT_TRUE(waitFor([&] { return !window->prvicNaFormi; }));
    EXPECT_TRUE(window->mainSessionConnected());
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(window->windowTitle().contains("SYSTEM@DEMO  Oracle:")) << window->windowTitle().toStdString();

    EXPECT_TRUE(window->execDyn("create table notes (id number, text varchar2(40))"));
    QString error;
    EXPECT_FALSE(window->execDyn("create table notes (id number)", &error));
    EXPECT_TRUE(error.contains("ORA-")) << error.toStdString();

    // The report header goes to meVhod, where the reports read it (no application parameters here: empty lines).
    const QStringList header = window->userVhodniParametri();
    ASSERT_EQ(header.size(), 8);
    EXPECT_EQ(header.first(), QString(48, QLatin1Char('*')));
    EXPECT_EQ(window->meVhod, header);

    // A date format the server refuses is said unless the caller takes the message; the format stays.
    QString shown;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->objectName() + "|" + box->text();
            box->accept();
        }
    });
    answer.start(10);
    EXPECT_FALSE(window->changeDateFormat(*window->osOracle, "no such format"));
    EXPECT_EQ(shown, "wrongDateFormat|Wrong DATE FORMAT");
    shown.clear();
    QString message;
    EXPECT_FALSE(window->changeDateFormat(*window->osOracle, "no such format", &message));
    EXPECT_EQ(message, "Wrong DATE FORMAT");
    EXPECT_TRUE(window->changeDateFormat(*window->osOracle, "DD.MM.YYYY"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(shown.isEmpty());

    window->osOracle->logOff();
    EXPECT_FALSE(window->mainSessionConnected());
    window.reset();
    db::setEmbeddedDataDirectory({});
}

TEST_F(MainWindowTest, RememberedPasswordsAreReadWhenSwitchedOn)
{
    writeSettings("[PL/SQL]\r\nCURR_USER=voxa\r\nCURR_SERVER=PROD\r\n[MONITOR]\r\nCURR_SHRANI=NFX2\r\n");
    {
        platform::IniFile ini(exeDir() + "MONITOR.INI");
        ASSERT_TRUE(TKript::shraniGeslo(ini, "PROD", "VOXA", "tiger", {}));
        ASSERT_TRUE(TKript::shraniGeslo(ini, "PROD", "VEXO_UTIL", "util", {}));
    }
    auto window = create();
    EXPECT_EQ(window->connUser, "VOXA");
    EXPECT_EQ(window->connPassword, "TIGER") << "remembered passwords come back upper case";
    EXPECT_EQ(window->connPasswordUtil, "UTIL");

    // A password code on the command line takes the remembered password first.
    auto coded = create({ "VOXA", "8", "PROD" });
    EXPECT_EQ(coded->connPassword, "TIGER");
    EXPECT_EQ(coded->connPasswordUtil, "UTIL");
}

TEST_F(MainWindowTest, AFailingRunIsReportedAndNotStartedAgain)
{
    auto window = create({ "ERRORS" });
    FakeLogon logon;
    logon.attach(*window);
    logon.connected = true;
    window->hooks.IzvediCeloSkripto = [&] {
        ++logon.runs;
        throw std::runtime_error("ORA-00942: table or view does not exist");
    };
    // The report is a message box; read it and close it when it shows.
    QString reported;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            reported = box->text();
            box->accept();
        }
    });
    closer.start(20);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(waitFor([&] { return !reported.isEmpty(); }));
    ASSERT_TRUE(waitFor([&] { return !window->prvicNaFormi; }));
    EXPECT_EQ(reported, "ORA-00942: table or view does not exist");
    window->FormActivate();
    EXPECT_EQ(logon.runs, 1);
    EXPECT_FALSE(window->declRunParam) << "the activation went on after the report";
}

TEST_F(MainWindowTest, SettingsFileNamedInAnotherCaseIsRead)
{
    // Copied from a Windows installation, the file may carry any case.
    writeFile(exeDir() + "Monitor.ini", "[PL/SQL]\r\nCURR_LANGUAGE=SLO\r\nCURR_SCRIPT_DIR=C:\\Skripte\\\r\n");
    auto window = create();
    EXPECT_EQ(window->settingsFile, exeDir() + "Monitor.ini");
    EXPECT_EQ(window->currLanguage, "SLO");
    EXPECT_EQ(window->currentScriptDir, "C:\\Skripte\\");
    EXPECT_FALSE(window->menuItem("mmRefreshTables")->isVisible());
}
