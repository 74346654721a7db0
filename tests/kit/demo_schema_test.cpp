// The demo database's schemas: every table the tool reads or writes, with the columns and types its statements use,
// its keys, the indexes it names, the disabled foreign key with its orphans, and the sample rows behind the windows.
#include "kit_fixture.h"

#include <map>
#include <sstream>

using namespace kittest;

namespace {

struct TableSpec {
    const char* owner;
    const char* table;
    const char* primaryKey; // columns in key order, "" for none
    const char* columns; // "NAME:TYPE ..." the tool relies on
};

// Columns as the tool's statements name them; the types where a statement depends on them (a LONG text, dates
// compared and formatted, numbers summed).
const std::vector<TableSpec> kTables = {
    { "VOXA", "ISEC_USERS", "USER__ID",
        "USER__ID:NUMBER USERNAME:VARCHAR2 USERPSWD:VARCHAR2 USERDEF1:VARCHAR2 USERDEF2:VARCHAR2 USERLACC:DATE "
        "USERACCC:NUMBER USERENAB:CHAR USERADMI:NUMBER" },
    { "VOXA", "PR107PAR", "SIFRA107",
        "SIFRA007:NUMBER APP__007:VARCHAR2 USERDEF1:VARCHAR2 WKSID107:VARCHAR2 SIFRAX31:NUMBER VAL1_107:VARCHAR2 "
        "SIFRA107:NUMBER ATTR_007:VARCHAR2 STAT_107:CHAR" },
    { "VOXA", "JOB_START_LOG", "LOG_ID",
        "LOG_ID:NUMBER JOB_NAME:VARCHAR2 JOB_DATE:DATE JOB_ACTION:VARCHAR2 ACTOR_NAME:VARCHAR2 JOB_INFO:VARCHAR2" },
    { "VOXA", "VEXOSEMAPHOR", "TIP__SEM,VRED_SEM",
        "CONN_SEM:NUMBER USER_SEM:VARCHAR2 SEJA_SEM:NUMBER DATUMSEM:DATE TIP__SEM:VARCHAR2 VRED_SEM:VARCHAR2 "
        "UUSERSEM:VARCHAR2 UDATUSEM:DATE" },
    { "VOXA", "VEXO_ALM", "PIPENAME,TIP__ALM,VRED_ALM", "PIPENAME:VARCHAR2 TIP__ALM:VARCHAR2 VRED_ALM:VARCHAR2" },
    { "VOXA", "VEXO_LOG", "LOG_COUNTER",
        "LOG_TERMINATE:CHAR LOG_IPLUSER:VARCHAR2 LOG_OSUSER:VARCHAR2 LOG_STATION:VARCHAR2 LOG_DATEFROM:DATE "
        "LOG_DATETO:DATE LOG_TIME:NUMBER LOG_LOGINFROM:DATE LOG_MODULE:VARCHAR2 LOG_VERSION:VARCHAR2 "
        "LOG_CONN:NUMBER LOG_COUNTER:NUMBER LOG_BLOCK_GETS:NUMBER LOG_BLOCK_CHANGES:NUMBER "
        "LOG_CONSISTENT_GETS:NUMBER LOG_CONSISTENT_CHANGES:NUMBER LOG_PHYSICAL_READS:NUMBER" },
    { "VOXA", "AUDIT_PARAMS", "PARAM_ID", "DBLINK_N:VARCHAR2" },
    { "VOXA", "CUSTOMERS", "CUSTOMER_ID", "CUSTOMER_ID:NUMBER NAME:VARCHAR2 CITY:VARCHAR2 CREATED:DATE" },
    { "VOXA", "PRODUCTS", "PRODUCT_ID", "PRODUCT_ID:NUMBER CODE:VARCHAR2 PRICE:NUMBER" },
    { "VOXA", "ORDERS", "ORDER_ID", "ORDER_ID:NUMBER CUSTOMER_ID:NUMBER ORDER_DATE:DATE STATUS:CHAR" },
    { "VOXA", "ITEMS", "ORDER_ID,LINE_NO", "PRODUCT_ID:NUMBER QUANTITY:NUMBER PRICE:NUMBER" },
    { "VOXA", "INVOICES", "INVOICE_ID", "ORDER_ID:NUMBER INVOICE_DATE:DATE AMOUNT:NUMBER" },
    { "BILDOR", "ACCOUNTS", "ACCOUNT_NO", "ACCOUNT_NO:VARCHAR2 NAME:VARCHAR2 KIND:CHAR" },
    { "BILDOR", "POSTINGS", "POSTING_ID", "ACCOUNT_NO:VARCHAR2 POSTING_DATE:DATE DEBIT:NUMBER CREDIT:NUMBER" },
    { "BLOB", "DOCUMENTS", "DOC_ID", "NAME:VARCHAR2 CONTENT:BLOB" },
    { "VEXO_UTIL", "VEXO_EXS", "",
        "SCRIPT_NAME:VARCHAR2 SCRIPT_COUNTER:NUMBER SCRIPT_STAT:CHAR SCRIPT_CONT:LONG SCRIPT_ERR:VARCHAR2 "
        "SCRIPT_OWNER:VARCHAR2 SCRIPT_DATE:DATE" },
    { "VEXO_UTIL", "VEXO_HIST", "HIST_USER,HIST_ZPST", "HIST_ZPST:NUMBER HIST_UKAZ:VARCHAR2 HIST_USER:VARCHAR2" },
    { "VEXO_UTIL", "VEXO_PLAN_TABLE", "",
        "STATEMENT_ID:VARCHAR2 TIMESTAMP:DATE OPERATION:VARCHAR2 OPTIONS:VARCHAR2 OBJECT_OWNER:VARCHAR2 "
        "OBJECT_NAME:VARCHAR2 OBJECT_TYPE:VARCHAR2 ID:NUMBER PARENT_ID:NUMBER POSITION:NUMBER DEPTH:NUMBER "
        "COST:NUMBER CARDINALITY:NUMBER" },
    { "VEXO_UTIL", "VEXO_PL_TPL", "TPL_SIFRA", "TPL_SIFRA:VARCHAR2 TPL_DESC:VARCHAR2 TPL_CONT:VARCHAR2" },
    { "VEXO_UTIL", "VEXO_PL", "",
        "PROJECT:VARCHAR2 TYPE:VARCHAR2 POSITION:NUMBER NAME:VARCHAR2 DESCRIPTION:VARCHAR2 FILE_DIR:VARCHAR2 "
        "COMMENT_LONG:LONG" },
    { "VEXO_UTIL", "QUANDRELSYS", "SYSSPREM", "SYSSPREM:VARCHAR2 SYSVRED:VARCHAR2 SYSOPIS:VARCHAR2" },
    { "VEXO_UTIL", "SISTEMSKI_PARAMETRI", "PARAM_PARTNER,PARAM_IME",
        "PARAM_TIP:CHAR PARAM_NABOR:VARCHAR2 PARAM_VNOS_VREDNOSTI:VARCHAR2 PARAM_VRED1:VARCHAR2 "
        "PARAM_VRED2:VARCHAR2 PARAM_VRED3:VARCHAR2 PARAM_MEMO:VARCHAR2 DATUMIPL:DATE USER_IPL:VARCHAR2" },
    { "VEXO_UTIL", "VEXO_INSTALATIONS", "USERINDEX",
        "USERINDEX:NUMBER USERNAME:VARCHAR2 FULLNAME:VARCHAR2 INSTANCE:VARCHAR2 USER_VOXA:VARCHAR2 "
        "PASS_VOXA:VARCHAR2 USER_BILDOR:VARCHAR2 PASS_BILDOR:VARCHAR2 LASTSCRIPTDATE:DATE "
        "LASTSCRIPTSTATUS:VARCHAR2 LASTSCRIPTERRORS:NUMBER" },
    { "VEXO_UTIL", "VEXO_INST_USERS", "USERNAME", "USERINDEX:NUMBER USERNAME:VARCHAR2" },
    { "VEXO_UTIL", "VEXO_INST", "INST_DESC",
        "INST_DESC:VARCHAR2 INST_INSTANCE:VARCHAR2 INST_VERSION:VARCHAR2 INST_CURRENT:VARCHAR2 INST_LAST:DATE "
        "INST_FILES:VARCHAR2 INST_INIT:LONG INST_OS:VARCHAR2 INST_SAVE:VARCHAR2 INST_HINTS:VARCHAR2" },
    { "VEXO_UTIL", "VEXO_ERR", "", "ERROR_TYPE:VARCHAR2 ERROR_CONT:VARCHAR2" },
    { "VEXO_UTIL", "VEXO_LOCK", "",
        "LOCKDATE:DATE LOCKMESS:VARCHAR2 LOCKRESP:VARCHAR2 LOCKRESPDATE:DATE LOCKHASH:NUMBER LOCKUSER:VARCHAR2 "
        "LOCKSEJA:NUMBER LOCKCONN:NUMBER LOCKSERI:NUMBER" },
    { "VEXO_UTIL", "VEXO_DT_MAIN", "IDXOFDT", "IDXOFDT:NUMBER DATEOFDT:DATE" },
    { "VEXO_UTIL", "VEXO_DT_COL", "IDXOFDT,TABLEOFDT", "IDXOFDT:NUMBER TABLEOFDT:VARCHAR2 RECOFDT:NUMBER" },
    { "VEXO_UTIL", "IMON_PARAM", "",
        "DT_OWNERS:VARCHAR2 DT_DAY:VARCHAR2 DT_TIMEFROM:NUMBER DT_TIMETO:NUMBER DT_RECORDS:NUMBER "
        "DT_VIEW_TABLES:VARCHAR2 TS_TABLESPACES:VARCHAR2 TS_MALAMEJA:NUMBER TS_VELIKAMEJA:NUMBER" },
    { "VEXO_UTIL", "IMON_WARNING", "",
        "MESSTYPE:VARCHAR2 WRITEDATE:DATE READDATE:DATE PRIORITY:NUMBER DELETED:CHAR MESSTXT:VARCHAR2" },
    { "VEXO_UTIL", "IMON_TRANS", "", "TABLES:VARCHAR2" },
    { "VEXO_UTIL", "IMON_LONGQU", "",
        "QU:VARCHAR2 EXECUTIONS:NUMBER ROWSPEREXEC:NUMBER BUFFERGETS:NUMBER ROWSPROCESSED:NUMBER" },
    { "VEXO_AUDIT", "AUD_CUSTOMERS", "", "AUD_DATE:DATE AUD_USER:VARCHAR2 CUSTOMER_ID:NUMBER" },
    { "VEXO_AUDIT", "AUD_ORDERS", "", "AUD_DATE:DATE AUD_USER:VARCHAR2 ORDER_ID:NUMBER" },
};

std::vector<std::string> words(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::stringstream in(s);
    for (std::string w; std::getline(in, w, sep);)
        if (!w.empty())
            out.push_back(w);
    return out;
}

TEST_F(DemoTest, EachSchemaHasTheToolsTablesWithTheirColumnsAndKeys)
{
    auto s = logOn();
    for (const TableSpec& t : kTables) {
        SCOPED_TRACE(std::string(t.owner) + "." + t.table);
        std::map<std::string, std::string> types;
        engine::ExecResult cols = s->execute("select column_name, data_type from all_tab_columns where owner = '"
            + std::string(t.owner) + "' and table_name = '" + t.table + "'");
        while (cols.cursor->next())
            types[cols.cursor->value(0).toString()] = cols.cursor->value(1).toString();
        ASSERT_FALSE(types.empty()) << "the table is missing";
        for (const std::string& c : words(t.columns, ' ')) {
            auto nameType = words(c, ':');
            ASSERT_EQ(nameType.size(), 2u) << c;
            EXPECT_EQ(types[nameType[0]], nameType[1]) << nameType[0];
        }
        auto key = rows(*s,
            "select cc.column_name from all_constraints c, all_cons_columns cc where c.owner = '" + std::string(t.owner)
                + "' and c.table_name = '" + t.table
                + "' and c.constraint_type = 'P' and cc.owner = c.owner and cc.constraint_name = c.constraint_name"
                  " order by cc.position");
        std::string joined;
        for (const std::string& k : key)
            joined += (joined.empty() ? "" : ",") + k;
        EXPECT_EQ(joined, t.primaryKey);
    }
}

TEST_F(DemoTest, UtilitySchemaHoldsTheTableCountsTheMainMenuTests)
{
    // The table-size window opens only for exactly three VEXO_DT_% tables, the monitor for more than one IMON_%.
    auto s = logOn();
    EXPECT_EQ(
        first(*s, "select count(*) stev from all_tables where owner='VEXO_UTIL' and  table_name like 'VEXO_DT_%' "),
        "3");
    EXPECT_EQ(
        first(*s, "select count(*) stev from all_tables where owner='VEXO_UTIL' and  table_name like 'IMON_%' "), "4");
    // The audit window lists the audit schema's tables; more than five make the audit location count.
    EXPECT_EQ(first(*s, "select count(*) from all_tables where owner='VEXO_AUDIT' and table_name like 'AUD_%'"), "7");
}

TEST_F(DemoTest, ScriptTableHasItsIndexAndLongText)
{
    auto s = logOn();
    EXPECT_EQ(rows(*s,
                  "select column_name from all_ind_columns where index_owner = 'VEXO_UTIL' and index_name = "
                  "'VEXO_EX1' and table_name = 'VEXO_EXS' order by column_position"),
        (std::vector<std::string> { "SCRIPT_NAME", "SCRIPT_COUNTER" }));
    // The optional columns the script executor looks for when its window is created.
    EXPECT_EQ(first(*s,
                  "   select count(*)  stevec from all_tab_columns\nwhere owner='VEXO_UTIL' and table_name='VEXO_EXS' "
                  "and \n          column_name in ('SCRIPT_OWNER','SCRIPT_DATE')"),
        "2");
    // Every status the executor writes is there, and a LONG statement text reads back whole.
    EXPECT_EQ(rows(*s, "select script_stat from vexo_util.vexo_exs group by script_stat order by script_stat"),
        (std::vector<std::string> { "D", "E", "N", "X" }));
    EXPECT_EQ(first(*s,
                  "select script_cont from vexo_util.vexo_exs where script_name = 'V0703_INVOICES' and "
                  "script_counter = 2"),
        "BEGIN\n  UPDATE VOXA.INVOICES SET PAID = 'D' WHERE DUE_DATE < SYSDATE - 365;\n  COMMIT;\nEND;");
}

TEST_F(DemoTest, ForeignKeysAreEnabledButOneWhoseOrphansStayed)
{
    auto s = logOn();
    EXPECT_EQ(rows(*s,
                  "select owner || '.' || constraint_name || ' ' || status from all_constraints where "
                  "constraint_type = 'R' and status = 'DISABLED' and owner in ('VOXA', 'BILDOR', 'VEXO_UTIL', 'BLOB')"),
        (std::vector<std::string> { "VOXA.INVOICES_ORDERS_FK DISABLED" }));
    // The rows the disabled references window finds for it: invoices whose order does not exist.
    EXPECT_EQ(first(*s,
                  "select count(*) from VOXA.INVOICES tbl  where ORDER_ID is not null and not exists   (select * "
                  "from VOXA.ORDERS where ORDER_ID = tbl.ORDER_ID)"),
        "3");
    // Enabling it fails as Oracle does while the orphans are there (ORA-02298: parent keys not found).
    EXPECT_EQ(errorOf(*s, "alter table voxa.invoices enable constraint invoices_orders_fk"), 2298);
    // Enabled keys hold: every item has its order and product.
    EXPECT_EQ(first(*s,
                  "select count(*) from voxa.items i where not exists (select 1 from voxa.orders o where o.order_id = "
                  "i.order_id) or not exists (select 1 from voxa.products p where p.product_id = i.product_id)"),
        "0");
}

struct RowCount {
    const char* what;
    const char* query;
    const char* expected;
};

TEST_F(DemoTest, SampleRowsGiveEveryWindowSomethingToShow)
{
    auto s = logOn();
    const std::vector<RowCount> cases = {
        { "customers", "select count(*) from voxa.customers", "40" },
        { "orders, some of them open", "select count(*) from voxa.orders where status in ('N', 'P')", "20" },
        { "every order has items",
            "select count(*) from voxa.orders o where not exists (select 1 from voxa.items i "
            "where i.order_id = o.order_id)",
            "0" },
        { "two postings per invoice", "select count(*) - 2 * (select count(*) from voxa.invoices) from bildor.postings",
            "0" },
        { "history: slot 0 and 100 slots for VOXA, pointing at slot 5",
            "select count(*) || ' ' || max(decode(hist_zpst, 0, hist_ukaz)) from vexo_util.vexo_hist where "
            "hist_user = 'VOXA'",
            "101 5" },
        { "history list: the saved statements",
            "select count(*) from vexo_util.vexo_hist where hist_user='VOXA' and "
            "length(hist_ukaz)>5",
            "5" },
        { "locks held by four connections",
            "select count(*) from (select conn_sem conn,count(*) stevilo from voxa.vexosemaphor group by conn_sem)",
            "4" },
        { "alarms of three connections",
            "select count(*) from (select substr(pipename,6) conn,count(*) stevilo from voxa.vexo_alm group by "
            "substr(pipename,6))",
            "3" },
        { "lock log of the last 30 days",
            "select count(*) from vexo_util.vexo_lock where trunc(lockdate)>=trunc(sysdate) -30 ", "240" },
        { "logins of the last month, four still logged in",
            "select count(*) || ' ' || sum(decode(log_terminate, 'P', 1, 0)) from voxa.vexo_log where log_datefrom "
            ">= trunc(sysdate) - 31",
            "60 4" },
        { "table-size snapshots in the window's default period",
            "select count(*) from vexo_util.vexo_dt_main where dateofdt between date '2010-05-01' and date "
            "'2010-06-01'",
            "5" },
        { "warnings not deleted", "select count(*) from vexo_util.imon_warning where deleted = 'N'", "17" },
        { "installations and their users",
            "select count(*) from vexo_util.vexo_instalations i, "
            "vexo_util.vexo_inst_users u where u.userindex = i.userindex",
            "2" },
        { "system parameter template and a partner",
            "select count(*) from vexo_util.sistemski_parametri where param_partner in ('SETUP', 'DEMO')", "11" },
        { "job log", "select count(*) from voxa.job_start_log", "6" },
        { "pictures", "select count(*) from blob.documents where content is not null", "2" },
    };
    for (const RowCount& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(first(*s, c.query), c.expected);
    }
}

TEST_F(DemoTest, WorksheetExplainFillsThePlanTable)
{
    auto s = logOn();
    s->execute("TRUNCATE TABLE VEXO_UTIL.VEXO_PLAN_TABLE");
    s->execute("EXPLAIN PLAN INTO VEXO_UTIL.VEXO_PLAN_TABLE FOR  select * from voxa.orders where order_id = 1001");
    auto plan = rows(*s,
        "select substr( rtrim(lpad('  ',6*level)||operation||\n"
        "                    decode(id,0,'  Cost='||position)) || ' '||rtrim(options)\n"
        "                    ||' '|| object_name ,1,300) zaporedje\n"
        "FROM vexo_util.vexo_plan_table\n"
        "  connect by prior id=parent_id\n"
        "  start with id=0");
    ASSERT_GE(plan.size(), 2u);
    EXPECT_EQ(plan[0].find("      SELECT STATEMENT"), 0u) << plan[0];
    s->commit();
}

} // namespace
