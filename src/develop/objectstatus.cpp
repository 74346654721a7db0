#include "develop/objectstatus.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "develop/plsqlcompile.h"

namespace develop {

QStringList invalidListLines()
{
    return {
        QStringLiteral("select object_name,object_type||'     ' object_type,status,"),
        QStringLiteral("substr(timestamp,9,2)||'.'||substr(timestamp,6,2)||'.'||substr(timestamp,1,4)||'  '||"
                       "substr(timestamp,12,5)||"),
        QStringLiteral("'                ' last_modification ,timestamp,"),
        QStringLiteral("decode(object_Name,'GETSEQUENCE','@',"),
        QStringLiteral("decode(object_type,'PACKAGE','A',"),
        QStringLiteral("decode(object_type,'PACKAGE BODY','B','C'))) poz"),
        QStringLiteral("from all_objects"),
        QStringLiteral("where  owner=:lastnik and "),
        QStringLiteral("(:stat like 'ALL' or status='INVALID' )  and (:ime is null  or object_name like :ime) and "),
        QStringLiteral("object_type in ('FUNCTION','PACKAGE','PACKAGE BODY','PROCEDURE','TRIGGER','VIEW')"),
    };
}

QString invalidListQuery(const QString& orderBy)
{
    return (invalidListLines() << orderBy).join(QStringLiteral("\r\n"));
}

namespace {

QString qualified(const ListedObject& object)
{
    return quoteIdentifier(object.owner) + QLatin1Char('.') + quoteIdentifier(object.name);
}

} // namespace

QString alterCompileStatement(const ListedObject& object)
{
    QString typeWord = object.type;
    QString suffix;
    if (object.type.startsWith(QLatin1String("PACKAGE"))) {
        suffix = object.type.size() == 7 ? QStringLiteral("PACKAGE") : QStringLiteral("BODY");
        typeWord = QStringLiteral("PACKAGE");
    }
    return QStringLiteral("ALTER ") + typeWord + QLatin1Char(' ') + qualified(object) + QStringLiteral(" COMPILE ")
        + suffix;
}

QString dropStatement(const ListedObject& object)
{
    return QStringLiteral("DROP ") + object.type + QLatin1Char(' ') + qualified(object);
}

ObjectCompile compileObject(db::Session& session, const ListedObject& object)
{
    ObjectCompile out;
    try {
        db::Query alter(&session);
        alter.setSql(alterCompileStatement(object));
        alter.execute();
        // A compile that left no error behind reports none; only one with errors may have left the object INVALID.
        if (!alter.warning() || alter.warning()->code() != 24344)
            return out;
        db::Query check(&session);
        check.setSql(QString::fromLatin1(checkInvalidQuery));
        check.setVariable(QStringLiteral("lastnik"), object.owner);
        check.setVariable(QStringLiteral("ime"), object.name);
        check.setVariable(QStringLiteral("tip"), object.type);
        check.execute();
        out.stillInvalid = !check.eof();
    } catch (const db::OracleError& e) {
        out.refused = true;
        out.message = e.message();
    }
    return out;
}

CompileAllOutcome compileAllObjects(const QVector<ListedObject>& objects, const CompileAllSteps& steps)
{
    CompileAllOutcome out;
    for (const ListedObject& object : objects) {
        if (steps.cancelled && steps.cancelled()) {
            out.cancelled = true;
            break;
        }
        if (steps.pump)
            steps.pump();
        // A tick that came with the messages counts before the object, as it would have a moment later.
        if (steps.cancelled && steps.cancelled()) {
            out.cancelled = true;
            break;
        }
        const ObjectCompile result = steps.compile(object);
        ++out.compiled;
        if (result.refused)
            ++out.refused;
        if (result.stillInvalid)
            ++out.stillInvalid;
        if (steps.compiled)
            steps.compiled(object, result);
    }
    return out;
}

bool recompileInRounds(const RecompileRounds& rounds)
{
    for (int round = 0; round < 3; ++round) {
        const int rows = rounds.reread();
        if (rounds.pump)
            rounds.pump();
        if (rows > 0)
            rounds.compileAll();
    }
    for (int check = 0; check < 10; ++check) {
        if (rounds.reread() == 0)
            return true;
        if (rounds.pump)
            rounds.pump();
    }
    return false;
}

QString errorsCommandOwner(const QString& parameter, const QString& connUser)
{
    if (parameter.isEmpty() || parameter.compare(QLatin1String("AUDIT"), Qt::CaseInsensitive) == 0)
        return connUser;
    return parameter;
}

} // namespace develop
