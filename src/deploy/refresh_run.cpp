// TfmRefresh's runs: the block built from the controls, run in the worker thread while the pipe is read, and
// refresh files run table after table (also unattended).
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "deploy/refresh.h"
#include "deploy/refreshfile.h"
#include "deploy/refreshrun.h"
#include "shell/Main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

#include <cstdio>

namespace {

const QString kScriptError = QStringLiteral("ERROR ON REFRESHING TABLE : ");

// A name as the server takes it: an ordinary identifier in upper case, any other text as it stands.
QString serverName(const QString& typed)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z][A-Za-z0-9_$#]*$"));
    const QString t = typed.trimmed();
    if (t.size() > 1 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"')))
        return t.mid(1, t.size() - 2);
    return plain.match(t).hasMatch() ? t.toUpper() : t;
}

// The name of the list that matches the typed one exactly, else the name the server would take it for.
QString resolvedName(const QComboBox* list, const QString& typed)
{
    const QString t = typed.trimmed();
    if (list->findText(t, Qt::MatchFixedString | Qt::MatchCaseSensitive) >= 0)
        return t;
    return serverName(t);
}

} // namespace

deploy::RefreshDefinition TfmRefresh::definition() const
{
    deploy::RefreshDefinition d;
    d.sourceOwner = resolvedName(cbUserSource, cbUserSource->currentText());
    d.sourceTable = resolvedName(cbTableSource, cbTableSource->currentText());
    d.dbLink = cbDBLDest->currentText().trimmed();
    d.destOwner = resolvedName(cbUserDest, cbUserDest->currentText());
    d.destTable = resolvedName(cbTableDest, cbTableDest->currentText());
    for (int i = 0; i < lbUnique->count(); ++i)
        d.keyItems << lbUnique->item(i)->text();
    for (int r = 0; r < sgSelCol->rowCount(); ++r)
        d.columns << deploy::RefreshColumn { sgSelCol->item(r, 1)->text(),
            sgSelCol->item(r, 0)->text() == QLatin1String(" + ") };
    d.update = cbUpdate->isChecked();
    d.del = cbDelete->isChecked();
    d.sequence = cbSequence->isChecked();
    d.seqField = edSeqField->text().trimmed().toUpper();
    const QString seq = cbSeqName->currentText().trimmed();
    d.seqName = seq.contains(QLatin1Char('.'))
        ? serverName(seq.section(QLatin1Char('.'), 0, 0)) + QLatin1Char('.') + serverName(seq.section(QLatin1Char('.'), 1))
        : resolvedName(cbSeqName, seq);
    d.procedure = cbProc->isChecked();
    const QString proc = edProcedure->text().trimmed();
    d.procName = proc.contains(QLatin1Char('.'))
        ? serverName(proc.section(QLatin1Char('.'), 0, 0)) + QLatin1Char('.') + serverName(proc.section(QLatin1Char('.'), 1))
        : serverName(proc);
    d.saveErrors = cbErrorON->isChecked();
    return d;
}

// The source and the destination are one table when owner, table and database agree. The database behind a link is
// the one its connect string names: a link back to this database makes the same names the same table.
bool TfmRefresh::sameTable(const deploy::RefreshDefinition& def)
{
    const QString local = fm && fm->osOracle ? fm->osOracle->database().toUpper() : QString();
    QString database = local;
    if (!def.dbLink.isEmpty()) {
        database = QStringLiteral("@") + def.dbLink.toUpper();
        if (deploy::isPlainLinkName(def.dbLink)) {
            const QStringList host = queryColumn(
                QStringLiteral("select host from user_db_links where db_link=:link or db_link like :link||'.%'"),
                { { QStringLiteral("link"), def.dbLink.toUpper() } });
            if (!host.isEmpty() && !host.first().isEmpty())
                database = host.first().trimmed().toUpper();
        }
    }
    return deploy::TableIdentity { def.sourceOwner, def.sourceTable, database }
    == deploy::TableIdentity { def.destOwner, def.destTable, local };
}

bool TfmRefresh::prepareRefreshBlock(bool createOnly, bool usePipe)
{
    pcMain->setCurrentWidget(tabRefresh);
    updateTransactionButtons();
    const deploy::RefreshDefinition def = definition();
    const QStringList problems = deploy::refreshInputProblems(def, sameTable(def));
    if (!problems.isEmpty()) {
        for (const QString& p : problems)
            message(p);
        return false;
    }
    deploy::RefreshBlockOptions options;
    options.usePipe = usePipe;
    // A block that runs here reports on this window's own pipe; a text to keep (a procedure, "Create PL/SQL") on the
    // pipe any reader of refreshes knows.
    options.pipeName = createOnly || (def.procedure && !def.procName.isEmpty()) ? deploy::kRefreshPipe : pipe;
    const QString text = deploy::refreshBlockText(deploy::buildRefreshBlock(def, options));
    quDyn->setSql(text);
    if (createOnly)
        return true;
    if (def.procedure && !def.procName.isEmpty() && osOracleThread->inTransaction()) {
        // CREATE PROCEDURE commits: it would commit the refresh still waiting for the user's decision.
        message(QStringLiteral("Commit or roll back the pending refresh before creating the procedure"));
        return false;
    }
    return runBlock(text);
}

QString TfmRefresh::readPipeOnce(bool* ok)
{
    *ok = true;
    try {
        db::Query q(fm->osOracle);
        q.setSql(QStringLiteral("begin\r\n  readPipe(:pipe,0,:outniz);\r\nend;"));
        q.declareVariable(QStringLiteral("pipe"), db::BindType::String);
        q.setVariable(QStringLiteral("pipe"), pipe);
        q.declareVariable(QStringLiteral("outniz"), db::BindType::String, db::BindDirection::Out);
        q.execute();
        return q.getVariable(QStringLiteral("outniz")).toString();
    } catch (const db::OracleError& e) {
        *ok = false;
        meErr->appendPlainText(QStringLiteral("PROGRESS NOT AVAILABLE: ") + e.message());
        return QString();
    }
}

void TfmRefresh::removePipe()
{
    if (!fm || !fm->osOracle || !fm->osOracle->connected())
        return;
    try {
        db::Query q(fm->osOracle);
        q.setSql(QStringLiteral("declare r integer; begin r := dbms_pipe.remove_pipe(:pipe); end;"));
        q.declareVariable(QStringLiteral("pipe"), db::BindType::String);
        q.setVariable(QStringLiteral("pipe"), pipe);
        q.execute();
    } catch (const db::OracleError&) {
        // A pipe left behind holds nothing of use; the next run purges it.
    }
}

void TfmRefresh::setRunningControls(bool on)
{
    for (QWidget* w : { static_cast<QWidget*>(btRefresh), static_cast<QWidget*>(btRunSkript),
             static_cast<QWidget*>(btSkript), static_cast<QWidget*>(Button1) })
        w->setEnabled(!on);
    btStop->setEnabled(on);
    if (on) {
        btCommit->setEnabled(false);
        btRollback->setEnabled(false);
    }
}

void TfmRefresh::showProgress()
{
    laCounter->setText(progress.counter);
    laUpdated->setText(progress.updated);
    laInserted->setText(progress.inserted);
    laDeleted->setText(progress.deleted);
    for (; errorsShown < progress.errors.size(); ++errorsShown)
        meErr->appendPlainText(progress.errors.at(errorsShown));
}

void TfmRefresh::showRefreshError()
{
    meErr->appendPlainText(QStringLiteral("ERROR ON REFRESHING TABLE ") + cbTableDest->currentText());
    meErr->appendPlainText(QString(37, QLatin1Char('-')));
    for (const QString& line : SQLErr.split(QLatin1Char('\n')))
        meErr->appendPlainText(line);
}

bool TfmRefresh::runBlock(const QString& text)
{
    blockRan = true;
    meBlock->setPlainText(text);
    laStatus->setText(QStringLiteral("RUNNING"));
    SQLNapaka = false;
    SQLErr.clear();
    if (!runScript)
        meErr->clear();
    progress = {};
    errorsShown = 0;
    stopRequested = false;
    QCoreApplication::processEvents();

    auto* worker = new deploy::TRefreshSqlThread(osOracleThread, text, this);
    thread = worker;
    setRunningControls(true);
    QEventLoop idleLoop;
    QTimer idleTimer;
    idleTimer.setSingleShot(true);
    connect(&idleTimer, &QTimer::timeout, &idleLoop, &QEventLoop::quit);
    connect(worker, &QThread::finished, &idleLoop, &QEventLoop::quit);
    worker->start();

    deploy::RefreshPipeIo io;
    io.read = [this]() -> std::optional<QString> {
        bool ok = false;
        QString m = readPipeOnce(&ok);
        return ok ? std::optional<QString>(m) : std::nullopt;
    };
    io.threadEnded = [worker] { return worker->ended(); };
    io.idle = [&] {
        // Nothing waiting: the window lives for a short while, or until the thread ends.
        if (worker->ended())
            return;
        idleTimer.start(50);
        idleLoop.exec();
    };
    // The block reports every hundred rows, far more often than anyone reads the counters: painting the window for
    // each message made the reader slower than the block, which then waited for room in its pipe. The counters are
    // shown at most every 50 ms while messages keep coming (the first count at once), and once more when the run
    // ends.
    QElapsedTimer shown;
    io.changed = [this, &shown] {
        const bool firstCount = laCounter->text().isEmpty() && !progress.counter.isEmpty();
        if (!firstCount && shown.isValid() && shown.elapsed() < 50)
            return;
        shown.start();
        showProgress();
        QCoreApplication::processEvents();
    };
    deploy::readRefreshPipe(io, progress);
    worker->wait();
    SQLNapaka = worker->failed();
    SQLErr = worker->error();
    thread = nullptr;
    delete worker;
    removePipe();
    setRunningControls(false);
    showProgress();
    updateTransactionButtons();

    if (SQLNapaka) {
        laStatus->setText(stopRequested ? QStringLiteral("STOPPED") : QStringLiteral("ERROR"));
        showRefreshError();
        showTab(tabErrors);
        if (commitStat)
            btRollbackClick();
        if (runScript)
            meScriptErr->appendPlainText(kScriptError + cbTableDest->currentText());
    } else {
        laStatus->setText(QStringLiteral("ENDED"));
        if (commitStat)
            btCommitClick();
    }
    showTab(meErr->document()->isEmpty() ? tabRefresh : tabErrors);
    emit runEnded();
    if (closeAfterRun)
        QTimer::singleShot(0, this, &QWidget::close);
    return !SQLNapaka;
}

void TfmRefresh::btRefreshClick()
{
    commitStat = false;
    runScript = false;
    meScriptErr->clear();
    if (const int at = pcMain->indexOf(tabScriptErr); at >= 0)
        pcMain->removeTab(at);
    prepareRefreshBlock(false, true);
}

void TfmRefresh::btSkriptClick()
{
    commitStat = false;
    runScript = false;
    meScriptErr->clear();
    if (const int at = pcMain->indexOf(tabScriptErr); at >= 0)
        pcMain->removeTab(at);
    prepareRefreshBlock(true, cbPipe->isChecked());
    meBlock->setPlainText(quDyn->sql());
    pcMain->setCurrentWidget(tabBlock);
}

void TfmRefresh::btRunSkriptClick()
{
    meErr->clear();
    meScriptErr->clear();
    runScript = true;
    if (fm)
        dlgLoad->setDirectory(fm->currentRefreshDir);
    if (dlgLoad->exec() != QDialog::Accepted || dlgLoad->selectedFiles().isEmpty())
        return;
    const QString file = dlgLoad->selectedFiles().first();
    if (fm)
        fm->currentRefreshDir = fm->FileDirName(file).directory;
    runRefreshFile(file);
}

// Each table starts from the window's defaults, then takes what its lines say; the grid and the key list are those
// of its source table before its marks and its key are applied.
void TfmRefresh::applyFileBlock(const deploy::RefreshFileBlock& b)
{
    commitStat = b.commit.value_or(false);
    cbUpdate->setChecked(b.update.value_or(true));
    cbDelete->setChecked(b.del.value_or(false));
    cbProc->setChecked(false);
    cbSequence->setChecked(false);
    paSequence->hide();
    edSeqField->clear();
    cbSeqName->setEditText(QString());
    {
        const QSignalBlocker b1(cbDBLDest), b2(cbUserSource), b3(cbTableSource), b4(cbUserDest), b5(cbTableDest);
        cbDBLDest->setEditText(b.dbLink);
        cbUserSource->setEditText(b.sourceOwner);
        cbTableSource->setEditText(b.sourceTable);
        cbUserDest->setEditText(b.destOwner);
        cbTableDest->setEditText(b.destTable);
    }
    lbUnique->clear();
    loadColumns();
    for (const QString& f : b.fields)
        markColumn(f);
    if (b.unique) {
        lbUnique->clear();
        lbUnique->addItems(*b.unique);
    }
    if (b.sequence) {
        cbSequence->setChecked(true);
        cbSequenceClick();
        edSeqField->setText(b.seqField);
        cbSeqName->setEditText(b.seqName);
    }
}

void TfmRefresh::runRefreshFile(const QString& fileName)
{
    runScript = true;
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString text = QStringLiteral("Refresh file cannot be read: ") + fileName + QStringLiteral(" (")
            + f.errorString() + QLatin1Char(')');
        meScriptErr->appendPlainText(text);
        autoFailed = true;
        message(text);
        showTab(tabScriptErr);
        return;
    }
    const QString text = QString::fromUtf8(f.readAll());
    Skripte = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        Skripte.removeLast(); // the end of the last line, not a line of its own
    for (QString& line : Skripte) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    const deploy::RefreshFile file = deploy::readRefreshFile(Skripte);
    for (const deploy::RefreshFileBlock& block : file.blocks) {
        applyFileBlock(block);
        blockRan = false;
        if (!prepareRefreshBlock(false, true)) {
            autoFailed = true;
            // A table the checks refused is reported as a failed one; a failed run has reported itself.
            if (!blockRan)
                meScriptErr->appendPlainText(kScriptError + cbTableDest->currentText());
        }
        if (closeAfterRun)
            return;
    }
    if (file.unclosed) {
        meScriptErr->appendPlainText(QStringLiteral("TABLE NOT REFRESHED, THE FILE DOES NOT END WITH #: ")
            + file.unclosed->destTable);
    }
    if (!meScriptErr->document()->isEmpty())
        showTab(tabScriptErr);
}

void TfmRefresh::finishUnattended(const QString& fileName)
{
    for (const QString& line : meScriptErr->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        std::fprintf(stderr, "%s\n", qPrintable(QStringLiteral("REFRESH ") + fileName + QStringLiteral(": ") + line));
    // Nobody is there to commit: what no COMMIT=TRUE took care of is undone before the program ends.
    if (osOracleThread->connected() && osOracleThread->inTransaction()) {
        btRollbackClick();
        std::fprintf(stderr, "%s\n",
            qPrintable(QStringLiteral("REFRESH ") + fileName
                + QStringLiteral(": changes without COMMIT=TRUE were rolled back")));
    }
    if (autoFailed && fm && fm->exitStatus == 0)
        fm->exitStatus = 1;
    unattended = false;
}
