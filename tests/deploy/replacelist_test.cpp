// The key-replacement generator's list file, candidate list and block as text.
#include "deploy/replacelist.h"
#include "printers.h"

#include <gtest/gtest.h>

namespace deploy {
inline void PrintTo(const ReplaceColumn& c, std::ostream* os)
{
    *os << c.owner.toStdString() << ' ' << c.table.toStdString() << ' ' << c.column.toStdString();
}
} // namespace deploy

namespace {

using deploy::ReplaceCandidate;
using deploy::ReplaceColumn;
using deploy::ReplaceKeyColumn;

TEST(ReplaceList, ListFileLines)
{
    struct Case {
        QString line;
        QChar sign;
        ReplaceColumn entry;
    };
    const std::vector<Case> cases = {
        { "-VOXA ORDERS CUSTOMER_ID", '-', { "VOXA", "ORDERS", "CUSTOMER_ID" } },
        { "+BILDOR   POSTINGS  ACCOUNT_ID  ", '+', { "BILDOR", "POSTINGS", "ACCOUNT_ID" } },
        { "+VOXA ITEMS ORDER_ID,LINE_NO", '+', { "VOXA", "ITEMS", "ORDER_ID,LINE_NO" } },
        { "xVOXA T", 'x', { "VOXA", "T", "" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        const deploy::ReplaceListLine l = deploy::splitListLine(c.line);
        EXPECT_EQ(l.sign, c.sign);
        EXPECT_EQ(l.entry, c.entry);
    }
    // Empty lines are no entries; a line with any other sign is a forced addition; exclusions are written first.
    const deploy::ReplaceLists lists
        = deploy::readReplaceList({ "+A T1 C", "", "   ", "-B T2 C", "*C T3 C", "-D T4 C" });
    EXPECT_EQ(lists.minus, (QList<ReplaceColumn> { { "B", "T2", "C" }, { "D", "T4", "C" } }));
    EXPECT_EQ(lists.plus, (QList<ReplaceColumn> { { "A", "T1", "C" }, { "C", "T3", "C" } }));
    deploy::ReplaceLists withEmpty = lists;
    withEmpty.plus << ReplaceColumn { "", "T9", "C" };
    EXPECT_EQ(deploy::writeReplaceList(withEmpty), (QStringList { "-B T2 C", "-D T4 C", "+A T1 C", "+C T3 C" }));
}

TEST(ReplaceList, TypeDeclarations)
{
    struct Case {
        ReplaceKeyColumn key;
        const char* declaration;
    };
    const std::vector<Case> cases = {
        { { "ID", "NUMBER", "6", "" }, "NUMBER(6)" },
        { { "ID", "NUMBER", "10", "0" }, "NUMBER(10)" },
        { { "AMT", "NUMBER", "12", "2" }, "NUMBER(12,2)" },
        { { "N", "NUMBER", "", "" }, "NUMBER" },
        { { "CODE", "VARCHAR2", "10", "" }, "VARCHAR2(10)" },
        { { "F", "CHAR", "1", "" }, "CHAR(1)" },
        { { "AT", "DATE", "7", "" }, "DATE" },
        { { "TS", "TIMESTAMP(6)", "11", "6" }, "TIMESTAMP(6)" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(deploy::typeDeclaration(c.key), QString::fromLatin1(c.declaration));
}

TEST(ReplaceList, Candidates)
{
    const QList<ReplaceKeyColumn> key = { { "CUSTOMER_ID", "NUMBER", "10", "0" } };
    const QList<ReplaceCandidate> rows = {
        { "BILDOR", "ACCOUNTS", "CUSTOMER_ID", "NUMBER", "10", "", 0 },
        { "BILDOR", "NOTES", "CUSTOMER_ID", "VARCHAR2", "10", "", 0 }, // another type
        { "BILDOR", "OLD", "CUSTOMER_ID", "NUMBER", "6", "", 0 }, // another precision
        { "VOXA", "CUSTOMERS", "CUSTOMER_ID", "NUMBER", "10", "", 0 }, // the table itself
        { "VOXA", "ORDERS", "CUSTOMER_ID", "NUMBER", "10", "", 0 },
        { "VOXA", "ORDERS", "CUSTOMER_ID", "NUMBER", "10", "ORDERS_CUSTOMERS_FK", 1 },
        { "VOXA", "SKIPPED", "CUSTOMER_ID", "NUMBER", "10", "SKIPPED_FK", 1 },
    };
    deploy::ReplaceLists lists;
    lists.minus << ReplaceColumn { "VOXA", "SKIPPED", "CUSTOMER_ID" };
    lists.plus << ReplaceColumn { "BLOB", "DOCS", "OWNER_ID" } << ReplaceColumn { "VOXA", "ORDERS", "CUSTOMER_ID" };
    EXPECT_EQ(deploy::buildReplaceList(key, "VOXA", "CUSTOMERS", rows, lists),
        (QList<ReplaceColumn> { { "BILDOR", "ACCOUNTS", "CUSTOMER_ID" }, { "VOXA", "ORDERS", "CUSTOMER_ID" },
            { "BLOB", "DOCS", "OWNER_ID" } }));
    // CHAR and VARCHAR2 keys accept each other.
    EXPECT_TRUE(deploy::acceptsKeyColumn({ "C", "CHAR", "5", "" }, "VARCHAR2", "5"));
    EXPECT_FALSE(deploy::acceptsKeyColumn({ "C", "VARCHAR2", "5", "" }, "NVARCHAR2", "5"));
    // Owners match whole names.
    EXPECT_EQ(deploy::ownersList("voxa", " bildor, VEXO_AUDIT ,"), QStringLiteral(",VOXA,BILDOR,VEXO_AUDIT,"));
}

TEST(ReplaceList, CompositeKey)
{
    const QList<ReplaceKeyColumn> key = { { "ORDER_ID", "NUMBER", "10", "0" }, { "LINE_NO", "NUMBER", "4", "0" } };
    const QList<ReplaceCandidate> rows = {
        // a foreign key whose columns are named otherwise, listed by position
        { "BILDOR", "NOTES", "LINE", "NUMBER", "4", "NOTES_FK", 2 },
        { "BILDOR", "NOTES", "ORD", "NUMBER", "10", "NOTES_FK", 1 },
        // a table with both columns by name
        { "BILDOR", "COPY", "LINE_NO", "NUMBER", "4", "", 0 },
        { "BILDOR", "COPY", "ORDER_ID", "NUMBER", "10", "", 0 },
        // a table with only one of them: it cannot hold the key
        { "BILDOR", "HALF", "ORDER_ID", "NUMBER", "10", "", 0 },
    };
    const QList<ReplaceColumn> list = deploy::buildReplaceList(key, "VOXA", "ITEMS", rows, {});
    EXPECT_EQ(list, (QList<ReplaceColumn> { { "BILDOR", "NOTES", "ORD,LINE" }, { "BILDOR", "COPY", "ORDER_ID,LINE_NO" } }));
    EXPECT_EQ(deploy::splitKeyValues(QStringLiteral(" 1004, 'A,B', TO_DATE('1,2')")),
        (QStringList { "1004", "'A,B'", "TO_DATE('1,2')" }));
    EXPECT_EQ(deploy::replaceBlock(key, { "1004", "2" }, { "1005", "1" }, list),
        (QStringList { "DECLARE", "  stariNiz1 NUMBER(10):=1004;", "  stariNiz2 NUMBER(4):=2;",
            "  noviNiz1 NUMBER(10):=1005;", "  noviNiz2 NUMBER(4):=1;", "BEGIN",
            "    update BILDOR.NOTES set ORD=NoviNiz1,LINE=NoviNiz2 where ORD=stariNiz1 and LINE=stariNiz2;",
            "    update BILDOR.COPY set ORDER_ID=NoviNiz1,LINE_NO=NoviNiz2 where ORDER_ID=stariNiz1 and LINE_NO=stariNiz2;",
            "END;" }));
}

TEST(ReplaceList, SingleKeyBlock)
{
    EXPECT_EQ(deploy::replaceBlock({ { "ID", "NUMBER", "6", "" } }, { "100" }, { "200" },
                  { { "VOXA", "ORDERS", "ID" }, { "BILDOR", "T", "REF_ID" } }),
        (QStringList { "DECLARE", "  stariNiz NUMBER(6):=100;", "  noviNiz  NUMBER(6):=200;", "BEGIN",
            "    update VOXA.ORDERS set ID=NoviNiz where ID=stariNiz;",
            "    update BILDOR.T set REF_ID=NoviNiz where REF_ID=stariNiz;", "END;" }));
    EXPECT_EQ(deploy::replaceBlock({ { "AT", "DATE", "7", "" } }, { "DATE '2024-01-01'" }, { "SYSDATE" }, {}).at(1),
        QStringLiteral("  stariNiz DATE:=DATE '2024-01-01';"));
}

} // namespace
