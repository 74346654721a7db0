// The worksheet's Explain on the demo database: an application user explains a statement of its schema into the
// tool's shared plan table and reads it back as the worksheet does.
#include "kit_fixture.h"

namespace {

using namespace kittest;

class ExplainOnDemo : public DemoTest { };

TEST_F(ExplainOnDemo, WorksheetExplainIntoTheSharedPlanTable)
{
    auto s = logOn();
    s->execute("delete from vexo_util.vexo_plan_table");
    // The editor's lines, each after a blank, behind the worksheet's EXPLAIN PLAN INTO clause; a bind needs no
    // value to be explained.
    s->execute("EXPLAIN PLAN INTO VEXO_UTIL.VEXO_PLAN_TABLE FOR  select o.order_id, c.name"
               "  from orders o, customers c  where c.customer_id = o.customer_id  and o.order_id = :id");
    const std::string cost = first(*s, "select position from vexo_util.vexo_plan_table where id = 0");
    EXPECT_EQ(rows(*s,
                  "select substr( rtrim(lpad('  ',6*level)||operation||\n"
                  "                    decode(id,0,'  Cost='||position)) || ' '||rtrim(options)\n"
                  "                    ||' '|| object_name ,1,300) zaporedje\n"
                  "FROM vexo_util.vexo_plan_table\n"
                  "  connect by prior id=parent_id\n"
                  "  start with id=0"),
        (std::vector<std::string> { "      SELECT STATEMENT  Cost=" + cost + "  ", "            NESTED LOOPS  ",
            "                  TABLE ACCESS BY INDEX ROWID ORDERS",
            "                        INDEX UNIQUE SCAN ORDERS_PK",
            "                  TABLE ACCESS BY INDEX ROWID CUSTOMERS",
            "                        INDEX UNIQUE SCAN CUSTOMERS_PK" }));
    EXPECT_EQ(rows(*s, "select distinct object_owner from vexo_util.vexo_plan_table where object_owner is not null"),
        std::vector<std::string> { "VOXA" });
    EXPECT_EQ(first(*s, "select max(depth) from vexo_util.vexo_plan_table"), "3");
    // The plan is the session's uncommitted DML until the worksheet commits it.
    EXPECT_TRUE(s->inTransaction());
    s->rollback();
    EXPECT_EQ(first(*s, "select count(*) from vexo_util.vexo_plan_table"), "0");
}

} // namespace
