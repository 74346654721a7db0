// The fixed objects of every database, numbered once per process, and their views made on a connection when first
// used.
#include "engine/dict/fixed.h"

#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

#include <map>
#include <mutex>

namespace engine::dict {

namespace {

struct Registry {
    std::vector<FixedFamily> families;
    std::vector<NumberedFixedObject> numbered;
    std::map<std::pair<std::string, std::string>, size_t> byName;
};

const Registry& registry()
{
    static const Registry r = [] {
        Registry reg;
        reg.families.push_back(dictionaryFamily());
        reg.families.push_back(performanceFamily());
        int64_t next = 100;
        for (const FixedFamily& f : reg.families) {
            for (const FixedObject& o : f.objects) {
                reg.byName[{ o.owner, o.name }] = reg.numbered.size();
                reg.numbered.push_back({ next++, &o });
            }
        }
        return reg;
    }();
    return r;
}

} // namespace

const std::vector<NumberedFixedObject>& fixedObjects()
{
    return registry().numbered;
}

const NumberedFixedObject* findFixedObject(std::string_view owner, std::string_view name)
{
    const Registry& r = registry();
    auto it = r.byName.find({ std::string(owner), std::string(name) });
    return it == r.byName.end() ? nullptr : &r.numbered[it->second];
}

const NumberedFixedObject* findFixedObject(int64_t objectId)
{
    for (const NumberedFixedObject& o : registry().numbered) {
        if (o.objectId == objectId)
            return &o;
    }
    return nullptr;
}

std::string ensureFixedObject(SessionState& s, const NumberedFixedObject& o)
{
    std::string name = "FIX$" + std::to_string(o.objectId);
    storage::exec(s.conn, "CREATE TEMP VIEW IF NOT EXISTS \"" + name + "\" AS " + o.object->source);
    return name;
}

void setupFixedObjects(sqlite3* conn, SessionState& s)
{
    for (const FixedFamily& f : registry().families) {
        if (f.setup)
            f.setup(conn, s);
    }
}

} // namespace engine::dict
