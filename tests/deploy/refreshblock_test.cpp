// The table refresh's block as text: the checks before it is built, the fragments made from the key and the
// columns, and the lines each option adds or changes.
#include "deploy/refreshblock.h"
#include "printers.h"

#include <gtest/gtest.h>

namespace {

using deploy::RefreshColumn;
using deploy::RefreshDefinition;

RefreshDefinition definition(const QStringList& columns, const QStringList& marked = {})
{
    RefreshDefinition d;
    d.sourceOwner = QStringLiteral("VOXA");
    d.sourceTable = QStringLiteral("T");
    d.destOwner = QStringLiteral("BILDOR");
    d.destTable = QStringLiteral("T");
    d.keyItems = { QStringLiteral("ID NUMBER") };
    for (const QString& c : columns)
        d.columns << RefreshColumn { c, marked.contains(c) };
    return d;
}

QStringList block(const RefreshDefinition& d, bool pipe = true)
{
    deploy::RefreshBlockOptions o;
    o.usePipe = pipe;
    return deploy::buildRefreshBlock(d, o);
}

// The lines from the one that begins with `first` up to (not including) the one that begins with `end`.
QStringList section(const QStringList& lines, const QString& first, const QString& end)
{
    QStringList out;
    bool in = false;
    for (const QString& l : lines) {
        if (!in && l.startsWith(first))
            in = true;
        else if (in && l.startsWith(end))
            break;
        if (in)
            out << l;
    }
    return out;
}

TEST(RefreshBlockChecks, MessagesInsteadOfABlock)
{
    struct Case {
        const char* name;
        std::function<void(RefreshDefinition&)> change;
        bool same;
        QStringList messages;
    };
    const QString noKey = QStringLiteral("Primary key on destination table is missing");
    const std::vector<Case> cases = {
        { "complete", [](RefreshDefinition&) {}, false, {} },
        { "no key", [](RefreshDefinition& d) { d.keyItems.clear(); }, false,
            { noKey, QStringLiteral("Data is Missing !") } },
        { "no key, same table", [](RefreshDefinition& d) { d.keyItems.clear(); }, true,
            { noKey, QStringLiteral("Same tables!") } },
        { "same table", [](RefreshDefinition&) {}, true, { QStringLiteral("Same tables!") } },
        { "no source owner", [](RefreshDefinition& d) { d.sourceOwner.clear(); }, false,
            { QStringLiteral("Data is Missing !") } },
        { "no destination table, names equal otherwise", [](RefreshDefinition& d) { d.destTable.clear(); }, true,
            { QStringLiteral("Data is Missing !") } },
        { "a quote in a name", [](RefreshDefinition& d) { d.destTable = QStringLiteral("T\" OR 1=1"); }, false,
            { QStringLiteral("Name is not valid: T\" OR 1=1") } },
        { "a link that is no name", [](RefreshDefinition& d) { d.dbLink = QStringLiteral("L; DROP"); }, false,
            { QStringLiteral("Database link name is not valid: L; DROP") } },
        { "a link with its domain", [](RefreshDefinition& d) { d.dbLink = QStringLiteral("VEXOAUDT.WORLD"); }, false,
            {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RefreshDefinition d = definition({ QStringLiteral("ID") });
        c.change(d);
        EXPECT_EQ(deploy::refreshInputProblems(d, c.same), c.messages);
    }
}

TEST(RefreshBlockText, KeyFragments)
{
    struct Case {
        const char* name;
        QStringList key;
        QString cursorLine, whereLine, insertError;
    };
    const std::vector<Case> cases = {
        { "one NUMBER column", { "ID NUMBER" }, " CURSOR cOrig(sUnique1 NUMBER) is select * from \"BILDOR\".\"T\"",
            "    where \"ID\"=sUnique1 for update;", "substr(to_char(rS.\"ID\")||chr(13)" },
        { "VARCHAR2 and DATE", { "CODE VARCHAR2", "AT DATE" },
            " CURSOR cOrig(sUnique1 VARCHAR2,sUnique2 DATE) is select * from \"BILDOR\".\"T\"",
            "    where \"CODE\"=sUnique1 and \"AT\"=sUnique2 for update;",
            "substr(rS.\"CODE\"||'  '||to_char(rS.\"AT\")||chr(13)" },
        { "constrained types lose their brackets", { "CODE VARCHAR2(10)", "AT TIMESTAMP(6) WITH TIME ZONE" },
            " CURSOR cOrig(sUnique1 VARCHAR2,sUnique2 TIMESTAMP WITH TIME ZONE) is select * from \"BILDOR\".\"T\"",
            "    where \"CODE\"=sUnique1 and \"AT\"=sUnique2 for update;", "substr(rS.\"CODE\"||'  '||to_char(" },
        { "CHAR is text", { "FLAG CHAR" }, " CURSOR cOrig(sUnique1 CHAR) is select * from \"BILDOR\".\"T\"",
            "    where \"FLAG\"=sUnique1 for update;", "substr(rS.\"FLAG\"||chr(13)" },
        { "a tenth column numbers on",
            { "A NUMBER", "B NUMBER", "C NUMBER", "D NUMBER", "E NUMBER", "F NUMBER", "G NUMBER", "H NUMBER",
                "I NUMBER", "J NUMBER" },
            " CURSOR cOrig(sUnique1 NUMBER,sUnique2 NUMBER,sUnique3 NUMBER,sUnique4 NUMBER,sUnique5 NUMBER,sUnique6 "
            "NUMBER,sUnique7 NUMBER,sUnique8 NUMBER,sUnique9 NUMBER,sUnique10 NUMBER) is select * from "
            "\"BILDOR\".\"T\"",
            "    where \"A\"=sUnique1 and \"B\"=sUnique2 and \"C\"=sUnique3 and \"D\"=sUnique4 and \"E\"=sUnique5 and "
            "\"F\"=sUnique6 and \"G\"=sUnique7 and \"H\"=sUnique8 and \"I\"=sUnique9 and \"J\"=sUnique10 for update;",
            "substr(to_char(rS.\"A\")||'  '||to_char(rS.\"B\")" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RefreshDefinition d = definition({ QStringLiteral("ID") });
        d.keyItems = c.key;
        const QStringList l = block(d);
        EXPECT_EQ(l.at(3), c.cursorLine);
        EXPECT_EQ(l.at(4), c.whereLine);
        EXPECT_TRUE(l.join(QLatin1Char('\n')).contains(c.insertError));
    }
}

TEST(RefreshBlockText, BeginningWithAndWithoutLink)
{
    RefreshDefinition d = definition({ QStringLiteral("ID") });
    d.dbLink = QStringLiteral("vexoaudt");
    const QStringList l = block(d);
    EXPECT_EQ(l.at(0), QStringLiteral("DECLARE"));
    EXPECT_EQ(l.at(1), QStringLiteral("  CURSOR cPrava is select * from \"VOXA\".\"T\"@VEXOAUDT;"));
    EXPECT_EQ(l.at(2), QStringLiteral("  rS \"VOXA\".\"T\"@VEXOAUDT%ROWTYPE;"));
    EXPECT_EQ(l.at(5), QStringLiteral("  rD \"BILDOR\".\"T\"%ROWTYPE;"));
    EXPECT_EQ(l.at(6), QStringLiteral("  popr INTEGER:=0;"));
    EXPECT_TRUE(l.contains(QStringLiteral("  LOCK TABLE \"BILDOR\".\"T\" IN EXCLUSIVE MODE NOWAIT;")));
    EXPECT_EQ(l.last(), QStringLiteral("  END;"));
    EXPECT_TRUE(deploy::refreshBlockText(l).endsWith(QStringLiteral("  END;\r\n")));
}

TEST(RefreshBlockText, FoundBranch)
{
    struct Case {
        const char* name;
        QStringList columns, marked;
        bool update;
        QStringList branch; // from "    IF cOrig%FOUND THEN" up to "    ELSE "
    };
    const QString term = QStringLiteral("((rS.\"%1\"<> rD.\"%1\") or ( ( rS.\"%1\" is null or rD.\"%1\" is null) and "
                                        "not (rS.\"%1\" is null and rD.\"%1\" is null)) )");
    const std::vector<Case> cases = {
        { "nothing marked: every column but the audit ones, unconditionally",
            { "ID", "A", "DATUMIPL", "B", "USER_IPL" }, {}, true,
            { "    IF cOrig%FOUND THEN", "         popr:=popr+1;", "         update \"BILDOR\".\"T\" set ",
                "         \"ID\"=rS.\"ID\",\"A\"=rS.\"A\",\"B\"=rS.\"B\"", "         where current of cOrig;" } },
        { "two marked: guarded by both, only they are set", { "ID", "A", "B", "C" }, { "A", "B" }, true,
            { "    IF cOrig%FOUND THEN", "      IF " + term.arg("A"), "      or " + term.arg("B"),
                "             THEN", "         popr:=popr+1;", "         update \"BILDOR\".\"T\" set ",
                "         \"A\"=rS.\"A\",\"B\"=rS.\"B\"", "         where current of cOrig;", "      END if;  " } },
        { "updates off", { "ID", "A" }, { "A" }, false, { "    IF cOrig%FOUND THEN", "      null;" } },
        { "only an audit column marked: nothing to update", { "ID", "DATUMIPL" }, { "DATUMIPL" }, true,
            { "    IF cOrig%FOUND THEN", "      null;" } },
        { "four set columns break after the third", { "A", "B", "C", "D" }, {}, true,
            { "    IF cOrig%FOUND THEN", "         popr:=popr+1;", "         update \"BILDOR\".\"T\" set ",
                "         \"A\"=rS.\"A\",\"B\"=rS.\"B\",\"C\"=rS.\"C\"", "       ,\"D\"=rS.\"D\"",
                "         where current of cOrig;" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RefreshDefinition d = definition(c.columns, c.marked);
        d.update = c.update;
        const QStringList l = block(d);
        EXPECT_EQ(section(l, QStringLiteral("    IF cOrig%FOUND"), QStringLiteral("    ELSE ")), c.branch);
        EXPECT_EQ(l.contains(QStringLiteral("  dovoliUpdate BOOLEAN:=false;")), !c.update);
    }
}

TEST(RefreshBlockText, InsertLists)
{
    RefreshDefinition d = definition({ QStringLiteral("DATUMIPL"), QStringLiteral("ID"), QStringLiteral("A") });
    QStringList l = block(d);
    EXPECT_EQ(section(l, QStringLiteral("       INSERT INTO"), QStringLiteral("        ni:=ni+1;")),
        (QStringList { "       INSERT INTO \"BILDOR\".\"T\"", "              (\"DATUMIPL\",\"ID\",\"A\")",
            "    values ", "     (rS.\"DATUMIPL\",rS.\"ID\",rS.\"A\");" }));

    // Thirteen columns: one break, before the seventh column's separator, in both lists.
    QStringList cols;
    for (int i = 1; i <= 13; ++i)
        cols << QStringLiteral("C%1").arg(i);
    l = block(definition(cols));
    const QStringList insert = section(l, QStringLiteral("       INSERT INTO"), QStringLiteral("        ni:=ni+1;"));
    ASSERT_EQ(insert.size(), 6);
    EXPECT_EQ(insert.at(1),
        QStringLiteral("              (\"C1\",\"C2\",\"C3\",\"C4\",\"C5\",\"C6\""));
    EXPECT_EQ(insert.at(2), QStringLiteral("       ,\"C7\",\"C8\",\"C9\",\"C10\",\"C11\",\"C12\",\"C13\")"));
    EXPECT_EQ(insert.at(5), QStringLiteral("       ,rS.\"C7\",rS.\"C8\",rS.\"C9\",rS.\"C10\",rS.\"C11\",rS.\"C12\",rS.\"C13\");"));
}

TEST(RefreshBlockText, Sequence)
{
    RefreshDefinition d = definition({ QStringLiteral("ID"), QStringLiteral("NO"), QStringLiteral("A") });
    d.sequence = true;
    d.seqField = QStringLiteral("NO");
    d.seqName = QStringLiteral("S_T");
    QStringList l = block(d);
    EXPECT_TRUE(l.contains(QStringLiteral("    cursor cSeq is select \"BILDOR\".\"S_T\".nextval from dual;")));
    EXPECT_TRUE(l.contains(QStringLiteral("       iSeq:=f_getSequence;")));
    EXPECT_TRUE(l.contains(QStringLiteral("     (rS.\"ID\",iSeq,rS.\"A\");")));
    EXPECT_TRUE(l.contains(QStringLiteral("         \"ID\"=rS.\"ID\",\"A\"=rS.\"A\"")));

    // An owner given with the sequence stays; a key column never takes a new number.
    d.seqName = QStringLiteral("VOXA.S_T");
    EXPECT_TRUE(block(d).contains(QStringLiteral("    cursor cSeq is select \"VOXA\".\"S_T\".nextval from dual;")));
    d.seqField = QStringLiteral("ID");
    l = block(d);
    EXPECT_FALSE(l.join(QString()).contains(QStringLiteral("iSeq")));
    EXPECT_TRUE(l.contains(QStringLiteral("     (rS.\"ID\",rS.\"NO\",rS.\"A\");")));
}

TEST(RefreshBlockText, ProcedureAndDeletePass)
{
    RefreshDefinition d = definition({ QStringLiteral("ID") });
    d.procedure = true;
    d.procName = QStringLiteral("P_REF");
    d.del = true;
    QStringList l = block(d);
    EXPECT_EQ(l.first(), QStringLiteral("CREATE OR REPLACE PROCEDURE \"P_REF\" IS"));
    EXPECT_EQ(l.at(6), QStringLiteral(" CURSOR cOrigDelete is select * from \"BILDOR\".\"T\" for update;"));
    EXPECT_EQ(l.at(7),
        QStringLiteral(" CURSOR cPravaDelete(sUnique1 NUMBER) is select * from \"VOXA\".\"T\""));
    EXPECT_EQ(l.at(8), QStringLiteral("    where \"ID\"=sUnique1 for update;"));
    EXPECT_TRUE(l.contains(QStringLiteral("  -- DELETE")));
    EXPECT_TRUE(l.contains(QStringLiteral("        DELETE \"BILDOR\".\"T\" where current of cOrigDelete;")));
    EXPECT_TRUE(l.contains(QStringLiteral("    open cPravaDelete(rD.\"ID\");")));
    d.procName = QStringLiteral("VOXA.P_REF");
    EXPECT_EQ(block(d).first(), QStringLiteral("CREATE OR REPLACE PROCEDURE \"VOXA\".\"P_REF\" IS"));
    d.procName.clear();
    EXPECT_EQ(block(d).first(), QStringLiteral("DECLARE"));
}

TEST(RefreshBlockText, ReportingWithAndWithoutThePipe)
{
    RefreshDefinition d = definition({ QStringLiteral("ID") });
    d.del = true;
    deploy::RefreshBlockOptions o;
    o.pipeName = QStringLiteral("REFRESH$X");
    QStringList l = deploy::buildRefreshBlock(d, o);
    EXPECT_TRUE(l.contains(QStringLiteral("  Pipe:=dbms_pipe.create_pipe('REFRESH$X',20000,false);")));
    EXPECT_TRUE(l.contains(QStringLiteral("            sendtoPipe('REFRESH$X','# ?+'||replace(replace(substr(to_char("
                                          "rS.\"ID\")||chr(13)||chr(10)||'    '||SQLERRM,1,95),'\\','\\\\'),'?','\\q')"
                                          "||'?');")));
    EXPECT_TRUE(l.contains(QStringLiteral("       sendtoPipe('REFRESH$X',' ?S'||to_char(st)||'?D'||to_char(stDel)||'?');")));
    EXPECT_EQ(l.at(l.size() - 2),
        QStringLiteral("  sendtoPipe('REFRESH$X','#/?S'||to_char(st)||'?U'||to_char(popr)||'?I'||to_char(ni)||'?D'||"
                       "to_char(stDel)||'?');"));
    EXPECT_FALSE(l.join(QString()).contains(QStringLiteral("f_error")));

    d.saveErrors = false;
    l = block(d, false);
    EXPECT_FALSE(l.join(QString()).contains(QStringLiteral("sendtoPipe")));
    EXPECT_TRUE(l.contains(QStringLiteral("    dbms_output.put_line(type||'  '||cont);")));
    EXPECT_TRUE(l.contains(QStringLiteral("         f_error('DELETE',substr(to_char(rD.\"ID\")||'    '||SQLERRM,1,95));")));
    EXPECT_TRUE(l.at(l.size() - 3).startsWith(QStringLiteral("  dbms_output.put_line('BILDOR.T'||'  '||'ALL:'||")));
    EXPECT_TRUE(l.at(l.size() - 2).startsWith(QStringLiteral("  f_error('BILDOR.T','ALL:'|| to_char(st)")));
    d.saveErrors = true;
    EXPECT_TRUE(block(d, false).contains(
        QStringLiteral("    insert into vexo_util.vexo_err (error_type,error_cont) values (type,cont);")));
}

} // namespace
