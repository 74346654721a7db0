// The lock server's log messages ("Z#LOCK12#USER1#1#ROW#4711#": request code, pipe, user, a field not shown, kind
// and value, each followed by "#") as the lock window reads them: the request codes with their texts, the value
// of a message, the print listing and the listing of the locks left open in a stretch of the log.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace admin {

// A request code of the lock server, with the texts of its filter box and of the print listing.
struct LockCode {
    QString code; // "Z", "AI"
    QString filterEn, filterSlo;
    QString printText;
};
const std::vector<LockCode>& semaphoreCodes(); // Z, O, D, F, S, P, K
const std::vector<LockCode>& alarmCodes(); // AI, AB, AE, AD, AS, AA
// The print listing's text of a code; empty for an unknown one.
QString lockCodeText(const QString& code);

// The kind and value of a message: everything from its last "#" on is dropped, the last field of the rest (at most
// 200 characters) is the value and the one before it the kind. A message without "#" gives two empty parts.
struct LockMessageParts {
    QString kind, value;
};
LockMessageParts SplitLockMess(const QString& message);

// The print listing's header lines and the line of one log row.
QStringList printHeader();
QString printLine(const QString& date, const QString& message, const QString& response);

// One row of the lock log as the open-lock listing reads it.
struct LockLogRow {
    QDateTime date;
    QString dateText; // as the grid shows it
    QString message;
};

// The locks a stretch of the log leaves open: the log is walked in time order; a lock (Z) takes an entry for its
// value and connection, and notes itself in the entry of another connection that holds the value; an unlock (O, D)
// by the same connection empties the entry. One line per open lock: date, user(connection), value and the second
// connection that asked for it.
QStringList openLockListing(std::vector<LockLogRow> rows);

} // namespace admin
