// A fresh copy of the demo database named DEMO (with the audit database VEXOAUDT behind VOXA's link) for one test,
// reached through the access layer, with helpers that run statements and read results as text.
#pragma once

#include "db/drivers.h"
#include "db/query.h"
#include "db/session.h"
#include "engine/kit/kit.h"
#include "printers.h"
#include "support/tempdir.h"

#include <QStringList>

#include <memory>

namespace transfertest {

class DemoDatabaseTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        engine::kit::demoTemplate(tmp.filePath(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
        session = logOn("VOXA");
    }
    void TearDown() override
    {
        session.reset();
        db::setEmbeddedDataDirectory({});
    }

    static std::unique_ptr<db::Session> logOn(const char* user)
    {
        auto s = std::make_unique<db::Session>();
        s->setUserName(QString::fromLatin1(user));
        s->setPassword(QString::fromLatin1(user));
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

    // Every row, its values as text joined by "|", NULL as "NULL".
    static QStringList rows(db::Session& s, const QString& sql)
    {
        db::Query q(&s);
        q.setSql(sql);
        q.execute();
        QStringList out;
        for (; !q.eof(); q.next()) {
            QStringList values;
            for (int i = 0; i < q.fieldCount(); ++i)
                values << (q.fieldIsNull(i) ? QStringLiteral("NULL") : q.field(i).toString());
            out << values.join(QLatin1Char('|'));
        }
        return out;
    }
    static QString value(db::Session& s, const QString& sql)
    {
        const QStringList r = rows(s, sql);
        return r.isEmpty() ? QStringLiteral("<none>") : r.first();
    }

    std::unique_ptr<db::Session> session;
};

} // namespace transfertest
