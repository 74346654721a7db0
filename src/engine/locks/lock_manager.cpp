// Row and table locks with waits, NOWAIT, timeouts, deadlock detection and cancel.
#include "engine/locks/lock_manager.h"

#include "engine/engine.h"

#include <chrono>

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

int64_t LockManager::tableBlocker(int64_t session, int64_t object, TableMode mode) const
{
    auto it = tables_.find(object);
    if (it == tables_.end())
        return 0;
    for (const TableHolder& h : it->second)
        if (h.session != session && !compatible(h.mode, mode))
            return h.session;
    return 0;
}

bool LockManager::closesCycle(int64_t session, int64_t blocker) const
{
    int64_t s = blocker;
    for (size_t guard = 0; guard <= waitsFor_.size() + 1; ++guard) {
        if (s == session)
            return true;
        auto it = waitsFor_.find(s);
        if (it == waitsFor_.end())
            return false;
        s = it->second;
    }
    return false;
}

void LockManager::waitFor(std::unique_lock<std::mutex>& lk, int64_t session, int64_t blocker, const WaitPolicy& policy,
    std::chrono::steady_clock::time_point deadline)
{
    if (policy.nowait)
        throw oraError(54, "resource busy and acquire with NOWAIT specified or timeout expired");
    if (closesCycle(session, blocker))
        throw oraError(60, "deadlock detected while waiting for resource");
    if (policy.interrupted && policy.interrupted->load())
        throw oraError(1013, "user requested cancel of current operation");
    if (policy.timeoutSeconds >= 0 && std::chrono::steady_clock::now() >= deadline)
        throw oraError(30006, "resource busy; acquire with WAIT timeout expired");
    waitsFor_[session] = blocker;
    changed_.wait_for(lk, std::chrono::milliseconds(50));
    waitsFor_.erase(session);
}

void LockManager::lockTable(int64_t session, int64_t object, TableMode mode, const WaitPolicy& policy)
{
    std::unique_lock lk(mutex_);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(policy.timeoutSeconds, 0));
    while (int64_t blocker = tableBlocker(session, object, mode))
        waitFor(lk, session, blocker, policy, deadline);
    auto& holders = tables_[object];
    for (const TableHolder& h : holders)
        if (h.session == session && covers(h.mode, mode))
            return;
    holders.push_back({ session, mode });
    held_[session].push_back({ false, object, 0, mode });
}

void LockManager::lockRows(int64_t session, int64_t object, const std::vector<int64_t>& rows, const WaitPolicy& policy)
{
    std::unique_lock lk(mutex_);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(policy.timeoutSeconds, 0));
    for (;;) {
        int64_t blocker = 0;
        for (int64_t r : rows) {
            auto it = rows_.find({ object, r });
            if (it != rows_.end() && it->second != session) {
                blocker = it->second;
                break;
            }
        }
        if (!blocker)
            break;
        waitFor(lk, session, blocker, policy, deadline);
    }
    auto& mine = held_[session];
    for (int64_t r : rows) {
        auto [it, inserted] = rows_.emplace(RowKey { object, r }, session);
        if (inserted)
            mine.push_back({ true, object, r, TableMode::RowShare });
    }
}

std::vector<int64_t> LockManager::lockFreeRows(int64_t session, int64_t object, const std::vector<int64_t>& rows)
{
    std::lock_guard lk(mutex_);
    std::vector<int64_t> taken;
    auto& mine = held_[session];
    for (int64_t r : rows) {
        auto [it, inserted] = rows_.emplace(RowKey { object, r }, session);
        if (inserted)
            mine.push_back({ true, object, r, TableMode::RowShare });
        if (it->second == session)
            taken.push_back(r);
    }
    if (mine.empty())
        held_.erase(session);
    return taken;
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
        while (static_cast<int64_t>(mine.size()) > mark) {
            const Held& h = mine.back();
            if (h.isRow) {
                rows_.erase({ h.object, h.row });
            } else {
                auto& holders = tables_[h.object];
                for (auto t = holders.begin(); t != holders.end(); ++t)
                    if (t->session == session && t->mode == h.mode) {
                        holders.erase(t);
                        break;
                    }
                if (holders.empty())
                    tables_.erase(h.object);
            }
            mine.pop_back();
        }
        if (mine.empty())
            held_.erase(it);
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
    return it == rows_.end() ? 0 : it->second;
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
    for (const auto& [key, session] : rows_)
        s.rowHolders.insert(session);
    s.waitsFor.insert(waitsFor_.begin(), waitsFor_.end());
    return s;
}

} // namespace engine::locks
