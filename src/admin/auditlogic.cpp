// The audit window's statements.
#include "admin/auditlogic.h"

#include "db/query.h"
#include "db/session.h"

namespace admin {

namespace {

QString triggerCondition()
{
    return QStringLiteral("owner='VOXA' and trigger_name like 'AUDIT\\_%' escape '\\'");
}

QString quotedName(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

} // namespace

QString auditUserBlock()
{
    return QStringLiteral("begin\n  voxa.pckAuditKlient.setAuditUser(:upor);\nend;");
}

QString loadAuditingQuery()
{
    return QStringLiteral("select val1_107 from voxa.pr107par\nwhere attr_007 ='Auditing' and  stat_107='1'");
}

QString saveAuditingUpdate()
{
    return QStringLiteral("update voxa.pr107par  set val1_107=:val where attr_007='Auditing' and stat_107='1'");
}

QString auditTablesQuery()
{
    return QStringLiteral("select * from all_tables\nwhere  owner='VEXO_AUDIT'");
}

QString auditTriggerQuery()
{
    return QStringLiteral("select * from all_triggers \nwhere owner='VOXA' and table_name=:tabela\n"
                          "          and trigger_name like 'AUDIT%'");
}

QString auditTriggerCountsQuery()
{
    return QStringLiteral("select  status,count(*) stevilo  from all_triggers \nwhere ") + triggerCondition()
        + QStringLiteral(" \ngroup by status");
}

QString auditTriggersToSwitchQuery()
{
    return QStringLiteral("select trigger_name from all_triggers where ") + triggerCondition()
        + QStringLiteral("\n     and status <> :triggStatus");
}

void setAuditUser(db::Session& session, const QString& user)
{
    db::Query q(&session);
    q.setSql(auditUserBlock());
    q.declareVariable(QStringLiteral("UPOR"), db::BindType::String);
    q.setVariable(QStringLiteral("UPOR"), user);
    q.execute();
}

std::optional<QString> loadAuditingParam(db::Session& session)
{
    db::Query q(&session);
    q.setSql(loadAuditingQuery());
    q.execute();
    if (q.eof())
        return std::nullopt;
    return q.field(0).toString();
}

qint64 saveAuditingParam(db::Session& session, const QString& value)
{
    db::Query q(&session);
    q.setSql(saveAuditingUpdate());
    q.declareVariable(QStringLiteral("VAL"), db::BindType::String);
    q.setVariable(QStringLiteral("VAL"), value.isEmpty() ? QVariant() : QVariant(value));
    q.execute();
    return q.rowsProcessed();
}

QStringList auditTableListing(db::Session& session)
{
    QStringList lines;
    db::Query tables(&session);
    tables.setSql(auditTablesQuery());
    tables.execute();
    db::Query trigger(&session);
    trigger.setSql(auditTriggerQuery());
    trigger.declareVariable(QStringLiteral("TABELA"), db::BindType::String);
    db::Query writer(&session);
    writer.setSql(
        QStringLiteral("select t.trigger_name, t.status, t.table_name from all_triggers t, all_dependencies d\n"
                       " where t.owner = 'VOXA' and t.trigger_name like 'AUDIT%'\n"
                       "   and d.owner = t.owner and d.name = t.trigger_name and d.type = 'TRIGGER'\n"
                       "   and d.referenced_owner = 'VEXO_AUDIT' and d.referenced_name = :tabela\n"
                       " order by t.trigger_name"));
    writer.declareVariable(QStringLiteral("TABELA"), db::BindType::String);
    for (; !tables.eof(); tables.next()) {
        const QString owner = tables.field(QStringLiteral("OWNER")).toString();
        const QString table = tables.field(QStringLiteral("TABLE_NAME")).toString();
        QString base = table.mid(4);
        trigger.setVariable(QStringLiteral("TABELA"), base);
        trigger.execute();
        QString name, status;
        if (!trigger.eof()) {
            name = trigger.field(QStringLiteral("TRIGGER_NAME")).toString();
            status = trigger.field(QStringLiteral("STATUS")).toString();
        } else {
            // An audit table not named after its table: the trigger that writes into it.
            writer.setVariable(QStringLiteral("TABELA"), table);
            writer.execute();
            if (!writer.eof()) {
                name = writer.field(0).toString();
                status = writer.field(1).toString();
                base = writer.field(2).toString();
            }
            writer.close();
        }
        trigger.close();
        QString line = owner + QLatin1Char('.') + table;
        if (!name.isEmpty())
            line += QStringLiteral("\t\t") + base + QStringLiteral("\t\ttrigger:") + name + QStringLiteral(" (")
                + status + QLatin1Char(')');
        lines << line;
    }
    return lines;
}

TriggerCounts countAuditTriggers(db::Session& session)
{
    TriggerCounts c;
    db::Query q(&session);
    q.setSql(auditTriggerCountsQuery());
    q.execute();
    for (; !q.eof(); q.next()) {
        const QString status = q.field(0).toString();
        if (status == QLatin1String("ENABLED"))
            c.enabled = q.field(1).toString();
        else if (status == QLatin1String("DISABLED"))
            c.disabled = q.field(1).toString();
    }
    return c;
}

int setAuditTriggers(db::Session& session, const QString& action)
{
    QStringList names;
    {
        db::Query q(&session);
        q.setSql(auditTriggersToSwitchQuery());
        q.declareVariable(QStringLiteral("TRIGGSTATUS"), db::BindType::String);
        q.setVariable(QStringLiteral("TRIGGSTATUS"), action + QLatin1Char('D'));
        q.execute();
        for (; !q.eof(); q.next())
            names << q.field(0).toString();
    }
    int switched = 0;
    for (const QString& name : names) {
        db::Query quDyn(&session);
        quDyn.setSql(QStringLiteral("ALTER TRIGGER VOXA.") + quotedName(name) + QLatin1Char(' ') + action);
        quDyn.execute();
        ++switched;
    }
    return switched;
}

} // namespace admin
