// TfmWorkSheet: the SQL worksheet. An editor for one statement below and a stack of result pages above; each
// Execute runs the editor's statement on a worker thread, so the window stays alive and a second press breaks it.
#pragma once

#include "develop/commandhistory.h"
#include "develop/sessionstats.h"
#include "develop/sqlfile.h"
#include "develop/worksheet_run.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QLineEdit;
class QMenu;
class QModelIndex;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolButton;
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

namespace develop {
class DataAwareMemo;
class DataSetNavigator;
class MacroKeyFilter;
} // namespace develop

class TfmWorkSheet : public QMainWindow {
    Q_OBJECT
    // The logon dialog captions the worksheet from it after the own session's logon.
    Q_PROPERTY(QString sCaption MEMBER sCaption)
public:
    // Worksheets are made by the main window, which names them "WorkSheet_" and a number and sets WorkStevec.
    explicit TfmWorkSheet(TfmMain* main, QWidget* parent = nullptr);
    ~TfmWorkSheet() override;

    // Whether this worksheet holds an open transaction on the named database (the main window asks every
    // worksheet before it ends a transaction of its own).
    bool jeVTransakciji(const QString& dataBase) const;
    bool running() const;
    // Whether the window holds work that a commit would keep: changes in its grid, changes its statements made, or
    // a transaction of its own session that changed something (a DML statement that changed no row opened nothing
    // worth keeping).
    bool holdsOpenWork() const;
    // The number of the window and its captions: the first worksheet is "WorkSheet", the next ones carry their
    // number ("WorkSheet 2"), so that windows of one user and database can be told apart.
    void setWorkStevec(int number);

    // --- handlers (public so the menu, keys and tests reach the same paths) ---
    void spExeClick();
    // F9 and Ctrl + Enter: start a run whatever the state of the button; nothing while a run is at work.
    void startRunFromKeyboard();
    void btCommitClick();
    void btRollbackClick();
    void mnDbmsOutputClick();
    void setTexts();
    // File, history, explain, builders and the export (the tools around the run).
    void miConnectClick();
    void miDisconnectClick();
    void miOpenClick();
    void miSaveClick();
    void miSaveAsClick();
    void spExplainClick();
    void spSaveHistClick();
    void refreshHistoryList();
    void updateHistoryEntryClick();
    void deleteHistoryEntryClick();
    void spConvertToAsciiClick();
    void convertDelphiStringClick();
    void makeQueryLiveClick();
    void funcProcClick();
    void fillProcedureTree();
    void listParameters(QTreeWidgetItem* item);
    void prepareCallStatement();
    void listTables();
    void listColumns();
    void buildSelectStatement();
    // The editor's macros and the result's large objects (the editing aids).
    void popupMacroClick(int k);
    void showEditorPopup(const QPoint& pos);
    // A double click on a cell of the result grid; true when the cell is a picture or text column whose loader
    // was shown.
    bool lobCellDoubleClick(const QModelIndex& index);

    int WorkStevec = 0;
    QString sCaption;
    QString sUserCaption;

    // --- state ---
    TfmMain* mainWindow = nullptr;
    db::Session* currDataBase = nullptr;
    db::Session* tmpDataBase = nullptr; // the own session, a child of the window
    bool lError = false;
    bool lSelect = false, lUpdate = false, lDelete = false, lInsert = false;
    bool pTipkaF9 = false;
    QDateTime dtOra;
    QDateTime currdt;
    QStringList pendingOutput; // the output lines of the run ending, written to meRespSQL together
    bool clearOutputPending = false; // "Clear Output ON": meRespSQL is still to be emptied for this run
    QString zadnjiEkran;
    develop::SessionStatistics statistics; // ORACLESid and the counters before and after a run
    bool runStatistics = false; // the run at work reads the counters
    develop::CommandHistory history; // aSQLUkazi, iSQLUkazi, iSkokSQLUkazi
    develop::WorksheetFile file; // currentFile and the format it keeps
    QString ORACLEVersion;
    bool firstTimeFunc = true;

    QString nizErrThread, nizErrStat, nizErrHist, nizErrExp, nizErrOn, nizCloseForm, nizComCur, nizErrStr, nizSpExeHint,
        nizSpExeHintBreak, nizMainSessionTransaction, nizPendingEdits, nizStatementProcessed, nizRowsProcessed;

    // --- components ---
    db::DataSet* quDynWork = nullptr;
    db::Query* quDynQuery = nullptr;
    db::Query* quGetTime = nullptr;
    db::Query* quTmp = nullptr;
    develop::StatementRunner* runner = nullptr;

    // --- layout ---
    QSplitter* spSplitter = nullptr;
    QWidget* paResp = nullptr;
    QTabWidget* pcResp = nullptr;
    QWidget* TabRespGrid = nullptr;
    TThemedDBGrid* dbgSelect = nullptr;
    QPlainTextEdit* dbmMemo = nullptr;
    QToolButton* spConvertToAscii = nullptr;
    QWidget* TabRespSQL = nullptr;
    QPlainTextEdit* meRespSQL = nullptr;
    QPushButton* btClearContents = nullptr;
    QWidget* TabRespError = nullptr;
    QPlainTextEdit* meRespError = nullptr;
    QWidget* tabExplain = nullptr;
    QPlainTextEdit* meExplain = nullptr;
    QWidget* tabSesStat = nullptr;
    QLabel* laStatTitle = nullptr;
    QLabel* laBlocks = nullptr;
    QLabel* laConsGets = nullptr;
    QLabel* laPhReads = nullptr;
    QLabel* laConsChanges = nullptr;
    QLabel* laBlockChanges = nullptr;
    QWidget* tabHist = nullptr;
    TThemedDBGrid* dbgHist = nullptr;
    db::DataSet* quHistory = nullptr;
    QPushButton* btRefreshHistory = nullptr;
    QPushButton* btUpdateHistory = nullptr;
    QPushButton* btDeleteHistory = nullptr;
    QLineEdit* edOwner = nullptr;
    QWidget* TabHelp = nullptr;
    QPlainTextEdit* meHelp = nullptr;
    QPushButton* btHints = nullptr;
    QPushButton* btExamples = nullptr;
    QWidget* tabProcFunc = nullptr;
    QLineEdit* edUser = nullptr;
    QLineEdit* edFilter = nullptr;
    QPushButton* btRefresh = nullptr;
    QPushButton* btInsert = nullptr;
    QTreeWidget* tvSQL = nullptr;
    QTreeWidgetItem* tnProc = nullptr;
    QTreeWidgetItem* tnFunc = nullptr;
    QTreeWidgetItem* tnPck = nullptr;
    QTableWidget* sgParams = nullptr;
    QWidget* tabTabela = nullptr;
    QLineEdit* edUserTabela = nullptr;
    QLineEdit* edFilterTabela = nullptr;
    QComboBox* cbTabela = nullptr;
    QCheckBox* cbLive = nullptr;
    QPushButton* btStavek = nullptr;
    QTableWidget* sgColumns = nullptr;

    QWidget* paSQL = nullptr;
    QWidget* paSQLLeft = nullptr;
    QToolButton* spExe = nullptr;
    QToolButton* spBack = nullptr;
    QToolButton* spNext = nullptr;
    QToolButton* spClear = nullptr;
    QToolButton* spExplain = nullptr;
    QToolButton* spLive = nullptr;
    QToolButton* spSaveHist = nullptr;
    shell::SqlEditor* meWork = nullptr;
    QWidget* paRespBottom = nullptr;
    QLabel* laTimeCaption = nullptr;
    QLabel* laTime = nullptr;
    QLabel* laCursor = nullptr;
    QPushButton* btCommit = nullptr;
    QPushButton* btRollback = nullptr;
    develop::DataSetNavigator* oNavigator = nullptr;
    QTimer* tiCas = nullptr;
    QTimer* breakRetry = nullptr;
    // Shows a run as busy (cursor, navigator and transaction buttons off) once it has taken a moment: a short
    // statement then leaves the window as it was instead of flickering it twice.
    QTimer* busyLook = nullptr;
    QMenu* pmMacro = nullptr; // the editor's popup macros
    develop::MacroKeyFilter* macroKeys = nullptr; // the editor's key macros
    develop::DataAwareMemo* dataMemo = nullptr; // dbmMemo bound to a column of the result
    // The clock the key macros measure a held key by, in milliseconds; a monotonic clock unless a test sets one.
    std::function<qint64()> macroClock;

    QMenu* mnFile = nullptr;
    QAction* miConnect = nullptr;
    QAction* miDisconnect = nullptr;
    QAction* miOpen = nullptr;
    QAction* miSave = nullptr;
    QAction* miSaveAs = nullptr;
    QMenu* mnView = nullptr;
    QAction* miViewData = nullptr;
    QAction* miViewStatistics = nullptr;
    QAction* miViewOutput = nullptr;
    QMenu* mnSetup = nullptr;
    QAction* miStatisticsScreen = nullptr;
    QAction* miQueryAllRecords = nullptr;
    QAction* miQueryByExample = nullptr;
    QAction* miDbmsOutput = nullptr;
    QAction* miClearOutput = nullptr;
    QAction* miEcho = nullptr;
    QMenu* mnUtilities = nullptr;
    QAction* miPrepareSelect = nullptr;
    QAction* miFuncProc = nullptr;
    QAction* miConvertDelphi = nullptr;
    QAction* miMakeLive = nullptr;
    QAction* miLargeRB = nullptr;
    QAction* mnHistory = nullptr;
    QAction* mnHelp = nullptr;
    QAction* mnExit = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildLayout();
    void buildMenu();
    void FormCreate();
    bool FormCloseQuery();

    // The run: A to K of the run's steps.
    void startRun();
    bool settlePendingEdits();
    void runQuery(const QString& sql);
    void runStatement(const QString& statement);
    void runFinished(const develop::RunOutcome& outcome);
    void queryDone(const develop::RunOutcome& outcome);
    void statementDone(const develop::RunOutcome& outcome);
    void showError(const develop::RunOutcome& outcome);
    void showElapsed(bool withMilliseconds);
    void endOfRun();
    void showBusy();
    void breakRun();
    void releaseExecute();
    void tiCasTimer();

    void enableTransactionButtons(bool on);
    void followTransaction();
    // The Utilities item "Large RB ONLINE" shows the main window's "Large RB Online".
    void followLargeRB();
    // Commit and rollback without the question about other windows' work (asked before, or by the main window).
    bool commitWork();
    void rollbackWork();
    // Ends the window's work on the session for the main window (the program or the main session ending).
    bool endWork(db::Session& session, bool commit);
    // Before the window commits, rolls back or runs DDL on the main session: the other windows' work there.
    bool mainSessionEndAllowed(const QString& action);
    void showPage(QWidget* page);
    void addOutputLine(const QString& line);
    void writeOutput();
    void addErrorLine(const QString& line);
    void titleClick(int dataColumn);
    void showMemoField();
    void adjustResultColumns();

    // Command history in memory and statistics, as far as the run needs them.
    void recordInHistory(const QString& text);
    void historyStep(int direction);
    void startWithStatistics(std::function<develop::RunOutcome()> work);
    void showStatistics();
    void statisticsFailed();
    void loadHistoryRing();
    void bindComponents(db::Session* session);
    void buildToolPages();
    void setToolTexts(bool slo);
    void buildEditingAids();
    void insertMacroText(const QString& text);

    QElapsedTimer elapsed;
    QString designedCaption; // "WorkSheet" or "SQL Poizvedbe"
    // The session's transaction was opened by DML statements that changed no row: nothing in it to commit.
    bool emptyTransaction = false;
    // This window's statements or applied edits changed data in the session's open transaction.
    bool madeChanges = false;
    bool runStartedInTransaction = false;
    QString runText; // the editor text of the run at work
    QString runStatementText;
    develop::StatementClass runClass;
    bool runProducedOutput = false;
    int memoColumn = -1;
    bool dictionaryWarned = false;
    QElapsedTimer macroTimer;
};
