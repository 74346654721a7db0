// A fresh copy of the demo database named DEMO for one test, reached through the access layer as the worksheet
// reaches it, with helpers that run statements and read a column as text.
#pragma once

#include "db/drivers.h"
#include "db/query.h"
#include "db/session.h"
#include "engine/kit/kit.h"
#include "support/tempdir.h"

#include <QStringList>

#include <memory>

namespace wstest {

class DemoSessionTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        engine::kit::demoTemplate(tmp.filePath(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
        session = logOn(engine::kit::kVoxa);
    }
    void TearDown() override
    {
        session.reset();
        db::setEmbeddedDataDirectory({});
    }

    static std::unique_ptr<db::Session> logOn(const engine::kit::DemoUser& user)
    {
        auto s = std::make_unique<db::Session>();
        s->setUserName(QString::fromLatin1(user.name));
        s->setPassword(QString::fromLatin1(user.password));
        s->setDatabase(QStringLiteral("DEMO"));
        s->logOn();
        return s;
    }

    static void run(db::Session& s, const QString& sql)
    {
        db::Query q(&s);
        q.setSql(sql);
        q.execute();
    }

    // The first column of every row, NULL as "NULL".
    static QStringList column(db::Session& s, const QString& sql)
    {
        db::Query q(&s);
        q.setSql(sql);
        q.execute();
        QStringList out;
        for (; !q.eof(); q.next())
            out << (q.fieldIsNull(0) ? QStringLiteral("NULL") : q.field(0).toString());
        return out;
    }

    std::unique_ptr<db::Session> session;
};

} // namespace wstest
