// db::DataSetModel: the table model every grid shows over a DataSet. It fetches records as the view asks for
// them (canFetchMore/fetchMore), so the first screen of a huge query does not read the whole result.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>

namespace db {

class DataSet;

class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Role of the raw field value (QVariant, null as an invalid QVariant); DisplayRole gives the display text.
    static constexpr int ValueRole = Qt::UserRole + 1;
    static constexpr int NullRole = Qt::UserRole + 2;

    explicit DataSetModel(QObject* parent = nullptr);

    void setDataSet(DataSet* dataSet);
    DataSet* dataSet() const { return ds; }
    // Records read per fetchMore; the data set's read buffer when 0.
    void setFetchBatch(int records) { batch = records; }
    // The message of the last failure of a fetch or an edit (the grid shows it), empty when none.
    QString lastError() const { return error; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    void errorOccurred(const QString& message);

private:
    void connectDataSet();
    void fail(const QString& message);
    void takeShape();

    QPointer<DataSet> ds;
    int batch = 0;
    QString error;
    bool fetchFailed = false;
    int knownRows = 0;
    int knownColumns = 0;
    int pendingRows = 0;
};

} // namespace db
