#include "deploy/scripttable.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"

namespace deploy {

namespace {

QString ownerOf(const QString& owner)
{
    return owner.isEmpty() ? QStringLiteral("*") : owner.toUpper();
}

qint64 executeDml(db::Session& session, const QString& sql, const std::vector<std::pair<QString, QVariant>>& binds)
{
    db::Query q(&session);
    q.setSql(sql);
    for (const auto& [name, value] : binds)
        q.setVariable(name, value);
    q.execute();
    return q.rowsProcessed();
}

} // namespace

bool hasOwnerColumns(db::Session& session)
{
    try {
        db::Query q(&session);
        q.setSql(QString::fromLatin1(ownerColumnsQuery));
        q.execute();
        return !q.eof() && q.field(0).toLongLong() == 2;
    } catch (const db::OracleError&) {
        return false;
    }
}

QString countRowsSql(bool perOwner)
{
    QString sql = QStringLiteral("select count(*)  stevilo \n  from vexo_util.vexo_exs\n  where script_name=:skripta");
    if (perOwner)
        sql += QStringLiteral(" and  script_owner=:upor");
    return sql;
}

qint64 countScriptRows(db::Session& session, const QString& name, const QString& owner)
{
    db::Query q(&session);
    q.setSql(countRowsSql(!owner.isEmpty()));
    q.setVariable(QStringLiteral("skripta"), name);
    if (!owner.isEmpty())
        q.setVariable(QStringLiteral("upor"), owner);
    q.execute();
    return q.eof() ? 0 : q.field(0).toLongLong();
}

QString insertSql(bool scriptDateOwner)
{
    return QStringLiteral(" insert into vexo_util.vexo_exs (script_name,script_counter,script_stat,script_cont,script_err")
        + (scriptDateOwner ? QStringLiteral(",script_owner,script_date") : QString()) + QStringLiteral(") ")
        + QStringLiteral("values ") + QStringLiteral("(:script_name,:script_counter,'N',:script_cont,null")
        + (scriptDateOwner ? QStringLiteral(",:script_owner,sysdate") : QString()) + QStringLiteral(")");
}

void insertScriptRows(db::Session& session, bool scriptDateOwner, const QString& name, const QString& owner,
    const std::vector<StoredStatement>& rows, int* failedCounter)
{
    db::Query q(&session);
    q.setSql(insertSql(scriptDateOwner));
    q.declareVariable(QStringLiteral("script_name"), db::BindType::String);
    q.declareVariable(QStringLiteral("script_counter"), db::BindType::Integer);
    q.declareVariable(QStringLiteral("script_cont"), db::BindType::Long);
    if (scriptDateOwner) {
        q.declareVariable(QStringLiteral("script_owner"), db::BindType::String);
        q.setVariable(QStringLiteral("script_owner"), owner.toUpper());
    }
    q.setVariable(QStringLiteral("script_name"), name);
    for (const StoredStatement& row : rows) {
        if (failedCounter)
            *failedCounter = row.counter;
        q.setVariable(QStringLiteral("script_counter"), row.counter);
        q.setVariable(QStringLiteral("script_cont"), row.text);
        q.execute();
    }
    if (failedCounter)
        *failedCounter = 0;
}

QString skripteSql(bool ownerMode)
{
    return QStringLiteral("SELECT exs.*,exs.rowid FROM VEXO_UTIL.VEXO_EXS exs WHERE ")
        + (ownerMode ? QStringLiteral("  (:lastnik='*' or SCRIPT_OWNER=:lastnik) and ") : QString())
        + QStringLiteral("  SCRIPT_NAME=:SKRIPTA AND   (:stat ='A' or SCRIPT_STAT=:stat) AND   (:napaka='A' or  instr( "
                         "upper(script_err),:napaka)<>0 )   AND   (:filter='A' or "
                         "vexo_util.getMemoFiltExs(rowid,:filter) ='T')ORDER BY SCRIPT_COUNTER");
}

QString allScriptsSql(bool ownerMode)
{
    if (ownerMode)
        return QStringLiteral(" select script_name,count(*) from vexo_util.vexo_exs   where script_owner=:upor "
                              "group by script_name order by script_name desc");
    return QStringLiteral(" select  /*+ INDEX(vexo_exs, VEXO_EX1)*/ script_name,count(*) from vexo_util.vexo_exs "
                          "group by script_name order by script_name desc");
}

QString statSql(bool ownerMode)
{
    // Rows without a date sort as stored on the first day of 2000, whatever the session's date format.
    const QString order = QStringLiteral("   order by nvl(script_date,to_date('01.01.2000','DD.MM.YYYY')) desc,"
                                         "script_name desc,script_stat desc");
    if (ownerMode)
        return QStringLiteral(" select /*+ INDEX(vexo_exs, VEXO_EX1)*/ script_owner,script_name,script_date,"
                              "script_stat,count(*) stevec from vexo_util.vexo_exs  where (:skripta='A' or "
                              "script_name like :skripta)    and script_owner=:upor    group by "
                              "script_owner,script_name,script_date ,script_stat")
            + order;
    return QStringLiteral(" select /*+ INDEX(vexo_exs, VEXO_EX1)*/ script_name,script_date,script_stat,count(*) "
                          "stevec from vexo_util.vexo_exs   where (:skripta='A' or script_name like :skripta)    "
                          "group by script_name,script_date,script_stat ")
        + order;
}

QString fltScriptsSql()
{
    return QStringLiteral("SELECT  script_name FROM VEXO_UTIL.VEXO_EXS exs\n"
                          "    WHERE \n"
                          "           (:lastnik='*' or SCRIPT_OWNER=:lastnik) and\n"
                          "           SCRIPT_NAME  like :SKRIPTA and\n"
                          "           (:stat='A' or SCRIPT_STAT=:stat) and\n"
                          "           ( :napaka ='A' or  instr( upper(script_err),:napaka)<>0)  and \n"
                          "           ( :filter ='A' or  vexo_util.getMemoFiltExs(rowid,:filter) ='T' )\n"
                          "\n"
                          "GROUP  BY SCRIPT_NAME");
}

QString findSql(bool ownerMode)
{
    return QStringLiteral("SELECT exs.*,exs.rowid FROM VEXO_UTIL.VEXO_EXS exs\n"
                          "    WHERE (:skripte='A' or script_name like :skripte) and\n")
        + (ownerMode ? QStringLiteral("           (:lastnik='*' or SCRIPT_OWNER=:lastnik) and\n") : QString())
        + QStringLiteral("           (:stat ='A' or SCRIPT_STAT=:stat) AND\n"
                         "           (:napaka='A' or  instr(script_err,:napaka)<>0 )   AND \n"
                         "           (:filter='A' or vexo_util.getMemoFiltExs(rowid,:filter) ='T')\n"
                         "ORDER BY SCRIPT_NAME,SCRIPT_COUNTER");
}

QString countToExecuteSql()
{
    return QStringLiteral("SELECT count(*) stevec FROM VEXO_UTIL.VEXO_EXS \n"
                          "    WHERE SCRIPT_NAME=:SKRIPTA AND\n"
                          "                  (:lastnik='*' or SCRIPT_OWNER=:lastnik) AND\n"
                          "                  (:stat ='A' or SCRIPT_STAT=:stat) AND\n"
                          "           (:napaka='A' or  instr(script_err,:napaka)<>0 )   AND \n"
                          "           (:filter='A' or vexo_util.getMemoFiltExs(rowid,:filter) ='T')");
}

qint64 countToExecute(db::Session& session, const ScriptFilter& f)
{
    db::Query q(&session);
    q.setSql(countToExecuteSql());
    bindFilter(q, f);
    q.execute();
    return q.eof() ? 0 : q.field(0).toLongLong();
}

std::vector<ScriptRow> pendingRows(db::Session& session, const ScriptFilter& f, int after, int batch)
{
    // Only the filters in use are part of the statement, so a run without filters reads the rows by the index.
    QString sql = QStringLiteral("SELECT exs.rowid, exs.script_name, exs.script_counter, exs.script_cont "
                                 "FROM VEXO_UTIL.VEXO_EXS exs WHERE SCRIPT_NAME=:skripta AND SCRIPT_STAT=:stat "
                                 "AND SCRIPT_COUNTER>:od");
    if (f.lastnik != QLatin1String("*"))
        sql += QStringLiteral(" AND SCRIPT_OWNER=:lastnik");
    if (f.napaka != QLatin1String("A"))
        sql += QStringLiteral(" AND instr(upper(script_err),:napaka)<>0");
    if (f.filter != QLatin1String("A"))
        sql += QStringLiteral(" AND vexo_util.getMemoFiltExs(exs.rowid,:filter)='T'");
    sql += QStringLiteral(" ORDER BY SCRIPT_COUNTER");
    db::Query q(&session);
    q.setSql(sql);
    bindFilter(q, f);
    q.setVariable(QStringLiteral("od"), after);
    q.execute();
    std::vector<ScriptRow> rows;
    for (; !q.eof(); q.next()) {
        const int counter = q.field(2).toInt();
        if (int(rows.size()) >= batch && counter != rows.back().counter)
            break;
        rows.push_back({ q.field(0).toString(), q.field(1).toString(), counter, q.field(3).toString() });
    }
    q.close();
    return rows;
}

QString statementText(db::Session& session, const QString& rowId)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select script_cont from vexo_util.vexo_exs where rowid = :rid"));
    q.setVariable(QStringLiteral("rid"), rowId);
    q.execute();
    if (q.eof())
        return QString();
    const QString text = q.field(0).toString();
    return text.isNull() ? QStringLiteral("") : text;
}

void writeOutcome(db::Session& session, const QString& rowId, const QString& stat, const QVariant& err)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("update vexo_util.vexo_exs set script_stat=:stat, script_err=:err where rowid=:rid"));
    q.declareVariable(QStringLiteral("err"), db::BindType::String);
    q.setVariable(QStringLiteral("stat"), stat);
    q.setVariable(QStringLiteral("err"), err);
    q.setVariable(QStringLiteral("rid"), rowId);
    q.execute();
}

QString toggleDeleted(db::Session& session, const QString& rowId)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select script_stat from vexo_util.vexo_exs where rowid = :rid"));
    q.setVariable(QStringLiteral("rid"), rowId);
    q.execute();
    if (q.eof())
        return QString();
    const QString stat = q.field(0).toString() == QLatin1String("D") ? QStringLiteral("N") : QStringLiteral("D");
    q.close();
    executeDml(session, QStringLiteral("update vexo_util.vexo_exs set script_stat=:stat where rowid=:rid"),
        { { QStringLiteral("stat"), stat }, { QStringLiteral("rid"), rowId } });
    return stat;
}

void writeStatementText(db::Session& session, const QString& rowId, const QString& text)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("update vexo_util.vexo_exs set script_cont=:cont where rowid=:rid"));
    q.declareVariable(QStringLiteral("cont"), db::BindType::Long);
    q.setVariable(QStringLiteral("cont"), text);
    q.setVariable(QStringLiteral("rid"), rowId);
    q.execute();
}

qint64 resetScript(db::Session& session, const QString& name, const QString& owner)
{
    return executeDml(session,
        QStringLiteral("update  VEXO_UTIL.VEXO_EXS set script_stat='N',script_err=''  where  SCRIPT_NAME=:skripta "
                       "and (:lastnik='*' or SCRIPT_OWNER=:lastnik)"),
        { { QStringLiteral("skripta"), name }, { QStringLiteral("lastnik"), ownerOf(owner) } });
}

qint64 deleteScript(db::Session& session, const QString& name, const QString& owner)
{
    return executeDml(session,
        QStringLiteral("DELETE VEXO_UTIL.VEXO_EXS WHERE SCRIPT_NAME=:skripta and (:lastnik='*' or "
                       "SCRIPT_OWNER=:lastnik)"),
        { { QStringLiteral("skripta"), name }, { QStringLiteral("lastnik"), ownerOf(owner) } });
}

qint64 deleteShownRows(db::Session& session, const ScriptFilter& f)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("DELETE VEXO_UTIL.VEXO_EXS exs WHERE (:lastnik='*' or SCRIPT_OWNER=:lastnik) and "
                            "SCRIPT_NAME=:SKRIPTA AND (:stat ='A' or SCRIPT_STAT=:stat) AND (:napaka='A' or "
                            "instr( upper(script_err),:napaka)<>0 ) AND (:filter='A' or "
                            "vexo_util.getMemoFiltExs(rowid,:filter) ='T')"));
    bindFilter(q, f);
    q.execute();
    return q.rowsProcessed();
}

} // namespace deploy
