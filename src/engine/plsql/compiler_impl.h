// The PL/SQL compiler's own declarations, shared by the files that make it up: what a name stands for in a scope
// (variable, cursor, exception, type, subprograms), the scopes, and the Compiler with its resolution steps
// (compile_declarations.cpp, compile_expressions.cpp, compile_statements.cpp, compiler.cpp).
#pragma once

#include "engine/plsql/compiler.h"
#include "engine/plsql/cursor_statements.h"
#include "engine/plsql/embedded_sql.h"
#include "engine/plsql/expr_nodes.h"
#include "engine/plsql/native.h"
#include "engine/plsql/parser.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine::plsql {

// Whether two types are of one family (numbers, character types, dates, ...), as overloads are told apart and a
// call's arguments matched to them; records and collections of declared types are of their own type.
inline bool sameFamily(const PlType& a, const PlType& b)
{
    auto family = [](PlKind k) {
        switch (k) {
        case PlKind::Varchar2:
        case PlKind::Char:
        case PlKind::Long:
        case PlKind::Rowid:
            return PlKind::Varchar2;
        case PlKind::Raw:
            return PlKind::Blob;
        default:
            return k;
        }
    };
    if (family(a.kind) != family(b.kind))
        return false;
    if ((a.kind == PlKind::Record || a.kind == PlKind::Table) && !a.typeKey.empty() && !b.typeKey.empty())
        return a.typeKey == b.typeKey;
    return true;
}

// A change of an embedded statement's text: [begin, end) of the statement becomes `text`.
struct SqlEdit {
    size_t begin = 0, end = 0;
    std::string text;
};

struct Fail {
    CompileError error;
};

struct ExceptionDecl {
    std::string name;
    int code = 0; // from EXCEPTION_INIT; 0 for a plain user exception
};

struct CursorDecl {
    std::unique_ptr<EmbeddedSql> sql;
    std::vector<CParam> params;
    int level = 0;
    int slot = 0;
    PlType rowType;
};

struct Sym {
    enum class K { Var, Cursor, Exception, Type, Sub } k = K::Var;
    PlType type;
    int level = 0;
    int slot = 0;
    bool constant = false;
    CursorDecl* cursor = nullptr;
    ExceptionDecl* exception = nullptr;
    std::vector<std::shared_ptr<CSub>> subs;
    std::vector<const Subprogram*> subDecls;
};

struct Scope {
    std::map<std::string, Sym> names;
    Scope* parent = nullptr;
    std::string label;
};

// The names a stored unit offers to others: a package header's declarations, or a procedure or function itself.
struct PackageSymbols {
    std::map<std::string, Sym> names;
};

struct Predefined {
    const char* name;
    int code;
};
constexpr Predefined kPredefined[] = { { "NO_DATA_FOUND", 1403 }, { "TOO_MANY_ROWS", 1422 }, { "VALUE_ERROR", 6502 },
    { "ZERO_DIVIDE", 1476 }, { "DUP_VAL_ON_INDEX", 1 }, { "INVALID_CURSOR", 1001 }, { "CURSOR_ALREADY_OPEN", 6511 },
    { "INVALID_NUMBER", 1722 }, { "LOGIN_DENIED", 1017 }, { "NOT_LOGGED_ON", 1012 }, { "PROGRAM_ERROR", 6501 },
    { "STORAGE_ERROR", 6500 }, { "TIMEOUT_ON_RESOURCE", 51 }, { "ROWTYPE_MISMATCH", 6504 }, { "CASE_NOT_FOUND", 6592 },
    { "COLLECTION_IS_NULL", 6531 }, { "SUBSCRIPT_BEYOND_COUNT", 6533 }, { "SUBSCRIPT_OUTSIDE_LIMIT", 6532 },
    { "SYS_INVALID_ROWID", 1410 }, { "ACCESS_INTO_NULL", 6530 }, { "SELF_IS_NULL", 30625 } };

// Functions of SQL that PL/SQL takes as they are (evaluated by the SQL engine).
bool isSqlFunction(const std::string& n);

// Resolves the names an embedded statement leaves over to the block's variables.
class Compiler;

class BlockNames : public bind::ExternalNames {
public:
    BlockNames(Compiler& c, EmbeddedSql& e)
        : comp(c)
        , e(e)
    {
    }
    std::optional<bind::ExternalName> resolve(const std::vector<std::string>& parts) const override;
    std::optional<bind::ExternalCollection> resolveCollection(const std::vector<std::string>& parts) const override;

private:
    Compiler& comp;
    EmbeddedSql& e;
};

class Compiler {
public:
    Compiler(SessionState& s, std::string_view text, CUnit& unit, std::shared_ptr<std::vector<Val>> bindValues,
        const std::vector<Bind>& binds)
        : s(s)
        , text(text)
        , unit(unit)
        , bindValues(std::move(bindValues))
        , binds(binds)
    {
    }

    SessionState& s;
    std::string_view text;
    CUnit& unit;
    std::shared_ptr<std::vector<Val>> bindValues;
    const std::vector<Bind>& binds;
    std::vector<CompileError> errors;
    Scope* scope = nullptr;
    int level = 0;
    std::vector<int> frameSize { 0 };
    std::vector<std::unique_ptr<ExceptionDecl>> exceptions;
    std::vector<std::unique_ptr<CursorDecl>> cursors;
    std::vector<std::unique_ptr<Scope>> scopes;
    const PlType* returnType = nullptr;
    bool inFunction = false;
    // In a pipelined function: the frame slot of the rows PIPE ROW adds to; -1 elsewhere (pipelined.cpp).
    int pipeSlot = -1;
    int loopDepth = 0;
    // PRAGMA AUTONOMOUS_TRANSACTION may stand in the block compiled next (a subprogram's, a trigger's, a top-level
    // anonymous block's) and so in the declarations being compiled; elsewhere it is PLS-00710.
    bool autonomousNext = false;
    bool autonomousHere = false;
    // The labels of the statement lists being compiled, outermost first: those a GOTO may reach (not those inside
    // an IF, a loop or a block it is not in, nor, from a handler, its own block's). A subprogram starts afresh.
    std::vector<std::vector<std::string>> gotoScopes;
    std::string currentCursorOf; // WHERE CURRENT OF being compiled
    // A stored unit being compiled: itself (its own package's members are named through it), what it uses, and
    // whether only the subprograms' headers are wanted (the interface other units compile against).
    const StoredUnit* self = nullptr;
    std::vector<int64_t> dependsOn;
    bool headersOnly = false;
    bool formalType = false; // resolving a parameter's or a function result's type
    PlType formal(const TypeSpec& t)
    {
        formalType = true;
        try {
            PlType r = resolveType(t);
            formalType = false;
            return r;
        } catch (...) {
            formalType = false;
            throw;
        }
    }
    void uses(const std::vector<int64_t>& ids) { dependsOn.insert(dependsOn.end(), ids.begin(), ids.end()); }
    // Interfaces of other units whose symbols the compiled form points at, kept alive with it.
    std::vector<std::shared_ptr<const StoredCompileOutput>> keepInterfaces;
    // The header's exceptions lent by the interface when the runnable form of a package is compiled.
    const PackageSymbols* lentExceptions = nullptr;
    const Sym* storedSymbol(const std::vector<std::string>& chain, int64_t* unitId = nullptr);
    const TriggerNames* trigger = nullptr; // set while a trigger's body or WHEN condition is compiled

    Pos pos(int offset) const { return positionOf(text, offset); }
    [[noreturn]] void fail(const Pos& p, const std::string& message) const
    {
        throw Fail { CompileError { p.line, p.col, message, p.offset } };
    }
    void note(const Pos& p, const std::string& message)
    {
        errors.push_back(CompileError { p.line, p.col, message, p.offset });
    }

    Scope* push(const std::string& label = {})
    {
        scopes.push_back(std::make_unique<Scope>());
        Scope* sc = scopes.back().get();
        sc->parent = scope;
        sc->label = label;
        scope = sc;
        return sc;
    }
    void pop() { scope = scope->parent; }
    int alloc() { return frameSize[static_cast<size_t>(level)]++; }

    const Sym* lookup(const std::string& name) const
    {
        for (Scope* sc = scope; sc; sc = sc->parent) {
            auto it = sc->names.find(name);
            if (it != sc->names.end())
                return &it->second;
        }
        return nullptr;
    }
    const Sym* lookupLabelled(const std::string& label, const std::string& name) const
    {
        for (Scope* sc = scope; sc; sc = sc->parent)
            if (sc->label == label) {
                auto it = sc->names.find(name);
                return it == sc->names.end() ? nullptr : &it->second;
            }
        return nullptr;
    }
    bool isLabel(const std::string& label) const
    {
        for (Scope* sc = scope; sc; sc = sc->parent)
            if (sc->label == label)
                return true;
        return false;
    }

    std::unique_ptr<CVar> var(const Sym& sym, const Pos& p)
    {
        auto v = std::make_unique<CVar>();
        v->depth = level - sym.level;
        v->slot = sym.slot;
        v->type = sym.type;
        v->pos = p;
        v->assignable = !sym.constant;
        return v;
    }

    // ---- types
    PlType resolveType(const TypeSpec& t);
    PlType rowTypeOfQuery(const std::string& query, const Pos& p);
    PlType collectionType(const Decl& d);
    std::string typeKeyOf(const std::string& name);

    // ---- expressions
    CExprPtr expr(const Expr& e);
    CExprPtr condition(const Expr& e);
    CExprPtr name(const Expr& e, bool asStatement = false);
    CExprPtr sqlExpr(const Expr& e);
    CExprPtr sqlWith(const std::string& exprText, std::vector<CExprPtr> args, const Expr& e);
    CExprPtr target(const Expr& e);
    CExprPtr element(CExprPtr cur, const NamePart& part);
    CExprPtr constructor(const PlType& type, const NamePart& part);
    CExprPtr components(CExprPtr cur, const std::vector<NamePart>& parts, size_t i, bool asStatement);
    CExprPtr collectionMethod(CExprPtr cur, const NamePart& part, bool asStatement);
    bool compatible(const PlType& to, const CExpr& value, const Expr& valueExpr) const;
    CExprPtr tryVariable(const std::vector<std::string>& parts, const Pos& p);
    CExprPtr callOf(const Sym& sym, const NamePart& part, const Pos& p, bool asStatement, int64_t storedUnit = 0);
    CExprPtr storedName(const Expr& e, bool asStatement);
    CExprPtr member(
        const PackageSymbols& pkg, int64_t unitId, const std::vector<NamePart>& parts, size_t i, bool asStatement);
    CExprPtr nativeCall(const NativePackage& pkg, const NamePart& routine, const Pos& p, bool asStatement);
    // A cursor named by e: a local one, a REF CURSOR variable, or (pkg.cur, owner.pkg.cur) a package's cursor, whose
    // package is then *packageUnit (0 for the others).
    CExprPtr cursorRef(const Expr& e, const CursorDecl** decl, int64_t* packageUnit = nullptr);
    CursorCall cursorCall(const NamePart& part, const CursorDecl& cd);

    // ---- SQL
    std::vector<SqlEdit> blockValuesIn(int begin, int end, int intoBegin, int intoEnd, EmbeddedSql& es);
    std::unique_ptr<EmbeddedSql> embedded(int begin, int end, int intoBegin, int intoEnd, size_t returning,
        const Pos& stmtPos, bool forUpdateRowid = false);

    // ---- declarations and statements
    void declarations(const std::vector<Decl>& decls, CBlock& out);
    void declare(const Decl& d, CBlock& out);
    std::unique_ptr<CBlock> block(
        const Block& b, const std::vector<Param>* params = nullptr, std::vector<CParam>* cparams = nullptr);
    void compileSub(const Subprogram& sp, std::shared_ptr<CSub> csub);
    std::vector<CStmtPtr> statements(const std::vector<StmtPtr>& list);
    CStmtPtr statement(const Stmt& s);
    CStmtPtr loop(const Stmt& s);
    CStmtPtr forAll(const Stmt& s);
    CStmtPtr pipeRow(const Stmt& s); // pipelined.cpp
    void startPipelined(const Subprogram& sp, CSub& csub);
    size_t intoWidth(const std::vector<CExprPtr>& into, bool bulk, const Pos& at);
    void handlers(const Block& b, CBlock& out);
};

// NULL has every scalar type: it may stand where a BOOLEAN is expected (b := NULL, IF NULL THEN), as in Oracle.
bool isNullLiteral(const Expr& e);

template <typename T> std::unique_ptr<T> node(const Expr& e, PlType type)
{
    auto n = std::make_unique<T>();
    n->pos = e.pos;
    n->type = std::move(type);
    return n;
}

} // namespace engine::plsql
