// The dictionary views of stored code: SOURCE, ERRORS, DEPENDENCIES, TRIGGERS, PROCEDURES, ARGUMENTS, over the
// catalog's SOURCE$, ERROR$, DEPENDENCY$ and TRIGGER$.
#include "engine/dict/view_builder.h"

namespace engine::dict::detail {

namespace {

const char* kObjectOwner = "FROM \"OBJ$\" o JOIN \"USER$\" u ON u.\"USER#\" = o.\"OWNER#\" ";

void addSourceAndErrors(std::vector<FixedObject>& out)
{
    const auto N = num();
    ViewTrio s;
    s.suffix = "SOURCE";
    s.cols = { { "OWNER", vc(128), "u.\"NAME\"" }, { "NAME", vc(128), "o.\"NAME\"" },
        { "TYPE", vc(12), objectTypeName("o.\"TYPE#\"") }, { "LINE", N, "s.\"LINE\"" },
        { "TEXT", vc(4000), "s.\"SOURCE\"" }, { "ORIGIN_CON_ID", N, "0" } };
    s.from = std::string(kObjectOwner) + "JOIN \"SOURCE$\" s ON s.\"OBJ#\" = o.\"OBJ#\"";
    s.ownerIdExpr = "o.\"OWNER#\"";
    s.objectIdExpr = "o.\"OBJ#\"";
    addTrio(out, s);

    ViewTrio e = s;
    e.suffix = "ERRORS";
    e.cols = { { "OWNER!", vc(128), "u.\"NAME\"" }, { "NAME!", vc(128), "o.\"NAME\"" },
        { "TYPE", vc(12), objectTypeName("o.\"TYPE#\"") }, { "SEQUENCE!", N, "e.\"SEQUENCE#\"" },
        { "LINE!", N, "e.\"LINE\"" }, { "POSITION!", N, "e.\"POSITION#\"" }, { "TEXT!", vc(4000), "e.\"TEXT\"" },
        { "ATTRIBUTE", vc(9), "CASE WHEN e.\"PROPERTY\" = 1 THEN 'WARNING' ELSE 'ERROR' END" },
        { "MESSAGE_NUMBER", N,
            "CASE WHEN e.\"TEXT\" GLOB '[A-Z][A-Z][A-Z]-[0-9][0-9][0-9][0-9][0-9]*' THEN CAST(substr(e.\"TEXT\", 5, 5) "
            "AS INTEGER) ELSE 0 END" } };
    e.from = std::string(kObjectOwner) + "JOIN \"ERROR$\" e ON e.\"OBJ#\" = o.\"OBJ#\"";
    addTrio(out, e);
}

void addDependencies(std::vector<FixedObject>& out)
{
    ViewTrio d;
    d.suffix = "DEPENDENCIES";
    d.cols = { { "OWNER!", vc(128), "u.\"NAME\"" }, { "NAME!", vc(128), "o.\"NAME\"" },
        { "TYPE", vc(19), objectTypeName("o.\"TYPE#\"") },
        { "REFERENCED_OWNER", vc(128), "CASE WHEN p.\"OBJ#\" IS NOT NULL THEN pu.\"NAME\" ELSE 'SYS' END" },
        { "REFERENCED_NAME", vc(128), "ifnull(p.\"NAME\", f.\"NAME\")" },
        { "REFERENCED_TYPE", vc(19), objectTypeName("ifnull(p.\"TYPE#\", f.\"TYPE#\")") },
        { "REFERENCED_LINK_NAME", vc(128), "" }, { "SCHEMAID", num(), "o.\"OWNER#\"" },
        { "DEPENDENCY_TYPE", vc(4), "'HARD'" } };
    d.from = std::string(kObjectOwner) + "JOIN \"DEPENDENCY$\" d ON d.\"D_OBJ#\" = o.\"OBJ#\" "
        + "LEFT JOIN \"OBJ$\" p ON p.\"OBJ#\" = d.\"P_OBJ#\" LEFT JOIN \"USER$\" pu ON pu.\"USER#\" = p.\"OWNER#\" "
        + "LEFT JOIN " + kFixedObjectsToken + " f ON f.\"OBJ#\" = d.\"P_OBJ#\"";
    d.where = "p.\"OBJ#\" IS NOT NULL OR f.\"OBJ#\" IS NOT NULL";
    d.ownerIdExpr = "o.\"OWNER#\"";
    d.objectIdExpr = "o.\"OBJ#\"";
    // Only USER_DEPENDENCIES shows the schema's number, and it shows it before DEPENDENCY_TYPE.
    std::vector<Col> withSchema = d.cols;
    d.cols.erase(d.cols.begin() + 7);
    d.withUser = false;
    addTrio(out, d);
    ViewTrio u = d;
    u.cols = withSchema;
    u.withUser = true;
    u.withAll = false;
    std::vector<FixedObject> forms;
    addTrio(forms, u);
    out.push_back(forms.back());
}

void addTriggers(std::vector<FixedObject>& out)
{
    const std::string timing = "CASE t.\"TYPE#\" WHEN 0 THEN 'BEFORE STATEMENT' WHEN 1 THEN 'BEFORE EACH ROW' "
                               "WHEN 2 THEN 'AFTER STATEMENT' WHEN 3 THEN 'AFTER EACH ROW' ELSE 'INSTEAD OF' END";
    const std::string events = "substr(CASE WHEN t.\"INSERT$\" <> 0 THEN ' OR INSERT' ELSE '' END"
                               " || CASE WHEN t.\"UPDATE$\" <> 0 THEN ' OR UPDATE' ELSE '' END"
                               " || CASE WHEN t.\"DELETE$\" <> 0 THEN ' OR DELETE' ELSE '' END, 5)";
    const std::string when = "CASE t.\"TYPE#\" WHEN 0 THEN 'before' WHEN 1 THEN 'before' WHEN 2 THEN 'after' "
                             "WHEN 3 THEN 'after' ELSE 'instead of' END";
    // The header as its author wrote it, from the name on; a row made before the header was kept gets one made
    // up from the other columns.
    const std::string description = "COALESCE(t.\"DEFINITION\", o.\"NAME\" || char(10) || " + when + " || ' ' || lower("
        + events
        + ") || ' on ' || b.\"NAME\" || CASE WHEN t.\"TYPE#\" IN (1, 3, 4) THEN char(10) || 'for each row' ELSE '' END"
          " || char(10))";
    const std::string isType = "CASE WHEN t.\"TYPE#\" = ";
    ViewTrio v;
    v.suffix = "TRIGGERS";
    v.cols = { { "OWNER", vc(128), "u.\"NAME\"" }, { "TRIGGER_NAME", vc(128), "o.\"NAME\"" },
        { "TRIGGER_TYPE", vc(16), timing }, { "TRIGGERING_EVENT", vc(246), events },
        { "TABLE_OWNER", vc(128), "bu.\"NAME\"" },
        { "BASE_OBJECT_TYPE", vc(18), "CASE b.\"TYPE#\" WHEN 4 THEN 'VIEW' ELSE 'TABLE' END" },
        { "TABLE_NAME", vc(128), "b.\"NAME\"" }, { "COLUMN_NAME", vc(4000), "" },
        { "REFERENCING_NAMES", vc(422),
            "'REFERENCING NEW AS ' || COALESCE(t.\"REFNEWNAME\", 'NEW') || ' OLD AS ' || COALESCE(t.\"REFOLDNAME\", "
            "'OLD')" },
        { "WHEN_CLAUSE", vc(4000), "t.\"WHENCLAUSE\"" },
        { "STATUS", vc(8), "CASE WHEN t.\"ENABLED\" <> 0 THEN 'ENABLED' ELSE 'DISABLED' END" },
        { "DESCRIPTION", vc(4000), description }, { "ACTION_TYPE", vc(11), "'PL/SQL     '" },
        { "TRIGGER_BODY", longText(), "t.\"ACTION#\"" }, { "CROSSEDITION", vc(7), "'NO'" },
        { "BEFORE_STATEMENT", vc(3), isType + "0 THEN 'YES' ELSE 'NO' END" },
        { "BEFORE_ROW", vc(3), isType + "1 THEN 'YES' ELSE 'NO' END" },
        { "AFTER_ROW", vc(3), isType + "3 THEN 'YES' ELSE 'NO' END" },
        { "AFTER_STATEMENT", vc(3), isType + "2 THEN 'YES' ELSE 'NO' END" },
        { "INSTEAD_OF_ROW", vc(3), isType + "4 THEN 'YES' ELSE 'NO' END" }, { "FIRE_ONCE", vc(3), "'YES'" },
        { "APPLY_SERVER_ONLY", vc(3), "'NO'" } };
    v.from = std::string(kObjectOwner) + "JOIN \"TRIGGER$\" t ON t.\"OBJ#\" = o.\"OBJ#\" "
        + "LEFT JOIN \"OBJ$\" b ON b.\"OBJ#\" = t.\"BASEOBJECT\" LEFT JOIN \"USER$\" bu ON bu.\"USER#\" = b.\"OWNER#\"";
    v.ownerIdExpr = "o.\"OWNER#\"";
    v.objectIdExpr = "o.\"OBJ#\"";
    v.allFilter = std::string("o.\"OWNER#\" = ") + kSchemaId + " OR b.\"OWNER#\" = " + kSchemaId
        + " OR ORA_PRIV_SYS('CREATE ANY TRIGGER') = 1";
    addTrio(out, v);
}

void addProceduresAndArguments(std::vector<FixedObject>& out)
{
    const auto N = num();
    ViewTrio p;
    p.suffix = "PROCEDURES";
    p.cols = { { "OWNER", vc(128), "u.\"NAME\"" }, { "OBJECT_NAME", vc(128), "o.\"NAME\"" },
        { "PROCEDURE_NAME", vc(128), "m.\"MEMBER\"" }, { "OBJECT_ID", N, "o.\"OBJ#\"" },
        { "SUBPROGRAM_ID", N,
            "CASE WHEN m.\"MEMBER\" IS NOT NULL THEN m.\"ID\" WHEN o.\"TYPE#\" = 9 THEN 0 ELSE 1 END" },
        { "OVERLOAD", vc(40), "CASE WHEN m.\"OVERLOAD\" > 0 THEN CAST(m.\"OVERLOAD\" AS TEXT) END" },
        { "OBJECT_TYPE", vc(13), objectTypeName("o.\"TYPE#\"") }, { "AGGREGATE", vc(3), "'NO'" },
        { "PIPELINED", vc(3), "'NO'" }, { "IMPLTYPEOWNER", vc(128), "" }, { "IMPLTYPENAME", vc(128), "" },
        { "PARALLEL", vc(3), "'NO'" }, { "INTERFACE", vc(3), "'NO'" }, { "DETERMINISTIC", vc(3), "'NO'" },
        { "AUTHID", vc(12), "CASE WHEN o.\"FLAGS\" & 8 <> 0 THEN 'CURRENT_USER' ELSE 'DEFINER' END" },
        { "RESULT_CACHE", vc(3), "'NO'" }, { "ORIGIN_CON_ID", N, "0" }, { "POLYMORPHIC", vc(5), "" } };
    // A row for the unit, and for a package one more for each member subprogram (from ARGUMENT$, which holds at
    // least one row for each), as Oracle lists them.
    p.from = std::string(kObjectOwner)
        + "JOIN (SELECT \"OBJ#\" AS \"OBJ\", NULL AS \"MEMBER\", NULL AS \"ID\", 0 AS \"OVERLOAD\" FROM \"OBJ$\" "
          "UNION ALL SELECT DISTINCT \"OBJ#\", \"PROCEDURE$\", \"PROCEDURE#\", \"OVERLOAD#\" FROM \"ARGUMENT$\" "
          "WHERE \"PROCEDURE$\" IS NOT NULL AND \"PROCEDURE$\" <> '') m ON m.\"OBJ\" = o.\"OBJ#\" ";
    p.where = "o.\"TYPE#\" IN (7, 8, 9)";
    p.ownerIdExpr = "o.\"OWNER#\"";
    p.objectIdExpr = "o.\"OBJ#\"";
    addTrio(out, p);

    // ARGUMENT$ rows of procedures, functions and package headers; a package's member is OBJECT_NAME under its
    // PACKAGE_NAME.
    const std::string type = "a.\"TYPE#\"";
    ViewTrio a;
    a.suffix = "ARGUMENTS";
    a.cols = { { "OWNER!", vc(128), "u.\"NAME\"" },
        { "OBJECT_NAME", vc(128), "CASE WHEN o.\"TYPE#\" = 9 THEN a.\"PROCEDURE$\" ELSE o.\"NAME\" END" },
        { "PACKAGE_NAME", vc(128), "CASE WHEN o.\"TYPE#\" = 9 THEN o.\"NAME\" END" }, { "OBJECT_ID!", N, "o.\"OBJ#\"" },
        { "OVERLOAD", vc(40), "CASE WHEN a.\"OVERLOAD#\" > 0 THEN CAST(a.\"OVERLOAD#\" AS TEXT) END" },
        { "SUBPROGRAM_ID", N, "a.\"PROCEDURE#\"" }, { "ARGUMENT_NAME", vc(128), "a.\"ARGUMENT\"" },
        { "POSITION!", N, "a.\"POSITION#\"" }, { "SEQUENCE!", N, "a.\"SEQUENCE#\"" },
        { "DATA_LEVEL!", N, "a.\"LEVEL#\"" },
        { "DATA_TYPE", vc(30),
            "CASE " + type + " WHEN 1 THEN 'VARCHAR2' WHEN 2 THEN 'NUMBER' WHEN 3 THEN CASE WHEN a.\"PLS_TYPE\" = "
                "'PLS_INTEGER' THEN 'PL/SQL PLS_INTEGER' ELSE 'BINARY_INTEGER' END WHEN 8 THEN 'LONG' WHEN 12 THEN "
                "'DATE' WHEN 23 THEN 'RAW' WHEN 69 THEN 'ROWID' WHEN 96 THEN 'CHAR' WHEN 112 THEN 'CLOB' WHEN 113 "
                "THEN 'BLOB' WHEN 102 THEN 'REF CURSOR' WHEN 250 THEN 'PL/SQL RECORD' WHEN 251 THEN 'PL/SQL TABLE' "
                "WHEN 252 THEN 'PL/SQL BOOLEAN' END" },
        { "DEFAULTED", vc(1), "CASE WHEN a.\"DEFAULT#\" = 1 THEN 'Y' ELSE 'N' END" },
        { "DEFAULT_VALUE", longText(), "a.\"DEFAULT$\"" }, { "DEFAULT_LENGTH", N, "a.\"DEFLENGTH\"" },
        { "IN_OUT", vc(9), "CASE a.\"IN_OUT\" WHEN 1 THEN 'OUT' WHEN 2 THEN 'IN/OUT' ELSE 'IN' END" },
        { "DATA_LENGTH", N, "a.\"LENGTH\"" }, { "DATA_PRECISION", N, "a.\"PRECISION#\"" },
        { "DATA_SCALE", N, "a.\"SCALE\"" }, { "RADIX", N, "a.\"RADIX\"" },
        { "CHARACTER_SET_NAME", vc(44), "CASE WHEN " + type + " IN (1, 8, 96, 112) THEN 'CHAR_CS' END" },
        { "TYPE_OWNER", vc(128), "a.\"TYPE_OWNER\"" }, { "TYPE_NAME", vc(128), "a.\"TYPE_NAME\"" },
        { "TYPE_SUBNAME", vc(128), "a.\"TYPE_SUBNAME\"" }, { "TYPE_LINK", vc(128), "" },
        { "TYPE_OBJECT_TYPE", vc(7), "CASE WHEN a.\"TYPE_NAME\" IS NOT NULL THEN 'PACKAGE' END" },
        { "PLS_TYPE", vc(128), "a.\"PLS_TYPE\"" }, { "CHAR_LENGTH", N, "CASE WHEN a.\"CHAR_USED\" IS NOT NULL THEN 0 END" },
        { "CHAR_USED", vc(1), "a.\"CHAR_USED\"" }, { "ORIGIN_CON_ID", N, "0" } };
    a.from = std::string(kObjectOwner) + "JOIN \"ARGUMENT$\" a ON a.\"OBJ#\" = o.\"OBJ#\"";
    a.where = "o.\"TYPE#\" IN (7, 8, 9)";
    a.ownerIdExpr = "o.\"OWNER#\"";
    a.objectIdExpr = "o.\"OBJ#\"";
    addTrio(out, a);
}

} // namespace

void addCodeViews(std::vector<FixedObject>& out)
{
    addSourceAndErrors(out);
    addDependencies(out);
    addTriggers(out);
    addProceduresAndArguments(out);
    addTypeViews(out);
}

} // namespace engine::dict::detail
