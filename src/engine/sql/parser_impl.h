// The recursive-descent parser behind parse(): token cursor, error reporting and the grammar routines, split over
// parser*.cpp by statement family. Internal to the SQL front end.
#pragma once

#include "engine/sql/ast.h"
#include "engine/sql/lexer.h"
#include "engine/sql/parser.h"

#include <initializer_list>
#include <string_view>

namespace engine::sql::detail {

// Thrown inside the parser only; parse() turns it into a ParseResult.
struct Failure {
    ParseError error;
};

// Nesting of parentheses, subqueries and prefix operators the parser follows before it refuses the statement;
// it keeps the parser's own stack use bounded on any input.
constexpr int MaxNesting = 200;

class Parser {
public:
    Parser(std::string_view sql, LexResult lexed);
    StatementPtr parseStatement();

    // --- token cursor (parser.cpp)
    const Token& cur() const { return toks[pos]; }
    const Token& peek(size_t ahead = 1) const;
    const Token& advance();
    bool at(TokenKind k) const { return cur().kind == k; }
    bool atWord(const char* word) const { return cur().isWord(word); }
    bool atWordSeq(std::initializer_list<const char*> words) const;
    bool accept(TokenKind k);
    bool acceptWord(const char* word);
    void expect(TokenKind k, int code);
    void expectWord(const char* word, int code);
    int prevEnd() const { return pos > 0 ? toks[pos - 1].endOffset : 0; }
    bool atEnd() const { return at(TokenKind::End); }
    bool atNameToken() const; // an identifier that may stand for a name (unreserved or quoted)
    [[noreturn]] void fail(int code, int offset, std::string_view name = {}) const;
    [[noreturn]] void failHere(int code) const { fail(code, cur().offset); }
    std::string textBetween(int begin, int end) const;

    // --- names (parser.cpp)
    Identifier parseIdentifier(int code); // a name; reserved or missing -> code
    std::optional<Identifier> parseOptionalAlias(bool tableAlias);
    ObjectName parseObjectName(int code, bool allowDblink = true);
    std::vector<Identifier> parseIdentifierList(int code); // ( a, b, c ) with the parentheses

    // --- expressions (parser_expr.cpp)
    ExprPtr parseExpr(); // a value expression, no conditions
    ExprPtr parseCondition(); // a condition (WHERE, ON, HAVING, CHECK ...)
    ExprPtr parseOr();
    ExprPtr parseAnd();
    ExprPtr parseNot();
    ExprPtr parsePredicate();
    ExprPtr parseAdditive();
    ExprPtr parseMultiplicative();
    ExprPtr parseUnary();
    ExprPtr parsePrimary();
    // TIMESTAMP '...' and INTERVAL '...' qualifier (parser_datetime.cpp).
    ExprPtr parseDatetimeLiteral();
    // expr AT TIME ZONE zone | expr AT LOCAL after an operand.
    ExprPtr parseAtTimeZone(ExprPtr operand, int begin);
    ExprPtr parseParenthesized();
    ExprPtr parseNameExpr();
    ExprPtr parseFunctionArgs(std::unique_ptr<FunctionCallExpr> call);
    ExprPtr parseCase();
    std::unique_ptr<Query> parseSubqueryInParens(); // ( query ) with the parentheses
    std::vector<ExprPtr> parseExprListInParens(bool conditionsAllowed);
    static bool isCondition(const Expr& e);
    ExprPtr finish(ExprPtr e, int begin); // offsets, height
    void noteHeight(int h, int offset);

    // --- queries (parser_query.cpp)
    std::unique_ptr<Query> parseQuery(); // full query: set operations, ORDER BY, FOR UPDATE
    std::unique_ptr<Query> continueQuery(std::unique_ptr<Query> first); // after a parenthesised first operand
    QueryBodyPtr parseQueryTerm();
    QueryBodyPtr parseSetOperations(QueryBodyPtr left);
    std::unique_ptr<QueryBlock> parseQueryBlock();
    SelectItem parseSelectItem();
    TableRefPtr parseFromItem();
    TableRefPtr parseTableFactor();
    void parseOrderBy(Query& q);
    std::vector<OrderItem> parseOrderItems(); // expr [ASC|DESC] [NULLS FIRST|LAST], ...
    void parseQueryTail(Query& q); // ORDER BY, OFFSET / FETCH, FOR UPDATE
    void parseWith(Query& q);
    void parseRowLimit(Query& q);
    void parseGroupBy(QueryBlock& b);
    GroupingElement parseGroupingElement(bool inSets);
    bool atGroupingConstruct() const;
    void refuseConversionDefault() const; // DEFAULT ... ON CONVERSION ERROR in a conversion: ORA-03001
    void refuseRowPattern() const; // MATCH_RECOGNIZE after a row source: ORA-03001 naming it
    TableRefPtr parsePivot(TableRefPtr source); // at PIVOT or UNPIVOT
    void parseOver(FunctionCallExpr& call);
    void parseNullsTreatment(FunctionCallExpr& call);
    void parseForUpdate(Query& q);
    bool atQueryStart() const; // SELECT, WITH, or '(' leading to one
    bool atSetOperator() const;

    // --- DML and transaction control (parser_dml.cpp)
    StatementPtr parseSelectStatement();
    StatementPtr parseInsert();
    StatementPtr parseUpdate();
    StatementPtr parseDelete();
    std::optional<Returning> parseReturning();
    // --- MERGE and the multitable INSERT (parser_merge.cpp)
    StatementPtr parseMerge();
    StatementPtr parseMultiInsert(int offset); // at ALL or FIRST
    std::string parseConditionText(ExprPtr* parsed); // a condition, returned as the text written
    StatementPtr parseAlterRollbackSegment(int offset); // after ALTER, at ROLLBACK (parser_rollback_segment.cpp)
    StatementPtr parseLockTable();
    StatementPtr parseTruncate();
    StatementPtr parseCommit();
    StatementPtr parseRollback();
    StatementPtr parseSavepoint();
    StatementPtr parseSet();
    StatementPtr parseComment();
    StatementPtr parseRename();
    StatementPtr parsePlSql(PlSqlStmt::Unit unit, bool orReplace, bool named);

    // --- EXPLAIN PLAN (parser_explain.cpp)
    StatementPtr parseExplainPlan();

    // --- ANALYZE (parser_analyze.cpp)
    StatementPtr parseAnalyze();

    // --- DDL (parser_ddl.cpp)
    StatementPtr parseCreate();
    StatementPtr parseAlter();
    StatementPtr parseDrop();
    StatementPtr parseGrant();
    StatementPtr parseRevoke();
    StatementPtr parseCreateTable(bool globalTemporary);
    ColumnDef parseColumnDef(bool forModify);
    DataType parseDataType();
    bool atConstraintStart() const;
    Constraint parseOutOfLineConstraint();
    void parseInlineConstraints(ColumnDef& col);
    void parseGeneratedColumn(ColumnDef& col);
    void parseConstraintState(Constraint& c);
    void parseReferences(Constraint& c);
    std::string skipPhysicalClauses(std::initializer_list<const char*> stopWords);
    StatementPtr parseAlterTable();
    StatementPtr parseCreateIndex(bool unique, bool bitmap);
    StatementPtr parseAlterIndex();
    void parseSequenceOptions(SequenceOptions& o, bool alter);
    StatementPtr parseCreateView(bool orReplace, bool force);
    StatementPtr parseCreateSynonym(bool orReplace, bool isPublic);
    StatementPtr parseCreateUser();
    StatementPtr parseCreateDatabaseLink(bool isPublic, int begin); // after DATABASE LINK (parser_link.cpp)
    StatementPtr parseAlterUser();
    void parseUserOptions(UserOptions& o, bool alter);
    StatementPtr parseAlterSession();
    StatementPtr parseAlterSystem(); // parser_system.cpp
    std::vector<Privilege> parsePrivileges();
    std::vector<Identifier> parseGrantees(int code);
    std::string parseSignedNumber(int code);

    std::string_view sql;
    std::vector<Token> toks; // comments removed; hints remembered in hints
    std::vector<std::string> hintAfter; // per token index: the hint comment right after it (for SELECT etc.)
    std::optional<ParseError> lexError;
    size_t pos = 0;
    int nesting = 0;
    int queryHeight = 0; // highest expression finished in the query being parsed
    bool conditionParens = false; // a '(' may open a condition here
};

// Raises the nesting count for a scope; refuses the statement past MaxNesting.
class NestingGuard {
public:
    NestingGuard(Parser& p, int offset);
    ~NestingGuard() { --p.nesting; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    Parser& p;
};

// Sets Parser::conditionParens for a scope.
class ConditionScope {
public:
    ConditionScope(Parser& p, bool allowed)
        : p(p)
        , saved(p.conditionParens)
    {
        p.conditionParens = allowed;
    }
    ~ConditionScope() { p.conditionParens = saved; }
    ConditionScope(const ConditionScope&) = delete;
    ConditionScope& operator=(const ConditionScope&) = delete;

private:
    Parser& p;
    bool saved;
};

} // namespace engine::sql::detail
