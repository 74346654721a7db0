// A session that writes while one of its cursors is still open. Oracle: the cursor goes on giving the rows as they
// were when it opened (read consistency), and the session's DML is unaffected by it, whatever other sessions
// committed meanwhile. SQLite refuses a write from a connection whose open read is older than another commit; the
// engine reads the cursor's rows ahead then, instead of failing with ORA-00600.
#include "two_sessions.h"

using enginetest::SessionThreads;

TEST_F(SessionThreads, ASessionWithACursorOpenWritesAfterAnotherCommitted)
{
    auto a = logOn();
    auto b = logOn();
    a->execute("CREATE TABLE t (id NUMBER PRIMARY KEY, v NUMBER)");
    for (int i = 1; i <= 3; ++i)
        a->execute("INSERT INTO t VALUES (" + std::to_string(i) + ", 0)");
    a->commit();
    auto open = a->execute("SELECT id FROM t ORDER BY id");
    ASSERT_TRUE(open.cursor->next());
    b->execute("INSERT INTO t VALUES (10, 0)");
    b->commit();
    EXPECT_EQ(errorOf(*a, "UPDATE t SET v = 1 WHERE id = 2"), 0);
    std::vector<std::string> rest;
    while (open.cursor->next())
        rest.push_back(open.cursor->value(0).toString());
    EXPECT_EQ(rest, (std::vector<std::string> { "2", "3" }));
    a->commit();
    EXPECT_EQ(one(*b, "SELECT v FROM t WHERE id = 2"), "1");
}
