#include "develop/gridexport.h"

#include "db/dataset.h"
#include "db/oracleerror.h"

#include <QHeaderView>
#include <QTableView>

namespace develop {

std::vector<ExportColumn> dataSetColumns(const db::DataSet& dataSet)
{
    std::vector<ExportColumn> columns;
    for (int i = 0; i < dataSet.fieldCount(); ++i)
        columns.push_back({ i, dataSet.fieldName(i) });
    return columns;
}

std::vector<ExportColumn> gridColumns(const QTableView& grid)
{
    std::vector<ExportColumn> columns;
    const QHeaderView* header = grid.horizontalHeader();
    const QAbstractItemModel* model = grid.model();
    if (!header || !model)
        return columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical < 0 || header->isSectionHidden(logical))
            continue;
        columns.push_back({ logical, model->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString() });
    }
    return columns;
}

ExportResult exportResult(db::DataSet& dataSet, const std::vector<ExportColumn>& columns, const QString& separator,
    const std::function<bool(int records)>& progress)
{
    ExportResult result;
    if (!dataSet.active()) {
        result.complete = false;
        result.error = QStringLiteral("There is no open result to export.");
        return result;
    }
    QString titles;
    for (const ExportColumn& c : columns)
        titles += c.label + QStringLiteral("   ");
    result.lines << titles << QString(80, QLatin1Char('-'));

    constexpr int batch = 1000;
    try {
        for (int row = 0;; ++row) {
            if (row >= dataSet.recordCount() && (dataSet.allFetched() || dataSet.fetchMore(batch) == 0))
                break;
            QString line;
            for (size_t i = 0; i < columns.size(); ++i) {
                if (i > 0)
                    line += separator;
                line += dataSet.displayText(row, columns[i].field);
            }
            result.lines << line;
            if (progress && (row + 1) % batch == 0 && !progress(row + 1)) {
                result.complete = false;
                return result;
            }
        }
    } catch (const db::OracleError& e) {
        result.complete = false;
        result.error = e.message();
    }
    return result;
}

} // namespace develop
