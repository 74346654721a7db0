// Bind placeholders, the updating table and WHERE conditions read from statement texts.
#include "db/sqltext.h"

#include <gtest/gtest.h>

namespace {

using db::sqltext::addWhereCondition;
using db::sqltext::bindNames;
using db::sqltext::updatingTable;

TEST(SqlTextTest, BindNames)
{
    struct Case {
        const char* name;
        QString sql;
        QStringList binds;
    };
    const std::vector<Case> cases {
        { "one name used three times is one bind", QStringLiteral("select :a, :A from t where x = :a"), { "A" } },
        { "order of first use", QStringLiteral("select :b, :a, :b from dual"), { "B", "A" } },
        { "names in literals are text", QStringLiteral("select ':x', 'it''s :y' from dual where z = :z"), { "Z" } },
        { "q-quoted literal", QStringLiteral("select q'[:x]' from dual where :w = 1"), { "W" } },
        { "comments", QStringLiteral("select 1 -- :x\nfrom dual /* :y */ where :v = 1"), { "V" } },
        { "assignment is no bind", QStringLiteral("begin :r := :a + 1; end;"), { "R", "A" } },
        { "quoted identifier", QStringLiteral("select \":notbind\" from t where :k = 1"), { "K" } },
        { "time format inside a literal", QStringLiteral("select to_char(sysdate, 'HH24:MI:SS') from dual"), {} },
        { "names with digits, $ and #", QStringLiteral("select :p_1, :a$b, :c#d from dual"), { "P_1", "A$B", "C#D" } },
        { "numbered bind", QStringLiteral("select :1 from dual"), { "1" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(bindNames(c.sql), c.binds);
    }
}

TEST(SqlTextTest, UpdatingTable)
{
    struct Case {
        const char* name;
        QString sql;
        QString table; // empty: none
        QString qualifier;
    };
    const std::vector<Case> cases {
        { "alias", QStringLiteral("select e.rowid, e.* from emp e where deptno = 10"), "emp", "e" },
        { "no alias", QStringLiteral("select emp.*, rowid from emp"), "emp", "emp" },
        { "owner", QStringLiteral("SELECT x.rowid, x.ename FROM scott.EMP x"), "scott.EMP", "x" },
        { "no alias before where", QStringLiteral("select ename, rowid from emp where sal > 0"), "emp", "emp" },
        { "join: the first table", QStringLiteral("select e.rowid, e.ename, d.dname from emp e, dept d"), "emp", "e" },
        { "subquery in the select list", QStringLiteral("select (select 1 from dual) one, t.rowid from t"), "t", "t" },
        { "quoted name", QStringLiteral("select rowid, x.* from \"Mixed\" x"), "\"Mixed\"", "x" },
        { "inline view", QStringLiteral("select * from (select * from emp)"), "", "" },
        { "not a query", QStringLiteral("update emp set sal = 1"), "", "" },
        { "database link", QStringLiteral("select rowid, e.* from emp@remote e"), "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto ref = updatingTable(c.sql);
        if (c.table.isEmpty()) {
            EXPECT_FALSE(ref.has_value());
            continue;
        }
        ASSERT_TRUE(ref.has_value());
        EXPECT_EQ(ref->table, c.table);
        EXPECT_EQ(ref->qualifier(), c.qualifier);
    }
}

TEST(SqlTextTest, AddWhereCondition)
{
    struct Case {
        const char* name;
        QString sql;
        QString result;
    };
    const QString c = QStringLiteral("x.rowid = :r");
    const std::vector<Case> cases {
        { "no where", QStringLiteral("select * from emp x"), QStringLiteral("select * from emp x where x.rowid = :r") },
        { "existing where is parenthesised", QStringLiteral("select * from emp x where a = 1 or b = 2"),
            QStringLiteral("select * from emp x where (a = 1 or b = 2) and x.rowid = :r") },
        { "before order by", QStringLiteral("select * from emp x order by 1"),
            QStringLiteral("select * from emp x where x.rowid = :r order by 1") },
        { "where before group by", QStringLiteral("select d, count(*) from emp x where a = 1 group by d"),
            QStringLiteral("select d, count(*) from emp x where (a = 1) and x.rowid = :r group by d") },
        { "where in a subquery is not the query's",
            QStringLiteral("select * from emp x where a in (select b from t where c = 1) order by a"),
            QStringLiteral(
                "select * from emp x where (a in (select b from t where c = 1)) and x.rowid = :r order by a") },
        { "trailing semicolon dropped", QStringLiteral("select * from emp x;  "),
            QStringLiteral("select * from emp x where x.rowid = :r") },
        { "compound query filtered outside", QStringLiteral("select a from t union select a from u"),
            QStringLiteral("select * from (\nselect a from t union select a from u\n) where x.rowid = :r") },
        { "keyword in a literal is text", QStringLiteral("select 'order by' from emp x where n = 'group'"),
            QStringLiteral("select 'order by' from emp x where (n = 'group') and x.rowid = :r") },
        { "for update stays last", QStringLiteral("select * from emp x for update"),
            QStringLiteral("select * from emp x where x.rowid = :r for update") },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(addWhereCondition(k.sql, c), k.result);
    }
}

TEST(SqlTextTest, ColumnReference)
{
    EXPECT_EQ(db::sqltext::columnReference(QStringLiteral("ENAME")), QStringLiteral("ENAME"));
    EXPECT_EQ(db::sqltext::columnReference(QStringLiteral("SAL$2")), QStringLiteral("SAL$2"));
    EXPECT_EQ(db::sqltext::columnReference(QStringLiteral("mixed")), QStringLiteral("\"mixed\""));
    EXPECT_EQ(db::sqltext::columnReference(QStringLiteral("A\"B")), QStringLiteral("\"A\"\"B\""));
    EXPECT_EQ(db::sqltext::columnReference(QStringLiteral("1X")), QStringLiteral("\"1X\""));
}

} // namespace
