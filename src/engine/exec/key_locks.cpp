// Keys of unique indexes: reading them from row images and rows, and probing a statement's new rows.
#include "engine/exec/key_locks.h"

#include "engine/catalog/catalog.h"
#include "engine/exec/prepared_pool.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"
#include "engine/undo/row_image.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>

namespace engine::exec {

using undo::ImageValue;

namespace {

void put(std::string& out, const void* p, size_t n)
{
    out.append(static_cast<const char*>(p), n);
}

// One value of a key in a form where values SQLite's index takes as equal have equal bytes: an integral real is
// the integer it equals, text and blob are their bytes with the kind in front.
void appendValue(std::string& out, const ImageValue& v)
{
    switch (v.type) {
    case ImageValue::Type::Null:
        out += 'N';
        return;
    case ImageValue::Type::Integer:
        out += 'I';
        put(out, &v.integer, 8);
        return;
    case ImageValue::Type::Real:
        if (v.real == std::floor(v.real) && std::abs(v.real) < 9.2e18) {
            int64_t i = static_cast<int64_t>(v.real);
            out += 'I';
            put(out, &i, 8);
        } else {
            out += 'R';
            put(out, &v.real, 8);
        }
        return;
    case ImageValue::Type::Text:
    case ImageValue::Type::Blob: {
        out += v.type == ImageValue::Type::Text ? 'T' : 'B';
        uint32_t n = static_cast<uint32_t>(v.bytes.size());
        put(out, &n, sizeof n);
        out.append(v.bytes);
        return;
    }
    }
}

// The key of a row (values by position in the physical table); nullopt when the index holds no entry for it: a
// NULL single column, or every column of a key over several NULL (the engine's unique indexes compare NULL as
// equal to NULL in a key over several columns, as Oracle does).
std::optional<std::string> keyOf(const UniqueKey& k, const std::vector<ImageValue>& row)
{
    std::string out;
    bool anyValue = false;
    for (int pos : k.positions) {
        if (pos < 0 || static_cast<size_t>(pos) >= row.size())
            return std::nullopt;
        const ImageValue& v = row[static_cast<size_t>(pos)];
        if (v.type == ImageValue::Type::Null) {
            if (k.positions.size() == 1)
                return std::nullopt;
        } else {
            anyValue = true;
        }
        appendValue(out, v);
    }
    if (!anyValue)
        return std::nullopt;
    return out;
}

ImageValue imageOf(sqlite3_stmt* q, int i)
{
    ImageValue v;
    switch (sqlite3_column_type(q, i)) {
    case SQLITE_INTEGER:
        v.type = ImageValue::Type::Integer;
        v.integer = sqlite3_column_int64(q, i);
        break;
    case SQLITE_FLOAT:
        v.type = ImageValue::Type::Real;
        v.real = sqlite3_column_double(q, i);
        break;
    case SQLITE_TEXT: {
        v.type = ImageValue::Type::Text;
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(q, i));
        v.bytes = std::string_view(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(q, i)));
        break;
    }
    case SQLITE_BLOB: {
        v.type = ImageValue::Type::Blob;
        const void* p = sqlite3_column_blob(q, i);
        v.bytes = std::string_view(
            p ? static_cast<const char*>(p) : "", static_cast<size_t>(sqlite3_column_bytes(q, i)));
        break;
    }
    default:
        break;
    }
    return v;
}

// The keys of a row as it is now, one per unique key (nullopt where it has none); empty when the row is gone.
class CurrentRows {
public:
    CurrentRows(SessionState& s, const TableKeys& t)
        : t_(t)
        , q_(prepared(s,
              "SELECT * FROM " + storage::quoteIdent(t.physicalName) + " WHERE "
                  + storage::quoteIdent(catalog::kRowNumberColumn) + " = ?1"))
    {
    }

    std::vector<std::optional<std::string>> keys(int64_t row)
    {
        std::vector<std::optional<std::string>> r;
        q_->bind(1, row);
        if (q_->step()) {
            int n = sqlite3_column_count(q_.get());
            std::vector<ImageValue> values;
            values.reserve(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i)
                values.push_back(imageOf(q_.get(), i));
            for (const UniqueKey& k : t_.keys)
                r.push_back(keyOf(k, values));
        }
        q_->reset();
        return r;
    }

private:
    const TableKeys& t_;
    PreparedPool::Lease q_;
};

void probeFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    static_cast<KeyProbe*>(sqlite3_user_data(ctx))->found(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]));
    sqlite3_result_null(ctx);
}

constexpr const char* kProbeFunction = "ORA$KEY_PROBE";
constexpr const char* kProbeInsert = "ORA$KEY_PROBE_INSERT";
constexpr const char* kProbeUpdate = "ORA$KEY_PROBE_UPDATE";

} // namespace

const TableKeys& KeyCache::keysOf(SessionState& s, int64_t object)
{
    uint64_t generation = s.db->ddlGeneration.load();
    if (generation != generation_) {
        tables_.clear();
        generation_ = generation;
    }
    auto& slot = tables_[object];
    if (slot)
        return *slot;
    auto t = std::make_unique<TableKeys>();
    t->object = object;
    t->physicalName = catalog::physicalTableName(object);
    std::map<std::string, int> positions;
    {
        storage::Stmt info(s.conn, "SELECT name, cid FROM pragma_table_info(?1)");
        info.bind(1, t->physicalName);
        while (info.step())
            positions[info.text(0)] = static_cast<int>(info.int64(1));
    }
    catalog::Catalog cat(s.conn);
    std::map<int, std::string> physical;
    for (const catalog::ColumnRow& c : cat.columns(object))
        physical[c.col] = c.physicalName;
    storage::Stmt exists(s.conn, "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?1");
    for (int64_t index : cat.indexesOf(object)) {
        if (!cat.indexIsUnique(index))
            continue;
        // A key whose constraint is disabled has no index: nothing enforces it.
        exists.bind(1, catalog::physicalIndexName(index));
        bool enforced = exists.step();
        exists.reset();
        if (!enforced)
            continue;
        UniqueKey k;
        k.indexId = index;
        for (int col : cat.indexColumns(index)) {
            auto name = physical.find(col);
            auto pos = name == physical.end() ? positions.end() : positions.find(name->second);
            if (pos == positions.end()) {
                k.positions.clear();
                break;
            }
            k.positions.push_back(pos->second);
            k.columns.push_back(name->second);
        }
        if (!k.positions.empty())
            t->keys.push_back(std::move(k));
    }
    slot = std::move(t);
    return *slot;
}

KeyChanges keyChanges(SessionState& s, const TableKeys& t, const std::vector<const undo::Record*>& records)
{
    KeyChanges kc;
    std::optional<CurrentRows> current;
    auto removeKeysOf = [&](const std::vector<ImageValue>& old, const std::vector<std::optional<std::string>>* now,
                            int64_t row) {
        for (size_t i = 0; i < t.keys.size(); ++i) {
            auto oldKey = keyOf(t.keys[i], old);
            const std::optional<std::string>* newKey = now && i < now->size() ? &(*now)[i] : nullptr;
            if (newKey && *newKey == oldKey)
                continue;
            if (oldKey)
                kc.removed.push_back({ t.object, t.keys[i].indexId, std::move(*oldKey) });
            if (newKey && newKey->has_value())
                kc.addedRows.push_back(row);
        }
    };
    for (const undo::Record* r : records) {
        if (r->op == undo::Op::Insert) {
            kc.addedRows.push_back(r->rowno);
            continue;
        }
        auto old = undo::decodeRow(r->rowData);
        if (!old)
            continue;
        if (r->op == undo::Op::Delete) {
            removeKeysOf(*old, nullptr, r->rowno);
            continue;
        }
        if (!current)
            current.emplace(s, t);
        auto now = current->keys(r->rowno);
        removeKeysOf(*old, now.empty() ? nullptr : &now, r->rowno);
    }
    return kc;
}

std::vector<locks::KeyId> currentKeys(SessionState& s, const TableKeys& t, const std::vector<int64_t>& rows)
{
    std::vector<locks::KeyId> keys;
    CurrentRows current(s, t);
    for (int64_t row : rows) {
        auto now = current.keys(row);
        for (size_t i = 0; i < now.size(); ++i)
            if (now[i])
                keys.push_back({ t.object, t.keys[i].indexId, std::move(*now[i]) });
    }
    return keys;
}

void KeyProbe::found(int64_t object, int64_t row)
{
    if (s_.db->locks.keyAddingHolder(s_.sid, object, row) != 0)
        hits_.push_back(row);
}

KeyProbe::KeyProbe(SessionState& s, const TableKeys& t)
    : s_(s)
{
    using storage::quoteIdent;
    // The function lives as long as the probe: remove() takes it away again.
    sqlite3_create_function(s.conn, kProbeFunction, 2, SQLITE_UTF8, this, probeFn, nullptr, nullptr);
    const std::string table = quoteIdent(t.physicalName);
    const std::string rowno = quoteIdent(catalog::kRowNumberColumn);
    auto body = [&](bool update) {
        std::string sql;
        for (const UniqueKey& k : t.keys) {
            std::string match, anyValue;
            for (const std::string& c : k.columns) {
                std::string col = quoteIdent(c);
                if (k.columns.size() == 1) {
                    match = "R." + col + " = NEW." + col;
                } else {
                    match += (match.empty() ? "" : " AND ") + std::string("ifnull(R.") + col + ", X'') = ifnull(NEW."
                        + col + ", X'')";
                    anyValue += (anyValue.empty() ? "" : " OR ") + std::string("NEW.") + col + " IS NOT NULL";
                }
            }
            sql += "SELECT " + std::string(kProbeFunction) + "(" + std::to_string(t.object) + ", R." + rowno
                + ") FROM main." + table + " AS R WHERE " + match + (anyValue.empty() ? "" : " AND (" + anyValue + ")")
                + (update ? " AND R." + rowno + " <> OLD." + rowno : "") + ";\n";
        }
        return sql + "SELECT RAISE(IGNORE);\n";
    };
    try {
        storage::exec(s.conn,
            "CREATE TEMP TRIGGER " + quoteIdent(kProbeInsert) + " BEFORE INSERT ON main." + table
                + " FOR EACH ROW BEGIN\n" + body(false) + "END;\nCREATE TEMP TRIGGER " + quoteIdent(kProbeUpdate)
                + " BEFORE UPDATE ON main." + table + " FOR EACH ROW BEGIN\n" + body(true) + "END");
    } catch (...) {
        remove();
        throw;
    }
}

KeyProbe::~KeyProbe()
{
    remove();
}

void KeyProbe::remove()
{
    sqlite3_exec(s_.conn,
        (std::string("DROP TRIGGER IF EXISTS temp.") + storage::quoteIdent(kProbeInsert) + "; DROP TRIGGER IF EXISTS temp."
            + storage::quoteIdent(kProbeUpdate))
            .c_str(),
        nullptr, nullptr, nullptr);
    sqlite3_create_function(s_.conn, kProbeFunction, 2, SQLITE_UTF8, nullptr, nullptr, nullptr, nullptr);
}

ChangeConflict lockChanges(SessionState& s, int64_t undoMark, int64_t insertTarget)
{
    ChangeConflict c;
    // Usually one table: a short list, not a map.
    std::vector<std::pair<int64_t, std::vector<const undo::Record*>>> byTable;
    for (const undo::Record& r : s.undo->recordsSince(undoMark)) {
        int64_t object = std::atoll(r.table.c_str() + 1);
        auto it = std::find_if(byTable.begin(), byTable.end(), [&](const auto& e) { return e.first == object; });
        if (it == byTable.end())
            it = byTable.insert(byTable.end(), { object, {} });
        it->second.push_back(&r);
    }
    locks::LockManager& lm = s.db->locks;
    locks::WaitPolicy nowait;
    nowait.nowait = true;
    for (const auto& [object, records] : byTable) {
        std::vector<int64_t> rows;
        rows.reserve(records.size());
        bool onlyInserts = true;
        for (const undo::Record* r : records) {
            rows.push_back(r->rowno);
            onlyInserts = onlyInserts && r->op == undo::Op::Insert;
        }
        // The rows an INSERT added carry their keys: locked and marked in one step.
        const TableKeys* insertKeys = onlyInserts ? &s.keys->keysOf(s, object) : nullptr;
        if (insertKeys && insertKeys->keys.empty())
            insertKeys = nullptr;
        bool othersRemovedKeys = false;
        try {
            if (insertKeys)
                othersRemovedKeys = lm.lockRowsAddingKeys(s.sid, object, rows, nowait);
            else
                lm.lockRows(s.sid, object, rows, nowait);
        } catch (const Error& e) {
            if (e.code() != 54)
                throw;
            // A row the statement inserted never existed before it: another session holding its number deleted
            // a row of that number. Numbering the new rows higher is enough.
            std::set<int64_t> inserted;
            for (const undo::Record* r : records)
                if (r->op == undo::Op::Insert)
                    inserted.insert(r->rowno);
            bool onlyNumbers = object == insertTarget;
            for (int64_t row : rows) {
                int64_t holder = lm.rowHolder(object, row);
                if (holder != 0 && holder != s.sid && !inserted.count(row))
                    onlyNumbers = false;
            }
            if (onlyNumbers)
                c.renumberAbove = std::max(c.renumberAbove, lm.highestRowOfOthers(s.sid, object));
            else
                c.rows[object] = std::move(rows);
            continue;
        }
        if (insertKeys) {
            // Another session removed keys of this table: the statement may not add one of them until it ends.
            if (othersRemovedKeys)
                for (locks::KeyId& k : lm.heldByOthers(s.sid, currentKeys(s, *insertKeys, rows)))
                    c.keys.push_back(std::move(k));
            continue;
        }
        const TableKeys& keys = s.keys->keysOf(s, object);
        if (keys.keys.empty())
            continue;
        KeyChanges kc = keyChanges(s, keys, records);
        lm.lockKeys(s.sid, kc.removed);
        if (kc.addedRows.empty() || !lm.markKeysAdded(s.sid, object, kc.addedRows))
            continue;
        // Another session removed keys of this table: the statement may not add one of them until it ends.
        for (locks::KeyId& k : lm.heldByOthers(s.sid, currentKeys(s, keys, kc.addedRows)))
            c.keys.push_back(std::move(k));
    }
    return c;
}

void waitOut(SessionState& s, const ChangeConflict& c, const locks::WaitPolicy& policy)
{
    for (const auto& [object, rows] : c.rows)
        s.db->locks.lockRows(s.sid, object, rows, policy);
    s.db->locks.waitForKeys(s.sid, c.keys, policy);
}

} // namespace engine::exec
