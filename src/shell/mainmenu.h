// The main window's menu bar and tool bar as data, and the rules that decide which entry is enabled, which window
// kind a chooser lists and what the database commands of the Utilities menu send. Kept apart from TfmMain so the
// rules are tested without a window.
#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <span>

class QMenu;
class QWidget;

namespace db {
class Session;
}

namespace shell {

enum class MenuItemKind { Submenu, Item, Check, Separator };

// What an entry needs before it may be clicked.
enum class Enabling {
    Always, // the connect menu, the system-jobs menu, Exit, the connect, minimise, window-list and exit buttons
    Connected, // a database tool without a window of its own: a submenu, or a command of the main window
    Window, // opens a tool window: on once the module that has the window registered its opener
    ConnectedWindow, // a database tool that opens a window: on while connected and once its opener is registered
    Never, // hidden in the layout and never offered
};

struct MenuEntry {
    const char* name;
    const char* parent; // nullptr: on the menu bar
    MenuItemKind kind;
    const char* english;
    const char* slovenian; // nullptr: the same in both languages
    bool visible; // as laid out; conditions shown at run time change some
    Enabling enabling;
    const char* chooserPrefix = nullptr; // the item first offers the open windows of its kind
};

struct ToolButtonEntry {
    const char* name;
    const char* hint; // nullptr: hints are off for the button
    const char* slovenianHint;
    bool separatorBefore;
    Enabling enabling;
    const char* menuItem; // the menu item whose window the button opens; nullptr when none
    const char* chooserPrefix; // nullptr: the button opens a new window at once
};

std::span<const MenuEntry> menuEntries();
std::span<const ToolButtonEntry> toolButtonEntries();
const MenuEntry* findMenuEntry(const QString& name);
const ToolButtonEntry* findToolButtonEntry(const QString& name);

// The caption of a menu item (or the hint of a tool button) in the language currLanguage; only "SLO" exactly is
// Slovenian.
QString menuCaption(const MenuEntry& entry, const QString& currLanguage);
QString toolButtonHint(const ToolButtonEntry& entry, const QString& currLanguage);

// Whether an entry may be clicked. An entry that would open a window nobody registered stays disabled, so no
// entry does nothing when clicked.
bool entryEnabled(Enabling rule, bool connected, bool hasOpener);

// Whether a menu offers at least one entry that can be clicked: a visible, enabled item, or a visible submenu that
// offers one. Separators do not count.
bool anyEntryEnabled(const QMenu* menu);

// The registered names under which a window for the entry may be opened, in the order they are looked up: the
// entry's own name, then the menu item a tool button stands for.
QList<QString> openerNames(const QString& entryName);
// The opener name of the entry that is registered; none when no module has registered one yet.
std::optional<QString> registeredOpener(const QString& entryName);

// The windows a chooser offers, ordered by object name (numbers in their order): visible top-level windows other
// than `main`, and with a prefix only those whose object name begins with it (case-sensitive). Hidden windows cannot
// take the focus, so they are not offered; there is no limit on the number.
QList<QWidget*> chooserWindows(
    const QList<QWidget*>& windows, const QWidget* main, const std::optional<QString>& prefix);

// The lock and audit windows of Oracle releases above 18. A version that is not a number (no logon yet) counts as
// an older release.
bool useOra19Windows(const QString& ORACLEVersion);

// --- preconditions of the system-job windows ---
inline constexpr const char* tableLengthCountQuery
    = "select count(*) stev from all_tables where owner='VEXO_UTIL' and  table_name like 'VEXO_DT_%' ";
inline constexpr const char* monitorCountQuery
    = "select count(*) stev from all_tables where owner='VEXO_UTIL' and  table_name like 'IMON_%' ";
inline constexpr const char* tableLengthNotReady = "INIT NEEDED";
inline constexpr const char* monitorNotReady = "Potrebna je nastavitev";
// The field STEV of a count query; throws db::OracleError when the query fails.
qint64 countTables(db::Session& session, const QString& query);
inline bool tableLengthReady(qint64 count)
{
    return count == 3;
}
inline bool monitorReady(qint64 count)
{
    return count > 1;
}

// --- restricted session ---
inline constexpr const char* restrictedEnableQuestion = "Si prepričan, da želiš preprečiti prijave na bazo?";
inline constexpr const char* restrictedDisableQuestion
    = "Si prepričan, da želiš omogočiti vsem uporabnikom prijavo na bazo?";
// "ALTER SYSTEM ENABLE RESTRICTED SESSION" or the DISABLE one; none for any other mode, which never reaches the
// server (the mode comes from command files too).
std::optional<QString> restrictedSessionStatement(const QString& mode);
// Runs the statement; throws db::OracleError on failure (an unknown mode as ORA-02065, as the server would).
void setRestrictedSession(db::Session& session, const QString& mode);

// The sessions restricted session would lock out: user sessions whose user is not among the grantees of the role
// :grupa (always "ZDR") that also hold a RESTRICTED system privilege.
inline constexpr const char* unrestrictedSessionsQuery
    = "select userName, osUser, terminal, program from v$session\n"
      "where username is not null\n"
      "  and username not in (select grantee from dba_role_privs where granted_role = :grupa\n"
      "                        and grantee in (select grantee from dba_sys_privs where privilege like '%RESTRICTED%'))";
inline constexpr const char* restrictedGroup = "ZDR";
// One line per session: user, program, terminal and OS user separated by blanks, each line ending with CR LF.
// Throws db::OracleError when the query fails.
QString unrestrictedSessions(db::Session& session);

// --- large rollback segment ---
// The state the segment is switched to: OFFLINE when the menu item is checked, ONLINE when not.
inline QString largeRBTarget(bool checked)
{
    return checked ? QStringLiteral("OFFLINE") : QStringLiteral("ONLINE");
}

} // namespace shell
