// What a user types into the example record, as conditions with binds.
#include "db/oracleerror.h"
#include "db/qbe.h"

#include <gtest/gtest.h>

namespace {

using db::FieldType;

TEST(QbeTest, Terms)
{
    struct Case {
        const char* name;
        FieldType type;
        QString input;
        QString condition; // empty: no condition
        QStringList values;
    };
    const std::vector<Case> cases {
        { "empty", FieldType::Varchar2, QStringLiteral("   "), {}, {} },
        { "plain text is equality", FieldType::Varchar2, QStringLiteral("SMITH"), QStringLiteral("C = :Q"),
            { "SMITH" } },
        { "wildcard text is like", FieldType::Varchar2, QStringLiteral("SM%"), QStringLiteral("C like :Q"), { "SM%" } },
        { "wildcard in a number is no like", FieldType::Number, QStringLiteral("1%"), QStringLiteral("C = :Q"),
            { "1%" } },
        { "operator", FieldType::Number, QStringLiteral("> 1000"), QStringLiteral("C > :Q"), { "1000" } },
        { "two-character operator", FieldType::Number, QStringLiteral(">=1000"), QStringLiteral("C >= :Q"),
            { "1000" } },
        { "not equal", FieldType::Varchar2, QStringLiteral("<> 'A'"), QStringLiteral("C <> :Q"), { "A" } },
        { "null", FieldType::Date, QStringLiteral("null"), QStringLiteral("C is null"), {} },
        { "is not null", FieldType::Number, QStringLiteral("IS NOT NULL"), QStringLiteral("C is not null"), {} },
        { "explicit like", FieldType::Varchar2, QStringLiteral("like 'A_'"), QStringLiteral("C like :Q"), { "A_" } },
        { "not like", FieldType::Varchar2, QStringLiteral("NOT LIKE 'A%'"), QStringLiteral("C not like :Q"), { "A%" } },
        { "in list, quotes and commas", FieldType::Varchar2, QStringLiteral("in ('A,B', 'O''Brien', C)"),
            QStringLiteral("C in (:Q, :Q_2, :Q_3)"), { "A,B", "O'Brien", "C" } },
        { "between", FieldType::Number, QStringLiteral("between 10 and 20"), QStringLiteral("C between :Q and :Q_2"),
            { "10", "20" } },
        { "a quote in a value is a value, not SQL", FieldType::Varchar2, QStringLiteral("x' or '1'='1"),
            QStringLiteral("C = :Q"), { "x' or '1'='1" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto term = db::qbeTerm(QStringLiteral("C"), c.type, c.input, QStringLiteral("Q"));
        if (c.condition.isEmpty()) {
            EXPECT_FALSE(term.has_value());
            continue;
        }
        ASSERT_TRUE(term.has_value());
        EXPECT_EQ(term->condition, c.condition);
        QStringList values;
        for (const auto& [name, value] : term->binds)
            values << value.toString();
        EXPECT_EQ(values, c.values);
    }
}

TEST(QbeTest, UnreadableInputIsAClearError)
{
    for (const QString& input : { QStringLiteral("'open"), QStringLiteral("in 1, 2"), QStringLiteral("between 1"),
             QStringLiteral("in ('a)") }) {
        SCOPED_TRACE(input.toStdString());
        EXPECT_THROW(
            db::qbeTerm(QStringLiteral("C"), FieldType::Varchar2, input, QStringLiteral("Q")), db::OracleError);
    }
}

} // namespace
