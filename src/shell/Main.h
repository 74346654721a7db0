// The main window TfmMain, held in the global fmMain: the one window created at start-up, owner of the main
// session and of all the state the tool windows share (logon values, settings, language, installation users).
#pragma once

#include "shell/commandline.h"
#include "shell/macrofile.h"
#include "shell/mainservices.h"
#include "shell/settings.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QMenuBar;
class QTimer;
class QToolBar;
class QToolButton;

namespace db {
class Session;
}

namespace shell {
class MainPicture;
}

// The row of the installation tables that belongs to the connected user (several-installations mode).
struct TInstallationOfUser {
    QString instance;
    int userIndex = 0;
    QString userVoxa;
    QString passVoxa;
    QString userBildor;
    QString passBildor;
};

// The settings fields are the window's own fields (shell::MainSettings), so that tool windows read
// fmMain->currentScript and the like directly.
class TfmMain : public QMainWindow, public shell::MainSettings {
    Q_OBJECT

public:
    // What start-up takes from the process; the program passes the real values, tests their own.
    struct Environment {
        QStringList arguments; // the program's parameters, without the program itself
        QString executableDir; // with its trailing separator
        QString workingDir;
        // The saved login data (user, password, alias) live in the user's key store under this path.
        QString loginDataKeyPath;
    };
    static Environment processEnvironment();

    // The steps of activation and closing that belong to the logon, the command runner and the database
    // services. Each may be left empty: the step then does nothing (and an empty sessionConnected means the
    // main session is not connected).
    struct Hooks {
        std::function<void()> tbConnectClick; // the connection sequence with the logon dialog
        // Whether the main session is connected; when empty, osOracle itself answers.
        std::function<bool()> sessionConnected;
        std::function<void()> IzvediCeloSkripto; // the command runner, single-installation mode
        std::function<void()> IzvediVecInstalacij; // the installation loop of the several-installations mode
        // The instance is marked as holding several installations in vecInstalacij.
        std::function<bool(const QString& connServer)> aliJeVecInstacijNaTrenutniInstanci;
        // "select * from VEXO_UTIL.VEXO_INSTALATIONS" opens on the main session.
        std::function<bool()> openInstallationsTable;
        // The installation of the connected user, when the installation tables name one.
        std::function<std::optional<TInstallationOfUser>(const QString& connUser)> findInstallationOfUser;
        // Switches the large rollback segment off at closing; when empty, the window's own switch does it.
        std::function<void()> mmActivateLargeRBClick;
        // Whether a worksheet window holds an open transaction on the database (the worksheet answers).
        std::function<bool(QWidget* workSheet, const QString& database)> jeVTransakciji;
    };

    explicit TfmMain(const Environment& environment = processEnvironment(), QWidget* parent = nullptr);
    ~TfmMain() override;

    Hooks hooks;

    // Menu items and tool buttons by their names (a submenu is found by the name of its menu).
    QAction* menuItem(const QString& name) const;
    QMenu* subMenu(const QString& name) const;
    QToolButton* toolButton(const QString& name) const;

    void FormCreate();
    void FormActivate();
    bool FormCloseQuery();
    void FormClose();
    void tiCloseFormTimer();
    void toggleMinimized(bool force);
    void setLanguageTexts();
    void najdiglavnegaUserja();
    // The database tools follow the main session (on after a logon, off after a disconnect).
    void enableConnectedActions(bool on);
    // Enables every menu item and tool button by its rule: a window's entry only once its opener is registered
    // (shell/windowregistry.h), a database tool only while connected. Call it after registering an opener late.
    void refreshMenuStates();
    // Ends an unattended run: the main window closes from tiCloseForm a second later.
    void startCloseTimer();

    // Saved login data. Reading takes them only when user, password and alias are all stored and readable;
    // saving and clearing return false (and say why in loginDataError) when the key store could not be written.
    void ReadLoginData();
    bool SaveLoginData(const QString& user, const QString& password, const QString& alias);
    bool ClearLoginData();
    QString loginDataError;

    bool mainSessionConnected() const;

    // --- menus, tool bar and window chooser ---
    // Opens the window of a menu item or tool button through its registered opener; false when none.
    bool openWindow(const QString& entryName);
    // Lists the open windows whose name begins with the prefix in pmOkna, with an entry "New" that calls
    // lastPMFunction, below the tool bar at x (main-window coordinates). True, with nothing shown, when none is open.
    bool chooseOpenWindow(const QString& prefix, int x);
    void openNewWindow();
    // Brings the window of entry `index` of aTrenOkna to the front, restored when minimised.
    void activateChosenWindow(int index);
    // Lists every open window but the main one.
    void tbOknaClick();
    // The object-status window: the chooser of its kind, else a new one (also the command runner's ERRORS).
    void tbErrorsClick();
    void mmLockClick();
    void mmAuditClick();
    void mmMonitorClick();
    void mmTableLengthClick();
    void mmRestrictedEnableClick();
    void mmRestrictedDisableClick();
    void mmShowSessionClick();
    // "ALTER SYSTEM ENABLE|DISABLE RESTRICTED SESSION"; false, after napakaRestricted is shown (written to the
    // error output in an unattended run), when the server refuses or the mode is neither.
    bool setRestrictedSession(const QString& mode);
    // The sessions restricted session would lock out, one line each; mode "K" only returns the text, any other
    // mode also shows it.
    QString listUnrestrictedSessions(const QString& mode);
    // Switches the large rollback segment currLargeRBName to the state the menu item does not show; true when
    // switched. The worksheet and the script executor mirror menuItem("mmActivateLargeRB")->isChecked().
    bool mmActivateLargeRBClick();

    // --- services for the tool windows, on the window's own state ---
    QString pretvoriDescriptor() const;
    shell::FileDirNameResult FileDirName(const QString& path) const;
    QString zamenjaj(const QString& text, const QString& oldName, const QString& newName) const;
    QString zamenjave(const QString& text, const QString& mode) const;
    shell::LiveQueryResult postaviLiveQuery(const QString& text) const;
    QString prepareInsertTemplate(bool newLine, const QString& templ) const;
    QString getClipboard() const;
    void preberiMacroTipke(QWidget* owner, QMenu* popup, const std::function<void(QAction*)>& onClick);
    QString brezNL(const QString& text) const;
    QString f_venPodpicje(const QString& text) const;
    bool sporocilo(const QString& question);
    // Database services on the main session (changeDateFormat on the session given).
    bool changeDateFormat(db::Session& session, const QString& format, QString* error = nullptr);
    bool execDyn(const QString& statement, QString* error = nullptr);
    bool tableExists(const QString& owner, const QString& tableName);
    shell::SystemParameter BeriParameter(const QString& name);
    QString GetParam107(const QString& name);
    QStringList userVhodniParametri();
    bool SessionInTransaction() const;
    // Before `asking` commits, rolls back or runs DDL on the main session (`action` names it for the user, "Commit",
    // "Compile"): true when no other window holds pending work there (shell/pendingwork.h), or when the user agrees
    // that the action ends that work too. An unattended run never asks: it refuses, says why on the error output and
    // returns false.
    bool confirmMainSessionEnd(QWidget* asking, const QString& action);

    // --- shared state ---
    // The main session, owned by the window (object name "osOracle"); the logon sequence logs it on.
    db::Session* osOracle = nullptr;
    QString ORACLEVersion;
    QString ORACLEVersionDod;
    QString ORACLEVersionAll;
    QString p_verzijaPLSQL;
    QString mainString;

    QString nizMain, nizError, nizErrorRB, nizDone, nizStop, nizCommit, nizRollback, nizExit, nizStart, nizSave,
        nizRefresh, nizWrongVer, nizWrongVerLast, nizWrongVerAll, nizMissingRights, nizRestricted, nizEnd,
        napakaRestricted;

    // The program's exit status: not 0 when an unattended run ended because it could not do its work.
    int exitStatus = 0;
    // How long an automatic logon shows its dialog before it logs on; a run of commands, which nobody watches, sets 0.
    int autoLogonDelayMs = 1000;
    // The command runner is at work (inside the first activation's hand-over).
    bool commandRunActive() const { return commandRunAtWork; }
    // What start-up took from the process (parameters, the program's and the working directory).
    const Environment& environment() const { return env; }
    bool prvicNaFormi = true;
    bool declRunParam = false;
    QString runParamType, runParamValue1, runParamValue2, runParamValue3;
    bool pAutoG = false;
    bool p_ScriptAudit = false;
    QString p_hostAudit, p_hostAuditUpor, p_hostAuditHost;
    bool bSaveLoginData = false, bUseLoginData = false, bClearLoginData = false, bHaveToSaveLoginData = false;
    bool currMoreInstall = false;
    int currUserIndex = 0;
    QString currInstanceAs, currUserAsVoxa, currPassAsVoxa, currUserAsBildor, currPassAsBildor;
    bool pExecuteScriptNapaka = false;
    bool VersionOK = true;
    QString currLargeRB = QStringLiteral("0");
    int visinaCela = 0;
    int visinaSlika = 0;
    int workSheetStevec = 0;
    int datasetStevec = 0;
    QPointer<QWidget> FfmLockOra19;
    QPointer<QWidget> FfmAuditOra19;
    std::function<void()> lastPMFunction;
    int trenOkna = 0;
    QList<QPointer<QWidget>> aTrenOkna;
    QString currMacros; // the macro file's text as of the latest activation
    QString p_newLine = QStringLiteral("\r");
    shell::MacroTables macroTables;

    // Text buffers: the instances of vecInstalacij, the command list, the several-installations work list.
    QStringList meVhod;
    QStringList meVhodParam;
    QStringList meMU;

    // Where the settings came from, and what in them could not be used.
    QString settingsFile;
    QStringList settingsProblems;
    // The command line as read at start-up.
    shell::CommandLine commandLine;

    // --- layout ---
    QMenuBar* mmMain = nullptr;
    QMenu* popMain = nullptr;
    QMenu* pmOkna = nullptr;
    QWidget* paMainToolBar = nullptr;
    QToolBar* tbMain = nullptr;
    QWidget* paMain = nullptr;
    shell::MainPicture* Slika = nullptr;
    QTimer* tiCloseForm = nullptr;

signals:
    // The main window has closed: the program ends.
    void closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void buildMenu();
    void buildToolBar();
    void applyCaption();
    void menuItemClick(const QString& name);
    void toolButtonClick(const QString& name);
    void openWithChooser(const QString& entryName, const QString& prefix, QWidget* nearWidget);
    void fillWindowList(const std::optional<QString>& prefix);
    void showWindowList(int x);
    void openAfterCount(const QString& entryName, const char* query, bool (*ready)(qint64), const char* notReady);
    bool switchLargeRB(bool atExit);
    bool unattendedRun() const;
    // A message for the user; with `quiet` or in an unattended run it goes to the error output instead.
    void showMessage(
        QMessageBox::Icon icon, const QString& text, const QString& detail, const QString& boxName, bool quiet = false);

    Environment env;
    bool activationAtWork = false;
    bool activationQueued = false;
    bool commandRunStarted = false;
    bool commandRunAtWork = false;
    bool connectedActions = false;
    QString multiUserMark;
};

extern TfmMain* fmMain;
