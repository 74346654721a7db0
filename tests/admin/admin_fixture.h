// A fresh copy of the demo database named DEMO for one test, reached through the access layer as the windows reach
// it; and a table whose storage is damaged on disk, made in such a copy before anyone logs on.
#pragma once

#include "db/drivers.h"
#include "db/query.h"
#include "db/session.h"
#include "engine/engine.h"
#include "engine/kit/kit.h"
#include "engine/storage/database_state.h"
#include "support/tempdir.h"

#include <QStringList>

#include <sqlite3.h>

#include <fstream>
#include <memory>

namespace admintest {

// VOXA.REPAIR_T: ten rows (ID 1 to 10, a primary key REPAIR_T_PK, and a pad of 2,500 characters), three to a page
// of the file; the page that holds rows 7 to 9 is overwritten, so the first row that cannot be read is the seventh.
inline void makeDamagedTable(const std::string& dir)
{
    std::string table;
    {
        auto db = engine::Database::open(dir);
        auto s = db->logOn(engine::kit::kVoxa.name, engine::kit::kVoxa.password);
        s->execute("CREATE TABLE repair_t (id NUMBER CONSTRAINT repair_t_pk PRIMARY KEY, pad VARCHAR2(2600))");
        s->execute("INSERT INTO repair_t SELECT LEVEL, RPAD('r', 2500, 'x') FROM dual CONNECT BY LEVEL <= 10");
        s->execute("COMMIT");
        auto r = s->execute("SELECT object_id FROM user_objects WHERE object_name = 'REPAIR_T'");
        r.cursor->next();
        table = "T" + r.cursor->value(0).toString();
    }
    const std::string file = dir + "/" + engine::storage::kDataFileName;
    sqlite3* f = nullptr;
    sqlite3_open(file.c_str(), &f);
    sqlite3_exec(f, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    int pageSize = 0;
    std::vector<int64_t> leaves;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(f, "PRAGMA page_size", -1, &st, nullptr);
    if (sqlite3_step(st) == SQLITE_ROW)
        pageSize = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    sqlite3_prepare_v2(f,
        ("SELECT pageno FROM dbstat WHERE name = '" + table + "' AND pagetype = 'leaf' ORDER BY path").c_str(), -1, &st,
        nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        leaves.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(f);
    if (leaves.size() < 3 || pageSize == 0)
        throw std::runtime_error("the damaged table's pages were not found");
    std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(static_cast<std::streamoff>((leaves[2] - 1) * pageSize));
    const std::string junk(static_cast<size_t>(pageSize), '\xff');
    out.write(junk.data(), static_cast<std::streamsize>(junk.size()));
}

class DemoTest : public testsupport::TempDirTest {
protected:
    std::string demoDir() const { return tmp.filePath(QStringLiteral("DEMO")).toStdString(); }
    void SetUp() override
    {
        engine::kit::demoTemplate(demoDir());
        db::setEmbeddedDataDirectory(tmp.path());
    }
    void TearDown() override
    {
        session.reset();
        db::setEmbeddedDataDirectory({});
    }
    void logOn(const engine::kit::DemoUser& user = engine::kit::kVoxa)
    {
        session = std::make_unique<db::Session>();
        session->setUserName(QString::fromLatin1(user.name));
        session->setPassword(QString::fromLatin1(user.password));
        session->setDatabase(QStringLiteral("DEMO"));
        session->logOn();
    }
    void run(const QString& sql)
    {
        db::Query q(session.get());
        q.setSql(sql);
        q.execute();
    }
    // The first column of every row, NULL as "NULL".
    QStringList column(const QString& sql)
    {
        db::Query q(session.get());
        q.setSql(sql);
        q.execute();
        QStringList out;
        for (; !q.eof(); q.next())
            out << (q.fieldIsNull(0) ? QStringLiteral("NULL") : q.field(0).toString());
        return out;
    }
    std::unique_ptr<db::Session> session;
};

} // namespace admintest
