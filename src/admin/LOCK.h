// TfmLock, the lock window: the lock server's job panel above four pages: the locks and alarm registrations the
// server holds, the history of its requests (the lock log), the application's locking parameters, and the results
// page that takes the text reports. TfmLockOra19 is the window for Oracle releases above 18, whose server runs as the
// scheduler job VOXA.LOCK_JOB.
#pragma once

#include "admin/jobpanel.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class QTableView;
class TThemedDBGrid;

namespace db {
class DataSet;
class Query;
} // namespace db

namespace shell {
class TdmUsers;
}

class TfmLock : public QWidget {
    Q_OBJECT

public:
    explicit TfmLock(QWidget* parent = nullptr);
    ~TfmLock() override;

    // Kills the server's job by force and logs "STOP JOB" when it was stopped.
    virtual void KillJob(const QString& actor, const QString& reason);

    void setLanguageTexts();
    void FormShow();
    void FormActivate();

    // The current-actions page.
    void RefreshSemAlm();
    void btRefreshClick();
    void btListClick();
    void btCloseConnClick();
    // The history page.
    void LastLockTime();
    void btLRefreshClick();
    void dbgLogDblClick();
    void spPrintClick();
    void btListOpenClick();
    void btLogDeleteClick();
    void btTruncateTableClick();
    void btDetStatClick();
    // The parameter page.
    void pcListChange();
    void btSaveParamClick();
    bool edDurationTimeExit();
    void btChangeJobClick();

    admin::ServerJobPanel* panel = nullptr;
    // The job panel's controls, as the window names them.
    QPushButton *btStart = nullptr, *btStop = nullptr, *btJobRefresh = nullptr, *btStopJob = nullptr, *btExit = nullptr;
    QLineEdit *dbeJob = nullptr, *dbeUser = nullptr, *dbeStart = nullptr, *dbeBroken = nullptr, *dbeWhat = nullptr;
    QLabel *laJob = nullptr, *laUser = nullptr, *laStartDate = nullptr, *laBroken = nullptr, *laJobFailure = nullptr;

    QTabWidget* pcList = nullptr;
    QWidget *tabList = nullptr, *tabHist = nullptr, *tabParam = nullptr, *tabMemo = nullptr;
    QWidget* p_lastTab = nullptr;

    // tabList
    TThemedDBGrid* dbgList = nullptr;
    QLabel *laConn = nullptr, *laUpor = nullptr, *laTip = nullptr, *laContent = nullptr;
    QLineEdit *edConn = nullptr, *edUpor = nullptr, *edTip = nullptr, *edContent = nullptr;
    QRadioButton *rbSemaphor = nullptr, *rbAlarm = nullptr;
    QPushButton *btRefresh = nullptr, *btList = nullptr, *btCloseConn = nullptr, *btCheckResults = nullptr;
    QLabel *laStAlarmov = nullptr, *laVseh = nullptr;

    // tabHist
    TThemedDBGrid* dbgLog = nullptr;
    QRadioButton *rbLSemaphor = nullptr, *rbLAlarm = nullptr;
    QStackedWidget* pcCB = nullptr;
    QWidget *tabS = nullptr, *tabA = nullptr;
    std::vector<std::pair<QString, QCheckBox*>> codeBoxes; // code, box: semaphores then alarms
    QLabel *laLConn = nullptr, *laLType = nullptr, *laLValue = nullptr, *laLUser = nullptr, *laLDate = nullptr,
           *laTimeFrom = nullptr, *laTimeTo = nullptr, *laLTraja = nullptr, *laLTrajaS = nullptr;
    QLineEdit *edLConn = nullptr, *edLType = nullptr, *edLValue = nullptr, *edLUser = nullptr, *edLDate = nullptr,
              *edTimeFrom = nullptr, *edTimeTo = nullptr, *edLTraja = nullptr;
    QPushButton *btLRefresh = nullptr, *spPrint = nullptr, *btLogDelete = nullptr, *btTruncateTable = nullptr,
                *btListOpen = nullptr, *btDetStat = nullptr;
    QLineEdit* edDateDelete = nullptr;
    QLabel *laDatum = nullptr, *laNr = nullptr, *laOd = nullptr, *laDo = nullptr;
    QLineEdit *edDatum = nullptr, *edNr = nullptr, *edOdUra = nullptr, *edOdMin = nullptr, *edDoUra = nullptr,
              *edDoMin = nullptr;
    QRadioButton *rbVecje = nullptr, *rbManjse = nullptr;
    QCheckBox *cbSemaphor = nullptr, *cbAlarm = nullptr;

    // tabParam
    TThemedDBGrid* dbgLocking = nullptr;
    QComboBox *cbLockingMode = nullptr, *cbLockEnabled = nullptr, *cbAlarmEnabled = nullptr;
    QLineEdit *edDurationTime = nullptr, *edCleaningPeriod = nullptr, *edPreserveLocks = nullptr, *edJob = nullptr;
    QLabel *laLockEnabled = nullptr, *laAlarmEnabled = nullptr, *laDurationTime = nullptr, *laMinutes = nullptr,
           *laCleaningPeriod = nullptr, *laPreserveLocks = nullptr, *laJobQueue = nullptr;
    QPushButton *btSaveParam = nullptr, *btChangeJob = nullptr;

    // tabMemo
    QPlainTextEdit* meTmp = nullptr;
    QPushButton* btNazaj = nullptr;

    // Data.
    db::DataSet* quList = nullptr;
    db::DataSet* quVexo_alm = nullptr;
    db::DataSet* quLog = nullptr;
    db::DataSet* quLocking = nullptr;
    std::unique_ptr<shell::TdmUsers> FdmUsers;
    QStringList FLockingModeParams;

    QString nizWrongDate, nizPrepare, nizWrongNumber, nizParamMissing;
    QString language;

protected:
    TfmLock(QWidget* parent, bool schedulerJobs);
    bool event(QEvent* e) override;
    admin::ActivationWatch activation;
    void showEvent(QShowEvent* e) override;

private:
    void build(bool schedulerJobs);
    void buildListPage();
    void buildHistoryPage();
    void buildParamPage();
    void buildMemoPage();
    void showResults(const QStringList& lines, bool rememberBack);
    void setSemaphoreMode(bool semaphores);
    bool historyPrepared() const;
    void saveLockingModes();
    db::DataSet* listDataSet() const;

    bool erasedPending = false; // an erase without a running server left deletes uncommitted
};

class TfmLockOra19 : public TfmLock {
    Q_OBJECT

public:
    explicit TfmLockOra19(QWidget* parent = nullptr);
    void KillJob(const QString& actor, const QString& reason) override;
};

namespace admin {
// The classic lock window of the program run, made at the first menu click.
extern QPointer<TfmLock> fmLock;
} // namespace admin
