// The worksheet's tools around the run: its own session, files, the command history page, the explain plan, the
// export of a result, the call and select builders. The logic lives in its own modules; this wires it to the
// window's controls.
#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "db/query.h"
#include "db/session.h"
#include "develop/callbuilder.h"
#include "develop/delphistring.h"
#include "develop/explainplan.h"
#include "develop/gridexport.h"
#include "develop/ownsession.h"
#include "develop/selectbuilder.h"
#include "develop/workshet.h"
#include "shell/Main.h"
#include "shell/localmessagedlg.h"
#include "shell/sqleditor.h"
#include "shell/themedgrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace {

QLineEdit* upperEdit(QWidget* parent, const char* name, const QString& text = {})
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    QObject::connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
        if (t != t.toUpper()) {
            const int pos = e->cursorPosition();
            e->setText(t.toUpper());
            e->setCursorPosition(pos);
        }
    });
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QString cellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

void setCell(QTableWidget* grid, int row, int column, const QString& text, bool editable)
{
    auto* item = new QTableWidgetItem(text);
    if (!editable)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    grid->setItem(row, column, item);
}

// Calls a function when the user enters the watched control (by the mouse, the keyboard or a shortcut); the
// window coming back to the front or a closed popup giving the focus back is no entering.
class EnterWatcher : public QObject {
public:
    EnterWatcher(QObject* parent, std::function<void()> entered)
        : QObject(parent)
        , entered(std::move(entered))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                entered();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> entered;
};

} // namespace

void TfmWorkSheet::buildToolPages()
{
    // History page.
    {
        auto* l = new QHBoxLayout(tabHist);
        auto* side = new QVBoxLayout;
        btRefreshHistory = button(tabHist, "btRefreshHistory", QStringLiteral("Refresh History"));
        btUpdateHistory = button(tabHist, "btUpdateHistory", QStringLiteral("Update Current  History Sentence"));
        btDeleteHistory = button(tabHist, "btDeleteHistory", QStringLiteral("Delete Last History Sentence"));
        edOwner = upperEdit(tabHist, "edOwner", mainWindow ? mainWindow->connUser : QString());
        side->addWidget(btRefreshHistory);
        side->addWidget(btUpdateHistory);
        side->addWidget(btDeleteHistory);
        side->addWidget(new QLabel(QStringLiteral("User:"), tabHist));
        side->addWidget(edOwner);
        side->addStretch();
        l->addLayout(side);
        dbgHist = qobject_cast<TThemedDBGrid*>(shell::createDataGrid(QStringLiteral("TDBGrid"), tabHist));
        dbgHist->setObjectName(QStringLiteral("dbgHist"));
        dbgHist->setSelectionBehavior(QAbstractItemView::SelectRows);
        dbgHist->setEditTriggers(QAbstractItemView::NoEditTriggers);
        l->addWidget(dbgHist, 1);
        quHistory = new db::DataSet(nullptr, this);
        quHistory->setObjectName(QStringLiteral("quHistory"));
        quHistory->setReadOnly(true);
        quHistory->setSql(QString::fromUtf8(develop::historyListSql));
        quHistory->declareVariable(QStringLiteral("lastnik"), db::BindType::String);
        dbgHist->setDataSet(quHistory);
        connect(btRefreshHistory, &QPushButton::clicked, this, &TfmWorkSheet::refreshHistoryList);
        connect(btUpdateHistory, &QPushButton::clicked, this, &TfmWorkSheet::updateHistoryEntryClick);
        connect(btDeleteHistory, &QPushButton::clicked, this, &TfmWorkSheet::deleteHistoryEntryClick);
        connect(quHistory, &db::DataSet::currentChanged, this, [this] {
            if (quHistory->active() && quHistory->recNo() > 0 && !quHistory->controlsDisabled())
                meWork->setText(quHistory->fieldValue(QStringLiteral("HIST_UKAZ")).toString());
        });
    }

    // Call builder page.
    {
        auto* l = new QVBoxLayout(tabProcFunc);
        auto* row = new QHBoxLayout;
        edUser = upperEdit(tabProcFunc, "edUser");
        edFilter = upperEdit(tabProcFunc, "edFilter");
        btRefresh = button(tabProcFunc, "btRefresh", QStringLiteral("&Refresh"));
        btInsert = button(tabProcFunc, "btInsert", QStringLiteral("&Prepare Statement"));
        row->addWidget(new QLabel(QStringLiteral("User:"), tabProcFunc));
        row->addWidget(edUser);
        row->addWidget(new QLabel(QStringLiteral("Name:"), tabProcFunc));
        row->addWidget(edFilter);
        row->addWidget(btRefresh);
        row->addWidget(btInsert);
        l->addLayout(row);
        auto* body = new QHBoxLayout;
        tvSQL = new QTreeWidget(tabProcFunc);
        tvSQL->setObjectName(QStringLiteral("tvSQL"));
        tvSQL->setHeaderHidden(true);
        tnProc = new QTreeWidgetItem(tvSQL, { QStringLiteral("PROCEDURE") });
        tnFunc = new QTreeWidgetItem(tvSQL, { QStringLiteral("FUNCTION") });
        tnPck = new QTreeWidgetItem(tvSQL, { QStringLiteral("PACKAGE") });
        sgParams = new QTableWidget(0, 4, tabProcFunc);
        sgParams->setObjectName(QStringLiteral("sgParams"));
        sgParams->setHorizontalHeaderLabels({ QStringLiteral("Parameter"), QStringLiteral("Data_Type"),
            QStringLiteral("In/Out"), QStringLiteral("Value") });
        sgParams->horizontalHeader()->setStretchLastSection(true);
        sgParams->hide();
        body->addWidget(tvSQL, 1);
        body->addWidget(sgParams, 2);
        l->addLayout(body, 1);
        connect(btRefresh, &QPushButton::clicked, this, &TfmWorkSheet::fillProcedureTree);
        connect(edUser, &QLineEdit::editingFinished, this, &TfmWorkSheet::fillProcedureTree);
        connect(tvSQL, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { listParameters(item); });
        connect(btInsert, &QPushButton::clicked, this, &TfmWorkSheet::prepareCallStatement);
    }

    // Select builder page.
    {
        auto* l = new QVBoxLayout(tabTabela);
        auto* row = new QHBoxLayout;
        edUserTabela = upperEdit(tabTabela, "edUserTabela", mainWindow ? mainWindow->currOwner.toUpper() : QString());
        edFilterTabela = upperEdit(tabTabela, "edFilterTabela", QStringLiteral("%"));
        cbTabela = new QComboBox(tabTabela);
        cbTabela->setObjectName(QStringLiteral("cbTabela"));
        cbTabela->setEditable(true);
        cbTabela->setMinimumWidth(180);
        cbLive = new QCheckBox(QStringLiteral("Live query"), tabTabela);
        cbLive->setObjectName(QStringLiteral("cbLive"));
        cbLive->setChecked(true);
        btStavek = button(tabTabela, "btStavek", QStringLiteral("Statement"));
        row->addWidget(new QLabel(QStringLiteral("User:"), tabTabela));
        row->addWidget(edUserTabela);
        row->addWidget(edFilterTabela);
        row->addWidget(new QLabel(QStringLiteral("Table:"), tabTabela));
        row->addWidget(cbTabela, 1);
        row->addWidget(cbLive);
        row->addWidget(btStavek);
        l->addLayout(row);
        sgColumns = new QTableWidget(0, 9, tabTabela);
        sgColumns->setObjectName(QStringLiteral("sgColumns"));
        sgColumns->setHorizontalHeaderLabels({ QStringLiteral("Show"), QStringLiteral("Column name"),
            QStringLiteral("Type"), QStringLiteral("Len"), QStringLiteral("Prec"), QStringLiteral("Scale"),
            QStringLiteral("Null"), QStringLiteral("Default"), QStringLiteral("Filter") });
        sgColumns->horizontalHeader()->setStretchLastSection(true);
        sgColumns->hide();
        l->addWidget(sgColumns, 1);
        // Entering the table box lists the tables of the owner and filter as they stand then.
        cbTabela->installEventFilter(new EnterWatcher(cbTabela, [this] { listTables(); }));
        connect(cbTabela, &QComboBox::textActivated, this, [this] { listColumns(); });
        connect(sgColumns, &QTableWidget::cellClicked, this, [this](int r, int c) {
            if (c == 0)
                setCell(sgColumns, r, 0, develop::toggledShow(cellText(sgColumns, r, 0)), false);
        });
        connect(btStavek, &QPushButton::clicked, this, &TfmWorkSheet::buildSelectStatement);
    }

    connect(miConnect, &QAction::triggered, this, &TfmWorkSheet::miConnectClick);
    connect(miDisconnect, &QAction::triggered, this, &TfmWorkSheet::miDisconnectClick);
    connect(miOpen, &QAction::triggered, this, &TfmWorkSheet::miOpenClick);
    connect(miSave, &QAction::triggered, this, &TfmWorkSheet::miSaveClick);
    connect(miSaveAs, &QAction::triggered, this, &TfmWorkSheet::miSaveAsClick);
    connect(mnHistory, &QAction::triggered, this, &TfmWorkSheet::refreshHistoryList);
    connect(spExplain, &QToolButton::clicked, this, &TfmWorkSheet::spExplainClick);
    connect(spSaveHist, &QToolButton::clicked, this, &TfmWorkSheet::spSaveHistClick);
    connect(spConvertToAscii, &QToolButton::clicked, this, &TfmWorkSheet::spConvertToAsciiClick);
    connect(miConvertDelphi, &QAction::triggered, this, &TfmWorkSheet::convertDelphiStringClick);
    connect(miMakeLive, &QAction::triggered, this, &TfmWorkSheet::makeQueryLiveClick);
    connect(spLive, &QToolButton::clicked, this, &TfmWorkSheet::makeQueryLiveClick);
    connect(miFuncProc, &QAction::triggered, this, &TfmWorkSheet::funcProcClick);
    // The segment is the main window's: its handler switches it, and the item shows the main window's state.
    connect(miLargeRB, &QAction::triggered, this, [this] {
        if (mainWindow)
            mainWindow->mmActivateLargeRBClick();
        followLargeRB();
    });
}

void TfmWorkSheet::setToolTexts(bool slo)
{
    if (!slo)
        return;
    btRefresh->setText(QStringLiteral("&Osveži"));
    btInsert->setText(QStringLiteral("&Pripravi stavek"));
    btStavek->setText(QStringLiteral("Stavek"));
    cbLive->setText(QStringLiteral("\"Live\" stavek"));
}

// ---- own session

void TfmWorkSheet::bindComponents(db::Session* session)
{
    quDynWork->close();
    quHistory->close();
    for (db::Query* q : { quDynQuery, quGetTime, quTmp })
        q->setSession(session);
    quDynWork->setSession(session);
    quHistory->setSession(session);
    currDataBase = session;
}

void TfmWorkSheet::miConnectClick()
{
    if (running())
        return;
    // Only this window's own work is asked about: a transaction other windows hold on the main session is theirs,
    // and the main session goes on when this window leaves it.
    if (currDataBase && currDataBase->connected() && holdsOpenWork()) {
        const int answer = shell::LocalMessageDlg(nizComCur, shell::MsgDlgType::mtInformation,
            shell::MsgDlgBtn::mbYesNo, 0, mainWindow ? mainWindow->currLanguage : QString());
        try {
            if (answer == shell::mrYes)
                btCommitClick();
            else
                btRollbackClick();
        } catch (const db::OracleError& e) {
            QMessageBox::warning(this, windowTitle(), e.message());
            return;
        }
    }
    const develop::OwnLogonResult r = develop::connectOwnSession(mainWindow, *tmpDataBase, this);
    if (!r.connected) {
        miDisconnectClick();
        return;
    }
    ORACLEVersion = r.oracleVersion;
    if (!r.dateFormatError.isEmpty()) {
        // The logon stands; the session keeps the format it had, and the user learns why dates look otherwise.
        QMessageBox box(QMessageBox::Warning, windowTitle(), r.dateFormatError, QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("wrongDateFormat"));
        box.setInformativeText(mainWindow ? mainWindow->currentDateFormat : QString());
        box.exec();
    }
    dictionaryWarned = false;
    setToolTip(QString());
    loadHistoryRing();
    bindComponents(tmpDataBase);
    statistics.attach(*tmpDataBase);
    miViewStatistics->setEnabled(statistics.enabled());
    miStatisticsScreen->setEnabled(statistics.enabled());
    if (miDbmsOutput->isChecked())
        tmpDataBase->enableOutput(100000);
    paSQLLeft->setEnabled(true);
    showPage(TabRespError);
    followTransaction();
}

void TfmWorkSheet::miDisconnectClick()
{
    if (running())
        return;
    // The main session is never logged off by a worksheet; a worksheet that never had its own logon keeps
    // working on it.
    const db::Session* mainSession = mainWindow ? mainWindow->osOracle : nullptr;
    if (currDataBase == mainSession)
        return;
    // Logging off rolls back: work left on the own session is the user's to keep or drop.
    if (currDataBase && currDataBase->connected() && holdsOpenWork()) {
        const int answer = shell::LocalMessageDlg(nizComCur, shell::MsgDlgType::mtConfirmation,
            shell::MsgDlgBtn::mbYesNoCancel, 0, mainWindow ? mainWindow->currLanguage : QString());
        if (answer == shell::mrYes) {
            if (!commitWork())
                return;
        } else if (answer == shell::mrNo) {
            rollbackWork();
        } else {
            return;
        }
    }
    if (currDataBase)
        develop::disconnectOwnSession(*currDataBase, mainSession);
    paSQLLeft->setEnabled(false);
    setWindowTitle(sCaption);
    setToolTip(sCaption);
    showPage(TabRespError);
    followTransaction();
}

// ---- files

void TfmWorkSheet::miOpenClick()
{
    const QString path = QFileDialog::getOpenFileName(this, QString(),
        mainWindow ? mainWindow->CurrentEditInitDir : QString(), QStringLiteral("SQL (*.sql);;All files (*)"));
    if (path.isEmpty())
        return;
    QString error;
    const std::optional<QString> text = file.open(path, &error);
    if (!text) {
        QMessageBox::warning(this, windowTitle(), error);
        return;
    }
    setWindowTitle(develop::WorksheetFile::caption(sUserCaption, path));
    meWork->setText(*text);
}

void TfmWorkSheet::miSaveClick()
{
    // The output pane is saved only when the user is in it; otherwise the statement is.
    const bool output = meRespSQL->hasFocus();
    const QString text = output ? meRespSQL->toPlainText() : meWork->textLines().join(QLatin1Char('\n'));
    QString error;
    if (!file.currentFile().isEmpty()) {
        if (!file.save(text, &error))
            QMessageBox::warning(this, windowTitle(), error);
        return;
    }
    const QString path = QFileDialog::getSaveFileName(this, QString(),
        mainWindow ? mainWindow->CurrentEditInitDir : QString(), QStringLiteral("SQL (*.sql);;All files (*)"));
    if (path.isEmpty())
        return;
    std::optional<develop::TextFileFormat> format;
    if (output && mainWindow && mainWindow->currUnicode)
        format = develop::unicodeOutputFormat();
    if (!file.saveAs(develop::WorksheetFile::withDefaultSuffix(path), text, format, &error)) {
        QMessageBox::warning(this, windowTitle(), error);
        return;
    }
    setWindowTitle(develop::WorksheetFile::caption(sUserCaption, file.currentFile()));
}

void TfmWorkSheet::miSaveAsClick()
{
    const bool output = meRespSQL->hasFocus();
    file.clear();
    if (output)
        meRespSQL->setFocus();
    miSaveClick();
}

// ---- history

void TfmWorkSheet::loadHistoryRing()
{
    if (!currDataBase || !currDataBase->connected())
        return;
    const develop::HistoryLoadResult r = develop::loadHistory(*currDataBase, edOwner->text(), history);
    if (!r.ok)
        QMessageBox::warning(this, windowTitle(), nizErrHist);
}

void TfmWorkSheet::refreshHistoryList()
{
    if (!currDataBase)
        return;
    try {
        quHistory->close();
        quHistory->setSession(currDataBase);
        quHistory->setVariable(QStringLiteral("lastnik"), edOwner->text().toUpper());
        quHistory->open();
        dbgHist->setColumnHidden(1, true);
        dbgHist->setColumnHidden(2, true);
        dbgHist->horizontalHeader()->setStretchLastSection(true);
    } catch (const db::OracleError& e) {
        QMessageBox::warning(this, windowTitle(), e.message());
    }
    showPage(tabHist);
}

void TfmWorkSheet::spSaveHistClick()
{
    if (!currDataBase)
        return;
    try {
        if (!develop::saveToHistory(*currDataBase, meWork->textCrLf()))
            QMessageBox::warning(this, windowTitle(), nizErrExp);
    } catch (const db::OracleError& e) {
        QMessageBox::warning(this, windowTitle(), e.message());
    }
}

void TfmWorkSheet::updateHistoryEntryClick()
{
    if (!quHistory->active() || quHistory->recNo() == 0)
        return;
    try {
        develop::updateHistoryEntry(*currDataBase, edOwner->text().toUpper(),
            quHistory->fieldValue(QStringLiteral("HIST_ZPST")).toInt(), meWork->textCrLf());
        enableTransactionButtons(true);
    } catch (const db::OracleError& e) {
        QMessageBox::warning(this, windowTitle(), e.message());
    }
}

void TfmWorkSheet::deleteHistoryEntryClick()
{
    if (!quHistory->active() || quHistory->recNo() == 0)
        return;
    try {
        develop::deleteHistoryEntry(
            *currDataBase, edOwner->text().toUpper(), quHistory->fieldValue(QStringLiteral("HIST_ZPST")).toInt());
        enableTransactionButtons(true);
    } catch (const db::OracleError& e) {
        QMessageBox::warning(this, windowTitle(), e.message());
    }
    refreshHistoryList();
}

// ---- explain, export, text tools

void TfmWorkSheet::spExplainClick()
{
    if (!currDataBase || running())
        return;
    const develop::ExplainResult r = develop::explainPlan(*currDataBase, meWork->textLines());
    switch (r.outcome) {
    case develop::ExplainResult::Outcome::InTransaction:
        QMessageBox::warning(this, windowTitle(), nizErrExp);
        enableTransactionButtons(true);
        return;
    case develop::ExplainResult::Outcome::Failed:
        QMessageBox::warning(this, windowTitle(),
            nizErrOn + r.failedStatement
                + (r.serverMessage.isEmpty() ? QString() : QStringLiteral("\n\n") + r.serverMessage));
        return;
    case develop::ExplainResult::Outcome::Explained:
        break;
    }
    showPage(tabExplain);
    meExplain->setPlainText(r.lines.join(QLatin1Char('\n')));
    meExplain->setFocus();
}

void TfmWorkSheet::spConvertToAsciiClick()
{
    meRespSQL->appendPlainText(QStringLiteral(">>>"));
    showPage(TabRespSQL);
    if (!quDynWork->active() || running())
        return;
    const QString separator = mainWindow ? mainWindow->pretvoriDescriptor() : QStringLiteral(";");
    setCursor(Qt::BusyCursor);
    const develop::ExportResult r
        = develop::exportResult(*quDynWork, develop::gridColumns(*dbgSelect), separator, [](int) {
              QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
              return true;
          });
    unsetCursor();
    meRespSQL->appendPlainText(r.lines.join(QLatin1Char('\n')));
    if (!r.complete && !r.error.isEmpty())
        QMessageBox::warning(this, windowTitle(), r.error);
}

void TfmWorkSheet::convertDelphiStringClick()
{
    const std::optional<QStringList> lines = develop::convertDelphiString(meWork->text());
    if (!lines) {
        QMessageBox::warning(this, windowTitle(), nizErrStr);
        return;
    }
    meWork->setLines(*lines);
}

void TfmWorkSheet::makeQueryLiveClick()
{
    if (!mainWindow)
        return;
    const shell::LiveQueryResult r = mainWindow->postaviLiveQuery(meWork->text());
    if (!r.message.isEmpty())
        QMessageBox::information(this, windowTitle(), r.message);
    if (!r.text.isEmpty())
        meWork->setText(r.text);
}

// ---- call builder

void TfmWorkSheet::funcProcClick()
{
    if (firstTimeFunc) {
        edUser->setText(mainWindow ? mainWindow->currOwner.toUpper() : QString());
        fillProcedureTree();
        firstTimeFunc = false;
    }
    btRefresh->setDefault(true);
    showPage(tabProcFunc);
}

void TfmWorkSheet::fillProcedureTree()
{
    for (QTreeWidgetItem* top : { tnProc, tnFunc, tnPck })
        qDeleteAll(top->takeChildren());
    if (!currDataBase)
        return;
    try {
        const develop::CallableObjects objects
            = develop::listCallables(*currDataBase, edUser->text(), edFilter->text());
        for (const QString& p : objects.procedures)
            new QTreeWidgetItem(tnProc, { p });
        for (const QString& f : objects.functions)
            new QTreeWidgetItem(tnFunc, { f });
        for (const develop::PackageNode& pk : objects.packages) {
            auto* node = new QTreeWidgetItem(tnPck, { pk.text });
            for (const QString& m : pk.members)
                new QTreeWidgetItem(node, { m });
        }
    } catch (const db::OracleError& e) {
        QMessageBox::warning(this, windowTitle(), e.message());
    }
}

void TfmWorkSheet::listParameters(QTreeWidgetItem* item)
{
    sgParams->setRowCount(0);
    sgParams->hide();
    if (!item || !item->parent() || !currDataBase)
        return;
    const bool member = item->parent()->parent() != nullptr;
    const develop::CallTarget target
        = member ? develop::callTarget(item->text(0), item->parent()->text(0)) : develop::callTarget(item->text(0));
    if (!target.valid)
        return;
    try {
        const std::vector<develop::ArgumentRow> rows = develop::listArguments(*currDataBase, target);
        sgParams->setRowCount(int(rows.size()));
        for (int r = 0; r < int(rows.size()); ++r) {
            setCell(sgParams, r, 0, rows[size_t(r)].name, false);
            setCell(sgParams, r, 1, rows[size_t(r)].dataType, false);
            setCell(sgParams, r, 2, rows[size_t(r)].inOut, false);
            setCell(sgParams, r, 3, QString(), true);
        }
        sgParams->resizeColumnsToContents();
        sgParams->setVisible(!rows.empty());
    } catch (const db::OracleError& e) {
        QMessageBox::warning(this, windowTitle(), e.message());
    }
}

void TfmWorkSheet::prepareCallStatement()
{
    QTreeWidgetItem* item = tvSQL->currentItem();
    if (!item || !item->parent())
        return;
    const bool member = item->parent()->parent() != nullptr;
    const QString name
        = member ? develop::callName(item->text(0), item->parent()->text(0)) : develop::callName(item->text(0));
    std::vector<develop::ArgumentRow> rows;
    for (int r = 0; r < sgParams->rowCount(); ++r)
        rows.push_back(
            { cellText(sgParams, r, 0), cellText(sgParams, r, 1), cellText(sgParams, r, 2), cellText(sgParams, r, 3) });
    meWork->clear();
    meWork->insertAtCaret(develop::buildCallBlock(
        name, rows, sgParams->isVisible(), mainWindow ? mainWindow->p_newLine : QStringLiteral("\r")));
}

// ---- select builder

void TfmWorkSheet::listTables()
{
    if (!currDataBase)
        return;
    try {
        const QString current = cbTabela->currentText();
        cbTabela->clear();
        cbTabela->addItems(develop::listTables(*currDataBase, edUserTabela->text(), edFilterTabela->text()));
        cbTabela->setCurrentText(current);
    } catch (const db::OracleError& e) {
        QMessageBox::warning(this, windowTitle(), e.message());
    }
}

void TfmWorkSheet::listColumns()
{
    sgColumns->setRowCount(0);
    sgColumns->hide();
    if (!currDataBase)
        return;
    try {
        const std::vector<develop::ColumnRow> rows
            = develop::listColumns(*currDataBase, edUserTabela->text().toUpper(), cbTabela->currentText().toUpper());
        sgColumns->setRowCount(int(rows.size()));
        for (int r = 0; r < int(rows.size()); ++r) {
            const develop::ColumnRow& c = rows[size_t(r)];
            const QStringList cells
                = { c.show, c.name, c.type, c.length, c.precision, c.scale, c.nullable, c.defaultValue, c.filter };
            for (int k = 0; k < cells.size(); ++k)
                setCell(sgColumns, r, k, cells.at(k), k == 8);
        }
        // The columns take what they show, so the filter column stays in sight.
        sgColumns->resizeColumnsToContents();
        sgColumns->setVisible(!rows.empty());
    } catch (const db::OracleError& e) {
        QMessageBox::warning(this, windowTitle(), e.message());
    }
}

void TfmWorkSheet::buildSelectStatement()
{
    std::vector<develop::ColumnRow> rows;
    for (int r = 0; r < sgColumns->rowCount(); ++r) {
        develop::ColumnRow c;
        c.show = cellText(sgColumns, r, 0);
        c.name = cellText(sgColumns, r, 1);
        c.type = cellText(sgColumns, r, 2);
        c.length = cellText(sgColumns, r, 3);
        c.precision = cellText(sgColumns, r, 4);
        c.scale = cellText(sgColumns, r, 5);
        c.nullable = cellText(sgColumns, r, 6);
        c.defaultValue = cellText(sgColumns, r, 7);
        c.filter = cellText(sgColumns, r, 8);
        rows.push_back(c);
    }
    meWork->setLines(develop::buildSelect(edUserTabela->text(), cbTabela->currentText(), rows, cbLive->isChecked()));
}
