// The syntax tree of PL/SQL: blocks, declarations, statements and expressions as the PL/SQL parser reads them.
// Embedded SQL statements are kept as text spans for the SQL front end; the compiler resolves every name.
#pragma once

#include "engine/engine.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace engine::plsql {

// A place in the unit's text: byte offset, and Oracle's 1-based line and column.
struct Pos {
    int offset = 0;
    int line = 1;
    int col = 1;
};

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;
struct Stmt;
using StmtPtr = std::unique_ptr<Stmt>;
struct Block;
struct Subprogram;

// One argument of a call: positional, or named with =>.
struct Arg {
    std::string name; // empty when positional
    ExprPtr value;
};

// One link of a name chain: a.b(1).c
struct NamePart {
    std::string name; // upper case (quoted names as written)
    Pos pos;
    bool hasArgs = false;
    std::vector<Arg> args;
};

enum class ExprKind {
    Literal, // number or text literal, NULL
    Bool, // TRUE, FALSE
    Name, // a name chain: variable, field, element, call, package member
    Attribute, // name%FOUND, SQL%ROWCOUNT ...
    Bind, // :x, :NEW.col
    Unary, // - +
    Binary, // + - * / ||
    Compare, // = <> < <= > >=
    Logical, // AND OR
    Not,
    IsNull,
    Like,
    In,
    Between,
    Case,
};

struct Expr {
    ExprKind kind = ExprKind::Literal;
    Pos pos;
    int endOffset = 0;
    // Literal
    Value literal;
    bool isTextLiteral = false;
    bool boolValue = false;
    // Name
    std::vector<NamePart> parts;
    // Attribute: the name before '%' in parts (empty for SQL%...), the attribute word
    std::string attribute;
    bool sqlCursor = false;
    // SQL%BULK_ROWCOUNT(i), SQL%BULK_EXCEPTIONS(j).ERROR_CODE, SQL%BULK_EXCEPTIONS.COUNT: the subscript and the
    // member after it
    ExprPtr attributeArg;
    std::string attributeMember;
    // Bind
    std::string bindName;
    std::string bindField; // :NEW.col
    // operators
    std::string op; // "+", "-", "*", "/", "||", "=", "<>", "<", "<=", ">", ">=", "AND", "OR"
    bool negated = false; // NOT LIKE, NOT IN, NOT BETWEEN, IS NOT NULL
    ExprPtr left, right, third; // operands; LIKE's ESCAPE and BETWEEN's upper bound in third
    std::vector<ExprPtr> list; // IN list
    // Case
    ExprPtr selector; // simple CASE
    std::vector<std::pair<ExprPtr, ExprPtr>> whens;
    ExprPtr elseExpr;
};

// A type as written: NUMBER(10,2), VARCHAR2(30), t.col%TYPE, tab%ROWTYPE, my_record_type.
struct TypeSpec {
    Pos pos;
    std::vector<std::string> name; // NUMBER; or parts of the name before %TYPE / %ROWTYPE; or a user type
    std::string dblink; // tab@link%ROWTYPE
    enum class Attr { None, Type, RowType } attr = Attr::None;
    int size = -1; // VARCHAR2(n), CHAR(n), RAW(n); NUMBER's precision
    int scale = -1;
    bool charSemantics = false;
};

struct Param {
    std::string name;
    Pos pos;
    enum class Mode { In, Out, InOut } mode = Mode::In;
    bool nocopy = false;
    TypeSpec type;
    ExprPtr defaultValue;
};

enum class DeclKind {
    Variable,
    Constant,
    Exception,
    PragmaExceptionInit,
    Cursor,
    RecordType,
    TableType,
    RefCursorType,
    Subtype,
    Subprogram,
    PragmaOther
};

struct Decl {
    DeclKind kind = DeclKind::Variable;
    std::string name;
    Pos pos;
    TypeSpec type; // variable, constant, subtype, table type element, cursor RETURN
    bool notNull = false;
    ExprPtr init;
    // PRAGMA EXCEPTION_INIT(name, code)
    int errorCode = 0;
    Pos codePos;
    // cursor
    std::vector<Param> params;
    int queryBegin = -1, queryEnd = -1; // the SELECT's text span; -1 for a declaration without IS
    // record type
    struct Field {
        std::string name;
        Pos pos;
        TypeSpec type;
        bool notNull = false;
        ExprPtr init;
    };
    std::vector<Field> fields;
    // table type: INDEX BY, or VARRAY(limit)
    bool indexed = false;
    int64_t limit = -1;
    TypeSpec indexType;
    bool hasRefReturn = false;
    // subprogram
    std::shared_ptr<Subprogram> subprogram;
};

struct ExceptionHandler {
    Pos pos;
    std::vector<std::vector<std::string>> names; // WHEN a OR b.c: each a name chain; OTHERS as {"OTHERS"}
    std::vector<Pos> namePos;
    std::vector<StmtPtr> body;
};

struct Block {
    Pos pos; // DECLARE or BEGIN
    std::string label;
    std::vector<Decl> decls;
    std::vector<StmtPtr> body;
    std::vector<ExceptionHandler> handlers;
    Pos endPos;
};

struct Subprogram {
    bool isFunction = false;
    std::string name;
    Pos pos;
    std::vector<Param> params;
    TypeSpec returnType;
    bool hasBody = false; // a forward declaration (or one in a package's header) has none
    std::unique_ptr<Block> body;
    int textBegin = 0, textEnd = 0; // PROCEDURE ... up to its END; (for the source of a unit)
    // A function's properties (DETERMINISTIC, PARALLEL_ENABLE and RESULT_CACHE change no result; see
    // parse_declarations.cpp).
    bool deterministic = false;
    bool parallelEnable = false;
    bool resultCache = false;
    bool pipelined = false;
};

enum class StmtKind {
    Null,
    Assign,
    Call, // a procedure call (a name chain)
    If,
    Case,
    Loop, // LOOP, WHILE, numeric FOR, cursor FOR
    Exit, // EXIT / CONTINUE [label] [WHEN]
    Return,
    Raise,
    Block,
    Sql, // SELECT INTO, INSERT, UPDATE, DELETE, LOCK TABLE, MERGE: text span
    Transaction, // COMMIT, ROLLBACK [TO], SAVEPOINT, SET TRANSACTION: text span
    Open, // OPEN c[(args)] / OPEN rc FOR query|expr [USING]
    Fetch,
    Close,
    ExecuteImmediate,
    Goto,
    ForAll, // FORALL i IN bounds [SAVE EXCEPTIONS] dml: the statement in body[0]
    PipeRow, // PIPE ROW (value) in a pipelined function
};

// INTO targets: variables, fields, :binds.
struct Target {
    ExprPtr expr;
};

struct Stmt {
    StmtKind kind = StmtKind::Null;
    Pos pos;
    std::string label; // <<label>> before it
    // Assign
    ExprPtr target;
    ExprPtr value; // also RETURN's value, EXIT's WHEN, RAISE's name, WHILE's condition
    // Call: the chain in value
    // If / Case
    std::vector<std::pair<ExprPtr, std::vector<StmtPtr>>> branches;
    std::vector<StmtPtr> elseBranch;
    bool hasElse = false;
    ExprPtr selector; // simple CASE
    // Loop
    enum class LoopKind { Basic, While, NumericFor, CursorFor } loopKind = LoopKind::Basic;
    std::string loopVar;
    Pos loopVarPos;
    bool reverse = false;
    ExprPtr lower, upper; // numeric FOR; cursor FOR's cursor chain in lower (a name with args)
    int queryBegin = -1, queryEnd = -1; // cursor FOR over an inline query; OPEN FOR query; SQL statement span
    std::vector<StmtPtr> body;
    // Exit
    bool isContinue = false;
    std::string exitLabel;
    // Block
    std::unique_ptr<Block> block;
    // Sql: the statement's span, with the INTO list (SELECT INTO, RETURNING INTO, FETCH INTO) taken out
    std::vector<Target> into;
    int intoBegin = -1, intoEnd = -1; // the INTO clause's span inside the statement, blanked before parsing
    bool bulk = false; // BULK COLLECT INTO
    std::string sqlWord; // SELECT, INSERT, UPDATE, DELETE, LOCK, MERGE, COMMIT ...
    // Open / Fetch / Close: the cursor as a name in target
    ExprPtr forExpr; // OPEN FOR expr (dynamic)
    std::vector<Arg> using_; // USING binds
    std::vector<Param::Mode> usingModes;
    ExprPtr dynamicText; // EXECUTE IMMEDIATE
    std::string gotoLabel;
    // FORALL: bounds in lower and upper (a range), or the collection of INDICES OF / VALUES OF in value (with
    // BETWEEN's bounds in lower and upper)
    enum class ForAllKind { Range, Indices, Values } forAllKind = ForAllKind::Range;
    bool saveExceptions = false;
    ExprPtr limit; // FETCH ... BULK COLLECT INTO ... LIMIT n
};

// A unit as parsed: an anonymous block, a procedure or function, a package header or body, a trigger.
struct Unit {
    enum class Kind { Block, Procedure, Function, Package, PackageBody, Trigger } kind = Kind::Block;
    std::string owner; // as written (OWNER.NAME), else empty
    std::string name;
    Pos namePos;
    std::unique_ptr<Block> block; // anonymous block, trigger body, package body's initialisation section
    std::shared_ptr<Subprogram> subprogram; // procedure or function
    std::vector<Decl> decls; // declarations of a package header or body
    bool invokerRights = false; // AUTHID CURRENT_USER (procedure, function, package header)
    // trigger
    bool before = true;
    bool insteadOf = false;
    bool forEachRow = false;
    bool onInsert = false, onUpdate = false, onDelete = false;
    std::vector<std::string> updateColumns;
    std::string tableOwner, tableName;
    Pos tablePos;
    std::string referencingNew = "NEW", referencingOld = "OLD";
    std::string referencingText;
    int whenBegin = -1, whenEnd = -1; // WHEN ( condition ): the condition's text
    ExprPtr when;
    int bodyBegin = 0; // trigger: offset of its PL/SQL block (DECLARE or BEGIN)
    bool disabled = false; // trigger: CREATE ... DISABLE
    std::string descriptionText; // trigger: text from its name up to the block
};

// One compile error: Oracle's line and column in the text and the message ("PLS-00201: identifier 'X' must be
// declared").
struct CompileError {
    int line = 0;
    int col = 0;
    std::string text;
    int offset = 0;
};

} // namespace engine::plsql
