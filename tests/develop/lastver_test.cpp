#include "develop/lastver.h"
#include "platform/inifile.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace develop;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

TEST(LastVer, RecordsOneEntryPerAliasAndUser)
{
    struct Case {
        const char* name;
        QString before, server, user, version, after;
    };
    const QString tail = QString(300, QLatin1Char('T'));
    const Case cases[] = {
        { "first entry", QString(), QStringLiteral("prod"), QStringLiteral("app"), QStringLiteral("UPG1"),
            QStringLiteral("#PROD/APP/UPG1#") },
        { "new alias appended", QStringLiteral("#PROD/APP/UPG2#"), QStringLiteral("TEST"), QStringLiteral("APP"),
            QStringLiteral("UPG1"), QStringLiteral("#PROD/APP/UPG2##TEST/APP/UPG1#") },
        { "new user appended", QStringLiteral("#PROD/APP/UPG2#"), QStringLiteral("PROD"), QStringLiteral("BIL"),
            QStringLiteral("X"), QStringLiteral("#PROD/APP/UPG2##PROD/BIL/X#") },
        { "same version unchanged", QStringLiteral("#PROD/APP/UPG2##TEST/APP/UPG1#"), QStringLiteral("Prod"),
            QStringLiteral("app"), QStringLiteral("UPG2"), QStringLiteral("#PROD/APP/UPG2##TEST/APP/UPG1#") },
        { "other version replaced and moved to the end", QStringLiteral("#PROD/APP/UPG2##TEST/APP/UPG1#"),
            QStringLiteral("PROD"), QStringLiteral("APP"), QStringLiteral("upg3"),
            QStringLiteral("#TEST/APP/UPG1##PROD/APP/upg3#") },
        { "long rest is kept whole", QStringLiteral("#PROD/APP/A##TEST/APP/") + tail + QStringLiteral("#"),
            QStringLiteral("PROD"), QStringLiteral("APP"), QStringLiteral("B"),
            QStringLiteral("#TEST/APP/") + tail + QStringLiteral("##PROD/APP/B#") },
        { "hand-edited key without end", QStringLiteral("#TEST/APP/X##PROD/APP/"), QStringLiteral("PROD"),
            QStringLiteral("APP"), QStringLiteral("B"), QStringLiteral("#TEST/APP/X##PROD/APP/B#") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString after = lastVerWith(c.before, c.server, c.user, c.version);
        EXPECT_EQ(after, c.after);
        EXPECT_EQ(GetLastVer(after, c.server, c.user), c.version.toUpper());
    }
}

TEST(LastVer, ReadsTheEntryOfAliasAndUser)
{
    const QString value = QStringLiteral("#PROD/APP/upg2##TEST/APP/UPG1##PROD/APPX/Z#");
    EXPECT_EQ(GetLastVer(value, QStringLiteral("prod"), QStringLiteral("app")), QStringLiteral("UPG2"));
    EXPECT_EQ(GetLastVer(value, QStringLiteral("TEST"), QStringLiteral("APP")), QStringLiteral("UPG1"));
    EXPECT_EQ(GetLastVer(value, QStringLiteral("PROD"), QStringLiteral("APPX")), QStringLiteral("Z"));
    EXPECT_EQ(GetLastVer(value, QStringLiteral("DEV"), QStringLiteral("APP")), QString());
    EXPECT_EQ(GetLastVer(QStringLiteral("#PROD/APP/tail"), QStringLiteral("PROD"), QStringLiteral("APP")),
        QStringLiteral("TAIL"));
}

class LastVerFile : public testsupport::TempDirTest { };

TEST_F(LastVerFile, WritesTheSettingsFileOnlyOnAChange)
{
    const QString file = path(QStringLiteral("MONITOR.INI"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[PL/SQL]\r\nCURR_USER=APP\r\nVER_LAST=#PROD/APP/UPG1#\r\n");
    }
    platform::IniFile settings(file);
    QString current = settings.readString(QStringLiteral("PL/SQL"), QStringLiteral("VER_LAST"));

    ShraniLastVerResult r
        = ShraniLastVer(current, QStringLiteral("PROD"), QStringLiteral("APP"), QStringLiteral("UPG1"), settings);
    EXPECT_TRUE(r.ok);
    EXPECT_FALSE(r.changed);

    r = ShraniLastVer(current, QStringLiteral("TEST"), QStringLiteral("APP"), QStringLiteral("UPG7"), settings);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(current, QStringLiteral("#PROD/APP/UPG1##TEST/APP/UPG7#"));
    EXPECT_EQ(platform::IniFile(file).readString(QStringLiteral("PL/SQL"), QStringLiteral("VER_LAST")), current);
    EXPECT_EQ(platform::IniFile(file).readString(QStringLiteral("PL/SQL"), QStringLiteral("CURR_USER")),
        QStringLiteral("APP"));
}

TEST_F(LastVerFile, RefusesWhatItCannotStore)
{
    const QString file = path(QStringLiteral("MONITOR.INI"));
    platform::IniFile settings(file);
    QString current = QStringLiteral("#PROD/APP/A#");
    ShraniLastVerResult r
        = ShraniLastVer(current, QStringLiteral("PROD"), QStringLiteral("APP"), QStringLiteral("A#B"), settings);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(current, QStringLiteral("#PROD/APP/A#"));

    platform::IniFile unwritable(path(QStringLiteral("missing/dir/MONITOR.INI")));
    r = ShraniLastVer(current, QStringLiteral("PROD"), QStringLiteral("APP"), QStringLiteral("B"), unwritable);
    EXPECT_TRUE(r.changed);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
}
