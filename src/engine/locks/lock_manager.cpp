// Row, table and key locks with waits, NOWAIT, timeouts, deadlock detection and cancel.
#include "engine/locks/lock_manager.h"

#include "engine/engine.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace engine::locks {

bool compatible(TableMode held, TableMode requested)
{
    // Oracle: RS fits with all but X; RX with RS and RX; S with RS and S; SRX with RS; X with nothing.
    auto fits = [](TableMode a, TableMode b) {
        switch (a) {
        case TableMode::RowShare:
            return b != TableMode::Exclusive;
        case TableMode::RowExclusive:
            return b == TableMode::RowShare || b == TableMode::RowExclusive;
        case TableMode::Share:
            return b == TableMode::RowShare || b == TableMode::Share;
        case TableMode::ShareRowExclusive:
            return b == TableMode::RowShare;
        case TableMode::Exclusive:
            return false;
        }
        return false;
    };
    return fits(held, requested) && fits(requested, held);
}

// Whether holding `held` already gives what `requested` asks (SRX is S and RX together).
static bool covers(TableMode held, TableMode requested)
{
    if (held == requested || held == TableMode::Exclusive || requested == TableMode::RowShare)
        return true;
    return held == TableMode::ShareRowExclusive && requested != TableMode::Exclusive;
}

std::vector<int64_t> LockManager::blockers(int64_t session, const Wait& w) const
{
    std::vector<int64_t> r;
    auto add = [&](int64_t s) {
        if (s != session && std::find(r.begin(), r.end(), s) == r.end())
            r.push_back(s);
    };
    switch (w.kind) {
    case Kind::Row:
        for (int64_t row : w.rows)
            if (auto it = rows_.find({ w.object, row }); it != rows_.end())
                add(it->second.session);
        break;
    case Kind::Key:
        for (const KeyId& k : w.keys)
            if (auto it = keys_.find(k); it != keys_.end())
                add(it->second);
        break;
    case Kind::Table:
        if (auto it = tables_.find(w.object); it != tables_.end())
            for (const TableHolder& h : it->second)
                if (!compatible(h.mode, w.mode))
                    add(h.session);
        break;
    }
    return r;
}

bool LockManager::closesCycle(int64_t session, const Wait& w) const
{
    // Depth-first over who waits for whom, each edge as the locks stand now.
    std::vector<int64_t> todo = blockers(session, w);
    std::set<int64_t> seen;
    while (!todo.empty()) {
        int64_t s = todo.back();
        todo.pop_back();
        if (s == session)
            return true;
        if (!seen.insert(s).second)
            continue;
        auto it = waits_.find(s);
        if (it == waits_.end())
            continue;
        for (int64_t b : blockers(s, it->second))
            todo.push_back(b);
    }
    return false;
}

void LockManager::waitFor(std::unique_lock<std::mutex>& lk, int64_t session, const Wait& w, const WaitPolicy& policy,
    std::chrono::steady_clock::time_point deadline)
{
    if (policy.nowait)
        throw oraError(54, "resource busy and acquire with NOWAIT specified or timeout expired");
    if (closesCycle(session, w))
        throw oraError(60, "deadlock detected while waiting for resource");
    if (policy.interrupted && policy.interrupted->load())
        throw oraError(1013, "user requested cancel of current operation");
    if (policy.timeoutSeconds >= 0 && std::chrono::steady_clock::now() >= deadline)
        throw oraError(30006, "resource busy; acquire with WAIT timeout expired");
    waits_[session] = w;
    // Woken by every release; the timeout only bounds how late an interrupt or an expired WAIT n is noticed.
    changed_.wait_for(lk, std::chrono::milliseconds(50));
    waits_.erase(session);
}

static std::chrono::steady_clock::time_point deadlineOf(const WaitPolicy& policy)
{
    return std::chrono::steady_clock::now() + std::chrono::seconds(std::max(policy.timeoutSeconds, 0));
}

void LockManager::lockTable(int64_t session, int64_t object, TableMode mode, const WaitPolicy& policy)
{
    std::unique_lock lk(mutex_);
    Wait w;
    w.kind = Kind::Table;
    w.object = object;
    w.mode = mode;
    if (!blockers(session, w).empty())
        waitUntilFree(lk, session, w, policy);
    auto& holders = tables_[object];
    for (const TableHolder& h : holders)
        if (h.session == session && covers(h.mode, mode))
            return;
    holders.push_back({ session, mode });
    held_[session].push_back({ Kind::Table, object, 0, mode });
}

bool LockManager::rowsFree(int64_t session, int64_t object, const std::vector<int64_t>& rows) const
{
    for (int64_t r : rows)
        if (auto it = rows_.find({ object, r }); it != rows_.end() && it->second.session != session)
            return false;
    return true;
}

bool LockManager::tryLockRows(int64_t session, int64_t object, const std::vector<int64_t>& rows, bool keysAdded)
{
    // One pass over the rows in the usual case (all free): each is taken (and marked) as it is found free; a row
    // another session holds gives back what this pass took and marked.
    auto& mine = held_[session];
    const size_t before = mine.size();
    std::vector<int64_t> marked; // rows the session held before that this pass marked
    for (int64_t r : rows) {
        auto [it, inserted] = rows_.emplace(RowKey { object, r }, RowHolder { session, keysAdded });
        if (inserted) {
            mine.push_back({ Kind::Row, object, r, TableMode::RowShare });
            if (keysAdded)
                count(addedCounts_, object, session, 1);
            continue;
        }
        if (it->second.session == session) {
            if (keysAdded && !it->second.keysAdded) {
                it->second.keysAdded = true;
                count(addedCounts_, object, session, 1);
                marked.push_back(r);
            }
            continue;
        }
        while (mine.size() > before) {
            auto taken = rows_.find(RowKey { mine.back().object, mine.back().row });
            if (taken->second.keysAdded)
                count(addedCounts_, object, session, -1);
            rows_.erase(taken);
            mine.pop_back();
        }
        for (int64_t m : marked) {
            rows_.find(RowKey { object, m })->second.keysAdded = false;
            count(addedCounts_, object, session, -1);
        }
        if (mine.empty())
            held_.erase(session);
        return false;
    }
    if (mine.empty())
        held_.erase(session);
    return true;
}

void LockManager::lockRows(int64_t session, int64_t object, const std::vector<int64_t>& rows, const WaitPolicy& policy)
{
    std::unique_lock lk(mutex_);
    // The wait's description is made only when there is something to wait for.
    while (!tryLockRows(session, object, rows, false))
        waitUntilFree(lk, session, Wait { Kind::Row, object, rows, TableMode::RowShare, {} }, policy);
}

bool LockManager::lockRowsAddingKeys(
    int64_t session, int64_t object, const std::vector<int64_t>& rows, const WaitPolicy& policy)
{
    std::unique_lock lk(mutex_);
    while (!tryLockRows(session, object, rows, true))
        waitUntilFree(lk, session, Wait { Kind::Row, object, rows, TableMode::RowShare, {} }, policy);
    return others(keyCounts_, object, session);
}

void LockManager::waitUntilFree(
    std::unique_lock<std::mutex>& lk, int64_t session, const Wait& w, const WaitPolicy& policy)
{
    auto deadline = deadlineOf(policy);
    while (!blockers(session, w).empty())
        waitFor(lk, session, w, policy, deadline);
}

std::vector<int64_t> LockManager::lockFreeRows(int64_t session, int64_t object, const std::vector<int64_t>& rows)
{
    std::lock_guard lk(mutex_);
    std::vector<int64_t> taken;
    auto& mine = held_[session];
    for (int64_t r : rows) {
        auto [it, inserted] = rows_.emplace(RowKey { object, r }, RowHolder { session, false });
        if (inserted)
            mine.push_back({ Kind::Row, object, r, TableMode::RowShare });
        if (it->second.session == session)
            taken.push_back(r);
    }
    if (mine.empty())
        held_.erase(session);
    return taken;
}

void LockManager::count(std::unordered_map<int64_t, std::unordered_map<int64_t, int>>& m, int64_t object,
    int64_t session, int delta)
{
    auto& perSession = m[object];
    int& n = perSession[session];
    n += delta;
    if (n <= 0) {
        perSession.erase(session);
        if (perSession.empty())
            m.erase(object);
    }
}

bool LockManager::others(
    const std::unordered_map<int64_t, std::unordered_map<int64_t, int>>& m, int64_t object, int64_t session)
{
    auto it = m.find(object);
    if (it == m.end())
        return false;
    return it->second.size() > 1 || !it->second.count(session);
}

bool LockManager::markKeysAdded(int64_t session, int64_t object, const std::vector<int64_t>& rows)
{
    std::lock_guard lk(mutex_);
    for (int64_t r : rows) {
        auto it = rows_.find({ object, r });
        if (it == rows_.end() || it->second.session != session || it->second.keysAdded)
            continue;
        it->second.keysAdded = true;
        count(addedCounts_, object, session, 1);
    }
    return others(keyCounts_, object, session);
}

void LockManager::lockKeys(int64_t session, const std::vector<KeyId>& keys)
{
    if (keys.empty())
        return;
    std::lock_guard lk(mutex_);
    for (const KeyId& k : keys) {
        auto [it, inserted] = keys_.emplace(k, session);
        if (!inserted)
            continue;
        held_[session].push_back({ Kind::Key, k.object, 0, TableMode::RowShare });
        heldKeys_[session].push_back(k);
        count(keyCounts_, k.object, session, 1);
    }
}

void LockManager::waitForRows(
    int64_t session, int64_t object, const std::vector<int64_t>& rows, const WaitPolicy& policy)
{
    std::unique_lock lk(mutex_);
    if (!rowsFree(session, object, rows))
        waitUntilFree(lk, session, Wait { Kind::Row, object, rows, TableMode::RowShare, {} }, policy);
}

void LockManager::waitForKeys(int64_t session, const std::vector<KeyId>& keys, const WaitPolicy& policy)
{
    if (keys.empty())
        return;
    std::unique_lock lk(mutex_);
    waitUntilFree(lk, session, Wait { Kind::Key, keys.front().object, {}, TableMode::RowShare, keys }, policy);
}

bool LockManager::othersHoldKeys(int64_t session, int64_t object)
{
    std::lock_guard lk(mutex_);
    return others(keyCounts_, object, session);
}

bool LockManager::othersAddedKeys(int64_t session, int64_t object)
{
    std::lock_guard lk(mutex_);
    return others(addedCounts_, object, session);
}

std::vector<KeyId> LockManager::heldByOthers(int64_t session, const std::vector<KeyId>& keys)
{
    std::lock_guard lk(mutex_);
    std::vector<KeyId> r;
    for (const KeyId& k : keys)
        if (auto it = keys_.find(k); it != keys_.end() && it->second != session)
            r.push_back(k);
    return r;
}

int64_t LockManager::keyAddingHolder(int64_t session, int64_t object, int64_t row)
{
    std::lock_guard lk(mutex_);
    auto it = rows_.find({ object, row });
    if (it == rows_.end() || it->second.session == session || !it->second.keysAdded)
        return 0;
    return it->second.session;
}

int64_t LockManager::highestRowOfOthers(int64_t session, int64_t object)
{
    std::lock_guard lk(mutex_);
    auto it = rows_.upper_bound({ object, std::numeric_limits<int64_t>::max() });
    while (it != rows_.begin()) {
        --it;
        if (it->first.object != object)
            break;
        if (it->second.session != session)
            return it->first.row;
    }
    return 0;
}

int64_t LockManager::mark(int64_t session)
{
    std::lock_guard lk(mutex_);
    auto it = held_.find(session);
    return it == held_.end() ? 0 : static_cast<int64_t>(it->second.size());
}

void LockManager::releaseAfter(int64_t session, int64_t mark)
{
    {
        std::lock_guard lk(mutex_);
        auto it = held_.find(session);
        if (it == held_.end())
            return;
        auto& mine = it->second;
        auto& myKeys = heldKeys_[session];
        while (static_cast<int64_t>(mine.size()) > mark) {
            const Held& h = mine.back();
            switch (h.kind) {
            case Kind::Row: {
                auto r = rows_.find({ h.object, h.row });
                if (r != rows_.end()) {
                    if (r->second.keysAdded)
                        count(addedCounts_, h.object, session, -1);
                    rows_.erase(r);
                }
                break;
            }
            case Kind::Key:
                keys_.erase(myKeys.back());
                myKeys.pop_back();
                count(keyCounts_, h.object, session, -1);
                break;
            case Kind::Table: {
                auto& holders = tables_[h.object];
                for (auto t = holders.begin(); t != holders.end(); ++t)
                    if (t->session == session && t->mode == h.mode) {
                        holders.erase(t);
                        break;
                    }
                if (holders.empty())
                    tables_.erase(h.object);
                break;
            }
            }
            mine.pop_back();
        }
        if (mine.empty()) {
            held_.erase(it);
            heldKeys_.erase(session);
        }
    }
    changed_.notify_all();
}

void LockManager::releaseAll(int64_t session)
{
    releaseAfter(session, 0);
}

void LockManager::wakeAll()
{
    changed_.notify_all();
}

int64_t LockManager::rowHolder(int64_t object, int64_t row)
{
    std::lock_guard lk(mutex_);
    auto it = rows_.find({ object, row });
    return it == rows_.end() ? 0 : it->second.session;
}

bool LockManager::holdsAny(int64_t session)
{
    std::lock_guard lk(mutex_);
    return held_.count(session) > 0;
}

LockManager::Snapshot LockManager::snapshot()
{
    std::lock_guard lk(mutex_);
    Snapshot s;
    for (const auto& [object, holders] : tables_)
        for (const TableHolder& h : holders)
            s.tables.push_back({ h.session, object, h.mode });
    for (const auto& [key, holder] : rows_)
        s.rowHolders.insert(holder.session);
    for (const auto& [key, session] : keys_)
        s.rowHolders.insert(session);
    for (const auto& [waiter, w] : waits_) {
        auto b = blockers(waiter, w);
        if (!b.empty())
            s.waitsFor[waiter] = b.front();
    }
    return s;
}

} // namespace engine::locks
