// Remote tables in local queries: the binder's catalog resolves name@link by describing the object on the remote
// session, and a virtual table (module ORA_LINK) on the local connection reads its rows from there when the query
// runs. Equality and range conditions on its columns go to the remote side as binds, so a WHERE on the remote table
// is answered there, not by fetching the whole table.
#include "engine/link/links.h"
#include "engine/link/remote_sessions.h"
#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

#include <sqlite3.h>

#include <cstring>
#include <string>

namespace engine::link {

namespace {

constexpr const char* kModuleName = "ORA_LINK";

std::string quoted(const std::string& name)
{
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

std::string virtualTableName(int64_t id)
{
    return "ORA_LINK$" + std::to_string(id);
}

types::ExprType typeOf(const ColumnDesc& c)
{
    types::ExprType t;
    switch (c.type) {
    case OraType::Number:
        t = types::ExprType::number(c.precision, c.scale, c.precision != 0 || c.scale != 0);
        break;
    case OraType::Char:
        t = types::ExprType::charType(c.size);
        break;
    case OraType::Date:
        t = types::ExprType::date();
        break;
    case OraType::Rowid:
        t = types::ExprType::rowid();
        break;
    case OraType::Varchar2:
        t = types::ExprType::varchar2(c.size > 0 ? c.size : types::kMaxVarchar2);
        break;
    default:
        t.type = c.type;
        t.size = c.size;
        break;
    }
    t.nullable = c.nullable;
    return t;
}

// Types whose comparison reads the same on both sides: a CHAR compares blank-padded, LOBs not at all.
bool pushable(OraType t)
{
    return t == OraType::Number || t == OraType::Date || t == OraType::Varchar2;
}

struct LinkTable {
    sqlite3_vtab base {};
    SessionState* session = nullptr;
    RemoteObject* object = nullptr;
};

struct LinkCursor {
    sqlite3_vtab_cursor base {};
    std::unique_ptr<Cursor> rows;
    bool eof = true;
    int64_t rowNumber = 0;
};

void setError(sqlite3_vtab* vtab, const std::string& message)
{
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("%s", message.c_str());
}

RemoteObject* objectById(SessionState& s, int64_t id)
{
    if (!s.links || id < 1 || static_cast<size_t>(id) > s.links->objects.size())
        return nullptr;
    return s.links->objects[static_cast<size_t>(id - 1)].get();
}

int connectTable(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out, char** err)
{
    auto* s = static_cast<SessionState*>(aux);
    RemoteObject* object = nullptr;
    if (argc >= 4)
        object = objectById(*s, std::atoll(argv[3]));
    if (!object) {
        *err = sqlite3_mprintf("ORA-02019: connection description for remote database not found");
        return SQLITE_ERROR;
    }
    std::string decl = "CREATE TABLE x(";
    for (size_t i = 0; i < object->columns.size(); ++i)
        decl += (i ? ", C" : "C") + std::to_string(i + 1);
    decl += ")";
    int rc = sqlite3_declare_vtab(db, decl.c_str());
    if (rc != SQLITE_OK)
        return rc;
    auto* table = new LinkTable; // owned by SQLite until disconnectTable
    table->session = s;
    table->object = object;
    *out = &table->base;
    return SQLITE_OK;
}

int disconnectTable(sqlite3_vtab* vtab)
{
    delete reinterpret_cast<LinkTable*>(vtab);
    return SQLITE_OK;
}

// idxStr lists the pushed conditions as "<column>:<op>;" in argv order.
int bestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info)
{
    auto* table = reinterpret_cast<LinkTable*>(vtab);
    std::string plan;
    int used = 0;
    bool equality = false;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (!c.usable || c.iColumn < 0 || static_cast<size_t>(c.iColumn) >= table->object->columns.size())
            continue;
        if (!pushable(table->object->columns[static_cast<size_t>(c.iColumn)].type))
            continue;
        const char* op = nullptr;
        switch (c.op) {
        case SQLITE_INDEX_CONSTRAINT_EQ:
            op = "=";
            equality = true;
            break;
        case SQLITE_INDEX_CONSTRAINT_GT:
            op = ">";
            break;
        case SQLITE_INDEX_CONSTRAINT_GE:
            op = ">=";
            break;
        case SQLITE_INDEX_CONSTRAINT_LT:
            op = "<";
            break;
        case SQLITE_INDEX_CONSTRAINT_LE:
            op = "<=";
            break;
        default:
            break;
        }
        if (!op)
            continue;
        info->aConstraintUsage[i].argvIndex = ++used;
        // SQLite checks the condition again: the remote filter only narrows what is fetched. A range of a NUMBER
        // is the exception: the remote session compares the exact values, which SQLite's order does not when some
        // are kept as text (emit/number_order.h), and the binder added the exact comparison beside it.
        const bool numberRange = c.op != SQLITE_INDEX_CONSTRAINT_EQ
            && table->object->columns[static_cast<size_t>(c.iColumn)].type == OraType::Number;
        info->aConstraintUsage[i].omit = numberRange ? 1 : 0;
        plan += std::to_string(c.iColumn) + ":" + op + ";";
    }
    info->idxNum = used;
    info->idxStr = sqlite3_mprintf("%s", plan.c_str());
    info->needToFreeIdxStr = 1;
    info->estimatedCost = equality ? 10.0 : (used ? 10000.0 : 1000000.0);
    info->estimatedRows = equality ? 10 : (used ? 10000 : 1000000);
    return SQLITE_OK;
}

int openCursor(sqlite3_vtab*, sqlite3_vtab_cursor** out)
{
    auto* cursor = new LinkCursor; // owned by SQLite until closeCursor
    *out = &cursor->base;
    return SQLITE_OK;
}

int closeCursor(sqlite3_vtab_cursor* cur)
{
    auto* cursor = reinterpret_cast<LinkCursor*>(cur);
    if (cursor->rows)
        cursor->rows->close();
    delete cursor;
    return SQLITE_OK;
}

Value valueOf(sqlite3_value* v, OraType type)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return Value::fromInt(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return Value::fromReal(sqlite3_value_double(v));
    case SQLITE_TEXT: {
        std::string text(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
        return type == OraType::Date ? Value::fromDate(std::move(text)) : Value::fromText(std::move(text));
    }
    case SQLITE_BLOB:
        return Value::fromBlob(
            std::string(static_cast<const char*>(sqlite3_value_blob(v)), static_cast<size_t>(sqlite3_value_bytes(v))));
    default:
        return Value::null();
    }
}

int filter(sqlite3_vtab_cursor* cur, int, const char* idxStr, int argc, sqlite3_value** argv)
{
    auto* cursor = reinterpret_cast<LinkCursor*>(cur);
    auto* table = reinterpret_cast<LinkTable*>(cur->pVtab);
    const RemoteObject& object = *table->object;
    if (cursor->rows) {
        cursor->rows->close();
        cursor->rows.reset();
    }
    std::string sql = "SELECT ";
    for (size_t i = 0; i < object.columns.size(); ++i)
        sql += (i ? ", " : "") + quoted(object.columns[i].name);
    sql += " FROM " + object.fromText;
    std::vector<Bind> binds;
    const char* p = idxStr ? idxStr : "";
    for (int i = 0; i < argc && *p; ++i) {
        const int column = std::atoi(p);
        const char* colon = std::strchr(p, ':');
        const char* end = colon ? std::strchr(colon, ';') : nullptr;
        if (!colon || !end)
            break;
        const std::string op(colon + 1, end);
        p = end + 1;
        const ColumnDesc& c = object.columns[static_cast<size_t>(column)];
        Bind b;
        b.name = std::to_string(i + 1);
        b.type = c.type;
        b.value = valueOf(argv[i], c.type);
        binds.push_back(std::move(b));
        sql += std::string(i ? " AND " : " WHERE ") + quoted(c.name) + " " + op + " :" + std::to_string(i + 1);
    }
    try {
        RemoteConnection& remote = connection(*table->session, object.link);
        ExecResult r = remote.session->execute(sql, binds);
        cursor->rows = std::move(r.cursor);
        cursor->rowNumber = 0;
        cursor->eof = !cursor->rows || !cursor->rows->next();
    } catch (const Error& e) {
        setError(cur->pVtab,
            e.code() == 12154 || e.message().find("ORA-02063") != std::string::npos
                ? e.message()
                : remoteError(e, object.link).message());
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

int next(sqlite3_vtab_cursor* cur)
{
    auto* cursor = reinterpret_cast<LinkCursor*>(cur);
    auto* table = reinterpret_cast<LinkTable*>(cur->pVtab);
    try {
        cursor->eof = !cursor->rows->next();
        ++cursor->rowNumber;
    } catch (const Error& e) {
        setError(cur->pVtab, remoteError(e, table->object->link).message());
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

int eof(sqlite3_vtab_cursor* cur)
{
    return reinterpret_cast<LinkCursor*>(cur)->eof ? 1 : 0;
}

int column(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int i)
{
    auto* cursor = reinterpret_cast<LinkCursor*>(cur);
    const Value& v = cursor->rows->value(i);
    storage::resultValue(ctx, v);
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor* cur, sqlite3_int64* out)
{
    *out = reinterpret_cast<LinkCursor*>(cur)->rowNumber;
    return SQLITE_OK;
}

sqlite3_module makeModule()
{
    sqlite3_module m {};
    m.iVersion = 1;
    m.xCreate = connectTable;
    m.xConnect = connectTable;
    m.xBestIndex = bestIndex;
    m.xDisconnect = disconnectTable;
    m.xDestroy = disconnectTable;
    m.xOpen = openCursor;
    m.xClose = closeCursor;
    m.xFilter = filter;
    m.xNext = next;
    m.xEof = eof;
    m.xColumn = column;
    m.xRowid = rowid;
    return m;
}

const sqlite3_module kModule = makeModule();

// ORA_LINK_SEQ(object, next): NEXTVAL (next = 1) or CURRVAL of a remote sequence, asked of the remote session for
// every row, so its CURRVAL is the remote session's own as in Oracle.
void linkSequence(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* s = static_cast<SessionState*>(sqlite3_user_data(ctx));
    RemoteObject* object = objectById(*s, sqlite3_value_int64(argv[0]));
    if (!object) {
        sqlite3_result_error(ctx, "ORA-02019: connection description for remote database not found", -1);
        return;
    }
    const bool next = sqlite3_value_int(argv[1]) != 0;
    try {
        RemoteConnection& remote = connection(*s, object->link);
        ExecResult r
            = remote.session->execute("SELECT " + object->fromText + (next ? ".NEXTVAL" : ".CURRVAL") + " FROM DUAL");
        if (!r.cursor || !r.cursor->next()) {
            sqlite3_result_null(ctx);
            return;
        }
        const Value& v = r.cursor->value(0);
        if (v.kind == Value::Kind::Integer)
            sqlite3_result_int64(ctx, v.integer);
        else if (v.kind == Value::Kind::Real)
            sqlite3_result_double(ctx, v.real);
        else
            sqlite3_result_null(ctx);
        r.cursor->close();
    } catch (const Error& e) {
        const std::string message = e.message().find("ORA-02063") != std::string::npos || e.code() == 12154
            ? e.message()
            : remoteError(e, object->link).message();
        sqlite3_result_error(ctx, message.c_str(), -1);
    }
}

bool tableExists(sqlite3* db, const std::string& name)
{
    storage::Stmt q(db, "SELECT 1 FROM sqlite_temp_master WHERE type = 'table' AND name = ?1");
    q.bind(1, name);
    return q.step();
}

} // namespace

SessionLookup::SessionLookup(SessionState& s)
    : s_(s)
    , local_(s.conn)
{
}

std::optional<bind::ObjectRef> SessionLookup::resolve(
    std::string_view owner, std::string_view name, std::string_view currentSchema) const
{
    return local_.resolve(owner, name, currentSchema);
}

std::optional<bind::TableInfo> SessionLookup::table(const bind::ObjectRef& ref) const
{
    return local_.table(ref);
}

std::optional<bind::ViewInfo> SessionLookup::view(const bind::ObjectRef& ref) const
{
    return local_.view(ref);
}

bool SessionLookup::schemaExists(std::string_view name) const
{
    return local_.schemaExists(name);
}

std::string SessionLookup::remoteSequence(const bind::RemoteName& name, bool next) const
{
    auto link = findLink(s_.conn, s_.userId, name.link);
    if (!link)
        throw oraError(2019, "connection description for remote database not found", name.linkOffset);
    RemoteConnection* remote = nullptr;
    try {
        remote = &connection(s_, *link);
    } catch (const Error& e) {
        throw Error(e.code(), e.message(), name.linkOffset);
    }
    // The remote session would need the write lock of the very database whose statement holds it.
    if (remote->session->state().db == s_.db)
        throw oraError(
            3001, "unimplemented feature: a sequence through a database link to the same database", name.nameOffset);
    Links& links = linksOf(s_);
    const std::string fromText = name.owner.empty() ? quoted(name.name) : quoted(name.owner) + "." + quoted(name.name);
    const std::string key = link->identity() + "\nsequence\n" + fromText;
    RemoteObject* object = nullptr;
    if (auto it = links.objectsByKey.find(key); it != links.objectsByKey.end())
        object = it->second;
    if (!object) {
        auto made = std::make_unique<RemoteObject>();
        made->id = static_cast<int64_t>(links.objects.size()) + 1;
        made->link = *link;
        made->fromText = fromText;
        object = made.get();
        links.objects.push_back(std::move(made));
        links.objectsByKey[key] = object;
    }
    if (!links.sequenceFunctionRegistered) {
        int rc = sqlite3_create_function_v2(
            s_.conn, "ORA_LINK_SEQ", 2, SQLITE_UTF8, &s_, linkSequence, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw storage::sqliteError(s_.conn, rc);
        links.sequenceFunctionRegistered = true;
    }
    return "ORA_LINK_SEQ(" + std::to_string(object->id) + ", " + (next ? "1" : "0") + ")";
}

bind::TableInfo SessionLookup::remoteTable(const bind::RemoteName& name) const
{
    auto link = findLink(s_.conn, s_.userId, name.link);
    if (!link)
        throw oraError(2019, "connection description for remote database not found", name.linkOffset);
    Links& links = linksOf(s_);
    const std::string fromText = name.owner.empty() ? quoted(name.name) : quoted(name.owner) + "." + quoted(name.name);
    const std::string key = link->identity() + '\n' + fromText;
    RemoteObject* object = nullptr;
    if (auto it = links.objectsByKey.find(key); it != links.objectsByKey.end())
        object = it->second;
    if (!object) {
        RemoteConnection& remote = [&]() -> RemoteConnection& {
            try {
                return connection(s_, *link);
            } catch (const Error& e) {
                throw Error(e.code(), e.message(), name.linkOffset);
            }
        }();
        auto made = std::make_unique<RemoteObject>();
        made->id = static_cast<int64_t>(links.objects.size()) + 1;
        made->link = *link;
        made->fromText = fromText;
        // The remote session describes the object by its own name resolution: synonyms, its current schema and
        // what its user may see, as Oracle resolves the name at the remote database.
        try {
            ExecResult r = remote.session->execute("SELECT * FROM " + fromText + " WHERE 1 = 0");
            if (r.cursor) {
                made->columns = r.cursor->columns();
                r.cursor->close();
            }
        } catch (const Error& e) {
            throw Error(e.code(), remoteError(e, *link).message(), name.nameOffset);
        }
        object = made.get();
        links.objects.push_back(std::move(made));
        links.objectsByKey[key] = object;
    }
    const std::string vtab = virtualTableName(object->id);
    if (!links.moduleRegistered) {
        int rc = sqlite3_create_module_v2(s_.conn, kModuleName, &kModule, &s_, nullptr);
        if (rc != SQLITE_OK)
            throw storage::sqliteError(s_.conn, rc);
        links.moduleRegistered = true;
    }
    // The virtual table lives in the connection's temp schema; a rolled-back SQLite transaction may have taken it.
    if (!tableExists(s_.conn, vtab))
        storage::exec(s_.conn,
            "CREATE VIRTUAL TABLE temp." + quoted(vtab) + " USING " + kModuleName + "(" + std::to_string(object->id)
                + ")");
    bind::TableInfo t;
    t.object.owner = name.owner;
    t.object.name = name.name;
    t.object.kind = bind::ObjectKind::Table;
    t.physicalName = vtab;
    for (size_t i = 0; i < object->columns.size(); ++i) {
        bind::ColumnInfo c;
        c.name = object->columns[i].name;
        c.physicalName = "C" + std::to_string(i + 1);
        c.type = typeOf(object->columns[i]);
        t.columns.push_back(std::move(c));
    }
    return t;
}

void lockRemoteRows(SessionState& s, const std::string& virtualTable, const std::vector<std::vector<Value>>& rows,
    bool nowait, int waitSeconds)
{
    const std::string prefix = virtualTableName(0).substr(0, virtualTableName(0).size() - 1);
    RemoteObject* object = virtualTable.rfind(prefix, 0) == 0
        ? objectById(s, std::atoll(virtualTable.c_str() + prefix.size()))
        : nullptr;
    if (!object)
        throw oraError(2019, "connection description for remote database not found");
    RemoteConnection& remote = connection(s, object->link);
    std::string tail = " FOR UPDATE";
    if (nowait)
        tail += " NOWAIT";
    else if (waitSeconds >= 0)
        tail += " WAIT " + std::to_string(waitSeconds);
    for (const std::vector<Value>& row : rows) {
        // Each row by the values of the columns that can be compared; a LOB or LONG column cannot.
        std::string where;
        std::vector<Bind> binds;
        for (size_t i = 0; i < object->columns.size() && i < row.size(); ++i) {
            const ColumnDesc& c = object->columns[i];
            if (c.type != OraType::Number && c.type != OraType::Varchar2 && c.type != OraType::Char
                && c.type != OraType::Date && c.type != OraType::Raw && c.type != OraType::Rowid)
                continue;
            where += where.empty() ? " WHERE " : " AND ";
            if (row[i].isNull()) {
                where += quoted(c.name) + " IS NULL";
                continue;
            }
            Bind b;
            b.name = std::to_string(binds.size() + 1);
            b.type = c.type;
            b.value = c.type == OraType::Date && row[i].kind == Value::Kind::Text ? Value::fromDate(row[i].text) : row[i];
            where += quoted(c.name) + " = :" + b.name;
            binds.push_back(std::move(b));
        }
        try {
            ExecResult r = remote.session->execute("SELECT NULL FROM " + object->fromText + where + tail, binds);
            if (r.cursor)
                r.cursor->close();
        } catch (const Error& e) {
            // A wait that ran out without a WAIT of the query's own is the link's distributed lock timeout.
            if (e.code() == 30006 && !nowait && waitSeconds < 0)
                throw remoteError(oraError(2049, "timeout: distributed transaction waiting for lock"), object->link);
            throw remoteError(e, object->link);
        }
    }
    if (remote.session->inTransaction())
        s.inTransaction = true;
}

} // namespace engine::link
