// A session on the fake server with the two small tables most tests read: EMP and DEPT.
#pragma once

#include "db/session.h"
#include "fakedriver.h"
#include "support/waitfor.h"

#include <QDateTime>

#include <gtest/gtest.h>

class FakeSessionTest : public ::testing::Test {
protected:
    FakeSessionTest()
    {
        fake::Table dept;
        dept.columns = { QStringLiteral("DEPTNO"), QStringLiteral("DNAME") };
        dept.types = { db::FieldType::Number, db::FieldType::Varchar2 };
        dept.add({ 10, QStringLiteral("ACCOUNTING") });
        dept.add({ 20, QStringLiteral("RESEARCH") });
        dept.add({ 30, QStringLiteral("SALES") });
        server->tables[QStringLiteral("DEPT")] = dept;

        fake::Table emp;
        emp.columns = { QStringLiteral("EMPNO"), QStringLiteral("ENAME"), QStringLiteral("SAL"),
            QStringLiteral("DEPTNO"), QStringLiteral("HIREDATE") };
        emp.types = { db::FieldType::Number, db::FieldType::Varchar2, db::FieldType::Number, db::FieldType::Number,
            db::FieldType::Date };
        auto date = [](int y, int m, int d) { return QDateTime(QDate(y, m, d), QTime(0, 0), Qt::UTC); };
        emp.add({ 7369, QStringLiteral("SMITH"), 800, 20, date(1980, 12, 17) });
        emp.add({ 7499, QStringLiteral("ALLEN"), 1600, 30, date(1981, 2, 20) });
        emp.add({ 7521, QStringLiteral("WARD"), 1250, 30, date(1981, 2, 22) });
        emp.add({ 7566, QStringLiteral("JONES"), 2975, 20, date(1981, 4, 2) });
        emp.add({ 7782, QStringLiteral("CLARK"), 2450, 10, date(1981, 6, 9) });
        server->tables[QStringLiteral("EMP")] = emp;

        // SAL must be positive, as a check constraint would say.
        server->check = [](const QString& table, const std::vector<QVariant>& row) {
            if (table == QLatin1String("EMP") && row[2].isValid() && !row[2].isNull() && row[2].toDouble() <= 0)
                throw db::OracleError(2290, QStringLiteral("ORA-02290: check constraint (SCOTT.EMP_SAL_CK) violated"));
        };

        session.setDriver(driver);
        session.setUserName(QStringLiteral("SCOTT"));
        session.setPassword(QStringLiteral("tiger"));
        session.setDatabase(QStringLiteral("FAKE"));
        session.logOn();
    }

    fake::Connection& connection() { return *driver->last.load(); }
    const fake::Table& table(const char* name) { return server->tables.at(QString::fromLatin1(name)); }
    int statementsLike(const QString& prefix)
    {
        int n = 0;
        for (const QString& s : server->log)
            n += s.startsWith(prefix, Qt::CaseInsensitive) ? 1 : 0;
        return n;
    }

    std::shared_ptr<fake::Server> server = std::make_shared<fake::Server>();
    std::shared_ptr<fake::Driver> driver = std::make_shared<fake::Driver>(server);
    db::Session session;
};
