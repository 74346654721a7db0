// Bulk binds at run time.
#include "engine/plsql/bulk.h"

#include "engine/exec/batch_dml.h"
#include "engine/plsql/collections.h"
#include "engine/plsql/embedded_sql.h"
#include "engine/plsql/expr_nodes.h"
#include "engine/plsql/sql_functions.h"
#include "engine/plsql/statement_nodes.h"
#include "engine/plsql/values.h"

namespace engine::plsql {

namespace {

// The target emptied (or kept, when appending) and its elements' store.
Composite& bulkTarget(const CExpr& target, bool append, Ctx& c)
{
    Val* t = target.ref(c);
    if (!t)
        throw valueError("");
    if (!append || !t->c)
        *t = emptyCollection(target.type);
    return *t->c;
}

void add(Composite& comp, const PlType& t, Val element)
{
    const int64_t next = t.isDenseCollection() || comp.elements.empty()
        ? comp.size + 1
        : std::get<int64_t>(comp.elements.rbegin()->first) + 1;
    if (t.coll == CollKind::Varray && next > t.limit)
        throw plError(22165,
            "given index [" + std::to_string(next) + "] must be in the range of [1] to [" + std::to_string(t.limit)
                + "]");
    comp.elements.emplace_hint(comp.elements.end(), TableKey { next }, std::move(element));
    comp.size = std::max(comp.size, next);
}

int64_t whole(const Val& v)
{
    if (v.v.isNull())
        throw valueError("");
    fn::NumberValue n = numberOf(v.v);
    if (!n.isInteger)
        n = fn::roundNumber(n, 0);
    return n.integer;
}

// Reading it changes nothing and reads no table: a variable, a field or element of one, a literal, a client bind.
// The values of such names can be taken for many iterations ahead of running them.
bool onlyReads(const CExpr& e)
{
    if (dynamic_cast<const CLiteral*>(&e) || dynamic_cast<const CVar*>(&e) || dynamic_cast<const CBindRef*>(&e))
        return true;
    if (const auto* f = dynamic_cast<const CField*>(&e))
        return onlyReads(*f->base);
    if (const auto* el = dynamic_cast<const CElement*>(&e))
        return onlyReads(*el->base) && onlyReads(*el->key);
    return false;
}

// FORALL's statement when its iterations can run as one batch: an INSERT without RETURNING whose binds only read
// the block's names (so taking them ahead of the executions is the same as taking them one by one).
SSql* batchStatement(const CStmt& body)
{
    auto* dml = dynamic_cast<const SSql*>(&body);
    if (!dml || !dml->isDml || dml->bulk || !dml->into.empty() || !dml->sql || dml->sql->remote
        || !dml->sql->returningBinds.empty())
        return nullptr;
    for (const auto& [name, e] : dml->sql->externals)
        if (!onlyReads(*e))
            return nullptr;
    return const_cast<SSql*>(dml);
}

// How many iterations one batch takes at most: their binds are held at once.
constexpr size_t kBatchIterations = 4096;

} // namespace

int64_t bulkFetch(OpenCursor& cur, const std::vector<const CExpr*>& targets, int64_t limit, bool append, Ctx& c)
{
    std::vector<Composite*> stores;
    for (const CExpr* t : targets)
        stores.push_back(&bulkTarget(*t, append, c));
    const bool records = targets.size() == 1 && targets[0]->type.element->kind == PlKind::Record;
    const size_t n = cur.columns.size();
    // Records of scalar fields are made whole at once; a field that is itself a record or collection starts as
    // initialValue makes it.
    bool scalarFields = records && targets[0]->type.element->record;
    if (scalarFields)
        for (const PlType& f : targets[0]->type.element->record->types)
            scalarFields = scalarFields && f.isScalar();
    int64_t fetched = 0;
    while (limit < 0 || fetched < limit) {
        checkInterrupt(c);
        if (!fetchRow(cur, c))
            break;
        ++fetched;
        if (records) {
            const PlType& et = *targets[0]->type.element;
            Val rec = scalarFields ? Val { Value::null(), std::make_shared<Composite>() } : initialValue(et);
            if (scalarFields)
                rec.c->fields.resize(et.record->types.size());
            for (size_t i = 0; i < n && i < rec.c->fields.size(); ++i)
                rec.c->fields[i]
                    = convertTo(Val { cur.rows->value(static_cast<int>(i)), nullptr }, et.record->types[i], c.s);
            add(*stores[0], targets[0]->type, std::move(rec));
            continue;
        }
        for (size_t i = 0; i < targets.size() && i < n; ++i)
            add(*stores[i], targets[i]->type,
                convertTo(Val { cur.rows->value(static_cast<int>(i)), nullptr }, *targets[i]->type.element, c.s));
    }
    // A bulk fetch that stopped short of its limit found the end: %NOTFOUND is then TRUE.
    cur.found = limit >= 0 && fetched == limit ? 1 : 0;
    return fetched;
}

void bulkReturn(
    const std::vector<const CExpr*>& targets, const std::vector<std::vector<Value>>& columns, bool append, Ctx& c)
{
    for (size_t i = 0; i < targets.size() && i < columns.size(); ++i) {
        Composite& store = bulkTarget(*targets[i], append, c);
        for (const Value& v : columns[i])
            add(store, targets[i]->type, convertTo(Val { v, nullptr }, *targets[i]->type.element, c.s));
    }
}

Flow SForAll::exec(Ctx& c) const
{
    std::vector<int64_t> indices;
    if (kind == Stmt::ForAllKind::Range) {
        const int64_t lo = whole(lower->eval(c)), hi = whole(upper->eval(c));
        for (int64_t i = lo; i <= hi; ++i)
            indices.push_back(i);
    } else {
        Val coll = collection->eval(c);
        if (!coll.c && collection->type.isDenseCollection())
            throw plError(6531, "Reference to uninitialized collection");
        std::optional<int64_t> from, to;
        if (lower) {
            from = whole(lower->eval(c));
            to = whole(upper->eval(c));
        }
        if (coll.c)
            for (const auto& [k, v] : coll.c->elements) {
                if (kind == Stmt::ForAllKind::Values) {
                    indices.push_back(whole(v));
                    continue;
                }
                const int64_t i = std::get<int64_t>(k);
                if (from && (i < *from || i > *to))
                    continue;
                indices.push_back(i);
            }
    }
    c.bulkRowCount.clear();
    c.bulkExceptions.clear();
    int64_t total = 0;
    int64_t iteration = 0;
    struct Outside {
        Ctx& c;
        ~Outside() { c.forAllIteration = 0; }
    } outside { c };
    // One execution of the statement, as its own statement.
    auto runOne = [&](int64_t index) {
        checkInterrupt(c);
        c.forAllIteration = ++iteration;
        var->ref(c)->v = Value::fromInt(index);
        try {
            body->exec(c);
        } catch (PlError& e) {
            c.bulkRowCount[index] = 0;
            if (!saveExceptions || e.code == 1013) {
                c.sqlRowCount = total;
                c.sqlFound = total > 0 ? 1 : 0;
                throw;
            }
            c.bulkExceptions.emplace_back(iteration, e.code);
            return;
        }
        c.bulkRowCount[index] = c.sqlRowCount;
        total += c.sqlRowCount;
    };
    SSql* batch = inSqlFunction() ? nullptr : batchStatement(*body);
    std::vector<std::vector<Bind>> sets;
    std::vector<int64_t> counts;
    size_t next = 0;
    while (next < indices.size()) {
        const std::shared_ptr<exec::CachedStatement>* entry = nullptr;
        if (batch) {
            try {
                entry = &batch->sql->current(c);
            } catch (const PlError&) {
                entry = nullptr; // the single execution reports it
            }
        }
        if (!entry || !exec::batchableInsert(c.s, **entry)) {
            for (; next < indices.size(); ++next)
                runOne(indices[next]);
            break;
        }
        // The binds of the coming iterations, up to one whose values cannot be read (it runs alone and fails).
        const size_t end = std::min(indices.size(), next + kBatchIterations);
        sets.resize(end - next);
        size_t ready = 0;
        for (; next + ready < end; ++ready) {
            checkInterrupt(c);
            var->ref(c)->v = Value::fromInt(indices[next + ready]);
            try {
                batch->sql->bindValues(c, sets[ready]);
            } catch (const PlError&) {
                break;
            }
        }
        sets.resize(ready);
        std::optional<size_t> ran;
        try {
            ran = exec::runInsertBatch(c.s, *entry, sets, counts);
        } catch (const Error&) {
            ran = 0; // the single execution reports it
        }
        if (!ran) {
            for (size_t i = 0; i < ready; ++i)
                runOne(indices[next++]);
            continue;
        }
        for (size_t i = 0; i < *ran; ++i) {
            ++iteration;
            c.bulkRowCount[indices[next]] = counts[i];
            total += counts[i];
            ++next;
        }
        if (next < indices.size() && (*ran < ready || ready < end - (next - *ran)))
            runOne(indices[next++]);
    }
    c.sqlRowCount = total;
    c.sqlFound = total > 0 ? 1 : 0;
    if (!c.bulkExceptions.empty())
        throw plError(24381, "error(s) in array DML");
    return Flow::Normal;
}

Val CBulkAttribute::eval(Ctx& c) const
{
    if (!exceptions) {
        const int64_t i = whole(arg->eval(c));
        auto it = c.bulkRowCount.find(i);
        if (it == c.bulkRowCount.end())
            throw plError(1403, "no data found");
        return Val { Value::fromInt(it->second), nullptr };
    }
    if (member == "COUNT")
        return Val { Value::fromInt(static_cast<int64_t>(c.bulkExceptions.size())), nullptr };
    const int64_t j = whole(arg->eval(c));
    if (j < 1 || j > static_cast<int64_t>(c.bulkExceptions.size()))
        throw plError(1403, "no data found");
    const auto& [iteration, code] = c.bulkExceptions[static_cast<size_t>(j - 1)];
    return Val { Value::fromInt(member == "ERROR_INDEX" ? iteration : code), nullptr };
}

} // namespace engine::plsql
