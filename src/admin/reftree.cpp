// Reference and dependency trees.
#include "admin/reftree.h"

#include "db/query.h"

#include <QHash>

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

// Every foreign key the session can see, with the table it points at and that key's columns, read in two
// statements: a tree is then built without a statement per level, however deep the chain of tables.
struct KeyMap {
    QHash<QString, QList<ForeignKey>> byTable; // owner "." table -> its foreign keys, in name order
};

KeyMap readKeys(db::Session& session)
{
    KeyMap map;
    db::Query q(&session);
    q.setSql(
        QStringLiteral("select c.owner,c.table_name,c.r_owner,c.r_constraint_name,p.owner p_owner,"
                       "p.table_name p_table\n  from all_constraints c, all_constraints p\n"
                       " where c.constraint_type='R' and p.owner(+)=c.r_owner and "
                       "p.constraint_name(+)=c.r_constraint_name\n order by c.owner,c.table_name,c.constraint_name"));
    q.execute();
    QHash<QString, QString> columns; // referenced key (owner "." name) -> its columns
    for (; !q.eof(); q.next()) {
        ForeignKey k;
        k.rOwner = q.field(2).toString();
        k.rConstraint = q.field(3).toString();
        k.owner = q.field(4).toString();
        k.table = q.field(5).toString();
        columns.insert(k.rOwner + QLatin1Char('.') + k.rConstraint, QString());
        map.byTable[q.field(0).toString() + QLatin1Char('.') + q.field(1).toString()].append(k);
    }
    db::Query cols(&session);
    cols.setSql(QStringLiteral(
        "select col.owner,col.constraint_name,col.column_name from all_cons_columns col,\n"
        "  (select distinct r_owner,r_constraint_name from all_constraints where "
        "constraint_type='R') r\n where col.owner=r.r_owner and "
        "col.constraint_name=r.r_constraint_name\n order by col.owner,col.constraint_name,col.position"));
    cols.execute();
    for (; !cols.eof(); cols.next()) {
        QString& list = columns[cols.field(0).toString() + QLatin1Char('.') + cols.field(1).toString()];
        list += (list.isEmpty() ? QString() : QStringLiteral(",")) + cols.field(2).toString();
    }
    for (auto& keys : map.byTable)
        for (ForeignKey& k : keys)
            k.columns = columns.value(k.rOwner + QLatin1Char('.') + k.rConstraint);
    return map;
}

QList<RefNode> level(const KeyMap& map, const QString& owner, const QString& table, VisitedTables& visited)
{
    QList<ForeignKey> keys = map.byTable.value(owner + QLatin1Char('.') + table);
    // The whole level is marked before any table of it is expanded.
    for (ForeignKey& k : keys)
        k.expand = visited.MarkVisited(k.owner, k.table);
    QList<RefNode> nodes;
    for (const ForeignKey& k : keys) {
        RefNode n;
        n.text = (k.expand ? QStringLiteral(" ") : QStringLiteral("*")) + QLatin1Char(' ') + k.rConstraint
            + QStringLiteral("   ") + k.table + QStringLiteral(" (") + k.owner + QStringLiteral(")  ") + k.columns;
        n.owner = k.owner;
        n.table = k.table;
        if (k.expand && !k.table.isEmpty())
            n.children = level(map, k.owner, k.table, visited);
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
    return level(readKeys(session), owner, table, visited);
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
