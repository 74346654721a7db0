// Logging on to the demo database and the lookups the tool makes once it is on: the parameter rows, the
// administrator check, the rights test, the audit location, and what each kind of user may touch.
#include "kit_fixture.h"

using namespace kittest;
using engine::kit::DemoUser;

namespace {

struct Lookup {
    const char* what;
    const char* query; // as the tool sends it
    std::vector<engine::Bind> binds;
    const char* expected; // the first row, values separated by one blank
};

TEST_F(DemoTest, ParameterRowsAnswerTheToolsLookups)
{
    auto s = logOn();
    const char* lockParam = "select val1_107 from voxa.pr107par\nwhere attr_007=:attr and stat_107='1'";
    const std::vector<Lookup> cases = {
        // The organisation header of reports and the organisation code of result files (GetParam107).
        { "aiOrganization", "select val1_107 value from voxa.pr107par where attr_007='aiOrganization'", {},
            "Demo Trgovina d.o.o." },
        { "aiAddress", "select val1_107 value from voxa.pr107par where attr_007='aiAddress'", {}, "Slovenska cesta 1" },
        { "aiCity", "select val1_107 value from voxa.pr107par where attr_007='aiCity'", {}, "1000 Ljubljana" },
        { "aiPhone", "select val1_107 value from voxa.pr107par where attr_007='aiPhone'", {}, "+386 1 234 56 78" },
        { "aiOrganizationBPI", "select val1_107 value from voxa.pr107par where attr_007='aiOrganizationBPI'", {},
            "DEMO" },
        // The server log viewer: '.' is the database's own server directory for UTL_FILE.
        { "LogDirPath", "select val1_107  from voxa.pr107par  where attr_007='LogDirPath'", {}, "." },
        // The lock window's parameter page.
        { "aiLockingMode", lockParam, { textBind("ATTR", "aiLockingMode") }, "LockingModeNew" },
        { "LockEnabled", lockParam, { textBind("ATTR", "LockEnabled") }, "TRUE" },
        { "AlarmEnabled", lockParam, { textBind("ATTR", "AlarmEnabled") }, "TRUE" },
        { "aiLockingDurationTime (at least 10)", lockParam, { textBind("ATTR", "aiLockingDurationTime") }, "30" },
        { "aiLockingCleaningPeriod", lockParam, { textBind("ATTR", "aiLockingCleaningPeriod") }, "60" },
        { "aiLockingPreserveLocks", lockParam, { textBind("ATTR", "aiLockingPreserveLocks") }, "1440" },
        { "locking mode rows, one per application and user",
            "select count(*) from VOXA.PR107PAR \nwhere ATTR_007 = 'aiLockingMode'\nand STAT_107 = '1'", {}, "3" },
        // The audit window: only the valid row counts.
        { "Auditing", "select val1_107 from voxa.pr107par\nwhere attr_007 ='Auditing' and  stat_107='1'", {}, "TRUE" },
        // The Oracle version the tool assumes (BeriParameter), a release whose major part is "19".
        { "OracleVersion", " select sysVred,sysOpis from vexo_util.quandrelSys \n   where sysSprem=:sprem",
            { textBind("SPREM", "OracleVersion") }, "19.0.0.0.0 Release of the Oracle server" },
        // tableExists before BeriParameter, and for the system-parameter editor's menu item.
        { "QUANDRELSYS exists", "select count(*) stevilo from all_tables\nwhere owner=:lastnik and table_name=:tabela",
            { textBind("LASTNIK", "VEXO_UTIL"), textBind("TABELA", "QUANDRELSYS") }, "1" },
        { "SISTEMSKI_PARAMETRI exists",
            "select count(*) stevilo from all_tables\nwhere owner=:lastnik and table_name=:tabela",
            { textBind("LASTNIK", "VEXO_UTIL"), textBind("TABELA", "SISTEMSKI_PARAMETRI") }, "1" },
        { "the user table exists (CanSaveParam)", "SELECT count(*) FROM all_tables where table_name = 'ISEC_USERS'", {},
            "1" },
        // The table-size job's first hour is read as an integer.
        { "DT_TIMEFROM", "select dt_timefrom from VEXO_UTIL.IMON_PARAM", {}, "22" },
        // CONNECT ... VEXOAUDT goes on only when the link and a configured audit parameter are both there.
        { "audit link check",
            "SELECT SUM(NUM) NUM FROM (SELECT COUNT(*) AS NUM FROM DBA_DB_LINKS WHERE owner = 'VOXA' AND DB_LINK = "
            "'VEXOAUDT' UNION ALL SELECT COUNT(*) AS NUM FROM voxa.audit_params WHERE dblink_n IS NOT NULL)",
            {}, "2" },
        // The several-installations window's list of installations.
        { "installations", "select count(*) from VEXO_UTIL.VEXO_INSTALATIONS", {}, "3" },
    };
    for (const Lookup& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(first(*s, c.query, c.binds), c.expected);
    }
}

struct LogonCase {
    DemoUser user;
    const char* userAdmi; // USERADMI of the user's row in VOXA.ISEC_USERS
};

TEST_F(DemoTest, UsersLogOnAndTheAdministratorCheckReadsTheirRow)
{
    const std::vector<LogonCase> cases = {
        { engine::kit::kVoxa, "1" },
        { engine::kit::kAdminUser, "1" },
        { engine::kit::kEndUser, "0" },
        // An installation's schema user: the several-installations run logs on as it.
        { DemoUser { "VZAS3", "VZAS3" }, "1" },
    };
    for (const LogonCase& c : cases) {
        SCOPED_TRACE(c.user.name);
        auto s = logOn(c.user);
        EXPECT_EQ(s->user(), c.user.name);
        // The rights test of the connection sequence.
        EXPECT_EQ(errorOf(*s, "select * from all_tables"), 0);
        // The logon dialog's administrator check, as the user who logs on.
        std::string row = first(*s,
            "select ROWID, USER__ID, USERNAME, USERPSWD, USERDEF1, USERDEF2, USERLACC, USERACCC, USERENAB, USERADMI "
            "from VOXA.ISEC_USERS where UPPER(USERNAME)=UPPER(:USERNAME)",
            { textBind("USERNAME", c.user.name) });
        EXPECT_EQ(row.substr(row.rfind(' ') + 1), c.userAdmi);
    }
}

TEST_F(DemoTest, EveryUserOfTheDemoLogsOnWithItsPassword)
{
    for (const DemoUser& u :
        { engine::kit::kVoxa, engine::kit::kBildor, engine::kit::kVexoUtil, engine::kit::kVexoAudit,
            engine::kit::kVexoServis, engine::kit::kBlob, engine::kit::kEndUser, engine::kit::kAdminUser,
            DemoUser { "VZAS1", "VZAS1" }, DemoUser { "BZAS2", "BZAS2" }, DemoUser { "V1JHORVAT", "V1JHORVAT" } }) {
        SCOPED_TRACE(u.name);
        EXPECT_NO_THROW(logOn(u));
    }
    try {
        db->logOn("VOXA", "WRONG");
        ADD_FAILURE() << "a wrong password logged on";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 1017);
    }
}

TEST_F(DemoTest, VoxaFindsItsAuditLink)
{
    auto s = logOn();
    EXPECT_EQ(first(*s, "select username,host from user_db_links where user='VOXA' and db_link='VEXOAUDT'"),
        "VEXO_AUDIT VEXOAUDT");
    // The audit database lies beside the demo: the main window counts its audit tables through the link, and more
    // than five put the audit data "behind the link". The link is VOXA's own (another user does not see it:
    // ORA-02019).
    EXPECT_EQ(first(*s,
                  "select count(*) vseh from all_tables@VEXOAUDT where owner='VEXO_AUDIT' and  table_name like "
                  "'AUD_%'"),
        "7");
    EXPECT_EQ(first(*s, "select count(*) from aud_orders@VEXOAUDT where aud_action = 'I'"), "68");
    auto other = logOn(engine::kit::kAdminUser);
    EXPECT_EQ(errorOf(*other, "select count(*) from all_tables@VEXOAUDT"), 2019);
}

TEST_F(DemoTest, OnlyTheAdministratorMayStartServerJobsBesidesVoxa)
{
    // The server-job windows' rule for a user other than VOXA: a direct EXECUTE ANY PROCEDURE grant.
    const char* rule = "select count(*) stevilo from dba_sys_privs\n   where grantee= :upor  and\n"
                       "             privilege='EXECUTE ANY PROCEDURE'";
    auto s = logOn(engine::kit::kAdminUser);
    EXPECT_EQ(first(*s, rule, { textBind("UPOR", engine::kit::kAdminUser.name) }), "1");
    EXPECT_EQ(first(*s, rule, { textBind("UPOR", engine::kit::kEndUser.name) }), "0");
}

struct RightCase {
    DemoUser user;
    const char* statement;
    int expected; // 0 for success, else the ORA code
};

TEST_F(DemoTest, RolesGiveEachKindOfUserItsRights)
{
    const std::vector<RightCase> cases = {
        // End users work with the business data through ZDR...
        { engine::kit::kEndUser, "select count(*) from voxa.orders", 0 },
        { engine::kit::kEndUser, "update voxa.customers set phone = phone where customer_id = 1", 0 },
        { engine::kit::kEndUser, "select count(*) from bildor.postings", 0 },
        // ... but not with the tool's tables or the job log.
        { engine::kit::kEndUser, "select count(*) from vexo_util.vexo_exs", 942 },
        { engine::kit::kEndUser,
            "insert into voxa.job_start_log (log_id, job_name, job_date, job_action) values "
            "(99, 'LOCK_JOB', sysdate, 'START')",
            942 },
        // The administrator stores scripts, saves parameters and writes the job log.
        { engine::kit::kAdminUser,
            "insert into vexo_util.vexo_exs (script_name, script_counter, script_stat, "
            "script_cont) values ('T1', 1, 'N', 'select 1 from dual')",
            0 },
        { engine::kit::kAdminUser,
            "update voxa.pr107par set val1_107='TRUE' where attr_007='Auditing' and stat_107='1'", 0 },
        { engine::kit::kAdminUser,
            "insert into voxa.job_start_log (log_id, job_name, job_date, job_action) values "
            "(99, 'LOCK_JOB', sysdate, 'START')",
            0 },
        // VOXA may do everything the tool does, other schemas' tables included.
        { engine::kit::kVoxa, "delete from vexo_util.vexo_lock where lockdate < sysdate - 1", 0 },
        { engine::kit::kVoxa, "select count(*) from vexo_audit.aud_orders", 0 },
    };
    for (const RightCase& c : cases) {
        SCOPED_TRACE(std::string(c.user.name) + ": " + c.statement);
        auto s = logOn(c.user);
        EXPECT_EQ(errorOf(*s, c.statement), c.expected);
        s->rollback();
    }
}

} // namespace
