#include "bind_fixture.h"

#include "engine/emit/runtime_functions.h"
#include "engine/fn/registry.h"
#include "engine/sql/parser.h"

#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>

namespace bindtest {

using engine::OraType;
using engine::bind::ColumnInfo;
using engine::bind::ObjectKind;
using engine::bind::ObjectRef;
using engine::bind::TableInfo;
using engine::types::ExprType;

namespace {

ColumnInfo col(const std::string& name, ExprType type, bool notNull = false, const char* def = nullptr)
{
    ColumnInfo c;
    c.name = name;
    c.physicalName = name;
    c.type = type;
    c.type.nullable = !notNull;
    if (def)
        c.defaultText = def;
    return c;
}

TableInfo makeTable(const std::string& owner, const std::string& name, int64_t id, std::vector<ColumnInfo> cols)
{
    TableInfo t;
    t.object = { owner, name, ObjectKind::Table, id };
    t.physicalName = owner + "$" + name;
    t.rowNumberColumn = "ROWNO_";
    t.columns = std::move(cols);
    return t;
}

void fakeRowid(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "AAAR%05lldAAB%06lld", static_cast<long long>(sqlite3_value_int64(argv[0])),
        static_cast<long long>(sqlite3_value_int64(argv[1])));
    sqlite3_result_text(ctx, buf, -1, SQLITE_TRANSIENT);
}

void fakeRowidRowno(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const unsigned char* t = sqlite3_value_text(argv[0]);
    long long obj = 0, row = 0;
    if (!t || std::sscanf(reinterpret_cast<const char*>(t), "AAAR%5lldAAB%6lld", &obj, &row) != 2) {
        sqlite3_result_error(ctx, "ORA-01410: invalid ROWID", -1);
        return;
    }
    if (obj == sqlite3_value_int64(argv[1]))
        sqlite3_result_int64(ctx, row);
    else
        sqlite3_result_null(ctx);
}

void fakeNextval(sqlite3_context* ctx, int, sqlite3_value**)
{
    auto* f = static_cast<Fixture*>(sqlite3_user_data(ctx));
    sqlite3_result_int64(ctx, ++f->sequenceValue);
}

void fakeCurrval(sqlite3_context* ctx, int, sqlite3_value**)
{
    auto* f = static_cast<Fixture*>(sqlite3_user_data(ctx));
    sqlite3_result_int64(ctx, f->sequenceValue);
}

std::string valueText(sqlite3_stmt* s, int i)
{
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_NULL:
        return "NULL";
    case SQLITE_INTEGER:
        return std::to_string(sqlite3_column_int64(s, i));
    case SQLITE_FLOAT: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", sqlite3_column_double(s, i));
        return buf;
    }
    default:
        return reinterpret_cast<const char*>(sqlite3_column_text(s, i));
    }
}

Failure fromMessage(const std::string& m)
{
    Failure f;
    f.message = m;
    int code = 0;
    if (std::sscanf(m.c_str(), "ORA-%d", &code) == 1)
        f.code = code;
    else
        f.code = -1;
    return f;
}

} // namespace

FakeCatalog::FakeCatalog()
{
    tables.push_back(makeTable("SCOTT", "DEPT", 100,
        { col("DEPTNO", ExprType::number(2, 0, true), true), col("DNAME", ExprType::varchar2(14)),
            col("LOC", ExprType::varchar2(13)) }));
    tables.push_back(makeTable("SCOTT", "EMP", 101,
        { col("EMPNO", ExprType::number(4, 0, true), true), col("ENAME", ExprType::varchar2(10)),
            col("JOB", ExprType::varchar2(9)), col("MGR", ExprType::number(4, 0, true)),
            col("HIREDATE", ExprType::date()), col("SAL", ExprType::number(7, 2, true)),
            col("COMM", ExprType::number(7, 2, true)), col("DEPTNO", ExprType::number(2, 0, true)) }));
    tables.push_back(
        makeTable("SCOTT", "CODES", 102, { col("CODE", ExprType::charType(5)), col("NAME", ExprType::varchar2(10)) }));
    tables.push_back(
        makeTable("SCOTT", "NODES", 103, { col("ID", ExprType::number()), col("PARENT", ExprType::number()) }));
    tables.push_back(makeTable("SCOTT", "NUMS", 104,
        { col("ID", ExprType::number(3, 0, true), true), col("AMOUNT", ExprType::number(5, 2, true)),
            col("NAME", ExprType::varchar2(5)), col("CODE", ExprType::charType(3)), col("D", ExprType::date()),
            col("TAG", ExprType::varchar2(10), true, "'NEW'") }));
    engine::bind::ViewInfo v;
    v.object = { "SCOTT", "EMP20", ObjectKind::View, 200 };
    v.queryText = "SELECT ename, sal * 12 annual FROM emp WHERE deptno = 20";
    views.push_back(v);
    sequences.push_back({ "SCOTT", "EMP_SEQ", ObjectKind::Sequence, 300 });
    synonyms[{ "PUBLIC", "EMPLOYEES" }] = { "SCOTT", "EMP" };
}

std::optional<ObjectRef> FakeCatalog::resolve(
    std::string_view owner, std::string_view name, std::string_view currentSchema) const
{
    const std::string o(owner.empty() ? currentSchema : owner);
    const std::string n(name);
    for (const auto& t : tables)
        if (t.object.owner == o && t.object.name == n)
            return t.object;
    for (const auto& v : views)
        if (v.object.owner == o && v.object.name == n)
            return v.object;
    for (const auto& s : sequences)
        if (s.owner == o && s.name == n)
            return s;
    auto it = synonyms.find({ o, n });
    if (it == synonyms.end() && owner.empty())
        it = synonyms.find({ "PUBLIC", n });
    if (it != synonyms.end())
        return resolve(it->second.first, it->second.second, currentSchema);
    return std::nullopt;
}

std::optional<TableInfo> FakeCatalog::table(const ObjectRef& ref) const
{
    for (const auto& t : tables)
        if (t.object.objectId == ref.objectId)
            return t;
    return std::nullopt;
}

std::optional<engine::bind::ViewInfo> FakeCatalog::view(const ObjectRef& ref) const
{
    for (const auto& v : views)
        if (v.object.objectId == ref.objectId)
            return v;
    return std::nullopt;
}

bool FakeCatalog::schemaExists(std::string_view name) const
{
    return name == "SCOTT" || name == "OTHER";
}

Fixture::Fixture()
{
    sqlite3_open(":memory:", &db);
    engine::fn::registerAll(db, &context);
    engine::emit::registerRuntimeFunctions(db);
    sqlite3_create_function_v2(db, "ORA_ROWID", 2, SQLITE_UTF8, nullptr, fakeRowid, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(
        db, "ORA_ROWID_ROWNO", 2, SQLITE_UTF8, nullptr, fakeRowidRowno, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ORA_SEQ_NEXTVAL", 1, SQLITE_UTF8, this, fakeNextval, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ORA_SEQ_CURRVAL", 1, SQLITE_UTF8, this, fakeCurrval, nullptr, nullptr, nullptr);
    context.user = "SCOTT";
    context.currentSchema = "SCOTT";
    for (const auto& t : catalog.tables) {
        std::string cols = "\"" + t.rowNumberColumn + "\" INTEGER PRIMARY KEY";
        for (const auto& c : t.columns)
            cols += ", \"" + c.physicalName + "\"";
        exec("CREATE TABLE \"" + t.physicalName + "\" (" + cols + ")");
    }
    exec("CREATE TEMP TABLE ORA_DML_ROWS (R INTEGER PRIMARY KEY)");
    exec("INSERT INTO \"SCOTT$DEPT\" (DEPTNO, DNAME, LOC) VALUES (10, 'ACCOUNTING', 'NEW YORK'), "
         "(20, 'RESEARCH', 'DALLAS'), (30, 'SALES', 'CHICAGO'), (40, 'OPERATIONS', 'BOSTON')");
    exec("INSERT INTO \"SCOTT$EMP\" (EMPNO, ENAME, JOB, MGR, HIREDATE, SAL, COMM, DEPTNO) VALUES "
         "(7839, 'KING', 'PRESIDENT', NULL, '1981-11-17 00:00:00', 5000, NULL, 10),"
         "(7566, 'JONES', 'MANAGER', 7839, '1981-04-02 00:00:00', 2975, NULL, 20),"
         "(7698, 'BLAKE', 'MANAGER', 7839, '1981-05-01 00:00:00', 2850, NULL, 30),"
         "(7788, 'SCOTT', 'ANALYST', 7566, '1987-04-19 00:00:00', 3000, NULL, 20),"
         "(7902, 'FORD', 'ANALYST', 7566, '1981-12-03 00:00:00', 3000, NULL, 20),"
         "(7369, 'SMITH', 'CLERK', 7902, '1980-12-17 00:00:00', 800, NULL, 20),"
         "(7499, 'ALLEN', 'SALESMAN', 7698, '1981-02-20 00:00:00', 1600, 300, 30),"
         "(7521, 'WARD', 'SALESMAN', 7698, '1981-02-22 00:00:00', 1250, 500, 30)");
    exec("INSERT INTO \"SCOTT$CODES\" (CODE, NAME) VALUES ('AB   ', 'padded'), ('ABC  ', 'other')");
    exec("INSERT INTO \"SCOTT$NODES\" (ID, PARENT) VALUES (1, NULL), (2, 1), (3, 2), (4, 5), (5, 4)");
}

Fixture::~Fixture()
{
    sqlite3_close(db);
}

void Fixture::exec(const std::string& sql)
{
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string m = err ? err : "?";
        sqlite3_free(err);
        throw std::runtime_error(m + " in " + sql);
    }
}

engine::bind::BoundStatementPtr Fixture::bind(const std::string& sql, const std::string& schema)
{
    auto parsed = engine::sql::parse(sql);
    if (!parsed.ok())
        throw engine::Error(parsed.error->code, parsed.error->message, parsed.error->offset);
    engine::bind::SessionContext ctx { schema, schema, {}, {}, {} };
    return engine::bind::bindStatement(*parsed.statement, sql, catalog, ctx);
}

std::vector<std::string> Fixture::run(
    const engine::bind::BoundStatement& b, const std::map<std::string, TestValue>& binds, const std::string& sqlText)
{
    const std::string& text = sqlText.empty() ? b.sql : sqlText;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, text.c_str(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in " + text);
    for (size_t i = 0; i < b.params.size(); ++i) {
        auto it = binds.find(b.params[i].name);
        const int index = static_cast<int>(i) + 1;
        if (it == binds.end() || it->second.kind == TestValue::Kind::Null)
            sqlite3_bind_null(st, index);
        else if (it->second.kind == TestValue::Kind::Int)
            sqlite3_bind_int64(st, index, it->second.i);
        else if (it->second.kind == TestValue::Kind::Real)
            sqlite3_bind_double(st, index, it->second.r);
        else
            sqlite3_bind_text(st, index, it->second.t.c_str(), -1, SQLITE_TRANSIENT);
    }
    std::vector<std::string> out;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            row += (i ? "|" : "") + valueText(st, i);
        out.push_back(row);
    }
    if (rc != SQLITE_DONE) {
        std::string m = sqlite3_errmsg(db);
        sqlite3_finalize(st);
        Failure f = fromMessage(m);
        throw engine::Error(f.code, m, -1);
    }
    sqlite3_finalize(st);
    return out;
}

std::vector<std::string> Fixture::rows(const std::string& sql, const std::map<std::string, TestValue>& binds)
{
    auto b = bind(sql);
    return run(*b, binds);
}

Failure Fixture::failure(const std::string& sql, const std::map<std::string, TestValue>& binds)
{
    try {
        rows(sql, binds);
    } catch (const engine::Error& e) {
        Failure f = fromMessage(e.message());
        f.offset = e.offset();
        return f;
    } catch (const std::exception& e) {
        Failure f;
        f.code = -1;
        f.message = e.what();
        return f;
    }
    return {};
}

std::vector<std::string> Fixture::raw(const std::string& sql)
{
    engine::bind::BoundStatement none;
    return run(none, {}, sql);
}

} // namespace bindtest
