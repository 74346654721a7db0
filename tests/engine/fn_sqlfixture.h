// An in-memory SQLite connection with the engine's ORA_ functions registered over a known session context, and a
// helper that evaluates one SQL expression to a comparable text.
#pragma once

#include "engine/fn/context.h"
#include "engine/fn/registry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

class FnSqlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        context.statementTime = "2026-03-05 14:07:09";
        context.user = "SCOTT";
        context.uid = 42;
        context.sessionId = 1234;
        context.currentSchema = "VOXA";
        context.host = "buildhost";
        context.osUser = "dev";
        ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
        ASSERT_EQ(engine::fn::registerAll(db, &context), SQLITE_OK);
    }
    void TearDown() override { sqlite3_close(db); }

    // NULL -> "NULL", integer -> "5", real -> "%.15g", text -> "'abc'", failure -> the error message.
    std::string eval(const std::string& expression) { return query("SELECT " + expression); }

    std::string query(const std::string& sql)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            return std::string("prepare: ") + sqlite3_errmsg(db);
        std::string result;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (!result.empty())
                result += "|";
            result += cell(stmt, 0);
        }
        if (rc != SQLITE_DONE)
            result = sqlite3_errmsg(db);
        sqlite3_finalize(stmt);
        return result;
    }

    static std::string cell(sqlite3_stmt* stmt, int i)
    {
        switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_NULL:
            return "NULL";
        case SQLITE_INTEGER:
            return std::to_string(sqlite3_column_int64(stmt, i));
        case SQLITE_FLOAT: {
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "%.15g", sqlite3_column_double(stmt, i));
            return buffer;
        }
        default:
            return "'"
                + std::string(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)), size_t(sqlite3_column_bytes(stmt, i)))
                + "'";
        }
    }

    struct Case {
        const char* oracleBehaviour;
        const char* expression;
        const char* expected;
    };

    void check(std::initializer_list<Case> cases)
    {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.oracleBehaviour);
            EXPECT_EQ(eval(c.expression), c.expected) << c.expression;
        }
    }

    engine::fn::FunctionContext context;
    sqlite3* db = nullptr;
};
