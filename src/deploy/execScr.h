// TfmScript: the script executor. Stores a script file statement by statement in the script table (open-file
// page), runs the stored rows of a script with status and outcome per row (execute page), and keeps the stored
// scripts (search, statistics, deletion). The command runner drives it unattended through p_auto and the fields
// edSkripta, edDir, cbAllScripts and pcExec. The rules live in scriptfile, scripttable, scriptexec, scriptstore and
// scriptstats; this class wires them to the controls.
#pragma once

#include "deploy/scriptexec.h"
#include "deploy/scripttable.h"
#include "deploy/scripttexts.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTableWidget;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class TExecSqlThread;
class TThemedDBGrid;
class TfmMain;

namespace db {
class DataSet;
class Query;
class Session;
} // namespace db

namespace shell {
class SqlEditor;
}

class TfmScript : public QMainWindow {
    Q_OBJECT
public:
    explicit TfmScript(TfmMain* main, QWidget* parent = nullptr);
    ~TfmScript() override;

    // --- open-file page: storing a script ---
    void tbOpenFClick();
    // Loads edDir/edSkripta.sql into meVse (the file dialog when that fails); true when a file was loaded.
    bool loadScriptFile();
    void btOpenFileClick();
    // Stores the script unless it has rows; true when it was stored.
    bool btScriptPutClick();
    void btSaveScriptClick();

    // --- execute page: running the rows ---
    void tbRunClick();
    void btRefreshClick();
    void cbAllScriptsClick();
    void spFltScriptClick();
    void spExecAllScriptClick();
    void spExecOneClick();
    void btStopClick();
    // Runs one row; true for a success or a tolerated error.
    bool ExecScript(const deploy::ScriptRow& row);
    // The current grid row as a row to run; an empty name when there is none.
    deploy::ScriptRow currentRow() const;
    void napolniSkriptoIzTabele();
    void enDisButtons(bool on);
    void spDeleteClick();
    void sbNeizvedenoClick();
    void spDeleteAllClick();
    void btCommitClick();
    void btRollbackClick();
    void tbLargeRBClick();
    void tbErrorsClick();

    // --- search, statistics and deletion pages ---
    void tbSearchClick();
    void btFindClick();
    void dbgSearchDblClick();
    void tbStatClick();
    void btStatRefreshClick();
    void btShowScriptClick();
    void tbDeleteMoreClick();
    void btDeleteClick();
    void fillScriptList();

    void FormActivate();
    bool FormCloseQuery();
    void setTexts();
    bool running() const { return runAtWork; }

    // --- state (the design's fields) ---
    TfmMain* mainWindow = nullptr;
    db::Session* osOracle = nullptr;
    bool p_auto = false; // unattended: store and run the script of edSkripta, then close
    bool p_owner = false; // owner mode: lists and the row query limited to the connected user's rows
    bool p_scriptDateOwner = false; // the table has SCRIPT_OWNER and SCRIPT_DATE
    bool brezVprasanja = false;
    bool konec = false; // stop requested
    bool p_napaka = false; // the last run broke off on an error
    bool threadNadaljuj = true; // no statement thread at work
    bool threadsqlNapaka = false;
    QString threadSQLErr;
    QString zadnjaSkripta = QStringLiteral("\"#$%&/"); // ROWID of the statement last shown
    QString p_zadVnosFilterSkripta;
    QString tekocaScr;
    QString currFile;
    deploy::ScriptTexts texts;
    deploy::ScriptFilter lastFilter; // the filters of the last list refresh

    // --- components ---
    db::DataSet* quSkripte = nullptr;
    db::DataSet* quFind = nullptr;
    db::Query* quDyn = nullptr;

    // --- layout ---
    QToolBar* tbScript = nullptr;
    QToolButton* tbOpenF = nullptr;
    QToolButton* tbRun = nullptr;
    QToolButton* tbSearch = nullptr;
    QToolButton* tbStat = nullptr;
    QToolButton* tbLargeRB = nullptr;
    QToolButton* tbErrors = nullptr;
    QToolButton* tbDeleteMore = nullptr;
    QToolButton* tbExit = nullptr;

    QWidget* paGlava = nullptr;
    QLabel* laAllScripts = nullptr;
    QComboBox* cbAllScripts = nullptr;
    QLabel* laStat = nullptr;
    QComboBox* cbStat = nullptr;
    QLabel* laNapaka = nullptr;
    QLineEdit* edNapaka = nullptr;
    QLabel* laFilter = nullptr;
    QLineEdit* edFilter = nullptr;
    QPushButton* spFltScript = nullptr;
    QLabel* laLargeRBCaption = nullptr;
    QLabel* laLargeRB = nullptr;
    QLabel* laLastVerCaption = nullptr;
    QLabel* laLastVer = nullptr;

    QTabWidget* pcExec = nullptr;
    QWidget* tabEmpty = nullptr;
    QLabel* laEmpty = nullptr;

    QWidget* tabOpenFile = nullptr;
    QLabel* laDir = nullptr;
    QLineEdit* edDir = nullptr;
    QLabel* laSkripta = nullptr;
    QLineEdit* edSkripta = nullptr;
    QPushButton* btOpenFile = nullptr;
    QPushButton* btScriptPut = nullptr;
    QPushButton* btSaveScript = nullptr;
    shell::SqlEditor* meVse = nullptr;
    QLabel* laOutput = nullptr;
    QPlainTextEdit* meOutput = nullptr;

    QWidget* tabExec = nullptr;
    QLabel* laShowType = nullptr;
    QComboBox* cbShowType = nullptr;
    QPushButton* btRefresh = nullptr;
    QToolButton* spExecOne = nullptr;
    QToolButton* spExecAllScript = nullptr;
    QPushButton* btStop = nullptr;
    QCheckBox* cbStopOnError = nullptr;
    QCheckBox* cbThread = nullptr;
    QCheckBox* cbMess = nullptr;
    QToolButton* sbNeizvedeno = nullptr;
    QToolButton* spDelete = nullptr;
    QToolButton* spDeleteAll = nullptr;
    QPushButton* btCommit = nullptr;
    QPushButton* btRollback = nullptr;
    QSplitter* spExec = nullptr;
    QStackedWidget* swExec = nullptr; // the grid, or the run view while Execute All runs
    TThemedDBGrid* dbgSkripte = nullptr;
    QWidget* paRun = nullptr;
    QLabel* laCurrentCaption = nullptr;
    QLabel* laCurrent = nullptr;
    QLabel* laErrorsCaption = nullptr;
    QLabel* laErrors = nullptr;
    QLabel* laScriptNumberCaption = nullptr;
    QLabel* laScriptNumber = nullptr;
    QLabel* laToExecuteCaption = nullptr;
    QLabel* laToExecute = nullptr;
    QPlainTextEdit* meTekocaSkripta = nullptr;
    shell::SqlEditor* meLong = nullptr;

    QWidget* TabSearch = nullptr;
    QLabel* laFindScript = nullptr;
    QLineEdit* edFindScript = nullptr;
    QLabel* laFindStat = nullptr;
    QComboBox* cbFIndStat = nullptr;
    QLabel* laFindNapaka = nullptr;
    QLineEdit* edFindNapaka = nullptr;
    QLabel* laFindFilter = nullptr;
    QLineEdit* edFindFilter = nullptr;
    QPushButton* btFind = nullptr;
    TThemedDBGrid* dbgSearch = nullptr;
    QLabel* laFindCont = nullptr;
    QPlainTextEdit* meFindCont = nullptr;
    QLabel* laFindErr = nullptr;
    QPlainTextEdit* meFindErr = nullptr;

    QWidget* tabStat = nullptr;
    QLabel* laStatScript = nullptr;
    QLineEdit* edStatScript = nullptr;
    QCheckBox* cbStatNotExecuted = nullptr;
    QCheckBox* cbStatErrors = nullptr;
    QCheckBox* cbStatDeleted = nullptr;
    QPushButton* btStatRefresh = nullptr;
    QPushButton* btShowScript = nullptr;
    QTableWidget* sgStat = nullptr;

    QWidget* TabDeleteMore = nullptr;
    QLabel* laDeleteMore = nullptr;
    QListWidget* lbDeleteMore = nullptr;
    QPushButton* btDelete = nullptr;

    QTimer* tiClose = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    QWidget* buildHeader();
    QWidget* buildOpenFilePage();
    QWidget* buildExecPage();
    QWidget* buildSearchPage();
    QWidget* buildStatPage();
    QWidget* buildDeletePage();
    void wire();
    void FormCreate();
    void postaviSkripte();
    void readLargeRBState();
    void showPage(QWidget* page, bool header);
    void showRunView(bool on);
    void showRunProgress(const deploy::ScriptRow& row, int runNo, qint64 toExecute);
    void setTypeEntry(QComboBox* box, QChar letter);
    QChar typeLetter(const QComboBox* box) const;
    QString ownerOrStar() const;
    QString ownerIfMode() const;
    deploy::ScriptFilter listFilter() const;
    void refreshCurrentRow();
    void storeRunPendingTexts(const QString& text);
    deploy::RowOutcome runStatement(const QString& statement, const deploy::StatementDirective& directive);
    deploy::ExecutionOutcome runOnThread(const QString& sql);
    bool recordOutcome(const QString& rowId, const deploy::RowOutcome& outcome);
    void autoRun();
    void finishAutoRun(bool failed);
    void setPendingReset(bool on);
    bool mayEndMainSession(const QString& action);
    // Messages: the system's message dialog, or the error output in an unattended run.
    void message(const QString& text, int kind, int buttons = 4 /* mbOK */);
    bool ask(const QString& question);
    void showDbError(const QString& message);
    void meLongLeft();
    QString languageOf() const;

    std::unique_ptr<TExecSqlThread> thread;
    quint64 threadGeneration = 0;
    bool runAtWork = false;
    bool closeAfterRun = false;
    bool autoStarted = false; // the unattended work was started by an activation; later ones do not repeat it
    bool resetPending = false; // a status reset waits for Commit or Rollback
    bool ignoreTypeChange = false;
    bool savingStatement = false; // a changed statement text is being written (its question may take the focus)
    QString shownRowId;
};
