#include "develop/commandhistory.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"

namespace develop {

namespace {

bool inRing(int i)
{
    return i >= 1 && i <= historySlots;
}

int after(int i)
{
    return i >= historySlots || i < 1 ? 1 : i + 1;
}

int before(int i)
{
    return i <= 1 || i > historySlots ? historySlots : i - 1;
}

// Slot number to text for one user, slot 0 included.
std::map<int, QString> readRows(db::Session& session, const QString& owner)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select hist_zpst, hist_ukaz from vexo_util.vexo_hist\n"
                            "where hist_user=:lastnik order by hist_zpst"));
    q.setVariable(QStringLiteral("lastnik"), owner);
    q.execute();
    std::map<int, QString> rows;
    for (; !q.eof(); q.next()) {
        if (q.fieldIsNull(0))
            continue;
        rows[q.field(0).toInt()] = q.fieldIsNull(1) ? QString() : q.field(1).toString();
    }
    return rows;
}

std::map<int, QString> ringRows(const std::map<int, QString>& rows)
{
    std::map<int, QString> ring;
    for (const auto& [slot, text] : rows) {
        if (inRing(slot))
            ring[slot] = text;
    }
    return ring;
}

void writeSlot(db::Session& session, const QString& owner, int slot, const QString& text)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("update vexo_util.vexo_hist set hist_ukaz=:ukaz\n"
                            "  where hist_user=:lastnik and hist_zpst=:zapst"));
    q.declareVariable(QStringLiteral("ukaz"), db::BindType::String);
    q.setVariable(QStringLiteral("ukaz"), text.isEmpty() ? QVariant() : QVariant(text));
    q.setVariable(QStringLiteral("lastnik"), owner);
    q.setVariable(QStringLiteral("zapst"), slot);
    q.execute();
}

// Locks the user's slot 0, so that saves and deletes of one ring follow one another; false when it is missing.
bool lockPointer(db::Session& session, const QString& owner, QString* text)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select hist_ukaz from vexo_util.vexo_hist\n"
                            "where hist_user=:lastnik and hist_zpst=0 for update"));
    q.setVariable(QStringLiteral("lastnik"), owner);
    q.execute();
    if (q.eof())
        return false;
    *text = q.fieldIsNull(0) ? QString() : q.field(0).toString();
    return true;
}

QString sessionUser(db::Session& session)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select user from dual"));
    q.execute();
    return q.eof() ? QString() : q.field(0).toString().toUpper();
}

} // namespace

QString CommandHistory::slot(int i) const
{
    return inRing(i) ? aSQLUkazi[size_t(i - 1)] : QString();
}

void CommandHistory::setSlot(int i, const QString& text)
{
    if (inRing(i))
        aSQLUkazi[size_t(i - 1)] = text;
}

bool CommandHistory::record(const QString& text)
{
    if (iSQLUkazi != 0 && slot(iSQLUkazi) == text)
        return false;
    iSQLUkazi = after(iSQLUkazi);
    setSlot(iSQLUkazi, text);
    iSkokSQLUkazi = iSQLUkazi;
    return true;
}

std::optional<QString> CommandHistory::moveTo(int target)
{
    if (slot(target).isEmpty())
        return std::nullopt;
    iSkokSQLUkazi = target;
    return slot(target);
}

std::optional<QString> CommandHistory::previous()
{
    return moveTo(before(iSkokSQLUkazi));
}

std::optional<QString> CommandHistory::next()
{
    return moveTo(after(iSkokSQLUkazi));
}

void CommandHistory::placeSaved(const std::map<int, QString>& rows, int pointer)
{
    if (pointer < 0 || pointer > historySlots)
        return;
    for (const auto& [a, text] : rows) {
        if (!inRing(a))
            continue;
        if (a <= pointer) {
            setSlot(a - pointer + historySlots, text);
        } else {
            setSlot(a - pointer, text);
            if (text.isEmpty())
                break;
        }
    }
}

std::optional<int> historyPointer(const QString& slotZeroText)
{
    const QString digits = slotZeroText.left(3).trimmed();
    if (digits.isEmpty())
        return slotZeroText.trimmed().isEmpty() ? std::optional<int>(0) : std::nullopt;
    bool ok = false;
    const int p = digits.toInt(&ok);
    if (!ok || p < 0 || p > historySlots)
        return std::nullopt;
    return p;
}

int repairedHistoryPointer(const std::map<int, QString>& rows)
{
    int remembered = 0;
    for (const auto& [a, text] : rows) {
        if (!inRing(a))
            continue;
        if (text.isEmpty())
            return remembered;
        remembered = a;
    }
    return remembered;
}

HistoryLoadResult loadHistory(db::Session& session, const QString& owner, CommandHistory& ring)
{
    HistoryLoadResult result;
    const QString user = owner.toUpper();
    std::map<int, QString> rows;
    try {
        rows = readRows(session, user);
    } catch (const db::OracleError& e) {
        result.ok = false;
        result.error = e.message();
        return result;
    }
    result.rows = int(rows.size());
    if (rows.empty())
        return result;

    const std::map<int, QString> ring0 = ringRows(rows);
    const auto zero = rows.find(0);
    std::optional<int> pointer = historyPointer(zero == rows.end() ? QString() : zero->second);
    if (!pointer) {
        pointer = repairedHistoryPointer(ring0);
        result.pointerRepaired = true;
        // One attempt, and only on the session user's own rows outside a transaction of the user's.
        try {
            if (zero != rows.end() && !session.inTransaction() && sessionUser(session) == user) {
                writeSlot(session, user, 0, QString::number(*pointer));
                session.commit();
            }
        } catch (const db::OracleError&) {
            if (session.inTransaction())
                session.rollback();
        }
    }
    ring.placeSaved(ring0, *pointer);
    return result;
}

bool saveToHistory(db::Session& session, const QString& text)
{
    if (session.inTransaction())
        return false;
    try {
        const QString user = sessionUser(session);
        QString pointerText;
        if (!lockPointer(session, user, &pointerText)) {
            db::Query create(&session);
            create.setSql(QStringLiteral("insert into vexo_util.vexo_hist (hist_zpst, hist_ukaz, hist_user)\n"
                                         "select level - 1, decode(level, 1, '0', null), user\n"
                                         "  from dual connect by level <= 101"));
            create.execute();
            lockPointer(session, user, &pointerText);
        }
        std::optional<int> last = historyPointer(pointerText);
        if (!last)
            last = repairedHistoryPointer(ringRows(readRows(session, user)));
        const int next = after(*last);
        writeSlot(session, user, 0, QString::number(next));

        // The statement goes into the slot; a slot row someone removed is put back rather than losing it.
        auto putText = [&](const QString& sql) {
            db::Query put(&session);
            put.setSql(sql);
            put.declareVariable(QStringLiteral("niz"), db::BindType::String);
            put.setVariable(QStringLiteral("niz"), text.isEmpty() ? QVariant() : QVariant(text));
            put.setVariable(QStringLiteral("zapst"), next);
            put.execute();
            return put.rowsProcessed();
        };
        if (putText(QStringLiteral("update vexo_util.vexo_hist set hist_ukaz=:niz\n"
                                   "  where hist_user=user and hist_zpst=:zapst"))
            == 0) {
            putText(QStringLiteral("insert into vexo_util.vexo_hist (hist_zpst, hist_ukaz, hist_user)\n"
                                   "values (:zapst, :niz, user)"));
        }
        session.commit();
    } catch (const db::OracleError&) {
        // The save began outside a transaction: undoing it leaves the session as it was.
        if (session.inTransaction())
            session.rollback();
        throw;
    }
    return true;
}

const char* const historyListSql
    = "select decode(instr(hist_ukaz,chr(10)),0,hist_ukaz,substr(hist_ukaz,1,instr(hist_ukaz,chr(10))-1)||'  ...') "
      "SQL,\n"
      "        hist_ukaz,hist_zpst\n"
      " from vexo_util.vexo_hist\n"
      "    where hist_user=:lastnik and length(hist_ukaz)>5\n"
      " order by hist_zpst";

void updateHistoryEntry(db::Session& session, const QString& owner, int slot, const QString& text)
{
    writeSlot(session, owner.toUpper(), slot, text);
}

std::map<int, QString> historyAfterDelete(const std::map<int, QString>& rows, int pointer, int slot)
{
    std::map<int, QString> changes;
    if (!inRing(slot))
        return changes;
    auto text = [&rows](int i) {
        const auto it = rows.find(i);
        return it == rows.end() ? QString() : it->second;
    };
    if (!inRing(pointer)) {
        if (!text(slot).isEmpty())
            changes[slot] = QString();
        return changes;
    }
    std::map<int, QString> after = ringRows(rows);
    // The entries from the deleted one up to the pointer move back one slot, around the ring when it wrapped.
    for (int s = slot; s != pointer; s = develop::after(s))
        after[s] = text(develop::after(s));
    after[pointer] = QString();
    int newPointer = pointer - 1;
    if (newPointer == 0 && !after[historySlots].isEmpty())
        newPointer = historySlots;
    for (const auto& [s, t] : after) {
        if (t != text(s))
            changes[s] = t;
    }
    changes[0] = QString::number(newPointer);
    return changes;
}

bool deleteHistoryEntry(db::Session& session, const QString& owner, int slot)
{
    if (!inRing(slot))
        return false;
    const QString user = owner.toUpper();
    QString pointerText;
    if (!lockPointer(session, user, &pointerText))
        return false;
    const std::map<int, QString> rows = readRows(session, user);
    std::optional<int> pointer = historyPointer(pointerText);
    if (!pointer)
        pointer = repairedHistoryPointer(ringRows(rows));
    for (const auto& [s, text] : historyAfterDelete(rows, *pointer, slot))
        writeSlot(session, user, s, text);
    return true;
}

} // namespace develop
