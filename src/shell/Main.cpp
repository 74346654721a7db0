#include "shell/Main.h"

#include "db/oracleerror.h"
#include "db/session.h"
#include "platform/fileinfo.h"
#include "platform/inifile.h"
#include "platform/userkeystore.h"
#include "shell/about.h"
#include "shell/buttontexts.h"
#include "shell/iKript.h"
#include "shell/mainmenu.h"
#include "shell/mainpicture.h"
#include "shell/pendingwork.h"
#include "shell/localmessagedlg.h"
#include "shell/serverobjects.h"
#include "shell/windowregistry.h"

#include <QAction>
#include <QApplication>
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
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>
#include <exception>

TfmMain* fmMain = nullptr;

namespace {

// The layout's sizes: client area 824 x 385 at 420/276, a tool bar panel of 34 pixels above the picture panel.
constexpr int clientWidth = 824;
constexpr int clientHeight = 385;
constexpr int toolBarPanelHeight = 34;
constexpr int pictureMargin = 0; // the picture fills its panel: a margin on two sides only looked cut off

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
    // The about window is the shell's own; every other tool window is registered by the module that has it.
    if (!shell::windowOpener(QStringLiteral("mmAbout")))
        shell::registerWindowOpener(
            QStringLiteral("mmAbout"), [](TfmMain& main) { (new shell::TfmAbout(main.currLanguage, &main))->show(); });
    buildLayout();
    refreshMenuStates();
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
    // The window has no status line: hints show as tool tips. The bar exists so that clearing the hint (the
    // connection sequence does) finds one, and stays hidden so the picture keeps its size.
    statusBar()->hide();

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
    using shell::MenuItemKind;
    for (const shell::MenuEntry& entry : shell::menuEntries()) {
        const QString name = QLatin1String(entry.name);
        QMenu* parentMenu = entry.parent ? subMenu(QLatin1String(entry.parent)) : nullptr;
        QAction* action = nullptr;
        switch (entry.kind) {
        case MenuItemKind::Submenu: {
            auto* menu = new QMenu(QString::fromUtf8(entry.english), this);
            menu->setObjectName(name);
            action = menu->menuAction();
            if (parentMenu)
                parentMenu->addMenu(menu);
            else
                mmMain->addMenu(menu);
            break;
        }
        case MenuItemKind::Separator:
            action = new QAction(this);
            action->setSeparator(true);
            action->setObjectName(name);
            break;
        case MenuItemKind::Item:
        case MenuItemKind::Check:
            action = new QAction(QString::fromUtf8(entry.english), this);
            action->setObjectName(name);
            action->setCheckable(entry.kind == MenuItemKind::Check);
            break;
        }
        if (entry.kind != MenuItemKind::Submenu) {
            if (parentMenu)
                parentMenu->addAction(action);
            else
                mmMain->addAction(action);
        }
        action->setVisible(entry.visible);
        if (entry.kind == MenuItemKind::Item)
            connect(action, &QAction::triggered, this, [this, name] { menuItemClick(name); });
    }
    QAction* largeRB = menuItem(QStringLiteral("mmActivateLargeRB"));
    largeRB->setStatusTip(QStringLiteral("Large RB ONLINE, other public RB OFFLINE"));
    largeRB->setToolTip(QStringLiteral("Large RB ONLINE, other public RB OFFLINE"));
    // The item shows the segment's state; only a successful switch changes it, so the toggle of the click is
    // taken back before the switch is tried.
    connect(largeRB, &QAction::triggered, this, [this, largeRB](bool checked) {
        largeRB->setChecked(!checked);
        mmActivateLargeRBClick();
    });
    for (QMenu* menu : findChildren<QMenu*>())
        menu->setToolTipsVisible(true);
}

void TfmMain::buildToolBar()
{
    for (const shell::ToolButtonEntry& entry : shell::toolButtonEntries()) {
        if (entry.separatorBefore)
            tbMain->addSeparator();
        auto* button = new QToolButton(tbMain);
        const QString name = QLatin1String(entry.name);
        button->setObjectName(name);
        button->setIcon(shell::toolButtonIcon(name));
        button->setAutoRaise(true);
        if (entry.hint)
            button->setToolTip(QString::fromUtf8(entry.hint));
        tbMain->addWidget(button);
        if (entry.enabling != shell::Enabling::Always)
            connect(button, &QToolButton::clicked, this, [this, name] { toolButtonClick(name); });
    }
    toolButton(QStringLiteral("tbConnect"))->setCheckable(true);
    connect(toolButton(QStringLiteral("tbConnect")), &QToolButton::clicked, this, [this] {
        if (hooks.tbConnectClick)
            hooks.tbConnectClick();
        else
            toolButton(QStringLiteral("tbConnect"))->setChecked(false);
    });
    connect(toolButton(QStringLiteral("tbMin")), &QToolButton::clicked, this, [this] { toggleMinimized(false); });
    connect(toolButton(QStringLiteral("tbOkna")), &QToolButton::clicked, this, &TfmMain::tbOknaClick);
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
    refreshCaption();
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

    for (const shell::MenuEntry& entry : shell::menuEntries()) {
        if (entry.kind == shell::MenuItemKind::Separator)
            continue;
        if (QAction* action = menuItem(QLatin1String(entry.name)))
            action->setText(shell::menuCaption(entry, currLanguage));
    }
    for (const shell::ToolButtonEntry& entry : shell::toolButtonEntries()) {
        if (entry.hint)
            toolButton(QLatin1String(entry.name))->setToolTip(shell::toolButtonHint(entry, currLanguage));
    }

    const bool slovenian = currLanguage == QLatin1String("SLO");
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

    shell::setStandardButtonLanguage(currLanguage);
    Slika->setLanguage(currLanguage);

    const QString fileDate = QLocale::system().toString(platform::executableFileDate().date(), QLocale::ShortFormat);
    p_verzijaPLSQL = QStringLiteral("     Ver.%1 (%2) ").arg(platform::versionText(), fileDate);
}

void TfmMain::refreshCaption()
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
    refreshCaption();

    // The command list runs once per program run, and only when the first activation ended connected.
    const bool runNow = !runParamType.isEmpty() && prvicNaFormi && !commandRunStarted && mainSessionConnected();
    prvicNaFormi = false;
    if (runNow) {
        commandRunStarted = true;
        commandRunAtWork = true;
        struct EndRun {
            bool& flag;
            ~EndRun() { flag = false; }
        } endRun { commandRunAtWork };
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
    refreshMenuStates();
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
    connectedActions = on;
    refreshMenuStates();
}

void TfmMain::refreshMenuStates()
{
    for (const shell::MenuEntry& entry : shell::menuEntries()) {
        if (entry.kind == shell::MenuItemKind::Separator)
            continue;
        const QString name = QLatin1String(entry.name);
        const bool hasOpener = shell::registeredOpener(name).has_value();
        menuItem(name)->setEnabled(shell::entryEnabled(entry.enabling, connectedActions, hasOpener));
    }
    for (const shell::ToolButtonEntry& entry : shell::toolButtonEntries()) {
        const QString name = QLatin1String(entry.name);
        const bool hasOpener = shell::registeredOpener(name).has_value();
        toolButton(name)->setEnabled(shell::entryEnabled(entry.enabling, connectedActions, hasOpener));
    }
    // A menu of the menu bar none of whose entries can be used is disabled as well, so it does not open onto a
    // list of grey entries.
    for (QAction* top : mmMain->actions()) {
        if (QMenu* menu = top->menu(); menu && top->isEnabled())
            top->setEnabled(shell::anyEntryEnabled(menu));
    }
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
    closingUnattended = true;
    close();
    closingUnattended = false;
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
    // Ending the program would roll back the work left open in the windows without a word: the user decides first.
    // An unattended run is never held up. A failure to clear the login data is said on the way out.
    if (!settleOpenWork(true))
        return false;
    if (bClearLoginData && !ClearLoginData())
        qWarning("The saved login data could not be cleared: %s", qPrintable(loginDataError));
    return true;
}

void TfmMain::FormClose()
{
    if (currLargeRB == QLatin1String("D")) {
        currLargeRB = QStringLiteral("N");
        menuItem(QStringLiteral("mmActivateLargeRB"))->setChecked(true);
        // The program is ending: nobody is left to read a message, so the outcome goes to the error output.
        if (hooks.mmActivateLargeRBClick)
            hooks.mmActivateLargeRBClick();
        else
            switchLargeRB(true);
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
    const bool firstRead = macroTables.isEmpty();
    shell::preberiMacroTipke(macroTables, currMacros, owner, popup, onClick);
    if (!firstRead || macroTables.problems.isEmpty())
        return;
    // The tables are read once a run, so the macros left out are said once; after the asking window has shown.
    const QString text = currLanguage == QLatin1String("SLO")
        ? QStringLiteral("Makro datoteka %1 ima več makrojev, kot jih program lahko sprejme; ti so izpuščeni:")
              .arg(currMacroFile)
        : QStringLiteral("The macro file %1 holds more macros than the program takes; these are left out:")
              .arg(currMacroFile);
    const QString detail = macroTables.problems.join(QLatin1Char('\n'));
    QTimer::singleShot(0, this,
        [this, text, detail] { showMessage(QMessageBox::Warning, text, detail, QStringLiteral("macroProblems")); });
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
    QString message;
    const bool changed = shell::changeDateFormat(session, *osOracle, format, &message);
    // A caller that takes the message shows it itself; otherwise the user is told here.
    if (error)
        *error = message;
    else if (!changed)
        showMessage(QMessageBox::Warning, message, format, QStringLiteral("wrongDateFormat"));
    return changed;
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
    // The reports take the header from meVhod, as they always did.
    meVhod = shell::userVhodniParametri(*osOracle);
    return meVhod;
}

bool TfmMain::SessionInTransaction() const
{
    if (!hooks.jeVTransakciji)
        return false;
    return shell::SessionInTransaction(osOracle->database(), hooks.jeVTransakciji);
}

bool TfmMain::confirmMainSessionEnd(QWidget* asking, const QString& action)
{
    if (!osOracle)
        return true;
    const QStringList others = shell::pendingWorkOfOthers(*osOracle, asking);
    if (others.isEmpty())
        return true;
    const bool slo = currLanguage == QLatin1String("SLO");
    const QString list = QStringLiteral("  ") + others.join(QStringLiteral("\n  "));
    if (unattendedRun()) {
        std::fprintf(stderr, "%s\n",
            qPrintable(QStringLiteral("%1: other windows hold uncommitted work on the main session, which it would "
                                      "end:\n%2")
                           .arg(action, list)));
        return false;
    }
    const QString question = slo
        ? QStringLiteral("Druga okna imajo na glavni seji nepotrjeno delo:\n%1\n\n%2 ga bo potrdil ali preklical "
                         "skupaj z va\u0161im. Nadaljujem?")
              .arg(list, action)
        : QStringLiteral("Other windows hold uncommitted work on the main session:\n%1\n\n%2 will commit or roll it "
                         "back together with yours. Continue?")
              .arg(list, action);
    return shell::LocalMessageDlg(question, shell::MsgDlgType::mtConfirmation, shell::MsgDlgBtn::mbYesNo, 0,
               currLanguage)
        == shell::mrYes;
}

bool TfmMain::settleOpenWork(bool everywhere)
{
    if (closingUnattended || unattendedRun())
        return true;
    const bool slo = currLanguage == QLatin1String("SLO");
    const QString mainLine = (slo ? QStringLiteral("Glavna seja (%1@%2): nepotrjena transakcija")
                                  : QStringLiteral("Main session (%1@%2): transaction not yet committed"))
                                 .arg(connUser, connServer);
    const QStringList lines = shell::workToSettle(osOracle, everywhere, mainLine);
    if (lines.isEmpty())
        return true;
    const QString list = QStringLiteral("  ") + lines.join(QStringLiteral("\n  "));
    const QString question = everywhere
        ? (slo ? QStringLiteral("Nepotrjeno delo:\n%1\n\nGa potrdim, preden se program kon\u010da? Da potrdi, Ne "
                                "prekli\u010de, Prekli\u010di pusti program odprt.")
               : QStringLiteral("Work not yet committed:\n%1\n\nCommit it before the program ends? Yes commits, No "
                                "rolls it back, Cancel keeps the program open."))
        : (slo ? QStringLiteral("Nepotrjeno delo na glavni seji:\n%1\n\nGa potrdim pred odjavo? Da potrdi, Ne "
                                "prekli\u010de, Prekli\u010di ohrani prijavo.")
               : QStringLiteral("Work not yet committed on the main session:\n%1\n\nCommit it before the session "
                                "is logged off? Yes commits, No rolls it back, Cancel keeps the session."));
    const int answer = shell::LocalMessageDlg(
        question.arg(list), shell::MsgDlgType::mtConfirmation, shell::MsgDlgBtn::mbYesNoCancel, 0, currLanguage);
    if (answer != shell::mrYes && answer != shell::mrNo)
        return false;
    QString error;
    if (!shell::settleWork(osOracle, everywhere, answer == shell::mrYes, &error)) {
        if (!error.isEmpty())
            showMessage(QMessageBox::Critical, nizError, error, QStringLiteral("settleOpenWork"));
        return false;
    }
    return true;
}

// --- menus, tool bar and window chooser ---

void TfmMain::menuItemClick(const QString& name)
{
    if (name == QLatin1String("mmExit")) {
        close();
    } else if (name == QLatin1String("mmConnect") || name == QLatin1String("mmDisconnect")) {
        // The connection sequence connects its own handlers to these two.
    } else if (name == QLatin1String("mmRestrictedEnable")) {
        mmRestrictedEnableClick();
    } else if (name == QLatin1String("mmRestrictedDisable")) {
        mmRestrictedDisableClick();
    } else if (name == QLatin1String("mmShowSession")) {
        mmShowSessionClick();
    } else if (name == QLatin1String("mmMonitor")) {
        mmMonitorClick();
    } else if (name == QLatin1String("mmTableLength")) {
        mmTableLengthClick();
    } else if (const shell::MenuEntry* entry = shell::findMenuEntry(name); entry && entry->chooserPrefix) {
        // Grant/Revoke rights: its chooser opens where the table-structure button is.
        openWithChooser(name, QLatin1String(entry->chooserPrefix), toolButton(QStringLiteral("tbStructures")));
    } else {
        openWindow(name);
    }
}

void TfmMain::toolButtonClick(const QString& name)
{
    const shell::ToolButtonEntry* entry = shell::findToolButtonEntry(name);
    if (!entry)
        return;
    if (entry->chooserPrefix)
        openWithChooser(name, QLatin1String(entry->chooserPrefix), toolButton(name));
    else
        openWindow(name);
}

bool TfmMain::openWindow(const QString& entryName)
{
    const std::optional<QString> opener = shell::registeredOpener(entryName);
    if (!opener)
        return false;
    // The opener may replace registrations while it runs; it is called through a copy.
    const shell::WindowOpener open = *shell::windowOpener(*opener);
    open(*this);
    return true;
}

void TfmMain::openWithChooser(const QString& entryName, const QString& prefix, QWidget* nearWidget)
{
    if (!shell::registeredOpener(entryName))
        return;
    lastPMFunction = [this, entryName] { openWindow(entryName); };
    const int x = nearWidget ? nearWidget->mapTo(this, QPoint(0, 0)).x() : 0;
    if (chooseOpenWindow(prefix, x))
        lastPMFunction();
}

void TfmMain::tbErrorsClick()
{
    toolButtonClick(QStringLiteral("tbErrors"));
}

void TfmMain::fillWindowList(const std::optional<QString>& prefix)
{
    QCoreApplication::processEvents();
    pmOkna->clear();
    aTrenOkna.clear();
    trenOkna = 0;
    const QList<QWidget*> windows = shell::chooserWindows(QApplication::topLevelWidgets(), this, prefix);
    for (QWidget* window : windows) {
        QAction* entry
            = pmOkna->addAction(window->windowTitle().isEmpty() ? window->objectName() : window->windowTitle());
        entry->setObjectName(window->objectName());
        const int index = static_cast<int>(aTrenOkna.size());
        connect(entry, &QAction::triggered, this, [this, index] { activateChosenWindow(index); });
        aTrenOkna.append(window);
        ++trenOkna;
    }
}

void TfmMain::showWindowList(int x)
{
    // Below the tool bar, at the button that asked.
    pmOkna->popup(mapToGlobal(QPoint(x, paMainToolBar->mapTo(this, QPoint(0, paMainToolBar->height())).y())));
}

bool TfmMain::chooseOpenWindow(const QString& prefix, int x)
{
    fillWindowList(prefix);
    if (trenOkna == 0)
        return true;
    QAction* entry = pmOkna->addAction(QStringLiteral("New"));
    entry->setObjectName(QStringLiteral("New"));
    connect(entry, &QAction::triggered, this, &TfmMain::openNewWindow);
    ++trenOkna;
    showWindowList(x);
    return false;
}

void TfmMain::openNewWindow()
{
    if (lastPMFunction)
        lastPMFunction();
}

void TfmMain::activateChosenWindow(int index)
{
    if (index < 0 || index >= aTrenOkna.size())
        return;
    // The window may have closed since the list was shown.
    QWidget* window = aTrenOkna.at(index);
    if (!window || !window->isVisible())
        return;
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

void TfmMain::tbOknaClick()
{
    fillWindowList(std::nullopt);
    if (trenOkna > 0)
        showWindowList(toolButton(QStringLiteral("tbOkna"))->mapTo(this, QPoint(0, 0)).x());
}

bool TfmMain::unattendedRun() const
{
    return declRunParam || commandRunAtWork;
}

void TfmMain::showMessage(
    QMessageBox::Icon icon, const QString& text, const QString& detail, const QString& boxName, bool quiet)
{
    // A message box would wait for a person who is not there: an unattended run writes to the error output.
    if (quiet || unattendedRun()) {
        std::fprintf(stderr, "%s\n", qPrintable(detail.isEmpty() ? text : text + QStringLiteral(": ") + detail));
        return;
    }
    QMessageBox box(icon, windowTitle(), text, QMessageBox::Ok, this);
    box.setObjectName(boxName);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.exec();
}

void TfmMain::mmLockClick()
{
    openWindow(QStringLiteral("mmLock"));
}

void TfmMain::mmAuditClick()
{
    openWindow(QStringLiteral("mmAudit"));
}

void TfmMain::openAfterCount(const QString& entryName, const char* query, bool (*ready)(qint64), const char* notReady)
{
    qint64 count = 0;
    try {
        count = shell::countTables(*osOracle, QString::fromLatin1(query));
    } catch (const db::OracleError& e) {
        showMessage(QMessageBox::Critical, nizError, e.message(), QStringLiteral("precondition"));
        return;
    }
    if (ready(count))
        openWindow(entryName);
    else
        showMessage(QMessageBox::Information, QString::fromUtf8(notReady), {}, QStringLiteral("precondition"));
}

void TfmMain::mmTableLengthClick()
{
    openAfterCount(QStringLiteral("mmTableLength"), shell::tableLengthCountQuery, &shell::tableLengthReady,
        shell::tableLengthNotReady);
}

void TfmMain::mmMonitorClick()
{
    openAfterCount(QStringLiteral("mmMonitor"), shell::monitorCountQuery, &shell::monitorReady, shell::monitorNotReady);
}

void TfmMain::mmRestrictedEnableClick()
{
    if (sporocilo(QString::fromUtf8(shell::restrictedEnableQuestion)))
        setRestrictedSession(QStringLiteral("ENABLE"));
}

void TfmMain::mmRestrictedDisableClick()
{
    if (sporocilo(QString::fromUtf8(shell::restrictedDisableQuestion)))
        setRestrictedSession(QStringLiteral("DISABLE"));
}

bool TfmMain::setRestrictedSession(const QString& mode)
{
    try {
        shell::setRestrictedSession(*osOracle, mode);
        return true;
    } catch (const db::OracleError& e) {
        showMessage(QMessageBox::Critical, napakaRestricted, e.message(), QStringLiteral("restrictedError"));
        return false;
    }
}

QString TfmMain::listUnrestrictedSessions(const QString& mode)
{
    QString text;
    try {
        text = shell::unrestrictedSessions(*osOracle);
    } catch (const db::OracleError& e) {
        showMessage(QMessageBox::Critical, nizError, e.message(), QStringLiteral("unrestrictedSessions"));
        return {};
    }
    if (mode == QLatin1String("K"))
        return text;
    showMessage(QMessageBox::Information, text, {}, QStringLiteral("unrestrictedSessions"));
    return text;
}

void TfmMain::mmShowSessionClick()
{
    listUnrestrictedSessions(QStringLiteral("P"));
}

bool TfmMain::mmActivateLargeRBClick()
{
    return switchLargeRB(false);
}

bool TfmMain::switchLargeRB(bool atExit)
{
    QAction* item = menuItem(QStringLiteral("mmActivateLargeRB"));
    const QString target = shell::largeRBTarget(item->isChecked());
    const bool quiet = atExit || unattendedRun();
    if (!shell::canUseLargeRB(*osOracle))
        return false;
    try {
        shell::activateLargeRB(*osOracle, currLargeRBName, target == QLatin1String("ONLINE"));
    } catch (const db::OracleError& e) {
        showMessage(QMessageBox::Critical, nizErrorRB + QLatin1Char(' ') + currLargeRBName + QLatin1Char(' ') + target,
            e.message(), QStringLiteral("largeRBError"), atExit);
        // A segment left online after an unattended run is a failure of that run.
        if (atExit && exitStatus == 0)
            exitStatus = 1;
        return false;
    }
    item->setChecked(!item->isChecked());
    if (!quiet)
        showMessage(QMessageBox::Information, currLargeRBName + QStringLiteral(" :") + target, {},
            QStringLiteral("largeRBDone"));
    return true;
}
