#include "engine/kit/server_logs.h"

#include "engine/engine.h"

#include <QDir>
#include <QFile>
#include <QString>

namespace engine::kit {

namespace {

struct Event {
    const char* user;
    const char* action;
    const char* detail1;
    const char* detail2;
};

// What each kind of log records; the events of a day are taken from these in turn.
const Event kLongEvents[] = {
    { "MNO", "PRODAJA: PREGLED NAROCIL", "## SELECT * FROM VOXA.V_ORDERS WHERE ORDER_DATE >= :OD", "## 1520 rows" },
    { "AKR", "FAKTURE: ZAPIRANJE MESECA", "## UPDATE VOXA.INVOICES SET PAID = 'D' WHERE DUE_DATE < :DAN",
        "## 212 rows" },
    { "JHO", "SKLADISCE: INVENTURA", "## SELECT PRODUCT_ID, SUM(QUANTITY) FROM VOXA.ITEMS GROUP BY PRODUCT_ID",
        nullptr },
    { "TZU", "PRODAJA: IZVOZ KUPCEV", "## SELECT * FROM VOXA.CUSTOMERS", "## file KUPCI.TXT" },
};
const Event kLockEvents[] = {
    { "MNO", "LOCK ORDERS 1004", "## connection 12", nullptr },
    { "AKR", "UNLOCK CUSTOMERS 7", "## connection 15", nullptr },
    { "JHO", "LOCK REFUSED PRODUCTS 3", "## held by MNO since 07:55", "## connection 21" },
};

template <size_t N> QString monthText(const Event (&events)[N], int lastDay, int salt)
{
    QString text;
    int k = salt;
    for (int day = 1; day <= lastDay; ++day) {
        // Weekdays carry three events, the weekend one.
        int count = (day % 7 == 0 || day % 7 == 6) ? 1 : 3;
        for (int i = 0; i < count; ++i, ++k) {
            const Event& e = events[k % N];
            int hour = 7 + i * 3 + (k % 2);
            int minute = (k * 17) % 60;
            int second = (k * 31) % 60;
            int seconds = 2 + (k * 37) % 300;
            text += QStringLiteral("E %1 %2:%3:%4/%5/%6/%7\r\n")
                        .arg(day, 2, 10, QChar('0'))
                        .arg(hour, 2, 10, QChar('0'))
                        .arg(minute, 2, 10, QChar('0'))
                        .arg(second, 2, 10, QChar('0'))
                        .arg(QLatin1String(e.user), QLatin1String(e.action))
                        .arg(seconds);
            for (const char* d : { e.detail1, e.detail2 })
                if (d)
                    text += QLatin1String(d) + QStringLiteral("\r\n");
        }
    }
    return text;
}

void writeFile(const QString& path, const QString& text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text.toUtf8()) < 0)
        throw oraError(29285, "file write error (" + path.toStdString() + ")");
}

} // namespace

std::string serverLogName(const std::string& kind, int year, int month)
{
    return QStringLiteral("%1_%2%3.log")
        .arg(QString::fromStdString(kind))
        .arg(year, 4, 10, QChar('0'))
        .arg(month, 2, 10, QChar('0'))
        .toStdString();
}

void writeServerLogs(const std::string& dir, const QDate& today)
{
    QDir d(QString::fromStdString(dir));
    if (!d.mkpath(QStringLiteral(".")))
        throw oraError(29285, "file write error (cannot create " + dir + ")");
    const QDate previous = today.addMonths(-1);
    struct Month {
        QDate date;
        int lastDay;
    };
    for (const Month& m : { Month { previous, previous.daysInMonth() }, Month { today, today.day() } }) {
        writeFile(d.filePath(QString::fromStdString(serverLogName("LONG", m.date.year(), m.date.month()))),
            monthText(kLongEvents, m.lastDay, m.date.month()));
        writeFile(d.filePath(QString::fromStdString(serverLogName("LOCK", m.date.year(), m.date.month()))),
            monthText(kLockEvents, m.lastDay, m.date.month() + 1));
    }
}

} // namespace engine::kit
