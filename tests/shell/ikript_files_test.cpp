// The settings file that holds remembered passwords is its owner's only: made so when a password is stored, and
// when one is read from a file an older build left readable by others. What the file holds is not changed.
#include "platform/inifile.h"
#include "shell/iKript.h"
#include "support/filemode.h"
#include "support/tempdir.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class TKriptFiles : public testsupport::TempDirTest {
protected:
    mode_t saved = 0;
    void SetUp() override { saved = ::umask(022); }
    void TearDown() override { ::umask(saved); }
    QString iniPath() const { return path("MONITOR.INI"); }
};

TEST_F(TKriptFiles, StoringAPasswordMakesTheFileOwnerOnly)
{
    platform::IniFile ini(iniPath());
    ASSERT_TRUE(ini.writeString("PL/SQL", "CURR_USER", "VOXA"));
    EXPECT_EQ(testsupport::fileModeOf(iniPath()), 0644); // settings without a password: as the umask says
    ASSERT_TRUE(TKript::shraniGeslo(ini, "ORCL", "VOXA", "tiger", {}));
    EXPECT_EQ(testsupport::fileModeOf(iniPath()), 0600);
    EXPECT_EQ(ini.readString("PL/SQL", "CURR_USER").toStdString(), "VOXA");
    EXPECT_EQ(TKript::vzemiGeslo(ini, "ORCL", "VOXA").toStdString(), "TIGER");
    // Later writes of other keys keep the file owner-only.
    ASSERT_TRUE(ini.writeString("PL/SQL", "CURR_SERVER", "ORCL"));
    EXPECT_EQ(testsupport::fileModeOf(iniPath()), 0600);
}

TEST_F(TKriptFiles, ANewFileWithAPasswordIsOwnerOnlyFromTheStart)
{
    platform::IniFile ini(iniPath());
    ASSERT_TRUE(TKript::shraniGeslo(ini, "ORCL", "VOXA", "tiger", {}));
    EXPECT_EQ(testsupport::fileModeOf(iniPath()), 0600);
}

TEST_F(TKriptFiles, ReadingAPasswordFromAReadableFileRestrictsIt)
{
    {
        platform::IniFile ini(iniPath());
        ASSERT_TRUE(TKript::shraniGeslo(ini, "ORCL", "VOXA", "tiger", {}));
    }
    ASSERT_TRUE(QFile::setPermissions(
        iniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    const platform::IniFile ini(iniPath());
    EXPECT_EQ(TKript::vzemiGeslo(ini, "ORCL", "VOXA").toStdString(), "TIGER");
    EXPECT_EQ(testsupport::fileModeOf(iniPath()), 0600);
}

} // namespace
