#include "deploy/replacelist.h"

#include <QMap>

namespace deploy {

ReplaceListLine splitListLine(const QString& line)
{
    ReplaceListLine r;
    if (line.isEmpty())
        return r;
    r.sign = line.at(0);
    const QString rest = line.mid(1, 100);
    const int first = rest.indexOf(QLatin1Char(' '));
    if (first < 0) {
        r.entry.owner = rest;
        return r;
    }
    r.entry.owner = rest.left(first);
    QString tail = rest.mid(first + 1);
    while (tail.startsWith(QLatin1Char(' ')))
        tail.remove(0, 1);
    const int second = tail.indexOf(QLatin1Char(' '));
    if (second < 0) {
        r.entry.table = tail;
        return r;
    }
    r.entry.table = tail.left(second);
    r.entry.column = tail.mid(second + 1).trimmed();
    return r;
}

ReplaceLists readReplaceList(const QStringList& lines)
{
    ReplaceLists lists;
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const ReplaceListLine l = splitListLine(line);
        (l.sign == QLatin1Char('-') ? lists.minus : lists.plus) << l.entry;
    }
    return lists;
}

QStringList writeReplaceList(const ReplaceLists& lists)
{
    QStringList lines;
    auto add = [&](QChar sign, const QList<ReplaceColumn>& list) {
        for (const ReplaceColumn& c : list)
            if (!c.owner.isEmpty())
                lines << sign + c.owner + QLatin1Char(' ') + c.table + QLatin1Char(' ') + c.column;
    };
    add(QLatin1Char('-'), lists.minus);
    add(QLatin1Char('+'), lists.plus);
    return lines;
}

QString typeDeclaration(const ReplaceKeyColumn& key)
{
    const QString type = key.type.trimmed().toUpper();
    if (type == QLatin1String("NUMBER")) {
        if (key.length.isEmpty())
            return type;
        const bool scaled = !key.scale.isEmpty() && key.scale != QLatin1String("0");
        return type + QLatin1Char('(') + key.length + (scaled ? QLatin1Char(',') + key.scale : QString())
            + QLatin1Char(')');
    }
    static const QStringList sized = { "VARCHAR2", "VARCHAR", "CHAR", "NVARCHAR2", "NCHAR", "RAW" };
    if (sized.contains(type) && !key.length.isEmpty())
        return type + QLatin1Char('(') + key.length + QLatin1Char(')');
    // DATE, TIMESTAMP(6), INTEGER, CLOB ...: the type says everything; a length would not compile.
    return type;
}

QString ownersList(const QString& owner, const QString& others)
{
    QStringList names { owner.trimmed().toUpper() };
    for (const QString& o : others.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!o.trimmed().isEmpty())
            names << o.trimmed().toUpper();
    return QLatin1Char(',') + names.join(QLatin1Char(',')) + QLatin1Char(',');
}

bool acceptsKeyColumn(const ReplaceKeyColumn& key, const QString& type, const QString& length)
{
    const QString keyType = key.type.trimmed().toUpper();
    const QStringList accepted = keyType == QLatin1String("CHAR") || keyType == QLatin1String("VARCHAR2")
        ? QStringList { "CHAR", "VARCHAR2" }
        : QStringList { keyType };
    return accepted.contains(type.trimmed().toUpper()) && length == key.length;
}

QList<ReplaceColumn> buildReplaceList(const QList<ReplaceKeyColumn>& key, const QString& owner, const QString& table,
    const QList<ReplaceCandidate>& rows, const ReplaceLists& lists)
{
    QList<ReplaceColumn> list;
    auto add = [&](const ReplaceColumn& c) {
        if (c.owner == owner && c.table == table)
            return; // the table itself is never proposed
        if (lists.minus.contains(c) || list.contains(c))
            return;
        list << c;
    };
    if (key.size() == 1) {
        for (const ReplaceCandidate& r : rows)
            if (acceptsKeyColumn(key.first(), r.type, r.length))
                add({ r.owner, r.table, r.column });
    } else {
        // A composite key: a foreign key's columns by their positions, or a table that has every key column by name.
        QList<QString> order;
        QMap<QString, QList<ReplaceCandidate>> groups;
        for (const ReplaceCandidate& r : rows) {
            const QString g = r.owner + QLatin1Char('\n') + r.table + QLatin1Char('\n') + r.constraint;
            if (!groups.contains(g))
                order << g;
            groups[g] << r;
        }
        for (const QString& g : order) {
            const QList<ReplaceCandidate>& members = groups[g];
            QStringList columns;
            bool fits = true;
            for (int i = 0; i < key.size() && fits; ++i) {
                const ReplaceCandidate* match = nullptr;
                for (const ReplaceCandidate& m : members) {
                    const bool same = m.constraint.isEmpty() ? m.column == key.at(i).name : m.position == i + 1;
                    if (same)
                        match = &m;
                }
                fits = match && acceptsKeyColumn(key.at(i), match->type, match->length);
                if (fits)
                    columns << match->column;
            }
            if (fits && members.size() >= key.size())
                add({ members.first().owner, members.first().table, columns.join(QLatin1Char(',')) });
        }
    }
    for (const ReplaceColumn& c : lists.plus)
        if (!list.contains(c))
            list << c;
    return list;
}

QStringList splitKeyValues(const QString& text)
{
    QStringList values;
    QString value;
    bool quoted = false;
    int depth = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('('))
            ++depth;
        else if (!quoted && c == QLatin1Char(')') && depth > 0)
            --depth;
        if (c == QLatin1Char(',') && !quoted && depth == 0) {
            values << value.trimmed();
            value.clear();
            continue;
        }
        value += c;
    }
    values << value.trimmed();
    return values;
}

QStringList replaceBlock(const QList<ReplaceKeyColumn>& key, const QStringList& oldValues, const QStringList& newValues,
    const QList<ReplaceColumn>& list)
{
    QStringList l { QStringLiteral("DECLARE") };
    const bool single = key.size() == 1;
    auto name = [&](const char* base, int i) {
        return QString::fromLatin1(base) + (single ? QString() : QString::number(i + 1));
    };
    for (int i = 0; i < key.size(); ++i)
        l << QStringLiteral("  ") + name("stariNiz", i) + QLatin1Char(' ') + typeDeclaration(key.at(i))
                + QStringLiteral(":=") + oldValues.value(i) + QLatin1Char(';');
    for (int i = 0; i < key.size(); ++i)
        l << QStringLiteral("  ") + name("noviNiz", i) + (single ? QStringLiteral("  ") : QStringLiteral(" "))
                + typeDeclaration(key.at(i)) + QStringLiteral(":=") + newValues.value(i) + QLatin1Char(';');
    l << QStringLiteral("BEGIN");
    for (const ReplaceColumn& c : list) {
        const QStringList columns = c.column.split(QLatin1Char(','));
        QStringList sets, where;
        for (int i = 0; i < columns.size(); ++i) {
            const QString col = columns.at(i).trimmed();
            sets << col + QLatin1Char('=') + name("NoviNiz", i);
            where << col + QLatin1Char('=') + name("stariNiz", i);
        }
        l << QStringLiteral("    update ") + c.owner + QLatin1Char('.') + c.table + QStringLiteral(" set ")
                + sets.join(QLatin1Char(',')) + QStringLiteral(" where ") + where.join(QStringLiteral(" and "))
                + QLatin1Char(';');
    }
    l << QStringLiteral("END;");
    return l;
}

} // namespace deploy
