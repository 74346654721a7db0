#include "develop/selectbuilder.h"

#include "db/query.h"
#include "db/session.h"

#include <QRegularExpression>

namespace develop {

namespace {

QString quoted(const QString& value)
{
    QString v = value;
    v.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

QString text(const db::Query& q, const char* field)
{
    const QString name = QString::fromLatin1(field);
    return q.fieldIsNull(name) ? QString() : q.field(name).toString();
}

// A value the user quoted himself keeps its quotes out of the date literal.
QString unquoted(const QString& value)
{
    if (value.size() >= 2 && value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))
        return value.mid(1, value.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    return value;
}

} // namespace

QStringList listTables(db::Session& session, const QString& owner, const QString& nameFilter)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("SELECT owner,table_name,tablespace_name FROM  ALL_TABLES\n"
                            "WHERE OWNER like :upor AND\n"
                            "              TABLE_NAME like :tabela\n"
                            " order by owner,table_name"));
    q.setVariable(QStringLiteral("upor"), owner.toUpper());
    q.setVariable(QStringLiteral("tabela"), nameFilter.toUpper() + QLatin1Char('%'));
    q.execute();
    QStringList tables;
    for (; !q.eof(); q.next())
        tables << q.field(1).toString();
    return tables;
}

std::vector<ColumnRow> listColumns(db::Session& session, const QString& owner, const QString& table)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("SELECT *  FROM  ALL_TAB_COLUMNS\n"
                            "WHERE OWNER=:upor AND\n"
                            "              TABLE_NAME= :tabela \n"
                            "order by column_id"));
    q.setVariable(QStringLiteral("upor"), owner.toUpper());
    q.setVariable(QStringLiteral("tabela"), table.toUpper());
    q.execute();
    std::vector<ColumnRow> rows;
    for (; !q.eof(); q.next()) {
        rows.push_back({ QStringLiteral(" "), text(q, "COLUMN_NAME"), text(q, "DATA_TYPE"), text(q, "DATA_LENGTH"),
            text(q, "DATA_PRECISION"), text(q, "DATA_SCALE"), text(q, "NULLABLE"), text(q, "DATA_DEFAULT"), {} });
    }
    return rows;
}

QString toggledShow(const QString& show)
{
    return show == QLatin1String(" ") || show.isEmpty() ? QStringLiteral("+") : QStringLiteral(" ");
}

QString filterCondition(const QString& column, const QString& type, const QString& filter)
{
    const QString t = type.toUpper();
    const bool ownOperator
        = filter.contains(QLatin1Char('>')) || filter.contains(QLatin1Char('<')) || filter.contains(QLatin1Char('='));
    const bool like = !ownOperator && filter.contains(QLatin1Char('%'));

    if (t == QLatin1String("DATE")) {
        const QString day = QStringLiteral("to_char(") + column + QStringLiteral(",'DD.MM.YYYY')");
        if (like)
            return day + QStringLiteral(" like ") + quoted(filter);
        if (!ownOperator)
            return day + QLatin1Char('=') + quoted(filter);
        // A day compared by order: the text DD.MM.YYYY does not sort as dates do, so the column's day is compared
        // with the day as a date.
        static const QRegularExpression op(QStringLiteral("^\\s*(<>|!=|>=|<=|=|>|<)\\s*(.*?)\\s*$"));
        const QRegularExpressionMatch m = op.match(filter);
        if (!m.hasMatch())
            return column + QLatin1Char(' ') + filter.trimmed();
        const QString o = m.captured(1);
        const QString value = unquoted(m.captured(2));
        if (o == QLatin1String("=") || o == QLatin1String("<>") || o == QLatin1String("!="))
            return day + o + quoted(value);
        return QStringLiteral("trunc(") + column + QLatin1Char(')') + o + QStringLiteral("to_date(") + quoted(value)
            + QStringLiteral(",'DD.MM.YYYY')");
    }
    if (ownOperator)
        return column + filter;
    if (like)
        return column + QStringLiteral(" like ") + quoted(filter);
    if (t.contains(QLatin1String("CHAR")))
        return column + QLatin1Char('=') + quoted(filter);
    return column + QLatin1Char('=') + filter;
}

QStringList buildSelect(const QString& owner, const QString& table, const std::vector<ColumnRow>& rows, bool live)
{
    QString where;
    QStringList items;
    QString line;
    bool anyItem = false;
    for (const ColumnRow& r : rows) {
        if (!r.filter.isEmpty()) {
            where += (where.isEmpty() ? QStringLiteral("where ") : QStringLiteral(" and "))
                + filterCondition(r.name, r.type, r.filter);
        }
        if (r.show == QLatin1String("+")) {
            QString item = r.name;
            while (item.endsWith(QLatin1Char(' ')))
                item.chop(1);
            item = (live ? QStringLiteral("xxx.") : QString()) + item.toLower();
            if (anyItem)
                item.prepend(QLatin1Char(','));
            if (!line.isEmpty() && line.size() + item.size() > 90) {
                items << line;
                line.clear();
            }
            line += item;
            anyItem = true;
        }
    }
    if (live) {
        line = anyItem ? line + QStringLiteral(",rowid") : QStringLiteral("xxx.*,rowid");
    } else if (!anyItem) {
        line = QStringLiteral("*");
    }
    items << line;

    QStringList out;
    out << QStringLiteral("select ") << items;
    const QString source = owner.isEmpty() ? table : owner + QLatin1Char('.') + table;
    out << QStringLiteral(" from ") + source + (live ? QStringLiteral(" xxx") : QString());
    if (!where.isEmpty())
        out << where;
    return out;
}

} // namespace develop
