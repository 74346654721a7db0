// The table-refresh block the tool generates, written out for a two-table fixture and run by the engine: it must
// leave the destination equal to the source, count what it did and report failed rows, as it does on Oracle.
#include "engine_fixture.h"

#include <string>
#include <vector>

namespace {

using enginetest::EngineTest;

// The block for D = SYSTEM.DST, S = SYSTEM.SRC, key ID NUMBER, columns ID NAME AMT DATUMIPL with NAME and AMT
// marked, "Update records" on, errors saved into VEXO_UTIL.VEXO_ERR, without the pipe.
std::string refreshBlock(bool withDelete)
{
    const std::string D = "SYSTEM.DST", S = "SYSTEM.SRC";
    const std::string P = "sUnique1 NUMBER", W = "ID=sUnique1 ", AS = "rS.ID", AD = "rD.ID";
    const std::string DS = "to_char(rS.ID)", DD = "to_char(rD.ID)";
    auto term = [](const std::string& c) {
        return "((rS." + c + "<> rD." + c + ") or ( ( rS." + c + " is null or rD." + c + " is null) and not (rS." + c
            + " is null and rD." + c + " is null)) )";
    };
    const std::string CMP = "IF " + term("NAME") + "\r\n      or " + term("AMT") + "\r\n             THEN";
    const std::string U = "NAME=rS.NAME,AMT=rS.AMT";
    const std::string I = "     (ID,NAME,AMT,DATUMIPL)\r\n    values \r\n     (rS.ID,rS.NAME,rS.AMT,rS.DATUMIPL);";
    const std::string R = "'ALL:'|| to_char(st)||'  UPDATED:'||to_char(popr)||'  INSERTED:'||to_char(ni)||'  "
                          "DELETED:'||to_char(stDel)||'  ERRORS:'||to_char(iError));";
    std::vector<std::string> l;
    l.push_back("DECLARE");
    l.push_back("  CURSOR cPrava is select * from " + S + ";");
    l.push_back("  rS " + S + "%ROWTYPE;");
    l.push_back(" CURSOR cOrig(" + P + ") is select * from " + D);
    l.push_back("    where " + W + "for update;");
    l.push_back("  rD " + D + "%ROWTYPE;");
    if (withDelete) {
        l.push_back(" CURSOR cOrigDelete is select * from " + D + " for update;");
        l.push_back(" CURSOR cPravaDelete(" + P + ") is select * from " + S);
        l.push_back("    where " + W + "for update;");
    }
    for (const char* c : { "  popr INTEGER:=0;", "  ni INTEGER:=0;", "  st INTEGER:=0;", "  pipe INTEGER;",
             "  stDel INTEGER:=0;", "  stDelNe INTEGER:=0;", "  intSt INTEGER:=0;", "  rt INTEGER;",
             "  iError INTEGER:=0;" })
        l.push_back(c);
    l.push_back("");
    l.push_back("  PROCEDURE f_error(type CHAR,cont CHAR) IS");
    l.push_back("  BEGIN");
    l.push_back("    insert into vexo_util.vexo_err (error_type,error_cont) values (type,cont);");
    l.push_back("  END;");
    l.push_back("");
    l.push_back("BEGIN");
    l.push_back("  LOCK TABLE " + D + " IN EXCLUSIVE MODE NOWAIT;");
    for (const std::string& x : { std::string("  open cPrava;"), std::string("  LOOP"),
             std::string("    FETCH cPrava into rS;"), std::string("    EXIT when cPrava%NOTFOUND;"),
             std::string("    st:=st+1;"), "    open cOrig(" + AS + ");", std::string("    FETCH cOrig INTO rD;"),
             std::string("    IF cOrig%FOUND THEN") })
        l.push_back(x);
    l.push_back("      " + CMP);
    l.push_back("         popr:=popr+1;");
    l.push_back("         update " + D + " set ");
    l.push_back("         " + U);
    l.push_back("         where current of cOrig;");
    l.push_back("      END if;  ");
    l.push_back("    ELSE ");
    l.push_back("      BEGIN");
    l.push_back("       INSERT INTO " + D);
    l.push_back("         " + I);
    l.push_back("        ni:=ni+1;");
    l.push_back("      EXCEPTION");
    l.push_back("        WHEN OTHERS THEN");
    l.push_back("            iError:=iError+1;");
    l.push_back("            f_error('UNIQUE+',substr(" + DS + "||'    '||SQLERRM,1,95));");
    for (const char* x : { "      END;", "    END if;", "    close cOrig;", "    IF intST=100 THEN ",
             "       intST:=1;", "    ELSE ", "       intST:=intst+1; ", "    END if; ", "  END LOOP;",
             "  close cPrava;" })
        l.push_back(x);
    if (withDelete) {
        for (const char* x : { "", "  -- DELETE", "  open cOrigDelete;", "  intST:=1;", "  LOOP",
                 "    FETCH cOrigDelete INTO rD;", "    EXIT WHEN cOrigDelete%NOTFOUND;", "    st:=st+1;",
                 "    IF intST=100 THEN ", "       intST:=1;", "    ELSE ", "       intST:=intst+1; ", "    END if; " })
            l.push_back(x);
        l.push_back("    open cPravaDelete(" + AD + ");");
        for (const char* x : { "    FETCH cPravaDelete INTO rS;", "    IF cPravaDelete%NOTFOUND THEN", "      BEGIN" })
            l.push_back(x);
        l.push_back("        DELETE " + D + " where current of cOrigDelete;");
        for (const char* x : { "        stDel:=stDel+1;", "      EXCEPTION", "        WHEN OTHERS THEN",
                 "            iError:=iError+1;" })
            l.push_back(x);
        l.push_back("         f_error('DELETE',substr(" + DD + "||'    '||SQLERRM,1,95));");
        for (const char* x :
            { "      END;", "    END if;", "    close cPravaDelete;", "  END loop;", "  close cOrigDelete;" })
            l.push_back(x);
    }
    l.push_back("  dbms_output.put_line('" + D + "'||'  '||" + R);
    l.push_back("  f_error('" + D + "'," + R);
    l.push_back("  END;");
    std::string text;
    for (const std::string& x : l)
        text += x + "\r\n";
    return text;
}

class PlsqlRefresh : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        s->execute("CREATE USER vexo_util IDENTIFIED BY util");
        s->execute("CREATE TABLE vexo_util.vexo_err (error_type VARCHAR2(30), error_cont VARCHAR2(200))");
        s->execute("CREATE TABLE src (id NUMBER PRIMARY KEY, name VARCHAR2(20), amt NUMBER, datumipl DATE)");
        s->execute("CREATE TABLE dst (id NUMBER PRIMARY KEY, name VARCHAR2(20) NOT NULL, amt NUMBER, datumipl DATE)");
        // 250 source rows; the destination has some equal, some changed (a value, a null against a value), some
        // missing, and rows the source does not have.
        s->execute("BEGIN FOR i IN 1..250 LOOP INSERT INTO src VALUES (i, 'n' || i, i * 10, DATE '2024-01-01'); END "
                   "LOOP; END;");
        s->execute("INSERT INTO dst SELECT id, name, amt, DATE '2020-01-01' FROM src WHERE id <= 200");
        s->execute("UPDATE dst SET name = 'changed' WHERE id IN (5, 6)");
        s->execute("UPDATE dst SET amt = NULL WHERE id = 7");
        s->execute("UPDATE src SET amt = NULL WHERE id = 8");
        s->execute("INSERT INTO dst VALUES (900, 'extra', 1, NULL)");
        s->execute("INSERT INTO dst VALUES (901, 'extra', 2, NULL)");
        // a source row the destination refuses (NAME is NOT NULL there): reported, the rest goes on
        s->execute("UPDATE src SET name = NULL WHERE id = 240");
        s->execute("COMMIT");
    }
    std::vector<std::string> table(const std::string& name)
    {
        return rows(*s, "SELECT id, name, amt FROM " + name + " ORDER BY id");
    }
};

// Oracle: the block updates the changed rows, inserts the missing ones, deletes those without a source row, reports
// the row it could not insert and leaves the transaction open for the caller.
TEST_F(PlsqlRefresh, WithDeleteLeavesTheTablesEqual)
{
    s->execute(refreshBlock(true));
    EXPECT_TRUE(s->inTransaction());
    // st counts the 250 source rows and then the 251 destination rows the delete pass reads
    std::vector<std::string> src = table("src"), dst = table("dst");
    src.erase(std::remove(src.begin(), src.end(), "240 NULL 2400"), src.end());
    EXPECT_EQ(dst, src);
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM dst WHERE datumipl = DATE '2020-01-01'"), "200");
    auto errors = rows(*s, "SELECT error_type, error_cont FROM vexo_util.vexo_err ORDER BY error_type");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], "SYSTEM.DST ALL:501  UPDATED:4  INSERTED:49  DELETED:2  ERRORS:1");
    EXPECT_EQ(errors[1].substr(0, 19), "UNIQUE+ 240    ORA-");
    s->execute("ROLLBACK");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM dst"), "202");
}

// Oracle: without the delete pass, rows the source lacks stay; the counts cover the refresh pass only.
TEST_F(PlsqlRefresh, WithoutDeleteKeepsExtraRows)
{
    s->execute(refreshBlock(false));
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM dst"), "251");
    EXPECT_EQ(one(*s, "SELECT error_cont FROM vexo_util.vexo_err WHERE error_type = 'SYSTEM.DST'"),
        "ALL:250  UPDATED:4  INSERTED:49  DELETED:0  ERRORS:1");
}

// Oracle: another session holding a lock on the destination makes LOCK TABLE ... NOWAIT fail at once with
// ORA-00054, which the block does not catch.
TEST_F(PlsqlRefresh, LockedDestinationFailsAtOnce)
{
    auto other = logOn();
    other->execute("UPDATE dst SET amt = amt WHERE id = 1");
    try {
        s->execute(refreshBlock(true));
        ADD_FAILURE() << "the block ran";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 54);
        EXPECT_NE(e.message().find("ORA-06512: at line"), std::string::npos);
    }
    other->execute("ROLLBACK");
}

} // namespace
