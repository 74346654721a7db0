#include "shell/Main.h"

#include "db/session.h"
#include "platform/fileinfo.h"
#include "platform/inifile.h"
#include "platform/userkeystore.h"
#include "shell/iKript.h"
#include "shell/mainpicture.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>

TfmMain* fmMain = nullptr;

namespace {

// The layout's sizes: client area 824 x 385 at 420/276, a tool bar panel of 34 pixels above the picture panel.
constexpr int clientWidth = 824;
constexpr int clientHeight = 385;
constexpr int toolBarPanelHeight = 34;
constexpr int pictureMargin = 0; // the picture fills its panel: a margin on two sides only looked cut off

enum class ItemKind { Submenu, Item, Check, Separator };

struct MenuEntry {
    const char* name;
    const char* parent; // nullptr: on the menu bar
    ItemKind kind;
    const char* english;
    const char* slovenian; // nullptr: the same in both languages
    bool visible = true;
    bool enabled = true;
};

// The menu bar as laid out. Items the tools need only once they connect start disabled; items shown only under
// a condition start hidden.
const MenuEntry menuEntries[] = {
    { "mmConnDisc", nullptr, ItemKind::Submenu, "&Connect/Setup", "&Prijava/Odjava" },
    { "mmConnect", "mmConnDisc", ItemKind::Item, "&Connect", "Prijava" },
    { "mmDisconnect", "mmConnDisc", ItemKind::Item, "&Disconnect", "Odjava" },
    { "N1", "mmConnDisc", ItemKind::Separator, "", nullptr },
    { "mmSetup", "mmConnDisc", ItemKind::Item, "Setup", "Nastavitve" },
    { "N3", "mmConnDisc", ItemKind::Separator, "", nullptr },
    { "mmUserComments", "mmConnDisc", ItemKind::Item, "User Comments", "Komentarji" },
    { "mmWorkSheet", nullptr, ItemKind::Submenu, "&WorkSheet", "P&oizvedbe", true, false },
    { "mmNormal", "mmWorkSheet", ItemKind::Item, "&Normal", "Klasične" },
    { "mmMasterDetail", "mmWorkSheet", ItemKind::Item, "Master-Detail", "Oče/otrok" },
    { "mmScript", "mmWorkSheet", ItemKind::Item, "&Script", "Skripta" },
    { "mmProject", nullptr, ItemKind::Submenu, "&Version", "&Verzije", true, false },
    { "Project1", "mmProject", ItemKind::Item, "Project", "Projekt", false },
    { "mmVersionCheck", "mmProject", ItemKind::Item, "Version Check", "Verzije" },
    { "mmInstalations", "mmProject", ItemKind::Item, "Instalations", "Instalacije", false },
    { "mmEditPL", nullptr, ItemKind::Item, "Edit P&L ", "&Urejevalnik", true, false },
    { "mmExecScript", nullptr, ItemKind::Item, "execute &Script", "&Skripte", true, false },
    { "mmStructures", nullptr, ItemKind::Submenu, "Stru&ctures", "S&trukture", true, false },
    { "mmTabStru", "mmStructures", ItemKind::Item, "&Tables", "Tabele" },
    { "mmPLSQLStru", "mmStructures", ItemKind::Item, "PL/SQL blocks", "PL/SQL bloki" },
    { "N4", "mmStructures", ItemKind::Separator, "", nullptr },
    { "mmGrantRevokerights", "mmStructures", ItemKind::Item, "Grant/Revoke rigjts", "Pravice" },
    { "mmStatus", nullptr, ItemKind::Item, "&Errors", "&Napake", true, false },
    { "mmCompare", nullptr, ItemKind::Submenu, "&Utilities", "Ra&zno", true, false },
    { "mmActivateLargeRB", "mmCompare", ItemKind::Check, "Large RB Online", "Velik RB Online" },
    { "N5", "mmCompare", ItemKind::Separator, "", nullptr },
    { "mmQuandrelLOGactivities", "mmCompare", ItemKind::Item, "Quandrel LOG activities", "Prijava/Odjava" },
    { "mmShowQUANDRELlog", "mmCompare", ItemKind::Item, "Show QUANDREL log", "Prikaži QUANDREL log" },
    { "mmShowOraclesfile", "mmCompare", ItemKind::Item, "Show Oracle's file", "Prikaži Oracle datoteko" },
    { "mmPipe", "mmCompare", ItemKind::Item, "Pipes", "Pipe" },
    { "mmSistemskiParametri", "mmCompare", ItemKind::Item, "System Params", "Sistemski parametri", false },
    { "N7", "mmCompare", ItemKind::Separator, "", nullptr },
    { "mmRestrictedEnable", "mmCompare", ItemKind::Item, "Restricted Session ON", "Omejitev prijav na Oracle" },
    { "mmRestrictedDisable", "mmCompare", ItemKind::Item, "Restricted Session OFF", "Sprostitev prijav na Oracle" },
    { "mmShowSession", "mmCompare", ItemKind::Item, "Show Unrestricted sessions", "Prikaz nedovoljenih prijav" },
    { "mmLongLogin", "mmCompare", ItemKind::Item, "Show logins under...", "Predolge prijave" },
    { "N2", "mmCompare", ItemKind::Separator, "", nullptr, false },
    { "mmRefreshTables", "mmCompare", ItemKind::Item, "Refresh &Tables", "Osveževanje tabel" },
    { "mmCompare2", "mmCompare", ItemKind::Item, "C&ompare", "Primerjava struktur" },
    { "mmChecktables", "mmCompare", ItemKind::Item, "C&heck tables", "Preveri tabele" },
    { "mmRepairtables", "mmCompare", ItemKind::Item, "&Repair table", "Popravi Tabelo" },
    { "mmConstraints", "mmCompare", ItemKind::Item, "Search for disabled constraints",
        "Iskanje ukinjenih konstraintov" },
    { "mmSearchfordisabledtriggers", "mmCompare", ItemKind::Item, "Search for disabled triggers",
        "Iskanje ukinjenih triggerjev" },
    { "mmSQLUtil", "mmCompare", ItemKind::Item, "&SQLUtil", "Razni programi", false, false },
    { "mmTablesreccount", "mmCompare", ItemKind::Item, "Tables-reccount", "Tabele-pomožni progami" },
    { "mmSistem", "mmCompare", ItemKind::Item, "Oracle-view ", "Oracle-pregled" },
    { "mmGenerateProc", "mmCompare", ItemKind::Item, "Generate Replace procedure", "generiraj Replace proceduro" },
    { "mmMoreInstalationsCrtica", "mmCompare", ItemKind::Separator, "", nullptr, false },
    { "mmInstalationsformoreusers", "mmCompare", ItemKind::Item, "Instalations for more users",
        "Več uporabnikov-hosting", false },
    { "mmLockAudit", nullptr, ItemKind::Submenu, "System Jobs", "Sistemska opravila" },
    { "mmLock", "mmLockAudit", ItemKind::Item, "Lock", "Zaklepanje" },
    { "mmAudit", "mmLockAudit", ItemKind::Item, "Auditing", "Auditing" },
    { "N8", "mmLockAudit", ItemKind::Separator, "", nullptr },
    { "mmKocka", "mmLockAudit", ItemKind::Item, "Cube", "Kocka", false },
    { "mmMonitor", "mmLockAudit", ItemKind::Item, "Monitor", nullptr },
    { "mmTableLength", "mmLockAudit", ItemKind::Item, "Table's length", "Dolžine tabel" },
    { "mmAnalyzeTable", "mmLockAudit", ItemKind::Item, "Analyze table", nullptr, false },
    { "mmAbout", nullptr, ItemKind::Item, "About", "Pomoč" },
    { "mmExit", nullptr, ItemKind::Item, "E&xit", "&Konec" },
};

struct ToolButtonEntry {
    const char* name;
    const char* hint; // nullptr: hints are off for the button
    const char* slovenianHint;
    bool enabled;
    bool separatorBefore;
};

const ToolButtonEntry toolButtonEntries[] = {
    { "tbConnect", "Connect to Database", "Prijava", true, false },
    { "tbWorkSheet", "Work Sheet", "Poizvedbe", false, true },
    { "tbMasterDetail", "Master/Detail Form", "Poizvedbe-Oče/otrok", true, false },
    { "tbWSPart", "WorkSheet-SCRIPT", "Poizvedbe-skripta", false, false },
    { "tbEditPL", "Edit PL/SQL Script", "Urejevalnik PL/SQL skript", false, true },
    { "tbOpenProject", "Version", "Verzije", false, false },
    { "tbExecScript", "Execute Script", "Izvajanje Skript", false, false },
    { "tbErrors", "Errors", "Pregled napak", false, false },
    { "tbStructures", "Table Structures", "Strukture tabel,podatki,odvisnosti,indeksi", false, true },
    { "tbPLBlocks", "PL/SQL structures", "Strukture PL/SQL blokov", true, false },
    { "tbMin", "Minimize/Maximize Main Form", "Zmanjševanje glavne forme", true, true },
    { "tbOkna", "Select Window", "Prikaz odprtih oken", true, false },
    { "ToolButton4", nullptr, nullptr, true, true },
    { "tbExit", "Exit", "Izhod iz programa", true, true },
};

// The database tools: enabled while the main session is connected.
const char* const connectedToolButtons[] = { "tbWorkSheet", "tbWSPart", "tbOpenProject", "tbEditPL", "tbExecScript",
    "tbErrors", "tbStructures", "tbPLBlocks" };
const char* const connectedMenuItems[]
    = { "mmWorkSheet", "mmProject", "mmEditPL", "mmExecScript", "mmCompare", "mmStructures", "mmStatus" };

QRect screenGeometry()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->geometry();
    return QRect(0, 0, 1024, 768);
}

} // namespace

TfmMain::Environment TfmMain::processEnvironment()
{
    Environment e;
    e.arguments = QCoreApplication::arguments().mid(1);
    e.executableDir = platform::executableDir();
    e.workingDir = QDir::currentPath();
    e.loginDataKeyPath = TKript::loginDataKeyPath();
    return e;
}

TfmMain::TfmMain(const Environment& environment, QWidget* parent)
    : QMainWindow(parent)
    , env(environment)
{
    fmMain = this;
    setObjectName(QStringLiteral("fmMain"));
    buildLayout();
    FormCreate();
}

TfmMain::~TfmMain()
{
    if (fmMain == this)
        fmMain = nullptr;
}

void TfmMain::buildLayout()
{
    setCursor(Qt::DragMoveCursor);
    mmMain = menuBar();
    mmMain->setObjectName(QStringLiteral("mmMain"));
    buildMenu();

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("paClient"));
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    paMainToolBar = new QWidget(client);
    paMainToolBar->setObjectName(QStringLiteral("paMainToolBar"));
    paMainToolBar->setFixedHeight(toolBarPanelHeight);
    auto* toolBarLayout = new QVBoxLayout(paMainToolBar);
    toolBarLayout->setContentsMargins(2, 0, 2, 0);
    tbMain = new QToolBar(paMainToolBar);
    tbMain->setObjectName(QStringLiteral("tbMain"));
    tbMain->setIconSize(QSize(22, 22));
    tbMain->setMovable(false);
    toolBarLayout->addWidget(tbMain);
    buildToolBar();
    layout->addWidget(paMainToolBar);

    paMain = new QWidget(client);
    paMain->setObjectName(QStringLiteral("paMain"));
    auto* pictureLayout = new QVBoxLayout(paMain);
    pictureLayout->setContentsMargins(pictureMargin, pictureMargin, 0, 0);
    Slika = new shell::MainPicture(paMain);
    Slika->setObjectName(QStringLiteral("Slika"));
    Slika->setEnabled(false);
    pictureLayout->addWidget(Slika);
    layout->addWidget(paMain, 1);
    setCentralWidget(client);

    popMain = new QMenu(this);
    popMain->setObjectName(QStringLiteral("popMain"));
    const auto addPopupItem = [this](const char* name, const QString& text) {
        auto* action = popMain->addAction(text);
        action->setObjectName(QLatin1String(name));
    };
    addPopupItem("miGlava", QStringLiteral("ORACLE:"));
    popMain->addSeparator();
    addPopupItem("miVersion", QString());
    addPopupItem("miServer", QString());
    addPopupItem("miUser", QString());
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { popMain->popup(mapToGlobal(pos)); });

    pmOkna = new QMenu(this);
    pmOkna->setObjectName(QStringLiteral("pmOkna"));

    osOracle = new db::Session(this);
    osOracle->setObjectName(QStringLiteral("osOracle"));

    tiCloseForm = new QTimer(this);
    tiCloseForm->setObjectName(QStringLiteral("tiCloseForm"));
    tiCloseForm->setInterval(1000);
    connect(tiCloseForm, &QTimer::timeout, this, &TfmMain::tiCloseFormTimer);

    move(420, 276);
    resize(clientWidth, clientHeight + mmMain->sizeHint().height());
}

void TfmMain::buildMenu()
{
    for (const MenuEntry& entry : menuEntries) {
        const QString name = QLatin1String(entry.name);
        QMenu* parentMenu = entry.parent ? subMenu(QLatin1String(entry.parent)) : nullptr;
        QAction* action = nullptr;
        switch (entry.kind) {
        case ItemKind::Submenu: {
            auto* menu = new QMenu(QString::fromUtf8(entry.english), this);
            menu->setObjectName(name);
            action = menu->menuAction();
            if (parentMenu)
                parentMenu->addMenu(menu);
            else
                mmMain->addMenu(menu);
            break;
        }
        case ItemKind::Separator:
            action = new QAction(this);
            action->setSeparator(true);
            action->setObjectName(name);
            break;
        case ItemKind::Item:
        case ItemKind::Check:
            action = new QAction(QString::fromUtf8(entry.english), this);
            action->setObjectName(name);
            action->setCheckable(entry.kind == ItemKind::Check);
            break;
        }
        if (entry.kind != ItemKind::Submenu) {
            if (parentMenu)
                parentMenu->addAction(action);
            else
                mmMain->addAction(action);
        }
        action->setVisible(entry.visible);
        action->setEnabled(entry.enabled);
    }
    menuItem(QStringLiteral("mmActivateLargeRB"))
        ->setStatusTip(QStringLiteral("Large RB ONLINE, other public RB OFFLINE"));
    menuItem(QStringLiteral("mmActivateLargeRB"))
        ->setToolTip(QStringLiteral("Large RB ONLINE, other public RB OFFLINE"));
    for (QMenu* menu : findChildren<QMenu*>())
        menu->setToolTipsVisible(true);
    connect(menuItem(QStringLiteral("mmExit")), &QAction::triggered, this, &QWidget::close);
}

void TfmMain::buildToolBar()
{
    for (const ToolButtonEntry& entry : toolButtonEntries) {
        if (entry.separatorBefore)
            tbMain->addSeparator();
        auto* button = new QToolButton(tbMain);
        button->setObjectName(QLatin1String(entry.name));
        button->setIcon(shell::toolButtonIcon(QLatin1String(entry.name)));
        button->setAutoRaise(true);
        button->setEnabled(entry.enabled);
        if (entry.hint)
            button->setToolTip(QString::fromUtf8(entry.hint));
        tbMain->addWidget(button);
    }
    toolButton(QStringLiteral("tbConnect"))->setCheckable(true);
    connect(toolButton(QStringLiteral("tbConnect")), &QToolButton::clicked, this, [this] {
        if (hooks.tbConnectClick)
            hooks.tbConnectClick();
        else
            toolButton(QStringLiteral("tbConnect"))->setChecked(false);
    });
    connect(toolButton(QStringLiteral("tbMin")), &QToolButton::clicked, this, [this] { toggleMinimized(false); });
    connect(toolButton(QStringLiteral("tbExit")), &QToolButton::clicked, this, &QWidget::close);
}

QAction* TfmMain::menuItem(const QString& name) const
{
    if (QMenu* menu = subMenu(name))
        return menu->menuAction();
    return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

QMenu* TfmMain::subMenu(const QString& name) const
{
    return findChild<QMenu*>(name, Qt::FindDirectChildrenOnly);
}

QToolButton* TfmMain::toolButton(const QString& name) const
{
    return tbMain->findChild<QToolButton*>(name);
}

void TfmMain::FormCreate()
{
    // Counters and flags of a fresh start.
    FfmLockOra19.clear();
    FfmAuditOra19.clear();
    workSheetStevec = 0;
    visinaCela = height();
    visinaSlika = clientHeight - toolBarPanelHeight;
    currLargeRB = QStringLiteral("0");
    currMoreInstall = false;
    bHaveToSaveLoginData = bSaveLoginData = bUseLoginData = bClearLoginData = false;
    macroTables = shell::MacroTables();
    p_newLine = QStringLiteral("\r");
    prvicNaFormi = true;
    Slika->setVisible(true);

    // The settings file beside the executable, as a Windows installation may have named it in any case.
    settingsFile = shell::resolveFileNameIgnoringCase(shell::settingsFilePath(env.executableDir));
    {
        const platform::IniFile ini(settingsFile);
        const QRect screen = screenGeometry();
        shell::SettingsEnvironment settingsEnv;
        settingsEnv.screenWidth = screen.width();
        settingsEnv.screenHeight = screen.height();
        settingsEnv.mainWindowWidth = width();
        settingsEnv.executableDir = env.executableDir;
        settingsEnv.editWidth = currEditWidth;
        settingsEnv.editHeight = currEditHeight;
        settingsEnv.rememberedPassword
            = [&ini](const QString& instance, const QString& user) { return TKript::vzemiGeslo(ini, instance, user); };
        shell::SettingsReadResult read = shell::readMainSettings(ini, settingsEnv);
        static_cast<shell::MainSettings&>(*this) = read.settings;
        settingsProblems = read.problems;
        for (const QString& problem : std::as_const(settingsProblems))
            qWarning("%s: %s", qPrintable(settingsFile), qPrintable(problem));
    }

    // The command line and its start-up words.
    commandLine = shell::buildCommandList(env.arguments, env.workingDir);
    runParamType = commandLine.runParamType;
    runParamValue1 = commandLine.runParamValue1;
    runParamValue2 = commandLine.runParamValue2;
    runParamValue3 = commandLine.runParamValue3;
    declRunParam = commandLine.declRunParam;
    meVhodParam = commandLine.lines;
    shell::StartupState state;
    state.connUser = connUser;
    state.connPassword = connPassword;
    state.connPasswordUtil = connPasswordUtil;
    state.connServer = connServer;
    state.currLanguage = currLanguage;
    shell::StartupServices services;
    const platform::IniFile settingsIni(settingsFile);
    services.rememberedPassword = [&settingsIni](const QString& instance, const QString& user) {
        return TKript::vzemiGeslo(settingsIni, instance, user);
    };
    services.readLoginData = [this](shell::StartupState& startup) {
        const platform::UserKeyStore store(env.loginDataKeyPath);
        if (const std::optional<TKript::TLoginData> data = TKript::readLoginData(store)) {
            startup.connUser = data->user;
            startup.connPassword = data->password;
            startup.connServer = data->alias;
        }
    };
    shell::obeyStartupWords(commandLine, state, services);
    connUser = state.connUser;
    connPassword = state.connPassword;
    connPasswordUtil = state.connPasswordUtil;
    connServer = state.connServer;
    currLanguage = state.currLanguage;
    bSaveLoginData = state.bSaveLoginData;
    bUseLoginData = state.bUseLoginData;
    bClearLoginData = state.bClearLoginData;
    bHaveToSaveLoginData = state.bHaveToSaveLoginData;
    pAutoG = state.pAutoG;
    p_ScriptAudit = state.p_ScriptAudit;

    datasetStevec = 0;
    if (currCommentsFile.isEmpty())
        currCommentsFile = env.executableDir;

    if (runParamType.toUpper().startsWith(QLatin1String("@MU_"))) {
        meVhod.clear();
        const QString path = shell::resolveFileNameIgnoringCase(QStringLiteral("vecInstalacij"), env.workingDir);
        QFile file(path);
        currMoreInstall = file.open(QIODevice::ReadOnly | QIODevice::Text);
        if (currMoreInstall) {
            const QString text = QString::fromLocal8Bit(file.readAll());
            meVhod = text.split(QLatin1Char('\n'));
            if (!meVhod.isEmpty() && meVhod.last().isEmpty())
                meVhod.removeLast();
        }
    }

    setLanguageTexts();
    mainString = windowTitle();
    applyCaption();
    if (currLanguage == QLatin1String("SLO"))
        menuItem(QStringLiteral("mmRefreshTables"))->setVisible(false);
    if (currMinimizedMain == QLatin1String("D"))
        toggleMinimized(true);
}

void TfmMain::setLanguageTexts()
{
    nizError = QStringLiteral("ERROR");
    nizStart = QStringLiteral("Start");
    nizStop = QStringLiteral("STOP");
    nizCommit = QStringLiteral("COMMIT");
    nizRollback = QStringLiteral("ROLLBACK");
    nizExit = QStringLiteral("E&xit");
    nizSave = QStringLiteral("&Save");
    nizRefresh = QStringLiteral("&Refresh");
    nizMain = QStringLiteral("PL/SQL Editor");
    nizErrorRB = QStringLiteral("ERROR ON PUTING");
    napakaRestricted = QStringLiteral("ERROR ON RESTRICTED SESSION");
    nizRestricted = QStringLiteral("There are non restricted sessions!  Terminate script execution?");
    nizEnd = QStringLiteral("DO YOU REALY WANT TO END PROGRAM?");
    nizWrongVer = QStringLiteral("WRONG VERSION");
    nizWrongVerLast = QStringLiteral("LAST VERSION:");
    nizWrongVerAll = QStringLiteral("ALLOVED VERSIONS:");
    nizMissingRights
        = QStringLiteral("CHECK  SELECT ANY DICTIONARY(FROM 10G)  or  SELECT ANY TABLE(TILL 10G)  rights !");
    nizDone.clear();

    const bool slovenian = currLanguage == QLatin1String("SLO");
    for (const MenuEntry& entry : menuEntries) {
        if (entry.kind == ItemKind::Separator)
            continue;
        const char* text = slovenian && entry.slovenian ? entry.slovenian : entry.english;
        if (QAction* action = menuItem(QLatin1String(entry.name)))
            action->setText(QString::fromUtf8(text));
    }
    for (const ToolButtonEntry& entry : toolButtonEntries) {
        const char* hint = slovenian && entry.slovenianHint ? entry.slovenianHint : entry.hint;
        if (hint)
            toolButton(QLatin1String(entry.name))->setToolTip(QString::fromUtf8(hint));
    }

    if (slovenian) {
        nizError = QStringLiteral("NAPAKA");
        nizStart = QStringLiteral("Začni");
        nizStop = QStringLiteral("STOP");
        nizCommit = QStringLiteral("POTRDI");
        nizRollback = QStringLiteral("NAZAJ");
        nizExit = QStringLiteral("&Izhod");
        nizSave = QStringLiteral("&Shrani");
        nizRefresh = QStringLiteral("&Osveži");
        nizMain = QStringLiteral("PL/SQL urejevalnik");
        nizErrorRB = QStringLiteral("NAPAKA PRI POSTAVLJANJU");
        napakaRestricted = QStringLiteral("NAPAKA PRI DOVOLJENJU ZA PRIJAVO!");
        nizRestricted = QStringLiteral("Obstajajo nezaželjene prijave! Prekinitev izvajanja skripte?");
        nizEnd = QStringLiteral("ALI RES HOČETE ZAKLJUČITI PROGRAM?");
        nizWrongVer = QStringLiteral("NAPAČNA VERZIJA");
        nizWrongVerLast = QStringLiteral("ZADNJA VERZIJA:");
        nizWrongVerAll = QStringLiteral("DOVOLJENE VERZIJE:");
        nizMissingRights
            = QStringLiteral("Preveri  SELECT ANY DICTIONARY(OD 10G)  ali  SELECT ANY TABLE(DO 10G)  pravico !");
        nizDone = QStringLiteral("Narejeno.");
    }

    const QString fileDate = QLocale::system().toString(platform::executableFileDate().date(), QLocale::ShortFormat);
    p_verzijaPLSQL = QStringLiteral("     Ver.%1 (%2) ").arg(platform::versionText(), fileDate);
}

void TfmMain::applyCaption()
{
    // Without a connection there is no user, database or version to show.
    if (!mainSessionConnected()) {
        setWindowTitle(nizMain + QStringLiteral("    ") + p_verzijaPLSQL);
        return;
    }
    setWindowTitle(nizMain + QStringLiteral("  ") + connUser + QLatin1Char('@') + connServer
        + QStringLiteral("  Oracle:") + ORACLEVersionAll + multiUserMark + p_verzijaPLSQL);
}

bool TfmMain::mainSessionConnected() const
{
    if (hooks.sessionConnected)
        return hooks.sessionConnected();
    return osOracle && osOracle->connected();
}

void TfmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // The activation handler may open modal windows; it runs from the event loop, not inside this event.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !activationQueued) {
        activationQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                activationQueued = false;
                FormActivate();
            },
            Qt::QueuedConnection);
    }
}

void TfmMain::FormActivate()
{
    // A modal window of the logon or of the command run re-activates the main window while this handler is
    // still at work; the outer activation finishes the work, so the nested one has nothing to do.
    if (activationAtWork)
        return;
    activationAtWork = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset { activationAtWork };

    if (!mainSessionConnected() && hooks.tbConnectClick)
        hooks.tbConnectClick();

    if (hooks.aliJeVecInstacijNaTrenutniInstanci && hooks.aliJeVecInstacijNaTrenutniInstanci(connServer)) {
        const bool opened = hooks.openInstallationsTable && hooks.openInstallationsTable();
        multiUserMark = opened ? QStringLiteral("  (MULTIUSER)") : QString();
        menuItem(QStringLiteral("mmInstalationsformoreusers"))->setVisible(opened);
        menuItem(QStringLiteral("mmMoreInstalationsCrtica"))->setVisible(opened);
    } else {
        multiUserMark.clear();
    }
    applyCaption();

    // The command list runs once per program run, and only when the first activation ended connected.
    const bool runNow = !runParamType.isEmpty() && prvicNaFormi && !commandRunStarted && mainSessionConnected();
    prvicNaFormi = false;
    if (runNow) {
        commandRunStarted = true;
        try {
            if (currMoreInstall) {
                if (hooks.IzvediVecInstalacij)
                    hooks.IzvediVecInstalacij();
            } else {
                currUserIndex = -1;
                if (hooks.IzvediCeloSkripto)
                    hooks.IzvediCeloSkripto();
            }
        } catch (const std::exception& error) {
            QMessageBox::critical(this, nizError, QString::fromLocal8Bit(error.what()));
        }
    }

    QFile macroFile(shell::resolveFileNameIgnoringCase(currMacroFile, env.workingDir));
    currMacros.clear();
    if (!currMacroFile.isEmpty() && QFileInfo(macroFile.fileName()).isFile()) {
        const shell::MacroFileText macros = shell::loadMacroFile(macroFile.fileName());
        if (macros.ok)
            currMacros = macros.text;
    }

    declRunParam = false;
    najdiglavnegaUserja();
    menuItem(QStringLiteral("mmKocka"))->setVisible(!currCubeCompany.isEmpty());
}

void TfmMain::najdiglavnegaUserja()
{
    if (!currMoreInstall || !hooks.findInstallationOfUser)
        return;
    const std::optional<TInstallationOfUser> found = hooks.findInstallationOfUser(connUser);
    if (!found)
        return;
    currInstanceAs = found->instance;
    currUserIndex = found->userIndex;
    currUserAsVoxa = found->userVoxa;
    currPassAsVoxa = found->passVoxa;
    currUserAsBildor = found->userBildor;
    currPassAsBildor = found->passBildor;
}

void TfmMain::enableConnectedActions(bool on)
{
    for (const char* name : connectedToolButtons)
        toolButton(QLatin1String(name))->setEnabled(on);
    for (const char* name : connectedMenuItems)
        menuItem(QLatin1String(name))->setEnabled(on);
}

void TfmMain::toggleMinimized(bool force)
{
    if (force || !paMain->isHidden()) {
        paMain->hide();
        // The layouts must forget the picture's minimum height before the window can shrink to its tool bar.
        centralWidget()->layout()->activate();
        layout()->activate();
        resize(width(), visinaCela - visinaSlika + 1);
        move(currMinLeft, currMinTop);
        return;
    }
    paMain->show();
    resize(width(), visinaCela);
    const int screenHeight = screenGeometry().height();
    if (y() + height() > screenHeight)
        move(x(), screenHeight - height() - 30);
}

void TfmMain::startCloseTimer()
{
    tiCloseForm->start();
}

void TfmMain::tiCloseFormTimer()
{
    tiCloseForm->stop();
    close();
}

void TfmMain::ReadLoginData()
{
    const platform::UserKeyStore store(env.loginDataKeyPath);
    if (const std::optional<TKript::TLoginData> data = TKript::readLoginData(store)) {
        connUser = data->user;
        connPassword = data->password;
        connServer = data->alias;
    }
}

bool TfmMain::SaveLoginData(const QString& user, const QString& password, const QString& alias)
{
    platform::UserKeyStore store(env.loginDataKeyPath);
    const bool saved = TKript::saveLoginData(store, user, password, alias);
    loginDataError = saved ? QString() : store.errorString();
    return saved;
}

bool TfmMain::ClearLoginData()
{
    platform::UserKeyStore store(env.loginDataKeyPath);
    const bool cleared = TKript::clearLoginData(store);
    loginDataError = cleared ? QString() : store.errorString();
    return cleared;
}

bool TfmMain::FormCloseQuery()
{
    // Closing is never refused: an unattended run must end. A failure to clear is said on the way out.
    if (bClearLoginData && !ClearLoginData())
        qWarning("The saved login data could not be cleared: %s", qPrintable(loginDataError));
    return true;
}

void TfmMain::FormClose()
{
    if (currLargeRB == QLatin1String("D")) {
        currLargeRB = QStringLiteral("N");
        menuItem(QStringLiteral("mmActivateLargeRB"))->setChecked(true);
        if (hooks.mmActivateLargeRBClick)
            hooks.mmActivateLargeRBClick();
    }
}

void TfmMain::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
    emit closed();
}

QString TfmMain::pretvoriDescriptor() const
{
    return shell::pretvoriDescriptor(currDescriptor);
}

shell::FileDirNameResult TfmMain::FileDirName(const QString& path) const
{
    return shell::FileDirName(path);
}

QString TfmMain::zamenjaj(const QString& text, const QString& oldName, const QString& newName) const
{
    return shell::zamenjaj(text, oldName, newName);
}

QString TfmMain::zamenjave(const QString& text, const QString& mode) const
{
    return shell::zamenjave(text, mode, currUserAsVoxa, currUserAsBildor);
}

shell::LiveQueryResult TfmMain::postaviLiveQuery(const QString& text) const
{
    return shell::postaviLiveQuery(text);
}

QString TfmMain::prepareInsertTemplate(bool newLine, const QString& templ) const
{
    return shell::prepareInsertTemplate(newLine, templ, shell::getClipboard(), p_newLine);
}

QString TfmMain::getClipboard() const
{
    return shell::getClipboard();
}

void TfmMain::preberiMacroTipke(QWidget* owner, QMenu* popup, const std::function<void(QAction*)>& onClick)
{
    shell::preberiMacroTipke(macroTables, currMacros, owner, popup, onClick);
}

QString TfmMain::brezNL(const QString& text) const
{
    return shell::brezNL(text);
}

QString TfmMain::f_venPodpicje(const QString& text) const
{
    return shell::f_venPodpicje(text);
}

bool TfmMain::sporocilo(const QString& question)
{
    return shell::sporocilo(question, this);
}

bool TfmMain::changeDateFormat(db::Session& session, const QString& format, QString* error)
{
    return shell::changeDateFormat(session, *osOracle, format, error);
}

bool TfmMain::execDyn(const QString& statement, QString* error)
{
    QString message;
    const bool done = shell::execDyn(*osOracle, statement, &message);
    // A caller that takes the message shows it itself; otherwise the user is told here.
    if (error)
        *error = message;
    else if (!done)
        QMessageBox::critical(this, nizError, message);
    return done;
}

bool TfmMain::tableExists(const QString& owner, const QString& tableName)
{
    return shell::tableExists(*osOracle, owner, tableName);
}

shell::SystemParameter TfmMain::BeriParameter(const QString& name)
{
    return shell::BeriParameter(*osOracle, name);
}

QString TfmMain::GetParam107(const QString& name)
{
    return shell::GetParam107(*osOracle, name);
}

QStringList TfmMain::userVhodniParametri()
{
    return shell::userVhodniParametri(*osOracle);
}

bool TfmMain::SessionInTransaction() const
{
    if (!hooks.jeVTransakciji)
        return false;
    return shell::SessionInTransaction(osOracle->database(), hooks.jeVTransakciji);
}
