// The statistics page of the script executor: per script (and date) the number of statements in each status, built
// from the grouped counts of the script table, and the filter that keeps only scripts with work left or errors.
#pragma once

#include <QString>

#include <array>
#include <vector>

namespace deploy {

// One result row of the statistics query: owner (empty outside owner mode), name, date as text, status, count.
struct StatCount {
    QString owner;
    QString name;
    QString date;
    QString stat;
    qint64 count = 0;
};

// The grid's columns: Script, User, Date, OK, Not Executed, Errors, Deleted.
inline constexpr int statColumns = 7;
using StatRow = std::array<QString, statColumns>;

// The column of a status letter: its position in "__XNED" ("X" OK, "N" Not Executed, "E" Errors, "D" Deleted);
// -1 for any other status, whose count is left out rather than written over the script's name.
int statColumn(const QString& stat);

// Which columns a row must have a value in to be listed; none checked lists every row.
struct StatFilter {
    bool notExecuted = false;
    bool errors = false;
    bool deleted = false;
};
bool keepStatRow(const StatRow& row, const StatFilter& filter);

// The grid rows: a new row whenever the name changes (so a script stored over several seconds can take more than
// one row), each status count in its column, rows the filter drops left out.
std::vector<StatRow> buildStatistics(const std::vector<StatCount>& counts, const StatFilter& filter);

} // namespace deploy
