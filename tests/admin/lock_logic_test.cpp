// The lock window's reading of the lock server's log and the statements it builds from what the user typed.
#include "admin/lockhistory.h"
#include "admin/lockmessage.h"
#include "admin/lockparams.h"

#include <gtest/gtest.h>

// Texts in failure messages as text.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

QString bindValue(const admin::BoundSql& b, const char* name)
{
    for (const auto& [n, v] : b.binds)
        if (n == QLatin1String(name))
            return v.toString();
    return QStringLiteral("<none>");
}

TEST(LockMessage, SplitTakesKindAndValueBeforeTheLastHash)
{
    struct Case {
        const char* message;
        const char* kind;
        const char* value;
    };
    const Case cases[] = {
        { "Z#LOCK12#USER1#1#ROW#4711#", "ROW", "4711" },
        { "Z#LOCK12#USER1#1#ROW#4711", "1", "ROW" },
        { "no hash at all", "", "" },
        { "#", "", "" },
        { "AI#ALARM15#AKR#0#ORDERS#1003#", "ORDERS", "1003" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const admin::LockMessageParts p = admin::SplitLockMess(QString::fromLatin1(c.message));
        EXPECT_EQ(p.kind, QLatin1String(c.kind));
        EXPECT_EQ(p.value, QLatin1String(c.value));
    }
}

TEST(LockMessage, PrintLineNamesTheRequestAndTheConnection)
{
    EXPECT_EQ(admin::printLine(QStringLiteral("01.02.2024 10:00:00"), QStringLiteral("Z#LOCK12#MNO#0#ORDERS#1001#"),
                  QStringLiteral("OK")),
        QStringLiteral("01.02.2024 10:00:00\t\tLock  \t12 \tMNO \tORDERS \t1001 \t \t\tOK"));
    EXPECT_EQ(admin::printLine(QStringLiteral("d"), QStringLiteral("AI#ALARM15#AKR#0#CUSTOMERS#3#"), {}),
        QStringLiteral("d\t\tNotify Interest \t15 \tAKR \tCUSTOMERS \t3 \t \t\t"));
    const QStringList header = admin::printHeader();
    ASSERT_EQ(header.size(), 2);
    EXPECT_TRUE(header[0].startsWith(QStringLiteral("DATE    \t\t\tTYPE\tCONN\tUSER\tKIND\tVALUE")));
    EXPECT_EQ(header[1], QString(220, QLatin1Char('-')));
}

admin::LockLogRow row(const char* when, const char* message)
{
    admin::LockLogRow r;
    r.date = QDateTime::fromString(QString::fromLatin1(when), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    r.dateText = QString::fromLatin1(when);
    r.message = QString::fromLatin1(message);
    return r;
}

TEST(LockMessage, OpenLocksAreThoseNotUnlockedInTimeOrder)
{
    // Given newest first, as the history shows the log: the unlock of 4711 came after its lock.
    std::vector<admin::LockLogRow> rows = {
        row("2024-02-01 10:05:00", "O#LOCK12#MNO#0#ROW#4711#"),
        row("2024-02-01 10:04:00", "Z#LOCK15#AKR#0#ROW#4711#"),
        row("2024-02-01 10:03:00", "Z#LOCK12#MNO#0#ROW#5000#"),
        row("2024-02-01 10:01:00", "Z#LOCK12#MNO#0#ROW#4711#"),
    };
    const QStringList lines = admin::openLockListing(rows);
    // The lock of 5000 stays open; AKRALJ asked for 4711 while MNOVAK held it, which MNOVAK's line shows, and
    // AKRALJ's own lock stays open. An unlock empties only an entry no second connection asked for.
    ASSERT_EQ(lines.size(), 3) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("2024-02-01 10:01:00 \tMNO(12)  \t4711  \tAKR(15)  2024-02-01 10:04:00"));
    EXPECT_EQ(lines[1], QStringLiteral("2024-02-01 10:03:00 \tMNO(12)  \t5000  \t()  "));
    EXPECT_EQ(lines[2], QStringLiteral("2024-02-01 10:04:00 \tAKR(15)  \t4711  \t()  "));

    // A lock and its unlock by the same connection leave nothing.
    EXPECT_TRUE(admin::openLockListing(
        { row("2024-02-01 10:00:00", "Z#LOCK12#MNO#0#ROW#1#"), row("2024-02-01 10:00:01", "D#LOCK12#MNO#0#ROW#1#") })
                    .isEmpty());
}

TEST(LockMessage, OpenLockListingHasNoFixedLimit)
{
    std::vector<admin::LockLogRow> rows;
    const QDateTime start = QDateTime::fromString(QStringLiteral("2024-02-01 00:00:00"), Qt::ISODate);
    for (int i = 0; i < 2500; ++i) {
        admin::LockLogRow r;
        r.date = start.addSecs(i);
        r.dateText = r.date.toString(Qt::ISODate);
        r.message = QStringLiteral("Z#LOCK12#MNO#0#ROW#%1#").arg(i);
        rows.push_back(r);
    }
    EXPECT_EQ(admin::openLockListing(rows).size(), 2500);
}

TEST(LockHistory, TypedValuesAreBindsNeverSql)
{
    admin::HistoryFilter f;
    f.conn = QStringLiteral("12, 15");
    f.user = QStringLiteral("MNO'--");
    f.type = QStringLiteral("ROW");
    f.date = QStringLiteral("01.02.2024");
    f.timeFrom = QStringLiteral("10:00:00");
    const admin::HistoryQuery q = admin::historyQuery(f, QDate(2024, 2, 10), QStringLiteral("bad"));
    ASSERT_TRUE(q.error.isEmpty()) << q.error.toStdString();
    EXPECT_TRUE(q.query.sql.contains(QStringLiteral(" lockConn in (:LCONN1,:LCONN2) and")));
    EXPECT_TRUE(q.query.sql.contains(QStringLiteral(" and lockUser in (:LUSER1)")));
    EXPECT_FALSE(q.query.sql.contains(QStringLiteral("MNO")));
    EXPECT_EQ(bindValue(q.query, "LCONN2"), QStringLiteral("15"));
    EXPECT_EQ(bindValue(q.query, "LUSER1"), QStringLiteral("MNO'--"));
    // A type filter ROW keeps only messages holding #ROW#; no code box checked passes every code.
    EXPECT_EQ(bindValue(q.query, "TIP"), QStringLiteral("#ROW#"));
    EXPECT_EQ(bindValue(q.query, "VRSTA"), QStringLiteral("*"));
    EXPECT_EQ(bindValue(q.query, "VRED"), QStringLiteral("*"));
    EXPECT_EQ(bindValue(q.query, "CAS_OD"), QStringLiteral("01.02.2024 10:00:00"));
    EXPECT_EQ(bindValue(q.query, "DAN_DO"), QStringLiteral("<none>"));
    EXPECT_TRUE(q.query.sql.contains(QStringLiteral("to_date(:cas_od, 'DD.MM.YYYY HH24:MI:SS')")));
    EXPECT_TRUE(q.query.sql.contains(QStringLiteral(" order by LockDate desc, lockmess")));
}

TEST(LockHistory, CodesPeriodAndOrder)
{
    admin::HistoryFilter f;
    f.alarms = true;
    f.checkedCodes = { QStringLiteral("AI"), QStringLiteral("AB") };
    f.date = QStringLiteral("1.12.2023");
    f.timeFrom = QStringLiteral("8:05");
    f.timeTo = QStringLiteral("17:30:00");
    f.minDuration = QStringLiteral("5");
    const admin::HistoryQuery q = admin::historyQuery(f, QDate(2024, 2, 10), QStringLiteral("bad"));
    ASSERT_TRUE(q.error.isEmpty());
    EXPECT_EQ(bindValue(q.query, "VRSTA"), QStringLiteral("AI#AB#"));
    EXPECT_EQ(bindValue(q.query, "DOL"), QStringLiteral("3"));
    EXPECT_EQ(bindValue(q.query, "CAS_OD"), QStringLiteral("01.12.2023 08:05:00"));
    EXPECT_EQ(bindValue(q.query, "CAS_DO"), QStringLiteral("01.12.2023 17:30:00"));
    EXPECT_EQ(bindValue(q.query, "TRAJA"), QStringLiteral("5"));
    // A period that starts more than a month back comes unordered.
    EXPECT_TRUE(q.query.sql.contains(QStringLiteral("\n and 1=1\n")));
}

TEST(LockHistory, MissingOrUnreadablePeriodIsRefused)
{
    struct Case {
        const char* date;
        const char* from;
        const char* to;
        const char* error;
    };
    const Case cases[] = {
        { "", "10:00", "", "Datum ne sme biti prazen!" },
        { "01.02.2024", "", "", "Ura od ne sme biti prazna!" },
        { "31.02.2024", "10:00", "", "Wrong DATE !" },
        { "01.02.2024", "25:00", "", "Wrong DATE !" },
        { "01.02.2024", "10:00", "x", "Wrong DATE !" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        admin::HistoryFilter f;
        f.date = QString::fromLatin1(c.date);
        f.timeFrom = QString::fromLatin1(c.from);
        f.timeTo = QString::fromLatin1(c.to);
        EXPECT_EQ(admin::historyQuery(f, QDate(2024, 2, 10), QStringLiteral("Wrong DATE !")).error,
            QString::fromUtf8(c.error));
    }
}

TEST(LockHistory, SemaphoreAndAlarmListsBindTheirFilters)
{
    const admin::BoundSql list = admin::semaphoreListQuery(
        QStringLiteral("12,15"), QStringLiteral("MNO"), QStringLiteral("ORD"), QStringLiteral("10"));
    EXPECT_TRUE(list.sql.contains(QStringLiteral(" user_sem in (:UPOR1) and\n conn_sem in (:CONN1,:CONN2) and")));
    EXPECT_EQ(bindValue(list, "TIP"), QStringLiteral("ORD%"));
    EXPECT_EQ(bindValue(list, "VRED"), QStringLiteral("10%"));
    const admin::BoundSql plain = admin::semaphoreListQuery({}, {}, {}, {});
    EXPECT_TRUE(plain.sql.contains(QStringLiteral("where \n\n\n             tip__sem like :tip and")));

    EXPECT_EQ(bindValue(admin::alarmListQuery({}, {}, {}), "CONN"), QStringLiteral("ALARM0"));
    EXPECT_EQ(bindValue(admin::alarmListQuery(QStringLiteral(" 15 "), {}, {}), "CONN"), QStringLiteral("ALARM15"));
}

TEST(LockHistory, PerMinuteBoundsHaveTwoDigits)
{
    admin::PerMinuteFilter f;
    f.date = QStringLiteral("01.02.2024");
    f.fromHour = QStringLiteral("9");
    f.fromMinute = QStringLiteral("5");
    f.toHour = QStringLiteral("16");
    f.toMinute = QStringLiteral("0");
    f.number = QStringLiteral("3");
    f.atLeast = false;
    f.alarms = false;
    const admin::HistoryQuery q = admin::perMinuteQuery(f, QStringLiteral("date"), QStringLiteral("number"));
    ASSERT_TRUE(q.error.isEmpty());
    EXPECT_EQ(bindValue(q.query, "DATUMOD"), QStringLiteral("01.02.2024 09:05"));
    EXPECT_EQ(bindValue(q.query, "DATUMDO"), QStringLiteral("01.02.2024 16:00"));
    EXPECT_EQ(bindValue(q.query, "TIP"), QStringLiteral("MANJSE"));
    EXPECT_EQ(bindValue(q.query, "TIPALARM"), QStringLiteral("N"));
    EXPECT_EQ(bindValue(q.query, "TIPSEM"), QStringLiteral("D"));

    f.number = QStringLiteral("x");
    EXPECT_EQ(
        admin::perMinuteQuery(f, QStringLiteral("date"), QStringLiteral("number")).error, QStringLiteral("number"));
    f.number = QStringLiteral("1");
    f.date = QStringLiteral("1.2.2024");
    EXPECT_EQ(admin::perMinuteQuery(f, QStringLiteral("date"), QStringLiteral("number")).error, QStringLiteral("date"));
}

TEST(LockHistory, PerMinuteLinesBreakEveryTenRowsAndAddUp)
{
    std::vector<std::pair<QString, qint64>> rows;
    for (int i = 0; i < 12; ++i)
        rows.emplace_back(QStringLiteral("01.02.2024 10:%1").arg(i, 2, 10, QLatin1Char('0')), i + 1);
    const QStringList lines = admin::perMinuteLines(rows);
    ASSERT_EQ(lines.size(), 12 + 1 + 3);
    EXPECT_EQ(lines[0], QStringLiteral("01.02.2024 10:00\t\t\t1"));
    EXPECT_TRUE(lines[10].isEmpty());
    EXPECT_EQ(lines.last(), QStringLiteral("  SKUPAJ : 78"));
    EXPECT_EQ(lines[lines.size() - 2], QString(42, QLatin1Char('_')));
}

TEST(LockParams, DurationOfAtLeastTenMinutes)
{
    EXPECT_FALSE(admin::validLockDuration(QStringLiteral("9")));
    EXPECT_TRUE(admin::validLockDuration(QStringLiteral("10")));
    EXPECT_FALSE(admin::validLockDuration(QString()));
    EXPECT_FALSE(admin::validLockDuration(QStringLiteral("ten")));
}

} // namespace
