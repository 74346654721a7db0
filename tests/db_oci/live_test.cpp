// The driver against a real Oracle database, when DREMMOX_TEST_ORACLE names one as user/password@alias (and an
// Oracle client can be found); skipped otherwise.
#include "db/oci/ociclient.h"
#include "db/oci/ocidriver.h"
#include "db/query.h"
#include "db/session.h"

#include <gtest/gtest.h>

namespace {

struct LiveLogon {
    QString user, password, database;
};

std::optional<LiveLogon> liveLogon()
{
    const QString spec = qEnvironmentVariable("DREMMOX_TEST_ORACLE");
    const int slash = spec.indexOf(QLatin1Char('/'));
    const int at = spec.lastIndexOf(QLatin1Char('@'));
    if (spec.isEmpty() || slash < 1 || at < slash)
        return std::nullopt;
    return LiveLogon { spec.left(slash), spec.mid(slash + 1, at - slash - 1), spec.mid(at + 1) };
}

class OciLiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto logon = liveLogon();
        if (!logon)
            GTEST_SKIP() << "DREMMOX_TEST_ORACLE is not set to user/password@alias";
        // The client is found as the program finds it.
        db::oci::setClientLocation(qEnvironmentVariable("DREMMOX_ORACLE_CLIENT"));
        session.setDriver(db::oci::newClientDriver());
        session.setUserName(logon->user);
        session.setPassword(logon->password);
        session.setDatabase(logon->database);
        session.logOn();
    }
    void TearDown() override { db::oci::setClientLocation({}); }
    db::Session session;
};

TEST_F(OciLiveTest, QueriesBindsErrorsOutputAndTransactions)
{
    EXPECT_EQ(session.databaseKind(), QStringLiteral("Oracle"));
    EXPECT_TRUE(session.serverVersion().startsWith(QStringLiteral("Oracle"))) << session.serverVersion().toStdString();

    db::Query q(&session);
    q.setSql(QStringLiteral("SELECT :N * 2 AS TWICE, :S || 'x' AS S, TO_DATE('2001-02-03 04:05:06', "
                            "'YYYY-MM-DD HH24:MI:SS') AS D, CAST(NULL AS NUMBER) AS Z, 12.5 AS F FROM DUAL"));
    q.declareVariable(QStringLiteral("N"), db::BindType::Integer);
    q.declareVariable(QStringLiteral("S"), db::BindType::String);
    q.setVariable(QStringLiteral("N"), 21);
    q.setVariable(QStringLiteral("S"), QStringLiteral("ž"));
    q.execute();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.field(QStringLiteral("TWICE")).toLongLong(), 42);
    EXPECT_EQ(q.field(QStringLiteral("S")).toString(), QStringLiteral("žx"));
    EXPECT_EQ(q.field(QStringLiteral("D")).toDateTime(), QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC));
    EXPECT_TRUE(q.fieldIsNull(QStringLiteral("Z")));
    EXPECT_DOUBLE_EQ(q.field(QStringLiteral("F")).toDouble(), 12.5);

    q.setSql(QStringLiteral("SELECT 1 FROM\n  NO_SUCH_TABLE_X"));
    try {
        q.execute();
        FAIL() << "no error";
    } catch (const db::OracleError& e) {
        EXPECT_EQ(e.code(), 942);
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.position(), 3);
    }

    session.enableOutput();
    q.setSql(QStringLiteral("BEGIN DBMS_OUTPUT.PUT_LINE('hello'); DBMS_OUTPUT.PUT_LINE('world'); END;"));
    q.execute();
    EXPECT_EQ(session.takeOutputLines(), (QStringList { "hello", "world" }));

    q.setSql(QStringLiteral("CREATE OR REPLACE PROCEDURE DREMMOX_LIVE_BROKEN IS BEGIN NO_SUCH; END;"));
    q.execute();
    ASSERT_TRUE(q.warning());
    EXPECT_EQ(q.warning()->code(), 24344);
    q.setSql(QStringLiteral("DROP PROCEDURE DREMMOX_LIVE_BROKEN"));
    q.execute();
    EXPECT_FALSE(session.inTransaction());
}

} // namespace
