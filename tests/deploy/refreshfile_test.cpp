// Refresh parameter files, the progress messages of the refresh block and the loop that reads them.
#include "deploy/refreshfile.h"
#include "deploy/refreshpipe.h"
#include "deploy/refreshrun.h"
#include "printers.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

TEST(RefreshFile, TablesEndAtHashLines)
{
    const QStringList lines = {
        "#two tables of the demo",
        "ownerd=voxa",
        "TABLED=ITEMS",
        "OWNERS=BILDOR",
        "TABLES=ITEMS_COPY",
        "UNIQUE=ORDER_ID NUMBER,LINE_NO NUMBER(4,0)",
        "FIELDS=QUANTITY,PRICE",
        "FIELDS=DISCOUNT",
        "COMMIT=TRUE",
        "UPDATE=false",
        "DELETE=TRUE",
        "SOMETHING=ELSE",
        "#next table",
        "",
        "DBLD=VEXOAUDT",
        "OWNERD=VEXO_AUDIT",
        "TABLED=AUD_ORDERS",
        "OWNERS=VOXA",
        "TABLES=AUD_ORDERS_COPY",
        "SEQUENCE=NOTE  ,   AUD_SEQ",
        "#",
        "OWNERD=VOXA",
        "TABLED=NEVER",
    };
    const deploy::RefreshFile f = deploy::readRefreshFile(lines);
    ASSERT_EQ(f.blocks.size(), 2);
    const deploy::RefreshFileBlock& a = f.blocks.at(0);
    EXPECT_EQ(a.firstLine, 2);
    EXPECT_EQ(a.endLine, 13);
    EXPECT_EQ(a.sourceOwner, QStringLiteral("VOXA"));
    EXPECT_EQ(a.sourceTable, QStringLiteral("ITEMS"));
    EXPECT_EQ(a.destOwner, QStringLiteral("BILDOR"));
    EXPECT_EQ(a.destTable, QStringLiteral("ITEMS_COPY"));
    EXPECT_TRUE(a.dbLink.isEmpty());
    ASSERT_TRUE(a.unique);
    EXPECT_EQ(*a.unique, (QStringList { "ORDER_ID NUMBER", "LINE_NO NUMBER(4,0)" }));
    EXPECT_EQ(a.fields, (QStringList { "QUANTITY", "PRICE", "DISCOUNT" }));
    EXPECT_EQ(a.commit, true);
    EXPECT_EQ(a.update, false);
    EXPECT_EQ(a.del, true);
    EXPECT_FALSE(a.sequence);

    // The empty line begins the second table; what it does not say stays unset (the window's default).
    const deploy::RefreshFileBlock& b = f.blocks.at(1);
    EXPECT_EQ(b.firstLine, 14);
    EXPECT_EQ(b.dbLink, QStringLiteral("VEXOAUDT"));
    EXPECT_EQ(b.sourceTable, QStringLiteral("AUD_ORDERS"));
    EXPECT_FALSE(b.update.has_value());
    EXPECT_FALSE(b.commit.has_value());
    EXPECT_FALSE(b.unique.has_value());
    EXPECT_TRUE(b.sequence);
    EXPECT_EQ(b.seqField, QStringLiteral("NOTE"));
    EXPECT_EQ(b.seqName, QStringLiteral("AUD_SEQ"));

    // The last table has no closing line: it is not among those to refresh.
    ASSERT_TRUE(f.unclosed);
    EXPECT_EQ(f.unclosed->sourceTable, QStringLiteral("NEVER"));
}

TEST(RefreshFile, KeyValues)
{
    struct Case {
        const char* line;
        std::function<void(const deploy::RefreshFileBlock&)> check;
    };
    const std::vector<Case> cases = {
        { "SEQUENCE=ID", [](const deploy::RefreshFileBlock& b) { EXPECT_FALSE(b.sequence); } },
        { "COMMIT=YES", [](const deploy::RefreshFileBlock& b) { EXPECT_EQ(b.commit, false); } },
        { "TABLES= T ", [](const deploy::RefreshFileBlock& b) { EXPECT_EQ(b.destTable, QStringLiteral(" T ")); } },
        { "TABLED=A=B", [](const deploy::RefreshFileBlock& b) { EXPECT_EQ(b.sourceTable, QStringLiteral("A=B")); } },
        { "NO EQUALS SIGN", [](const deploy::RefreshFileBlock& b) { EXPECT_TRUE(b.sourceTable.isEmpty()); } },
        { "UNIQUE=", [](const deploy::RefreshFileBlock& b) { EXPECT_EQ(b.unique, QStringList { QString() }); } },
        { "SEQUENCE=ID,", [](const deploy::RefreshFileBlock& b) {
             EXPECT_TRUE(b.sequence);
             EXPECT_TRUE(b.seqName.isEmpty());
         } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const deploy::RefreshFile f = deploy::readRefreshFile({ QString::fromLatin1(c.line), QStringLiteral("#") });
        ASSERT_EQ(f.blocks.size(), 1);
        c.check(f.blocks.first());
    }
    const QString longValue(300, QLatin1Char('X'));
    EXPECT_EQ(deploy::readRefreshFile({ "TABLED=" + longValue, "#" }).blocks.first().sourceTable.size(), 200);
    // Only comments: nothing to refresh.
    const deploy::RefreshFile comments = deploy::readRefreshFile({ "#a", "#b" });
    EXPECT_TRUE(comments.blocks.isEmpty());
    EXPECT_FALSE(comments.unclosed);
    EXPECT_EQ(deploy::splitRefreshList(QStringLiteral("A NUMBER(10,2),B DATE")),
        (QStringList { "A NUMBER(10,2)", "B DATE" }));
}

TEST(RefreshPipe, Messages)
{
    struct Case {
        const char* name;
        QString text;
        bool final;
        QList<deploy::RefreshPipeItem> items;
    };
    using I = deploy::RefreshPipeItem;
    const std::vector<Case> cases = {
        { "refresh progress", " ?S100?U5?I2?", false, { I { 'S', "100" }, I { 'U', "5" }, I { 'I', "2" } } },
        { "delete progress", " ?S300?D7?", false, { I { 'S', "300" }, I { 'D', "7" } } },
        { "final, its # taken off", "/?S250?U7?I3?D1?", true,
            { I { 'S', "250" }, I { 'U', "7" }, I { 'I', "3" }, I { 'D', "1" } } },
        { "failed insert, # taken off", " ?+1042\r\n    ORA-00001: unique constraint?", false,
            { I { '+', "1042\r\n    ORA-00001: unique constraint" } } },
        { "failed delete with its #", "# ?-7?", false, { I { '-', "7" } } },
        { "a ? in a key value is escaped", " ?+A\\qB\\\\C    ORA-1?", false, { I { '+', "A?B\\C    ORA-1" } } },
        { "empty", "", false, {} },
        { "no items", " ?", false, {} },
        { "unknown kind kept for the reader to skip", " ?X1?S2?", false, { I { 'X', "1" }, I { 'S', "2" } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const deploy::RefreshPipeMessage m = deploy::parsePipeMessage(c.text);
        EXPECT_EQ(m.final, c.final);
        EXPECT_EQ(m.items, c.items);
    }
    deploy::RefreshProgress p;
    for (const char* m : { " ?S100?U5?I2?", " ?+K1    ORA-00001?", " ?S300?D7?", "# ?-K2    ORA-02292?", " ?X9?" })
        p.apply(deploy::parsePipeMessage(QString::fromLatin1(m)));
    EXPECT_EQ(p.counter, QStringLiteral("300"));
    EXPECT_EQ(p.updated, QStringLiteral("5"));
    EXPECT_EQ(p.inserted, QStringLiteral("2"));
    EXPECT_EQ(p.deleted, QStringLiteral("7"));
    EXPECT_EQ(p.errors,
        (QStringList { "ERROR ON INSERTING:   K1    ORA-00001", "ERROR ON DELETING:   K2    ORA-02292" }));
    EXPECT_FALSE(p.final);
}

// The reading loop against a scripted pipe and thread.
struct ScriptedRun {
    std::deque<std::optional<QString>> pipe; // what each read returns; empty text once it runs dry
    int endsAfterIdles = 0; // the thread ends after this many idle turns
    int idles = 0;
    int changes = 0;
    deploy::RefreshPipeIo io()
    {
        deploy::RefreshPipeIo io;
        io.read = [this]() -> std::optional<QString> {
            if (pipe.empty())
                return QString();
            auto m = pipe.front();
            pipe.pop_front();
            return m;
        };
        io.threadEnded = [this] { return idles >= endsAfterIdles; };
        io.idle = [this] { ++idles; };
        io.changed = [this] { ++changes; };
        return io;
    }
};

TEST(RefreshPipeReader, EndsWithTheThread)
{
    struct Case {
        const char* name;
        std::deque<std::optional<QString>> pipe;
        int endsAfterIdles;
        bool readable;
        QString counter;
        bool final;
    };
    const std::vector<Case> cases = {
        { "progress then the final message", { "", " ?S100?U1?I0?", "/?S150?U2?I1?D0?" }, 3, true, "150", true },
        { "no final message (a procedure was created)", {}, 2, true, "", false },
        { "messages left behind the empty first one when the thread ended are still read",
            { "", " ?S100?U1?I0?", " ?S200?U1?I0?" }, 0, true, "200", false },
        { "the pipe cannot be read", { std::nullopt }, 4, false, "", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedRun run;
        run.pipe = c.pipe;
        run.endsAfterIdles = c.endsAfterIdles;
        deploy::RefreshProgress p;
        EXPECT_EQ(deploy::readRefreshPipe(run.io(), p), c.readable);
        EXPECT_EQ(p.counter, c.counter);
        EXPECT_EQ(p.final, c.final);
        EXPECT_GE(run.idles, c.endsAfterIdles);
    }
}

TEST(RefreshPipeReader, PipeNamesDiffer)
{
    const QString a = deploy::uniqueRefreshPipeName();
    const QString b = deploy::uniqueRefreshPipeName();
    EXPECT_NE(a, b);
    EXPECT_TRUE(a.startsWith(QStringLiteral("REFRESH$")));
    EXPECT_LE(a.size(), 128);
}

} // namespace
