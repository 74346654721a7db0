// Malformed statements: each gives Oracle's error code, Oracle's message text and the byte offset of the token
// Oracle reports (the worksheet puts the cursor there). Also the guards that keep any input from exhausting the
// parser: nesting and tree-height limits, and the limit of 1000 expressions in a list that Oracle enforces.
#include "engine/sql/parser.h"

#include <gtest/gtest.h>

#include <string>

using engine::sql::formatOraMessage;
using engine::sql::parse;
using engine::sql::ParseResult;

namespace {

struct MalformedCase {
    std::string sql;
    int code;
    int offset;
};

void checkErrors(const std::vector<MalformedCase>& cases)
{
    for (const MalformedCase& c : cases) {
        SCOPED_TRACE(c.sql.size() > 120 ? c.sql.substr(0, 120) + "..." : c.sql);
        ParseResult r = parse(c.sql);
        ASSERT_FALSE(r.ok());
        ASSERT_TRUE(r.error.has_value());
        EXPECT_EQ(r.error->code, c.code) << r.error->message;
        EXPECT_EQ(r.error->offset, c.offset) << r.error->message;
        // Oracle's text; ORA-03001 may go on to name the construct the engine does not run.
        if (c.code == 3001)
            EXPECT_EQ(r.error->message.rfind(formatOraMessage(c.code), 0), 0u) << r.error->message;
        else
            EXPECT_EQ(r.error->message, formatOraMessage(c.code)) << r.error->message;
        EXPECT_EQ(r.statement, nullptr);
    }
}

TEST(Malformed, OracleErrorAndPosition)
{
    checkErrors({
        // Oracle's server takes one statement without a terminator: a ';' after plain SQL is ORA-00911 at the ';'
        { "select * from dual;", 911, 18 },
        { "delete from t where a = 1;", 911, 25 },
        // Lexical errors, reported where the grammar reaches the bad token
        { "select 'abc from dual", 1756, 7 },
        { "select \"abc from dual", 1740, 7 },
        { "select ? from dual", 911, 7 },
        { "select * from t where a | b", 911, 24 },
        { "select aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa from dual", 972, 7 },
        // Queries: Oracle names the first token that cannot continue the statement
        { "selec * from t", 900, 0 },
        { "frobnicate", 900, 0 },
        { "select * from", 903, 13 },
        { "select * from select", 903, 14 },
        { "select 1", 923, 8 },
        { "select a b c from t", 923, 11 },
        { "select a, from t", 936, 10 },
        { "select from t", 936, 7 },
        { "select * from t where", 936, 21 },
        { "select * from t where a", 920, 23 },
        { "select * from t where a = 1 and", 936, 31 },
        { "select * from t order a", 924, 22 },
        { "select * from t group a", 924, 22 },
        { "select * from t order by", 936, 24 },
        { "select (1 from dual", 907, 10 },
        { "select f(1 from dual", 907, 11 },
        { "select 1 from dual where a = 1 b", 933, 31 },
        { "select * from t t2 t3", 933, 19 },
        { "select * from t as x", 933, 16 },
        { "select * from t where a in 1", 906, 27 },
        { "select * from t where a not 1", 920, 24 },
        { "select * from t where a is not 1", 908, 31 },
        { "select * from t where a between 1 or 2", 905, 34 },
        { "select * from t where 1", 920, 23 },
        { "select * from t where a = 1 or 2", 920, 32 },
        { "select a = 1 from t", 923, 9 },
        { "select * from t left join u", 905, 27 },
        { "select * from t join u using a", 906, 29 },
        { "select * from t start a = 1 connect by prior a = b", 970, 22 },
        { "select * from t connect prior a = b", 924, 24 },
        { "select case when a then 1 end from t", 920, 19 },
        { "select case a when 1 then 2 from t", 905, 28 },
        { "select * from t where exists select 1 from dual", 906, 29 },
        { "select 1 from dual union", 928, 24 },
        { "select 1 from dual union x", 928, 25 },
        { "(select 1 from dual order by 1) union select 2 from dual", 907, 29 },
        { "select * from t for update of f(a)", 1747, 30 },
        { "select date from dual", 936, 12 },
        { "select t.select from t", 1747, 9 },
        { "", 900, 0 },
        { "select 1 from dual where a in (select 1 from dual", 907, 49 },
        // DML and transaction control
        // a SQL*Plus "/" line is not part of the statement: the server sees a stray operator
        { "select * from dual\n/", 933, 19 },
        { "insert t values (1)", 925, 7 },
        { "insert into t (a b) values (1)", 917, 17 },
        { "insert into t (a) vals (1)", 926, 18 },
        { "insert into t values 1", 906, 21 },
        { "insert into t values (1 2)", 917, 24 },
        { "insert into t values (1", 917, 23 },
        { "insert into t", 926, 13 },
        { "update t a = 1", 971, 11 },
        { "update t set a 1", 927, 15 },
        { "update t set a = 1,", 921, 19 },
        { "update set a = 1", 903, 7 },
        { "delete from", 903, 11 },
        { "delete from t where", 936, 19 },
        { "lock t in share mode", 966, 5 },
        { "lock table t share mode", 969, 13 },
        { "lock table t in foo mode", 1737, 16 },
        { "lock table t in share", 1739, 21 },
        { "truncate t", 3290, 9 },
        { "truncate table t drop", 3291, 21 },
        { "commit foo", 2185, 7 },
        { "rollback foo", 2181, 9 },
        { "rollback to", 921, 11 },
        { "savepoint", 921, 9 },
        { "set foo", 922, 4 },
        { "set transaction foo", 922, 16 },
        { "alter session foo", 922, 14 },
        { "alter session set nls_date_format 'x'", 927, 34 },
        // DDL, accounts and privileges
        { "create foo", 901, 7 },
        { "create table t", 906, 14 },
        { "create table t (a varchar2)", 906, 26 },
        { "create table t (a foo)", 902, 18 },
        { "create table t (a number b number)", 907, 25 },
        { "create table t (select number)", 904, 16 },
        { "create table t (a varchar2(5000))", 910, 27 },
        { "create table t (a char(2001))", 910, 23 },
        { "create table t (a varchar2(0))", 1723, 27 },
        { "create table t (a number(39))", 1727, 25 },
        { "create table t (a number(5, 128))", 1728, 28 },
        { "create table t (a number primary)", 905, 32 },
        { "create table t (a number not)", 908, 28 },
        { "create table t (a number) foo", 922, 26 },
        { "create table t (a) ", 902, 16 },
        { "create table t (a number) as select 1 from dual", 1773, 18 },
        { "create or replace table t (a number)", 922, 18 },
        { "create table t (a number, constraint c foo)", 902, 39 },
        { "create table t (a number references)", 903, 35 },
        { "create index i t (a)", 969, 15 },
        { "create index i on t a", 906, 21 },
        { "create index i on t (a) foo", 2158, 24 },
        { "create sequence s increment 1", 924, 28 },
        { "create sequence s start 1", 970, 24 },
        { "create sequence s foo", 933, 18 },
        { "alter sequence s start with 1", 2283, 17 },
        { "create view v select 1 from dual", 905, 14 },
        { "create view v as update t set a = 1", 928, 17 },
        { "create view v as select 1 from dual with check", 994, 46 },
        { "create synonym s t", 905, 17 },
        { "drop foo", 950, 5 },
        { "drop table", 903, 10 },
        { "drop user", 921, 9 },
        { "alter foo", 940, 6 },
        { "alter table t foo", 1735, 14 },
        { "alter table t drop", 905, 18 },
        { "alter table t add", 921, 17 },
        { "alter table t modify", 921, 20 },
        { "alter table t rename a to b", 1735, 21 },
        { "comment on t is 'x'", 905, 11 },
        { "comment on table t 'x'", 905, 19 },
        { "comment on table t is x", 1780, 22 },
        { "comment on column c is 'x'", 1747, 18 },
        { "grant select on t u", 946, 18 },
        { "grant select on t to", 921, 20 },
        { "grant to u", 990, 6 },
        { "grant select on t to u with", 905, 27 },
        { "revoke select on t to u", 905, 19 },
        { "create user u", 954, 13 },
        { "create user u identified", 924, 24 },
        { "create user u identified by", 921, 27 },
        { "rename a b", 946, 9 },
        // Valid Oracle the engine does not run yet: refused, never half-done
        { "select * from t partition (p1)", 3001, 16 },
        { "select * from t as of timestamp sysdate", 3001, 16 },
        { "update (select a from t) set a = 1", 3001, 7 },
        { "delete from (select a from t)", 3001, 12 },
        { "with function f return number is begin return 1; end; select f from dual", 3001, 5 },
        { "merge into (select a from t) u using u on (1=1) when matched then update set a = 1", 3001, 11 },
        { "select * from t pivot xml (count(*) for a in (any))", 3001, 22 },
        { "select * from t model dimension by (a) measures (b) rules ()", 3001, 16 },
        { "select * from t sample (10)", 3001, 16 },
    });
}

TEST(Malformed, MessagesAreOraclesTexts)
{
    // the texts the worksheet shows, word for word
    EXPECT_EQ(parse("select * from dual;").error->message, "ORA-00911: invalid character");
    EXPECT_EQ(parse("select 1 from dual x y").error->message, "ORA-00933: SQL command not properly ended");
    EXPECT_EQ(parse("select * from t where").error->message, "ORA-00936: missing expression");
    EXPECT_EQ(parse("select 1").error->message, "ORA-00923: FROM keyword not found where expected");
    EXPECT_EQ(parse("select (1 from dual").error->message, "ORA-00907: missing right parenthesis");
    EXPECT_EQ(parse("create table t (a varchar2)").error->message, "ORA-00906: missing left parenthesis");
    EXPECT_EQ(parse("create table t (a foo)").error->message, "ORA-00902: invalid datatype");
    EXPECT_EQ(parse("select * from select").error->message, "ORA-00903: invalid table name");
    EXPECT_EQ(parse("insert into t (a b) values (1)").error->message, "ORA-00917: missing comma");
    EXPECT_EQ(parse("create table t (select number)").error->message, "ORA-00904: : invalid identifier");
    EXPECT_EQ(formatOraMessage(904, "FOO"), "ORA-00904: \"FOO\": invalid identifier");
    EXPECT_EQ(parse("select 'x from dual").error->message, "ORA-01756: quoted string not properly terminated");
    EXPECT_EQ(parse("create index i t (a)").error->message, "ORA-00969: missing ON keyword");
    EXPECT_EQ(parse("alter session foo").error->message, "ORA-00922: missing or invalid option");
    EXPECT_EQ(parse("insert into t (a) vals (1)").error->message, "ORA-00926: missing VALUES keyword");
    EXPECT_EQ(parse("update t set a 1").error->message, "ORA-00927: missing equal sign");
    EXPECT_EQ(parse("create view v as update t set a = 1").error->message, "ORA-00928: missing SELECT keyword");
    EXPECT_EQ(parse("alter table t add").error->message, "ORA-00921: unexpected end of SQL command");
    EXPECT_EQ(parse("select * from t join u x").error->message, "ORA-00905: missing keyword");
}

TEST(Malformed, LexicalErrorComesOnlyWhereTheGrammarReachesIt)
{
    // the statement is already wrong at FROM; Oracle reports that, not the bad character further on
    ParseResult r = parse("select from t where a = ?");
    EXPECT_EQ(r.error->code, 936);
    EXPECT_EQ(r.error->offset, 7);
    // a PL/SQL unit is kept whole for its own stage, whatever it holds
    EXPECT_TRUE(parse("begin x := ?; end;").ok());
}

TEST(Malformed, ListAndNestingLimits)
{
    auto inList = [](int n) {
        std::string s = "select * from t where a in (";
        for (int i = 0; i < n; ++i)
            s += (i ? "," : "") + std::to_string(i);
        return s + ")";
    };
    // Oracle allows 1000 expressions in a list and refuses the 1001st with ORA-01795
    EXPECT_TRUE(parse(inList(1000)).ok());
    const std::string tooMany = inList(1001);
    ParseResult r = parse(tooMany);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error->code, 1795);
    EXPECT_EQ(r.error->offset, static_cast<int>(tooMany.rfind(",1000") + 1));

    struct Case {
        const char* name;
        std::string sql;
        int code;
    };
    const std::string manyParens(100000, '(');
    std::string andChain = "select 1 from dual where a = 0";
    for (int i = 1; i < 1500; ++i)
        andChain += " and a = " + std::to_string(i);
    std::string unions = "select 1 from dual";
    for (int i = 0; i < 1200; ++i)
        unions += " union select 1 from dual";
    std::string joins = "select * from a";
    for (int i = 0; i < 1200; ++i)
        joins += " join a on 1 = 1";
    std::string minus; // "- - - ...": without blanks "--" would start a comment
    for (int i = 0; i < 5000; ++i)
        minus += "- ";
    std::string nots;
    for (int i = 0; i < 5000; ++i)
        nots += "not ";
    const Case cases[] = {
        // ORA-03095 is Oracle's own error for an expression nested too deeply
        { "100000 open parentheses", "select " + manyParens + "1 from dual", 3095 },
        { "100000 open parentheses at the start, no SELECT within reach", manyParens, 928 },
        { "nested inline views", "select * from " + manyParens, 3095 },
        { "a chain of 5000 signs", "select " + minus + "1 from dual", 3095 },
        { "a chain of 5000 NOTs", "select 1 from dual where " + nots + "1 = 1", 3095 },
        { "1500 conditions joined by AND", andChain, 3095 },
        { "1200 UNIONs", unions, 3095 },
        { "1200 joins", joins, 3095 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParseResult p = parse(c.sql);
        ASSERT_FALSE(p.ok());
        EXPECT_EQ(p.error->code, c.code) << p.error->message;
        if (c.code == 3095) {
            EXPECT_EQ(p.error->message.rfind("ORA-03095: expression level is too deep, maximum ", 0), 0u);
        }
    }
}

TEST(Malformed, NoCrashOnOddBytes)
{
    // control characters, NUL bytes and broken UTF-8 are errors, never a crash
    const std::string inputs[] = {
        std::string("select \0 from dual", 18),
        "select \x01 from dual",
        "select \xC3 from dual",
        "select 'a\0b' from dual",
        "\xFF\xFE",
        "((((((",
        "select * from t where a in (",
        "select case",
        "create table t (a number check (",
        "q'",
        "n'",
        ":",
        "\"",
    };
    for (const std::string& sql : inputs) {
        ParseResult r = parse(sql);
        if (!r.ok()) {
            ASSERT_TRUE(r.error.has_value());
            EXPECT_GE(r.error->offset, 0);
            EXPECT_LE(r.error->offset, static_cast<int>(sql.size()));
        }
    }
}

} // namespace
