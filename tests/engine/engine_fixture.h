// A fresh engine database in a temporary directory for one test, with helpers that run SQL on a session.
#pragma once

#include "engine/engine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace enginetest {

// The ORA code a piece of work fails with, 0 when it succeeds.
inline int codeOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const engine::Error& e) {
        return e.code();
    }
    return 0;
}

class EngineTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    std::string dir() const { return tmp.filePath("db").toStdString(); }
    std::shared_ptr<engine::Database> db;

    void SetUp() override { db = engine::Database::create(dir()); }

    std::unique_ptr<engine::Session> logOn(const std::string& user = "SYSTEM", const std::string& pw = "MANAGER")
    {
        return db->logOn(user, pw, false);
    }

    // Every row of a query, each value as text (NULL as "NULL"), values separated by one blank.
    static std::vector<std::string> rows(
        engine::Session& s, const std::string& sql, std::vector<engine::Bind> binds = {})
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

    static std::string one(engine::Session& s, const std::string& sql)
    {
        auto r = rows(s, sql);
        return r.empty() ? std::string("<no rows>") : r.front();
    }

    // The ORA code a statement fails with, 0 when it succeeds.
    static int errorOf(engine::Session& s, const std::string& sql)
    {
        try {
            std::vector<engine::Bind> none;
            s.execute(sql, none);
        } catch (const engine::Error& e) {
            return e.code();
        }
        return 0;
    }
};

} // namespace enginetest
