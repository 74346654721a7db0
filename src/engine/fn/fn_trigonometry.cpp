// SIN, COS, TAN, their inverses ASIN, ACOS, ATAN and ATAN2, and the hyperbolic SINH, COSH, TANH, in radians. Oracle
// computes them to 38 digits; here they are doubles, like the engine's other non-integral numbers.
#include "engine/fn/arithmetic.h"
#include "engine/fn/fnutil.h"

#include <cmath>

namespace engine::fn::detail {

namespace {

template <double (*F)(double), int Bounded> void unary(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const NumberValue n = numberArg(argv[0]);
        const double x = n.toDouble();
        if (Bounded && (x < -1 || x > 1)) {
            std::string text;
            appendNumberText(text, n);
            throw OraError(1428, "argument '" + text + "' is out of range");
        }
        resultNumber(ctx, checkedNumber(F(x)));
    });
}

double sine(double x) { return std::sin(x); }
double cosine(double x) { return std::cos(x); }
double tangent(double x) { return std::tan(x); }
double arcSine(double x) { return std::asin(x); }
double arcCosine(double x) { return std::acos(x); }
double arcTangent(double x) { return std::atan(x); }
double hyperbolicSine(double x) { return std::sinh(x); }
double hyperbolicCosine(double x) { return std::cosh(x); }
double hyperbolicTangent(double x) { return std::tanh(x); }

void arcTangent2(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const double y = numberArg(argv[0]).toDouble(), x = numberArg(argv[1]).toDouble();
        if (x == 0 && y == 0)
            throw OraError(1426, "numeric overflow");
        resultNumber(ctx, checkedNumber(std::atan2(y, x)));
    });
}

} // namespace

void registerTrigonometry(Registrar& r)
{
    r.add("ORA_SIN", unary<sine, 0>);
    r.add("ORA_COS", unary<cosine, 0>);
    r.add("ORA_TAN", unary<tangent, 0>);
    r.add("ORA_ASIN", unary<arcSine, 1>);
    r.add("ORA_ACOS", unary<arcCosine, 1>);
    r.add("ORA_ATAN", unary<arcTangent, 0>);
    r.add("ORA_ATAN2", arcTangent2);
    r.add("ORA_SINH", unary<hyperbolicSine, 0>);
    r.add("ORA_COSH", unary<hyperbolicCosine, 0>);
    r.add("ORA_TANH", unary<hyperbolicTangent, 0>);
}

} // namespace engine::fn::detail
