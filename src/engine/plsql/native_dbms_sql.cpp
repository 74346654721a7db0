// DBMS_SQL: dynamic SQL through numbered cursors of the session. PARSE checks the statement as the server would
// (and runs DDL at once, as Oracle does); EXECUTE runs it through the session's executor with the values bound;
// a query's rows are fetched one by one and read column by column in the types the caller defined.
#include "engine/bind/binder.h"
#include "engine/catalog/catalog.h"
#include "engine/exec/binds.h"
#include "engine/exec/executor.h"
#include "engine/plsql/native_state.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/sql/parser.h"
#include "engine/types/oratype.h"

#include <algorithm>
#include <cctype>

namespace engine::plsql {

namespace {

using namespace native;

[[noreturn]] void denied(NativeSessionState& ns)
{
    // A cursor number that is not open may be someone probing for another's cursor: Oracle then refuses DBMS_SQL for
    // the rest of the session.
    ns.sqlDenied = true;
    fail(29471, "DBMS_SQL access denied");
}

NativeSessionState& checked(NativeCall& c)
{
    NativeSessionState& ns = nativeState(c.session);
    if (ns.sqlDenied)
        fail(29471, "DBMS_SQL access denied");
    return ns;
}

SqlCursor& cursorOf(NativeCall& c, size_t i = 0)
{
    NativeSessionState& ns = checked(c);
    std::optional<int64_t> id = integer(c, i);
    if (!id)
        denied(ns);
    auto it = ns.sqlCursors.find(*id);
    if (it == ns.sqlCursors.end())
        denied(ns);
    return *it->second;
}

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char ch) { return std::toupper(ch); });
    return s;
}

// ":name", "name" and ":NAME" name the same bind; a quoted name keeps its case.
std::string bindName(std::string name)
{
    if (!name.empty() && name[0] == ':')
        name.erase(0, 1);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return name.substr(1, name.size() - 2);
    return upper(name);
}

// The bind names of a PL/SQL block, in order of first appearance: ":name" outside literals, quoted identifiers
// and comments.
std::vector<std::string> plsqlBindNames(const std::string& text)
{
    std::vector<std::string> names;
    size_t i = 0;
    auto isWord
        = [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '$' || ch == '#'; };
    while (i < text.size()) {
        char ch = text[i];
        if (ch == '\'' || ch == '"') {
            size_t end = text.find(ch, i + 1);
            i = end == std::string::npos ? text.size() : end + 1;
        } else if (ch == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            size_t end = text.find('\n', i);
            i = end == std::string::npos ? text.size() : end + 1;
        } else if (ch == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? text.size() : end + 2;
        } else if (ch == ':' && i + 1 < text.size() && (isWord(text[i + 1]) || text[i + 1] == '"')) {
            size_t start = i + 1;
            size_t end = start;
            if (text[start] == '"') {
                size_t q = text.find('"', start + 1);
                end = q == std::string::npos ? text.size() : q + 1;
            } else {
                while (end < text.size() && isWord(text[end]))
                    ++end;
            }
            std::string name = bindName(text.substr(start, end - start));
            if (std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
            i = end;
        } else {
            ++i;
        }
    }
    return names;
}

// The one row an exact EXECUTE_AND_FETCH read, kept readable after the look past it.
class CopiedRow : public Cursor {
public:
    CopiedRow(std::vector<ColumnDesc> columns, std::vector<Value> row)
        : columns_(std::move(columns))
        , row_(std::move(row))
    {
    }
    const std::vector<ColumnDesc>& columns() const override { return columns_; }
    bool next() override { return false; }
    const Value& value(int i) const override { return row_[static_cast<size_t>(i)]; }
    void close() override { }

private:
    std::vector<ColumnDesc> columns_;
    std::vector<Value> row_;
};

void resetCursor(SqlCursor& cur)
{
    if (cur.rows)
        cur.rows->close();
    SqlCursor fresh;
    cur = std::move(fresh);
}

std::optional<Value> openCursor(NativeCall& c)
{
    NativeSessionState& ns = checked(c);
    int64_t id = ns.nextSqlCursor++;
    ns.sqlCursors.emplace(id, std::make_unique<SqlCursor>());
    return Value::fromInt(id);
}

std::optional<Value> parse(NativeCall& c)
{
    SqlCursor& cur = cursorOf(c);
    resetCursor(cur);
    std::string text = isNull(c, 1) ? std::string() : arg(c, 1).toString();
    SessionState& s = c.session;
    sql::ParseResult parsed = sql::parse(text);
    if (!parsed.ok())
        throw Error(parsed.error->code, parsed.error->message, parsed.error->offset);
    const sql::Statement& stmt = *parsed.statement;
    cur.text = text;
    cur.kind = bind::statementKindOf(stmt.kind);
    bool runNow = cur.kind == StatementKind::Ddl;
    if (auto* unit = stmt.as<sql::PlSqlStmt>(); unit && unit->unit != sql::PlSqlStmt::Unit::AnonymousBlock)
        runNow = true;
    if (runNow) {
        // DDL is done by PARSE, with its implicit commits; EXECUTE has nothing left to do.
        std::vector<Bind> none;
        exec::executeNested(s, text, none);
        cur.ranAtParse = true;
    } else if (cur.kind == StatementKind::Select || cur.kind == StatementKind::Insert
        || cur.kind == StatementKind::Update || cur.kind == StatementKind::Delete) {
        // Names and types are resolved now, so a missing table or column fails at PARSE as on Oracle.
        bind::BoundStatementPtr bound;
        {
            std::lock_guard conn(s.connMutex);
            catalog::Lookup lookup(s.conn);
            bind::SessionContext context;
            context.currentSchema = s.schema;
            context.user = s.user;
            context.maySee = priv::visibility(s);
            bound = bind::bindStatement(stmt, text, lookup, context);
        }
        for (const bind::ParamSlot& p : bound->params)
            if (std::find(cur.bindNames.begin(), cur.bindNames.end(), p.name) == cur.bindNames.end())
                cur.bindNames.push_back(p.name);
        for (const bind::ReturningItem& r : bound->returning)
            if (std::find(cur.bindNames.begin(), cur.bindNames.end(), r.bindName) == cur.bindNames.end())
                cur.bindNames.push_back(r.bindName);
        cur.columns = bound->columns;
    } else if (cur.kind == StatementKind::PlSql) {
        cur.bindNames = plsqlBindNames(text);
    }
    cur.parsed = true;
    return std::nullopt;
}

std::optional<Value> bindVariable(NativeCall& c)
{
    SqlCursor& cur = cursorOf(c);
    std::string name = bindName(text(c, 1));
    if (!cur.parsed || std::find(cur.bindNames.begin(), cur.bindNames.end(), name) == cur.bindNames.end())
        fail(1006, "bind variable does not exist");
    Bind b;
    b.name = name;
    b.dir = cur.kind == StatementKind::PlSql ? BindDir::InOut : BindDir::In;
    b.type = declaredType(c, 2);
    b.value = arg(c, 2);
    cur.binds[name] = std::move(b);
    return std::nullopt;
}

std::optional<Value> defineColumn(NativeCall& c)
{
    SqlCursor& cur = cursorOf(c);
    std::optional<int64_t> pos = integer(c, 1);
    if (cur.kind != StatementKind::Select || !pos || *pos < 1 || *pos > static_cast<int64_t>(cur.columns.size()))
        fail(1007, "variable not in select list");
    cur.defines[static_cast<int>(*pos)] = declaredType(c, 2);
    return std::nullopt;
}

// Reads the cursor's next row into the cursor's rows; false at the end.
bool step(SqlCursor& cur)
{
    if (cur.kind != StatementKind::Select || !cur.rows || cur.exhausted)
        fail(1002, "fetch out of sequence");
    if (cur.rows->next()) {
        cur.hasRow = true;
        ++cur.rowCount;
        return true;
    }
    cur.hasRow = false;
    cur.exhausted = true;
    return false;
}

int64_t execute(NativeCall& c, SqlCursor& cur)
{
    if (!cur.parsed)
        fail(1003, "no statement parsed");
    if (cur.rows) {
        cur.rows->close();
        cur.rows.reset();
    }
    cur.executed = false;
    cur.hasRow = false;
    cur.exhausted = false;
    cur.rowCount = 0;
    if (cur.ranAtParse) {
        cur.executed = true;
        return 0;
    }
    std::vector<Bind> binds;
    for (const std::string& name : cur.bindNames) {
        auto it = cur.binds.find(name);
        if (it == cur.binds.end())
            fail(1008, "not all variables bound");
        binds.push_back(it->second);
    }
    // Run inside the caller's call: a cancel of that call is not forgotten by the statement.
    ExecResult r = exec::executeNested(c.session, cur.text, binds);
    for (const Bind& b : binds)
        cur.binds[b.name].value = b.value;
    cur.executed = true;
    if (cur.kind == StatementKind::Select) {
        cur.rows = std::move(r.cursor);
        return 0;
    }
    if (r.cursor)
        r.cursor->close();
    if (cur.kind == StatementKind::Insert || cur.kind == StatementKind::Update || cur.kind == StatementKind::Delete)
        return r.rowsProcessed;
    return 0;
}

std::optional<Value> executeCall(NativeCall& c)
{
    SqlCursor& cur = cursorOf(c);
    return Value::fromInt(execute(c, cur));
}

std::optional<Value> fetchRows(NativeCall& c)
{
    SqlCursor& cur = cursorOf(c);
    bool got = step(cur);
    nativeState(c.session).sqlLastRowCount = cur.rowCount;
    return Value::fromInt(got ? 1 : 0);
}

std::optional<Value> executeAndFetch(NativeCall& c)
{
    SqlCursor& cur = cursorOf(c);
    execute(c, cur);
    bool got = step(cur);
    nativeState(c.session).sqlLastRowCount = cur.rowCount;
    if (boolean(c, 1, false)) {
        if (!got)
            fail(1403, "no data found");
        // The first row stays readable; a second one makes the exact fetch fail, as Oracle's does.
        std::vector<Value> first;
        for (size_t i = 0; i < cur.columns.size(); ++i)
            first.push_back(cur.rows->value(static_cast<int>(i)));
        bool more = cur.rows->next();
        cur.rows->close();
        cur.rows = std::make_unique<CopiedRow>(cur.columns, std::move(first));
        if (more)
            fail(1422, "exact fetch returns more than requested number of rows");
    }
    return Value::fromInt(got ? 1 : 0);
}

bool sameFamily(OraType a, OraType b)
{
    auto family = [](OraType t) {
        switch (t) {
        case OraType::Number:
            return 1;
        case OraType::Date:
            return 2;
        case OraType::Raw:
        case OraType::Blob:
            return 3;
        case OraType::Rowid:
            return 4;
        default:
            return 0;
        }
    };
    return family(a) == family(b);
}

types::ExprType exprTypeOf(OraType t)
{
    switch (t) {
    case OraType::Number:
        return types::ExprType::number();
    case OraType::Date:
        return types::ExprType::date();
    case OraType::Rowid:
        return types::ExprType::rowid();
    default:
        return types::ExprType::varchar2(32767);
    }
}

std::optional<Value> columnValue(NativeCall& c)
{
    SqlCursor& cur = cursorOf(c);
    std::optional<int64_t> pos = integer(c, 1);
    auto def = pos ? cur.defines.find(static_cast<int>(*pos)) : cur.defines.end();
    if (def == cur.defines.end())
        fail(1007, "variable not in select list");
    if (c.outTypes.size() > 2 && !sameFamily(c.outTypes[2], def->second))
        fail(6562, "type of out argument must match type of column or bind variable");
    if (!cur.hasRow || !cur.rows)
        fail(1002, "fetch out of sequence");
    const Value& v = cur.rows->value(static_cast<int>(*pos - 1));
    setOut(c, 2, exec::convertBind(v, exprTypeOf(def->second), c.session.fctx));
    return std::nullopt;
}

std::optional<Value> variableValue(NativeCall& c)
{
    SqlCursor& cur = cursorOf(c);
    std::string name = bindName(text(c, 1));
    auto it = cur.binds.find(name);
    if (it == cur.binds.end())
        fail(1006, "bind variable does not exist");
    Value v = it->second.value;
    if (c.outTypes.size() > 2 && !v.isNull())
        v = exec::convertBind(v, exprTypeOf(c.outTypes[2]), c.session.fctx);
    setOut(c, 2, std::move(v));
    return std::nullopt;
}

std::optional<Value> isOpen(NativeCall& c)
{
    NativeSessionState& ns = nativeState(c.session);
    std::optional<int64_t> id = integer(c, 0);
    return boolValue(id && ns.sqlCursors.count(*id));
}

std::optional<Value> closeCursor(NativeCall& c)
{
    SqlCursor& cur = cursorOf(c);
    resetCursor(cur);
    nativeState(c.session).sqlCursors.erase(*integer(c, 0));
    setOut(c, 0, Value::null());
    return std::nullopt;
}

std::optional<Value> lastRowCount(NativeCall& c)
{
    return Value::fromInt(nativeState(c.session).sqlLastRowCount);
}

} // namespace

NativePackage makeDbmsSql()
{
    using T = NativeType;
    NativePackage p;
    p.name = "DBMS_SQL";
    p.constants.push_back({ "V6", T::Integer, Value::fromInt(0) });
    p.constants.push_back({ "NATIVE", T::Integer, Value::fromInt(1) });
    p.constants.push_back({ "V7", T::Integer, Value::fromInt(2) });
    auto cursor = [] { return in("C", T::Integer); };
    p.routines.push_back(routine("OPEN_CURSOR", {}, openCursor, T::Integer));
    p.routines.push_back(
        routine("PARSE", { cursor(), in("STATEMENT", T::Varchar2), in("LANGUAGE_FLAG", T::Integer) }, parse));
    p.routines.push_back(routine("BIND_VARIABLE",
        { cursor(), in("NAME", T::Varchar2), in("VALUE", T::AnyScalar),
            inDefault("OUT_VALUE_SIZE", T::Integer, Value::null()) },
        bindVariable));
    p.routines.push_back(routine("DEFINE_COLUMN",
        { cursor(), in("POSITION", T::Integer), in("COLUMN", T::AnyScalar),
            inDefault("COLUMN_SIZE", T::Integer, Value::null()) },
        defineColumn));
    p.routines.push_back(routine("EXECUTE", { cursor() }, executeCall, T::Integer));
    p.routines.push_back(routine("FETCH_ROWS", { cursor() }, fetchRows, T::Integer));
    p.routines.push_back(routine("EXECUTE_AND_FETCH", { cursor(), inDefault("EXACT", T::Boolean, Value::fromInt(0)) },
        executeAndFetch, T::Integer));
    p.routines.push_back(
        routine("COLUMN_VALUE", { cursor(), in("POSITION", T::Integer), out("VALUE", T::AnyScalar) }, columnValue));
    p.routines.push_back(
        routine("VARIABLE_VALUE", { cursor(), in("NAME", T::Varchar2), out("VALUE", T::AnyScalar) }, variableValue));
    p.routines.push_back(routine("IS_OPEN", { cursor() }, isOpen, T::Boolean));
    p.routines.push_back(routine("CLOSE_CURSOR", { inOut("C", T::Integer) }, closeCursor));
    p.routines.push_back(routine("LAST_ROW_COUNT", {}, lastRowCount, T::Integer));
    return p;
}

} // namespace engine::plsql
