// The disabled triggers window.
#include "admin/napTrigg.h"

#include "admin/structuresql.h"
#include "admin/windowsupport.h"
#include "db/dataset.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "develop/datamemo.h"
#include "shell/Main.h"
#include "shell/gridutils.h"
#include "shell/themedgrid.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QVBoxLayout>

TfmDisTrigg::TfmDisTrigg(TfmMain& mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , main(mainWindow)
{
    setObjectName(QStringLiteral("fmDisTrigg"));
    resize(760, 520);
    quTrigg = new db::DataSet(main.osOracle, this);
    quTrigg->setObjectName(QStringLiteral("quTrigg"));
    quTrigg->setReadOnly(true);
    // The trigger's owner comes along, so each trigger is altered under its own owner.
    quTrigg->setSql(
        QStringLiteral("select table_owner,table_name ,trigger_name,trigger_body,owner\n from all_triggers\n"
                       "where owner=:upor and  status=:status\norder by table_name, trigger_name"));

    auto* top = new QHBoxLayout;
    laOwner = admin::label(this, "laOwner", QStringLiteral("Owner: "));
    edOwner = admin::edit(this, "edOwner", true);
    edOwner->setText(main.currOwner.toUpper());
    edOwner->setMaximumWidth(160);
    rbDisabled = new QRadioButton(QStringLiteral("Disabled"), this);
    rbDisabled->setObjectName(QStringLiteral("rbDisabled"));
    rbDisabled->setChecked(true);
    rbEnabled = new QRadioButton(QStringLiteral("Enabled"), this);
    rbEnabled->setObjectName(QStringLiteral("rbEnabled"));
    btRefresh = admin::button(this, "btRefresh", QStringLiteral("&Refresh"));
    cbShowMemo = new QCheckBox(QStringLiteral("Show Memo"), this);
    cbShowMemo->setObjectName(QStringLiteral("cbShowMemo"));
    cbAll = new QCheckBox(QStringLiteral("All"), this);
    cbAll->setObjectName(QStringLiteral("cbAll"));
    top->addWidget(laOwner);
    top->addWidget(edOwner);
    top->addSpacing(12);
    top->addWidget(rbDisabled);
    top->addWidget(rbEnabled);
    top->addWidget(btRefresh);
    top->addStretch();
    top->addWidget(cbShowMemo);
    top->addWidget(cbAll);

    auto* split = new QSplitter(Qt::Vertical, this);
    dbgTrigg = admin::dataGrid(split, "dbgTrigg", quTrigg);
    meBody = new QPlainTextEdit(split);
    meBody->setObjectName(QStringLiteral("meBody"));
    meBody->setReadOnly(true);
    bodyMemo = new develop::DataAwareMemo(meBody, quTrigg, this);
    meBody->setVisible(false);

    auto* bottom = new QHBoxLayout;
    btEnable = admin::button(this, "btEnable", QStringLiteral("&Enable"));
    btEnable->setDefault(true);
    btDisable = admin::button(this, "btDisable", QStringLiteral("&Disable"));
    btEnd = admin::button(this, "btEnd", QStringLiteral("Close"));
    bottom->addWidget(btEnable);
    bottom->addWidget(btDisable);
    bottom->addStretch();
    bottom->addWidget(btEnd);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addLayout(bottom);

    connect(btRefresh, &QPushButton::clicked, this, &TfmDisTrigg::btRefreshClick);
    connect(rbDisabled, &QRadioButton::toggled, this, [this] { btRefreshClick(); });
    connect(btEnable, &QPushButton::clicked, this, [this] { alterTriggers(QStringLiteral("ENABLE")); });
    connect(btDisable, &QPushButton::clicked, this, [this] { alterTriggers(QStringLiteral("DISABLE")); });
    connect(cbShowMemo, &QCheckBox::toggled, meBody, &QWidget::setVisible);
    connect(btEnd, &QPushButton::clicked, this, &QWidget::close);
    connect(quTrigg, &db::DataSet::reset, this, [this] {
        const int body = quTrigg->fieldIndex(QStringLiteral("TRIGGER_BODY"));
        bodyMemo->bind(body);
        if (body >= 0)
            dbgTrigg->setColumnHidden(body, true);
    });
    setLanguageTexts();
}

void TfmDisTrigg::setLanguageTexts()
{
    const bool slo = admin::slovenian(main);
    setWindowTitle(slo ? QStringLiteral("Triggerji") : QStringLiteral("Disabled Triggers"));
    btEnable->setText(slo ? QStringLiteral("&Vklopi") : QStringLiteral("&Enable"));
    btDisable->setText(slo ? QStringLiteral("&Izklopi") : QStringLiteral("&Disable"));
    rbEnabled->setText(slo ? QStringLiteral("Vklopljeni") : QStringLiteral("Enabled"));
    rbDisabled->setText(slo ? QStringLiteral("Izklopljeni") : QStringLiteral("Disabled"));
    btRefresh->setText(slo ? QStringLiteral("&Osveži") : QStringLiteral("&Refresh"));
    cbShowMemo->setText(slo ? QStringLiteral("Prikaži trigger") : QStringLiteral("Show Memo"));
    btEnd->setText(slo ? QStringLiteral("&Zapri") : QStringLiteral("Close"));
    laOwner->setText(slo ? QStringLiteral("Lastnik:") : QStringLiteral("Owner: "));
}

void TfmDisTrigg::btRefreshClick()
{
    quTrigg->close();
    quTrigg->setVariable(QStringLiteral("upor"), edOwner->text());
    quTrigg->setVariable(
        QStringLiteral("status"), rbDisabled->isChecked() ? QStringLiteral("DISABLED") : QStringLiteral("ENABLED"));
    try {
        quTrigg->open();
    } catch (const db::OracleError& e) {
        admin::showMessage(this, main, e.message());
    }
    if (auto* grid = dbgTrigg)
        admin::fitColumns(grid, 40);
}

QString TfmDisTrigg::alterStatement(const QString& owner, const QString& trigger, const QString& w)
{
    return QStringLiteral("alter trigger ") + admin::qualifiedName(owner, trigger) + QLatin1Char(' ') + w;
}

void TfmDisTrigg::alterTriggers(const QString& w)
{
    if (!quTrigg->active() || quTrigg->recordCount() == 0)
        return;
    // ALTER TRIGGER is DDL: it commits the main session.
    if (!main.confirmMainSessionEnd(this, w == QLatin1String("ENABLE") ? btEnable->text() : btDisable->text()))
        return;
    QList<QPair<QString, QString>> targets;
    auto current = [&] {
        return qMakePair(quTrigg->fieldValue(QStringLiteral("OWNER")).toString(),
            quTrigg->fieldValue(QStringLiteral("TRIGGER_NAME")).toString());
    };
    if (cbAll->isChecked()) {
        quTrigg->fetchAll();
        for (int row = 0; row < quTrigg->recordCount(); ++row)
            targets.append(qMakePair(quTrigg->value(row, quTrigg->fieldIndex(QStringLiteral("OWNER"))).toString(),
                quTrigg->value(row, quTrigg->fieldIndex(QStringLiteral("TRIGGER_NAME"))).toString()));
    } else {
        targets.append(current());
    }
    db::Query q(main.osOracle);
    for (const auto& [owner, trigger] : targets) {
        q.setSql(alterStatement(owner, trigger, w));
        try {
            q.execute();
        } catch (const db::OracleError& e) {
            // The triggers altered before the failing one stay altered.
            admin::showMessage(this, main, e.message());
            return;
        }
    }
    if (cbAll->isChecked())
        btRefreshClick();
}

void TfmDisTrigg::changeEvent(QEvent* event)
{
    // The list is read again on every activation.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        btRefreshClick();
    QWidget::changeEvent(event);
}

void TfmDisTrigg::keyPressEvent(QKeyEvent* event)
{
    // Esc closes the window; it never alters a trigger.
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && btEnable->isEnabled()) {
        btEnable->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
