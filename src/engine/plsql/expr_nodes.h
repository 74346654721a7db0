// Compiled expressions: variables and their fields and elements, operators with Oracle's null and three-valued
// logic, cursor attributes, calls, and expressions the SQL engine evaluates.
#pragma once

#include "engine/plsql/collections.h"
#include "engine/plsql/interpreter.h"
#include "engine/plsql/native.h"
#include "engine/plsql/values.h"

namespace engine::plsql {

struct CLiteral : CExpr {
    Value value;
    Val eval(Ctx&) const override { return Val { value, nullptr }; }
};

// A variable, parameter or cursor: a slot of the frame `depth` static links up.
struct CVar : CExpr {
    int depth = 0;
    int slot = 0;
    Val* ref(Ctx& c) const override
    {
        Frame* f = depth == 0 ? c.frame : enclosingFrame(c, depth);
        return &f->slots[static_cast<size_t>(slot)];
    }
    Val eval(Ctx& c) const override { return *ref(c); }
};

// A client bind (:NAME) of the call.
struct CBindRef : CExpr {
    size_t index = 0;
    std::vector<Val>* values = nullptr;
    Val* ref(Ctx&) const override { return &(*values)[index]; }
    Val eval(Ctx& c) const override { return *ref(c); }
};

struct CField : CExpr {
    CExprPtr base;
    int index = 0;
    Val* ref(Ctx& c) const override
    {
        Val* b = base->ref(c);
        if (!b)
            return nullptr;
        if (!b->c)
            *b = initialValue(base->type);
        return &b->c->fields[static_cast<size_t>(index)];
    }
    Val eval(Ctx& c) const override
    {
        Val b = base->eval(c);
        if (!b.c || static_cast<size_t>(index) >= b.c->fields.size())
            return {};
        return b.c->fields[static_cast<size_t>(index)];
    }
};

// An element of a collection: t(k).
struct CElement : CExpr {
    CExprPtr base;
    CExprPtr key;
    Val* ref(Ctx& c) const override
    {
        Val* b = base->ref(c);
        if (!b)
            return nullptr;
        return writeElement(*b, base->type, key->eval(c), c);
    }
    Val eval(Ctx& c) const override
    {
        Val b = base->eval(c);
        return readElement(b, base->type, key->eval(c), c);
    }
};

// Three-valued logic: a BOOLEAN value of -1 (NULL), 0 or 1, and the truth of a value.
Val boolVal(int b);
int truth(const Val& v);

struct CUnary : CExpr {
    CExprPtr operand;
    Val eval(Ctx& c) const override;
};

struct CArith : CExpr {
    std::string op;
    CExprPtr l, r;
    Val eval(Ctx& c) const override { return Val { arithmetic(op, l->eval(c).v, r->eval(c).v), nullptr }; }
};

struct CConcat : CExpr {
    CExprPtr l, r;
    Val eval(Ctx& c) const override;
};

struct CCompare : CExpr {
    std::string op;
    CExprPtr l, r;
    Val eval(Ctx& c) const override;
};

struct CLogical : CExpr {
    bool isAnd = true;
    CExprPtr l, r;
    Val eval(Ctx& c) const override;
};

struct CNot : CExpr {
    CExprPtr operand;
    Val eval(Ctx& c) const override;
};

struct CIsNull : CExpr {
    bool negated = false;
    CExprPtr operand;
    Val eval(Ctx& c) const override;
};

struct CLike : CExpr {
    bool negated = false;
    CExprPtr l, r, esc;
    Val eval(Ctx& c) const override;
};

struct CIn : CExpr {
    bool negated = false;
    CExprPtr l;
    std::vector<CExprPtr> list;
    Val eval(Ctx& c) const override;
};

struct CBetween : CExpr {
    bool negated = false;
    CExprPtr v, lo, hi;
    Val eval(Ctx& c) const override;
};

struct CCase : CExpr {
    CExprPtr selector;
    std::vector<std::pair<CExprPtr, CExprPtr>> whens;
    CExprPtr elseExpr;
    bool statementCase = false;
    Val eval(Ctx& c) const override;
};

struct CNvl : CExpr {
    CExprPtr a, b;
    Val eval(Ctx& c) const override;
};

// UPDATING('COLUMN') in a trigger: whether the UPDATE that fired it sets that column.
struct CUpdatingColumn : CExpr {
    CExprPtr updating, columns, column;
    Val eval(Ctx& c) const override;
};

struct CSqlCode : CExpr {
    bool message = false;
    CExprPtr arg;
    Val eval(Ctx& c) const override;
};

// An expression the SQL engine evaluates (functions of SQL, date arithmetic): SELECT <expr> FROM DUAL with the
// block's names as binds.
struct CSqlExpr : CExpr {
    std::unique_ptr<EmbeddedSql> sql;
    Val eval(Ctx& c) const override;
};

struct CCursorAttr : CExpr {
    CExprPtr cursor; // null: SQL%
    std::string attr;
    Val eval(Ctx& c) const override;
};

struct CCurrentRowid : CExpr {
    CExprPtr cursor;
    Val eval(Ctx& c) const override;
};

// A function of a collection: COUNT, LIMIT, FIRST, LAST, NEXT(k), PRIOR(k), EXISTS(k).
struct CTableMethod : CExpr {
    CExprPtr base;
    std::string method;
    CExprPtr arg;
    Val eval(Ctx& c) const override;
};

// A procedure of a collection, called as a statement: EXTEND, TRIM, DELETE.
struct CCollectionProcedure : CExpr {
    CExprPtr base;
    std::string method;
    std::vector<CExprPtr> args;
    Val eval(Ctx& c) const override;
};

// A nested table's or VARRAY's constructor: type(e1, e2, ...).
struct CConstructor : CExpr {
    std::vector<CExprPtr> args;
    Val eval(Ctx& c) const override;
};

struct CCall : CExpr {
    const CSub* sub = nullptr; // owned by the unit (a recursive call must not own itself)
    const CUnit* unit = nullptr;
    std::vector<CExprPtr> args; // per parameter; null where the default applies
    int linkDepth = 0;
    Val eval(Ctx& c) const override;
};

struct CNativeCall : CExpr {
    const NativeRoutine* routine = nullptr;
    std::vector<CExprPtr> args;
    Val eval(Ctx& c) const override;
};

struct CStoredCall : CExpr {
    int64_t unitId = 0;
    std::string name;
    size_t overload = 0;
    std::vector<CExprPtr> args; // per parameter; null where the default applies
    Val eval(Ctx& c) const override;
};

// A variable of a package's header, in the package's state of the session.
struct CPackageVar : CExpr {
    int64_t unitId = 0;
    int slot = 0;
    Val* ref(Ctx& c) const override;
    Val eval(Ctx& c) const override { return *ref(c); }
};

} // namespace engine::plsql
