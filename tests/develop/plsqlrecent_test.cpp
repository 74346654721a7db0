// The PL/SQL editor's recent files in PL_SQL.INI: the value of a key, the list's order and limit, reading and writing.
#include "develop/plsqlrecent.h"
#include "platform/inifile.h"
#include "support/tempdir.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QDateTime at(int minute)
{
    return QDateTime(QDate(2024, 5, 31), QTime(14, minute, 0));
}

class RecentFilesTest : public testsupport::TempDirTest {
protected:
    QString ini() const { return path(QStringLiteral("PL_SQL.INI")); }
    QString key(int k) const
    {
        return platform::IniFile(ini()).readString(QStringLiteral("EDITPL"), QStringLiteral("HFILE%1").arg(k),
            QStringLiteral("X"));
    }
};

} // namespace

TEST(RecentFilesValue, WrittenAndReadBack)
{
    struct Case {
        const char* name;
        develop::Tdatoteke entry;
        QString value;
    };
    const std::vector<Case> cases = {
        { "windows directory", { "PCK_A.SQL", "C:\\SQL\\", "2024.05.31 14:02:11" },
            "PCK_A.SQL/C:\\SQL\\/2024.05.31 14:02:11" },
        { "directory with slashes", { "pck_a.sql", "/home/ana/sql/", "2024.05.31 14:02:11" },
            "pck_a.sql//home/ana/sql//2024.05.31 14:02:11" },
        { "long directory", { "b.sql", "/" + QString(150, QLatin1Char('d')) + "/", "2024.01.01 00:00:00" },
            "b.sql//" + QString(150, QLatin1Char('d')) + "//2024.01.01 00:00:00" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(develop::RecentFiles::entryValue(c.entry), c.value);
        develop::Tdatoteke back;
        ASSERT_TRUE(develop::RecentFiles::parseValue(c.value, back));
        EXPECT_EQ(back.ime, c.entry.ime);
        EXPECT_EQ(back.dir, c.entry.dir);
        EXPECT_EQ(back.datumUra, c.entry.datumUra);
    }
    develop::Tdatoteke none;
    EXPECT_FALSE(develop::RecentFiles::parseValue(QStringLiteral("no separators"), none));
    EXPECT_FALSE(develop::RecentFiles::parseValue(QStringLiteral("one/separator"), none));
}

TEST(RecentFilesValue, DisplayLine)
{
    EXPECT_EQ(develop::RecentFiles::displayLine({ "pck_a.sql", "/sql/", "" }), QStringLiteral("PCK_A         /sql/"));
    EXPECT_EQ(develop::RecentFiles::displayLine({ "readme", "/d/", "" }), QStringLiteral("README         /d/"));
    EXPECT_EQ(develop::RecentFiles::displayLine({ "a.sql", "/d/", "" }, 6), QStringLiteral("A              /d/"));
    develop::RecentFiles list;
    list.enter(QStringLiteral("a.sql"), QStringLiteral("/d/"), QDateTime::currentDateTime());
    list.enter(QStringLiteral("pck_long.sql"), QStringLiteral("/d/"), QDateTime::currentDateTime());
    EXPECT_EQ(list.displayNameWidth(), 8);
}

TEST_F(RecentFilesTest, TheTwentySixthFileReplacesTheOldest)
{
    develop::RecentFiles list;
    for (int i = 0; i < 25; ++i)
        list.enter(QStringLiteral("f%1.sql").arg(i), QStringLiteral("/d/"), at(i));
    ASSERT_TRUE(list.write(ini()));
    EXPECT_EQ(key(1), QStringLiteral("f24.sql//d//2024.05.31 14:24:00"));
    list.enter(QStringLiteral("new.sql"), QStringLiteral("/d/"), at(40));
    ASSERT_TRUE(list.write(ini()));
    develop::RecentFiles back;
    back.read(ini());
    ASSERT_EQ(back.count(), 25);
    EXPECT_EQ(back.entries().first().ime, QStringLiteral("new.sql"));
    EXPECT_EQ(back.entries().last().ime, QStringLiteral("f1.sql")); // f0 was the oldest
    EXPECT_EQ(key(26), QStringLiteral("X"));
}

TEST_F(RecentFilesTest, AListedFileOnlyMovesToTheTop)
{
    develop::RecentFiles list;
    list.enter(QStringLiteral("a.sql"), QStringLiteral("/d/"), at(1));
    list.enter(QStringLiteral("b.sql"), QStringLiteral("/d/"), at(2));
    list.enter(QStringLiteral("a.sql"), QStringLiteral("/e/"), at(3)); // same name, other directory
    list.enter(QStringLiteral("a.sql"), QStringLiteral("/d/"), at(4));
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.entries().at(0).dir + list.entries().at(0).ime, QStringLiteral("/d/a.sql"));
    EXPECT_EQ(list.entries().at(0).datumUra, QStringLiteral("2024.05.31 14:04:00"));
    EXPECT_EQ(list.entries().at(1).dir + list.entries().at(1).ime, QStringLiteral("/e/a.sql"));
    EXPECT_EQ(list.entries().at(2).ime, QStringLiteral("b.sql"));
}

TEST_F(RecentFilesTest, ReadingStopsAtTheFirstMissingKey)
{
    QFile f(ini());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[EDITPL]\r\nHFILE1=a.sql/C:\\A\\/2024.05.31 14:00:03\r\nHFILE2=b.sql//b//2024.05.31 14:00:02\r\n"
            "HFILE3=c.sql//c//2024.05.31 14:00:01\r\nHFILE5=e.sql//e//2024.05.31 14:00:00\r\n");
    f.close();
    develop::RecentFiles list;
    list.read(ini());
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.entries().at(0).dir, QStringLiteral("C:\\A\\"));
    EXPECT_EQ(list.entries().at(2).dir, QStringLiteral("/c/"));
    list.read(path(QStringLiteral("missing.ini")));
    EXPECT_EQ(list.count(), 0);
}

TEST_F(RecentFilesTest, RemovingTheOnlyEntryLeavesNoKey)
{
    develop::RecentFiles list;
    list.enter(QStringLiteral("a.sql"), QStringLiteral("/d/"), at(1));
    list.enter(QStringLiteral("b.sql"), QStringLiteral("/d/"), at(2));
    list.remove(0);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.entries().first().ime, QStringLiteral("a.sql"));
    list.remove(0);
    list.remove(3); // nothing there
    ASSERT_TRUE(list.write(ini()));
    EXPECT_EQ(key(1), QStringLiteral("X"));
    EXPECT_TRUE(platform::IniFile(ini()).keys(QStringLiteral("EDITPL")).isEmpty());
}

TEST_F(RecentFilesTest, TheFileJustUsedLeadsItsSecond)
{
    develop::RecentFiles list;
    list.enter(QStringLiteral("a.sql"), QStringLiteral("/d/"), at(1));
    list.enter(QStringLiteral("b.sql"), QStringLiteral("/d/"), at(1));
    EXPECT_EQ(list.entries().first().ime, QStringLiteral("b.sql"));
    list.enter(QStringLiteral("a.sql"), QStringLiteral("/d/"), at(1));
    EXPECT_EQ(list.entries().first().ime, QStringLiteral("a.sql"));
}
