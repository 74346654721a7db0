// A workload of short transactions for crash and concurrency tests: each moves money between two accounts (the
// total never changes), writes three rows of a log under its own number, and takes over a tag (a unique name) by
// deleting and inserting it; some roll back. What must hold afterwards, however the sessions interleaved or the
// process died, is checked against what the sessions were told was committed.
#pragma once

#include "engine/engine.h"

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace enginetest::bank {

inline constexpr int kAccounts = 6;
inline constexpr int kTags = 4;

inline void create(engine::Session& s)
{
    s.execute("CREATE TABLE acct (id NUMBER PRIMARY KEY, bal NUMBER NOT NULL)");
    s.execute("CREATE TABLE log (txn NUMBER, k NUMBER, CONSTRAINT log_pk PRIMARY KEY (txn, k))");
    s.execute("CREATE TABLE tag (name VARCHAR2(10) CONSTRAINT tag_uk UNIQUE, txn NUMBER)");
    for (int i = 1; i <= kAccounts; ++i)
        s.execute("INSERT INTO acct VALUES (" + std::to_string(i) + ", 0)");
    s.commit();
}

inline void run(engine::Session& s, const std::string& sql, std::vector<engine::Bind> binds = {})
{
    s.execute(sql, binds);
}

inline engine::Bind bind(const char* name, engine::Value v)
{
    engine::Bind b;
    b.name = name;
    b.value = std::move(v);
    return b;
}

enum class Outcome { Committed, RolledBack, Failed };

// One transaction numbered txn. ascending: rows are locked in ascending order, so no wait can close a cycle.
// Failed: a statement failed (a deadlock, a key taken meanwhile) and the transaction was rolled back; code says
// with what.
inline Outcome transaction(engine::Session& s, std::mt19937& rng, int64_t txn, bool ascending, int* code = nullptr)
{
    int from = static_cast<int>(rng() % kAccounts) + 1;
    int to = static_cast<int>(rng() % (kAccounts - 1)) + 1;
    if (to >= from)
        ++to;
    if (ascending && from > to)
        std::swap(from, to);
    const int amount = static_cast<int>(rng() % 100) + 1;
    const std::string tag(1, static_cast<char>('a' + rng() % kTags));
    const bool rollBack = rng() % 4 == 0;
    try {
        run(s, "UPDATE acct SET bal = bal - :amount WHERE id = :id",
            { bind("AMOUNT", engine::Value::fromInt(amount)), bind("ID", engine::Value::fromInt(from)) });
        run(s, "UPDATE acct SET bal = bal + :amount WHERE id = :id",
            { bind("AMOUNT", engine::Value::fromInt(amount)), bind("ID", engine::Value::fromInt(to)) });
        for (int k = 1; k <= 3; ++k)
            run(s, "INSERT INTO log VALUES (:txn, :k)",
                { bind("TXN", engine::Value::fromInt(txn)), bind("K", engine::Value::fromInt(k)) });
        run(s, "DELETE FROM tag WHERE name = :name", { bind("NAME", engine::Value::fromText(tag)) });
        run(s, "INSERT INTO tag VALUES (:name, :txn)",
            { bind("NAME", engine::Value::fromText(tag)), bind("TXN", engine::Value::fromInt(txn)) });
        if (rollBack) {
            s.rollback();
            return Outcome::RolledBack;
        }
        s.commit();
        return Outcome::Committed;
    } catch (const engine::Error& e) {
        if (code)
            *code = e.code();
        s.rollback();
        return Outcome::Failed;
    }
}

// What is wrong with the database, given transactions the sessions were told committed; empty when all holds.
inline std::vector<std::string> check(engine::Session& s, const std::set<int64_t>& committed)
{
    std::vector<std::string> problems;
    auto value = [&](const std::string& sql) {
        auto r = s.execute(sql);
        return r.cursor && r.cursor->next() ? r.cursor->value(0).toString() : std::string();
    };
    if (std::string total = value("SELECT sum(bal) FROM acct"); total != "0")
        problems.push_back("the accounts add up to " + total);
    if (std::string partial = value("SELECT count(*) FROM (SELECT txn FROM log GROUP BY txn HAVING count(*) <> 3)");
        partial != "0")
        problems.push_back(partial + " transactions left part of their log");
    for (int64_t txn : committed)
        if (value("SELECT count(*) FROM log WHERE txn = " + std::to_string(txn)) != "3")
            problems.push_back("committed transaction " + std::to_string(txn) + " lost its log");
    if (std::string orphan = value("SELECT count(*) FROM tag WHERE txn NOT IN (SELECT txn FROM log)"); orphan != "0")
        problems.push_back(orphan + " tags of transactions that did not commit");
    if (std::string dup = value("SELECT count(*) FROM (SELECT name FROM tag GROUP BY name HAVING count(*) > 1)");
        dup != "0")
        problems.push_back(dup + " tags held twice");
    return problems;
}

} // namespace enginetest::bank
