// Repairing a damaged table.
#include "admin/repairlogic.h"

#include "admin/structuresql.h"
#include "db/oracleerror.h"
#include "db/query.h"

#include <QVariant>

#include <algorithm>
#include <functional>

namespace admin {

namespace {

constexpr int kCorruptBlock = 1578;

qint64 count(db::Session& session, const QString& sql)
{
    db::Query q(&session);
    q.setSql(sql);
    q.execute();
    return q.eof() ? 0 : q.field(0).toLongLong();
}

void run(db::Session& session, const QString& sql)
{
    db::Query q(&session);
    q.setSql(sql);
    q.execute();
}

QString keyIndexOf(db::Session& session, const QString& owner, const QString& table)
{
    // The primary key's own index first; else an index named as the application names key indexes.
    db::Query q(&session);
    q.setSql(QStringLiteral("select index_name from all_constraints where owner=:lastnik and table_name=:tabela and "
                            "constraint_type='P' and index_name is not null"));
    q.setVariable(QStringLiteral("lastnik"), owner);
    q.setVariable(QStringLiteral("tabela"), table);
    q.execute();
    if (!q.eof())
        return q.field(0).toString();
    q.setSql(QStringLiteral("select index_name from  all_INDEXES where table_owner=:lastnik and table_name=:tabela \n"
                            " and  (index_name like 'PK\\_%' escape '\\' or index_name like '%\\_PK' escape '\\') "
                            "order by index_name"));
    q.execute();
    return q.eof() ? QString() : q.field(0).toString();
}

} // namespace

TableExamination examineTable(db::Session& session, const QString& owner, const QString& table, const StatusFn& status)
{
    TableExamination r;
    const QString name = qualifiedName(owner, table);
    try {
        db::Query probe(&session);
        probe.setSql(QStringLiteral("select * from ") + name + QStringLiteral(" where rownum=1"));
        probe.execute();
        r.readable = true;
    } catch (const db::OracleError& e) {
        // A table whose first block is damaged is there all the same.
        r.readable = e.code() == kCorruptBlock;
        r.error = e.message();
        if (!r.readable)
            return r;
    }
    r.keyIndex = keyIndexOf(session, owner, table);
    if (!r.keyIndex.isEmpty()) {
        db::Query q(&session);
        q.setSql(QStringLiteral("select column_name from  ALL_IND_COLUMNS where index_owner=:lastnik and "
                                "index_name=:konstraint\norder by column_position"));
        q.setVariable(QStringLiteral("lastnik"), owner);
        q.setVariable(QStringLiteral("konstraint"), r.keyIndex);
        q.execute();
        for (; !q.eof(); q.next())
            r.keyColumns.append(q.field(0).toString());
    }
    if (status)
        status(QStringLiteral("count"));
    try {
        r.rowCount = count(session, QStringLiteral("select count(*) vseh from ") + name);
    } catch (const db::OracleError&) {
        r.tableDamaged = true;
        QStringList findings { QStringLiteral("POKVARJENA TABELA") };
        if (!r.keyIndex.isEmpty()) {
            try {
                r.rowCount = count(session,
                    QStringLiteral("select /*+INDEX(") + quoteName(table) + QLatin1Char(',') + quoteName(r.keyIndex)
                        + QStringLiteral(")*/ count(*) vseh from ") + name);
            } catch (const db::OracleError&) {
                r.keyDamaged = true;
                findings.append(QStringLiteral("POKVARJEN PRIMARY KEY: ") + r.keyIndex);
            }
        }
        r.findings = findings.join(QLatin1Char(' '));
    }
    return r;
}

ProbeResult probeRows(db::Session& session, const QString& owner, const QString& table, qint64 rows, QString* error)
{
    try {
        db::Query q(&session);
        q.setSql(QStringLiteral("select count(*) from ") + qualifiedName(owner, table)
            + QStringLiteral(" where rownum<=") + QString::number(rows));
        q.execute();
        q.close();
        return ProbeResult::Readable;
    } catch (const db::OracleError& e) {
        if (e.code() == kCorruptBlock)
            return ProbeResult::Unreadable;
        if (error)
            *error = e.message();
        return ProbeResult::Failed;
    }
}

namespace {

constexpr int kBatch = 200;

// Copies the items i in 0..count-1 that `readable` lets through, `kBatch` to a transaction; a batch that fails is
// rolled back and its items are copied again one by one.
CopyResult copyInBatches(db::Session& session, int count, const std::function<bool(int, QString*)>& readable,
    const std::function<bool(int)>& copy, const StopFn& stop)
{
    CopyResult r;
    QList<int> good;
    for (int i = 0; i < count; ++i) {
        if (stop && i % kBatch == 0 && stop()) {
            r.stopped = true;
            return r;
        }
        QString error;
        if (readable(i, &error)) {
            good.append(i);
        } else {
            ++r.failed;
            if (r.firstError.isEmpty())
                r.firstError = error;
        }
    }
    for (int from = 0; from < good.size(); from += kBatch) {
        if (stop && stop()) {
            r.stopped = true;
            break;
        }
        const int to = std::min<int>(int(good.size()), from + kBatch);
        qint64 written = 0;
        try {
            for (int i = from; i < to; ++i)
                written += copy(good[i]) ? 1 : 0;
            session.commit();
            r.copied += written;
            continue;
        } catch (const db::OracleError&) {
            session.rollback();
        }
        for (int i = from; i < to; ++i) {
            try {
                const bool wrote = copy(good[i]);
                session.commit();
                r.copied += wrote ? 1 : 0;
            } catch (const db::OracleError& e) {
                session.rollback();
                ++r.failed;
                if (r.firstError.isEmpty())
                    r.firstError = e.message();
            }
        }
    }
    return r;
}

// Reads the rows a condition selects to the end, outside any transaction; false (with the message) when that
// meets damage.
bool readsWhole(db::Query& q, QString* error)
{
    try {
        q.execute();
        for (; !q.eof(); q.next()) { }
        q.close();
        return true;
    } catch (const db::OracleError& e) {
        if (error)
            *error = e.message();
        return false;
    }
}

} // namespace

CopyResult createNewTable(db::Session& session, const QString& owner, const QString& table, const QString& newTable,
    qint64 firstBadRow, const StatusFn& status, const StopFn& stop)
{
    const QString from = qualifiedName(owner, table);
    const QString to = qualifiedName(owner, newTable);
    // The rows before the first bad one, by ROWID, read before anything is written.
    QList<QVariant> rowids;
    {
        db::Query q(&session);
        q.setSql(QStringLiteral("select rowid from ") + from + QStringLiteral(" where rownum<")
            + QString::number(firstBadRow));
        q.execute();
        for (; !q.eof(); q.next())
            rowids.append(q.field(0));
    }
    run(session,
        QStringLiteral(" create table ") + to + QStringLiteral(" as select * from ") + from
            + QStringLiteral(" where 1=0"));
    if (status)
        status(QStringLiteral("copy"));
    db::Query probe(&session);
    probe.setSql(QStringLiteral("select * from ") + from + QStringLiteral(" where rowid=:r"));
    db::Query copy(&session);
    copy.setSql(QStringLiteral("insert into ") + to + QStringLiteral(" select * from ") + from
        + QStringLiteral(" where rowid=:r"));
    return copyInBatches(
        session, int(rowids.size()),
        [&](int i, QString* error) {
            probe.setVariable(QStringLiteral("r"), rowids[i]);
            return readsWhole(probe, error);
        },
        [&](int i) {
            copy.setVariable(QStringLiteral("r"), rowids[i]);
            copy.execute();
            return copy.rowsProcessed() > 0;
        },
        stop);
}

CopyResult addRecords(db::Session& session, const QString& owner, const QString& table, const QString& newTable,
    const QString& keyIndex, const QStringList& keyColumns, const StatusFn& status, const StopFn& stop)
{
    const QString from = qualifiedName(owner, table);
    const QString to = qualifiedName(owner, newTable);
    QStringList columns;
    QStringList condition;
    QStringList inNew;
    for (int i = 0; i < keyColumns.size(); ++i) {
        const QString c = quoteName(keyColumns[i]);
        const QString k = QStringLiteral(":k") + QString::number(i);
        columns.append(c);
        condition.append(c + QLatin1Char('=') + k);
        inNew.append(QStringLiteral("n.") + c + QLatin1Char('=') + k);
    }
    // The keys are read through the key index alone, so that the damaged blocks of the table are not touched.
    QList<QList<QVariant>> keys;
    {
        db::Query q(&session);
        q.setSql(QStringLiteral("select /*+INDEX(") + quoteName(table) + QLatin1Char(',') + quoteName(keyIndex)
            + QStringLiteral(")*/ ") + columns.join(QLatin1Char(',')) + QStringLiteral(" from ") + from);
        q.execute();
        for (; !q.eof(); q.next()) {
            QList<QVariant> key;
            for (int i = 0; i < keyColumns.size(); ++i)
                key.append(q.field(i));
            keys.append(key);
        }
    }
    if (status)
        status(QStringLiteral("copy"));
    const QString where = condition.join(QStringLiteral(" and "));
    auto bindKey = [&](db::Query& q, int i) {
        for (int c = 0; c < keys[i].size(); ++c)
            q.setVariable(QStringLiteral("k") + QString::number(c), keys[i][c]);
    };
    db::Query probe(&session);
    probe.setSql(QStringLiteral("select * from ") + from + QStringLiteral(" where ") + where);
    // A row copied before (by "Create New Table" or an earlier run) is not copied twice.
    db::Query copy(&session);
    copy.setSql(QStringLiteral("INSERT INTO ") + to + QStringLiteral(" select * from ") + from
        + QStringLiteral(" where ") + where + QStringLiteral(" and not exists (select 1 from ") + to
        + QStringLiteral(" n where ") + inNew.join(QStringLiteral(" and ")) + QLatin1Char(')'));
    return copyInBatches(
        session, int(keys.size()),
        [&](int i, QString* error) {
            bindKey(probe, i);
            return readsWhole(probe, error);
        },
        [&](int i) {
            bindKey(copy, i);
            copy.execute();
            return copy.rowsProcessed() > 0;
        },
        stop);
}

QString adminTablesBlock()
{
    return QStringLiteral("BEGIN    Dbms_Repair.Admin_Tables (    table_name => 'REPAIR_TABLE',    table_type => "
                          "Dbms_Repair.Repair_Table,    action => Dbms_Repair.Create_Action,    tablespace => 'USERS');"
                          "  Dbms_Repair.Admin_Tables (    table_name => 'ORPHAN_KEY_TABLE',    table_type => "
                          "Dbms_Repair.Orphan_Table,    action => Dbms_Repair.Create_Action,    tablespace => "
                          "'USERS');END;");
}

QString checkObjectBlock()
{
    return QStringLiteral("DECLARE\n  v_num INT;\nBEGIN\n  v_num := 0; \n  Dbms_Repair.Check_Object (\n"
                          "    schema_name => :upor,\n    object_name=> :tabela, \n"
                          "    object_type => Dbms_Repair.Table_Object,\n    repair_table_name => 'REPAIR_TABLE',\n"
                          "    corrupt_count=> v_num);\n  :napak:=v_num;\nEND;");
}

QString fixCorruptBlocksBlock()
{
    return QStringLiteral("DECLARE\n  v_num_fix INT;\nBEGIN\n  v_num_fix := 0; \n  Dbms_Repair.Fix_Corrupt_Blocks (\n"
                          "    schema_name => :upor,\n    object_name=> :tabela, \n"
                          "    object_type => Dbms_Repair.Table_Object,\n    repair_table_name => 'REPAIR_TABLE',\n"
                          "    fix_count=> v_num_fix);\n  :napak:=v_num_fix;\nEND;");
}

QString rebuildFreelistsBlock()
{
    return QStringLiteral("BEGIN\n  Dbms_Repair.Rebuild_Freelists (\n    schema_name => :upor,\n"
                          "    object_name => :tabela,\n    object_type => Dbms_Repair.Table_Object);\nEND;");
}

QString skipCorruptBlocksBlock()
{
    return QStringLiteral("BEGIN\n  Dbms_Repair.Skip_Corrupt_Blocks (\n    schema_name => :upor,\n"
                          "    object_name => :tabela,\n    object_type => Dbms_Repair.Table_Object,\n"
                          "    flags => Dbms_Repair.Skip_Flag);\nEND;");
}

qint64 runRepairCount(db::Session& session, const QString& block, const QString& owner, const QString& table)
{
    db::Query q(&session);
    q.setSql(block);
    q.setVariable(QStringLiteral("upor"), owner);
    q.setVariable(QStringLiteral("tabela"), table);
    if (block.contains(QLatin1String(":napak")))
        q.declareVariable(QStringLiteral("napak"), db::BindType::Integer, db::BindDirection::Out);
    q.execute();
    return block.contains(QLatin1String(":napak")) ? q.getVariable(QStringLiteral("napak")).toLongLong() : 0;
}

} // namespace admin
