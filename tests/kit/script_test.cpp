// The kit's script splitter: where statements end, what they keep, on which line they start, and the errors of a
// text that cannot be read whole.
#include "engine/kit/script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using engine::kit::ScriptStatement;
using engine::kit::splitScript;
using Kind = ScriptStatement::Kind;

namespace {

struct Expected {
    std::string text;
    int line;
    Kind kind;
};

struct SplitCase {
    const char* name;
    std::string script;
    std::vector<Expected> statements;
};

TEST(KitScript, SplitsStatements)
{
    const std::vector<SplitCase> cases = {
        { "semicolons at line ends", "create table t (a number);\ninsert into t values (1);\n",
            { { "create table t (a number)", 1, Kind::Sql }, { "insert into t values (1)", 2, Kind::Sql } } },
        { "a statement over several lines keeps its line breaks", "select 1\n  from dual\n where 1 = 1;",
            { { "select 1\n  from dual\n where 1 = 1", 1, Kind::Sql } } },
        { "a semicolon inside a line does not end the statement", "select 'a' from dual; -- end\nselect 2 from dual;\n",
            { { "select 'a' from dual", 1, Kind::Sql }, { "select 2 from dual", 2, Kind::Sql } } },
        { "blanks and CR before the line end", "select 1 from dual ;  \r\nselect 2 from dual;\r\n",
            { { "select 1 from dual", 1, Kind::Sql }, { "select 2 from dual", 2, Kind::Sql } } },
        { "quotes hold semicolons, line breaks and doubled quotes",
            "insert into t values ('a;\nb', 'it''s;');\nselect \"A;\" from t;",
            { { "insert into t values ('a;\nb', 'it''s;')", 1, Kind::Sql },
                { "select \"A;\" from t", 3, Kind::Sql } } },
        { "alternative quoting may hold single quotes", "select q'[it's;\n]', Nq'<a'>' from dual;\nselect 1 from dual;",
            { { "select q'[it's;\n]', Nq'<a'>' from dual", 1, Kind::Sql }, { "select 1 from dual", 3, Kind::Sql } } },
        { "a name ending in q before a quote is no alternative quoting",
            "select xnq'[' from dual;\nselect 2 from dual;",
            { { "select xnq'[' from dual", 1, Kind::Sql }, { "select 2 from dual", 2, Kind::Sql } } },
        { "comments between and inside statements",
            "-- header;\n/* block;\n comment */\nselect 1 /* ; */ from dual -- x;\n;\n",
            { { "select 1 /* ; */ from dual -- x;", 4, Kind::Sql } } },
        { "a slash line ends a SQL statement too", "select 1 from dual\n/\nselect 2 from dual;",
            { { "select 1 from dual", 1, Kind::Sql }, { "select 2 from dual", 3, Kind::Sql } } },
        { "a PL/SQL block ends only at its slash line", "begin\n  x := 1;\n  y := 2;\nend;\n/\nselect 1 from dual;",
            { { "begin\n  x := 1;\n  y := 2;\nend;", 1, Kind::PlSql }, { "select 1 from dual", 6, Kind::Sql } } },
        { "stored units are PL/SQL in every form of CREATE",
            "create or replace package body p is\nend;\n/\n"
            "CREATE EDITIONABLE TRIGGER t before insert on x begin null; end;\n /  \n"
            "create function f return number is begin return 1; end;\n/\n",
            { { "create or replace package body p is\nend;", 1, Kind::PlSql },
                { "CREATE EDITIONABLE TRIGGER t before insert on x begin null; end;", 4, Kind::PlSql },
                { "create function f return number is begin return 1; end;", 6, Kind::PlSql } } },
        { "DECLARE and a label start blocks",
            "declare\n  a number;\nbegin\n  null;\nend;\n/\n<<l>>\nbegin null; end;\n/",
            { { "declare\n  a number;\nbegin\n  null;\nend;", 1, Kind::PlSql },
                { "<<l>>\nbegin null; end;", 7, Kind::PlSql } } },
        { "a slash inside a block's comment or text is no end", "begin\n/* \n/\n*/\n  x := '\n/\n';\nend;\n/",
            { { "begin\n/* \n/\n*/\n  x := '\n/\n';\nend;", 1, Kind::PlSql } } },
        { "CREATE TABLE and CREATE VIEW stay SQL", "create view v as select 1 a from dual;\ncreate table t (a number);",
            { { "create view v as select 1 a from dual", 1, Kind::Sql },
                { "create table t (a number)", 2, Kind::Sql } } },
        { "CONNECT takes its line", "CONNECT voxa/secret;\nselect user from dual;\nconnect a/b\n",
            { { "voxa/secret", 1, Kind::Connect }, { "select user from dual", 2, Kind::Sql },
                { "a/b", 3, Kind::Connect } } },
        { "an empty text and a text of comments have no statements", "\n  -- nothing\n/* here */\n", {} },
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = splitScript(c.script);
        ASSERT_TRUE(r.ok()) << r.error << " at line " << r.errorLine;
        ASSERT_EQ(r.statements.size(), c.statements.size());
        for (size_t i = 0; i < c.statements.size(); ++i) {
            EXPECT_EQ(r.statements[i].text, c.statements[i].text);
            EXPECT_EQ(r.statements[i].line, c.statements[i].line);
            EXPECT_EQ(r.statements[i].kind, c.statements[i].kind);
        }
    }
}

struct ErrorCase {
    const char* name;
    std::string script;
    int line;
    std::string error;
};

TEST(KitScript, RefusesTextsItCannotReadWhole)
{
    const std::vector<ErrorCase> cases = {
        { "a last statement without its end", "select 1 from dual;\nselect 2\n  from dual", 2,
            "statement not ended by \";\" or a \"/\" line" },
        { "a block without its slash line", "select 1 from dual;\nbegin\n  null;\nend;\n", 2,
            "PL/SQL text not ended by a \"/\" line" },
        { "a quote left open", "select 1 from dual;\n\nselect 'abc;\nfrom dual;\n", 3, "quoted text not closed" },
        { "a quoted name left open", "select \"abc from dual;\n", 1, "quoted name not closed" },
        { "a comment left open", "select 1 from dual;\n/* never\nclosed;\n", 2,
            "comment not closed (\"/*\" without \"*/\")" },
        { "a slash that would run the last statement again", "create table t (a number);\n/\n", 2,
            "a \"/\" line with no statement before it" },
        { "CONNECT without a password", "connect voxa\n", 1, "CONNECT needs user/password" },
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = splitScript(c.script);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.errorLine, c.line);
    }
}

} // namespace
