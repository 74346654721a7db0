// SQLite helpers for the engine's own statements.
#include "engine/storage/sqlite.h"

#include "engine/storage/corruption.h"

#include <cstdlib>
#include <cstring>

namespace engine::storage {

Error sqliteError(sqlite3* db, int rc)
{
    const char* msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    std::string text = msg ? msg : "";
    if ((rc & 0xff) == SQLITE_INTERRUPT)
        return oraError(1013, "user requested cancel of current operation");
    if (text.size() > 10 && text.compare(0, 4, "ORA-") == 0 && text[9] == ':') {
        int code = std::atoi(text.substr(4, 5).c_str());
        return Error(code, text);
    }
    if ((rc & 0xff) == SQLITE_READONLY) // a file the process may not write: Oracle's database open read-only
        return oraError(16000, "database or pluggable database open for read-only access (" + text + ")");
    if ((rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB)
        return oraError(1578, corruptBlockText(db, (rc & 0xff) == SQLITE_NOTADB ? 1 : firstDamagedPage(db)));
    if ((rc & 0xff) == SQLITE_FULL)
        return oraError(1653, "unable to extend table: " + text);
    return oraError(600, "internal error code, arguments: [sqlite], [" + std::to_string(rc) + "], [" + text + "]");
}

void exec(sqlite3* db, std::string_view sql)
{
    std::string s(sql);
    int rc = sqlite3_exec(db, s.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw sqliteError(db, rc);
}

Stmt::Stmt(sqlite3* db, std::string_view sql)
    : db_(db)
{
    int rc
        = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
    if (rc != SQLITE_OK)
        throw sqliteError(db, rc);
}

Stmt::~Stmt()
{
    sqlite3_finalize(stmt_);
}

Stmt::Stmt(Stmt&& o) noexcept
    : db_(o.db_)
    , stmt_(o.stmt_)
{
    o.stmt_ = nullptr;
}

Stmt& Stmt::operator=(Stmt&& o) noexcept
{
    if (this != &o) {
        sqlite3_finalize(stmt_);
        db_ = o.db_;
        stmt_ = o.stmt_;
        o.stmt_ = nullptr;
    }
    return *this;
}

Stmt& Stmt::bind(int i, int64_t v)
{
    sqlite3_bind_int64(stmt_, i, v);
    return *this;
}

Stmt& Stmt::bind(int i, double v)
{
    sqlite3_bind_double(stmt_, i, v);
    return *this;
}

Stmt& Stmt::bind(int i, std::string_view v)
{
    if (v.empty())
        sqlite3_bind_null(stmt_, i);
    else
        sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
}

Stmt& Stmt::bindBlob(int i, std::string_view bytes)
{
    sqlite3_bind_blob(stmt_, i, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    return *this;
}

Stmt& Stmt::bindNull(int i)
{
    sqlite3_bind_null(stmt_, i);
    return *this;
}

Stmt& Stmt::bindValue(int i, const Value& v)
{
    switch (v.kind) {
    case Value::Kind::Null:
        return bindNull(i);
    case Value::Kind::Integer:
        return bind(i, v.integer);
    case Value::Kind::Real:
        return bind(i, v.real);
    case Value::Kind::Text:
    case Value::Kind::Date:
        return bind(i, std::string_view(v.text));
    case Value::Kind::Blob:
        return bindBlob(i, v.text);
    }
    return *this;
}

bool Stmt::step()
{
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    Error e = sqliteError(db_, rc);
    sqlite3_reset(stmt_);
    throw e;
}

void Stmt::run()
{
    while (step()) { }
    reset();
}

void Stmt::reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

std::string Stmt::text(int i) const
{
    const unsigned char* t = sqlite3_column_text(stmt_, i);
    return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_column_bytes(stmt_, i)))
             : std::string();
}

Value Stmt::value(int i) const
{
    return toValue(sqlite3_column_value(stmt_, i));
}

int64_t queryInt(sqlite3* db, std::string_view sql, int64_t fallback)
{
    Stmt s(db, sql);
    return s.step() && !s.isNull(0) ? s.int64(0) : fallback;
}

std::string quoteIdent(std::string_view name)
{
    std::string r = "\"";
    for (char c : name) {
        if (c == '"')
            r += '"';
        r += c;
    }
    return r + "\"";
}

std::string quoteText(std::string_view text)
{
    std::string r = "'";
    for (char c : text) {
        if (c == '\'')
            r += '\'';
        r += c;
    }
    return r + "'";
}

Value toValue(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return Value::fromInt(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return Value::fromReal(sqlite3_value_double(v));
    case SQLITE_TEXT: {
        const unsigned char* t = sqlite3_value_text(v);
        return Value::fromText(
            std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_value_bytes(v))));
    }
    case SQLITE_BLOB: {
        const void* b = sqlite3_value_blob(v);
        int n = sqlite3_value_bytes(v);
        return Value::fromBlob(
            n > 0 ? std::string(static_cast<const char*>(b), static_cast<size_t>(n)) : std::string());
    }
    default:
        return Value::null();
    }
}

void resultValue(sqlite3_context* ctx, const Value& v)
{
    switch (v.kind) {
    case Value::Kind::Null:
        sqlite3_result_null(ctx);
        break;
    case Value::Kind::Integer:
        sqlite3_result_int64(ctx, v.integer);
        break;
    case Value::Kind::Real:
        sqlite3_result_double(ctx, v.real);
        break;
    case Value::Kind::Text:
    case Value::Kind::Date:
        sqlite3_result_text(ctx, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT);
        break;
    case Value::Kind::Blob:
        sqlite3_result_blob(ctx, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT);
        break;
    }
}

} // namespace engine::storage
