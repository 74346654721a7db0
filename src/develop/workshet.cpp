#include "develop/workshet.h"

#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "db/query.h"
#include "db/session.h"
#include "develop/datamemo.h"
#include "develop/ownsession.h"
#include "develop/worksheet_navigator.h"
#include "shell/Main.h"
#include "shell/gridutils.h"
#include "shell/localmessagedlg.h"
#include "shell/pendingwork.h"
#include "shell/sqleditor.h"
#include "shell/themedgrid.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const kHintsHelp
    = R"(Optimizer hints are written as a comment right after SELECT, UPDATE or DELETE: /*+ hint */

FULL(table)            read the whole table instead of an index.
                       select /*+ FULL(o) */ * from voxa.orders o where status = 'OPEN'
INDEX(table index)     use the index named.
                       select /*+ INDEX(o orders_cust_ix) */ * from voxa.orders o where customer_id = 10
INDEX_ASC(table index) use the index in ascending order.
INDEX_DESC(table index) use the index in descending order (the newest first).
                       select /*+ INDEX_DESC(o orders_pk) */ * from voxa.orders o where rownum < 10
INDEX_COMBINE(table)   combine bitmap indexes of the table.
INDEX_FFS(table index) read the whole index instead of the table (fast full scan).
ORDERED                join the tables in the order of the FROM clause.
                       select /*+ ORDERED */ c.name, o.order_id from voxa.customers c, voxa.orders o
                        where o.customer_id = c.customer_id
CACHE(table)           keep the blocks of a full scan at the hot end of the buffer cache.
NOCACHE(table)         the opposite: a full scan's blocks leave the cache first.
)";

const char* const kSelectHelp
    = R"(Tree walk: START WITH the root rows, CONNECT BY the link from parent to child, LEVEL the depth.
  select lpad(' ', 2*(level-1)) || ename name, level
    from emp
   start with mgr is null
 connect by prior empno = mgr
NAME                 LEVEL
KING                     1
  JONES                  2
    SCOTT                3

Groups with a condition on the group: HAVING.
  select deptno, count(*) from emp group by deptno having count(*) > 3

Cartesian product: two tables without a join condition give every pair of rows.
  select d.dname, e.ename from dept d, emp e

Outer join: (+) on the side that may have no row.
  select d.dname, e.ename from dept d, emp e where e.deptno(+) = d.deptno
)";

QToolButton* leftButton(QWidget* parent, const char* name, const QString& text, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setMinimumHeight(26);
    return b;
}

// Puts text in place of a pane's contents through an edit of its document: clear() would build the document
// anew, which costs more than the short output of a statement. The pane shows the new text from its top.
void replacePaneText(QPlainTextEdit* pane, const QString& text)
{
    // The same lines again (the same row count, "Statement processed."): nothing to lay out anew.
    QTextDocument* document = pane->document();
    if (document->characterCount() == text.size() + 1 && document->toPlainText() == text)
        return;
    // Positions, not movements: moving to the end would lay the old text out first.
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.setPosition(0);
    cursor.setPosition(document->characterCount() - 1, QTextCursor::KeepAnchor);
    cursor.insertText(text);
    cursor.endEditBlock();
}

QPlainTextEdit* textPane(QWidget* parent, const char* name)
{
    auto* e = new QPlainTextEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    e->setFont(font);
    return e;
}

QWidget* page(QTabWidget* tabs, const char* name, const QString& title)
{
    auto* w = new QWidget(tabs);
    w->setObjectName(QString::fromLatin1(name));
    tabs->addTab(w, title);
    return w;
}

} // namespace

TfmWorkSheet::TfmWorkSheet(TfmMain* main, QWidget* parent)
    : QMainWindow(parent)
    , mainWindow(main)
{
    buildLayout();
    buildMenu();
    buildToolPages();
    FormCreate();
    buildEditingAids();
    // Other windows that end the main session's transaction ask first when this one has work pending there, and the
    // end of the program or of the main session lets this window commit or roll its work back.
    shell::PendingWork work;
    work.report = [this](const db::Session& session) {
        if (currDataBase != &session || !holdsOpenWork())
            return QString();
        const bool slo = mainWindow && mainWindow->currLanguage == QLatin1String("SLO");
        return windowTitle()
            + (slo ? QStringLiteral(": nepotrjene spremembe") : QStringLiteral(": changes not yet committed"));
    };
    work.end = [this](db::Session& session, bool commit) { return endWork(session, commit); };
    work.ownSessions = [this] { return std::vector<db::Session*> { tmpDataBase }; };
    shell::registerPendingWork(this, std::move(work));
    // The window's keys work wherever its focus is: in the editor, the grids and the fields of every page.
    qApp->installEventFilter(this);
}

TfmWorkSheet::~TfmWorkSheet()
{
    qApp->removeEventFilter(this);
    // The close handler waits for a run; a window destroyed without closing (the program ending) breaks it here
    // and waits for the worker before the members it uses (the statistics) go.
    if (runner && runner->running() && currDataBase)
        currDataBase->breakExecution();
    delete runner;
    runner = nullptr;
}

bool TfmWorkSheet::running() const
{
    return runner && runner->running();
}

// ---- layout

void TfmWorkSheet::buildLayout()
{
    setObjectName(QStringLiteral("fmWorkSheet"));
    resize(698, 550);

    spSplitter = new QSplitter(Qt::Vertical, this);
    spSplitter->setObjectName(QStringLiteral("spSplitter"));
    setCentralWidget(spSplitter);

    paResp = new QWidget(spSplitter);
    paResp->setObjectName(QStringLiteral("paResp"));
    auto* respLayout = new QVBoxLayout(paResp);
    respLayout->setContentsMargins(2, 2, 2, 0);
    pcResp = new QTabWidget(paResp);
    pcResp->setObjectName(QStringLiteral("pcResp"));
    pcResp->setDocumentMode(true);
    respLayout->addWidget(pcResp);

    // Result grid page.
    TabRespGrid = page(pcResp, "TabRespGrid", QStringLiteral("Data"));
    {
        auto* l = new QHBoxLayout(TabRespGrid);
        l->setContentsMargins(0, 0, 0, 0);
        auto* side = new QVBoxLayout;
        spConvertToAscii = new QToolButton(TabRespGrid);
        spConvertToAscii->setObjectName(QStringLiteral("spConvertToAscii"));
        spConvertToAscii->setText(QStringLiteral("\u2261"));
        spConvertToAscii->setToolTip(QStringLiteral("Convert select results into string"));
        side->addWidget(spConvertToAscii);
        side->addStretch();
        l->addLayout(side);
        auto* gridSplit = new QSplitter(Qt::Vertical, TabRespGrid);
        dbgSelect = qobject_cast<TThemedDBGrid*>(shell::createDataGrid(QStringLiteral("TDBGrid"), gridSplit));
        dbgSelect->setObjectName(QStringLiteral("dbgSelect"));
        dbgSelect->setDrawNullCells(true);
        dbgSelect->setContextMenuPolicy(Qt::ActionsContextMenu);
        auto* fit = new QAction(QStringLiteral("Prilagodi stolpce"), dbgSelect);
        fit->setObjectName(QStringLiteral("miAdjustColumns"));
        dbgSelect->addAction(fit);
        connect(fit, &QAction::triggered, this, &TfmWorkSheet::adjustResultColumns);
        dbmMemo = textPane(gridSplit, "dbmMemo");
        dbmMemo->setReadOnly(true);
        dbmMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        dbmMemo->hide();
        l->addWidget(gridSplit, 1);
    }

    TabRespSQL = page(pcResp, "TabRespSQL", QStringLiteral("Output"));
    {
        auto* l = new QVBoxLayout(TabRespSQL);
        l->setContentsMargins(0, 0, 0, 0);
        meRespSQL = textPane(TabRespSQL, "meRespSQL");
        // A day's output is not kept a second time as edits to undo.
        meRespSQL->setUndoRedoEnabled(false);
        l->addWidget(meRespSQL, 1);
        auto* row = new QHBoxLayout;
        btClearContents = new QPushButton(QStringLiteral("Clear Contents"), TabRespSQL);
        btClearContents->setObjectName(QStringLiteral("btClearContents"));
        connect(btClearContents, &QPushButton::clicked, meRespSQL, &QPlainTextEdit::clear);
        row->addWidget(btClearContents);
        row->addStretch();
        l->addLayout(row);
    }

    TabRespError = page(pcResp, "TabRespError", QStringLiteral("Errors"));
    {
        auto* l = new QVBoxLayout(TabRespError);
        l->setContentsMargins(0, 0, 0, 0);
        meRespError = textPane(TabRespError, "meRespError");
        meRespError->setReadOnly(true);
        meRespError->setUndoRedoEnabled(false);
        l->addWidget(meRespError);
    }

    tabExplain = page(pcResp, "tabExplain", QStringLiteral("Explain plan"));
    {
        auto* l = new QVBoxLayout(tabExplain);
        l->setContentsMargins(0, 0, 0, 0);
        meExplain = textPane(tabExplain, "meExplain");
        meExplain->setReadOnly(true);
        l->addWidget(meExplain);
    }

    tabSesStat = page(pcResp, "tabSesStat", QStringLiteral("Statistics"));
    {
        auto* outer = new QVBoxLayout(tabSesStat);
        auto* panel = new QWidget(tabSesStat);
        panel->setObjectName(QStringLiteral("paStatistics"));
        panel->setAutoFillBackground(true);
        QPalette pal = panel->palette();
        pal.setColor(QPalette::Window, Qt::white);
        panel->setPalette(pal);
        auto* form = new QFormLayout(panel);
        laStatTitle = new QLabel(QStringLiteral("STATISTICS:"), panel);
        laStatTitle->setObjectName(QStringLiteral("laStatTitle"));
        laStatTitle->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
        form->addRow(laStatTitle);
        auto value = [panel](const char* name) {
            auto* l = new QLabel(QStringLiteral("0"), panel);
            l->setObjectName(QString::fromLatin1(name));
            return l;
        };
        laBlocks = value("laBlocks");
        laConsGets = value("laConsGets");
        laPhReads = value("laPhReads");
        laConsChanges = value("laConsChanges");
        laBlockChanges = value("laBlockChanges");
        form->addRow(QStringLiteral(" Block gets :"), laBlocks);
        form->addRow(QStringLiteral("Consistent gets:"), laConsGets);
        form->addRow(QStringLiteral("Physical reads:"), laPhReads);
        form->addRow(QStringLiteral("Consistent changes:"), laConsChanges);
        form->addRow(QStringLiteral("Block changes:"), laBlockChanges);
        outer->addWidget(panel);
        outer->addStretch();
    }

    tabHist = page(pcResp, "tabHist", QStringLiteral("History"));

    TabHelp = page(pcResp, "TabHelp", QStringLiteral("Help"));
    {
        auto* l = new QHBoxLayout(TabHelp);
        auto* side = new QVBoxLayout;
        btHints = new QPushButton(QStringLiteral("SQL optimization hints"), TabHelp);
        btHints->setObjectName(QStringLiteral("btHints"));
        btExamples = new QPushButton(QStringLiteral("Select Examples"), TabHelp);
        btExamples->setObjectName(QStringLiteral("btExamples"));
        side->addWidget(btHints);
        side->addWidget(btExamples);
        side->addStretch();
        l->addLayout(side);
        meHelp = textPane(TabHelp, "meHelp");
        meHelp->setReadOnly(true);
        meHelp->setPlainText(QString::fromUtf8(kHintsHelp));
        l->addWidget(meHelp, 1);
        connect(btHints, &QPushButton::clicked, this, [this] { meHelp->setPlainText(QString::fromUtf8(kHintsHelp)); });
        connect(
            btExamples, &QPushButton::clicked, this, [this] { meHelp->setPlainText(QString::fromUtf8(kSelectHelp)); });
    }

    tabProcFunc = page(pcResp, "tabProcFunc", QStringLiteral("Procedures"));
    tabTabela = page(pcResp, "tabTabela", QStringLiteral("Select builder"));

    // Statement area.
    paSQL = new QWidget(spSplitter);
    paSQL->setObjectName(QStringLiteral("paSQL"));
    auto* sqlLayout = new QVBoxLayout(paSQL);
    sqlLayout->setContentsMargins(2, 0, 2, 2);
    sqlLayout->setSpacing(2);
    auto* middle = new QHBoxLayout;
    paSQLLeft = new QWidget(paSQL);
    paSQLLeft->setObjectName(QStringLiteral("paSQLLeft"));
    paSQLLeft->setFixedWidth(92);
    auto* left = new QVBoxLayout(paSQLLeft);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(2);
    spExe = leftButton(paSQLLeft, "spExe", QStringLiteral("\u25b6 Execute"), QStringLiteral("Execute"));
    spExe->setCheckable(true);
    spExe->setMinimumHeight(34);
    QFont bold = spExe->font();
    bold.setBold(true);
    spExe->setFont(bold);
    spBack = leftButton(paSQLLeft, "spBack", QStringLiteral("\u25c0 Previous"), QStringLiteral("Previous"));
    spNext = leftButton(paSQLLeft, "spNext", QStringLiteral("Next \u25b6"), QStringLiteral("Next"));
    spClear = leftButton(paSQLLeft, "spClear", QStringLiteral("Clear"), QStringLiteral("Clear"));
    spExplain = leftButton(paSQLLeft, "spExplain", QStringLiteral("Explain"), QStringLiteral("Explain"));
    spLive = leftButton(paSQLLeft, "spLive", QStringLiteral("Live"), QStringLiteral("Make Query Live"));
    spSaveHist
        = leftButton(paSQLLeft, "spSaveHist", QStringLiteral("Save hist."), QStringLiteral("Save command to history"));
    for (QToolButton* b : { spExe, spBack, spNext, spClear, spExplain, spLive, spSaveHist })
        left->addWidget(b);
    left->addStretch();
    middle->addWidget(paSQLLeft);
    meWork = new shell::SqlEditor(paSQL);
    meWork->setObjectName(QStringLiteral("meWork"));
    middle->addWidget(meWork, 1);
    sqlLayout->addLayout(middle, 1);

    paRespBottom = new QWidget(paSQL);
    paRespBottom->setObjectName(QStringLiteral("paRespBottom"));
    auto* bottom = new QHBoxLayout(paRespBottom);
    bottom->setContentsMargins(0, 0, 0, 0);
    laTimeCaption = new QLabel(QStringLiteral("Time:"), paRespBottom);
    laTimeCaption->setObjectName(QStringLiteral("laTimeCaption"));
    laTime = new QLabel(paRespBottom);
    laTime->setObjectName(QStringLiteral("laTime"));
    laTime->setMinimumWidth(90);
    laCursor = new QLabel(paRespBottom);
    laCursor->setObjectName(QStringLiteral("laCursor"));
    laCursor->setMinimumWidth(80);
    btCommit = new QPushButton(QStringLiteral("&Commit"), paRespBottom);
    btCommit->setObjectName(QStringLiteral("btCommit"));
    btCommit->setEnabled(false);
    btRollback = new QPushButton(QStringLiteral("&Rollback"), paRespBottom);
    btRollback->setObjectName(QStringLiteral("btRollback"));
    btRollback->setEnabled(false);
    oNavigator = new develop::DataSetNavigator(paRespBottom);
    bottom->addWidget(laTimeCaption);
    bottom->addWidget(laTime);
    bottom->addWidget(laCursor);
    bottom->addStretch();
    bottom->addWidget(btCommit);
    bottom->addWidget(btRollback);
    bottom->addSpacing(12);
    bottom->addWidget(oNavigator);
    sqlLayout->addWidget(paRespBottom);

    spSplitter->setStretchFactor(0, 3);
    spSplitter->setStretchFactor(1, 2);
    spSplitter->setSizes({ 281, 240 });

    tiCas = new QTimer(this);
    tiCas->setObjectName(QStringLiteral("tiCas"));
    tiCas->setInterval(1000);
    connect(tiCas, &QTimer::timeout, this, &TfmWorkSheet::tiCasTimer);
    busyLook = new QTimer(this);
    busyLook->setSingleShot(true);
    busyLook->setInterval(150);
    connect(busyLook, &QTimer::timeout, this, &TfmWorkSheet::showBusy);
    breakRetry = new QTimer(this);
    breakRetry->setInterval(200);
    connect(breakRetry, &QTimer::timeout, this, [this] {
        if (running() && currDataBase)
            currDataBase->breakExecution();
        else
            breakRetry->stop();
    });

    connect(spExe, &QToolButton::clicked, this, &TfmWorkSheet::spExeClick);
    connect(btCommit, &QPushButton::clicked, this, &TfmWorkSheet::btCommitClick);
    connect(btRollback, &QPushButton::clicked, this, &TfmWorkSheet::btRollbackClick);
    connect(spBack, &QToolButton::clicked, this, [this] { historyStep(-1); });
    connect(spNext, &QToolButton::clicked, this, [this] { historyStep(1); });
    connect(spClear, &QToolButton::clicked, this, [this] {
        meWork->clear();
        file.clear();
        setWindowTitle(develop::WorksheetFile::caption(sUserCaption, QString()));
    });
    connect(meWork, &shell::SqlEditor::cursorPositionChanged, this,
        [this](int line, int index) { laCursor->setText(QStringLiteral("%1 : %2").arg(line + 1).arg(index + 1)); });
    connect(dbgSelect, &TThemedDBGrid::titleClick, this, &TfmWorkSheet::titleClick);
}

void TfmWorkSheet::buildMenu()
{
    QMenuBar* bar = menuBar();
    auto item = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    mnFile = bar->addMenu(QStringLiteral("&File "));
    mnFile->setObjectName(QStringLiteral("mnFile"));
    miConnect = item(mnFile, "miConnect", QStringLiteral("&Connect"));
    miDisconnect = item(mnFile, "miDisconnect", QStringLiteral("&Disconnect"));
    mnFile->addSeparator();
    miOpen = item(mnFile, "miOpen", QStringLiteral("&Open"));
    miSave = item(mnFile, "miSave", QStringLiteral("&Save"));
    miSaveAs = item(mnFile, "miSaveAs", QStringLiteral("Save &As"));

    mnView = bar->addMenu(QStringLiteral("&View"));
    mnView->setObjectName(QStringLiteral("mnView"));
    miViewData = item(mnView, "miViewData", QStringLiteral("Data"));
    miViewStatistics = item(mnView, "miViewStatistics", QStringLiteral("Statistics"));
    miViewOutput = item(mnView, "miViewOutput", QStringLiteral("Output"));
    connect(miViewData, &QAction::triggered, this, [this] { showPage(TabRespGrid); });
    connect(miViewStatistics, &QAction::triggered, this, [this] { showPage(tabSesStat); });
    connect(miViewOutput, &QAction::triggered, this, [this] { showPage(TabRespSQL); });

    mnSetup = bar->addMenu(QStringLiteral("&Setup "));
    mnSetup->setObjectName(QStringLiteral("mnSetup"));
    miStatisticsScreen = item(mnSetup, "miStatisticsScreen", QStringLiteral("Statistics Screen ON"));
    miStatisticsScreen->setCheckable(true);
    miQueryAllRecords = item(mnSetup, "miQueryAllRecords", QStringLiteral("QueryAllRecords"));
    miQueryAllRecords->setCheckable(true);
    miQueryByExample = item(mnSetup, "miQueryByExample", QStringLiteral("QueryByExample"));
    miQueryByExample->setCheckable(true);
    miDbmsOutput = item(mnSetup, "miDbmsOutput", QStringLiteral("DBMS_Output"));
    miDbmsOutput->setCheckable(true);
    miClearOutput = item(mnSetup, "miClearOutput", QStringLiteral("Clear Output ON"));
    miClearOutput->setCheckable(true);
    miClearOutput->setChecked(true);
    miEcho = item(mnSetup, "miEcho", QStringLiteral("Echo ON"));
    miEcho->setCheckable(true);
    connect(miStatisticsScreen, &QAction::triggered, this, [this](bool checked) {
        // Checked: the statistics come to the front; unchecked: back to the page of the last result.
        if (checked)
            showPage(tabSesStat);
        else if (pcResp->currentWidget() == tabSesStat)
            showPage(zadnjiEkran == QLatin1String("GRID")  ? TabRespGrid
                    : zadnjiEkran == QLatin1String("MEMO") ? TabRespSQL
                                                           : TabRespError);
        else
            showPage(tabSesStat);
    });
    connect(miQueryAllRecords, &QAction::toggled, this, [this](bool on) { quDynWork->setQueryAllRecords(on); });
    connect(miQueryByExample, &QAction::toggled, this, [this](bool on) { oNavigator->setQueryByExample(on); });
    // The action flips its check before the handler, which flips it the way the menu item's own handler does.
    connect(miDbmsOutput, &QAction::triggered, this, [this] {
        miDbmsOutput->setChecked(!miDbmsOutput->isChecked());
        mnDbmsOutputClick();
    });

    mnUtilities = bar->addMenu(QStringLiteral("&Utilities"));
    mnUtilities->setObjectName(QStringLiteral("mnUtilities"));
    miPrepareSelect = item(mnUtilities, "miPrepareSelect", QStringLiteral("Prepare Select Statement"));
    miFuncProc = item(mnUtilities, "miFuncProc", QStringLiteral("Func/Proc/Package parameters"));
    miConvertDelphi = item(mnUtilities, "miConvertDelphi", QStringLiteral("CovertDelphiString"));
    miMakeLive = item(mnUtilities, "miMakeLive", QStringLiteral("Make Query Live"));
    miLargeRB = item(mnUtilities, "miLargeRB", QStringLiteral("Large RB ONLINE"));
    miLargeRB->setCheckable(true);
    connect(miPrepareSelect, &QAction::triggered, this, [this] { showPage(tabTabela); });

    mnHistory = bar->addAction(QStringLiteral("&History "));
    mnHistory->setObjectName(QStringLiteral("mnHistory"));
    mnHelp = bar->addAction(QStringLiteral("&Help "));
    mnHelp->setObjectName(QStringLiteral("mnHelp"));
    connect(mnHelp, &QAction::triggered, this, [this] { showPage(TabHelp); });
    mnExit = bar->addAction(QStringLiteral("&Exit"));
    mnExit->setObjectName(QStringLiteral("mnExit"));
    connect(mnExit, &QAction::triggered, this, &QWidget::close);
}

// ---- creation and texts

void TfmWorkSheet::FormCreate()
{
    currDataBase = mainWindow ? mainWindow->osOracle : nullptr;

    quDynWork = new db::DataSet(currDataBase, this);
    quDynWork->setObjectName(QStringLiteral("quDynWork"));
    quDynWork->setReadBuffer(100);
    quDynWork->setRefreshAfterInsert(true);
    quDynWork->setRefreshAfterUpdate(true);
    quDynQuery = new db::Query(currDataBase, this);
    quDynQuery->setObjectName(QStringLiteral("quDynQuery"));
    quGetTime = new db::Query(currDataBase, this);
    quGetTime->setObjectName(QStringLiteral("quGetTime"));
    quGetTime->setSql(QStringLiteral("select  sysdate cas from dual"));
    quTmp = new db::Query(currDataBase, this);
    quTmp->setObjectName(QStringLiteral("quTmp"));
    runner = new develop::StatementRunner(this);
    connect(runner, &develop::StatementRunner::finished, this, &TfmWorkSheet::runFinished);

    quHistory->setSession(currDataBase);
    dbgSelect->setDataSet(quDynWork);
    oNavigator->setDataSet(quDynWork);
    oNavigator->setBusyCheck([this] { return running(); });
    connect(oNavigator, &develop::DataSetNavigator::clicked, this, [this](develop::DataSetNavigator::Button b) {
        using B = develop::DataSetNavigator::Button;
        if (b == B::Insert || b == B::Delete || b == B::Edit)
            enableTransactionButtons(true);
        else
            followTransaction();
    });
    connect(oNavigator, &develop::DataSetNavigator::failed, this,
        [this](const QString& message) { QMessageBox::warning(this, windowTitle(), message); });
    connect(quDynWork, &db::DataSet::stateChanged, this, [this](db::DataSet::State s) {
        if (!btCommit->isEnabled() && (s == db::DataSet::State::Edit || s == db::DataSet::State::Insert))
            enableTransactionButtons(true);
    });
    connect(quDynWork, &db::DataSet::currentChanged, this, &TfmWorkSheet::showMemoField);
    connect(dbgSelect->dataModel(), &db::DataSetModel::errorOccurred, this,
        [this](const QString& message) { QMessageBox::warning(this, windowTitle(), message); });

    if (const QScreen* screen = this->screen(); screen && screen->geometry().height() >= 1024) {
        resize(width(), height() + 150);
        spSplitter->setSizes({ 281 + 150, 240 });
    }
    pTipkaF9 = false;
    setTexts();
    meWork->clear();
    designedCaption = windowTitle();
    laTime->clear();
    // A new worksheet shows where its results will come: the data page, not an empty error page.
    showPage(TabRespGrid);
    setWorkStevec(WorkStevec);

    if (mainWindow) {
        tmpDataBase = develop::createOwnSession(*mainWindow, this);
    } else {
        tmpDataBase = new db::Session(this);
        tmpDataBase->setObjectName(QStringLiteral("ORA_TMP0"));
    }

    if (currDataBase && currDataBase->connected()) {
        try {
            quTmp->setSql(QStringLiteral("begin dbms_output.enable(200000); end;"));
            quTmp->execute();
        } catch (const db::OracleError&) {
            // Without DBMS_OUTPUT the worksheet works all the same.
        }
        quTmp->setSql(QString());
    }
    ORACLEVersion = mainWindow ? mainWindow->ORACLEVersion : QString();
    if (ORACLEVersion.isEmpty() && currDataBase)
        ORACLEVersion = currDataBase->serverMajorVersion();
    mnDbmsOutputClick();
    if (currDataBase && currDataBase->connected() && !statistics.attach(*currDataBase)) {
        // Without the session's number there are no statistics: said once the window is up, and their items off.
        QTimer::singleShot(0, this, [this] { statisticsFailed(); });
    }
    loadHistoryRing();
    followTransaction();
}

void TfmWorkSheet::setWorkStevec(int number)
{
    WorkStevec = number;
    sCaption = number > 1 ? designedCaption + QLatin1Char(' ') + QString::number(number) : designedCaption;
    if (mainWindow)
        sUserCaption = sCaption + QStringLiteral("  (") + mainWindow->connUser + QLatin1Char('@')
            + mainWindow->connServer + QLatin1Char(')');
    else
        sUserCaption = sCaption;
    setWindowTitle(sUserCaption);
    setToolTip(sUserCaption);
}

void TfmWorkSheet::setTexts()
{
    const bool slo = mainWindow && mainWindow->currLanguage == QLatin1String("SLO");
    nizErrThread = QStringLiteral("ERROR on CREATING THREAD!!! Leave Woorksheet!");
    nizErrStat = QStringLiteral("Error on statistic!");
    nizErrHist = QStringLiteral("NO HISTORY TABLE (VEXO_UTIL.VEXO_HIST) DEFINED");
    nizErrExp = QStringLiteral("FIRST CLOSE CURRENT TRANSACTION!");
    nizErrOn = QStringLiteral("ERROR ON:");
    nizCloseForm = QStringLiteral("Error on closing form !");
    nizComCur = QStringLiteral("Commit current transaction");
    nizErrStr = QStringLiteral("String is not DELPHI Query like string");
    nizSpExeHint = QStringLiteral("Execute");
    nizSpExeHintBreak = QStringLiteral("Break");
    nizMainSessionTransaction = QStringLiteral(
        "This worksheet works on the main session: Yes commits and No rolls back the main session's whole "
        "transaction, with the changes made in the other windows. Cancel keeps the worksheet open.");
    nizPendingEdits = QStringLiteral("The result grid holds changes that are not saved yet. Apply them before the "
                                     "statement runs? (No drops them.)");
    nizStatementProcessed = QStringLiteral("Statement processed");
    nizRowsProcessed = QStringLiteral("%1 rows processed");
    setWindowTitle(QStringLiteral("WorkSheet"));
    if (slo) {
        nizErrThread = QStringLiteral("Napaka pri kreiranju niti!!! Zapusti formo!");
        nizErrStat = QStringLiteral("Napaka na statistikah!");
        nizErrHist = QStringLiteral("Tabela za zgodovino ne obstaja (VEXO_UTIL.VEXO_HIST)");
        nizErrExp = QStringLiteral("Najprej zapri trenutno transakcijo!");
        nizErrOn = QStringLiteral("Napaka na:");
        nizCloseForm = QStringLiteral("Napaka pri zapiranju forme!");
        nizComCur = QStringLiteral("Shrani trenutno transakcijo?");
        nizErrStr = QStringLiteral("Niz ni tipa DELPHI SQL !");
        nizSpExeHint = QStringLiteral("izvedi");
        nizSpExeHintBreak = QStringLiteral("Prekini");
        nizMainSessionTransaction = QStringLiteral(
            "Ta delovni list dela na glavni seji: Da potrdi in Ne prekliče celotno transakcijo glavne seje, "
            "s spremembami iz drugih oken. Prekliči pusti delovni list odprt.");
        nizPendingEdits = QStringLiteral("V mreži rezultatov so neshranjene spremembe. Jih uveljavim pred "
                                         "izvedbo stavka? (Ne jih zavrže.)");
        nizStatementProcessed = QStringLiteral("Stavek izveden");
        nizRowsProcessed = QStringLiteral("Obdelanih vrstic: %1");
        setWindowTitle(QStringLiteral("SQL Poizvedbe"));
        mnFile->setTitle(QStringLiteral("Prijava/Odjava"));
        miConnect->setText(QStringLiteral("&Prijava"));
        miDisconnect->setText(QStringLiteral("&Odjava"));
        miOpen->setText(QStringLiteral("O&dpri"));
        miSave->setText(QStringLiteral("&Shrani"));
        miSaveAs->setText(QStringLiteral("Shrani &kot"));
        mnView->setTitle(QStringLiteral("P&rikaz"));
        miViewData->setText(QStringLiteral("Podatki"));
        miViewStatistics->setText(QStringLiteral("Statistike"));
        miViewOutput->setText(QStringLiteral("Izhodni ekran"));
        mnSetup->setTitle(QStringLiteral("Nastavitve"));
        miStatisticsScreen->setText(QStringLiteral("Vklop okna za stat."));
        miQueryAllRecords->setText(QStringLiteral("Zajem vseh zapisov"));
        miQueryByExample->setText(QStringLiteral("Lokalne poizvedbe"));
        miDbmsOutput->setText(QStringLiteral("Prikaz DBMS_OUTPUT"));
        miClearOutput->setText(QStringLiteral("Brisanje ekrana"));
        miEcho->setText(QStringLiteral("Eho VKLOPLJEN"));
        mnUtilities->setTitle(QStringLiteral("Dodatki"));
        miPrepareSelect->setText(QStringLiteral("Pripravi SQL stavek"));
        miFuncProc->setText(QStringLiteral("Funkcije/Procedure"));
        miConvertDelphi->setText(QStringLiteral("Pretvori Delphi niz"));
        miMakeLive->setText(QStringLiteral("Naredi \"live\" poizvedbo"));
        miLargeRB->setText(QStringLiteral("LARGERB ONLINE"));
        mnHistory->setText(QStringLiteral("Zgodovina"));
        mnHelp->setText(QStringLiteral("Pomoč"));
        if (mainWindow) {
            mnExit->setText(mainWindow->nizExit);
            btCommit->setText(mainWindow->nizCommit);
            btRollback->setText(mainWindow->nizRollback);
        }
        spConvertToAscii->setToolTip(QStringLiteral("Pretvori v niz"));
        spBack->setToolTip(QStringLiteral("Prejšnji ukaz"));
        spBack->setText(QStringLiteral("\u25c0 Prejšnji"));
        spNext->setToolTip(QStringLiteral("Naslednji ukaz"));
        spNext->setText(QStringLiteral("Naslednji \u25b6"));
        spClear->setToolTip(QStringLiteral("Briši"));
        spClear->setText(QStringLiteral("Briši"));
        spExplain->setToolTip(QStringLiteral("Razloži potek poizvedbe"));
        spExplain->setText(QStringLiteral("Razloži"));
        spLive->setToolTip(QStringLiteral("\"Live\" poizvedba"));
        spSaveHist->setToolTip(QStringLiteral("Shrani poizvedbo"));
        spSaveHist->setText(QStringLiteral("Shrani"));
        spExe->setText(QStringLiteral("\u25b6 Izvedi"));
        laTimeCaption->setText(QStringLiteral("Čas:"));
        laStatTitle->setText(QStringLiteral("STATISTIKE"));
        btClearContents->setText(QStringLiteral("Briši vsebino"));
        pcResp->setTabText(pcResp->indexOf(TabRespGrid), QStringLiteral("Podatki"));
        pcResp->setTabText(pcResp->indexOf(TabRespSQL), QStringLiteral("Izhodni ekran"));
        pcResp->setTabText(pcResp->indexOf(TabRespError), QStringLiteral("Napake"));
        pcResp->setTabText(pcResp->indexOf(tabExplain), QStringLiteral("Potek"));
        pcResp->setTabText(pcResp->indexOf(tabSesStat), QStringLiteral("Statistike"));
        pcResp->setTabText(pcResp->indexOf(tabHist), QStringLiteral("Zgodovina"));
        pcResp->setTabText(pcResp->indexOf(TabHelp), QStringLiteral("Pomoč"));
        pcResp->setTabText(pcResp->indexOf(tabProcFunc), QStringLiteral("Procedure"));
        pcResp->setTabText(pcResp->indexOf(tabTabela), QStringLiteral("Tabela"));
    }
    setToolTexts(slo);
    spExe->setToolTip(nizSpExeHint);
}

// ---- keys

bool TfmWorkSheet::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // The filter sits on the application: only keys that reach this window's own widgets are the window's.
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride)
        && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        const bool ctrl = mods == Qt::ControlModifier;
        const bool run
            = key->key() == Qt::Key_F9 || (ctrl && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter));
        const bool back = ctrl && key->key() == Qt::Key_P;
        const bool next = ctrl && key->key() == Qt::Key_N;
        const bool fit = ctrl && key->key() == Qt::Key_Plus && (key->modifiers() & Qt::KeypadModifier);
        if (run || back || next || fit) {
            if (type == QEvent::ShortcutOverride) {
                event->accept(); // the keys are the window's, not an editor command's
                return true;
            }
            if (type == QEvent::KeyPress && !key->isAutoRepeat()) {
                if (run) {
                    pTipkaF9 = true;
                    startRunFromKeyboard();
                } else if (back) {
                    historyStep(-1);
                } else if (next) {
                    historyStep(1);
                } else {
                    adjustResultColumns();
                }
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfmWorkSheet::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        followLargeRB();
        if (!running())
            meWork->setFocus();
    }
}

void TfmWorkSheet::followLargeRB()
{
    const QAction* mainItem = mainWindow ? mainWindow->menuItem(QStringLiteral("mmActivateLargeRB")) : nullptr;
    miLargeRB->setChecked(mainItem && mainItem->isChecked());
}

bool TfmWorkSheet::event(QEvent* event)
{
    // The window's hint (its caption with the user and database) is shown over its frame and bars, not over the
    // editor, the grids and the text panes, where it would cover what the user reads.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        for (QWidget* w = childAt(help->pos()); w && w != this; w = w->parentWidget()) {
            if (qobject_cast<QAbstractScrollArea*>(w)) {
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::event(event);
}

// ---- the run

void TfmWorkSheet::spExeClick()
{
    if (spExe->isChecked())
        startRun();
    else
        breakRun();
}

void TfmWorkSheet::startRunFromKeyboard()
{
    // A key pressed while a statement runs starts nothing: the run at work owns the window's components.
    if (running())
        return;
    startRun();
}

void TfmWorkSheet::releaseExecute()
{
    spExe->setChecked(false);
    spExe->setToolTip(nizSpExeHint);
}

void TfmWorkSheet::startRun()
{
    if (running()) {
        // The button went down again while the broken run has not reported yet: the press breaks it again (a
        // break that came just before the statement reached the server found nothing to stop).
        spExe->setChecked(false);
        breakRun();
        return;
    }
    spExe->setToolTip(nizSpExeHintBreak);
    pTipkaF9 = false;
    if (miDbmsOutput->isChecked() && currDataBase)
        currDataBase->enableOutput(100000);
    if (objectName().isEmpty()) {
        QMessageBox::warning(this, windowTitle(), nizErrThread);
        releaseExecute();
        return;
    }
    const QString text = meWork->textCrLf();
    QString trimmed = text;
    while (!trimmed.isEmpty()
        && (trimmed.endsWith(QLatin1Char(' ')) || trimmed.endsWith(QLatin1Char('\r'))
            || trimmed.endsWith(QLatin1Char('\n'))))
        trimmed.chop(1);
    if (trimmed.isEmpty()) {
        releaseExecute();
        return;
    }
    const QString statement = develop::statementFromText(text);
    const develop::StatementClass cls = develop::classifyStatement(statement);
    const QString desc = cls.desc ? develop::descQuery(statement) : QString();
    if (statement.trimmed().isEmpty() || (cls.desc && desc.isEmpty())) {
        releaseExecute();
        return;
    }
    if (!currDataBase || !currDataBase->connected()) {
        develop::RunOutcome o;
        o.failed = true;
        o.errorMessage = QStringLiteral("ORA-03114: not connected to ORACLE");
        o.errorCode = 3114;
        meRespError->clear();
        showError(o);
        showPage(TabRespError);
        releaseExecute();
        return;
    }
    // Values typed into the grid are not dropped without the user's word before the new result replaces them.
    if (!settlePendingEdits()) {
        releaseExecute();
        return;
    }
    // DDL, COMMIT and ROLLBACK end the session's transaction: on the main session, other windows' work with it.
    if (const QString word = develop::transactionEndingWord(statement);
        !word.isEmpty() && !mainSessionEndAllowed(word)) {
        releaseExecute();
        return;
    }
    runStartedInTransaction = currDataBase->inTransaction();
    if (!meRespError->document()->isEmpty())
        meRespError->clear();
    meWork->clearErrorMark();
    if (!spExe->isChecked()) // a run started from the keyboard
        spExe->setChecked(true);
    dbmMemo->hide();
    memoColumn = -1;
    quDynWork->setCachedUpdates(false);
    meWork->setFocus();

    runText = text;
    runStatementText = statement;
    runClass = cls;
    lSelect = cls.lSelect;
    lUpdate = cls.lUpdate;
    lDelete = cls.lDelete;
    lInsert = cls.lInsert;
    lError = true;
    busyLook->start();
    if (cls.query())
        runQuery(cls.desc ? desc : statement);
    else
        runStatement(statement);
}

bool TfmWorkSheet::settlePendingEdits()
{
    if (!quDynWork->active())
        return true;
    const bool editing = quDynWork->editModified();
    if (!editing && !quDynWork->updatesPending())
        return true;
    const int answer = shell::LocalMessageDlg(nizPendingEdits, shell::MsgDlgType::mtConfirmation,
        shell::MsgDlgBtn::mbYesNoCancel, 0, mainWindow ? mainWindow->currLanguage : QString());
    if (answer == shell::mrYes) {
        try {
            if (editing)
                quDynWork->post();
            if (quDynWork->cachedUpdates() && quDynWork->updatesPending()) {
                currDataBase->applyUpdates({ quDynWork }, false);
                madeChanges = true;
            }
        } catch (const db::OracleError& e) {
            QMessageBox::warning(this, windowTitle(), e.message());
            return false;
        }
        followTransaction();
        enableTransactionButtons(true);
        return true;
    }
    if (answer == shell::mrNo) {
        if (editing)
            quDynWork->cancel();
        quDynWork->cancelUpdates();
        return true;
    }
    return false;
}

void TfmWorkSheet::runQuery(const QString& sql)
{
    zadnjiEkran = QStringLiteral("GRID");
    quDynWork->setSession(currDataBase);
    quDynWork->setSql(sql);
    quDynWork->setQueryAllRecords(miQueryAllRecords->isChecked());
    currdt = QDateTime::currentDateTime();
    elapsed.start();
    tiCas->start();
    if (develop::wantsCachedUpdates(runStatementText))
        quDynWork->setCachedUpdates(true);
    db::DataSet* dataSet = quDynWork;
    startWithStatistics([dataSet] { return develop::openDataSet(*dataSet); });
}

void TfmWorkSheet::runStatement(const QString& statement)
{
    zadnjiEkran = QStringLiteral("MEMO");
    // With "Clear Output ON" the pane is emptied when the run's lines arrive, or when the run shows as busy:
    // emptying it here as well would lay it out twice for every short statement.
    clearOutputPending = miClearOutput->isChecked();
    if (!clearOutputPending)
        meRespSQL->appendPlainText(QString());
    runProducedOutput = false;
    pendingOutput.clear();
    quDynQuery->setSession(currDataBase);
    quDynQuery->setSql(statement);
    // The database's time before the statement: the objects it compiles carry a later change time.
    dtOra = QDateTime();
    if (!runClass.dml()) {
        try {
            quGetTime->setSession(currDataBase);
            quGetTime->execute();
            dtOra = quGetTime->field(QStringLiteral("CAS")).toDateTime();
            quGetTime->close();
        } catch (const db::OracleError&) {
            dtOra = QDateTime();
        }
    }
    // Only the look for compile errors after the statement needs the local start time; a DML statement has none.
    currdt = runClass.dml() ? QDateTime() : QDateTime::currentDateTime();
    elapsed.start();
    tiCas->start();
    db::Query* query = quDynQuery;
    startWithStatistics([query] { return develop::executeQuery(*query); });
}

void TfmWorkSheet::startWithStatistics(std::function<develop::RunOutcome()> work)
{
    // The counters are read on the worker, on the statement's session: just before it, and after it while the
    // window takes the outcome in (endOfRun waits for that read). The difference is the statement's own, and a
    // short statement does not wait for more hand-overs between the threads.
    runStatistics = statistics.enabled() && currDataBase;
    if (!runStatistics) {
        runner->start(std::move(work));
        return;
    }
    develop::SessionStatistics* counters = &statistics;
    db::Session* session = currDataBase;
    runner->start(
        [counters, session, work = std::move(work)] {
            const bool before = counters->before(*session);
            develop::RunOutcome o = work();
            o.statisticsFailed = !before;
            return o;
        },
        [counters, session](const develop::RunOutcome& o) {
            // A failed run shows no statistics; its counters are not read.
            if (!o.failed && !o.statisticsFailed)
                counters->after(*session);
        });
}

void TfmWorkSheet::runFinished(const develop::RunOutcome& outcome)
{
    if (runClass.query())
        queryDone(outcome);
    else
        statementDone(outcome);
}

void TfmWorkSheet::queryDone(const develop::RunOutcome& outcome)
{
    tiCas->stop();
    if (outcome.failed) {
        showError(outcome);
        showPage(TabRespError);
    } else {
        showElapsed(true);
        lError = false;
        showPage(TabRespGrid);
    }
    // A query that opened the transaction (SELECT ... FOR UPDATE locks its rows) holds work of this window.
    if (!outcome.failed && !runStartedInTransaction && currDataBase && currDataBase->inTransaction())
        madeChanges = true;
    endOfRun();
    if (!outcome.failed)
        adjustResultColumns();
}

void TfmWorkSheet::statementDone(const develop::RunOutcome& outcome)
{
    tiCas->stop();
    bool napakaT = outcome.failed;
    if (outcome.failed) {
        showError(outcome);
        showPage(TabRespError);
    } else {
        // Only statements that can change stored objects are followed by the look at their compile errors.
        if (!runClass.dml() && !runStatementText.left(5).toUpper().startsWith(QLatin1String("MERGE"))) {
            try {
                const QStringList errors = develop::readCompileErrors(
                    *currDataBase, ORACLEVersion, dtOra.isValid() ? dtOra : currdt.addSecs(-1));
                if (!errors.isEmpty()) {
                    meRespError->clear();
                    for (const QString& line : errors)
                        addErrorLine(line);
                    napakaT = true;
                    showPage(TabRespError);
                }
            } catch (const db::OracleError&) {
                // Said once a session: a user without the right would otherwise meet it after every statement.
                if (!dictionaryWarned)
                    QMessageBox::warning(
                        this, windowTitle(), QStringLiteral("SELECT ANY DICTIONARY privileg is missing"));
                dictionaryWarned = true;
            }
            if (!napakaT && outcome.warning) {
                // The server said the object was made with errors although they could not be listed.
                meRespError->clear();
                addErrorLine(outcome.warning->message());
                napakaT = true;
                showPage(TabRespError);
            }
        }
        // The transaction buttons follow at the end of the run (endOfRun).
        if (!napakaT) {
            lError = false;
            showElapsed(true);
            if (mainWindow && !mainWindow->nizDone.isEmpty())
                addOutputLine(mainWindow->nizDone);
            if (runClass.dml())
                addOutputLine(nizRowsProcessed.arg(outcome.rowsProcessed));
            showPage(TabRespSQL);
        }
    }
    // A DML statement that changed no row, or a failed one, adds nothing to the transaction worth keeping; any
    // other statement may have changed data.
    const bool addedNothing = outcome.failed || (runClass.dml() && outcome.rowsProcessed == 0);
    emptyTransaction = addedNothing ? (!runStartedInTransaction || emptyTransaction) : false;
    if (!addedNothing && currDataBase && currDataBase->inTransaction())
        madeChanges = true;
    // A failed statement or one that left compile errors was not simply processed.
    if (!napakaT && !runProducedOutput)
        addOutputLine(nizStatementProcessed);
    if (currDataBase) {
        const QStringList lines = currDataBase->takeOutputLines();
        for (const QString& line : lines) {
            if (napakaT)
                addErrorLine(line);
            else
                addOutputLine(line);
        }
    }
    writeOutput();
    endOfRun();
}

void TfmWorkSheet::showError(const develop::RunOutcome& outcome)
{
    meRespError->clear();
    const QStringList editorLines = meWork->textLines();
    int line = outcome.errorLine;
    int position = outcome.errorPosition;
    if (runClass.desc) {
        // The error concerns the dictionary query, not a place in the editor.
        line = 0;
        position = 0;
    } else if (line > 0) {
        const develop::EditorPlace place = develop::editorPlace(runText, runStatementText, line, position);
        line = place.line;
        position = place.position;
    }
    for (const QString& l : develop::errorViewLines(editorLines, line, position, outcome.errorMessage))
        addErrorLine(l);
    if (line > 0 && line <= editorLines.size())
        meWork->setErrorMark(line, position, qMax(1, develop::errorTokenLength(editorLines.at(line - 1), position)));
    if (outcome.cancelled())
        showElapsed(true);
}

void TfmWorkSheet::showElapsed(bool withMilliseconds)
{
    laTime->setText(develop::elapsedText(elapsed.isValid() ? elapsed.elapsed() : 0, withMilliseconds));
}

void TfmWorkSheet::tiCasTimer()
{
    showElapsed(false);
}

void TfmWorkSheet::showBusy()
{
    if (!running())
        return;
    // Nothing else runs on the session while the statement does: the grid of the previous result stops
    // fetching and the transaction buttons wait for the outcome. Until then their handlers refuse to act.
    setCursor(Qt::BusyCursor);
    oNavigator->setEnabled(false);
    enableTransactionButtons(false);
    if (clearOutputPending) {
        clearOutputPending = false;
        meRespSQL->clear();
    }
}

void TfmWorkSheet::endOfRun()
{
    // The counters after the run are read by the worker while the outcome was taken in.
    runner->waitFollowUp();
    if (runStatistics && !statistics.enabled())
        statisticsFailed();
    runStatistics = false;
    breakRetry->stop();
    busyLook->stop();
    if (testAttribute(Qt::WA_SetCursor)) // set only by a run that showed as busy
        unsetCursor();
    oNavigator->setEnabled(true);
    oNavigator->updateButtons();
    if (!lError)
        showStatistics();
    recordInHistory(runText);
    if (meWork->errorMarkLine() == 0)
        meWork->selectAll();
    releaseExecute();
    followTransaction();
}

void TfmWorkSheet::breakRun()
{
    tiCas->stop();
    showElapsed(true);
    if (running() && currDataBase) {
        currDataBase->breakExecution();
        // A break that arrives before the worker has handed the statement to the server stops nothing; it is
        // repeated until the run reports.
        breakRetry->start();
    }
    spExe->setToolTip(nizSpExeHint);
    pTipkaF9 = false;
}

// ---- transaction buttons

void TfmWorkSheet::enableTransactionButtons(bool on)
{
    btCommit->setEnabled(on);
    btRollback->setEnabled(on);
}

void TfmWorkSheet::followTransaction()
{
    if (running())
        return;
    if (!currDataBase || !currDataBase->inTransaction()) {
        emptyTransaction = false;
        madeChanges = false;
    }
    const bool pending = quDynWork && quDynWork->active() && (quDynWork->updatesPending() || quDynWork->editModified());
    enableTransactionButtons((currDataBase && currDataBase->inTransaction() && !emptyTransaction) || pending);
}

bool TfmWorkSheet::holdsOpenWork() const
{
    const bool pending = quDynWork && quDynWork->active() && (quDynWork->updatesPending() || quDynWork->editModified());
    if (pending || madeChanges)
        return true;
    // The own session's transaction is this window's alone; the main session's is shared, and this window speaks
    // only for the changes it made there (another window's work is that window's to report).
    const bool ownSession = currDataBase && (!mainWindow || currDataBase != mainWindow->osOracle);
    return ownSession && currDataBase->connected() && currDataBase->inTransaction() && !emptyTransaction;
}

bool TfmWorkSheet::mainSessionEndAllowed(const QString& action)
{
    if (!mainWindow || currDataBase != mainWindow->osOracle)
        return true;
    return mainWindow->confirmMainSessionEnd(this, action);
}

bool TfmWorkSheet::endWork(db::Session& session, bool commit)
{
    if (currDataBase != &session)
        return true;
    if (running()) {
        breakRun();
        runner->waitForIdle();
    }
    if (!holdsOpenWork())
        return true;
    if (commit)
        return commitWork();
    rollbackWork();
    return true;
}

void TfmWorkSheet::btCommitClick()
{
    if (!currDataBase || running())
        return;
    if (!mainSessionEndAllowed(QString(btCommit->text()).remove(QLatin1Char('&'))))
        return;
    commitWork();
}

bool TfmWorkSheet::commitWork()
{
    try {
        if (quDynWork->active()
            && (quDynWork->state() == db::DataSet::State::Edit || quDynWork->state() == db::DataSet::State::Insert))
            quDynWork->post();
        if (quDynWork->active() && quDynWork->cachedUpdates() && quDynWork->updatesPending())
            currDataBase->applyUpdates({ quDynWork }, true);
        enableTransactionButtons(false);
        currDataBase->commit();
        emptyTransaction = false;
        madeChanges = false;
        return true;
    } catch (const db::OracleError& e) {
        // Nothing typed is lost: the grid keeps its changes and the buttons stay for another try.
        enableTransactionButtons(true);
        QMessageBox::warning(this, windowTitle(), e.message());
        return false;
    }
}

void TfmWorkSheet::btRollbackClick()
{
    if (!currDataBase || running())
        return;
    if (!mainSessionEndAllowed(QString(btRollback->text()).remove(QLatin1Char('&'))))
        return;
    rollbackWork();
}

void TfmWorkSheet::rollbackWork()
{
    try {
        if (quDynWork->active()
            && (quDynWork->state() == db::DataSet::State::Edit || quDynWork->state() == db::DataSet::State::Insert))
            quDynWork->cancel();
        quDynWork->cancelUpdates();
    } catch (const db::OracleError&) {
    }
    try {
        currDataBase->rollback();
    } catch (const db::OracleError&) {
    }
    emptyTransaction = false;
    madeChanges = false;
    enableTransactionButtons(false);
}

void TfmWorkSheet::mnDbmsOutputClick()
{
    if (miDbmsOutput->isChecked()) {
        miDbmsOutput->setChecked(false);
        if (currDataBase)
            currDataBase->disableOutput();
    } else {
        miDbmsOutput->setChecked(true);
        if (currDataBase)
            currDataBase->enableOutput(100000);
    }
}

bool TfmWorkSheet::jeVTransakciji(const QString& dataBase) const
{
    return currDataBase && currDataBase->database().toUpper() == dataBase.toUpper() && btCommit->isEnabled();
}

// ---- pages and the grid

void TfmWorkSheet::showPage(QWidget* p)
{
    pcResp->setCurrentWidget(p);
}

void TfmWorkSheet::writeOutput()
{
    // The run's lines reach the pane in one piece: each line on its own would lay the pane out again.
    if (clearOutputPending) {
        clearOutputPending = false;
        replacePaneText(meRespSQL, pendingOutput.join(QLatin1Char('\n')));
    } else if (!pendingOutput.isEmpty()) {
        meRespSQL->appendPlainText(pendingOutput.join(QLatin1Char('\n')));
    }
    pendingOutput.clear();
}

void TfmWorkSheet::addOutputLine(const QString& line)
{
    pendingOutput << line;
    runProducedOutput = true;
}

void TfmWorkSheet::addErrorLine(const QString& line)
{
    meRespError->appendPlainText(line);
}

void TfmWorkSheet::adjustResultColumns()
{
    if (quDynWork->active())
        shell::AdjustGridColumns(dbgSelect, 100, 33);
}

void TfmWorkSheet::titleClick(int dataColumn)
{
    if (dbmMemo->isHidden()) {
        memoColumn = dataColumn;
        dbmMemo->show();
    } else {
        memoColumn = -1;
        dbmMemo->hide();
    }
    if (dataMemo)
        dataMemo->bind(memoColumn);
}

void TfmWorkSheet::showMemoField()
{
    if (dataMemo)
        dataMemo->refresh();
}

// ---- history in memory and statistics

void TfmWorkSheet::recordInHistory(const QString& text)
{
    history.record(text);
}

void TfmWorkSheet::historyStep(int direction)
{
    const std::optional<QString> t = direction < 0 ? history.previous() : history.next();
    if (!t)
        return;
    QString text = *t;
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    meWork->setText(text);
}

void TfmWorkSheet::statisticsFailed()
{
    miViewStatistics->setEnabled(false);
    miStatisticsScreen->setEnabled(false);
    miStatisticsScreen->setChecked(false);
    QMessageBox::warning(this, windowTitle(), nizErrStat);
}

void TfmWorkSheet::showStatistics()
{
    // The counters were read around the run by the worker (startWithStatistics).
    if (!statistics.enabled() || !currDataBase)
        return;
    const develop::SessionIo d = statistics.differences();
    laBlocks->setText(QString::number(d.blockGets));
    laConsGets->setText(QString::number(d.consistentGets));
    laPhReads->setText(QString::number(d.physicalReads));
    laConsChanges->setText(QString::number(d.consistentChanges));
    laBlockChanges->setText(QString::number(d.blockChanges));
    if (miStatisticsScreen->isChecked())
        showPage(tabSesStat);
}

// ---- closing

bool TfmWorkSheet::FormCloseQuery()
{
    if (running()) {
        // The statement is broken and the worker is waited for, serving events, before anything goes.
        breakRun();
        runner->waitForIdle();
    }
    if (!currDataBase)
        return true;
    try {
        const bool mainSession = mainWindow && currDataBase == mainWindow->osOracle;
        if (currDataBase->connected() && holdsOpenWork()) {
            QString question = nizComCur;
            if (mainSession)
                question += QStringLiteral("\n\n") + nizMainSessionTransaction;
            const int answer = shell::LocalMessageDlg(question, shell::MsgDlgType::mtConfirmation,
                shell::MsgDlgBtn::mbYesNoCancel, 0, mainWindow ? mainWindow->currLanguage : QString());
            // The question said what the answer covers on the main session: no second question.
            if (answer == shell::mrYes) {
                if (!commitWork())
                    return false; // the commit failed and said why; the changes stay
            } else if (answer == shell::mrNo) {
                rollbackWork();
            } else {
                return false;
            }
        }
        if (currDataBase != (mainWindow ? mainWindow->osOracle : nullptr) && currDataBase->connected())
            currDataBase->logOff();
    } catch (const db::OracleError& e) {
        QMessageBox::warning(this, windowTitle(), nizCloseForm + QLatin1Char('\n') + e.message());
    }
    return true;
}

void TfmWorkSheet::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    if (mainWindow && mainWindow->workSheetStevec == WorkStevec)
        --mainWindow->workSheetStevec;
    // The grid lets go of the data set before it is closed.
    quDynWork->close();
    event->accept();
}
