// The lock window's pages: the current locks and alarms, the lock log's history with its listings and counts, the
// locking parameters, and the results page.
#include "admin/LOCK.h"
#include "admin/lockhistory.h"
#include "admin/lockmessage.h"
#include "admin/lockparams.h"
#include "db/dataset.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "shell/Main.h"
#include "shell/dmuser.h"
#include "shell/gridutils.h"
#include "shell/themedgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTime>

#include <algorithm>

namespace admin {
QStyledItemDelegate* makePickListDelegate(int column, const QStringList& items, QObject* parent);
} // namespace admin

namespace {

db::Session& mainSession()
{
    return *fmMain->osOracle;
}

void notice(const QString& text, const QString& language, bool error = false)
{
    admin::ShowNotice(text, language, error);
}

} // namespace

// ---- results

void TfmLock::showResults(const QStringList& lines, bool rememberBack)
{
    static_cast<void>(rememberBack);
    meTmp->setPlainText(lines.join(QLatin1Char('\n')));
    pcList->setCurrentWidget(tabMemo);
}

// ---- current locks and alarms

db::DataSet* TfmLock::listDataSet() const
{
    return rbAlarm->isChecked() ? quVexo_alm : quList;
}

void TfmLock::setSemaphoreMode(bool semaphores)
{
    laUpor->setVisible(semaphores);
    edUpor->setVisible(semaphores);
    if (isVisible())
        RefreshSemAlm();
}

void TfmLock::RefreshSemAlm()
{
    if (!fmMain || !fmMain->osOracle || !fmMain->osOracle->connected())
        return;
    const bool alarms = rbAlarm->isChecked();
    db::DataSet* ds = alarms ? quVexo_alm : quList;
    ds->setSession(fmMain->osOracle);
    const admin::BoundSql q = alarms
        ? admin::alarmListQuery(edConn->text(), edTip->text(), edContent->text())
        : admin::semaphoreListQuery(edConn->text(), edUpor->text(), edTip->text(), edContent->text());
    try {
        ds->close();
        admin::applyBinds(*ds, q);
        ds->open();
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
        return;
    }
    if (dbgList->dataSet() != ds)
        dbgList->setDataSet(ds);
    shell::AdjustGridColumns(dbgList, 1, 40);
}

void TfmLock::btRefreshClick()
{
    panel->RefreshJobs();
    RefreshSemAlm();
}

void TfmLock::btListClick()
{
    if (!fmMain || !fmMain->osOracle)
        return;
    meTmp->clear();
    const bool alarms = rbAlarm->isChecked();
    QStringList lines;
    QString total;
    try {
        db::Query ask(&mainSession());
        ask.setSql(alarms ? QStringLiteral("begin\n   voxa.pcksemaphor.notifyShow;\nend;")
                          : QStringLiteral("begin\n   voxa.pcksemaphor.showAllSemaphor;\nend;"));
        ask.execute();
        db::Query quConnStevilo(&mainSession());
        quConnStevilo.setSql(admin::connectionCountQuery(alarms));
        quConnStevilo.execute();
        for (; !quConnStevilo.eof(); quConnStevilo.next())
            lines << QStringLiteral("conn:") + quConnStevilo.field(0).toString() + QStringLiteral(" : ")
                    + quConnStevilo.field(1).toString();
        quConnStevilo.close();
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
        return;
    }
    meTmp->setPlainText(lines.join(QLatin1Char('\n')));
    RefreshSemAlm();
    try {
        db::Query count(&mainSession());
        count.setSql(admin::totalCountQuery(alarms));
        count.execute();
        total = count.eof() ? QString() : count.field(0).toString();
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
    }
    laVseh->setText(total);
}

void TfmLock::btCloseConnClick()
{
    // The connection of the current row of the list the user chose.
    db::DataSet* ds = listDataSet();
    if (!ds->active() || ds->recordCount() == 0)
        return;
    const QString conn
        = ds->fieldValue(rbAlarm->isChecked() ? QStringLiteral("CONN") : QStringLiteral("CONN_SEM")).toString();
    if (conn.isEmpty())
        return;
    if (!admin::ConfirmAction(QStringLiteral("POTRDI BRISANJE POVEZAVE ") + conn + QStringLiteral(" !"), language))
        return;
    QString answer;
    try {
        db::Query q(&mainSession());
        q.setSql(QStringLiteral("begin \n  voxa.PCKSEMAPHOR.CLOSEALLCONN(:conn,:RETVRED);\nend;"));
        q.declareVariable(QStringLiteral("CONN"), db::BindType::String);
        q.declareVariable(QStringLiteral("RETVRED"), db::BindType::String, db::BindDirection::InOut);
        q.setVariable(QStringLiteral("CONN"), conn);
        q.execute();
        answer = q.getVariable(QStringLiteral("RETVRED")).toString();
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
        return;
    }
    if (answer != QLatin1String("OK")) {
        notice(QStringLiteral("Brisanje zaklepanja ni uspešno: %1").arg(answer), language, true);
        return;
    }
    erasedPending = mainSession().inTransaction();
    btRefreshClick();
    btListClick();
}

// ---- history

bool TfmLock::historyPrepared() const
{
    return dbgLog->isVisibleTo(tabHist) && quLog->active();
}

void TfmLock::LastLockTime()
{
    edLDate->setText(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    edTimeFrom->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    if (!fmMain || !fmMain->osOracle || !fmMain->osOracle->connected())
        return;
    for (const QString& text : admin::lastLockTimeQueries()) {
        try {
            db::Query quLastLockTime(&mainSession());
            quLastLockTime.setSql(text);
            quLastLockTime.execute();
            if (quLastLockTime.eof() || quLastLockTime.fieldIsNull(QStringLiteral("LDATE")))
                continue;
            edTimeFrom->setText(quLastLockTime.field(QStringLiteral("TIME")).toString() + QStringLiteral(":00"));
            edDatum->setText(quLastLockTime.field(QStringLiteral("LDATE")).toString());
            return;
        } catch (const db::OracleError& e) {
            notice(e.message(), language, true);
            return;
        }
    }
}

void TfmLock::btLRefreshClick()
{
    if (!fmMain || !fmMain->osOracle || !fmMain->osOracle->connected())
        return;
    admin::HistoryFilter f;
    f.alarms = rbLAlarm->isChecked();
    for (const auto& [code, box] : codeBoxes)
        if (box->isChecked() && (code.startsWith(QLatin1Char('A')) == f.alarms))
            f.checkedCodes << code;
    f.conn = edLConn->text();
    f.type = edLType->text();
    f.value = edLValue->text();
    f.user = edLUser->text();
    f.date = edLDate->text();
    f.timeFrom = edTimeFrom->text();
    f.timeTo = edTimeTo->text();
    f.minDuration = edLTraja->text();
    const admin::HistoryQuery q = admin::historyQuery(f, QDate::currentDate(), nizWrongDate);
    if (!q.error.isEmpty()) {
        notice(q.error, language, true);
        return;
    }
    quLog->setSession(fmMain->osOracle);
    try {
        quLog->close();
        admin::applyBinds(*quLog, q.query);
        quLog->open();
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
        return;
    }
    if (dbgLog->dataSet() != quLog)
        dbgLog->setDataSet(quLog);
    dbgLog->setVisible(true);
    shell::AdjustGridColumns(dbgLog, 1, 35);
}

void TfmLock::dbgLogDblClick()
{
    if (!quLog->active() || quLog->recordCount() == 0)
        return;
    edLValue->setText(admin::SplitLockMess(quLog->fieldValue(QStringLiteral("LOCKMESS")).toString()).value);
}

void TfmLock::spPrintClick()
{
    if (!historyPrepared()) {
        admin::ShowNotice(nizPrepare, language);
        return;
    }
    p_lastTab = tabList;
    QStringList lines = admin::printHeader();
    // Every row of the history, from the first whatever row the grid stands on.
    quLog->fetchAll();
    const int date = quLog->fieldIndex(QStringLiteral("LOCKDATE"));
    const int mess = quLog->fieldIndex(QStringLiteral("LOCKMESS"));
    const int resp = quLog->fieldIndex(QStringLiteral("LOCKRESP"));
    for (int row = 0; row < quLog->recordCount(); ++row)
        lines << admin::printLine(
            quLog->displayText(row, date), quLog->value(row, mess).toString(), quLog->value(row, resp).toString());
    showResults(lines, true);
}

void TfmLock::btListOpenClick()
{
    if (!historyPrepared()) {
        admin::ShowNotice(nizPrepare, language);
        return;
    }
    quLog->fetchAll();
    const int date = quLog->fieldIndex(QStringLiteral("LOCKDATE"));
    const int mess = quLog->fieldIndex(QStringLiteral("LOCKMESS"));
    std::vector<admin::LockLogRow> rows;
    rows.reserve(size_t(quLog->recordCount()));
    for (int row = 0; row < quLog->recordCount(); ++row)
        rows.push_back({ quLog->value(row, date).toDateTime(), quLog->displayText(row, date),
            quLog->value(row, mess).toString() });
    showResults(admin::openLockListing(std::move(rows)), false);
}

void TfmLock::btLogDeleteClick()
{
    if (!admin::ConfirmAction(QStringLiteral("POTRDI BRISANJE DATOTEKE LOGOV !"), language))
        return;
    if (!fmMain->confirmMainSessionEnd(this, btLogDelete->text().remove(QLatin1Char('&'))))
        return;
    const QDate day = QDate::fromString(edDateDelete->text().trimmed(), QStringLiteral("d.M.yyyy"));
    try {
        if (!day.isValid())
            throw db::OracleError(1858,
                QStringLiteral("ORA-01858: a non-numeric character was found where a "
                               "numeric was expected"));
        db::Query q(&mainSession());
        q.setSql(QStringLiteral("delete vexo_util.vexo_lock\nwhere lockDate<to_date(:datum, 'DD.MM.YYYY')"));
        q.declareVariable(QStringLiteral("DATUM"), db::BindType::String);
        q.setVariable(QStringLiteral("DATUM"), day.toString(QStringLiteral("dd.MM.yyyy")));
        q.execute();
    } catch (const db::OracleError&) {
        notice(nizWrongDate, language, true);
    }
    btLRefreshClick();
    try {
        mainSession().commit();
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
    }
}

void TfmLock::btTruncateTableClick()
{
    if (!admin::ConfirmAction(QStringLiteral("POTRDI BRISANJE DATOTEKE LOGOV !"), language))
        return;
    // TRUNCATE is DDL: it commits the main session.
    if (!fmMain->confirmMainSessionEnd(this, btTruncateTable->text().remove(QLatin1Char('&'))))
        return;
    try {
        db::Query q(&mainSession());
        q.setSql(QStringLiteral("truncate table vexo_util.vexo_lock"));
        q.execute();
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
        return;
    }
    btLRefreshClick();
}

void TfmLock::btDetStatClick()
{
    admin::PerMinuteFilter f;
    f.date = edDatum->text();
    f.fromHour = edOdUra->text();
    f.fromMinute = edOdMin->text();
    f.toHour = edDoUra->text();
    f.toMinute = edDoMin->text();
    f.number = edNr->text();
    f.atLeast = rbVecje->isChecked();
    f.semaphores = cbSemaphor->isChecked();
    f.alarms = cbAlarm->isChecked();
    const admin::HistoryQuery q = admin::perMinuteQuery(f, nizWrongDate, nizWrongNumber);
    if (!q.error.isEmpty()) {
        notice(q.error, language, true);
        return;
    }
    std::vector<std::pair<QString, qint64>> rows;
    try {
        db::Query quDetStat(&mainSession());
        admin::applyBinds(quDetStat, q.query);
        quDetStat.execute();
        for (; !quDetStat.eof(); quDetStat.next())
            rows.emplace_back(quDetStat.field(0).toString(), quDetStat.field(1).toLongLong());
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
        return;
    }
    p_lastTab = tabHist;
    showResults(admin::perMinuteLines(rows), true);
}

// ---- parameters

void TfmLock::pcListChange()
{
    if (pcList->currentWidget() != tabParam || !fmMain || !fmMain->osOracle || !fmMain->osOracle->connected())
        return;
    try {
        cbLockingMode->setCurrentText(admin::LoadLockParam(mainSession(), QLatin1String(admin::kLockingMode)));
        cbLockEnabled->setCurrentText(admin::LoadLockParam(mainSession(), QStringLiteral("LockEnabled")));
        cbAlarmEnabled->setCurrentText(admin::LoadLockParam(mainSession(), QStringLiteral("AlarmEnabled")));
        edDurationTime->setText(admin::LoadLockParam(mainSession(), QStringLiteral("aiLockingDurationTime")));
        edCleaningPeriod->setText(admin::LoadLockParam(mainSession(), QStringLiteral("aiLockingCleaningPeriod")));
        edPreserveLocks->setText(admin::LoadLockParam(mainSession(), QStringLiteral("aiLockingPreserveLocks")));
        edJob->setText(admin::jobQueueProcesses(mainSession()));
        // Locking modes edited and not saved stay as they are: reading the page again must not lose them.
        if (quLocking->active() && (quLocking->updatesPending() || !FLockingModeParams.isEmpty()))
            return;
        quLocking->setSession(fmMain->osOracle);
        quLocking->close();
        quLocking->open();
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
        return;
    }
    if (dbgLocking->dataSet() != quLocking)
        dbgLocking->setDataSet(quLocking);
    for (const char* hidden : { "ROWID", "SIFRA007", "WKSID107", "SIFRAX31", "SIFRA107" }) {
        const int field = quLocking->fieldIndex(QLatin1String(hidden));
        if (field >= 0)
            dbgLocking->setColumnHidden(field, true);
    }
    const int mode = quLocking->fieldIndex(QStringLiteral("VAL1_107"));
    if (mode >= 0)
        dbgLocking->setItemDelegateForColumn(mode,
            admin::makePickListDelegate(mode,
                { QStringLiteral("LockingModeNone"), QStringLiteral("LockingModeNew"),
                    QStringLiteral("LockingModeGuid") },
                dbgLocking));
    shell::AdjustGridColumns(dbgLocking, 1, 50);
    // The locking mode's column takes the longest mode of the pick list.
    if (mode >= 0)
        dbgLocking->setColumnWidth(mode,
            std::max(dbgLocking->columnWidth(mode),
                shell::GridTextWidth(dbgLocking->font(), QStringLiteral("LockingModeNone")) + 24));
}

void TfmLock::saveLockingModes()
{
    const int key = quLocking->fieldIndex(QStringLiteral("SIFRA107"));
    const int value = quLocking->fieldIndex(QStringLiteral("VAL1_107"));
    for (const QString& sifra : FLockingModeParams)
        for (int row = 0; row < quLocking->recordCount(); ++row)
            if (quLocking->value(row, key).toString() == sifra) {
                admin::SaveLockParamByKey(mainSession(), sifra.toLongLong(), quLocking->value(row, value).toString());
                break;
            }
    FLockingModeParams.clear();
}

void TfmLock::btSaveParamClick()
{
    if (!FdmUsers)
        return;
    try {
        if (!shell::TdmUsers::CanSaveParam(mainSession())) {
            notice(QStringLiteral("Za shranjevanje parametrov je potrebna prijava."), language);
            return;
        }
        if (quLocking->state() == db::DataSet::State::Edit)
            quLocking->post();
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
        return;
    }
    if (!fmMain->confirmMainSessionEnd(this, btSaveParam->text().remove(QLatin1Char('&'))))
        return;
    try {
        saveLockingModes();
        admin::SaveLockParam(mainSession(), QStringLiteral("LockEnabled"), cbLockEnabled->currentText());
        admin::SaveLockParam(mainSession(), QStringLiteral("AlarmEnabled"), cbAlarmEnabled->currentText());
        admin::SaveLockParam(mainSession(), QStringLiteral("aiLockingDurationTime"), edDurationTime->text());
        admin::SaveLockParam(mainSession(), QStringLiteral("aiLockingCleaningPeriod"), edCleaningPeriod->text());
        admin::SaveLockParam(mainSession(), QStringLiteral("aiLockingPreserveLocks"), edPreserveLocks->text());
        mainSession().commit();
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
        return;
    }
    // The saved modes are in the table now: the grid's own cached copy goes with the reload.
    quLocking->cancelUpdates();
    pcListChange();
}

bool TfmLock::edDurationTimeExit()
{
    const QString text = edDurationTime->text();
    if (admin::validLockDuration(text))
        return true;
    bool number = false;
    text.trimmed().toInt(&number);
    QString message = QStringLiteral("Minimalni čas zaklepanja je 10 minut");
    if (!number)
        message += QStringLiteral("\nEConvertError: '") + text + QStringLiteral("' is not a valid integer value");
    notice(message, language, true);
    edDurationTime->setFocus();
    return false;
}

void TfmLock::btChangeJobClick()
{
    try {
        admin::setJobQueueProcesses(mainSession(), edJob->text());
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
    }
    try {
        edJob->setText(admin::jobQueueProcesses(mainSession()));
    } catch (const db::OracleError& e) {
        notice(e.message(), language, true);
    }
    pcListChange();
}
