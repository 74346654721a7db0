// Reading the structure tabs.
#include "admin/structuretabs.h"

#include "admin/favourites.h"
#include "admin/structuresql.h"
#include "db/query.h"

namespace admin {

namespace {

QString text(const db::Query& q, const char* field)
{
    return q.fieldIsNull(QString::fromLatin1(field)) ? QString() : q.field(QString::fromLatin1(field)).toString();
}

void bindOwnerTable(db::Query& q, const QString& owner, const QString& table)
{
    q.setVariable(QStringLiteral("upor"), owner);
    q.setVariable(QStringLiteral("tabela"), table);
}

} // namespace

QStringList ownerList(db::Session& session)
{
    QStringList owners = fixedOwners();
    db::Query q(&session);
    q.setSql(QStringLiteral("SELECT USERNAME FROM ALL_USERS\norder by USERNAME"));
    q.execute();
    for (; !q.eof(); q.next()) {
        const QString user = q.field(0).toString();
        if (!owners.contains(user, Qt::CaseInsensitive))
            owners.append(user.toUpper());
    }
    return owners;
}

QList<GridRow> loadColumns(db::Session& session, const QString& owner, const QString& table, const QString& link,
    const QString& order, const QString& marks)
{
    db::Query q(&session);
    q.setSql(columnsStatement(link, order));
    bindOwnerTable(q, owner, table);
    q.execute();
    QList<GridRow> rows;
    for (; !q.eof(); q.next()) {
        const QString name = text(q, "COLUMN_NAME");
        const QString type = text(q, "DATA_TYPE");
        const bool number = type == QLatin1String("NUMBER");
        rows.append({ favouriteHasColumn(marks, name) ? QStringLiteral("+") : QStringLiteral(" "), name, type,
            number ? text(q, "DATA_PRECISION") : text(q, "DATA_LENGTH"),
            number ? text(q, "DATA_SCALE") : text(q, "DATA_PRECISION"), text(q, "NULLABLE"), text(q, "COMMENTS"),
            text(q, "COLUMN_ID"), text(q, "DATA_DEFAULT").trimmed() });
    }
    return rows;
}

QList<IndexRow> loadIndexes(db::Session& session, const QString& owner, const QString& table, const QString& link)
{
    db::Query q(&session);
    q.setSql(indexesStatement(link));
    bindOwnerTable(q, owner, table);
    q.execute();
    QList<IndexRow> rows;
    for (; !q.eof(); q.next())
        rows.append({ text(q, "OWNER"), text(q, "INDEX_NAME"), {} });
    db::Query cols(&session);
    cols.setSql(indexColumnsStatement(link));
    for (IndexRow& r : rows) {
        cols.setVariable(QStringLiteral("owner"), r.owner);
        cols.setVariable(QStringLiteral("index_name"), r.name);
        cols.execute();
        QStringList names;
        for (; !cols.eof(); cols.next())
            names.append(text(cols, "COLUMN_NAME"));
        r.columns = names.join(QStringLiteral(", "));
    }
    return rows;
}

QList<ConstraintRow> loadConstraints(
    db::Session& session, const QString& owner, const QString& table, const QString& link)
{
    db::Query q(&session);
    q.setSql(constraintsStatement(link));
    bindOwnerTable(q, owner, table);
    q.execute();
    QList<ConstraintRow> rows;
    int primaryRow = -1;
    QString primaryName;
    for (; !q.eof(); q.next()) {
        const QString name = text(q, "CONSTRAINT_NAME");
        const QString type = text(q, "CONSTRAINT_TYPE");
        const QString column = text(q, "COLUMN_NAME");
        if (type == QLatin1String("P")) {
            // The primary key's columns go into one row.
            if (primaryRow >= 0 && primaryName == name) {
                rows[primaryRow].value += QLatin1Char(',') + column;
                continue;
            }
            primaryRow = int(rows.size());
            primaryName = name;
            rows.append({ name, column, QStringLiteral("PK"), text(q, "STATUS") });
            continue;
        }
        if (type == QLatin1String("C")) {
            rows.append({ name, text(q, "SEARCH_CONDITION"), QStringLiteral("Cons."), text(q, "STATUS") });
            continue;
        }
        const QString value = text(q, "R_CONSTRAINT_NAME") + QStringLiteral("  -  ") + column;
        rows.append({ name, value, type == QLatin1String("R") ? QStringLiteral("Ref.") : type, text(q, "STATUS") });
    }
    return rows;
}

QString tabKey(const QString& owner, const QString& table, const QString& link)
{
    return owner + QLatin1Char('\x1f') + table + QLatin1Char('\x1f') + link;
}

} // namespace admin
