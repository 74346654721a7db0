// The structure validation window.
#include "admin/valiStru.h"

#include "admin/repair.h"
#include "admin/validation.h"
#include "admin/windowsupport.h"
#include "db/dataset.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "shell/Main.h"
#include "shell/gridutils.h"
#include "shell/themedgrid.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>

TfmValiStru::TfmValiStru(TfmMain& mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , main(mainWindow)
{
    setObjectName(QStringLiteral("fmValiStru"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 520);
    quTables = new db::DataSet(main.osOracle, this);
    quTables->setObjectName(QStringLiteral("quTables"));
    quTables->setReadOnly(true);
    quTables->setSql(admin::tablesOfOwnerStatement());
    quNapake = new db::DataSet(main.osOracle, this);
    quNapake->setObjectName(QStringLiteral("quNapake"));
    quNapake->setReadOnly(true);
    quNapake->setSql(admin::invalidRowsStatement());

    auto* top = new QHBoxLayout;
    laUser = admin::label(this, "laUser", QStringLiteral("Owner:"));
    edUser = admin::edit(this, "edUser", true);
    edUser->setText(main.currOwner.toUpper());
    laFilter = admin::label(this, "laFilter", QStringLiteral("Filter:"));
    edTabFilter = admin::edit(this, "edTabFilter", true);
    btRefresh = admin::toolButton(this, "btRefresh", QString(), QStringLiteral("Refresh"));
    btRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    btRepair = admin::button(this, "btRepair", QStringLiteral("&Repair"));
    btExit = admin::button(this, "btExit", QStringLiteral("&Exit"));
    top->addWidget(laUser);
    top->addWidget(edUser);
    top->addWidget(laFilter);
    top->addWidget(edTabFilter);
    top->addWidget(btRefresh);
    top->addStretch();
    top->addWidget(btRepair);
    top->addWidget(btExit);

    dbgTables = admin::dataGrid(this, "dbgTables", quTables);
    paSide = new QWidget(this);
    paSide->setObjectName(QStringLiteral("paSide"));
    paSide->setFixedWidth(220);
    auto* side = new QVBoxLayout(paSide);
    laAnalCaption = admin::label(paSide, "laAnalCaption", QStringLiteral("ANALYZE TABLE:"));
    laAnalTable = admin::label(paSide, "laAnalTable", QString());
    laAnalTable->setStyleSheet(QStringLiteral("font-weight: bold"));
    cbCascade = new QCheckBox(QStringLiteral("Cascade"), paSide);
    cbCascade->setObjectName(QStringLiteral("cbCascade"));
    btAnal = admin::button(paSide, "btAnal", QStringLiteral("Analyze selected table"));
    btAnalAll = admin::button(paSide, "btAnalAll", QStringLiteral("Analyze all tables"));
    btCancel = admin::button(paSide, "btCancel", QStringLiteral("Cancel"));
    btCancel->setEnabled(false);
    side->addWidget(laAnalCaption);
    side->addWidget(laAnalTable);
    side->addWidget(cbCascade);
    side->addSpacing(8);
    side->addWidget(btAnal);
    side->addWidget(btAnalAll);
    side->addWidget(btCancel);
    side->addStretch();

    meReport = new QPlainTextEdit(this);
    meReport->setObjectName(QStringLiteral("meReport"));
    meReport->setReadOnly(true);
    meReport->setMaximumHeight(110);
    meReport->setVisible(false);

    auto* middle = new QHBoxLayout;
    middle->addWidget(dbgTables, 1);
    middle->addWidget(paSide);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addWidget(meReport);

    tiStart = new QTimer(this);
    tiStart->setObjectName(QStringLiteral("tiStart"));
    tiStart->setSingleShot(true);
    tiStart->setInterval(500);
    connect(tiStart, &QTimer::timeout, this, &TfmValiStru::tiStartTimer);
    connect(btRefresh, &QToolButton::clicked, this, &TfmValiStru::btRefreshClick);
    connect(edUser, &QLineEdit::returnPressed, this, &TfmValiStru::btRefreshClick);
    connect(edTabFilter, &QLineEdit::returnPressed, this, &TfmValiStru::btRefreshClick);
    connect(btAnal, &QPushButton::clicked, this, &TfmValiStru::btAnalClick);
    connect(btAnalAll, &QPushButton::clicked, this, &TfmValiStru::btAnalAllClick);
    connect(btCancel, &QPushButton::clicked, this, &TfmValiStru::btCancelClick);
    connect(btRepair, &QPushButton::clicked, this, [this] { btRepairClick(); });
    connect(btExit, &QPushButton::clicked, this, &QWidget::close);
    setLanguageTexts();

    // The window shows itself, centred on the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfmValiStru::setLanguageTexts()
{
    const bool slo = admin::slovenian(main);
    setWindowTitle(QStringLiteral("Validacija Struktur"));
    laAnalCaption->setText(slo ? QStringLiteral("ANALIZIRANJE TABELE:") : QStringLiteral("ANALYZE TABLE:"));
    laUser->setText(slo ? QStringLiteral("Lastnik:") : QStringLiteral("Owner:"));
    laFilter->setText(slo ? QStringLiteral("Filter:") : QStringLiteral("Filter:"));
    cbCascade->setText(slo ? QStringLiteral("Kaskadno") : QStringLiteral("Cascade"));
    btAnal->setText(slo ? QStringLiteral("Analiza izbrane tabele") : QStringLiteral("Analyze selected table"));
    btAnalAll->setText(slo ? QStringLiteral("Analiza vseh tabel") : QStringLiteral("Analyze all tables"));
    btExit->setText(slo ? QStringLiteral("&Izhod") : QStringLiteral("&Exit"));
    btCancel->setText(slo ? QStringLiteral("Prekini") : QStringLiteral("Cancel"));
    btRepair->setText(slo ? QStringLiteral("&Popravi") : QStringLiteral("&Repair"));
    nizKonec = slo ? QStringLiteral("KONEC ANALIZIRANJA TABEL") : QStringLiteral("END OF ANALYZING TABLES");
    nizOwnerEmpty = slo ? QStringLiteral("Lastnik ni vpisan!") : QStringLiteral("Owner is empty!");
}

void TfmValiStru::btRefreshClick()
{
    quNapake->close();
    dbgTables->setDataSet(quTables);
    paSide->setVisible(true);
    laAnalTable->clear();
    if (edUser->text().trimmed().isEmpty()) {
        admin::showMessage(this, main, nizOwnerEmpty, pAuto);
        return;
    }
    quTables->close();
    quTables->setVariable(QStringLiteral("upor"), edUser->text().trimmed());
    quTables->setVariable(QStringLiteral("tabFilter"), edTabFilter->text().trimmed() + QLatin1Char('%'));
    try {
        quTables->open();
        quTables->fetchAll();
    } catch (const db::OracleError& e) {
        admin::showMessage(this, main, e.message(), pAuto);
    }
}

bool TfmValiStru::prepareRun()
{
    // ANALYZE is DDL: it commits the main session, so other windows' pending work is asked about first.
    if (!main.confirmMainSessionEnd(this, btAnal->text()))
        return false;
    report = {};
    meReport->clear();
    meReport->setVisible(false);
    try {
        db::Query q(main.osOracle);
        q.setSql(QStringLiteral("select count(*) from user_tables where table_name = 'INVALID_ROWS'"));
        q.execute();
        if (q.field(0).toInt() == 0) {
            q.setSql(admin::createInvalidRowsStatement());
            q.execute();
        }
        // The rows of this run are those written from now on, by the server's clock.
        q.setSql(QStringLiteral("select sysdate from dual"));
        q.execute();
        runStart = q.field(0).toDateTime();
    } catch (const db::OracleError& e) {
        report.notValidated.append(QStringLiteral("INVALID_ROWS: ") + e.message());
        return false;
    }
    runActive = true;
    pKonec = false;
    btCancel->setEnabled(true);
    btAnal->setEnabled(false);
    btAnalAll->setEnabled(false);
    return true;
}

void TfmValiStru::ValidateTable(const QString& table)
{
    const QString owner = edUser->text().trimmed();
    laAnalTable->setText(table);
    QCoreApplication::processEvents();
    db::Query q(main.osOracle);
    try {
        // The table's earlier findings go, so INVALID_ROWS holds what this run finds.
        q.setSql(QStringLiteral("delete from invalid_rows where owner_name = :o and table_name = :t"));
        q.setVariable(QStringLiteral("o"), owner);
        q.setVariable(QStringLiteral("t"), table);
        q.execute();
        q.deleteVariables();
        q.setSql(admin::validateStatement(owner, table, cbCascade->isChecked()));
        q.execute();
        ++report.validated;
    } catch (const db::OracleError& e) {
        if (e.code() == 1498)
            report.damaged.append(table);
        else if (e.code() == 1499)
            report.mismatched.append(table);
        else
            report.notValidated.append(table + QStringLiteral(": ") + e.message());
    }
    laAnalTable->clear();
    QCoreApplication::processEvents();
}

void TfmValiStru::btAnalClick()
{
    if (runActive || !quTables->active() || quTables->recordCount() == 0 || dbgTables->dataSet() != quTables)
        return;
    const QString table = quTables->fieldValue(QStringLiteral("TABLE_NAME")).toString();
    if (!prepareRun()) {
        finishRun();
        return;
    }
    ValidateTable(table);
    finishRun();
}

void TfmValiStru::btAnalAllClick()
{
    if (runActive)
        return;
    if (!quTables->active())
        btRefreshClick();
    if (!quTables->active()) {
        report = {};
        report.notValidated.append(nizOwnerEmpty);
        finishRun();
        return;
    }
    if (!prepareRun()) {
        finishRun();
        return;
    }
    quTables->fetchAll();
    const int field = quTables->fieldIndex(QStringLiteral("TABLE_NAME"));
    QStringList tables;
    for (int row = 0; row < quTables->recordCount(); ++row)
        tables.append(quTables->value(row, field).toString());
    for (const QString& table : tables) {
        if (pKonec) {
            report.stopped = true;
            break;
        }
        ValidateTable(table);
    }
    finishRun();
}

void TfmValiStru::btCancelClick()
{
    pKonec = true;
}

QString TfmValiStru::reportText() const
{
    const bool slo = admin::slovenian(main);
    QStringList lines;
    if (!report.damaged.isEmpty())
        lines << (slo ? QStringLiteral("Poškodovane tabele (ORA-01498): ")
                      : QStringLiteral("Damaged tables (ORA-01498): "))
                + report.damaged.join(QStringLiteral(", "));
    if (!report.mismatched.isEmpty())
        lines << (slo ? QStringLiteral("Indeksi se ne ujemajo s tabelo (ORA-01499): ")
                      : QStringLiteral("Indexes that do not agree with their table (ORA-01499): "))
                + report.mismatched.join(QStringLiteral(", "));
    for (const QString& n : report.notValidated)
        lines << (slo ? QStringLiteral("Ni preverjeno: ") : QStringLiteral("Not validated: ")) + n;
    if (report.stopped)
        lines << (slo ? QStringLiteral("Preverjanje je bilo prekinjeno.") : QStringLiteral("The run was stopped."));
    return lines.join(QLatin1Char('\n'));
}

void TfmValiStru::finishRun()
{
    runActive = false;
    btCancel->setEnabled(false);
    btAnal->setEnabled(true);
    btAnalAll->setEnabled(true);
    ShowInvalidRows();
    const QString text = reportText();
    meReport->setPlainText(text);
    meReport->setVisible(!text.isEmpty());
    if (pAuto && !text.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(text));
    emit checkFinished(report.ok());
    // An unattended run never waits for a person: what it found is on the error output and in the signal.
    if (closeAfterRun || pAuto)
        close();
}

void TfmValiStru::ShowInvalidRows()
{
    quNapake->close();
    int rows = 0;
    if (runStart.isValid()) {
        quNapake->setVariable(QStringLiteral("od"), runStart);
        try {
            quNapake->open();
            quNapake->fetchAll();
            rows = quNapake->recordCount();
        } catch (const db::OracleError& e) {
            report.notValidated.append(QStringLiteral("INVALID_ROWS: ") + e.message());
        }
    }
    if (rows == 0) {
        quNapake->close();
        if (!pAuto && !closeAfterRun && report.ok())
            admin::showMessage(this, main, nizKonec);
        return;
    }
    if (pAuto) {
        for (int row = 0; row < rows; ++row)
            std::fprintf(stderr, "INVALID_ROWS: %s.%s %s\n", qPrintable(quNapake->value(row, 0).toString()),
                qPrintable(quNapake->value(row, 1).toString()), qPrintable(quNapake->value(row, 4).toString()));
    }
    dbgTables->setDataSet(quNapake);
    paSide->setVisible(false);
    admin::fitColumns(dbgTables, 33);
}

void TfmValiStru::tiStartTimer()
{
    tiStart->stop();
    btRefreshClick();
    btAnalAllClick();
}

void TfmValiStru::startUnattended(const QString& owner, const QString& filter, const QString& cascade)
{
    const admin::CheckTablesParameters p = admin::checkTablesParameters(owner, filter, cascade);
    pAuto = true;
    if (!p.owner.isEmpty())
        edUser->setText(p.owner);
    if (!p.filter.isEmpty())
        edTabFilter->setText(p.filter);
    cbCascade->setChecked(p.cascade);
    tiStart->start();
}

TfmRepairTable* TfmValiStru::btRepairClick()
{
    auto* repair = new TfmRepairTable(main, &main);
    if (quTables->active() && dbgTables->dataSet() == quTables && quTables->recordCount() > 0) {
        repair->edUser->setText(edUser->text());
        repair->edTabela->setText(quTables->fieldValue(QStringLiteral("TABLE_NAME")).toString());
    }
    repair->show();
    return repair;
}

void TfmValiStru::closeEvent(QCloseEvent* event)
{
    // A run over all tables stops first; the window closes when it has.
    if (runActive) {
        pKonec = true;
        closeAfterRun = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
