// The worksheet's select builder: the SELECT built from marked columns and typed filters, as text and run on the
// demo database. Oracle: TRUNC(date) is the day at midnight; TO_CHAR(date,'DD.MM.YYYY') the day as text.
#include "develop/selectbuilder.h"
#include "wstools_fixture.h"

#include <gtest/gtest.h>

using develop::ColumnRow;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

ColumnRow col(const char* name, const char* type, const char* show = " ", const char* filter = "")
{
    ColumnRow r;
    r.name = QString::fromLatin1(name);
    r.type = QString::fromLatin1(type);
    r.show = QString::fromLatin1(show);
    r.filter = QString::fromUtf8(filter);
    return r;
}

} // namespace

TEST(SelectBuilder, FiltersMakeConditionsByType)
{
    struct Case {
        const char* type;
        const char* filter;
        const char* condition;
    };
    const Case cases[] = {
        { "VARCHAR2", "%X%", "C like '%X%'" },
        { "VARCHAR2", "abc", "C='abc'" },
        { "VARCHAR2", "O'Brien", "C='O''Brien'" },
        { "VARCHAR2", "<>'abc'", "C<>'abc'" },
        { "CHAR", "='Y'", "C='Y'" },
        { "NUMBER", ">10", "C>10" },
        { "NUMBER", "10", "C=10" },
        { "NUMBER", "1%", "C like '1%'" },
        { "DATE", "01.02.2024", "to_char(C,'DD.MM.YYYY')='01.02.2024'" },
        { "DATE", "%.2024", "to_char(C,'DD.MM.YYYY') like '%.2024'" },
        { "DATE", ">01.02.2024", "trunc(C)>to_date('01.02.2024','DD.MM.YYYY')" },
        { "DATE", " <= '01.02.2024' ", "trunc(C)<=to_date('01.02.2024','DD.MM.YYYY')" },
        { "DATE", "<>01.02.2024", "to_char(C,'DD.MM.YYYY')<>'01.02.2024'" },
        { "DATE", "between x and y = z", "C between x and y = z" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.filter);
        EXPECT_EQ(
            develop::filterCondition(QStringLiteral("C"), QString::fromLatin1(c.type), QString::fromUtf8(c.filter)),
            QString::fromUtf8(c.condition));
    }
}

TEST(SelectBuilder, BuildsTheStatementsLines)
{
    struct Case {
        const char* name;
        std::vector<ColumnRow> rows;
        bool live;
        QStringList lines;
    };
    const std::vector<Case> cases {
        { "live with two columns and a filter",
            { col("ID", "NUMBER", "+"), col("NAME", "VARCHAR2", "+", "%X%"), col("CITY", "VARCHAR2") }, true,
            { "select ", "xxx.id,xxx.name,rowid", " from VOXA.CUSTOMERS xxx", "where NAME like '%X%'" } },
        { "nothing marked, not live", { col("ID", "NUMBER") }, false, { "select ", "*", " from VOXA.CUSTOMERS" } },
        { "nothing marked, live", { col("ID", "NUMBER") }, true,
            { "select ", "xxx.*,rowid", " from VOXA.CUSTOMERS xxx" } },
        { "two filters", { col("ID", "NUMBER", "+", ">1"), col("CITY", "VARCHAR2", " ", "Ljubljana") }, false,
            { "select ", "id", " from VOXA.CUSTOMERS", "where ID>1 and CITY='Ljubljana'" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(develop::buildSelect(QStringLiteral("VOXA"), QStringLiteral("CUSTOMERS"), c.rows, c.live), c.lines);
    }
}

TEST(SelectBuilder, ItemLinesStayWithin90Characters)
{
    std::vector<ColumnRow> rows;
    for (int i = 0; i < 40; ++i)
        rows.push_back(
            col(qPrintable(QStringLiteral("COLUMN_NUMBER_%1").arg(i, 2, 10, QLatin1Char('0'))), "NUMBER", "+"));
    const QStringList lines = develop::buildSelect(QStringLiteral("O"), QStringLiteral("T"), rows, false);
    ASSERT_GT(lines.size(), 4);
    QString items;
    for (int i = 1; i < lines.size() - 1; ++i) {
        EXPECT_LE(lines.at(i).size(), 90) << lines.at(i).toStdString();
        items += lines.at(i);
    }
    EXPECT_EQ(items.split(QLatin1Char(',')).size(), 40) << "no column is lost over the lines";
    EXPECT_EQ(develop::toggledShow(QStringLiteral(" ")), QStringLiteral("+"));
    EXPECT_EQ(develop::toggledShow(QStringLiteral("+")), QStringLiteral(" "));
}

namespace {

class SelectBuilderOnDemo : public wstest::DemoSessionTest { };

} // namespace

TEST_F(SelectBuilderOnDemo, ListsColumnsAndTheBuiltStatementsRun)
{
    EXPECT_TRUE(develop::listTables(*session, QStringLiteral("voxa"), QStringLiteral("ord"))
                    .contains(QStringLiteral("ORDERS")));
    std::vector<ColumnRow> rows = develop::listColumns(*session, QStringLiteral("voxa"), QStringLiteral("orders"));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().name, QStringLiteral("ORDER_ID"));
    EXPECT_EQ(rows.front().show, QStringLiteral(" "));
    EXPECT_TRUE(develop::listColumns(*session, QStringLiteral("voxa"), QStringLiteral("nosuch")).empty());

    auto find = [&rows](const char* name) -> ColumnRow& {
        for (ColumnRow& r : rows) {
            if (r.name == QLatin1String(name))
                return r;
        }
        throw std::runtime_error(name);
    };
    ASSERT_EQ(find("ORDER_DATE").type, QStringLiteral("DATE"));
    const QString firstDay
        = column(*session, QStringLiteral("select to_char(min(order_date),'DD.MM.YYYY') from voxa.orders")).value(0);
    const QString count = column(*session,
        QStringLiteral("select count(*) from voxa.orders where trunc(order_date) > "
                       "(select trunc(min(order_date)) from voxa.orders)"))
                              .value(0);
    find("ORDER_ID").show = QStringLiteral("+");
    find("ORDER_DATE").filter = QStringLiteral(">") + firstDay;
    for (bool live : { false, true }) {
        SCOPED_TRACE(live ? "live" : "plain");
        const QString sql = develop::buildSelect(QStringLiteral("VOXA"), QStringLiteral("ORDERS"), rows, live)
                                .join(QLatin1Char('\n'));
        EXPECT_EQ(QString::number(column(*session, sql).size()), count) << sql.toStdString();
    }
}
