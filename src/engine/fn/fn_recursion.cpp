// The cycle check of recursive WITH: every row the recursive branch makes is numbered and remembers its parent,
// and a row whose values (or cycle columns) equal those of one of its ancestors is a cycle: ORA-32044 without a
// CYCLE clause, a marked row that is not expanded with one.
//
// ORA_RWITH_STEP(token, mode, parentRow, parent values..., child values...) gives the child's row word:
// number * 2, plus 1 when it closes a cycle (mode 1 only). Anchor rows carry negative even words of their own and
// are remembered when their first child is made. Only a value seen before can close a cycle, so a recursion that
// makes new values (counting, walking a tree) never walks its ancestors.
#include "engine/fn/fnutil.h"
#include "engine/fn/held_value.h"

#include <map>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace engine::fn::detail {

namespace {

struct Recursion {
    struct Row {
        int64_t parent = 0; // 0: none (an anchor row)
        std::string key;
    };
    std::unordered_map<int64_t, Row> rows;
    std::unordered_multiset<std::string> seen;
    int64_t next = 0;
};

// The recursion of one running statement, shared by the calls of its recursive branches: each call site keeps a
// reference on SQLite's auxiliary data of its constant token, which lives while the statement runs.
std::mutex registryMutex;
std::map<std::pair<sqlite3*, std::string>, std::weak_ptr<Recursion>> registry;

std::shared_ptr<Recursion> recursionFor(sqlite3_context* ctx, sqlite3_value* token)
{
    if (auto* held = static_cast<std::shared_ptr<Recursion>*>(sqlite3_get_auxdata(ctx, 0)))
        return *held;
    const std::pair<sqlite3*, std::string> key { sqlite3_context_db_handle(ctx), std::string(textArg(token)) };
    std::shared_ptr<Recursion> r;
    {
        std::lock_guard lock(registryMutex);
        for (auto it = registry.begin(); it != registry.end();)
            it = it->second.expired() ? registry.erase(it) : std::next(it);
        auto& slot = registry[key];
        r = slot.lock();
        if (!r) {
            r = std::make_shared<Recursion>();
            slot = r;
        }
    }
    sqlite3_set_auxdata(ctx, 0, new std::shared_ptr<Recursion>(r),
        [](void* p) { delete static_cast<std::shared_ptr<Recursion>*>(p); });
    return r;
}

std::string keyOf(sqlite3_value** values, int count)
{
    std::string key;
    for (int i = 0; i < count; ++i)
        HeldValue::of(values[i]).appendKey(key);
    return key;
}

void recursionStep(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    guarded(ctx, [&] {
        const int width = (argc - 3) / 2;
        if (argc < 5 || (argc - 3) % 2 != 0)
            throw OraError(909, "invalid number of arguments");
        const bool mark = sqlite3_value_int(argv[1]) != 0;
        const int64_t parentWord = sqlite3_value_int64(argv[2]);
        const int64_t parent = parentWord >> 1;
        std::shared_ptr<Recursion> r = recursionFor(ctx, argv[0]);
        if (!r->rows.count(parent)) {
            std::string key = keyOf(argv + 3, width);
            r->seen.insert(key);
            r->rows.emplace(parent, Recursion::Row { 0, std::move(key) });
        }
        std::string key = keyOf(argv + 3 + width, width);
        bool cycle = false;
        if (r->seen.count(key)) {
            for (int64_t at = parent; at != 0 && !cycle;) {
                const auto it = r->rows.find(at);
                if (it == r->rows.end())
                    break;
                cycle = it->second.key == key;
                at = it->second.parent;
            }
        }
        if (cycle && !mark)
            throw OraError(32044, "cycle detected while executing recursive WITH query");
        const int64_t id = ++r->next;
        r->seen.insert(key);
        r->rows.emplace(id, Recursion::Row { parent, std::move(key) });
        sqlite3_result_int64(ctx, id * 2 + (cycle ? 1 : 0));
    });
}

} // namespace

void registerRecursion(Registrar& r)
{
    r.add("ORA_RWITH_STEP", recursionStep);
}

} // namespace engine::fn::detail
