// Cursors.
#include "engine/exec/cursor.h"

#include "engine/fn/timestamp_session.h"
#include "engine/types/oratype_datetime.h"

#include "engine/storage/sqlite.h"

namespace engine::exec {

void CursorCore::release()
{
    if (!stmt)
        return;
    if (owner)
        owner->giveBack(stmt);
    else
        sqlite3_finalize(stmt);
    stmt = nullptr;
    owner.reset();
}

void CursorCore::prefetch()
{
    int rc = storage::step(stmt);
    if (rc == SQLITE_ROW) {
        firstStep = 1;
        return;
    }
    if (rc == SQLITE_DONE) {
        firstStep = 0;
        release();
        return;
    }
    Error e = storage::sqliteError(db, rc);
    release();
    throw e;
}

void CursorCore::buffer()
{
    if (!stmt)
        return;
    int rc = firstStep == 1 ? SQLITE_ROW : storage::step(stmt);
    firstStep = -1;
    while (rc == SQLITE_ROW) {
        std::vector<Value> row(types.size());
        for (size_t i = 0; i < types.size(); ++i)
            readColumn(stmt, static_cast<int>(i), types[i], row[i]);
        buffered.push_back(std::move(row));
        rc = storage::step(stmt);
    }
    if (rc != SQLITE_DONE) {
        Error e = storage::sqliteError(db, rc);
        release();
        throw e;
    }
    release();
}

void readColumn(sqlite3_stmt* stmt, int i, OraType type, Value& v)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL:
        v.kind = Value::Kind::Null;
        v.text.clear();
        return;
    case SQLITE_INTEGER:
        v.kind = Value::Kind::Integer;
        v.integer = sqlite3_column_int64(stmt, i);
        return;
    case SQLITE_FLOAT:
        v.kind = Value::Kind::Real;
        v.real = sqlite3_column_double(stmt, i);
        return;
    case SQLITE_BLOB: {
        v.kind = Value::Kind::Blob;
        const void* p = sqlite3_column_blob(stmt, i);
        v.text.assign(static_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(stmt, i)));
        return;
    }
    default: {
        const unsigned char* t = sqlite3_column_text(stmt, i);
        size_t n = static_cast<size_t>(sqlite3_column_bytes(stmt, i));
        if (n == 0 && type == OraType::Clob) {
            // EMPTY_CLOB(): an empty LOB is not NULL.
            v.kind = Value::Kind::Text;
            v.text.clear();
            return;
        }
        if (n == 0) {
            v.kind = Value::Kind::Null;
            v.text.clear();
            return;
        }
        v.kind = type == OraType::Date ? Value::Kind::Date : Value::Kind::Text;
        v.text.assign(reinterpret_cast<const char*>(t), n);
    }
    }
}

void toClientValues(std::vector<Value>& row, const std::vector<ColumnDesc>& columns, const fn::FunctionContext& ctx)
{
    for (size_t i = 0; i < columns.size() && i < row.size(); ++i) {
        const ColumnDesc& c = columns[i];
        Value& v = row[i];
        if (!types::isNewDatetime(c.type) || v.isNull())
            continue;
        types::ExprType t;
        t.type = c.type;
        const std::string text
            = fn::clientText(ctx, types::dtKindOf(t), v.text, v.integer, c.scale, c.precision > 0 ? c.precision : 2);
        if (text.empty())
            continue;
        if (c.type == OraType::Timestamp || c.type == OraType::TimestampLtz)
            v = Value::fromDate(text);
        else
            v = Value::fromText(text);
    }
}

StreamCursor::StreamCursor(std::shared_ptr<CursorCore> core, std::vector<ColumnDesc> columns)
    : core_(std::move(core))
    , columns_(std::move(columns))
    , values_(columns_.size())
{
}

StreamCursor::~StreamCursor()
{
    close();
}

bool StreamCursor::next()
{
    std::lock_guard lk(*core_->connMutex);
    if (!core_->buffered.empty()) {
        values_ = std::move(core_->buffered.front());
        core_->buffered.pop_front();
        if (core_->fctx)
            toClientValues(values_, columns_, *core_->fctx);
        if (core_->fetchedRows)
            core_->fetchedRows->fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    if (!core_->stmt)
        return false;
    int rc = core_->firstStep == 1 ? SQLITE_ROW : storage::step(core_->stmt);
    core_->firstStep = -1;
    if (rc == SQLITE_ROW) {
        if (core_->fetchedRows)
            core_->fetchedRows->fetch_add(1, std::memory_order_relaxed);
        for (size_t i = 0; i < columns_.size(); ++i)
            readColumn(core_->stmt, static_cast<int>(i), columns_[i].type, values_[i]);
        if (core_->fctx)
            toClientValues(values_, columns_, *core_->fctx);
        return true;
    }
    if (rc == SQLITE_DONE) {
        core_->release();
        return false;
    }
    Error e = storage::sqliteError(core_->db, rc);
    core_->release();
    throw e;
}

void StreamCursor::close()
{
    if (!core_)
        return;
    std::lock_guard lk(*core_->connMutex);
    core_->release();
    core_->buffered.clear();
}

RowsCursor::RowsCursor(std::vector<ColumnDesc> columns, std::vector<std::vector<Value>> rows)
    : columns_(std::move(columns))
    , rows_(std::move(rows))
{
}

bool RowsCursor::next()
{
    if (pos_ >= rows_.size())
        return false;
    ++pos_;
    return true;
}

} // namespace engine::exec
