// The repair window.
#include "admin/repair.h"

#include "admin/repairlogic.h"
#include "admin/windowsupport.h"
#include "db/oracleerror.h"
#include "db/session.h"
#include "shell/Main.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

TfmRepairTable::TfmRepairTable(TfmMain& mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , main(mainWindow)
{
    setObjectName(QStringLiteral("fmRepairTable"));
    resize(640, 460);

    auto* top = new QHBoxLayout;
    laUser = admin::label(this, "laUser", QStringLiteral("Owner:"));
    edUser = admin::edit(this, "edUser", true);
    laTabelaCaption = admin::label(this, "laTabelaCaption", QStringLiteral("Table:"));
    edTabela = admin::edit(this, "edTabela", true);
    btOsvezi = admin::toolButton(this, "btOsvezi", QString(), QString());
    btOsvezi->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    btKonec = admin::button(this, "btKonec", QStringLiteral("End"));
    top->addWidget(laUser);
    top->addWidget(edUser);
    top->addWidget(laTabelaCaption);
    top->addWidget(edTabela, 1);
    top->addWidget(btOsvezi);
    top->addStretch();
    top->addWidget(btKonec);

    auto* info = new QGridLayout;
    laTable = admin::label(this, "laTable", QString());
    laIndex = admin::label(this, "laIndex", QString());
    laKeyColumns = admin::label(this, "laKeyColumns", QString());
    laCount = admin::label(this, "laCount", QString());
    laNapaka = admin::label(this, "laNapaka", QString());
    laNapaka->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    laStatus = admin::label(this, "laStatus", QString());
    laStatus->setStyleSheet(QStringLiteral("color: #b00000"));
    laTableCaption = admin::label(this, "laTableCaption", QString());
    laIndexCaption = admin::label(this, "laIndexCaption", QString());
    laCountCaption = admin::label(this, "laCountCaption", QString());
    for (QLabel* caption : { laTableCaption, laIndexCaption, laCountCaption })
        caption->setStyleSheet(QStringLiteral("color: #505050"));
    info->addWidget(laTableCaption, 0, 0);
    info->addWidget(laTable, 0, 1);
    info->addWidget(laIndexCaption, 0, 2);
    info->addWidget(laIndex, 0, 3);
    info->addWidget(laKeyColumns, 0, 4);
    info->addWidget(laCountCaption, 1, 0);
    info->addWidget(laCount, 1, 1);
    info->addWidget(laNapaka, 1, 2, 1, 3);
    info->setColumnStretch(4, 1);

    pcMethods = new QTabWidget(this);
    pcMethods->setObjectName(QStringLiteral("pcMethods"));
    tabCopy = new QWidget(pcMethods);
    tabCopy->setObjectName(QStringLiteral("tabCopy"));
    auto* copyForm = new QGridLayout(tabCopy);
    laNewTable = admin::label(tabCopy, "laNewTable", QStringLiteral("New table: "));
    edNewTable = admin::edit(tabCopy, "edNewTable", true);
    laUseIndex = admin::label(tabCopy, "laUseIndex", QStringLiteral("Use Index:"));
    edUseIndex = admin::edit(tabCopy, "edUseIndex", true);
    laIndexFields = admin::label(tabCopy, "laIndexFields", QString());
    edIndexFields = admin::edit(tabCopy, "edIndexFields", true);
    laRownum = admin::label(tabCopy, "laRownum", QStringLiteral("Rownum< :"));
    edRownum = admin::edit(tabCopy, "edRownum");
    btCreateNew = admin::button(tabCopy, "btCreateNew", QStringLiteral("Create New Table"));
    btCreateNew->setEnabled(false);
    btAddRec = admin::button(tabCopy, "btAddRec", QStringLiteral("Add  Records"));
    btFindError = admin::button(tabCopy, "btFindError", QStringLiteral("&Find Error"));
    copyForm->addWidget(laNewTable, 0, 0);
    copyForm->addWidget(edNewTable, 0, 1);
    copyForm->addWidget(btCreateNew, 0, 2);
    copyForm->addWidget(laRownum, 1, 0);
    copyForm->addWidget(edRownum, 1, 1);
    copyForm->addWidget(btFindError, 1, 2);
    copyForm->addWidget(laUseIndex, 2, 0);
    copyForm->addWidget(edUseIndex, 2, 1);
    copyForm->addWidget(btAddRec, 2, 2);
    copyForm->addWidget(laIndexFields, 3, 0);
    copyForm->addWidget(edIndexFields, 3, 1);
    copyForm->setRowStretch(4, 1);
    copyForm->setColumnStretch(1, 1);

    tabRepair = new QWidget(pcMethods);
    tabRepair->setObjectName(QStringLiteral("tabRepair"));
    auto* repairForm = new QGridLayout(tabRepair);
    laRepairedCaption = admin::label(tabRepair, "laRepairedCaption", QStringLiteral("Repaired records : "));
    laRepaired = admin::label(tabRepair, "laRepaired", QString());
    laBrokenIndexes = admin::label(tabRepair, "laBrokenIndexes", QString());
    laBrokenIndexes->setStyleSheet(QStringLiteral("color: #b00000"));
    btFix = admin::button(tabRepair, "btFix", QStringLiteral("&FIX_CORRUPT_BLOCKS"));
    btFIndErrorRepair = admin::button(tabRepair, "btFIndErrorRepair", QStringLiteral("&Find Error"));
    repairForm->addWidget(laRepairedCaption, 0, 0);
    repairForm->addWidget(laRepaired, 0, 1);
    repairForm->addWidget(laBrokenIndexes, 1, 0, 1, 2);
    repairForm->addWidget(btFIndErrorRepair, 2, 0);
    repairForm->addWidget(btFix, 2, 1);
    repairForm->setRowStretch(3, 1);
    repairForm->setColumnStretch(2, 1);
    pcMethods->addTab(tabCopy, QStringLiteral("COPY method"));
    pcMethods->addTab(tabRepair, QStringLiteral("DBMS_REPAIR method"));
    pcMethods->setVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(info);
    layout->addWidget(pcMethods, 1);
    layout->addWidget(laStatus);

    connect(btOsvezi, &QToolButton::clicked, this, &TfmRepairTable::btOsveziClick);
    connect(edTabela, &QLineEdit::returnPressed, this, &TfmRepairTable::btOsveziClick);
    connect(btKonec, &QPushButton::clicked, this, &QWidget::close);
    connect(btFindError, &QPushButton::clicked, this, &TfmRepairTable::btFindErrorClick);
    connect(btCreateNew, &QPushButton::clicked, this, &TfmRepairTable::btCreateNewClick);
    connect(btAddRec, &QPushButton::clicked, this, &TfmRepairTable::btAddRecClick);
    connect(btFIndErrorRepair, &QPushButton::clicked, this, &TfmRepairTable::btFIndErrorRepairClick);
    connect(btFix, &QPushButton::clicked, this, &TfmRepairTable::btFixClick);

    // FormCreate
    setLanguageTexts();
    p_tabelaOK = true;
    p_pkOK = true;
    edUser->setText(main.currOwner.toUpper());
    if (main.connUser.toUpper() == QLatin1String("SYS")) {
        if (db::Session* s = session()) {
            try {
                admin::runRepairCount(*s, admin::adminTablesBlock(), {}, {});
            } catch (const db::OracleError&) {
                // the tables are there already
            }
        }
    } else {
        btFIndErrorRepair->setEnabled(false);
        btFix->setEnabled(false);
    }
    pcMethods->setCurrentWidget(tabRepair);
}

TfmRepairTable::~TfmRepairTable() = default;

void TfmRepairTable::setLanguageTexts()
{
    const bool slo = admin::slovenian(main);
    setWindowTitle(slo ? QStringLiteral("Popravi tabelo") : QStringLiteral("Repair table"));
    btOsvezi->setText(QString());
    laUser->setText(slo ? QStringLiteral("Lastnik:") : QStringLiteral("Owner:"));
    laTabelaCaption->setText(slo ? QStringLiteral("Tabela:") : QStringLiteral("Table:"));
    btKonec->setText(slo ? QStringLiteral("Konec") : QStringLiteral("End"));
    btFindError->setText(slo ? QStringLiteral("Išči napake") : QStringLiteral("&Find Error"));
    btFIndErrorRepair->setText(slo ? QStringLiteral("Išči napake") : QStringLiteral("&Find Error"));
    pcMethods->setTabText(0, slo ? QStringLiteral("Ročna metoda") : QStringLiteral("COPY method"));
    pcMethods->setTabText(1, slo ? QStringLiteral("DBMS_REPAIR metoda") : QStringLiteral("DBMS_REPAIR method"));
    laNewTable->setText(slo ? QStringLiteral("Nova tabela:") : QStringLiteral("New table: "));
    btCreateNew->setText(slo ? QStringLiteral("Kreiranje nove tabele") : QStringLiteral("Create New Table"));
    laUseIndex->setText(slo ? QStringLiteral("Uporabi index:") : QStringLiteral("Use Index:"));
    laIndexFields->setText(slo ? QStringLiteral("Ključ:") : QStringLiteral("Key:"));
    laTableCaption->setText(slo ? QStringLiteral("Tabela:") : QStringLiteral("Table:"));
    laIndexCaption->setText(slo ? QStringLiteral("Ključ:") : QStringLiteral("Key:"));
    laCountCaption->setText(slo ? QStringLiteral("Zapisov:") : QStringLiteral("Rows:"));
    btAddRec->setText(slo ? QStringLiteral("Dodaj zapise") : QStringLiteral("Add  Records"));
    laRepairedCaption->setText(slo ? QStringLiteral("Popravljenih zapisov:") : QStringLiteral("Repaired records : "));
    nizNotExists = slo ? QStringLiteral("Tabela ne obstaja") : QStringLiteral("Table does not exists");
    nizCount = slo ? QStringLiteral("Štetje zapisov") : QStringLiteral("Counting");
    nizDel = slo ? QStringLiteral("Brisanje zapisov") : QStringLiteral("Deleting records");
    nizNiNi = slo ? QStringLiteral("Pomanjkljivi podatki") : QStringLiteral("No parameters");
    nizCopy = slo ? QStringLiteral("Kopiranje ostalih zapisov") : QStringLiteral("Copying records");
    nizCopyEnd = slo ? QStringLiteral("Kopiranje zapisov končano") : QStringLiteral("End of copying records");
    nizCrEnd = slo ? QStringLiteral("Tabela je kreirana") : QStringLiteral("End of creating table");
    nizPoprIndex = slo ? QStringLiteral("Nekateri indexi na tabeli so pokvarjeni !")
                       : QStringLiteral("Some of indexes are broken !");
}

db::Session* TfmRepairTable::session()
{
    if (own && own->connected())
        return own.get();
    own = std::make_unique<db::Session>();
    own->setObjectName(QStringLiteral("osRepair"));
    own->setUserName(main.osOracle->userName());
    own->setPassword(main.osOracle->password());
    own->setDatabase(main.osOracle->database());
    own->setSysdba(main.osOracle->sysdba());
    try {
        own->logOn();
    } catch (const db::OracleError& e) {
        message(e.message());
        own.reset();
        return nullptr;
    }
    return own.get();
}

void TfmRepairTable::status(const QString& text)
{
    laStatus->setText(text);
    QCoreApplication::processEvents();
}

void TfmRepairTable::message(const QString& text)
{
    admin::showMessage(this, main, text);
}

QString TfmRepairTable::owner() const
{
    return edUser->text().trimmed();
}

QString TfmRepairTable::table() const
{
    return edTabela->text().trimmed();
}

void TfmRepairTable::btOsveziClick()
{
    if (working)
        return;
    btCreateNew->setEnabled(false);
    P_nizPK.clear();
    p_nizPKKljuc.clear();
    p_trenTabela = owner() + QLatin1Char('.') + table();
    edUseIndex->clear();
    edIndexFields->clear();
    laNapaka->clear();
    db::Session* s = session();
    if (!s || table().isEmpty())
        return;
    working = true;
    const admin::TableExamination e
        = admin::examineTable(*s, owner(), table(), [this](const QString&) { status(nizCount); });
    working = false;
    laStatus->clear();
    if (!e.readable) {
        p_trenTabela.clear();
        pcMethods->setVisible(false);
        message(nizNotExists + (e.error.isEmpty() ? QString() : QStringLiteral("\n") + e.error));
        return;
    }
    pcMethods->setVisible(true);
    P_nizPK = e.keyIndex;
    for (const QString& c : e.keyColumns)
        p_nizPKKljuc += QLatin1Char(' ') + c;
    edUseIndex->setText(P_nizPK);
    edIndexFields->setText(p_nizPKKljuc.trimmed());
    p_tabelaOK = !e.tableDamaged;
    p_pkOK = !e.keyDamaged;
    p_zapisov = e.rowCount.value_or(0);
    laTable->setText(p_trenTabela);
    laIndex->setText(P_nizPK);
    laKeyColumns->setText(p_nizPKKljuc.trimmed());
    laCount->setText(e.rowCount ? QString::number(*e.rowCount) : QStringLiteral("?"));
    laStatus->setText(e.findings);
}

void TfmRepairTable::btFindErrorClick()
{
    db::Session* s = session();
    if (working || !s || p_trenTabela.isEmpty() || p_zapisov < 1)
        return;
    working = true;
    stopRequested = false;
    QString error;
    const admin::HalvingResult r = admin::findFirstBadRow(p_zapisov, [&](qint64 p) {
        status(nizCount + QStringLiteral(" ") + QString::number(p));
        if (stopRequested)
            return admin::ProbeResult::Failed;
        return admin::probeRows(*s, owner(), table(), p, &error);
    });
    working = false;
    laStatus->clear();
    if (r.failed) {
        if (!error.isEmpty())
            message(error);
        return;
    }
    if (!r.firstBadRow) {
        laNapaka->setText(admin::slovenian(main) ? QStringLiteral("Vsi zapisi so berljivi")
                                                 : QStringLiteral("Every row can be read"));
        return;
    }
    p_napaka = *r.firstBadRow;
    laNapaka->setText(QStringLiteral("Napaka se začne pri zapisu : ") + QString::number(p_napaka));
    edRownum->setText(QString::number(p_napaka));
    btCreateNew->setEnabled(true);
}

void TfmRepairTable::btCreateNewClick()
{
    bool ok = false;
    const qint64 p = edRownum->text().trimmed().toLongLong(&ok);
    if (edNewTable->text().trimmed().isEmpty() || !ok || p < 1) {
        message(nizNiNi);
        return;
    }
    db::Session* s = session();
    if (working || !s)
        return;
    working = true;
    stopRequested = false;
    admin::CopyResult r;
    try {
        r = admin::createNewTable(
            *s, owner(), table(), edNewTable->text().trimmed(), p, [this](const QString&) { status(nizCopy); },
            [this] { return stopRequested; });
    } catch (const db::OracleError& e) {
        working = false;
        laStatus->clear();
        message(e.message());
        return;
    }
    working = false;
    laStatus->clear();
    const bool slo = admin::slovenian(main);
    QString text = nizCrEnd + QStringLiteral("\n")
        + (slo ? QStringLiteral("Kopiranih zapisov: ") : QStringLiteral("Rows copied: ")) + QString::number(r.copied);
    if (r.failed)
        text += QStringLiteral("\n")
            + (slo ? QStringLiteral("Neberljivih zapisov: ") : QStringLiteral("Rows that could not be read: "))
            + QString::number(r.failed) + QStringLiteral("\n") + r.firstError;
    message(text);
}

void TfmRepairTable::btAddRecClick()
{
    const QStringList keys = edIndexFields->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (edUseIndex->text().trimmed().isEmpty() || keys.isEmpty() || edNewTable->text().trimmed().isEmpty()) {
        message(nizNiNi);
        return;
    }
    db::Session* s = session();
    if (working || !s)
        return;
    working = true;
    stopRequested = false;
    admin::CopyResult r;
    try {
        r = admin::addRecords(
            *s, owner(), table(), edNewTable->text().trimmed(), edUseIndex->text().trimmed(), keys,
            [this](const QString&) { status(nizCopy); }, [this] { return stopRequested; });
    } catch (const db::OracleError& e) {
        working = false;
        laStatus->clear();
        message(e.message());
        return;
    }
    working = false;
    laStatus->clear();
    // What was copied and what could not be, never only "done".
    const bool slo = admin::slovenian(main);
    QString text = nizCopyEnd + QStringLiteral("\n")
        + (slo ? QStringLiteral("Kopiranih zapisov: ") : QStringLiteral("Rows copied: ")) + QString::number(r.copied)
        + QStringLiteral("\n")
        + (slo ? QStringLiteral("Neberljivih zapisov: ") : QStringLiteral("Rows that could not be read: "))
        + QString::number(r.failed);
    if (!r.firstError.isEmpty())
        text += QStringLiteral("\n") + r.firstError;
    message(text);
}

void TfmRepairTable::btFIndErrorRepairClick()
{
    // CHECK_OBJECT lists the damaged blocks and changes nothing; FIX_CORRUPT_BLOCKS is the button beside it.
    db::Session* s = session();
    if (working || !s)
        return;
    try {
        const qint64 found = admin::runRepairCount(*s, admin::checkObjectBlock(), owner(), table());
        s->commit();
        laNapaka->setText(QString::number(found));
    } catch (const db::OracleError& e) {
        message(e.message());
    }
}

void TfmRepairTable::btFixClick()
{
    db::Session* s = session();
    if (working || !s)
        return;
    QStringList errors;
    try {
        const qint64 fixed = admin::runRepairCount(*s, admin::fixCorruptBlocksBlock(), owner(), table());
        s->commit();
        laRepaired->setText(QString::number(fixed));
        if (fixed <= 0)
            return;
        if (admin::runRepairCount(*s, admin::fixCorruptBlocksBlock(), owner(), table()) > 0)
            laBrokenIndexes->setText(nizPoprIndex);
        s->commit();
    } catch (const db::OracleError& e) {
        message(e.message());
        return;
    }
    // Each of the two calls after a fix reports its own failure; the second runs even when the first failed.
    for (const QString& block : { admin::rebuildFreelistsBlock(), admin::skipCorruptBlocksBlock() }) {
        try {
            admin::runRepairCount(*s, block, owner(), table());
        } catch (const db::OracleError& e) {
            errors.append(e.message());
        }
    }
    if (!errors.isEmpty())
        message(errors.join(QStringLiteral("\n\n")));
}

void TfmRepairTable::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window; work at hand is asked to stop first.
    stopRequested = true;
    if (working) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
