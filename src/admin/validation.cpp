// Structure validation texts.
#include "admin/validation.h"

#include "admin/structuresql.h"

namespace admin {

QString validateStatement(const QString& owner, const QString& table, bool cascade)
{
    return QStringLiteral("ANALYZE TABLE ") + qualifiedName(owner, table) + QStringLiteral(" VALIDATE STRUCTURE ")
        + (cascade ? QStringLiteral(" CASCADE") : QString());
}

CheckTablesParameters checkTablesParameters(const QString& first, const QString& second, const QString& third)
{
    auto given = [](const QString& p) {
        const QString t = p.trimmed();
        return t.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0 ? QString() : t.toUpper();
    };
    return { given(first), given(second), third.trimmed().compare(QLatin1String("CASCADE"), Qt::CaseInsensitive) == 0 };
}

QString tablesOfOwnerStatement()
{
    return QStringLiteral("select table_name from all_tables\nwhere owner=:upor and table_name like :tabFilter\n"
                          "order by table_name");
}

QString invalidRowsStatement()
{
    return QStringLiteral("select * from invalid_rows where analyze_timestamp >= :od order by owner_name, table_name");
}

QString createInvalidRowsStatement()
{
    return QStringLiteral(" create table INVALID_ROWS (  owner_name         varchar2(30),  table_name         "
                          "varchar2(30),  partition_name     varchar2(30),  subpartition_name  varchar2(30),  "
                          "head_rowid         rowid,  analyze_timestamp  date )");
}

} // namespace admin
