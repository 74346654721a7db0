// The audit window's work on the server: the auditing parameter, the listing of the audit tables with the trigger
// that feeds each, the audit triggers' counts by status and switching them all. Only the audit triggers of the
// application's owner VOXA are counted and switched, each by its qualified name.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace db {
class Session;
}

namespace admin {

// The statements, as the window's query components hold them.
QString auditUserBlock(); // quNastaviAuditUpor
QString loadAuditingQuery(); // quLoadParamAuditing
QString saveAuditingUpdate(); // quSaveParamAuditing
QString auditTablesQuery(); // quAuditTabele
QString auditTriggerQuery(); // quAuditTrigger
QString auditTriggerCountsQuery(); // quAuditTriggON
QString auditTriggersToSwitchQuery(); // quAuditTrigg

// Throw db::OracleError.
void setAuditUser(db::Session& session, const QString& user);
// The auditing parameter; nullopt when its row does not exist.
std::optional<QString> loadAuditingParam(db::Session& session);
// The rows written (0 when the parameter row does not exist). The caller commits.
qint64 saveAuditingParam(db::Session& session, const QString& value);

// One line per audit table: OWNER.TABLE, and when an audit trigger of VOXA feeds it, the application table and the
// trigger with its status. The trigger is found by the table the audit table is named after (the name without its
// four-character prefix, however long) or else by what the trigger writes into.
QStringList auditTableListing(db::Session& session);

// The numbers of enabled and disabled audit triggers, empty when none is in that state.
struct TriggerCounts {
    QString enabled, disabled;
};
TriggerCounts countAuditTriggers(db::Session& session);

// ALTER TRIGGER ... ENABLE or DISABLE of every audit trigger not yet in that state; stops at the first failure,
// which reaches the caller (the triggers switched so far stay switched). Returns how many were switched.
int setAuditTriggers(db::Session& session, const QString& action);

} // namespace admin
