// The data page of the table-structure window (the rows of the current table in an editable grid, with the column
// choice, the filter and the cell memo) and the Enable/Disable page (the scripts that disable or drop the foreign
// keys pointing at the table and put them back, with the undo file).
#include "admin/constraintscript.h"
#include "admin/dataquery.h"
#include "admin/structuresql.h"
#include "admin/tabStru.h"
#include "admin/windowsupport.h"
#include "db/dataset.h"
#include "db/oracleerror.h"
#include "db/session.h"
#include "develop/datamemo.h"
#include "develop/worksheet_navigator.h"
#include "shell/Main.h"
#include "shell/gridutils.h"
#include "shell/themedgrid.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

void TfmTableStru::buildDataPage()
{
    quData = new db::DataSet(main.osOracle, this);
    quData->setObjectName(QStringLiteral("quData"));
    quData->setCachedUpdates(true);
    quData->setReadBuffer(50);
    tabData = new QWidget(pcTable);
    tabData->setObjectName(QStringLiteral("tabData"));
    auto* layout = new QVBoxLayout(tabData);
    auto* bar = new QHBoxLayout;
    laFilter = admin::label(tabData, "laFilter", QStringLiteral("Filter:"));
    edFilter = admin::edit(tabData, "edFilter");
    edFilter->installEventFilter(this);
    btWhere = admin::toolButton(tabData, "btWhere", QStringLiteral("."), QString());
    btWhere->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    navData = new develop::DataSetNavigator(tabData);
    navData->setObjectName(QStringLiteral("navData"));
    navData->setDataSet(quData);
    navData->setQueryByExample(true);
    btPost = admin::button(tabData, "btPost", QStringLiteral("Post"));
    btCancelEdit = admin::button(tabData, "btCancelEdit", QStringLiteral("Cancel"));
    btCommit = admin::button(tabData, "btCommit", QStringLiteral("Commit"));
    btRollback = admin::button(tabData, "btRollback", QStringLiteral("Rollback"));
    bar->addWidget(laFilter);
    bar->addWidget(edFilter, 1);
    bar->addWidget(btWhere);
    bar->addWidget(navData);
    bar->addWidget(btPost);
    bar->addWidget(btCancelEdit);
    bar->addWidget(btCommit);
    bar->addWidget(btRollback);
    dbgData = admin::dataGrid(tabData, "dbgData", quData);
    dbgData->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* adjust = new QAction(QStringLiteral("Prilagodi stolpce"), dbgData);
    adjust->setObjectName(QStringLiteral("miAdjust"));
    adjust->setShortcut(QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus)));
    adjust->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    dbgData->addAction(adjust);
    dbCelMemo = new QPlainTextEdit(tabData);
    dbCelMemo->setObjectName(QStringLiteral("dbCelMemo"));
    dbCelMemo->setFixedHeight(svHeightCelMemo);
    dbCelMemo->setVisible(false);
    dbCelMemo->installEventFilter(this);
    cellMemo = new develop::DataAwareMemo(dbCelMemo, quData, this);
    layout->addLayout(bar);
    layout->addWidget(dbgData, 1);
    layout->addWidget(dbCelMemo);
    pcTable->addTab(tabData, QStringLiteral("D A T A"));

    connect(btWhere, &QToolButton::clicked, this, &TfmTableStru::btWhereClick);
    connect(edFilter, &QLineEdit::returnPressed, this, &TfmTableStru::btWhereClick);
    connect(adjust, &QAction::triggered, this, [this] { shell::AdjustGridColumns(dbgData, 1, 33); });
    connect(dbgData, &TThemedDBGrid::titleClick, this, &TfmTableStru::dataTitleClick);
    connect(dbCelMemo, &QPlainTextEdit::textChanged, this, &TfmTableStru::updateDataButtons);
    connect(btPost, &QPushButton::clicked, this, [this] {
        try {
            quData->post();
        } catch (const db::OracleError& e) {
            showError(e.message());
        }
        updateDataButtons();
    });
    connect(btCancelEdit, &QPushButton::clicked, this, [this] {
        quData->cancel();
        updateDataButtons();
    });
    connect(btCommit, &QPushButton::clicked, this, &TfmTableStru::btCommitClick);
    connect(btRollback, &QPushButton::clicked, this, &TfmTableStru::btRollbackClick);
    connect(navData, &develop::DataSetNavigator::clicked, this, &TfmTableStru::updateDataButtons);
    connect(navData, &develop::DataSetNavigator::failed, this, &TfmTableStru::showError);
    connect(quData, &db::DataSet::stateChanged, this, &TfmTableStru::updateDataButtons);
    connect(quData, &db::DataSet::rowChanged, this, &TfmTableStru::updateDataButtons);
    connect(quData, &db::DataSet::reset, this, [this] {
        // ROWID keys the edits; it is not shown.
        for (int c = 0; c < quData->fieldCount(); ++c)
            dbgData->setColumnHidden(c, c == quData->rowidField());
        updateDataButtons();
    });
    updateDataButtons();
}

void TfmTableStru::buildScriptPage()
{
    tabEnableDisable = new QWidget(pcTable);
    tabEnableDisable->setObjectName(QStringLiteral("tabEnableDisable"));
    auto* layout = new QVBoxLayout(tabEnableDisable);
    auto* bar = new QHBoxLayout;
    cbDrop = new QCheckBox(QStringLiteral("Drop option"), tabEnableDisable);
    cbDrop->setObjectName(QStringLiteral("cbDrop"));
    btPrepare = admin::button(tabEnableDisable, "btPrepare", QStringLiteral("Prepare Script"));
    btDisable = admin::button(tabEnableDisable, "btDisable", QStringLiteral("Disable  References"));
    btEnable = admin::button(tabEnableDisable, "btEnable", QStringLiteral("Enable References"));
    btPrepare->setEnabled(false);
    btDisable->setEnabled(false);
    btEnable->setEnabled(false);
    bar->addWidget(cbDrop);
    bar->addWidget(btPrepare);
    bar->addWidget(btDisable);
    bar->addWidget(btEnable);
    bar->addStretch();
    auto* split = new QSplitter(Qt::Vertical, tabEnableDisable);
    meBrisi = new QPlainTextEdit(split);
    meBrisi->setObjectName(QStringLiteral("meBrisi"));
    meBrisi->setLineWrapMode(QPlainTextEdit::NoWrap);
    meNazaj = new QPlainTextEdit(split);
    meNazaj->setObjectName(QStringLiteral("meNazaj"));
    meNazaj->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addLayout(bar);
    layout->addWidget(split, 1);
    pcTable->addTab(tabEnableDisable, QStringLiteral("Enable/Disable"));

    connect(cbDrop, &QCheckBox::toggled, this, &TfmTableStru::cbDropClick);
    connect(btPrepare, &QPushButton::clicked, this, &TfmTableStru::btPrepareClick);
    connect(btDisable, &QPushButton::clicked, this, &TfmTableStru::btDisableClick);
    connect(btEnable, &QPushButton::clicked, this, &TfmTableStru::btEnableClick);
}

bool TfmTableStru::hasPendingData() const
{
    return quData && (quData->updatesPending() || quData->editModified());
}

void TfmTableStru::updateDataButtons()
{
    const bool editing = quData->state() == db::DataSet::State::Edit || quData->state() == db::DataSet::State::Insert;
    btPost->setEnabled(editing);
    btCancelEdit->setEnabled(editing);
    const bool pending = hasPendingData() || editing;
    btCommit->setEnabled(pending);
    btRollback->setEnabled(pending);
    navData->updateButtons();
}

void TfmTableStru::BuildDataQuery()
{
    ctData = key();
    QStringList columns;
    // The marks of the Columns grid choose the columns; it is read first when it has not been.
    if (ctTabCol != key()) {
        ctTabCol = key();
        LoadColumnGrid(QStringLiteral("Column_id"));
    }
    for (int r = 0; r < sgColumns->rowCount(); ++r)
        if (sgColumns->item(r, 0) && sgColumns->item(r, 0)->text() == QLatin1String("+"))
            columns.append(sgColumns->item(r, 1)->text());
    const QString select = admin::BuildDataQuery(currOwner, currTableName, link(), columns);
    if (select != dataSelect || !quData->active()) {
        if (hasPendingData()) {
            // Another table's edits are not dropped without asking.
            const bool slo = admin::slovenian(main);
            if (!admin::askYesNo(this, main,
                    slo ? QStringLiteral("Podatki imajo nepotrjene spremembe. Jih zavržem?")
                        : QStringLiteral("The data page holds changes not yet committed. Discard them?")))
                return;
            quData->cancelUpdates();
        }
        dataSelect = select;
        applyFilter();
    }
    dbgData->setFocus();
    if (quData->active())
        admin::fitColumns(dbgData, 33);
}

void TfmTableStru::btWhereClick()
{
    if (currTableName.isEmpty())
        return;
    if (dataSelect.isEmpty()) {
        BuildDataQuery();
        return;
    }
    applyFilter();
}

void TfmTableStru::applyFilter()
{
    const QString filter = admin::upperOutsideQuotes(edFilter->text());
    edFilter->setText(filter);
    bool largeObject = false;
    for (int r = 0; r < sgColumns->rowCount(); ++r)
        if (sgColumns->item(r, 2) && admin::isLargeObjectType(sgColumns->item(r, 2)->text()))
            largeObject = true;
    quData->close();
    // The filter is its own line of the statement: WHERE ..., ORDER BY ..., as the user writes it.
    // "WHERE" with nothing after it (as the box offers it) filters nothing.
    const bool noFilter = filter.trimmed().compare(QLatin1String("WHERE"), Qt::CaseInsensitive) == 0;
    quData->setSql(dataSelect + QLatin1Char('\n') + (noFilter ? QString() : filter));
    bool failed = false;
    try {
        quData->open();
    } catch (const db::OracleError& e) {
        failed = true;
        showError(QStringLiteral("SQL :\n") + quData->sql() + QStringLiteral("\n\n") + e.message()
            + QStringLiteral("\nLine : ") + QString::number(quData->errorLine()) + QStringLiteral("  Pos:")
            + QString::number(quData->errorPosition()));
    }
    if (QTreeWidgetItem* fav = currentFavourite(); fav && fav->childCount() > 1)
        fav->child(1)->setText(0, filter);
    if (failed && largeObject) {
        // Read again once without the large-object columns.
        bool changed = false;
        for (int r = 0; r < sgColumns->rowCount(); ++r) {
            QTableWidgetItem* mark = sgColumns->item(r, 0);
            if (mark && sgColumns->item(r, 2) && !admin::isLargeObjectType(sgColumns->item(r, 2)->text())
                && mark->text() != QLatin1String("+")) {
                mark->setText(QStringLiteral("+"));
                changed = true;
            }
        }
        if (changed)
            BuildDataQuery();
    }
    updateDataButtons();
}

void TfmTableStru::dataTitleClick(int column)
{
    if (dbCelMemo->isVisible()) {
        cellMemo->bind(-1);
        dbCelMemo->setVisible(false);
        return;
    }
    if (!quData->active() || column < 0 || column >= quData->fieldCount())
        return;
    const QString filter = admin::titleClickFilter(edFilter->text(), quData->fieldName(column));
    if (!filter.isEmpty()) {
        edFilter->setText(filter);
        edFilter->setFocus();
        return;
    }
    cellMemo->bind(column);
    dbCelMemo->setVisible(true);
}

void TfmTableStru::btCommitClick()
{
    if (!main.confirmMainSessionEnd(this, btCommit->text()))
        return;
    try {
        if (quData->state() == db::DataSet::State::Edit || quData->state() == db::DataSet::State::Insert)
            quData->post();
        main.osOracle->applyUpdates({ quData }, true);
    } catch (const db::OracleError& e) {
        showError(e.message());
    }
    updateDataButtons();
}

void TfmTableStru::btRollbackClick()
{
    if (!main.confirmMainSessionEnd(this, btRollback->text()))
        return;
    quData->cancel();
    quData->cancelUpdates();
    try {
        main.osOracle->rollback();
    } catch (const db::OracleError& e) {
        showError(e.message());
    }
    updateDataButtons();
}

void TfmTableStru::cbDropClick()
{
    const bool drop = cbDrop->isChecked();
    btDisable->setText(drop ? nizDrop : nizDisable);
    btEnable->setText(drop ? nizCreate : nizEnable);
}

void TfmTableStru::btPrepareClick()
{
    if (currTableName.isEmpty())
        return;
    meBrisi->clear();
    meNazaj->clear();
    admin::ConstraintScripts scripts;
    try {
        scripts = admin::prepareScripts(
            admin::referencingKeys(*main.osOracle, currOwner, currTableName), cbDrop->isChecked());
    } catch (const db::OracleError& e) {
        showError(e.message());
        return;
    }
    meBrisi->setPlainText(scripts.disable.join(QLatin1Char('\n')));
    meNazaj->setPlainText(scripts.enable.join(QLatin1Char('\n')));
    // The undo script is on disk before anything is disabled or dropped.
    undoFile = admin::undoFileName(main.currCommentsFile, currOwner, currTableName);
    QString error;
    if (!admin::saveScript(undoFile, scripts.enable, &error)) {
        btDisable->setEnabled(false);
        showError(undoFile + QStringLiteral("\n") + error);
        return;
    }
    btDisable->setEnabled(!scripts.disable.isEmpty());
    admin::showMessage(this, main, nizBack + undoFile + QStringLiteral("!"));
}

void TfmTableStru::btDisableClick()
{
    if (!main.confirmMainSessionEnd(this, btDisable->text()))
        return;
    const admin::ScriptRun run = admin::RunScriptMemo(*main.osOracle, meBrisi->toPlainText().split(QLatin1Char('\n')));
    if (!run.errors.isEmpty())
        showError(run.errors);
    admin::showMessage(this, main, btDisable->text() + QStringLiteral("  ") + (run.ok() ? nizSucc : nizUnSucc));
    btEnable->setEnabled(true);
    btPrepare->setEnabled(false);
    btDisable->setEnabled(false);
    ClearTabCaches();
}

void TfmTableStru::btEnableClick()
{
    if (!main.confirmMainSessionEnd(this, btEnable->text()))
        return;
    const admin::ScriptRun run = admin::RunScriptMemo(*main.osOracle, meNazaj->toPlainText().split(QLatin1Char('\n')));
    if (!run.errors.isEmpty())
        showError(run.errors);
    admin::showMessage(this, main, btEnable->text() + QStringLiteral("  ") + (run.ok() ? nizSucc : nizUnSucc));
    btEnable->setEnabled(false);
    btPrepare->setEnabled(true);
    ClearTabCaches();
}
