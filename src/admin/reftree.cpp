// Reference and dependency trees.
#include "admin/reftree.h"

#include "db/query.h"

namespace admin {

namespace {

struct ForeignKey {
    QString rOwner;
    QString rConstraint;
    QString owner;
    QString table;
    QString columns;
    bool expand = false;
};

QString keyColumns(db::Session& session, const QString& owner, const QString& constraint)
{
    db::Query q(&session);
    q.setSql(
        QStringLiteral("select column_name from all_cons_columns\n    where owner= :upor and constraint_name= :cons\n"
                       "order by position"));
    q.setVariable(QStringLiteral("upor"), owner);
    q.setVariable(QStringLiteral("cons"), constraint);
    q.execute();
    QStringList names;
    for (; !q.eof(); q.next())
        names.append(q.field(0).toString());
    return names.join(QLatin1Char(','));
}

QList<RefNode> level(db::Session& session, const QString& owner, const QString& table, VisitedTables& visited)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select * from all_constraints\n  where owner= :upor and table_name= :tabela and "
                            "constraint_type='R'"));
    q.setVariable(QStringLiteral("upor"), owner);
    q.setVariable(QStringLiteral("tabela"), table);
    q.execute();
    QList<ForeignKey> keys;
    for (; !q.eof(); q.next()) {
        ForeignKey k;
        k.rOwner = q.field(QStringLiteral("R_OWNER")).toString();
        k.rConstraint = q.field(QStringLiteral("R_CONSTRAINT_NAME")).toString();
        keys.append(k);
    }
    // The whole level is read before any table of it is expanded.
    db::Query parent(&session);
    parent.setSql(QStringLiteral("select owner,table_name from all_constraints\n    where owner= :upor and "
                                 "constraint_name= :cons"));
    for (ForeignKey& k : keys) {
        parent.setVariable(QStringLiteral("upor"), k.rOwner);
        parent.setVariable(QStringLiteral("cons"), k.rConstraint);
        parent.execute();
        if (!parent.eof()) {
            k.owner = parent.field(0).toString();
            k.table = parent.field(1).toString();
        }
        k.columns = keyColumns(session, k.rOwner, k.rConstraint);
        k.expand = visited.MarkVisited(k.owner, k.table);
    }
    QList<RefNode> nodes;
    for (const ForeignKey& k : keys) {
        RefNode n;
        n.text = (k.expand ? QStringLiteral(" ") : QStringLiteral("*")) + QLatin1Char(' ') + k.rConstraint
            + QStringLiteral("   ") + k.table + QStringLiteral(" (") + k.owner + QStringLiteral(")  ") + k.columns;
        n.owner = k.owner;
        n.table = k.table;
        if (k.expand && !k.table.isEmpty())
            n.children = level(session, k.owner, k.table, visited);
        nodes.append(n);
    }
    return nodes;
}

} // namespace

bool VisitedTables::MarkVisited(const QString& owner, const QString& table)
{
    const QString key = owner + QLatin1Char('.') + table;
    if (seen.contains(key))
        return false;
    seen.insert(key);
    return true;
}

QList<RefNode> ReferenceTree(db::Session& session, const QString& owner, const QString& table)
{
    VisitedTables visited;
    visited.MarkVisited(owner, table); // the root counts as visited
    return level(session, owner, table, visited);
}

QList<RefNode> DependencyTree(db::Session& session, const QString& owner, const QString& table)
{
    db::Query keys(&session);
    keys.setSql(QStringLiteral("select owner,constraint_name  from all_constraints\n  where owner= :upor and "
                               "table_name= :tabela and constraint_type='P'"));
    keys.setVariable(QStringLiteral("upor"), owner);
    keys.setVariable(QStringLiteral("tabela"), table);
    keys.execute();
    QList<RefNode> nodes;
    for (; !keys.eof(); keys.next()) {
        RefNode key;
        const QString keyOwner = keys.field(0).toString();
        const QString name = keys.field(1).toString();
        key.owner = owner;
        key.table = table;
        key.text
            = name + QStringLiteral(" (") + keyOwner + QStringLiteral(")   ") + keyColumns(session, keyOwner, name);
        db::Query children(&session);
        children.setSql(QStringLiteral("select owner,table_name from all_constraints\n   where r_owner= :upor and "
                                       "r_constraint_name= :pk order by owner, table_name"));
        children.setVariable(QStringLiteral("upor"), keyOwner);
        children.setVariable(QStringLiteral("pk"), name);
        children.execute();
        for (; !children.eof(); children.next()) {
            RefNode child;
            child.owner = children.field(0).toString();
            child.table = children.field(1).toString();
            child.text = child.table
                + (child.owner == keyOwner ? QString() : QStringLiteral(" (") + child.owner + QLatin1Char(')'));
            key.children.append(child);
        }
        nodes.append(key);
    }
    return nodes;
}

} // namespace admin
