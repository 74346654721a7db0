#include "develop/worksheet_navigator.h"

#include "db/dataset.h"
#include "db/oracleerror.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace develop {

namespace {

struct ButtonInfo {
    const char* name;
    const char* text;
    const char* hint;
};

const ButtonInfo kButtons[] = {
    { "nbInsert", "+", "Insert record" },
    { "nbDelete", "\u2212", "Delete record" },
    { "nbEdit", "\u270e", "Edit record" },
    { "nbRefresh", "\u21bb", "Refresh data" },
    { "nbEnterQuery", "?", "Enter query by example" },
    { "nbExecuteQuery", "\u2713", "Execute query by example" },
};

} // namespace

DataSetNavigator::DataSetNavigator(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("oNavigator"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < 6; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(kButtons[i].name));
        b->setText(QString::fromUtf8(kButtons[i].text));
        b->setToolTip(QString::fromLatin1(kButtons[i].hint));
        b->setFixedSize(26, 24);
        layout->addWidget(b);
        buttons[i] = b;
        connect(b, &QToolButton::clicked, this, [this, i] { press(Button(i)); });
    }
    setQueryByExample(false);
    updateButtons();
}

QToolButton* DataSetNavigator::button(Button b) const
{
    return buttons[int(b)];
}

void DataSetNavigator::setDataSet(db::DataSet* dataSet)
{
    if (ds)
        disconnect(ds, nullptr, this, nullptr);
    ds = dataSet;
    if (ds) {
        connect(ds, &db::DataSet::stateChanged, this, &DataSetNavigator::updateButtons);
        connect(ds, &db::DataSet::reset, this, &DataSetNavigator::updateButtons);
        connect(ds, &db::DataSet::currentChanged, this, &DataSetNavigator::updateButtons);
    }
    updateButtons();
}

void DataSetNavigator::setQueryByExample(bool on)
{
    qbe = on;
    button(Button::EnterQuery)->setVisible(on);
    button(Button::ExecuteQuery)->setVisible(on);
    setFixedWidth(on ? 156 : 104);
}

void DataSetNavigator::updateButtons()
{
    const bool open = ds && ds->active();
    const bool editable = open && ds->editable();
    const bool hasRecord = open && ds->recordCount() > 0;
    button(Button::Insert)->setEnabled(editable);
    button(Button::Delete)->setEnabled(editable && hasRecord);
    button(Button::Edit)->setEnabled(editable && hasRecord);
    button(Button::Refresh)->setEnabled(open);
    button(Button::EnterQuery)->setEnabled(open);
    button(Button::ExecuteQuery)->setEnabled(open);
}

void DataSetNavigator::press(Button b)
{
    if (!ds || (busy && busy()))
        return;
    try {
        switch (b) {
        case Button::Insert:
            ds->insert();
            break;
        case Button::Delete:
            ds->deleteRecord();
            break;
        case Button::Edit:
            ds->edit();
            break;
        case Button::Refresh:
            ds->refresh();
            break;
        case Button::EnterQuery:
            ds->enterQueryByExample();
            break;
        case Button::ExecuteQuery:
            ds->executeQueryByExample();
            break;
        }
    } catch (const db::OracleError& e) {
        emit failed(e.message());
        return;
    }
    emit clicked(b);
}

} // namespace develop
