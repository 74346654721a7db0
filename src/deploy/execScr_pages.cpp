// TfmScript: the script list and its header filter, the maintenance of stored rows (status toggle, reset, text
// edit, deletion), the search over all scripts, the statistics page and the deletion of several scripts.
#include "deploy/execScr.h"

#include "db/dataset.h"
#include "db/displaytext.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "deploy/scriptstats.h"
#include "shell/Main.h"
#include "shell/gridutils.h"
#include "shell/localmessagedlg.h"
#include "shell/sqleditor.h"
#include "shell/themedgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

namespace {

QStringList scriptNames(db::Session& session, bool ownerMode, const QString& owner)
{
    db::Query q(&session);
    q.setSql(deploy::allScriptsSql(ownerMode));
    if (ownerMode)
        q.setVariable(QStringLiteral("upor"), owner);
    q.execute();
    QStringList names;
    for (; !q.eof(); q.next())
        names << q.field(0).toString();
    return names;
}

} // namespace

void TfmScript::fillScriptList()
{
    currFile.clear();
    cbAllScripts->blockSignals(true);
    cbAllScripts->clear();
    if (osOracle && osOracle->connected()) {
        try {
            cbAllScripts->addItems(scriptNames(*osOracle, p_owner, ownerOrStar()));
        } catch (const db::OracleError& e) {
            showDbError(e.message());
        }
    }
    cbAllScripts->setCurrentIndex(-1);
    cbAllScripts->blockSignals(false);
}

void TfmScript::spFltScriptClick()
{
    if (!osOracle)
        return;
    currFile.clear();
    deploy::ScriptFilter f;
    f.lastnik = ownerOrStar();
    f.skripta = cbAllScripts->currentText().trimmed().toUpper() + QLatin1Char('%');
    f.stat = QString(typeLetter(cbStat));
    f.napaka = edNapaka->text().isEmpty() ? QStringLiteral("A") : edNapaka->text().toUpper();
    f.filter = edFilter->text().trimmed().isEmpty() ? QStringLiteral("A") : edFilter->text();
    QStringList names;
    try {
        db::Query q(osOracle);
        q.setSql(deploy::fltScriptsSql());
        deploy::bindFilter(q, f);
        q.execute();
        for (; !q.eof(); q.next())
            names << q.field(0).toString();
    } catch (const db::OracleError& e) {
        showDbError(e.message());
        return;
    }
    const QString typed = cbAllScripts->currentText();
    cbAllScripts->blockSignals(true);
    cbAllScripts->clear();
    cbAllScripts->addItems(names);
    cbAllScripts->blockSignals(false);
    if (names.isEmpty()) {
        // No script matches: the list stays empty and nothing is chosen.
        cbAllScripts->setEditText(typed);
        return;
    }
    cbAllScripts->setCurrentIndex(0);
    ignoreTypeChange = true;
    setTypeEntry(cbShowType, typeLetter(cbStat));
    ignoreTypeChange = false;
    cbAllScriptsClick();
}

// ---- maintenance of the rows

void TfmScript::spDeleteClick()
{
    if (runAtWork || !osOracle)
        return;
    const deploy::ScriptRow row = currentRow();
    if (row.name.isEmpty() || !mayEndMainSession(QString(texts.btCommit).remove(QLatin1Char('&'))))
        return;
    try {
        deploy::toggleDeleted(*osOracle, row.rowId);
        osOracle->commit();
        // Committed at once: Rollback has nothing to undo.
        setPendingReset(false);
    } catch (const db::OracleError& e) {
        showDbError(e.message());
        return;
    }
    refreshCurrentRow();
}

void TfmScript::sbNeizvedenoClick()
{
    if (runAtWork || !osOracle)
        return;
    const QString name = cbAllScripts->currentText().trimmed().toUpper();
    if (name.isEmpty() || !ask(texts.nizResetQuestion))
        return;
    try {
        deploy::resetScript(*osOracle, name, ownerIfMode());
        // Not committed here: Commit, Rollback or the next commit of the session decides.
        setPendingReset(true);
    } catch (const db::OracleError& e) {
        showDbError(e.message());
    }
    btRefreshClick();
}

void TfmScript::spDeleteAllClick()
{
    if (runAtWork || !osOracle || !mainWindow)
        return;
    if (!ask(texts.nizDeletePermanent))
        return;
    edFilter->clear();
    if (!mayEndMainSession(QString(texts.btCommit).remove(QLatin1Char('&'))))
        return;
    try {
        if (typeLetter(cbShowType) != QLatin1Char('A')) {
            // The rows the list shows.
            deploy::deleteShownRows(*osOracle, lastFilter);
            osOracle->commit();
        } else {
            deploy::deleteScript(*osOracle, mainWindow->currentScript, ownerIfMode());
            osOracle->commit();
            fillScriptList();
            cbAllScripts->setFocus();
        }
        setPendingReset(false);
    } catch (const db::OracleError& e) {
        showDbError(e.message());
    }
    btRefreshClick();
}

void TfmScript::btCommitClick()
{
    if (!osOracle || !mayEndMainSession(QString(texts.btCommit).remove(QLatin1Char('&'))))
        return;
    try {
        osOracle->commit();
        setPendingReset(false);
    } catch (const db::OracleError& e) {
        showDbError(e.message());
    }
}

void TfmScript::btRollbackClick()
{
    if (!osOracle || !mayEndMainSession(QString(texts.btRollback).remove(QLatin1Char('&'))))
        return;
    try {
        quSkripte->cancelUpdates();
        osOracle->rollback();
        setPendingReset(false);
    } catch (const db::OracleError& e) {
        showDbError(e.message());
    }
    btRefreshClick();
}

void TfmScript::meLongLeft()
{
    if (savingStatement || runAtWork || shownRowId.isEmpty() || !osOracle || meLong->isReadOnly())
        return;
    const QString text = meLong->text();
    if (text == tekocaScr)
        return;
    savingStatement = true;
    tekocaScr = text;
    if (mayEndMainSession(QString(texts.btCommit).remove(QLatin1Char('&')))) {
        try {
            deploy::writeStatementText(*osOracle, shownRowId, text);
            osOracle->commit();
            setPendingReset(false);
            quSkripte->refreshRecord();
        } catch (const db::OracleError& e) {
            showDbError(e.message());
        }
    }
    savingStatement = false;
}

// ---- search

void TfmScript::tbSearchClick()
{
    showPage(TabSearch, false);
    if (!quFind->active())
        btFindClick();
}

void TfmScript::btFindClick()
{
    if (!osOracle)
        return;
    deploy::ScriptFilter f;
    f.lastnik = ownerOrStar();
    f.skripta = edFindScript->text().trimmed().isEmpty() ? QStringLiteral("A")
                                                         : edFindScript->text().trimmed().toUpper() + QLatin1Char('%');
    f.stat = QString(typeLetter(cbFIndStat));
    f.napaka = edFindNapaka->text().isEmpty() ? QStringLiteral("A") : edFindNapaka->text();
    f.filter = edFindFilter->text().trimmed().isEmpty() ? QStringLiteral("A") : edFindFilter->text();
    quFind->close();
    deploy::bindFilter(*quFind, f);
    try {
        quFind->open();
        shell::AdjustGridColumns(dbgSearch, 1, 40);
    } catch (const db::OracleError& e) {
        showDbError(e.message());
    }
}

void TfmScript::dbgSearchDblClick()
{
    if (!quFind->active() || quFind->recNo() == 0)
        return;
    const QString name = quFind->fieldValue(QStringLiteral("SCRIPT_NAME")).toString();
    const QString rowId = quFind->fieldValue(quFind->rowidField()).toString();
    showPage(tabExec, true);
    cbAllScripts->setEditText(name);
    if (mainWindow)
        mainWindow->currentScript = name;
    ignoreTypeChange = true;
    setTypeEntry(cbShowType, QLatin1Char('A'));
    ignoreTypeChange = false;
    tbRunClick();
    // The found statement becomes the current row.
    if (!quSkripte->active())
        return;
    for (quSkripte->first(); !quSkripte->eof(); quSkripte->next())
        if (quSkripte->fieldValue(quSkripte->rowidField()).toString() == rowId)
            break;
}

// ---- statistics

void TfmScript::tbStatClick()
{
    showPage(tabStat, false);
    if (sgStat->rowCount() == 0 || !sgStat->item(0, 0) || sgStat->item(0, 0)->text().isEmpty())
        btStatRefreshClick();
}

void TfmScript::btStatRefreshClick()
{
    if (!osOracle)
        return;
    std::vector<deploy::StatCount> counts;
    try {
        db::Query q(osOracle);
        q.setSql(deploy::statSql(p_owner));
        q.setVariable(QStringLiteral("skripta"), edStatScript->text().trimmed().isEmpty()
                ? QStringLiteral("A")
                : edStatScript->text().trimmed().toUpper() + QLatin1Char('%'));
        if (p_owner)
            q.setVariable(QStringLiteral("upor"), ownerOrStar());
        q.execute();
        const int first = p_owner ? 1 : 0;
        for (; !q.eof(); q.next()) {
            deploy::StatCount c;
            if (p_owner)
                c.owner = q.field(0).toString();
            c.name = q.field(first).toString();
            c.date = db::displayText(q.field(first + 1), db::FieldType::Date, osOracle->dateFormat());
            c.stat = q.field(first + 2).toString();
            c.count = q.field(first + 3).toLongLong();
            counts.push_back(c);
        }
    } catch (const db::OracleError& e) {
        showDbError(e.message());
        return;
    }
    deploy::StatFilter filter;
    filter.notExecuted = cbStatNotExecuted->isChecked();
    filter.errors = cbStatErrors->isChecked();
    filter.deleted = cbStatDeleted->isChecked();
    const std::vector<deploy::StatRow> rows = deploy::buildStatistics(counts, filter);
    sgStat->clearContents();
    sgStat->setRowCount(int(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < deploy::statColumns; ++c) {
            auto* item = new QTableWidgetItem(rows[r][size_t(c)]);
            if (c >= 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            sgStat->setItem(int(r), c, item);
        }
    }
    sgStat->resizeColumnsToContents();
    const int minimum[deploy::statColumns] = { 180, 90, 100, 100, 100, 100, 100 };
    for (int c = 0; c < deploy::statColumns; ++c)
        sgStat->setColumnWidth(c, std::max(sgStat->columnWidth(c), minimum[c]));
    if (!rows.empty())
        sgStat->setCurrentCell(0, 0);
}

void TfmScript::btShowScriptClick()
{
    const int row = sgStat->currentRow();
    const QString name = row >= 0 && sgStat->item(row, 0) ? sgStat->item(row, 0)->text() : QString();
    if (name.isEmpty())
        return;
    // The statements the checked boxes ask for (the last that applies wins), else every statement.
    QChar letter = QLatin1Char('A');
    if (cbStatDeleted->isChecked())
        letter = QLatin1Char('D');
    if (cbStatNotExecuted->isChecked())
        letter = QLatin1Char('N');
    if (cbStatErrors->isChecked())
        letter = QLatin1Char('E');
    cbAllScripts->setEditText(name);
    if (mainWindow)
        mainWindow->currentScript = name;
    ignoreTypeChange = true;
    setTypeEntry(cbShowType, letter);
    ignoreTypeChange = false;
    tbRunClick();
}

// ---- deletion of several scripts

void TfmScript::tbDeleteMoreClick()
{
    currFile.clear();
    showPage(TabDeleteMore, false);
    lbDeleteMore->clear();
    if (!osOracle)
        return;
    try {
        lbDeleteMore->addItems(scriptNames(*osOracle, p_owner, ownerOrStar()));
    } catch (const db::OracleError& e) {
        showDbError(e.message());
    }
}

void TfmScript::btDeleteClick()
{
    const QList<QListWidgetItem*> chosen = lbDeleteMore->selectedItems();
    if (chosen.isEmpty()) {
        message(texts.nizNoChosen, int(shell::MsgDlgType::mtWarning));
        return;
    }
    if (ask(texts.nizDeleteChosen + QStringLiteral(" : ") + QString::number(chosen.size()) + QStringLiteral(" ?"))
        && mayEndMainSession(QString(texts.btCommit).remove(QLatin1Char('&')))) {
        try {
            for (QListWidgetItem* item : chosen) {
                deploy::deleteScript(*osOracle, item->text(), ownerIfMode());
                osOracle->commit();
            }
            setPendingReset(false);
        } catch (const db::OracleError& e) {
            showDbError(e.message());
        }
    }
    tbDeleteMoreClick();
    fillScriptList();
}
