// Building blocks of the fixed objects' definitions.
#include "engine/dict/view_builder.h"

#include "engine/emit/sqltext.h"

namespace engine::dict::detail {

types::ExprType vc(int size)
{
    return types::ExprType::varchar2(size);
}

types::ExprType num()
{
    return types::ExprType::number();
}

types::ExprType date()
{
    return types::ExprType::date();
}

types::ExprType longText()
{
    types::ExprType t;
    t.type = OraType::Long;
    t.size = 0;
    return t;
}

types::ExprType raw(int size)
{
    types::ExprType t;
    t.type = OraType::Raw;
    t.size = size;
    return t;
}

std::string lit(const std::string& text)
{
    std::string r = "'";
    for (char ch : text) {
        r += ch;
        if (ch == '\'')
            r += '\'';
    }
    return r + "'";
}

FixedObject makeFixed(const std::string& name, const std::vector<Col>& cols, const std::string& fromWhere,
    FixedAccess access, int objectType, bool publicSynonym)
{
    FixedObject o;
    o.name = name;
    o.objectType = objectType;
    o.access = access;
    o.publicSynonym = publicSynonym;
    std::string select;
    for (const Col& c : cols) {
        FixedColumn fc;
        fc.name = c.name;
        fc.type = c.type;
        if (!fc.name.empty() && fc.name.back() == '!') {
            fc.name.pop_back();
            fc.type.nullable = false;
        }
        select += (select.empty() ? "SELECT " : ", ") + (c.expr.empty() ? std::string("NULL") : c.expr) + " AS "
            + emit::quoteIdent(fc.name);
        o.columns.push_back(std::move(fc));
    }
    o.source = select + " " + fromWhere;
    return o;
}

namespace {

std::string whereOf(const std::string& a, const std::string& b)
{
    if (a.empty() && b.empty())
        return "";
    if (a.empty())
        return " WHERE " + b;
    if (b.empty())
        return " WHERE " + a;
    return " WHERE (" + a + ") AND (" + b + ")";
}

} // namespace

void addEmptyTrio(std::vector<FixedObject>& out, std::string suffix, std::vector<Col> cols)
{
    ViewTrio v;
    v.suffix = std::move(suffix);
    v.cols = std::move(cols);
    v.from = "FROM (SELECT 1)";
    v.where = "0";
    v.ownerIdExpr = "0";
    v.objectIdExpr = "0";
    v.allFilter = "1";
    v.userFilter = "1";
    addTrio(out, v);
}

void addTrio(std::vector<FixedObject>& out, const ViewTrio& v)
{
    out.push_back(makeFixed("DBA_" + v.suffix, v.cols, v.from + whereOf(v.where, ""), FixedAccess::Dictionary));
    if (v.withAll) {
        std::string filter = v.allFilter.empty()
            ? v.ownerIdExpr + " = " + kSchemaId + " OR ORA_PRIV_SEE(" + v.objectIdExpr + ") = 1"
            : v.allFilter;
        out.push_back(makeFixed("ALL_" + v.suffix, v.cols, v.from + whereOf(v.where, filter)));
    }
    if (v.withUser) {
        std::vector<Col> cols;
        for (const Col& c : v.cols) {
            std::string bare = c.name.back() == '!' ? c.name.substr(0, c.name.size() - 1) : c.name;
            if (!v.userDrops.count(bare))
                cols.push_back(c);
        }
        std::string filter = v.userFilter.empty() ? v.ownerIdExpr + " = " + kSchemaId : v.userFilter;
        out.push_back(makeFixed("USER_" + v.suffix, cols, v.from + whereOf(v.where, filter)));
    }
}

std::string objectTypeName(const std::string& t)
{
    return "CASE " + t
        + " WHEN 1 THEN 'INDEX' WHEN 2 THEN 'TABLE' WHEN 4 THEN 'VIEW' WHEN 5 THEN 'SYNONYM' WHEN 6 THEN 'SEQUENCE'"
          " WHEN 7 THEN 'PROCEDURE' WHEN 8 THEN 'FUNCTION' WHEN 9 THEN 'PACKAGE' WHEN 11 THEN 'PACKAGE BODY'"
          " WHEN 12 THEN 'TRIGGER' WHEN 13 THEN 'TYPE' WHEN 14 THEN 'TYPE BODY' WHEN 19 THEN 'TABLE PARTITION'"
          " WHEN 22 THEN 'LIBRARY' WHEN 23 THEN 'DIRECTORY' WHEN 28 THEN 'JAVA SOURCE' WHEN 29 THEN 'JAVA CLASS'"
          " WHEN 42 THEN 'MATERIALIZED VIEW' WHEN 66 THEN 'JOB' ELSE 'UNDEFINED' END";
}

std::string charTypeCondition(const std::string& c)
{
    return c + ".\"TYPE#\" IN (1, 96)";
}

std::string dataTypeName(const std::string& c)
{
    return "CASE " + c
        + ".\"TYPE#\" WHEN 1 THEN 'VARCHAR2' WHEN 2 THEN 'NUMBER' WHEN 8 THEN 'LONG' WHEN 12 THEN 'DATE'"
          " WHEN 23 THEN 'RAW' WHEN 69 THEN 'ROWID' WHEN 96 THEN 'CHAR' WHEN 112 THEN 'CLOB' WHEN 113 THEN 'BLOB'"
          " WHEN 180 THEN 'TIMESTAMP(' || "
        + c + ".\"SCALE\" || ')' WHEN 181 THEN 'TIMESTAMP(' || " + c
        + ".\"SCALE\" || ') WITH TIME ZONE' WHEN 231 THEN 'TIMESTAMP(' || " + c
        + ".\"SCALE\" || ') WITH LOCAL TIME ZONE' WHEN 182 THEN 'INTERVAL YEAR(' || " + c
        + ".\"PRECISION#\" || ') TO MONTH' WHEN 183 THEN 'INTERVAL DAY(' || " + c + ".\"PRECISION#\" || ') TO SECOND(' || "
        + c + ".\"SCALE\" || ')' ELSE 'UNDEFINED' END";
}

std::string dataLength(const std::string& c)
{
    // Oracle's DATA_LENGTH: bytes for text, 22 for any NUMBER, 7 for DATE, 4000 for the LOB locators it shows.
    // A length in characters takes up to four bytes a character in the database's character set (AL32UTF8).
    return "CASE " + c + ".\"TYPE#\" WHEN 2 THEN 22 WHEN 12 THEN 7 WHEN 8 THEN 0 WHEN 112 THEN 4000"
        + " WHEN 113 THEN 4000 WHEN 69 THEN 10 ELSE CASE WHEN " + charTypeCondition(c) + " AND (" + c
        + ".\"PROPERTY\" & 8388608) <> 0 THEN min(" + c + ".\"LENGTH\" * 4, CASE " + c
        + ".\"TYPE#\" WHEN 1 THEN 4000 ELSE 2000 END) ELSE " + c + ".\"LENGTH\" END END";
}

std::string charLength(const std::string& c)
{
    return "CASE WHEN " + charTypeCondition(c) + " THEN " + c + ".\"LENGTH\" ELSE 0 END";
}

std::string timestampText(const std::string& d)
{
    return "substr(" + d + ", 1, 10) || ':' || substr(" + d + ", 12, 8)";
}

} // namespace engine::dict::detail
