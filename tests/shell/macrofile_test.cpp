#include "shell/macrofile.h"
#include "support/tempdir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace shell;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

QString shortcutsText(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("#%1\r\ntext %2\r\n").arg(QChar(u'A' + i % 26)).arg(i + 1);
    return text;
}

QString popupsText(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("/Macro caption %1\r\nline %1\r\n").arg(i + 1);
    return text;
}

} // namespace

TEST(MacroFile, ReadsShortcutsAndPopups)
{
    struct Case {
        const char* name;
        QString text;
        QString keys;
        QStringList shortcutTexts;
        QStringList captions;
        QStringList popupTexts;
    };
    const Case cases[] = {
        { "popup first, then shortcut", QStringLiteral("/Blok\nbegin\n  null;\nend;\n#s\nselect * from "),
            QStringLiteral("s"), { QStringLiteral("select * from ") }, { QStringLiteral("Blok") },
            { QStringLiteral("begin\r\n  null;\r\nend;") } },
        { "lines before the first header belong to nothing", QStringLiteral("stray\r\n#k\r\nx"), QStringLiteral("k"),
            { QStringLiteral("x") }, {}, {} },
        { "header without key or caption", QStringLiteral("#\r\na\r\n/\r\nb"), QString(QChar()),
            { QStringLiteral("a") }, { QString() }, { QStringLiteral("b") } },
        { "only the key's first character counts", QStringLiteral("#xyz\r\nt"), QStringLiteral("x"),
            { QStringLiteral("t") }, {}, {} },
        { "empty lines are text lines", QStringLiteral("#a\r\n\r\nx\r\n\r\n#b"), QStringLiteral("ab"),
            { QStringLiteral("\r\nx\r\n"), QString() }, {}, {} },
        { "CR line ends", QStringLiteral("/P\rone\rtwo"), QString(), {}, { QStringLiteral("P") },
            { QStringLiteral("one\r\ntwo") } },
        { "caption of at most 50 characters", QStringLiteral("/") + QString(60, QLatin1Char('c')), QString(), {},
            { QString(50, QLatin1Char('c')) }, { QString() } },
        { "empty file", QString(), QString(), {}, {}, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MacroFileContent content = readMacroText(c.text);
        QString keys;
        QStringList shortcutTexts;
        for (const ShortcutMacro& m : content.shortcuts) {
            keys += m.key;
            shortcutTexts << m.text;
        }
        QStringList captions;
        QStringList popupTexts;
        for (const PopupMacro& m : content.popups) {
            captions << m.caption;
            popupTexts << m.text;
        }
        EXPECT_EQ(keys, c.keys);
        EXPECT_EQ(shortcutTexts, c.shortcutTexts);
        EXPECT_EQ(captions, c.captions);
        EXPECT_EQ(popupTexts, c.popupTexts);
        EXPECT_TRUE(content.problems.isEmpty());
    }
}

TEST(MacroFile, WritesShortcutsFirstAndReadsBackTheSame)
{
    const QString file = QStringLiteral("/Blok\r\nbegin\r\n\r\nend;\r\n#s\r\nselect\r\n/Prazen\r\n#\r\nx\r\n");
    const MacroFileContent content = readMacroText(file);
    const QString written = writeMacroText(content);
    EXPECT_EQ(written, QStringLiteral("#s\r\nselect\r\n#\r\nx\r\n/Blok\r\nbegin\r\n\r\nend;\r\n/Prazen\r\n"));
    const MacroFileContent again = readMacroText(written);
    ASSERT_EQ(again.shortcuts.size(), 2);
    ASSERT_EQ(again.popups.size(), 2);
    EXPECT_EQ(again.popups.at(0).text, content.popups.at(0).text);
    EXPECT_EQ(again.shortcuts.at(1).key, QChar());
    EXPECT_EQ(again.shortcuts.at(1).text, QStringLiteral("x"));
}

TEST(MacroFile, TextLineStartingWithHeaderCharacterStartsANewMacro)
{
    MacroFileContent content;
    content.popups.append({ QStringLiteral("Komentar"), QStringLiteral("x\r\n/* komentar */") });
    const MacroFileContent again = readMacroText(writeMacroText(content));
    ASSERT_EQ(again.popups.size(), 2);
    EXPECT_EQ(again.popups.at(0).text, QStringLiteral("x"));
    EXPECT_EQ(again.popups.at(1).caption, QStringLiteral("* komentar */"));
}

TEST(MacroFile, MacrosBeyondTheTablesAreReportedNotStored)
{
    struct Case {
        const char* name;
        int shortcuts, popups;
        int keptShortcuts, keptPopups, problems;
    };
    const Case cases[] = {
        { "exactly full", 50, 25, 50, 25, 0 },
        { "one shortcut too many", 51, 0, 50, 0, 1 },
        { "popups too many", 3, 28, 3, 25, 3 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MacroFileContent content = readMacroText(shortcutsText(c.shortcuts) + popupsText(c.popups));
        EXPECT_EQ(content.shortcuts.size(), c.keptShortcuts);
        EXPECT_EQ(content.popups.size(), c.keptPopups);
        EXPECT_EQ(content.problems.size(), c.problems);
        if (!content.shortcuts.isEmpty()) {
            EXPECT_EQ(content.shortcuts.last().text, QStringLiteral("text %1").arg(c.keptShortcuts));
        }
        if (!content.popups.isEmpty()) {
            EXPECT_EQ(content.popups.last().text, QStringLiteral("line %1").arg(c.keptPopups));
        }
    }
    const MacroFileContent over = readMacroText(popupsText(26));
    ASSERT_EQ(over.problems.size(), 1);
    EXPECT_TRUE(over.problems.first().contains(QStringLiteral("popup macro 26")));
}

TEST(MacroFile, TablesKeepKeysAlignedWithTexts)
{
    const MacroTables t = macroTablesFrom(readMacroText(QStringLiteral("#a\r\n1\r\n#\r\n2\r\n#c\r\n3\r\n/P\r\n4")));
    ASSERT_EQ(t.mcKeys.size(), 3);
    EXPECT_EQ(t.mcUkaz, 3);
    EXPECT_EQ(t.mcMacro.value(t.mcKeys.indexOf(QLatin1Char('c'))), QStringLiteral("3"));
    EXPECT_EQ(t.nrMacros, 1);
    EXPECT_EQ(t.mcMacroHeader, QStringList { QStringLiteral("P") });
    EXPECT_EQ(t.stMacro, QStringList { QStringLiteral("4") });
}

class MacroFileOnDisk : public testsupport::TempDirTest { };

TEST_F(MacroFileOnDisk, KeepsTheEncodingItWasReadIn)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QString encoding;
        bool bom;
    };
    const QString text = QStringLiteral("/Čiščenje\r\ndelete from žice;\r\n");
    const Case cases[] = {
        { "UTF-8 without mark", text.toUtf8(), QStringLiteral("UTF-8"), false },
        { "UTF-8 with mark", QByteArray("\xEF\xBB\xBF") + text.toUtf8(), QStringLiteral("UTF-8"), true },
        { "Windows code page", QByteArray("/\xC8i\x9A\xE8\x65nje\r\ndelete from \x9Eice;\r\n"),
            QStringLiteral("windows-1250"), false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QStringLiteral("DREMMOX.MCR"));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        const MacroFileText loaded = loadMacroFile(file);
        ASSERT_TRUE(loaded.ok);
        EXPECT_EQ(loaded.text, text);
        EXPECT_EQ(loaded.encoding, c.encoding);
        EXPECT_EQ(loaded.byteOrderMark, c.bom);
        QString error;
        ASSERT_TRUE(saveMacroFile(file, loaded.text, loaded.encoding, loaded.byteOrderMark, &error))
            << error.toStdString();
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), c.bytes);
        f.close();
    }
}

TEST_F(MacroFileOnDisk, ErrorsAreReported)
{
    const MacroFileText missing = loadMacroFile(path(QStringLiteral("none.mcr")));
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.isEmpty());
    QString error;
    EXPECT_FALSE(saveMacroFile(
        path(QStringLiteral("x.mcr")), QStringLiteral("/日本"), QStringLiteral("windows-1250"), false, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("x.mcr"))));
}
