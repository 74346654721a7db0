// The job panel of the lock and audit windows.
#include "admin/jobpanel.h"

#include "db/oracleerror.h"
#include "db/session.h"
#include "shell/Main.h"
#include "shell/confirm.h"
#include "shell/localmessagedlg.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace admin {

void ShowNotice(const QString& text, const QString& language, bool error)
{
    shell::LocalMessageDlg(text, error ? shell::MsgDlgType::mtError : shell::MsgDlgType::mtInformation,
        shell::MsgDlgBtn::mbOK, 0, language);
}

bool ConfirmAction(const QString& question, const QString& language)
{
    return shell::LocalMessageDlg(question, shell::MsgDlgType::mtConfirmation, shell::MsgDlgBtn::mbYesNo, 0, language)
        == shell::mrYes;
}

bool ActivationWatch::activates(const QEvent* e)
{
    if (e->type() == QEvent::WindowDeactivate) {
        lostToDialog = QApplication::activeModalWidget() != nullptr;
        return false;
    }
    if (e->type() != QEvent::WindowActivate)
        return false;
    const bool fromDialog = lostToDialog;
    lostToDialog = false;
    return !fromDialog && !QApplication::activeModalWidget();
}

namespace {

QLineEdit* readOnlyEdit(const char* name, int maxLength, QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(true);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

QLabel* label(const char* name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QPushButton* button(const char* name, const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

ServerJobPanel::ServerJobPanel(const ServerJobKind& kind, bool scheduler, QWidget* window)
    : QWidget(window)
    , kind_(kind)
    , scheduler_(scheduler)
    , window_(window)
{
    setObjectName(QStringLiteral("paJob"));
    const bool lock = kind.schedulerName == QLatin1String("LOCK_JOB");
    laJob = label("laJob", QStringLiteral("JOB : "), this);
    laUser = label("laUser", QStringLiteral("User : "), this);
    laStartDate = label("laStartDate", QStringLiteral("Start Date: "), this);
    laBroken = label("laBroken",
        scheduler ? (lock ? QStringLiteral("State:") : QStringLiteral("State :")) : QStringLiteral("Broken :"), this);
    laJobFailure = label("laJobFailure", QStringLiteral("FAILURES"), this);
    laJobFailure->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    dbeJob = readOnlyEdit("dbeJob", scheduler ? 30 : 0, this);
    dbeUser = readOnlyEdit("dbeUser", 30, this);
    dbeStart = readOnlyEdit("dbeStart", 0, this);
    dbeBroken = readOnlyEdit("dbeBroken", scheduler ? 15 : 1, this);
    dbeWhat = readOnlyEdit("dbeWhat", 4000, this);
    btStart = button(
        "btStart", lock ? QStringLiteral("&Start Semaphor Server") : QStringLiteral("&Start Audit Server"), this);
    btStop
        = button("btStop", lock ? QStringLiteral("&Stop Semaphor Server") : QStringLiteral("&Stop Audit Server"), this);
    btJobRefresh = button("btJobRefresh", QStringLiteral("Refresh"), this);
    btStopJob = button("btStopJob", QStringLiteral("Stop job"), this);
    btExit = button("btExit", lock ? QStringLiteral("Exit") : QStringLiteral("&Exit"), this);
    tiRefreshJobs = new QTimer(this);
    tiRefreshJobs->setObjectName(QStringLiteral("tiRefreshJobs"));
    tiRefreshJobs->setInterval(500);
    tiRefreshJobs->setSingleShot(false);

    auto* grid = new QGridLayout;
    grid->addWidget(laJob, 0, 0);
    grid->addWidget(dbeJob, 0, 1);
    grid->addWidget(laUser, 0, 2);
    grid->addWidget(dbeUser, 0, 3);
    grid->addWidget(laStartDate, 0, 4);
    grid->addWidget(dbeStart, 0, 5);
    grid->addWidget(laBroken, 0, 6);
    grid->addWidget(dbeBroken, 0, 7);
    grid->addWidget(dbeWhat, 1, 0, 1, 7);
    grid->addWidget(laJobFailure, 1, 7);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 2);
    grid->setColumnStretch(5, 3);
    grid->setColumnStretch(7, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : { btStart, btStop, btJobRefresh, btStopJob })
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(btExit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 4);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(btStart, &QPushButton::clicked, this, [this] { btStartClick(); });
    connect(btStop, &QPushButton::clicked, this, [this] { btStopClick(); });
    connect(btJobRefresh, &QPushButton::clicked, this, [this] {
        if (beforeRefresh)
            beforeRefresh();
        RefreshJobs();
    });
    connect(btStopJob, &QPushButton::clicked, this, [this] { btStopJobClick(); });
    connect(btExit, &QPushButton::clicked, window, &QWidget::close);
    connect(tiRefreshJobs, &QTimer::timeout, this, [this] { tiRefreshJobsTimer(); });
}

db::Session& ServerJobPanel::session() const
{
    return *fmMain->osOracle;
}

bool ServerJobPanel::mayEndMainSession(const QString& action)
{
    return !fmMain || fmMain->confirmMainSessionEnd(window_, action);
}

void ServerJobPanel::RefreshJobs()
{
    if (FbRefreshingJobs)
        return;
    FbRefreshingJobs = true;
    try {
        job = readJob(session(), kind_, scheduler_);
    } catch (const db::OracleError& e) {
        job = JobRow();
        ShowNotice(e.message(), language, true);
    }
    FbRefreshingJobs = false;
    dbeJob->setText(job.job);
    dbeUser->setText(job.user);
    dbeStart->setText(job.start);
    dbeBroken->setText(job.broken);
    dbeWhat->setText(job.what);
    for (QLineEdit* e : { dbeJob, dbeUser, dbeStart, dbeBroken, dbeWhat })
        e->setCursorPosition(0);
}

void ServerJobPanel::log(const QString& action, const QString& actor, const QString& reason)
{
    try {
        logJobAction(session(), kind_, action, actor, reason);
    } catch (const db::OracleError& e) {
        ShowNotice(e.message(), language, true);
    }
}

void ServerJobPanel::btStartClick()
{
    const QString user = fmMain ? fmMain->connUser : QString();
    try {
        if (!mayStartServer(session(), user)) {
            ShowNotice(nizStartGrant, language);
            return;
        }
    } catch (const db::OracleError& e) {
        ShowNotice(e.message(), language, true);
        return;
    }
    const shell::TConfirmOutput confirm = shell::TdlgConfirm::GetConfirmation(false);
    if (!confirm.Confirm)
        return;
    if (mayEndMainSession(btStart->text().remove(QLatin1Char('&')))) {
        try {
            if (!startServer(session(), kind_, scheduler_))
                ShowNotice(nizStartError, language, true);
            else
                log(QStringLiteral("START"), confirm.SurnameName, confirm.Reason);
        } catch (const db::OracleError&) {
            ShowNotice(nizStartError, language, true);
        }
    }
    tiRefreshJobs->start();
}

void ServerJobPanel::btStopClick()
{
    const shell::TConfirmOutput confirm = shell::TdlgConfirm::GetConfirmation(true);
    if (!confirm.Confirm)
        return;
    if (mayEndMainSession(btStop->text().remove(QLatin1Char('&')))) {
        bool stopped = true;
        try {
            stopServer(session(), kind_, scheduler_);
        } catch (const db::OracleError&) {
            stopped = false;
        }
        // The stop is logged once the shutdown was asked for; a failed call says so.
        if (stopped)
            log(QStringLiteral("STOP"), confirm.SurnameName, confirm.Reason);
        else
            ShowNotice(nizStopError, language, true);
    }
    tiRefreshJobs->start();
}

void ServerJobPanel::btStopJobClick()
{
    if (dbeJob->text().isEmpty())
        return;
    const QString user = fmMain ? fmMain->connUser : QString();
    if (user != dbeUser->text()) {
        ShowNotice(nizKillUser, language);
        return;
    }
    const shell::TConfirmOutput confirm = shell::TdlgConfirm::GetConfirmation(true);
    if (confirm.Confirm) {
        if (mayEndMainSession(btStopJob->text().remove(QLatin1Char('&'))) && killJob)
            killJob(confirm.SurnameName, confirm.Reason);
    } else if (!refreshAfterCancelledKill) {
        return;
    }
    tiRefreshJobs->start();
}

void ServerJobPanel::killClassicJob(const QString& actor, const QString& reason)
{
    try {
        reportKill(admin::killClassicJob(session(), dbeJob->text()), actor, reason);
    } catch (const db::OracleError& e) {
        reportKillError(e.message());
    }
}

void ServerJobPanel::killSchedulerJob(const QString& actor, const QString& reason)
{
    try {
        reportKill(admin::killSchedulerJob(session(), kind_), actor, reason);
    } catch (const db::OracleError& e) {
        reportKillError(e.message());
    }
}

void ServerJobPanel::reportKill(bool stopped, const QString& actor, const QString& reason)
{
    if (!stopped) {
        ShowNotice(nizKillJobNo, language, true);
        return;
    }
    ShowNotice(nizKillJobYes, language);
    log(QStringLiteral("STOP JOB"), actor, reason);
}

void ServerJobPanel::reportKillError(const QString& serverMessage)
{
    ShowNotice(serverMessage + QStringLiteral("\n") + nizKillJobNo, language, true);
}

void ServerJobPanel::tiRefreshJobsTimer()
{
    RefreshJobs();
    tiRefreshJobs->stop();
}

} // namespace admin
