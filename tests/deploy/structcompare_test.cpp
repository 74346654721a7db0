// The structure compare as text: sections and lines of two dumps, the differences it lists, the difference file
// and the reading of a dump from the structure package.
#include "deploy/structcompare.h"
#include "printers.h"

#include <gtest/gtest.h>

#include <deque>

namespace deploy {
inline void PrintTo(const StructDifference& d, std::ostream* os)
{
    *os << '{' << d.tip.toStdString() << " | " << d.ime.toStdString() << " | " << d.napaka.toStdString() << '}';
}
} // namespace deploy

namespace {

using deploy::StructDifference;

const QStringList kReference = {
    "###TABLE#ORDERS#",
    "ORDER_ID NUMBER(10) NOT NULL",
    "CUSTOMER_ID NUMBER(10) NOT NULL",
    "NOTE VARCHAR2(200)",
    "#CON",
    "ORDERS_PK PRIMARY KEY (ORDER_ID) ENABLED",
    "SYS_C0042 CHECK (STATUS) ENABLED",
    "#IND",
    "PK_ORDERS (ORDER_ID) UNIQUE",
    "ORDERS_DATE_I (ORDER_DATE) NONUNIQUE",
    "###TABLE#ITEMS#",
    "ORDER_ID NUMBER(10) NOT NULL",
    "###PROCEDURE#P_ARCHIVE#",
    "PROCEDURE P_ARCHIVE IS",
    "BEGIN",
    "  x := '###';",
    "  NULL;",
    "END;",
    "###INDEX#ORDERS_DATE_I#",
    "ORDERS (ORDER_DATE) NONUNIQUE",
    "###END##",
    "###TABLE#AFTER_THE_END#",
};

std::vector<StructDifference> compare(const QStringList& current)
{
    const auto r = deploy::compareStructures(kReference, current);
    return { r.differences.begin(), r.differences.end() };
}

TEST(StructCompare, EqualDumpsHaveNoDifferences)
{
    EXPECT_TRUE(compare(kReference).empty());
    // Blank lines around a body, a PK line with or without UNIQUE and other SYS_ names change nothing; a table only
    // in the current dump is not reported.
    QStringList current = kReference;
    current[8] = QStringLiteral("PK_ORDERS (ORDER_ID)");
    current[6] = QStringLiteral("SYS_C0099 CHECK (STATUS) ENABLED");
    current.insert(1, QString());
    current.insert(current.indexOf(QStringLiteral("###END##")), QStringLiteral("###TABLE#NEW_ONE#"));
    EXPECT_TRUE(compare(current).empty());
}

TEST(StructCompare, Differences)
{
    struct Case {
        const char* name;
        std::function<void(QStringList&)> change;
        std::vector<StructDifference> expected;
    };
    const std::vector<Case> cases = {
        { "a table missing", [](QStringList& c) { c.erase(c.begin() + 10, c.begin() + 12); },
            { { "TABLE", "ITEMS", "DOES NOT EXISTS" } } },
        { "a column's type changed", [](QStringList& c) { c[3] = QStringLiteral("NOTE VARCHAR2(400)"); },
            { { "TABLE", "ORDERS", "NOTE VARCHAR2(200)  -->  NOTE VARCHAR2(400)" } } },
        { "a longer line is no match for a shorter one",
            [](QStringList& c) { c[2] = QStringLiteral("CUSTOMER_ID NUMBER(10) NOT NULL ENABLE"); },
            { { "TABLE", "ORDERS",
                "CUSTOMER_ID NUMBER(10) NOT NULL  -->  CUSTOMER_ID NUMBER(10) NOT NULL ENABLE" } } },
        { "a column missing", [](QStringList& c) { c.removeAt(3); },
            { { "TABLE", "ORDERS", "NOTE  DOES NOT EXISTS" } } },
        { "constraint and index lines carry their labels",
            [](QStringList& c) {
                c[5] = QStringLiteral("ORDERS_PK PRIMARY KEY (ORDER_ID) DISABLED");
                c.removeAt(9);
            },
            { { "TABLE", "ORDERS",
                "CNS:ORDERS_PK PRIMARY KEY (ORDER_ID) ENABLED  -->  ORDERS_PK PRIMARY KEY (ORDER_ID) DISABLED\n"
                "IDX:ORDERS_DATE_I  DOES NOT EXISTS" } } },
        { "a changed procedure by its lengths", [](QStringList& c) { c[16] = QStringLiteral("  x := 1;"); },
            { { "PROCEDURE", "P_ARCHIVE", "NOT EQUAL 59  61" } } },
        { "a changed index by both texts", [](QStringList& c) { c[19] = QStringLiteral("ORDERS (ORDER_DATE) UNIQUE"); },
            { { "INDEX", "ORDERS_DATE_I", "ORDERS (ORDER_DATE) NONUNIQUE  -->  ORDERS (ORDER_DATE) UNIQUE" } } },
        { "a header is matched whole", [](QStringList& c) { c[10] = QStringLiteral("###TABLE#ITEMS#X"); },
            { { "TABLE", "ITEMS", "DOES NOT EXISTS" } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList current = kReference;
        c.change(current);
        EXPECT_EQ(compare(current), c.expected);
    }
}

TEST(StructCompare, LineBreaksAndLimit)
{
    // Carriage returns alone as line breaks, in both dumps.
    const QString cr = kReference.join(QLatin1Char('\r')) + QLatin1Char('\r');
    QStringList current = kReference;
    current[3] = QStringLiteral("NOTE CLOB");
    const auto r = deploy::compareStructures(deploy::textLines(cr), deploy::textLines(current.join(QLatin1Char('\r'))));
    ASSERT_EQ(r.differences.size(), 1);
    EXPECT_EQ(deploy::textLines(QStringLiteral("a\r\nb\nc\rd\r\n")), (QStringList { "a", "b", "c", "d" }));

    // 501 missing tables: the list keeps 500 and says it stopped.
    QStringList many;
    for (int i = 0; i < 501; ++i)
        many << QStringLiteral("###TABLE#T%1#").arg(i) << QStringLiteral("ID NUMBER");
    many << QStringLiteral("###END##");
    const auto full = deploy::compareStructures(many, { QStringLiteral("###END##") });
    EXPECT_TRUE(full.tooMany);
    EXPECT_EQ(full.differences.size(), 500);
    EXPECT_EQ(full.differences.last().ime, QStringLiteral("T499"));
}

TEST(StructCompare, DifferenceFile)
{
    const QList<StructDifference> d = { { "TABLE", "ORDERS", "NOTE  DOES NOT EXISTS\nCNS:X  -->  Y" },
        { "TABLE", "ITEMS", "DOES NOT EXISTS" } };
    EXPECT_EQ(deploy::differenceFileLines({ "HEADER" }, d),
        (QStringList { "HEADER", "TABLE ORDERS  ", "      NOTE  DOES NOT EXISTS", "      CNS:X  -->  Y",
            "TABLE ITEMS  ", "      DOES NOT EXISTS" }));
    EXPECT_EQ(deploy::differenceSummary(d[0].napaka), QStringLiteral("NOTE  DOES NOT EXISTS ....."));
    EXPECT_EQ(deploy::differenceSummary(d[1].napaka), QStringLiteral("DOES NOT EXISTS"));
}

TEST(StructCompare, ReadingTheDump)
{
    struct Case {
        const char* name;
        std::deque<std::optional<QString>> results;
        QStringList lines;
    };
    const std::vector<Case> cases = {
        { "up to the end mark", { "###TABLE#T#", "ID NUMBER", "###END##", "NULL", "NULL" },
            { "###TABLE#T#", "ID NUMBER", "###END##" } },
        { "a line reading NULL is kept", { "###PROCEDURE#P#", "NULL", "END;", "###END##" },
            { "###PROCEDURE#P#", "NULL", "END;", "###END##" } },
        { "SQL NULL ends it", { "###TABLE#T#", std::nullopt, "never" }, { "###TABLE#T#" } },
        { "no end mark: the package's NULLs end it", { "###TABLE#T#" }, { "###TABLE#T#" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::deque<std::optional<QString>> results = c.results;
        int calls = 0;
        const QStringList lines = deploy::readStructureDump([&]() -> std::optional<QString> {
            ++calls;
            if (results.empty())
                return QStringLiteral("NULL");
            auto r = results.front();
            results.pop_front();
            return r;
        });
        EXPECT_EQ(lines, c.lines);
        EXPECT_LT(calls, 100);
    }
}

} // namespace
