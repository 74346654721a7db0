// ALTER SYSTEM statements.
#include "engine/exec/system.h"

#include "engine/jobs/coordinator.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"
#include "engine/sysview/calls.h"
#include "engine/sysview/parameters.h"

#include <charconv>

namespace engine::exec {

namespace {

std::optional<int64_t> parseNumber(std::string_view t)
{
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    int64_t v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || v < 0)
        return std::nullopt;
    return v;
}

// 'sid,serial#' or 'sid,serial#,@inst_id'.
void killSession(SessionState& s, const sql::AlterSystemStmt& st)
{
    const std::string& text = st.session;
    Error invalid = oraError(26, "missing or invalid session ID", st.sessionOffset);
    size_t comma = text.find(',');
    if (comma == std::string::npos)
        throw invalid;
    std::string_view rest = std::string_view(text).substr(comma + 1);
    size_t second = rest.find(',');
    auto sid = parseNumber(std::string_view(text).substr(0, comma));
    auto serial = parseNumber(rest.substr(0, second));
    if (!sid || !serial)
        throw invalid;
    if (second != std::string_view::npos) {
        std::string_view inst = rest.substr(second + 1);
        while (!inst.empty() && inst.front() == ' ')
            inst.remove_prefix(1);
        if (inst.empty() || inst.front() != '@')
            throw invalid;
        auto instance = parseNumber(inst.substr(1));
        if (!instance)
            throw invalid;
        if (*instance != 1)
            throw oraError(30, "User session ID does not exist.", st.sessionOffset);
    }
    sysview::killSession(s, *sid, *serial);
}

void setParameters(SessionState& s, const sql::AlterSystemStmt& st)
{
    const std::string version = sysview::instanceVersion(*s.db);
    const std::string scope = st.scope.empty() ? "BOTH" : st.scope;
    const bool memory = scope != "SPFILE";
    const bool spfile = scope != "MEMORY";
    struct Change {
        const sysview::ParameterDef* def;
        std::string value;
    };
    std::vector<Change> changes;
    // Every setting is checked before any is applied, so a statement that fails changes nothing.
    for (const sql::AlterSystemStmt::Setting& set : st.settings) {
        const sysview::ParameterDef* def = sysview::findParameter(set.name.name, version);
        if (!def)
            throw oraError(2065, "illegal option for ALTER SYSTEM", set.name.offset);
        if (memory && def->systemModifiable == sysview::SystemModifiable::False)
            throw oraError(2095, "specified initialization parameter cannot be modified", set.name.offset);
        if (memory && (def->systemModifiable == sysview::SystemModifiable::Deferred) != st.deferred)
            throw oraError(
                2096, "specified initialization parameter is not modifiable with this option", set.name.offset);
        std::string value;
        try {
            value = sysview::checkedValue(*def, set.values);
            sysview::checkRange(*def, version, value);
        } catch (const Error& e) {
            throw Error(e.code(), e.message(), set.valueOffset);
        }
        changes.push_back({ def, value });
    }
    for (const Change& c : changes) {
        if (spfile)
            sysview::storeProperty(*s.db, sysview::startupKey(c.def->name), c.value);
        if (!memory)
            continue;
        if (c.def->name == "sec_case_sensitive_logon")
            sysview::storeProperty(*s.db, "sec_case_sensitive_logon", c.value); // what the logon check reads
        {
            std::lock_guard lk(s.db->instance.mutex);
            s.db->instance.memoryValues[c.def->name] = c.value;
        }
        // The job queue starts (or stops starting) jobs at once.
        if (c.def->name == "job_queue_processes" && s.db->jobs)
            s.db->jobs->wake();
    }
}

} // namespace

ExecResult alterSystem(SessionState& s, const sql::AlterSystemStmt& st)
{
    if (!priv::hasSystemPrivilege(s, "ALTER SYSTEM"))
        throw oraError(1031, "insufficient privileges");
    using Action = sql::AlterSystemStmt::Action;
    switch (st.action) {
    case Action::EnableRestrictedSession:
        s.db->instance.restricted = true;
        break;
    case Action::DisableRestrictedSession:
        s.db->instance.restricted = false;
        break;
    case Action::KillSession:
        killSession(s, st);
        break;
    case Action::Set:
        setParameters(s, st);
        break;
    }
    ExecResult r;
    r.kind = StatementKind::Other;
    return r;
}

} // namespace engine::exec
