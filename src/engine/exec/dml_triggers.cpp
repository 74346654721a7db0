// Firing database triggers. The statement runs as one SQLite statement, as it does without triggers; its row
// triggers then fire row by row over the rows it touched, BEFORE and AFTER for each row in turn, and a row whose
// :NEW a BEFORE trigger changed is written again. Row triggers may not read their table (ORA-04091), so they
// cannot tell this order from Oracle's.
#include "engine/exec/dml_triggers.h"

#include "engine/catalog/catalog.h"
#include "engine/exec/binds.h"
#include "engine/exec/cursor.h"
#include "engine/exec/executor.h"
#include "engine/link/links.h"
#include "engine/emit/runtime_functions.h"
#include "engine/plsql/compiler.h"
#include "engine/plsql/interpreter.h"
#include "engine/plsql/trigger_unit.h"
#include "engine/plsql/unit_store.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/sql/parser.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <unordered_set>

namespace engine::exec {

namespace {

using plsql::TriggerUnit;

// Oracle's limit of nested SQL, which a trigger firing itself through another table reaches.
constexpr int kMaxTriggerDepth = 50;

struct TablesWithTriggers {
    std::weak_ptr<Database> database; // a database opened later at the same address is another one
    uint64_t generation = UINT64_MAX;
    std::unordered_set<int64_t> tables;
};

// Compiled triggers of one session, good until the next DDL.
struct SessionTriggers {
    int64_t sid = -1;
    uint64_t generation = UINT64_MAX;
    std::map<int64_t, std::shared_ptr<TriggerUnit>> units;
};

std::mutex registryMutex;
std::map<const DatabaseState*, TablesWithTriggers> tablesByDatabase;
std::map<const SessionState*, SessionTriggers> compiledBySession;

// The tables whose row triggers are running on this thread, with their sessions (a remote session's calls, on
// another database, run on this thread too).
thread_local std::vector<std::pair<const SessionState*, int64_t>> mutating;
thread_local int depth = 0;
// The sessions whose trigger bodies are running on this thread (a remote session's calls run on it too).
thread_local std::vector<const SessionState*> firing;

// A trigger marked INVALID (something it uses changed) that compiles again is VALID once more, as Oracle's
// automatic recompilation leaves it; the change is the catalog's, outside the transaction's undo.
void markRevalidated(SessionState& s, int64_t id)
{
    std::lock_guard conn(s.connMutex);
    {
        storage::Stmt q(s.conn, R"(SELECT "STATUS" FROM "OBJ$" WHERE "OBJ#" = ?1)");
        q.bind(1, id);
        if (!q.step() || q.int64(0) == catalog::kStatusValid)
            return;
    }
    session::WriteScope w(s);
    plsql::storeErrors(s, id, {});
    plsql::setCompiled(s, id, true);
}

std::shared_ptr<TriggerUnit> compiled(SessionState& s, int64_t id, const std::string& owner, const std::string& name)
{
    const uint64_t generation = s.db->ddlGeneration.load();
    {
        std::lock_guard lock(registryMutex);
        SessionTriggers& e = compiledBySession[&s];
        if (e.sid != s.sid || e.generation != generation)
            e = SessionTriggers { s.sid, generation, {} };
        if (auto it = e.units.find(id); it != e.units.end())
            return it->second;
    }
    std::shared_ptr<TriggerUnit> unit;
    try {
        unit = plsql::loadTrigger(s, id);
    } catch (const Error&) {
        unit.reset();
    }
    if (!unit || !unit->valid())
        throw oraError(4098, "trigger '" + owner + "." + name + "' is invalid and failed re-validation");
    unit->body->unit->owner = unit->owner;
    unit->body->unit->name = unit->name;
    markRevalidated(s, id);
    std::lock_guard lock(registryMutex);
    SessionTriggers& e = compiledBySession[&s];
    if (e.sid != s.sid || e.generation != generation)
        e = SessionTriggers { s.sid, generation, {} };
    e.units[id] = unit;
    return unit;
}

struct TriggerRef {
    int64_t id = 0;
    std::string owner, name;
};

std::vector<TriggerRef> enabledTriggers(SessionState& s, int64_t tableId, StatementKind kind)
{
    const char* event = kind == StatementKind::Insert ? "INSERT$" : kind == StatementKind::Update ? "UPDATE$" : "DELETE$";
    std::vector<TriggerRef> r;
    std::lock_guard conn(s.connMutex);
    storage::Stmt q(s.conn,
        std::string(R"(SELECT t."OBJ#", u."NAME", o."NAME" FROM "TRIGGER$" t JOIN "OBJ$" o ON o."OBJ#" = t."OBJ#"
        JOIN "USER$" u ON u."USER#" = o."OWNER#" WHERE t."BASEOBJECT" = ?1 AND t."ENABLED" <> 0 AND t.")")
            + event + R"(" <> 0 ORDER BY t."OBJ#")");
    q.bind(1, tableId);
    while (q.step())
        r.push_back({ q.int64(0), q.text(1), q.text(2) });
    return r;
}

// What fired the trigger: the event and, for an UPDATE, the columns its SET list names.
struct Event {
    StatementKind kind = StatementKind::Insert;
    std::vector<std::string> columns;
    std::string columnList; // ",A,B,"
};

// The table's rows as the triggers see them.
class RowReader {
public:
    RowReader(SessionState& s, int64_t tableId)
        : s_(s)
    {
        catalog::Catalog cat(s.conn);
        columns_ = cat.columns(tableId);
        auto t = cat.objectById(tableId);
        if (t) {
            owner_ = t->owner;
            table_ = t->name;
        }
        std::string list;
        for (const catalog::ColumnRow& c : columns_)
            list += (list.empty() ? "" : ", ") + storage::quoteIdent(c.physicalName);
        select_ = "SELECT " + (list.empty() ? std::string("NULL") : list) + " FROM "
            + storage::quoteIdent(catalog::physicalTableName(tableId)) + " WHERE "
            + storage::quoteIdent(catalog::kRowNumberColumn) + " = ?1";
    }

    plsql::Val read(int64_t rowno)
    {
        plsql::Val v = empty();
        std::lock_guard conn(s_.connMutex);
        if (!query_.get())
            query_ = storage::Stmt(s_.conn, select_);
        query_.reset();
        query_.bind(1, rowno);
        if (query_.step())
            for (size_t i = 0; i < columns_.size(); ++i)
                readColumn(query_.get(), static_cast<int>(i), catalog::columnType(columns_[i]).type, v.c->fields[i].v);
        query_.reset();
        return v;
    }
    plsql::Val empty() const
    {
        plsql::Val v;
        v.c = std::make_shared<plsql::Composite>();
        v.c->fields.resize(columns_.size());
        return v;
    }
    const std::vector<catalog::ColumnRow>& columns() const { return columns_; }
    const std::string& owner() const { return owner_; }
    const std::string& table() const { return table_; }

private:
    SessionState& s_;
    std::vector<catalog::ColumnRow> columns_;
    std::string owner_, table_, select_;
    storage::Stmt query_;
};

std::string quotedName(const std::string& n)
{
    return "\"" + n + "\"";
}

// A row a BEFORE trigger changed goes back to the table through the binder, so that the stored values get the
// conversions and checks (lengths, precision, CHECK, foreign keys) of any UPDATE.
class RowWriter {
public:
    RowWriter(SessionState& s, const RowReader& reader)
        : s_(s)
        , reader_(reader)
    {
    }
    void write(int64_t rowno, const plsql::Val& row)
    {
        const auto& cols = reader_.columns();
        if (!entry_) {
            std::string sets;
            for (size_t i = 0; i < cols.size(); ++i)
                sets += (i ? ", " : "") + quotedName(cols[i].name) + " = :B" + std::to_string(i + 1);
            text_ = "UPDATE " + quotedName(reader_.owner()) + "." + quotedName(reader_.table()) + " SET " + sets;
            parsed_ = std::make_unique<sql::ParseResult>(sql::parse(text_));
            if (!parsed_->ok())
                throw oraError(600, "internal error: trigger row write");
            entry_ = translateEmbedded(s_, text_, *parsed_->statement, nullptr);
            // The row by its number, which SQLite finds by its key.
            rowParam_ = static_cast<int>(entry_->bound->params.size()) + 1;
            std::lock_guard conn(s_.connMutex);
            update_ = storage::Stmt(s_.conn,
                entry_->bound->sql + " WHERE " + storage::quoteIdent(catalog::kRowNumberColumn) + " = ?"
                    + std::to_string(rowParam_));
        }
        std::vector<Bind> binds;
        for (size_t i = 0; i < cols.size(); ++i) {
            Bind b;
            b.name = "B" + std::to_string(i + 1);
            b.value = row.c->fields[i].v;
            b.type = catalog::columnType(cols[i]).type;
            binds.push_back(std::move(b));
        }
        std::lock_guard conn(s_.connMutex);
        update_.reset();
        bindParameters(update_.get(), *entry_->bound, binds, s_.fctx);
        sqlite3_bind_int64(update_.get(), rowParam_, rowno);
        try {
            while (update_.step()) {
            }
        } catch (const Error& e) {
            update_.reset();
            throw translateConstraintError(s_, e);
        }
        update_.reset();
    }

private:
    SessionState& s_;
    const RowReader& reader_;
    std::string text_;
    std::unique_ptr<sql::ParseResult> parsed_;
    std::shared_ptr<CachedStatement> entry_;
    storage::Stmt update_;
    int rowParam_ = 0;
};

// The NOT NULL columns a statement left to its BEFORE triggers must be filled once they have run.
void checkNotNull(const RowReader& reader, const plsql::Val& row, StatementKind kind)
{
    const auto& cols = reader.columns();
    for (size_t i = 0; i < cols.size(); ++i) {
        if (!cols[i].notNull || !row.c->fields[i].v.isNull())
            continue;
        const std::string column = quotedName(reader.owner()) + "." + quotedName(reader.table()) + "."
            + quotedName(cols[i].name);
        if (kind == StatementKind::Insert)
            throw oraError(1400, "cannot insert NULL into (" + column + ")");
        throw oraError(1407, "cannot update (" + column + ") to NULL");
    }
}

bool sameValue(const Value& a, const Value& b)
{
    return a.kind == b.kind && a.integer == b.integer && a.real == b.real && a.text == b.text;
}

bool sameRow(const plsql::Val& a, const plsql::Val& b)
{
    for (size_t i = 0; i < a.c->fields.size(); ++i)
        if (!sameValue(a.c->fields[i].v, b.c->fields[i].v))
            return false;
    return true;
}

std::string withTriggerLine(const std::string& message, const TriggerUnit& t)
{
    return message + "\nORA-04088: error during execution of trigger '" + t.owner + "." + t.name + "'";
}

// Runs one trigger for a row (newRow, oldRow) or for the statement (both null).
void fire(SessionState& s, const TriggerUnit& t, const Event& ev, plsql::Val* newRow, plsql::Val* oldRow)
{
    using namespace plsql;
    auto setSlots = [&](Frame& f) {
        f.slots[kTriggerInserting].v = Value::fromInt(ev.kind == StatementKind::Insert ? 1 : 0);
        f.slots[kTriggerUpdating].v = Value::fromInt(ev.kind == StatementKind::Update ? 1 : 0);
        f.slots[kTriggerDeleting].v = Value::fromInt(ev.kind == StatementKind::Delete ? 1 : 0);
        f.slots[kTriggerColumns].v = Value::fromText(ev.columnList);
        if (newRow)
            f.slots[kTriggerNew] = *newRow; // shares the record: what the body assigns to :NEW is the row's
        if (oldRow)
            f.slots[kTriggerOld] = *oldRow;
    };
    ActingAs as(s, t.ownerId, t.owner);
    auto run = [&](const CUnit& unit, Frame& frame) {
        Ctx c(s);
        c.frame = &frame;
        c.unit = &unit;
        try {
            runBlock(*unit.block, c);
        } catch (PlError& e) {
            e.stack.push_back(unit.where(frame.line));
            std::string message = e.message;
            for (const std::string& line : e.stack)
                message += "\n" + line;
            throw Error(e.code, withTriggerLine(message, t));
        }
    };
    if (t.when) {
        Frame w;
        w.slots.resize(static_cast<size_t>(t.when->unit->frameSize));
        setSlots(w);
        run(*t.when->unit, w);
        const Value& yes = w.slots[kTriggerResult].v;
        if (yes.kind != Value::Kind::Integer || yes.integer == 0)
            return;
    }
    Frame frame;
    frame.slots.resize(static_cast<size_t>(t.body->unit->frameSize));
    setSlots(frame);
    firing.push_back(&s);
    struct Done {
        ~Done() { firing.pop_back(); }
    } done;
    run(*t.body->unit, frame);
}

std::vector<int64_t> targetRows(SessionState& s, const bind::BoundStatement& b, const std::vector<Bind>& binds)
{
    std::vector<int64_t> rows;
    std::lock_guard conn(s.connMutex);
    storage::Stmt q(s.conn, b.dmlTarget->rowsSql);
    bindParameters(q.get(), b, binds, s.fctx);
    while (q.step())
        rows.push_back(q.int64(0));
    return rows;
}

// Oracle lets the row triggers of a single-row INSERT ... VALUES read their table.
bool singleRowInsert(const bind::BoundStatement& b)
{
    return b.kind == StatementKind::Insert && b.sql.find(") SELECT ") == std::string::npos;
}

// RETURNING ... INTO gives the row as stored, with what its BEFORE triggers put in it: read again once they ran.
void returnStored(SessionState& s, const bind::BoundStatement& b, std::vector<Bind>& binds, int64_t tableId, int64_t row)
{
    const size_t at = b.sql.rfind(" RETURNING ");
    if (b.returning.empty() || at == std::string::npos)
        return;
    const int rowParam = static_cast<int>(b.params.size()) + 1;
    std::lock_guard conn(s.connMutex);
    storage::Stmt q(s.conn,
        "SELECT " + b.sql.substr(at + 11) + " FROM " + storage::quoteIdent(catalog::physicalTableName(tableId))
            + " WHERE " + storage::quoteIdent(catalog::kRowNumberColumn) + " = ?" + std::to_string(rowParam));
    bindParameters(q.get(), b, binds, s.fctx);
    sqlite3_bind_int64(q.get(), rowParam, row);
    if (!q.step())
        return;
    for (size_t i = 0; i < b.returning.size(); ++i)
        for (Bind& bd : binds)
            if (bd.name == b.returning[i].bindName) {
                readColumn(q.get(), static_cast<int>(i), b.returning[i].column.type, bd.value);
                if (bd.returnAll && !bd.values.empty())
                    bd.values.back() = bd.value;
            }
}

} // namespace

bool mayFireTriggers(SessionState& s, int64_t tableId)
{
    const uint64_t generation = s.db->ddlGeneration.load();
    std::lock_guard lock(registryMutex);
    TablesWithTriggers& t = tablesByDatabase[s.db];
    if (t.generation != generation || t.database.lock() != s.database) {
        t.tables.clear();
        t.database = s.database;
        std::lock_guard conn(s.connMutex);
        storage::Stmt q(s.conn, R"(SELECT DISTINCT "BASEOBJECT" FROM "TRIGGER$")");
        while (q.step())
            t.tables.insert(q.int64(0));
        t.generation = generation;
    }
    return t.tables.count(tableId) != 0;
}

void forgetCompiledTriggers(SessionState& s)
{
    SessionTriggers gone;
    {
        std::lock_guard lock(registryMutex);
        auto it = compiledBySession.find(&s);
        if (it == compiledBySession.end())
            return;
        gone = std::move(it->second);
        compiledBySession.erase(it);
    }
    std::lock_guard conn(s.connMutex);
    gone.units.clear();
}

int hideFiringTriggers(const SessionState& s)
{
    const auto n = std::count(firing.begin(), firing.end(), &s);
    firing.erase(std::remove(firing.begin(), firing.end(), &s), firing.end());
    return static_cast<int>(n);
}

void restoreFiringTriggers(const SessionState& s, int count)
{
    firing.insert(firing.end(), static_cast<size_t>(count), &s);
}

void checkNotInTrigger(const SessionState& s, const char* what)
{
    if (std::find(firing.begin(), firing.end(), &s) != firing.end())
        throw oraError(4092, std::string("cannot ") + what + " in a trigger");
}

void checkMutating(const SessionState& s, const bind::BoundStatement& b)
{
    if (mutating.empty())
        return;
    for (const bind::ObjectAccess& a : b.accesses)
        if (std::find(mutating.begin(), mutating.end(), std::make_pair(&s, a.object.objectId)) != mutating.end())
            throw oraError(4091,
                "table " + a.object.owner + "." + a.object.name + " is mutating, trigger/function may not see it");
}

ExecResult runWithTriggers(
    SessionState& s, const bind::BoundStatement& b, std::vector<Bind>& binds, const std::function<ExecResult()>& run)
{
    const int64_t tableId = b.dmlTarget->table.objectId;
    Event ev;
    ev.kind = b.kind;
    if (ev.kind == StatementKind::Update) {
        for (const bind::ObjectAccess& a : b.accesses)
            if (a.object.objectId == tableId && a.access == bind::AccessKind::Update)
                ev.columns.insert(ev.columns.end(), a.columns.begin(), a.columns.end());
        ev.columnList = ",";
        for (const std::string& c : ev.columns)
            ev.columnList += c + ",";
    }
    std::vector<std::shared_ptr<TriggerUnit>> beforeStatement, beforeRow, afterRow, afterStatement;
    for (const TriggerRef& ref : enabledTriggers(s, tableId, ev.kind)) {
        std::shared_ptr<TriggerUnit> t = compiled(s, ref.id, ref.owner, ref.name);
        const auto& of = t->header->updateColumns;
        if (ev.kind == StatementKind::Update && !of.empty()
            && std::none_of(of.begin(), of.end(), [&](const std::string& c) {
                   return std::find(ev.columns.begin(), ev.columns.end(), c) != ev.columns.end();
               }))
            continue;
        switch (t->type()) {
        case plsql::kBeforeStatement:
            beforeStatement.push_back(t);
            break;
        case plsql::kBeforeRow:
            beforeRow.push_back(t);
            break;
        case plsql::kAfterRow:
            afterRow.push_back(t);
            break;
        default:
            afterStatement.push_back(t);
            break;
        }
    }
    if (beforeStatement.empty() && beforeRow.empty() && afterRow.empty() && afterStatement.empty())
        return run();
    if (depth >= kMaxTriggerDepth)
        throw oraError(36, "maximum number of recursive SQL levels (" + std::to_string(kMaxTriggerDepth) + ") exceeded");
    struct Depth {
        Depth() { ++depth; }
        ~Depth() { --depth; }
    } nested;

    const bool wasInTransaction = s.inTransaction;
    const int64_t undoMark = s.undo->mark();
    const int64_t lockMark = s.db->locks.mark(s.sid);
    // What the triggers change through database links is part of the statement too.
    const std::string remoteMark = "ORA$TRIGGER_STATEMENT_" + std::to_string(depth);
    link::savepointRemote(s, remoteMark);
    try {
        for (const auto& t : beforeStatement)
            fire(s, *t, ev, nullptr, nullptr);
        const bool rowLevel = !beforeRow.empty() || !afterRow.empty();
        std::optional<RowReader> reader;
        std::vector<int64_t> rows;
        std::vector<plsql::Val> olds;
        if (rowLevel) {
            reader.emplace(s, tableId);
            if (ev.kind != StatementKind::Insert) {
                rows = targetRows(s, b, binds);
                for (int64_t r : rows)
                    olds.push_back(reader->read(r));
            }
        }
        // The rows an INSERT adds get row numbers above every one there was (ROW$ is SQLite's rowid), which also
        // finds rows whose undo has moved to disk.
        int64_t highestRow = 0;
        if (rowLevel && ev.kind == StatementKind::Insert) {
            std::lock_guard conn(s.connMutex);
            storage::Stmt q(s.conn,
                "SELECT COALESCE(MAX(" + storage::quoteIdent(catalog::kRowNumberColumn) + "), 0) FROM "
                    + storage::quoteIdent(catalog::physicalTableName(tableId)));
            if (q.step())
                highestRow = q.int64(0);
        }
        const bool fillsRows = ev.kind != StatementKind::Delete && !beforeRow.empty();
        ExecResult result;
        {
            struct Defer {
                bool was = emit::notNullDeferred;
                explicit Defer(bool on) { emit::notNullDeferred = on; }
                ~Defer() { emit::notNullDeferred = was; }
            } defer(fillsRows);
            result = run();
        }
        if (rowLevel) {
            if (ev.kind == StatementKind::Insert) {
                std::lock_guard conn(s.connMutex);
                const std::string rowno = storage::quoteIdent(catalog::kRowNumberColumn);
                storage::Stmt q(s.conn,
                    "SELECT " + rowno + " FROM " + storage::quoteIdent(catalog::physicalTableName(tableId)) + " WHERE "
                        + rowno + " > ?1 ORDER BY " + rowno);
                q.bind(1, highestRow);
                while (q.step())
                    rows.push_back(q.int64(0));
            }
            const bool guard = !singleRowInsert(b);
            if (guard)
                mutating.emplace_back(&s, tableId);
            struct Unguard {
                bool on;
                ~Unguard()
                {
                    if (on)
                        mutating.pop_back();
                }
            } unguard { guard };
            RowWriter writer(s, *reader);
            bool rewritten = false;
            for (size_t i = 0; i < rows.size(); ++i) {
                plsql::Val oldRow = i < olds.size() ? olds[i] : reader->empty();
                plsql::Val newRow = ev.kind == StatementKind::Delete ? reader->empty() : reader->read(rows[i]);
                if (!beforeRow.empty()) {
                    plsql::Val stored = plsql::copyVal(newRow);
                    for (const auto& t : beforeRow)
                        fire(s, *t, ev, &newRow, &oldRow);
                    if (fillsRows) {
                        checkNotNull(*reader, newRow, ev.kind);
                        if (!sameRow(stored, newRow)) {
                            writer.write(rows[i], newRow);
                            rewritten = true;
                        }
                    }
                }
                for (const auto& t : afterRow)
                    fire(s, *t, ev, &newRow, &oldRow);
            }
            if (rewritten && rows.size() == 1)
                returnStored(s, b, binds, tableId, rows[0]);
        }
        for (const auto& t : afterStatement)
            fire(s, *t, ev, nullptr, nullptr);
        s.inTransaction = true;
        return result;
    } catch (...) {
        try {
            session::undoStatement(s, undoMark, lockMark);
            link::rollbackRemoteToSavepoint(s, remoteMark);
        } catch (const Error&) {
        }
        s.inTransaction = wasInTransaction || s.undo->changedSince(0);
        throw;
    }
}

} // namespace engine::exec
