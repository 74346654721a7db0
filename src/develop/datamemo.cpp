#include "develop/datamemo.h"

#include "db/dataset.h"
#include "db/oracleerror.h"

#include <QPlainTextEdit>

namespace develop {

DataAwareMemo::DataAwareMemo(QPlainTextEdit* memo, db::DataSet* dataSet, QObject* parent)
    : QObject(parent)
    , memo(memo)
    , ds(dataSet)
{
    memo->setReadOnly(true);
    connect(memo, &QPlainTextEdit::textChanged, this, &DataAwareMemo::typed);
    connect(dataSet, &db::DataSet::currentChanged, this, &DataAwareMemo::refresh);
    connect(dataSet, &db::DataSet::reset, this, &DataAwareMemo::refresh);
    connect(dataSet, &db::DataSet::rowChanged, this, [this](int row) {
        if (ds && row == ds->currentRow())
            refresh();
    });
    connect(dataSet, &db::DataSet::stateChanged, this, [this](db::DataSet::State state) {
        // A closed data set's next opening may have other columns altogether.
        if (state == db::DataSet::State::Inactive)
            bind(-1);
        else
            refresh();
    });
}

void DataAwareMemo::bind(int column)
{
    boundColumn = column;
    refresh();
}

bool DataAwareMemo::textColumn() const
{
    switch (ds->fieldType(boundColumn)) {
    case db::FieldType::Varchar2:
    case db::FieldType::Char:
    case db::FieldType::Long:
    case db::FieldType::Clob:
        return true;
    default:
        return false;
    }
}

bool DataAwareMemo::writable() const
{
    if (!ds || !ds->active() || boundColumn < 0 || boundColumn >= ds->fieldCount() || ds->recNo() == 0)
        return false;
    const db::DataSet::State state = ds->state();
    if (state != db::DataSet::State::Browse && state != db::DataSet::State::Edit && state != db::DataSet::State::Insert)
        return false;
    // Only a result that keeps its changes for Commit is changed here, and only in columns that hold text.
    return ds->cachedUpdates() && ds->editable() && boundColumn != ds->rowidField() && textColumn();
}

void DataAwareMemo::refresh()
{
    if (!memo || writing)
        return;
    const bool bound = ds && ds->active() && boundColumn >= 0 && boundColumn < ds->fieldCount() && ds->recNo() > 0;
    QString text;
    if (bound) {
        text = textColumn() ? ds->fieldValue(boundColumn).toString() : ds->displayText(boundColumn);
    }
    crlf = text.contains(QLatin1String("\r\n"));
    if (crlf)
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    memo->setReadOnly(!writable());
    if (memo->toPlainText() == text)
        return;
    showing = true;
    memo->setPlainText(text);
    showing = false;
}

void DataAwareMemo::typed()
{
    if (showing || writing || !writable())
        return;
    QString text = memo->toPlainText();
    if (crlf)
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    writing = true;
    try {
        if (ds->state() == db::DataSet::State::Browse)
            ds->edit();
        ds->setFieldValue(boundColumn, text);
        writing = false;
    } catch (const db::OracleError& e) {
        writing = false;
        refresh();
        emit failed(e.message());
    }
}

} // namespace develop
