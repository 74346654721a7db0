// The audit window.
#include "admin/audit.h"

#include "admin/auditlogic.h"
#include "db/oracleerror.h"
#include "db/session.h"
#include "shell/Main.h"
#include "shell/dmuser.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTextOption>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace admin {
QPointer<TfmAudit> fmAudit;
} // namespace admin

namespace {

db::Session& mainSession()
{
    return *fmMain->osOracle;
}

template <typename W> W* named(W* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

} // namespace

TfmAudit::TfmAudit(QWidget* parent)
    : TfmAudit(parent, false)
{
}

TfmAudit::TfmAudit(QWidget* parent, bool schedulerJobs)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("fmAudit"));
    setWindowTitle(QStringLiteral("AUDITING"));
    panel = new admin::ServerJobPanel(admin::auditServer(), schedulerJobs, this);
    btStart = panel->btStart;
    btStop = panel->btStop;
    btJobRefresh = panel->btJobRefresh;
    btStopJob = panel->btStopJob;
    btExit = panel->btExit;
    dbeJob = panel->dbeJob;
    dbeUser = panel->dbeUser;
    dbeStart = panel->dbeStart;
    dbeBroken = panel->dbeBroken;
    dbeWhat = panel->dbeWhat;
    laJob = panel->laJob;
    laUser = panel->laUser;
    laStartDate = panel->laStartDate;
    laBroken = panel->laBroken;
    laJobFailure = panel->laJobFailure;
    panel->killJob = [this](const QString& actor, const QString& reason) { KillJob(actor, reason); };

    laParam = named(new QLabel(this), "laParam");
    cbAudit = named(new QComboBox(this), "cbAudit");
    cbAudit->setEditable(true);
    cbAudit->addItems({ QStringLiteral("TRUE"), QStringLiteral("FALSE") });
    cbAudit->setMinimumWidth(120);
    btChangeAudit = named(new QPushButton(this), "btChangeAudit");
    meAudit = named(new QPlainTextEdit(this), "meAudit");
    meAudit->setReadOnly(true);
    meAudit->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    meAudit->setFont(mono);
    laEnabled = named(new QLabel(QStringLiteral("Enabled Audit Triggers : "), this), "laEnabled");
    laDisabled = named(new QLabel(QStringLiteral("Disabled  Audit Triggers : "), this), "laDisabled");
    laEnabledTriggers = named(new QLabel(this), "laEnabledTriggers");
    laDisabledTriggers = named(new QLabel(this), "laDisabledTriggers");
    for (QLabel* l : { laEnabledTriggers, laDisabledTriggers }) {
        l->setMinimumWidth(40);
        l->setStyleSheet(QStringLiteral("font-weight: bold;"));
    }
    btEnableTrigg = named(new QPushButton(QStringLiteral("Enable Triggers"), this), "btEnableTrigg");
    btDisableTrigg = named(new QPushButton(QStringLiteral("Disable Triggers"), this), "btDisableTrigg");
    btRefresh = named(new QPushButton(this), "btRefresh");
    for (QPushButton* b : { btChangeAudit, btEnableTrigg, btDisableTrigg, btRefresh })
        b->setAutoDefault(false);

    auto* param = new QHBoxLayout;
    param->addWidget(laParam);
    param->addWidget(cbAudit);
    param->addWidget(btChangeAudit);
    param->addStretch(1);
    param->addWidget(btRefresh);
    auto* triggers = new QGridLayout;
    triggers->addWidget(laEnabled, 0, 0);
    triggers->addWidget(laEnabledTriggers, 0, 1);
    triggers->addWidget(btEnableTrigg, 0, 2);
    triggers->addWidget(laDisabled, 1, 0);
    triggers->addWidget(laDisabledTriggers, 1, 1);
    triggers->addWidget(btDisableTrigg, 1, 2);
    triggers->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(panel);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 4, 8, 8);
    body->addLayout(param);
    body->addWidget(meAudit, 1);
    body->addLayout(triggers);
    layout->addLayout(body, 1);

    connect(btChangeAudit, &QPushButton::clicked, this, [this] { btChangeAuditClick(); });
    connect(btRefresh, &QPushButton::clicked, this, [this] { btRefreshClick(); });
    connect(btEnableTrigg, &QPushButton::clicked, this, [this] { SetAuditTriggers(QStringLiteral("ENABLE")); });
    connect(btDisableTrigg, &QPushButton::clicked, this, [this] { SetAuditTriggers(QStringLiteral("DISABLE")); });

    setLanguageTexts();
    FdmUser = std::make_unique<shell::TdmUsers>();
    resize(900, 560);
}

TfmAudit::~TfmAudit() = default;

void TfmAudit::setLanguageTexts()
{
    language = fmMain ? fmMain->currLanguage : QString();
    const bool slo = language == QLatin1String("SLO");
    admin::ServerJobPanel& p = *panel;
    p.language = language;
    const QString user = fmMain ? fmMain->connUser : QString();
    p.nizStartGrant = QStringLiteral("User ") + user + QStringLiteral(" need EXECUTE ANY PROCEDURE privilegee");
    p.nizStartError = QStringLiteral("Cannot start audit server !");
    p.nizStopError = QStringLiteral("Cannot stop audit server !");
    p.nizKillUser = QStringLiteral("JOB CAN BE STOP ONLY BY USER, WHO CREATE IT !");
    p.nizKillJobYes = QStringLiteral("JOB IS STOPPED !");
    p.nizKillJobNo = QStringLiteral("JOB IS NOT STOPPED !");
    nizParamMissing = QStringLiteral("The auditing parameter (Auditing) is not in VOXA.PR107PAR: nothing was saved.");
    laParam->setText(QStringLiteral("Auditing param:"));
    btChangeAudit->setText(QStringLiteral("Change"));
    btRefresh->setText(QStringLiteral("&Refresh"));
    if (!slo)
        return;
    p.nizStartGrant = QStringLiteral("Uporabnik ") + user + QStringLiteral(" potrebuje EXECUTE ANY PROCEDURE pravico");
    p.nizStartError = QStringLiteral("AUDIT zagon NEUSPEŠEN !");
    p.nizStopError = QStringLiteral("Ustavljanje auditiranja NEUSPEŠNO !");
    p.nizKillUser = QStringLiteral("PROCESS LAHKO USTAVI SAMO UPORABNIK, KI GA JE KREIRAL !");
    p.nizKillJobYes = QStringLiteral("PROCES USTAVLJEN!");
    p.nizKillJobNo = QStringLiteral("PROCES NI USTAVLJEN !");
    nizParamMissing = QStringLiteral("Parametra Auditing ni v VOXA.PR107PAR: nič ni shranjeno.");
    btStart->setText(QStringLiteral("Start AUDITINGA"));
    btStop->setText(QStringLiteral("Stop AUDITINGA"));
    laJob->setText(QStringLiteral("OPRAVILO:"));
    laUser->setText(QStringLiteral("Uporabnik :"));
    laBroken->setText(QStringLiteral("Ukinjen :"));
    btJobRefresh->setText(QStringLiteral("Osveži"));
    btStopJob->setText(QStringLiteral("Nasilno ustavi"));
    btExit->setText(QStringLiteral("&Izhod"));
    laParam->setText(QStringLiteral("Audit parameter:"));
    btChangeAudit->setText(QStringLiteral("Spremeni"));
    btRefresh->setText(QStringLiteral("&Osveži"));
}

bool TfmAudit::event(QEvent* e)
{
    const bool r = QWidget::event(e);
    if (activation.activates(e))
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !QApplication::activeModalWidget())
                FormActivate();
        });
    return r;
}

void TfmAudit::FormActivate()
{
    if (!fmMain || !fmMain->osOracle || !fmMain->osOracle->connected())
        return;
    setWindowTitle(QStringLiteral("AUDIT ") + fmMain->connUser + QLatin1Char('@') + fmMain->connServer);
    laJobFailure->setText(QString());
    if (fmMain->currMoreInstall) {
        try {
            admin::setAuditUser(mainSession(), fmMain->connUser);
        } catch (const db::OracleError& e) {
            admin::ShowNotice(e.message(), language, true);
        }
    }
    LoadAuditingParam();
    btRefreshClick();
    panel->RefreshJobs();
    CountAuditTriggers();
}

void TfmAudit::LoadAuditingParam()
{
    try {
        cbAudit->setCurrentText(admin::loadAuditingParam(mainSession()).value_or(QString()));
    } catch (const db::OracleError& e) {
        admin::ShowNotice(e.message(), language, true);
    }
}

void TfmAudit::btChangeAuditClick()
{
    if (!FdmUser)
        return;
    try {
        if (!shell::TdmUsers::CanSaveParam(mainSession())) {
            admin::ShowNotice(QStringLiteral("Za shranjevanje parametrov je potrebna prijava."), language);
            return;
        }
    } catch (const db::OracleError& e) {
        admin::ShowNotice(e.message(), language, true);
        return;
    }
    if (!fmMain->confirmMainSessionEnd(this, btChangeAudit->text().remove(QLatin1Char('&'))))
        return;
    try {
        if (admin::saveAuditingParam(mainSession(), cbAudit->currentText()) == 0) {
            // The value typed stays in the box: the user learns it was not saved.
            admin::ShowNotice(nizParamMissing, language, true);
            return;
        }
        mainSession().commit();
    } catch (const db::OracleError& e) {
        admin::ShowNotice(e.message(), language, true);
    }
}

void TfmAudit::btRefreshClick()
{
    QStringList lines;
    try {
        lines = admin::auditTableListing(mainSession());
    } catch (const db::OracleError& e) {
        admin::ShowNotice(e.message(), language, true);
    }
    // The listing's fields are each followed by two tabs: tab stops placed after the widest audit table and the
    // widest table line them up in columns.
    const QFontMetrics metrics(meAudit->font());
    const int gap = metrics.horizontalAdvance(QStringLiteral("  "));
    int first = 0, second = 0;
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        first = std::max(first, metrics.horizontalAdvance(fields.value(0)));
        if (fields.size() > 2)
            second = std::max(second, metrics.horizontalAdvance(fields.at(1)));
    }
    QTextOption option = meAudit->document()->defaultTextOption();
    const qreal p1 = first + gap, p2 = p1 + gap, p3 = p2 + second + gap, p4 = p3 + gap;
    option.setTabs({ QTextOption::Tab(p1, QTextOption::LeftTab), QTextOption::Tab(p2, QTextOption::LeftTab),
        QTextOption::Tab(p3, QTextOption::LeftTab), QTextOption::Tab(p4, QTextOption::LeftTab) });
    meAudit->document()->setDefaultTextOption(option);
    meAudit->setPlainText(lines.join(QLatin1Char('\n')));
}

void TfmAudit::CountAuditTriggers()
{
    laEnabledTriggers->clear();
    laDisabledTriggers->clear();
    try {
        const admin::TriggerCounts c = admin::countAuditTriggers(mainSession());
        laEnabledTriggers->setText(c.enabled);
        laDisabledTriggers->setText(c.disabled);
    } catch (const db::OracleError& e) {
        admin::ShowNotice(e.message(), language, true);
    }
}

void TfmAudit::SetAuditTriggers(const QString& action)
{
    // ALTER TRIGGER is DDL: it commits the main session.
    if (!fmMain->confirmMainSessionEnd(
            this, (action == QLatin1String("ENABLE") ? btEnableTrigg : btDisableTrigg)->text()))
        return;
    try {
        admin::setAuditTriggers(mainSession(), action);
    } catch (const db::OracleError& e) {
        admin::ShowNotice(e.message(), language, true);
        return;
    }
    CountAuditTriggers();
}

void TfmAudit::KillJob(const QString& actor, const QString& reason)
{
    panel->killClassicJob(actor, reason);
}

TfmAuditOra19::TfmAuditOra19(QWidget* parent)
    : TfmAudit(parent, true)
{
    setObjectName(QStringLiteral("fmAuditOra19"));
}

void TfmAuditOra19::KillJob(const QString& actor, const QString& reason)
{
    panel->killSchedulerJob(actor, reason);
}
