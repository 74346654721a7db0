// The lock window's statements.
#include "admin/lockhistory.h"

#include "db/dataset.h"
#include "db/query.h"
#include "shell/idremmoxutils.h"

#include <QDateTime>
#include <QRegularExpression>

namespace admin {

namespace {

QString twoDigits(const QString& typed)
{
    const QString t = typed.trimmed();
    return t.size() == 1 ? QLatin1Char('0') + t : t;
}

// "dd.mm.yyyy" and "hh:mm:ss" (or "hh:mm") read with fixed formats.
QDate readDate(const QString& text)
{
    return QDate::fromString(text.trimmed(), QStringLiteral("d.M.yyyy"));
}

QTime readTime(const QString& text)
{
    const QString t = text.trimmed();
    QTime time = QTime::fromString(t, QStringLiteral("H:m:s"));
    if (!time.isValid())
        time = QTime::fromString(t, QStringLiteral("H:m"));
    return time;
}

} // namespace

void applyBinds(db::Query& q, const BoundSql& b)
{
    q.setSql(b.sql);
    q.deleteVariables();
    for (const auto& [name, value] : b.binds) {
        q.declareVariable(name,
            value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int ? db::BindType::Integer
                                                                                      : db::BindType::String);
        q.setVariable(name, value);
    }
}

void applyBinds(db::DataSet& d, const BoundSql& b)
{
    d.setSql(b.sql);
    d.deleteVariables();
    for (const auto& [name, value] : b.binds) {
        d.declareVariable(name,
            value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int ? db::BindType::Integer
                                                                                      : db::BindType::String);
        d.setVariable(name, value);
    }
}

QString inList(const QString& typed, const QString& prefix, std::vector<std::pair<QString, QVariant>>& binds)
{
    QStringList names;
    for (const QString& item : shell::TDremmoxHelper::splitDelimited(typed, QLatin1Char(','))) {
        const QString name = prefix + QString::number(names.size() + 1);
        names << QLatin1Char(':') + name;
        binds.emplace_back(name, item.isEmpty() ? QVariant() : QVariant(item));
    }
    return names.join(QLatin1Char(','));
}

BoundSql semaphoreListQuery(const QString& conn, const QString& user, const QString& type, const QString& content)
{
    BoundSql b;
    const QString line2 = user.trimmed().isEmpty()
        ? QString()
        : QStringLiteral(" user_sem in (") + inList(user, QStringLiteral("UPOR"), b.binds) + QStringLiteral(") and");
    const QString line3 = conn.trimmed().isEmpty()
        ? QString()
        : QStringLiteral(" conn_sem in (") + inList(conn, QStringLiteral("CONN"), b.binds) + QStringLiteral(") and");
    b.sql = QStringList { QStringLiteral("select conn_sem, user_sem, seja_sem, datumsem, tip__sem, vred_sem, uusersem, "
                                         "udatusem from voxa.vexosemaphor"),
        QStringLiteral("where "), line2, line3, QStringLiteral("             tip__sem like :tip and"),
        QStringLiteral("             vred_sem like :vred"), QStringLiteral("             order by datumsem desc") }
                .join(QLatin1Char('\n'));
    b.binds.emplace_back(QStringLiteral("TIP"), type + QLatin1Char('%'));
    b.binds.emplace_back(QStringLiteral("VRED"), content + QLatin1Char('%'));
    return b;
}

BoundSql alarmListQuery(const QString& conn, const QString& type, const QString& content)
{
    BoundSql b;
    b.sql = QStringLiteral("select  substr(pipename,6) conn ,tip__alm,vred_alm  from voxa.vexo_alm\n"
                           "where  (:conn='ALARM0' or pipename=:conn) and\n"
                           "             tip__alm like :tip and\n"
                           "             vred_alm like :vred");
    const QString c = conn.trimmed();
    b.binds.emplace_back(QStringLiteral("CONN"), QStringLiteral("ALARM") + (c.isEmpty() ? QStringLiteral("0") : c));
    b.binds.emplace_back(QStringLiteral("TIP"), type + QLatin1Char('%'));
    b.binds.emplace_back(QStringLiteral("VRED"), content + QLatin1Char('%'));
    return b;
}

QString connectionCountQuery(bool alarms)
{
    return alarms ? QStringLiteral("  select * from    (select substr(pipename,6) conn,count(*) stevilo from "
                                   "voxa.vexo_alm      group by substr(pipename,6))order by stevilo desc ")
                  : QStringLiteral("  select * from    (select conn_sem conn,count(*) stevilo from voxa.vexosemaphor  "
                                   "    group by conn_sem)order by stevilo desc ");
}

QString totalCountQuery(bool alarms)
{
    return alarms ? QStringLiteral("select count(*) stevilo from voxa.vexo_alm")
                  : QStringLiteral("select count(*) stevilo from voxa.vexosemaphor");
}

HistoryQuery historyQuery(const HistoryFilter& f, const QDate& today, const QString& wrongDate)
{
    HistoryQuery r;
    if (f.date.trimmed().isEmpty()) {
        r.error = QStringLiteral("Datum ne sme biti prazen!");
        return r;
    }
    if (f.timeFrom.trimmed().isEmpty()) {
        r.error = QStringLiteral("Ura od ne sme biti prazna!");
        return r;
    }
    const QDate day = readDate(f.date);
    const QTime from = readTime(f.timeFrom);
    const QTime to = f.timeTo.trimmed().isEmpty() ? QTime() : readTime(f.timeTo);
    if (!day.isValid() || !from.isValid() || (!f.timeTo.trimmed().isEmpty() && !to.isValid())) {
        r.error = wrongDate;
        return r;
    }
    auto& binds = r.query.binds;
    QString vrsta;
    for (const QString& code : f.checkedCodes)
        vrsta += code + QLatin1Char('#');
    binds.emplace_back(QStringLiteral("VRSTA"), vrsta.isEmpty() ? QStringLiteral("*") : vrsta);
    binds.emplace_back(QStringLiteral("DOL"), qint64(f.alarms ? 3 : 2));
    const QString line5 = f.conn.trimmed().isEmpty()
        ? QString()
        : QStringLiteral(" lockConn in (") + inList(f.conn, QStringLiteral("LCONN"), binds) + QStringLiteral(") and");
    binds.emplace_back(QStringLiteral("TIP"),
        f.type.trimmed().isEmpty() ? QStringLiteral("*") : QLatin1Char('#') + f.type + QLatin1Char('#'));
    binds.emplace_back(QStringLiteral("VRED"), f.value.isEmpty() ? QStringLiteral("*") : f.value);
    // The period: the day and the moment it starts, and the moment it ends when one is given.
    QString line8 = QStringLiteral(" trunc(lockdate)>=to_date(:dan_od, 'DD.MM.YYYY') and  lockdate >= "
                                   "to_date(:cas_od, 'DD.MM.YYYY HH24:MI:SS') and ");
    binds.emplace_back(QStringLiteral("DAN_OD"), day.toString(QStringLiteral("dd.MM.yyyy")));
    binds.emplace_back(QStringLiteral("CAS_OD"), QDateTime(day, from).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
    if (to.isValid()) {
        line8 += QStringLiteral(" trunc(lockdate) <= to_date(:dan_do, 'DD.MM.YYYY') + 1 and lockdate <= "
                                "to_date(:cas_do, 'DD.MM.YYYY HH24:MI:SS') and ");
        binds.emplace_back(QStringLiteral("DAN_DO"), day.toString(QStringLiteral("dd.MM.yyyy")));
        binds.emplace_back(
            QStringLiteral("CAS_DO"), QDateTime(day, to).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
    }
    bool numeric = false;
    const qint64 traja = f.minDuration.trimmed().toLongLong(&numeric);
    binds.emplace_back(QStringLiteral("TRAJA"), numeric ? traja : qint64(0));
    const QString line10 = f.user.trimmed().isEmpty()
        ? QString()
        : QStringLiteral(" and lockUser in (") + inList(f.user, QStringLiteral("LUSER"), binds) + QLatin1Char(')');
    // Periods that start a month or more back come unordered: sorting them would take too long.
    const QString line11
        = day > today.addMonths(-1) ? QStringLiteral(" order by LockDate desc, lockmess") : QStringLiteral(" and 1=1");
    r.query.sql = QStringList { QStringLiteral("select /*+ first_rows */ lockDate,lockMess,lockResp,"),
        QStringLiteral("(lockrespdate-lockdate)* (24*60*60) durationInSec, lockHash, lockUser, lockSeja, lockConn, "
                       "lockseri"),
        QStringLiteral("  from vexo_util.vexo_lock"), QStringLiteral("where "),
        QStringLiteral("     (:vrsta='*' or instr(:vrsta,substr(lockmess,1,:dol))>0 ) and "), line5,
        QStringLiteral("     (:tip='*' or instr(lockmess,:tip)>0 ) and "),
        QStringLiteral("     (:vred='*' or instr(lockmess,:vred)>0) and"), line8,
        QStringLiteral("     (:traja=0 or lockrespdate-lockdate>=:traja/(24*60*60)) "), line10, line11, QString(),
        QString() }
                      .join(QLatin1Char('\n'));
    return r;
}

HistoryQuery perMinuteQuery(const PerMinuteFilter& f, const QString& wrongDate, const QString& wrongNumber)
{
    HistoryQuery r;
    bool numeric = false;
    const qint64 number = f.number.trimmed().toLongLong(&numeric);
    const QString from
        = f.date.trimmed() + QLatin1Char(' ') + twoDigits(f.fromHour) + QLatin1Char(':') + twoDigits(f.fromMinute);
    const QString to
        = f.date.trimmed() + QLatin1Char(' ') + twoDigits(f.toHour) + QLatin1Char(':') + twoDigits(f.toMinute);
    static const QRegularExpression moment(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d$"));
    if (!numeric || !moment.match(from).hasMatch() || !moment.match(to).hasMatch()) {
        r.error = !numeric ? wrongNumber : wrongDate;
        return r;
    }
    r.query.sql = QStringList { QStringLiteral("select to_char(lockDate,'DD.MM.YYYY HH24:MI') cas, count(*) stevilo"),
        QStringLiteral("from vexo_util.vexo_lock"), QStringLiteral("where"),
        QStringLiteral("  to_char(lockdate,'DD.MM.YYYY HH24:MI')>=:datumOd and "),
        QStringLiteral("  to_char(lockDate,'DD.MM.YYYY HH24:MI')<=:datumDo and"),
        QStringLiteral("  (  (:tipAlarm='D' and substr(lockmess,1,1)='A' )  or"),
        QStringLiteral("     (:tipSem='D' and substr(lockmess,1,1)<>'A' )  ) "),
        QStringLiteral("group by to_char(lockDate,'DD.MM.YYYY HH24:MI')"),
        QStringLiteral("having (:tip='VECJE' and  count(*)>=:stev) or (:tip='MANJSE' and count(*)<=:stev) ") }
                      .join(QLatin1Char('\n'));
    auto& b = r.query.binds;
    b.emplace_back(QStringLiteral("DATUMOD"), from);
    b.emplace_back(QStringLiteral("DATUMDO"), to);
    b.emplace_back(QStringLiteral("TIPALARM"), f.alarms ? QStringLiteral("D") : QStringLiteral("N"));
    b.emplace_back(QStringLiteral("TIPSEM"), f.semaphores ? QStringLiteral("D") : QStringLiteral("N"));
    b.emplace_back(QStringLiteral("TIP"), f.atLeast ? QStringLiteral("VECJE") : QStringLiteral("MANJSE"));
    b.emplace_back(QStringLiteral("STEV"), number);
    return r;
}

QStringList perMinuteLines(const std::vector<std::pair<QString, qint64>>& rows)
{
    QStringList lines;
    qint64 total = 0;
    int n = 0;
    for (const auto& [minute, count] : rows) {
        lines << minute + QStringLiteral("\t\t\t") + QString::number(count);
        total += count;
        if (++n % 10 == 0)
            lines << QString();
    }
    lines << QString() << QString(42, QLatin1Char('_')) << QStringLiteral("  SKUPAJ : ") + QString::number(total);
    return lines;
}

QStringList lastLockTimeQueries()
{
    const QString head = QStringLiteral("select /*+ first_rows */to_char(max(vexo_util.vexo_lock.lockdate) -(15/1440),"
                                        "'HH24:MI') as TIME, to_char(max(vexo_util.vexo_lock.lockdate),'DD.MM.YYYY') "
                                        "as LDATE from vexo_util.vexo_lock where trunc(lockdate)>=trunc(sysdate) ");
    return { head, head + QStringLiteral("-30"), head + QStringLiteral("-365"),
        QStringLiteral("select to_char(max(vexo_util.vexo_lock.lockdate) -(15/1440),'HH24:MI') as TIME, "
                       "to_char(max(vexo_util.vexo_lock.lockdate),'DD.MM.YYYY') as LDATE from vexo_util.vexo_lock") };
}

} // namespace admin
