// The worksheet's command history: a ring of the last 100 statements of one window, and each user's saved ring in
// VEXO_UTIL.VEXO_HIST. Wired by TfmWorkSheet: spBack/spNext and Ctrl+P/N (previous/next), the end of every run
// (record), spSaveHist (saveToHistory), the tabHist page (historyListSql, updateHistoryEntry, deleteHistoryEntry)
// and the creation and own logon of the window (loadHistory).
#pragma once

#include <QString>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace db {
class Session;
}

namespace develop {

inline constexpr int historySlots = 100;

// The in-memory ring (aSQLUkazi, iSQLUkazi, iSkokSQLUkazi). Slots are numbered 1 to 100; an empty text is an
// empty slot. Slot numbers outside 1..100 are ignored, never written.
class CommandHistory {
public:
    QString slot(int i) const;
    void setSlot(int i, const QString& text);
    int lastWritten() const { return iSQLUkazi; }
    int lastShown() const { return iSkokSQLUkazi; }

    // The end of a run: stores the editor's text in the next slot unless it equals the text written last.
    // Returns whether it was stored.
    bool record(const QString& text);
    // The statement of the slot before (after) the one shown last, which then becomes the one shown; none when
    // that slot is empty (nothing moves then).
    std::optional<QString> previous();
    std::optional<QString> next();

    // Places a user's saved rows (slot number to text, slot 0 excluded) behind the saved pointer: the newest
    // saved statement lands in ring slot 100, the oldest in the lowest. Slots no row fills keep their text; the
    // write position and the shown position do not change.
    void placeSaved(const std::map<int, QString>& rows, int pointer);

private:
    std::optional<QString> moveTo(int target);

    std::array<QString, historySlots> aSQLUkazi;
    int iSQLUkazi = 0;
    int iSkokSQLUkazi = 0;
};

// The saved pointer (slot 0's text) as a slot number 0..100; none when the text is no such number. An empty text
// is 0.
std::optional<int> historyPointer(const QString& slotZeroText);

// What a damaged pointer is repaired to: the slot of the last row with a text before the first empty row (0 when
// there is none); when no empty row follows, the last slot with a text.
int repairedHistoryPointer(const std::map<int, QString>& rows);

struct HistoryLoadResult {
    bool ok = true; // false: the table could not be read (the caller shows nizErrHist)
    QString error; // the server's message when !ok
    int rows = 0; // rows read for the user, slot 0 included
    bool pointerRepaired = false; // slot 0 was damaged; it was written back when the owner is the session's user
};

// Loads the saved history of owner (upper-cased) into the ring. A damaged pointer is repaired once: in memory
// always, in the table only when owner is the session's own user and the session holds no transaction (the
// repair is then committed on its own, never together with the user's work).
HistoryLoadResult loadHistory(db::Session& session, const QString& owner, CommandHistory& ring);

// Saves text as the next statement of the session user's ring and commits. The first save of a user creates
// slot 0 and the 100 empty slots; slot 0 is locked for the save so that saves from several windows or programs
// follow one another. Refused (false, nothing written) while the session is in a transaction: the commit would
// take the user's work with it. Throws db::OracleError when the server refuses the save.
bool saveToHistory(db::Session& session, const QString& text);

// The rows of the history page, for the user bound to :lastnik: the first line of each statement longer than 5
// characters ("  ..." after it when it has more), the whole text and the slot, in slot order.
extern const char* const historyListSql;

// Replaces the text of one slot of owner's ring (the user the page lists). Not committed. Throws db::OracleError.
void updateHistoryEntry(db::Session& session, const QString& owner, int slot, const QString& text);

// The texts after deleting one entry of a ring: the entries after it, up to the pointer and around the ring,
// move one slot back, the pointer's slot is emptied and the pointer moves back by one (to slot 100 when the
// ring had wrapped). Changed slots only, slot 0 being the new pointer. Empty for a slot outside 1..100.
std::map<int, QString> historyAfterDelete(const std::map<int, QString>& rows, int pointer, int slot);

// Deletes one entry of owner's ring. Not committed. Returns false (nothing written) for a slot outside 1..100 or
// a user without saved history. Throws db::OracleError.
bool deleteHistoryEntry(db::Session& session, const QString& owner, int slot);

} // namespace develop
