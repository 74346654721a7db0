// Sessions at work while another session runs DDL. Oracle: DDL of one session never makes another session's
// logon or statement fail with an internal error; a statement whose objects changed is parsed again.
#include "two_sessions.h"

#include <map>
#include <mutex>
#include <thread>

using enginetest::SessionThreads;

TEST_F(SessionThreads, LogonsAndStatementsGoOnWhileAnotherSessionRunsDdl)
{
    {
        auto s = logOn();
        s->execute("CREATE TABLE t (id NUMBER PRIMARY KEY, v NUMBER)");
        s->execute("INSERT INTO t VALUES (1, 0)");
        s->execute("CREATE VIEW dv0 AS SELECT * FROM t");
        s->execute("CREATE PROCEDURE dp AS BEGIN UPDATE t SET v = v WHERE id = 1; END;");
        s->commit();
    }
    std::atomic<bool> done { false };
    std::mutex mutex;
    std::map<int, std::string> errors; // ORA code -> one message
    auto note = [&](const engine::Error& e) {
        std::lock_guard lk(mutex);
        errors.emplace(e.code(), e.message());
    };
    std::thread ddl([&] {
        auto s = logOn();
        for (int k = 0; k < 20; ++k) {
            try {
                s->execute("CREATE TABLE d" + std::to_string(k % 3) + " (n NUMBER, m VARCHAR2(10))");
                s->execute("CREATE INDEX d" + std::to_string(k % 3) + "_i ON d" + std::to_string(k % 3) + " (n)");
                s->execute("CREATE OR REPLACE VIEW dv" + std::to_string(k % 3) + " AS SELECT * FROM t");
                s->execute("CREATE OR REPLACE PROCEDURE dp AS BEGIN UPDATE t SET v = v WHERE id = 1; END;");
                s->execute("DROP TABLE d" + std::to_string(k % 3));
            } catch (const engine::Error& e) {
                note(e);
            }
        }
        done = true;
    });
    std::vector<std::thread> workers;
    for (int w = 0; w < 3; ++w)
        workers.emplace_back([&, w] {
            for (int k = 0; !done || k < 5; ++k) {
                try {
                    auto s = logOn();
                    rows(*s, "SELECT id, v FROM t WHERE id = 1");
                    rows(*s, "SELECT count(*) FROM user_tables");
                    s->execute("BEGIN dp; END;");
                    rows(*s, "SELECT count(*) FROM dv0");
                    s->execute("UPDATE t SET v = v + 1 WHERE id = 1");
                    s->execute("INSERT INTO t VALUES (" + std::to_string(1000 * (w + 1) + k) + ", 0)");
                    s->commit();
                } catch (const engine::Error& e) {
                    note(e);
                }
            }
        });
    ddl.join();
    for (auto& t : workers)
        t.join();
    for (const auto& [code, message] : errors)
        ADD_FAILURE() << message;
}
