#include "deploy/scriptstats.h"

namespace deploy {

int statColumn(const QString& stat)
{
    if (stat.size() != 1 || stat == QLatin1String("_"))
        return -1;
    const qsizetype at = QStringLiteral("__XNED").indexOf(stat);
    return at < 0 ? -1 : int(at) + 1;
}

bool keepStatRow(const StatRow& row, const StatFilter& filter)
{
    if (!filter.notExecuted && !filter.errors && !filter.deleted)
        return true;
    return (filter.notExecuted && !row[4].isEmpty()) || (filter.errors && !row[5].isEmpty())
        || (filter.deleted && !row[6].isEmpty());
}

std::vector<StatRow> buildStatistics(const std::vector<StatCount>& counts, const StatFilter& filter)
{
    std::vector<StatRow> rows;
    QString previous = QStringLiteral("*******");
    bool open = false;
    StatRow current;
    auto finish = [&] {
        if (open && keepStatRow(current, filter))
            rows.push_back(current);
        open = false;
    };
    for (const StatCount& c : counts) {
        if (!open || c.name != previous) {
            finish();
            current = StatRow();
            current[0] = c.name;
            current[1] = c.owner;
            current[2] = c.date;
            previous = c.name;
            open = true;
        }
        const int column = statColumn(c.stat);
        if (column > 2)
            current[size_t(column)] = QString::number(c.count);
    }
    finish();
    return rows;
}

} // namespace deploy
