// The keyboard macros of the worksheet's editor meWork: a macro key tapped briefly types its own character; held
// until the keyboard repeats it after more than about a quarter of a second, it inserts its macro text (from the
// main window's macro tables, read from the macro file) once. TfmWorkSheet feeds it the editor's typed characters
// and key releases and inserts what it returns at the caret through prepareInsertTemplate (without line breaks).
#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

namespace shell {
struct MacroTables;
}

namespace develop {

class MacroKeys {
public:
    // The hold that turns a key into its macro: 3e-6 of a day.
    static constexpr qint64 holdMs = 259;

    explicit MacroKeys(const shell::MacroTables& tables)
        : tables(&tables)
    {
    }

    struct Typed {
        QString insert; // text to insert at the caret before anything else
        bool suppress = false; // the typed character does not reach the editor
    };
    // A character typed in the editor at nowMs (a monotonic clock in milliseconds).
    Typed typed(QChar c, qint64 nowMs);

    enum class Command { None, ClearEditor, LargeRollbackSegment };
    struct Released {
        QString insert;
        Command command = Command::None;
    };
    // Any key released in the editor. Ctrl+D clears the editor; Ctrl+T replaces its text by the line
    // "SET TRANSACTION USE ROLLBACK SEGMENT " + the large rollback segment's name.
    Released released(int key, Qt::KeyboardModifiers modifiers);

    bool holding() const { return !lastKey.isNull(); }

private:
    static constexpr qint64 none = -1;
    static constexpr qint64 day = 86400000;

    const shell::MacroTables* tables;
    QChar lastKey;
    qint64 currNow = none;
    bool lastMacro = false;
};

} // namespace develop
