// The worksheet editor's key macros: a macro key tapped types its character, held past the keyboard's repeat
// delay inserts its macro once.
#include "develop/macrokeys.h"
#include "shell/macrofile.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

using develop::MacroKeys;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

shell::MacroTables tables()
{
    shell::MacroTables t;
    t.mcKeys = QStringLiteral("s") + QChar() + QStringLiteral("w");
    t.mcMacro = QStringList { QStringLiteral("select * from "), QStringLiteral("none"), QStringLiteral("where ") };
    return t;
}

} // namespace

TEST(MacroKeys, ATappedKeyTypesItsCharacterOnRelease)
{
    const shell::MacroTables t = tables();
    MacroKeys keys(t);
    const MacroKeys::Typed typed = keys.typed(QLatin1Char('s'), 1000);
    EXPECT_TRUE(typed.suppress);
    EXPECT_EQ(typed.insert, QString());
    EXPECT_EQ(keys.typed(QLatin1Char('s'), 1100).insert, QString()) << "a repeat within the hold inserts nothing";
    EXPECT_EQ(keys.released(Qt::Key_S, Qt::NoModifier).insert, QStringLiteral("s"));
    EXPECT_FALSE(keys.holding());
}

TEST(MacroKeys, AHeldKeyInsertsItsMacroOnce)
{
    const shell::MacroTables t = tables();
    MacroKeys keys(t);
    keys.typed(QLatin1Char('w'), 1000);
    EXPECT_EQ(keys.typed(QLatin1Char('w'), 1300).insert, QStringLiteral("where "));
    EXPECT_EQ(keys.typed(QLatin1Char('w'), 1330).insert, QString()) << "no second insert while the key stays down";
    EXPECT_TRUE(keys.typed(QLatin1Char('w'), 5000).suppress);
    EXPECT_EQ(keys.released(Qt::Key_W, Qt::NoModifier).insert, QString()) << "the macro replaced the character";
}

TEST(MacroKeys, OtherCharactersReleaseTheHeldOne)
{
    const shell::MacroTables t = tables();
    MacroKeys keys(t);
    keys.typed(QLatin1Char('s'), 1000);
    const MacroKeys::Typed other = keys.typed(QLatin1Char('x'), 1050);
    EXPECT_FALSE(other.suppress);
    EXPECT_EQ(other.insert, QStringLiteral("s")) << "the held character goes in before the typed one";
    EXPECT_EQ(keys.released(Qt::Key_X, Qt::NoModifier).insert, QString());

    keys.typed(QLatin1Char('s'), 2000);
    EXPECT_EQ(keys.typed(QLatin1Char('w'), 2050).insert, QStringLiteral("s")) << "another macro key";
    EXPECT_EQ(keys.released(Qt::Key_W, Qt::NoModifier).insert, QStringLiteral("w"));
    EXPECT_FALSE(keys.typed(QChar(), 3000).suppress) << "the null key of a shortcut without a key is no macro key";
}

TEST(MacroKeys, ControlKeysGiveTheirCommands)
{
    const shell::MacroTables t = tables();
    MacroKeys keys(t);
    EXPECT_EQ(keys.released(Qt::Key_D, Qt::ControlModifier).command, MacroKeys::Command::ClearEditor);
    EXPECT_EQ(keys.released(Qt::Key_T, Qt::ControlModifier).command, MacroKeys::Command::LargeRollbackSegment);
    EXPECT_EQ(keys.released(Qt::Key_T, Qt::NoModifier).command, MacroKeys::Command::None);
    keys.typed(QLatin1Char('s'), 1000);
    EXPECT_EQ(keys.released(Qt::Key_S, Qt::AltModifier).insert, QString()) << "Alt alone types no held character";
}

TEST(MacroKeyFilter, DrivesAnEditorByItsKeyEvents)
{
    const shell::MacroTables t = tables();
    QPlainTextEdit editor;
    qint64 now = 1000;
    int cleared = 0;
    develop::MacroKeyFilter filter(t, &editor,
        { [&editor](const QString& text) { editor.insertPlainText(text); }, [&cleared] { ++cleared; }, {} },
        [&now] { return now; });
    auto press = [&editor](Qt::Key key, const QString& text, bool repeat = false,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, key, modifiers, text, repeat);
        QApplication::sendEvent(&editor, &e);
    };
    auto release = [&editor](Qt::Key key, const QString& text, bool repeat = false,
                       Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyRelease, key, modifiers, text, repeat);
        QApplication::sendEvent(&editor, &e);
    };

    press(Qt::Key_X, QStringLiteral("x"));
    release(Qt::Key_X, QStringLiteral("x"));
    press(Qt::Key_S, QStringLiteral("s"));
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("x")) << "the macro key is held back";
    release(Qt::Key_S, QStringLiteral("s"));
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("xs")) << "tapped: its own character";

    press(Qt::Key_W, QStringLiteral("w"));
    now += 500;
    release(Qt::Key_W, QStringLiteral("w"), true); // the keyboard's repeat: a release that is none
    press(Qt::Key_W, QStringLiteral("w"), true);
    now += 30;
    release(Qt::Key_W, QStringLiteral("w"), true);
    press(Qt::Key_W, QStringLiteral("w"), true);
    release(Qt::Key_W, QStringLiteral("w"));
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("xswhere ")) << "held: its macro, once";

    press(Qt::Key_D, QStringLiteral("\x04"), false, Qt::ControlModifier);
    release(Qt::Key_D, QString(), false, Qt::ControlModifier);
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("xswhere ")) << "Ctrl+D is a command, not a character";
}
