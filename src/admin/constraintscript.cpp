// Constraint scripts.
#include "admin/constraintscript.h"

#include "admin/structuresql.h"
#include "db/oracleerror.h"
#include "db/query.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace admin {

namespace {

QString quotedList(const QStringList& names)
{
    QStringList q;
    for (const QString& n : names)
        q.append(quoteName(n));
    return q.join(QLatin1Char(','));
}

QString tableOf(const ReferencingKey& k)
{
    return QStringLiteral("alter table ") + qualifiedName(k.owner, k.table);
}

} // namespace

QList<ReferencingKey> referencingKeys(db::Session& session, const QString& owner, const QString& table)
{
    // The key's columns are read under the key's own owner, so a foreign key of another schema comes with its
    // columns; the referenced key's columns are paired with them by position.
    db::Query q(&session);
    q.setSql(QStringLiteral(
        "select fk.owner,fk.table_name,fk.constraint_name,fk.delete_rule,fk.deferrable,fk.deferred,fk.status,"
        "fk.validated,pk.owner r_owner,pk.table_name r_table,col.column_name,rc.column_name r_column\n"
        "   from all_constraints fk,all_constraints pk,all_cons_columns col,all_cons_columns rc\n"
        "  where   pk.owner= :upor and pk.table_name= :tabela and pk.constraint_type in ('P','U') and\n"
        "               fk.constraint_type='R' and fk.r_owner= pk.owner  and fk.r_constraint_name=pk.constraint_name  "
        "and\n"
        "               col.owner=fk.owner and col.constraint_name=fk.constraint_name and\n"
        "               rc.owner=pk.owner and rc.constraint_name=pk.constraint_name and rc.position=col.position\n"
        "order by fk.owner,fk.table_name,fk.constraint_name,col.position "));
    q.setVariable(QStringLiteral("upor"), owner);
    q.setVariable(QStringLiteral("tabela"), table);
    q.execute();
    QList<ReferencingKey> keys;
    for (; !q.eof(); q.next()) {
        auto f = [&](const char* name) { return q.field(QString::fromLatin1(name)).toString(); };
        if (keys.isEmpty() || keys.last().owner != f("OWNER") || keys.last().name != f("CONSTRAINT_NAME")) {
            ReferencingKey k;
            k.owner = f("OWNER");
            k.table = f("TABLE_NAME");
            k.name = f("CONSTRAINT_NAME");
            k.refOwner = f("R_OWNER");
            k.refTable = f("R_TABLE");
            k.deleteRule = f("DELETE_RULE");
            k.deferrable = f("DEFERRABLE");
            k.deferred = f("DEFERRED");
            k.status = f("STATUS");
            k.validated = f("VALIDATED");
            keys.append(k);
        }
        keys.last().columns.append(f("COLUMN_NAME"));
        keys.last().refColumns.append(f("R_COLUMN"));
    }
    return keys;
}

QString addStatement(const ReferencingKey& k)
{
    QString s = tableOf(k) + QStringLiteral(" add constraint ") + quoteName(k.name) + QStringLiteral(" foreign key(")
        + quotedList(k.columns) + QStringLiteral(") references ") + qualifiedName(k.refOwner, k.refTable)
        + QStringLiteral(" (") + quotedList(k.refColumns) + QLatin1Char(')');
    if (k.deleteRule == QLatin1String("CASCADE"))
        s += QStringLiteral(" on delete cascade");
    else if (k.deleteRule == QLatin1String("SET NULL"))
        s += QStringLiteral(" on delete set null");
    if (k.deferrable == QLatin1String("DEFERRABLE"))
        s += k.deferred == QLatin1String("DEFERRED") ? QStringLiteral(" deferrable initially deferred")
                                                     : QStringLiteral(" deferrable initially immediate");
    if (k.status == QLatin1String("DISABLED"))
        s += QStringLiteral(" disable");
    else if (k.validated == QLatin1String("NOT VALIDATED"))
        s += QStringLiteral(" enable novalidate");
    return s;
}

ConstraintScripts prepareScripts(const QList<ReferencingKey>& keys, bool dropOption)
{
    ConstraintScripts out;
    const QString slash = QStringLiteral("/");
    for (const ReferencingKey& k : keys) {
        if (dropOption) {
            out.disable << tableOf(k) + QStringLiteral(" drop constraint ") + quoteName(k.name) << slash;
            out.enable << addStatement(k) << slash;
            continue;
        }
        // A key that is off already stays off: switching it on afterwards would change the schema.
        if (k.status != QLatin1String("ENABLED"))
            continue;
        out.disable << tableOf(k) + QStringLiteral(" disable constraint ") + quoteName(k.name) << slash;
        out.enable << tableOf(k)
                + (k.validated == QLatin1String("NOT VALIDATED") ? QStringLiteral(" enable novalidate constraint ")
                                                                 : QStringLiteral(" enable constraint "))
                + quoteName(k.name)
                   << slash;
    }
    return out;
}

QString undoFileName(const QString& commentsDir, const QString& owner, const QString& table)
{
    QString name = owner + QLatin1Char('.') + table;
    for (QChar& c : name)
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.') || c == QLatin1Char('$')
                || c == QLatin1Char('#')))
            c = QLatin1Char('_');
    const QDir dir(commentsDir.isEmpty() ? QDir::currentPath() : commentsDir);
    return dir.filePath(name + QStringLiteral(".SQL"));
}

bool saveScript(const QString& fileName, const QStringList& lines, QString* error)
{
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    for (const QString& l : lines)
        f.write((l + QLatin1Char('\n')).toUtf8());
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

ScriptRun RunScriptMemo(db::Session& session, const QStringList& lines)
{
    ScriptRun run;
    db::Query q(&session);
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('/')))
            continue;
        ++run.statements;
        q.setSql(line);
        try {
            q.execute();
        } catch (const db::OracleError& e) {
            ++run.failed;
            run.errors += line + QStringLiteral("\r\n") + e.message() + QStringLiteral("\n\r\n\r");
        }
    }
    return run;
}

} // namespace admin
