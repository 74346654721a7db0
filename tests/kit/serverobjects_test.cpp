// The application's server-side objects in the demo database, each called the way the tool calls it (the statement
// texts are the tool's), with the result the tool relies on.
#include "engine/kit/script.h"
#include "engine/kit/server_logs.h"
#include "kit_fixture.h"
#include "support/waitfor.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

using namespace kittest;
using engine::Bind;
using engine::BindDir;
using engine::Value;

namespace {

Bind outBind(const std::string& name)
{
    Bind b;
    b.name = name;
    b.dir = BindDir::Out;
    return b;
}

Bind numberBind(const std::string& name, int64_t value)
{
    Bind b;
    b.name = name;
    b.type = engine::OraType::Number;
    b.value = Value::fromInt(value);
    return b;
}

// Runs a block and returns the values its binds hold afterwards.
std::vector<Bind> run(engine::Session& s, const std::string& block, std::vector<Bind> binds = {})
{
    s.execute(block, binds);
    return binds;
}

std::string text(const Bind& b)
{
    return b.value.isNull() ? std::string("NULL") : b.value.toString();
}

engine::ExecResult exec(engine::Session& s, const std::string& sql, std::vector<Bind> binds)
{
    return s.execute(sql, binds);
}

// The ORA code of a block with binds, 0 when it succeeds.
int errorOf(engine::Session& s, const std::string& block, std::vector<Bind> binds)
{
    try {
        s.execute(block, binds);
    } catch (const engine::Error& e) {
        return e.code();
    }
    return 0;
}

// The server logs the kit writes where the application's files lie, readable through UTL_FILE's own directory.
TEST_F(DemoTest, ServerLogsLieInTheServerDirectory)
{
    const QDate today = QDate::currentDate();
    for (const QDate& month : { today, today.addMonths(-1) })
        for (const char* kind : { "LONG", "LOCK" }) {
            std::string name = engine::kit::serverLogName(kind, month.year(), month.month());
            SCOPED_TRACE(name);
            QFile f(QString::fromStdString(dir() + "/files/" + name));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            QStringList lines = QString::fromUtf8(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
            ASSERT_FALSE(lines.isEmpty());
            EXPECT_TRUE(lines.first().startsWith("E 01 "));
            for (const QString& l : lines)
                EXPECT_TRUE(l.startsWith("##")
                    || QRegularExpression("^E \\d\\d \\d\\d:\\d\\d:\\d\\d/[A-Z]+/[^/]+/\\d+$").match(l).hasMatch())
                    << l.toStdString();
        }
}

// A demo database with the application's PL/SQL. While the engine cannot create and call stored units, the files
// that wait outside the run order are run here; a test is skipped, naming what the engine refuses, until they run.
class ServerObjects : public DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        if (HasFatalFailure())
            return;
        auto waiting = engine::kit::waitingKitFiles();
        if (waiting.empty())
            return;
        auto system = db->logOn("SYSTEM", "MANAGER");
        try {
            for (const auto& f : waiting)
                engine::kit::runScript(*system, f.name, f.text);
        } catch (const engine::kit::KitError& e) {
            GTEST_SKIP() << "the engine cannot run the application's PL/SQL yet: " << e.message();
        }
        try {
            system->execute("begin voxa.pckLogParam.InitParam(null); end;");
        } catch (const engine::Error& e) {
            GTEST_SKIP() << "the engine cannot call the application's PL/SQL yet: " << e.message();
        }
    }
};

TEST_F(ServerObjects, LogParamKeepsTheApplicationUserOfEachSession)
{
    auto s = logOn();
    // Main window after logon (errors ignored there), then the data module's query and block.
    run(*s, "begin\n  voxa.pckLogParam.InitParam('MNO');\nend;");
    EXPECT_EQ(first(*s, "select VOXA.pckLogParam.getUser from dual"), "MNO");
    run(*s, "BEGIN\nVOXA.pckLogParam.initParam(:USERDEF1);\nEND;", { textBind("USERDEF1", "AKR") });
    EXPECT_EQ(first(*s, "select VOXA.pckLogParam.getUser getuser from dual"), "AKR");

    // Another session has none of its own; an unknown or disabled user leaves the session without one.
    auto other = logOn(engine::kit::kAdminUser);
    EXPECT_EQ(first(*other, "select VOXA.pckLogParam.getUser from dual"), "NULL");
    EXPECT_EQ(errorOf(*s, "begin voxa.pckLogParam.InitParam('PKO'); end;", {}), 20101); // USERENAB = 'N'
    EXPECT_EQ(first(*s, "select VOXA.pckLogParam.getUser from dual"), "NULL");
}

TEST_F(ServerObjects, CanUseLargeRBAnswersDForTheOwnerAndAdministrators)
{
    struct Case {
        engine::kit::DemoUser user;
        const char* appUser; // set before asking, or null
        const char* expected;
    };
    const std::vector<Case> cases = {
        { engine::kit::kVoxa, nullptr, "D" },
        { engine::kit::kAdminUser, "AKR", "D" },
        { engine::kit::kEndUser, "MNO", "N" },
        { engine::kit::kEndUser, nullptr, "N" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.user.name) + " / " + (c.appUser ? c.appUser : "-"));
        auto s = logOn(c.user);
        if (c.appUser)
            run(*s, "begin voxa.pckLogParam.InitParam(:u); end;", { textBind("U", c.appUser) });
        EXPECT_EQ(first(*s, " select VOXA.PCKLogParam.CanUseLargeRB largeRB from dual"), c.expected);
    }
}

TEST_F(ServerObjects, ActivateLargeRBRefusesWhatItCannotSwitch)
{
    auto s = logOn();
    const char* block = "begin\nvexo_util.activateLARGERB(:seg,:state);\nend;";
    EXPECT_EQ(errorOf(*s, block, { textBind("SEG", "RBS_LARGE"), textBind("STATE", "HALF") }), 20111);
    EXPECT_EQ(errorOf(*s, block, { textBind("SEG", "RBS1 ONLINE; DROP TABLE X"), textBind("STATE", "ONLINE") }), 20112);
    // A well-formed call reaches the server's ALTER ROLLBACK SEGMENT; the tool needs only its success or failure.
    int code = errorOf(*s, block, { textBind("SEG", "RBS_LARGE"), textBind("STATE", "ONLINE") });
    EXPECT_NE(code, 20111);
    EXPECT_NE(code, 20112);
}

TEST_F(ServerObjects, UserIsValidIsSelectedAsTheUserWhoLogsOn)
{
    auto s = logOn(engine::kit::kEndUser);
    const std::string qryUsers = "select ROWID, USER__ID, USERNAME, USERPSWD, USERDEF1, USERDEF2, USERLACC, USERACCC, "
                                 "USERENAB, USERADMI, VOXA.PCKVEXOLOG.USERISVALID(USERDEF1) UserIsValid "
                                 "from VOXA.ISEC_USERS where UPPER(USERNAME)=UPPER(:USERNAME)";
    auto r = exec(*s, qryUsers, { textBind("USERNAME", "mnovak") });
    ASSERT_TRUE(r.cursor && r.cursor->next());
    EXPECT_EQ(r.cursor->value(9).toString(), "0");
    EXPECT_EQ(r.cursor->value(10).toString(), "D");
    EXPECT_EQ(first(*s, "select VOXA.PCKVEXOLOG.USERISVALID('PKO') from dual"), "N");
}

TEST_F(ServerObjects, VexoLogListsLoginsAndLogsOneOut)
{
    auto s = logOn();
    const std::string logQuery
        = "begin\nvoxa.pckVexoLog.getTerminate(:terminate,:dateFrom,:userIpl,:postaja,:modul,:notEQ,:ord,:curs);\nend;";
    auto query = [&](const char* status, const char* user, const char* notEq) {
        Bind curs = outBind("CURS");
        curs.type = engine::OraType::RefCursor;
        std::vector<Bind> b = { textBind("TERMINATE", status),
            textBind("DATEFROM", QDate::currentDate().addDays(-40).toString("dd.MM.yyyy").toStdString()),
            textBind("USERIPL", user), textBind("POSTAJA", "ALL"), textBind("MODUL", "ALL"), textBind("NOTEQ", notEq),
            textBind("ORD", "UPORABNIK"), curs };
        s->execute(logQuery, b);
        std::vector<std::vector<std::string>> out;
        EXPECT_TRUE(b[7].cursor);
        if (!b[7].cursor)
            return out;
        const auto& cols = b[7].cursor->columns();
        EXPECT_EQ(cols.size(), 17u);
        EXPECT_EQ(cols[0].name, "LOG_TERMINATE");
        EXPECT_EQ(cols[11].name, "LOG_COUNTER");
        while (b[7].cursor->next()) {
            std::vector<std::string> row;
            for (size_t i = 0; i < cols.size(); ++i)
                row.push_back(b[7].cursor->value(static_cast<int>(i)).toString());
            out.push_back(row);
        }
        return out;
    };
    auto loggedIn = query("P", "ALL", "N");
    ASSERT_EQ(loggedIn.size(), 4u);
    for (const auto& row : loggedIn)
        EXPECT_EQ(row[0], "P");
    EXPECT_LE(loggedIn[0][1], loggedIn[3][1]); // ordered by user
    EXPECT_EQ(query("A", "ALL", "N").size(), 60u);
    EXPECT_EQ(query("P", "ALL", "D").size(), 56u); // every status but P
    for (const auto& row : query("A", "MNO%", "N"))
        EXPECT_EQ(row[1], "MNO");

    // Check logins: the window logs out an entry whose session is gone.
    const std::string logOut
        = "declare\n  rez VARCHAR2(100);\nbegin\n  rez:=voxa.pckVexoLog.logOut(:stevec,:status);\nend;";
    run(*s, logOut, { numberBind("STEVEC", std::stoll(loggedIn[0][11])), textBind("STATUS", "K") });
    EXPECT_EQ(first(*s, "select log_terminate from voxa.vexo_log where log_counter = " + loggedIn[0][11]), "K");
    EXPECT_EQ(query("P", "ALL", "N").size(), 3u);
    auto answer = run(*s, "begin :r := voxa.pckVexoLog.logOut(:stevec, 'K'); end;",
        { outBind("R"), numberBind("STEVEC", std::stoll(loggedIn[0][11])) });
    EXPECT_EQ(text(answer[0]), "NOK"); // already logged out
}

TEST_F(ServerObjects, EachOwnersDodeliPraviceGrantsOnItsOwnObjects)
{
    struct Case {
        const char* owner;
        const char* table;
    };
    const std::vector<Case> cases = {
        { "VOXA", "CUSTOMERS" },
        { "BILDOR", "ACCOUNTS" },
        { "VEXO_UTIL", "VEXO_ERR" },
        { "VEXO_AUDIT", "AUD_ORDERS" },
        { "BLOB", "DOCUMENTS" },
    };
    auto s = logOn();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.owner);
        // The grant window hands the statement over without the owner before the object's name.
        std::string call = std::string("begin ") + c.owner + ".dodeliPravice(:st); end;";
        run(*s, call, { textBind("ST", std::string("GRANT SELECT ON ") + c.table + " TO MNOVAK") });
        EXPECT_EQ(first(*s,
                      std::string("select count(*) from dba_tab_privs where grantee = 'MNOVAK' and owner = '") + c.owner
                          + "' and table_name = '" + c.table + "' and privilege = 'SELECT'"),
            "1");
        run(*s, call, { textBind("ST", std::string("REVOKE SELECT ON ") + c.table + " FROM MNOVAK") });
        // A statement that fails raises its error; anything but GRANT and REVOKE is refused.
        EXPECT_EQ(errorOf(*s, call, { textBind("ST", "GRANT SELECT ON NO_SUCH_TABLE TO MNOVAK") }), 942);
        EXPECT_EQ(errorOf(*s, call, { textBind("ST", std::string("DROP TABLE ") + c.table) }), 20121);
        EXPECT_EQ(first(*s,
                      std::string("select count(*) from dba_tables where owner = '") + c.owner + "' and table_name = '"
                          + c.table + "'"),
            "1");
    }
}

TEST_F(ServerObjects, GetMemoFiltExsFiltersTheScriptRowsByTheirText)
{
    auto s = logOn(engine::kit::kAdminUser);
    const std::string count = "SELECT count(*) stevec FROM VEXO_UTIL.VEXO_EXS \n    WHERE SCRIPT_NAME=:SKRIPTA AND\n"
                              "           (:filter='A' or vexo_util.getMemoFiltExs(rowid,:filter) ='T')";
    // The script is stored once for each installation; its first statement adds the column PHONE.
    const int all
        = std::stoi(first(*s, "select count(*) from vexo_util.vexo_exs where script_name = 'V0701_CUSTOMERS'"));
    const int adds = std::stoi(first(*s,
        "select count(*) from vexo_util.vexo_exs where script_name = "
        "'V0701_CUSTOMERS' and script_counter = 1"));
    ASSERT_GT(all, adds);
    struct Case {
        const char* filter;
        int expected;
    };
    const std::vector<Case> cases = {
        { "A", all }, // the filter switched off
        { "PHONE", adds },
        { "phone varchar2", adds }, // case does not count
        { "NO SUCH TEXT", 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(first(*s, count, { textBind("SKRIPTA", "V0701_CUSTOMERS"), textBind("FILTER", c.filter) }),
            std::to_string(c.expected));
    }
}

TEST_F(ServerObjects, RefreshPipeCarriesMessagesInOrderWithoutTheirMark)
{
    // The refresh block sends on its own session; the window reads on the main session, both without an owner.
    auto block = logOn(engine::kit::kAdminUser);
    auto window = logOn(engine::kit::kAdminUser);
    for (const char* m : { " ?S100?U5?I2?", "# ?+1042\r\n    ORA-00001: unique constraint?", "#/?S250?U7?I3?D1?" })
        run(*block, "begin sendtoPipe('REFRESH', :m); end;", { textBind("M", m) });
    std::vector<std::string> got;
    for (int i = 0; i < 4; ++i) {
        auto b = run(*window, "begin\n  readPipe('REFRESH',1,:outniz);\nend;", { outBind("OUTNIZ") });
        got.push_back(text(b[0]));
    }
    EXPECT_EQ(got,
        (std::vector<std::string> {
            " ?S100?U5?I2?", " ?+1042\r\n    ORA-00001: unique constraint?", "/?S250?U7?I3?D1?", "NULL" }));
}

// The dump as the compare window reads it: GETALLSTRUCTURE, then GETFROMTABLE until "NULL".
std::vector<std::string> dump(engine::Session& s, const char* owner, const char* name, const char* type)
{
    run(s, "begin VEXO_UTIL.PCKSTRUKTURE.GETALLSTRUCTURE(:o, :n, :t); end;",
        { textBind("O", owner), textBind("N", name), textBind("T", type) });
    std::vector<std::string> lines;
    for (int guard = 0; guard < 100000; ++guard) {
        auto b = run(s, "begin :r := VEXO_UTIL.PCKSTRUKTURE.GETFROMTABLE; end;", { outBind("R") });
        if (text(b[0]) == "NULL")
            break;
        lines.push_back(b[0].value.toString());
    }
    return lines;
}

bool holds(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(ServerObjects, StructureDumpIsInTheLayoutTheCompareReads)
{
    auto s = logOn();
    auto tables = dump(*s, "VOXA", "%", "TABLE");
    ASSERT_GT(tables.size(), 10u);
    EXPECT_EQ(tables.back(), "###END##");
    EXPECT_TRUE(holds(tables, "###TABLE#ORDERS#"));
    EXPECT_TRUE(holds(tables, "ORDER_ID NUMBER(10) NOT NULL"));
    EXPECT_TRUE(holds(tables, "NOTE VARCHAR2(200)"));
    EXPECT_TRUE(holds(tables, "ORDERS_PK PRIMARY KEY (ORDER_ID) ENABLED"));
    EXPECT_TRUE(holds(tables, "INVOICES_ORDERS_FK FOREIGN KEY (ORDER_ID) REFERENCES VOXA.ORDERS_PK DISABLED"));
    EXPECT_TRUE(holds(tables, "ITEMS_PK (ORDER_ID,LINE_NO) UNIQUE"));
    // A table's section: its columns, then #CON and its constraints, then #IND and its indexes.
    auto section = std::find(tables.begin(), tables.end(), "###TABLE#ORDERS#");
    ASSERT_NE(section, tables.end());
    std::vector<std::string> orders(section + 1,
        std::find_if(section + 1, tables.end(), [](const std::string& l) { return l.rfind("###", 0) == 0; }));
    // NOT NULL constraints carry names the server makes up: the compare skips them, and so does this check.
    auto generated = [](const std::string& l) { return l.rfind("SYS_", 0) == 0; };
    EXPECT_TRUE(std::any_of(orders.begin(), orders.end(), generated));
    orders.erase(std::remove_if(orders.begin(), orders.end(), generated), orders.end());
    EXPECT_EQ(orders,
        (std::vector<std::string> { "ORDER_ID NUMBER(10) NOT NULL", "CUSTOMER_ID NUMBER(10) NOT NULL",
            "ORDER_DATE DATE NOT NULL", "STATUS CHAR(1) NOT NULL", "NOTE VARCHAR2(200)",
            "CREATED_BY VARCHAR2(30) NOT NULL", "#CON",
            "ORDERS_CUSTOMERS_FK FOREIGN KEY (CUSTOMER_ID) REFERENCES VOXA.CUSTOMERS_PK ENABLED",
            "ORDERS_PK PRIMARY KEY (ORDER_ID) ENABLED", "ORDERS_STATUS_CK CHECK (STATUS) ENABLED", "#IND",
            "ORDERS_CUSTOMER_I (CUSTOMER_ID) NONUNIQUE", "ORDERS_DATE_I (ORDER_DATE) NONUNIQUE",
            "ORDERS_PK (ORDER_ID) UNIQUE" }));
    for (const auto& l : tables)
        EXPECT_NE(l.rfind("###", 0) == 0 && l != "###END##" && l.rfind("###TABLE#", 0) != 0, true) << l;
    // After the end every call answers "NULL".
    auto b = run(*s, "begin :r := VEXO_UTIL.PCKSTRUKTURE.GETFROMTABLE; end;", { outBind("R") });
    EXPECT_EQ(text(b[0]), "NULL");

    // One table by name; a type as the window lists it, with its trailing blank; stored units by their source.
    auto one = dump(*s, "voxa", "ITEMS", "TABLE");
    EXPECT_EQ(one.front(), "###TABLE#ITEMS#");
    auto triggers = dump(*s, "VOXA", "AUDIT%", "TRIGGER ");
    EXPECT_TRUE(holds(triggers, "###TRIGGER#AUDIT_ORDERS#"));
    auto packages = dump(*s, "VOXA", "PCKLOGPARAM", "PACKAGE");
    ASSERT_GE(packages.size(), 3u);
    EXPECT_EQ(packages.front(), "###PACKAGE#PCKLOGPARAM#");
    EXPECT_EQ(dump(*s, "VOXA", "%", "NO SUCH TYPE"), (std::vector<std::string> { "###END##" }));
}

// The lock and audit windows write the job log with the key from getsequence in the INSERT's VALUES.
TEST_F(ServerObjects, GetSequenceNumbersTheJobLog)
{
    auto s = logOn(engine::kit::kAdminUser);
    const std::string insert = "INSERT INTO VOXA.JOB_START_LOG \n(LOG_ID, JOB_NAME, JOB_DATE, JOB_ACTION, ACTOR_NAME, "
                               "JOB_INFO)\n VALUES \n(voxa.getsequence('JOB_START_LOG'), 'LOCK_JOB', SYSDATE, :ACTION, "
                               ":PRIIMEKINIME, :RAZLOG)";
    for (const char* action : { "START", "STOP" })
        exec(*s, insert,
            { textBind("ACTION", action), textBind("PRIIMEKINIME", "Kralj Andrej"), textBind("RAZLOG", "test") });
    EXPECT_EQ(rows(*s, "select log_id || ' ' || job_action from voxa.job_start_log where log_id > 6 order by log_id"),
        (std::vector<std::string> { "7 START", "8 STOP" }));
    EXPECT_EQ(errorOf(*s, "select voxa.getsequence('NO_SUCH') from dual", {}), 20141);
    EXPECT_EQ(errorOf(*s, "select voxa.getsequence('JOB_START_LOG_SEQ.NEXTVAL FROM DUAL--') from dual", {}), 20141);
}

// A server started as the lock and audit windows start it: a DBMS_JOB job or a scheduler job of VOXA that the job
// queue runs on a session of its own. A test that fails before the shutdown ends the run itself.
class ServerJob {
public:
    ServerJob(engine::Session& control, const std::string& server, bool scheduler)
        : control_(control)
        , scheduler_(scheduler)
    {
        const std::string block = "begin voxa." + server + ".server; end;";
        if (scheduler_) {
            control_.execute("begin dbms_scheduler.create_job(job_name => 'VOXA.TEST_SERVER', job_type => "
                             "'PLSQL_BLOCK', job_action => '"
                + block + "', enabled => TRUE, auto_drop => FALSE); end;");
        } else {
            control_.execute("declare j binary_integer; begin dbms_job.submit(j, '" + block
                + "', sysdate, null); "
                  "commit; end;");
        }
    }
    ~ServerJob()
    {
        if (scheduler_) {
            if (running())
                control_.execute("begin dbms_scheduler.stop_job('VOXA.TEST_SERVER', force => TRUE); end;");
            return;
        }
        std::string session = first(
            control_, "select r.sid || ',' || s.serial# from dba_jobs_running r join v$session s on s.sid = r.sid");
        if (session != "<no rows>")
            control_.execute("alter system kill session '" + session + "'");
    }
    bool running() const
    {
        return first(control_,
                   scheduler_ ? "select count(*) from dba_scheduler_running_jobs where job_name = 'TEST_SERVER'"
                              : "select count(*) from dba_jobs_running")
            != "0";
    }
    // What the queue holds of the job once its run ended: a DBMS_JOB job without an interval is gone, a scheduler
    // job that is not dropped SUCCEEDED.
    std::string leftOver() const
    {
        return scheduler_ ? first(control_, "select state from dba_scheduler_jobs where job_name = 'TEST_SERVER'")
                          : first(control_, "select count(*) from dba_jobs");
    }

private:
    engine::Session& control_;
    bool scheduler_;
};

class ServerJobs : public ServerObjects, public ::testing::WithParamInterface<bool> { };

TEST_P(ServerJobs, LockServerServesAnotherSessionUntilShutdown)
{
    auto control = logOn();
    auto running = [&] { return first(*control, "select voxa.pckVexoServer.isRunning('SEMAPHOR') from dual") == "D"; };
    EXPECT_FALSE(running());
    ServerJob job(*control, "pckSemaphorServer", GetParam());
    ASSERT_TRUE(testsupport::waitFor(running));
    EXPECT_TRUE(job.running());

    // A second server is refused while the first runs.
    EXPECT_EQ(errorOf(*control, "begin voxa.pckSemaphorServer.server; end;", {}), 20151);

    auto a = logOn(engine::kit::kAdminUser);
    auto b = logOn(engine::kit::kEndUser);
    const char* lock = "begin :r := voxa.pckSemaphor.zakleni('ORDERS', '1077'); end;";
    EXPECT_EQ(text(run(*a, lock, { outBind("R") })[0]), "OK");
    EXPECT_EQ(text(run(*b, lock, { outBind("R") })[0]), "LOCKED#AKRALJ#");
    EXPECT_EQ(first(*control, "select uusersem from voxa.vexosemaphor where tip__sem = 'ORDERS' and vred_sem = '1077'"),
        "MNOVAK");

    // The lock window: refresh, then erase the connection that holds the lock.
    run(*control, "begin\n   voxa.pcksemaphor.showAllSemaphor;\nend;");
    run(*control, "begin\n   voxa.pcksemaphor.notifyShow;\nend;");
    const std::string conn = std::to_string(a->sessionId());
    auto erased = run(*control, "begin \n  voxa.PCKSEMAPHOR.CLOSEALLCONN(:conn,:RETVRED);\nend;",
        { textBind("CONN", conn), outBind("RETVRED") });
    EXPECT_EQ(text(erased[1]), "OK");
    EXPECT_EQ(first(*control, "select count(*) from voxa.vexosemaphor where conn_sem = " + conn), "0");
    EXPECT_EQ(first(*control,
                  "select count(*) from vexo_util.vexo_lock where lockdate >= sysdate - 1/24 and "
                  "lockmess like 'Z#LOCK%#ORDERS#1077#'"),
        "2");

    run(*control, "begin\nvoxa.pckSemaphor.ShutdownSemaphor;\nend;");
    ASSERT_TRUE(testsupport::waitFor([&] { return !job.running(); }));
    EXPECT_FALSE(running());
    EXPECT_TRUE(testsupport::waitFor([&] { return job.leftOver() == (GetParam() ? "SUCCEEDED" : "0"); }))
        << job.leftOver();
}

TEST_P(ServerJobs, AuditServerServesAnotherSessionUntilShutdown)
{
    auto control = logOn();
    auto running = [&] { return first(*control, "select voxa.pckVexoServer.isRunning('AUDIT') from dual") == "D"; };
    ServerJob job(*control, "pckAuditServer", GetParam());
    ASSERT_TRUE(testsupport::waitFor(running));
    auto client = logOn(engine::kit::kAdminUser);
    EXPECT_EQ(
        text(run(*client, "begin :r := voxa.PCKAUDITKLIENT.serverStatus; end;", { outBind("R") })[0]).rfind("OK#", 0),
        0u);
    run(*control, "begin\n  voxa.PCKAUDITKLIENT.SHUTDOWNAUDIT;\nend;");
    ASSERT_TRUE(testsupport::waitFor([&] { return !job.running(); }));
    EXPECT_FALSE(running());
    EXPECT_TRUE(testsupport::waitFor([&] { return job.leftOver() == (GetParam() ? "SUCCEEDED" : "0"); }))
        << job.leftOver();
    EXPECT_EQ(
        text(run(*client, "begin :r := voxa.PCKAUDITKLIENT.serverStatus; end;", { outBind("R") })[0]), "NOSERVER");
}

INSTANTIATE_TEST_SUITE_P(AsJobs, ServerJobs, ::testing::Values(false, true),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Scheduler" : "DbmsJob"; });

TEST_F(ServerObjects, CloseAllConnWithoutAServerRemovesTheRowsItself)
{
    auto s = logOn();
    auto r = run(*s, "begin \n  voxa.PCKSEMAPHOR.CLOSEALLCONN(:conn,:RETVRED);\nend;",
        { textBind("CONN", "12"), outBind("RETVRED") });
    EXPECT_EQ(text(r[1]), "OK");
    EXPECT_EQ(first(*s, "select count(*) from voxa.vexosemaphor where conn_sem = 12"), "0");
    EXPECT_EQ(first(*s, "select count(*) from voxa.vexo_alm where pipename = 'ALARM12'"), "0");
    r = run(*s, "begin voxa.PCKSEMAPHOR.CLOSEALLCONN(:conn,:RETVRED); end;",
        { textBind("CONN", "x1"), outBind("RETVRED") });
    EXPECT_EQ(text(r[1]), "INVALID CONNECTION x1");
    // Shutting down a server that does not run has nothing to do.
    EXPECT_EQ(errorOf(*s, "begin voxa.pckSemaphor.ShutdownSemaphor; end;", {}), 0);
}

TEST_F(ServerObjects, AuditTriggersRecordChangesUnderTheAuditUser)
{
    auto s = logOn();
    // The audit window's trigger counts: every audit trigger enabled but one.
    EXPECT_EQ(rows(*s,
                  "select  status,count(*) stevilo  from all_triggers \nwhere trigger_name like 'AUDIT_%' \n"
                  "group by status order by status"),
        (std::vector<std::string> { "DISABLED 1", "ENABLED 6" }));

    run(*s, "begin\n  voxa.pckAuditKlient.setAuditUser(:upor);\nend;", { textBind("UPOR", "vzas1") });
    s->execute("update voxa.customers set phone = '01 111 22 33' where customer_id = 3");
    EXPECT_EQ(first(*s,
                  "select aud_user || ' ' || aud_action || ' ' || phone from vexo_audit.aud_customers "
                  "where aud_id = (select max(aud_id) from vexo_audit.aud_customers)"),
        "VZAS1 U 01 111 22 33");
    // The disabled trigger records nothing.
    std::string before = first(*s, "select count(*) from vexo_audit.aud_items");
    s->execute("update voxa.items set discount = 5 where order_id = 1001");
    EXPECT_EQ(first(*s, "select count(*) from vexo_audit.aud_items"), before);
    // A rolled-back change leaves no audit row behind.
    before = first(*s, "select count(*) from vexo_audit.aud_customers");
    s->commit();
    s->execute("delete from voxa.orders where order_id = 1001");
    EXPECT_NE(first(*s, "select count(*) from vexo_audit.aud_orders where aud_action = 'D'"), "0");
    s->rollback();
    EXPECT_EQ(first(*s, "select count(*) from vexo_audit.aud_orders where aud_action = 'D'"), "0");
    // With auditing off nothing is recorded.
    s->execute("update voxa.pr107par set val1_107 = 'FALSE' where attr_007 = 'Auditing' and stat_107 = '1'");
    before = first(*s, "select count(*) from vexo_audit.aud_customers");
    s->execute("update voxa.customers set phone = null where customer_id = 3");
    EXPECT_EQ(first(*s, "select count(*) from vexo_audit.aud_customers"), before);
}

TEST_F(ServerObjects, FillEtlMdwSumsTheCompanysSales)
{
    auto s = logOn();
    run(*s, "begin voxa.FILL_ETL_MDW('DEMO', 'TRUE'); end;");
    EXPECT_EQ(first(*s, "select sum(amount) from voxa.etl_mdw_sales where company = 'DEMO'"),
        first(*s,
            "select sum(round(i.quantity * i.price * (100 - nvl(i.discount, 0)) / 100, 2)) "
            "from voxa.orders o, voxa.items i where i.order_id = o.order_id and o.status <> 'S'"));
    EXPECT_EQ(first(*s, "select full_fill from voxa.etl_mdw_runs"), "D");
    EXPECT_EQ(errorOf(*s, "begin voxa.FILL_ETL_MDW('OTHER', 'TRUE'); end;", {}), 20181);
}

TEST_F(ServerObjects, TableSizeAndMonitorJobsWriteTheirTables)
{
    auto s = logOn();
    const std::string snapshots = first(*s, "select count(*) from vexo_util.vexo_dt_main");
    // The job texts the windows submit.
    run(*s, "begin VEXO_DT_COUNT; end;");
    EXPECT_EQ(std::stoi(first(*s, "select count(*) from vexo_util.vexo_dt_main")), std::stoi(snapshots) + 1);
    EXPECT_EQ(first(*s,
                  "select recofdt from vexo_util.vexo_dt_col where tableofdt = 'CUSTOMERS' and idxofdt = "
                  "(select max(idxofdt) from vexo_util.vexo_dt_main)"),
        first(*s, "select count(*) from voxa.customers"));
    EXPECT_NE(first(*s,
                  "select run_end from vexo_util.vexo_dt_runs where idxofdt = "
                  "(select max(idxofdt) from vexo_util.vexo_dt_main)"),
        "NULL");

    // Limits no tablespace can meet: one warning per tablespace, not repeated while unread.
    s->execute("update vexo_util.imon_param set ts_tablespaces = 'USERS', ts_malameja = 1000000000");
    s->commit();
    const std::string warnings = "select count(*) from vexo_util.imon_warning where messtype = 'TS_FREESPACE' "
                                 "and messtxt like 'TABLESPACE USERS:%' and readdate is null";
    const int already = std::stoi(first(*s, warnings));
    run(*s, "begin VEXO_UTIL.VEXO_MONITOR; end;");
    run(*s, "begin VEXO_UTIL.VEXO_MONITOR; end;");
    EXPECT_EQ(std::stoi(first(*s, warnings)), already + 1);
}

TEST_F(ServerObjects, InstrAllViewsListsTheViewsThatNameATable)
{
    auto s = logOn();
    const std::string views = "select view_name from all_views\nwhere owner like :upor and (:tabela='*' or \n"
                              "    VOXA.pckVexoMemo.instrAllViews(:upor,all_views.view_name,:tabela)>0 ) "
                              "order by view_name";
    struct Case {
        const char* table;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        { "INVOICES", { "V_UNPAID_INVOICES" } },
        { "items", { "V_ORDERS" } },
        { "V_ORDERS", { "V_OPEN_ORDERS" } },
        { "*", { "V_OPEN_ORDERS", "V_ORDERS", "V_UNPAID_INVOICES" } },
        { "NO_SUCH_TABLE", {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        EXPECT_EQ(rows(*s, views, { textBind("UPOR", "VOXA%"), textBind("TABELA", c.table) }), c.expected);
    }
}

// The server log viewer's read: the block again and again until "END" or "NOK".
std::string readLog(engine::Session& s, const std::string& year, const std::string& month, const char* kind,
    const char* filter, int duration, int* pieces = nullptr)
{
    std::string all;
    for (int n = 0; n < 10000; ++n) {
        auto b = run(s, "begin\n   :retNiz:=voxa.pckOsnUtil.VEXO_showLog(:leto,:mesec,:tip,:flt,:cas);\nend;",
            { outBind("RETNIZ"), textBind("LETO", year), textBind("MESEC", month), textBind("TIP", kind),
                textBind("FLT", filter), numberBind("CAS", duration) });
        std::string piece = b[0].value.toString();
        if (piece == "END" || piece == "NOK") {
            if (pieces)
                *pieces = n;
            return piece == "NOK" ? "NOK" : all;
        }
        all += piece;
    }
    return "<no end>";
}

TEST_F(ServerObjects, ShowLogReturnsTheLogPieceByPiece)
{
    auto s = logOn();
    const QDate today = QDate::currentDate();
    const std::string year = std::to_string(today.year());
    const std::string month = today.toString("MM").toStdString();
    int pieces = 0;
    std::string log = readLog(*s, year, month, "LONG", "", 0, &pieces);
    QFile file(
        QString::fromStdString(dir() + "/files/" + engine::kit::serverLogName("LONG", today.year(), today.month())));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(log, file.readAll().toStdString());
    EXPECT_GE(pieces, 1);
    // Read again with the same arguments: it starts from the beginning.
    EXPECT_EQ(readLog(*s, year, month, "LONG", "", 0), log);

    std::string inventory = readLog(*s, year, month, "LONG", "inventura", 0);
    ASSERT_FALSE(inventory.empty());
    for (const auto& line : QString::fromStdString(inventory).split("\r\n", Qt::SkipEmptyParts))
        EXPECT_TRUE(line.startsWith("##") || line.contains("INVENTURA")) << line.toStdString();
    EXPECT_LT(readLog(*s, year, month, "LONG", "", 250).size(), log.size());

    EXPECT_EQ(readLog(*s, "1999", "01", "LONG", "", 0), "NOK");
    EXPECT_EQ(readLog(*s, year, "13", "LONG", "", 0), "NOK");
    EXPECT_EQ(readLog(*s, year, month, "../LONG", "", 0), "NOK");
}

TEST_F(ServerObjects, GetPotNamesTheDirectoryTheFileReaderOpens)
{
    auto s = logOn();
    auto pot = run(*s, "begin\n  :retPot:=voxa.pckOsnUtil.getPot;\nend;", { outBind("RETPOT") });
    ASSERT_EQ(text(pot[0]), ".");
    const QDate today = QDate::currentDate();
    // The server-file window's block, shortened to its first line.
    auto r = run(*s,
        "declare f utl_file.file_type; l varchar2(3000);\nbegin\n  f := utl_file.fOpen(:direktorij,:datoteka,'R');\n"
        "  utl_file.get_line(f, l);\n  utl_file.fclose(f);\n  :retNiz := l;\nend;",
        { textBind("DIREKTORIJ", text(pot[0])),
            textBind("DATOTEKA", engine::kit::serverLogName("LOCK", today.year(), today.month())), outBind("RETNIZ") });
    EXPECT_EQ(text(r[2]).rfind("E 01 ", 0), 0u);
}

TEST_F(ServerObjects, UnitsCarryVersionsAndOneIsInvalid)
{
    auto s = logOn();
    EXPECT_EQ(rows(*s,
                  "select object_name || ' ' || object_type from all_objects where owner = 'VOXA' "
                  "and status = 'INVALID'"),
        (std::vector<std::string> { "P_ARCHIVE_ORDERS PROCEDURE" }));
    // The version check's query finds a version in every unit of the owner.
    EXPECT_EQ(first(*s,
                  "select count(*) from all_objects where owner = 'VOXA' and object_type in ('PACKAGE', "
                  "'PACKAGE BODY', 'PROCEDURE', 'FUNCTION') and (object_name, object_type) not in "
                  "(select name, type from all_source where owner = 'VOXA' and instr(text,'VEXO_VERSION')<>0)"),
        "0");
}

} // namespace
