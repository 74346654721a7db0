// EXPLAIN PLAN: Oracle-shaped plan rows from the engine's real plans, written into the plan table as DML of the
// session, the statement itself never run, and Oracle's errors for what cannot be explained.
#include "engine/sql/ast_dump.h"
#include "engine/sql/parser.h"
#include "engine_fixture.h"

#include <map>

namespace {

using namespace enginetest;

// Oracle's classic plan table (utlxplan.sql), the shape of the tool's VEXO_PLAN_TABLE.
std::string planTableDdl(const std::string& name)
{
    return "create table " + name
        + " (statement_id varchar2(30), timestamp date, remarks varchar2(80), operation varchar2(30),"
          " options varchar2(255), object_node varchar2(128), object_owner varchar2(30), object_name varchar2(30),"
          " object_instance number(38), object_type varchar2(30), optimizer varchar2(255), search_columns number,"
          " id number(38), parent_id number(38), position number(38), cost number(38), cardinality number(38),"
          " bytes number(38), other_tag varchar2(255), partition_start varchar2(255), partition_stop varchar2(255),"
          " partition_id number(38), other long, distribution varchar2(30))";
}

class ExplainPlanTest : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;

    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        for (const std::string& q : {
                 planTableDdl("plan_table"),
                 std::string("create table emp (id number constraint emp_pk primary key, name varchar2(30),"
                             " dept number, sal number)"),
                 std::string("create index emp_dept on emp (dept)"),
                 std::string("create table dept (id number constraint dept_pk primary key, dname varchar2(30))"),
                 std::string("insert into dept values (10, 'SALES')"),
                 std::string("insert into emp values (1, 'ADAMS', 10, 100)"),
                 std::string("insert into emp values (2, 'BLAKE', 10, 200)"),
                 std::string("insert into emp values (3, 'CLARK', null, 300)"),
                 std::string("commit"),
             })
            s->execute(q);
    }

    // The plan of one statement id as indented lines "OPERATION OPTIONS OBJECT_NAME", after checking that its
    // rows form Oracle's tree: ID 0 without parent carrying the cost in POSITION, every other row under an
    // earlier one, siblings numbered 1, 2, ... in ID order, DEPTH one below the parent, costs positive.
    std::vector<std::string> plan(const std::string& table = "plan_table")
    {
        auto r = s->execute("select id, parent_id, position, depth_, cost, operation, options, object_name from ("
                            "select p.*, 0 depth_ from "
            + table + " p) order by id");
        std::vector<std::string> lines;
        std::map<int64_t, int> depth;
        std::map<int64_t, int64_t> lastPosition;
        while (r.cursor->next()) {
            auto v = [&](int i) { return r.cursor->value(i); };
            const int64_t id = v(0).integer;
            EXPECT_EQ(id, static_cast<int64_t>(lines.size())) << "IDs are 0, 1, 2, ...";
            int d = 0;
            if (id == 0) {
                EXPECT_TRUE(v(1).isNull());
                EXPECT_EQ(v(2), v(4)) << "POSITION of ID 0 is the plan's cost";
            } else {
                EXPECT_FALSE(v(1).isNull());
                const int64_t parent = v(1).integer;
                EXPECT_TRUE(depth.count(parent)) << "parent " << parent << " of " << id;
                d = depth[parent] + 1;
                EXPECT_EQ(v(2).integer, ++lastPosition[parent]) << "position of " << id;
            }
            depth[id] = d;
            if (!v(4).isNull()) {
                EXPECT_GT(v(4).integer, 0);
            }
            std::string line(static_cast<size_t>(d), ' ');
            line += v(5).toString();
            if (!v(6).isNull())
                line += " " + v(6).toString();
            if (!v(7).isNull())
                line += " " + v(7).toString();
            lines.push_back(line);
        }
        return lines;
    }

    int64_t count(const std::string& sql) { return std::stoll(one(*s, sql)); }
};

// Each statement's plan as Oracle shapes it from what the engine will really do: a full scan of an unindexed
// search, a key's index for a key (named after the key), an index range scan, an index alone when it holds every
// column needed, nested loops for a join, the sorts Oracle shows for ORDER BY, GROUP BY and DISTINCT, COUNT
// STOPKEY for ROWNUM, FILTER for a subquery, the set operations and the DML operation over its row source.
TEST_F(ExplainPlanTest, PlansOfStatements)
{
    struct Case {
        const char* name;
        const char* sql;
        std::vector<std::string> plan;
    };
    const std::vector<Case> cases = {
        { "full scan", "select * from emp where sal > 150", { "SELECT STATEMENT", " TABLE ACCESS FULL EMP" } },
        { "unique key lookup", "select * from emp where id = 1",
            { "SELECT STATEMENT", " TABLE ACCESS BY INDEX ROWID EMP", "  INDEX UNIQUE SCAN EMP_PK" } },
        { "bind variable without a value", "select name from emp where id = :id",
            { "SELECT STATEMENT", " TABLE ACCESS BY INDEX ROWID EMP", "  INDEX UNIQUE SCAN EMP_PK" } },
        { "range scan", "select * from emp where dept = 10",
            { "SELECT STATEMENT", " TABLE ACCESS BY INDEX ROWID EMP", "  INDEX RANGE SCAN EMP_DEPT" } },
        { "index alone", "select dept from emp where dept > 5", { "SELECT STATEMENT", " INDEX RANGE SCAN EMP_DEPT" } },
        { "join", "select e.name, d.dname from emp e, dept d where e.dept = d.id",
            { "SELECT STATEMENT", " NESTED LOOPS", "  TABLE ACCESS FULL EMP", "  TABLE ACCESS BY INDEX ROWID DEPT",
                "   INDEX UNIQUE SCAN DEPT_PK" } },
        { "outer join", "select e.name, d.dname from emp e left join dept d on d.id = e.dept",
            { "SELECT STATEMENT", " NESTED LOOPS OUTER", "  TABLE ACCESS FULL EMP",
                "  TABLE ACCESS BY INDEX ROWID DEPT", "   INDEX UNIQUE SCAN DEPT_PK" } },
        { "outer join (+)", "select e.name, d.dname from emp e, dept d where d.id(+) = e.dept",
            { "SELECT STATEMENT", " NESTED LOOPS OUTER", "  TABLE ACCESS FULL EMP",
                "  TABLE ACCESS BY INDEX ROWID DEPT", "   INDEX UNIQUE SCAN DEPT_PK" } },
        { "order by", "select * from emp order by name",
            { "SELECT STATEMENT", " SORT ORDER BY", "  TABLE ACCESS FULL EMP" } },
        { "group by", "select name, count(*) from emp group by name",
            { "SELECT STATEMENT", " SORT GROUP BY", "  TABLE ACCESS FULL EMP" } },
        { "group by having", "select name from emp group by name having count(*) > 1",
            { "SELECT STATEMENT", " FILTER", "  SORT GROUP BY", "   TABLE ACCESS FULL EMP" } },
        { "aggregate", "select max(sal) from emp",
            { "SELECT STATEMENT", " SORT AGGREGATE", "  TABLE ACCESS FULL EMP" } },
        { "distinct", "select distinct name from emp",
            { "SELECT STATEMENT", " SORT UNIQUE", "  TABLE ACCESS FULL EMP" } },
        { "rownum", "select * from emp where rownum <= 2",
            { "SELECT STATEMENT", " COUNT STOPKEY", "  TABLE ACCESS FULL EMP" } },
        { "first rows of a sorted query", "select * from (select name from emp order by name) where rownum < 2",
            { "SELECT STATEMENT", " COUNT STOPKEY", "  VIEW", "   SORT ORDER BY", "    TABLE ACCESS FULL EMP" } },
        { "sorted first rows sorted again",
            "select * from (select * from emp order by sal desc) where rownum <= 2 order by name",
            { "SELECT STATEMENT", " SORT ORDER BY", "  COUNT STOPKEY", "   VIEW", "    SORT ORDER BY",
                "     TABLE ACCESS FULL EMP" } },
        { "correlated subquery", "select * from emp e where exists (select 1 from dept d where d.id = e.dept)",
            { "SELECT STATEMENT", " FILTER", "  TABLE ACCESS FULL EMP", "  INDEX UNIQUE SCAN DEPT_PK" } },
        { "union all", "select id from emp union all select id from dept",
            { "SELECT STATEMENT", " UNION-ALL", "  INDEX FAST FULL SCAN EMP_PK", "  INDEX FAST FULL SCAN DEPT_PK" } },
        { "minus", "select id from emp minus select id from dept",
            { "SELECT STATEMENT", " MINUS", "  SORT UNIQUE", "   INDEX FAST FULL SCAN EMP_PK", "  SORT UNIQUE",
                "   INDEX FAST FULL SCAN DEPT_PK" } },
        { "hierarchy", "select level, name from emp connect by prior id = dept start with dept is null",
            { "SELECT STATEMENT", " CONNECT BY WITH FILTERING", "  TABLE ACCESS FULL EMP", "  NESTED LOOPS",
                "   CONNECT BY PUMP", "   TABLE ACCESS FULL EMP" } },
        { "rowid", "select name from emp where rowid = :r", { "SELECT STATEMENT", " TABLE ACCESS BY USER ROWID EMP" } },
        { "for update", "select * from emp where sal > 0 for update",
            { "SELECT STATEMENT", " FOR UPDATE", "  TABLE ACCESS FULL EMP" } },
        { "dual", "select sysdate from dual", { "SELECT STATEMENT", " FAST DUAL" } },
        { "update by key", "update emp set sal = sal + 1 where id = 2",
            { "UPDATE STATEMENT", " UPDATE EMP", "  TABLE ACCESS BY INDEX ROWID EMP", "   INDEX UNIQUE SCAN EMP_PK" } },
        { "delete by index", "delete from emp where dept = :d",
            { "DELETE STATEMENT", " DELETE EMP", "  TABLE ACCESS BY INDEX ROWID EMP",
                "   INDEX RANGE SCAN EMP_DEPT" } },
        { "insert values", "insert into emp (id, name) values (9, 'KING')",
            { "INSERT STATEMENT", " LOAD TABLE CONVENTIONAL EMP" } },
        { "insert select", "insert into dept select id, name from emp where sal > 100",
            { "INSERT STATEMENT", " LOAD TABLE CONVENTIONAL DEPT", "  TABLE ACCESS FULL EMP" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        s->execute("delete from plan_table");
        s->execute(std::string("explain plan for ") + c.sql);
        EXPECT_EQ(plan(), c.plan);
    }
}

TEST_F(ExplainPlanTest, RowsNameOwnersTypesAndEstimates)
{
    s->execute("explain plan for select e.name, d.dname from emp e, dept d where e.dept = d.id and e.id = 1");
    EXPECT_EQ(rows(*s,
                  "select id, operation, options, object_owner, object_name, object_type from plan_table"
                  " where object_name is not null order by id"),
        (std::vector<std::string> { "2 TABLE ACCESS BY INDEX ROWID SYSTEM EMP TABLE",
            "3 INDEX UNIQUE SCAN SYSTEM EMP_PK INDEX (UNIQUE)", "4 TABLE ACCESS BY INDEX ROWID SYSTEM DEPT TABLE",
            "5 INDEX UNIQUE SCAN SYSTEM DEPT_PK INDEX (UNIQUE)" }));
    // A lookup by a whole key finds one row; the statement row carries the cost and a timestamp; the explained
    // statement had no id.
    EXPECT_EQ(one(*s, "select cardinality from plan_table where id = 3"), "1");
    EXPECT_EQ(count("select count(*) from plan_table where id = 0 and cost > 0 and cost = position"
                    " and timestamp is not null and statement_id is null"),
        1);
    EXPECT_EQ(count("select count(*) from plan_table where cost is null and id < 5"), 0);
}

TEST_F(ExplainPlanTest, StatementIdAndAnotherSchemasTable)
{
    s->execute("create user vexo_util identified by util");
    s->execute(planTableDdl("vexo_util.vexo_plan_table"));
    s->execute("explain plan set statement_id = 'it''s mine' into vexo_util.vexo_plan_table for\n"
               "select * from emp where id = 1");
    EXPECT_EQ(count("select count(*) from vexo_util.vexo_plan_table where statement_id = 'it''s mine'"), 3);
    EXPECT_EQ(count("select count(*) from vexo_util.vexo_plan_table where statement_id is null"), 0);
    EXPECT_EQ(count("select count(*) from plan_table"), 0) << "only the table named by INTO";
    EXPECT_EQ(plan("vexo_util.vexo_plan_table"),
        (std::vector<std::string> {
            "SELECT STATEMENT", " TABLE ACCESS BY INDEX ROWID EMP", "  INDEX UNIQUE SCAN EMP_PK" }));
}

// Without INTO the name PLAN_TABLE is resolved as any name: the current schema's table, else a PUBLIC synonym.
TEST_F(ExplainPlanTest, PlanTableThroughPublicSynonym)
{
    s->execute("create user scott identified by tiger");
    s->execute("alter session set current_schema = scott");
    EXPECT_EQ(errorOf(*s, "explain plan for select * from system.emp"), 2402);
    s->execute("create public synonym plan_table for system.plan_table");
    s->execute("explain plan for select * from system.emp");
    EXPECT_EQ(count("select count(*) from system.plan_table"), 2);
}

// Only the columns a plan table has are written: an older table without DEPTH or OBJECT_TYPE takes the rest.
TEST_F(ExplainPlanTest, OnlyTheColumnsTheTableHas)
{
    s->execute("create table old_plan (statement_id varchar2(30), operation varchar2(30), options varchar2(30),"
               " object_name varchar2(30), id number, parent_id number, position number)");
    s->execute("explain plan set statement_id = 'a' into old_plan for select * from emp order by name");
    EXPECT_EQ(rows(*s, "select id, parent_id, position, operation, options, object_name from old_plan order by id"),
        (std::vector<std::string> {
            "0 NULL 2 SELECT STATEMENT NULL NULL", "1 0 1 SORT ORDER BY NULL", "2 1 1 TABLE ACCESS FULL EMP" }));
}

TEST_F(ExplainPlanTest, RowsAreDmlOfTheSession)
{
    EXPECT_FALSE(s->inTransaction());
    s->execute("explain plan for select * from emp");
    EXPECT_TRUE(s->inTransaction());
    auto other = logOn();
    s->rollback();
    EXPECT_EQ(count("select count(*) from plan_table"), 0) << "ROLLBACK removes the plan, as on Oracle";

    s->execute("explain plan for select * from emp");
    s->commit();
    EXPECT_EQ(count("select count(*) from plan_table"), 2);
}

// A row the plan table refuses (an OPTIONS column too short for "ORDER BY") fails the whole EXPLAIN with that
// error and leaves none of its rows, as Oracle's statement-level rollback does.
TEST_F(ExplainPlanTest, FailedWriteLeavesNoRows)
{
    s->execute("create table short_plan (statement_id varchar2(30), operation varchar2(30), options varchar2(4),"
               " id number, parent_id number)");
    const std::string sql = "explain plan into short_plan for select * from emp order by name";
    try {
        s->execute(sql);
        FAIL() << "explained into a column too short";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 12899);
        EXPECT_EQ(e.offset(), static_cast<int>(sql.find("short_plan")));
    }
    EXPECT_EQ(count("select count(*) from short_plan"), 0);
    EXPECT_FALSE(s->inTransaction());
}

// The explained statement is only planned: no row changes, no sequence moves, no row or table locks.
TEST_F(ExplainPlanTest, StatementIsNotRun)
{
    s->execute("create sequence emp_seq");
    for (const char* sql :
        { "update emp set sal = 0", "delete from emp", "insert into emp (id) values (emp_seq.nextval)",
            "insert into emp select id + 100, name, dept, sal from emp", "select * from emp for update" }) {
        SCOPED_TRACE(sql);
        s->execute(std::string("explain plan for ") + sql);
    }
    EXPECT_EQ(one(*s, "select count(*) || ' ' || sum(sal) from emp"), "3 600");
    auto other = logOn();
    EXPECT_EQ(errorOf(*other, "select * from emp for update nowait"), 0) << "no row of EMP is locked";
    EXPECT_EQ(errorOf(*other, "lock table emp in exclusive mode nowait"), 0) << "no lock on EMP at all";
    other->rollback();
    EXPECT_EQ(one(*s, "select emp_seq.nextval from dual"), "1");
}

// Oracle's errors: a statement that does not parse or bind fails with its own error at its place in the whole
// text; a malformed EXPLAIN with the error of the clause; statements the engine cannot plan are refused openly.
TEST_F(ExplainPlanTest, Errors)
{
    struct Case {
        std::string sql;
        int code;
        std::string at; // the text the error points at; empty: no position
    };
    const std::vector<Case> cases = {
        { "explain plan for\nselect *\n  from nosuch", 942, "nosuch" },
        { "explain plan set statement_id = 'x' for select nocolumn from emp", 904, "nocolumn" },
        { "explain plan for update emp set nocolumn = 1", 904, "nocolumn" },
        { "explain plan for select * from emp where", 936, "" },
        { "explain plan select * from emp", 905, "select" },
        { "explain select * from emp", 905, "select" },
        { "explain plan set statement_id 'x' for select * from emp", 927, "'x'" },
        { "explain plan set statement_id = x for select * from emp", 1780, "x for" },
        { "explain plan set id = 'x' for select * from emp", 905, "id" },
        { "explain plan for commit", 900, "commit" },
        { "explain plan for merge into emp e using dept d on (e.dept = d.id) when matched then update set sal = 1",
            3001, "merge" },
        { "explain plan for create table x as select * from emp", 3001, "create" },
        { "explain plan for select * from emp;", 911, ";" },
        { "explain plan for select * from emp extra words", 933, "words" },
        { "explain plan into nosuch for select * from emp", 942, "nosuch" },
        { "explain plan into dept for select * from emp", 2403, "dept" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        try {
            s->execute(c.sql);
            ADD_FAILURE() << "succeeded";
        } catch (const engine::Error& e) {
            EXPECT_EQ(e.code(), c.code) << e.message();
            if (!c.at.empty()) {
                EXPECT_EQ(e.offset(), static_cast<int>(c.sql.find(c.at))) << e.message();
            }
        }
    }
    EXPECT_EQ(count("select count(*) from plan_table"), 0);
    EXPECT_FALSE(s->inTransaction());

    s->execute("drop table plan_table");
    try {
        s->execute("explain plan for select * from emp");
        ADD_FAILURE() << "explained without a plan table";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 2402);
        EXPECT_EQ(e.message(), "ORA-02402: PLAN_TABLE not found");
    }
}

TEST(ExplainPlanParse, KeepsClausesAndTheStatementText)
{
    const std::string sql = "EXPLAIN PLAN SET STATEMENT_ID = 'a''b' INTO util.plans@remote FOR\n"
                            "select name\n  from emp -- the staff\n where id = :id";
    auto parsed = engine::sql::parse(sql);
    ASSERT_TRUE(parsed.ok()) << parsed.error->message;
    const auto* e = parsed.statement->as<engine::sql::ExplainPlanStmt>();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->statementId, "a'b");
    ASSERT_TRUE(e->into && e->into->dblink);
    EXPECT_EQ(e->into->dblink->name, "REMOTE");
    EXPECT_EQ(e->statementText, "select name\n  from emp -- the staff\n where id = :id");
    EXPECT_EQ(e->statement->offset, static_cast<int>(sql.find("select")));
    EXPECT_EQ(engine::sql::dumpStatement(*parsed.statement),
        "EXPLAIN PLAN SET STATEMENT_ID = 'a''b' INTO UTIL.PLANS@REMOTE FOR SELECT NAME FROM EMP WHERE (ID = :ID)");
}

// The worksheet's explain: empty the shared plan table, explain the editor's lines joined by blanks, and read the
// plan back as an indented tree with CONNECT BY, the cost on the first line.
TEST_F(ExplainPlanTest, WorksheetReadsThePlanAsATree)
{
    s->execute("create user vexo_util identified by util");
    s->execute(planTableDdl("vexo_util.vexo_plan_table"));
    s->execute("explain plan into vexo_util.vexo_plan_table for select * from dept");
    s->execute("TRUNCATE TABLE VEXO_UTIL.VEXO_PLAN_TABLE");
    s->execute("EXPLAIN PLAN INTO VEXO_UTIL.VEXO_PLAN_TABLE FOR  select e.name, d.dname  from emp e, dept d"
               "  where e.dept = d.id");
    const std::string cost = one(*s, "select position from vexo_util.vexo_plan_table where id = 0");
    const std::string worksheet = "select substr( rtrim(lpad('  ',6*level)||operation||\n"
                                  "                    decode(id,0,'  Cost='||position)) || ' '||rtrim(options)\n"
                                  "                    ||' '|| object_name ,1,300) zaporedje\n"
                                  "FROM vexo_util.vexo_plan_table\n"
                                  "  connect by prior id=parent_id\n"
                                  "  start with id=0";
    EXPECT_EQ(rows(*s, worksheet),
        (std::vector<std::string> { "      SELECT STATEMENT  Cost=" + cost + "  ", "            NESTED LOOPS  ",
            "                  TABLE ACCESS FULL EMP", "                  TABLE ACCESS BY INDEX ROWID DEPT",
            "                        INDEX UNIQUE SCAN DEPT_PK" }));
}

// Several plans in one table: one is read by its statement id, in ID order.
TEST_F(ExplainPlanTest, TreeOfOneStatementId)
{
    s->execute("explain plan set statement_id = 'one' for select * from emp where id = 1");
    s->execute("explain plan set statement_id = 'two' for select * from dept order by dname");
    std::vector<engine::Bind> binds(1);
    binds[0].name = "ID";
    binds[0].value = engine::Value::fromText("two");
    EXPECT_EQ(
        rows(*s,
            "select lpad(' ', 2 * (level - 1)) || operation || ' ' || options || ' ' || object_name from plan_table"
            " start with id = 0 and statement_id = :id"
            " connect by prior id = parent_id and prior statement_id = statement_id order by id",
            binds),
        (std::vector<std::string> { "SELECT STATEMENT  ", "  SORT ORDER BY ", "    TABLE ACCESS FULL DEPT" }));
}

} // namespace

// Tables behind a database link: a query reads them REMOTE, DML sent whole to the other database has no local
// plan, and the plan table itself may be the other database's.
TEST_F(ExplainPlanTest, DatabaseLinks)
{
    auto remoteDb = engine::Database::create(tmp.filePath("audit").toStdString());
    {
        auto remote = remoteDb->logOn("SYSTEM", "MANAGER");
        remote->execute("create table aud (id number primary key, what varchar2(20))");
        remote->execute(planTableDdl("plan_table"));
        remote->commit();
    }
    s->execute("create database link auditlnk connect to system identified by manager using 'audit'");
    s->execute("explain plan for select e.name, a.what from emp e, aud@auditlnk a where a.id = e.id");
    EXPECT_EQ(count("select count(*) from plan_table where operation = 'REMOTE'"), 1);
    EXPECT_EQ(count("select count(*) from plan_table where operation = 'TABLE ACCESS' and object_name = 'EMP'"), 1);
    EXPECT_EQ(errorOf(*s, "explain plan for delete from aud@auditlnk"), 3001);

    s->execute("explain plan set statement_id = 'there' into plan_table@auditlnk for select * from emp");
    EXPECT_EQ(count("select count(*) from plan_table@auditlnk where statement_id = 'there'"), 2);
    s->rollback();
    EXPECT_EQ(count("select count(*) from plan_table@auditlnk"), 0) << "the remote rows are part of the transaction";
}
