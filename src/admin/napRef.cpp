// The disabled references window.
#include "admin/napRef.h"

#include "admin/windowsupport.h"
#include "db/dataset.h"
#include "db/oracleerror.h"
#include "shell/Main.h"
#include "shell/gridutils.h"
#include "shell/themedgrid.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

TfmDisRef::TfmDisRef(TfmMain& mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , main(mainWindow)
{
    setObjectName(QStringLiteral("fmDisRef"));
    resize(820, 600);
    quConsNap = new db::DataSet(main.osOracle, this);
    quConsNap->setObjectName(QStringLiteral("quConsNap"));
    quConsNap->setReadOnly(true);
    quConsNap->setSql(admin::disabledKeysStatement());
    quNapake = new db::DataSet(main.osOracle, this);
    quNapake->setObjectName(QStringLiteral("quNapake"));
    quNapake->setReadOnly(true);

    auto* top = new QHBoxLayout;
    laUser = admin::label(this, "laUser", QStringLiteral("User:"));
    edUser = admin::edit(this, "edUser", true);
    edUser->setMaximumWidth(180);
    // An empty box means every owner.
    if (!main.currOwner.isEmpty())
        edUser->setText(main.connUser.toUpper());
    btRefrNap = admin::toolButton(this, "btRefrNap", QStringLiteral("."), QString());
    btRefrNap->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    top->addWidget(laUser);
    top->addWidget(edUser);
    top->addWidget(btRefrNap);
    top->addStretch();

    auto* info = new QGridLayout;
    laTabelaCaption = admin::label(this, "laTabelaCaption", QStringLiteral("TABLE:"));
    laTabela = admin::label(this, "laTabela", QString());
    laKoloneCaption = admin::label(this, "laKoloneCaption", QStringLiteral("Column:"));
    laKolone = admin::label(this, "laKolone", QStringLiteral(" "));
    laStat = admin::label(this, "laStat", QString());
    laStat->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    spCapture = admin::toolButton(this, "spCapture", QString(), QStringLiteral("Copy query"));
    spCapture->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    info->addWidget(laTabelaCaption, 0, 0);
    info->addWidget(laTabela, 0, 1);
    info->addWidget(laKoloneCaption, 1, 0);
    info->addWidget(laKolone, 1, 1);
    info->addWidget(spCapture, 0, 2, 2, 1);
    info->addWidget(laStat, 0, 3, 2, 1);
    info->setColumnStretch(3, 1);

    auto* split = new QSplitter(Qt::Vertical, this);
    dbgDisabled = admin::dataGrid(split, "dbgDisabled", quConsNap);
    dbgNapake = admin::dataGrid(split, "dbgNapake", quNapake);
    dbgNapake->setVisible(false);

    auto* bottom = new QHBoxLayout;
    btNapake = admin::button(this, "btNapake", QStringLiteral("&Errors"));
    btEnable = admin::button(this, "btEnable", QStringLiteral("Enable"));
    btExit = admin::button(this, "btExit", QStringLiteral("Exit"));
    bottom->addWidget(btNapake);
    bottom->addWidget(btEnable);
    bottom->addStretch();
    bottom->addWidget(btExit);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addLayout(info);
    layout->addLayout(bottom);

    nizWorking = QStringLiteral("Searching");
    nizEnabling = QStringLiteral("Enabling");
    connect(btRefrNap, &QToolButton::clicked, this, &TfmDisRef::btRefrNapClick);
    connect(edUser, &QLineEdit::returnPressed, this, &TfmDisRef::btRefrNapClick);
    connect(dbgDisabled, &QAbstractItemView::clicked, this, [this] { FindOrphanQuery(); });
    connect(dbgDisabled, &QAbstractItemView::doubleClicked, this, &TfmDisRef::btNapakeClick);
    connect(quConsNap, &db::DataSet::currentChanged, this, [this] {
        if (quConsNap->active())
            FindOrphanQuery();
    });
    connect(btNapake, &QPushButton::clicked, this, &TfmDisRef::btNapakeClick);
    connect(spCapture, &QToolButton::clicked, this, &TfmDisRef::spCaptureClick);
    connect(btEnable, &QPushButton::clicked, this, &TfmDisRef::btEnableClick);
    connect(btExit, &QPushButton::clicked, this, &QWidget::close);

    setLanguageTexts();
    btRefrNapClick();
}

void TfmDisRef::setLanguageTexts()
{
    const bool slo = admin::slovenian(main);
    setWindowTitle(slo ? QStringLiteral("Nevklopljeni konstrainti") : QStringLiteral("Disabled referencies"));
    laTabelaCaption->setText(slo ? QStringLiteral("Tabela:") : QStringLiteral("TABLE:"));
    laKoloneCaption->setText(slo ? QStringLiteral("Kolona:") : QStringLiteral("Column:"));
    laUser->setText(slo ? QStringLiteral("Lastnik:") : QStringLiteral("User:"));
    btNapake->setText(slo ? QStringLiteral("&Napake") : QStringLiteral("&Errors"));
    btExit->setText(slo ? QStringLiteral("&Izhod") : QStringLiteral("Exit"));
    btEnable->setText(slo ? QStringLiteral("&Vklop") : QStringLiteral("Enable"));
    spCapture->setToolTip(slo ? QStringLiteral("Kopiraj poizvedbo v clipboard") : QStringLiteral("Copy query"));
    nizWorking = slo ? QStringLiteral("Iščem") : QStringLiteral("Searching");
    nizEnabling = slo ? QStringLiteral("Vklop konstrainta") : QStringLiteral("Enabling");
}

void TfmDisRef::showStatus(const QString& text)
{
    laStat->setText(text);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfmDisRef::btRefrNapClick()
{
    quConsNap->close();
    quConsNap->setVariable(QStringLiteral("upor"), edUser->text().trimmed());
    try {
        quConsNap->open();
    } catch (const db::OracleError& e) {
        admin::showMessage(this, main, e.message());
        return;
    }
    admin::fitColumns(dbgDisabled, 40);
    FindOrphanQuery();
}

admin::DisabledKey TfmDisRef::currentKey() const
{
    if (!quConsNap->active() || quConsNap->recordCount() == 0)
        return {};
    auto f = [&](const char* name) { return quConsNap->fieldValue(QString::fromLatin1(name)).toString(); };
    return { f("OWNER"), f("TABLE_NAME"), f("CONSTRAINT_NAME"), f("R_OWNER"), f("R_CONSTRAINT_NAME") };
}

void TfmDisRef::FindOrphanQuery()
{
    dbgNapake->setVisible(false);
    quNapake->close();
    const admin::DisabledKey key = currentKey();
    orphan = {};
    laKolone->setText(QStringLiteral(" "));
    laTabela->clear();
    if (key.name.isEmpty())
        return;
    try {
        orphan = admin::FindOrphanQuery(*main.osOracle, key);
    } catch (const db::OracleError& e) {
        admin::showMessage(this, main, e.message());
        return;
    }
    laTabela->setText(orphan.tableLabel);
    laKolone->setText(orphan.columns.join(QLatin1Char(' ')) + QLatin1Char(' '));
    quNapake->setSql(orphan.text);
}

void TfmDisRef::btNapakeClick()
{
    if (orphan.text.isEmpty())
        return;
    showStatus(nizWorking);
    quNapake->close();
    quNapake->setSql(orphan.text);
    try {
        quNapake->open();
        dbgNapake->setVisible(true);
        admin::fitColumns(dbgNapake, 33);
    } catch (const db::OracleError& e) {
        admin::showMessage(this, main, e.message());
    }
    laStat->clear();
}

void TfmDisRef::spCaptureClick()
{
    QApplication::clipboard()->setText(orphan.text);
}

void TfmDisRef::btEnableClick()
{
    const admin::DisabledKey key = currentKey();
    if (key.name.isEmpty())
        return;
    // Enabling a key is DDL: it commits the main session.
    if (!main.confirmMainSessionEnd(this, btEnable->text()))
        return;
    showStatus(nizEnabling);
    // No cursor of the window stays open across the DDL.
    quNapake->close();
    dbgNapake->setVisible(false);
    QString error;
    const bool done = main.execDyn(admin::enableKeyStatement(key), &error);
    laStat->clear();
    if (!done)
        admin::showMessage(this, main, error);
    btRefrNapClick();
}
