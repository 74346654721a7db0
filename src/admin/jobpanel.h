// The job panel at the top of the lock and audit windows: the server's job as the job list shows it, and the
// buttons that start the server, ask it to stop, kill its job and refresh the list, each action logged in the
// application's job log with the name and reason the confirmation asked for. The window supplies its kill (a
// classic or a scheduler job's) and its texts.
#pragma once

#include "admin/serverjobs.h"

#include <QString>
#include <QWidget>

#include <functional>

class QEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace db {
class Session;
}

namespace admin {

// The system's message dialog in the window's language: a notice with the single button OK, and a Yes/No question.
void ShowNotice(const QString& text, const QString& language, bool error = false);
bool ConfirmAction(const QString& question, const QString& language);

// When the lock and audit windows read everything again: each time the user activates them, but not when they
// become active again because a dialog of their own closed (an error shown by the activation itself would
// otherwise come back for ever).
class ActivationWatch {
public:
    // True when the event is an activation that should run the window's activation sequence.
    bool activates(const QEvent* e);

private:
    bool lostToDialog = false;
};

class ServerJobPanel : public QWidget {
    Q_OBJECT

public:
    ServerJobPanel(const ServerJobKind& kind, bool scheduler, QWidget* window);

    // The translatable messages, set by the window's language routine.
    QString nizStartGrant, nizStartError, nizStopError, nizKillUser, nizKillJobYes, nizKillJobNo;
    QString language;

    QLabel* laJob = nullptr;
    QLabel* laUser = nullptr;
    QLabel* laStartDate = nullptr;
    QLabel* laBroken = nullptr;
    QLabel* laJobFailure = nullptr;
    QLineEdit* dbeJob = nullptr;
    QLineEdit* dbeUser = nullptr;
    QLineEdit* dbeStart = nullptr;
    QLineEdit* dbeBroken = nullptr;
    QLineEdit* dbeWhat = nullptr;
    QPushButton* btStart = nullptr;
    QPushButton* btStop = nullptr;
    QPushButton* btJobRefresh = nullptr;
    QPushButton* btStopJob = nullptr;
    QPushButton* btExit = nullptr;
    QTimer* tiRefreshJobs = nullptr;
    bool FbRefreshingJobs = false;
    JobRow job; // the row shown

    // The window's KillJob (actor, reason); after a confirmed Stop job.
    std::function<void(const QString&, const QString&)> killJob;
    // What Refresh does besides the job list (the lock window reloads its parameter page first).
    std::function<void()> beforeRefresh;
    // Whether Stop job refreshes the list also when its confirmation was cancelled (the lock window does).
    bool refreshAfterCancelledKill = false;

    void RefreshJobs();
    void btStartClick();
    void btStopClick();
    void btStopJobClick();
    void tiRefreshJobsTimer();

    // The kills of the two variants' KillJob: the classic job listed (broken, removed and its run's session ended) or
    // the scheduler job (stopped by force and disabled). The outcome is reported, and logged as STOP JOB only when
    // the run really ended; a server error is reported with nizKillJobNo.
    void killClassicJob(const QString& actor, const QString& reason);
    void killSchedulerJob(const QString& actor, const QString& reason);
    void reportKill(bool stopped, const QString& actor, const QString& reason);
    void reportKillError(const QString& serverMessage);
    // Asks before an action commits the main session while other windows hold work there.
    bool mayEndMainSession(const QString& action);

    db::Session& session() const;
    const ServerJobKind& kind() const { return kind_; }
    bool scheduler() const { return scheduler_; }

private:
    void log(const QString& action, const QString& actor, const QString& reason);

    const ServerJobKind& kind_;
    bool scheduler_;
    QWidget* window_;
};

} // namespace admin
