// The emitted SQLite SQL does what Oracle does: each case names the Oracle behaviour it checks and compares the
// rows SQLite returns with Oracle's.
#include "bind_fixture.h"

#include <gtest/gtest.h>

namespace bindtest {
namespace {

using Rows = std::vector<std::string>;

struct QueryCase {
    const char* name; // the Oracle behaviour checked
    const char* sql;
    Rows expected;
};

void runCases(const std::vector<QueryCase>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.sql);
        Fixture f;
        try {
            EXPECT_EQ(f.rows(c.sql), c.expected);
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

TEST(Emitter, NullsAndConcatenation)
{
    runCases({
        { "'' is NULL", "SELECT COUNT(*) FROM emp WHERE '' IS NULL", { "8" } },
        { "'' compares as NULL, never equal", "SELECT COUNT(*) FROM emp WHERE ename = ''", { "0" } },
        { "|| skips a NULL operand", "SELECT ename || comm FROM emp WHERE empno = 7839", { "KING" } },
        { "|| of NULLs only is NULL", "SELECT NULL || '' FROM dual", { "NULL" } },
        { "|| turns a number into Oracle's text", "SELECT 'x' || 0.5 || '-' || 10 FROM dual", { "x.5-10" } },
        { "DECODE matches NULL with NULL",
            "SELECT DECODE(comm, NULL, 'none', 'some') FROM emp WHERE empno IN (7839, 7499) ORDER BY empno",
            { "some", "none" } },
        { "DECODE without a match and no default is NULL", "SELECT DECODE(1, 2, 'a') FROM dual", { "NULL" } },
        { "DECODE converts results to the first result's type", "SELECT DECODE(1, 1, 5, '7') + 1 FROM dual", { "6" } },
        { "DECODE with a NULL first result gives text",
            "SELECT DECODE(deptno, 10, NULL, 5) || 'x' FROM emp WHERE empno = 7566", { "5x" } },
        { "NVL replaces NULL", "SELECT NVL(comm, 0) FROM emp WHERE empno = 7839", { "0" } },
        { "NVL converts the second argument to the first's type",
            "SELECT NVL(comm, '1') + 1 FROM emp WHERE empno = 7839", { "2" } },
        { "NVL2 picks by NULL-ness", "SELECT NVL2(comm, 'y', 'n') FROM emp WHERE deptno = 30 ORDER BY empno",
            { "y", "y", "n" } },
        { "COALESCE takes the first non-NULL", "SELECT COALESCE(comm, mgr, 0) FROM emp WHERE empno = 7839", { "0" } },
        { "CASE without ELSE is NULL", "SELECT CASE WHEN 1 = 2 THEN 'a' END FROM dual", { "NULL" } },
        { "simple CASE compares with =",
            "SELECT CASE deptno WHEN 10 THEN 'acc' ELSE 'other' END FROM emp WHERE empno = 7839", { "acc" } },
    });
}

TEST(Emitter, ImplicitConversionsAndComparisons)
{
    runCases({
        { "number = text converts the text to a number", "SELECT ename FROM emp WHERE empno = '7839'", { "KING" } },
        { "numbers compare as numbers, not as text", "SELECT COUNT(*) FROM emp WHERE sal > '1000'", { "7" } },
        { "text literal on the left of a number", "SELECT COUNT(*) FROM dept WHERE '10' = deptno", { "1" } },
        { "date = text reads the text under NLS_DATE_FORMAT (DD-MON-RR)",
            "SELECT ename FROM emp WHERE hiredate = '17-NOV-81'", { "KING" } },
        { "IN list converts text items to numbers", "SELECT COUNT(*) FROM emp WHERE empno IN ('7839', 7566)", { "2" } },
        { "BETWEEN is inclusive", "SELECT COUNT(*) FROM emp WHERE sal BETWEEN 1250 AND 1600", { "2" } },
        { "CHAR column against a literal compares blank-padded", "SELECT name FROM codes WHERE code = 'AB'",
            { "padded" } },
        { "CHAR compare keeps other values apart", "SELECT COUNT(*) FROM codes WHERE code = 'ABCD'", { "0" } },
        { "arithmetic on text converts it to a number", "SELECT '3' * 2 FROM dual", { "6" } },
        { "division is exact, not integer division", "SELECT 7 / 2 FROM dual", { "3.5" } },
        { "date + number adds days", "SELECT hiredate + 1 FROM emp WHERE empno = 7839", { "1981-11-18 00:00:00" } },
        { "date - number subtracts days", "SELECT hiredate - 17 FROM emp WHERE empno = 7839",
            { "1981-10-31 00:00:00" } },
        { "date - date is a number of days", "SELECT DATE '1981-12-01' - hiredate FROM emp WHERE empno = 7839",
            { "14" } },
        { "TO_CHAR of a date with a format model", "SELECT TO_CHAR(hiredate, 'YYYY/MM/DD') FROM emp WHERE empno = 7839",
            { "1981/11/17" } },
        { "TO_CHAR of a number", "SELECT TO_CHAR(sal) FROM emp WHERE empno = 7839", { "5000" } },
        { "TRUNC of a number and of a date are different functions",
            "SELECT TRUNC(2.7), TRUNC(hiredate, 'MM') FROM emp WHERE empno = 7839", { "2|1981-11-01 00:00:00" } },
        { "UPPER, SUBSTR and LENGTH",
            "SELECT UPPER(SUBSTR(LOWER(ename), 2, 2)), LENGTH(ename) FROM emp WHERE empno = 7839", { "IN|4" } },
        { "GREATEST of numbers", "SELECT GREATEST(sal, 3000) FROM emp WHERE empno IN (7839, 7369) ORDER BY empno",
            { "3000", "5000" } },
        { "LIKE is case-sensitive", "SELECT COUNT(*) FROM emp WHERE ename LIKE 'k%'", { "0" } },
        { "LIKE matches with % and _", "SELECT ename FROM emp WHERE ename LIKE '_ING%'", { "KING" } },
        { "LIKE with ESCAPE", "SELECT COUNT(*) FROM dual WHERE 'a_b' LIKE 'a\\_b' ESCAPE '\\'", { "1" } },
        { "NOT LIKE", "SELECT COUNT(*) FROM emp WHERE ename NOT LIKE 'S%'", { "6" } },
    });
}

TEST(Emitter, OrderingRownumAndSets)
{
    runCases({
        { "ORDER BY ascending puts NULLs last", "SELECT ename FROM emp WHERE deptno = 30 ORDER BY comm",
            { "ALLEN", "WARD", "BLAKE" } },
        { "ORDER BY descending puts NULLs first", "SELECT ename FROM emp WHERE deptno = 30 ORDER BY comm DESC",
            { "BLAKE", "WARD", "ALLEN" } },
        { "NULLS FIRST as written", "SELECT ename FROM emp WHERE deptno = 30 ORDER BY comm NULLS FIRST",
            { "BLAKE", "ALLEN", "WARD" } },
        { "ORDER BY an alias", "SELECT ename n FROM emp WHERE deptno = 10 OR deptno = 30 ORDER BY n",
            { "ALLEN", "BLAKE", "KING", "WARD" } },
        { "ORDER BY a position, descending", "SELECT ename, sal FROM emp WHERE deptno = 20 ORDER BY 2 DESC, 1",
            { "FORD|3000", "SCOTT|3000", "JONES|2975", "SMITH|800" } },
        { "WHERE ROWNUM <= n keeps n rows", "SELECT COUNT(*) FROM (SELECT ename FROM emp WHERE ROWNUM <= 3)", { "3" } },
        { "ROWNUM < n keeps n-1 rows", "SELECT COUNT(*) FROM (SELECT ename FROM emp WHERE ROWNUM < 3)", { "2" } },
        { "ROWNUM is given before ORDER BY of its block", "SELECT ename FROM emp WHERE ROWNUM <= 2 ORDER BY ename",
            { "JONES", "KING" } },
        { "top-n through an ordered inline view",
            "SELECT ename FROM (SELECT ename FROM emp ORDER BY sal DESC, ename) WHERE ROWNUM <= 2",
            { "KING", "FORD" } },
        { "ROWNUM > 1 returns nothing", "SELECT COUNT(*) FROM emp WHERE ROWNUM > 1", { "0" } },
        { "ROWNUM = 1 returns one row", "SELECT COUNT(*) FROM emp WHERE ROWNUM = 1", { "1" } },
        { "ROWNUM = 2 returns nothing", "SELECT COUNT(*) FROM emp WHERE ROWNUM = 2", { "0" } },
        { "aggregation counts the rows ROWNUM let through", "SELECT COUNT(*) FROM emp WHERE ROWNUM <= 5", { "5" } },
        { "pagination: ROWNUM kept by an inner query, filtered outside",
            "SELECT ename FROM (SELECT a.*, ROWNUM rnum FROM (SELECT ename FROM emp ORDER BY ename) a "
            "WHERE ROWNUM <= 4) WHERE rnum > 2",
            { "FORD", "JONES" } },
        { "ROWNUM in the select list numbers the rows", "SELECT ROWNUM, ename FROM emp WHERE deptno = 30",
            { "1|BLAKE", "2|ALLEN", "3|WARD" } },
        { "DISTINCT", "SELECT DISTINCT job FROM emp WHERE deptno = 20 ORDER BY job",
            { "ANALYST", "CLERK", "MANAGER" } },
        { "MINUS is a set difference", "SELECT deptno FROM dept MINUS SELECT deptno FROM emp", { "40" } },
        { "INTERSECT", "SELECT deptno FROM dept INTERSECT SELECT deptno FROM emp WHERE job = 'CLERK'", { "20" } },
        { "UNION removes duplicates and orders by position",
            "SELECT deptno FROM emp UNION SELECT deptno FROM dept ORDER BY 1 DESC", { "40", "30", "20", "10" } },
        { "UNION ALL keeps duplicates",
            "SELECT COUNT(*) FROM (SELECT deptno FROM emp UNION ALL SELECT deptno FROM dept)", { "12" } },
        { "ORDER BY a name of the first query of a UNION",
            "SELECT dname x FROM dept WHERE deptno = 10 UNION SELECT ename FROM emp WHERE deptno = 10 ORDER BY x",
            { "ACCOUNTING", "KING" } },
        { "parenthesised set operation on the right",
            "SELECT deptno FROM dept MINUS (SELECT deptno FROM emp UNION SELECT 40 FROM dual)", Rows {} },
    });
}

TEST(Emitter, JoinsAndSubqueries)
{
    runCases({
        { "(+) keeps the rows without a match",
            "SELECT d.dname, COUNT(e.empno) FROM dept d, emp e WHERE e.deptno(+) = d.deptno GROUP BY d.dname ORDER BY "
            "1",
            { "ACCOUNTING|1", "OPERATIONS|0", "RESEARCH|4", "SALES|3" } },
        { "(+) on a constant filters the outer-joined table only",
            "SELECT d.deptno, e.ename FROM dept d, emp e WHERE e.deptno(+) = d.deptno AND e.job(+) = 'PRESIDENT' "
            "ORDER BY d.deptno",
            { "10|KING", "20|NULL", "30|NULL", "40|NULL" } },
        { "(+) written with the outer table first in FROM",
            "SELECT COUNT(*) FROM emp e, dept d WHERE e.deptno(+) = d.deptno AND d.deptno = 40", { "1" } },
        { "ANSI LEFT JOIN",
            "SELECT d.deptno, COUNT(e.empno) FROM dept d LEFT JOIN emp e ON e.deptno = d.deptno "
            "GROUP BY d.deptno ORDER BY 1",
            { "10|1", "20|4", "30|3", "40|0" } },
        { "JOIN ... USING and its column unqualified",
            "SELECT deptno, dname FROM emp JOIN dept USING (deptno) WHERE empno = 7839", { "10|ACCOUNTING" } },
        { "SELECT * with USING shows the USING column once, first",
            "SELECT * FROM dept JOIN emp USING (deptno) WHERE empno = 7839",
            { "10|ACCOUNTING|NEW YORK|7839|KING|PRESIDENT|NULL|1981-11-17 00:00:00|5000|NULL" } },
        { "comma join with a WHERE join",
            "SELECT e.ename, d.loc FROM emp e, dept d WHERE e.deptno = d.deptno AND e.job = 'PRESIDENT'",
            { "KING|NEW YORK" } },
        { "t.* and an alias", "SELECT d.*, 1 one FROM dept d WHERE deptno = 40", { "40|OPERATIONS|BOSTON|1" } },
        { "scalar subquery, correlated",
            "SELECT ename, (SELECT dname FROM dept d WHERE d.deptno = e.deptno) FROM emp e WHERE empno = 7839",
            { "KING|ACCOUNTING" } },
        { "scalar subquery without rows is NULL", "SELECT (SELECT ename FROM emp WHERE empno = 1) FROM dual",
            { "NULL" } },
        { "IN subquery", "SELECT dname FROM dept WHERE deptno IN (SELECT deptno FROM emp WHERE job = 'SALESMAN')",
            { "SALES" } },
        { "NOT IN subquery", "SELECT dname FROM dept WHERE deptno NOT IN (SELECT deptno FROM emp)", { "OPERATIONS" } },
        { "correlated EXISTS",
            "SELECT dname FROM dept d WHERE NOT EXISTS (SELECT 1 FROM emp e WHERE e.deptno = d.deptno)",
            { "OPERATIONS" } },
        { "> ALL", "SELECT ename FROM emp WHERE sal > ALL (SELECT sal FROM emp WHERE deptno = 20)", { "KING" } },
        { "= ANY", "SELECT COUNT(*) FROM emp WHERE sal = ANY (3000, 800)", { "3" } },
        { "multi-column IN subquery",
            "SELECT ename FROM emp WHERE (deptno, job) IN (SELECT deptno, 'CLERK' FROM dept WHERE deptno = 20)",
            { "SMITH" } },
        { "inline view with aliases",
            "SELECT v.d, v.n FROM (SELECT deptno d, COUNT(*) n FROM emp GROUP BY deptno) v WHERE v.n > 3", { "20|4" } },
        { "view resolved in its owner's schema", "SELECT ename, annual FROM emp20 WHERE ename = 'SMITH'",
            { "SMITH|9600" } },
        { "public synonym", "SELECT COUNT(*) FROM employees", { "8" } },
        { "GROUP BY and HAVING", "SELECT deptno, SUM(sal) FROM emp GROUP BY deptno HAVING COUNT(*) > 3 ORDER BY deptno",
            { "20|9775" } },
        { "GROUP BY an expression used in the select list",
            "SELECT TO_CHAR(hiredate, 'YYYY') y, COUNT(*) FROM emp GROUP BY TO_CHAR(hiredate, 'YYYY') ORDER BY y",
            { "1980|1", "1981|6", "1987|1" } },
        { "nested group functions read the groups", "SELECT MAX(COUNT(*)), MIN(SUM(sal)) FROM emp GROUP BY deptno",
            { "4|5000" } },
        { "COUNT(DISTINCT)", "SELECT COUNT(DISTINCT job) FROM emp", { "5" } },
        { "aggregate of no rows", "SELECT COUNT(*), MAX(sal) FROM emp WHERE 1 = 2", { "0|NULL" } },
        { "ROWID of a row is stable text", "SELECT ROWID FROM emp WHERE empno = 7839", { "AAAR00101AAB000001" } },
        { "ROWID in WHERE finds its row", "SELECT ename FROM emp WHERE ROWID = 'AAAR00101AAB000002'", { "JONES" } },
        { "a ROWID of another table finds nothing", "SELECT COUNT(*) FROM emp WHERE 'AAAR00100AAB000002' = ROWID",
            { "0" } },
        { "AVG of integers that divides evenly is an integer",
            "SELECT AVG(sal) FROM emp WHERE deptno = 30 AND comm IS NOT NULL", { "1425" } },
        { "AVG ignores NULLs", "SELECT AVG(comm) FROM emp", { "400" } },
    });
}

TEST(Emitter, ConnectBy)
{
    runCases({
        { "CONNECT BY walks depth-first with LEVEL",
            "SELECT LEVEL, ename FROM emp START WITH mgr IS NULL CONNECT BY PRIOR empno = mgr",
            { "1|KING", "2|JONES", "3|SCOTT", "3|FORD", "4|SMITH", "2|BLAKE", "3|ALLEN", "3|WARD" } },
        { "WHERE filters after the hierarchy is built",
            "SELECT ename FROM emp WHERE job <> 'ANALYST' START WITH ename = 'JONES' CONNECT BY PRIOR empno = mgr",
            { "JONES", "SMITH" } },
        { "PRIOR on the other side walks upwards",
            "SELECT ename FROM emp START WITH ename = 'SMITH' CONNECT BY empno = PRIOR mgr",
            { "SMITH", "FORD", "JONES", "KING" } },
        { "ORDER BY overrides the hierarchy's order",
            "SELECT ename FROM emp START WITH ename = 'BLAKE' CONNECT BY PRIOR empno = mgr ORDER BY ename",
            { "ALLEN", "BLAKE", "WARD" } },
        { "NOCYCLE stops at a loop", "SELECT id FROM nodes START WITH id = 4 CONNECT BY NOCYCLE PRIOR id = parent",
            { "4", "5" } },
        { "PRIOR in the select list reads the parent row",
            "SELECT ename, PRIOR ename FROM emp START WITH ename = 'JONES' CONNECT BY PRIOR empno = mgr",
            { "JONES|NULL", "SCOTT|JONES", "FORD|JONES", "SMITH|FORD" } },
        { "SYS_CONNECT_BY_PATH builds the path from the root",
            "SELECT SYS_CONNECT_BY_PATH(ename, '/') FROM emp WHERE LEVEL = 3 START WITH mgr IS NULL "
            "CONNECT BY PRIOR empno = mgr AND job <> 'SALESMAN'",
            { "/KING/JONES/SCOTT", "/KING/JONES/FORD" } },
        { "CONNECT BY LEVEL <= n makes n rows", "SELECT LEVEL FROM dual CONNECT BY LEVEL <= 3", { "1", "2", "3" } },
        { "LEVEL in a condition",
            "SELECT COUNT(*) FROM emp WHERE LEVEL = 3 START WITH mgr IS NULL CONNECT BY PRIOR empno = mgr", { "4" } },
    });
    Fixture f;
    const Failure e = f.failure("SELECT id FROM nodes START WITH id = 4 CONNECT BY PRIOR id = parent");
    EXPECT_EQ(e.code, 1436) << "a loop without NOCYCLE fails at run time: " << e.message;
    EXPECT_EQ(e.message, "ORA-01436: CONNECT BY loop in user data");
}

TEST(Emitter, StoreChecksAndDefaults)
{
    struct StoreCase {
        const char* name;
        const char* sql;
        int code; // 0: succeeds
        const char* message;
        const char* stored; // the NUMS row after a successful statement, columns ID..TAG
    };
    const StoreCase cases[] = {
        { "NUMBER(5,2) rounds to its scale", "INSERT INTO nums (id, amount) VALUES (1, 123.456)", 0, nullptr,
            "1|123.46|NULL|NULL|NULL|NEW" },
        { "ORA-01438 past the precision", "INSERT INTO nums (id, amount) VALUES (1, 1234.5)", 1438,
            "ORA-01438: value larger than specified precision allowed for this column", nullptr },
        { "rounding that reaches the precision fails too", "INSERT INTO nums (id, amount) VALUES (1, 999.999)", 1438,
            nullptr, nullptr },
        { "ORA-12899 names the column, the length and the maximum", "INSERT INTO nums (id, name) VALUES (1, 'abcdef')",
            12899, "ORA-12899: value too large for column \"SCOTT\".\"NUMS\".\"NAME\" (actual: 6, maximum: 5)",
            nullptr },
        { "length counts characters, not bytes", "INSERT INTO nums (id, name) VALUES (1, 'čšžćđ')", 0, nullptr,
            "1|NULL|čšžćđ|NULL|NULL|NEW" },
        { "CHAR is stored blank-padded", "INSERT INTO nums (id, code) VALUES (1, 'a')", 0, nullptr,
            "1|NULL|NULL|a  |NULL|NEW" },
        { "ORA-01400 for NULL into a NOT NULL column", "INSERT INTO nums (id) VALUES (NULL)", 1400,
            "ORA-01400: cannot insert NULL into (\"SCOTT\".\"NUMS\".\"ID\")", nullptr },
        { "ORA-01400 for a NOT NULL column left out", "INSERT INTO nums (amount) VALUES (1)", 1400, nullptr, nullptr },
        { "'' into a NOT NULL column is NULL", "INSERT INTO nums (id, tag) VALUES (1, '')", 1400,
            "ORA-01400: cannot insert NULL into (\"SCOTT\".\"NUMS\".\"TAG\")", nullptr },
        { "DEFAULT written as a value", "INSERT INTO nums (id, tag) VALUES (2, DEFAULT)", 0, nullptr,
            "2|NULL|NULL|NULL|NULL|NEW" },
        { "text into a NUMBER column is converted", "INSERT INTO nums (id, amount) VALUES ('3', '1.5')", 0, nullptr,
            "3|1.5|NULL|NULL|NULL|NEW" },
        { "ORA-01722 for text that is no number", "INSERT INTO nums (id) VALUES ('x')", 1722, nullptr, nullptr },
        { "text into a DATE column reads NLS_DATE_FORMAT", "INSERT INTO nums (id, d) VALUES (4, '05-JAN-21')", 0,
            nullptr, "4|NULL|NULL|NULL|2021-01-05 00:00:00|NEW" },
        { "a number into a VARCHAR2 column is its text", "INSERT INTO nums (id, name) VALUES (5, 0.25)", 0, nullptr,
            "5|NULL|.25|NULL|NULL|NEW" },
        { "INSERT ... SELECT checks each row",
            "INSERT INTO nums (id, name) SELECT empno / 100, ename FROM emp WHERE empno = 7839", 0, nullptr,
            "78|NULL|KING|NULL|NULL|NEW" },
        { "NEXTVAL in VALUES", "INSERT INTO nums (id) VALUES (emp_seq.NEXTVAL)", 0, nullptr,
            "1|NULL|NULL|NULL|NULL|NEW" },
        { "NEXTVAL named twice in a row gives one value",
            "INSERT INTO nums (id, amount) VALUES (emp_seq.NEXTVAL, emp_seq.NEXTVAL)", 0, nullptr,
            "1|1|NULL|NULL|NULL|NEW" },
        { "NEXTVAL in the select list of INSERT ... SELECT",
            "INSERT INTO nums (id, name) SELECT emp_seq.NEXTVAL, SUBSTR(dname, 1, 5) FROM dept WHERE deptno = 10", 0,
            nullptr, "1|NULL|ACCOU|NULL|NULL|NEW" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        const Failure e = f.failure(c.sql);
        EXPECT_EQ(e.code, c.code) << e.message;
        if (c.message) {
            EXPECT_EQ(e.message, c.message);
        }
        if (c.stored) {
            EXPECT_EQ(f.raw("SELECT ID, AMOUNT, NAME, CODE, D, TAG FROM \"SCOTT$NUMS\""), Rows { c.stored });
        }
    }
}

TEST(Emitter, RownumLimitFromABind)
{
    // WHERE ROWNUM <= :n: Oracle's usual way of fetching the first rows.
    Fixture f;
    auto b = f.bind("SELECT ename FROM emp WHERE deptno = 20 AND ROWNUM <= :n");
    ASSERT_EQ(b->params.size(), 1u);
    EXPECT_EQ(b->params[0].expected.type, engine::OraType::Number);
    EXPECT_EQ(f.run(*b, { { "N", TestValue::of(2) } }), (Rows { "JONES", "SCOTT" }));
    EXPECT_EQ(f.run(*b, { { "N", TestValue::of(0LL) } }), Rows {});
    auto lt = f.bind("SELECT COUNT(*) FROM (SELECT 1 FROM emp WHERE ROWNUM < :n)");
    EXPECT_EQ(f.run(*lt, { { "N", TestValue::of(3) } }), Rows { "2" });
}

TEST(Emitter, DmlWithRownum)
{
    // DELETE ... WHERE ROWNUM <= n deletes n of the rows meeting the other conditions: Oracle's batch idiom.
    Fixture f;
    f.rows("DELETE FROM emp WHERE deptno = 20 AND ROWNUM <= 2");
    EXPECT_EQ(f.raw("SELECT COUNT(*) FROM \"SCOTT$EMP\" WHERE DEPTNO = 20"), Rows { "2" });
    EXPECT_EQ(f.raw("SELECT COUNT(*) FROM \"SCOTT$EMP\""), Rows { "6" });
    f.rows("UPDATE emp SET comm = 1 WHERE ROWNUM > 1");
    EXPECT_EQ(f.raw("SELECT COUNT(*) FROM \"SCOTT$EMP\" WHERE COMM = 1"), Rows { "0" }) << "ROWNUM > 1 never holds";
    auto b = f.bind("UPDATE emp SET comm = 2 WHERE ROWNUM <= :n");
    f.run(*b, { { "N", TestValue::of(3) } });
    EXPECT_EQ(f.raw("SELECT COUNT(*) FROM \"SCOTT$EMP\" WHERE COMM = 2"), Rows { "3" });
    f.run(*b, {});
    EXPECT_EQ(f.raw("SELECT COUNT(*) FROM \"SCOTT$EMP\" WHERE COMM = 2"), Rows { "3" }) << "ROWNUM <= NULL";
    f.run(*b, { { "N", TestValue::of(-1) } });
    EXPECT_EQ(f.raw("SELECT COUNT(*) FROM \"SCOTT$EMP\" WHERE COMM = 2"), Rows { "3" }) << "ROWNUM <= -1";
    EXPECT_EQ(f.rows("SELECT COUNT(*) FROM emp WHERE ROWNUM <= -1"), Rows { "0" });
    EXPECT_EQ(f.rows("SELECT COUNT(*) FROM emp WHERE ROWNUM > 0"), Rows { "6" });
    EXPECT_EQ(f.rows("SELECT COUNT(*) FROM emp WHERE ROWNUM <= 5 AND ROWNUM > 0"), Rows { "5" });
}

TEST(Emitter, UpdateDeleteAndReturning)
{
    Fixture f;
    EXPECT_EQ(f.failure("UPDATE emp SET empno = NULL WHERE empno = 7839").message,
        "ORA-01407: cannot update (\"SCOTT\".\"EMP\".\"EMPNO\") to NULL");
    f.rows("UPDATE emp e SET e.sal = e.sal * 2, comm = DEFAULT WHERE e.deptno = 10");
    EXPECT_EQ(f.raw("SELECT SAL, COMM FROM \"SCOTT$EMP\" WHERE EMPNO = 7839"), Rows { "10000|NULL" });
    EXPECT_EQ(f.failure("UPDATE emp SET sal = 100000 WHERE empno = 7839").code, 1438) << "NUMBER(7,2)";
    f.rows("UPDATE emp SET (sal, comm) = (SELECT 1, 2 FROM dual) WHERE empno = 7839");
    EXPECT_EQ(f.raw("SELECT SAL, COMM FROM \"SCOTT$EMP\" WHERE EMPNO = 7839"), Rows { "1|2" });
    EXPECT_EQ(f.failure("UPDATE emp SET sal = (SELECT sal FROM emp) WHERE empno = 7839").code, 1427);

    auto ret = f.bind("DELETE FROM emp WHERE deptno = :d RETURNING empno, ename INTO :no, :name");
    ASSERT_EQ(ret->returning.size(), 2u);
    EXPECT_EQ(ret->returning[1].bindName, "NAME");
    EXPECT_EQ(ret->returning[1].column.type, engine::OraType::Varchar2);
    EXPECT_EQ(ret->params.size(), 1u) << "INTO targets are not SQLite parameters";
    EXPECT_EQ(f.run(*ret, { { "D", TestValue::of(10) } }), Rows { "7839|KING" });
    EXPECT_EQ(f.raw("SELECT COUNT(*) FROM \"SCOTT$EMP\""), Rows { "7" });

    auto ins = f.bind("INSERT INTO dept (deptno, dname) VALUES (:n, 'X') RETURNING ROWID INTO :rid");
    EXPECT_EQ(f.run(*ins, { { "N", TestValue::of(50) } }), Rows { "AAAR00100AAB000005" });
}

} // namespace
} // namespace bindtest
