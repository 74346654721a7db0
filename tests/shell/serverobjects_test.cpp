// The calls on the application's server-side packages over the in-memory fake server: the statement each sends,
// its binds, and how the answer is read back, including the calls whose errors are ignored or turned into results.
#include "db/fakedriver.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "shell/serverobjects.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Binds = std::map<QString, QVariant>;

// Answers every statement as the application's packages would: OUT binds from `outs`, a one-row one-column
// select from `row`, or the error in `error`.
class ServerObjectsTest : public ::testing::Test {
protected:
    ServerObjectsTest()
    {
        server->on(QStringLiteral("."), [this](fake::Connection&, std::vector<db::driver::Bind>& binds) {
            if (error)
                throw *error;
            db::driver::Result r;
            r.kind = db::StatementKind::PlSql;
            for (auto& b : binds) {
                if (b.direction == db::BindDirection::In)
                    continue;
                if (b.name == QLatin1String("CURS"))
                    b.cursor = std::make_shared<fake::RowsCursor>(cursorColumns, cursorRows);
                else if (outs.count(b.name))
                    b.value = outs.at(b.name);
            }
            if (server->log.last().startsWith(QLatin1String("select"), Qt::CaseInsensitive)) {
                r.kind = db::StatementKind::Select;
                r.cursor = std::make_unique<fake::RowsCursor>(
                    std::vector<db::driver::Column> { { QStringLiteral("REZ"), db::FieldType::Varchar2 } },
                    row ? std::vector<std::vector<QVariant>> { { *row } } : std::vector<std::vector<QVariant>> {});
            }
            if (answers) {
                const QVariant next = answers->empty() ? QVariant() : answers->front();
                if (!answers->empty())
                    answers->erase(answers->begin());
                for (auto& b : binds)
                    if (b.direction != db::BindDirection::In)
                        b.value = next;
            }
            return r;
        });
        session.setDriver(std::make_shared<fake::Driver>(server));
        session.setUserName(QStringLiteral("SCOTT"));
        session.setPassword(QStringLiteral("tiger"));
        session.setDatabase(QStringLiteral("FAKE"));
        session.logOn();
        server->log.clear();
        server->bindLog.clear();
    }

    Binds lastBinds() const
    {
        Binds out;
        for (const auto& b : server->bindLog.back())
            if (b.direction != db::BindDirection::Out && b.type != db::FieldType::RefCursor)
                out[b.name] = b.value;
        return out;
    }

    std::shared_ptr<fake::Server> server = std::make_shared<fake::Server>();
    db::Session session;
    std::optional<db::OracleError> error;
    std::map<QString, QVariant> outs;
    std::optional<QVariant> row;
    std::optional<std::vector<QVariant>> answers; // one OUT value per statement, in order
    std::vector<db::driver::Column> cursorColumns;
    std::vector<std::vector<QVariant>> cursorRows;
};

struct CallCase {
    const char* name;
    std::function<QVariant(db::Session&)> call;
    QString sql; // as the server logs it: white space collapsed
    Binds binds; // every IN bind by name
    std::map<QString, QVariant> outs; // OUT binds the server sets
    std::optional<QVariant> row; // the single value a select returns
    QVariant expected;
};

TEST_F(ServerObjectsTest, EachCallSendsItsStatementAndBindsAndReadsItsResult)
{
    const QString s = QStringLiteral("x'); drop table t; --"); // user text with a quote: must stay a bind
    const std::vector<CallCase> cases = {
        { "getUser", [](db::Session& se) { return QVariant(shell::getUser(se)); },
            "select VOXA.pckLogParam.getUser from dual", {}, {}, QVariant(QStringLiteral("JANEZ")),
            QStringLiteral("JANEZ") },
        { "initParamUserDef",
            [&](db::Session& se) {
                shell::initParamUserDef(se, s);
                return QVariant();
            },
            "BEGIN VOXA.pckLogParam.initParam(:USERDEF1); END;", { { "USERDEF1", s } }, {}, {}, {} },
        { "activateLargeRB online",
            [](db::Session& se) {
                shell::activateLargeRB(se, QStringLiteral("RBBIG"), true);
                return QVariant();
            },
            "begin vexo_util.activateLARGERB(:segment,:target); end;",
            { { "SEGMENT", "RBBIG" }, { "TARGET", "ONLINE" } }, {}, {}, {} },
        { "activateLargeRB offline",
            [](db::Session& se) {
                shell::activateLargeRB(se, QStringLiteral("RBBIG"), false);
                return QVariant();
            },
            "begin vexo_util.activateLARGERB(:segment,:target); end;",
            { { "SEGMENT", "RBBIG" }, { "TARGET", "OFFLINE" } }, {}, {}, {} },
        { "userIsValid", [](db::Session& se) { return QVariant(shell::userIsValid(se, QStringLiteral("U1"))); },
            "select VOXA.PCKVEXOLOG.USERISVALID(:USERDEF1) UserIsValid from dual", { { "USERDEF1", "U1" } }, {},
            QVariant(QStringLiteral("T")), QStringLiteral("T") },
        { "dodeliPravice",
            [](db::Session& se) {
                shell::dodeliPravice(se, QStringLiteral("voxa"), QStringLiteral("GRANT SELECT ON T TO U"));
                return QVariant();
            },
            "begin VOXA.dodeliPravice(:stavek); end;", { { "STAVEK", "GRANT SELECT ON T TO U" } }, {}, {}, {} },
        { "getMemoFiltExs matches",
            [](db::Session& se) {
                return QVariant(shell::getMemoFiltExs(se, QStringLiteral("AAAB1"), QStringLiteral("emp")));
            },
            "select vexo_util.getMemoFiltExs(:rid,:filter) rez from dual", { { "RID", "AAAB1" }, { "FILTER", "emp" } },
            {}, QVariant(QStringLiteral("T")), true },
        { "getMemoFiltExs other answer",
            [](db::Session& se) {
                return QVariant(shell::getMemoFiltExs(se, QStringLiteral("AAAB1"), QStringLiteral("emp")));
            },
            "select vexo_util.getMemoFiltExs(:rid,:filter) rez from dual", { { "RID", "AAAB1" }, { "FILTER", "emp" } },
            {}, QVariant(QStringLiteral("F")), false },
        { "sendtoPipe",
            [](db::Session& se) {
                shell::sendtoPipe(se, QStringLiteral(" ?S100?U2?"));
                return QVariant();
            },
            "begin sendtoPipe('REFRESH',:niz); end;", { { "NIZ", " ?S100?U2?" } }, {}, {}, {} },
        { "readPipe", [](db::Session& se) { return QVariant(shell::readPipe(se)); },
            "begin readPipe('REFRESH',1,:outniz); end;", {}, { { "OUTNIZ", "/?S5?" } }, {}, QStringLiteral("/?S5?") },
        { "getsequence", [](db::Session& se) { return QVariant(shell::getsequence(se, "JOB_START_LOG")); },
            "select voxa.getsequence(:kljuc) seq from dual", { { "KLJUC", "JOB_START_LOG" } }, {}, QVariant(42),
            qint64(42) },
        { "writeJobStartLog lock",
            [](db::Session& se) {
                shell::writeJobStartLog(se, shell::ServerJob::Lock, "STOP", "Novak Janez", "vzdrzevanje");
                return QVariant();
            },
            "INSERT INTO VOXA.JOB_START_LOG (LOG_ID, JOB_NAME, JOB_DATE, JOB_ACTION, ACTOR_NAME, JOB_INFO) VALUES "
            "(voxa.getsequence('JOB_START_LOG'), 'LOCK_JOB', SYSDATE, :ACTION, :PRIIMEKINIME, :RAZLOG)",
            { { "ACTION", "STOP" }, { "PRIIMEKINIME", "Novak Janez" }, { "RAZLOG", "vzdrzevanje" } }, {}, {}, {} },
        { "writeJobStartLog audit",
            [](db::Session& se) {
                shell::writeJobStartLog(se, shell::ServerJob::Audit, "START", "Novak Janez", "");
                return QVariant();
            },
            "INSERT INTO VOXA.JOB_START_LOG (LOG_ID, JOB_NAME, JOB_DATE, JOB_ACTION, ACTOR_NAME, JOB_INFO) VALUES "
            "(voxa.getsequence('JOB_START_LOG'), 'AUDIT_JOB', SYSDATE, :ACTION, :PRIIMEKINIME, :RAZLOG)",
            { { "ACTION", "START" }, { "PRIIMEKINIME", "Novak Janez" }, { "RAZLOG", "" } }, {}, {}, {} },
        { "shutdown lock",
            [](db::Session& se) {
                shell::shutdownServer(se, shell::ServerJob::Lock, false);
                return QVariant();
            },
            "begin voxa.pckSemaphor.ShutdownSemaphor; end;", {}, {}, {}, {} },
        { "shutdown lock, scheduler variant",
            [](db::Session& se) {
                shell::shutdownServer(se, shell::ServerJob::Lock, true);
                return QVariant();
            },
            "-- PIPE RESET SERVER begin voxa.pckSemaphor.ShutdownSemaphor; commit; end;", {}, {}, {}, {} },
        { "shutdown audit, both variants alike",
            [](db::Session& se) {
                shell::shutdownServer(se, shell::ServerJob::Audit, true);
                return QVariant();
            },
            "begin voxa.PCKAUDITKLIENT.SHUTDOWNAUDIT; end;", {}, {}, {}, {} },
        { "showAllSemaphor",
            [](db::Session& se) {
                shell::showAllSemaphor(se);
                return QVariant();
            },
            "begin voxa.pcksemaphor.showAllSemaphor; end;", {}, {}, {}, {} },
        { "notifyShow",
            [](db::Session& se) {
                shell::notifyShow(se);
                return QVariant();
            },
            "begin voxa.pcksemaphor.notifyShow; end;", {}, {}, {}, {} },
        { "closeAllConn OK",
            [](db::Session& se) {
                shell::closeAllConn(se, QStringLiteral("C17"));
                return QVariant();
            },
            "begin voxa.PCKSEMAPHOR.CLOSEALLCONN(:conn,:RETVRED); end;", { { "CONN", "C17" }, { "RETVRED", "" } },
            { { "RETVRED", "OK" } }, {}, {} },
        { "setAuditUser",
            [&](db::Session& se) {
                shell::setAuditUser(se, s);
                return QVariant();
            },
            "begin voxa.pckAuditKlient.setAuditUser(:upor); end;", { { "UPOR", s } }, {}, {}, {} },
        { "submitDtCount",
            [](db::Session& se) {
                shell::submitDtCount(se, 22);
                return QVariant();
            },
            "DECLARE job BINARY_INTEGER; begin dbms_job.submit( job, 'begin VEXO_DT_COUNT; end;', "
            "trunc(sysdate)+:startnaUra/24, 'sysdate+1' ); commit; END;",
            { { "STARTNAURA", 22 } }, {}, {}, {} },
        { "submitMonitor",
            [](db::Session& se) {
                shell::submitMonitor(se, QStringLiteral("11.12.2026 23:00"));
                return QVariant();
            },
            "-- JOB za COUNT(*) DECLARE job BINARY_INTEGER; ret INTEGER; begin dbms_job.submit( job, "
            "'begin VEXO_UTIL.VEXO_MONITOR; end;', to_date (:startnaUra,'DD.MM.YYYY HH24:MI'), "
            "'sysdate+1/(24*12)' ); COMMIT; END;",
            { { "STARTNAURA", "11.12.2026 23:00" } }, {}, {}, {} },
        { "logOut",
            [](db::Session& se) {
                shell::logOut(se, 4711);
                return QVariant();
            },
            "declare rez VARCHAR2(100); begin rez:=voxa.pckVexoLog.logOut(:stevec,:status); end;",
            { { "STEVEC", qint64(4711) }, { "STATUS", "K" } }, {}, {}, {} },
        { "instrAllViews",
            [](db::Session& se) {
                return QVariant(
                    shell::instrAllViews(se, QStringLiteral("VOXA%"), QStringLiteral("V_EMP"), QStringLiteral("EMP")));
            },
            "select VOXA.pckVexoMemo.instrAllViews(:upor,:pogled,:tabela) rez from dual",
            { { "UPOR", "VOXA%" }, { "POGLED", "V_EMP" }, { "TABELA", "EMP" } }, {}, QVariant(3), qint64(3) },
        { "instrAllViews null counts as not listed",
            [](db::Session& se) {
                return QVariant(
                    shell::instrAllViews(se, QStringLiteral("VOXA%"), QStringLiteral("V_EMP"), QStringLiteral("EMP")));
            },
            "select VOXA.pckVexoMemo.instrAllViews(:upor,:pogled,:tabela) rez from dual",
            { { "UPOR", "VOXA%" }, { "POGLED", "V_EMP" }, { "TABELA", "EMP" } }, {}, QVariant(), qint64(0) },
        { "vexoShowLog",
            [](db::Session& se) { return QVariant(shell::vexoShowLog(se, "2026", "12", "ALERT", "ORA-", 5)); },
            "begin :retNiz:=voxa.pckOsnUtil.VEXO_showLog(:leto,:mesec,:tip,:flt,:cas); end;",
            { { "LETO", "2026" }, { "MESEC", "12" }, { "TIP", "ALERT" }, { "FLT", "ORA-" }, { "CAS", 5 } },
            { { "RETNIZ", "END" } }, {}, QStringLiteral("END") },
        { "getPot", [](db::Session& se) { return QVariant(shell::getPot(se)); },
            "begin :retPot:=voxa.pckOsnUtil.getPot; end;", {}, { { "RETPOT", "/u01/app/voxa" } }, {},
            QStringLiteral("/u01/app/voxa") },
    };
    for (const CallCase& c : cases) {
        SCOPED_TRACE(c.name);
        outs = c.outs;
        row = c.row;
        server->log.clear();
        server->bindLog.clear();
        const QVariant result = c.call(session);
        ASSERT_EQ(server->log.size(), 1);
        EXPECT_EQ(server->log.first().toStdString(), c.sql.toStdString());
        const Binds sent = lastBinds();
        EXPECT_EQ(sent.size(), c.binds.size());
        for (const auto& [name, value] : c.binds) {
            ASSERT_TRUE(sent.count(name)) << name.toStdString();
            EXPECT_EQ(sent.at(name).toString().toStdString(), value.toString().toStdString()) << name.toStdString();
        }
        EXPECT_EQ(result.toString().toStdString(), c.expected.toString().toStdString());
        EXPECT_EQ(result.isNull(), c.expected.isNull());
    }
}

TEST_F(ServerObjectsTest, InitParamBindsTheUserAndIgnoresErrors)
{
    const QString user = QStringLiteral("O'BRIEN");
    shell::initParam(session, user, false);
    shell::initParam(session, user, true);
    ASSERT_EQ(server->log.size(), 2);
    EXPECT_EQ(server->log[0], QStringLiteral("begin voxa.pckLogParam.InitParam(:userIpl); end;"));
    EXPECT_EQ(server->log[1], QStringLiteral("begin pckLogParam.InitParam(:userIpl); end;"));
    EXPECT_EQ(lastBinds().at(QStringLiteral("USERIPL")).toString(), user);

    error = db::OracleError(6550, QStringLiteral("ORA-06550: line 2, column 3: PLS-00201"));
    EXPECT_NO_THROW(shell::initParam(session, user, false));
}

TEST_F(ServerObjectsTest, LargeRollbackSegmentAllowedOnDInAnyCaseAndOnFailure)
{
    const std::vector<std::pair<QVariant, bool>> cases = { { QStringLiteral("D"), true }, { QStringLiteral("d"), true },
        { QStringLiteral("N"), false }, { QVariant(), false } };
    for (const auto& [answer, allowed] : cases) {
        SCOPED_TRACE(answer.toString().toStdString());
        row = answer;
        EXPECT_EQ(shell::canUseLargeRB(session), allowed);
    }
    EXPECT_EQ(server->log.last(), QStringLiteral("select VOXA.PCKLogParam.CanUseLargeRB largeRB from dual"));
    error = db::OracleError(904, QStringLiteral("ORA-00904: invalid identifier"));
    EXPECT_TRUE(shell::canUseLargeRB(session));
}

TEST_F(ServerObjectsTest, ServerErrorsReachTheCaller)
{
    error = db::OracleError(20001, QStringLiteral("ORA-20001: segment RBBIG missing"));
    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        { "activateLargeRB", [&] { shell::activateLargeRB(session, "RBBIG", true); } },
        { "dodeliPravice", [&] { shell::dodeliPravice(session, "APP", "GRANT SELECT ON T TO U"); } },
        { "shutdownServer", [&] { shell::shutdownServer(session, shell::ServerJob::Lock, false); } },
        { "logOut", [&] { shell::logOut(session, 1); } },
        { "getPot", [&] { shell::getPot(session); } },
    };
    for (const auto& [name, call] : calls) {
        SCOPED_TRACE(name);
        try {
            call();
            FAIL() << "the server's error was swallowed";
        } catch (const db::OracleError& e) {
            EXPECT_EQ(e.code(), 20001);
        }
    }
}

TEST_F(ServerObjectsTest, DodeliPraviceRefusesAnOwnerThatIsNotAPlainName)
{
    for (const char* owner : { "", "APP; drop user x", "A.B", "1APP", "APP--" }) {
        SCOPED_TRACE(owner);
        try {
            shell::dodeliPravice(session, QString::fromLatin1(owner), QStringLiteral("GRANT SELECT ON T TO U"));
            FAIL() << "accepted";
        } catch (const db::OracleError& e) {
            EXPECT_EQ(e.code(), 44003);
        }
    }
    EXPECT_TRUE(server->log.isEmpty());
    shell::dodeliPravice(session, QStringLiteral("App_2$"), QStringLiteral("REVOKE SELECT ON T FROM U"));
    EXPECT_EQ(server->log.last(), QStringLiteral("begin APP_2$.dodeliPravice(:stavek); end;"));
}

TEST_F(ServerObjectsTest, CloseAllConnFailsWithTheServersAnswer)
{
    for (const QVariant& answer : { QVariant(QStringLiteral("NI POVEZAVE")), QVariant() }) {
        outs = { { QStringLiteral("RETVRED"), answer } };
        try {
            shell::closeAllConn(session, QStringLiteral("C17"));
            FAIL() << "a refused erase passed as done";
        } catch (const db::OracleError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Brisanje zaklepanja ni uspešno: ") + answer.toString());
        }
    }
}

TEST_F(ServerObjectsTest, StructureDumpReadsLinesUntilNullAndCanStop)
{
    answers = std::vector<QVariant> { QVariant(), QStringLiteral("CREATE TABLE T ("), QStringLiteral("  A NUMBER"),
        QStringLiteral(");"), QStringLiteral("NULL"), QStringLiteral("never read") };
    const QStringList lines = shell::structureDump(session, "VOXA", "%", "");
    EXPECT_EQ(lines, QStringList({ "CREATE TABLE T (", "  A NUMBER", ");" }));
    EXPECT_EQ(
        server->log.first(), QStringLiteral("begin VEXO_UTIL.PCKSTRUKTURE.GETALLSTRUCTURE(:lastnik,:ime,:tip); end;"));
    const Binds prepared = [&] {
        Binds b;
        for (const auto& bind : server->bindLog.front())
            b[bind.name] = bind.value;
        return b;
    }();
    EXPECT_EQ(prepared.at(QStringLiteral("LASTNIK")).toString(), QStringLiteral("VOXA"));
    EXPECT_EQ(prepared.at(QStringLiteral("IME")).toString(), QStringLiteral("%"));
    EXPECT_EQ(server->log.size(), 5); // the prepare and four reads, the last one "NULL"
    EXPECT_EQ(server->log.last(), QStringLiteral("begin :vrstica:=VEXO_UTIL.PCKSTRUKTURE.GETFROMTABLE; end;"));

    // A package answering null instead of "NULL" ends the dump instead of looping for ever.
    answers = std::vector<QVariant> { QVariant(), QStringLiteral("X") };
    EXPECT_EQ(shell::structureDump(session, "VOXA", "%", "TABLE"), QStringList({ "X" }));

    // Stopping after the first line reads no more.
    answers = std::vector<QVariant> { QVariant(), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("NULL") };
    server->log.clear();
    QStringList seen;
    EXPECT_FALSE(shell::structureDump(session, "VOXA", "%", "", [&](const QString& l) {
        seen << l;
        return false;
    }));
    EXPECT_EQ(seen, QStringList({ "1" }));
    EXPECT_EQ(server->log.size(), 2);
}

TEST_F(ServerObjectsTest, GetTerminateOpensTheCursorOfLogins)
{
    cursorColumns = { { QStringLiteral("LOG_USER"), db::FieldType::Varchar2 },
        { QStringLiteral("LOG_STEVEC"), db::FieldType::Number } };
    cursorRows = { { QStringLiteral("JANEZ"), 16 }, { QStringLiteral("MICKA"), 17 } };
    shell::TerminateFilter f { "?", "01.12.2026", "JANEZ", "%", "%", "N", "1" };
    auto q = shell::getTerminate(session, f);
    EXPECT_EQ(server->log.last(),
        QStringLiteral(
            "begin voxa.pckVexoLog.getTerminate(:terminate,:dateFrom,:userIpl,:postaja,:modul,:notEQ,:ord,:curs); "
            "end;"));
    const Binds b = lastBinds();
    EXPECT_EQ(b.size(), 7u);
    EXPECT_EQ(b.at(QStringLiteral("TERMINATE")).toString(), QStringLiteral("?"));
    EXPECT_EQ(b.at(QStringLiteral("DATEFROM")).toString(), QStringLiteral("01.12.2026"));
    EXPECT_EQ(b.at(QStringLiteral("NOTEQ")).toString(), QStringLiteral("N"));
    EXPECT_EQ(b.at(QStringLiteral("ORD")).toString(), QStringLiteral("1"));
    ASSERT_TRUE(q);
    QStringList users;
    for (; !q->eof(); q->next())
        users << q->field(QStringLiteral("LOG_USER")).toString();
    EXPECT_EQ(users, QStringList({ "JANEZ", "MICKA" }));
}

TEST_F(ServerObjectsTest, FillEtlMdwSubmitsOnceWithTheCompanyBound)
{
    outs = { { QStringLiteral("REZ"), QStringLiteral("OK") } };
    EXPECT_EQ(shell::submitFillEtlMdw(session, QStringLiteral("D'OO"), QStringLiteral("12.12.2026 01:00")),
        QStringLiteral("OK"));
    const QString& sql = server->log.last();
    EXPECT_FALSE(sql.contains(QStringLiteral("D'OO")));
    EXPECT_TRUE(sql.contains(QStringLiteral("'begin voxa.FILL_ETL_MDW(''' || replace(:Podjetje, '''', '''''') || "
                                            "''', ''TRUE''); end;'")));
    EXPECT_TRUE(sql.contains(QStringLiteral("upper(what) like '%FILL_ETL_MDW%'")));
    EXPECT_TRUE(sql.contains(QStringLiteral("to_date(:Datum,'DD.MM.YYYY HH24:MI')")));
    EXPECT_TRUE(sql.contains(QStringLiteral("'TRUNC(SYSDATE+1)'")));
    const Binds b = lastBinds();
    EXPECT_EQ(b.at(QStringLiteral("PODJETJE")).toString(), QStringLiteral("D'OO"));
    EXPECT_EQ(b.at(QStringLiteral("DATUM")).toString(), QStringLiteral("12.12.2026 01:00"));

    outs = { { QStringLiteral("REZ"), QStringLiteral("NOK") } };
    EXPECT_EQ(shell::submitFillEtlMdw(session, QStringLiteral("X"), QStringLiteral("12.12.2026 01:00")),
        QStringLiteral("NOK"));
}

TEST(ServerJobTexts, AreTheTextsTheJobQueueRuns)
{
    EXPECT_EQ(
        shell::serverJobText(shell::ServerJob::Lock), QStringLiteral("begin voxa.pckSemaphorServer.server; end;"));
    EXPECT_EQ(shell::serverJobText(shell::ServerJob::Audit), QStringLiteral("begin voxa.pckAuditServer.server; end;"));
}

} // namespace
