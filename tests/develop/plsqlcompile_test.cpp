// The PL/SQL editor's compile run apart from its window: how the text splits into blocks, which object a block
// creates, where a server error lands in the editor, and the run on a fresh demo database.
#include "db/query.h"
#include "develop/plsqlcompile.h"
#include "wstools_fixture.h"

#include <gtest/gtest.h>

namespace {

QStringList L(std::initializer_list<const char*> lines)
{
    QStringList out;
    for (const char* l : lines)
        out << QString::fromUtf8(l);
    return out;
}

} // namespace

TEST(PlsqlBlocks, SplitAtSlashLines)
{
    struct Case {
        const char* name;
        QStringList lines;
        std::vector<std::vector<int>> kept; // editor lines kept per block
        std::vector<int> first;
    };
    const std::vector<Case> cases = {
        { "no slash: one block", L({ "create a", "b" }), { { 0, 1 } }, { 0 } },
        { "final slash: an empty block follows", L({ "create a", "/" }), { { 0 }, {} }, { 0, 2 } },
        { "blank lines are not kept", L({ "", "create a", "  ", "b", "/", "", "c" }), { { 1, 3 }, { 6 } }, { 0, 5 } },
        { "a /* line stays in the block", L({ "a", "/* note */", "b" }), { { 0, 1, 2 } }, { 0 } },
        { "slash with text splits, its text is not sent", L({ "a", "/ rest", "b" }), { { 0 }, { 2 } }, { 0, 2 } },
        { "indented slash does not split", L({ "a", "  /", "b" }), { { 0, 1, 2 } }, { 0 } },
        { "two slashes in a row", L({ "a", "/", "/", "b" }), { { 0 }, {}, { 3 } }, { 0, 2, 3 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QVector<develop::CompileBlock> blocks = develop::splitCompileBlocks(c.lines);
        ASSERT_EQ(blocks.size(), qsizetype(c.kept.size()));
        for (size_t i = 0; i < c.kept.size(); ++i) {
            EXPECT_EQ(std::vector<int>(blocks[i].keptLines.begin(), blocks[i].keptLines.end()), c.kept[i]);
            EXPECT_EQ(blocks[i].firstLine, c.first[i]);
        }
    }
}

TEST(PlsqlBlocks, TextEndsLinesWithCrLfAndDropsAPlainStatementsSemicolon)
{
    const auto blocks = develop::splitCompileBlocks(L({ "grant select on t to x;", "/", "create procedure p is",
        "begin", "  null;", "end;", "/" }));
    ASSERT_EQ(blocks.size(), 3);
    EXPECT_EQ(blocks[0].text, QStringLiteral("grant select on t to x\r\n"));
    EXPECT_EQ(blocks[1].text, QStringLiteral("create procedure p is\r\nbegin\r\n  null;\r\nend;\r\n"));
}

TEST(PlsqlBlocks, ObjectOfTheStatement)
{
    struct Case {
        const char* name;
        QStringList lines;
        bool found;
        const char* owner;
        const char* objectName;
        const char* type;
        int anchorLine;
        int anchorColumn;
    };
    const std::vector<Case> cases = {
        { "package body with owner", L({ "CREATE OR REPLACE PACKAGE BODY VOXA.PCK_A IS" }), true, "VOXA", "PCK_A",
            "PACKAGE BODY", 0, 19 },
        { "package without owner, lower case", L({ "create or replace package pck_b as" }), true, "", "PCK_B",
            "PACKAGE", 0, 19 },
        { "package named BODY", L({ "create package body is" }), true, "", "BODY", "PACKAGE", 0, 8 },
        { "comment lines before, type on its own line",
            L({ "-- version 1.2 of VOXA.X", "/* header */ create or replace", "  procedure \"Voxa\".\"p.q\"(a number) is" }),
            true, "Voxa", "p.q", "PROCEDURE", 2, 3 },
        { "function", L({ "CREATE FUNCTION bildor.f RETURN NUMBER IS" }), true, "BILDOR", "F", "FUNCTION", 0, 8 },
        { "editionable", L({ "create or replace editionable procedure p is" }), true, "", "P", "PROCEDURE", 0, 31 },
        { "force view", L({ "create or replace force view v_x as select 1 x from dual" }), true, "", "V_X", "VIEW", 0,
            25 },
        { "trigger counts from its DECLARE",
            L({ "create or replace trigger voxa.trg before insert on voxa.orders", "for each row",
                "declare", "  n number;", "begin", "  null;", "end;" }),
            true, "VOXA", "TRG", "TRIGGER", 2, 1 },
        { "trigger counts from its BEGIN", L({ "create trigger t after delete on x begin", "null; end;" }), true, "", "T",
            "TRIGGER", 0, 36 },
        { "a BEGIN in a comment or string of the header is not the body",
            L({ "create trigger t before update on x -- begin", "when (new.a = 'begin')", "  BEGIN null; end;" }), true,
            "", "T", "TRIGGER", 2, 3 },
        { "table", L({ "create table t (a number)" }), false, "", "", "", 0, 0 },
        { "grant", L({ "grant select on t to x" }), false, "", "", "", 0, 0 },
        { "anonymous block", L({ "begin null; end;" }), false, "", "", "", 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<develop::CompiledObject> o = develop::compiledObjectOf(c.lines);
        ASSERT_EQ(o.has_value(), c.found);
        if (!o)
            continue;
        EXPECT_EQ(o->owner, QString::fromUtf8(c.owner));
        EXPECT_EQ(o->name, QString::fromUtf8(c.objectName));
        EXPECT_EQ(o->type, QString::fromUtf8(c.type));
        EXPECT_EQ(o->anchorLine, c.anchorLine);
        EXPECT_EQ(o->anchorColumn, c.anchorColumn);
    }
}

TEST(PlsqlBlocks, ErrorPlaceInTheEditor)
{
    // Editor lines: 0 blank, 1 header, 2 blank, 3 "IS", 4 blank, 5 blank, 6 "  x := 1;", 7 "/", 8 header of block 2.
    const QStringList lines = L({ "", "CREATE OR REPLACE PROCEDURE P IS BEGIN", "", "  y NUMBER;", "", "",
        "  x := 1;", "/", "  CREATE PROCEDURE Q IS BEGIN z := 1; END;" });
    const auto blocks = develop::splitCompileBlocks(lines);
    ASSERT_EQ(blocks.size(), 2);
    const auto p = develop::compiledObjectOf(blocks[0].kept);
    const auto q = develop::compiledObjectOf(blocks[1].kept);
    ASSERT_TRUE(p && q);
    struct Case {
        const char* name;
        const develop::CompileBlock* block;
        const develop::CompiledObject* object;
        int serverLine, serverPosition, line, column;
    };
    const std::vector<Case> cases = {
        { "line 1 counts from the type word", &blocks[0], &*p, 1, 21, 2, 39 },
        { "third kept line after blank lines", &blocks[0], &*p, 3, 3, 7, 3 },
        { "second block after the slash line, indented header", &blocks[1], &*q, 1, 25, 9, 34 },
        { "line 0 (a view's error) on the anchor", &blocks[0], &*p, 0, 0, 2, 19 },
        { "past the block on its last line", &blocks[0], &*p, 9, 4, 7, 4 },
        { "position 0 is column 1", &blocks[0], &*p, 2, 0, 4, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const develop::EditorPoint e = develop::errorPlace(*c.block, *c.object, c.serverLine, c.serverPosition);
        EXPECT_EQ(e.line, c.line);
        EXPECT_EQ(e.column, c.column);
    }
}

TEST(PlsqlBlocks, ColumnsMapBackOverASubstitutedName)
{
    struct Case {
        const char* name;
        const char* editor;
        const char* substituted;
        int column;
        int expected;
    };
    const std::vector<Case> cases = {
        { "same line", "  x := 1;", "  x := 1;", 3, 3 },
        { "before the name", "select a from voxa.t;", "select a from vzas1.t;", 8, 8 },
        { "after a longer name", "from voxa.t where b = 1", "from vzas1.t where b = 1", 20, 19 },
        { "inside the name", "from voxa.t", "from vzas1.t", 8, 7 },
        { "after a shorter name", "from bildor.t x", "from bz.t x", 11, 15 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(develop::originalColumn(QString::fromUtf8(c.editor), QString::fromUtf8(c.substituted), c.column),
            c.expected);
    }
}

TEST(PlsqlBlocks, QuotedIdentifiers)
{
    EXPECT_EQ(develop::quoteIdentifier(QStringLiteral("PCK_A")), QStringLiteral("PCK_A"));
    EXPECT_EQ(develop::quoteIdentifier(QStringLiteral("A$B#1")), QStringLiteral("A$B#1"));
    EXPECT_EQ(develop::quoteIdentifier(QStringLiteral("Mixed")), QStringLiteral("\"Mixed\""));
    EXPECT_EQ(develop::quoteIdentifier(QStringLiteral("1ST")), QStringLiteral("\"1ST\""));
    EXPECT_EQ(develop::quoteIdentifier(QStringLiteral("A B")), QStringLiteral("\"A B\""));
    EXPECT_EQ(develop::quoteIdentifier(QStringLiteral("A\"B")), QStringLiteral("\"A\"\"B\""));
}

TEST(PlsqlBlocks, ErrorListHoldsAHundred)
{
    develop::CompileErrorList list;
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(list.add({ QStringLiteral("P"), i + 1, 1, QStringLiteral("e") }));
    EXPECT_TRUE(list.full());
    EXPECT_FALSE(list.add({ QStringLiteral("P"), 101, 1, QStringLiteral("e") }));
    EXPECT_EQ(list.size(), 100);
    EXPECT_EQ(list.at(99).vrsta, 100);
}

// ---- the run on the demo database

namespace {

class CompileRun : public wstest::DemoSessionTest {
protected:
    develop::CompileOutcome compile(const QStringList& lines, const QString& schema = QStringLiteral("VOXA"))
    {
        errors.clear();
        develop::CompileHooks hooks;
        hooks.refused = [this](const develop::CompileBlock& block, const db::OracleError& e) {
            refused << QStringLiteral("%1: %2").arg(block.firstLine).arg(e.message());
        };
        return develop::compileLines(*session, lines, lines, schema, errors, hooks);
    }
    QStringList places() const
    {
        QStringList out;
        for (int i = 0; i < errors.size(); ++i)
            out << QStringLiteral("%1 %2:%3").arg(errors.at(i).objekt).arg(errors.at(i).vrsta).arg(errors.at(i).kolona);
        return out;
    }
    develop::CompileErrorList errors;
    QStringList refused;
};

} // namespace

TEST_F(CompileRun, ErrorsOfEveryBlockLandOnTheirEditorLines)
{
    const QStringList lines = L({
        "CREATE OR REPLACE PACKAGE voxa.pck_t1 IS", // 1
        "  PROCEDURE a;", // 2
        "END;", // 3
        "/", // 4
        "CREATE OR REPLACE PACKAGE BODY voxa.pck_t1 IS", // 5
        "", // 6
        "  PROCEDURE a IS", // 7
        "", // 8
        "", // 9
        "  BEGIN", // 10
        "    x := 1;", // 11
        "  END;", // 12
        "END;", // 13
        "/", // 14
        "CREATE OR REPLACE PACKAGE pck_t2 IS", // 15
        "  v NUMBER := nosuch;", // 16
        "END;", // 17
        "/", // 18
    });
    const develop::CompileOutcome outcome = compile(lines);
    EXPECT_EQ(outcome.sent, 3);
    EXPECT_EQ(outcome.refused, 0);
    EXPECT_EQ(places(),
        QStringList({ "PCK_T1 11:5", "PCK_T1 11:5", "PCK_T2 16:15", "PCK_T2 16:3" }));
    EXPECT_EQ(errors.at(0).napaka, QStringLiteral("PLS-00201: identifier 'X' must be declared"));
    EXPECT_TRUE(refused.isEmpty());
}

TEST_F(CompileRun, TriggerErrorsCountFromItsBody)
{
    const QStringList lines = L({ "create or replace trigger voxa.trg_t before insert on voxa.orders",
        "for each row", "", "declare", "  n number;", "begin", "  zz := 1;", "end;", "/" });
    compile(lines);
    ASSERT_GE(errors.size(), 1);
    EXPECT_EQ(places().first(), QStringLiteral("TRG_T 7:3"));
}

TEST_F(CompileRun, ARefusedBlockIsReportedAndTheRunGoesOn)
{
    const QStringList lines = L({ "create table voxa.orders (a number);", "/",
        "create or replace procedure voxa.p_ok is begin null; end;", "/" });
    const develop::CompileOutcome outcome = compile(lines);
    EXPECT_EQ(outcome.sent, 2);
    EXPECT_EQ(outcome.refused, 1);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused.first().startsWith(QStringLiteral("0: ORA-00955"))) << refused.first().toStdString();
    EXPECT_EQ(errors.size(), 0);
    EXPECT_EQ(column(*session, QStringLiteral("select status from all_objects where object_name='P_OK'")),
        QStringList({ "VALID" }));
}

TEST_F(CompileRun, ErrorsOfOtherObjectsAndSchemasAreNotMixedIn)
{
    // The demo's invalid unit is changed at no time here: its errors never join the run's list.
    const develop::CompileOutcome outcome
        = compile(L({ "create or replace procedure p_clean is begin null; end;" }), QStringLiteral("VOXA"));
    EXPECT_EQ(outcome.sent, 1);
    EXPECT_EQ(errors.size(), 0);
    // An unqualified name is looked up in the current schema the caller gives.
    compile(L({ "create or replace procedure p_bad is begin q := 1; end;" }), QStringLiteral("VOXA"));
    EXPECT_EQ(places(), QStringList({ "P_BAD 1:44", "P_BAD 1:44" }));
}

TEST_F(CompileRun, AViewWithErrorsIsAnErrorOfItsOwn)
{
    compile(L({ "create or replace force view voxa.v_bad as select * from voxa.nosuch" }));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors.at(0).objekt, QStringLiteral("V_BAD"));
    EXPECT_EQ(errors.at(0).vrsta, 1);
    EXPECT_TRUE(errors.at(0).napaka.contains(QStringLiteral("24344")));
}

TEST_F(CompileRun, TheListStopsAtAHundred)
{
    QStringList lines = { QStringLiteral("create or replace procedure voxa.p_many is begin") };
    for (int i = 0; i < 70; ++i)
        lines << QStringLiteral("  v%1 := 1;").arg(i);
    lines << QStringLiteral("end;");
    compile(lines);
    EXPECT_EQ(errors.size(), 100);
    EXPECT_EQ(errors.at(0).vrsta, 2);
}
