// The worksheet's call builder: the PL/SQL block that calls a procedure, function or package member with the
// values typed into the parameter grid, as text and run on the demo database. Oracle: named notation binds each
// actual to its formal; an OUT or IN OUT formal needs a variable; a BOOLEAN has no conversion to text.
#include "db/oracleerror.h"
#include "develop/callbuilder.h"
#include "wstools_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using develop::ArgumentRow;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

ArgumentRow arg(const char* name, const char* type, const char* inOut, const char* value = "")
{
    return { QString::fromUtf8(name), QString::fromUtf8(type), QString::fromUtf8(inOut), QString::fromUtf8(value) };
}

} // namespace

TEST(CallBlock, BuildsTheBlockForEachKindOfParameter)
{
    struct Case {
        const char* name;
        std::vector<ArgumentRow> rows;
        bool grid;
        QStringList lines;
    };
    const std::vector<Case> cases {
        { "IN number and OUT varchar2", { arg("A", "number", "IN", "5"), arg("B", "varchar2", "OUT") }, true,
            { "-- N", "DECLARE ", "  B VARCHAR2(200):='' ;", "begin ", "  N(", "        A=> 5,", "        B=> B);",
                "end;" } },
        { "function returning NUMBER without parameters", { arg("", "number", "OUT") }, true,
            { "-- N", "begin ", "  dbms_output.put_line( to_char(N(  )));", "end;" } },
        { "function returning VARCHAR2", { arg("", "varchar2", "OUT"), arg("X", "varchar2", "IN", "a") }, true,
            { "-- N", "begin ", "  dbms_output.put_line( N(", "        X=> 'a'  ));", "end;" } },
        { "empty number, date, quoted text",
            { arg("A", "number", "IN"), arg("D", "date", "IN", "01.02.2024"), arg("S", "varchar2", "IN", "O'Brien"),
                arg("E", "date", "IN") },
            true,
            { "-- N", "begin ", "  N(", "        A=> NULL,", "        D=> to_date('01.02.2024','DD.MM.YYYY'),",
                "        S=> 'O''Brien',", "        E=> NULL);", "end;" } },
        { "OUT date, number and IN OUT values",
            { arg("D", "date", "OUT"), arg("M", "number", "IN/OUT", "7"), arg("K", "binary_integer", "OUT"),
                arg("C", "char", "IN/OUT", "x") },
            true,
            { "-- N", "DECLARE ", "  D date :=NULL;", "  M number :=7;", "  K binary_integer :=0;",
                "  C char(200) :='x';", "begin ", "  N(", "        D=> D,", "        M=> M,", "        K=> K,",
                "        C=> C);", "end;" } },
        { "BOOLEAN in and out", { arg("F", "pl/sql boolean", "IN", "TRUE"), arg("G", "pl/sql boolean", "OUT") }, true,
            { "-- N", "DECLARE ", "  G BOOLEAN;", "begin ", "  N(", "        F=> TRUE,", "        G=> G);", "end;" } },
        { "BOOLEAN result", { arg("", "pl/sql boolean", "OUT"), arg("A", "number", "IN", "1") }, true,
            { "-- N", "DECLARE ", "  l_rezultat BOOLEAN;", "begin ", "  l_rezultat := N(", "        A=> 1  );",
                "  dbms_output.put_line(case when l_rezultat then 'TRUE' when not l_rezultat then 'FALSE' end);",
                "end;" } },
        { "procedure without parameters", {}, false, { "-- N", "begin ", "  N();", "end;" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(develop::buildCallBlock(QStringLiteral("N"), c.rows, c.grid).split(QLatin1Char('\r')), c.lines);
    }
}

TEST(CallBlock, NodesNameTheirOwnerObjectAndPackage)
{
    const develop::CallTarget proc = develop::callTarget(QStringLiteral("voxa.Pr_Test"));
    EXPECT_TRUE(proc.valid);
    EXPECT_EQ(proc.owner, QStringLiteral("VOXA"));
    EXPECT_EQ(proc.object, QStringLiteral("PR_TEST"));
    EXPECT_EQ(proc.package, QString());

    const develop::CallTarget member = develop::callTarget(QStringLiteral("member"), QStringLiteral("voxa.PCK"));
    EXPECT_TRUE(member.valid);
    EXPECT_EQ(member.owner, QStringLiteral("VOXA"));
    EXPECT_EQ(member.package, QStringLiteral("PCK"));
    EXPECT_EQ(member.object, QStringLiteral("MEMBER"));

    EXPECT_FALSE(develop::callTarget(QStringLiteral("PROCEDURE")).valid) << "a top node names nothing";
    EXPECT_EQ(
        develop::callName(QStringLiteral("member"), QStringLiteral("voxa.PCK")), QStringLiteral("voxa.PCK.member"));
    EXPECT_EQ(
        develop::callName(QStringLiteral("member"), QStringLiteral("voxa.PCK")), QStringLiteral("voxa.PCK.member"))
        << "the same call name every time";
}

namespace {

class CallBuilderOnDemo : public wstest::DemoSessionTest {
protected:
    // Creates a unit; false when the engine cannot create stored units yet.
    // Creates a stored unit; false, with the server's message as the failure, when the engine refuses it.
    bool create(const QString& sql)
    {
        try {
            run(*session, sql);
            return true;
        } catch (const db::OracleError& e) {
            ADD_FAILURE() << e.message().toStdString();
            return false;
        }
    }
    QStringList runBlock(const QString& block)
    {
        session->enableOutput();
        session->takeOutputLines();
        QString sql = block;
        sql.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        run(*session, sql);
        return session->takeOutputLines();
    }
};

} // namespace

namespace {

// The block with the called subprograms defined locally, after its own declarations (where PL/SQL wants
// subprogram bodies), so the produced text is compiled and run whether or not stored units can be created.
QString withLocalUnits(const QString& block, const QString& units)
{
    QStringList lines = block.split(QLatin1Char('\r'));
    const qsizetype begin = lines.indexOf(QStringLiteral("begin "));
    lines.insert(begin, units);
    if (!lines.contains(QStringLiteral("DECLARE ")))
        lines.insert(begin, QStringLiteral("DECLARE "));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TEST_F(CallBuilderOnDemo, TheBlocksCompileWithLocalSubprograms)
{
    session->enableOutput();
    session->takeOutputLines();
    const QString units = QStringLiteral(
        "  procedure ws_call(p_num number, p_day date, p_flag boolean, p_text varchar2,\n"
        "    p_out out varchar2, p_io in out number, p_dout out date, p_bout out boolean) is\n"
        "  begin\n"
        "    p_out := p_text || to_char(p_day, 'YYYY-MM-DD') || case when p_flag then 'T' else 'F' end;\n"
        "    p_io := nvl(p_io, 0) + nvl(p_num, 100);\n"
        "    p_dout := p_day; p_bout := p_flag;\n"
        "    dbms_output.put_line(p_out || ' ' || p_io);\n"
        "  end;\n"
        "  function ws_flag(p_n number) return boolean is begin return p_n > 0; end;\n"
        "  function ws_next(p_day date) return varchar2 is begin return to_char(p_day + 1, 'DD.MM.YYYY'); end;");
    const std::vector<ArgumentRow> procRows { arg("P_NUM", "number", "IN"), arg("P_DAY", "date", "IN", "01.02.2024"),
        arg("P_FLAG", "pl/sql boolean", "IN", "TRUE"), arg("P_TEXT", "varchar2", "IN", "it's "),
        arg("P_OUT", "varchar2", "OUT"), arg("P_IO", "number", "IN/OUT", "5"), arg("P_DOUT", "date", "OUT"),
        arg("P_BOUT", "pl/sql boolean", "OUT") };
    struct Case {
        const char* name;
        QString block;
        QStringList output;
    };
    const Case cases[] = {
        { "procedure with DATE, BOOLEAN, OUT and IN OUT",
            develop::buildCallBlock(QStringLiteral("ws_call"), procRows, true),
            { QStringLiteral("it's 2024-02-01T 105") } },
        { "function with a BOOLEAN result",
            develop::buildCallBlock(
                QStringLiteral("ws_flag"), { arg("", "pl/sql boolean", "OUT"), arg("P_N", "number", "IN", "2") }, true),
            { QStringLiteral("TRUE") } },
        { "function with a text result and a DATE parameter",
            develop::buildCallBlock(QStringLiteral("ws_next"),
                { arg("", "varchar2", "OUT"), arg("P_DAY", "date", "IN", "28.02.2024") }, true),
            { QStringLiteral("29.02.2024") } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString sql = withLocalUnits(c.block, units);
        try {
            run(*session, sql);
        } catch (const db::OracleError& e) {
            ADD_FAILURE() << e.message().toStdString() << "\n" << sql.toStdString();
        }
        EXPECT_EQ(session->takeOutputLines(), c.output);
    }
}

TEST_F(CallBuilderOnDemo, TheBlocksCompileAndRunForDateBooleanAndOutParameters)
{
    ASSERT_TRUE(create(QStringLiteral(
        "create or replace procedure ws_call(p_num number, p_day date, p_flag boolean, p_text varchar2,\n"
        "  p_out out varchar2, p_io in out number, p_dout out date, p_bout out boolean) is\n"
        "begin\n"
        "  p_out := p_text || to_char(p_day, 'YYYY-MM-DD') || case when p_flag then 'T' else 'F' end;\n"
        "  p_io := nvl(p_io, 0) + nvl(p_num, 100);\n"
        "  p_dout := p_day; p_bout := p_flag;\n"
        "  dbms_output.put_line(p_out || ' ' || p_io);\n"
        "end;")));
    ASSERT_TRUE(create(QStringLiteral("create or replace function ws_date(p_day date) return date is\n"
                                      "begin return p_day + 1; end;")));
    ASSERT_TRUE(create(QStringLiteral("create or replace function ws_flag(p_n number) return boolean is\n"
                                      "begin return p_n > 0; end;")));
    ASSERT_TRUE(create(QStringLiteral("create or replace function ws_text return varchar2 is\n"
                                      "begin return 'text'; end;")));

    const std::vector<ArgumentRow> procRows { arg("P_NUM", "number", "IN"), arg("P_DAY", "date", "IN", "01.02.2024"),
        arg("P_FLAG", "pl/sql boolean", "IN", "TRUE"), arg("P_TEXT", "varchar2", "IN", "it's "),
        arg("P_OUT", "varchar2", "OUT"), arg("P_IO", "number", "IN/OUT", "5"), arg("P_DOUT", "date", "OUT"),
        arg("P_BOUT", "pl/sql boolean", "OUT") };
    EXPECT_EQ(runBlock(develop::buildCallBlock(QStringLiteral("voxa.WS_CALL"), procRows, true)),
        QStringList { QStringLiteral("it's 2024-02-01T 105") });

    run(*session, QStringLiteral("alter session set nls_date_format = 'DD.MM.YYYY'"));
    EXPECT_EQ(runBlock(develop::buildCallBlock(QStringLiteral("voxa.WS_DATE"),
                  { arg("", "date", "OUT"), arg("P_DAY", "date", "IN", "28.02.2024") }, true)),
        QStringList { QStringLiteral("29.02.2024") });
    EXPECT_EQ(runBlock(develop::buildCallBlock(QStringLiteral("voxa.WS_FLAG"),
                  { arg("", "pl/sql boolean", "OUT"), arg("P_N", "number", "IN", "2") }, true)),
        QStringList { QStringLiteral("TRUE") });
    EXPECT_EQ(runBlock(develop::buildCallBlock(QStringLiteral("voxa.WS_TEXT"), { arg("", "varchar2", "OUT") }, true)),
        QStringList { QStringLiteral("text") });
}

TEST_F(CallBuilderOnDemo, ListsTheObjectsAndParametersOfASchema)
{
    ASSERT_TRUE(create(QStringLiteral("create or replace procedure ws_list(p_a number, p_b out varchar2) is\n"
                                      "begin p_b := to_char(p_a); end;")));
    ASSERT_TRUE(create(QStringLiteral("create or replace procedure ws_none is begin null; end;")));

    const develop::CallableObjects objects
        = develop::listCallables(*session, QStringLiteral("vox"), QStringLiteral("ws_"));
    EXPECT_TRUE(objects.procedures.contains(QStringLiteral("voxa.WS_LIST")));
    EXPECT_TRUE(objects.procedures.contains(QStringLiteral("voxa.WS_NONE")));

    const std::vector<ArgumentRow> rows
        = develop::listArguments(*session, develop::callTarget(QStringLiteral("voxa.WS_LIST")));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, QStringLiteral("P_A"));
    EXPECT_EQ(rows[0].dataType, QStringLiteral("number"));
    EXPECT_EQ(rows[1].inOut, QStringLiteral("OUT"));
    EXPECT_TRUE(develop::listArguments(*session, develop::callTarget(QStringLiteral("voxa.WS_NONE"))).empty())
        << "the placeholder row of a procedure without arguments is no parameter";

    // A package member of the same name as a stored procedure: each lists its own parameters.
    ASSERT_TRUE(create(QStringLiteral("create or replace package ws_pck is\n"
                                      "  procedure ws_list(p_day date, p_flag out boolean);\n"
                                      "  function ws_f return varchar2;\n"
                                      "end;")));
    ASSERT_TRUE(
        create(QStringLiteral("create or replace package body ws_pck is\n"
                              "  procedure ws_list(p_day date, p_flag out boolean) is\n"
                              "  begin p_flag := p_day > date '2024-01-01'; dbms_output.put_line('member'); end;\n"
                              "  function ws_f return varchar2 is begin return 'f'; end;\n"
                              "end;")));
    const develop::CallableObjects withPackage
        = develop::listCallables(*session, QStringLiteral("VOXA"), QStringLiteral("WS_"));
    const auto pck = std::find_if(withPackage.packages.begin(), withPackage.packages.end(),
        [](const develop::PackageNode& p) { return p.text == QLatin1String("voxa.WS_PCK"); });
    ASSERT_NE(pck, withPackage.packages.end());
    EXPECT_EQ(pck->members, (QStringList { QStringLiteral("WS_F"), QStringLiteral("WS_LIST") }));

    std::vector<ArgumentRow> member
        = develop::listArguments(*session, develop::callTarget(QStringLiteral("WS_LIST"), pck->text));
    ASSERT_EQ(member.size(), 2u);
    EXPECT_EQ(member[0].name, QStringLiteral("P_DAY"));
    EXPECT_EQ(member[1].dataType, QStringLiteral("pl/sql boolean"));
    member[0].value = QStringLiteral("02.01.2024");
    EXPECT_EQ(runBlock(develop::buildCallBlock(develop::callName(QStringLiteral("WS_LIST"), pck->text), member, true)),
        QStringList { QStringLiteral("member") });
}
