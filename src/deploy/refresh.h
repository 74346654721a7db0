// TfmRefresh: the table refresh window. The user picks a source table (optionally through a database link), a
// destination table, the unique key and the columns to compare; the window builds the refresh block, runs it on a
// session of its own in a worker thread and shows its progress, read from a pipe on the main session, until the
// user commits or rolls back. It also runs refresh parameter files, table after table (the REFRESH command hands it
// one through runSkripta).
#pragma once

#include "deploy/refreshblock.h"
#include "deploy/refreshpipe.h"
#include "deploy/refreshrun.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTabWidget;
class QTimer;
class TfmMain;

namespace db {
class Query;
class Session;
} // namespace db

namespace deploy {
struct RefreshFileBlock;
} // namespace deploy

class TfmRefresh : public QWidget {
    Q_OBJECT
public:
    // Logs the window's own session on with the main session's logon values when the main session is connected;
    // throws db::OracleError when that logon fails (the window is then not made).
    explicit TfmRefresh(TfmMain* main, QWidget* parent = nullptr);
    ~TfmRefresh() override;

    // --- unattended: a refresh file run when the window is shown ---
    QString runSkripta;

    // --- state ---
    QStringList Skripte; // the lines of the refresh file being run
    bool SQLNapaka = false; // the last run's block failed
    QString SQLErr; // and why
    bool commitStat = false; // commit after a good run, roll back after a failed one (COMMIT=TRUE of a file)
    bool runScript = false; // a refresh file is being run

    bool running() const { return thread != nullptr; }
    // The pipe this window's runs report on.
    const QString& pipeName() const { return pipe; }
    // An unattended file run found a failure (a table that failed or could not be run, a file that could not be read).
    bool unattendedFailed() const { return autoFailed; }

    // --- actions (the handlers of the controls) ---
    void btRefreshClick();
    void btSkriptClick();
    void btRunSkriptClick();
    void btCommitClick();
    void btRollbackClick();
    void btStopClick();
    void cbUserSourceChange();
    void cbUserDestChange();
    void cbDBLDestChange();
    void cbTableSourceChange();
    void cbSequenceClick();
    void loadColumns();
    void updateTransactionButtons();
    // The column of grid row `row` dropped on the key list (name, a blank and its data type) or on the sequence
    // column field.
    void lbUniqueDragDrop(int row);
    void edSeqFieldDragDrop(int row);
    // Builds the block and, unless createOnly, runs it; false when the checks refused it or the run failed.
    bool prepareRefreshBlock(bool createOnly, bool usePipe);
    // Runs the tables of a refresh file in turn.
    void runRefreshFile(const QString& fileName);

    // --- layout ---
    QTabWidget* pcMain = nullptr;
    QWidget* tabRefresh = nullptr;
    QWidget* tabOptions = nullptr;
    QWidget* tabErrors = nullptr;
    QWidget* tabBlock = nullptr;
    QWidget* tabScriptErr = nullptr;
    QWidget* tabHelp = nullptr;
    QComboBox* cbUserSource = nullptr;
    QComboBox* cbTableSource = nullptr;
    QComboBox* cbDBLDest = nullptr;
    QComboBox* cbUserDest = nullptr;
    QComboBox* cbTableDest = nullptr;
    QListWidget* lbUnique = nullptr;
    QCheckBox* cbUpdate = nullptr;
    QCheckBox* cbDelete = nullptr;
    QTableWidget* sgSelCol = nullptr;
    QPushButton* btRefresh = nullptr;
    QPushButton* btStop = nullptr;
    QPushButton* btCommit = nullptr;
    QPushButton* btRollback = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* btRunSkript = nullptr;
    QPushButton* btSkript = nullptr;
    QLabel* laStatus = nullptr;
    QLabel* laCounter = nullptr;
    QLabel* laUpdated = nullptr;
    QLabel* laInserted = nullptr;
    QLabel* laDeleted = nullptr;
    QCheckBox* cbPipe = nullptr;
    QCheckBox* cbSequence = nullptr;
    QWidget* paSequence = nullptr;
    QLineEdit* edSeqField = nullptr;
    QComboBox* cbSeqName = nullptr;
    QCheckBox* cbProc = nullptr;
    QLineEdit* edProcedure = nullptr;
    QCheckBox* cbErrorON = nullptr;
    QPlainTextEdit* meErr = nullptr;
    QPlainTextEdit* meBlock = nullptr;
    QPlainTextEdit* meScriptErr = nullptr;
    QPlainTextEdit* meHelp = nullptr;
    QTimer* tmColumns = nullptr;
    QFileDialog* dlgLoad = nullptr;

    db::Session* osOracleThread = nullptr;
    db::Query* quDyn = nullptr;

signals:
    // A run of the block has ended (its outcome is in SQLNapaka and the state label).
    void runEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void FormCreate();
    void message(const QString& text);
    void clearCounters();
    void setRunningControls(bool on);
    void showProgress();
    void showRefreshError();
    void showTab(QWidget* tab);
    void fillUsers(QComboBox* list, const QString& link);
    void fillTables(QComboBox* list, const QString& owner, const QString& link);
    QStringList queryColumn(const QString& sql, const QList<QPair<QString, QString>>& binds);
    QString linkName() const;
    deploy::RefreshDefinition definition() const;
    bool sameTable(const deploy::RefreshDefinition& def);
    bool runBlock(const QString& text);
    void applyFileBlock(const deploy::RefreshFileBlock& block);
    void finishUnattended(const QString& fileName);
    void markColumn(const QString& name);
    QString readPipeOnce(bool* ok);
    void removePipe();

    TfmMain* fm;
    QString pipe;
    QPointer<deploy::TRefreshSqlThread> thread;
    deploy::RefreshProgress progress;
    int errorsShown = 0;
    QStringList types; // the data type of each grid row (the hidden type list)
    bool unattended = false;
    bool autoFailed = false;
    bool closeAfterRun = false;
    bool stopRequested = false;
    bool blockRan = false; // the last prepareRefreshBlock started a run
};
