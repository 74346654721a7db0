// Services the main window offers every tool window: text services for the editors, the schema-name
// substitution of the several-installations mode, the live-query rewrite and the SQL texts of the small database
// services. They take their inputs as arguments so TfmMain only wraps them and tests call them directly.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

class QMenu;
class QAction;
class QWidget;

namespace db {
class Session;
}

namespace shell {

struct MacroTables;

// The export column separator: the setting itself, or, when it begins with "#", the character whose code
// follows ("#9" is a tab). Throws std::invalid_argument when the "#" is not followed by a character code.
QString pretvoriDescriptor(const QString& currDescriptor);

// A path split at its last separator. The directory keeps the separator; without one the whole path is the
// file name. Both the backslash and the slash separate, since paths on this platform use the slash.
struct FileDirNameResult {
    QString fileName;
    QString directory;
};
FileDirNameResult FileDirName(const QString& path);

// Replaces whole-word occurrences of a schema name (case-insensitive): the occurrence must follow a separator
// character (never at the very first position of the text, never after a letter, digit or underscore) and,
// when the name ends with a word character, must not run on into a longer word. A name given with a final
// blank ("VOXA ") also matches at the end of a line or of the text, where the blank is not there.
QString zamenjaj(const QString& text, const QString& oldName, const QString& newName);

// The several-installations substitution: mode "SKRIPTA" for statements and scripts, anything else ("UKAZ")
// for command lines.
QString zamenjave(
    const QString& text, const QString& mode, const QString& currUserAsVoxa, const QString& currUserAsBildor);

// Rewrites a single-table SELECT so that it also selects ROWID and can be edited. A statement that cannot be
// made live comes back unchanged; message then says why when the user should be told.
struct LiveQueryResult {
    QString text;
    QString message;
};
LiveQueryResult postaviLiveQuery(const QString& text);

// The message shown when a grouping query is asked to become live.
inline constexpr const char* liveQueryGroupByMessage = "SQL stavek z GROUP BY ukazom ne morem pretvoriti v LIVE";

// Fills the ":?" places of a template with the word (the clipboard word, "?" when it is empty or longer than
// 10 characters): capitalised unless a blank stands before the place. newLineText surrounds the result when
// newLine is set (the main window's p_newLine, a carriage return).
QString prepareInsertTemplate(bool newLine, const QString& templ, const QString& clipboardWord,
    const QString& newLineText = QStringLiteral("\r"));
// The same with the current clipboard word.
QString prepareInsertTemplate(bool newLine, const QString& templ);

// The clipboard text, empty when it is longer than 10 characters or cannot be read.
QString getClipboard();

// Fills the macro tables from the macro file's text on the first call of a program run (when they are still
// empty), then, on every call, adds one item per popup macro to popup, owned by owner, named "Macro" + k and
// captioned with the macro's caption; a click calls onClick with the item.
void preberiMacroTipke(MacroTables& tables, const QString& currMacros, QWidget* owner, QMenu* popup,
    const std::function<void(QAction*)>& onClick);

// Every CR LF becomes a single CR, as the editors insert text.
QString brezNL(const QString& text);

// Drops the semicolon that ends a plain SQL statement; a PL/SQL unit or block (DECLARE, BEGIN, CREATE
// PROCEDURE/FUNCTION/PACKAGE/TRIGGER/TYPE/LIBRARY, or a text ending in "END" or "END name" before the
// semicolon) keeps its final "END name;". What follows the semicolon is kept.
QString f_venPodpicje(const QString& text);
// True when the statement text is a PL/SQL unit or block by the rule above.
bool isPlSqlBlock(const QString& text);

// A text as an SQL string literal: enclosed in single quotes, inner single quotes doubled.
QString sqlQuote(const QString& text);

// The statement changeDateFormat runs: the format as a double-quoted value, as the server takes it; a format
// that itself holds a double quote is given as a single-quoted literal instead.
QString changeDateFormatStatement(const QString& format);

// The statements of the parameter services, run by the database layer.
inline constexpr const char* beriParameterQuery = " select sysVred,sysOpis from vexo_util.quandrelSys \n"
                                                  "   where sysSprem=:sprem";
inline constexpr const char* tableExistsQuery = "select count(*) stevilo from all_tables\n"
                                                "where owner=:lastnik and table_name=:tabela";

// The query that reads an application parameter, with the attribute name quoted as a literal.
QString GetParam107Query(const QString& name);

// The organisation header of reports; getParam reads an application parameter (GetParam107).
QStringList userVhodniParametri(const std::function<QString(const QString&)>& getParam);

// True when some open top-level window whose name begins with "WorkSheet" holds an open transaction on the
// given database; jeVTransakciji asks the window.
bool SessionInTransaction(
    const QString& database, const std::function<bool(QWidget* workSheet, const QString& database)>& jeVTransakciji);

// A Yes/No question in a system message box; true when Yes is pressed.
bool sporocilo(const QString& question, QWidget* parent = nullptr);

// Database services: they take the session as an argument and return their messages for the caller to show.

inline constexpr const char* wrongDateFormatMessage = "Wrong DATE FORMAT";

// Sets the session's date format. On failure error is "Wrong DATE FORMAT" and the session keeps its format.
// A transaction that the statement itself opened on the main session is rolled back.
bool changeDateFormat(db::Session& session, db::Session& mainSession, const QString& format, QString* error = nullptr);

// Runs one statement; on failure error is the server's message.
bool execDyn(db::Session& session, const QString& statement, QString* error = nullptr);

// Whether owner.table exists for the session's user. A failing query throws db::OracleError.
bool tableExists(db::Session& session, const QString& owner, const QString& tableName);

// A system parameter of VEXO_UTIL.QUANDRELSYS: value and description, empty when the table or the parameter is
// missing or the query fails.
struct SystemParameter {
    QString value;
    QString description;
};
SystemParameter BeriParameter(db::Session& session, const QString& name);

// An application parameter of VOXA.PR107PAR; empty when missing or on an error.
QString GetParam107(db::Session& session, const QString& name);

// The organisation header of reports, from the application parameters.
QStringList userVhodniParametri(db::Session& session);

} // namespace shell
