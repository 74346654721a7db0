// The structure tools' logic on the demo database: tab loaders, reference and dependency trees, constraint scripts
// with their undo file, and the orphan rows of the demo's disabled foreign key.
#include "admin/constraintscript.h"
#include "admin/orphans.h"
#include "admin/reftree.h"
#include "admin/structuretabs.h"
#include "admin_fixture.h"
#include "db/oracleerror.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using admintest::DemoTest;

QStringList texts(const QList<admin::RefNode>& nodes)
{
    QStringList out;
    for (const auto& n : nodes)
        out << n.text;
    return out;
}

class StructureOnDemo : public DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        logOn();
    }
};

TEST_F(StructureOnDemo, OwnerListStartsWithTheFixedOwners)
{
    const QStringList owners = admin::ownerList(*session);
    ASSERT_GE(owners.size(), 8);
    EXPECT_EQ(owners.mid(0, 3), (QStringList { "VOXA", "BILDOR", "QUANDREL_PRENOS" }));
    EXPECT_EQ(owners.count(QStringLiteral("VOXA")), 1);
    EXPECT_TRUE(owners.contains(QStringLiteral("MNOVAK")));
}

TEST_F(StructureOnDemo, ColumnsIndexesAndConstraintsOfItems)
{
    const auto columns = admin::loadColumns(*session, QStringLiteral("VOXA"), QStringLiteral("ITEMS"), {},
        QStringLiteral("Column_id"), QStringLiteral("PRICE,ORDER_ID"));
    ASSERT_EQ(columns.size(), 6);
    EXPECT_EQ(columns[0], (QStringList { "+", "ORDER_ID", "NUMBER", "10", "0", "N", "", "1", "" }));
    EXPECT_EQ(columns[1][0], QStringLiteral(" ")); // LINE_NO
    EXPECT_EQ(columns[4][0], QStringLiteral("+")); // PRICE
    EXPECT_EQ(columns[5][8], QStringLiteral("0")); // DISCOUNT's default
    const auto byName = admin::loadColumns(
        *session, QStringLiteral("VOXA"), QStringLiteral("ITEMS"), {}, QStringLiteral("Column_name"), {});
    EXPECT_EQ(byName[0][1], QStringLiteral("DISCOUNT"));
    // An order that is not one of the sort box's is never pasted into the statement.
    const auto safe = admin::loadColumns(
        *session, QStringLiteral("VOXA"), QStringLiteral("ITEMS"), {}, QStringLiteral("1; drop table x"), {});
    EXPECT_EQ(safe[0][1], QStringLiteral("ORDER_ID"));

    const auto indexes = admin::loadIndexes(*session, QStringLiteral("VOXA"), QStringLiteral("ITEMS"), {});
    ASSERT_EQ(indexes.size(), 2);
    EXPECT_EQ(indexes[0].name, QStringLiteral("ITEMS_PK"));
    EXPECT_EQ(indexes[0].owner, QStringLiteral("VOXA"));
    EXPECT_EQ(indexes[0].columns, QStringLiteral("ORDER_ID, LINE_NO"));

    // A two-column primary key is one row; each foreign key column a row of its own.
    const auto constraints = admin::loadConstraints(*session, QStringLiteral("VOXA"), QStringLiteral("ITEMS"), {});
    QStringList rows;
    for (const auto& c : constraints)
        rows << c.name + "|" + c.value + "|" + c.kind + "|" + c.status;
    EXPECT_TRUE(rows.contains(QStringLiteral("ITEMS_PK|ORDER_ID,LINE_NO|PK|ENABLED"))) << rows.join('\n').toStdString();
    EXPECT_TRUE(rows.contains(QStringLiteral("ITEMS_ORDERS_FK|ORDERS_PK  -  ORDER_ID|Ref.|ENABLED")));
    EXPECT_TRUE(rows.contains(QStringLiteral("ITEMS_QUANTITY_CK|QUANTITY > 0|Cons.|ENABLED")));
}

TEST_F(StructureOnDemo, StructureThroughTheDatabaseLink)
{
    // VOXA's link VEXOAUDT leads to the audit database; its name is quoted into the statements.
    const auto columns = admin::loadColumns(*session, QStringLiteral("VEXO_AUDIT"), QStringLiteral("AUD_ORDERS"),
        QStringLiteral("VEXOAUDT"), QStringLiteral("Column_id"), {});
    EXPECT_FALSE(columns.isEmpty());
}

TEST_F(StructureOnDemo, ReferenceTreeFollowsForeignKeysOnce)
{
    const auto tree = admin::ReferenceTree(*session, QStringLiteral("VOXA"), QStringLiteral("ITEMS"));
    ASSERT_EQ(tree.size(), 2);
    QStringList top = texts(tree);
    top.sort();
    EXPECT_EQ(
        top, (QStringList { "  ORDERS_PK   ORDERS (VOXA)  ORDER_ID", "  PRODUCTS_PK   PRODUCTS (VOXA)  PRODUCT_ID" }));
    const auto& orders = tree[0].table == QLatin1String("ORDERS") ? tree[0] : tree[1];
    EXPECT_EQ(texts(orders.children), (QStringList { "  CUSTOMERS_PK   CUSTOMERS (VOXA)  CUSTOMER_ID" }));

    // A table that references itself shows the key once with "*"; two tables that reference each other show the
    // second expanded and the first again with "*". The same name in another schema is another table.
    run(QStringLiteral("CREATE TABLE tree_a (id NUMBER PRIMARY KEY, parent NUMBER, b_id NUMBER)"));
    run(QStringLiteral(
        "CREATE TABLE tree_b (id NUMBER PRIMARY KEY, a_id NUMBER CONSTRAINT tree_b_a REFERENCES tree_a)"));
    run(QStringLiteral("ALTER TABLE tree_a ADD CONSTRAINT tree_a_self FOREIGN KEY (parent) REFERENCES tree_a"));
    run(QStringLiteral("ALTER TABLE tree_a ADD CONSTRAINT tree_a_b FOREIGN KEY (b_id) REFERENCES tree_b"));
    const auto cyclic = admin::ReferenceTree(*session, QStringLiteral("VOXA"), QStringLiteral("TREE_A"));
    ASSERT_EQ(cyclic.size(), 2);
    for (const auto& n : cyclic) {
        if (n.table == QLatin1String("TREE_A")) {
            EXPECT_TRUE(n.text.startsWith('*'));
            EXPECT_TRUE(n.children.isEmpty());
        } else {
            EXPECT_EQ(n.table, QStringLiteral("TREE_B"));
            ASSERT_EQ(n.children.size(), 1);
            EXPECT_TRUE(n.children[0].text.startsWith('*'));
        }
    }
    EXPECT_TRUE(admin::ReferenceTree(*session, QStringLiteral("VOXA"), QStringLiteral("CUSTOMERS")).isEmpty());
}

TEST_F(StructureOnDemo, DependencyTreeListsTheReferencingTables)
{
    const auto deps = admin::DependencyTree(*session, QStringLiteral("VOXA"), QStringLiteral("ORDERS"));
    ASSERT_EQ(deps.size(), 1);
    EXPECT_EQ(deps[0].text, QStringLiteral("ORDERS_PK (VOXA)   ORDER_ID"));
    EXPECT_EQ(texts(deps[0].children), (QStringList { "INVOICES", "ITEMS" }));
    run(QStringLiteral("CREATE TABLE no_key (n NUMBER)"));
    EXPECT_TRUE(admin::DependencyTree(*session, QStringLiteral("VOXA"), QStringLiteral("NO_KEY")).isEmpty());
}

TEST_F(StructureOnDemo, ConstraintScriptsDisableAndEnableExactlyTheKeysThatWereOn)
{
    const auto keys = admin::referencingKeys(*session, QStringLiteral("VOXA"), QStringLiteral("ORDERS"));
    ASSERT_EQ(keys.size(), 2);
    EXPECT_EQ(keys[0].name, QStringLiteral("INVOICES_ORDERS_FK"));
    EXPECT_EQ(keys[0].status, QStringLiteral("DISABLED"));
    EXPECT_EQ(keys[1].name, QStringLiteral("ITEMS_ORDERS_FK"));
    EXPECT_EQ(keys[1].deleteRule, QStringLiteral("CASCADE"));
    const auto scripts = admin::prepareScripts(keys, false);
    // The disabled key stays out: enabling it afterwards would fail on its orphans or change the schema.
    EXPECT_EQ(scripts.disable,
        (QStringList { "alter table \"VOXA\".\"ITEMS\" disable constraint \"ITEMS_ORDERS_FK\"", "/" }));
    EXPECT_EQ(
        scripts.enable, (QStringList { "alter table \"VOXA\".\"ITEMS\" enable constraint \"ITEMS_ORDERS_FK\"", "/" }));
    auto run1 = admin::RunScriptMemo(*session, scripts.disable);
    EXPECT_TRUE(run1.ok()) << run1.errors.toStdString();
    EXPECT_EQ(column(QStringLiteral("select status from all_constraints where constraint_name='ITEMS_ORDERS_FK'")),
        QStringList { "DISABLED" });
    EXPECT_TRUE(admin::RunScriptMemo(*session, scripts.enable).ok());
    EXPECT_EQ(column(QStringLiteral("select status from all_constraints where constraint_name='ITEMS_ORDERS_FK'")),
        QStringList { "ENABLED" });
}

TEST_F(StructureOnDemo, DropScriptRecreatesKeysOfOtherSchemasWithAllTheirColumnsAndRules)
{
    // BILDOR's two-column key points at VOXA's table; the script must find it and put it back whole.
    run(QStringLiteral("CREATE TABLE pairs (a NUMBER, b NUMBER, CONSTRAINT pairs_pk PRIMARY KEY (a, b))"));
    run(QStringLiteral("GRANT REFERENCES ON pairs TO bildor"));
    run(QStringLiteral("CREATE TABLE bildor.pair_refs (x NUMBER, y NUMBER, CONSTRAINT pair_refs_fk FOREIGN KEY (x, y) "
                       "REFERENCES voxa.pairs (a, b) ON DELETE SET NULL)"));
    const auto keys = admin::referencingKeys(*session, QStringLiteral("VOXA"), QStringLiteral("PAIRS"));
    ASSERT_EQ(keys.size(), 1);
    EXPECT_EQ(keys[0].owner, QStringLiteral("BILDOR"));
    EXPECT_EQ(keys[0].columns, (QStringList { "X", "Y" }));
    EXPECT_EQ(keys[0].refColumns, (QStringList { "A", "B" }));
    const auto scripts = admin::prepareScripts(keys, true);
    EXPECT_EQ(scripts.disable,
        (QStringList { "alter table \"BILDOR\".\"PAIR_REFS\" drop constraint \"PAIR_REFS_FK\"", "/" }));
    EXPECT_EQ(scripts.enable[0],
        QStringLiteral("alter table \"BILDOR\".\"PAIR_REFS\" add constraint \"PAIR_REFS_FK\" foreign key(\"X\",\"Y\") "
                       "references \"VOXA\".\"PAIRS\" (\"A\",\"B\") on delete set null"));

    // The undo file is written first, one per table: two tables with the same first eight letters keep apart.
    const QString undo = admin::undoFileName(tmp.path(), QStringLiteral("VOXA"), QStringLiteral("PAIRS"));
    EXPECT_NE(undo, admin::undoFileName(tmp.path(), QStringLiteral("VOXA"), QStringLiteral("PAIRS_TWO")));
    EXPECT_NE(undo, admin::undoFileName(tmp.path(), QStringLiteral("BILDOR"), QStringLiteral("PAIRS")));
    QString error;
    ASSERT_TRUE(admin::saveScript(undo, scripts.enable, &error)) << error.toStdString();
    EXPECT_TRUE(admin::RunScriptMemo(*session, scripts.disable).ok());
    EXPECT_TRUE(column(QStringLiteral("select constraint_name from all_constraints where owner='BILDOR' and "
                                      "table_name='PAIR_REFS' and constraint_type='R'"))
                    .isEmpty());
    // Undone from the file.
    QFile f(undo);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(admin::RunScriptMemo(*session, lines).ok());
    const auto back = admin::referencingKeys(*session, QStringLiteral("VOXA"), QStringLiteral("PAIRS"));
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0].columns, keys[0].columns);
    EXPECT_EQ(back[0].deleteRule, QStringLiteral("SET NULL"));
}

TEST_F(StructureOnDemo, ScriptRunReportsFailureWhenAnyStatementFailed)
{
    const QStringList script { "alter table \"VOXA\".\"NO_SUCH\" disable constraint \"X\"", "/",
        "alter table \"VOXA\".\"ITEMS\" disable constraint \"ITEMS_ORDERS_FK\"", "/" };
    const auto r = admin::RunScriptMemo(*session, script);
    EXPECT_FALSE(r.ok()); // the last statement succeeded, the run did not
    EXPECT_EQ(r.statements, 2);
    EXPECT_EQ(r.failed, 1);
    EXPECT_TRUE(r.errors.startsWith(script[0] + "\r\nORA-00942")) << r.errors.toStdString();
}

TEST_F(StructureOnDemo, OrphanQueryOfTheDisabledInvoiceKey)
{
    db::Query list(session.get());
    list.setSql(admin::disabledKeysStatement());
    list.setVariable(QStringLiteral("upor"), QString());
    list.execute();
    ASSERT_FALSE(list.eof());
    admin::DisabledKey key { list.field(0).toString(), list.field(1).toString(), list.field(2).toString(),
        list.field(3).toString(), list.field(4).toString() };
    EXPECT_EQ(key.name, QStringLiteral("INVOICES_ORDERS_FK"));
    const auto orphan = admin::FindOrphanQuery(*session, key);
    EXPECT_EQ(orphan.text,
        QStringLiteral("select * from \"VOXA\".\"INVOICES\" tbl  where \"ORDER_ID\" is not null and not exists   "
                       "(select * from \"VOXA\".\"ORDERS\" p where p.\"ORDER_ID\"=tbl.\"ORDER_ID\")"));
    EXPECT_EQ(column(QStringLiteral("select invoice_no from (") + orphan.text + QStringLiteral(") order by 1")),
        (QStringList { "IMP-001", "IMP-002", "IMP-003" }));
    // Enabling is refused while the orphans are there (ORA-02298), and succeeds once they are gone.
    try {
        run(admin::enableKeyStatement(key));
        FAIL() << "enabled with orphans";
    } catch (const db::OracleError& e) {
        EXPECT_EQ(e.code(), 2298);
    }
    run(QStringLiteral("delete from voxa.invoices where invoice_no like 'IMP-%'"));
    run(admin::enableKeyStatement(key));
    EXPECT_EQ(column(QStringLiteral("select status from all_constraints where constraint_name='INVOICES_ORDERS_FK'")),
        QStringList { "ENABLED" });
}

TEST_F(StructureOnDemo, OrphanQueryPairsColumnsByPositionAndSkipsIncompleteKeys)
{
    EXPECT_EQ(admin::orphanQueryText(QStringLiteral("O"), QStringLiteral("CHILD"), { "B2", "A2" }, QStringLiteral("P"),
                  QStringLiteral("PARENT"), { "B", "A" }),
        QStringLiteral("select * from \"O\".\"CHILD\" tbl  where \"B2\" is not null and \"A2\" is not null and not "
                       "exists   (select * from \"P\".\"PARENT\" p where p.\"B\"=tbl.\"B2\" and p.\"A\"=tbl.\"A2\")"));
    run(QStringLiteral("CREATE TABLE par (a NUMBER, b NUMBER, CONSTRAINT par_pk PRIMARY KEY (a, b))"));
    run(QStringLiteral("INSERT INTO par VALUES (1, 1)"));
    run(QStringLiteral("CREATE TABLE chi (id NUMBER, pb NUMBER, pa NUMBER, CONSTRAINT chi_fk FOREIGN KEY (pa, pb) "
                       "REFERENCES par (a, b) DISABLE)"));
    run(QStringLiteral("INSERT INTO chi VALUES (1, 1, 1)")); // a parent
    run(QStringLiteral("INSERT INTO chi VALUES (2, NULL, 9)")); // incomplete: valid for Oracle
    run(QStringLiteral("INSERT INTO chi VALUES (3, 2, 1)")); // an orphan
    const auto orphan = admin::FindOrphanQuery(*session, { "VOXA", "CHI", "CHI_FK", "VOXA", "PAR_PK" });
    EXPECT_EQ(orphan.columns, (QStringList { "PA", "PB" }));
    EXPECT_EQ(column(QStringLiteral("select id from (") + orphan.text + QStringLiteral(")")), QStringList { "3" });
}

} // namespace
