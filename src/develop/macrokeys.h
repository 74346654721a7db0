// The keyboard macros of the worksheet's editor meWork: a macro key tapped briefly types its own character; held
// until the keyboard repeats it after more than about a quarter of a second, it inserts its macro text (from the
// main window's macro tables, read from the macro file) once. TfmWorkSheet feeds it the editor's typed characters
// and key releases and inserts what it returns at the caret through prepareInsertTemplate (without line breaks).
#pragma once

#include <QChar>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <functional>

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

// Feeds an editor's key events to MacroKeys: installed on the editor (meWork), it holds back macro keys, inserts
// what MacroKeys returns through actions.insert (which the worksheet passes through prepareInsertTemplate) and
// runs the Ctrl+D and Ctrl+T commands. The keyboard's repeated releases are not releases: a key counts as released
// when it really goes up.
class MacroKeyFilter : public QObject {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(const QString& text)> insert;
        std::function<void()> clearEditor;
        std::function<void()> largeRollbackSegment;
    };
    // clock gives milliseconds of a monotonic clock; a timer started with the filter when none is given.
    MacroKeyFilter(
        const shell::MacroTables& tables, QObject* editor, Actions actions, std::function<qint64()> clock = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MacroKeys keys;
    Actions actions;
    std::function<qint64()> clock;
    QElapsedTimer started;
};

} // namespace develop
