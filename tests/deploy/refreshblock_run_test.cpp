// The generated refresh block run on the demo database: with and without the progress pipe, from a copy in another
// schema and through VOXA's database link, it leaves the destination equal to the source, counts what it did,
// reports the rows it could not write and leaves the transaction to its caller.
#include "deploy/refreshblock.h"
#include "deploy/refreshpipe.h"
#include "deploy/refreshrun.h"
#include "demo_fixture.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using deploy::RefreshColumn;
using deploy::RefreshDefinition;

class RefreshBlockRun : public transfertest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        DemoDatabaseTest::SetUp();
        // BILDOR.ITEMS_COPY: VOXA's items with changed values, a value turned null, missing rows and extra rows.
        for (const char* sql : {
                 "CREATE TABLE BILDOR.ITEMS_COPY AS SELECT * FROM VOXA.ITEMS",
                 "ALTER TABLE BILDOR.ITEMS_COPY ADD CONSTRAINT ITEMS_COPY_PK PRIMARY KEY (ORDER_ID, LINE_NO)",
                 "UPDATE BILDOR.ITEMS_COPY SET QUANTITY = QUANTITY + 1 WHERE MOD(ORDER_ID, 10) = 3",
                 "UPDATE BILDOR.ITEMS_COPY SET DISCOUNT = NULL WHERE ORDER_ID = 1004",
                 "DELETE BILDOR.ITEMS_COPY WHERE MOD(ORDER_ID, 10) = 7",
                 "INSERT INTO BILDOR.ITEMS_COPY VALUES (5001, 1, 1, 1, 1, 0)",
                 "INSERT INTO BILDOR.ITEMS_COPY VALUES (5002, 1, 1, 1, 1, 0)",
                 "COMMIT",
             })
            run(*session, QString::fromLatin1(sql));
    }

    static RefreshDefinition itemsDefinition()
    {
        RefreshDefinition d;
        d.sourceOwner = QStringLiteral("VOXA");
        d.sourceTable = QStringLiteral("ITEMS");
        d.destOwner = QStringLiteral("BILDOR");
        d.destTable = QStringLiteral("ITEMS_COPY");
        d.keyItems = { QStringLiteral("ORDER_ID NUMBER"), QStringLiteral("LINE_NO NUMBER(4)") };
        for (const char* c : { "ORDER_ID", "LINE_NO", "PRODUCT_ID", "QUANTITY", "PRICE", "DISCOUNT" })
            d.columns << RefreshColumn { QString::fromLatin1(c), false };
        d.del = true;
        return d;
    }
    QStringList items(const QString& table)
    {
        return rows(*session, QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY ORDER_ID, LINE_NO"));
    }
    // Runs the block on the session, as the refresh window's thread does.
    void runBlock(const RefreshDefinition& d, bool pipe, const QString& pipeName = deploy::kRefreshPipe)
    {
        deploy::RefreshBlockOptions o;
        o.usePipe = pipe;
        o.pipeName = pipeName;
        run(*session, deploy::refreshBlockText(deploy::buildRefreshBlock(d, o)));
    }
    // Reads the pipe as the window does, on another session of the same user, after the block has run.
    deploy::RefreshProgress readProgress(const QString& pipeName)
    {
        auto reader = logOn("VOXA");
        deploy::RefreshPipeIo io;
        io.read = [&]() -> std::optional<QString> {
            db::Query q(reader.get());
            q.setSql(QStringLiteral("begin\n  readPipe(:pipe,0,:outniz);\nend;"));
            q.declareVariable(QStringLiteral("pipe"), db::BindType::String);
            q.setVariable(QStringLiteral("pipe"), pipeName);
            q.declareVariable(QStringLiteral("outniz"), db::BindType::String, db::BindDirection::Out);
            q.execute();
            return q.getVariable(QStringLiteral("outniz")).toString();
        };
        io.threadEnded = [] { return true; };
        io.idle = [] {};
        io.changed = [] {};
        deploy::RefreshProgress p;
        EXPECT_TRUE(deploy::readRefreshPipe(io, p));
        return p;
    }
};

// Oracle: the block without the pipe updates the changed rows, inserts the missing ones, deletes those the source
// lacks, writes one VEXO_ERR row per row it could not write and the summary, and leaves the transaction open.
TEST_F(RefreshBlockRun, CopyInAnotherSchemaWithoutPipe)
{
    // The copy refuses one order's rows, and another table's row holds on to an extra row.
    run(*session, QStringLiteral("ALTER TABLE BILDOR.ITEMS_COPY ADD CONSTRAINT ITEMS_COPY_CK CHECK (ORDER_ID <> 1017)"));
    run(*session, QStringLiteral("CREATE TABLE BILDOR.ITEMS_NOTE (ORDER_ID NUMBER, LINE_NO NUMBER, CONSTRAINT "
                                 "ITEMS_NOTE_FK FOREIGN KEY (ORDER_ID, LINE_NO) REFERENCES BILDOR.ITEMS_COPY)"));
    run(*session, QStringLiteral("INSERT INTO BILDOR.ITEMS_NOTE VALUES (5002, 1)"));
    run(*session, QStringLiteral("DELETE VEXO_UTIL.VEXO_ERR"));
    run(*session, QStringLiteral("COMMIT"));
    const QStringList before = items(QStringLiteral("BILDOR.ITEMS_COPY"));
    const int refused = value(*session, QStringLiteral("SELECT COUNT(*) FROM VOXA.ITEMS WHERE ORDER_ID = 1017")).toInt();
    ASSERT_GT(refused, 0);

    runBlock(itemsDefinition(), false);
    EXPECT_TRUE(session->inTransaction());
    QStringList expected = items(QStringLiteral("VOXA.ITEMS")).filter(QRegularExpression(QStringLiteral("^(?!1017\\|)")));
    expected << QStringLiteral("5002|1|1|1|1|0");
    EXPECT_EQ(items(QStringLiteral("BILDOR.ITEMS_COPY")), expected);

    const QStringList errors = rows(*session,
        QStringLiteral("SELECT ERROR_TYPE || ' ' || ERROR_CONT FROM VEXO_UTIL.VEXO_ERR ORDER BY ERROR_TYPE, ERROR_CONT"));
    ASSERT_EQ(errors.size(), refused + 2);
    EXPECT_TRUE(errors.at(0).startsWith(QStringLiteral("BILDOR.ITEMS_COPY ALL:")));
    EXPECT_TRUE(errors.at(0).endsWith(QStringLiteral("DELETED:1  ERRORS:%1").arg(refused + 1)));
    EXPECT_TRUE(errors.at(1).startsWith(QStringLiteral("DELETE 5002  1    ORA-02292")));
    EXPECT_TRUE(errors.at(2).startsWith(QStringLiteral("UNIQUE+ 1017  1    ORA-02290")));

    run(*session, QStringLiteral("ROLLBACK"));
    EXPECT_EQ(items(QStringLiteral("BILDOR.ITEMS_COPY")), before);
}

// The same refresh with the pipe: the reader sees progress every 100 rows, the final counts and the failed rows.
TEST_F(RefreshBlockRun, CopyInAnotherSchemaWithPipe)
{
    run(*session, QStringLiteral("ALTER TABLE BILDOR.ITEMS_COPY ADD CONSTRAINT ITEMS_COPY_CK CHECK (ORDER_ID <> 1017)"));
    const int source = value(*session, QStringLiteral("SELECT COUNT(*) FROM VOXA.ITEMS")).toInt();
    const int copy = value(*session, QStringLiteral("SELECT COUNT(*) FROM BILDOR.ITEMS_COPY")).toInt();
    const QString pipe = deploy::uniqueRefreshPipeName();
    runBlock(itemsDefinition(), true, pipe);
    const deploy::RefreshProgress p = readProgress(pipe);
    EXPECT_TRUE(p.final);
    EXPECT_EQ(p.counter.toInt(), source + (copy + p.inserted.toInt()));
    EXPECT_EQ(p.deleted, QStringLiteral("2"));
    EXPECT_EQ(p.updated.toInt(), source - p.inserted.toInt() - p.errors.size());
    ASSERT_FALSE(p.errors.isEmpty());
    EXPECT_TRUE(p.errors.first().startsWith(QStringLiteral("ERROR ON INSERTING:   1017  1\r\n    ORA-02290")));
    QStringList expected = items(QStringLiteral("VOXA.ITEMS")).filter(QRegularExpression(QStringLiteral("^(?!1017\\|)")));
    EXPECT_EQ(items(QStringLiteral("BILDOR.ITEMS_COPY")), expected);
}

// Marked columns: only rows that differ in them are updated, and only those columns are set.
TEST_F(RefreshBlockRun, MarkedColumnsDecideWhatIsUpdated)
{
    RefreshDefinition d = itemsDefinition();
    d.del = false;
    for (RefreshColumn& c : d.columns)
        c.marked = c.name == QLatin1String("DISCOUNT");
    const QString pipe = deploy::uniqueRefreshPipeName();
    runBlock(d, true, pipe);
    const deploy::RefreshProgress p = readProgress(pipe);
    const int lines1004 = value(*session, QStringLiteral("SELECT COUNT(*) FROM VOXA.ITEMS WHERE ORDER_ID = 1004")).toInt();
    EXPECT_EQ(p.updated.toInt(), lines1004); // the null against a value counts as a difference
    EXPECT_EQ(value(*session, QStringLiteral("SELECT COUNT(*) FROM BILDOR.ITEMS_COPY WHERE DISCOUNT IS NULL")),
        QStringLiteral("0"));
    // QUANTITY was not marked: the changed quantities stay.
    EXPECT_NE(value(*session, QStringLiteral("SELECT COUNT(*) FROM BILDOR.ITEMS_COPY c, VOXA.ITEMS i WHERE c.ORDER_ID "
                                             "= i.ORDER_ID AND c.LINE_NO = i.LINE_NO AND c.QUANTITY <> i.QUANTITY")),
        QStringLiteral("0"));
}

// Through VOXA's link VEXOAUDT: the source is read there, the delete pass locks its rows there, and both variants
// leave the local copy equal to the remote table.
TEST_F(RefreshBlockRun, ThroughTheLink)
{
    for (bool pipe : { true, false }) {
        SCOPED_TRACE(pipe ? "with the pipe" : "without the pipe");
        run(*session, QStringLiteral("CREATE TABLE VOXA.AUD_ORDERS_COPY (AUD_ID NUMBER PRIMARY KEY, AUD_DATE DATE, "
                                     "AUD_USER VARCHAR2(30), AUD_ACTION VARCHAR2(1), ORDER_ID NUMBER(10), CUSTOMER_ID "
                                     "NUMBER(10), ORDER_DATE DATE, STATUS CHAR(1), NOTE VARCHAR2(200), CREATED_BY "
                                     "VARCHAR2(30))"));
        run(*session, QStringLiteral("INSERT INTO VOXA.AUD_ORDERS_COPY SELECT * FROM VEXO_AUDIT.AUD_ORDERS@VEXOAUDT "
                                     "WHERE AUD_ID < 50"));
        run(*session, QStringLiteral("UPDATE VOXA.AUD_ORDERS_COPY SET NOTE = 'x' WHERE AUD_ID < 5"));
        run(*session, QStringLiteral("INSERT INTO VOXA.AUD_ORDERS_COPY (AUD_ID) VALUES (999)"));
        run(*session, QStringLiteral("COMMIT"));
        RefreshDefinition d;
        d.sourceOwner = QStringLiteral("VEXO_AUDIT");
        d.sourceTable = QStringLiteral("AUD_ORDERS");
        d.dbLink = QStringLiteral("VEXOAUDT");
        d.destOwner = QStringLiteral("VOXA");
        d.destTable = QStringLiteral("AUD_ORDERS_COPY");
        d.keyItems = { QStringLiteral("AUD_ID NUMBER") };
        for (const QString& c : rows(*session, QStringLiteral("SELECT COLUMN_NAME FROM ALL_TAB_COLUMNS WHERE OWNER = "
                                                              "'VOXA' AND TABLE_NAME = 'AUD_ORDERS_COPY' ORDER BY COLUMN_ID")))
            d.columns << RefreshColumn { c, false };
        d.del = true;
        const QString pipeName = deploy::uniqueRefreshPipeName();
        runBlock(d, pipe, pipeName);
        const QString remote = QStringLiteral("SELECT * FROM VEXO_AUDIT.AUD_ORDERS@VEXOAUDT ORDER BY AUD_ID");
        EXPECT_EQ(rows(*session, QStringLiteral("SELECT * FROM VOXA.AUD_ORDERS_COPY ORDER BY AUD_ID")),
            rows(*session, remote));
        if (pipe) {
            const deploy::RefreshProgress p = readProgress(pipeName);
            EXPECT_TRUE(p.final);
            EXPECT_EQ(p.inserted, QStringLiteral("41"));
            EXPECT_EQ(p.deleted, QStringLiteral("1"));
            EXPECT_EQ(p.updated, QStringLiteral("49"));
        }
        run(*session, QStringLiteral("COMMIT"));
        run(*session, QStringLiteral("DROP TABLE VOXA.AUD_ORDERS_COPY"));
    }
}

// A "?" in a key value reaches the reader as part of the error text, not as the end of an item; the sequence
// numbers new rows of a column that is no key.
TEST_F(RefreshBlockRun, TextKeyWithQuestionMarkAndSequence)
{
    for (const char* sql : {
             "CREATE TABLE VOXA.CODES (CODE VARCHAR2(10) PRIMARY KEY, NO NUMBER, NAME VARCHAR2(20))",
             "CREATE TABLE BILDOR.CODES (CODE VARCHAR2(10) PRIMARY KEY, NO NUMBER, NAME VARCHAR2(3))",
             "CREATE SEQUENCE BILDOR.CODES_SEQ START WITH 500",
             "INSERT INTO VOXA.CODES VALUES ('A', 1, 'ONE')",
             "INSERT INTO VOXA.CODES VALUES ('B?S9?', 2, 'TOO LONG')",
             "INSERT INTO VOXA.CODES VALUES ('C', 3, 'TRI')",
             "INSERT INTO BILDOR.CODES VALUES ('A', 7, 'ONE')",
             "COMMIT",
         })
        run(*session, QString::fromLatin1(sql));
    RefreshDefinition d;
    d.sourceOwner = QStringLiteral("VOXA");
    d.sourceTable = QStringLiteral("CODES");
    d.destOwner = QStringLiteral("BILDOR");
    d.destTable = QStringLiteral("CODES");
    d.keyItems = { QStringLiteral("CODE VARCHAR2(10)") };
    d.columns = { { QStringLiteral("CODE"), false }, { QStringLiteral("NO"), false }, { QStringLiteral("NAME"), false } };
    d.sequence = true;
    d.seqField = QStringLiteral("NO");
    d.seqName = QStringLiteral("CODES_SEQ");
    const QString pipe = deploy::uniqueRefreshPipeName();
    runBlock(d, true, pipe);
    const deploy::RefreshProgress p = readProgress(pipe);
    EXPECT_EQ(p.counter, QStringLiteral("3"));
    EXPECT_EQ(p.inserted, QStringLiteral("1"));
    ASSERT_EQ(p.errors.size(), 1);
    EXPECT_TRUE(p.errors.first().startsWith(QStringLiteral("ERROR ON INSERTING:   B?S9?\r\n    ORA-12899")));
    EXPECT_EQ(rows(*session, QStringLiteral("SELECT CODE, NO, NAME FROM BILDOR.CODES ORDER BY CODE")),
        (QStringList { "A|7|ONE", "C|501|TRI" }));
    // A second run finds C by its key and keeps its number.
    run(*session, QStringLiteral("COMMIT"));
    runBlock(d, true, pipe);
    readProgress(pipe);
    EXPECT_EQ(rows(*session, QStringLiteral("SELECT CODE, NO FROM BILDOR.CODES ORDER BY CODE")),
        (QStringList { "A|7", "C|501" }));
}

// A block that creates a stored procedure compiles it; the procedure then refreshes like the block.
TEST_F(RefreshBlockRun, StoredProcedure)
{
    RefreshDefinition d = itemsDefinition();
    d.procedure = true;
    d.procName = QStringLiteral("BILDOR.P_REFRESH_ITEMS");
    // A procedure runs with its owner's rights: BILDOR needs its own grants on what the block reads and writes.
    run(*session, QStringLiteral("GRANT SELECT ON VOXA.ITEMS TO BILDOR"));
    run(*session, QStringLiteral("GRANT INSERT ON VEXO_UTIL.VEXO_ERR TO BILDOR"));
    runBlock(d, false);
    EXPECT_EQ(value(*session, QStringLiteral("SELECT STATUS FROM ALL_OBJECTS WHERE OWNER = 'BILDOR' AND OBJECT_NAME = "
                                             "'P_REFRESH_ITEMS'")),
        QStringLiteral("VALID"));
    run(*session, QStringLiteral("BEGIN BILDOR.P_REFRESH_ITEMS; END;"));
    EXPECT_EQ(items(QStringLiteral("BILDOR.ITEMS_COPY")), items(QStringLiteral("VOXA.ITEMS")));
    run(*session, QStringLiteral("ROLLBACK"));
}

} // namespace
