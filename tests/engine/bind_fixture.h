// A small in-memory catalog (SCOTT's EMP and DEPT and a few more) and a plain SQLite database holding the same
// tables by hand, with the engine's functions registered: what the binder and emitter tests run statements on.
#pragma once

#include "engine/bind/binder.h"
#include "engine/fn/context.h"

#include <map>
#include <string>
#include <vector>

struct sqlite3;

namespace bindtest {

class FakeCatalog : public engine::bind::CatalogLookup {
public:
    FakeCatalog();
    std::optional<engine::bind::ObjectRef> resolve(
        std::string_view owner, std::string_view name, std::string_view currentSchema) const override;
    std::optional<engine::bind::TableInfo> table(const engine::bind::ObjectRef& ref) const override;
    std::optional<engine::bind::ViewInfo> view(const engine::bind::ObjectRef& ref) const override;
    bool schemaExists(std::string_view name) const override;

    std::vector<engine::bind::TableInfo> tables;
    std::vector<engine::bind::ViewInfo> views;
    std::vector<engine::bind::ObjectRef> sequences;
    // owner ("PUBLIC" for public synonyms) and name -> target owner and name
    std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>> synonyms;
};

// A value bound or read in the tests: NULL, a number or a text.
struct TestValue {
    enum class Kind { Null, Int, Real, Text } kind = Kind::Null;
    long long i = 0;
    double r = 0;
    std::string t;
    static TestValue of(long long v) { return { Kind::Int, v, 0, {} }; }
    static TestValue of(const char* v) { return { Kind::Text, 0, 0, v }; }
};

struct Failure {
    int code = 0;
    int offset = -1;
    std::string message;
};

class Fixture {
public:
    Fixture();
    ~Fixture();
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    // Parses and binds; throws engine::Error for both parse and bind errors.
    engine::bind::BoundStatementPtr bind(const std::string& sql, const std::string& schema = "SCOTT");
    // Runs a bound statement's SQL (or `sqlText` in its place) with the binds by name; rows as "a|b|NULL".
    std::vector<std::string> run(const engine::bind::BoundStatement& b,
        const std::map<std::string, TestValue>& binds = {}, const std::string& sqlText = {});
    std::vector<std::string> rows(const std::string& sql, const std::map<std::string, TestValue>& binds = {});
    // The Oracle error of a statement, from the binder or from running it; code 0 when it succeeds.
    Failure failure(const std::string& sql, const std::map<std::string, TestValue>& binds = {});
    // Plain SQLite on the physical tables.
    std::vector<std::string> raw(const std::string& sql);
    void exec(const std::string& sql);

    FakeCatalog catalog;
    engine::fn::FunctionContext context;
    sqlite3* db = nullptr;
    long long sequenceValue = 0;
};

} // namespace bindtest
