// SYS's catalog tables (OBJ$, USER$, COL$, ...) as fixed tables with Oracle's column names, read from the catalog's
// SQLite tables of the same names. Columns Oracle has and this catalog does not keep read as NULL or as Oracle's
// usual value; passwords of database links are never shown.
#include "engine/dict/view_builder.h"

namespace engine::dict::detail {

namespace {

void table(
    std::vector<FixedObject>& out, const std::string& name, const std::vector<Col>& cols, const std::string& from)
{
    out.push_back(makeFixed(name, cols, from, FixedAccess::Dictionary, 2, false));
}

} // namespace

void addCatalogTables(std::vector<FixedObject>& out)
{
    const auto N = num();
    const auto D = date();
    table(out, "OBJ$",
        { { "OBJ#!", N, "\"OBJ#\"" }, { "DATAOBJ#", N, "CASE WHEN \"TYPE#\" IN (1, 2) THEN \"OBJ#\" END" },
            { "OWNER#!", N, "\"OWNER#\"" }, { "NAME!", vc(128), "\"NAME\"" }, { "NAMESPACE!", N, "\"NAMESPACE\"" },
            { "SUBNAME", vc(128), "" }, { "TYPE#!", N, "\"TYPE#\"" }, { "CTIME!", D, "\"CTIME\"" },
            { "MTIME!", D, "\"MTIME\"" }, { "STIME!", D, "\"STIME\"" }, { "STATUS!", N, "\"STATUS\"" },
            { "REMOTEOWNER", vc(128), "" }, { "LINKNAME", vc(128), "" }, { "FLAGS", N, "\"FLAGS\"" },
            { "OID$", raw(16), "" }, { "SPARE1", N, "6" }, { "SPARE2", N, "1" }, { "SPARE3", N, "\"OWNER#\"" },
            { "SPARE4", vc(1000), "" }, { "SPARE5", vc(1000), "" }, { "SPARE6", D, "" } },
        "FROM \"OBJ$\"");
    table(out, "USER$",
        { { "USER#!", N, "\"USER#\"" }, { "NAME!", vc(128), "\"NAME\"" }, { "TYPE#!", N, "\"TYPE#\"" },
            { "PASSWORD", vc(4000), "\"PASSWORD\"" }, { "DATATS#!", N, "" }, { "TEMPTS#!", N, "" },
            { "CTIME!", D, "\"CTIME\"" }, { "PTIME", D, "\"PTIME\"" }, { "EXPTIME", D, "" },
            { "LTIME", D, "\"LTIME\"" }, { "RESOURCE$!", N, "0" }, { "AUDIT$", vc(38), "" }, { "DEFROLE!", N, "1" },
            { "DEFGRP#", N, "" }, { "DEFGRP_SEQ#", N, "" }, { "ASTATUS!", N, "\"ASTATUS\"" }, { "LCOUNT!", N, "0" },
            { "DEFSCHCLASS", vc(128), "" }, { "EXT_USERNAME", vc(4000), "" }, { "SPARE1", N, "" }, { "SPARE2", N, "" },
            { "SPARE3", N, "" }, { "SPARE4", vc(1000), "\"SPARE4\"" }, { "SPARE5", vc(1000), "" },
            { "SPARE6", D, "" } },
        "FROM \"USER$\"");
    table(out, "TAB$",
        { { "OBJ#!", N, "\"OBJ#\"" }, { "DATAOBJ#", N, "\"OBJ#\"" }, { "TS#!", N, "" }, { "FILE#!", N, "" },
            { "BLOCK#!", N, "" }, { "BOBJ#", N, "" }, { "TAB#", N, "" }, { "COLS!", N, "\"COLS\"" },
            { "CLUCOLS", N, "" }, { "PCTFREE$!", N, "10" }, { "PCTUSED$!", N, "40" }, { "INITRANS!", N, "1" },
            { "MAXTRANS!", N, "255" }, { "FLAGS!", N, "0" },
            { "AUDIT$!", vc(38), "'--------------------------------------'" }, { "ROWCNT", N, "" }, { "BLKCNT", N, "" },
            { "EMPCNT", N, "" }, { "AVGSPC", N, "" }, { "CHNCNT", N, "" }, { "AVGRLN", N, "" }, { "AVGSPC_FLB", N, "" },
            { "FLBCNT", N, "" }, { "ANALYZETIME", D, "" }, { "SAMPLESIZE", N, "" }, { "DEGREE", N, "" },
            { "INSTANCES", N, "" }, { "INTCOLS!", N, "\"COLS\"" }, { "KERNELCOLS!", N, "\"COLS\"" },
            { "PROPERTY!", N, "\"PROPERTY\"" } },
        "FROM \"TAB$\"");
    table(out, "COL$",
        { { "OBJ#!", N, "c.\"OBJ#\"" }, { "COL#!", N, "c.\"COL#\"" }, { "SEGCOL#!", N, "c.\"COL#\"" },
            { "SEGCOLLENGTH!", N, dataLength("c") }, { "OFFSET!", N, "0" }, { "NAME!", vc(128), "c.\"NAME\"" },
            { "TYPE#!", N, "c.\"TYPE#\"" }, { "LENGTH!", N, dataLength("c") }, { "FIXEDSTORAGE!", N, "0" },
            { "PRECISION#", N, "c.\"PRECISION#\"" }, { "SCALE", N, "c.\"SCALE\"" }, { "NULL$!", N, "c.\"NULL$\"" },
            { "DEFLENGTH", N, "length(c.\"DEFAULT$\")" }, { "DEFAULT$", longText(), "c.\"DEFAULT$\"" },
            { "INTCOL#!", N, "c.\"COL#\"" }, { "PROPERTY!", N, "c.\"PROPERTY\"" },
            { "CHARSETID", N, "CASE WHEN " + charTypeCondition("c") + " THEN 873 END" },
            { "CHARSETFORM", N, "CASE WHEN " + charTypeCondition("c") + " OR c.\"TYPE#\" = 112 THEN 1 END" },
            { "SPARE1", N, "0" }, { "SPARE2", N, "0" }, { "SPARE3", N, charLength("c") }, { "SPARE4", vc(1000), "" },
            { "SPARE5", vc(1000), "" }, { "SPARE6", D, "" } },
        "FROM \"COL$\" c");
    table(out, "CON$",
        { { "OWNER#!", N, "\"OWNER#\"" }, { "NAME!", vc(128), "\"NAME\"" }, { "CON#!", N, "\"CON#\"" },
            { "SPARE1", N, "" }, { "SPARE2", N, "" }, { "SPARE3", N, "" }, { "SPARE4", vc(1000), "" },
            { "SPARE5", vc(1000), "" }, { "SPARE6", D, "" } },
        "FROM \"CON$\"");
    table(out, "CDEF$",
        { { "CON#!", N, "\"CON#\"" }, { "OBJ#!", N, "\"OBJ#\"" },
            { "COLS", N, "(SELECT count(*) FROM \"CCOL$\" cc WHERE cc.\"CON#\" = d.\"CON#\")" },
            { "TYPE#!", N, "\"TYPE#\"" },
            { "ROBJ#", N, "(SELECT r.\"OBJ#\" FROM \"CDEF$\" r WHERE r.\"CON#\" = d.\"RCON#\")" },
            { "RCON#", N, "\"RCON#\"" }, { "RRULES", vc(3), "" }, { "MATCH#", N, "" }, { "REFACT", N, "\"REFACT\"" },
            { "ENABLED", N, "CASE WHEN \"ENABLED\" <> 0 THEN 1 END" }, { "CONDLENGTH", N, "length(\"CONDITION\")" },
            { "CONDITION", longText(), "\"CONDITION\"" }, { "INTCOLS", N, "" }, { "MTIME", D, "\"MTIME\"" },
            { "DEFER", N,
                "CASE WHEN \"VALIDATED\" <> 0 THEN 4 ELSE 0 END + CASE WHEN (\"GENERATED\" & 1) <> 0 THEN 8 ELSE 0 END "
                "+ CASE WHEN (\"GENERATED\" & 2) <> 0 THEN 1 ELSE 0 END" },
            { "SPARE1", N, "" }, { "SPARE2", N, "" }, { "SPARE3", N, "" }, { "SPARE4", vc(1000), "" },
            { "SPARE5", vc(1000), "" }, { "SPARE6", D, "" } },
        "FROM \"CDEF$\" d");
    table(out, "CCOL$",
        { { "CON#!", N, "\"CON#\"" }, { "OBJ#!", N, "\"OBJ#\"" }, { "COL#!", N, "\"COL#\"" }, { "POS#", N, "\"POS#\"" },
            { "INTCOL#!", N, "\"COL#\"" }, { "SPARE1", N, "0" }, { "SPARE2", N, "" }, { "SPARE3", N, "" },
            { "SPARE4", vc(1000), "" }, { "SPARE5", vc(1000), "" }, { "SPARE6", D, "" } },
        "FROM \"CCOL$\"");
    table(out, "IND$",
        { { "OBJ#!", N, "\"OBJ#\"" }, { "DATAOBJ#", N, "\"OBJ#\"" }, { "TS#!", N, "" }, { "FILE#!", N, "" },
            { "BLOCK#!", N, "" }, { "BO#!", N, "\"BO#\"" }, { "INDMETHOD#!", N, "0" }, { "COLS!", N, "\"COLS\"" },
            { "PCTFREE$!", N, "10" }, { "INITRANS!", N, "2" }, { "MAXTRANS!", N, "255" }, { "PCTTHRES$", N, "" },
            { "TYPE#!", N, "\"TYPE#\"" }, { "FLAGS!", N, "\"FLAGS\"" }, { "PROPERTY!", N, "\"PROPERTY\"" },
            { "BLEVEL", N, "" }, { "LEAFCNT", N, "" }, { "DISTKEY", N, "" }, { "LBLKKEY", N, "" }, { "DBLKKEY", N, "" },
            { "CLUFAC", N, "" }, { "ANALYZETIME", D, "" }, { "SAMPLESIZE", N, "" }, { "ROWCNT", N, "" },
            { "INTCOLS!", N, "\"COLS\"" }, { "DEGREE", N, "" }, { "INSTANCES", N, "" }, { "TRUNCCNT", N, "" } },
        "FROM \"IND$\"");
    table(out, "ICOL$",
        { { "OBJ#!", N, "\"OBJ#\"" }, { "BO#!", N, "\"BO#\"" }, { "COL#!", N, "\"COL#\"" }, { "POS#!", N, "\"POS#\"" },
            { "SEGCOL#!", N, "\"COL#\"" }, { "SEGCOLLENGTH!", N, "0" }, { "OFFSET!", N, "0" },
            { "INTCOL#!", N, "\"COL#\"" }, { "SPARE1", N, "0" }, { "SPARE2", N, "" }, { "SPARE3", N, "" },
            { "SPARE4", vc(1000), "" }, { "SPARE5", vc(1000), "" }, { "SPARE6", D, "" } },
        "FROM \"ICOL$\"");
    table(out, "SEQ$",
        { { "OBJ#!", N, "\"OBJ#\"" }, { "INCREMENT$!", N, "\"INCREMENT$\"" }, { "MINVALUE", N, "\"MINVALUE\"" },
            { "MAXVALUE", N, "\"MAXVALUE\"" }, { "CYCLE#!", N, "\"CYCLE#\"" }, { "ORDER$!", N, "\"ORDER$\"" },
            { "CACHE!", N, "\"CACHE\"" }, { "HIGHWATER!", N, "\"HIGHWATER\"" },
            { "AUDIT$!", vc(38), "'--------------------------------------'" }, { "FLAGS", N, "0" },
            { "PARTCOUNT", N, "" } },
        "FROM \"SEQ$\"");
    table(out, "VIEW$",
        { { "OBJ#!", N, "\"OBJ#\"" }, { "AUDIT$!", vc(38), "'--------------------------------------'" },
            { "COLS!", N, "\"COLS\"" }, { "INTCOLS!", N, "\"COLS\"" }, { "PROPERTY!", N, "\"PROPERTY\"" },
            { "FLAGS!", N, "0" }, { "TEXTLENGTH", N, "\"TEXTLENGTH\"" }, { "TEXT", longText(), "\"TEXT\"" },
            { "TEXT_VC", vc(4000), "substr(\"TEXT\", 1, 4000)" } },
        "FROM \"VIEW$\"");
    table(out, "SYN$",
        { { "OBJ#!", N, "\"OBJ#\"" }, { "NODE", vc(128), "\"NODE\"" }, { "OWNER", vc(128), "\"OWNER\"" },
            { "NAME!", vc(128), "\"NAME\"" } },
        "FROM \"SYN$\"");
    table(out, "COM$",
        { { "OBJ#!", N, "\"OBJ#\"" }, { "COL#", N, "\"COL#\"" }, { "COMMENT$", vc(4000), "\"COMMENT$\"" } },
        "FROM \"COM$\"");
    table(out, "SYSAUTH$",
        { { "GRANTEE#!", N, "\"GRANTEE#\"" }, { "PRIVILEGE#!", N, "\"PRIVILEGE#\"" },
            { "SEQUENCE#!", N, "\"SEQUENCE#\"" }, { "OPTION$", N, "\"OPTION$\"" } },
        "FROM \"SYSAUTH$\"");
    table(out, "OBJAUTH$",
        { { "OBJ#!", N, "\"OBJ#\"" }, { "GRANTOR#!", N, "\"GRANTOR#\"" }, { "GRANTEE#!", N, "\"GRANTEE#\"" },
            { "PRIVILEGE#!", N, "\"PRIVILEGE#\"" }, { "SEQUENCE#!", N, "\"SEQUENCE#\"" }, { "PARENT", raw(18), "" },
            { "OPTION$", N, "\"OPTION$\"" }, { "COL#", N, "\"COL#\"" } },
        "FROM \"OBJAUTH$\"");
    table(out, "LINK$",
        { { "OWNER#!", N, "\"OWNER#\"" }, { "NAME!", vc(128), "\"NAME\"" }, { "CTIME!", D, "\"CTIME\"" },
            { "HOST", vc(2000), "\"HOST\"" }, { "USERID", vc(128), "\"USERID\"" }, { "PASSWORD", vc(128), "" },
            { "FLAG", N, "\"FLAG\"" }, { "AUTHUSR", vc(128), "" }, { "AUTHPWD", vc(128), "" },
            { "PASSWORDX", raw(2000), "" }, { "AUTHPWDX", raw(2000), "" } },
        "FROM \"LINK$\"");
    table(out, "SOURCE$",
        { { "OBJ#!", N, "\"OBJ#\"" }, { "LINE!", N, "\"LINE\"" }, { "SOURCE", vc(4000), "\"SOURCE\"" } },
        "FROM \"SOURCE$\"");
    table(out, "ERROR$",
        { { "OBJ#!", N, "\"OBJ#\"" }, { "SEQUENCE#", N, "\"SEQUENCE#\"" }, { "LINE!", N, "\"LINE\"" },
            { "POSITION#!", N, "\"POSITION#\"" }, { "TEXTLENGTH!", N, "\"TEXTLENGTH\"" },
            { "TEXT!", vc(4000), "\"TEXT\"" }, { "PROPERTY", N, "\"PROPERTY\"" },
            { "ERROR#", N,
                "CASE WHEN \"TEXT\" GLOB '[A-Z][A-Z][A-Z]-[0-9][0-9][0-9][0-9][0-9]*' THEN CAST(substr(\"TEXT\", 5, 5) "
                "AS "
                "INTEGER) ELSE 0 END" } },
        "FROM \"ERROR$\"");
    table(out, "DEPENDENCY$",
        { { "D_OBJ#!", N, "\"D_OBJ#\"" }, { "D_TIMESTAMP!", D, "" }, { "ORDER#!", N, "0" },
            { "P_OBJ#!", N, "\"P_OBJ#\"" }, { "P_TIMESTAMP!", D, "" }, { "D_OWNER#", N, "" }, { "PROPERTY!", N, "1" },
            { "D_ATTRS", raw(2000), "" }, { "D_REASON", raw(2000), "" } },
        "FROM \"DEPENDENCY$\"");
    table(out, "TRIGGER$",
        { { "OBJ#!", N, "\"OBJ#\"" }, { "TYPE#!", N, "\"TYPE#\"" }, { "UPDATE$!", N, "\"UPDATE$\"" },
            { "INSERT$!", N, "\"INSERT$\"" }, { "DELETE$!", N, "\"DELETE$\"" }, { "BASEOBJECT", N, "\"BASEOBJECT\"" },
            { "REFOLDNAME", vc(128), "COALESCE(\"REFOLDNAME\", 'OLD')" },
            { "REFNEWNAME", vc(128), "COALESCE(\"REFNEWNAME\", 'NEW')" }, { "DEFINITION", vc(4000), "\"DEFINITION\"" },
            { "WHENCLAUSE", vc(4000), "\"WHENCLAUSE\"" }, { "ACTION#", longText(), "\"ACTION#\"" },
            { "ACTIONSIZE", N, "length(\"ACTION#\")" }, { "ENABLED", N, "\"ENABLED\"" }, { "PROPERTY", N, "0" } },
        "FROM \"TRIGGER$\"");
}

} // namespace engine::dict::detail
