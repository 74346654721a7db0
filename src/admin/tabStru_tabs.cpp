// The structure tabs of the table-structure window: Columns, Indexes, Constraints, Triggers, VIEWS, References and
// Dependencies, their lazy loading, and the drop, enable and disable actions of their popups.
#include "admin/reftree.h"
#include "admin/structuresql.h"
#include "admin/structuretabs.h"
#include "admin/tabStru.h"
#include "admin/windowsupport.h"
#include "db/dataset.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "develop/datamemo.h"
#include "shell/Main.h"
#include "shell/gridutils.h"
#include "shell/themedgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QTableWidget* stringGrid(QWidget* parent, const char* name, int columns)
{
    auto* g = new QTableWidget(0, columns, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
    g->verticalHeader()->setVisible(false);
    g->horizontalHeader()->setStretchLastSection(true);
    g->setContextMenuPolicy(Qt::CustomContextMenu);
    return g;
}

void setRow(QTableWidget* g, int row, const QStringList& cells)
{
    for (int c = 0; c < cells.size() && c < g->columnCount(); ++c)
        g->setItem(row, c, new QTableWidgetItem(cells[c]));
}

void fillTree(QTreeWidgetItem* parent, QTreeWidget* tree, const QList<admin::RefNode>& nodes)
{
    for (const admin::RefNode& n : nodes) {
        auto* item = parent ? new QTreeWidgetItem(parent, { n.text }) : new QTreeWidgetItem(tree, { n.text });
        fillTree(item, tree, n.children);
    }
}

} // namespace

void TfmTableStru::buildStructurePages()
{
    tabColumns = new QWidget(pcTable);
    tabColumns->setObjectName(QStringLiteral("tabColumns"));
    auto* cols = new QVBoxLayout(tabColumns);
    auto* sort = new QHBoxLayout;
    laSort = admin::label(tabColumns, "laSort", QStringLiteral("Sort: "));
    cbColOrder = new QComboBox(tabColumns);
    cbColOrder->setObjectName(QStringLiteral("cbColOrder"));
    cbColOrder->addItems(admin::columnOrders());
    cbColOrder->setCurrentText(QStringLiteral("Column_id"));
    sort->addWidget(laSort);
    sort->addWidget(cbColOrder);
    sort->addStretch();
    sgColumns = stringGrid(tabColumns, "sgColumns", 9);
    sgColumns->setSelectionBehavior(QAbstractItemView::SelectItems);
    sgColumns->installEventFilter(this);
    cols->addLayout(sort);
    cols->addWidget(sgColumns);
    pcTable->addTab(tabColumns, QStringLiteral("Columns"));

    tabIndexes = new QWidget(pcTable);
    tabIndexes->setObjectName(QStringLiteral("tabIndexes"));
    sgIndex = stringGrid(tabIndexes, "sgIndex", 2);
    (new QVBoxLayout(tabIndexes))->addWidget(sgIndex);
    pcTable->addTab(tabIndexes, QStringLiteral("Indexes"));

    tabConstraints = new QWidget(pcTable);
    tabConstraints->setObjectName(QStringLiteral("tabConstraints"));
    sgConstraint = stringGrid(tabConstraints, "sgConstraint", 4);
    (new QVBoxLayout(tabConstraints))->addWidget(sgConstraint);
    pcTable->addTab(tabConstraints, QStringLiteral("Constraints"));

    quTrigg = new db::DataSet(main.osOracle, this);
    quTrigg->setObjectName(QStringLiteral("quTrigg"));
    quTrigg->setReadOnly(true);
    quTrigg->setSql(admin::triggersStatement({}));
    tabTriggers = new QWidget(pcTable);
    tabTriggers->setObjectName(QStringLiteral("tabTriggers"));
    auto* trig = new QSplitter(Qt::Vertical, tabTriggers);
    dbgTrigg = admin::dataGrid(trig, "dbgTrigg", quTrigg);
    dbgTrigg->setContextMenuPolicy(Qt::CustomContextMenu);
    meTrigger = new QPlainTextEdit(trig);
    meTrigger->setObjectName(QStringLiteral("meTrigger"));
    meTrigger->setReadOnly(true);
    triggerMemo = new develop::DataAwareMemo(meTrigger, quTrigg, this);
    (new QVBoxLayout(tabTriggers))->addWidget(trig);
    pcTable->addTab(tabTriggers, QStringLiteral("Triggers"));

    quViews = new db::DataSet(main.osOracle, this);
    quViews->setObjectName(QStringLiteral("quViews"));
    quViews->setReadOnly(true);
    quMViews = new db::DataSet(main.osOracle, this);
    quMViews->setObjectName(QStringLiteral("quMViews"));
    quMViews->setReadOnly(true);
    quMViews->setSql(QStringLiteral("select * from all_Mviews\nwhere owner like  :upor and (:tabela='*' or \n"
                                    "    VOXA.pckVexoMemo.instrAllViews(:upor,all_mviews.mview_name,:tabela)>0 )"));
    tabViews = new QWidget(pcTable);
    tabViews->setObjectName(QStringLiteral("tabViews"));
    auto* views = new QVBoxLayout(tabViews);
    cbMaterlaizedView = new QCheckBox(QStringLiteral("Materlaized View"), tabViews);
    cbMaterlaizedView->setObjectName(QStringLiteral("cbMaterlaizedView"));
    auto* viewSplit = new QSplitter(Qt::Vertical, tabViews);
    dbgViews = admin::dataGrid(viewSplit, "dbgViews", quViews);
    meView = new QPlainTextEdit(viewSplit);
    meView->setObjectName(QStringLiteral("meView"));
    meView->setReadOnly(true);
    viewMemo = new develop::DataAwareMemo(meView, quViews, this);
    views->addWidget(cbMaterlaizedView);
    views->addWidget(viewSplit);
    pcTable->addTab(tabViews, QStringLiteral("VIEWS"));

    tabReferences = new QWidget(pcTable);
    tabReferences->setObjectName(QStringLiteral("tabReferences"));
    tvReferences = new QTreeWidget(tabReferences);
    tvReferences->setObjectName(QStringLiteral("tvReferences"));
    tvReferences->setHeaderHidden(true);
    (new QVBoxLayout(tabReferences))->addWidget(tvReferences);
    pcTable->addTab(tabReferences, QStringLiteral("References"));

    tabDependencies = new QWidget(pcTable);
    tabDependencies->setObjectName(QStringLiteral("tabDependencies"));
    tvDependencies = new QTreeWidget(tabDependencies);
    tvDependencies->setObjectName(QStringLiteral("tvDependencies"));
    tvDependencies->setHeaderHidden(true);
    (new QVBoxLayout(tabDependencies))->addWidget(tvDependencies);
    pcTable->addTab(tabDependencies, QStringLiteral("Dependencies"));

    pmIndex = new QMenu(this);
    pmIndex->setObjectName(QStringLiteral("pmIndex"));
    pmIndex->addAction(QStringLiteral("Drop"), this, &TfmTableStru::dropIndex)
        ->setObjectName(QStringLiteral("miDropIndex"));
    pmConstraint = new QMenu(this);
    pmConstraint->setObjectName(QStringLiteral("pmConstraint"));
    pmConstraint->addAction(QStringLiteral("Drop"), this, &TfmTableStru::dropConstraint)
        ->setObjectName(QStringLiteral("miDropConstraint"));
    pmConstraint->addAction(QStringLiteral("Enable/Disable"), this, &TfmTableStru::enableDisableConstraint)
        ->setObjectName(QStringLiteral("miEnableDisable"));
    pmTrigger = new QMenu(this);
    pmTrigger->setObjectName(QStringLiteral("pmTrigger"));
    pmTrigger->addAction(QStringLiteral("Disable"), this, [this] { alterTrigger(QStringLiteral("disable")); })
        ->setObjectName(QStringLiteral("miDisableTrigger"));
    pmTrigger->addAction(QStringLiteral("Enable"), this, [this] { alterTrigger(QStringLiteral("enable")); })
        ->setObjectName(QStringLiteral("miEnableTrigger"));

    connect(cbColOrder, &QComboBox::currentTextChanged, this, [this](const QString& order) {
        if (!currTableName.isEmpty())
            LoadColumnGrid(order);
    });
    connect(sgColumns, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == 0 && statTastGrCol != QLatin1String("NE"))
            toggleMark(row);
        statTastGrCol.clear();
    });
    connect(sgIndex, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (sgIndex->currentRow() >= 0 && link().isEmpty())
            pmIndex->popup(sgIndex->viewport()->mapToGlobal(at));
    });
    connect(sgConstraint, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const int row = sgConstraint->currentRow();
        if (row < 0 || !link().isEmpty())
            return;
        const QTableWidgetItem* status = sgConstraint->item(row, 3);
        pmConstraint->actions().at(1)->setText(status && status->text() == QLatin1String("ENABLED")
                ? QStringLiteral("Disable")
                : QStringLiteral("Enable"));
        pmConstraint->popup(sgConstraint->viewport()->mapToGlobal(at));
    });
    connect(dbgTrigg, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (quTrigg->active() && quTrigg->recordCount() > 0 && link().isEmpty())
            pmTrigger->popup(dbgTrigg->viewport()->mapToGlobal(at));
    });
    connect(quTrigg, &db::DataSet::reset, this, [this] {
        const int body = quTrigg->fieldIndex(QStringLiteral("TRIGGER_BODY"));
        triggerMemo->bind(body);
        if (body >= 0)
            dbgTrigg->setColumnHidden(body, true);
    });
    connect(cbMaterlaizedView, &QCheckBox::toggled, this, [this](bool materialized) {
        dbgViews->setDataSet(materialized ? quMViews : quViews);
        delete viewMemo;
        viewMemo = new develop::DataAwareMemo(meView, materialized ? quMViews : quViews, this);
        ctViews.clear();
        LoadViews();
    });
    connect(
        quViews, &db::DataSet::reset, this, [this] { viewMemo->bind(quViews->fieldIndex(QStringLiteral("TEXT"))); });
    connect(
        quMViews, &db::DataSet::reset, this, [this] { viewMemo->bind(quMViews->fieldIndex(QStringLiteral("QUERY"))); });
}

void TfmTableStru::setColumnTitles()
{
    const bool slo = admin::slovenian(main);
    sgColumns->setHorizontalHeaderLabels(slo
            ? QStringList { "Prik.", "Ime polja", "Tip", "Dol", "Dec", "Prazno", "Komentar", "Zap.št", "Prednast." }
            : QStringList { "Show", "Column name", "Type", "Len", "Prec", "Null", "Comment", "id", "Default" });
    sgIndex->setHorizontalHeaderLabels(
        slo ? QStringList { "Indeks", "Polje" } : QStringList { "Index Name", "Columns" });
    sgConstraint->setHorizontalHeaderLabels(slo
            ? QStringList { "Konstraint", "Primarni ključ /Vrednost", "Tip", "Status" }
            : QStringList { "Constraint Name", "Primary Key / Value", "Type", "Status" });
}

void TfmTableStru::pcTableChange()
{
    QWidget* page = pcTable->currentWidget();
    if (page != tabData) {
        // Leaving the data page unbinds and hides the cell memo.
        cellMemo->bind(-1);
        dbCelMemo->setVisible(false);
    }
    if (currTableName.isEmpty() && page != tabViews)
        return;
    try {
        if (page == tabIndexes)
            LoadIndexGrid();
        else if (page == tabTriggers)
            LoadTriggers();
        else if (page == tabReferences)
            LoadReferences();
        else if (page == tabDependencies)
            LoadDependencies();
        else if (page == tabConstraints)
            LoadConstraintGrid();
        else if (page == tabData)
            BuildDataQuery();
        else if (page == tabColumns) {
            if (ctTabCol != key()) {
                ctTabCol = key();
                LoadColumnGrid(QStringLiteral("Column_id"));
            }
        } else if (page == tabViews)
            LoadViews();
    } catch (const db::OracleError& e) {
        showError(e.message());
    }
}

void TfmTableStru::LoadColumnGrid(const QString& order)
{
    QTreeWidgetItem* fav = currentFavourite();
    const QString marks = fav && fav->childCount() > 0 ? fav->child(0)->text(0) : QString();
    QList<admin::GridRow> rows;
    try {
        rows = admin::loadColumns(*main.osOracle, currOwner, currTableName, link(), order, marks);
    } catch (const db::OracleError& e) {
        showError(e.message());
        return;
    }
    sgColumns->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        setRow(sgColumns, r, rows[r]);
    sgColumns->resizeColumnsToContents();
}

void TfmTableStru::LoadIndexGrid()
{
    if (ctIndexes == key())
        return;
    ctIndexes = key();
    const auto rows = admin::loadIndexes(*main.osOracle, currOwner, currTableName, link());
    sgIndex->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        setRow(sgIndex, r, { rows[r].name, rows[r].columns });
        // The index's own owner goes with the row: a drop names it.
        sgIndex->item(r, 0)->setData(Qt::UserRole, rows[r].owner);
    }
    sgIndex->resizeColumnToContents(0);
}

void TfmTableStru::LoadConstraintGrid()
{
    if (ctConstraints == key())
        return;
    ctConstraints = key();
    const auto rows = admin::loadConstraints(*main.osOracle, currOwner, currTableName, link());
    sgConstraint->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        setRow(sgConstraint, r, { rows[r].name, rows[r].value, rows[r].kind, rows[r].status });
    sgConstraint->resizeColumnsToContents();
}

void TfmTableStru::LoadTriggers()
{
    if (ctTriggers == key() && quTrigg->active())
        return;
    ctTriggers = key();
    quTrigg->close();
    quTrigg->setSql(admin::triggersStatement(link()));
    quTrigg->setVariable(QStringLiteral("upor"), currOwner);
    quTrigg->setVariable(QStringLiteral("tabela"), currTableName);
    quTrigg->open();
    admin::fitColumns(dbgTrigg, 33);
}

void TfmTableStru::LoadViews()
{
    if (!ctViews.isEmpty() && ctViews == key())
        return;
    if (!currTableName.isEmpty())
        ctViews = key();
    db::DataSet* ds = cbMaterlaizedView->isChecked() ? quMViews : quViews;
    ds->close();
    ds->setVariable(QStringLiteral("upor"), currOwner + QLatin1Char('%'));
    if (p_viewAll || ds == quMViews)
        ds->setVariable(QStringLiteral("tabela"), currTableName.isEmpty() ? QStringLiteral("*") : currTableName);
    ds->open();
    admin::fitColumns(dbgViews, 33);
}

void TfmTableStru::LoadReferences()
{
    if (ctReferences == key())
        return;
    ctReferences = key();
    tvReferences->clear();
    fillTree(nullptr, tvReferences, admin::ReferenceTree(*main.osOracle, currOwner, currTableName));
    tvReferences->expandAll();
}

void TfmTableStru::LoadDependencies()
{
    if (ctDependencies == key())
        return;
    ctDependencies = key();
    tvDependencies->clear();
    fillTree(nullptr, tvDependencies, admin::DependencyTree(*main.osOracle, currOwner, currTableName));
    tvDependencies->expandAll();
}

void TfmTableStru::toggleMark(int row)
{
    QTableWidgetItem* mark = sgColumns->item(row, 0);
    if (!mark)
        return;
    mark->setText(mark->text() == QLatin1String(" ") ? QStringLiteral("+") : QStringLiteral(" "));
}

void TfmTableStru::storeColumnMarks()
{
    QTreeWidgetItem* fav = currentFavourite();
    if (!fav || fav->childCount() < 1)
        return;
    QStringList names;
    for (int r = 0; r < sgColumns->rowCount(); ++r)
        if (sgColumns->item(r, 0) && sgColumns->item(r, 0)->text() == QLatin1String("+"))
            names.append(sgColumns->item(r, 1)->text());
    fav->child(0)->setText(0, names.join(QLatin1Char(',')));
}

void TfmTableStru::spUpdateClick()
{
    // The index and constraint grids switch together between row selection and cell editing (to copy texts).
    const bool rows = sgIndex->selectionBehavior() == QAbstractItemView::SelectRows;
    for (QTableWidget* g : { sgIndex, sgConstraint }) {
        g->setSelectionBehavior(rows ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows);
        g->setEditTriggers(rows ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                : QAbstractItemView::NoEditTriggers);
    }
}

bool TfmTableStru::execDyn(const QString& statement, const QString& action)
{
    // DDL commits the main session: other windows' pending work is asked about first.
    if (!main.confirmMainSessionEnd(this, action))
        return false;
    // No cursor of the window stays open across the DDL: the data page is read again when it is next shown.
    if (!hasPendingData() && quData->active() && !quData->allFetched()) {
        quData->close();
        ctData.clear();
    }
    QString error;
    if (main.execDyn(statement, &error))
        return true;
    showError(error);
    return false;
}

void TfmTableStru::dropIndex()
{
    const int row = sgIndex->currentRow();
    if (row < 0 || !sgIndex->item(row, 0))
        return;
    const QString owner = sgIndex->item(row, 0)->data(Qt::UserRole).toString();
    if (execDyn(QStringLiteral("drop index ")
                + admin::qualifiedName(owner.isEmpty() ? currOwner : owner, sgIndex->item(row, 0)->text()),
            QStringLiteral("Drop"))) {
        ClearTabCaches();
        pcTableChange();
    }
}

void TfmTableStru::dropConstraint()
{
    const int row = sgConstraint->currentRow();
    if (row < 0 || !sgConstraint->item(row, 0))
        return;
    if (execDyn(QStringLiteral("alter table ") + admin::qualifiedName(currOwner, currTableName)
                + QStringLiteral(" drop constraint ") + admin::quoteName(sgConstraint->item(row, 0)->text()),
            QStringLiteral("Drop"))) {
        ClearTabCaches();
        pcTableChange();
    }
}

void TfmTableStru::enableDisableConstraint()
{
    const int row = sgConstraint->currentRow();
    if (row < 0 || !sgConstraint->item(row, 0))
        return;
    const bool enabled = sgConstraint->item(row, 3) && sgConstraint->item(row, 3)->text() == QLatin1String("ENABLED");
    const QString what = enabled ? QStringLiteral("disable") : QStringLiteral("enable");
    const QString name = sgConstraint->item(row, 0)->text();
    if (!execDyn(QStringLiteral("alter table ") + admin::qualifiedName(currOwner, currTableName) + QLatin1Char(' ')
                + what + QStringLiteral(" constraint ") + admin::quoteName(name),
            what))
        return;
    // Every row of the constraint (a key of several columns has several) shows the new state.
    for (int r = 0; r < sgConstraint->rowCount(); ++r)
        if (sgConstraint->item(r, 0) && sgConstraint->item(r, 0)->text() == name && sgConstraint->item(r, 3))
            sgConstraint->item(r, 3)->setText(enabled ? QStringLiteral("DISABLED") : QStringLiteral("ENABLED"));
}

void TfmTableStru::alterTrigger(const QString& what)
{
    if (!quTrigg->active() || quTrigg->recordCount() == 0)
        return;
    const QString owner = quTrigg->fieldValue(QStringLiteral("OWNER")).toString();
    if (execDyn(QStringLiteral("alter trigger ")
                + admin::qualifiedName(
                    owner.isEmpty() ? currOwner : owner, quTrigg->fieldValue(QStringLiteral("TRIGGER_NAME")).toString())
                + QLatin1Char(' ') + what,
            what)) {
        ClearTabCaches();
        pcTableChange();
    }
}
