#include "db/datasetmodel.h"

#include "db/dataset.h"
#include "db/oracleerror.h"

namespace db {

DataSetModel::DataSetModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void DataSetModel::setDataSet(DataSet* dataSet)
{
    beginResetModel();
    if (ds)
        disconnect(ds, nullptr, this, nullptr);
    ds = dataSet;
    fetchFailed = false;
    error.clear();
    connectDataSet();
    takeShape();
    endResetModel();
}

void DataSetModel::connectDataSet()
{
    if (!ds)
        return;
    connect(ds, &DataSet::aboutToReset, this, [this] { beginResetModel(); });
    connect(ds, &DataSet::reset, this, [this] {
        fetchFailed = false;
        takeShape();
        endResetModel();
    });
    connect(ds, &DataSet::rowsAboutToBeInserted, this, [this](int first, int last) {
        pendingRows = last - first + 1;
        beginInsertRows({}, first, last);
    });
    connect(ds, &DataSet::rowsInserted, this, [this] {
        knownRows += pendingRows;
        endInsertRows();
    });
    connect(ds, &DataSet::rowAboutToBeRemoved, this, [this](int row) { beginRemoveRows({}, row, row); });
    connect(ds, &DataSet::rowRemoved, this, [this] {
        --knownRows;
        endRemoveRows();
    });
    connect(ds, &DataSet::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, qMax(0, columnCount() - 1)));
    });
    connect(
        ds, &DataSet::stateChanged, this, [this] { emit headerDataChanged(Qt::Vertical, 0, qMax(0, rowCount() - 1)); });
    // By the time destroyed() comes the data set is no longer one: forget it before the views ask again.
    connect(ds, &QObject::destroyed, this, [this] {
        ds = nullptr;
        beginResetModel();
        takeShape();
        endResetModel();
    });
}

void DataSetModel::takeShape()
{
    const bool open = ds && ds->active();
    knownRows = open ? ds->recordCount() : 0;
    knownColumns = open ? ds->fieldCount() : 0;
}

// The shape the views were told of: while the data set's controls are disabled it may differ from the data set's.
int DataSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : knownRows;
}

int DataSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : knownColumns;
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const
{
    if (!ds || !ds->active() || !index.isValid() || index.row() >= qMin(rowCount(), ds->recordCount())
        || index.column() >= qMin(columnCount(), ds->fieldCount()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return ds->displayText(index.row(), index.column());
    case Qt::EditRole:
        if (ds->state() == DataSet::State::QueryByExample)
            return ds->displayText(index.row(), index.column());
        return ds->value(index.row(), index.column());
    case ValueRole:
        return ds->value(index.row(), index.column());
    case NullRole: {
        const QVariant v = ds->value(index.row(), index.column());
        return !v.isValid() || v.isNull();
    }
    case Qt::TextAlignmentRole:
        if (ds->fieldType(index.column()) == FieldType::Number)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !ds || !ds->active())
        return {};
    if (orientation == Qt::Horizontal)
        return section < ds->fieldCount() ? QVariant(ds->displayLabel(section)) : QVariant();
    return section + 1;
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!ds || !index.isValid() || index.column() >= ds->fieldCount())
        return f;
    if (ds->state() == DataSet::State::QueryByExample || (ds->editable() && index.column() != ds->rowidField()))
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!ds || !index.isValid() || role != Qt::EditRole || index.row() >= ds->recordCount()
        || index.column() >= ds->fieldCount())
        return false;
    try {
        if (ds->state() == DataSet::State::QueryByExample) {
            ds->setFieldValue(index.column(), value);
            return true;
        }
        if (ds->currentRow() != index.row())
            ds->setRecNo(index.row() + 1);
        const bool wasEditing = ds->state() == DataSet::State::Edit || ds->state() == DataSet::State::Insert;
        ds->edit();
        ds->setFieldValue(index.column(), value);
        // A cell edit in the grid is one change of the record, posted at once (cached or written to the server).
        if (!wasEditing || ds->state() == DataSet::State::Edit)
            ds->post();
        return true;
    } catch (const OracleError& e) {
        fail(e.message());
        return false;
    }
}

bool DataSetModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && ds && ds->active() && ds->state() != DataSet::State::QueryByExample && !ds->allFetched()
        && !fetchFailed;
}

void DataSetModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    try {
        ds->fetchMore(batch > 0 ? batch : ds->readBuffer());
    } catch (const OracleError& e) {
        fetchFailed = true;
        fail(e.message());
    }
}

void DataSetModel::fail(const QString& message)
{
    error = message;
    emit errorOccurred(message);
}

} // namespace db
