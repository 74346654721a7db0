// The editable data set on the Oracle client driver: the ROWID fetched as text goes back as a bind, and the ROWID an
// insert returns finds the new record again.
#include "../fakeoci/fakeclient.h"
#include "db/dataset.h"
#include "db/oci/ociclient.h"
#include "db/oci/ocidriver.h"
#include "db/session.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(OciDataSet, RowidRoundTrip)
{
    db::oci::setClientLocation(QStringLiteral(DREMMOX_FAKEOCI_HOME));
    FakeClient& fake = FakeClient::get();
    fake.configure(R"({"users": {"SCOTT": "tiger"}, "version": "Oracle Database 19c", "statements": [
        {"match": "from emp e", "columns": [{"name": "ROWID", "type": 11, "size": 10},
            {"name": "ENAME", "type": 1, "size": 10}],
         "rows": [["AAAR3sAAEAAAACXAAA", "KING"], ["AAAR3sAAEAAAACXAAB", "FORD"]]},
        {"match": "update emp", "rowCount": 1},
        {"match": "insert into emp", "rowCount": 1, "out": {"DMX_ROWID": "AAAR3sAAEAAAACXAAC"}}]})");
    db::Session session;
    session.setDriver(db::oci::newClientDriver());
    session.setUserName(QStringLiteral("scott"));
    session.setPassword(QStringLiteral("tiger"));
    session.setDatabase(QStringLiteral("ORCL"));
    session.logOn();

    db::DataSet ds(&session);
    ds.setSql(QStringLiteral("select e.rowid, e.ename from emp e"));
    ds.setCachedUpdates(true);
    ds.open();
    ASSERT_EQ(ds.rowidField(), 0);
    ds.next(); // FORD
    ds.edit();
    ds.setFieldValue(QStringLiteral("ENAME"), QStringLiteral("FORDE"));
    ds.post();
    ds.append();
    ds.setFieldValue(QStringLiteral("ENAME"), QStringLiteral("NEW"));
    ds.post();
    session.applyUpdates({ &ds }, true);

    const QStringList log = fake.lines();
    const int update
        = log.indexOf(QRegularExpression(QStringLiteral("^prepare update emp set .* where rowid = :DMX_ROWID$")));
    ASSERT_GE(update, 0) << log.join('\n').toStdString();
    EXPECT_TRUE(log.mid(update).contains(QStringLiteral("bind DMX_ROWID 1 AAAR3sAAEAAAACXAAB")));
    const int insert = log.indexOf(
        QRegularExpression(QStringLiteral("^prepare insert into emp .* returning rowid into :DMX_ROWID$")));
    ASSERT_GE(insert, 0) << log.join('\n').toStdString();
    EXPECT_TRUE(log.mid(insert).contains(QStringLiteral("bind DMX_ROWID 1 NULL"))); // OUT only
    EXPECT_TRUE(log.contains(QStringLiteral("commit")));
    db::oci::setClientLocation({});
}

} // namespace
