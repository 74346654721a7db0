// The main window's hooks that the command runner's module fills, on the demo database: the several-installations
// mark (vecInstalacij and the installation table), the installation of the connected user, and the runner's
// statements (the audit host, the last-version check by whole names and by owner).
#include "script_window_fixture.h"

#include "deploy/mainrunner.h"
#include "deploy/runnerqueries.h"

class RunnerHooks : public deploytest::ScriptWindowTest { };

TEST_F(RunnerHooks, TheRunnersHooksReadTheInstallationsOfTheDemo)
{
    deploy::installCommandRunner(*main);
    ASSERT_TRUE(main->hooks.aliJeVecInstacijNaTrenutniInstanci);
    EXPECT_FALSE(main->hooks.aliJeVecInstacijNaTrenutniInstanci(QStringLiteral("DEMO")));
    QFile mark(path(QStringLiteral("VECINSTALACIJ")));
    ASSERT_TRUE(mark.open(QIODevice::WriteOnly));
    mark.write("DEMO2 false\nDemo true\n");
    mark.close();
    EXPECT_TRUE(main->hooks.aliJeVecInstacijNaTrenutniInstanci(QStringLiteral("DEMO")));
    EXPECT_FALSE(main->hooks.aliJeVecInstacijNaTrenutniInstanci(QStringLiteral("DEMO2")));
    EXPECT_TRUE(main->hooks.openInstallationsTable());

    // The connected user's installation: as an end user, as either schema user, or none.
    main->currMoreInstall = true;
    struct Case {
        const char* user;
        int index;
        const char* voxa;
    };
    const std::vector<Case> cases = { { "V2TZUPAN", 2, "VZAS2" }, { "BZAS3", 3, "VZAS3" }, { "VZAS1", 1, "VZAS1" },
        { "VOXA", 1, "VZAS1" } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        main->connUser = QLatin1String(c.user);
        main->najdiglavnegaUserja();
        EXPECT_EQ(main->currUserIndex, c.index); // VOXA belongs to none: the fields keep the last installation
        EXPECT_EQ(main->currUserAsVoxa, QLatin1String(c.voxa));
    }
    EXPECT_EQ(main->currPassAsBildor, "BZAS1");
}

TEST_F(RunnerHooks, TheRunnersStatementsOnTheDemo)
{
    db::Session& s = *main->osOracle;
    EXPECT_TRUE(deploy::auditHostReady(s));
    // V0701_CUSTOMERS has executed rows of VOXA and VZAS1; V0703_INVOICES none.
    EXPECT_TRUE(deploy::lastVersionExecuted(s, { "V0703_INVOICES", "V0701_CUSTOMERS" }, {}));
    EXPECT_FALSE(deploy::lastVersionExecuted(s, { "V0703_INVOICES" }, {}));
    EXPECT_FALSE(deploy::lastVersionExecuted(s, { "0701_CUSTOMERS", "V0701_CUSTOMER" }, {}));
    EXPECT_TRUE(deploy::lastVersionExecuted(s, { "V0701_CUSTOMERS" }, QStringLiteral("VZAS1")));
    EXPECT_FALSE(deploy::lastVersionExecuted(s, { "V0701_CUSTOMERS" }, QStringLiteral("VZAS2")));

    const std::vector<deploy::Installation> list = deploy::readInstallations(s);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2].userBildor, "BZAS3");
    deploy::saveInstallationStatus(s, 3, QStringLiteral("E"), QStringLiteral("07.03.2024 09:05:01"));
    EXPECT_EQ(value(QStringLiteral("select lastscriptstatus || to_char(lastscriptdate, 'YYYYMMDDHH24MISS') from "
                                   "vexo_util.vexo_instalations where userindex = 3")),
        QStringLiteral("E20240307090501"));
    const std::optional<deploy::ScriptError> failed
        = deploy::firstScriptError(s, QStringLiteral("V0701_CUSTOMERS"), QStringLiteral("VZAS2"));
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->counter, 1);
    EXPECT_TRUE(failed->error.startsWith(QLatin1String("ORA-00942")));
    EXPECT_FALSE(deploy::firstScriptError(s, QStringLiteral("V0701_CUSTOMERS"), QStringLiteral("VZAS1")));
}
