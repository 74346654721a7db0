// The main window's menus and tool bar: captions and hints in both languages, which entries are enabled before and
// after a logon to the demo database, the window chooser, restricted session, the preconditions of the system-job
// windows and the large rollback segment.
#include "db/drivers.h"
#include "db/fakedriver.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "engine/kit/kit.h"
#include "shell/Main.h"
#include "shell/connect.h"
#include "shell/mainmenu.h"
#include "shell/windowregistry.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using testsupport::waitFor;

namespace {

// Answers modal windows from a timer, since a modal loop keeps the test's own code from running: each rule acts
// once on the first visible top-level widget it accepts.
class ModalAnswers : public QObject {
public:
    using Rule = std::function<bool(QWidget*)>; // true when it acted

    explicit ModalAnswers(std::vector<Rule> rules)
        : rules(std::move(rules))
    {
        connect(&timer, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (!w->isVisible() || next >= this->rules.size())
                    continue;
                if (this->rules[next](w))
                    ++next;
            }
        });
        timer.start(10);
    }
    bool done() const { return next == rules.size(); }

private:
    std::vector<Rule> rules;
    size_t next = 0;
    QTimer timer;
};

// Types the logon values into the logon dialog and presses Connect.
ModalAnswers::Rule logOnAs(const QString& user, const QString& password)
{
    return [user, password](QWidget* w) {
        auto* dialog = qobject_cast<TfmConnect*>(w);
        if (!dialog)
            return false;
        dialog->edUser->setText(user);
        dialog->edPassword->setText(password);
        dialog->cbDatabases->setCurrentIndex(dialog->cbDatabases->findText(QStringLiteral("DEMO")));
        dialog->cbSysdba->setChecked(false);
        QTimer::singleShot(0, dialog->btConnect, [b = dialog->btConnect] { b->click(); });
        return true;
    };
}

// Reads a message box's text (and its informative text) and presses the given button.
ModalAnswers::Rule answerBox(QString* text, QMessageBox::StandardButton button = QMessageBox::Ok)
{
    return [text, button](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        if (text)
            *text = box->informativeText().isEmpty() ? box->text() : box->text() + "|" + box->informativeText();
        QTimer::singleShot(0, box, [box, button] { box->button(button)->click(); });
        return true;
    };
}

QMessageBox* visibleMessageBox()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

// Registers test openers and takes them out again, so the registry is as before for the next test.
class Openers {
public:
    ~Openers()
    {
        for (const QString& name : names)
            shell::unregisterWindowOpener(name);
    }
    void add(const QString& name, shell::WindowOpener opener)
    {
        shell::registerWindowOpener(name, std::move(opener));
        names.append(name);
    }
    void count(const QString& name, int& calls)
    {
        add(name, [&calls](TfmMain&) { ++calls; });
    }

private:
    QStringList names;
};

QStringList entryNames(QMenu* menu)
{
    QStringList names;
    for (QAction* a : menu->actions())
        names.append(a->objectName());
    return names;
}

class MenusTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        QDir().mkpath(exeDir());
        engine::kit::demoTemplate(tmp.filePath(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
    }
    void TearDown() override
    {
        answers.reset();
        if (main && main->osOracle->connected())
            main->osOracle->logOff();
        main.reset();
        db::setEmbeddedDataDirectory({});
    }
    QString exeDir() const { return tmp.path() + "/bin/"; }

    void create(const QByteArray& settings = {})
    {
        if (!settings.isEmpty()) {
            QFile file(exeDir() + "MONITOR.INI");
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(settings);
        }
        TfmMain::Environment env;
        env.executableDir = exeDir();
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\LoginData");
        main = std::make_unique<TfmMain>(env);
        shell::installConnectionSequence(*main);
    }

    // Shows the main window; its activation opens the logon dialog, which is answered as the user given.
    // Returns false (with the reason in refusal) when the logon was not made.
    bool logOn(const QString& user, const QString& password, QString* refusal = nullptr)
    {
        QString message;
        answers = std::make_unique<ModalAnswers>(std::vector<ModalAnswers::Rule> {
            logOnAs(user, password), answerBox(&message), [](QWidget* w) {
                auto* dialog = qobject_cast<TfmConnect*>(w);
                if (dialog)
                    QTimer::singleShot(0, dialog->btExit, [b = dialog->btExit] { b->click(); });
                return dialog != nullptr;
            } });
        main->show();
        main->activateWindow();
        const bool connected = waitFor([&] {
            return (main->osOracle->connected() && main->windowTitle().contains("Oracle:")) || !message.isEmpty();
        });
        answers.reset();
        if (refusal)
            *refusal = message;
        return connected && message.isEmpty();
    }

    // A second session on the demo database, apart from the main window's.
    std::unique_ptr<db::Session> session(const QString& user) const
    {
        auto s = std::make_unique<db::Session>();
        s->setUserName(user);
        s->setPassword(user);
        s->setDatabase(QStringLiteral("DEMO"));
        return s;
    }

    // The administrator check calls VOXA.PCKVEXOLOG.USERISVALID beside the user's row; a demo database made before
    // the application's packages were part of it gets a stand-in that only answers.
    void installUserIsValid() const
    {
        auto voxa = session("VOXA");
        voxa->logOn();
        db::Query q(voxa.get());
        q.setSql("select count(*) n from all_objects where owner = 'VOXA' and object_name = 'PCKVEXOLOG'");
        q.execute();
        if (q.field("N").toInt() > 0)
            return;
        q.setSql("create package VOXA.PCKVEXOLOG is\n  function USERISVALID(p in varchar2) return varchar2;\nend;");
        q.execute();
        q.setSql("create package body VOXA.PCKVEXOLOG is\n  function USERISVALID(p in varchar2) return varchar2 is\n"
                 "  begin\n    return 'T';\n  end;\nend;");
        q.execute();
        voxa->logOff();
    }

    std::unique_ptr<TfmMain> main;
    std::unique_ptr<ModalAnswers> answers;
};

struct Caption {
    const char* name;
    const char* english;
    const char* slovenian;
};

// Every caption of the menu bar as the system shows it, in both languages.
const Caption menuCaptions[] = {
    { "mmConnDisc", "&Connect/Setup", "&Prijava/Odjava" },
    { "mmConnect", "&Connect", "Prijava" },
    { "mmDisconnect", "&Disconnect", "Odjava" },
    { "mmSetup", "Setup", "Nastavitve" },
    { "mmUserComments", "User Comments", "Komentarji" },
    { "mmWorkSheet", "&WorkSheet", "P&oizvedbe" },
    { "mmNormal", "&Normal", "Klasične" },
    { "mmMasterDetail", "Master-Detail", "Oče/otrok" },
    { "mmScript", "&Script", "Skripta" },
    { "mmProject", "&Version", "&Verzije" },
    { "Project1", "Project", "Projekt" },
    { "mmVersionCheck", "Version Check", "Verzije" },
    { "mmInstalations", "Instalations", "Instalacije" },
    { "mmEditPL", "Edit P&L ", "&Urejevalnik" },
    { "mmExecScript", "execute &Script", "&Skripte" },
    { "mmStructures", "Stru&ctures", "S&trukture" },
    { "mmTabStru", "&Tables", "Tabele" },
    { "mmPLSQLStru", "PL/SQL blocks", "PL/SQL bloki" },
    { "mmGrantRevokerights", "Grant/Revoke rigjts", "Pravice" },
    { "mmStatus", "&Errors", "&Napake" },
    { "mmCompare", "&Utilities", "Ra&zno" },
    { "mmActivateLargeRB", "Large RB Online", "Velik RB Online" },
    { "mmQuandrelLOGactivities", "Quandrel LOG activities", "Prijava/Odjava" },
    { "mmShowQUANDRELlog", "Show QUANDREL log", "Prikaži QUANDREL log" },
    { "mmShowOraclesfile", "Show Oracle's file", "Prikaži Oracle datoteko" },
    { "mmPipe", "Pipes", "Pipe" },
    { "mmSistemskiParametri", "System Params", "Sistemski parametri" },
    { "mmRestrictedEnable", "Restricted Session ON", "Omejitev prijav na Oracle" },
    { "mmRestrictedDisable", "Restricted Session OFF", "Sprostitev prijav na Oracle" },
    { "mmShowSession", "Show Unrestricted sessions", "Prikaz nedovoljenih prijav" },
    { "mmLongLogin", "Show logins under...", "Predolge prijave" },
    { "mmRefreshTables", "Refresh &Tables", "Osveževanje tabel" },
    { "mmCompare2", "C&ompare", "Primerjava struktur" },
    { "mmChecktables", "C&heck tables", "Preveri tabele" },
    { "mmRepairtables", "&Repair table", "Popravi Tabelo" },
    { "mmConstraints", "Search for disabled constraints", "Iskanje ukinjenih konstraintov" },
    { "mmSearchfordisabledtriggers", "Search for disabled triggers", "Iskanje ukinjenih triggerjev" },
    { "mmSQLUtil", "&SQLUtil", "Razni programi" },
    { "mmTablesreccount", "Tables-reccount", "Tabele-pomožni progami" },
    { "mmSistem", "Oracle-view ", "Oracle-pregled" },
    { "mmGenerateProc", "Generate Replace procedure", "generiraj Replace proceduro" },
    { "mmInstalationsformoreusers", "Instalations for more users", "Več uporabnikov-hosting" },
    { "mmLockAudit", "System Jobs", "Sistemska opravila" },
    { "mmLock", "Lock", "Zaklepanje" },
    { "mmAudit", "Auditing", "Auditing" },
    { "mmKocka", "Cube", "Kocka" },
    { "mmMonitor", "Monitor", "Monitor" },
    { "mmTableLength", "Table's length", "Dolžine tabel" },
    { "mmAnalyzeTable", "Analyze table", "Analyze table" },
    { "mmAbout", "About", "Pomoč" },
    { "mmExit", "E&xit", "&Konec" },
};

const Caption toolButtonHints[] = {
    { "tbConnect", "Connect to Database", "Prijava" },
    { "tbWorkSheet", "Work Sheet", "Poizvedbe" },
    { "tbMasterDetail", "Master/Detail Form", "Poizvedbe-Oče/otrok" },
    { "tbWSPart", "WorkSheet-SCRIPT", "Poizvedbe-skripta" },
    { "tbEditPL", "Edit PL/SQL Script", "Urejevalnik PL/SQL skript" },
    { "tbOpenProject", "Version", "Verzije" },
    { "tbExecScript", "Execute Script", "Izvajanje Skript" },
    { "tbErrors", "Errors", "Pregled napak" },
    { "tbStructures", "Table Structures", "Strukture tabel,podatki,odvisnosti,indeksi" },
    { "tbPLBlocks", "PL/SQL structures", "Strukture PL/SQL blokov" },
    { "tbMin", "Minimize/Maximize Main Form", "Zmanjševanje glavne forme" },
    { "tbOkna", "Select Window", "Prikaz odprtih oken" },
    { "ToolButton4", "", "" },
    { "tbExit", "Exit", "Izhod iz programa" },
};

// The entries that open a tool window nobody has registered in this test program, and the commands of the main
// window itself.
const char* const windowItems[] = { "mmSetup", "mmUserComments", "mmNormal", "mmMasterDetail", "mmScript",
    "mmVersionCheck", "mmEditPL", "mmExecScript", "mmTabStru", "mmPLSQLStru", "mmGrantRevokerights", "mmStatus",
    "mmQuandrelLOGactivities", "mmShowQUANDRELlog", "mmShowOraclesfile", "mmPipe", "mmSistemskiParametri",
    "mmLongLogin", "mmRefreshTables", "mmCompare2", "mmChecktables", "mmRepairtables", "mmConstraints",
    "mmSearchfordisabledtriggers", "mmTablesreccount", "mmSistem", "mmGenerateProc", "mmInstalationsformoreusers",
    "mmLock", "mmAudit", "mmKocka", "mmMonitor", "mmTableLength" };
const char* const windowButtons[] = { "tbWorkSheet", "tbMasterDetail", "tbWSPart", "tbEditPL", "tbOpenProject",
    "tbExecScript", "tbErrors", "tbStructures", "tbPLBlocks", "ToolButton4" };
const char* const databaseMenus[] = { "mmWorkSheet", "mmProject", "mmStructures", "mmCompare" };
const char* const mainCommands[]
    = { "mmActivateLargeRB", "mmRestrictedEnable", "mmRestrictedDisable", "mmShowSession" };
const char* const alwaysOn[] = { "mmConnDisc", "mmConnect", "mmDisconnect", "mmAbout", "mmExit" };
// Menus of the menu bar whose entries all open windows: they offer nothing until one of those windows is registered.
const char* const windowMenus[] = { "mmWorkSheet", "mmProject", "mmStructures", "mmLockAudit" };
const char* const alwaysOnButtons[] = { "tbConnect", "tbMin", "tbOkna", "tbExit" };

} // namespace

TEST(MainMenuRules, EnablingFollowsTheConnectionAndTheRegisteredWindows)
{
    using shell::Enabling;
    struct Case {
        Enabling rule;
        bool connected;
        bool hasOpener;
        bool enabled;
    } cases[] = {
        { Enabling::Always, false, false, true },
        { Enabling::Connected, false, true, false },
        { Enabling::Connected, true, false, true },
        { Enabling::Window, false, false, false },
        { Enabling::Window, false, true, true },
        { Enabling::ConnectedWindow, true, false, false },
        { Enabling::ConnectedWindow, false, true, false },
        { Enabling::ConnectedWindow, true, true, true },
        { Enabling::Never, true, true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.rule) << c.connected << c.hasOpener);
        EXPECT_EQ(shell::entryEnabled(c.rule, c.connected, c.hasOpener), c.enabled);
    }
    // A tool button opens the window of its menu item unless a module registered the button itself.
    Openers openers;
    EXPECT_FALSE(shell::registeredOpener("tbWorkSheet"));
    openers.add("mmNormal", [](TfmMain&) {});
    EXPECT_EQ(shell::registeredOpener("tbWorkSheet"), QString("mmNormal"));
    openers.add("tbWorkSheet", [](TfmMain&) {});
    EXPECT_EQ(shell::registeredOpener("tbWorkSheet"), QString("tbWorkSheet"));
    EXPECT_EQ(shell::openerNames("tbErrors"), QList<QString>({ "tbErrors", "mmStatus" }));
}

TEST(MainMenuRules, LockAndAuditWindowsOfNewerReleasesOnlyAbove18)
{
    const std::pair<const char*, bool> cases[]
        = { { "19", true }, { "23", true }, { "18", false }, { "8", false }, { "", false }, { "8.xxx", false } };
    for (const auto& [version, newer] : cases) {
        SCOPED_TRACE(version);
        EXPECT_EQ(shell::useOra19Windows(version), newer);
    }
}

TEST(MainMenuRules, RestrictedSessionTakesOnlyItsTwoModes)
{
    EXPECT_EQ(shell::restrictedSessionStatement("ENABLE"), QString("ALTER SYSTEM ENABLE RESTRICTED SESSION"));
    EXPECT_EQ(shell::restrictedSessionStatement("DISABLE"), QString("ALTER SYSTEM DISABLE RESTRICTED SESSION"));
    for (const char* mode : { "", "enable", "ENABLE RESTRICTED SESSION; DROP USER VOXA", "KILL" }) {
        SCOPED_TRACE(mode);
        EXPECT_FALSE(shell::restrictedSessionStatement(mode));
    }
}

TEST(MainMenuRules, ThePreconditionsCountTheirTables)
{
    for (const auto& [count, ready] : { std::pair { 2, false }, { 3, true }, { 4, false } })
        EXPECT_EQ(shell::tableLengthReady(count), ready) << count;
    for (const auto& [count, ready] : { std::pair { 0, false }, { 1, false }, { 2, true }, { 4, true } })
        EXPECT_EQ(shell::monitorReady(count), ready) << count;
}

// The chooser offers the visible windows of a kind, whose name begins with the kind's prefix in this case, by name
// with numbers in their order; hidden windows (which could not take the focus), the main window and popups are left
// out, and there is no limit.
TEST(MainMenuRules, TheChooserListsVisibleWindowsOfTheKind)
{
    QWidget main;
    main.setObjectName("fmMain");
    main.show();
    std::vector<std::unique_ptr<QWidget>> windows;
    auto window = [&](const QString& name, bool visible) {
        windows.push_back(std::make_unique<QWidget>());
        windows.back()->setObjectName(name);
        if (visible)
            windows.back()->show();
        return windows.back().get();
    };
    QWidget* first = window("WorkSheet_1", true);
    window("WorkSheet_2", false);
    QWidget* third = window("WorkSheet_3", true);
    window("worksheet_4", true);
    QWidget* other = window("fmTableStru", true);
    QMenu popup;
    popup.setObjectName("WorkSheetPopup");
    popup.popup(QPoint(0, 0));
    QList<QWidget*> all { &main, first, windows[1].get(), third, windows[3].get(), other, &popup };

    EXPECT_EQ(shell::chooserWindows(all, &main, QString("WorkSheet")), QList<QWidget*>({ first, third }));
    EXPECT_EQ(
        shell::chooserWindows(all, &main, std::nullopt), QList<QWidget*>({ other, first, third, windows[3].get() }));
    EXPECT_TRUE(shell::chooserWindows(all, &main, QString("fmErrors")).isEmpty());

    QList<QWidget*> many;
    for (int i = 150; i > 0; --i)
        many.append(window(QString("fmErrors_%1").arg(i), true));
    const QList<QWidget*> listed = shell::chooserWindows(many, &main, QString("fmErrors"));
    ASSERT_EQ(listed.size(), 150);
    EXPECT_EQ(listed[1]->objectName(), "fmErrors_2");
    EXPECT_EQ(listed[9]->objectName(), "fmErrors_10");
    EXPECT_EQ(listed.last()->objectName(), "fmErrors_150");
}

// Captions and hints exactly as the system writes them; only "SLO" selects Slovenian, which also hides the table
// refresh.
TEST_F(MenusTest, CaptionsAndHintsInBothLanguages)
{
    for (const char* language : { "ANG", "SLO", "slo" }) {
        SCOPED_TRACE(language);
        create(QByteArray("[PL/SQL]\r\nCURR_LANGUAGE=") + language + "\r\n");
        const bool slovenian = QByteArray(language) == "SLO";
        for (const Caption& c : menuCaptions) {
            SCOPED_TRACE(c.name);
            ASSERT_NE(main->menuItem(c.name), nullptr);
            EXPECT_EQ(main->menuItem(c.name)->text(), QString::fromUtf8(slovenian ? c.slovenian : c.english));
        }
        for (const Caption& c : toolButtonHints) {
            SCOPED_TRACE(c.name);
            ASSERT_NE(main->toolButton(c.name), nullptr);
            EXPECT_EQ(main->toolButton(c.name)->toolTip(), QString::fromUtf8(slovenian ? c.slovenian : c.english));
        }
        EXPECT_EQ(main->menuItem("mmRefreshTables")->isVisible(), !slovenian);
        EXPECT_EQ(main->menuItem("mmActivateLargeRB")->toolTip(), "Large RB ONLINE, other public RB OFFLINE");
        EXPECT_TRUE(main->menuItem("mmActivateLargeRB")->isCheckable());
        for (const char* hidden : { "Project1", "mmInstalations", "mmSQLUtil", "mmAnalyzeTable", "N2" })
            EXPECT_FALSE(main->menuItem(hidden)->isVisible()) << hidden;
        main.reset();
    }
}

// Before a logon only the connect menu, the system-jobs menu, About, Exit and the always-on buttons may be used.
// After a logon the database tools open; an entry whose window no module has registered stays disabled, so no
// click goes nowhere, and it enables as soon as its window is registered.
TEST_F(MenusTest, EnabledEntriesBeforeAndAfterALogon)
{
    struct Case {
        const char* user;
        const char* password;
    } cases[] = { { "VOXA", "VOXA" }, { "AKRALJ", "AKRALJ" } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        create();
        for (const char* name : alwaysOn)
            EXPECT_TRUE(main->menuItem(name)->isEnabled()) << name;
        for (const char* name : alwaysOnButtons)
            EXPECT_TRUE(main->toolButton(name)->isEnabled()) << name;
        for (const char* name : databaseMenus)
            EXPECT_FALSE(main->menuItem(name)->isEnabled()) << name;
        for (const char* name : windowButtons)
            EXPECT_FALSE(main->toolButton(name)->isEnabled()) << name;

        if (QByteArray(c.user) == "AKRALJ")
            installUserIsValid();
        QString refusal;
        ASSERT_TRUE(logOn(c.user, c.password, &refusal)) << refusal.toStdString();
        EXPECT_TRUE(main->windowTitle().startsWith(QString("PL/SQL Editor  %1@DEMO  Oracle:19").arg(c.user)))
            << main->windowTitle().toStdString();
        EXPECT_TRUE(main->windowTitle().contains("Ver.")) << "the program's version closes the caption";
        // The utilities menu has commands of its own; the other menus wait for their windows.
        EXPECT_TRUE(main->menuItem("mmCompare")->isEnabled());
        for (const char* name : windowMenus)
            EXPECT_FALSE(main->menuItem(name)->isEnabled()) << name;
        for (const char* name : mainCommands)
            EXPECT_TRUE(main->menuItem(name)->isEnabled()) << name;
        for (const char* name : alwaysOn)
            EXPECT_TRUE(main->menuItem(name)->isEnabled()) << name;
        for (const char* name : windowItems)
            EXPECT_FALSE(main->menuItem(name)->isEnabled()) << name;
        for (const char* name : windowButtons)
            EXPECT_FALSE(main->toolButton(name)->isEnabled()) << name;
        // The system-parameter editor is offered: its table exists in the demo database.
        EXPECT_TRUE(main->menuItem("mmSistemskiParametri")->isVisible());

        Openers openers;
        int opened = 0;
        openers.count("mmNormal", opened);
        openers.count("mmLock", opened);
        main->refreshMenuStates();
        EXPECT_TRUE(main->menuItem("mmNormal")->isEnabled());
        EXPECT_TRUE(main->toolButton("tbWorkSheet")->isEnabled());
        EXPECT_TRUE(main->menuItem("mmLock")->isEnabled());
        EXPECT_TRUE(main->menuItem("mmWorkSheet")->isEnabled());
        EXPECT_TRUE(main->menuItem("mmLockAudit")->isEnabled());
        EXPECT_FALSE(main->menuItem("mmProject")->isEnabled()) << "none of its windows is registered";
        main->menuItem("mmNormal")->trigger();
        main->menuItem("mmLock")->trigger();
        EXPECT_EQ(opened, 2);

        // Disconnect closes the database tools again, registered or not.
        main->menuItem("mmDisconnect")->trigger();
        EXPECT_FALSE(main->osOracle->connected());
        EXPECT_FALSE(main->menuItem("mmWorkSheet")->isEnabled());
        EXPECT_FALSE(main->toolButton("tbWorkSheet")->isEnabled());
        EXPECT_FALSE(main->menuItem("mmLock")->isEnabled());
        // The caption no longer names the user who logged off, and a logon from the tool bar names the new one.
        EXPECT_TRUE(main->windowTitle().startsWith("PL/SQL Editor    ")) << main->windowTitle().toStdString();
        EXPECT_FALSE(main->windowTitle().contains("@DEMO")) << main->windowTitle().toStdString();
        answers = std::make_unique<ModalAnswers>(std::vector<ModalAnswers::Rule> { logOnAs("BILDOR", "BILDOR") });
        main->toolButton("tbConnect")->click();
        EXPECT_TRUE(waitFor([&] { return main->osOracle->connected(); }));
        answers.reset();
        EXPECT_TRUE(main->windowTitle().startsWith("PL/SQL Editor  BILDOR@DEMO  Oracle:19"))
            << main->windowTitle().toStdString();
        main.reset();
    }
}

// A chooser button opens a new window at once when none of its kind is open; otherwise it lists the open ones and
// "New". The window button lists every visible window but the main one.
TEST_F(MenusTest, TheWindowChooser)
{
    create();
    main->hooks.tbConnectClick = nullptr; // no logon: the chooser needs none
    main->enableConnectedActions(true);
    Openers openers;
    std::vector<std::unique_ptr<QWidget>> windows;
    int opened = 0;
    openers.add("mmNormal", [&](TfmMain& m) {
        ++opened;
        ++m.workSheetStevec;
        windows.push_back(std::make_unique<QWidget>());
        windows.back()->setObjectName(QString("WorkSheet_%1").arg(m.workSheetStevec));
        windows.back()->setWindowTitle(QString("Worksheet %1").arg(m.workSheetStevec));
        windows.back()->show();
    });
    main->refreshMenuStates();
    main->show();

    QToolButton* tbWorkSheet = main->toolButton("tbWorkSheet");
    tbWorkSheet->click();
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(main->pmOkna->isVisible());

    tbWorkSheet->click();
    ASSERT_TRUE(waitFor([&] { return main->pmOkna->isVisible(); }));
    EXPECT_EQ(entryNames(main->pmOkna), QStringList({ "WorkSheet_1", "New" }));
    EXPECT_EQ(main->pmOkna->actions().first()->text(), "Worksheet 1");
    EXPECT_EQ(main->trenOkna, 2);
    main->pmOkna->findChild<QAction*>("New")->trigger();
    main->pmOkna->hide();
    EXPECT_EQ(opened, 2);

    // A hidden window is not offered; a minimised one is restored when chosen.
    windows[0]->showMinimized();
    auto hidden = std::make_unique<QWidget>();
    hidden->setObjectName("WorkSheet_9");
    auto other = std::make_unique<QWidget>();
    other->setObjectName("fmTableStru");
    other->setWindowTitle("Tables");
    other->show();
    tbWorkSheet->click();
    ASSERT_TRUE(waitFor([&] { return main->pmOkna->isVisible(); }));
    EXPECT_EQ(entryNames(main->pmOkna), QStringList({ "WorkSheet_1", "WorkSheet_2", "New" }));
    main->pmOkna->findChild<QAction*>("WorkSheet_1")->trigger();
    main->pmOkna->hide();
    EXPECT_FALSE(windows[0]->isMinimized());
    EXPECT_EQ(opened, 2);

    // A window that closed after the list was shown is passed over.
    windows[1]->close();
    main->activateChosenWindow(1);
    main->activateChosenWindow(7);

    // The about window is the shell's own and always there to open.
    ASSERT_TRUE(main->menuItem("mmAbout")->isEnabled());
    main->menuItem("mmAbout")->trigger();
    QPointer<QWidget> about = main->findChild<QWidget*>("fmAbout");
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isVisible());

    main->toolButton("tbOkna")->click();
    ASSERT_TRUE(waitFor([&] { return main->pmOkna->isVisible(); }));
    QStringList listed = entryNames(main->pmOkna);
    EXPECT_TRUE(listed.contains("fmAbout"));
    EXPECT_TRUE(listed.contains("WorkSheet_1"));
    EXPECT_TRUE(listed.contains("fmTableStru"));
    EXPECT_FALSE(listed.contains("WorkSheet_2")) << "closed";
    EXPECT_FALSE(listed.contains("WorkSheet_9")) << "never shown";
    EXPECT_FALSE(listed.contains("fmMain"));
    EXPECT_FALSE(listed.contains("New"));
    main->pmOkna->hide();

    // Grant/Revoke offers the open windows of its kind like a button does.
    int grants = 0;
    openers.count("mmGrantRevokerights", grants);
    main->refreshMenuStates();
    main->menuItem("mmGrantRevokerights")->trigger();
    EXPECT_EQ(grants, 1);
    auto grantWindow = std::make_unique<QWidget>();
    grantWindow->setObjectName("fmGrantAll_1");
    grantWindow->show();
    main->menuItem("mmGrantRevokerights")->trigger();
    ASSERT_TRUE(waitFor([&] { return main->pmOkna->isVisible(); }));
    EXPECT_EQ(entryNames(main->pmOkna), QStringList({ "fmGrantAll_1", "New" }));
    main->pmOkna->hide();
    EXPECT_EQ(grants, 1);
    grantWindow.reset();

    // Nothing open but the main window: the window button shows nothing.
    about->close();
    ASSERT_TRUE(waitFor([&] { return about.isNull(); })) << "the about window frees itself";
    windows.clear();
    other.reset();
    main->toolButton("tbOkna")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(main->trenOkna, 0);
    EXPECT_FALSE(main->pmOkna->isVisible());
}

// Oracle: ALTER SYSTEM ENABLE RESTRICTED SESSION lets only users with the RESTRICTED SESSION privilege log on
// (others get ORA-01035) until DISABLE; a user without ALTER SYSTEM gets ORA-01031.
TEST_F(MenusTest, RestrictedSessionAgainstTheEngine)
{
    create();
    ASSERT_TRUE(logOn("VOXA", "VOXA"));

    // No at the question: nothing is sent.
    answers = std::make_unique<ModalAnswers>(std::vector<ModalAnswers::Rule> { answerBox(nullptr, QMessageBox::No) });
    main->menuItem("mmRestrictedEnable")->trigger();
    auto endUser = session("BILDOR");
    EXPECT_NO_THROW(endUser->logOn());
    endUser->logOff();

    QString question;
    answers
        = std::make_unique<ModalAnswers>(std::vector<ModalAnswers::Rule> { answerBox(&question, QMessageBox::Yes) });
    main->menuItem("mmRestrictedEnable")->trigger();
    EXPECT_EQ(question, "Si prepričan, da želiš preprečiti prijave na bazo?");
    try {
        endUser->logOn();
        ADD_FAILURE() << "a user without RESTRICTED SESSION logged on";
    } catch (const db::OracleError& e) {
        EXPECT_EQ(e.code(), 1035) << e.message().toStdString();
    }

    // The sessions that would be locked out: the main window's own VOXA session (VOXA holds RESTRICTED SESSION
    // through DBA only, not directly beside ZDR).
    const QString listed = main->listUnrestrictedSessions("K");
    EXPECT_TRUE(listed.startsWith("VOXA ")) << listed.toStdString();
    EXPECT_TRUE(listed.endsWith("\r\n"));
    QString shown;
    answers = std::make_unique<ModalAnswers>(std::vector<ModalAnswers::Rule> { answerBox(&shown) });
    main->menuItem("mmShowSession")->trigger();
    EXPECT_EQ(shown, listed);

    answers
        = std::make_unique<ModalAnswers>(std::vector<ModalAnswers::Rule> { answerBox(&question, QMessageBox::Yes) });
    main->menuItem("mmRestrictedDisable")->trigger();
    EXPECT_EQ(question, "Si prepričan, da želiš omogočiti vsem uporabnikom prijavo na bazo?");
    EXPECT_NO_THROW(endUser->logOn());
    endUser->logOff();

    // An unknown mode from a command file never reaches the server.
    testing::internal::CaptureStderr();
    main->declRunParam = true;
    EXPECT_FALSE(main->setRestrictedSession("ENABLE; DROP USER BILDOR"));
    main->declRunParam = false;
    EXPECT_NE(testing::internal::GetCapturedStderr().find("ERROR ON RESTRICTED SESSION"), std::string::npos);
    EXPECT_NO_THROW(endUser->logOn());
}

TEST_F(MenusTest, RestrictedSessionRefusedToAUserWithoutTheRight)
{
    create("[PL/SQL]\r\nCURR_LANGUAGE=SLO\r\n");
    ASSERT_TRUE(logOn("BILDOR", "BILDOR"));
    QString message;
    answers = std::make_unique<ModalAnswers>(
        std::vector<ModalAnswers::Rule> { answerBox(nullptr, QMessageBox::Yes), answerBox(&message) });
    main->menuItem("mmRestrictedEnable")->trigger();
    ASSERT_TRUE(waitFor([&] { return answers->done(); }));
    EXPECT_TRUE(message.startsWith("NAPAKA PRI DOVOLJENJU ZA PRIJAVO!|ORA-01031")) << message.toStdString();
}

// The table-size window needs exactly the three VEXO_DT_ tables, the monitor more than one IMON_ table.
TEST_F(MenusTest, SystemJobWindowsAfterTheirPreconditions)
{
    create();
    ASSERT_TRUE(logOn("VOXA", "VOXA"));
    Openers openers;
    int tableLength = 0;
    int monitor = 0;
    openers.count("mmTableLength", tableLength);
    openers.count("mmMonitor", monitor);
    main->refreshMenuStates();

    main->menuItem("mmTableLength")->trigger();
    main->menuItem("mmMonitor")->trigger();
    EXPECT_EQ(tableLength, 1);
    EXPECT_EQ(monitor, 1);

    {
        db::Query drop(main->osOracle);
        drop.setSql("drop table VEXO_UTIL.VEXO_DT_RUNS");
        drop.execute();
        drop.setSql("drop table VEXO_UTIL.IMON_TRANS");
        drop.execute();
        drop.setSql("drop table VEXO_UTIL.IMON_LONGQU");
        drop.execute();
        drop.setSql("drop table VEXO_UTIL.IMON_WARNING");
        drop.execute();
    }
    QString message;
    answers = std::make_unique<ModalAnswers>(std::vector<ModalAnswers::Rule> { answerBox(&message) });
    main->menuItem("mmTableLength")->trigger();
    EXPECT_EQ(message, "INIT NEEDED");
    answers = std::make_unique<ModalAnswers>(std::vector<ModalAnswers::Rule> { answerBox(&message) });
    main->menuItem("mmMonitor")->trigger();
    EXPECT_EQ(message, "Potrebna je nastavitev");
    EXPECT_EQ(tableLength, 1);
    EXPECT_EQ(monitor, 1);
}

// The demo database cannot switch the segment RBBIG (it has no such segment, and the procedure that would switch it
// may not be installed): the switch reports the failure with the segment's name and the item keeps its state.
TEST_F(MenusTest, LargeRollbackSegmentFailureAgainstTheEngine)
{
    create("[PL/SQL]\r\nCURR_LARGERB=rbbig\r\n");
    ASSERT_TRUE(logOn("VOXA", "VOXA"));
    QString message;
    answers = std::make_unique<ModalAnswers>(std::vector<ModalAnswers::Rule> { answerBox(&message) });
    main->menuItem("mmActivateLargeRB")->trigger();
    ASSERT_TRUE(waitFor([&] { return answers->done(); }));
    EXPECT_TRUE(message.startsWith("ERROR ON PUTING RBBIG ONLINE|ORA-")) << message.toStdString();
    EXPECT_FALSE(main->menuItem("mmActivateLargeRB")->isChecked());
}

// Oracle runs the application's own procedures: with a CanUseLargeRB that answers "D" and an activateLARGERB that
// records its calls, the switch puts the segment online and offline again and shows each new state.
TEST_F(MenusTest, LargeRollbackSegmentSwitchedThroughTheApplicationsProcedures)
{
    create("[PL/SQL]\r\nCURR_LARGERB=RBBIG\r\n");
    ASSERT_TRUE(logOn("VOXA", "VOXA"));
    db::Query ddl(main->osOracle);
    for (const char* statement : { "create table VOXA.RB_SWITCHES (seg varchar2(30), state varchar2(10))",
             "grant insert on VOXA.RB_SWITCHES to VEXO_UTIL",
             "create or replace package VOXA.PCKLogParam is\n  function CanUseLargeRB return varchar2;\nend;",
             "create or replace package body VOXA.PCKLogParam is\n  function CanUseLargeRB return varchar2 is\n"
             "  begin\n    return 'd';\n  end;\nend;",
             "create or replace procedure VEXO_UTIL.activateLARGERB(pSegment in varchar2, pState in varchar2) is\n"
             "begin\n  insert into VOXA.RB_SWITCHES values (pSegment, pState);\nend;" }) {
        SCOPED_TRACE(statement);
        ddl.setSql(statement);
        ASSERT_NO_THROW(ddl.execute());
    }
    QAction* item = main->menuItem("mmActivateLargeRB");
    QString message;
    for (const char* expected : { "RBBIG :ONLINE", "RBBIG :OFFLINE" }) {
        answers = std::make_unique<ModalAnswers>(std::vector<ModalAnswers::Rule> { answerBox(&message) });
        item->trigger();
        EXPECT_EQ(message, expected);
    }
    EXPECT_FALSE(item->isChecked());
    db::Query calls(main->osOracle);
    calls.setSql("select seg || ' ' || state s from VOXA.RB_SWITCHES");
    calls.execute();
    QStringList switched;
    for (; !calls.eof(); calls.next())
        switched.append(calls.field("S").toString());
    EXPECT_EQ(switched, QStringList({ "RBBIG ONLINE", "RBBIG OFFLINE" }));
}

// Over a server whose application allows the switch: on, off, and the end of an unattended run that switched it on,
// where no message waits for a person. An answer other than "D" changes nothing.
TEST_F(MenusTest, LargeRollbackSegmentSwitchesOnAndOff)
{
    auto server = std::make_shared<fake::Server>();
    QString answer = "d";
    bool refuse = false;
    server->on("CanUseLargeRB", [&](fake::Connection&, std::vector<db::driver::Bind>&) {
        db::driver::Result r;
        r.kind = db::StatementKind::Select;
        r.cursor = std::make_unique<fake::RowsCursor>(
            std::vector<db::driver::Column> { { "LARGERB", db::FieldType::Varchar2 } },
            std::vector<std::vector<QVariant>> { { answer } });
        return r;
    });
    server->on("activateLARGERB", [&](fake::Connection&, std::vector<db::driver::Bind>&) {
        if (refuse)
            throw db::OracleError(1598, "ORA-01598: rollback segment 'RBBIG' is not online");
        db::driver::Result r;
        r.kind = db::StatementKind::PlSql;
        return r;
    });
    create("[PL/SQL]\r\nCURR_LARGERB=RBBIG\r\n");
    main->osOracle->setDriver(std::make_shared<fake::Driver>(server));
    main->osOracle->setUserName("VOXA");
    main->osOracle->setPassword("VOXA");
    main->osOracle->setDatabase("FAKE");
    main->osOracle->logOn();
    main->enableConnectedActions(true);
    QAction* item = main->menuItem("mmActivateLargeRB");
    const auto targets = [&] {
        QStringList t;
        for (const auto& binds : server->bindLog)
            for (const auto& b : binds)
                if (b.name == "TARGET")
                    t.append(b.value.toString());
        return t;
    };

    QString message;
    answers = std::make_unique<ModalAnswers>(std::vector<ModalAnswers::Rule> { answerBox(&message) });
    item->trigger();
    EXPECT_EQ(message, "RBBIG :ONLINE");
    EXPECT_TRUE(item->isChecked());
    answers = std::make_unique<ModalAnswers>(std::vector<ModalAnswers::Rule> { answerBox(&message) });
    item->trigger();
    EXPECT_EQ(message, "RBBIG :OFFLINE");
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(targets(), QStringList({ "ONLINE", "OFFLINE" }));
    answers.reset();

    answer = "N";
    EXPECT_FALSE(main->mmActivateLargeRBClick());
    EXPECT_EQ(targets().size(), 2) << "not allowed: nothing switched";
    EXPECT_FALSE(item->isChecked());

    // A command file switched it on; closing switches it off without a message box, also when the switch fails.
    answer = "D";
    for (const bool fails : { false, true }) {
        SCOPED_TRACE(fails);
        refuse = fails;
        main->currLargeRB = "D";
        main->exitStatus = 0;
        bool asked = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] { asked = asked || visibleMessageBox() != nullptr; });
        watch.start(5);
        testing::internal::CaptureStderr();
        main->show();
        main->close();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(asked);
        EXPECT_EQ(main->currLargeRB, "N");
        EXPECT_EQ(targets().last(), "OFFLINE");
        EXPECT_EQ(main->exitStatus, fails ? 1 : 0);
        EXPECT_EQ(err.find("ERROR ON PUTING RBBIG OFFLINE") != std::string::npos, fails) << err;
    }
}
