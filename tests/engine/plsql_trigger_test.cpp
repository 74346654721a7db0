// Database triggers in the engine: each case states the Oracle behaviour it checks.
#include "engine_fixture.h"

namespace {

using enginetest::EngineTest;

class PlsqlTrigger : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        run("CREATE TABLE t (id NUMBER PRIMARY KEY, amount NUMBER, note VARCHAR2(20))");
        run("CREATE TABLE fired (seq NUMBER, what VARCHAR2(100))");
        run("CREATE SEQUENCE fired_seq");
        run("INSERT INTO t VALUES (1, 10, 'a')");
        run("INSERT INTO t VALUES (2, 20, 'b')");
        run("COMMIT");
    }
    engine::ExecResult run(const std::string& sql)
    {
        std::vector<engine::Bind> none;
        return s->execute(sql, none);
    }
    std::string errorText(const std::string& sql)
    {
        try {
            run(sql);
        } catch (const engine::Error& e) {
            return e.message();
        }
        return "<no error>";
    }
    // What the triggers wrote to FIRED, in order, joined by "|".
    std::string log()
    {
        std::string r;
        for (const std::string& line : rows(*s, "SELECT what FROM fired ORDER BY seq"))
            r += (r.empty() ? "" : "|") + line;
        return r;
    }
    // A trigger that logs its name, the event predicates and, for a row trigger, the row's id.
    void logging(const std::string& name, const std::string& timing, const std::string& events, bool row)
    {
        const std::string what = row ? "'" + name + " ' || NVL(:NEW.id, :OLD.id)" : "'" + name + "'";
        run("CREATE OR REPLACE TRIGGER " + name + " " + timing + " " + events + " ON t" + (row ? " FOR EACH ROW" : "")
            + "\nBEGIN\n  INSERT INTO fired VALUES (fired_seq.NEXTVAL, " + what + ");\nEND;");
    }
};

// Oracle: BEFORE and AFTER, statement and row triggers fire once per statement and once per row, in the order
// before statement, (before row, after row) for each row, after statement; only for their own event.
TEST_F(PlsqlTrigger, FiresEachTimingForItsEvents)
{
    logging("BS", "BEFORE", "INSERT OR UPDATE OR DELETE", false);
    logging("BR", "BEFORE", "INSERT OR UPDATE OR DELETE", true);
    logging("AR", "AFTER", "INSERT OR UPDATE OR DELETE", true);
    logging("AS_", "AFTER", "INSERT OR UPDATE OR DELETE", false);
    logging("DEL_ONLY", "AFTER", "DELETE", false);
    struct Case {
        const char* name;
        const char* dml;
        const char* log;
    };
    const Case cases[] = {
        { "insert one row", "INSERT INTO t VALUES (3, 30, 'c')", "BS|BR 3|AR 3|AS_" },
        { "update two rows", "UPDATE t SET amount = amount + 1", "BS|BR 1|AR 1|BR 2|AR 2|AS_" },
        { "update no row", "UPDATE t SET amount = 0 WHERE id = 99", "BS|AS_" },
        { "delete one row", "DELETE FROM t WHERE id = 2", "BS|BR 2|AR 2|AS_|DEL_ONLY" },
        { "insert select", "INSERT INTO t SELECT id + 10, amount, note FROM t", "BS|BR 11|AR 11|BR 12|AR 12|AS_" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        run(c.dml);
        EXPECT_EQ(log(), c.log);
        run("ROLLBACK");
    }
}

// Oracle: :NEW and :OLD hold the row after and before the change; :OLD is null on INSERT and :NEW on DELETE;
// INSERTING, UPDATING, UPDATING('COL') and DELETING say what fired the trigger.
TEST_F(PlsqlTrigger, SeesRowValuesAndEventPredicates)
{
    run("CREATE TRIGGER t_ar AFTER INSERT OR UPDATE OR DELETE ON t FOR EACH ROW\n"
        "DECLARE\n  w VARCHAR2(100);\nBEGIN\n"
        "  IF INSERTING THEN w := 'I'; ELSIF UPDATING('amount') THEN w := 'UA'; ELSIF UPDATING THEN w := 'U';\n"
        "  ELSIF DELETING THEN w := 'D'; END IF;\n"
        "  INSERT INTO fired VALUES (fired_seq.NEXTVAL, w || ' ' || NVL(TO_CHAR(:OLD.amount), 'null') || ' '\n"
        "    || NVL(TO_CHAR(:NEW.amount), 'null'));\nEND;");
    struct Case {
        const char* name;
        const char* dml;
        const char* log;
    };
    const Case cases[] = {
        { "insert", "INSERT INTO t VALUES (3, 30, 'c')", "I null 30" },
        { "update of the column", "UPDATE t SET amount = 11 WHERE id = 1", "UA 10 11" },
        { "update of another column", "UPDATE t SET note = 'x' WHERE id = 1", "U 10 10" },
        { "delete", "DELETE FROM t WHERE id = 2", "D 20 null" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        run(c.dml);
        EXPECT_EQ(log(), c.log);
        run("ROLLBACK");
    }
}

// Oracle: what a BEFORE EACH ROW trigger assigns to :NEW is what is stored, on INSERT and on UPDATE; a NOT NULL
// column the statement leaves null may be filled by the trigger, and is ORA-01400 / ORA-01407 when it is not.
TEST_F(PlsqlTrigger, BeforeRowChangesTheStoredRow)
{
    run("CREATE TRIGGER t_bi BEFORE INSERT OR UPDATE ON t FOR EACH ROW\nBEGIN\n"
        "  IF :NEW.id IS NULL AND :NEW.note <> 'keep null' THEN :NEW.id := 100 + fired_seq.NEXTVAL; END IF;\n"
        "  :NEW.note := UPPER(:NEW.note);\nEND;");
    run("INSERT INTO t (amount, note) VALUES (5, 'new')");
    EXPECT_EQ(one(*s, "SELECT id || ' ' || note FROM t WHERE amount = 5"), "101 NEW");
    run("UPDATE t SET note = 'changed' WHERE id = 1");
    EXPECT_EQ(one(*s, "SELECT note FROM t WHERE id = 1"), "CHANGED");
    EXPECT_EQ(errorText("INSERT INTO t (amount, note) VALUES (6, 'keep null')").substr(0, 48),
        "ORA-01400: cannot insert NULL into (\"SYSTEM\".\"T\"");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM t"), "3");
}

// Oracle: RETURNING ... INTO gives the row as stored, with the key a BEFORE trigger filled in.
TEST_F(PlsqlTrigger, ReturningSeesWhatTheTriggerStored)
{
    run("CREATE TRIGGER t_key BEFORE INSERT OR UPDATE ON t FOR EACH ROW\nBEGIN\n"
        "  IF INSERTING THEN :NEW.id := 500; END IF;\n  :NEW.note := :NEW.note || '!';\nEND;");
    std::vector<engine::Bind> binds(2);
    binds[0].name = "ID";
    binds[0].dir = engine::BindDir::Out;
    binds[0].type = engine::OraType::Number;
    binds[1].name = "NOTE";
    binds[1].dir = engine::BindDir::Out;
    s->execute("INSERT INTO t (amount, note) VALUES (1, 'n') RETURNING id, note INTO :id, :note", binds);
    EXPECT_EQ(binds[0].value.toString(), "500");
    EXPECT_EQ(binds[1].value.toString(), "n!");
    s->execute("UPDATE t SET note = 'u' WHERE id = 500 RETURNING id, note INTO :id, :note", binds);
    EXPECT_EQ(binds[1].value.toString(), "u!");
}

// Oracle: every row of a large INSERT ... SELECT fires the row trigger, also past the point where the statement's
// undo moves from memory to disk.
TEST_F(PlsqlTrigger, EveryRowOfALargeInsertFires)
{
    run("CREATE TRIGGER t_mark BEFORE INSERT ON t FOR EACH ROW\nBEGIN\n  :NEW.note := 'marked';\nEND;");
    run("INSERT INTO t (id, amount) SELECT LEVEL + 100, LEVEL FROM dual CONNECT BY LEVEL <= 20500");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM t WHERE note = 'marked'"), "20500");
}

// Oracle: :NEW has the column's type, so a value too long for it fails in the trigger (ORA-06502); a value the
// column takes but its CHECK constraint refuses fails the statement with ORA-02290. Nothing is changed.
TEST_F(PlsqlTrigger, BeforeRowValuesAreCheckedAsStored)
{
    run("CREATE TABLE c (id NUMBER PRIMARY KEY, amount NUMBER CONSTRAINT c_positive CHECK (amount > 0), "
        "note VARCHAR2(5))");
    run("INSERT INTO c VALUES (1, 1, 'a')");
    run("CREATE TRIGGER c_bu BEFORE UPDATE ON c FOR EACH ROW\nBEGIN\n"
        "  IF :NEW.note = 'long' THEN\n    :NEW.note := RPAD('x', 30, 'x');\n  ELSE\n    :NEW.amount := -1;\n"
        "  END IF;\nEND;");
    EXPECT_EQ(errorText("UPDATE c SET note = 'long'"),
        "ORA-06502: PL/SQL: numeric or value error: character string buffer too small\n"
        "ORA-06512: at \"SYSTEM.C_BU\", line 3\n"
        "ORA-04088: error during execution of trigger 'SYSTEM.C_BU'");
    EXPECT_EQ(errorText("UPDATE c SET note = 'b'"), "ORA-02290: check constraint (SYSTEM.C_POSITIVE) violated");
    EXPECT_EQ(one(*s, "SELECT amount || note FROM c"), "1a");
}

// Oracle: WHEN limits the rows a row trigger fires for; UPDATE OF fires only when the SET list names one of its
// columns; a disabled trigger does not fire, neither after ALTER TRIGGER nor after ALTER TABLE ... DISABLE ALL
// TRIGGERS, and fires again when enabled.
TEST_F(PlsqlTrigger, WhenUpdateOfAndDisabled)
{
    run("CREATE TRIGGER t_when AFTER UPDATE ON t FOR EACH ROW WHEN (new.amount > 15)\nBEGIN\n"
        "  INSERT INTO fired VALUES (fired_seq.NEXTVAL, 'when ' || :NEW.id);\nEND;");
    run("CREATE TRIGGER t_of AFTER UPDATE OF note ON t\nBEGIN\n"
        "  INSERT INTO fired VALUES (fired_seq.NEXTVAL, 'of');\nEND;");
    run("UPDATE t SET amount = amount + 1");
    EXPECT_EQ(log(), "when 2");
    run("UPDATE t SET note = 'z', amount = 0 WHERE id = 1");
    EXPECT_EQ(log(), "when 2|of");
    run("DELETE FROM fired");

    run("ALTER TRIGGER t_when DISABLE");
    run("UPDATE t SET amount = 50, note = 'y'");
    EXPECT_EQ(log(), "of");
    EXPECT_EQ(one(*s, "SELECT status FROM user_triggers WHERE trigger_name = 'T_WHEN'"), "DISABLED");

    run("ALTER TABLE t DISABLE ALL TRIGGERS");
    run("UPDATE t SET amount = 60, note = 'w'");
    EXPECT_EQ(log(), "of");
    run("ALTER TABLE t ENABLE ALL TRIGGERS");
    run("UPDATE t SET amount = 70 WHERE id = 1");
    EXPECT_EQ(log(), "of|when 1");
}

// Oracle: an error in a trigger fails the statement with the error, the trigger's line (ORA-06512) and ORA-04088;
// the statement's rows and the trigger's own DML are undone, the transaction's earlier work stays.
TEST_F(PlsqlTrigger, ErrorRollsBackTheStatement)
{
    run("CREATE TRIGGER t_guard BEFORE DELETE ON t FOR EACH ROW\nBEGIN\n"
        "  INSERT INTO fired VALUES (fired_seq.NEXTVAL, 'deleting ' || :OLD.id);\n"
        "  IF :OLD.id = 2 THEN\n    RAISE_APPLICATION_ERROR(-20002, 'row 2 stays');\n  END IF;\nEND;");
    run("INSERT INTO t VALUES (3, 30, 'c')");
    EXPECT_EQ(errorText("DELETE FROM t"), "ORA-20002: row 2 stays\n"
                                          "ORA-06512: at \"SYSTEM.T_GUARD\", line 4\n"
                                          "ORA-04088: error during execution of trigger 'SYSTEM.T_GUARD'");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM t"), "3");
    EXPECT_EQ(log(), "");
    EXPECT_TRUE(s->inTransaction());
    run("ROLLBACK");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM t"), "2");
}

// Oracle: a row trigger may not read or change its own table (ORA-04091), except for a single-row INSERT ... VALUES;
// a statement trigger may.
TEST_F(PlsqlTrigger, MutatingTable)
{
    run("CREATE TRIGGER t_count AFTER INSERT OR UPDATE ON t FOR EACH ROW\nDECLARE\n  n NUMBER;\nBEGIN\n"
        "  SELECT COUNT(*) INTO n FROM t;\n"
        "  INSERT INTO fired VALUES (fired_seq.NEXTVAL, 'count ' || n);\nEND;");
    EXPECT_EQ(errorText("UPDATE t SET amount = 0 WHERE id = 1"),
        "ORA-04091: table SYSTEM.T is mutating, trigger/function may not see it\n"
        "ORA-06512: at \"SYSTEM.T_COUNT\", line 4\n"
        "ORA-04088: error during execution of trigger 'SYSTEM.T_COUNT'");
    run("INSERT INTO t VALUES (3, 30, 'c')");
    EXPECT_EQ(log(), "count 3");
    EXPECT_EQ(errorText("INSERT INTO t SELECT 4, 40, 'd' FROM dual").substr(0, 9), "ORA-04091");
    run("DROP TRIGGER t_count");
    run("CREATE TRIGGER t_total AFTER UPDATE ON t\nDECLARE\n  n NUMBER;\nBEGIN\n"
        "  SELECT SUM(amount) INTO n FROM t;\n"
        "  INSERT INTO fired VALUES (fired_seq.NEXTVAL, 'total ' || n);\nEND;");
    run("UPDATE t SET amount = 1");
    EXPECT_EQ(log(), "count 3|total 3");
}

// Oracle: a trigger may not end the transaction: COMMIT, ROLLBACK, SAVEPOINT and DDL (its implicit COMMIT) in it
// are ORA-04092, also as dynamic SQL; dynamic SQL reading the mutating table is ORA-04091.
TEST_F(PlsqlTrigger, MayNotEndTheTransaction)
{
    struct Case {
        const char* name;
        const char* body;
        const char* error;
    };
    const Case cases[] = {
        { "commit", "COMMIT;", "ORA-04092: cannot COMMIT in a trigger" },
        { "rollback", "ROLLBACK;", "ORA-04092: cannot ROLLBACK in a trigger" },
        { "savepoint", "SAVEPOINT sp;", "ORA-04092: cannot SET SAVEPOINT in a trigger" },
        { "ddl", "EXECUTE IMMEDIATE 'CREATE TABLE x (n NUMBER)';", "ORA-04092: cannot COMMIT in a trigger" },
        { "dynamic query of its table", "EXECUTE IMMEDIATE 'SELECT COUNT(*) FROM t' INTO n;",
            "ORA-04091: table SYSTEM.T is mutating, trigger/function may not see it" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        run(std::string("CREATE OR REPLACE TRIGGER t_tx AFTER UPDATE ON t FOR EACH ROW\nDECLARE\n  n NUMBER;\nBEGIN\n  ")
            + c.body + "\nEND;");
        run("INSERT INTO fired VALUES (0, 'before')");
        const std::string e = errorText("UPDATE t SET amount = 5");
        EXPECT_EQ(e.substr(0, std::string(c.error).size()), c.error);
        EXPECT_EQ(one(*s, "SELECT amount FROM t WHERE id = 1"), "10");
        EXPECT_EQ(log(), "before");
        run("ROLLBACK");
    }
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM user_tables WHERE table_name = 'X'"), "0");
}

// Oracle: a trigger runs with its owner's rights: it writes to the owner's audit table, which the user who fires it
// cannot touch.
TEST_F(PlsqlTrigger, RunsWithOwnersRights)
{
    run("CREATE USER app IDENTIFIED BY app");
    run("GRANT CREATE SESSION TO app");
    run("GRANT SELECT, INSERT, UPDATE ON t TO app");
    run("CREATE TRIGGER t_audit AFTER INSERT ON t FOR EACH ROW\nBEGIN\n"
        "  INSERT INTO fired VALUES (fired_seq.NEXTVAL, USER || ' added ' || :NEW.id);\nEND;");
    auto app = logOn("APP", "APP");
    std::vector<engine::Bind> none;
    app->execute("INSERT INTO system.t VALUES (7, 70, 'g')", none);
    app->execute("COMMIT", none);
    EXPECT_EQ(log(), "APP added 7");
    EXPECT_EQ(errorOf(*app, "SELECT * FROM system.fired"), 942);
}

// Oracle: an audit trigger may write through a database link; the row reaches the other database in the same
// transaction, with the trigger's values and the local USER, and goes when the statement fails.
TEST_F(PlsqlTrigger, AuditsThroughADatabaseLink)
{
    auto auditDb = engine::Database::create(tmp.filePath("audit").toStdString());
    auto audit = auditDb->logOn("SYSTEM", "MANAGER");
    audit->execute("CREATE TABLE aud (id NUMBER, what VARCHAR2(40), who VARCHAR2(30))");
    run("CREATE DATABASE LINK auditlnk CONNECT TO SYSTEM IDENTIFIED BY MANAGER USING 'audit'");
    run("CREATE TRIGGER t_remote AFTER INSERT OR DELETE ON t FOR EACH ROW\nDECLARE\n  w VARCHAR2(10);\nBEGIN\n"
        "  IF :NEW.id = 99 THEN\n    RAISE_APPLICATION_ERROR(-20099, 'refused');\n  END IF;\n"
        "  IF INSERTING THEN w := 'added '; ELSE w := 'removed '; END IF;\n"
        "  INSERT INTO aud@auditlnk (id, what, who) VALUES (NVL(:NEW.id, :OLD.id), w || NVL(:NEW.note, :OLD.note), "
        "USER);\nEND;");
    run("INSERT INTO t VALUES (3, 30, 'c')");
    run("DELETE FROM t WHERE id = 1");
    run("COMMIT");
    EXPECT_EQ(rows(*audit, "SELECT id || ' ' || what || ' ' || who FROM aud ORDER BY id"),
        (std::vector<std::string> { "1 removed a SYSTEM", "3 added c SYSTEM" }));
    EXPECT_EQ(errorText("INSERT INTO t SELECT 98, 1, 'x' FROM dual UNION ALL SELECT 99, 1, 'y' FROM dual").substr(0, 9),
        "ORA-20099");
    run("COMMIT");
    EXPECT_EQ(one(*audit, "SELECT COUNT(*) FROM aud"), "2");
    s.reset();
    audit.reset();
}

// Oracle: a trigger with errors is created (ORA-24344 to the caller), is INVALID with its errors numbered from its
// PL/SQL block, and DML on its table fails with ORA-04098 until it compiles; ALTER TRIGGER ... COMPILE recompiles.
TEST_F(PlsqlTrigger, CompileErrorsAndRecompile)
{
    engine::ExecResult r = run("CREATE TRIGGER t_bad BEFORE INSERT ON t FOR EACH ROW\n"
                               "DECLARE\n  n NUMBER;\nBEGIN\n  SELECT COUNT(*) INTO n FROM later_tab;\nEND;");
    ASSERT_TRUE(r.warning.has_value());
    EXPECT_EQ(r.warning->code(), 24344);
    EXPECT_EQ(one(*s, "SELECT status FROM user_objects WHERE object_name = 'T_BAD'"), "INVALID");
    EXPECT_EQ(rows(*s, "SELECT line || ':' || position || ' ' || text FROM user_errors WHERE name = 'T_BAD' "
                       "ORDER BY sequence"),
        (std::vector<std::string> { "4:31 PL/SQL: ORA-00942: table or view does not exist",
            "4:3 PL/SQL: SQL Statement ignored" }));
    EXPECT_EQ(errorText("INSERT INTO t VALUES (5, 1, 'x')"),
        "ORA-04098: trigger 'SYSTEM.T_BAD' is invalid and failed re-validation");
    run("CREATE TABLE later_tab (x NUMBER)");
    engine::ExecResult c = run("ALTER TRIGGER t_bad COMPILE");
    EXPECT_FALSE(c.warning.has_value());
    EXPECT_EQ(one(*s, "SELECT status FROM user_objects WHERE object_name = 'T_BAD'"), "VALID");
    EXPECT_EQ(rows(*s, "SELECT referenced_name || ' ' || referenced_type FROM user_dependencies WHERE name = 'T_BAD' "
                       "ORDER BY referenced_name"),
        (std::vector<std::string> { "LATER_TAB TABLE", "T TABLE" }));
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM user_errors WHERE name = 'T_BAD'"), "0");
    run("INSERT INTO t VALUES (5, 1, 'x')");

    // A change of its table makes it INVALID; the next DML compiles it again and it is VALID.
    run("ALTER TABLE t ADD (extra NUMBER)");
    EXPECT_EQ(one(*s, "SELECT status FROM user_objects WHERE object_name = 'T_BAD'"), "INVALID");
    run("INSERT INTO t VALUES (6, 1, 'y', 2)");
    EXPECT_EQ(one(*s, "SELECT status FROM user_objects WHERE object_name = 'T_BAD'"), "VALID");
}

// Oracle: the header's own faults fail CREATE TRIGGER and store nothing.
TEST_F(PlsqlTrigger, HeaderErrorsFailTheStatement)
{
    struct Case {
        const char* name;
        const char* sql;
        int code;
    };
    const Case cases[] = {
        { "no such table", "CREATE TRIGGER x BEFORE INSERT ON nosuch BEGIN NULL; END;", 942 },
        { "no such column in UPDATE OF", "CREATE TRIGGER x BEFORE UPDATE OF nosuch ON t BEGIN NULL; END;", 904 },
        { "WHEN on a statement trigger", "CREATE TRIGGER x BEFORE INSERT ON t WHEN (1 = 1) BEGIN NULL; END;", 4077 },
        { ":NEW in a statement trigger", "CREATE TRIGGER x BEFORE INSERT ON t BEGIN :NEW.id := 1; END;", 4082 },
        { "assigning :NEW after the row", "CREATE TRIGGER x AFTER INSERT ON t FOR EACH ROW BEGIN :NEW.id := 1; END;",
            4084 },
        { "assigning :OLD", "CREATE TRIGGER x BEFORE UPDATE ON t FOR EACH ROW BEGIN :OLD.id := 1; END;", 4085 },
        { "a name taken", "CREATE TRIGGER t_dup BEFORE INSERT ON t BEGIN NULL; END;", 4081 },
    };
    run("CREATE TRIGGER t_dup AFTER INSERT ON t BEGIN NULL; END;");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorOf(*s, c.sql), c.code);
    }
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM user_objects WHERE object_name = 'X'"), "0");
}

// Oracle: ALL_TRIGGERS describes the trigger as created; the trigger goes with its table.
TEST_F(PlsqlTrigger, DictionaryAndDropWithTable)
{
    run("CREATE TRIGGER t_desc BEFORE INSERT OR UPDATE ON t REFERENCING NEW AS n OLD AS o FOR EACH ROW\n"
        "WHEN (n.amount > 0)\nBEGIN\n  :n.note := 'x';\nEND;");
    EXPECT_EQ(rows(*s,
                  "SELECT trigger_type, triggering_event, table_owner, base_object_type, table_name, "
                  "referencing_names, when_clause, status, action_type FROM user_triggers"),
        std::vector<std::string> { "BEFORE EACH ROW INSERT OR UPDATE SYSTEM TABLE T REFERENCING NEW AS N OLD AS O "
                                   "n.amount > 0 ENABLED PL/SQL     " });
    EXPECT_EQ(one(*s, "SELECT description FROM user_triggers"),
        "t_desc BEFORE INSERT OR UPDATE ON t REFERENCING NEW AS n OLD AS o FOR EACH ROW\n");
    EXPECT_EQ(one(*s, "SELECT trigger_body FROM user_triggers"), "BEGIN\n  :n.note := 'x';\nEND;\n");
    EXPECT_EQ(one(*s, "SELECT text FROM user_source WHERE name = 'T_DESC' AND line = 1"),
        "TRIGGER t_desc BEFORE INSERT OR UPDATE ON t REFERENCING NEW AS n OLD AS o FOR EACH ROW\n");
    run("INSERT INTO t VALUES (3, 5, 'c')");
    EXPECT_EQ(one(*s, "SELECT note FROM t WHERE id = 3"), "x");
    run("DROP TABLE t");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM user_triggers"), "0");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM user_objects WHERE object_type = 'TRIGGER'"), "0");
}

} // namespace
