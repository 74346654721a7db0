#include "platform/configdir.h"
#include "platform/userkeystore.h"

#include "support/tempdir.h"

using platform::UserKeyStore;

namespace {

class UserKeyStoreTest : public testsupport::TempDirTest {
protected:
    void SetUp() override { platform::setUserConfigDir(path("cfg")); }
    void TearDown() override { platform::setUserConfigDir({}); }
};

TEST_F(UserKeyStoreTest, ValuesRoundTripUnderTheToolsKeyPath)
{
    UserKeyStore store(QStringLiteral("Software\\Velmorant\\Dremmox\\LoginData"));
    EXPECT_FALSE(store.contains("Username"));
    EXPECT_EQ(store.readString("Username", "none"), "none");
    ASSERT_TRUE(store.writeString("Username", "q83kd0==")) << store.errorString().toStdString();
    ASSERT_TRUE(store.writeString("Alias", QStringLiteral("PROD;Šiška=1")));

    UserKeyStore again(QStringLiteral("Software\\Velmorant\\Dremmox\\LoginData"));
    EXPECT_TRUE(again.contains("Username"));
    EXPECT_EQ(again.readString("Username"), "q83kd0==");
    EXPECT_EQ(again.readString("Alias"), QStringLiteral("PROD;Šiška=1"));

    UserKeyStore otherKey(QStringLiteral("Software\\Velmorant\\Other"));
    EXPECT_FALSE(otherKey.contains("Username"));

    ASSERT_TRUE(again.remove("Username"));
    EXPECT_FALSE(store.contains("Username"));
    EXPECT_TRUE(store.contains("Alias"));
}

TEST_F(UserKeyStoreTest, AStoreThatCannotBeWrittenIsReported)
{
    // A directory where the store's file should be makes the write fail.
    QDir().mkpath(path("cfg/registry.ini"));
    UserKeyStore store(QStringLiteral("Software\\Velmorant\\Dremmox\\LoginData"));
    EXPECT_FALSE(store.writeString("Username", "x"));
    EXPECT_FALSE(store.errorString().isEmpty());
}

} // namespace
