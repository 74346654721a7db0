#include "platform/codepage.h"
#include "platform/configdir.h"
#include "platform/inifile.h"

#include "support/tempdir.h"

#include <QFile>
#include <QFileDevice>
#include <QThread>

#include <atomic>

using platform::IniFile;

namespace {

class IniFileTest : public testsupport::TempDirTest {
protected:
    void writeBytes(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readBytes(const QString& name)
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    IniFile missing(path("nothing.ini"));
    EXPECT_EQ(missing.readString("PL/SQL", "CURR_DIR", "dflt"), "dflt");
    EXPECT_FALSE(missing.sectionExists("PL/SQL"));

    writeBytes("a.ini", "[PL/SQL]\nCURR_DIR=c:\\work\\\n");
    IniFile ini(path("a.ini"));
    EXPECT_EQ(ini.readString("MONITOR", "CURR_DIR", "x"), "x");
    EXPECT_EQ(ini.readString("PL/SQL", "NO_SUCH_KEY", "y"), "y");
}

TEST_F(IniFileTest, SectionsAndKeysAreCaseInsensitiveAndValuesTrimmed)
{
    writeBytes("a.ini", "[Pl/Sql]\n  Curr_Date_Format =  DD.MM.YYYY  \n");
    IniFile ini(path("a.ini"));
    EXPECT_EQ(ini.readString("PL/SQL", "CURR_DATE_FORMAT"), "DD.MM.YYYY");
    EXPECT_EQ(ini.readString("pl/sql", "curr_date_format"), "DD.MM.YYYY");
    EXPECT_TRUE(ini.sectionExists("PL/SQL"));
}

TEST_F(IniFileTest, AwkwardValuesReadBackExactly)
{
    struct Case {
        const char* name;
        QString value;
    };
    const Case cases[] = {
        { "equals sign", QStringLiteral("a=b=c") },
        { "semicolon", QStringLiteral("x;y ; z") },
        { "hash", QStringLiteral("#NFX2#") },
        { "backslashes", QStringLiteral("C:\\Program Files\\Dremmox\\") },
        { "slovenian", QStringLiteral("Šiška, Žiri, Črnomelj") },
        { "other scripts", QStringLiteral("Ωμέγα 日本") },
        { "quotes", QStringLiteral("\"quoted\" 'single'") },
    };
    IniFile ini(path("a.ini"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(ini.writeString("S", c.name, c.value)) << ini.errorString().toStdString();
        IniFile fresh(path("a.ini"));
        EXPECT_EQ(fresh.readString("S", c.name), c.value);
    }
}

TEST_F(IniFileTest, KeyWrittenTwiceKeepsOneEntryInPlaceAndOtherLines)
{
    writeBytes("a.ini", "; settings of the tool\n[PL/SQL]\n; the script directory\nCURR_DIR=one\nCURR_USER=VOXA\n"
                        "[ALIAS]\nCURR_QUANDREL_DIR=c:\\ora\\\n");
    IniFile ini(path("a.ini"));
    ASSERT_TRUE(ini.writeString("pl/sql", "curr_dir", "two"));
    ASSERT_TRUE(ini.writeString("PL/SQL", "CURR_DIR", "three"));
    EXPECT_EQ(ini.readString("PL/SQL", "CURR_DIR"), "three");
    EXPECT_EQ(ini.keys("PL/SQL"), QStringList({ "CURR_DIR", "CURR_USER" }));
    EXPECT_EQ(ini.sections(), QStringList({ "PL/SQL", "ALIAS" }));
    const QByteArray text = readBytes("a.ini");
    EXPECT_TRUE(text.contains("; settings of the tool"));
    EXPECT_TRUE(text.contains("; the script directory"));
    EXPECT_EQ(text.count("CURR_DIR"), 1);
    EXPECT_TRUE(text.indexOf("CURR_DIR") < text.indexOf("CURR_USER"));
}

TEST_F(IniFileTest, WindowsFileWithCrLfAndCodePage1250ReadsAndStaysSo)
{
    const QByteArray windows = "[PL/SQL]\r\nCURR_OWNER=VOXA\r\nCURR_COMMENT_DIR=C:\\Dremmox\\Komentarji\\\r\n"
                               "ORG=\x8A" "entjur \x9Ei\x9E" "ek \xE8rn\r\n";
    writeBytes("MONITOR.INI", windows);
    IniFile ini(path("MONITOR.INI"));
    EXPECT_EQ(ini.readString("PL/SQL", "CURR_COMMENT_DIR"), "C:\\Dremmox\\Komentarji\\");
    EXPECT_EQ(ini.readString("PL/SQL", "ORG"), QStringLiteral("Šentjur žižek črn"));
    EXPECT_EQ(ini.readString("PL/SQL", "CURR_OWNER"), "VOXA");

    ASSERT_TRUE(ini.writeString("PL/SQL", "CURR_USER", QStringLiteral("ČUK")));
    const QByteArray after = readBytes("MONITOR.INI");
    EXPECT_FALSE(after.contains("\n") && after.count("\n") != after.count("\r\n")) << "line ends stay CR LF";
    EXPECT_TRUE(after.contains("CURR_USER=\xC8UK\r\n")) << "written in the file's own code page";
    EXPECT_TRUE(after.contains("\x8A" "entjur"));
}

TEST_F(IniFileTest, CodePageFileTakesUtf8WhenATextDoesNotFit)
{
    writeBytes("a.ini", "[S]\nK=\x8A\n");
    IniFile ini(path("a.ini"));
    ASSERT_TRUE(ini.writeString("S", "J", QStringLiteral("日本")));
    const QByteArray after = readBytes("a.ini");
    EXPECT_TRUE(platform::codepage::isValidUtf8(after));
    IniFile fresh(path("a.ini"));
    EXPECT_EQ(fresh.readString("S", "K"), QStringLiteral("Š"));
    EXPECT_EQ(fresh.readString("S", "J"), QStringLiteral("日本"));
}

TEST_F(IniFileTest, ReadsSeeChangesMadeByOthers)
{
    IniFile ini(path("a.ini"));
    ASSERT_TRUE(ini.writeString("S", "K", "1"));
    IniFile other(path("a.ini"));
    ASSERT_TRUE(other.writeString("S", "K", "22"));
    EXPECT_EQ(ini.readString("S", "K"), "22");
}

TEST_F(IniFileTest, DeleteKeyAndEraseSection)
{
    IniFile ini(path("a.ini"));
    ASSERT_TRUE(ini.writeString("BAZA_X", "VOXA", "p1"));
    ASSERT_TRUE(ini.writeString("BAZA_X", "BILDOR", "p2"));
    ASSERT_TRUE(ini.writeString("OTHER", "K", "v"));
    ASSERT_TRUE(ini.deleteKey("baza_x", "voxa"));
    EXPECT_EQ(ini.readString("BAZA_X", "VOXA", "gone"), "gone");
    EXPECT_EQ(ini.readString("BAZA_X", "BILDOR"), "p2");
    ASSERT_TRUE(ini.eraseSection("BAZA_X"));
    EXPECT_FALSE(ini.sectionExists("BAZA_X"));
    EXPECT_EQ(ini.readString("OTHER", "K"), "v");
    EXPECT_TRUE(ini.deleteKey("NONE", "NONE")) << "deleting what is not there is no failure";
}

TEST_F(IniFileTest, LineBreakInAValueCannotStartAStrayLine)
{
    IniFile ini(path("a.ini"));
    ASSERT_TRUE(ini.writeString("S", "K", "first\n[EVIL]\nX=1"));
    EXPECT_FALSE(ini.sectionExists("EVIL"));
}

TEST_F(IniFileTest, UnwritableLocationIsReported)
{
    IniFile ini(path("no/such/dir/a.ini"));
    EXPECT_FALSE(ini.writeString("S", "K", "v"));
    EXPECT_FALSE(ini.errorString().isEmpty());

    if (geteuid() == 0)
        GTEST_SKIP() << "root writes through permission bits";
    QDir().mkpath(path("ro"));
    QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    IniFile ro(path("ro/a.ini"));
    EXPECT_FALSE(ro.writeString("S", "K", "v"));
    QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(IniFileTest, UnreadableFileReadsAsEmpty)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads through permission bits";
    writeBytes("a.ini", "[S]\nK=v\n");
    QFile::setPermissions(path("a.ini"), QFileDevice::WriteOwner);
    IniFile ini(path("a.ini"));
    EXPECT_EQ(ini.readString("S", "K", "dflt"), "dflt");
}

TEST_F(IniFileTest, AFileNameWithoutDirectoryLivesInTheConfigDirectory)
{
    platform::setUserConfigDir(path("cfg"));
    IniFile ini("PL_SQL.INI");
    EXPECT_EQ(ini.fileName(), path("cfg") + "/PL_SQL.INI");
    ASSERT_TRUE(ini.writeString("EDITPL", "File1", "a.sql"));
    EXPECT_TRUE(QFile::exists(path("cfg/PL_SQL.INI")));
    platform::setUserConfigDir({});
}

TEST_F(IniFileTest, ConcurrentReadersSeeWholeValues)
{
    IniFile ini(path("a.ini"));
    ASSERT_TRUE(ini.writeString("S", "K", "stable"));
    std::atomic<int> bad { 0 };
    auto reader = [&] {
        for (int i = 0; i < 300; ++i)
            if (ini.readString("S", "K") != "stable")
                ++bad;
    };
    QThread* a = QThread::create(reader);
    QThread* b = QThread::create(reader);
    a->start();
    b->start();
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(ini.writeString("S", QStringLiteral("N%1").arg(i), "x"));
    a->wait();
    b->wait();
    delete a;
    delete b;
    EXPECT_EQ(bad.load(), 0);
}

} // namespace
