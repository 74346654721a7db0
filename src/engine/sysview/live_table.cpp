// The virtual-table module behind every live source.
#include "engine/sysview/live_table.h"

#include "engine/storage/sqlite.h"

#include <memory>

namespace engine::sysview {

namespace {

struct Aux {
    const LiveTable* table;
    SessionState* session;
};

struct Vtab : sqlite3_vtab {
    const Aux* aux = nullptr;
};

struct Cursor : sqlite3_vtab_cursor {
    LiveRows rows;
    size_t pos = 0;
};

std::string declaration(const LiveTable& t)
{
    std::string sql = "CREATE TABLE x(";
    for (size_t i = 0; i < t.columns.size(); ++i)
        sql += (i ? ", \"" : "\"") + t.columns[i] + "\"";
    return sql + ")";
}

int connect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out, char**)
{
    const Aux* a = static_cast<const Aux*>(aux);
    int rc = sqlite3_declare_vtab(db, declaration(*a->table).c_str());
    if (rc != SQLITE_OK)
        return rc;
    auto v = std::make_unique<Vtab>();
    *static_cast<sqlite3_vtab*>(v.get()) = {};
    v->aux = a;
    *out = v.release();
    return SQLITE_OK;
}

int disconnect(sqlite3_vtab* v)
{
    std::unique_ptr<Vtab> owned(static_cast<Vtab*>(v));
    return SQLITE_OK;
}

int bestIndex(sqlite3_vtab*, sqlite3_index_info* info)
{
    info->estimatedCost = 1000;
    info->estimatedRows = 100;
    return SQLITE_OK;
}

int open(sqlite3_vtab*, sqlite3_vtab_cursor** out)
{
    auto c = std::make_unique<Cursor>();
    *static_cast<sqlite3_vtab_cursor*>(c.get()) = {};
    *out = c.release();
    return SQLITE_OK;
}

int close(sqlite3_vtab_cursor* c)
{
    std::unique_ptr<Cursor> owned(static_cast<Cursor*>(c));
    return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor* cur, int, const char*, int, sqlite3_value**)
{
    Cursor* c = static_cast<Cursor*>(cur);
    Vtab* v = static_cast<Vtab*>(cur->pVtab);
    try {
        c->rows = v->aux->table->rows(*v->aux->session);
    } catch (const Error& e) {
        sqlite3_free(v->zErrMsg);
        v->zErrMsg = sqlite3_mprintf("%s", e.message().c_str());
        return SQLITE_ERROR;
    }
    c->pos = 0;
    return SQLITE_OK;
}

int next(sqlite3_vtab_cursor* cur)
{
    ++static_cast<Cursor*>(cur)->pos;
    return SQLITE_OK;
}

int eof(sqlite3_vtab_cursor* cur)
{
    Cursor* c = static_cast<Cursor*>(cur);
    return c->pos >= c->rows.size() ? 1 : 0;
}

int column(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int i)
{
    Cursor* c = static_cast<Cursor*>(cur);
    const std::vector<Value>& row = c->rows[c->pos];
    if (static_cast<size_t>(i) >= row.size()) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    const Value& val = row[static_cast<size_t>(i)];
    storage::resultValue(ctx, val);
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor* cur, sqlite3_int64* out)
{
    *out = static_cast<sqlite3_int64>(static_cast<Cursor*>(cur)->pos + 1);
    return SQLITE_OK;
}

sqlite3_module makeModule()
{
    sqlite3_module m {};
    m.iVersion = 0;
    m.xCreate = nullptr; // eponymous only: the table exists on every connection without CREATE VIRTUAL TABLE
    m.xConnect = connect;
    m.xBestIndex = bestIndex;
    m.xDisconnect = disconnect;
    m.xDestroy = disconnect;
    m.xOpen = open;
    m.xClose = close;
    m.xFilter = filter;
    m.xNext = next;
    m.xEof = eof;
    m.xColumn = column;
    m.xRowid = rowid;
    return m;
}

const sqlite3_module module = makeModule();

void destroyAux(void* p)
{
    std::unique_ptr<Aux> owned(static_cast<Aux*>(p));
}

} // namespace

void registerLiveTable(sqlite3* conn, SessionState& s, const LiveTable& table)
{
    auto aux = std::make_unique<Aux>(Aux { &table, &s });
    sqlite3_create_module_v2(conn, table.name.c_str(), &module, aux.release(), destroyAux);
}

} // namespace engine::sysview
