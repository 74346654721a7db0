// Tokens of Oracle SQL as the lexer hands them to the parser, each with its byte span in the statement text.
#pragma once

#include <string>

namespace engine::sql {

enum class TokenKind {
    End, // end of text
    Identifier, // unquoted word: text folded to upper case (keywords are identifiers with reserved set when Oracle
                // reserves the word)
    QuotedIdentifier, // "exact": text without the quotes
    Number, // 12, 1.5, .5, 1e10, 2.5E-3: text as written
    String, // '...' or q'[...]': text is the value
    NationalString, // N'...' or NQ'...': text is the value
    Bind, // :name or :1: text is the name without colon (upper case unless quoted)
    Comment, // -- ... or /* ... */ ; hints (/*+ ... */) too: text is the whole comment
    // operators and punctuation
    LParen,
    RParen,
    Comma,
    Dot,
    Semicolon,
    Plus,
    Minus,
    Star,
    Slash,
    Concat, // ||
    Eq,
    Ne, // != <> ^= ~=
    Lt,
    Le,
    Gt,
    Ge,
    OuterJoin, // (+), blanks allowed inside
    Arrow, // =>
    Assign, // :=
    DotDot, // ..
    At, // @
    Percent, // %
    Error, // where a lexical error stopped the scan; the error itself is in LexResult::error
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    int offset = 0; // first byte
    int endOffset = 0; // one past the last byte
    bool reserved = false; // Identifier that is an Oracle reserved word
    bool hint = false; // Comment that is a hint (/*+ ... */)
    bool is(TokenKind k) const { return kind == k; }
    // true for an unquoted word with this (upper-case) text
    bool isWord(const char* word) const { return kind == TokenKind::Identifier && text == word; }
};

} // namespace engine::sql
