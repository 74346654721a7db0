// A fresh copy of the demo database for one test, and helpers that read query results as text.
#pragma once

#include "engine/engine.h"
#include "engine/kit/kit.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kittest {

// Every row of a query, each value as text (NULL as "NULL"), values separated by one blank.
inline std::vector<std::string> rows(engine::Session& s, const std::string& sql, std::vector<engine::Bind> binds = {})
{
    engine::ExecResult r = s.execute(sql, binds);
    std::vector<std::string> out;
    while (r.cursor && r.cursor->next()) {
        std::string line;
        for (size_t i = 0; i < r.cursor->columns().size(); ++i) {
            const engine::Value& v = r.cursor->value(static_cast<int>(i));
            line += (i ? " " : "") + (v.isNull() ? std::string("NULL") : v.toString());
        }
        out.push_back(line);
    }
    return out;
}

inline std::string first(engine::Session& s, const std::string& sql, std::vector<engine::Bind> binds = {})
{
    auto r = rows(s, sql, std::move(binds));
    return r.empty() ? std::string("<no rows>") : r.front();
}

inline engine::Bind textBind(const std::string& name, const std::string& value)
{
    engine::Bind b;
    b.name = name;
    b.value = engine::Value::fromText(value);
    return b;
}

// The ORA code a statement fails with, 0 when it succeeds.
inline int errorOf(engine::Session& s, const std::string& sql)
{
    try {
        s.execute(sql);
    } catch (const engine::Error& e) {
        return e.code();
    }
    return 0;
}

class DemoTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    std::shared_ptr<engine::Database> db;
    std::string dir() const { return tmp.filePath("demo").toStdString(); }

    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        engine::kit::demoTemplate(dir());
        db = engine::Database::open(dir());
    }

    std::unique_ptr<engine::Session> logOn(const engine::kit::DemoUser& u = engine::kit::kVoxa)
    {
        return db->logOn(u.name, u.password);
    }
};

} // namespace kittest
