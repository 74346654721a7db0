#include "shell/dmuser.h"

#include "db/query.h"
#include "db/session.h"

namespace shell {

bool TdmUsers::CanSaveParam(const Statements& statements, const QString& logonUser)
{
    if (statements.sessionHasUser())
        return true;
    if (!statements.userTableExists())
        return false;
    const std::optional<QString> userDef1 = statements.userDef1Of(logonUser);
    if (!userDef1)
        return false;
    statements.initParam(*userDef1);
    return true;
}

bool TdmUsers::CanSaveParam(db::Session& session)
{
    Statements s;
    s.sessionHasUser = [&session] {
        db::Query userQuery(&session);
        userQuery.setSql(QString::fromLatin1(quUser));
        userQuery.execute();
        return !userQuery.eof() && !userQuery.fieldIsNull(0);
    };
    s.userTableExists = [&session] {
        db::Query existsQuery(&session);
        existsQuery.setSql(QString::fromLatin1(quExistsISEC_USERS));
        existsQuery.execute();
        return !existsQuery.eof();
    };
    s.userDef1Of = [&session](const QString& userName) -> std::optional<QString> {
        db::Query userInQuery(&session);
        userInQuery.setSql(QString::fromLatin1(quExistUserInISEC_USERS));
        userInQuery.declareVariable(QStringLiteral("USERNAME"), db::BindType::String);
        userInQuery.setVariable(QStringLiteral("USERNAME"), userName);
        userInQuery.execute();
        if (userInQuery.eof() || userInQuery.fieldIsNull(QStringLiteral("USER__ID")))
            return std::nullopt;
        return userInQuery.field(QStringLiteral("USERDEF1")).toString();
    };
    s.initParam = [&session](const QString& userDef1) {
        db::Query loginQuery(&session);
        loginQuery.setSql(QString::fromLatin1(quUserLogin));
        loginQuery.declareVariable(QStringLiteral("USERDEF1"), db::BindType::String);
        loginQuery.setVariable(QStringLiteral("USERDEF1"), userDef1);
        loginQuery.execute();
    };
    return CanSaveParam(s, session.userName());
}

} // namespace shell
