// The lock window: its layout, texts, activation and the kill of the server's job. The pages' work is in
// LOCK_pages.cpp.
#include "admin/LOCK.h"

#include "admin/lockmessage.h"
#include "admin/lockparams.h"
#include "db/dataset.h"
#include "db/oracleerror.h"
#include "db/session.h"
#include "shell/Main.h"
#include "shell/dmuser.h"
#include "shell/pendingwork.h"
#include "shell/themedgrid.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace admin {
QPointer<TfmLock> fmLock;
} // namespace admin

namespace {

TThemedDBGrid* dataGrid(const char* name, QWidget* parent)
{
    QTableView* view = shell::createDataGrid(QStringLiteral("TDBGrid"), parent);
    auto* grid = qobject_cast<TThemedDBGrid*>(view);
    if (!grid) {
        delete view;
        grid = new TThemedDBGrid(parent);
    }
    grid->setObjectName(QLatin1String(name));
    return grid;
}

QLineEdit* edit(const char* name, QWidget* parent, const QString& text = {})
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

QLabel* label(const char* name, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QPushButton* button(const char* name, QWidget* parent)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QRadioButton* radio(const char* name, QWidget* parent)
{
    auto* r = new QRadioButton(parent);
    r->setObjectName(QLatin1String(name));
    return r;
}

// The pick list of the locking-mode column.
class PickListDelegate : public QStyledItemDelegate {
public:
    PickListDelegate(int column, QStringList items, QObject* parent)
        : QStyledItemDelegate(parent)
        , column(column)
        , items(std::move(items))
    {
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.column() != column)
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->addItems(items);
        box->setMaxVisibleItems(3);
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor))
            box->setCurrentText(index.data(Qt::DisplayRole).toString());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor))
            model->setData(index, box->currentText(), Qt::EditRole);
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    int column;
    QStringList items;
};

} // namespace

namespace admin {

QStyledItemDelegate* makePickListDelegate(int column, const QStringList& items, QObject* parent)
{
    return new PickListDelegate(column, items, parent);
}

} // namespace admin

TfmLock::TfmLock(QWidget* parent)
    : TfmLock(parent, false)
{
}

TfmLock::TfmLock(QWidget* parent, bool schedulerJobs)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("fmLock"));
    setWindowTitle(QStringLiteral("LOCKING"));
    build(schedulerJobs);
    p_lastTab = tabList;
    setLanguageTexts();
    pcList->setCurrentWidget(tabList);
    FdmUsers = std::make_unique<shell::TdmUsers>();
    FLockingModeParams.clear();
    resize(1060, 700);

    // Edits of the locking modes not yet saved, and locks erased without a server (their rows are deleted in the
    // main session's transaction), are this window's pending work there.
    shell::registerPendingWork(this, [this](const db::Session& s) -> QString {
        if (!fmMain || &s != fmMain->osOracle)
            return {};
        const bool slo = language == QLatin1String("SLO");
        if (quLocking && (quLocking->updatesPending() || !FLockingModeParams.isEmpty()))
            return slo ? QStringLiteral("LOCK: neshranjeni tipi zaklepanja")
                       : QStringLiteral("LOCK: locking modes not saved");
        if (erasedPending && s.inTransaction())
            return slo ? QStringLiteral("LOCK: brisanje semaforjev ni potrjeno")
                       : QStringLiteral("LOCK: erased locks not committed");
        return {};
    });
}

TfmLock::~TfmLock()
{
    shell::unregisterPendingWork(this);
}

void TfmLock::build(bool schedulerJobs)
{
    panel = new admin::ServerJobPanel(admin::lockServer(), schedulerJobs, this);
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
    panel->refreshAfterCancelledKill = true;
    panel->killJob = [this](const QString& actor, const QString& reason) { KillJob(actor, reason); };
    panel->beforeRefresh = [this] { pcListChange(); };

    pcList = new QTabWidget(this);
    pcList->setObjectName(QStringLiteral("pcList"));
    tabList = new QWidget;
    tabList->setObjectName(QStringLiteral("tabList"));
    tabHist = new QWidget;
    tabHist->setObjectName(QStringLiteral("tabHist"));
    tabParam = new QWidget;
    tabParam->setObjectName(QStringLiteral("tabParam"));
    tabMemo = new QWidget;
    tabMemo->setObjectName(QStringLiteral("tabMemo"));
    pcList->addTab(tabList, QString());
    pcList->addTab(tabHist, QString());
    pcList->addTab(tabParam, QString());
    pcList->addTab(tabMemo, QString());

    quList = new db::DataSet(fmMain ? fmMain->osOracle : nullptr, this);
    quList->setObjectName(QStringLiteral("quList"));
    quList->setReadOnly(true);
    quVexo_alm = new db::DataSet(fmMain ? fmMain->osOracle : nullptr, this);
    quVexo_alm->setObjectName(QStringLiteral("quVexo_alm"));
    quVexo_alm->setReadOnly(true);
    quLog = new db::DataSet(fmMain ? fmMain->osOracle : nullptr, this);
    quLog->setObjectName(QStringLiteral("quLog"));
    quLog->setReadOnly(true);
    quLocking = new db::DataSet(fmMain ? fmMain->osOracle : nullptr, this);
    quLocking->setObjectName(QStringLiteral("quLocking"));
    quLocking->setCachedUpdates(true);
    quLocking->setUpdatingTable(QStringLiteral("VOXA.PR107PAR"));
    quLocking->setSql(admin::lockingModeQuery());
    const std::pair<const char*, const char*> listTitles[] = { { "CONN_SEM", "Connection" }, { "USER_SEM", "User" },
        { "SEJA_SEM", "Oracle SID" }, { "DATUMSEM", "Lock Date" }, { "TIP__SEM", "Lock Type" },
        { "VRED_SEM", "Lock Data" }, { "UUSERSEM", "Unlock User" }, { "UDATUSEM", "Unlock Date" } };
    for (const auto& [field, title] : listTitles)
        quList->setDisplayLabel(QLatin1String(field), QLatin1String(title));
    const std::pair<const char*, const char*> alarmTitles[]
        = { { "CONN", "Connection" }, { "TIP__ALM", "Lock Type" }, { "VRED_ALM", "Lock Data" } };
    for (const auto& [field, title] : alarmTitles)
        quVexo_alm->setDisplayLabel(QLatin1String(field), QLatin1String(title));
    const std::pair<const char*, const char*> logTitles[] = { { "LOCKDATE", "Lock Date" }, { "LOCKRESP", "Response" },
        { "LOCKUSER", "User" }, { "LOCKCONN", "Connection" }, { "LOCKSEJA", "Oracle SID" }, { "LOCKMESS", "Lock Data" },
        { "DURATIONINSEC", "Duration in sec" }, { "LOCKHASH", "Hash value" }, { "LOCKSERI", "Lock Seri" } };
    for (const auto& [field, title] : logTitles)
        quLog->setDisplayLabel(QLatin1String(field), QLatin1String(title));
    const std::pair<const char*, const char*> lockingTitles[]
        = { { "APP__007", "Aplikacija" }, { "USERDEF1", "Uporabnik" }, { "VAL1_107", "Tip zaklepanja" } };
    for (const auto& [field, title] : lockingTitles)
        quLocking->setDisplayLabel(QLatin1String(field), QLatin1String(title));

    buildListPage();
    buildHistoryPage();
    buildParamPage();
    buildMemoPage();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(panel);
    layout->addWidget(pcList, 1);
    connect(pcList, &QTabWidget::currentChanged, this, [this] { pcListChange(); });
}

void TfmLock::buildListPage()
{
    dbgList = dataGrid("dbgList", tabList);
    dbgList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    laConn = label("laConn", tabList);
    laUpor = label("laUpor", tabList);
    laTip = label("laTip", tabList);
    laContent = label("laContent", tabList);
    edConn = edit("edConn", tabList);
    edUpor = edit("edUpor", tabList);
    edTip = edit("edTip", tabList);
    edContent = edit("edContent", tabList);
    rbSemaphor = radio("rbSemaphor", tabList);
    rbAlarm = radio("rbAlarm", tabList);
    rbSemaphor->setChecked(true);
    btRefresh = button("btRefresh", tabList);
    btList = button("btList", tabList);
    btList->setDefault(true);
    btCloseConn = button("btCloseConn", tabList);
    btCheckResults = button("btCheckResults", tabList);
    laStAlarmov = label("laStAlarmov", tabList);
    laVseh = label("laVseh", tabList);
    laVseh->setStyleSheet(QStringLiteral("color: #1a8f2e; font-size: 20pt; font-weight: bold;"));
    laVseh->setMinimumWidth(80);

    auto* filters = new QGridLayout;
    filters->addWidget(laConn, 0, 0);
    filters->addWidget(edConn, 0, 1);
    filters->addWidget(laUpor, 0, 2);
    filters->addWidget(edUpor, 0, 3);
    filters->addWidget(laTip, 1, 0);
    filters->addWidget(edTip, 1, 1);
    filters->addWidget(laContent, 1, 2);
    filters->addWidget(edContent, 1, 3);
    auto* kinds = new QVBoxLayout;
    kinds->addWidget(rbSemaphor);
    kinds->addWidget(rbAlarm);
    filters->addLayout(kinds, 0, 4, 2, 1);
    filters->setColumnStretch(1, 1);
    filters->setColumnStretch(3, 1);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : { btRefresh, btList, btCloseConn, btCheckResults })
        buttons->addWidget(b);
    buttons->addSpacing(12);
    auto* total = new QHBoxLayout;
    total->addWidget(laStAlarmov);
    total->addWidget(laVseh);
    total->addStretch(1);
    buttons->addLayout(total);
    buttons->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addLayout(filters);
    left->addWidget(dbgList, 1);
    auto* page = new QHBoxLayout(tabList);
    page->addLayout(left, 1);
    page->addLayout(buttons);

    connect(rbSemaphor, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setSemaphoreMode(true);
    });
    connect(rbAlarm, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setSemaphoreMode(false);
    });
    connect(btRefresh, &QPushButton::clicked, this, [this] { btRefreshClick(); });
    connect(btList, &QPushButton::clicked, this, [this] { btListClick(); });
    connect(btCloseConn, &QPushButton::clicked, this, [this] { btCloseConnClick(); });
    connect(btCheckResults, &QPushButton::clicked, this, [this] { pcList->setCurrentWidget(tabMemo); });
}

void TfmLock::buildHistoryPage()
{
    rbLSemaphor = radio("rbLSemaphor", tabHist);
    rbLAlarm = radio("rbLAlarm", tabHist);
    rbLSemaphor->setChecked(true);
    pcCB = new QStackedWidget(tabHist);
    pcCB->setObjectName(QStringLiteral("pcCB"));
    tabS = new QWidget;
    tabS->setObjectName(QStringLiteral("tabS"));
    tabA = new QWidget;
    tabA->setObjectName(QStringLiteral("tabA"));
    pcCB->addWidget(tabS);
    pcCB->addWidget(tabA);
    auto addBoxes = [this](QWidget* page, const std::vector<admin::LockCode>& codes, const QStringList& checked) {
        auto* grid = new QGridLayout(page);
        grid->setContentsMargins(0, 0, 0, 0);
        int i = 0;
        for (const admin::LockCode& c : codes) {
            auto* box = new QCheckBox(page);
            box->setObjectName(QStringLiteral("cb") + c.code);
            box->setChecked(checked.contains(c.code));
            grid->addWidget(box, i / 4, i % 4);
            codeBoxes.emplace_back(c.code, box);
            ++i;
        }
    };
    addBoxes(tabS, admin::semaphoreCodes(), { QStringLiteral("Z"), QStringLiteral("O"), QStringLiteral("D") });
    addBoxes(tabA, admin::alarmCodes(), { QStringLiteral("AI"), QStringLiteral("AB") });
    // The code boxes of the kind chosen show: those of the semaphores at first.
    pcCB->setCurrentWidget(tabS);

    laLConn = label("laLConn", tabHist);
    laLType = label("laLType", tabHist);
    laLValue = label("laLValue", tabHist);
    laLUser = label("laLUser", tabHist);
    laLDate = label("laLDate", tabHist);
    laTimeFrom = label("laTimeFrom", tabHist);
    laTimeTo = label("laTimeTo", tabHist);
    laLTraja = label("laLTraja", tabHist);
    laLTrajaS = label("laLTrajaS", tabHist);
    edLConn = edit("edLConn", tabHist);
    edLType = edit("edLType", tabHist);
    edLValue = edit("edLValue", tabHist);
    edLUser = edit("edLUser", tabHist);
    connect(edLUser, &QLineEdit::textEdited, this, [this](const QString& t) {
        const int at = edLUser->cursorPosition();
        edLUser->setText(t.toUpper());
        edLUser->setCursorPosition(at);
    });
    edLDate = edit("edLDate", tabHist);
    edTimeFrom = edit("edTimeFrom", tabHist);
    edTimeTo = edit("edTimeTo", tabHist);
    edLTraja = edit("edLTraja", tabHist, QStringLiteral("0"));
    edLTraja->setValidator(new QIntValidator(0, 999999999, edLTraja));
    btLRefresh = button("btLRefresh", tabHist);
    btLRefresh->setDefault(true);
    spPrint = button("spPrint", tabHist);
    edDateDelete = edit("edDateDelete", tabHist);
    btLogDelete = button("btLogDelete", tabHist);
    btTruncateTable = button("btTruncateTable", tabHist);
    btListOpen = button("btListOpen", tabHist);
    laDatum = label("laDatum", tabHist);
    laNr = label("laNr", tabHist);
    laOd = label("laOd", tabHist);
    laDo = label("laDo", tabHist);
    edDatum = edit("edDatum", tabHist);
    edNr = edit("edNr", tabHist, QStringLiteral("0"));
    edOdUra = edit("edOdUra", tabHist, QStringLiteral("14"));
    edOdMin = edit("edOdMin", tabHist, QStringLiteral("30"));
    edDoUra = edit("edDoUra", tabHist, QStringLiteral("16"));
    edDoMin = edit("edDoMin", tabHist, QStringLiteral("00"));
    for (QLineEdit* e : { edOdUra, edOdMin, edDoUra, edDoMin })
        e->setMaximumWidth(36);
    edNr->setMaximumWidth(60);
    rbVecje = radio("rbVecje", tabHist);
    rbManjse = radio("rbManjse", tabHist);
    rbVecje->setChecked(true);
    // Two choices on one page: the kind of the history and the comparison of the counts.
    auto* kindGroup = new QButtonGroup(tabHist);
    kindGroup->addButton(rbLSemaphor);
    kindGroup->addButton(rbLAlarm);
    auto* compareGroup = new QButtonGroup(tabHist);
    compareGroup->addButton(rbVecje);
    compareGroup->addButton(rbManjse);
    rbLSemaphor->setChecked(true);
    cbSemaphor = new QCheckBox(tabHist);
    cbSemaphor->setObjectName(QStringLiteral("cbSemaphor"));
    cbSemaphor->setChecked(true);
    cbAlarm = new QCheckBox(tabHist);
    cbAlarm->setObjectName(QStringLiteral("cbAlarm"));
    cbAlarm->setChecked(true);
    btDetStat = button("btDetStat", tabHist);
    dbgLog = dataGrid("dbgLog", tabHist);
    dbgLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgLog->setVisible(false);

    auto* kinds = new QVBoxLayout;
    kinds->addWidget(rbLSemaphor);
    kinds->addWidget(rbLAlarm);
    auto* top = new QHBoxLayout;
    top->addLayout(kinds);
    top->addWidget(pcCB, 1);
    auto* filters = new QGridLayout;
    filters->addWidget(laLConn, 0, 0);
    filters->addWidget(edLConn, 0, 1);
    filters->addWidget(laLType, 0, 2);
    filters->addWidget(edLType, 0, 3);
    filters->addWidget(laLValue, 0, 4);
    filters->addWidget(edLValue, 0, 5);
    filters->addWidget(laLUser, 0, 6);
    filters->addWidget(edLUser, 0, 7);
    filters->addWidget(laLDate, 1, 0);
    filters->addWidget(edLDate, 1, 1);
    filters->addWidget(laTimeFrom, 1, 2);
    filters->addWidget(edTimeFrom, 1, 3);
    filters->addWidget(laTimeTo, 1, 4);
    filters->addWidget(edTimeTo, 1, 5);
    filters->addWidget(laLTraja, 1, 6);
    auto* duration = new QHBoxLayout;
    duration->addWidget(edLTraja, 1);
    duration->addWidget(laLTrajaS);
    filters->addLayout(duration, 1, 7);
    filters->addWidget(btLRefresh, 0, 8, 2, 1);
    for (int c : { 1, 3, 5, 7 })
        filters->setColumnStretch(c, 1);
    auto* tools = new QHBoxLayout;
    tools->addWidget(spPrint);
    tools->addWidget(btListOpen);
    tools->addStretch(1);
    tools->addWidget(edDateDelete);
    tools->addWidget(btLogDelete);
    tools->addWidget(btTruncateTable);
    auto* stats = new QGroupBox(tabHist);
    stats->setObjectName(QStringLiteral("gbDetStat"));
    auto* st = new QHBoxLayout(stats);
    st->addWidget(laDatum);
    st->addWidget(edDatum);
    st->addWidget(laNr);
    st->addWidget(edNr);
    st->addWidget(rbVecje);
    st->addWidget(rbManjse);
    st->addWidget(laOd);
    st->addWidget(edOdUra);
    st->addWidget(new QLabel(QStringLiteral(":"), stats));
    st->addWidget(edOdMin);
    st->addWidget(laDo);
    st->addWidget(edDoUra);
    st->addWidget(new QLabel(QStringLiteral(":"), stats));
    st->addWidget(edDoMin);
    st->addWidget(cbSemaphor);
    st->addWidget(cbAlarm);
    st->addStretch(1);
    st->addWidget(btDetStat);
    auto* page = new QVBoxLayout(tabHist);
    page->addLayout(top);
    page->addLayout(filters);
    page->addWidget(dbgLog, 1);
    page->addStretch(0);
    page->addLayout(tools);
    page->addWidget(stats);

    connect(rbLSemaphor, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            pcCB->setCurrentWidget(tabS);
    });
    connect(rbLAlarm, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            pcCB->setCurrentWidget(tabA);
    });
    connect(btLRefresh, &QPushButton::clicked, this, [this] { btLRefreshClick(); });
    connect(dbgLog, &QAbstractItemView::doubleClicked, this, [this] { dbgLogDblClick(); });
    connect(spPrint, &QPushButton::clicked, this, [this] { spPrintClick(); });
    connect(btListOpen, &QPushButton::clicked, this, [this] { btListOpenClick(); });
    connect(btLogDelete, &QPushButton::clicked, this, [this] { btLogDeleteClick(); });
    connect(btTruncateTable, &QPushButton::clicked, this, [this] { btTruncateTableClick(); });
    connect(btDetStat, &QPushButton::clicked, this, [this] { btDetStatClick(); });
}

void TfmLock::buildParamPage()
{
    cbLockingMode = new QComboBox(tabParam);
    cbLockingMode->setObjectName(QStringLiteral("cbLockingMode"));
    cbLockingMode->setEditable(true);
    cbLockingMode->addItems(
        { QStringLiteral("LockingModeOld"), QStringLiteral("LockingModeNew"), QStringLiteral("LockingModeNone") });
    cbLockingMode->setVisible(false);
    auto trueFalse = [this](const char* name) {
        auto* box = new QComboBox(tabParam);
        box->setObjectName(QLatin1String(name));
        box->setEditable(true);
        box->addItems({ QStringLiteral("TRUE"), QStringLiteral("FALSE") });
        return box;
    };
    cbLockEnabled = trueFalse("cbLockEnabled");
    cbAlarmEnabled = trueFalse("cbAlarmEnabled");
    edDurationTime = edit("edDurationTime", tabParam);
    edDurationTime->setValidator(new QIntValidator(0, 999999999, edDurationTime));
    edDurationTime->setToolTip(QStringLiteral("Čas trajanja zaklepanja"));
    edCleaningPeriod = edit("edCleaningPeriod", tabParam);
    edCleaningPeriod->setValidator(new QIntValidator(0, 999999999, edCleaningPeriod));
    edCleaningPeriod->setToolTip(QStringLiteral("Perioda brisanja neobstoječih sej v min,izvaja job"));
    edPreserveLocks = edit("edPreserveLocks", tabParam);
    edPreserveLocks->setValidator(new QIntValidator(0, 999999999, edPreserveLocks));
    edPreserveLocks->setToolTip(
        QStringLiteral("Čas ohranjanja zaklepanj sej, ki so sicer še aktivne na bazi (predvidoma 1 dan ali manj, glede "
                       "na število zaklepanj in hitrost  pri posamezni stranki)"));
    edJob = edit("edJob", tabParam);
    edJob->setValidator(new QIntValidator(0, 999999999, edJob));
    laLockEnabled = label("laLockEnabled", tabParam);
    laAlarmEnabled = label("laAlarmEnabled", tabParam);
    laDurationTime = label("laDurationTime", tabParam);
    laMinutes = label("laMinutes", tabParam);
    laCleaningPeriod = label("laCleaningPeriod", tabParam);
    laPreserveLocks = label("laPreserveLocks", tabParam);
    laJobQueue = label("laJobQueue", tabParam);
    btSaveParam = button("btSaveParam", tabParam);
    btChangeJob = button("btChangeJob", tabParam);
    dbgLocking = dataGrid("dbgLocking", tabParam);

    auto* form = new QGridLayout;
    form->addWidget(laLockEnabled, 0, 0);
    form->addWidget(cbLockEnabled, 0, 1);
    form->addWidget(laAlarmEnabled, 1, 0);
    form->addWidget(cbAlarmEnabled, 1, 1);
    form->addWidget(laDurationTime, 2, 0);
    form->addWidget(edDurationTime, 2, 1);
    form->addWidget(laMinutes, 2, 2);
    form->addWidget(laCleaningPeriod, 3, 0);
    form->addWidget(edCleaningPeriod, 3, 1);
    form->addWidget(laPreserveLocks, 4, 0);
    form->addWidget(edPreserveLocks, 4, 1);
    form->addWidget(btSaveParam, 5, 1);
    form->setColumnStretch(3, 1);
    auto* job = new QHBoxLayout;
    job->addWidget(laJobQueue);
    job->addWidget(edJob);
    job->addWidget(btChangeJob);
    job->addStretch(1);
    auto* page = new QVBoxLayout(tabParam);
    page->addLayout(form);
    page->addWidget(dbgLocking, 1);
    page->addLayout(job);

    connect(btSaveParam, &QPushButton::clicked, this, [this] { btSaveParamClick(); });
    connect(btChangeJob, &QPushButton::clicked, this, [this] { btChangeJobClick(); });
    connect(edDurationTime, &QLineEdit::editingFinished, this, [this] {
        if (edDurationTime->hasFocus() || QApplication::focusWidget() != edDurationTime)
            edDurationTimeExit();
    });
    // Each locking mode posted in the grid is saved with the next Save.
    connect(quLocking, &db::DataSet::rowChanged, this, [this](int row) {
        const int key = quLocking->fieldIndex(QStringLiteral("SIFRA107"));
        if (key < 0 || row < 0 || row >= quLocking->recordCount()
            || quLocking->updateStatus(row) == db::DataSet::UpdateStatus::Unmodified)
            return;
        const QString sifra = quLocking->value(row, key).toString();
        if (!FLockingModeParams.contains(sifra))
            FLockingModeParams << sifra;
    });
}

void TfmLock::buildMemoPage()
{
    meTmp = new QPlainTextEdit(tabMemo);
    meTmp->setObjectName(QStringLiteral("meTmp"));
    meTmp->setLineWrapMode(QPlainTextEdit::NoWrap);
    meTmp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    meTmp->setFont(mono);
    meTmp->setTabStopDistance(QFontMetricsF(mono).horizontalAdvance(QLatin1Char(' ')) * 8);
    btNazaj = button("btNazaj", tabMemo);
    auto* page = new QVBoxLayout(tabMemo);
    page->addWidget(meTmp, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(btNazaj);
    page->addLayout(row);
    connect(btNazaj, &QPushButton::clicked, this, [this] { pcList->setCurrentWidget(p_lastTab); });
}

void TfmLock::setLanguageTexts()
{
    language = fmMain ? fmMain->currLanguage : QString();
    const bool slo = language == QLatin1String("SLO");
    admin::ServerJobPanel& p = *panel;
    p.language = language;
    const QString user = fmMain ? fmMain->connUser : QString();
    p.nizStartGrant = QStringLiteral("User ") + user + QStringLiteral(" need EXECUTE ANY PROCEDURE privilegee");
    p.nizStartError = QStringLiteral("Cannot start semaphor server !");
    p.nizStopError = QStringLiteral("Cannot stop semaphor server !");
    p.nizKillUser = QStringLiteral("JOB CAN BE STOP ONLY BY USER, WHO CREATE IT !");
    p.nizKillJobYes = QStringLiteral("JOB IS STOPPED !");
    p.nizKillJobNo = QStringLiteral("JOB IS NOT STOPPED !");
    nizWrongDate = QStringLiteral("Wrong DATE !");
    nizWrongNumber = QStringLiteral("Wrong number !");
    nizPrepare = QStringLiteral("First, prepare data with Refresh button !");

    pcList->setTabText(pcList->indexOf(tabList), QStringLiteral("Browse current actions"));
    pcList->setTabText(pcList->indexOf(tabHist), QStringLiteral("Action history"));
    pcList->setTabText(pcList->indexOf(tabParam), QStringLiteral("Locking parameters"));
    pcList->setTabText(pcList->indexOf(tabMemo), QStringLiteral("Results"));
    laConn->setText(QStringLiteral("Connection : "));
    laUpor->setText(QStringLiteral("User :"));
    laTip->setText(QStringLiteral("Type : "));
    laContent->setText(QStringLiteral("Content: "));
    rbSemaphor->setText(QStringLiteral("Semaphor"));
    rbAlarm->setText(QStringLiteral("Alarm"));
    btRefresh->setText(QStringLiteral("&Prepare"));
    btList->setText(QStringLiteral("&List"));
    btCloseConn->setText(QStringLiteral("&Erase current connection"));
    laStAlarmov->setText(QStringLiteral("All : "));
    btCheckResults->setText(QStringLiteral("Check summary"));
    dbgLog->setToolTip(QStringLiteral("Double click - take value"));
    rbLSemaphor->setText(QStringLiteral("Semaphor"));
    rbLAlarm->setText(QStringLiteral("Alarm"));
    laLConn->setText(QStringLiteral("Connection :"));
    laLType->setText(QStringLiteral("Type :"));
    laLValue->setText(QStringLiteral("Value:"));
    laLUser->setText(QStringLiteral("User:"));
    laLDate->setText(QStringLiteral("Date :"));
    laTimeFrom->setText(QStringLiteral("Ura od :"));
    laTimeTo->setText(QStringLiteral("Ura do :"));
    laLTraja->setText(QStringLiteral("Duration>="));
    laLTrajaS->setText(QStringLiteral("s"));
    btLRefresh->setText(QStringLiteral("&Refresh"));
    spPrint->setText(QStringLiteral("Prepare"));
    spPrint->setToolTip(QStringLiteral("Prepare fro print"));
    btLogDelete->setText(QStringLiteral("Delete log <"));
    btTruncateTable->setText(QStringLiteral("&Delete complete Log"));
    btListOpen->setText(QStringLiteral("&List all open Locks"));
    laDatum->setText(QStringLiteral("Date:"));
    laNr->setText(QStringLiteral("Nr.:"));
    laOd->setText(QStringLiteral("From:"));
    laDo->setText(QStringLiteral("To:"));
    rbVecje->setText(QStringLiteral(">="));
    rbManjse->setText(QStringLiteral("<="));
    cbSemaphor->setText(QStringLiteral("Semaphor"));
    cbAlarm->setText(QStringLiteral("Alarm"));
    btDetStat->setText(QStringLiteral("&Detailed statistic"));
    laLockEnabled->setText(QStringLiteral("Lock enabled :"));
    laAlarmEnabled->setText(QStringLiteral("Alarm enabled :"));
    laDurationTime->setText(QStringLiteral("Locking duration :"));
    laMinutes->setText(QStringLiteral("minutes (min. 10)"));
    laCleaningPeriod->setText(QStringLiteral("Cleaning period (min) :"));
    laPreserveLocks->setText(QStringLiteral("Preserve locks (min) :"));
    btSaveParam->setText(QStringLiteral("&Save"));
    laJobQueue->setText(QStringLiteral("Job_queue_processes : "));
    btChangeJob->setText(QStringLiteral("Save (Change)"));
    btNazaj->setText(QStringLiteral("Back"));
    for (auto& [code, box] : codeBoxes)
        for (const auto* list : { &admin::semaphoreCodes(), &admin::alarmCodes() })
            for (const admin::LockCode& c : *list)
                if (c.code == code)
                    box->setText(slo ? c.filterSlo : c.filterEn);
    if (!slo)
        return;

    p.nizStartGrant = QStringLiteral("Uporabnik ") + user + QStringLiteral(" potrebuje EXECUTE ANY PROCEDURE pravico");
    p.nizStartError = QStringLiteral("Zagon semaforjev NEUSPEŠEN !");
    p.nizStopError = QStringLiteral("Ustavljanje semaforjev NEUSPEŠNO !");
    p.nizKillUser = QStringLiteral("PROCESS LAHKO USTAVI SAMO UPORABNIK, KI GA JE KREIRAL !");
    p.nizKillJobYes = QStringLiteral("PROCES JE USTAVLJEN!");
    p.nizKillJobNo = QStringLiteral("PROCES NI USTAVLJEN !");
    nizWrongDate = QStringLiteral("Napačen datum !");
    nizWrongNumber = QStringLiteral("Napačno število !");
    nizPrepare = QStringLiteral("Najprej pripravi podatke z gumbom Osveži !");
    btStart->setText(QStringLiteral("Start Semaforjev"));
    btStop->setText(QStringLiteral("Stop Semaforjev"));
    laJob->setText(QStringLiteral("OPRAVILO:"));
    laUser->setText(QStringLiteral("Uporabnik :"));
    laBroken->setText(QStringLiteral("Ukinjen :"));
    laStartDate->setText(QStringLiteral("Začetek :"));
    btJobRefresh->setText(QStringLiteral("Osveži"));
    btStopJob->setText(QStringLiteral("Nasilno ustavi"));
    btExit->setText(QStringLiteral("Izhod"));
    pcList->setTabText(pcList->indexOf(tabList), QStringLiteral("Trenutne akcije"));
    pcList->setTabText(pcList->indexOf(tabHist), QStringLiteral("Zgodovina zaklepanj"));
    pcList->setTabText(pcList->indexOf(tabParam), QStringLiteral("Parametri za zaklepanje"));
    pcList->setTabText(pcList->indexOf(tabMemo), QStringLiteral("Rezultati"));
    laConn->setText(QStringLiteral("Povezava : "));
    laTip->setText(QStringLiteral("Objekt : "));
    rbSemaphor->setText(QStringLiteral("Semafor"));
    btRefresh->setText(QStringLiteral("Pripravi"));
    btList->setText(QStringLiteral("Prikaži"));
    btCloseConn->setText(QStringLiteral("Briši semaforje tren.povezave"));
    laStAlarmov->setText(QStringLiteral("Vseh:"));
    btCheckResults->setText(QStringLiteral("Poglej seštevek"));
    rbLSemaphor->setText(QStringLiteral("Semafor"));
    laLConn->setText(QStringLiteral("Povezava:"));
    laLType->setText(QStringLiteral("Tip:"));
    laLValue->setText(QStringLiteral("Vrednost:"));
    laLDate->setText(QStringLiteral("Datum>="));
    laLTraja->setText(QStringLiteral("Trajanje>="));
    btLRefresh->setText(QStringLiteral("Osveži"));
    spPrint->setText(QStringLiteral("Pripravi"));
    btLogDelete->setText(QStringLiteral("Briši"));
    btTruncateTable->setText(QStringLiteral("Brisanje celotnih logov"));
    btListOpen->setText(QStringLiteral("Prikaz odprtih semaforjev"));
    laLockEnabled->setText(QStringLiteral("Zaklepanje vklopljeno :"));
    laAlarmEnabled->setText(QStringLiteral("Alarmi vklopljeni :"));
    laDurationTime->setText(QStringLiteral("Trajanje zaklepanja :"));
    laMinutes->setText(QStringLiteral("minut (min. 10)"));
    laCleaningPeriod->setText(QStringLiteral("Perioda brisanja (min) :"));
    laPreserveLocks->setText(QStringLiteral("Ohranjanje zaklepanj (min) :"));
    btSaveParam->setText(QStringLiteral("Shrani"));
    btChangeJob->setText(QStringLiteral("Spremeni"));
    btNazaj->setText(QStringLiteral("Nazaj"));
}

bool TfmLock::event(QEvent* e)
{
    const bool r = QWidget::event(e);
    if (activation.activates(e))
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !QApplication::activeModalWidget())
                FormActivate();
        });
    return r;
}

void TfmLock::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    FormShow();
}

void TfmLock::FormShow()
{
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    edDateDelete->setText(today);
    edDatum->setText(today);
    LastLockTime();
}

void TfmLock::FormActivate()
{
    if (!fmMain || !fmMain->osOracle)
        return;
    setWindowTitle(QStringLiteral("LOCK ") + fmMain->connUser + QLatin1Char('@') + fmMain->connServer);
    laJobFailure->setText(QString());
    btRefreshClick();
    if (historyPrepared() || !edLDate->text().isEmpty())
        btLRefreshClick();
    pcListChange();
}

void TfmLock::KillJob(const QString& actor, const QString& reason)
{
    panel->killClassicJob(actor, reason);
}

TfmLockOra19::TfmLockOra19(QWidget* parent)
    : TfmLock(parent, true)
{
    setObjectName(QStringLiteral("fmLockOra19"));
}

void TfmLockOra19::KillJob(const QString& actor, const QString& reason)
{
    panel->killSchedulerJob(actor, reason);
}
