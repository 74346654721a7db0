// TfmAudit, the audit window: the audit server's job panel above the application's auditing parameter, the audit
// tables with the trigger that feeds each, and the audit triggers' counts with the switch that enables or disables
// them all. TfmAuditOra19 is the window for Oracle releases above 18, whose server runs as the scheduler job
// VOXA.AUDIT_JOB.
#pragma once

#include "admin/jobpanel.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace shell {
class TdmUsers;
}

class TfmAudit : public QWidget {
    Q_OBJECT

public:
    explicit TfmAudit(QWidget* parent = nullptr);
    ~TfmAudit() override;

    // Kills the server's job by force and logs "STOP JOB" when it was stopped.
    virtual void KillJob(const QString& actor, const QString& reason);

    void setLanguageTexts();
    void FormActivate();
    void LoadAuditingParam();
    void btChangeAuditClick();
    void btRefreshClick();
    void CountAuditTriggers();
    void SetAuditTriggers(const QString& action);

    admin::ServerJobPanel* panel = nullptr;
    QPushButton *btStart = nullptr, *btStop = nullptr, *btJobRefresh = nullptr, *btStopJob = nullptr, *btExit = nullptr;
    QLineEdit *dbeJob = nullptr, *dbeUser = nullptr, *dbeStart = nullptr, *dbeBroken = nullptr, *dbeWhat = nullptr;
    QLabel *laJob = nullptr, *laUser = nullptr, *laStartDate = nullptr, *laBroken = nullptr, *laJobFailure = nullptr;

    QLabel* laParam = nullptr;
    QComboBox* cbAudit = nullptr;
    QPushButton* btChangeAudit = nullptr;
    QPlainTextEdit* meAudit = nullptr;
    QLabel *laEnabled = nullptr, *laDisabled = nullptr, *laEnabledTriggers = nullptr, *laDisabledTriggers = nullptr;
    QPushButton *btEnableTrigg = nullptr, *btDisableTrigg = nullptr, *btRefresh = nullptr;

    std::unique_ptr<shell::TdmUsers> FdmUser;
    QString nizParamMissing;
    QString language;

protected:
    TfmAudit(QWidget* parent, bool schedulerJobs);
    bool event(QEvent* e) override;
    admin::ActivationWatch activation;
};

class TfmAuditOra19 : public TfmAudit {
    Q_OBJECT

public:
    explicit TfmAuditOra19(QWidget* parent = nullptr);
    void KillJob(const QString& actor, const QString& reason) override;
};

namespace admin {
// The classic audit window of the program run, made at the first menu click.
extern QPointer<TfmAudit> fmAudit;
} // namespace admin
