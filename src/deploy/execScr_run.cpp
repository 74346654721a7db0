// TfmScript: the execute page. The statement list of the current script, and the runs: Execute All over the "N"
// rows in counter order (read a batch at a time), Execute Current Script, each statement directly or on the
// statement thread, with its status and outcome written and committed right after it.
#include "deploy/execScr.h"

#include "db/dataset.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "deploy/execthread.h"
#include "shell/Main.h"
#include "shell/gridutils.h"
#include "shell/localmessagedlg.h"
#include "shell/sqleditor.h"
#include "shell/themedgrid.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <cstdio>

namespace {

// Statement texts shorter than this come from the list's data set; longer ones are read again by ROWID.
constexpr int longTextThreshold = 1900;
// Rows a run reads at a time: a run of any length keeps no more than this in memory.
constexpr int runBatch = 100;
// How often a run of short statements lets the window paint and take Stop.
constexpr int pumpIntervalMs = 40;

const QString kNoStatement = QStringLiteral("\"#$%&/");

} // namespace

void TfmScript::postaviSkripte()
{
    quSkripte->setSql(deploy::skripteSql(p_owner));
    quFind->setSql(deploy::findSql(p_owner));
    fillScriptList();
}

deploy::ScriptFilter TfmScript::listFilter() const
{
    deploy::ScriptFilter f;
    f.lastnik = ownerOrStar();
    f.skripta = mainWindow ? mainWindow->currentScript : QString();
    f.stat = QString(typeLetter(cbShowType));
    f.napaka = edNapaka->text().isEmpty() ? QStringLiteral("A") : edNapaka->text().toUpper();
    f.filter = edFilter->text().trimmed().isEmpty() ? QStringLiteral("A") : edFilter->text();
    return f;
}

void TfmScript::tbRunClick()
{
    showPage(tabExec, true);
    btRefreshClick();
}

void TfmScript::btRefreshClick()
{
    if (!osOracle)
        return;
    lastFilter = listFilter();
    quSkripte->close();
    zadnjaSkripta = kNoStatement;
    if (!lastFilter.skripta.isEmpty()) {
        deploy::bindFilter(*quSkripte, lastFilter);
        try {
            quSkripte->open();
            shell::AdjustGridColumns(dbgSkripte, 1, 40);
        } catch (const db::OracleError& e) {
            showDbError(e.message());
        }
    }
    napolniSkriptoIzTabele();
}

void TfmScript::cbAllScriptsClick()
{
    const QString name = cbAllScripts->currentText().trimmed().toUpper();
    cbAllScripts->setEditText(name);
    if (mainWindow)
        mainWindow->currentScript = name;
    if (pcExec->currentWidget() == tabOpenFile)
        return;
    if (typeLetter(cbShowType) == QLatin1Char('N')) {
        ignoreTypeChange = true;
        setTypeEntry(cbShowType, QLatin1Char('A'));
        ignoreTypeChange = false;
    }
    tbRunClick();
}

deploy::ScriptRow TfmScript::currentRow() const
{
    deploy::ScriptRow row;
    if (!quSkripte->active() || quSkripte->recNo() == 0)
        return row;
    const int rowid = quSkripte->rowidField();
    row.rowId = quSkripte->fieldValue(rowid >= 0 ? rowid : quSkripte->fieldIndex(QStringLiteral("ROWID"))).toString();
    row.name = quSkripte->fieldValue(QStringLiteral("SCRIPT_NAME")).toString();
    row.counter = quSkripte->fieldValue(QStringLiteral("SCRIPT_COUNTER")).toInt();
    row.text = quSkripte->fieldValue(QStringLiteral("SCRIPT_CONT")).toString();
    if (row.text.size() >= longTextThreshold && osOracle) {
        try {
            const QString whole = deploy::statementText(*osOracle, row.rowId);
            if (!whole.isNull())
                row.text = whole;
        } catch (const db::OracleError&) {
            // The text of the list stays.
        }
    }
    return row;
}

void TfmScript::napolniSkriptoIzTabele()
{
    if (!quSkripte->active() || quSkripte->recNo() == 0) {
        if (zadnjaSkripta != kNoStatement || !meLong->text().isEmpty()) {
            meLong->clear();
            zadnjaSkripta = kNoStatement;
        }
        shownRowId.clear();
        return;
    }
    const QString key = quSkripte->fieldValue(quSkripte->rowidField()).toString();
    if (key == zadnjaSkripta)
        return;
    const deploy::ScriptRow row = currentRow();
    zadnjaSkripta = key;
    shownRowId = row.rowId;
    meLong->setText(row.text);
    tekocaScr = row.text;
}

void TfmScript::enDisButtons(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*> { spExecOne, spExecAllScript, btRefresh, cbShowType, sbNeizvedeno,
             spDelete, spDeleteAll, cbAllScripts, dbgSkripte, tbOpenF, tbSearch, tbStat, tbDeleteMore, spFltScript, cbStat,
             btScriptPut })
        w->setEnabled(on);
    if (on)
        btScriptPut->setEnabled(meVse->lines() > 0 && !meVse->text().isEmpty());
    meLong->setReadOnly(!on);
    btStop->setEnabled(!on);
}

void TfmScript::showRunView(bool on)
{
    swExec->setCurrentWidget(on ? paRun : static_cast<QWidget*>(dbgSkripte));
    meLong->setVisible(!on);
}

void TfmScript::btStopClick()
{
    konec = true;
}

deploy::ExecutionOutcome TfmScript::runOnThread(const QString& sql)
{
    quDyn->setSql(sql);
    threadNadaljuj = false;
    threadsqlNapaka = false;
    threadSQLErr.clear();
    thread = std::make_unique<TExecSqlThread>(quDyn, osOracle, this);
    const quint64 generation = ++threadGeneration;
    // The completion arrives as a queued call; one of an earlier statement that comes late changes nothing.
    connect(thread.get(), &TExecSqlThread::DeloKoncano, this, [this, generation] {
        if (generation == threadGeneration)
            threadNadaljuj = true;
    }, Qt::QueuedConnection);
    thread->start(QThread::LowestPriority);
    // The window stays alive (progress, Stop) while the statement runs.
    while (!thread->wait(QDeadlineTimer(20)))
        QCoreApplication::processEvents();
    thread->wait();
    const deploy::ExecutionOutcome outcome = thread->outcome();
    thread.reset();
    threadNadaljuj = true;
    threadsqlNapaka = !outcome.ok;
    threadSQLErr = outcome.message;
    quDyn->close();
    return outcome;
}

deploy::RowOutcome TfmScript::runStatement(const QString& statement, const deploy::StatementDirective& directive)
{
    QString sql = statement;
    if (directive.kind == deploy::StatementDirective::Kind::PlSqlFile) {
        // The same on both paths: the file must exist, and in the several-installations mode its schema names are
        // those of the installation.
        const std::optional<QString> file = deploy::findPlSqlFile(directive.argument, edDir->text().trimmed());
        const std::optional<QString> content = file ? deploy::readPlSqlFile(*file) : std::nullopt;
        if (!content)
            return deploy::missingFileOutcome(directive.argument, texts.nizDoesntExist);
        sql = deploy::f_pocistiNiz(*content);
        if (mainWindow && mainWindow->currMoreInstall)
            sql = mainWindow->zamenjave(sql, QStringLiteral("SKRIPTA"));
    }
    if (cbThread->isChecked())
        return deploy::statementOutcome(deploy::ExecutionPath::Thread, runOnThread(sql), sql);
    quDyn->setSql(sql);
    const deploy::ExecutionOutcome outcome = deploy::executeWithRetries([this] { quDyn->execute(); });
    quDyn->close();
    return deploy::statementOutcome(deploy::ExecutionPath::Direct, outcome, sql);
}

bool TfmScript::recordOutcome(const QString& rowId, const deploy::RowOutcome& outcome)
{
    try {
        deploy::writeOutcome(*osOracle, rowId, outcome.stat, outcome.err);
        osOracle->commit();
        setPendingReset(false);
    } catch (const db::OracleError& e) {
        showDbError(e.message());
        return false;
    }
    return true;
}

bool TfmScript::ExecScript(const deploy::ScriptRow& row)
{
    if (row.name.isEmpty())
        return true;
    const deploy::StatementDirective directive = deploy::parseDirective(row.text);
    deploy::RowOutcome outcome;
    if (directive.kind == deploy::StatementDirective::Kind::Enable
        || directive.kind == deploy::StatementDirective::Kind::Disable) {
        const bool enable = directive.kind == deploy::StatementDirective::Kind::Enable;
        QStringList errors;
        try {
            errors = deploy::enableDisable(*osOracle,
                deploy::foreignKeyTarget(directive.argument, mainWindow ? mainWindow->connUser : QString()),
                enable ? QStringLiteral("ENABLE") : QStringLiteral("DISABLE"));
        } catch (const db::OracleError& e) {
            errors << e.message();
        }
        outcome = deploy::enableDisableOutcome(errors);
    } else {
        outcome = runStatement(row.text, directive);
    }
    if (!recordOutcome(row.rowId, outcome))
        return false;
    return outcome.result;
}

void TfmScript::refreshCurrentRow()
{
    if (!quSkripte->active() || quSkripte->recNo() == 0)
        return;
    try {
        quSkripte->refreshRecord();
    } catch (const db::OracleError&) {
        // The row is shown as it was.
    }
    zadnjaSkripta = kNoStatement;
    napolniSkriptoIzTabele();
}

void TfmScript::spExecOneClick()
{
    if (runAtWork || !osOracle)
        return;
    const deploy::ScriptRow row = currentRow();
    if (row.name.isEmpty())
        return;
    if (!mayEndMainSession(texts.spExecOne))
        return;
    runAtWork = true;
    enDisButtons(false);
    const bool ok = ExecScript(row);
    enDisButtons(true);
    runAtWork = false;
    refreshCurrentRow();
    message(ok ? texts.nizOneOk : texts.nizOneNok,
        int(ok ? shell::MsgDlgType::mtInformation : shell::MsgDlgType::mtError));
    if (closeAfterRun)
        close();
}

void TfmScript::showRunProgress(const deploy::ScriptRow& row, int runNo, qint64 toExecute)
{
    meTekocaSkripta->setPlainText(row.text);
    laCurrent->setText(QString::number(runNo));
    laScriptNumber->setText(QString::number(row.counter));
    // What is still to run, this one included.
    laToExecute->setText(QString::number(std::max<qint64>(0, toExecute - runNo + 1)));
}

void TfmScript::spExecAllScriptClick()
{
    if (runAtWork || !osOracle || !mainWindow)
        return;
    if (mainWindow->currentScript.isEmpty()) {
        message(texts.nizEnterScript, int(shell::MsgDlgType::mtWarning));
        return;
    }
    const bool unattended = p_auto;
    if (!mayEndMainSession(texts.spExecAllScript)) {
        p_napaka = true;
        mainWindow->pExecuteScriptNapaka = true;
        return;
    }
    runAtWork = true;
    konec = false;
    enDisButtons(false);
    ignoreTypeChange = true;
    setTypeEntry(cbShowType, QLatin1Char('N'));
    ignoreTypeChange = false;
    deploy::ScriptFilter f = listFilter();
    f.stat = QStringLiteral("N");
    lastFilter = f;
    showRunView(true);
    qint64 toExecute = 0;
    try {
        toExecute = deploy::countToExecute(*osOracle, f);
    } catch (const db::OracleError& e) {
        showDbError(e.message());
    }
    laCurrent->setText(QStringLiteral("0"));
    laErrors->setText(QStringLiteral("0"));
    laScriptNumber->setText(QString());
    laToExecute->setText(QString::number(toExecute));

    QElapsedTimer pumpClock;
    deploy::ScriptRow last;
    int after = 0;
    int runNo = 0;
    int errors = 0;
    bool broke = false;
    while (!konec && !broke) {
        std::vector<deploy::ScriptRow> batch;
        try {
            batch = deploy::pendingRows(*osOracle, f, after, runBatch);
        } catch (const db::OracleError& e) {
            showDbError(e.message());
            ++errors;
            break;
        }
        if (batch.empty())
            break;
        for (const deploy::ScriptRow& row : batch) {
            after = row.counter;
            ++runNo;
            // The window shows the statement and is served (painted, Stop taken) a few times a second: showing each
            // of many short statements would cost more than running them. A statement on the thread is always
            // shown, and the window is served while it runs.
            if (cbThread->isChecked() || !pumpClock.isValid() || pumpClock.elapsed() >= pumpIntervalMs) {
                showRunProgress(row, runNo, toExecute);
                QCoreApplication::processEvents();
                pumpClock.start();
            }
            if (konec) {
                --runNo;
                break;
            }
            const bool ok = ExecScript(row);
            last = row;
            if (ok)
                continue;
            laErrors->setText(QString::number(++errors));
            showRunProgress(row, runNo, toExecute);
            if (cbStopOnError->isChecked()) {
                konec = true;
                broke = true;
                if (cbMess->isChecked())
                    message(mainWindow->nizError + QStringLiteral(":") + QStringLiteral("\r\n\r\n") + row.text,
                        int(shell::MsgDlgType::mtConfirmation), shell::MsgDlgBtn::mbYes);
                break;
            }
        }
    }
    if (!last.name.isEmpty())
        showRunProgress(last, runNo, toExecute);
    laToExecute->setText(QString::number(std::max<qint64>(0, toExecute - runNo)));
    showRunView(false);
    if (broke) {
        p_napaka = true;
        mainWindow->pExecuteScriptNapaka = true;
    } else {
        try {
            osOracle->commit();
            setPendingReset(false);
        } catch (const db::OracleError& e) {
            showDbError(e.message());
            ++errors;
        }
        // A run in which any row failed stays marked as failed.
        mainWindow->pExecuteScriptNapaka = errors > 0;
        if (errors > 0)
            message(texts.nizExecutedNok, int(shell::MsgDlgType::mtError));
        else if (!unattended)
            message(texts.nizExecutedOk, int(shell::MsgDlgType::mtInformation));
        edSkripta->clear();
    }
    enDisButtons(true);
    runAtWork = false;
    btRefreshClick();
    if (closeAfterRun)
        close();
}
