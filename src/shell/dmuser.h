// The application-user check of the lock and audit windows: before they save application parameters the session
// must carry an application user, which the server sets from the user table when the logon user is listed there.
// The statements run on the main session; the decision is kept apart so it can be followed without a server.
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace db {
class Session;
}

namespace shell {

class TdmUsers {
public:
    static constexpr const char* quUser = "select VOXA.pckLogParam.getUser from dual";
    static constexpr const char* quUserLogin = "BEGIN\nVOXA.pckLogParam.initParam(:USERDEF1);\nEND;";
    static constexpr const char* quExistsISEC_USERS = "SELECT * FROM all_tables where table_name = 'ISEC_USERS'";
    static constexpr const char* quExistUserInISEC_USERS = "select USER__ID, USERNAME, USERDEF1\n"
                                                           "from VOXA.ISEC_USERS\n"
                                                           "where UPPER(USERNAME)=UPPER(:USERNAME)";

    // The four statements as the decision needs them; each may throw the server's error to the caller.
    struct Statements {
        std::function<bool()> sessionHasUser; // quUser: GETUSER is not null
        std::function<bool()> userTableExists; // quExistsISEC_USERS returns a row
        // quExistUserInISEC_USERS for the logon user: USERDEF1 of the row whose USER__ID is not null, or nothing.
        std::function<std::optional<QString>(const QString& userName)> userDef1Of;
        std::function<void(const QString& userDef1)> initParam; // quUserLogin
    };

    // True when the session has an application user or was just given one; false when the user table does not
    // exist or does not list the logon user, and then no block runs.
    static bool CanSaveParam(const Statements& statements, const QString& logonUser);
    // The same on the session's server with its logon user. Server errors reach the caller.
    static bool CanSaveParam(db::Session& session);
};

} // namespace shell
