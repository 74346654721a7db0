// Tokens of Oracle SQL: folding, literals, binds, operators, comments, byte offsets and the lexical errors
// Oracle reports (the message texts are Oracle's own).
#include "engine/sql/lexer.h"

#include <gtest/gtest.h>

#include <string>

using engine::sql::Token;
using engine::sql::tokenize;
using engine::sql::TokenKind;

namespace {

const char* kindName(TokenKind k)
{
    switch (k) {
    case TokenKind::End:
        return "End";
    case TokenKind::Identifier:
        return "Id";
    case TokenKind::QuotedIdentifier:
        return "QId";
    case TokenKind::Number:
        return "Num";
    case TokenKind::String:
        return "Str";
    case TokenKind::NationalString:
        return "NStr";
    case TokenKind::Bind:
        return "Bind";
    case TokenKind::Comment:
        return "Comment";
    case TokenKind::Error:
        return "Error";
    default:
        return "Op";
    }
}

// "Id:SELECT@0 Op:*@7 ..." without the End token
std::string render(const std::vector<Token>& tokens)
{
    std::string out;
    for (const Token& t : tokens) {
        if (t.kind == TokenKind::End)
            break;
        if (!out.empty())
            out += ' ';
        out += kindName(t.kind);
        out += ':';
        out += t.text;
        out += '@';
        out += std::to_string(t.offset);
    }
    return out;
}

struct TokenCase {
    const char* name;
    std::string sql;
    std::string expected;
};

TEST(Lexer, TokensWithTextAndByteOffsets)
{
    const TokenCase cases[] = {
        { "unquoted names fold to upper case, quoted keep their text", "select Abc from \"Mixed Case\"",
            "Id:SELECT@0 Id:ABC@7 Id:FROM@11 QId:Mixed Case@16" },
        { "$, # and _ inside names", "a$b x#1 c_d", "Id:A$B@0 Id:X#1@4 Id:C_D@8" },
        { "numbers: integers, decimals, leading dot, exponents", "1 1.5 .5 1e10 2.5E-3 1.",
            "Num:1@0 Num:1.5@2 Num:.5@6 Num:1e10@9 Num:2.5E-3@14 Num:1.@21" },
        { "a number directly followed by a word is two tokens (an alias)", "7x", "Num:7@0 Id:X@1" },
        { "an exponent needs digits, else the e starts a word", "1e", "Num:1@0 Id:E@1" },
        { "'' inside a text literal is one quote", "'it''s' ''", "Str:it's@0 Str:@8" },
        { "q-quoting with paired and single delimiters", "q'[a]b]' Q'{x}' q'!it's!'", "Str:a]b@0 Str:x@9 Str:it's@16" },
        { "national literals", "n'nat' NQ'<y>'", "NStr:nat@0 NStr:y@7" },
        { "binds by name, by number and quoted", ":name, :1, :\"Mixed\"",
            "Bind:NAME@0 Op:,@5 Bind:1@7 Op:,@9 Bind:Mixed@11" },
        { "two-character operators", "|| != <> ^= ~= <= >= => := ..",
            "Op:||@0 Op:!=@3 Op:<>@6 Op:^=@9 Op:~=@12 Op:<=@15 Op:>=@18 Op:=>@21 Op::=@24 Op:..@27" },
        { "the outer-join mark, blanks allowed inside", "a(+) = b( + )", "Id:A@0 Op:(+)@1 Op:=@5 Id:B@7 Op:(+)@8" },
        { "( + 1) is not an outer-join mark", "(+1)", "Op:(@0 Op:+@1 Num:1@2 Op:)@3" },
        { "single-character operators", "@%;/ *-+,.",
            "Op:@@0 Op:%@1 Op:;@2 Op:/@3 Op:*@5 Op:-@6 Op:+@7 Op:,@8 Op:.@9" },
        { "-- and /* start comments even without blanks", "a--b\n1/*c*/",
            "Id:A@0 Comment:--b@1 Num:1@5 Comment:/*c*/@6" },
        { "comments and hints are tokens of their own", "a -- c\n/* b */ /*+ FULL(t) */ b",
            "Id:A@0 Comment:-- c@2 Comment:/* b */@7 Comment:/*+ FULL(t) */@15 Id:B@30" },
        { "Oracle's block comments do not nest", "/* a /* b */ x", "Comment:/* a /* b */@0 Id:X@13" },
        { "offsets count bytes of UTF-8 text", "'\xC5\xBE' x", "Str:\xC5\xBE@0 Id:X@5" },
        { "national letters in names fold too", "\xC4\x8D\x61", "Id:\xC4\x8C\x41@0" },
        { "30 bytes is the longest name", "abcdefghijabcdefghijabcdefghij", "Id:ABCDEFGHIJABCDEFGHIJABCDEFGHIJ@0" },
    };
    for (const TokenCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto lexed = tokenize(c.sql);
        EXPECT_FALSE(lexed.error.has_value()) << lexed.error->message;
        EXPECT_EQ(render(lexed.tokens), c.expected);
        ASSERT_FALSE(lexed.tokens.empty());
        EXPECT_EQ(lexed.tokens.back().kind, TokenKind::End);
    }
}

TEST(Lexer, ReservedWordsAreMarked)
{
    auto lexed = tokenize("select name, rowid, level, user, mode from x");
    ASSERT_FALSE(lexed.error);
    std::string reserved;
    for (const Token& t : lexed.tokens) {
        if (t.kind == TokenKind::Identifier && t.reserved)
            reserved += t.text + ' ';
    }
    // NAME is a keyword Oracle does not reserve; the rest are reserved
    EXPECT_EQ(reserved, "SELECT ROWID LEVEL USER MODE FROM ");
}

TEST(Lexer, HintsAreFlagged)
{
    auto lexed = tokenize("/* plain */ /*+ hint */ -- line");
    ASSERT_EQ(lexed.tokens.size(), 4u);
    EXPECT_FALSE(lexed.tokens[0].hint);
    EXPECT_TRUE(lexed.tokens[1].hint);
    EXPECT_FALSE(lexed.tokens[2].hint);
}

struct LexErrorCase {
    const char* name;
    std::string sql;
    int code;
    int offset;
    const char* message;
};

TEST(Lexer, ErrorsAsOracleReportsThem)
{
    const std::string longName(31, 'a');
    std::string wideName; // 16 two-byte letters: 32 bytes
    for (int i = 0; i < 16; ++i)
        wideName += "\xC4\x8D";
    const LexErrorCase cases[] = {
        { "unterminated text literal", "select 'abc from dual", 1756, 7,
            "ORA-01756: quoted string not properly terminated" },
        { "unterminated q-quote", "q'[abc]", 1756, 0, "ORA-01756: quoted string not properly terminated" },
        { "q-quote with a blank delimiter", "q' x '", 1756, 0, "ORA-01756: quoted string not properly terminated" },
        { "unterminated national literal", "x n'abc", 1756, 2, "ORA-01756: quoted string not properly terminated" },
        { "unterminated quoted name", "select \"abc", 1740, 7, "ORA-01740: missing double quote in identifier" },
        { "empty quoted name", "select \"\" from t", 1741, 7, "ORA-01741: illegal zero-length identifier" },
        { "question mark", "a ? b", 911, 2, "ORA-00911: invalid character" },
        { "a name may not start with an underscore", "_a", 911, 0, "ORA-00911: invalid character" },
        { "a lone bar", "a | b", 911, 2, "ORA-00911: invalid character" },
        { "a lone colon", "a : b", 911, 2, "ORA-00911: invalid character" },
        { "unterminated comment", "a /* b", 1742, 2, "ORA-01742: comment not properly terminated" },
        { "31-byte name", "select " + longName, 972, 7, "ORA-00972: identifier is too long" },
        { "31-byte quoted name", "\"" + longName + "\"", 972, 0, "ORA-00972: identifier is too long" },
        { "31-byte bind name", "x = :" + longName, 972, 4, "ORA-00972: identifier is too long" },
        { "the limit counts bytes, not letters", "x " + wideName, 972, 2, "ORA-00972: identifier is too long" },
        { "malformed UTF-8 in a name", "select ab\xFF from t", 911, 9, "ORA-00911: invalid character" },
        { "a truncated UTF-8 sequence", "x \xC4", 911, 2, "ORA-00911: invalid character" },
        { "a non-letter character in a name (an ellipsis)",
            "a\xE2\x80\xA6"
            "b",
            911, 1, "ORA-00911: invalid character" },
        { "malformed UTF-8 in a bind name", ":b\x9A", 911, 2, "ORA-00911: invalid character" },
    };
    for (const LexErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto lexed = tokenize(c.sql);
        ASSERT_TRUE(lexed.error.has_value());
        EXPECT_EQ(lexed.error->code, c.code);
        EXPECT_EQ(lexed.error->offset, c.offset);
        EXPECT_EQ(lexed.error->message, c.message);
        // the scan stops there: an Error token marks the place, then End
        ASSERT_GE(lexed.tokens.size(), 2u);
        EXPECT_EQ(lexed.tokens[lexed.tokens.size() - 2].kind, TokenKind::Error);
        EXPECT_EQ(lexed.tokens[lexed.tokens.size() - 2].offset, c.offset);
    }
}

} // namespace
