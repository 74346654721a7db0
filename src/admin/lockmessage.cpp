// Reading the lock server's log messages.
#include "admin/lockmessage.h"

#include <algorithm>

namespace admin {

namespace {

const QChar kTab = QLatin1Char('\t');

// The "#"-separated fields of a message (the empty one after its last "#" left out).
QStringList fields(const QString& message)
{
    QStringList f = message.split(QLatin1Char('#'));
    if (!f.isEmpty() && f.last().isEmpty())
        f.removeLast();
    return f;
}

QString field(const QStringList& f, int i)
{
    return i < f.size() ? f.at(i).left(200) : QString();
}

// The connection named by a pipe: "LOCK12" and "ALARM12" give 12.
QString connectionOfPipe(const QString& pipe)
{
    return pipe.startsWith(QLatin1String("ALA")) ? pipe.mid(5) : pipe.mid(4);
}

} // namespace

const std::vector<LockCode>& semaphoreCodes()
{
    static const std::vector<LockCode> codes = {
        { "Z", "Lock (Z#)", "Zakleni (Z#)", "Lock " },
        { "O", "Unlock (O#)", "Odkleni (O#)", "Unlock " },
        { "D", "Unlock Immediate (D#)", "Odkleni nasilno (D#)", "Unlock Immediate" },
        { "F", "Unlock All (F#)", "Odkleni vse  (F#)", "Unlock all" },
        { "S", "Check (S#)", "Preveri status semaforjev (S#)", "Semaphor Check " },
        { "P", "Show (P#)", "Prikaz semaforjev  (P#)", "Semaphor SHOW" },
        { "K", "End (K#)", " (K#)", "Semaphor END" },
    };
    return codes;
}

const std::vector<LockCode>& alarmCodes()
{
    static const std::vector<LockCode> codes = {
        { "AI", "Interest (AI#)", "Notifikacija (AI#)", "Notify Interest" },
        { "AB", "Delete (AB#)", "Brisanje notifikacije (AB#)", "Notify Delete" },
        { "AE", "Enable Alarm (AE#)", "Alarmi vklopljeni (AE#)", "Notify Enable" },
        { "AD", "DisableAlarm (AD#)", "Alarmi izklopljeni (AD#)", "Notify Disable" },
        { "AS", "Show (AS#)", "Prikaz alarmov (AS#)", "Notify SHOW" },
        { "AA", "Notify (AA#)", "Notify (AA#)", "" },
    };
    return codes;
}

QString lockCodeText(const QString& code)
{
    for (const auto* list : { &semaphoreCodes(), &alarmCodes() })
        for (const LockCode& c : *list)
            if (c.code == code)
                return c.printText;
    return {};
}

LockMessageParts SplitLockMess(const QString& message)
{
    const int last = message.lastIndexOf(QLatin1Char('#'));
    if (last < 0)
        return {};
    const QStringList f = message.left(last).split(QLatin1Char('#'));
    LockMessageParts p;
    p.value = f.last().left(200);
    if (f.size() > 1)
        p.kind = f.at(f.size() - 2);
    return p;
}

QStringList printHeader()
{
    return { QStringLiteral("DATE    ") + kTab + kTab + kTab + QStringLiteral("TYPE") + kTab + QStringLiteral("CONN")
            + kTab + QStringLiteral("USER") + kTab + QStringLiteral("KIND") + kTab + QStringLiteral("VALUE") + kTab
            + kTab + kTab + kTab + QStringLiteral("RESPONSE"),
        QString(220, QLatin1Char('-')) };
}

QString printLine(const QString& date, const QString& message, const QString& response)
{
    const QStringList f = message.split(QLatin1Char('#'));
    const QString code = field(f, 0);
    const QString blank = QStringLiteral(" ");
    return date + kTab + kTab + lockCodeText(code) + blank + kTab + connectionOfPipe(field(f, 1)) + blank + kTab
        + field(f, 2) + blank + kTab + field(f, 4) + blank + kTab + field(f, 5) + blank + kTab + blank + kTab + kTab
        + response;
}

QStringList openLockListing(std::vector<LockLogRow> rows)
{
    // The log in the order the server wrote it, whatever order the grid shows.
    std::stable_sort(
        rows.begin(), rows.end(), [](const LockLogRow& a, const LockLogRow& b) { return a.date < b.date; });
    struct Entry {
        QString datum, upor, sUpor, vred; // an empty vred is a free entry
        QString uporUkini, sUporUkini, datumUkini;
    };
    std::vector<Entry> entries;
    for (const LockLogRow& row : rows) {
        const QStringList f = fields(row.message);
        const QString code = field(f, 0);
        const QString conn = connectionOfPipe(field(f, 1));
        const QString user = field(f, 2);
        const QString value = SplitLockMess(row.message).value;
        if (code == QLatin1String("Z")) {
            Entry* taken = nullptr;
            Entry* free = nullptr;
            for (Entry& e : entries) {
                if (e.vred.isEmpty()) {
                    if (!free)
                        free = &e;
                    continue;
                }
                if (e.vred != value || !e.uporUkini.isEmpty())
                    continue;
                if (e.upor == conn) {
                    taken = &e;
                    break;
                }
                e.uporUkini = conn;
                e.sUporUkini = user;
                e.datumUkini = row.dateText;
            }
            Entry* target = taken ? taken : free;
            if (!target) {
                entries.push_back({});
                target = &entries.back();
            }
            *target = Entry { row.dateText, conn, user, value, {}, {}, {} };
        } else if (code == QLatin1String("O") || code == QLatin1String("D")) {
            for (Entry& e : entries)
                if (!e.vred.isEmpty() && e.vred == value && e.upor == conn && e.uporUkini.isEmpty()) {
                    e = Entry {};
                    break;
                }
        }
    }
    QStringList lines;
    for (const Entry& e : entries)
        if (!e.vred.isEmpty())
            lines << e.datum + QStringLiteral(" ") + kTab + e.sUpor + QLatin1Char('(') + e.upor + QStringLiteral(")  ")
                    + kTab + e.vred + QStringLiteral("  ") + kTab + e.sUporUkini + QLatin1Char('(') + e.uporUkini
                    + QStringLiteral(")  ") + e.datumUkini;
    return lines;
}

} // namespace admin
