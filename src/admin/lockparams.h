// The application's locking parameters (valid rows of VOXA.PR107PAR) and the job queue's process count, as the lock
// window's parameter page loads and saves them.
#pragma once

#include <QString>
#include <QStringList>

namespace db {
class Session;
}

namespace admin {

// The single-valued parameters in the order they are saved, and the one only loaded (aiLockingMode).
QStringList savedLockParams(); // LockEnabled, AlarmEnabled, aiLockingDurationTime, aiLockingCleaningPeriod, ...
inline constexpr const char* kLockingMode = "aiLockingMode";

// quLocking: every locking-mode row, one per application and user, editable by ROWID.
QString lockingModeQuery();

// The value of a parameter (first valid row), empty when there is none. Throws db::OracleError.
QString LoadLockParam(db::Session& session, const QString& attribute);
// The rows written. Throws db::OracleError.
qint64 SaveLockParam(db::Session& session, const QString& attribute, const QString& value);
qint64 SaveLockParamByKey(db::Session& session, qint64 sifra107, const QString& value);

// job_queue_processes as V$PARAMETER shows it, and ALTER SYSTEM SET of a new value (digits only; anything else is
// refused before it reaches the server). Throw db::OracleError.
QString jobQueueProcesses(db::Session& session);
void setJobQueueProcesses(db::Session& session, const QString& value);

// Whether a lock duration may be saved: an integer of at least 10 minutes.
bool validLockDuration(const QString& text);

} // namespace admin
