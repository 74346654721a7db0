// The statements of the lock window's lists, built from what the user typed: the semaphore and alarm lists, the
// lock log's history with its filters and period, and the per-minute counts. Every typed value is a bind variable;
// dates and times are read and converted with explicit formats, never the session's.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <utility>
#include <vector>

namespace db {
class Query;
class DataSet;
} // namespace db

namespace admin {

// A statement and the text values of its bind variables.
struct BoundSql {
    QString sql;
    std::vector<std::pair<QString, QVariant>> binds;
};
void applyBinds(db::Query& q, const BoundSql& b);
void applyBinds(db::DataSet& d, const BoundSql& b);

// The items of a typed list ("12, 15") as bind variables :PREFIX1, :PREFIX2 ... added to `binds`, joined as they
// stand between the parentheses of an IN condition.
QString inList(const QString& typed, const QString& prefix, std::vector<std::pair<QString, QVariant>>& binds);

// The semaphore list (quList) with its user and connection filters and the type and content patterns.
BoundSql semaphoreListQuery(const QString& conn, const QString& user, const QString& type, const QString& content);
// The alarm list (quVexo_alm) of one connection (every connection when none is typed).
BoundSql alarmListQuery(const QString& conn, const QString& type, const QString& content);
// The counts per connection (quConnStevilo) and the total.
QString connectionCountQuery(bool alarms);
QString totalCountQuery(bool alarms);

// The history's filters as the page holds them.
struct HistoryFilter {
    bool alarms = false;
    QStringList checkedCodes; // the codes of the checked boxes, in the boxes' order
    QString conn, type, value, user;
    QString date; // dd.mm.yyyy
    QString timeFrom, timeTo; // hh:mm:ss or hh:mm
    QString minDuration; // seconds
};

// The history statement (quLog), or the error the page shows: "Datum ne sme biti prazen!", "Ura od ne sme biti
// prazna!", or, for a date or time that cannot be read, `wrongDate`.
struct HistoryQuery {
    BoundSql query;
    QString error;
};
HistoryQuery historyQuery(const HistoryFilter& f, const QDate& today, const QString& wrongDate);

// The per-minute counts (quDetStat) of one day between two minutes; hours and minutes are written with two digits.
struct PerMinuteFilter {
    QString date; // dd.mm.yyyy
    QString fromHour, fromMinute, toHour, toMinute;
    QString number;
    bool atLeast = true; // ">=" (VECJE), else "<=" (MANJSE)
    bool semaphores = true, alarms = true;
};
// The statement, or `wrongNumber` for a count that is no number and `wrongDate` for a day or minute that cannot be
// read.
HistoryQuery perMinuteQuery(const PerMinuteFilter& f, const QString& wrongDate, const QString& wrongNumber);
// The lines of the results page for the counts: per row the minute and count, an empty line after every tenth
// row, then the total.
QStringList perMinuteLines(const std::vector<std::pair<QString, qint64>>& rows);

// The four texts of quLastLockTime, tried in turn.
QStringList lastLockTimeQueries();

} // namespace admin
