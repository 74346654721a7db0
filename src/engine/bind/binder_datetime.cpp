// TIMESTAMP and INTERVAL in expressions: literals, the conversions between them, DATE and text, comparisons,
// datetime and interval arithmetic, and the functions over them (EXTRACT, TO_CHAR, TO_TIMESTAMP[_TZ], CAST,
// TO_/NUMTO...INTERVAL, FROM_TZ, SYS_EXTRACT_UTC, the clock functions, AT TIME ZONE). The values themselves are
// handled by the ORA_DT_... functions (fn/fn_timestamp*.cpp), which take the operands' kinds as arguments.
#include "engine/bind/binder_impl.h"

#include "engine/emit/sqltext.h"
#include "engine/fn/oraerror.h"
#include "engine/fn/timestamp.h"
#include "engine/types/oratype_datetime.h"

namespace engine::bind::detail {

using types::ExprType;

namespace {

std::string kindOf(const ExprType& t)
{
    return std::to_string(static_cast<int>(types::dtKindOf(t)));
}

std::string precisionArgs(const ExprType& t)
{
    return std::to_string(t.scale) + ", " + std::to_string(t.precision);
}

bool textual(const ExprType& t)
{
    return types::isCharacter(t.type) || t.type == OraType::Rowid;
}

// The key two comparable values are compared by: a WITH TIME ZONE value by its UTC part.
std::string comparisonKey(const std::string& sql, const ExprType& t)
{
    if (t.type == OraType::TimestampTz)
        return "substr(" + sql + ", 1, 29)";
    return sql;
}

} // namespace

BExpr BinderImpl::datetimeConverted(const BExpr& e, const ExprType& to, int offset, bool exact)
{
    BExpr r = e;
    r.literalText.clear();
    if (e.type.isNull) {
        r.type = to;
        r.type.nullable = true;
        r.type.isNull = true;
        return r;
    }
    if (e.bindSlot >= 0) {
        // The executor brings the client's value to the type; storing still rounds it to the precision.
        noteBind(e, to);
        if (exact && types::isNewDatetime(to.type))
            r.sql = "ORA_DT_CONVERT(" + e.sql + ", " + kindOf(to) + ", " + kindOf(to) + ", " + precisionArgs(to) + ")";
        r.type = to;
        r.type.isBind = false;
        return r;
    }
    const ExprType& from = e.type;
    const bool toText = textual(to) || to.type == OraType::Clob;
    auto refuse = [&]() {
        fail(932, inconsistent(to, from), offset);
    };
    if (from.type == to.type) {
        // The same type: only a narrower precision needs rounding (TIMESTAMP(9) into TIMESTAMP(6)) or checking
        // (an interval's leading digits).
        const bool narrower = types::isNewDatetime(to.type)
            && (to.scale < from.scale || (types::isInterval(to.type) && to.precision < from.precision));
        if (!exact || !narrower) {
            r.type.nullable = from.nullable;
            return r;
        }
    } else if (types::isInterval(to.type) || types::isInterval(from.type)) {
        if (!(types::isInterval(to.type) && textual(from)) && !(types::isInterval(from.type) && toText))
            refuse();
    } else if (!(textual(from) || from.type == OraType::Date || types::isTimestamp(from.type))
        || !(toText || to.type == OraType::Date || types::isTimestamp(to.type))) {
        refuse();
    }
    if (toText) {
        r.sql = "ORA_DT_CONVERT(" + e.sql + ", " + kindOf(from) + ", 0, " + precisionArgs(from) + ")";
        r.type = ExprType::varchar2(types::isInterval(from.type) ? 30 : 75);
    } else {
        // DATE from text keeps the established conversion through NLS_DATE_FORMAT.
        if (to.type == OraType::Date && textual(from))
            r.sql = emit::convert(e.sql, types::Conversion::ToDate, from);
        else
            r.sql = "ORA_DT_CONVERT(" + e.sql + ", " + kindOf(from) + ", " + kindOf(to) + ", "
                + precisionArgs(to) + ")";
        r.type = to;
    }
    r.type.nullable = from.nullable;
    r.type.isTextLiteral = false;
    r.type.isNull = false;
    return r;
}

BExpr BinderImpl::datetimeLiteral(const sql::LiteralExpr& l, int offset)
{
    BExpr r;
    try {
        if (l.type == sql::LiteralExpr::Type::Timestamp) {
            fn::Timestamp t;
            if (fn::parseTimestampLiteral(l.text, t)) {
                r.sql = emit::quoteText(fn::toStoredTimestampTz(t));
                r.type = types::timestampType(OraType::TimestampTz, 9);
            } else {
                r.sql = emit::quoteText(fn::toStoredTimestamp(t.dt, t.nanos));
                r.type = types::timestampType(OraType::Timestamp, 9);
            }
        } else {
            fn::IntervalQualifier q;
            q.from = l.intervalFrom;
            q.to = l.intervalTo;
            q.leading = static_cast<int>(l.leading.value_or(types::kDefaultLeading));
            q.fraction = static_cast<int>(l.fraction.value_or(types::kDefaultFraction));
            const int64_t v = fn::parseIntervalLiteral(l.text, q);
            r.sql = std::to_string(v);
            if (fn::isYearMonth(q)) {
                r.type = types::intervalYM(q.from == "YEAR" ? q.leading : types::kDefaultLeading);
            } else {
                const bool secondsLast = (q.to.empty() ? q.from : q.to) == "SECOND";
                r.type = types::intervalDS(q.from == "DAY" ? q.leading : types::kDefaultLeading,
                    secondsLast ? q.fraction : types::kDefaultFraction);
            }
        }
    } catch (const fn::OraError& e) {
        std::string message = e.message();
        fail(e.code(), message.substr(message.find(": ") + 2), offset);
    }
    r.type.nullable = false;
    return r;
}

BExpr BinderImpl::datetimeCompare(const BExpr& l, const std::string& op, const BExpr& r, int offset)
{
    auto common = types::datetimeComparisonType(l.type, r.type);
    if (!common)
        fail(932, notComparable(l.type, r.type), offset);
    ExprType c = *common;
    if (types::isTimestamp(c.type))
        c.scale = 9;
    if (types::isInterval(c.type)) {
        c.precision = 9;
        c.scale = 9;
    }
    const BExpr lc = datetimeConverted(l, c, offset, false);
    const BExpr rc = datetimeConverted(r, c, offset, false);
    BExpr out;
    out.type = ExprType::number();
    out.local = l.local || r.local;
    out.aggregate = l.aggregate || r.aggregate;
    out.sql = "(" + comparisonKey(lc.sql, c) + " " + op + " " + comparisonKey(rc.sql, c) + ")";
    return out;
}

BExpr BinderImpl::datetimeArithmetic(char op, const BExpr& l, const BExpr& r, int offset)
{
    const types::DatetimePlan plan = types::planDatetimeArithmetic(op, l.type, r.type);
    if (plan.error)
        fail(plan.error, plan.message, offset);
    BExpr out;
    out.type = plan.result;
    out.local = l.local || r.local;
    out.aggregate = l.aggregate || r.aggregate;
    const BExpr& first = plan.swap ? r : l;
    const BExpr& second = plan.swap ? l : r;
    switch (plan.op) {
    case types::DatetimeOp::AddInterval:
        out.sql = "ORA_DT_ADD(" + first.sql + ", " + kindOf(first.type) + ", " + second.sql + ", "
            + kindOf(second.type) + ", " + (op == '-' ? "-1" : "1") + ")";
        break;
    case types::DatetimeOp::Difference:
        out.sql = "ORA_DT_DIFF(" + l.sql + ", " + kindOf(l.type) + ", " + r.sql + ", " + kindOf(r.type) + ")";
        break;
    case types::DatetimeOp::IntervalSum:
        out.sql = "ORA_IV_ADD(" + l.sql + ", " + r.sql + ", " + (op == '-' ? "-1" : "1") + ", " + kindOf(l.type) + ")";
        break;
    case types::DatetimeOp::IntervalScale: {
        const BExpr n = second.type.isNull ? second : converted(second, OraType::Number, offset);
        out.sql = "ORA_IV_SCALE(" + first.sql + ", " + kindOf(first.type) + ", " + n.sql + ", "
            + (op == '/' ? "1" : "0") + ")";
        break;
    }
    case types::DatetimeOp::DatePlusNumber: {
        const BExpr d = datetimeConverted(first, ExprType::date(), offset, true);
        const BExpr n = second.type.isNull ? second : converted(second, OraType::Number, offset);
        out.sql = std::string(emit::kDateAdd) + "(" + d.sql + ", " + (op == '-' ? "-(" + n.sql + ")" : n.sql) + ")";
        break;
    }
    }
    return out;
}

std::optional<BExpr> BinderImpl::datetimeFunction(
    const sql::FunctionCallExpr& e, const std::string& name, const std::vector<BExpr>& args)
{
    auto argCount = [&](size_t lo, size_t hi) {
        if (args.size() < lo)
            fail(938, "not enough arguments for function", e.offset);
        if (args.size() > hi)
            fail(939, "too many arguments for function", e.offset);
    };
    auto offsetOf = [&](size_t i) { return i < e.args.size() ? e.args[i]->offset : e.offset; };
    auto text = [&](size_t i) { return converted(args[i], OraType::Varchar2, offsetOf(i)).sql; };
    auto fractionArg = [&](size_t i) -> int {
        if (args.size() <= i)
            return types::kDefaultFraction;
        const std::string& t = args[i].literalText.empty() ? args[i].sql : args[i].literalText;
        char* end = nullptr;
        const long v = std::strtol(t.c_str(), &end, 10);
        if (!end || *end || v < 0 || v > 9)
            fail(30088, "datetime/interval precision is out of range", offsetOf(i));
        return static_cast<int>(v);
    };
    BExpr out;
    for (const auto& a : args) {
        out.local = out.local || a.local;
        out.aggregate = out.aggregate || a.aggregate;
    }
    auto done = [&](std::string sql, ExprType t) {
        out.sql = std::move(sql);
        out.type = t;
        return std::optional<BExpr>(out);
    };
    const bool firstIsNew = !args.empty() && types::isNewDatetime(args[0].type.type);

    if (name == "CAST" && e.castType && args.size() == 1) {
        const sql::DataType& ct = *e.castType;
        ExprType to;
        if (ct.name == "TIMESTAMP") {
            const OraType t = ct.suffix.empty() ? OraType::Timestamp
                : ct.suffix == "WITH TIME ZONE"   ? OraType::TimestampTz
                                                  : OraType::TimestampLtz;
            to = types::timestampType(t, static_cast<int>(ct.size.value_or(types::kDefaultFraction)));
        } else if (ct.name == "INTERVAL YEAR TO MONTH") {
            to = types::intervalYM(static_cast<int>(ct.size.value_or(types::kDefaultLeading)));
        } else if (ct.name == "INTERVAL DAY TO SECOND") {
            to = types::intervalDS(static_cast<int>(ct.size.value_or(types::kDefaultLeading)),
                static_cast<int>(ct.scale.value_or(types::kDefaultFraction)));
        } else if (firstIsNew && ct.name == "DATE") {
            to = ExprType::date();
        } else if (firstIsNew && (ct.name == "VARCHAR2" || ct.name == "VARCHAR" || ct.name == "CHAR")) {
            BExpr v = datetimeConverted(args[0], ExprType::varchar2(), offsetOf(0), true);
            const int n = static_cast<int>(ct.size.value_or(ct.name == "CHAR" ? 1 : types::kMaxVarchar2));
            v.sql = "(CASE WHEN LENGTH(" + v.sql + ") > " + std::to_string(n)
                + " THEN ORA_RAISE_ERROR(25137, 'Data value out of range') ELSE " + v.sql + " END)";
            v.type = ct.name == "CHAR" ? ExprType::charType(n) : ExprType::varchar2(n);
            return v;
        } else if (firstIsNew) {
            fail(932, inconsistent(ExprType::number(), args[0].type), offsetOf(0));
        } else {
            return std::nullopt;
        }
        if ((to.type == OraType::TimestampTz || to.type == OraType::TimestampLtz) && args[0].type.isNull)
            return done("NULL", to);
        BExpr v = datetimeConverted(args[0], to, offsetOf(0), true);
        if (v.type.type != to.type || v.sql == args[0].sql) {
            // Same type: still rounded to the precision written.
            if (types::isNewDatetime(to.type) && !args[0].type.isNull && args[0].bindSlot < 0)
                v.sql = "ORA_DT_CONVERT(" + args[0].sql + ", " + kindOf(args[0].type) + ", " + kindOf(to) + ", "
                    + precisionArgs(to) + ")";
        }
        v.type = to;
        v.type.nullable = args[0].type.nullable || args[0].type.isNull;
        return v;
    }
    if (name == "TO_CHAR" && firstIsNew) {
        argCount(1, 3);
        const ExprType& t = args[0].type;
        std::string sql = "ORA_DT_TO_CHAR(" + args[0].sql + ", " + kindOf(t) + ", " + precisionArgs(t);
        if (args.size() > 1)
            sql += ", " + text(1);
        return done(sql + ")", ExprType::varchar2(types::isInterval(t.type) ? 30 : 75));
    }
    if (name == "EXTRACT" && e.fromForm) {
        argCount(1, 1);
        std::string field = e.keyword;
        for (char& c : field)
            c = c >= 'a' && c <= 'z' ? char(c - 32) : c;
        static const char* const fields[] = { "YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND", "TIMEZONE_HOUR",
            "TIMEZONE_MINUTE", "TIMEZONE_REGION", "TIMEZONE_ABBR" };
        bool known = false;
        for (const char* f : fields)
            known = known || field == f;
        if (!known)
            fail(907, "missing right parenthesis", e.offset);
        const ExprType& t = args[0].type;
        const bool zoneField = field.rfind("TIMEZONE_", 0) == 0;
        const bool timeField = field == "HOUR" || field == "MINUTE" || field == "SECOND";
        bool valid = true;
        if (t.type == OraType::Date)
            valid = !zoneField && !timeField;
        else if (t.type == OraType::Timestamp)
            valid = !zoneField;
        else if (t.type == OraType::IntervalYM)
            valid = field == "YEAR" || field == "MONTH";
        else if (t.type == OraType::IntervalDS)
            valid = field == "DAY" || timeField;
        else if (!types::isTimestamp(t.type) && !t.isNull)
            valid = false;
        if (!valid)
            fail(30076, "invalid extract field for extract source", e.offset);
        const bool textResult = field == "TIMEZONE_REGION" || field == "TIMEZONE_ABBR";
        if (t.isNull)
            return done("NULL", textResult ? ExprType::varchar2(64) : ExprType::number());
        return done("ORA_DT_EXTRACT(" + args[0].sql + ", " + kindOf(t) + ", '" + field + "')",
            textResult ? ExprType::varchar2(64) : ExprType::number());
    }
    if (name == "TO_TIMESTAMP" || name == "TO_TIMESTAMP_TZ") {
        argCount(1, 3);
        const ExprType to = types::timestampType(
            name == "TO_TIMESTAMP" ? OraType::Timestamp : OraType::TimestampTz, 9);
        if (args.size() > 2)
            fail(3001, "unimplemented feature: " + name + " with NLS parameters", offsetOf(2));
        if (args[0].type.isNull)
            return done("NULL", to);
        if (args[0].type.type == OraType::Date || types::isTimestamp(args[0].type.type)) {
            BExpr v = datetimeConverted(args[0], to, offsetOf(0), true);
            v.type = to;
            return v;
        }
        std::string sql = "ORA_TO_TIMESTAMP(" + text(0) + ", " + kindOf(to);
        if (args.size() > 1)
            sql += ", " + text(1);
        return done(sql + ")", to);
    }
    if (name == "TO_DSINTERVAL" || name == "TO_YMINTERVAL") {
        argCount(1, 2);
        if (args.size() > 1)
            fail(3001, "unimplemented feature: " + name + " with NLS parameters", offsetOf(1));
        const bool ds = name == "TO_DSINTERVAL";
        return done(std::string(ds ? "ORA_TO_DSINTERVAL(" : "ORA_TO_YMINTERVAL(") + text(0) + ")",
            ds ? types::intervalDS(9, 9) : types::intervalYM(9));
    }
    if (name == "NUMTODSINTERVAL" || name == "NUMTOYMINTERVAL") {
        argCount(2, 2);
        const bool ds = name == "NUMTODSINTERVAL";
        const std::string n = converted(args[0], OraType::Number, offsetOf(0)).sql;
        return done(std::string(ds ? "ORA_NUMTODSINTERVAL(" : "ORA_NUMTOYMINTERVAL(") + n + ", " + text(1) + ")",
            ds ? types::intervalDS(9, 9) : types::intervalYM(9));
    }
    if (name == "CURRENT_TIMESTAMP" || name == "LOCALTIMESTAMP") {
        argCount(0, 1);
        const int f = fractionArg(0);
        const bool zone = name == "CURRENT_TIMESTAMP";
        ExprType t = types::timestampType(zone ? OraType::TimestampTz : OraType::Timestamp, f);
        t.nullable = false;
        return done("ORA_CURRENT_TIMESTAMP(" + std::to_string(f) + ", " + (zone ? "1" : "0") + ")", t);
    }
    if (name == "SESSIONTIMEZONE" || name == "DBTIMEZONE") {
        argCount(0, 0);
        ExprType t = ExprType::varchar2(name == "DBTIMEZONE" ? 6 : 75);
        t.nullable = false;
        return done(name == "DBTIMEZONE" ? "'+00:00'" : "ORA_SESSIONTIMEZONE()", t);
    }
    if (name == "FROM_TZ") {
        argCount(2, 2);
        const ExprType& t = args[0].type;
        if (!t.isNull && t.type != OraType::Timestamp && !t.isBind)
            fail(932, inconsistent(types::timestampType(OraType::Timestamp), t), offsetOf(0));
        if (args[0].bindSlot >= 0)
            noteBind(args[0], types::timestampType(OraType::Timestamp, 9));
        return done("ORA_FROM_TZ(" + args[0].sql + ", " + text(1) + ")",
            types::timestampType(OraType::TimestampTz, t.isNull || t.isBind ? 9 : t.scale));
    }
    if (name == "SYS_EXTRACT_UTC") {
        argCount(1, 1);
        const ExprType& t = args[0].type;
        const int f = types::isTimestamp(t.type) ? t.scale : 9;
        const BExpr v = datetimeConverted(args[0], types::timestampType(OraType::TimestampTz, 9), offsetOf(0), false);
        return done("ORA_SYS_EXTRACT_UTC(" + v.sql + ")", types::timestampType(OraType::Timestamp, f));
    }
    return std::nullopt;
}

BExpr BinderImpl::systimestamp()
{
    BExpr r;
    r.sql = "ORA_SYSTIMESTAMP()";
    r.type = types::timestampType(OraType::TimestampTz, 6);
    r.type.nullable = false;
    return r;
}

BExpr BinderImpl::atTimeZone(const BExpr& value, const BExpr* zone, int offset)
{
    const ExprType& t = value.type;
    const int f = types::isTimestamp(t.type) ? t.scale : 9;
    if (!t.isNull && !t.isBind && t.type != OraType::Date && !types::isTimestamp(t.type))
        fail(932, inconsistent(types::timestampType(OraType::Timestamp), t), offset);
    const BExpr v = datetimeConverted(value, types::timestampType(OraType::TimestampTz, 9), offset, false);
    BExpr out;
    out.local = value.local || (zone && zone->local);
    out.aggregate = value.aggregate || (zone && zone->aggregate);
    out.sql = "ORA_AT_TIME_ZONE(" + v.sql
        + (zone ? ", " + converted(*zone, OraType::Varchar2, offset).sql : std::string()) + ")";
    out.type = types::timestampType(OraType::TimestampTz, f);
    out.type.nullable = t.nullable || t.isNull;
    return out;
}

} // namespace engine::bind::detail
