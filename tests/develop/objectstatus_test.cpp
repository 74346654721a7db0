// The object-status window's work apart from its window: its statements, the list query's order on the demo
// database, one compile, the loop of "Recompile All" and the rounds of the unattended recompilation.
#include "db/query.h"
#include "develop/objectstatus.h"
#include "wstools_fixture.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(ObjectStatusStatements, CompileAndDrop)
{
    struct Case {
        const char* name;
        develop::ListedObject object;
        const char* alter;
        const char* drop;
    };
    const std::vector<Case> cases = {
        { "package", { "VOXA", "PCK_A", "PACKAGE" }, "ALTER PACKAGE VOXA.PCK_A COMPILE PACKAGE",
            "DROP PACKAGE VOXA.PCK_A" },
        { "package body", { "VOXA", "PCK_A", "PACKAGE BODY" }, "ALTER PACKAGE VOXA.PCK_A COMPILE BODY",
            "DROP PACKAGE BODY VOXA.PCK_A" },
        { "view ends with a blank", { "VOXA", "V_A", "VIEW" }, "ALTER VIEW VOXA.V_A COMPILE ", "DROP VIEW VOXA.V_A" },
        { "trigger", { "VOXA", "TRG", "TRIGGER" }, "ALTER TRIGGER VOXA.TRG COMPILE ", "DROP TRIGGER VOXA.TRG" },
        { "names that need quotes", { "Voxa", "p-1", "PROCEDURE" }, "ALTER PROCEDURE \"Voxa\".\"p-1\" COMPILE ",
            "DROP PROCEDURE \"Voxa\".\"p-1\"" },
        { "a long name is kept whole",
            { "VOXA", "P_" + QString(45, QLatin1Char('X')), "FUNCTION" },
            "ALTER FUNCTION VOXA.P_XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX COMPILE ",
            "DROP FUNCTION VOXA.P_XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(develop::alterCompileStatement(c.object), QString::fromLatin1(c.alter));
        EXPECT_EQ(develop::dropStatement(c.object), QString::fromLatin1(c.drop));
    }
}

TEST(ObjectStatusStatements, OwnerOfTheCommand)
{
    EXPECT_EQ(develop::errorsCommandOwner(QString(), QStringLiteral("VOXA")), QStringLiteral("VOXA"));
    EXPECT_EQ(develop::errorsCommandOwner(QStringLiteral("AUDIT"), QStringLiteral("VOXA")), QStringLiteral("VOXA"));
    EXPECT_EQ(develop::errorsCommandOwner(QStringLiteral("audit"), QStringLiteral("VOXA")), QStringLiteral("VOXA"));
    EXPECT_EQ(develop::errorsCommandOwner(QStringLiteral("BILDOR"), QStringLiteral("VOXA")), QStringLiteral("BILDOR"));
}

namespace {

develop::ListedObject obj(const char* name)
{
    return { QStringLiteral("VOXA"), QString::fromLatin1(name), QStringLiteral("PROCEDURE") };
}

} // namespace

TEST(ObjectStatusLoops, CompileAllGoesOnAfterFailuresUntilCancelled)
{
    struct Case {
        const char* name;
        QStringList stillInvalid; // objects that stay invalid
        QStringList refused;
        QString tickBefore; // the user ticks Cancel while this one's messages are pumped
        QStringList compiled;
        bool cancelled;
    };
    const std::vector<Case> cases = {
        { "all compile", {}, {}, {}, { "A", "B", "C" }, false },
        { "a refusal and an invalid one do not stop it", { "B" }, { "A" }, {}, { "A", "B", "C" }, false },
        { "Cancel ticked after a failure stops before the next object", { "A" }, {}, "B", { "A" }, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList compiled;
        bool tick = false;
        QString next;
        develop::CompileAllSteps steps;
        steps.cancelled = [&] { return tick; };
        steps.pump = [&] {
            if (!c.tickBefore.isEmpty() && next == c.tickBefore)
                tick = true;
        };
        steps.compile = [&](const develop::ListedObject& o) {
            compiled << o.name;
            develop::ObjectCompile r;
            r.refused = c.refused.contains(o.name);
            r.stillInvalid = c.stillInvalid.contains(o.name);
            return r;
        };
        int position = 0;
        const QStringList order = { "A", "B", "C" };
        steps.compiled = [&](const develop::ListedObject&, const develop::ObjectCompile&) {
            ++position;
            next = order.value(position);
        };
        next = order.first();
        const develop::CompileAllOutcome out = develop::compileAllObjects({ obj("A"), obj("B"), obj("C") }, steps);
        EXPECT_EQ(compiled, c.compiled);
        EXPECT_EQ(out.cancelled, c.cancelled);
        EXPECT_EQ(out.refused, int(c.refused.size()));
    }
    // An empty list compiles nothing.
    develop::CompileAllSteps none;
    none.compile = [](const develop::ListedObject&) { return develop::ObjectCompile(); };
    EXPECT_EQ(develop::compileAllObjects({}, none).compiled, 0);
}

TEST(ObjectStatusLoops, UnattendedRounds)
{
    struct Case {
        const char* name;
        std::vector<int> lists; // the row count of each re-read, in order
        int compileAlls;
        bool clean;
        int rereads;
    };
    const std::vector<Case> cases = {
        { "clean from the start", { 0, 0, 0, 0 }, 0, true, 4 },
        { "clean after the first round", { 3, 0, 0, 0 }, 1, true, 4 },
        { "one left after three rounds and ten checks", std::vector<int>(13, 1), 3, false, 13 },
        { "a late check finds it clean", { 2, 2, 1, 1, 1, 0 }, 3, true, 6 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        size_t read = 0;
        int compileAlls = 0;
        develop::RecompileRounds rounds;
        rounds.reread = [&] { return c.lists.at(std::min(read++, c.lists.size() - 1)); };
        rounds.compileAll = [&] { ++compileAlls; };
        EXPECT_EQ(develop::recompileInRounds(rounds), c.clean);
        EXPECT_EQ(compileAlls, c.compileAlls);
        EXPECT_EQ(int(read), c.rereads);
    }
}

// ---- on the demo database

namespace {

class ObjectStatusDb : public wstest::DemoSessionTest {
protected:
    QStringList list(const QString& order, const QString& stat, const QString& ime)
    {
        db::Query q(session.get());
        q.setSql(develop::invalidListQuery(order));
        q.setVariable(QStringLiteral("lastnik"), QStringLiteral("BILDOR"));
        q.setVariable(QStringLiteral("stat"), stat);
        q.setVariable(QStringLiteral("ime"), ime);
        q.execute();
        QStringList out;
        for (; !q.eof(); q.next())
            out << q.field(0).toString() + QLatin1Char('|') + q.field(1).toString() + QLatin1Char('|')
                    + q.field(2).toString() + QLatin1Char('|') + q.field(5).toString();
        return out;
    }
};

} // namespace

TEST_F(ObjectStatusDb, InvalidListInCompileOrder)
{
    // BILDOR: a package with its body, a view, a function and one named GETSEQUENCE, all made invalid by the drop
    // of the table they use.
    for (const char* sql : {
             "create table bildor.st_t (a number)",
             "create or replace package bildor.pck_st is function f return number; end;",
             "create or replace package body bildor.pck_st is function f return number is n number; begin "
             "select count(*) into n from bildor.st_t; return n; end; end;",
             "create or replace function bildor.getsequence return number is n number; begin select count(*) into n "
             "from bildor.st_t; return n; end;",
             "create or replace function bildor.aaa_f return number is n number; begin select count(*) into n from "
             "bildor.st_t; return n; end;",
             "create or replace view bildor.st_v as select a from bildor.st_t",
             "create or replace procedure bildor.\"Proc Mixed\" is n number; begin "
             "select count(*) into n from bildor.st_t; end;",
             "drop table bildor.st_t",
         })
        run(*session, QString::fromLatin1(sql));
    const QStringList invalid = list(QString::fromLatin1(develop::orderInvalid), QStringLiteral("INVALID"), "%");
    ASSERT_EQ(invalid.size(), 5) << invalid.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(invalid.at(0).startsWith(QStringLiteral("GETSEQUENCE|FUNCTION     |INVALID|@")));
    EXPECT_TRUE(invalid.at(1).startsWith(QStringLiteral("PCK_ST|PACKAGE BODY     |INVALID|B")));
    EXPECT_TRUE(invalid.at(2).startsWith(QStringLiteral("AAA_F|FUNCTION     |INVALID|C")));
    EXPECT_TRUE(invalid.at(3).startsWith(QStringLiteral("Proc Mixed|PROCEDURE     |INVALID|C")));
    EXPECT_TRUE(invalid.at(4).startsWith(QStringLiteral("ST_V|VIEW     |INVALID|C")));
    // The last change as DD.MM.YYYY  HH:MI with sixteen blanks for the display.
    db::Query q(session.get());
    q.setSql(develop::invalidListQuery(QString::fromLatin1(develop::orderInvalid)));
    q.setVariable(QStringLiteral("lastnik"), QStringLiteral("BILDOR"));
    q.setVariable(QStringLiteral("stat"), QStringLiteral("INVALID"));
    q.setVariable(QStringLiteral("ime"), QStringLiteral("%"));
    q.execute();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4}  \\d\\d:\\d\\d {16}$"))
                    .match(q.field(3).toString())
                    .hasMatch())
        << q.field(3).toString().toStdString();
    // The status view lists the valid ones too, and the search narrows by name.
    EXPECT_EQ(list(QString::fromLatin1(develop::orderByName), QStringLiteral("ALL"), "%PCK%").size(), 2);
    EXPECT_EQ(list(QString::fromLatin1(develop::orderByName), QStringLiteral("INVALID"), "%PCK%").size(), 1);

    // Compiling: the view and the body stay invalid while the table is missing; once it is back they compile.
    const develop::ObjectCompile view = develop::compileObject(*session, { "BILDOR", "ST_V", "VIEW" });
    EXPECT_FALSE(view.refused);
    EXPECT_TRUE(view.stillInvalid);
    run(*session, QStringLiteral("create table bildor.st_t (a number)"));
    const std::vector<develop::ListedObject> again
        = { { "BILDOR", "ST_V", "VIEW" }, { "BILDOR", "PCK_ST", "PACKAGE BODY" }, { "BILDOR", "Proc Mixed", "PROCEDURE" } };
    for (const develop::ListedObject& o : again) {
        SCOPED_TRACE(o.name.toStdString());
        const develop::ObjectCompile r = develop::compileObject(*session, o);
        EXPECT_FALSE(r.refused) << r.message.toStdString();
        EXPECT_FALSE(r.stillInvalid);
    }
    const develop::ObjectCompile gone = develop::compileObject(*session, { "BILDOR", "NOSUCH", "PROCEDURE" });
    EXPECT_TRUE(gone.refused);
    EXPECT_TRUE(gone.message.startsWith(QStringLiteral("ORA-04043"))) << gone.message.toStdString();
}
