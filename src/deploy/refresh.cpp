#include "deploy/refresh.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "deploy/refreshfile.h"
#include "deploy/refreshrun.h"
#include "shell/Main.h"
#include "shell/localmessagedlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDrag>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <cstdio>

namespace {

// What a column dragged from the grid carries: its row.
const QString kColumnMime = QStringLiteral("application/x-dremmox-refresh-column");

const QString quUser = QStringLiteral("select username from all_users\r\norder by userName");
const QString quTabele = QStringLiteral("select table_name from all_tables\r\n where owner=:upor\r\norder by table_name");
const QString quCol = QStringLiteral(
    "select column_name,data_type from all_tab_columns\r\n where owner= :upor and table_name=:tabela\r\n"
    " order by column_id");
const QString quPKeyColumn = QStringLiteral(
    "select column_name,data_type from all_tab_columns\r\n where owner=:upor and table_name=:tabela and\r\n"
    "       column_name in (select col.column_name from all_constraints con,all_cons_columns col\r\n"
    "                        where con.owner=:upor and con.table_name=:tabela and con.constraint_type='P' and\r\n"
    "                              col.owner=con.owner and col.constraint_name=con.constraint_name)\r\n"
    " order by column_id");
const QString quLinks = QStringLiteral("select db_link from user_db_links");
const QString quSequence = QStringLiteral(
    "select sequence_name from all_sequences\r\nwhere sequence_owner=:upor and \r\n"
    "           (:ime='ALL' or sequence_name like :ime)\r\norder by sequence_name");

// The first line of a dictionary query read through a link: each of its views gets "@" and the link.
QString throughLink(const QString& sql, const QString& link)
{
    if (link.isEmpty())
        return sql;
    QString out = sql;
    for (const char* view : { "all_users", "all_tables", "all_tab_columns", "all_constraints", "all_cons_columns" }) {
        const QString name = QString::fromLatin1(view);
        out.replace(QRegularExpression(QStringLiteral("\\b") + name + QStringLiteral("\\b(?!@)")),
            name + QLatin1Char('@') + link.toUpper());
    }
    return out;
}

QPlainTextEdit* textPage(QWidget* parent, const char* name)
{
    auto* e = new QPlainTextEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    e->setFont(font);
    return e;
}

QComboBox* nameCombo(QWidget* parent, const char* name)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMinimumWidth(170);
    return c;
}

QLabel* valueLabel(QWidget* parent, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setMinimumWidth(60);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

} // namespace

TfmRefresh::TfmRefresh(TfmMain* main, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , fm(main)
    , pipe(deploy::uniqueRefreshPipeName())
{
    setObjectName(QStringLiteral("fmRefresh"));
    setWindowTitle(QStringLiteral("Refresh Tables"));
    osOracleThread = new db::Session(this);
    osOracleThread->setObjectName(QStringLiteral("osOracleThread"));
    quDyn = new db::Query(osOracleThread, this);
    quDyn->setObjectName(QStringLiteral("quDyn"));
    buildLayout();
    FormCreate();
}

TfmRefresh::~TfmRefresh()
{
    // The program may end while a block runs: stop it and wait, so the thread never outlives its session.
    if (thread) {
        osOracleThread->breakExecution();
        thread->wait();
    }
}

void TfmRefresh::buildLayout()
{
    resize(640, 560);
    auto* outer = new QVBoxLayout(this);
    pcMain = new QTabWidget(this);
    pcMain->setObjectName(QStringLiteral("pcMain"));
    outer->addWidget(pcMain, 1);

    // --- Refresh page
    tabRefresh = new QWidget;
    tabRefresh->setObjectName(QStringLiteral("tabRefresh"));
    auto* page = new QGridLayout(tabRefresh);
    auto* source = new QGroupBox(QStringLiteral("Source"), tabRefresh);
    auto* sg = new QGridLayout(source);
    cbDBLDest = nameCombo(source, "cbDBLDest");
    cbUserSource = nameCombo(source, "cbUserSource");
    cbTableSource = nameCombo(source, "cbTableSource");
    sg->addWidget(new QLabel(QStringLiteral("DB link:"), source), 0, 0);
    sg->addWidget(cbDBLDest, 0, 1);
    sg->addWidget(new QLabel(QStringLiteral("User:"), source), 1, 0);
    sg->addWidget(cbUserSource, 1, 1);
    sg->addWidget(new QLabel(QStringLiteral("Table:"), source), 2, 0);
    sg->addWidget(cbTableSource, 2, 1);
    auto* dest = new QGroupBox(QStringLiteral("Destination"), tabRefresh);
    auto* dg = new QGridLayout(dest);
    cbUserDest = nameCombo(dest, "cbUserDest");
    cbTableDest = nameCombo(dest, "cbTableDest");
    dg->addWidget(new QLabel(QStringLiteral("User:"), dest), 0, 0);
    dg->addWidget(cbUserDest, 0, 1);
    dg->addWidget(new QLabel(QStringLiteral("Table:"), dest), 1, 0);
    dg->addWidget(cbTableDest, 1, 1);
    dg->setRowStretch(2, 1);
    page->addWidget(source, 0, 0);
    page->addWidget(dest, 0, 1);

    auto* keyBox = new QVBoxLayout;
    auto* keyLabel = new QLabel(QStringLiteral("Unique Key:"), tabRefresh);
    lbUnique = new QListWidget(tabRefresh);
    lbUnique->setObjectName(QStringLiteral("lbUnique"));
    lbUnique->setAcceptDrops(true);
    lbUnique->installEventFilter(this);
    lbUnique->viewport()->installEventFilter(this);
    lbUnique->setStyleSheet(QStringLiteral("QListWidget { background: silver; }"));
    lbUnique->setToolTip(QStringLiteral("Drag a column here; a double click removes a key column"));
    cbUpdate = new QCheckBox(QStringLiteral("Update records"), tabRefresh);
    cbUpdate->setObjectName(QStringLiteral("cbUpdate"));
    cbUpdate->setChecked(true);
    cbDelete = new QCheckBox(QStringLiteral("Delete records"), tabRefresh);
    cbDelete->setObjectName(QStringLiteral("cbDelete"));
    keyBox->addWidget(keyLabel);
    keyBox->addWidget(lbUnique, 1);
    keyBox->addWidget(cbUpdate);
    keyBox->addWidget(cbDelete);
    page->addLayout(keyBox, 1, 0);

    auto* colBox = new QVBoxLayout;
    colBox->addWidget(new QLabel(QStringLiteral("Columns to test:"), tabRefresh));
    sgSelCol = new QTableWidget(0, 2, tabRefresh);
    sgSelCol->setObjectName(QStringLiteral("sgSelCol"));
    sgSelCol->horizontalHeader()->hide();
    sgSelCol->verticalHeader()->hide();
    sgSelCol->setColumnWidth(0, 20);
    sgSelCol->setColumnWidth(1, 197);
    sgSelCol->horizontalHeader()->setStretchLastSection(true);
    sgSelCol->verticalHeader()->setDefaultSectionSize(20);
    sgSelCol->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgSelCol->setSelectionMode(QAbstractItemView::SingleSelection);
    sgSelCol->setToolTip(QStringLiteral("Click the first column to mark a column for the comparison; drag a name to "
                                        "the key list or the sequence field"));
    sgSelCol->viewport()->installEventFilter(this);
    // Hidden while there are no columns, keeping its place so the page does not jump.
    QSizePolicy keep = sgSelCol->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    sgSelCol->setSizePolicy(keep);
    sgSelCol->hide();
    colBox->addWidget(sgSelCol, 1);
    page->addLayout(colBox, 1, 1);
    page->setRowStretch(1, 1);

    auto* state = new QHBoxLayout;
    laStatus = valueLabel(tabRefresh, "laStatus");
    laCounter = valueLabel(tabRefresh, "laCounter");
    laUpdated = valueLabel(tabRefresh, "laUpdated");
    laInserted = valueLabel(tabRefresh, "laInserted");
    laDeleted = valueLabel(tabRefresh, "laDeleted");
    laStatus->setMinimumWidth(80);
    const std::pair<const char*, QLabel*> counters[] = { { "State:", laStatus }, { "Counter:", laCounter },
        { "Updated:", laUpdated }, { "Inserted:", laInserted }, { "Deleted:", laDeleted } };
    for (const auto& [caption, label] : counters) {
        state->addWidget(new QLabel(QString::fromLatin1(caption), tabRefresh));
        state->addWidget(label);
    }
    state->addStretch(1);
    page->addLayout(state, 2, 0, 1, 2);
    pcMain->addTab(tabRefresh, QStringLiteral("Refresh"));

    // --- Options page
    tabOptions = new QWidget;
    tabOptions->setObjectName(QStringLiteral("tabOptions"));
    auto* opt = new QGridLayout(tabOptions);
    cbPipe = new QCheckBox(QStringLiteral("Pipe ON "), tabOptions);
    cbPipe->setObjectName(QStringLiteral("cbPipe"));
    cbPipe->setToolTip(QStringLiteral("Use Pipe for Mesaging"));
    cbErrorON = new QCheckBox(QStringLiteral("Save Errors ON"), tabOptions);
    cbErrorON->setObjectName(QStringLiteral("cbErrorON"));
    cbErrorON->setToolTip(QStringLiteral("Save Errors in VEXO_UTIL.VEXO_ERR table"));
    cbErrorON->setChecked(true);
    cbSequence = new QCheckBox(QStringLiteral("Sequence"), tabOptions);
    cbSequence->setObjectName(QStringLiteral("cbSequence"));
    cbSequence->setToolTip(QStringLiteral("Auto sequence"));
    paSequence = new QWidget(tabOptions);
    paSequence->setObjectName(QStringLiteral("paSequence"));
    auto* seq = new QGridLayout(paSequence);
    seq->setContentsMargins(20, 0, 0, 0);
    edSeqField = new QLineEdit(paSequence);
    edSeqField->setObjectName(QStringLiteral("edSeqField"));
    edSeqField->setAcceptDrops(true);
    edSeqField->installEventFilter(this);
    cbSeqName = nameCombo(paSequence, "cbSeqName");
    seq->addWidget(new QLabel(QStringLiteral("Field:"), paSequence), 0, 0);
    seq->addWidget(edSeqField, 0, 1);
    seq->addWidget(new QLabel(QStringLiteral("Sequence:"), paSequence), 1, 0);
    seq->addWidget(cbSeqName, 1, 1);
    paSequence->hide();
    cbProc = new QCheckBox(QStringLiteral("Procedure"), tabOptions);
    cbProc->setObjectName(QStringLiteral("cbProc"));
    edProcedure = new QLineEdit(tabOptions);
    edProcedure->setObjectName(QStringLiteral("edProcedure"));
    edProcedure->hide();
    opt->addWidget(cbPipe, 0, 0, 1, 2);
    opt->addWidget(cbErrorON, 1, 0, 1, 2);
    opt->addWidget(cbSequence, 2, 0, 1, 2);
    opt->addWidget(paSequence, 3, 0, 1, 2);
    opt->addWidget(cbProc, 4, 0);
    opt->addWidget(edProcedure, 4, 1);
    opt->setColumnStretch(1, 1);
    opt->setRowStretch(5, 1);
    pcMain->addTab(tabOptions, QStringLiteral("Options"));

    tabErrors = new QWidget;
    tabErrors->setObjectName(QStringLiteral("tabErrors"));
    meErr = textPage(tabErrors, "meErr");
    (new QVBoxLayout(tabErrors))->addWidget(meErr);
    pcMain->addTab(tabErrors, QStringLiteral("Errors"));
    tabBlock = new QWidget;
    tabBlock->setObjectName(QStringLiteral("tabBlock"));
    meBlock = textPage(tabBlock, "meBlock");
    (new QVBoxLayout(tabBlock))->addWidget(meBlock);
    pcMain->addTab(tabBlock, QStringLiteral("SQLBlock"));
    // Hidden until a refresh file reports something; until then the window owns it.
    tabScriptErr = new QWidget(this);
    tabScriptErr->hide();
    tabScriptErr->setObjectName(QStringLiteral("tabScriptErr"));
    meScriptErr = textPage(tabScriptErr, "meScriptErr");
    (new QVBoxLayout(tabScriptErr))->addWidget(meScriptErr);
    tabHelp = new QWidget;
    tabHelp->setObjectName(QStringLiteral("tabHelp"));
    meHelp = textPage(tabHelp, "meHelp");
    meHelp->setReadOnly(true);
    meHelp->setPlainText(deploy::refreshFileHelp());
    (new QVBoxLayout(tabHelp))->addWidget(meHelp);
    pcMain->addTab(tabHelp, QStringLiteral("RFS structure"));

    // --- buttons
    auto* buttons = new QHBoxLayout;
    auto button = [this, buttons](const char* name, const QString& caption, const QString& hint = {}) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        buttons->addWidget(b);
        return b;
    };
    btRefresh = button("btRefresh", QStringLiteral("&Start refreshing"));
    btStop = button("btStop", QStringLiteral("S&top"), QStringLiteral("Stop the refresh; its changes are undone"));
    btCommit = button("btCommit", QStringLiteral("&Commit"));
    btRollback = button("btRollback", QStringLiteral("&Rollback"));
    buttons->addStretch(1);
    btRunSkript = button(
        "btRunSkript", QStringLiteral("&Run skript"), QStringLiteral("Load Parameters from Script and Start Refreshing"));
    btSkript = button("btSkript", QStringLiteral("Create PL/SQL"), QStringLiteral("Create PL/SQL Script fo Refreshing"));
    Button1 = button("Button1", QStringLiteral("&Exit"));
    btStop->setEnabled(false);
    btCommit->setEnabled(false);
    btRollback->setEnabled(false);
    outer->addLayout(buttons);

    tmColumns = new QTimer(this);
    tmColumns->setObjectName(QStringLiteral("tmColumns"));
    tmColumns->setInterval(1000);
    tmColumns->setSingleShot(true);

    dlgLoad = new QFileDialog(this, QStringLiteral("Refresh file"));
    dlgLoad->setObjectName(QStringLiteral("dlgLoad"));
    dlgLoad->setOption(QFileDialog::DontUseNativeDialog);
    dlgLoad->setDefaultSuffix(QStringLiteral("RFS"));
    dlgLoad->setNameFilter(QStringLiteral("REFRESH SCRIPTS (*.RFS *.rfs)"));
    dlgLoad->setFileMode(QFileDialog::ExistingFile);

    connect(btRefresh, &QPushButton::clicked, this, [this] { btRefreshClick(); });
    connect(btSkript, &QPushButton::clicked, this, [this] { btSkriptClick(); });
    connect(btRunSkript, &QPushButton::clicked, this, [this] { btRunSkriptClick(); });
    connect(btCommit, &QPushButton::clicked, this, [this] { btCommitClick(); });
    connect(btRollback, &QPushButton::clicked, this, [this] { btRollbackClick(); });
    connect(btStop, &QPushButton::clicked, this, [this] { btStopClick(); });
    connect(Button1, &QPushButton::clicked, this, &QWidget::close);
    connect(cbUserSource, &QComboBox::currentTextChanged, this, [this] { cbUserSourceChange(); });
    connect(cbUserDest, &QComboBox::currentTextChanged, this, [this] { cbUserDestChange(); });
    connect(cbDBLDest, &QComboBox::currentTextChanged, this, [this] { cbDBLDestChange(); });
    connect(cbTableSource, &QComboBox::currentTextChanged, this, [this] { cbTableSourceChange(); });
    connect(tmColumns, &QTimer::timeout, this, [this] { loadColumns(); });
    connect(cbSequence, &QCheckBox::clicked, this, [this] { cbSequenceClick(); });
    connect(cbProc, &QCheckBox::toggled, edProcedure, &QWidget::setVisible);
    connect(lbUnique, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { delete item; });
    // Leaving the destination table turns the source table's text to upper case.
    connect(cbTableDest->lineEdit(), &QLineEdit::editingFinished, this,
        [this] { cbTableSource->setEditText(cbTableSource->currentText().toUpper()); });
    connect(sgSelCol, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column != 0)
            return;
        QTableWidgetItem* mark = sgSelCol->item(row, 0);
        mark->setText(mark->text() == QLatin1String(" + ") ? QStringLiteral(" ") : QStringLiteral(" + "));
    });
}

void TfmRefresh::FormCreate()
{
    clearCounters();
    pcMain->setCurrentWidget(tabRefresh);
    if (fm && fm->osOracle && fm->osOracle->connected()) {
        osOracleThread->setDatabase(fm->osOracle->database());
        osOracleThread->setPassword(fm->osOracle->password());
        osOracleThread->setUserName(fm->osOracle->userName());
        osOracleThread->logOn(); // throws: the window is not made without its session
        fillUsers(cbUserSource, QString());
        fillUsers(cbUserDest, QString());
        const QStringList links = queryColumn(quLinks, {});
        cbDBLDest->addItem(QString());
        for (const QString& l : links)
            cbDBLDest->addItem(l.section(QLatin1Char('.'), 0, 0));
        cbDBLDest->setCurrentIndex(0);
        cbUserSource->setEditText(QString());
        cbUserDest->setEditText(QString());
    }
    if (fm)
        dlgLoad->setDirectory(fm->currentRefreshDir);
}

void TfmRefresh::message(const QString& text)
{
    if (unattended) {
        std::fprintf(stderr, "%s\n", qPrintable(QStringLiteral("REFRESH: ") + text));
        return;
    }
    shell::LocalMessageDlg(text, shell::MsgDlgType::mtInformation, shell::MsgDlgBtn::mbOK, 0, QStringLiteral("ANG"));
}

QStringList TfmRefresh::queryColumn(const QString& sql, const QList<QPair<QString, QString>>& binds)
{
    QStringList out;
    if (!fm || !fm->osOracle || !fm->osOracle->connected())
        return out;
    try {
        db::Query q(fm->osOracle);
        q.setSql(sql);
        for (const auto& [name, value] : binds) {
            q.declareVariable(name, db::BindType::String);
            q.setVariable(name, value);
        }
        q.execute();
        for (; !q.eof(); q.next())
            out << q.field(0).toString();
    } catch (const db::OracleError& e) {
        message(e.message());
    }
    return out;
}

QString TfmRefresh::linkName() const
{
    const QString link = cbDBLDest->currentText().trimmed();
    return deploy::isPlainLinkName(link) ? link.toUpper() : QString();
}

void TfmRefresh::fillUsers(QComboBox* list, const QString& link)
{
    const QString text = list->currentText();
    const QSignalBlocker block(list);
    list->clear();
    list->addItems(queryColumn(throughLink(quUser, link), {}));
    list->setEditText(text);
}

void TfmRefresh::fillTables(QComboBox* list, const QString& owner, const QString& link)
{
    const QString text = list->currentText();
    const QSignalBlocker block(list);
    list->clear();
    if (!owner.isEmpty())
        list->addItems(queryColumn(throughLink(quTabele, link), { { QStringLiteral("upor"), owner.toUpper() } }));
    list->setEditText(text);
}

// The source side is the side the link reaches: its users, its tables and its columns come through the link.
void TfmRefresh::cbUserSourceChange()
{
    fillTables(cbTableSource, cbUserSource->currentText(), linkName());
}

void TfmRefresh::cbUserDestChange()
{
    fillTables(cbTableDest, cbUserDest->currentText(), QString());
}

void TfmRefresh::cbDBLDestChange()
{
    fillUsers(cbUserSource, linkName());
    cbUserSourceChange();
}

void TfmRefresh::cbTableSourceChange()
{
    tmColumns->stop();
    tmColumns->start();
}

void TfmRefresh::loadColumns()
{
    tmColumns->stop();
    types.clear();
    cbSeqName->clear();
    sgSelCol->hide();
    sgSelCol->setRowCount(0);
    const QString owner = cbUserSource->currentText().trimmed().toUpper();
    const QString table = cbTableSource->currentText().trimmed().toUpper();
    if (owner.isEmpty() || table.isEmpty())
        return;
    const QString link = linkName();
    const QList<QPair<QString, QString>> binds = { { QStringLiteral("upor"), owner },
        { QStringLiteral("tabela"), table } };
    if (!fm || !fm->osOracle || !fm->osOracle->connected())
        return;
    try {
        db::Query q(fm->osOracle);
        q.setSql(throughLink(quCol, link));
        for (const auto& [name, value] : binds) {
            q.declareVariable(name, db::BindType::String);
            q.setVariable(name, value);
        }
        q.execute();
        for (; !q.eof(); q.next()) {
            const int row = sgSelCol->rowCount();
            sgSelCol->insertRow(row);
            auto* mark = new QTableWidgetItem(QStringLiteral(" "));
            mark->setTextAlignment(Qt::AlignCenter);
            sgSelCol->setItem(row, 0, mark);
            sgSelCol->setItem(row, 1, new QTableWidgetItem(q.field(0).toString()));
            types << q.field(1).toString();
        }
        if (sgSelCol->rowCount() == 0)
            return;
        sgSelCol->show();
        q.close();
        q.deleteVariables();
        q.setSql(throughLink(quPKeyColumn, link));
        for (const auto& [name, value] : binds) {
            q.declareVariable(name, db::BindType::String);
            q.setVariable(name, value);
        }
        q.execute();
        lbUnique->clear();
        for (; !q.eof(); q.next())
            lbUnique->addItem(q.field(0).toString() + QLatin1Char(' ') + q.field(1).toString());
    } catch (const db::OracleError& e) {
        message(e.message());
    }
}

void TfmRefresh::cbSequenceClick()
{
    paSequence->setVisible(cbSequence->isChecked());
    if (!cbSequence->isChecked())
        return;
    const QString owner = cbUserDest->currentText().trimmed().toUpper();
    const QStringList like = queryColumn(quSequence,
        { { QStringLiteral("upor"), owner },
            { QStringLiteral("ime"),
                QLatin1Char('%') + cbTableDest->currentText().trimmed().toUpper() + QLatin1Char('%') } });
    if (!like.isEmpty())
        cbSeqName->setEditText(like.first());
    if (cbSeqName->count() == 0) {
        const QString text = cbSeqName->currentText();
        cbSeqName->addItems(queryColumn(
            quSequence, { { QStringLiteral("upor"), owner }, { QStringLiteral("ime"), QStringLiteral("ALL") } }));
        cbSeqName->setEditText(text);
    }
}

void TfmRefresh::lbUniqueDragDrop(int row)
{
    if (row < 0 || row >= sgSelCol->rowCount())
        return;
    lbUnique->addItem(sgSelCol->item(row, 1)->text() + QLatin1Char(' ') + types.value(row));
}

void TfmRefresh::edSeqFieldDragDrop(int row)
{
    if (row < 0 || row >= sgSelCol->rowCount())
        return;
    edSeqField->setText(sgSelCol->item(row, 1)->text());
}

bool TfmRefresh::eventFilter(QObject* watched, QEvent* event)
{
    if (!sgSelCol || !edSeqField)
        return QWidget::eventFilter(watched, event); // still being built
    // A press on a name in the grid starts dragging that column.
    if (watched == sgSelCol->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* e = static_cast<QMouseEvent*>(event);
        const QModelIndex at = sgSelCol->indexAt(e->position().toPoint());
        if (e->button() == Qt::LeftButton && at.isValid() && at.column() == 1) {
            sgSelCol->setCurrentCell(at.row(), 1);
            auto* drag = new QDrag(sgSelCol);
            auto* data = new QMimeData;
            data->setData(kColumnMime, QByteArray::number(at.row()));
            drag->setMimeData(data);
            lbUnique->setStyleSheet(QStringLiteral("QListWidget { background: white; }"));
            drag->exec(Qt::CopyAction);
            lbUnique->setStyleSheet(QStringLiteral("QListWidget { background: silver; }"));
            return true;
        }
    }
    const bool keyList = watched == lbUnique || watched == lbUnique->viewport();
    if ((keyList || watched == edSeqField)
        && (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop)) {
        auto* e = static_cast<QDropEvent*>(event);
        if (!e->mimeData()->hasFormat(kColumnMime)) {
            e->ignore();
            return true;
        }
        e->acceptProposedAction();
        if (event->type() == QEvent::Drop) {
            const int row = e->mimeData()->data(kColumnMime).toInt();
            if (keyList)
                lbUniqueDragDrop(row);
            else
                edSeqFieldDragDrop(row);
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfmRefresh::markColumn(const QString& name)
{
    for (int r = 0; r < sgSelCol->rowCount(); ++r) {
        if (sgSelCol->item(r, 1)->text() == name) {
            sgSelCol->item(r, 0)->setText(QStringLiteral(" + "));
            return;
        }
    }
}

void TfmRefresh::clearCounters()
{
    for (QLabel* l : { laStatus, laCounter, laUpdated, laInserted, laDeleted })
        l->clear();
}

void TfmRefresh::updateTransactionButtons()
{
    const bool open = osOracleThread->connected() && osOracleThread->inTransaction();
    btCommit->setEnabled(open && !running());
    btRollback->setEnabled(open && !running());
    if (!open)
        clearCounters();
}

void TfmRefresh::btCommitClick()
{
    try {
        osOracleThread->commit();
    } catch (const db::OracleError& e) {
        message(e.message());
    }
    updateTransactionButtons();
}

void TfmRefresh::btRollbackClick()
{
    try {
        osOracleThread->rollback();
    } catch (const db::OracleError& e) {
        message(e.message());
    }
    updateTransactionButtons();
}

void TfmRefresh::btStopClick()
{
    if (!running())
        return;
    stopRequested = true;
    osOracleThread->breakExecution();
}

void TfmRefresh::showTab(QWidget* tab)
{
    if (pcMain->indexOf(tab) < 0) {
        if (tab == tabScriptErr)
            pcMain->insertTab(pcMain->indexOf(tabHelp), tabScriptErr, QStringLiteral("Script Errors"));
    }
    pcMain->setCurrentWidget(tab);
}

void TfmRefresh::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (runSkripta.isEmpty())
        return;
    // The REFRESH command: the file runs while the window is being shown, so the caller goes on only afterwards.
    const QString file = runSkripta;
    runSkripta.clear();
    unattended = true;
    meErr->clear();
    meScriptErr->clear();
    runScript = true;
    runRefreshFile(file);
    finishUnattended(file);
}

void TfmRefresh::closeEvent(QCloseEvent* event)
{
    if (running()) {
        // Closing stops the run; the window closes once the thread has ended.
        closeAfterRun = true;
        btStopClick();
        event->ignore();
        return;
    }
    // What was not committed goes with the window, undone on purpose rather than left to the logoff.
    if (osOracleThread->connected() && osOracleThread->inTransaction()) {
        try {
            osOracleThread->rollback();
        } catch (const db::OracleError&) {
        }
    }
    event->accept();
}
