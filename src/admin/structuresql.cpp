// Statement texts of the table-structure window and its neighbours.
#include "admin/structuresql.h"

namespace admin {

QString quoteName(const QString& name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString qualifiedName(const QString& owner, const QString& table)
{
    return owner.isEmpty() ? quoteName(table) : quoteName(owner) + QLatin1Char('.') + quoteName(table);
}

QString linkSuffix(const QString& link)
{
    const QString name = link.trimmed();
    return name.isEmpty() ? QString() : QLatin1Char('@') + quoteName(name);
}

const QStringList& fixedOwners()
{
    static const QStringList owners { QStringLiteral("VOXA"), QStringLiteral("BILDOR"),
        QStringLiteral("QUANDREL_PRENOS"), QStringLiteral("VEXO_SERVIS"), QStringLiteral("VEXO_UTIL"),
        QStringLiteral("VEXO_AUDIT"), QStringLiteral("BLOB") };
    return owners;
}

QString tablesStatement(const QString& link)
{
    return QStringLiteral("SELECT owner,table_name,tablespace_name FROM  ALL_TABLES%1 WHERE OWNER like :upor AND "
                          " TABLE_NAME like :tabela  order by owner,table_name")
        .arg(linkSuffix(link));
}

QString columnSearchStatement(const QString& link)
{
    return QStringLiteral("SELECT OWNER,TABLE_NAME ,COLUMN_NAME , DATA_TYPE ,  "
                          "decode(DATA_TYPE,'NUMBER',DATA_PRECISION,DATA_LENGTH) DATA_LENGTH,  "
                          "decode(DATA_TYPE,'NUMBER',DATA_SCALE,DATA_PRECISION) DATA_PRECISION,  nullable , COLUMN_ID, "
                          "DATA_DEFAULT  FROM  ALL_TAB_COLUMNS%1  WHERE OWNER like :upor  AND  TABLE_NAME like :tabela "
                          "AND  column_name like :kolona order by owner,table_name,column_id")
        .arg(linkSuffix(link));
}

const QStringList& columnOrders()
{
    static const QStringList orders { QStringLiteral("Column_name"), QStringLiteral("Column_id"),
        QStringLiteral("Data_length"), QStringLiteral("Data_type"), QStringLiteral("Nullable") };
    return orders;
}

QString columnsStatement(const QString& link, const QString& order)
{
    const QString by = columnOrders().contains(order) ? order : QStringLiteral("Column_id");
    const QString s = linkSuffix(link);
    // The comments are joined from the side, so that a view of comments without a row for a column loses nothing.
    return QStringLiteral("SELECT tabCol.* , tabCom.Comments FROM  ALL_TAB_COLUMNS%1 tabCol, ALL_COL_COMMENTS%1 tabCom "
                          " WHERE tabCol.OWNER=:upor AND tabCol.TABLE_NAME= :tabela and "
                          "       tabCom.OWNER(+)=tabCol.OWNER AND tabCom.TABLE_NAME(+)= tabCol.TABLE_NAME and "
                          "       tabCom.COLUMN_NAME(+)=tabCol.COLUMN_NAME "
                          " order by tabCol.%2")
        .arg(s, by);
}

QString indexesStatement(const QString& link)
{
    return QStringLiteral("SELECT * from all_indexes%1 where table_owner=:upor and table_name=:tabela order by "
                          "index_name")
        .arg(linkSuffix(link));
}

QString indexColumnsStatement(const QString& link)
{
    return QStringLiteral(
        "SELECT * from all_ind_columns%1 where index_owner=:owner and index_name=:index_name order by column_position")
        .arg(linkSuffix(link));
}

QString constraintsStatement(const QString& link)
{
    const QString s = linkSuffix(link);
    return QStringLiteral("SELECT con.constraint_name,con.validated,con.constraint_type, "
                          "con.r_constraint_name,con.search_condition,con.status,col.column_name,col.position "
                          "FROM  ALL_CONSTRAINTS%1 con, (select constraint_name,column_name,position from "
                          "all_cons_columns%1 where  owner=:UPOR and table_name=:TABELA ) col "
                          " WHERE con.OWNER=:UPOR  AND  con.TABLE_NAME=:TABELA  and "
                          "       col.constraint_name(+)=con.constraint_name "
                          "order by con.constraint_name, col.position")
        .arg(s);
}

QString triggersStatement(const QString& link)
{
    // The trigger's own owner comes along: a trigger on the table may belong to another schema.
    return QStringLiteral("select trigger_name,status,trigger_type,triggering_event,referencing_names,       "
                          "when_clause,description,trigger_body,owner from all_triggers%1  where table_owner=:upor "
                          "and table_name=:tabela order by trigger_name")
        .arg(linkSuffix(link));
}

} // namespace admin
