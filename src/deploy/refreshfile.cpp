#include "deploy/refreshfile.h"

namespace deploy {

QStringList splitRefreshList(const QString& value)
{
    QStringList items;
    QString item;
    int depth = 0;
    for (const QChar c : value) {
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')') && depth > 0)
            --depth;
        if (c == QLatin1Char(',') && depth == 0) {
            items << item;
            item.clear();
            continue;
        }
        item += c;
    }
    items << item;
    return items;
}

RefreshFile readRefreshFile(const QStringList& lines)
{
    RefreshFile file;
    std::optional<RefreshFileBlock> current;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).toUpper();
        if (line.startsWith(QLatin1Char('#'))) {
            if (current) {
                current->endLine = i + 1;
                file.blocks << *current;
                current.reset();
            }
            continue;
        }
        if (!current) {
            current = RefreshFileBlock {};
            current->firstLine = i + 1;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        current->hasKeys = true;
        const QString key = line.left(eq);
        const QString value = line.mid(eq + 1, 200);
        RefreshFileBlock& b = *current;
        if (key == QLatin1String("DBLD"))
            b.dbLink = value;
        else if (key == QLatin1String("OWNERS"))
            b.destOwner = value;
        else if (key == QLatin1String("TABLES"))
            b.destTable = value;
        else if (key == QLatin1String("OWNERD"))
            b.sourceOwner = value;
        else if (key == QLatin1String("TABLED"))
            b.sourceTable = value;
        else if (key == QLatin1String("COMMIT"))
            b.commit = value == QLatin1String("TRUE");
        else if (key == QLatin1String("UPDATE"))
            b.update = value == QLatin1String("TRUE");
        else if (key == QLatin1String("DELETE"))
            b.del = value == QLatin1String("TRUE");
        else if (key == QLatin1String("FIELDS"))
            b.fields << value.split(QLatin1Char(','));
        else if (key == QLatin1String("UNIQUE"))
            b.unique = splitRefreshList(value);
        else if (key == QLatin1String("SEQUENCE")) {
            const int comma = value.indexOf(QLatin1Char(','));
            if (comma >= 0) {
                b.sequence = true;
                b.seqField = value.left(comma);
                while (b.seqField.endsWith(QLatin1Char(' ')))
                    b.seqField.chop(1);
                QString name = value.mid(comma + 1);
                while (name.startsWith(QLatin1Char(' ')))
                    name.remove(0, 1);
                b.seqName = name.left(50);
            }
        }
    }
    if (current && current->hasKeys)
        file.unclosed = current;
    return file;
}

QString refreshFileHelp()
{
    return QStringLiteral(
        "#comment              a line beginning with # before the first table\n"
        "DBLD=link             database link to the source table (empty: a local table)\n"
        "OWNERD=owner          owner of the source table\n"
        "TABLED=table          source table\n"
        "OWNERS=owner          owner of the destination table (always local)\n"
        "TABLES=table          destination table\n"
        "UNIQUE=COL TYPE,...   unique key (default: the primary key of the source table)\n"
        "FIELDS=COL,COL,...    columns to compare (default: none, every row is updated)\n"
        "UPDATE=TRUE|FALSE     update changed records (default True)\n"
        "DELETE=TRUE|FALSE     delete records the source does not have (default False)\n"
        "SEQUENCE=COL,SEQ      new records take COL from the sequence SEQ (default: none)\n"
        "COMMIT=TRUE|FALSE     commit after the table, undo it on an error (default False)\n"
        "#next table           a line beginning with # ends each table\n"
        "\n"
        "Each table starts from the defaults. A final # is obligatory at the end of the file:\n"
        "a table without it is not refreshed.\n");
}

} // namespace deploy
