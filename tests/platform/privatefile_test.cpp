// Files that hold secrets are their owner's only: the helpers themselves, and the user's key store that keeps the
// saved login data, new or written by an older build. Their contents stay as they were.
#include "platform/configdir.h"
#include "platform/privatefile.h"
#include "platform/userkeystore.h"
#include "support/filemode.h"
#include "support/tempdir.h"

#include <QFile>
#include <QFileInfo>

namespace {

void writeWithMode(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    ASSERT_TRUE(QFile::setPermissions(path, permissions));
}

constexpr QFileDevice::Permissions kWorldReadable
    = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

class PrivateFileTest : public testsupport::TempDirTest {
protected:
    mode_t saved = 0;
    void SetUp() override
    {
        saved = ::umask(022);
        platform::setUserConfigDir(path("cfg"));
    }
    void TearDown() override
    {
        platform::setUserConfigDir({});
        ::umask(saved);
    }
};

TEST_F(PrivateFileTest, HelpersMakeFilesOwnerOnlyAndKeepTheirContents)
{
    const QString created = path("new.ini");
    ASSERT_TRUE(platform::createOwnerOnly(created));
    EXPECT_EQ(testsupport::fileModeOf(created), 0600);
    EXPECT_EQ(QFileInfo(created).size(), 0);

    const QString old = path("old.ini");
    writeWithMode(old, "[A]\nB=C\n", kWorldReadable);
    ASSERT_TRUE(platform::createOwnerOnly(old));
    EXPECT_EQ(testsupport::fileModeOf(old), 0600);
    QFile f(old);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[A]\nB=C\n"));

    const QString other = path("other.ini");
    writeWithMode(other, "x", kWorldReadable);
    ASSERT_TRUE(platform::restrictToOwner(other));
    EXPECT_EQ(testsupport::fileModeOf(other), 0600);
    EXPECT_TRUE(platform::restrictToOwner(path("missing.ini"))); // nothing to do
    EXPECT_FALSE(QFileInfo::exists(path("missing.ini")));
}

// The saved login data's store is created owner-only, and one an older build left readable is made so when it is
// next opened, its values kept.
TEST_F(PrivateFileTest, KeyStoreOfLoginDataIsOwnerOnly)
{
    platform::UserKeyStore store(QStringLiteral("Software\\Velmorant\\Dremmox\\LoginData"));
    ASSERT_TRUE(store.writeString("Username", "q83kd0=="));
    const QString file = path("cfg/registry.ini");
    EXPECT_EQ(testsupport::fileModeOf(file), 0600);

    ASSERT_TRUE(QFile::setPermissions(file, kWorldReadable));
    platform::UserKeyStore again(QStringLiteral("Software\\Velmorant\\Dremmox\\LoginData"));
    EXPECT_EQ(again.readString("Username"), "q83kd0==");
    EXPECT_EQ(testsupport::fileModeOf(file), 0600);
}

} // namespace
