// The reference tree of a table (the tables its foreign keys point at, followed through their own foreign keys) and
// its dependency list (the tables whose foreign keys point at its primary key). The table-structure window and the
// references window of the PL/SQL editor show them.
#pragma once

#include <QList>
#include <QSet>
#include <QString>

namespace db {
class Session;
}

namespace admin {

struct RefNode {
    QString text;
    QString owner; // the table this node stands for
    QString table;
    QList<RefNode> children;
};

// The list of tables a tree has already expanded, by owner and table.
class VisitedTables {
public:
    // True when the table was not yet in the list (it is then added).
    bool MarkVisited(const QString& owner, const QString& table);
    int size() const { return int(seen.size()); }

private:
    QSet<QString> seen;
};

// Every foreign key of owner.table at the top level, in the order the server gives them; each node's text is
// mark + " " + constraint + "   " + referenced table + " (" + its owner + ")  " + the referenced key's columns, the
// mark " " for a table expanded there and "*" for one already expanded elsewhere in the tree (which gets no
// children). Each table is expanded once, so the tree ends.
QList<RefNode> ReferenceTree(db::Session& session, const QString& owner, const QString& table);

// One node per primary key of owner.table (CONSTRAINT_NAME + " (" + OWNER + ")   " + its columns), with a child
// per table whose foreign key points at it (its name, and its owner in parentheses when that is another owner).
QList<RefNode> DependencyTree(db::Session& session, const QString& owner, const QString& table);

} // namespace admin
