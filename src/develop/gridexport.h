// The export of a query result to text (the worksheet's spConvertToAscii, the script window's export): a line of
// the column labels each followed by three blanks, a line of 80 "-", then one line per record of the display texts
// joined by the export separator. The worksheet puts a line ">>>" before it in meRespSQL.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QTableView;

namespace db {
class DataSet;
}

namespace develop {

struct ExportColumn {
    int field = 0; // the data set's field
    QString label;
};

// Every field of the data set, labelled by its name.
std::vector<ExportColumn> dataSetColumns(const db::DataSet& dataSet);
// The columns a grid shows, in the order the user sees them (moved columns moved, hidden ones left out), labelled
// by their titles; the grid's model columns are the data set's fields.
std::vector<ExportColumn> gridColumns(const QTableView& grid);

struct ExportResult {
    QStringList lines;
    bool complete = true; // false when stopped or failed: lines hold what was written until then
    QString error;
};

// Writes every record from the first to the end, fetching the rest of the result as it goes. progress is called
// every 1000 records with the count so far; returning false stops the export. Records of a large result are
// fetched in batches, never all before the first line is written.
ExportResult exportResult(db::DataSet& dataSet, const std::vector<ExportColumn>& columns, const QString& separator,
    const std::function<bool(int records)>& progress = {});

} // namespace develop
