// Oracle's type rules as the binder applies them: comparison conversions, arithmetic, concatenation, the result
// type of CASE/DECODE/NVL and of set operations.
#include "engine/types/oratype.h"

#include <gtest/gtest.h>

namespace {

using engine::OraType;
using engine::types::Conversion;
using engine::types::ExprType;

TEST(OraTypes, ComparisonFollowsOraclesImplicitConversion)
{
    struct Case {
        const char* name;
        ExprType a;
        ExprType b;
        bool allowed;
        Conversion left;
        Conversion right;
        bool blankPadded;
    };
    ExprType clob;
    clob.type = OraType::Clob;
    const Case cases[] = {
        { "number vs text converts the text to number", ExprType::number(), ExprType::varchar2(10), true,
            Conversion::None, Conversion::ToNumber, false },
        { "text vs number converts the text on the left", ExprType::textLiteral(2), ExprType::number(), true,
            Conversion::ToNumber, Conversion::None, false },
        { "date vs text converts the text to date", ExprType::date(), ExprType::textLiteral(9), true, Conversion::None,
            Conversion::ToDate, false },
        { "date vs number is ORA-00932", ExprType::date(), ExprType::number(), false, Conversion::None,
            Conversion::None, false },
        { "CHAR vs CHAR compares blank-padded", ExprType::charType(5), ExprType::charType(3), true, Conversion::None,
            Conversion::None, true },
        { "CHAR vs a literal compares blank-padded", ExprType::charType(5), ExprType::textLiteral(2), true,
            Conversion::None, Conversion::None, true },
        { "CHAR vs VARCHAR2 is non-padded", ExprType::charType(5), ExprType::varchar2(5), true, Conversion::None,
            Conversion::None, false },
        // Oracle: text literals are CHAR, so two of them compare blank-padded ('a ' = 'a' is true).
        { "two literals compare blank-padded", ExprType::textLiteral(2), ExprType::textLiteral(3), true,
            Conversion::None, Conversion::None, true },
        // Oracle: a LOB cannot be compared with = (ORA-00932); LIKE and the LOB functions read it.
        { "CLOB vs text is ORA-00932", clob, ExprType::textLiteral(3), false, Conversion::None, Conversion::None,
            false },
        { "a bind is converted by the executor, not in SQL", ExprType::number(), ExprType::bind(), true,
            Conversion::None, Conversion::None, false },
        { "NULL compares with anything", ExprType::date(), ExprType::nullLiteral(), true, Conversion::None,
            Conversion::None, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto plan = engine::types::planComparison(c.a, c.b);
        ASSERT_EQ(plan.has_value(), c.allowed);
        if (!plan)
            continue;
        EXPECT_EQ(plan->left, c.left);
        EXPECT_EQ(plan->right, c.right);
        EXPECT_EQ(plan->blankPadded, c.blankPadded);
    }
}

TEST(OraTypes, ArithmeticResultTypes)
{
    auto dn = engine::types::planArithmetic('+', ExprType::date(), ExprType::number());
    ASSERT_TRUE(dn);
    EXPECT_EQ(dn->result.type, OraType::Date) << "date + number is a DATE";
    auto dd = engine::types::planArithmetic('-', ExprType::date(), ExprType::date());
    ASSERT_TRUE(dd);
    EXPECT_EQ(dd->result.type, OraType::Number) << "date - date is a NUMBER of days";
    EXPECT_FALSE(engine::types::planArithmetic('+', ExprType::date(), ExprType::date())) << "date + date";
    EXPECT_FALSE(engine::types::planArithmetic('*', ExprType::date(), ExprType::number())) << "date * number";
    EXPECT_FALSE(engine::types::planArithmetic('-', ExprType::number(), ExprType::date())) << "number - date";
    auto tn = engine::types::planArithmetic('*', ExprType::varchar2(3), ExprType::number());
    ASSERT_TRUE(tn);
    EXPECT_EQ(tn->left, Conversion::ToNumber) << "text in arithmetic becomes a number";
}

TEST(OraTypes, ConcatenationAndFirstResultType)
{
    ExprType n = ExprType::number();
    n.nullable = false;
    auto c = engine::types::concatResult(ExprType::varchar2(10), n);
    EXPECT_EQ(c.type, OraType::Varchar2);
    EXPECT_EQ(c.size, 50) << "a number's text is at most 40 characters";
    EXPECT_FALSE(c.nullable) << "|| skips NULL: NULL only when both operands are";

    ExprType a = ExprType::nullLiteral();
    ExprType b = ExprType::number(5, 2, true);
    ExprType d = ExprType::varchar2(3);
    const ExprType* rs[] = { &a, &b, &d };
    auto r = engine::types::firstResultType(rs, 3);
    EXPECT_EQ(r.type, OraType::Number) << "the first non-NULL result decides";
    EXPECT_TRUE(r.nullable);
}

TEST(OraTypes, SetOperationColumns)
{
    EXPECT_FALSE(engine::types::setOperationColumn(ExprType::varchar2(5), ExprType::number())) << "ORA-01790";
    auto t = engine::types::setOperationColumn(ExprType::charType(3), ExprType::varchar2(8));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->type, OraType::Varchar2);
    EXPECT_EQ(t->size, 8);
    auto n = engine::types::setOperationColumn(ExprType::nullLiteral(), ExprType::date());
    ASSERT_TRUE(n);
    EXPECT_EQ(n->type, OraType::Date) << "NULL takes the other query's type";
}

} // namespace
