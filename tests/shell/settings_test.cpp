// The settings file MONITOR.INI: defaults on an empty file, the clamps of the minimised window's position, a file
// written on Windows, values that are not numbers, remembered passwords, and the full write.
#include "platform/inifile.h"
#include "shell/settings.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using shell::MainSettings;
using shell::SettingsEnvironment;

namespace {

class SettingsTest : public testsupport::TempDirTest {
protected:
    SettingsEnvironment environment() const
    {
        SettingsEnvironment env;
        env.screenWidth = 1280;
        env.screenHeight = 800;
        env.mainWindowWidth = 840;
        env.executableDir = tmp.path() + "/";
        env.editWidth = 640;
        env.editHeight = 480;
        return env;
    }
    QString iniPath() const { return shell::settingsFilePath(tmp.path() + "/"); }
    void writeIni(const QByteArray& bytes) const
    {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    shell::SettingsReadResult read(const SettingsEnvironment& env) const
    {
        const platform::IniFile ini(iniPath());
        return shell::readMainSettings(ini, env);
    }
    shell::SettingsReadResult read() const { return read(environment()); }
};

} // namespace

TEST_F(SettingsTest, MissingFileGivesTheDefaults)
{
    const shell::SettingsReadResult result = read();
    const MainSettings& s = result.settings;
    EXPECT_TRUE(result.problems.isEmpty());
    EXPECT_EQ(iniPath(), tmp.path() + "/MONITOR.INI");
    EXPECT_EQ(s.currentDateFormat, "DD.MM.YYYY");
    EXPECT_EQ(s.CurrStructureSelected, "D");
    EXPECT_EQ(s.currVerType, "PROCEDURE,FUNCTION,PACKAGE,PACKAGE BODY,TRIGGER");
    EXPECT_EQ(s.currForceOCI, "No");
    EXPECT_EQ(s.currLargeRBName, "LARGERB");
    EXPECT_EQ(s.currDescriptor, ",");
    EXPECT_EQ(s.currMacroFile, "DREMMOX.MCR");
    EXPECT_EQ(s.currEditPLFont, "Ms Sans Serif");
    EXPECT_EQ(s.currMinimizedMain, "N");
    EXPECT_EQ(s.currShowLogType, "LONG");
    EXPECT_EQ(s.currLoader, "IMP80");
    EXPECT_EQ(s.currLanguage, "ANG");
    EXPECT_EQ(s.currCharset, "EASTEUROPE_CHARSET");
    EXPECT_EQ(s.currShrani, "N");
    EXPECT_FALSE(s.currUnicode);
    EXPECT_EQ(s.currMinTop, 800 - 110);
    EXPECT_EQ(s.currMinLeft, 1280 - 840 - 35);
    EXPECT_EQ(s.currEditWidth, 640);
    EXPECT_EQ(s.currEditHeight, 480);
    EXPECT_EQ(s.currQUANDRELDir, tmp.path() + "/");
    EXPECT_TRUE(s.connUser.isEmpty());
    EXPECT_TRUE(s.connServer.isEmpty());
    EXPECT_TRUE(s.currVerOwner.isEmpty());
    EXPECT_TRUE(s.currOwner.isEmpty());
    EXPECT_TRUE(s.currCommentsFile.isEmpty());
    EXPECT_TRUE(s.currCubeCompany.isEmpty());
    EXPECT_FALSE(QFile::exists(iniPath())) << "reading creates no file";
}

TEST_F(SettingsTest, EmptyFileGivesTheDefaultsToo)
{
    writeIni("");
    const MainSettings s = read().settings;
    EXPECT_EQ(s.currentDateFormat, "DD.MM.YYYY");
    EXPECT_EQ(s.currMinTop, 690);
    EXPECT_EQ(s.currQUANDRELDir, tmp.path() + "/");
}

TEST_F(SettingsTest, FileWrittenOnWindowsReadsAsItDidThere)
{
    // CR LF, backslashes, section and keys in another case, blanks around values, a Windows-1250 letter.
    writeIni("[pl/sql]\r\n"
             "Curr_Dir=C:\\Quandrel\\PL\\\r\n"
             "CURR_SCRIPT_DIR = C:\\Quandrel\\Skripte\\ \r\n"
             "CURR_SCRIPT=UPG_2024_01\r\n"
             "CURR_PART_FILE=\\\\server\\share\\part.sql\r\n"
             "CURR_USER=voxa\r\n"
             "CURR_SERVER=PROD\r\n"
             "CURR_OWNER=VOXA\r\n"
             "CURR_LANGUAGE=SLO\r\n"
             "CURR_DATE_FORMAT=DD.MM.YYYY HH24:MI\r\n"
             "CURR_MIN_TOP=120\r\n"
             "CURR_MIN_LEFT=300\r\n"
             "CURR_EDIT_WIDTH=900\r\n"
             "CURR_EDIT_HEIGHT=700\r\n"
             "CURR_UNICODE=Y\r\n"
             "CURR_CUBECOMPANY=Podjetje \xc8"
             "evlji\r\n"
             "CURR_COMMENT_DIR=C:\\Quandrel\\Komentarji\\\r\n"
             "VER_LAST=#PROD/VOXA/UPG2##TEST/VOXA/UPG1#\r\n"
             "CURR_PASSWORD=xxxxx\r\n"
             "\r\n"
             "[ALIAS]\r\n"
             "CURR_QUANDREL_DIR=C:\\Oracle\\Network\\\r\n"
             "[MONITOR]\r\n"
             "CURR_SHRANI=N\r\n");
    const shell::SettingsReadResult result = read();
    const MainSettings& s = result.settings;
    EXPECT_TRUE(result.problems.isEmpty()) << result.problems.join("; ").toStdString();
    EXPECT_EQ(s.CurrentEditInitDir, "C:\\Quandrel\\PL\\");
    EXPECT_EQ(s.TmpCurrentEditInitDir, "C:\\Quandrel\\PL\\");
    EXPECT_EQ(s.currentScriptDir, "C:\\Quandrel\\Skripte\\");
    EXPECT_EQ(s.currentScript, "UPG_2024_01");
    EXPECT_EQ(s.CurrentPartFile, "\\\\server\\share\\part.sql");
    EXPECT_EQ(s.connUser, "VOXA");
    EXPECT_EQ(s.currVerOwner, "VOXA");
    EXPECT_EQ(s.connServer, "PROD");
    EXPECT_EQ(s.currOwner, "VOXA");
    EXPECT_EQ(s.currOwnerFile, "VOXA");
    EXPECT_EQ(s.currLanguage, "SLO");
    EXPECT_EQ(s.currentDateFormat, "DD.MM.YYYY HH24:MI");
    EXPECT_EQ(s.currMinTop, 120);
    EXPECT_EQ(s.currMinLeft, 300);
    EXPECT_EQ(s.currEditWidth, 900);
    EXPECT_EQ(s.currEditHeight, 700);
    EXPECT_TRUE(s.currUnicode);
    EXPECT_EQ(s.currCubeCompany, QStringLiteral("Podjetje Čevlji"));
    EXPECT_EQ(s.currCommentsFile, "C:\\Quandrel\\Komentarji\\");
    EXPECT_EQ(s.currLastVer, "#PROD/VOXA/UPG2##TEST/VOXA/UPG1#");
    EXPECT_EQ(s.currQUANDRELDir, "C:\\Oracle\\Network\\");
    EXPECT_EQ(s.currShrani, "N");
    EXPECT_TRUE(s.connPassword.isEmpty()) << "CURR_PASSWORD is never read";
}

TEST_F(SettingsTest, MinimisedWindowPositionIsKeptOnTheScreen)
{
    struct Case {
        const char* name;
        QByteArray top;
        QByteArray left;
        int expectedTop;
        int expectedLeft;
        int problems;
    };
    // Screen 1280 x 800, main window 840 wide: top at most 690, left at most 405.
    const Case cases[] = {
        { "zero means the corner", "0", "0", 690, 405, 0 },
        { "beyond the screen is pulled back", "5000", "406", 690, 405, 0 },
        { "on the screen is kept", "690", "405", 690, 405, 0 },
        { "a small position is kept", "1", "17", 1, 17, 0 },
        { "negative is kept (a screen on the left)", "-20", "-300", -20, -300, 0 },
        { "not a number falls back to the default", "abc", "12px", 690, 405, 2 },
        { "an empty value is the default", "", "", 690, 405, 0 },
        { "a number beyond int is not a number", "99999999999", "7", 690, 7, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeIni("[PL/SQL]\nCURR_MIN_TOP=" + c.top + "\nCURR_MIN_LEFT=" + c.left + "\n");
        const shell::SettingsReadResult result = read();
        EXPECT_EQ(result.settings.currMinTop, c.expectedTop);
        EXPECT_EQ(result.settings.currMinLeft, c.expectedLeft);
        EXPECT_EQ(result.problems.size(), c.problems) << result.problems.join("; ").toStdString();
    }
}

TEST_F(SettingsTest, HandEditedValuesNeverStopTheReading)
{
    writeIni("[PL/SQL]\nCURR_EDIT_WIDTH=wide\nCURR_EDIT_HEIGHT=12.5\nCURR_LANGUAGE=SLO\n");
    const shell::SettingsReadResult result = read();
    EXPECT_EQ(result.settings.currEditWidth, 640);
    EXPECT_EQ(result.settings.currEditHeight, 480);
    EXPECT_EQ(result.settings.currLanguage, "SLO") << "keys after the bad ones are still read";
    ASSERT_EQ(result.problems.size(), 2);
    EXPECT_TRUE(result.problems.at(0).contains("CURR_EDIT_WIDTH"));
    EXPECT_TRUE(result.problems.at(1).contains("CURR_EDIT_HEIGHT"));
}

TEST_F(SettingsTest, DerivedValues)
{
    struct Case {
        const char* name;
        QByteArray lines;
        std::function<void(const MainSettings&)> check;
    };
    const Case cases[] = {
        { "user upper-cased, owner of versions from it", "CURR_USER=voxa\n",
            [](const MainSettings& s) {
                EXPECT_EQ(s.connUser, "VOXA");
                EXPECT_EQ(s.currVerOwner, "VOXA");
            } },
        { "own version owner kept", "CURR_USER=voxa\nVER_OWNER=bildor\n",
            [](const MainSettings& s) { EXPECT_EQ(s.currVerOwner, "bildor"); } },
        { "rollback segment name upper-cased", "CURR_LARGERB=rbs_big\n",
            [](const MainSettings& s) { EXPECT_EQ(s.currLargeRBName, "RBS_BIG"); } },
        { "unicode: lower-case n counts as on", "CURR_UNICODE=n\n",
            [](const MainSettings& s) { EXPECT_TRUE(s.currUnicode); } },
        { "unicode: N is off", "CURR_UNICODE=N\n", [](const MainSettings& s) { EXPECT_FALSE(s.currUnicode); } },
        { "language kept as written", "CURR_LANGUAGE=slo\n",
            [](const MainSettings& s) { EXPECT_EQ(s.currLanguage, "slo"); } },
        { "empty alias directory is the executable's", "[ALIAS]\nCURR_QUANDREL_DIR=\n",
            [this](const MainSettings& s) { EXPECT_EQ(s.currQUANDRELDir, tmp.path() + "/"); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeIni(c.lines.startsWith('[') ? c.lines : "[PL/SQL]\n" + c.lines);
        c.check(read().settings);
    }
}

TEST_F(SettingsTest, RememberedPasswordsOnlyWhenSwitchedOn)
{
    QStringList asked;
    SettingsEnvironment env = environment();
    env.rememberedPassword = [&asked](const QString& instance, const QString& user) {
        asked << instance + "/" + user;
        return user == "VEXO_UTIL" ? QStringLiteral("UTILPW") : QStringLiteral("MAINPW");
    };

    writeIni("[PL/SQL]\nCURR_USER=voxa\nCURR_SERVER=PROD\n[MONITOR]\nCURR_SHRANI=N\n");
    MainSettings s = read(env).settings;
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(s.connPassword.isEmpty());

    writeIni("[PL/SQL]\nCURR_USER=voxa\nCURR_SERVER=PROD\n[MONITOR]\nCURR_SHRANI=NFX2\n");
    s = read(env).settings;
    EXPECT_EQ(asked, QStringList({ "PROD/VOXA", "PROD/VEXO_UTIL" }));
    EXPECT_EQ(s.connPassword, "MAINPW");
    EXPECT_EQ(s.connPasswordUtil, "UTILPW");
}

TEST_F(SettingsTest, FullWriteReadsBackTheSame)
{
    MainSettings s;
    s.TmpCurrentEditInitDir = "C:\\Quandrel\\PL\\";
    s.currentScriptDir = "/srv/skripte/";
    s.currentScript = "UPG1";
    s.connUser = "VOXA";
    s.connServer = "PROD";
    s.currVerOwner = "VOXA";
    s.currVerType = "PACKAGE,PACKAGE BODY";
    s.currLastVer = "#PROD/VOXA/UPG1#";
    s.currMinTop = 120;
    s.currMinLeft = 300;
    s.currEditWidth = 900;
    s.currEditHeight = 700;
    s.currUnicode = true;
    s.currLanguage = "SLO";
    s.currCubeCompany = QStringLiteral("Čevlji d.o.o.");
    s.currQUANDRELDir = "/etc/quandrel/";
    s.currShrani = "NFX2";
    s.connPassword = "SECRET";
    {
        platform::IniFile ini(iniPath());
        QString error;
        ASSERT_TRUE(shell::writeMainSettings(ini, s, &error)) << error.toStdString();
        EXPECT_TRUE(error.isEmpty());
        EXPECT_EQ(ini.readString("PL/SQL", "CURR_PASSWORD"), "xxxxx");
        EXPECT_EQ(ini.readString("PL/SQL", "CURR_PASSWORDUTIL"), "xxxxx");
        EXPECT_EQ(ini.readString("PL/SQL", "CURR_UNICODE"), "Y");
    }
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("SECRET")) << "no password is written as a setting";

    const MainSettings back = read().settings;
    EXPECT_EQ(back.CurrentEditInitDir, s.TmpCurrentEditInitDir);
    EXPECT_EQ(back.currentScriptDir, s.currentScriptDir);
    EXPECT_EQ(back.currentScript, s.currentScript);
    EXPECT_EQ(back.connUser, s.connUser);
    EXPECT_EQ(back.connServer, s.connServer);
    EXPECT_EQ(back.currVerType, s.currVerType) << "the list of object types survives a restart";
    EXPECT_EQ(back.currLastVer, s.currLastVer);
    EXPECT_EQ(back.currMinTop, 120);
    EXPECT_EQ(back.currMinLeft, 300);
    EXPECT_EQ(back.currEditWidth, 900);
    EXPECT_EQ(back.currEditHeight, 700);
    EXPECT_TRUE(back.currUnicode);
    EXPECT_EQ(back.currLanguage, "SLO");
    EXPECT_EQ(back.currCubeCompany, s.currCubeCompany);
    EXPECT_EQ(back.currQUANDRELDir, s.currQUANDRELDir);
    EXPECT_EQ(back.currShrani, "NFX2");
    EXPECT_EQ(back.currentDateFormat, "DD.MM.YYYY");
}

TEST_F(SettingsTest, FullWriteKeepsTheFileWindowsStyle)
{
    writeIni("; settings of the tool\r\n[PL/SQL]\r\nCURR_SCRIPT=OLD\r\n[SELECTED]\r\nVOXA.ARTIKLI=1\r\n");
    MainSettings s;
    s.currentScript = "NEW";
    platform::IniFile ini(iniPath());
    ASSERT_TRUE(shell::writeMainSettings(ini, s));
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains("CURR_SCRIPT=NEW\r\n"));
    EXPECT_TRUE(bytes.contains("VOXA.ARTIKLI=1")) << "other sections stay";
    EXPECT_TRUE(bytes.contains("; settings of the tool"));
}

TEST_F(SettingsTest, FailedWriteIsReported)
{
    // A settings file whose directory cannot exist: its parent is a file.
    QFile blocker(path("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    platform::IniFile ini(path("blocker") + "/MONITOR.INI");
    QString error;
    EXPECT_FALSE(shell::writeMainSettings(ini, MainSettings(), &error));
    EXPECT_TRUE(error.contains("CURR_DIR")) << error.toStdString();
    EXPECT_TRUE(error.contains("MONITOR.INI")) << error.toStdString();
}
