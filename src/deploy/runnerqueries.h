// The statements of the command runner and the several-installations run on the main session: the audit-host check
// of CONNECT ... VEXOAUDT, the last-version check, and the installation table (its rows, a run's status, the
// installation of a user). Each throws db::OracleError when the server refuses it.
#pragma once

#include "deploy/commandrun.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace db {
class Session;
}

namespace deploy {

inline constexpr const char* auditHostQuery
    = "SELECT SUM(NUM) NUM FROM (SELECT COUNT(*) AS NUM FROM DBA_DB_LINKS WHERE owner = 'VOXA' AND DB_LINK = "
      "'VEXOAUDT' UNION ALL SELECT COUNT(*) AS NUM FROM voxa.audit_params WHERE dblink_n IS NOT NULL)";
// VOXA's link VEXOAUDT and an audit link in VOXA.AUDIT_PARAMS both exist (NUM is 2).
bool auditHostReady(db::Session& session);

// Whether one of the scripts has an executed row; the names are compared whole (V2 does not match XV2), and only
// the owner's rows count when an owner is given.
QString lastVersionQuery(bool owner);
bool lastVersionExecuted(db::Session& session, const QStringList& names, const QString& owner);

// The first row of a script (of the owner, when one is given) that failed: its counter and the server's message.
struct ScriptError {
    int counter = 0;
    QString error;
};
std::optional<ScriptError> firstScriptError(db::Session& session, const QString& script, const QString& owner);

// The registered installations in USERINDEX order.
inline constexpr const char* installationsQuery = "select * from VEXO_UTIL.VEXO_INSTALATIONS order by userIndex";
std::vector<Installation> readInstallations(db::Session& session);

// Records a run's status and date ("DD.MM.YYYY HH24:MI:SS") in an installation's row and commits.
inline constexpr const char* installationStatusUpdate
    = "update vexo_util.vexo_instalations\n"
      "   set  lastScriptStatus=:status, lastScriptDate=to_date(:datum,'DD.MM.YYYY HH24:MI:SS')\n"
      "where userIndex=:upor";
void saveInstallationStatus(db::Session& session, int index, const QString& status, const QString& date);

// The installation a user belongs to: as one of its end users, or as one of its two schema users.
inline constexpr const char* installationOfUserQuery
    = "select instance, userIndex, user_VOXA, USER_BILDOR, pass_voxa, pass_bildor\n"
      "  from VEXO_UTIL.VEXO_INSTALATIONS\n"
      " where userIndex in (select userIndex from VEXO_UTIL.VEXO_INST_USERS where username = :upor)\n"
      "union\n"
      "select instance, userIndex, user_VOXA, USER_BILDOR, pass_voxa, pass_bildor\n"
      "  from VEXO_UTIL.VEXO_INSTALATIONS\n"
      " where user_voxa = :upor or user_bildor = :upor";
std::optional<Installation> installationOfUser(db::Session& session, const QString& user);

// "select * from VEXO_UTIL.VEXO_INSTALATIONS" opens: false when the server refuses it.
bool installationsTableOpens(db::Session& session);

} // namespace deploy
