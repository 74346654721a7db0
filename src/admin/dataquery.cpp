// The data page's statement.
#include "admin/dataquery.h"

#include "admin/structuresql.h"

namespace admin {

QString BuildDataQuery(const QString& owner, const QString& table, const QString& link, const QStringList& columns)
{
    if (!link.trimmed().isEmpty()) {
        QStringList names;
        for (const QString& c : columns)
            names.append(quoteName(c));
        return QStringLiteral("SELECT ") + (names.isEmpty() ? QStringLiteral("*") : names.join(QLatin1Char(',')))
            + QStringLiteral(" FROM ") + qualifiedName(owner, table) + linkSuffix(link);
    }
    QString items;
    if (columns.isEmpty()) {
        items = QStringLiteral("XX.*");
    } else {
        for (int i = 0; i < columns.size(); ++i) {
            if (i > 0)
                items += (i % 7 == 0) ? QStringLiteral(",\r\n") : QStringLiteral(",");
            items += QStringLiteral("XX.") + quoteName(columns[i]) + QLatin1Char(' ');
        }
    }
    return QStringLiteral("SELECT ") + items + QStringLiteral(",ROWID FROM ") + qualifiedName(owner, table)
        + QStringLiteral(" XX");
}

QString upperOutsideQuotes(const QString& filter)
{
    QString out;
    out.reserve(filter.size());
    bool inside = false;
    for (const QChar c : filter) {
        if (c == QLatin1Char('\''))
            inside = !inside;
        out += inside ? c : c.toUpper();
    }
    return out;
}

QString titleClickFilter(const QString& filter, const QString& column)
{
    if (filter.trimmed().isEmpty())
        return {};
    const QString upper = filter.toUpper();
    QString part;
    QString suffix;
    QString separator;
    const int orderBy = upper.indexOf(QLatin1String("ORDER BY"));
    if (orderBy >= 0) {
        part = upper.mid(orderBy + 8);
    } else {
        const int where = upper.indexOf(QLatin1String("WHERE"));
        part = where >= 0 ? upper.mid(where + 5) : upper.mid(4);
        suffix = QStringLiteral("=");
    }
    if (part.size() > 7) {
        if (orderBy >= 0) {
            separator = QStringLiteral(",");
        } else {
            const QString trimmed = part.trimmed();
            const QChar last = trimmed.isEmpty() ? QChar() : trimmed.back();
            if (last == QLatin1Char('A') || last == QLatin1Char('N') || last == QLatin1Char('D'))
                separator = part.size() >= 2 && part.at(part.size() - 2) != QLatin1Char(' ') ? QStringLiteral(" ")
                                                                                             : QString();
            else
                separator = QStringLiteral(" AND ");
        }
    }
    if (part.contains(column.toUpper()))
        return {};
    return filter + QLatin1Char(' ') + separator + column + suffix;
}

bool isLargeObjectType(const QString& type)
{
    const QString t = type.trimmed().toUpper();
    return t == QLatin1String("CLOB") || t == QLatin1String("BLOB") || t == QLatin1String("NCLOB")
        || t == QLatin1String("LOB") || t == QLatin1String("BFILE");
}

} // namespace admin
