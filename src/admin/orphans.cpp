// Orphan rows of disabled foreign keys.
#include "admin/orphans.h"

#include "admin/structuresql.h"
#include "db/query.h"

namespace admin {

namespace {

QStringList keyColumns(db::Session& session, const QString& owner, const QString& constraint)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select column_name,position  from ALL_CONS_COLUMNS\nwhere owner=:upor  and "
                            "constraint_name=:cons_name\norder by position"));
    q.setVariable(QStringLiteral("upor"), owner);
    q.setVariable(QStringLiteral("cons_name"), constraint);
    q.execute();
    QStringList names;
    for (; !q.eof(); q.next())
        names.append(q.field(0).toString());
    return names;
}

} // namespace

QString disabledKeysStatement()
{
    return QStringLiteral("select owner,table_name,constraint_name,r_owner,r_constraint_name\n from all_constraints\n"
                          "where (:upor is null or owner=:upor) and status='DISABLED' and constraint_type='R'\n"
                          "order by owner,table_name,constraint_name");
}

QString orphanQueryText(const QString& owner, const QString& table, const QStringList& columns,
    const QString& parentOwner, const QString& parentTable, const QStringList& parentColumns)
{
    if (columns.isEmpty() || columns.size() != parentColumns.size())
        return {};
    // A key with a NULL column is not checked (Oracle's foreign keys match partially filled keys), so only complete
    // keys can be orphans.
    QStringList complete;
    QStringList join;
    for (int i = 0; i < columns.size(); ++i) {
        complete.append(quoteName(columns[i]) + QStringLiteral(" is not null"));
        join.append(
            QStringLiteral("p.") + quoteName(parentColumns[i]) + QStringLiteral("=tbl.") + quoteName(columns[i]));
    }
    return QStringLiteral("select * from ") + qualifiedName(owner, table) + QStringLiteral(" tbl  where ")
        + complete.join(QStringLiteral(" and ")) + QStringLiteral(" and not exists   (select * from ")
        + qualifiedName(parentOwner, parentTable) + QStringLiteral(" p where ") + join.join(QStringLiteral(" and "))
        + QLatin1Char(')');
}

OrphanQuery FindOrphanQuery(db::Session& session, const DisabledKey& key)
{
    OrphanQuery out;
    out.tableLabel = key.owner + QLatin1Char('.') + key.table;
    out.columns = keyColumns(session, key.owner, key.name);
    if (key.rConstraint.isEmpty())
        return out;
    db::Query parent(&session);
    parent.setSql(QStringLiteral("select table_name from all_constraints where owner=:upor and constraint_name=:cons"));
    parent.setVariable(QStringLiteral("upor"), key.rOwner);
    parent.setVariable(QStringLiteral("cons"), key.rConstraint);
    parent.execute();
    if (parent.eof())
        return out;
    out.parentOwner = key.rOwner;
    out.parentTable = parent.field(0).toString();
    out.text = orphanQueryText(key.owner, key.table, out.columns, out.parentOwner, out.parentTable,
        keyColumns(session, key.rOwner, key.rConstraint));
    return out;
}

QString enableKeyStatement(const DisabledKey& key)
{
    return QStringLiteral("alter table ") + qualifiedName(key.owner, key.table) + QStringLiteral(" ENABLE constraint ")
        + quoteName(key.name);
}

} // namespace admin
