// The worksheet editor's key macros: a macro key tapped types its character, held past the keyboard's repeat
// delay inserts its macro once.
#include "develop/macrokeys.h"
#include "shell/macrofile.h"

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
