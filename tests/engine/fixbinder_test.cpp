// Regressions of the binder that a case file cannot show: where in the statement Oracle's error points for the
// refusals added after comparing the engine with Oracle, and the SQL that reaches SQLite for constant GROUP BY terms.
#include "bind_fixture.h"

#include <gtest/gtest.h>

namespace bindtest {
namespace {

struct OffsetCase {
    const char* name; // the Oracle behaviour checked
    const char* sql;
    int code;
    int offset;
};

TEST(FixBinder, RefusalsPointAtTheOffendingToken)
{
    const OffsetCase cases[] = {
        { "ORA-25154 at the qualified USING column", "SELECT emp.deptno FROM emp JOIN dept USING (deptno)", 25154, 7 },
        { "ORA-00923 after a lone *", "SELECT *, 1 FROM dual", 923, 10 },
        { "ORA-00936 at a * after other items", "SELECT 1, * FROM dual", 936, 10 },
        { "ORA-00907 at the ORDER BY of an IN subquery",
            "SELECT 1 FROM dual WHERE 1 IN (SELECT 1 FROM dual ORDER BY 1)", 907, 59 },
        { "ORA-01705 at the outer query's column marked (+)",
            "SELECT 1 FROM dept d WHERE EXISTS (SELECT 1 FROM emp e WHERE e.deptno = d.deptno(+))", 1705, 72 },
        { "ORA-01731 at the view whose expansion comes back to itself", "SELECT * FROM va", 1731, 14 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        // Two views over each other, as CREATE FORCE VIEW leaves them.
        engine::bind::ViewInfo a;
        a.object = { "SCOTT", "VA", engine::bind::ObjectKind::View, 210 };
        a.queryText = "SELECT * FROM vb";
        engine::bind::ViewInfo b;
        b.object = { "SCOTT", "VB", engine::bind::ObjectKind::View, 211 };
        b.queryText = "SELECT * FROM va";
        f.catalog.views.push_back(a);
        f.catalog.views.push_back(b);
        const Failure e = f.failure(c.sql);
        EXPECT_EQ(e.code, c.code) << e.message;
        EXPECT_EQ(e.offset, c.offset);
    }
}

TEST(FixBinder, ConstantGroupTermsAreNoPositions)
{
    // Oracle groups by the constant (one group); SQLite would read a bare 2 as the second select item.
    Fixture f;
    const auto total = f.raw("SELECT count(*) FROM \"SCOTT$EMP\"");
    EXPECT_EQ(f.rows("SELECT count(*) FROM emp GROUP BY 2"), total);
    EXPECT_EQ(f.rows("SELECT deptno, count(*) FROM emp GROUP BY 2, deptno ORDER BY deptno"),
        f.raw("SELECT DEPTNO, count(*) FROM \"SCOTT$EMP\" GROUP BY DEPTNO ORDER BY DEPTNO"));
}

// Two views over DEPT, one WITH READ ONLY, as the catalog describes them.
void addDeptViews(Fixture& f)
{
    engine::bind::ViewInfo v;
    v.object = { "SCOTT", "DEPT10", engine::bind::ObjectKind::View, 220 };
    v.queryText = "SELECT d.deptno no, d.dname FROM dept d WHERE d.deptno = 10";
    v.readOnly = false;
    f.catalog.views.push_back(v);
    v.object = { "SCOTT", "DEPTRO", engine::bind::ObjectKind::View, 221 };
    v.readOnly = true;
    f.catalog.views.push_back(v);
    v.object = { "SCOTT", "DEPTQ", engine::bind::ObjectKind::View, 222 };
    v.readOnly.reset();
    f.catalog.views.push_back(v);
}

TEST(FixBinder, DmlThroughASimpleViewChangesTheViewsRowsOfItsTable)
{
    // Oracle: UPDATE and DELETE through the view touch only the rows it shows; INSERT gives the columns it leaves
    // out their DEFAULT (NULL here); its column aliases name the table's columns.
    Fixture f;
    addDeptViews(f);
    const auto before = f.raw("SELECT count(*) FROM \"SCOTT$DEPT\"");
    EXPECT_EQ(f.failure("UPDATE dept10 SET dname = 'X' WHERE no > 0").code, 0);
    EXPECT_EQ(f.raw("SELECT DEPTNO FROM \"SCOTT$DEPT\" WHERE DNAME = 'X'"), std::vector<std::string> { "10" });
    EXPECT_EQ(f.failure("UPDATE dept10 SET dept10.dname = 'Y' WHERE dept10.no = 20").code, 0);
    EXPECT_TRUE(f.raw("SELECT DEPTNO FROM \"SCOTT$DEPT\" WHERE DNAME = 'Y'").empty());
    EXPECT_EQ(f.failure("INSERT INTO dept10 VALUES (50, 'NEW')").code, 0);
    EXPECT_EQ(
        f.raw("SELECT DNAME, LOC FROM \"SCOTT$DEPT\" WHERE DEPTNO = 50"), std::vector<std::string> { "NEW|NULL" });
    EXPECT_EQ(f.failure("DELETE FROM dept10").code, 0);
    EXPECT_TRUE(f.raw("SELECT DEPTNO FROM \"SCOTT$DEPT\" WHERE DEPTNO = 10").empty());
    EXPECT_EQ(f.raw("SELECT count(*) FROM \"SCOTT$DEPT\""), before); // 10 went, 50 came
    EXPECT_EQ(f.failure("UPDATE dept10 SET loc = 'Z'").code, 904);
}

TEST(FixBinder, ReadOnlyViewsRefuseDml)
{
    Fixture f;
    addDeptViews(f);
    // Oracle: ORA-42399 for DML on a view created WITH READ ONLY.
    EXPECT_EQ(f.failure("DELETE FROM deptro").code, 42399);
    // A catalog that does not say whether the view is read-only gets no rows changed through it.
    EXPECT_EQ(f.failure("DELETE FROM deptq").code, 3001);
}

} // namespace
} // namespace bindtest
