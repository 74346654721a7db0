// Collections at run time: elements, methods and constructors with Oracle's errors.
#include "engine/plsql/collections.h"

#include "engine/plsql/interpreter.h"
#include "engine/plsql/values.h"

namespace engine::plsql {

namespace {

constexpr int64_t kMaxSubscript = 2147483647;

PlError uninitialised()
{
    return plError(6531, "Reference to uninitialized collection");
}

PlError outsideLimit()
{
    return plError(6532, "Subscript outside of limit");
}

PlError beyondCount()
{
    return plError(6533, "Subscript beyond count");
}

Value keyValue(const TableKey& k)
{
    if (std::holds_alternative<int64_t>(k))
        return Value::fromInt(std::get<int64_t>(k));
    return Value::fromText(std::get<std::string>(k));
}

// The subscript of a nested table or VARRAY: a whole number in 1 .. the type's bound.
int64_t denseIndex(const Val& key, const PlType& t)
{
    if (key.v.isNull())
        throw valueError("NULL index table key value");
    fn::NumberValue n = numberOf(key.v);
    if (!n.isInteger)
        n = fn::roundNumber(n, 0);
    if (!n.isInteger || n.integer < 1 || n.integer > kMaxSubscript
        || (t.coll == CollKind::Varray && n.integer > t.limit))
        throw outsideLimit();
    return n.integer;
}

// A whole number argument of a method (EXTEND(n), TRIM(n)); nullopt for NULL.
std::optional<int64_t> countArg(const Val& v)
{
    if (v.v.isNull())
        return std::nullopt;
    fn::NumberValue n = numberOf(v.v);
    if (!n.isInteger)
        n = fn::roundNumber(n, 0);
    if (!n.isInteger)
        throw valueError("");
    return n.integer;
}

Composite& ensure(Val& coll, const PlType& t)
{
    if (!coll.c) {
        if (t.isDenseCollection())
            throw uninitialised();
        coll.c = std::make_shared<Composite>();
    }
    return *coll.c;
}

} // namespace

TableKey tableKey(const Val& k, const PlType& tableType, Ctx& c)
{
    if (k.v.isNull())
        throw valueError("NULL index table key value");
    if (tableType.indexByText)
        return textOf(k.v, c.s);
    fn::NumberValue n = numberOf(k.v);
    if (!n.isInteger)
        n = fn::roundNumber(n, 0);
    if (!n.isInteger)
        throw valueError("");
    return n.integer;
}

const Val& readElement(const Val& coll, const PlType& t, const Val& key, Ctx& c)
{
    if (t.isDenseCollection()) {
        if (!coll.c)
            throw uninitialised();
        const int64_t i = denseIndex(key, t);
        if (i > coll.c->size)
            throw beyondCount();
        auto it = coll.c->elements.find(TableKey { i });
        if (it == coll.c->elements.end())
            throw plError(1403, "no data found");
        return it->second;
    }
    TableKey k = tableKey(key, t, c);
    if (coll.c) {
        auto it = coll.c->elements.find(k);
        if (it != coll.c->elements.end())
            return it->second;
    }
    throw plError(1403, "no data found");
}

Val* writeElement(Val& coll, const PlType& t, const Val& key, Ctx& c)
{
    Composite& comp = ensure(coll, t);
    TableKey k;
    if (t.isDenseCollection()) {
        const int64_t i = denseIndex(key, t);
        if (i > comp.size)
            throw beyondCount();
        k = i;
    } else {
        k = tableKey(key, t, c);
    }
    auto it = comp.elements.find(k);
    if (it == comp.elements.end())
        it = comp.elements.emplace(k, initialValue(*t.element)).first;
    return &it->second;
}

Val collectionFunction(const Val& coll, const PlType& t, const std::string& method, const Val* arg, Ctx& c)
{
    auto boolean = [](bool b) { return Val { Value::fromInt(b ? 1 : 0), nullptr }; };
    if (method == "EXISTS") {
        if (!coll.c || !arg || arg->v.isNull())
            return boolean(false);
        if (t.isDenseCollection()) {
            fn::NumberValue n = numberOf(arg->v);
            if (!n.isInteger)
                n = fn::roundNumber(n, 0);
            return boolean(n.isInteger && n.integer >= 1 && n.integer <= coll.c->size
                && coll.c->elements.count(TableKey { n.integer }));
        }
        return boolean(coll.c->elements.count(tableKey(*arg, t, c)) > 0);
    }
    if (!coll.c && t.isDenseCollection())
        throw uninitialised();
    static const std::map<TableKey, Val> none;
    const auto& m = coll.c ? coll.c->elements : none;
    if (method == "COUNT")
        return Val { Value::fromInt(static_cast<int64_t>(m.size())), nullptr };
    if (method == "LIMIT")
        return t.coll == CollKind::Varray ? Val { Value::fromInt(t.limit), nullptr } : Val {};
    if (method == "FIRST")
        return m.empty() ? Val {} : Val { keyValue(m.begin()->first), nullptr };
    if (method == "LAST")
        return m.empty() ? Val {} : Val { keyValue(m.rbegin()->first), nullptr };
    if (!arg || arg->v.isNull())
        return {};
    TableKey k = tableKey(*arg, t, c);
    if (method == "NEXT") {
        auto it = m.upper_bound(k);
        return it == m.end() ? Val {} : Val { keyValue(it->first), nullptr };
    }
    auto it = m.lower_bound(k);
    if (it == m.begin())
        return {};
    --it;
    return Val { keyValue(it->first), nullptr };
}

void collectionProcedure(Val& coll, const PlType& t, const std::string& method, const std::vector<Val>& args, Ctx& c)
{
    Composite& comp = ensure(coll, t);
    if (method == "EXTEND") {
        int64_t n = 1;
        if (!args.empty()) {
            std::optional<int64_t> given = countArg(args[0]);
            if (!given)
                return;
            n = *given;
        }
        if (n < 0)
            throw beyondCount();
        if (t.coll == CollKind::Varray && comp.size + n > t.limit)
            throw outsideLimit();
        Val copy = initialValue(*t.element);
        if (args.size() > 1)
            copy = copyVal(readElement(coll, t, args[1], c));
        else if (t.element->notNull)
            throw valueError("");
        for (int64_t i = 0; i < n; ++i)
            comp.elements[TableKey { comp.size + 1 + i }] = copyVal(copy);
        comp.size += n;
        return;
    }
    if (method == "TRIM") {
        int64_t n = 1;
        if (!args.empty()) {
            std::optional<int64_t> given = countArg(args[0]);
            if (!given)
                return;
            n = *given;
        }
        if (n < 0 || n > comp.size)
            throw beyondCount();
        comp.elements.erase(comp.elements.upper_bound(TableKey { comp.size - n }), comp.elements.end());
        comp.size -= n;
        return;
    }
    // DELETE
    if (args.empty()) {
        comp.elements.clear();
        comp.size = 0;
        return;
    }
    for (const Val& a : args)
        if (a.v.isNull())
            return;
    TableKey from = tableKey(args[0], t, c);
    TableKey to = args.size() > 1 ? tableKey(args[1], t, c) : from;
    if (to < from)
        return;
    comp.elements.erase(comp.elements.lower_bound(from), comp.elements.upper_bound(to));
}

Val emptyCollection(const PlType& t)
{
    Val v;
    v.c = std::make_shared<Composite>();
    (void)t;
    return v;
}

Val constructCollection(const PlType& t, const std::vector<Val>& elements, Ctx& c)
{
    if (t.coll == CollKind::Varray && static_cast<int64_t>(elements.size()) > t.limit)
        throw outsideLimit();
    Val v = emptyCollection(t);
    int64_t i = 0;
    for (const Val& e : elements)
        v.c->elements.emplace(TableKey { ++i }, convertTo(e, *t.element, c.s));
    v.c->size = i;
    return v;
}

void appendElement(Val& coll, const PlType& t, Val element, Ctx& c)
{
    Composite& comp = ensure(coll, t);
    int64_t next = comp.size + 1;
    if (!t.isDenseCollection())
        next = comp.elements.empty() ? 1 : std::get<int64_t>(comp.elements.rbegin()->first) + 1;
    if (t.coll == CollKind::Varray && next > t.limit)
        throw plError(22165,
            "given index [" + std::to_string(next) + "] must be in the range of [1] to [" + std::to_string(t.limit)
                + "]");
    comp.elements.emplace_hint(comp.elements.end(), TableKey { next }, convertTo(element, *t.element, c.s));
    comp.size = std::max(comp.size, next);
}

int collectionsEqual(const Val& a, const Val& b, const PlType& t, Ctx& c)
{
    if (!a.c || !b.c)
        return -1;
    if (a.c->elements.size() != b.c->elements.size())
        return 0;
    std::vector<const Value*> left, right;
    for (const auto& [k, v] : a.c->elements) {
        if (v.v.isNull())
            return -1;
        left.push_back(&v.v);
    }
    for (const auto& [k, v] : b.c->elements) {
        if (v.v.isNull())
            return -1;
        right.push_back(&v.v);
    }
    (void)t;
    std::vector<bool> used(right.size(), false);
    for (const Value* x : left) {
        bool found = false;
        for (size_t j = 0; j < right.size() && !found; ++j)
            if (!used[j] && compareValues(*x, *right[j], c.s) == 0)
                used[j] = found = true;
        if (!found)
            return 0;
    }
    return 1;
}

} // namespace engine::plsql
