// Compiled expressions: variables and their fields and elements, operators with Oracle's null and three-valued
// logic, cursor attributes, calls, and expressions the SQL engine evaluates.
#pragma once

#include "engine/plsql/interpreter.h"
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

TableKey tableKey(const Val& k, const PlType& tableType, Ctx& c);

struct CElement : CExpr {
    CExprPtr base;
    CExprPtr key;
    Val* ref(Ctx& c) const override
    {
        Val* b = base->ref(c);
        if (!b)
            return nullptr;
        if (!b->c)
            *b = initialValue(base->type);
        TableKey k = tableKey(key->eval(c), base->type, c);
        auto it = b->c->elements.find(k);
        if (it == b->c->elements.end())
            it = b->c->elements.emplace(k, initialValue(type)).first;
        return &it->second;
    }
    Val eval(Ctx& c) const override
    {
        Val b = base->eval(c);
        TableKey k = tableKey(key->eval(c), base->type, c);
        if (b.c) {
            auto it = b.c->elements.find(k);
            if (it != b.c->elements.end())
                return it->second;
        }
        throw plError(1403, "no data found");
    }
};

} // namespace engine::plsql
