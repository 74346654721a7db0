// TfmScript: creation, layout, language texts, activation and closing, and the messages of the window. Storing is
// in execScr_store.cpp, running in execScr_run.cpp, the lists and maintenance in execScr_pages.cpp.
#include "deploy/execScr.h"

#include "db/dataset.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "deploy/execthread.h"
#include "deploy/scriptstats.h"
#include "develop/lastver.h"
#include "shell/Main.h"
#include "shell/localmessagedlg.h"
#include "shell/pendingwork.h"
#include "shell/sqleditor.h"
#include "shell/themedgrid.h"
#include "shell/windowregistry.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(QWidget* parent, const char* name)
{
    return named(new QLabel(parent), name);
}

QPlainTextEdit* textPane(QWidget* parent, const char* name)
{
    auto* e = named(new QPlainTextEdit(parent), name);
    e->setReadOnly(true);
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    e->setFont(font);
    return e;
}

QToolButton* actionButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon)
{
    auto* b = named(new QToolButton(parent), name);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(false);
    return b;
}

QComboBox* typeCombo(QWidget* parent, const char* name)
{
    auto* c = named(new QComboBox(parent), name);
    // Wide enough for the longest entry of either language, so that changing the entry moves nothing.
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(13);
    c->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return c;
}

// The data grid of a list: the themed grid (a plain data grid is the themed one once it is installed).
TThemedDBGrid* dataGrid(QWidget* parent, const char* name)
{
    QTableView* grid = shell::createDataGrid(QStringLiteral("TDBGrid"), parent);
    auto* themed = qobject_cast<TThemedDBGrid*>(grid);
    if (!themed) {
        delete grid;
        themed = static_cast<TThemedDBGrid*>(shell::createDataGrid(QStringLiteral("TThemedDBGrid"), parent));
    }
    themed->setObjectName(QString::fromLatin1(name));
    themed->setDrawNullCells(true);
    themed->setWordWrap(false);
    themed->verticalHeader()->setDefaultSectionSize(themed->fontMetrics().height() + 6);
    return themed;
}

QVBoxLayout* pageLayout(QWidget* page)
{
    auto* l = new QVBoxLayout(page);
    l->setContentsMargins(6, 6, 6, 6);
    l->setSpacing(6);
    return l;
}

} // namespace

TfmScript::TfmScript(TfmMain* main, QWidget* parent)
    : QMainWindow(parent)
    , mainWindow(main)
    , osOracle(main ? main->osOracle : nullptr)
{
    quSkripte = new db::DataSet(osOracle, this);
    quSkripte->setObjectName(QStringLiteral("quSkripte"));
    quSkripte->setReadOnly(true);
    quFind = new db::DataSet(osOracle, this);
    quFind->setObjectName(QStringLiteral("quFind"));
    quFind->setReadOnly(true);
    quDyn = new db::Query(osOracle, this);
    quDyn->setObjectName(QStringLiteral("quDyn"));
    buildLayout();
    wire();
    FormCreate();
    // When the main window closes, a run stops before its next statement; the program ends once the statement at
    // work has ended.
    if (main)
        connect(main, &TfmMain::closed, this, [this] { konec = true; });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { konec = true; });
    // A status reset waits on the main session for Commit or Rollback: other windows ask before they end it.
    shell::registerPendingWork(this, [this](const db::Session& session) {
        if (&session != osOracle || !resetPending)
            return QString();
        return texts.nizResetPending.arg(windowTitle());
    });
}

TfmScript::~TfmScript()
{
    // A statement still running on the thread ends before the window's components go.
    thread.reset();
}

// ---- layout

void TfmScript::buildLayout()
{
    setObjectName(QStringLiteral("fmScript"));
    resize(1060, 700);

    tbScript = named(new QToolBar(this), "tbScript");
    tbScript->setMovable(false);
    tbScript->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tbScript->setIconSize(QSize(20, 20));
    addToolBar(Qt::TopToolBarArea, tbScript);
    auto toolButton = [this](const char* name, QStyle::StandardPixmap icon) {
        auto* b = named(new QToolButton(tbScript), name);
        b->setIcon(style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        tbScript->addWidget(b);
        return b;
    };
    tbOpenF = toolButton("tbOpenF", QStyle::SP_DialogOpenButton);
    tbRun = toolButton("tbRun", QStyle::SP_MediaPlay);
    tbSearch = toolButton("tbSearch", QStyle::SP_FileDialogContentsView);
    tbStat = toolButton("tbStat", QStyle::SP_FileDialogDetailedView);
    tbDeleteMore = toolButton("tbDeleteMore", QStyle::SP_TrashIcon);
    tbScript->addSeparator();
    tbLargeRB = toolButton("tbLargeRB", QStyle::SP_DriveHDIcon);
    tbLargeRB->setCheckable(true);
    tbErrors = toolButton("tbErrors", QStyle::SP_MessageBoxWarning);
    auto* spacer = new QWidget(tbScript);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    tbScript->addWidget(spacer);
    tbExit = toolButton("tbExit", QStyle::SP_DialogCloseButton);

    auto* central = named(new QWidget(this), "paMain");
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    paGlava = buildHeader();
    layout->addWidget(paGlava);
    pcExec = named(new QTabWidget(central), "pcExec");
    // Pages are chosen by the tool buttons, not by tabs.
    pcExec->tabBar()->hide();
    pcExec->setDocumentMode(true);
    tabEmpty = named(new QWidget(pcExec), "tabEmpty");
    laEmpty = label(tabEmpty, "laEmpty");
    laEmpty->setAlignment(Qt::AlignCenter);
    laEmpty->setWordWrap(true);
    laEmpty->setStyleSheet(QStringLiteral("color: #707070;"));
    pageLayout(tabEmpty)->addWidget(laEmpty);
    pcExec->addTab(tabEmpty, QString());
    pcExec->addTab(buildOpenFilePage(), QString());
    pcExec->addTab(buildExecPage(), QString());
    pcExec->addTab(buildSearchPage(), QString());
    pcExec->addTab(buildStatPage(), QString());
    pcExec->addTab(buildDeletePage(), QString());
    layout->addWidget(pcExec, 1);
    setCentralWidget(central);

    // The state of the large rollback segment and the last version stored here, in the status bar.
    auto* state = named(new QWidget(this), "paState");
    auto* sl = new QHBoxLayout(state);
    sl->setContentsMargins(6, 0, 6, 0);
    sl->setSpacing(4);
    laLargeRBCaption = label(state, "laLargeRBCaption");
    laLargeRB = label(state, "laLargeRB");
    laLastVerCaption = label(state, "laLastVerCaption");
    laLastVer = label(state, "laLastVer");
    QFont bold = laLargeRB->font();
    bold.setBold(true);
    laLargeRB->setFont(bold);
    laLastVer->setFont(bold);
    sl->addWidget(laLargeRBCaption);
    sl->addWidget(laLargeRB);
    sl->addSpacing(20);
    sl->addWidget(laLastVerCaption);
    sl->addWidget(laLastVer);
    sl->addStretch(1);
    statusBar()->addWidget(state, 1);

    tiClose = named(new QTimer(this), "tiClose");
    tiClose->setInterval(1000);
    tiClose->setSingleShot(true);
}

QWidget* TfmScript::buildHeader()
{
    auto* w = named(new QFrame(this), "paGlava");
    static_cast<QFrame*>(w)->setFrameShape(QFrame::StyledPanel);
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(6, 4, 6, 4);
    l->setSpacing(6);
    laAllScripts = label(w, "laAllScripts");
    cbAllScripts = named(new QComboBox(w), "cbAllScripts");
    cbAllScripts->setEditable(true);
    cbAllScripts->setInsertPolicy(QComboBox::NoInsert);
    cbAllScripts->setMinimumWidth(180);
    cbAllScripts->setMaxVisibleItems(25);
    laStat = label(w, "laStat");
    cbStat = typeCombo(w, "cbStat");
    laNapaka = label(w, "laNapaka");
    edNapaka = named(new QLineEdit(w), "edNapaka");
    edNapaka->setMinimumWidth(70);
    edNapaka->setMaximumWidth(130);
    laFilter = label(w, "laFilter");
    edFilter = named(new QLineEdit(w), "edFilter");
    edFilter->setMinimumWidth(100);
    edFilter->setMaximumWidth(160);
    spFltScript = named(new QPushButton(w), "spFltScript");
    for (QWidget* c : std::initializer_list<QWidget*> { laAllScripts, cbAllScripts, laStat, cbStat, laNapaka, edNapaka,
             laFilter, edFilter, spFltScript })
        l->addWidget(c);
    l->addStretch(1);
    QFont bold = laAllScripts->font();
    bold.setBold(true);
    laAllScripts->setFont(bold);
    return w;
}

QWidget* TfmScript::buildOpenFilePage()
{
    tabOpenFile = named(new QWidget(this), "tabOpenFile");
    auto* l = pageLayout(tabOpenFile);
    auto* row = new QHBoxLayout;
    laDir = label(tabOpenFile, "laDir");
    edDir = named(new QLineEdit(tabOpenFile), "edDir");
    laSkripta = label(tabOpenFile, "laSkripta");
    edSkripta = named(new QLineEdit(tabOpenFile), "edSkripta");
    edSkripta->setMinimumWidth(200);
    btOpenFile = named(new QPushButton(QStringLiteral("..."), tabOpenFile), "btOpenFile");
    btOpenFile->setFixedWidth(34);
    btScriptPut = named(new QPushButton(tabOpenFile), "btScriptPut");
    btScriptPut->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    btScriptPut->setEnabled(false);
    btSaveScript = named(new QPushButton(tabOpenFile), "btSaveScript");
    btSaveScript->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    btSaveScript->setEnabled(false);
    row->addWidget(laDir);
    row->addWidget(edDir, 3);
    row->addWidget(laSkripta);
    row->addWidget(edSkripta, 1);
    row->addWidget(btOpenFile);
    row->addSpacing(10);
    row->addWidget(btScriptPut);
    row->addWidget(btSaveScript);
    l->addLayout(row);
    auto* split = named(new QSplitter(Qt::Vertical, tabOpenFile), "spOpenFile");
    meVse = named(new shell::SqlEditor(split), "meVse");
    auto* out = new QWidget(split);
    auto* ol = new QVBoxLayout(out);
    ol->setContentsMargins(0, 2, 0, 0);
    ol->setSpacing(2);
    laOutput = label(out, "laOutput");
    meOutput = textPane(out, "meOutput");
    meOutput->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ol->addWidget(laOutput);
    ol->addWidget(meOutput);
    split->setStretchFactor(0, 5);
    split->setStretchFactor(1, 1);
    split->setSizes({ 480, 100 });
    l->addWidget(split, 1);
    return tabOpenFile;
}

QWidget* TfmScript::buildExecPage()
{
    tabExec = named(new QWidget(this), "tabExec");
    auto* l = pageLayout(tabExec);
    auto* row1 = new QHBoxLayout;
    laShowType = label(tabExec, "laShowType");
    cbShowType = typeCombo(tabExec, "cbShowType");
    btRefresh = named(new QPushButton(tabExec), "btRefresh");
    btRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    spExecOne = actionButton(tabExec, "spExecOne", QStyle::SP_MediaSeekForward);
    spExecAllScript = actionButton(tabExec, "spExecAllScript", QStyle::SP_MediaPlay);
    QFont bold = spExecAllScript->font();
    bold.setBold(true);
    spExecAllScript->setFont(bold);
    btStop = named(new QPushButton(tabExec), "btStop");
    btStop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    btStop->setEnabled(false);
    cbStopOnError = named(new QCheckBox(tabExec), "cbStopOnError");
    cbStopOnError->setChecked(true);
    cbThread = named(new QCheckBox(tabExec), "cbThread");
    cbMess = named(new QCheckBox(tabExec), "cbMess");
    cbMess->setChecked(true);
    row1->addWidget(laShowType);
    row1->addWidget(cbShowType);
    row1->addWidget(btRefresh);
    row1->addSpacing(16);
    row1->addWidget(spExecOne);
    row1->addWidget(spExecAllScript);
    row1->addWidget(btStop);
    row1->addSpacing(16);
    row1->addWidget(cbStopOnError);
    row1->addWidget(cbThread);
    row1->addWidget(cbMess);
    row1->addStretch(1);
    l->addLayout(row1);
    auto* row2 = new QHBoxLayout;
    sbNeizvedeno = actionButton(tabExec, "sbNeizvedeno", QStyle::SP_BrowserReload);
    spDelete = actionButton(tabExec, "spDelete", QStyle::SP_DialogDiscardButton);
    spDeleteAll = actionButton(tabExec, "spDeleteAll", QStyle::SP_TrashIcon);
    btCommit = named(new QPushButton(tabExec), "btCommit");
    btRollback = named(new QPushButton(tabExec), "btRollback");
    btCommit->setEnabled(false);
    btRollback->setEnabled(false);
    row2->addWidget(sbNeizvedeno);
    row2->addWidget(spDelete);
    row2->addWidget(spDeleteAll);
    row2->addStretch(1);
    row2->addWidget(btCommit);
    row2->addWidget(btRollback);
    l->addLayout(row2);

    spExec = named(new QSplitter(Qt::Vertical, tabExec), "spExec");
    swExec = named(new QStackedWidget(spExec), "swExec");
    dbgSkripte = dataGrid(swExec, "dbgSkripte");
    dbgSkripte->setDataSet(quSkripte);
    swExec->addWidget(dbgSkripte);

    paRun = named(new QWidget(swExec), "paRun");
    auto* rl = new QVBoxLayout(paRun);
    rl->setContentsMargins(0, 0, 0, 0);
    auto* counters = named(new QFrame(paRun), "paStatistics");
    counters->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QHBoxLayout(counters);
    grid->setContentsMargins(10, 8, 10, 8);
    QFont big = font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    auto counter = [&](QLabel*& caption, QLabel*& value, const char* captionName, const char* valueName) {
        caption = label(counters, captionName);
        value = label(counters, valueName);
        value->setFont(big);
        value->setText(QStringLiteral("0"));
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
        grid->addWidget(caption);
        grid->addWidget(value);
        grid->addSpacing(20);
    };
    counter(laCurrentCaption, laCurrent, "laCurrentCaption", "laCurrent");
    counter(laErrorsCaption, laErrors, "laErrorsCaption", "laErrors");
    counter(laScriptNumberCaption, laScriptNumber, "laScriptNumberCaption", "laScriptNumber");
    counter(laToExecuteCaption, laToExecute, "laToExecuteCaption", "laToExecute");
    grid->addStretch(1);
    laErrors->setStyleSheet(QStringLiteral("color: #b00000;"));
    rl->addWidget(counters);
    meTekocaSkripta = textPane(paRun, "meTekocaSkripta");
    rl->addWidget(meTekocaSkripta, 1);
    swExec->addWidget(paRun);

    meLong = named(new shell::SqlEditor(spExec), "meLong");
    spExec->setStretchFactor(0, 3);
    spExec->setStretchFactor(1, 2);
    spExec->setSizes({ 360, 200 });
    l->addWidget(spExec, 1);
    return tabExec;
}

QWidget* TfmScript::buildSearchPage()
{
    TabSearch = named(new QWidget(this), "TabSearch");
    auto* l = pageLayout(TabSearch);
    auto* row = new QHBoxLayout;
    laFindScript = label(TabSearch, "laFindScript");
    edFindScript = named(new QLineEdit(TabSearch), "edFindScript");
    laFindStat = label(TabSearch, "laFindStat");
    cbFIndStat = typeCombo(TabSearch, "cbFIndStat");
    laFindNapaka = label(TabSearch, "laFindNapaka");
    edFindNapaka = named(new QLineEdit(TabSearch), "edFindNapaka");
    laFindFilter = label(TabSearch, "laFindFilter");
    edFindFilter = named(new QLineEdit(TabSearch), "edFindFilter");
    btFind = named(new QPushButton(TabSearch), "btFind");
    btFind->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    for (QWidget* c : std::initializer_list<QWidget*> {
             laFindScript, edFindScript, laFindStat, cbFIndStat, laFindNapaka, edFindNapaka, laFindFilter, edFindFilter, btFind })
        row->addWidget(c);
    row->addStretch(1);
    l->addLayout(row);
    auto* split = named(new QSplitter(Qt::Vertical, TabSearch), "spSearch");
    dbgSearch = dataGrid(split, "dbgSearch");
    dbgSearch->setDataSet(quFind);
    auto* memos = new QSplitter(Qt::Horizontal, split);
    auto pane = [memos](QLabel*& caption, QPlainTextEdit*& memo, const char* captionName, const char* memoName) {
        auto* w = new QWidget(memos);
        auto* wl = new QVBoxLayout(w);
        wl->setContentsMargins(0, 2, 0, 0);
        wl->setSpacing(2);
        caption = label(w, captionName);
        memo = textPane(w, memoName);
        wl->addWidget(caption);
        wl->addWidget(memo);
    };
    pane(laFindCont, meFindCont, "laFindCont", "meFindCont");
    pane(laFindErr, meFindErr, "laFindErr", "meFindErr");
    meFindErr->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memos->setSizes({ 600, 400 });
    split->setSizes({ 380, 180 });
    l->addWidget(split, 1);
    return TabSearch;
}

QWidget* TfmScript::buildStatPage()
{
    tabStat = named(new QWidget(this), "tabStat");
    auto* l = pageLayout(tabStat);
    auto* row = new QHBoxLayout;
    laStatScript = label(tabStat, "laStatScript");
    edStatScript = named(new QLineEdit(tabStat), "edStatScript");
    cbStatNotExecuted = named(new QCheckBox(tabStat), "cbStatNotExecuted");
    cbStatErrors = named(new QCheckBox(tabStat), "cbStatErrors");
    cbStatDeleted = named(new QCheckBox(tabStat), "cbStatDeleted");
    btStatRefresh = named(new QPushButton(tabStat), "btStatRefresh");
    btStatRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    btShowScript = named(new QPushButton(tabStat), "btShowScript");
    btShowScript->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    for (QWidget* c : std::initializer_list<QWidget*> {
             laStatScript, edStatScript, cbStatNotExecuted, cbStatErrors, cbStatDeleted, btStatRefresh, btShowScript })
        row->addWidget(c);
    row->addStretch(1);
    l->addLayout(row);
    sgStat = named(new QTableWidget(2, deploy::statColumns, tabStat), "sgStat");
    sgStat->verticalHeader()->hide();
    sgStat->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgStat->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgStat->setSelectionMode(QAbstractItemView::SingleSelection);
    sgStat->setAlternatingRowColors(true);
    sgStat->verticalHeader()->setDefaultSectionSize(sgStat->fontMetrics().height() + 6);
    sgStat->horizontalHeader()->setStretchLastSection(false);
    l->addWidget(sgStat, 1);
    return tabStat;
}

QWidget* TfmScript::buildDeletePage()
{
    TabDeleteMore = named(new QWidget(this), "TabDeleteMore");
    auto* l = pageLayout(TabDeleteMore);
    laDeleteMore = label(TabDeleteMore, "laDeleteMore");
    QFont bold = laDeleteMore->font();
    bold.setBold(true);
    laDeleteMore->setFont(bold);
    l->addWidget(laDeleteMore);
    auto* row = new QHBoxLayout;
    lbDeleteMore = named(new QListWidget(TabDeleteMore), "lbDeleteMore");
    lbDeleteMore->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbDeleteMore->setMaximumWidth(420);
    row->addWidget(lbDeleteMore, 1);
    auto* side = new QVBoxLayout;
    btDelete = named(new QPushButton(TabDeleteMore), "btDelete");
    btDelete->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    side->addWidget(btDelete);
    side->addStretch(1);
    row->addLayout(side);
    row->addStretch(1);
    l->addLayout(row, 1);
    return TabDeleteMore;
}

void TfmScript::wire()
{
    connect(tbOpenF, &QToolButton::clicked, this, &TfmScript::tbOpenFClick);
    connect(tbRun, &QToolButton::clicked, this, &TfmScript::tbRunClick);
    connect(tbSearch, &QToolButton::clicked, this, &TfmScript::tbSearchClick);
    connect(tbStat, &QToolButton::clicked, this, &TfmScript::tbStatClick);
    connect(tbDeleteMore, &QToolButton::clicked, this, &TfmScript::tbDeleteMoreClick);
    connect(tbLargeRB, &QToolButton::clicked, this, &TfmScript::tbLargeRBClick);
    connect(tbErrors, &QToolButton::clicked, this, &TfmScript::tbErrorsClick);
    connect(tbExit, &QToolButton::clicked, this, &QWidget::close);

    connect(btOpenFile, &QPushButton::clicked, this, &TfmScript::btOpenFileClick);
    connect(btScriptPut, &QPushButton::clicked, this, [this] { btScriptPutClick(); });
    connect(btSaveScript, &QPushButton::clicked, this, &TfmScript::btSaveScriptClick);
    connect(meVse, &QsciScintilla::textChanged, this, [this] {
        btSaveScript->setEnabled(true);
        btScriptPut->setEnabled(meVse->lines() > 0 && !meVse->text().isEmpty());
    });
    // The script name is shown in upper case.
    connect(edSkripta, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text == text.toUpper())
            return;
        const int at = edSkripta->cursorPosition();
        edSkripta->setText(text.toUpper());
        edSkripta->setCursorPosition(at);
    });
    connect(edSkripta, &QLineEdit::editingFinished, this, [this] {
        if (mainWindow)
            mainWindow->currentScript = edSkripta->text();
    });
    connect(edDir, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (mainWindow)
            mainWindow->currentScriptDir = text;
    });

    connect(cbAllScripts, &QComboBox::activated, this, [this] { cbAllScriptsClick(); });
    connect(cbAllScripts->lineEdit(), &QLineEdit::returnPressed, this, [this] { cbAllScriptsClick(); });
    connect(cbAllScripts->lineEdit(), &QLineEdit::textEdited, this,
        [this](const QString& text) { p_zadVnosFilterSkripta = text; });
    cbAllScripts->installEventFilter(this);
    cbAllScripts->lineEdit()->installEventFilter(this);
    cbAllScripts->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* miDelete = new QAction(QStringLiteral("Delete"), cbAllScripts);
    miDelete->setObjectName(QStringLiteral("miDeleteScript"));
    cbAllScripts->addAction(miDelete);
    connect(miDelete, &QAction::triggered, this, [this] {
        // Shows the name of the chosen entry; deletes nothing.
        if (cbAllScripts->currentIndex() >= 0)
            message(cbAllScripts->itemText(cbAllScripts->currentIndex()), int(shell::MsgDlgType::mtInformation));
    });
    connect(spFltScript, &QPushButton::clicked, this, &TfmScript::spFltScriptClick);
    connect(edNapaka, &QLineEdit::returnPressed, this, &TfmScript::btRefreshClick);
    connect(edFilter, &QLineEdit::returnPressed, this, &TfmScript::btRefreshClick);

    connect(btRefresh, &QPushButton::clicked, this, &TfmScript::btRefreshClick);
    connect(cbShowType, &QComboBox::currentIndexChanged, this, [this] {
        if (ignoreTypeChange)
            return;
        showRunView(false);
        btRefreshClick();
    });
    connect(cbStat, &QComboBox::currentIndexChanged, this, [this] {
        if (!ignoreTypeChange && pcExec->currentWidget() == tabExec)
            btRefreshClick();
    });
    connect(spExecOne, &QToolButton::clicked, this, &TfmScript::spExecOneClick);
    connect(spExecAllScript, &QToolButton::clicked, this, &TfmScript::spExecAllScriptClick);
    connect(btStop, &QPushButton::clicked, this, &TfmScript::btStopClick);
    connect(sbNeizvedeno, &QToolButton::clicked, this, &TfmScript::sbNeizvedenoClick);
    connect(spDelete, &QToolButton::clicked, this, &TfmScript::spDeleteClick);
    connect(spDeleteAll, &QToolButton::clicked, this, &TfmScript::spDeleteAllClick);
    connect(btCommit, &QPushButton::clicked, this, &TfmScript::btCommitClick);
    connect(btRollback, &QPushButton::clicked, this, &TfmScript::btRollbackClick);
    connect(quSkripte, &db::DataSet::currentChanged, this, &TfmScript::napolniSkriptoIzTabele);
    connect(dbgSkripte, &QAbstractItemView::doubleClicked, this, [this] { spDeleteClick(); });
    meLong->installEventFilter(this);

    connect(btFind, &QPushButton::clicked, this, &TfmScript::btFindClick);
    connect(cbFIndStat, &QComboBox::currentIndexChanged, this, [this] {
        if (!ignoreTypeChange && quFind->active())
            btFindClick();
    });
    for (QLineEdit* e : { edFindScript, edFindNapaka, edFindFilter })
        connect(e, &QLineEdit::returnPressed, this, &TfmScript::btFindClick);
    connect(quFind, &db::DataSet::currentChanged, this, [this] {
        const bool any = quFind->active() && quFind->recNo() > 0;
        meFindCont->setPlainText(any ? quFind->fieldValue(QStringLiteral("SCRIPT_CONT")).toString() : QString());
        meFindErr->setPlainText(any ? quFind->fieldValue(QStringLiteral("SCRIPT_ERR")).toString() : QString());
    });
    connect(dbgSearch, &QAbstractItemView::doubleClicked, this, [this] { dbgSearchDblClick(); });

    connect(btStatRefresh, &QPushButton::clicked, this, &TfmScript::btStatRefreshClick);
    connect(edStatScript, &QLineEdit::returnPressed, this, &TfmScript::btStatRefreshClick);
    connect(btShowScript, &QPushButton::clicked, this, &TfmScript::btShowScriptClick);
    connect(sgStat, &QTableWidget::cellDoubleClicked, this, [this] { btShowScriptClick(); });
    connect(btDelete, &QPushButton::clicked, this, &TfmScript::btDeleteClick);
    connect(tiClose, &QTimer::timeout, this, &QWidget::close);
}

// ---- creation, texts, activation

void TfmScript::FormCreate()
{
    showPage(tabEmpty, true);
    setTexts();
    edDir->setText(mainWindow ? mainWindow->currentScriptDir : QString());
    if (mainWindow && osOracle) {
        readLargeRBState();
        laLastVer->setText(develop::GetLastVer(mainWindow->currLastVer, mainWindow->connServer, mainWindow->connUser));
        p_owner = mainWindow->hooks.aliJeVecInstacijNaTrenutniInstanci
            && mainWindow->hooks.aliJeVecInstacijNaTrenutniInstanci(mainWindow->connServer);
        p_scriptDateOwner = osOracle->connected() && deploy::hasOwnerColumns(*osOracle);
    }
    postaviSkripte();
    tbErrors->setEnabled(shell::windowOpener(QStringLiteral("mmStatus")) != nullptr);
}

QString TfmScript::languageOf() const
{
    return mainWindow ? mainWindow->currLanguage : QString();
}

void TfmScript::setTexts()
{
    texts = mainWindow ? deploy::scriptTexts(languageOf(), mainWindow->nizStop, mainWindow->nizCommit,
                                    mainWindow->nizRollback)
                       : deploy::scriptTexts(QString());
    const bool slo = languageOf() == QLatin1String("SLO");
    // The Slovenian caption is set after the English one with the user and server, so it goes without them.
    if (slo || !mainWindow)
        setWindowTitle(texts.caption);
    else
        setWindowTitle(texts.caption + QStringLiteral("  (") + mainWindow->connUser + QLatin1Char('@')
            + mainWindow->connServer + QLatin1Char(')'));

    auto caption = [](QAbstractButton* b, const QString& text) {
        b->setText(text);
        b->setToolTip(QString(text).remove(QLatin1Char('&')));
    };
    caption(tbOpenF, texts.tbOpenF);
    caption(tbRun, texts.tbRun);
    caption(tbSearch, texts.tbSearch);
    caption(tbStat, texts.tbStat);
    caption(tbLargeRB, texts.tbLargeRB);
    caption(tbErrors, texts.tbErrors);
    caption(tbDeleteMore, texts.tbDeleteMore);
    caption(tbExit, texts.tbExit);

    laEmpty->setText(texts.nizEmptyHint);
    laAllScripts->setText(texts.laAllScripts);
    cbAllScripts->setToolTip(texts.cbAllScriptsHint);
    laStat->setText(texts.laType);
    laNapaka->setText(texts.laNapaka);
    edNapaka->setToolTip(texts.edNapakaHint);
    laFilter->setText(texts.laFilter);
    spFltScript->setText(texts.spFltScript);
    spFltScript->setToolTip(texts.spFltScriptHint);
    laLargeRBCaption->setText(texts.laLargeRB);
    laLastVerCaption->setText(texts.laLastVer);

    laDir->setText(texts.laDir);
    laSkripta->setText(texts.laSkripta);
    btScriptPut->setText(texts.btScriptPut);
    btSaveScript->setText(texts.btSaveScript);
    laOutput->setText(texts.laOutput);

    laShowType->setText(texts.laType);
    btRefresh->setText(texts.btRefresh);
    caption(spExecOne, texts.spExecOne);
    caption(spExecAllScript, texts.spExecAllScript);
    btStop->setText(texts.btStop);
    cbStopOnError->setText(texts.cbStopOnError);
    cbThread->setText(texts.cbThread);
    cbMess->setText(texts.cbMess);
    caption(sbNeizvedeno, texts.sbNeizvedeno);
    caption(spDelete, texts.spDelete);
    caption(spDeleteAll, texts.spDeleteAll);
    btCommit->setText(texts.btCommit);
    btRollback->setText(texts.btRollback);
    laCurrentCaption->setText(texts.laCurrent);
    laErrorsCaption->setText(texts.laErrors);
    laScriptNumberCaption->setText(texts.laScriptNumber);
    laToExecuteCaption->setText(texts.laToExecute);

    laFindScript->setText(texts.laFindScript);
    laFindStat->setText(texts.laType);
    laFindNapaka->setText(texts.laNapaka);
    laFindFilter->setText(texts.laFilter);
    btFind->setText(texts.btFind);
    laFindCont->setText(texts.laFindCont);
    laFindErr->setText(texts.laFindErr);

    laStatScript->setText(texts.laStatScript);
    cbStatNotExecuted->setText(texts.cbStatNotExecuted);
    cbStatErrors->setText(texts.cbStatErrors);
    cbStatDeleted->setText(texts.cbStatDeleted);
    btStatRefresh->setText(texts.btStatRefresh);
    btShowScript->setText(texts.btShowScript);
    sgStat->setHorizontalHeaderLabels(texts.statTitles);

    laDeleteMore->setText(texts.laDeleteMore);
    btDelete->setText(texts.btDelete);

    ignoreTypeChange = true;
    for (QComboBox* box : { cbShowType, cbStat, cbFIndStat }) {
        box->clear();
        box->addItems(texts.typeEntries);
    }
    setTypeEntry(cbShowType, QLatin1Char('N'));
    setTypeEntry(cbStat, QLatin1Char('A'));
    setTypeEntry(cbFIndStat, QLatin1Char('N'));
    ignoreTypeChange = false;
}

void TfmScript::readLargeRBState()
{
    // A user without access to the V$ views still opens the window: the state is then unknown.
    try {
        db::Query q(osOracle);
        q.setSql(QStringLiteral("select * from v$rollstat  where usn in\n"
                                " (select usn  from v$rollname where name=:largeRB)"));
        q.setVariable(QStringLiteral("largeRB"), mainWindow->currLargeRBName);
        q.execute();
        const bool online = !q.eof() && q.field(QStringLiteral("STATUS")).toString() == QLatin1String("ONLINE");
        laLargeRB->setText(online ? QStringLiteral("ONLINE") : QStringLiteral("OFFLINE"));
    } catch (const db::OracleError&) {
        laLargeRB->setText(texts.nizUnknown);
    }
}

void TfmScript::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TfmScript::FormActivate()
{
    p_napaka = false;
    if (mainWindow)
        if (QAction* item = mainWindow->menuItem(QStringLiteral("mmActivateLargeRB")))
            tbLargeRB->setChecked(item->isChecked());
    // An unattended window does its work once, on its first activation; a modal window of its own (or of the main
    // window) activating it again starts nothing.
    if (p_auto && !autoStarted) {
        autoStarted = true;
        QTimer::singleShot(0, this, &TfmScript::autoRun);
    }
}

bool TfmScript::FormCloseQuery()
{
    if (!threadNadaljuj || runAtWork) {
        // The run stops before its next statement and the window closes then.
        konec = true;
        closeAfterRun = true;
        return false;
    }
    return true;
}

void TfmScript::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

// ---- pages and small helpers

void TfmScript::showPage(QWidget* page, bool header)
{
    pcExec->setCurrentWidget(page);
    paGlava->setVisible(header);
}

void TfmScript::setTypeEntry(QComboBox* box, QChar letter)
{
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).startsWith(letter)) {
            box->setCurrentIndex(i);
            return;
        }
    }
}

QChar TfmScript::typeLetter(const QComboBox* box) const
{
    const QString text = box->currentText();
    return text.isEmpty() ? QLatin1Char('A') : text.at(0).toUpper();
}

QString TfmScript::ownerOrStar() const
{
    return p_owner && mainWindow ? mainWindow->connUser.toUpper() : QStringLiteral("*");
}

QString TfmScript::ownerIfMode() const
{
    return p_owner && mainWindow ? mainWindow->connUser.toUpper() : QString();
}

void TfmScript::message(const QString& text, int kind, int buttons)
{
    // Nothing waits for a person in an unattended run: the message goes to the error output.
    if (p_auto || !isVisible()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(texts.caption), qPrintable(text));
        return;
    }
    shell::LocalMessageDlg(text, shell::MsgDlgType(kind), shell::MsgDlgButtons(buttons), 0, languageOf());
}

bool TfmScript::ask(const QString& question)
{
    if (p_auto)
        return false;
    return shell::LocalMessageDlg(
               question, shell::MsgDlgType::mtConfirmation, shell::MsgDlgBtn::mbYesNo, 0, languageOf())
        == shell::mrYes;
}

void TfmScript::showDbError(const QString& text)
{
    message(text, int(shell::MsgDlgType::mtError));
}

bool TfmScript::mayEndMainSession(const QString& action)
{
    if (!mainWindow)
        return true;
    if (p_auto) {
        // Unattended: another window's pending work is never ended without a person to ask.
        const QStringList others = shell::pendingWorkOfOthers(*osOracle, this);
        if (!others.isEmpty()) {
            std::fprintf(stderr, "%s\n",
                qPrintable(QStringLiteral("%1: other windows hold uncommitted work on the main session, which it "
                                          "would end:\n  %2")
                               .arg(action, others.join(QStringLiteral("\n  ")))));
            return false;
        }
        return true;
    }
    return mainWindow->confirmMainSessionEnd(this, action);
}

void TfmScript::setPendingReset(bool on)
{
    resetPending = on;
    btCommit->setEnabled(on);
    btRollback->setEnabled(on);
}

void TfmScript::tbLargeRBClick()
{
    if (!mainWindow)
        return;
    mainWindow->mmActivateLargeRBClick();
    if (QAction* item = mainWindow->menuItem(QStringLiteral("mmActivateLargeRB")))
        tbLargeRB->setChecked(item->isChecked());
    readLargeRBState();
}

void TfmScript::tbErrorsClick()
{
    if (mainWindow)
        mainWindow->openWindow(QStringLiteral("mmStatus"));
}

bool TfmScript::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == cbAllScripts || watched == cbAllScripts->lineEdit()) && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        // Delete in the script list deletes the chosen script (after the question); the key is consumed.
        setTypeEntry(cbShowType, QLatin1Char('A'));
        if (cbAllScripts->currentIndex() < 0) {
            message(texts.nizNothingSelected, int(shell::MsgDlgType::mtInformation));
            return true;
        }
        const QString name = cbAllScripts->itemText(cbAllScripts->currentIndex()).toUpper();
        if (mainWindow)
            mainWindow->currentScript = name;
        cbAllScripts->setEditText(name);
        spDeleteAllClick();
        cbAllScripts->setEditText(p_zadVnosFilterSkripta);
        return true;
    }
    if (watched == meLong) {
        if (event->type() == QEvent::FocusIn)
            tekocaScr = meLong->text();
        else if (event->type() == QEvent::FocusOut)
            meLongLeft();
    }
    return QMainWindow::eventFilter(watched, event);
}
