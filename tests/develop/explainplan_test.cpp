// The worksheet's Explain on the demo database: the editor's lines explained into VEXO_UTIL.VEXO_PLAN_TABLE and
// read back as a tree. Oracle: EXPLAIN PLAN writes the plan rows without running the statement; the plan table's
// rows are ordinary DML of the session until it commits.
#include "develop/explainplan.h"
#include "wstools_fixture.h"

#include <gtest/gtest.h>

using develop::ExplainResult;

TEST(ExplainStatement, KeepsTheEditorsLinesAndTheirBreaks)
{
    const QStringList lines { QStringLiteral("select *  -- every column"), QStringLiteral("from dual") };
    EXPECT_EQ(develop::explainStatement(lines),
        QStringLiteral("EXPLAIN PLAN INTO VEXO_UTIL.VEXO_PLAN_TABLE FOR  select *  -- every column\n from dual"));
    EXPECT_EQ(develop::explainStatement({}), QStringLiteral("EXPLAIN PLAN INTO VEXO_UTIL.VEXO_PLAN_TABLE FOR "));
}

namespace {

class ExplainOnDemo : public wstest::DemoSessionTest { };

} // namespace

TEST_F(ExplainOnDemo, ExplainsIntoTheSharedPlanTableAndShowsTheTree)
{
    // The application owner may truncate the shared table (DBA); BILDOR may only delete its rows (Oracle refuses
    // TRUNCATE of another schema's table without DROP ANY TABLE).
    struct Case {
        engine::kit::DemoUser user;
        QStringList lines;
        const char* object;
    };
    const Case cases[] {
        { engine::kit::kVoxa,
            { QStringLiteral("select o.order_id, c.name -- the customer of each order"),
                QStringLiteral("  from voxa.orders o, voxa.customers c"), QString(),
                QStringLiteral(" where c.customer_id = o.customer_id") },
            "CUSTOMERS" },
        { engine::kit::kBildor, { QStringLiteral("select * -- every column"), QStringLiteral("from dual") }, "DUAL" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user.name);
        auto s = logOn(c.user);
        const ExplainResult r = develop::explainPlan(*s, c.lines);
        ASSERT_EQ(r.outcome, ExplainResult::Outcome::Explained) << r.failedStatement.toStdString() << "\n"
                                                                << r.serverMessage.toStdString();
        ASSERT_GE(r.lines.size(), 2);
        EXPECT_TRUE(r.lines.at(0).startsWith(QStringLiteral("      SELECT STATEMENT  Cost=")))
            << r.lines.at(0).toStdString();
        EXPECT_TRUE(r.lines.join(QLatin1Char('\n')).contains(QString::fromLatin1(c.object)))
            << "the comment did not swallow the rest of the statement";
        const QString child = r.lines.at(1);
        EXPECT_TRUE(child.startsWith(QString(12, QLatin1Char(' '))) && child.at(12) != QLatin1Char(' '))
            << "each level is indented by 6 more blanks: " << child.toStdString();
        EXPECT_FALSE(s->inTransaction()) << "the plan is committed";
        // The table holds the last plan only.
        EXPECT_EQ(column(*session, QStringLiteral("select count(*) from vexo_util.vexo_plan_table where id = 0")),
            QStringList { QStringLiteral("1") });
    }
}

TEST_F(ExplainOnDemo, InsideATransactionNothingIsExplained)
{
    run(*session, QStringLiteral("update voxa.customers set name = name where rownum = 1"));
    const ExplainResult r = develop::explainPlan(*session, { QStringLiteral("select * from dual") });
    EXPECT_EQ(r.outcome, ExplainResult::Outcome::InTransaction);
    EXPECT_TRUE(session->inTransaction()) << "the user's transaction is left for the user to end";
    EXPECT_TRUE(r.lines.isEmpty());
}

TEST_F(ExplainOnDemo, AFailingStatementNamesTheStatementAndKeepsThePlan)
{
    ASSERT_EQ(develop::explainPlan(*session, { QStringLiteral("select * from dual") }).outcome,
        ExplainResult::Outcome::Explained);
    const QStringList bad { QStringLiteral("select * frm dual") };
    const ExplainResult r = develop::explainPlan(*session, bad);
    EXPECT_EQ(r.outcome, ExplainResult::Outcome::Failed);
    EXPECT_EQ(r.failedStatement, develop::explainStatement(bad)) << "the whole EXPLAIN PLAN statement that was built";
    EXPECT_TRUE(r.serverMessage.startsWith(QStringLiteral("ORA-"))) << r.serverMessage.toStdString();
    EXPECT_FALSE(session->inTransaction());
}

TEST_F(ExplainOnDemo, AMissingPlanTableNamesTheTruncate)
{
    auto util = logOn(engine::kit::kVexoUtil);
    run(*util, QStringLiteral("drop table vexo_util.vexo_plan_table"));
    const ExplainResult r = develop::explainPlan(*util, { QStringLiteral("select * from dual") });
    EXPECT_EQ(r.outcome, ExplainResult::Outcome::Failed);
    EXPECT_EQ(r.failedStatement, QStringLiteral("TRUNCATE TABLE VEXO_UTIL.VEXO_PLAN_TABLE"));
    EXPECT_TRUE(r.serverMessage.contains(QStringLiteral("ORA-00942"))) << r.serverMessage.toStdString();
}
