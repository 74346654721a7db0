// Syntax tree of one Oracle SQL statement, as the parser produces it and the binder reads it.
//
// Conventions, kept stable for every stage that reads the tree:
// - Shape: a class hierarchy. `Expr`, `TableRef`, `QueryBody` and `Statement` are base classes carrying a kind
//   enum; `node.as<T>()` casts to the concrete type (T::Kind names the kind it stands for; a mismatch yields
//   nullptr). Everything is a struct with public fields: the tree is data, not behaviour.
// - Ownership: a parent owns its children through std::unique_ptr (or values, for small parts such as names).
//   The tree does not point into the statement text: all texts are copied out, so it outlives the text.
// - Offsets: `offset` is the byte offset, in the statement text given to parse(), of the node's first token
//   (where Oracle reports an error about the node: ORA-00942 at a table name, ORA-00904 at a column). Nodes that
//   span text also carry `endOffset`, one past the last byte of their last token, so that text can be cut out
//   (a view's query, a CHECK condition, a DEFAULT expression, an expression's column heading). -1 means "none".
// - Names: an unquoted identifier is folded to upper case; a quoted one keeps its exact text (without quotes) and
//   has `quoted` set. Keywords in the tree (type names, privileges, options) are upper case.
// - Bind variables are named without the colon, upper-cased (":name" -> "NAME", ":1" -> "1").
// - Numbers and other literal values keep the text as written (the binder chooses their representation).
// - Optional parts are empty unique_ptrs, empty vectors or std::nullopt.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace engine::sql {

// No expression, query or join tree the parser returns is higher than this (ORA-03095 beyond it).
constexpr int MaxTreeHeight = 1000;

struct Identifier {
    std::string name; // folded to upper case unless quoted
    bool quoted = false;
    int offset = -1;
    bool empty() const { return name.empty(); }
};

// A name of a schema object: [schema.]name[@dblink]. The database link is kept as written (dotted parts joined
// by '.', each folded like an identifier) for a later stage to resolve.
struct ObjectName {
    std::optional<Identifier> schema;
    Identifier name;
    std::optional<Identifier> dblink;
    int offset = -1;
};

template <typename Base> struct KindedNode {
    template <typename T> T* as()
    {
        return static_cast<Base*>(this)->kind == T::Kind ? static_cast<T*>(this) : nullptr;
    }
    template <typename T> const T* as() const
    {
        return static_cast<const Base*>(this)->kind == T::Kind ? static_cast<const T*>(this) : nullptr;
    }
};

struct Query;

// A column or CAST target type as written.
struct DataType {
    std::string name; // upper case, multi-word types joined by one blank: "NUMBER", "VARCHAR2", "LONG RAW",
                      // "TIMESTAMP", "DOUBLE PRECISION"; synonyms are kept as written (INTEGER, INT, DEC ...)
    std::optional<int64_t> size; // VARCHAR2(n), CHAR(n), RAW(n), NUMBER(p), FLOAT(p), TIMESTAMP(fsp)
    std::optional<int64_t> scale; // NUMBER(p, s)
    bool starPrecision = false; // NUMBER(*, s)
    enum class Semantics { Default, Byte, Char };
    Semantics semantics = Semantics::Default; // VARCHAR2(n BYTE|CHAR)
    std::string suffix; // anything after the parenthesis that belongs to the type ("WITH TIME ZONE"), else empty
    int offset = -1;
    int endOffset = -1;
};

// ---------------------------------------------------------------------------------------------------------------
// Expressions

enum class ExprKind {
    Literal,
    Bind,
    ColumnRef,
    PseudoColumn,
    SequenceRef,
    FunctionCall,
    Case,
    Unary,
    Binary,
    Comparison,
    QuantifiedComparison,
    InList,
    InSubquery,
    Exists,
    Between,
    Like,
    IsNull,
    Subquery,
    Tuple,
};

struct Expr : KindedNode<Expr> {
    explicit Expr(ExprKind k)
        : kind(k)
    {
    }
    virtual ~Expr() = default;
    ExprKind kind;
    int offset = -1;
    int endOffset = -1;
    // Height of this subtree, subqueries included (a leaf is 1). The parser refuses trees higher than
    // engine::sql::MaxTreeHeight, so later stages may recurse over the tree without guarding the stack.
    int height = 1;
};

using ExprPtr = std::unique_ptr<Expr>;

// `x AT TIME ZONE zone` and `x AT LOCAL` are held as a call of this name (quoted, so no call written as a name
// reaches it) with x and the zone as arguments.
inline constexpr const char* kAtTimeZoneName = "AT TIME ZONE";

struct LiteralExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::Literal;
    enum class Type { Number, Text, NationalText, Null, Date, Timestamp, Interval };
    LiteralExpr()
        : Expr(Kind)
    {
    }
    Type type = Type::Null;
    // Number: the digits as written ("1.5E3"); Text/NationalText: the value with quoting removed ('' -> ', q'[..]'
    // unwrapped; an empty text is Oracle's NULL but stays Text here); Date, Timestamp, Interval: the quoted text.
    std::string text;
    // INTERVAL '...' from [(leading [, fraction])] [TO to [(fraction)]]: the fields as written (YEAR ... SECOND).
    std::string intervalFrom;
    std::string intervalTo;
    std::optional<int64_t> leading;
    std::optional<int64_t> fraction;
};

struct BindExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::Bind;
    BindExpr()
        : Expr(Kind)
    {
    }
    std::string name; // without colon, upper case unless written quoted
};

// [[schema.]table.]column, with Oracle's (+) outer-join mark when written after it.
struct ColumnRefExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::ColumnRef;
    ColumnRefExpr()
        : Expr(Kind)
    {
    }
    std::vector<Identifier> parts; // 1 to 3 parts, the column last
    bool outerJoin = false;
    const Identifier& column() const { return parts.back(); }
};

// ROWNUM, ROWID (also t.ROWID), LEVEL, SYSDATE, SYSTIMESTAMP, USER, UID.
struct PseudoColumnExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::PseudoColumn;
    enum class Which { Rownum, Rowid, Level, Sysdate, Systimestamp, User, Uid };
    PseudoColumnExpr()
        : Expr(Kind)
    {
    }
    Which which = Which::Rownum;
    std::vector<Identifier> qualifier; // t or schema.t before .ROWID; empty otherwise
    bool outerJoin = false;
};

// [schema.]sequence.NEXTVAL / CURRVAL, optionally @dblink after the sequence name.
struct SequenceRefExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::SequenceRef;
    SequenceRefExpr()
        : Expr(Kind)
    {
    }
    ObjectName sequence;
    bool nextVal = true;
};

struct OrderItem {
    ExprPtr expr; // a number literal here is a position, a lone column reference may name a select alias
    bool descending = false;
    std::optional<bool> nullsFirst; // unset: Oracle's default (NULLS LAST ascending, NULLS FIRST descending)
    int offset = -1;
};

// ROWS | RANGE { BETWEEN start AND end | start } of an analytic function's window.
struct WindowFrame {
    enum class Unit { Rows, Range };
    enum class BoundType { UnboundedPreceding, Preceding, CurrentRow, Following, UnboundedFollowing };
    struct Bound {
        BoundType type = BoundType::CurrentRow;
        ExprPtr offset; // Preceding, Following: the value expression
        int position = -1; // offset of the bound's first token
    };
    Unit unit = Unit::Rows;
    Bound start;
    std::optional<Bound> end; // unset: the short form, which ends at CURRENT ROW
    int offset = -1;
};

// OVER ( [PARTITION BY ...] [ORDER BY ... [window]] ).
struct OverClause {
    std::vector<ExprPtr> partitionBy;
    std::vector<OrderItem> orderBy;
    std::optional<WindowFrame> frame;
    int offset = -1;
};

// KEEP (DENSE_RANK FIRST | LAST ORDER BY ...) of an aggregate.
struct KeepClause {
    bool last = false;
    std::vector<OrderItem> orderBy;
    int offset = -1;
};

// LISTAGG's ON OVERFLOW clause: ERROR (the default) or TRUNCATE ['indicator'] [WITH | WITHOUT COUNT].
struct ListaggOverflow {
    bool truncate = false;
    ExprPtr indicator; // TRUNCATE 'text'; unset: '...'
    bool withCount = true;
};

// name(args), [schema.][package.]name(args), aggregates, COUNT(*), DECODE, and function names written without
// parentheses that are not pseudo columns are column references, never calls.
struct FunctionCallExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::FunctionCall;
    enum class Quantifier { None, Distinct, All };
    FunctionCallExpr()
        : Expr(Kind)
    {
    }
    std::vector<Identifier> name; // 1 to 3 parts, the function last
    std::optional<Identifier> dblink;
    Quantifier quantifier = Quantifier::None; // DISTINCT/UNIQUE -> Distinct
    bool star = false; // COUNT(*)
    std::vector<ExprPtr> args;
    std::vector<Identifier> argNames; // same length as args when any argument is named (name => value); else empty
    // Calls with keyword syntax inside the parentheses:
    //   TRIM([LEADING|TRAILING|BOTH] [c] FROM s): keyword is the mode ("" when not written), fromForm is set,
    //       args are {c, s} or {s};  TRIM(s) is a plain call.
    //   EXTRACT(YEAR FROM d): keyword "YEAR", fromForm set, args {d}.
    //   CAST(x AS type): args {x}, castType set.
    std::string keyword;
    bool fromForm = false;
    std::optional<DataType> castType;
    // Aggregate and analytic forms:
    //   ... WITHIN GROUP (ORDER BY ...): withinGroup set (LISTAGG, PERCENTILE_CONT ...), its keys in order;
    //   ... KEEP (DENSE_RANK FIRST | LAST ORDER BY ...): keep;
    //   ... OVER (...): over, the analytic form of an aggregate or a window function;
    //   IGNORE NULLS | RESPECT NULLS, inside the parentheses after the first argument or after them;
    //   NTH_VALUE (...) FROM FIRST | FROM LAST; LISTAGG's ON OVERFLOW.
    bool withinGroup = false;
    std::vector<OrderItem> withinOrder;
    std::optional<KeepClause> keep;
    std::unique_ptr<OverClause> over;
    std::optional<bool> ignoreNulls;
    bool fromLast = false;
    std::optional<ListaggOverflow> overflow;
    const Identifier& functionName() const { return name.back(); }
};

inline bool isAtTimeZone(const FunctionCallExpr& f)
{
    return f.name.size() == 1 && f.name[0].quoted && f.name[0].name == kAtTimeZoneName;
}

struct CaseWhen {
    ExprPtr when; // the compared value (simple CASE) or the condition (searched CASE)
    ExprPtr then;
};

struct CaseExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::Case;
    CaseExpr()
        : Expr(Kind)
    {
    }
    ExprPtr operand; // set for a simple CASE
    std::vector<CaseWhen> whens;
    ExprPtr elseExpr;
};

struct UnaryExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::Unary;
    enum class Op { Minus, Plus, Not, Prior, ConnectByRoot };
    UnaryExpr()
        : Expr(Kind)
    {
    }
    Op op = Op::Minus;
    ExprPtr operand;
};

struct BinaryExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::Binary;
    enum class Op { Add, Subtract, Multiply, Divide, Concat, And, Or };
    BinaryExpr()
        : Expr(Kind)
    {
    }
    Op op = Op::Add;
    ExprPtr left;
    ExprPtr right;
};

enum class CompareOp { Eq, Ne, Lt, Le, Gt, Ge };

struct ComparisonExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::Comparison;
    ComparisonExpr()
        : Expr(Kind)
    {
    }
    CompareOp op = CompareOp::Eq;
    ExprPtr left; // may be a TupleExpr: (a, b) = (select ...)
    ExprPtr right;
};

// x op ANY|SOME|ALL (list) or x op ANY|ALL (subquery).
struct QuantifiedComparisonExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::QuantifiedComparison;
    enum class Quantifier { Any, All };
    QuantifiedComparisonExpr()
        : Expr(Kind)
    {
    }
    CompareOp op = CompareOp::Eq;
    Quantifier quantifier = Quantifier::Any; // SOME -> Any
    ExprPtr left;
    std::vector<ExprPtr> list; // when no subquery
    std::unique_ptr<Query> subquery;
};

// x [NOT] IN (a, b, ...); (x, y) [NOT] IN ((1, 2), (3, 4)).
struct InListExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::InList;
    InListExpr()
        : Expr(Kind)
    {
    }
    bool negated = false;
    ExprPtr left;
    std::vector<ExprPtr> list;
};

struct InSubqueryExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::InSubquery;
    InSubqueryExpr()
        : Expr(Kind)
    {
    }
    bool negated = false;
    ExprPtr left; // may be a TupleExpr
    std::unique_ptr<Query> subquery;
};

// EXISTS (subquery); NOT EXISTS is a Unary Not over it.
struct ExistsExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::Exists;
    ExistsExpr()
        : Expr(Kind)
    {
    }
    std::unique_ptr<Query> subquery;
};

struct BetweenExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::Between;
    BetweenExpr()
        : Expr(Kind)
    {
    }
    bool negated = false;
    ExprPtr value;
    ExprPtr low;
    ExprPtr high;
};

struct LikeExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::Like;
    LikeExpr()
        : Expr(Kind)
    {
    }
    bool negated = false;
    ExprPtr value;
    ExprPtr pattern;
    ExprPtr escape;
};

struct IsNullExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::IsNull;
    IsNullExpr()
        : Expr(Kind)
    {
    }
    bool negated = false; // IS NOT NULL
    ExprPtr value;
};

// A scalar subquery: (select ...).
struct SubqueryExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::Subquery;
    SubqueryExpr()
        : Expr(Kind)
    {
    }
    std::unique_ptr<Query> query;
};

// (a, b, ...): the left side of a multi-column IN or comparison, or one row of an IN list.
struct TupleExpr : Expr {
    static constexpr ExprKind Kind = ExprKind::Tuple;
    TupleExpr()
        : Expr(Kind)
    {
    }
    std::vector<ExprPtr> items;
};

// ---------------------------------------------------------------------------------------------------------------
// Queries

struct SelectItem {
    enum class Type { Expr, Star, QualifiedStar };
    Type type = Type::Expr;
    ExprPtr expr; // Type::Expr
    std::vector<Identifier> qualifier; // Type::QualifiedStar: t or schema.t before .*
    std::optional<Identifier> alias; // with or without AS
    int offset = -1;
    int endOffset = -1; // end of the expression, before the alias: the heading text is [offset, endOffset)
};

enum class TableRefKind { Table, InlineView, Join, Pivot, Unpivot, Collection };

struct TableRef : KindedNode<TableRef> {
    explicit TableRef(TableRefKind k)
        : kind(k)
    {
    }
    virtual ~TableRef() = default;
    TableRefKind kind;
    int offset = -1;
};

using TableRefPtr = std::unique_ptr<TableRef>;

struct TableName : TableRef {
    static constexpr TableRefKind Kind = TableRefKind::Table;
    TableName()
        : TableRef(Kind)
    {
    }
    ObjectName name;
    std::optional<Identifier> alias;
};

// TABLE(collection expression) [alias]: the rows of a collection (a PL/SQL variable, a function's result).
struct CollectionRef : TableRef {
    static constexpr TableRefKind Kind = TableRefKind::Collection;
    CollectionRef()
        : TableRef(Kind)
    {
    }
    ExprPtr collection;
    std::optional<Identifier> alias;
};

struct InlineView : TableRef {
    static constexpr TableRefKind Kind = TableRefKind::InlineView;
    InlineView()
        : TableRef(Kind)
    {
    }
    std::unique_ptr<Query> query;
    std::optional<Identifier> alias;
};

struct JoinRef : TableRef {
    static constexpr TableRefKind Kind = TableRefKind::Join;
    enum class Type { Inner, Left, Right, Full, Cross };
    JoinRef()
        : TableRef(Kind)
    {
    }
    Type type = Type::Inner;
    bool natural = false; // NATURAL [INNER | LEFT | RIGHT | FULL] JOIN: no ON, no USING
    TableRefPtr left;
    TableRefPtr right;
    ExprPtr on; // ON condition
    std::vector<Identifier> usingColumns; // USING (cols)
};

// source PIVOT ( agg(x) [AS a], ... FOR col | (cols) IN (value [AS a], (values) [AS a], ...) ) [alias].
struct PivotRef : TableRef {
    static constexpr TableRefKind Kind = TableRefKind::Pivot;
    PivotRef()
        : TableRef(Kind)
    {
    }
    struct Aggregate {
        ExprPtr call; // a FunctionCallExpr
        std::optional<Identifier> alias;
    };
    struct Value {
        std::vector<ExprPtr> values; // one per FOR column
        std::optional<Identifier> alias;
        int offset = -1;
        int endOffset = -1;
    };
    TableRefPtr source;
    std::vector<Aggregate> aggregates;
    std::vector<Identifier> forColumns;
    std::vector<Value> in;
    std::optional<Identifier> alias;
};

// source UNPIVOT [INCLUDE | EXCLUDE NULLS] ( value | (values) FOR name | (names) IN (col [AS lit], (cols) [AS
// (lits)], ...) ) [alias].
struct UnpivotRef : TableRef {
    static constexpr TableRefKind Kind = TableRefKind::Unpivot;
    UnpivotRef()
        : TableRef(Kind)
    {
    }
    struct Item {
        std::vector<Identifier> columns; // one per value column
        std::vector<ExprPtr> labels; // AS literal(s): one per name column, or empty
        int offset = -1;
    };
    TableRefPtr source;
    bool includeNulls = false;
    std::vector<Identifier> valueColumns;
    std::vector<Identifier> forColumns;
    std::vector<Item> in;
    std::optional<Identifier> alias;
};

enum class QueryBodyKind { Block, SetOperation, Nested };

struct QueryBody : KindedNode<QueryBody> {
    explicit QueryBody(QueryBodyKind k)
        : kind(k)
    {
    }
    virtual ~QueryBody() = default;
    QueryBodyKind kind;
    int offset = -1;
    int endOffset = -1;
};

using QueryBodyPtr = std::unique_ptr<QueryBody>;

// One element of GROUP BY when grouping sets are used: an expression (a TupleExpr for a composite column),
// ROLLUP (...), CUBE (...), GROUPING SETS (...) or the empty set ().
struct GroupingElement {
    enum class Type { Expr, Rollup, Cube, Sets, Empty };
    Type type = Type::Expr;
    ExprPtr expr; // Expr
    std::vector<ExprPtr> items; // Rollup, Cube: expressions or TupleExprs
    std::vector<GroupingElement> sets; // Sets
    int offset = -1;
};

// One SELECT ... FROM ... [WHERE] [hierarchy] [GROUP BY] [HAVING].
struct QueryBlock : QueryBody {
    static constexpr QueryBodyKind Kind = QueryBodyKind::Block;
    QueryBlock()
        : QueryBody(Kind)
    {
    }
    bool distinct = false; // DISTINCT or UNIQUE; ALL is the default
    std::string hint; // text of a /*+ ... */ hint right after SELECT, without the comment marks; kept only
    std::vector<SelectItem> items;
    std::vector<TableRefPtr> from; // comma-separated items; ANSI joins nest inside one item
    ExprPtr where;
    ExprPtr startWith;
    ExprPtr connectBy;
    bool nocycle = false;
    std::vector<ExprPtr> groupBy; // plain expressions, when no element below is used
    std::vector<GroupingElement> groupingSets; // every element, when ROLLUP, CUBE, GROUPING SETS or () is used
    ExprPtr having;
    bool grouped() const { return !groupBy.empty() || !groupingSets.empty(); }
};

// UNION [ALL], INTERSECT, MINUS; parentheses around operands are reflected in the nesting only.
struct SetOperation : QueryBody {
    static constexpr QueryBodyKind Kind = QueryBodyKind::SetOperation;
    enum class Op { Union, UnionAll, Intersect, Minus };
    SetOperation()
        : QueryBody(Kind)
    {
    }
    Op op = Op::Union;
    QueryBodyPtr left;
    QueryBodyPtr right;
};

// OFFSET n ROWS and FETCH FIRST | NEXT [n [PERCENT]] ROWS ONLY | WITH TIES.
struct RowLimit {
    ExprPtr offsetRows; // unset: no OFFSET
    bool fetch = false; // FETCH written
    ExprPtr fetchCount; // unset with fetch: one row
    bool percent = false;
    bool withTies = false;
    int offset = -1;
};

// SEARCH DEPTH | BREADTH FIRST BY ... SET column of a recursive WITH element.
struct SearchClause {
    bool depthFirst = true;
    std::vector<OrderItem> by;
    Identifier setColumn;
    int offset = -1;
};

// CYCLE columns SET column TO value DEFAULT value of a recursive WITH element.
struct CycleClause {
    std::vector<Identifier> columns;
    Identifier setColumn;
    ExprPtr cycleValue;
    ExprPtr noCycleValue;
    int offset = -1;
};

// One query name of WITH: name [(columns)] AS (query) [SEARCH ...] [CYCLE ...].
struct WithItem {
    Identifier name;
    std::vector<Identifier> columns;
    std::unique_ptr<Query> query;
    std::optional<SearchClause> search;
    std::optional<CycleClause> cycle;
    int offset = -1;
};

struct ForUpdate {
    std::vector<ExprPtr> columns; // OF t.col, ... (ColumnRefExpr)
    bool nowait = false;
    std::optional<int64_t> wait; // WAIT n
    bool skipLocked = false;
    int offset = -1;
};

// A whole query: WITH, set operations of blocks, then ORDER [SIBLINGS] BY, OFFSET / FETCH and FOR UPDATE.
struct Query {
    std::vector<WithItem> with;
    QueryBodyPtr body;
    std::vector<OrderItem> orderBy;
    bool orderSiblings = false;
    std::optional<RowLimit> rowLimit;
    std::optional<ForUpdate> forUpdate;
    int offset = -1;
    int endOffset = -1;
    int height = 1; // as Expr::height, for everything the query holds
};

// A parenthesised operand of a set operation that is a whole query of its own (it has WITH or a row limit).
struct NestedQuery : QueryBody {
    static constexpr QueryBodyKind Kind = QueryBodyKind::Nested;
    NestedQuery()
        : QueryBody(Kind)
    {
    }
    std::unique_ptr<Query> query;
};

// ---------------------------------------------------------------------------------------------------------------
// Statements

enum class StatementKind {
    Select,
    Insert,
    Update,
    Delete,
    LockTable,
    Truncate,
    Commit,
    Rollback,
    Savepoint,
    SetTransaction,
    AlterSession,
    CreateTable,
    AlterTable,
    DropTable,
    CreateIndex,
    DropIndex,
    AlterIndex,
    CreateSequence,
    AlterSequence,
    DropSequence,
    CreateView,
    DropView,
    CreateSynonym,
    DropSynonym,
    Comment,
    CreateUser,
    AlterUser,
    DropUser,
    Grant,
    Revoke,
    CreateRole,
    DropRole,
    Rename,
    PlSql,
    DropObject,
    CreateDatabaseLink,
    AlterSystem,
    ExplainPlan,
    AlterCode,
    Analyze,
    Merge,
    MultiInsert,
    AlterRollbackSegment,
};

struct Statement : KindedNode<Statement> {
    explicit Statement(StatementKind k)
        : kind(k)
    {
    }
    virtual ~Statement() = default;
    StatementKind kind;
    int offset = -1; // first token
    int endOffset = -1; // end of the last token (trailing blanks and comments excluded)
};

using StatementPtr = std::unique_ptr<Statement>;

struct SelectStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Select;
    SelectStmt()
        : Statement(Kind)
    {
    }
    std::unique_ptr<Query> query;
};

struct Returning {
    std::vector<ExprPtr> exprs;
    std::vector<std::unique_ptr<BindExpr>> into;
    int offset = -1;
};

struct InsertStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Insert;
    InsertStmt()
        : Statement(Kind)
    {
    }
    ObjectName table;
    std::optional<Identifier> alias;
    std::vector<Identifier> columns;
    std::vector<ExprPtr> values; // VALUES (...); an item may be DEFAULT: a ColumnRefExpr is never DEFAULT, see below
    std::vector<bool> valueIsDefault; // same length as values; true where DEFAULT was written (values[i] is null)
    std::unique_ptr<Query> query; // INSERT ... SELECT
    std::optional<Returning> returning;
};

struct SetClause {
    std::vector<Identifier> columns; // one column, or (cols) = (subquery)
    ExprPtr value; // expression, or a SubqueryExpr for the column-list form; null when DEFAULT
    bool isDefault = false;
    int offset = -1;
};

struct UpdateStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Update;
    UpdateStmt()
        : Statement(Kind)
    {
    }
    ObjectName table;
    std::optional<Identifier> alias;
    std::vector<SetClause> sets;
    ExprPtr where;
    std::optional<Returning> returning;
};

struct DeleteStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Delete;
    DeleteStmt()
        : Statement(Kind)
    {
    }
    ObjectName table;
    std::optional<Identifier> alias;
    ExprPtr where;
    std::optional<Returning> returning;
};

// MERGE and the multitable INSERT keep their clauses as the text written: the binder composes from them the plain
// statements that carry the statement out (bind/compound_dml.cpp), so each clause is checked as Oracle checks it.
struct MergeStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Merge;
    MergeStmt()
        : Statement(Kind)
    {
    }
    struct Set {
        Identifier column;
        std::string valueText; // empty when DEFAULT
        int offset = -1;
    };
    ObjectName target;
    std::optional<Identifier> targetAlias;
    std::optional<ObjectName> sourceTable; // USING table, else a subquery
    std::string sourceQueryText; // USING (subquery): the subquery without its parentheses
    std::optional<Identifier> sourceAlias;
    int sourceOffset = -1;
    ExprPtr on; // the ON condition, kept parsed to find the target's columns it reads
    std::string onText;
    bool matched = false; // WHEN MATCHED THEN UPDATE
    std::vector<Set> sets;
    std::string updateWhere, deleteWhere;
    bool notMatched = false; // WHEN NOT MATCHED THEN INSERT
    std::vector<Identifier> insertColumns;
    std::vector<std::string> insertValues; // "DEFAULT" where DEFAULT was written
    std::vector<ExprPtr> insertValueExprs; // parsed, null for DEFAULT
    std::string insertWhere;
};

struct MultiInsertStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::MultiInsert;
    MultiInsertStmt()
        : Statement(Kind)
    {
    }
    struct Into {
        ObjectName table;
        std::vector<Identifier> columns;
        std::vector<std::string> values; // empty: the subquery's columns in order
        int condition = -1; // index into conditions; -1 unconditional (INSERT ALL without WHEN), -2 ELSE
        int offset = -1;
    };
    bool first = false; // INSERT FIRST
    bool conditional = false;
    std::vector<std::string> conditions; // WHEN ... THEN, in order
    std::vector<Into> intos;
    std::string queryText;
    int queryOffset = -1;
};

// ALTER ROLLBACK SEGMENT name ONLINE | OFFLINE.
struct AlterRollbackSegmentStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::AlterRollbackSegment;
    AlterRollbackSegmentStmt()
        : Statement(Kind)
    {
    }
    Identifier segment;
    bool online = true;
};

struct LockTableStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::LockTable;
    enum class Mode { RowShare, RowExclusive, Share, ShareRowExclusive, Exclusive, ShareUpdate };
    LockTableStmt()
        : Statement(Kind)
    {
    }
    std::vector<ObjectName> tables;
    Mode mode = Mode::Exclusive;
    bool nowait = false;
    std::optional<int64_t> wait;
};

struct TruncateStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Truncate;
    TruncateStmt()
        : Statement(Kind)
    {
    }
    ObjectName table;
    bool reuseStorage = false;
};

struct CommitStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Commit;
    CommitStmt()
        : Statement(Kind)
    {
    }
    std::optional<std::string> comment; // COMMIT COMMENT 'text'
};

struct RollbackStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Rollback;
    RollbackStmt()
        : Statement(Kind)
    {
    }
    std::optional<Identifier> savepoint; // ROLLBACK TO [SAVEPOINT] name
};

struct SavepointStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Savepoint;
    SavepointStmt()
        : Statement(Kind)
    {
    }
    Identifier name;
};

struct SetTransactionStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::SetTransaction;
    enum class Mode { ReadOnly, ReadWrite, Serializable, ReadCommitted, UseRollbackSegment };
    SetTransactionStmt()
        : Statement(Kind)
    {
    }
    Mode mode = Mode::ReadWrite;
    std::optional<Identifier> rollbackSegment;
    std::optional<std::string> name; // NAME 'text'
};

struct SessionSetting {
    Identifier name; // NLS_DATE_FORMAT, CURRENT_SCHEMA, ...
    std::string value; // unquoted text of the value (a quoted literal without its quotes, or the word/number)
    bool quoted = false; // the value was a text literal
    int valueOffset = -1;
};

struct AlterSessionStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::AlterSession;
    AlterSessionStmt()
        : Statement(Kind)
    {
    }
    std::vector<SessionSetting> settings;
};

// ---------------------------------------------------------------------------------------------------------------
// DDL

enum class ConstraintType { NotNull, Null, Check, PrimaryKey, Unique, ForeignKey };

struct Constraint {
    std::optional<Identifier> name; // CONSTRAINT name
    ConstraintType type = ConstraintType::NotNull;
    std::vector<Identifier> columns; // out of line: the constrained columns; inline: empty (the column itself)
    ExprPtr check; // CHECK
    std::string checkText; // the CHECK condition exactly as written (for the dictionary's search condition)
    std::optional<ObjectName> refTable; // REFERENCES
    std::vector<Identifier> refColumns;
    enum class OnDelete { NoAction, Cascade, SetNull };
    OnDelete onDelete = OnDelete::NoAction;
    std::optional<bool> enable; // ENABLE / DISABLE, unset when not written
    std::optional<bool> validate; // VALIDATE / NOVALIDATE
    bool deferrable = false;
    bool initiallyDeferred = false;
    bool rely = false;
    std::string indexText; // USING INDEX ... clause as written, kept only
    bool inlineConstraint = false;
    int offset = -1;
    int endOffset = -1;
};

struct SequenceOptions {
    std::optional<std::string> incrementBy;
    std::optional<std::string> startWith;
    std::optional<std::string> maxValue;
    bool noMaxValue = false;
    std::optional<std::string> minValue;
    bool noMinValue = false;
    std::optional<bool> cycle;
    std::optional<std::string> cache;
    bool noCache = false;
    std::optional<bool> order;
    bool restart = false;
};

struct ColumnDef {
    Identifier name;
    std::optional<DataType> type; // absent in a CTAS column list or in MODIFY col DEFAULT ...
    ExprPtr defaultValue;
    std::string defaultText; // the DEFAULT expression exactly as written (Oracle stores the text)
    bool defaultOnNull = false; // DEFAULT ON NULL expr
    // GENERATED ALWAYS | BY DEFAULT [ON NULL] AS IDENTITY [(sequence options)]
    enum class Identity { None, Always, ByDefault };
    Identity identity = Identity::None;
    bool identityOnNull = false;
    SequenceOptions identityOptions;
    int identityOffset = -1;
    // [GENERATED ALWAYS] AS (expr) [VIRTUAL]
    ExprPtr virtualExpr;
    std::string virtualText;
    std::vector<Constraint> constraints;
    int offset = -1;
    int endOffset = -1;
};

struct CreateTableStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::CreateTable;
    CreateTableStmt()
        : Statement(Kind)
    {
    }
    ObjectName name;
    bool globalTemporary = false;
    bool onCommitPreserveRows = false; // ON COMMIT PRESERVE ROWS (else DELETE ROWS)
    std::vector<ColumnDef> columns;
    std::vector<Constraint> constraints; // out-of-line constraints
    std::unique_ptr<Query> asQuery; // CREATE TABLE ... AS SELECT
    std::string physicalText; // TABLESPACE / STORAGE / PCTFREE ... / LOGGING ...: kept as written, not acted on
};

struct AlterTableAction {
    enum class Type {
        AddColumns,
        ModifyColumns,
        DropColumns,
        RenameColumn,
        RenameTable,
        AddConstraint,
        DropConstraint,
        DropPrimaryKey,
        DropUnique,
        EnableConstraint, // enable == true/false tells ENABLE or DISABLE
        EnableAllTriggers,
        Physical, // PCTFREE, STORAGE, MOVE ... kept as text
    };
    Type type = Type::AddColumns;
    std::vector<ColumnDef> columns; // AddColumns, ModifyColumns
    std::vector<Identifier> names; // DropColumns, DropUnique (columns); RenameColumn: {from, to}; RenameTable: {to};
                                   // DropConstraint, EnableConstraint: {constraint name} (empty for PRIMARY KEY)
    std::vector<Constraint> constraints; // AddConstraint (and MODIFY CONSTRAINT later)
    bool cascade = false; // DROP ... CASCADE [CONSTRAINTS]
    bool enable = true; // EnableConstraint, EnableAllTriggers
    std::optional<bool> validate; // EnableConstraint: VALIDATE / NOVALIDATE when written
    bool primaryKey = false; // EnableConstraint on PRIMARY KEY
    std::vector<Identifier> uniqueColumns; // EnableConstraint on UNIQUE (cols)
    bool keepIndex = false; // DROP ... KEEP INDEX
    std::string text; // Physical: the clause as written
    int offset = -1;
};

struct AlterTableStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::AlterTable;
    AlterTableStmt()
        : Statement(Kind)
    {
    }
    ObjectName table;
    std::vector<AlterTableAction> actions;
};

struct DropTableStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::DropTable;
    DropTableStmt()
        : Statement(Kind)
    {
    }
    ObjectName table;
    bool cascadeConstraints = false;
    bool purge = false;
};

struct IndexColumn {
    ExprPtr expr; // a ColumnRefExpr for a plain column, any expression for a function-based index
    bool descending = false;
    int offset = -1;
    std::string text; // the expression as written (a function-based index's COLUMN_EXPRESSION)
};

struct CreateIndexStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::CreateIndex;
    CreateIndexStmt()
        : Statement(Kind)
    {
    }
    ObjectName index;
    bool unique = false;
    bool bitmap = false;
    ObjectName table;
    std::optional<Identifier> tableAlias;
    std::vector<IndexColumn> columns;
    std::optional<Identifier> tablespace;
    std::string physicalText; // everything after the column list, kept as written
};

struct DropIndexStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::DropIndex;
    DropIndexStmt()
        : Statement(Kind)
    {
    }
    ObjectName index;
};

struct AlterIndexStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::AlterIndex;
    enum class Action { Rebuild, RenameTo, Other };
    AlterIndexStmt()
        : Statement(Kind)
    {
    }
    ObjectName index;
    Action action = Action::Rebuild;
    std::optional<Identifier> newName; // RenameTo
    std::string optionsText; // REBUILD's options or the whole Other clause, as written
};

// Every option of CREATE/ALTER SEQUENCE; numbers keep their text (with sign) since they may exceed 64 bits.

struct CreateSequenceStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::CreateSequence;
    CreateSequenceStmt()
        : Statement(Kind)
    {
    }
    ObjectName sequence;
    SequenceOptions options;
};

struct AlterSequenceStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::AlterSequence;
    AlterSequenceStmt()
        : Statement(Kind)
    {
    }
    ObjectName sequence;
    SequenceOptions options;
};

struct DropSequenceStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::DropSequence;
    DropSequenceStmt()
        : Statement(Kind)
    {
    }
    ObjectName sequence;
};

struct CreateViewStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::CreateView;
    CreateViewStmt()
        : Statement(Kind)
    {
    }
    bool orReplace = false;
    bool force = false;
    ObjectName view;
    std::vector<Identifier> columns;
    std::unique_ptr<Query> query;
    std::string queryText; // the view's query exactly as written, [queryOffset, queryEndOffset) of the statement
    int queryOffset = -1;
    int queryEndOffset = -1;
    bool withReadOnly = false;
    bool withCheckOption = false;
    std::optional<Identifier> constraintName; // WITH ... CONSTRAINT name
};

struct DropViewStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::DropView;
    DropViewStmt()
        : Statement(Kind)
    {
    }
    ObjectName view;
    bool cascadeConstraints = false;
};

struct CreateSynonymStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::CreateSynonym;
    CreateSynonymStmt()
        : Statement(Kind)
    {
    }
    bool orReplace = false;
    bool isPublic = false;
    ObjectName synonym;
    ObjectName target; // FOR [schema.]object[@dblink]
};

struct DropSynonymStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::DropSynonym;
    DropSynonymStmt()
        : Statement(Kind)
    {
    }
    bool isPublic = false;
    ObjectName synonym;
    bool force = false;
};

struct CommentStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Comment;
    enum class Target { Table, Column };
    CommentStmt()
        : Statement(Kind)
    {
    }
    Target target = Target::Table;
    ObjectName table; // COMMENT ON COLUMN [schema.]table.column: the table part
    std::optional<Identifier> column;
    std::string text; // the comment; an empty text removes the comment as on Oracle
};

struct Quota {
    std::string size; // "UNLIMITED" or the size as written ("10M", "1024")
    Identifier tablespace;
};

struct UserOptions {
    std::optional<std::string> password; // IDENTIFIED BY: unquoted passwords folded to upper case like a name
    bool passwordQuoted = false;
    int passwordOffset = -1;
    bool identifiedExternally = false;
    std::optional<Identifier> defaultTablespace;
    std::optional<Identifier> temporaryTablespace;
    std::vector<Quota> quotas;
    std::optional<Identifier> profile;
    std::optional<bool> accountLocked; // ACCOUNT LOCK / UNLOCK
    bool passwordExpire = false;
    std::optional<std::vector<Identifier>> defaultRoles; // DEFAULT ROLE a, b; empty vector for NONE
    bool defaultRoleAll = false;
};

struct CreateUserStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::CreateUser;
    CreateUserStmt()
        : Statement(Kind)
    {
    }
    Identifier user;
    UserOptions options;
};

struct AlterUserStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::AlterUser;
    AlterUserStmt()
        : Statement(Kind)
    {
    }
    Identifier user;
    UserOptions options;
};

struct DropUserStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::DropUser;
    DropUserStmt()
        : Statement(Kind)
    {
    }
    Identifier user;
    bool cascade = false;
};

// One privilege or role of GRANT/REVOKE. System privileges are multi-word ("CREATE TABLE", "SELECT ANY TABLE");
// "ALL PRIVILEGES" and "ALL" are written as such. Without ON, a one-word name that is not a system privilege is a
// role: the parser cannot tell them apart, the catalog can.
struct Privilege {
    std::string name; // upper case, words joined by one blank
    std::vector<Identifier> columns; // object privilege on columns: UPDATE (a, b)
    int offset = -1;
    bool quoted = false; // a role written as a quoted name ("My Role"): name is its exact text
};

struct GrantStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Grant;
    GrantStmt()
        : Statement(Kind)
    {
    }
    std::vector<Privilege> privileges;
    std::optional<ObjectName> object; // ON [schema.]object: object privileges
    std::vector<Identifier> grantees; // PUBLIC is the identifier "PUBLIC" (unquoted)
    bool withAdminOption = false;
    bool withGrantOption = false;
};

struct RevokeStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Revoke;
    RevokeStmt()
        : Statement(Kind)
    {
    }
    std::vector<Privilege> privileges;
    std::optional<ObjectName> object;
    std::vector<Identifier> grantees; // FROM ...
    bool cascadeConstraints = false;
};

struct CreateRoleStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::CreateRole;
    CreateRoleStmt()
        : Statement(Kind)
    {
    }
    Identifier role;
    std::optional<std::string> password; // IDENTIFIED BY
};

struct DropRoleStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::DropRole;
    DropRoleStmt()
        : Statement(Kind)
    {
    }
    Identifier role;
};

struct RenameStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Rename;
    RenameStmt()
        : Statement(Kind)
    {
    }
    Identifier from;
    Identifier to;
};

// A PL/SQL unit or block, recognised but not parsed: the whole statement text is kept for the PL/SQL stage.
struct PlSqlStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::PlSql;
    enum class Unit { AnonymousBlock, Procedure, Function, Package, PackageBody, Trigger, Type, TypeBody };
    PlSqlStmt()
        : Statement(Kind)
    {
    }
    Unit unit = Unit::AnonymousBlock;
    bool orReplace = false;
    std::optional<ObjectName> name; // unset for an anonymous block
    std::string text; // the statement text [offset, endOffset), trailing ';' and '/' line included as given
};

// DROP of an object kind that later stages own: PROCEDURE, FUNCTION, PACKAGE, PACKAGE BODY, TRIGGER, TYPE,
// TYPE BODY, DATABASE LINK.
struct DropObjectStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::DropObject;
    DropObjectStmt()
        : Statement(Kind)
    {
    }
    std::string objectType; // upper case, words joined by one blank
    bool isPublic = false; // DROP PUBLIC DATABASE LINK
    bool force = false; // DROP TYPE ... FORCE
    ObjectName name;
};

// ALTER of a stored unit: TRIGGER ... ENABLE | DISABLE | COMPILE, and PROCEDURE, FUNCTION, PACKAGE ... COMPILE,
// for a package with an optional word for the part to compile (the whole package, its body or its header).
struct AlterCodeStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::AlterCode;
    AlterCodeStmt()
        : Statement(Kind)
    {
    }
    enum class Action { Compile, Enable, Disable };
    std::string objectType; // PROCEDURE, FUNCTION, PACKAGE, TRIGGER, VIEW
    ObjectName name;
    Action action = Action::Compile;
    std::string compileWhat; // the part's word as written (PACKAGE, BODY or the header's keyword), or empty
};

// CREATE [PUBLIC] DATABASE LINK name [CONNECT TO user IDENTIFIED BY password] [USING 'connect string'].
struct CreateDatabaseLinkStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::CreateDatabaseLink;
    CreateDatabaseLinkStmt()
        : Statement(Kind)
    {
    }
    bool isPublic = false;
    Identifier name; // dotted parts joined by '.', each folded like an identifier
    std::optional<Identifier> user; // CONNECT TO
    std::string password; // IDENTIFIED BY, as written (without quotes when quoted)
    std::optional<std::string> connectString; // USING '...'
    int usingOffset = -1;
};

// ALTER SYSTEM SET name = value [, value] ... [COMMENT = '...'] [DEFERRED] [SCOPE = MEMORY|SPFILE|BOTH]
// [SID = '...'], ALTER SYSTEM ENABLE|DISABLE RESTRICTED SESSION, ALTER SYSTEM KILL SESSION 'sid,serial#'
// [IMMEDIATE].
struct AlterSystemStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::AlterSystem;
    AlterSystemStmt()
        : Statement(Kind)
    {
    }
    enum class Action { Set, EnableRestrictedSession, DisableRestrictedSession, KillSession };
    Action action = Action::Set;
    struct Setting {
        Identifier name;
        std::vector<std::string> values; // as written, quotes removed
        bool quoted = false; // the first value was a text literal
        int valueOffset = -1;
    };
    std::vector<Setting> settings;
    std::optional<std::string> comment;
    bool deferred = false;
    std::string scope; // MEMORY, SPFILE, BOTH, or empty when not written
    int scopeOffset = -1;
    std::optional<std::string> sid; // SID = '...'
    std::string session; // KILL SESSION: the text of the literal
    int sessionOffset = -1;
    bool immediate = false;
};

// EXPLAIN PLAN [SET STATEMENT_ID = 'text'] [INTO [schema.]table[@dblink]] FOR statement. The explained statement
// is parsed in place, so its nodes carry offsets in the whole EXPLAIN text.
struct ExplainPlanStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::ExplainPlan;
    ExplainPlanStmt()
        : Statement(Kind)
    {
    }
    std::optional<std::string> statementId; // SET STATEMENT_ID; '' is NULL as everywhere
    std::optional<ObjectName> into; // unset: PLAN_TABLE
    StatementPtr statement; // SELECT, INSERT, UPDATE or DELETE
    std::string statementText; // the explained statement as written, line breaks kept
};

// ANALYZE { TABLE | INDEX | CLUSTER } [schema.]name followed by VALIDATE STRUCTURE [CASCADE [FAST | COMPLETE]]
// [ONLINE | OFFLINE] [INTO [schema.]table], or by another of ANALYZE's clauses (statistics, LIST CHAINED ROWS,
// VALIDATE REF UPDATE), which the parser keeps only by name.
struct AnalyzeStmt : Statement {
    static constexpr StatementKind Kind = StatementKind::Analyze;
    AnalyzeStmt()
        : Statement(Kind)
    {
    }
    std::string objectType; // TABLE, INDEX or CLUSTER
    ObjectName name;
    std::string clause; // "VALIDATE STRUCTURE", or the other clause's leading words ("COMPUTE STATISTICS")
    int clauseOffset = -1;
    bool cascade = false;
    bool fast = false;
    bool online = false;
    std::optional<ObjectName> into;
    int partitionOffset = -1; // PARTITION (...) or SUBPARTITION (...) was written there
};

} // namespace engine::sql
