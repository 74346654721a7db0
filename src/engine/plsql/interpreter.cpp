// The tree-walking interpreter's control: statement lists, blocks with exception handlers, subprogram calls with
// IN, OUT and IN OUT parameters, and cursors.
#include "engine/plsql/interpreter.h"

#include "engine/plsql/autonomous.h"
#include "engine/plsql/native.h"
#include "engine/plsql/stored_units.h"
#include "engine/plsql/values.h"
#include "engine/session/session_state.h"

#include <algorithm>
#include <optional>

namespace engine::plsql {

namespace {
constexpr int kMaxCallDepth = 500;

// The errors whose handlers run on this thread, innermost last, for DBMS_UTILITY's FORMAT_ERROR_STACK and
// FORMAT_ERROR_BACKTRACE (which see only the session).
thread_local std::vector<const PlError*> handledErrors;

std::string errorStack(SessionState&)
{
    if (handledErrors.empty())
        return {};
    const PlError& e = *handledErrors.back();
    if (e.userException && e.code == 6510)
        return "ORA-06510: PL/SQL: unhandled user-defined exception\n";
    return e.message + "\n";
}

std::string errorBacktrace(SessionState&)
{
    std::string out;
    if (!handledErrors.empty())
        for (const std::string& line : handledErrors.back()->backtrace)
            out += line + "\n";
    return out;
}

[[maybe_unused]] const bool hooksInstalled = [] {
    NativeInterpreterHooks& h = nativeInterpreterHooks();
    h.errorStack = errorStack;
    h.errorBacktrace = errorBacktrace;
    return true;
}();

Flow runBlockOf(const CBlock& b, Ctx& c);
} // namespace

void checkInterrupt(Ctx& c)
{
    if (c.s.interrupted)
        throw plError(1013, "user requested cancel of current operation");
}

Val initialValue(const PlType& t)
{
    Val v;
    if (t.kind == PlKind::Record && t.record) {
        v.c = std::make_shared<Composite>();
        v.c->fields.reserve(t.record->types.size());
        for (const PlType& f : t.record->types)
            v.c->fields.push_back(initialValue(f));
    } else if (t.kind == PlKind::Table && !t.isDenseCollection()) {
        v.c = std::make_shared<Composite>(); // a nested table or VARRAY starts atomically NULL
    }
    return v;
}

Flow runStatements(const std::vector<CStmtPtr>& list, Ctx& c)
{
    for (size_t i = 0; i < list.size(); ++i) {
        const CStmtPtr& s = list[i];
        c.frame->line = s->line;
        Flow f = s->exec(c);
        if (f == Flow::Goto) {
            // The compiler let the GOTO through only to a label of this list or of one around it.
            auto to
                = std::find_if(list.begin(), list.end(), [&](const CStmtPtr& t) { return t->label == c.gotoLabel; });
            if (to != list.end()) {
                c.gotoLabel.clear();
                i = static_cast<size_t>(to - list.begin()) - 1;
                checkInterrupt(c);
                continue;
            }
        }
        if (f != Flow::Normal)
            return f;
    }
    return Flow::Normal;
}

bool loopEnds(Flow f, const std::string& label, Ctx& c, Flow& out)
{
    if (f == Flow::Normal)
        return false;
    if (f == Flow::Return || f == Flow::Goto) {
        out = f;
        return true;
    }
    if (!c.exitLabel.empty() && c.exitLabel != label) {
        out = f;
        return true;
    }
    c.exitLabel.clear();
    if (f == Flow::Continue)
        return false;
    out = Flow::Normal;
    return true;
}

Frame* enclosingFrame(Ctx& c, int depth)
{
    Frame* f = c.frame;
    for (int i = 0; i < depth && f; ++i)
        f = f->link;
    if (!f)
        throw plError(6544, "PL/SQL: internal error, arguments: [frame], [" + std::to_string(depth) + "]");
    return f;
}

namespace {

bool handles(const CHandler& h, const PlError& e)
{
    if (h.others)
        return true;
    if (e.userException) {
        for (const void* u : h.userExceptions)
            if (u == e.userException)
                return true;
        return false;
    }
    for (int code : h.codes)
        if (code == e.code)
            return true;
    return false;
}

} // namespace

Flow runBlock(const CBlock& b, Ctx& c)
{
    if (b.autonomous) {
        AutonomousTransaction own(c.s);
        Flow f = runBlockOf(b, c);
        own.finish();
        return f;
    }
    return runBlockOf(b, c);
}

namespace {

Flow runBlockOf(const CBlock& b, Ctx& c)
{
    // Errors of the declarations go to the enclosing block, as in Oracle.
    runStatements(b.init, c);
    if (b.handlers.empty())
        return runStatements(b.body, c);
    try {
        return runStatements(b.body, c);
    } catch (PlError& e) {
        if (e.code == 1013)
            throw;
        for (const CHandler& h : b.handlers) {
            if (!handles(h, e))
                continue;
            PlError caught = e;
            caught.backtrace = std::move(caught.stack);
            caught.stack.clear();
            if (c.unit && c.frame)
                caught.backtrace.push_back(c.unit->where(c.frame->line));
            c.handling.push_back(&caught);
            handledErrors.push_back(&caught);
            struct Pop {
                Ctx& c;
                ~Pop()
                {
                    c.handling.pop_back();
                    handledErrors.pop_back();
                }
            } pop { c };
            return runStatements(h.body, c);
        }
        throw;
    }
}

} // namespace

void assignTo(const CExpr& target, const Val& v, Ctx& c)
{
    Val* slot = target.ref(c);
    if (!slot)
        throw plError(6502, "PL/SQL: numeric or value error");
    *slot = convertTo(v, target.type, c.s);
}

Val callSubprogram(const CSub& sub, const CUnit* unit, const std::vector<const CExpr*>& args, int linkDepth, Ctx& c)
{
    Frame* link = c.frame;
    for (int i = 0; i < linkDepth && link; ++i)
        link = link->link;
    return callSubprogramAt(sub, unit, args, link, c);
}

Val callSubprogramAt(const CSub& sub, const CUnit* unit, const std::vector<const CExpr*>& args, Frame* link, Ctx& c)
{
    if (!sub.body)
        throw plError(6508, "PL/SQL: could not find program unit being called");
    if (c.depth >= kMaxCallDepth)
        throw plError(6500, "PL/SQL: storage error");
    Frame f;
    f.slots.resize(static_cast<size_t>(sub.frameSize));
    f.link = link;
    auto setParameter = [&](const CParam& p, const Val& v) {
        PlType t = p.type;
        t.notNull = false;
        f.slots[static_cast<size_t>(p.slot)]
            = p.mode == Param::Mode::Out && t.isScalar() ? Val {} : convertTo(v, t, c.s);
    };
    bool defaults = false;
    for (size_t i = 0; i < sub.params.size(); ++i) {
        const CParam& p = sub.params[i];
        const CExpr* a = i < args.size() ? args[i] : nullptr;
        if (!a) {
            defaults = defaults || p.defaultValue;
            if (!p.defaultValue)
                setParameter(p, Val {});
            continue;
        }
        setParameter(p, p.mode != Param::Mode::Out ? a->eval(c) : initialValue(p.type));
    }
    if (defaults) {
        // A default is compiled where the subprogram is declared: it reads the names around the declaration, through
        // the new frame's static link, whoever calls.
        FrameSwitch at(c, &f);
        for (size_t i = 0; i < sub.params.size(); ++i)
            if (!(i < args.size() && args[i]) && sub.params[i].defaultValue)
                setParameter(sub.params[i], sub.params[i].defaultValue->eval(c));
    }
    Frame* saved = c.frame;
    const CUnit* savedUnit = c.unit;
    c.frame = &f;
    c.unit = unit;
    ++c.depth;
    Flow flow;
    try {
        // A stored unit runs with its owner's rights and names (Oracle's AUTHID DEFINER); one of AUTHID CURRENT_USER
        // with those of the current user that calls it.
        std::optional<DefinerRights> definer;
        if (unit->ownerId >= 0 && !unit->invokerRights)
            definer.emplace(c.s, unit->ownerId, unit->owner);
        flow = runBlock(*sub.body, c);
        if (sub.pipelined && flow != Flow::Return) {
            // the end of a pipelined function returns the rows piped
            c.returnValue = f.slots[static_cast<size_t>(sub.pipeSlot)];
            flow = Flow::Return;
        }
        if (sub.isFunction && flow != Flow::Return)
            throw plError(6503, "PL/SQL: Function returned without value");
    } catch (PlError& e) {
        e.stack.push_back(unit->where(f.line));
        c.frame = saved;
        c.unit = savedUnit;
        --c.depth;
        throw;
    }
    c.frame = saved;
    c.unit = savedUnit;
    --c.depth;
    Val result;
    if (sub.isFunction) {
        result = convertTo(c.returnValue, sub.returnType, c.s);
        c.returnValue = Val {};
    }
    for (size_t i = 0; i < sub.params.size(); ++i) {
        const CParam& p = sub.params[i];
        if (p.mode == Param::Mode::In || i >= args.size() || !args[i])
            continue;
        assignTo(*args[i], f.slots[static_cast<size_t>(p.slot)], c);
    }
    return result;
}

void openCursor(OpenCursor& cur, EmbeddedSql& sql, Ctx& c)
{
    if (cur.isOpen)
        throw plError(6511, "PL/SQL: cursor already open");
    ExecResult r = sql.run(c);
    cur.rows = std::move(r.cursor);
    cur.columns = cur.rows ? cur.rows->columns() : std::vector<ColumnDesc> {};
    cur.rowidColumn = sql.rowidColumn;
    if (cur.rowidColumn >= 0 && static_cast<int>(cur.columns.size()) > cur.rowidColumn)
        cur.columns.resize(static_cast<size_t>(cur.rowidColumn));
    cur.isOpen = true;
    cur.found = -1;
    cur.rowCount = 0;
    cur.currentRowid.clear();
}

bool fetchRow(OpenCursor& cur, Ctx& c)
{
    if (!cur.isOpen)
        throw plError(1001, "invalid cursor");
    bool ok = false;
    try {
        ok = cur.rows && cur.rows->next();
    } catch (const Error& e) {
        PlError p;
        p.code = e.code();
        p.message = e.message();
        throw p;
    }
    (void)c;
    cur.found = ok ? 1 : 0;
    if (ok) {
        ++cur.rowCount;
        if (cur.rowidColumn >= 0)
            cur.currentRowid = cur.rows->value(cur.rowidColumn).text;
    }
    return ok;
}

void closeCursor(OpenCursor& cur)
{
    if (!cur.isOpen)
        throw plError(1001, "invalid cursor");
    if (cur.rows)
        cur.rows->close();
    cur.rows.reset();
    cur.isOpen = false;
}

namespace {

bool isLobColumn(const ColumnDesc& d)
{
    return d.type == OraType::Clob || d.type == OraType::Blob;
}

} // namespace

void assignRow(OpenCursor& cur, const std::vector<const CExpr*>& targets, Ctx& c)
{
    const size_t n = cur.columns.size();
    if (targets.size() == 1 && targets[0]->type.kind == PlKind::Record) {
        Val* rec = targets[0]->ref(c);
        if (!rec)
            throw plError(6502, "PL/SQL: numeric or value error");
        const PlType& t = targets[0]->type;
        if (!rec->c)
            *rec = initialValue(t);
        if (!t.record || t.record->types.size() != n)
            throw plError(6504, "PL/SQL: Return types of Result Set variables or query do not match");
        for (size_t i = 0; i < n; ++i) {
            Val v;
            v.v = cur.rows->value(static_cast<int>(i));
            v.tableLob = isLobColumn(cur.columns[i]);
            rec->c->fields[i] = convertTo(v, t.record->types[i], c.s);
        }
        return;
    }
    if (targets.size() != n)
        throw plError(6504, "PL/SQL: Return types of Result Set variables or query do not match");
    for (size_t i = 0; i < n; ++i) {
        Val v;
        v.v = cur.rows->value(static_cast<int>(i));
        v.tableLob = isLobColumn(cur.columns[i]);
        assignTo(*targets[i], v, c);
    }
}

} // namespace engine::plsql
