// The state of an aggregate that SQLite may also run over a window: an object on the heap that the aggregate's
// memory points to, created at the first row, asked for its value at any time (xValue), told which rows leave
// the window (xInverse, in the order they came) and deleted at the end of each group or partition (xFinal).
#pragma once

#include "engine/fn/fnutil.h"

namespace engine::fn::detail {

// State must have: void step(sqlite3_context*, int argc, sqlite3_value**); void inverse(int argc, sqlite3_value**);
// void value(sqlite3_context*) const; and a static void empty(sqlite3_context*) for a group or window without rows.
template <class State> struct WindowAggregate {
    static State** slot(sqlite3_context* ctx, bool create)
    {
        return static_cast<State**>(sqlite3_aggregate_context(ctx, create ? int(sizeof(State*)) : 0));
    }
    static void step(sqlite3_context* ctx, int argc, sqlite3_value** argv)
    {
        guarded(ctx, [&] {
            State** p = slot(ctx, true);
            if (!p)
                throw std::bad_alloc();
            if (!*p)
                *p = new State();
            (*p)->step(ctx, argc, argv);
        });
    }
    static void inverse(sqlite3_context* ctx, int argc, sqlite3_value** argv)
    {
        guarded(ctx, [&] {
            State** p = slot(ctx, false);
            if (p && *p)
                (*p)->inverse(argc, argv);
        });
    }
    static void value(sqlite3_context* ctx)
    {
        guarded(ctx, [&] {
            State** p = slot(ctx, false);
            if (p && *p)
                (*p)->value(ctx);
            else
                State::empty(ctx);
        });
    }
    static void final(sqlite3_context* ctx)
    {
        value(ctx);
        State** p = slot(ctx, false);
        if (p && *p) {
            delete *p;
            *p = nullptr;
        }
    }
    static void add(Registrar& r, std::string_view name) { r.addWindow(name, step, final, value, inverse); }
};

} // namespace engine::fn::detail
