// Format models and texts built at random from the pieces Oracle's models are made of: whatever they hold, parsing
// and applying them either works or raises an Oracle error, never crashes (run under the sanitizers).
#include "engine/fn/dateformat.h"
#include "engine/fn/number.h"
#include "engine/fn/numberformat.h"
#include "engine/fn/oraerror.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string randomText(std::mt19937& rng, const std::vector<std::string>& pieces, int maxPieces)
{
    std::string s;
    int n = std::uniform_int_distribution<int>(0, maxPieces)(rng);
    for (int i = 0; i < n; ++i)
        s += pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(rng)];
    return s;
}

} // namespace

TEST(FnRobustness, RandomDateModelsAndTexts)
{
    const std::vector<std::string> modelPieces = { "YYYY", "YY", "RR", "RRRR", "Y,YYY", "MM", "MON", "Month", "DD",
        "DDD", "D", "DY", "Day", "HH", "HH24", "MI", "SS", "SSSSS", "AM", "p.m.", "J", "Q", "WW", "W", "IW", "CC", "FM",
        "FX", "TH", "SP", "SPTH", "RM", "IYYY", "I", "-", "/", " ", ":", ".", "\"x\"", "\"", "Z", "9", "č" };
    const std::vector<std::string> textPieces = { "2026", "05", "5", "12", "99", "0", "1", "31", "60", "MAR", "march",
        "Thu", "AM", "P.M.", "-", "/", " ", ":", "x", "2451545", "č", "th", "XII", "iv", "" };
    std::mt19937 rng(20260305);
    const engine::fn::DateTime now { 2026, 3, 5, 14, 7, 9 };
    int parsed = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string model = randomText(rng, modelPieces, 6);
        std::string text = randomText(rng, textPieces, 8);
        try {
            engine::fn::DateFormat f = engine::fn::DateFormat::parse(model);
            (void)f.format(now);
            engine::fn::DateTime d = f.parseDate(text, now);
            EXPECT_TRUE(d.year >= 1 && d.year <= 9999 && engine::fn::isValidDate(d.year, d.month, d.day))
                << model << " / " << text;
            ++parsed;
        } catch (const engine::fn::OraError& e) {
            EXPECT_EQ(e.message().rfind("ORA-", 0), 0u);
        }
    }
    EXPECT_GT(parsed, 0);
}

TEST(FnRobustness, RandomNumberModelsAndTexts)
{
    const std::vector<std::string> modelPieces = { "9", "0", ",", "G", ".", "D", "$", "L", "C", "S", "MI", "PR", "FM",
        "B", "V", "EEEE", "X", "x", "RN", "TM", "A" };
    const std::vector<std::string> textPieces
        = { "1", "0", "9", "-", "+", ".", ",", "$", "<", ">", "E", "e", " ", "F", "x" };
    const double values[] = { 0, 1, -1, 0.5, -0.5, 123456.789, -9.995, 1e20, -1e-20, 1e300, 255, 4000 };
    std::mt19937 rng(1722);
    for (int i = 0; i < 20000; ++i) {
        std::string model = randomText(rng, modelPieces, 7);
        std::string text = randomText(rng, textPieces, 8);
        try {
            engine::fn::NumberFormat f = engine::fn::NumberFormat::parse(model);
            for (double v : values)
                (void)f.format(engine::fn::NumberValue::ofReal(v));
            (void)f.format(engine::fn::NumberValue::ofInteger(INT64_MIN));
            (void)f.parseNumber(text);
        } catch (const engine::fn::OraError& e) {
            EXPECT_EQ(e.message().rfind("ORA-", 0), 0u);
        }
        try {
            (void)engine::fn::parseNumberText(text);
        } catch (const engine::fn::OraError& e) {
            EXPECT_EQ(e.message().rfind("ORA-", 0), 0u);
        }
    }
}
