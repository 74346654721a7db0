// The parser's syntax trees, checked through their canonical dump: each statement must parse, dump to the
// expected text, and parse again from that text to the same dump. Offsets and the texts kept verbatim (view
// queries, CHECK conditions, DEFAULT expressions, PL/SQL units) are checked on the tree itself.
#include "engine/sql/ast_dump.h"
#include "engine/sql/parser.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace engine::sql;

namespace {

struct DumpCase {
    const char* sql;
    const char* dump;
};

void checkDumps(const std::vector<DumpCase>& cases)
{
    for (const DumpCase& c : cases) {
        SCOPED_TRACE(c.sql);
        ParseResult r = parse(c.sql);
        ASSERT_TRUE(r.ok()) << r.error->message << " at " << r.error->offset;
        const std::string dump = dumpStatement(*r.statement);
        EXPECT_EQ(dump, c.dump);
        ParseResult again = parse(dump);
        ASSERT_TRUE(again.ok()) << again.error->message << " at " << again.error->offset;
        EXPECT_EQ(dumpStatement(*again.statement), dump);
    }
}

template <typename T> const T& statementAs(const ParseResult& r)
{
    EXPECT_TRUE(r.ok()) << (r.error ? r.error->message : std::string());
    const T* s = r.statement ? r.statement->as<T>() : nullptr;
    if (!s)
        throw std::runtime_error("statement of another kind");
    return *s;
}

TEST(Parser, DatetimeLiteralsTypesAndTimeZones)
{
    // Oracle's grammar: TIMESTAMP and INTERVAL literals with their qualifiers, the interval types of CAST and DDL,
    // AT TIME ZONE / AT LOCAL after an operand.
    checkDumps({
        { R"sql(select timestamp '2024-01-01 10:00:00', interval '1-2' year(3) to month, interval '1.5' second(2, 3), interval '4 5:12' day to minute, interval '7' day to second(2) from dual)sql",
            R"sql(SELECT TIMESTAMP '2024-01-01 10:00:00', INTERVAL '1-2' YEAR(3) TO MONTH, INTERVAL '1.5' SECOND(2, 3), INTERVAL '4 5:12' DAY TO MINUTE, INTERVAL '7' DAY TO SECOND(2) FROM DUAL)sql" },
        { R"sql(select t at time zone '+02:00' + interval '1' hour, t at local from x)sql",
            R"sql(SELECT ((T AT TIME ZONE '+02:00') + INTERVAL '1' HOUR), (T AT LOCAL) FROM X)sql" },
        { R"sql(select cast(a as interval day(3) to second(2)), cast(b as timestamp(3) with local time zone) from x)sql",
            R"sql(SELECT CAST(A AS INTERVAL DAY(3) TO SECOND(2)), CAST(B AS TIMESTAMP(3) WITH LOCAL TIME ZONE) FROM X)sql" },
    });
    // A qualifier that does not go forward, or a precision past 9.
    EXPECT_EQ(parse("select interval '1' minute to hour from dual").error->code, 30089);
    EXPECT_EQ(parse("select interval '1' day(10) from dual").error->code, 30088);
}

TEST(Parser, Queries)
{
    // Oracle's grammar: comma and ANSI joins, (+) marks, hierarchy clauses, set operators of equal precedence
    // evaluated left to right, || at the precedence of + and -, PRIOR binding like a sign.
    checkDumps({
        { R"sql(select * from dual)sql", R"sql(SELECT * FROM DUAL)sql" },
        { R"sql(select a, b c, d as "Dd", t.* from t, voxa.u x where t.a = x.b(+) and x.c is not null)sql",
            R"sql(SELECT A, B AS C, D AS "Dd", T.* FROM T, VOXA.U X WHERE ((T.A = X.B(+)) AND (X.C IS NOT NULL)))sql" },
        { R"sql(select distinct e.ename, d.dname from emp e inner join dept d on e.deptno = d.deptno left outer join bonus b using (ename) cross join dual)sql",
            R"sql(SELECT DISTINCT E.ENAME, D.DNAME FROM EMP E INNER JOIN DEPT D ON (E.DEPTNO = D.DEPTNO) LEFT JOIN BONUS B USING (ENAME) CROSS JOIN DUAL)sql" },
        { R"sql(select count(*), count(distinct a), sum(b) from t group by c having count(*) > 1 order by 1 desc nulls last, a)sql",
            R"sql(SELECT COUNT(*), COUNT(DISTINCT A), SUM(B) FROM T GROUP BY C HAVING (COUNT(*) > 1) ORDER BY 1 DESC NULLS LAST, A)sql" },
        { R"sql(select c from t having count(*) > 1 group by c)sql",
            R"sql(SELECT C FROM T GROUP BY C HAVING (COUNT(*) > 1))sql" },
        { R"sql(select level, lpad(' ', 2*level) || ename from emp start with mgr is null connect by nocycle prior empno = mgr)sql",
            R"sql(SELECT LEVEL, (LPAD(' ', (2 * LEVEL)) || ENAME) FROM EMP START WITH (MGR IS NULL) CONNECT BY NOCYCLE ((PRIOR EMPNO) = MGR))sql" },
        { R"sql(select * from (select a from t union all select b from u) v where rownum <= 10)sql",
            R"sql(SELECT * FROM (SELECT A FROM T UNION ALL SELECT B FROM U) V WHERE (ROWNUM <= 10))sql" },
        { R"sql((select 1 from dual) union (select 2 from dual) minus select 3 from dual order by 1)sql",
            R"sql((SELECT 1 FROM DUAL UNION SELECT 2 FROM DUAL) MINUS SELECT 3 FROM DUAL ORDER BY 1)sql" },
        { R"sql(select case when a > 1 then 'x' when a < 0 then 'y' else 'z' end, case a when 1 then 2 end from t)sql",
            R"sql(SELECT CASE WHEN (A > 1) THEN 'x' WHEN (A < 0) THEN 'y' ELSE 'z' END, CASE A WHEN 1 THEN 2 END FROM T)sql" },
        { R"sql(select decode(a, null, 'n', 1, 'one', 'other') from t where a in (1, 2, 3) and b not in (select c from u) and exists (select 1 from v where v.x = t.x))sql",
            R"sql(SELECT DECODE(A, NULL, 'n', 1, 'one', 'other') FROM T WHERE (((A IN (1, 2, 3)) AND (B NOT IN (SELECT C FROM U))) AND EXISTS (SELECT 1 FROM V WHERE (V.X = T.X))))sql" },
        { R"sql(select * from t where a between 1 and 10 and b not like 'x\_%' escape '\' and c <> all (1, 2) and d = any (select e from f))sql",
            R"sql(SELECT * FROM T WHERE ((((A BETWEEN 1 AND 10) AND (B NOT LIKE 'x\_%' ESCAPE '\')) AND (C <> ALL (1, 2))) AND (D = ANY (SELECT E FROM F))))sql" },
        { R"sql(select seq.nextval, voxa.seq.currval, sysdate, user, uid, rowid, t.rowid, rownum from t)sql",
            R"sql(SELECT SEQ.NEXTVAL, VOXA.SEQ.CURRVAL, SYSDATE, USER, UID, ROWID, T.ROWID, ROWNUM FROM T)sql" },
        { R"sql(select date '2020-01-31', -a, +b, a*b/c-d, q'[it's]', n'abc', :x, :1 from t for update of t.a nowait)sql",
            R"sql(SELECT DATE '2020-01-31', (-A), (+B), (((A * B) / C) - D), 'it''s', N'abc', :X, :1 FROM T FOR UPDATE OF T.A NOWAIT)sql" },
        { R"sql(select * from t for update wait 5)sql", R"sql(SELECT * FROM T FOR UPDATE WAIT 5)sql" },
        { R"sql(select trim(leading 'x' from a), trim(a), trim('x' from a), extract(year from d), cast(a as varchar2(10)) from t)sql",
            R"sql(SELECT TRIM(LEADING 'x' FROM A), TRIM(A), TRIM('x' FROM A), EXTRACT(YEAR FROM D), CAST(A AS VARCHAR2(10)) FROM T)sql" },
        { R"sql(select f(a => 1, b => 2), pkg.f@link(1) from dual)sql",
            R"sql(SELECT F(A => 1, B => 2), PKG.F@LINK(1) FROM DUAL)sql" },
        { R"sql(select (select max(a) from u) m from t where (a, b) in ((1, 2), (3, 4)))sql",
            R"sql(SELECT (SELECT MAX(A) FROM U) AS M FROM T WHERE ((A, B) IN ((1, 2), (3, 4))))sql" },
        { R"sql(select * from t where (a = 1 or b = 2) and not (c = 3))sql",
            R"sql(SELECT * FROM T WHERE (((A = 1) OR (B = 2)) AND (NOT (C = 3))))sql" },
        { R"sql(select * from t where (a + 1) * 2 = 3)sql", R"sql(SELECT * FROM T WHERE (((A + 1) * 2) = 3))sql" },
        { R"sql(select /*+ FIRST_ROWS(10) */ unique a "Col A", b from voxa.t@remote.world)sql",
            R"sql(SELECT /*+ FIRST_ROWS(10) */ DISTINCT A AS "Col A", B FROM VOXA.T@REMOTE.WORLD)sql" },
        { R"sql(select * from (t1 join t2 on t1.a = t2.a) full outer join t3 on t3.b = t1.b)sql",
            R"sql(SELECT * FROM T1 INNER JOIN T2 ON (T1.A = T2.A) FULL JOIN T3 ON (T3.B = T1.B))sql" },
        { R"sql(select * from t where a in ((select 1 from dual) union (select 2 from dual)))sql",
            R"sql(SELECT * FROM T WHERE (A IN (SELECT 1 FROM DUAL UNION SELECT 2 FROM DUAL)))sql" },
        { R"sql(select x.*, y.a, y.rowid(+) from x, y where x.id = y.id(+) and y.k(+) = 5)sql",
            R"sql(SELECT X.*, Y.A, Y.ROWID(+) FROM X, Y WHERE ((X.ID = Y.ID(+)) AND (Y.K(+) = 5)))sql" },
        { R"sql(select nvl(a, 0) + nvl2(b, 1, 2) * mod(c, 3) from t where a != 1 and b ^= 2 and c ~= 3)sql",
            R"sql(SELECT (NVL(A, 0) + (NVL2(B, 1, 2) * MOD(C, 3))) FROM T WHERE (((A <> 1) AND (B <> 2)) AND (C <> 3)))sql" },
        { R"sql(select a from t where (a, b) = (select 1, 2 from dual) and (c) in (select 1 from dual))sql",
            R"sql(SELECT A FROM T WHERE (((A, B) = (SELECT 1, 2 FROM DUAL)) AND (C IN (SELECT 1 FROM DUAL))))sql" },
        { R"sql(select a from t order by a asc nulls first, 2, upper(b) desc)sql",
            R"sql(SELECT A FROM T ORDER BY A NULLS FIRST, 2, UPPER(B) DESC)sql" },
        { R"sql(select a from t where a = -1 or not a > 2 and b is null)sql",
            R"sql(SELECT A FROM T WHERE ((A = (-1)) OR ((NOT (A > 2)) AND (B IS NULL))))sql" },
        { R"sql(select a || b || c from t where a like 'x%' and b like :p escape '!')sql",
            R"sql(SELECT ((A || B) || C) FROM T WHERE ((A LIKE 'x%') AND (B LIKE :P ESCAPE '!')))sql" },
        { R"sql(select current_date, systimestamp, count(all a) from t)sql",
            R"sql(SELECT CURRENT_DATE, SYSTIMESTAMP, COUNT(ALL A) FROM T)sql" },
        { R"sql(select substr(a, 1, 2) x, instr(a, 'b', 1, 2) from t group by substr(a, 1, 2), instr(a, 'b', 1, 2))sql",
            R"sql(SELECT SUBSTR(A, 1, 2) AS X, INSTR(A, 'b', 1, 2) FROM T GROUP BY SUBSTR(A, 1, 2), INSTR(A, 'b', 1, 2))sql" },
    });
}

TEST(Parser, ReportingQueries)
{
    // Oracle's query forms for reports: WITH (recursive, with SEARCH and CYCLE), the row limiting clause, analytic
    // functions with their windows, ordered-set and KEEP aggregates, grouping sets, NATURAL joins, PIVOT and
    // UNPIVOT, the hierarchical operators and the conditions written as calls.
    checkDumps({
        { R"sql(with d as (select deptno from dept), e (n, m) as (select empno, mgr from emp) select * from d, e order siblings by n)sql",
            R"sql(WITH D AS (SELECT DEPTNO FROM DEPT), E (N, M) AS (SELECT EMPNO, MGR FROM EMP) SELECT * FROM D, E ORDER SIBLINGS BY N)sql" },
        { R"sql(with r (n) as (select 1 from dual union all select n + 1 from r where n < 5) search depth first by n desc set ord cycle n set c to 'Y' default 'N' select * from r)sql",
            R"sql(WITH R (N) AS (SELECT 1 FROM DUAL UNION ALL SELECT (N + 1) FROM R WHERE (N < 5)) SEARCH DEPTH FIRST BY N DESC SET ORD CYCLE N SET C TO 'Y' DEFAULT 'N' SELECT * FROM R)sql" },
        { R"sql(select * from t order by a offset 5 rows fetch next 10 rows only)sql",
            R"sql(SELECT * FROM T ORDER BY A OFFSET 5 ROWS FETCH FIRST 10 ROWS ONLY)sql" },
        { R"sql(select * from t fetch first 10 percent rows with ties)sql",
            R"sql(SELECT * FROM T FETCH FIRST 10 PERCENT ROWS WITH TIES)sql" },
        { R"sql(select * from t offset :o row)sql",
            R"sql(SELECT * FROM T OFFSET :O ROWS)sql" },
        { R"sql((with x as (select 1 a from dual) select a from x) union all (select 2 from dual order by 1 fetch first 1 row only))sql",
            R"sql((WITH X AS (SELECT 1 AS A FROM DUAL) SELECT A FROM X) UNION ALL (SELECT 2 FROM DUAL ORDER BY 1 FETCH FIRST 1 ROWS ONLY))sql" },
        { R"sql(select row_number() over (partition by a, b order by c desc nulls first), sum(x) over (order by d rows between 2 preceding and current row), count(*) over () from t)sql",
            R"sql(SELECT ROW_NUMBER() OVER (PARTITION BY A, B ORDER BY C DESC NULLS FIRST), SUM(X) OVER (ORDER BY D ROWS BETWEEN 2 PRECEDING AND CURRENT ROW), COUNT(*) OVER () FROM T)sql" },
        { R"sql(select avg(x) over (order by d range between interval_days preceding and unbounded following), first_value(x ignore nulls) over (order by d rows unbounded preceding) from t)sql",
            R"sql(SELECT AVG(X) OVER (ORDER BY D RANGE BETWEEN INTERVAL_DAYS PRECEDING AND UNBOUNDED FOLLOWING), FIRST_VALUE(X) IGNORE NULLS OVER (ORDER BY D ROWS UNBOUNDED PRECEDING) FROM T)sql" },
        { R"sql(select lag(x, 1, 0) ignore nulls over (order by d), nth_value(x, 2) from last respect nulls over (partition by (a, b) order by d) from t)sql",
            R"sql(SELECT LAG(X, 1, 0) IGNORE NULLS OVER (ORDER BY D), NTH_VALUE(X, 2) FROM LAST RESPECT NULLS OVER (PARTITION BY A, B ORDER BY D) FROM T)sql" },
        { R"sql(select listagg(a, ', ' on overflow truncate '~' without count) within group (order by b), max(s) keep (dense_rank last order by d), median(x) from t)sql",
            R"sql(SELECT LISTAGG(A, ', ' ON OVERFLOW TRUNCATE '~' WITHOUT COUNT) WITHIN GROUP (ORDER BY B), MAX(S) KEEP (DENSE_RANK LAST ORDER BY D), MEDIAN(X) FROM T)sql" },
        { R"sql(select listagg(distinct a) within group (order by a) over (partition by b) from t)sql",
            R"sql(SELECT LISTAGG(DISTINCT A) WITHIN GROUP (ORDER BY A) OVER (PARTITION BY B) FROM T)sql" },
        { R"sql(select a, b, grouping(a), grouping_id(a, b) from t group by rollup (a, b), cube ((a, b), c), grouping sets ((a), (), rollup (c)))sql",
            R"sql(SELECT A, B, GROUPING(A), GROUPING_ID(A, B) FROM T GROUP BY ROLLUP (A, B), CUBE ((A, B), C), GROUPING SETS (A, (), ROLLUP (C)))sql" },
        { R"sql(select * from t natural join u natural left outer join v natural full join w)sql",
            R"sql(SELECT * FROM T NATURAL INNER JOIN U NATURAL LEFT JOIN V NATURAL FULL JOIN W)sql" },
        { R"sql(select * from (select a, b, c from t) pivot (sum(b) as s, count(*) for (a, c) in ((1, 'x') as one, (2, 'y'))) p)sql",
            R"sql(SELECT * FROM (SELECT A, B, C FROM T) PIVOT (SUM(B) AS S, COUNT(*) FOR (A, C) IN ((1, 'x') AS ONE, (2, 'y'))) P)sql" },
        { R"sql(select * from t pivot (max(b) for a in (1 one, 2 as two, 3)))sql",
            R"sql(SELECT * FROM T PIVOT (MAX(B) FOR (A) IN (1 AS ONE, 2 AS TWO, 3)))sql" },
        { R"sql(select * from t unpivot include nulls ((v1, v2) for (n1, n2) in ((a, b) as ('x', 1), (c, d))) u)sql",
            R"sql(SELECT * FROM T UNPIVOT INCLUDE NULLS ((V1, V2) FOR (N1, N2) IN ((A, B) AS ('x', 1), (C, D))) U)sql" },
        { R"sql(select * from t unpivot (v for n in (a as 'A', b)))sql",
            R"sql(SELECT * FROM T UNPIVOT ((V) FOR (N) IN ((A) AS 'A', (B))))sql" },
        { R"sql(select connect_by_root ename, connect_by_isleaf, sys_connect_by_path(ename, '/') from emp start with mgr is null connect by nocycle prior empno = mgr order siblings by ename)sql",
            R"sql(SELECT (CONNECT_BY_ROOT ENAME), CONNECT_BY_ISLEAF, SYS_CONNECT_BY_PATH(ENAME, '/') FROM EMP START WITH (MGR IS NULL) CONNECT BY NOCYCLE ((PRIOR EMPNO) = MGR) ORDER SIBLINGS BY ENAME)sql" },
        { R"sql(select a from t where regexp_like(a, '^x', 'i') and not lnnvl(b = 1))sql",
            R"sql(SELECT A FROM T WHERE (REGEXP_LIKE(A, '^x', 'i') AND (NOT LNNVL((B = 1)))))sql" },
    });
}

TEST(Parser, DmlAndTransactionControl)
{
    checkDumps({
        { R"sql(insert into t (a, b) values (1, default) returning a into :x)sql",
            R"sql(INSERT INTO T (A, B) VALUES (1, DEFAULT) RETURNING A INTO :X)sql" },
        { R"sql(insert into t select * from u)sql", R"sql(INSERT INTO T SELECT * FROM U)sql" },
        { R"sql(update t x set a = 1, b = default, (c, d) = (select 1, 2 from dual) where a = 2 returning a, b into :a, :b)sql",
            R"sql(UPDATE T X SET A = 1, B = DEFAULT, (C, D) = (SELECT 1, 2 FROM DUAL) WHERE (A = 2) RETURNING A, B INTO :A, :B)sql" },
        { R"sql(delete t where a = 1)sql", R"sql(DELETE FROM T WHERE (A = 1))sql" },
        { R"sql(delete from voxa.t@link x)sql", R"sql(DELETE FROM VOXA.T@LINK X)sql" },
        { R"sql(lock table t, u in share row exclusive mode nowait)sql",
            R"sql(LOCK TABLE T, U IN SHARE ROW EXCLUSIVE MODE NOWAIT)sql" },
        { R"sql(truncate table t)sql", R"sql(TRUNCATE TABLE T)sql" },
        { R"sql(commit work)sql", R"sql(COMMIT)sql" },
        { R"sql(rollback to savepoint s1)sql", R"sql(ROLLBACK TO SAVEPOINT S1)sql" },
        { R"sql(savepoint s1)sql", R"sql(SAVEPOINT S1)sql" },
        { R"sql(set transaction read only)sql", R"sql(SET TRANSACTION READ ONLY)sql" },
        { R"sql(set transaction use rollback segment rbs1)sql", R"sql(SET TRANSACTION USE ROLLBACK SEGMENT RBS1)sql" },
        { R"sql(alter session set nls_date_format = 'DD.MM.YYYY' current_schema = voxa)sql",
            R"sql(ALTER SESSION SET NLS_DATE_FORMAT = 'DD.MM.YYYY' CURRENT_SCHEMA = VOXA)sql" },
        { R"sql(insert into t (select * from u))sql", R"sql(INSERT INTO T SELECT * FROM U)sql" },
        { R"sql(update t set a = (select max(b) from u where u.c = t.c))sql",
            R"sql(UPDATE T SET A = (SELECT MAX(B) FROM U WHERE (U.C = T.C)))sql" },
        { R"sql(update voxa.t set t.a = 1)sql", R"sql(UPDATE VOXA.T SET A = 1)sql" },
        { R"sql(delete from t where rowid = :rid returning a into :a)sql",
            R"sql(DELETE FROM T WHERE (ROWID = :RID) RETURNING A INTO :A)sql" },
        { R"sql(lock table t in row share mode)sql", R"sql(LOCK TABLE T IN ROW SHARE MODE)sql" },
        { R"sql(lock table t in exclusive mode wait 10)sql", R"sql(LOCK TABLE T IN EXCLUSIVE MODE WAIT 10)sql" },
        { R"sql(commit comment 'done')sql", R"sql(COMMIT COMMENT 'done')sql" },
        { R"sql(rollback work)sql", R"sql(ROLLBACK)sql" },
        { R"sql(set transaction isolation level serializable)sql",
            R"sql(SET TRANSACTION ISOLATION LEVEL SERIALIZABLE)sql" },
        { R"sql(set transaction read write name 'tx1')sql", R"sql(SET TRANSACTION READ WRITE NAME 'tx1')sql" },
        { R"sql(merge into t x using (select a, b from u) s on (x.a = s.a) when matched then update set x.b = s.b where s.b > 0 delete where x.b = 9 when not matched then insert (a, b) values (s.a, default) where s.a is not null)sql",
            R"sql(MERGE INTO T X USING (select a, b from u) S ON (x.a = s.a) WHEN MATCHED THEN UPDATE SET B = s.b WHERE s.b > 0 DELETE WHERE x.b = 9 WHEN NOT MATCHED THEN INSERT (A, B) VALUES (s.a, DEFAULT) WHERE s.a is not null)sql" },
        { R"sql(merge into voxa.t using u on (t.a = u.a) when not matched then insert values (u.a))sql",
            R"sql(MERGE INTO VOXA.T USING U ON (t.a = u.a) WHEN NOT MATCHED THEN INSERT VALUES (u.a))sql" },
        { R"sql(insert first when a > 1 then into t values (a) into u (x) values (b) else into v select a, b from w)sql",
            R"sql(INSERT FIRST WHEN a > 1 THEN INTO T VALUES (a) INTO U (X) VALUES (b) ELSE INTO V select a, b from w)sql" },
        { R"sql(alter rollback segment rblarge online)sql", R"sql(ALTER ROLLBACK SEGMENT RBLARGE ONLINE)sql" },
        { R"sql(insert all into t into u (x) select 1 from dual)sql",
            R"sql(INSERT ALL INTO T INTO U (X) select 1 from dual)sql" },
        { R"sql(alter session set nls_date_format = 'YYYY-MM-DD HH24:MI:SS')sql",
            R"sql(ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS')sql" },
    });
}

TEST(Parser, DdlAccountsAndPrivileges)
{
    checkDumps({
        { R"sql(comment on column voxa.t.a is 'it''s')sql", R"sql(COMMENT ON COLUMN VOXA.T.A IS 'it''s')sql" },
        { R"sql(rename a to b)sql", R"sql(RENAME A TO B)sql" },
        { R"sql(create table voxa.t (id number(10) not null constraint t_pk primary key, name varchar2(30 char) default 'x' not null, amt number(12,2) check (amt >= 0), d date default sysdate, c char(1), f float(10), l long, r raw(16), k number(*,2), ref_id number constraint t_fk references u (id) on delete cascade, constraint t_uk unique (name, d) using index tablespace idx disable, foreign key (ref_id) references u on delete set null, check (id > 0) enable novalidate) tablespace users pctfree 10 storage (initial 64k next 64k))sql",
            R"sql(CREATE TABLE VOXA.T (ID NUMBER(10) NOT NULL CONSTRAINT T_PK PRIMARY KEY, NAME VARCHAR2(30 CHAR) DEFAULT 'x' NOT NULL, AMT NUMBER(12, 2) CHECK ((AMT >= 0)), D DATE DEFAULT SYSDATE, C CHAR(1), F FLOAT(10), L LONG, R RAW(16), K NUMBER(*, 2), REF_ID NUMBER CONSTRAINT T_FK REFERENCES U (ID) ON DELETE CASCADE, CONSTRAINT T_UK UNIQUE (NAME, D) using index tablespace idx DISABLE, FOREIGN KEY (REF_ID) REFERENCES U ON DELETE SET NULL, CHECK ((ID > 0)) ENABLE NOVALIDATE) tablespace users pctfree 10 storage (initial 64k next 64k))sql" },
        { R"sql(create global temporary table tt (a number) on commit preserve rows)sql",
            R"sql(CREATE GLOBAL TEMPORARY TABLE TT (A NUMBER) ON COMMIT PRESERVE ROWS)sql" },
        { R"sql(create table t2 as select * from t)sql", R"sql(CREATE TABLE T2 AS SELECT * FROM T)sql" },
        { R"sql(create table t3 (a, b) as select 1, 2 from dual)sql",
            R"sql(CREATE TABLE T3 (A, B) AS SELECT 1, 2 FROM DUAL)sql" },
        { R"sql(alter table t add (x number, y varchar2(10) default 'a' not null))sql",
            R"sql(ALTER TABLE T ADD (X NUMBER, Y VARCHAR2(10) DEFAULT 'a' NOT NULL))sql" },
        { R"sql(alter table t add z date)sql", R"sql(ALTER TABLE T ADD (Z DATE))sql" },
        { R"sql(alter table t add constraint c1 check (z > date '2000-01-01'))sql",
            R"sql(ALTER TABLE T ADD CONSTRAINT C1 CHECK ((Z > DATE '2000-01-01')))sql" },
        { R"sql(alter table t modify (x number(5) not null, y null))sql",
            R"sql(ALTER TABLE T MODIFY (X NUMBER(5) NOT NULL, Y NULL))sql" },
        { R"sql(alter table t modify y default 'b')sql", R"sql(ALTER TABLE T MODIFY (Y DEFAULT 'b'))sql" },
        { R"sql(alter table t drop column x)sql", R"sql(ALTER TABLE T DROP (X))sql" },
        { R"sql(alter table t drop (x, y) cascade constraints)sql",
            R"sql(ALTER TABLE T DROP (X, Y) CASCADE CONSTRAINTS)sql" },
        { R"sql(alter table t rename column a to b)sql", R"sql(ALTER TABLE T RENAME COLUMN A TO B)sql" },
        { R"sql(alter table t rename to t9)sql", R"sql(ALTER TABLE T RENAME TO T9)sql" },
        { R"sql(alter table t drop constraint c1 cascade)sql", R"sql(ALTER TABLE T DROP CONSTRAINT C1 CASCADE)sql" },
        { R"sql(alter table t drop primary key)sql", R"sql(ALTER TABLE T DROP PRIMARY KEY)sql" },
        { R"sql(alter table t enable novalidate constraint c1)sql",
            R"sql(ALTER TABLE T ENABLE NOVALIDATE CONSTRAINT C1)sql" },
        { R"sql(alter table t disable primary key)sql", R"sql(ALTER TABLE T DISABLE PRIMARY KEY)sql" },
        { R"sql(alter table t enable all triggers)sql", R"sql(ALTER TABLE T ENABLE ALL TRIGGERS)sql" },
        { R"sql(alter table t pctfree 20)sql", R"sql(ALTER TABLE T pctfree 20)sql" },
        { R"sql(drop table t cascade constraints purge)sql", R"sql(DROP TABLE T CASCADE CONSTRAINTS PURGE)sql" },
        { R"sql(create unique index ix on t (a, lower(b) desc) tablespace idx compute statistics)sql",
            R"sql(CREATE UNIQUE INDEX IX ON T (A, LOWER(B) DESC) tablespace idx compute statistics)sql" },
        { R"sql(drop index voxa.ix)sql", R"sql(DROP INDEX VOXA.IX)sql" },
        { R"sql(alter index ix rebuild tablespace x online)sql",
            R"sql(ALTER INDEX IX REBUILD tablespace x online)sql" },
        { R"sql(create sequence s start with 10 increment by -1 maxvalue 100 minvalue -5 nocycle cache 20 order)sql",
            R"sql(CREATE SEQUENCE S INCREMENT BY -1 START WITH 10 MAXVALUE 100 MINVALUE -5 NOCYCLE CACHE 20 ORDER)sql" },
        { R"sql(alter sequence s increment by 2 nocache)sql", R"sql(ALTER SEQUENCE S INCREMENT BY 2 NOCACHE)sql" },
        { R"sql(drop sequence s)sql", R"sql(DROP SEQUENCE S)sql" },
        { R"sql(create or replace force view v (a, b) as select x, y from t where z = 1 with read only)sql",
            R"sql(CREATE OR REPLACE FORCE VIEW V (A, B) AS SELECT X, Y FROM T WHERE (Z = 1) WITH READ ONLY)sql" },
        { R"sql(create view v2 as select * from t with check option constraint v2_ck)sql",
            R"sql(CREATE VIEW V2 AS SELECT * FROM T WITH CHECK OPTION CONSTRAINT V2_CK)sql" },
        { R"sql(drop view v)sql", R"sql(DROP VIEW V)sql" },
        { R"sql(create or replace public synonym s for voxa.t)sql",
            R"sql(CREATE OR REPLACE PUBLIC SYNONYM S FOR VOXA.T)sql" },
        { R"sql(create synonym s2 for t@link.world)sql", R"sql(CREATE SYNONYM S2 FOR T@LINK.WORLD)sql" },
        { R"sql(drop public synonym s)sql", R"sql(DROP PUBLIC SYNONYM S)sql" },
        { R"sql(drop synonym s2 force)sql", R"sql(DROP SYNONYM S2 FORCE)sql" },
        { R"sql(comment on table t is 'hello')sql", R"sql(COMMENT ON TABLE T IS 'hello')sql" },
        { R"sql(create user u identified by pw default tablespace users temporary tablespace temp quota 10M on users quota unlimited on idx account lock)sql",
            R"sql(CREATE USER U IDENTIFIED BY PW DEFAULT TABLESPACE USERS TEMPORARY TABLESPACE TEMP QUOTA 10M ON USERS QUOTA UNLIMITED ON IDX ACCOUNT LOCK)sql" },
        { R"sql(alter user u identified by "Secret" account unlock)sql",
            R"sql(ALTER USER U IDENTIFIED BY "Secret" ACCOUNT UNLOCK)sql" },
        { R"sql(drop user u cascade)sql", R"sql(DROP USER U CASCADE)sql" },
        { R"sql(grant create session, create table, select any table to u, v with admin option)sql",
            R"sql(GRANT CREATE SESSION, CREATE TABLE, SELECT ANY TABLE TO U, V WITH ADMIN OPTION)sql" },
        { R"sql(grant select, update (a, b) on voxa.t to public with grant option)sql",
            R"sql(GRANT SELECT, UPDATE (A, B) ON VOXA.T TO PUBLIC WITH GRANT OPTION)sql" },
        { R"sql(grant "Mixed Role", connect to u)sql", R"sql(GRANT "Mixed Role", CONNECT TO U)sql" },
        { R"sql(grant dba to u)sql", R"sql(GRANT DBA TO U)sql" },
        { R"sql(revoke select on t from u)sql", R"sql(REVOKE SELECT ON T FROM U)sql" },
        { R"sql(revoke dba from u)sql", R"sql(REVOKE DBA FROM U)sql" },
        { R"sql(create role r)sql", R"sql(CREATE ROLE R)sql" },
        { R"sql(drop role r)sql", R"sql(DROP ROLE R)sql" },
        { R"sql(drop procedure p)sql", R"sql(DROP PROCEDURE P)sql" },
        { R"sql(drop package body pk)sql", R"sql(DROP PACKAGE BODY PK)sql" },
        { R"sql(create table t (a number default -1, b varchar2(10 byte) constraint nn_b not null, c timestamp(6) with time zone, d double precision, e long raw))sql",
            R"sql(CREATE TABLE T (A NUMBER DEFAULT (-1), B VARCHAR2(10 BYTE) CONSTRAINT NN_B NOT NULL, C TIMESTAMP(6) WITH TIME ZONE, D DOUBLE PRECISION, E LONG RAW))sql" },
        { R"sql(create table t (a number primary key using index (create unique index i on t (a))))sql",
            R"sql(CREATE TABLE T (A NUMBER PRIMARY KEY using index (create unique index i on t (a))))sql" },
        { R"sql(alter table t add (constraint t_pk primary key (a), b number))sql",
            R"sql(ALTER TABLE T ADD (B NUMBER) ADD CONSTRAINT T_PK PRIMARY KEY (A))sql" },
        { R"sql(alter table t enable validate unique (a, b))sql",
            R"sql(ALTER TABLE T ENABLE VALIDATE UNIQUE (A, B))sql" },
        { R"sql(alter table t disable constraint c1 keep index)sql",
            R"sql(ALTER TABLE T DISABLE CONSTRAINT C1 KEEP INDEX)sql" },
        { R"sql(alter table t move tablespace users)sql", R"sql(ALTER TABLE T move tablespace users)sql" },
        { R"sql(create bitmap index bi on t (a))sql", R"sql(CREATE BITMAP INDEX BI ON T (A))sql" },
        { R"sql(alter index i rename to j)sql", R"sql(ALTER INDEX I RENAME TO J)sql" },
        { R"sql(create sequence s)sql", R"sql(CREATE SEQUENCE S)sql" },
        { R"sql(grant execute on voxa.pkg to bildor)sql", R"sql(GRANT EXECUTE ON VOXA.PKG TO BILDOR)sql" },
        { R"sql(revoke update on t from public cascade constraints)sql",
            R"sql(REVOKE UPDATE ON T FROM PUBLIC CASCADE CONSTRAINTS)sql" },
        { R"sql(alter user u default role all)sql", R"sql(ALTER USER U DEFAULT ROLE ALL)sql" },
        { R"sql(alter user u quota 100k on users profile default password expire)sql",
            R"sql(ALTER USER U QUOTA 100K ON USERS PROFILE DEFAULT PASSWORD EXPIRE)sql" },
        { R"sql(create role r identified by pw)sql", R"sql(CREATE ROLE R IDENTIFIED BY PW)sql" },
        { R"sql(drop public database link l)sql", R"sql(DROP PUBLIC DATABASE LINK L)sql" },
        { R"sql(drop type body ty)sql", R"sql(DROP TYPE BODY TY)sql" },
    });
}

TEST(Parser, OffsetsPointAtFirstTokens)
{
    const std::string sql = "select a, t.b x from voxa.t t where c = :x";
    ParseResult r = parse(sql);
    const auto& s = statementAs<SelectStmt>(r);
    const auto* block = s.query->body->as<QueryBlock>();
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(block->items.size(), 2u);
    EXPECT_EQ(block->items[0].expr->offset, 7);
    EXPECT_EQ(block->items[1].offset, 10);
    // the heading of an expression is its text without the alias
    EXPECT_EQ(sql.substr(block->items[1].offset, block->items[1].endOffset - block->items[1].offset), "t.b");
    EXPECT_EQ(block->items[1].alias->offset, 14);
    const auto* table = block->from[0]->as<TableName>();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->offset, 21);
    EXPECT_EQ(table->name.schema->name, "VOXA");
    EXPECT_EQ(table->name.name.offset, 26);
    const auto* cmp = block->where->as<ComparisonExpr>();
    ASSERT_NE(cmp, nullptr);
    EXPECT_EQ(cmp->left->offset, 36);
    const auto* bind = cmp->right->as<BindExpr>();
    ASSERT_NE(bind, nullptr);
    EXPECT_EQ(bind->name, "X");
    EXPECT_EQ(bind->offset, 40);
    EXPECT_EQ(s.offset, 0);
    EXPECT_EQ(s.endOffset, static_cast<int>(sql.size()));
}

TEST(Parser, NamesFoldUnlessQuoted)
{
    ParseResult r = parse("select \"Mixed\".col, Voxa.\"t\".x from dual");
    const auto& s = statementAs<SelectStmt>(r);
    const auto* block = s.query->body->as<QueryBlock>();
    const auto* c1 = block->items[0].expr->as<ColumnRefExpr>();
    ASSERT_NE(c1, nullptr);
    EXPECT_EQ(c1->parts[0].name, "Mixed");
    EXPECT_TRUE(c1->parts[0].quoted);
    EXPECT_EQ(c1->column().name, "COL");
    EXPECT_FALSE(c1->column().quoted);
    const auto* c2 = block->items[1].expr->as<ColumnRefExpr>();
    ASSERT_EQ(c2->parts.size(), 3u);
    EXPECT_EQ(c2->parts[0].name, "VOXA");
    EXPECT_EQ(c2->parts[1].name, "t");
}

TEST(Parser, TextsKeptAsWritten)
{
    {
        // Oracle keeps a view's query text as written: the dictionary shows it so
        const std::string sql = "create or replace view v as select  a,b\n from t  where x = 'y' with read only";
        ParseResult r = parse(sql);
        const auto& v = statementAs<CreateViewStmt>(r);
        EXPECT_EQ(v.queryText, "select  a,b\n from t  where x = 'y'");
        EXPECT_EQ(v.queryOffset, 28);
        EXPECT_TRUE(v.withReadOnly);
    }
    {
        // SEARCH_CONDITION and DATA_DEFAULT hold the text between the parentheses / after DEFAULT
        ParseResult r = parse("create table t (a number default  sysdate - 1  check ( a>0 ), b date)");
        const auto& t = statementAs<CreateTableStmt>(r);
        ASSERT_EQ(t.columns.size(), 2u);
        EXPECT_EQ(t.columns[0].defaultText, "sysdate - 1");
        ASSERT_EQ(t.columns[0].constraints.size(), 1u);
        EXPECT_EQ(t.columns[0].constraints[0].checkText, "a>0");
        EXPECT_EQ(t.columns[0].constraints[0].type, ConstraintType::Check);
        EXPECT_TRUE(t.columns[0].constraints[0].inlineConstraint);
    }
    {
        ParseResult r = parse("select /*+ INDEX(t ix) */ a from t");
        const auto& s = statementAs<SelectStmt>(r);
        EXPECT_EQ(s.query->body->as<QueryBlock>()->hint, " INDEX(t ix) ");
    }
}

TEST(Parser, PlSqlIsRecognisedAndKeptWhole)
{
    struct Case {
        const char* sql;
        PlSqlStmt::Unit unit;
        const char* name;
        bool orReplace;
        const char* text;
    };
    const Case cases[] = {
        { "begin null; end;", PlSqlStmt::Unit::AnonymousBlock, "", false, "begin null; end;" },
        { "  declare x number; begin x := 1; end;\n", PlSqlStmt::Unit::AnonymousBlock, "", false,
            "declare x number; begin x := 1; end;" },
        { "create or replace procedure voxa.p(a number) is begin null; end;", PlSqlStmt::Unit::Procedure, "P", true,
            "create or replace procedure voxa.p(a number) is begin null; end;" },
        { "create function f return number is begin return 1; end;", PlSqlStmt::Unit::Function, "F", false,
            "create function f return number is begin return 1; end;" },
        { "create package pk as end;", PlSqlStmt::Unit::Package, "PK", false, "create package pk as end;" },
        { "CREATE OR REPLACE PACKAGE BODY pk AS END;", PlSqlStmt::Unit::PackageBody, "PK", true,
            "CREATE OR REPLACE PACKAGE BODY pk AS END;" },
        { "create trigger trg before insert on t begin null; end;", PlSqlStmt::Unit::Trigger, "TRG", false,
            "create trigger trg before insert on t begin null; end;" },
        { "create type ty as object (a number);", PlSqlStmt::Unit::Type, "TY", false,
            "create type ty as object (a number);" },
        // a unit is not checked here: its errors belong to the PL/SQL stage, so even broken text is kept
        { "begin 'unterminated", PlSqlStmt::Unit::AnonymousBlock, "", false, "begin 'unterminated" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        ParseResult r = parse(c.sql);
        const auto& p = statementAs<PlSqlStmt>(r);
        EXPECT_EQ(p.unit, c.unit);
        EXPECT_EQ(p.name ? p.name->name.name : std::string(), c.name);
        EXPECT_EQ(p.orReplace, c.orReplace);
        EXPECT_EQ(p.text, c.text);
        EXPECT_EQ(std::string(c.sql).substr(p.offset, p.endOffset - p.offset), c.text);
    }
}

TEST(Parser, StatementDetailsForLaterStages)
{
    {
        ParseResult r = parse("alter session set nls_date_format = 'DD.MM.YYYY' current_schema = voxa");
        const auto& a = statementAs<AlterSessionStmt>(r);
        ASSERT_EQ(a.settings.size(), 2u);
        EXPECT_EQ(a.settings[0].name.name, "NLS_DATE_FORMAT");
        EXPECT_EQ(a.settings[0].value, "DD.MM.YYYY");
        EXPECT_TRUE(a.settings[0].quoted);
        EXPECT_EQ(a.settings[1].value, "VOXA");
        EXPECT_FALSE(a.settings[1].quoted);
    }
    {
        ParseResult r = parse("insert into t (a, b) values (:a, default)");
        const auto& i = statementAs<InsertStmt>(r);
        ASSERT_EQ(i.values.size(), 2u);
        EXPECT_EQ(i.valueIsDefault, (std::vector<bool> { false, true }));
        EXPECT_EQ(i.values[1], nullptr);
    }
    {
        // the same bind may appear several times; each place is its own node
        ParseResult r = parse("select * from t where a = :v or b = :V");
        const auto& s = statementAs<SelectStmt>(r);
        const auto* orExpr = s.query->body->as<QueryBlock>()->where->as<BinaryExpr>();
        ASSERT_NE(orExpr, nullptr);
        EXPECT_EQ(orExpr->left->as<ComparisonExpr>()->right->as<BindExpr>()->name, "V");
        EXPECT_EQ(orExpr->right->as<ComparisonExpr>()->right->as<BindExpr>()->name, "V");
    }
    {
        ParseResult r = parse("create user scott identified by tiger quota 10M on users");
        const auto& u = statementAs<CreateUserStmt>(r);
        EXPECT_EQ(u.options.password, "TIGER");
        EXPECT_FALSE(u.options.passwordQuoted);
        ASSERT_EQ(u.options.quotas.size(), 1u);
        EXPECT_EQ(u.options.quotas[0].size, "10M");
    }
}

TEST(Parser, DeepButLegalNestingParses)
{
    // 90 nested scalar subqueries and a 900-term concatenation stay within the limits and dump fine
    std::string sql = "select ";
    for (int i = 0; i < 90; ++i)
        sql += "(select ";
    sql += "1 from dual";
    for (int i = 0; i < 90; ++i)
        sql += ") from dual";
    ParseResult r = parse(sql);
    ASSERT_TRUE(r.ok()) << r.error->message;
    EXPECT_FALSE(dumpStatement(*r.statement).empty());

    std::string concat = "select a";
    for (int i = 0; i < 899; ++i)
        concat += " || a";
    concat += " from t";
    ParseResult c = parse(concat);
    ASSERT_TRUE(c.ok()) << c.error->message;
    const auto* item = c.statement->as<SelectStmt>()->query->body->as<QueryBlock>()->items[0].expr.get();
    EXPECT_EQ(item->height, 900);
    EXPECT_LE(item->height, MaxTreeHeight);
}

} // namespace
