#include "shell/dmuser.h"

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

} // namespace shell
