// The instance's initialization parameters.
#include "engine/sysview/parameters.h"

#include "engine/fn/dateformat.h"
#include "engine/fn/oraerror.h"
#include "engine/session/connection.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"
#include "engine/sysview/version.h"

#include <QString>

#include <cctype>

namespace engine::sysview {

namespace {

using T = ParameterType;
using M = SystemModifiable;

std::vector<ParameterDef> makeCatalogue()
{
    // name, type, session-modifiable, system-modifiable, since, until, min, max, deprecated, basic, description
    return {
        { "processes", T::Integer, false, M::False, 7, 99, 6, 20000, false, true, "user processes" },
        { "sessions", T::Integer, false, M::False, 7, 99, 1, 65536, false, true, "user and system sessions" },
        { "timed_statistics", T::Boolean, true, M::Immediate, 7, 99, 0, 0, false, false,
            "maintain internal timing statistics" },
        { "resource_limit", T::Boolean, false, M::Immediate, 7, 99, 0, 0, false, false,
            "master switch for resource limit" },
        { "sga_target", T::BigInteger, false, M::Immediate, 10, 99, 0, 0, false, true, "Target size of SGA" },
        { "shared_pool_size", T::BigInteger, false, M::Immediate, 7, 99, 0, 0, false, false,
            "size in bytes of shared pool" },
        { "nls_language", T::String, true, M::False, 7, 99, 0, 0, false, true, "NLS language name" },
        { "nls_territory", T::String, true, M::False, 7, 99, 0, 0, false, true, "NLS territory name" },
        { "nls_date_format", T::String, true, M::False, 7, 99, 0, 0, false, false, "NLS Oracle date format" },
        { "nls_length_semantics", T::String, true, M::Immediate, 9, 99, 0, 0, false, false,
            "create columns using byte or char semantics by default" },
        { "db_files", T::Integer, false, M::False, 7, 99, 1, 65534, false, false, "max allowable # db files" },
        { "control_files", T::String, false, M::False, 7, 99, 0, 0, false, true, "control file names list" },
        { "db_block_size", T::Integer, false, M::False, 7, 99, 2048, 32768, false, true,
            "Size of database block in bytes" },
        { "compatible", T::String, false, M::False, 7, 99, 0, 0, false, true,
            "Database will be completely compatible with this software version" },
        { "log_archive_start", T::Boolean, false, M::False, 7, 10, 0, 0, false, false,
            "start archival process on SGA initialization" },
        { "log_archive_dest", T::String, false, M::Immediate, 7, 99, 0, 0, false, false,
            "archival destination text string" },
        { "standby_archive_dest", T::String, false, M::Immediate, 8, 12, 0, 0, false, false,
            "standby database archivelog destination text string" },
        { "log_archive_format", T::String, false, M::False, 7, 99, 0, 0, false, false, "archival destination format" },
        { "db_recovery_file_dest", T::String, false, M::Immediate, 10, 99, 0, 0, false, true,
            "default database recovery file location" },
        { "undo_management", T::String, false, M::False, 9, 99, 0, 0, false, false,
            "instance runs in SMU mode if TRUE, else in RBU mode" },
        { "undo_tablespace", T::String, false, M::Immediate, 9, 99, 0, 0, false, true, "use/switch undo tablespace" },
        { "recyclebin", T::String, true, M::Deferred, 10, 99, 0, 0, false, false, "recyclebin processing" },
        { "remote_login_passwordfile", T::String, false, M::False, 7, 99, 0, 0, false, true,
            "password file usage parameter" },
        { "sec_case_sensitive_logon", T::Boolean, false, M::Immediate, 11, 99, 0, 0, true, false,
            "case sensitive password enabled for logon" },
        { "audit_trail", T::String, false, M::False, 7, 99, 0, 0, false, false, "enable system auditing" },
        { "utl_file_dir", T::String, false, M::False, 7, 18, 0, 0, false, false,
            "utl_file accessible directories list" },
        { "db_domain", T::String, false, M::False, 7, 99, 0, 0, false, true,
            "directory part of global database name stored with CREATE DATABASE" },
        { "global_names", T::Boolean, true, M::Immediate, 7, 99, 0, 0, false, false,
            "enforce that database links have same name as remote database" },
        { "instance_name", T::String, false, M::False, 8, 99, 0, 0, false, false,
            "instance name supported by the instance" },
        { "service_names", T::String, false, M::Immediate, 8, 99, 0, 0, false, false,
            "service names supported by the instance" },
        { "instance_number", T::Integer, false, M::False, 7, 99, 0, 0, false, false, "instance number" },
        { "cluster_database", T::Boolean, false, M::False, 9, 99, 0, 0, false, true,
            "if TRUE startup in cluster database mode" },
        { "job_queue_processes", T::Integer, false, M::Immediate, 7, 99, 0, 0, false, false,
            "maximum number of job queue slave processes" },
        { "open_cursors", T::Integer, false, M::Immediate, 7, 99, 0, 65535, false, true, "max # cursors per session" },
        { "cursor_sharing", T::String, true, M::Immediate, 8, 99, 0, 0, false, false, "cursor sharing mode" },
        { "optimizer_mode", T::String, true, M::Immediate, 7, 99, 0, 0, false, false, "optimizer mode" },
        { "pga_aggregate_target", T::BigInteger, false, M::Immediate, 9, 99, 0, 0, false, true,
            "Target size for the aggregate PGA memory consumed by the instance" },
        { "db_name", T::String, false, M::False, 7, 99, 0, 0, false, true,
            "database name specified in CREATE DATABASE" },
        { "max_dump_file_size", T::String, true, M::Immediate, 7, 99, 0, 0, false, false,
            "Maximum size (in bytes) of dump file" },
    };
}

const std::vector<ParameterDef>& catalogue()
{
    static const std::vector<ParameterDef> c = makeCatalogue();
    return c;
}

std::string lower(std::string_view t)
{
    std::string r(t);
    for (char& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

std::string upper(std::string_view t)
{
    return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())).toUpper().toStdString();
}

// Oracle's default for the release; nullopt where Oracle shows no value.
std::optional<std::string> defaultValue(const ParameterDef& d, const std::string& version, const DatabaseState& db)
{
    const int major = majorOf(version);
    const std::string& n = d.name;
    if (n == "processes")
        return major >= 12 ? "300" : "150";
    if (n == "sessions")
        return major >= 12 ? "472" : "170";
    if (n == "timed_statistics")
        return "TRUE";
    if (n == "resource_limit")
        return major >= 12 ? "TRUE" : "FALSE";
    if (n == "sga_target" || n == "shared_pool_size" || n == "pga_aggregate_target")
        return "0";
    if (n == "nls_language")
        return "AMERICAN";
    if (n == "nls_territory")
        return "AMERICA";
    if (n == "nls_length_semantics")
        return "BYTE";
    if (n == "db_files")
        return "200";
    if (n == "control_files")
        return db.dir + "/control01.ctl";
    if (n == "db_block_size")
        return "8192";
    if (n == "compatible")
        return compatibleOf(version);
    if (n == "log_archive_start")
        return "FALSE";
    if (n == "standby_archive_dest")
        return "?/dbs/arch";
    if (n == "log_archive_format")
        return major >= 10 ? "%t_%s_%r.dbf" : "%t_%s.dbf";
    if (n == "undo_management")
        return major >= 11 ? "AUTO" : "MANUAL";
    if (n == "undo_tablespace")
        return "UNDOTBS1";
    if (n == "recyclebin")
        return "on";
    if (n == "remote_login_passwordfile")
        return "EXCLUSIVE";
    if (n == "audit_trail")
        return "NONE";
    if (n == "global_names")
        return "FALSE";
    if (n == "instance_name")
        return "dremmox";
    if (n == "service_names" || n == "db_name")
        return "DREMMOX";
    if (n == "instance_number")
        return "0";
    if (n == "cluster_database")
        return "FALSE";
    if (n == "job_queue_processes")
        return major >= 18 ? "4000" : major >= 11 ? "1000" : "0";
    if (n == "open_cursors")
        return major >= 12 ? "300" : "50";
    if (n == "cursor_sharing")
        return "EXACT";
    if (n == "optimizer_mode")
        return major >= 10 ? "ALL_ROWS" : "CHOOSE";
    if (n == "max_dump_file_size")
        return major >= 10 ? "unlimited" : "UNLIMITED";
    return std::nullopt;
}

// The range Oracle accepts for an integer parameter that depends on the release.
std::pair<int64_t, int64_t> rangeOf(const ParameterDef& d, const std::string& version)
{
    if (d.name == "job_queue_processes") {
        int major = majorOf(version);
        return { 0, major >= 18 ? 4000 : major >= 9 ? 1000 : 36 };
    }
    return { d.minValue, d.maxValue };
}

[[noreturn]] void invalid(const std::string& second)
{
    throw oraError(2097, "parameter cannot be modified because specified value is invalid\n" + second);
}

} // namespace

std::string startupKey(const std::string& name)
{
    return "spfile." + name;
}

const ParameterDef* findParameter(std::string_view name, const std::string& version)
{
    std::string n = lower(name);
    int major = majorOf(version);
    for (const ParameterDef& d : catalogue())
        if (d.name == n && major >= d.sinceMajor && major < d.untilMajor)
            return &d;
    return nullptr;
}

std::string checkedValue(const ParameterDef& d, const std::vector<std::string>& values)
{
    if (values.empty())
        invalid("ORA-00096: invalid value for parameter " + d.name);
    if (d.type != ParameterType::String && values.size() > 1)
        invalid("ORA-00096: invalid value " + values[1] + " for parameter " + d.name);
    const std::string& v = values.front();
    switch (d.type) {
    case ParameterType::Boolean: {
        std::string u = upper(v);
        if (u != "TRUE" && u != "FALSE")
            invalid("ORA-00096: invalid value " + v + " for parameter " + d.name + ", must be from among FALSE, TRUE");
        return u;
    }
    case ParameterType::Integer:
    case ParameterType::BigInteger: {
        std::string digits = v;
        int64_t factor = 1;
        if (d.type == ParameterType::BigInteger && !digits.empty()) {
            char unit = static_cast<char>(std::toupper(static_cast<unsigned char>(digits.back())));
            factor = unit == 'K' ? 1024 : unit == 'M' ? 1024 * 1024 : unit == 'G' ? 1024LL * 1024 * 1024 : 1;
            if (factor != 1)
                digits.pop_back();
        }
        bool ok = !digits.empty() && digits.size() <= 12;
        for (char c : digits)
            ok = ok && std::isdigit(static_cast<unsigned char>(c));
        if (!ok)
            invalid("ORA-00096: invalid value " + v + " for parameter " + d.name);
        return std::to_string(std::stoll(digits) * factor);
    }
    case ParameterType::String:
        break;
    }
    if (d.name == "nls_date_format") {
        try {
            fn::DateFormat::parse(v);
        } catch (const fn::OraError&) {
            invalid("ORA-01821: date format not recognized");
        }
    }
    std::string joined;
    for (size_t i = 0; i < values.size(); ++i)
        joined += (i ? ", " : "") + values[i];
    return joined;
}

void checkRange(const ParameterDef& d, const std::string& version, const std::string& value)
{
    if (d.type != ParameterType::Integer)
        return;
    auto [lo, hi] = rangeOf(d, version);
    if (lo == 0 && hi == 0)
        return;
    int64_t n = std::stoll(value);
    if (n < lo || n > hi)
        invalid("ORA-00068: invalid value " + value + " for parameter " + d.name + ", must be between "
            + std::to_string(lo) + " and " + std::to_string(hi));
}

std::vector<ParameterRow> parameterRows(SessionState& s)
{
    std::string version;
    std::map<std::string, std::string> memory, startup;
    {
        std::lock_guard lk(s.db->instance.mutex);
        version = s.db->instance.version;
        memory = s.db->instance.memoryValues;
        startup = s.db->instance.startupValues;
    }
    std::vector<ParameterRow> rows;
    int64_t num = 0;
    for (const ParameterDef& d : catalogue()) {
        ++num;
        int major = majorOf(version);
        if (major < d.sinceMajor || major >= d.untilMajor)
            continue;
        ParameterRow r;
        r.num = num;
        r.def = &d;
        r.defaultValue = defaultValue(d, version, *s.db);
        r.value = r.defaultValue;
        if (auto it = startup.find(d.name); it != startup.end()) {
            r.value = it->second;
            r.isDefault = false;
        }
        if (auto it = memory.find(d.name); it != memory.end()) {
            r.value = it->second;
            r.isModified = "SYSTEM_MOD";
        }
        if (d.name == "sec_case_sensitive_logon") {
            // The logon check reads the catalog's setting: that is the value in force.
            storage::Stmt p(
                s.conn, R"(SELECT upper("VALUE$") FROM "PROPS$" WHERE "NAME" = 'sec_case_sensitive_logon')");
            if (p.step())
                r.value = p.text(0);
        } else if (d.name == "nls_date_format") {
            std::string instanceFormat = r.value.value_or("DD-MON-RR");
            if (s.fctx.nlsDateFormat != instanceFormat) {
                r.value = s.fctx.nlsDateFormat;
                r.isModified = "MODIFIED";
            }
        }
        rows.push_back(std::move(r));
    }
    return rows;
}

std::optional<std::string> instanceParameter(DatabaseState& db, std::string_view name)
{
    std::lock_guard lk(db.instance.mutex);
    const ParameterDef* def = findParameter(name, db.instance.version);
    if (!def)
        return std::nullopt;
    if (auto it = db.instance.memoryValues.find(def->name); it != db.instance.memoryValues.end())
        return it->second;
    if (auto it = db.instance.startupValues.find(def->name); it != db.instance.startupValues.end())
        return it->second;
    return defaultValue(*def, db.instance.version, db);
}

void storeProperty(DatabaseState& db, const std::string& name, const std::string& value)
{
    std::lock_guard gate(db.gate);
    if (SessionState* pending = db.pendingWriter) {
        session::commitPendingOf(*pending);
        db.pendingWriter = nullptr;
    }
    sqlite3* c = session::openConnection(db.file);
    struct Closer {
        sqlite3* c;
        ~Closer() { sqlite3_close(c); }
    } closer { c };
    if (value.empty()) {
        storage::Stmt d(c, R"(DELETE FROM "PROPS$" WHERE "NAME" = ?1)");
        d.bind(1, name).run();
    } else {
        storage::Stmt u(c, R"(INSERT OR REPLACE INTO "PROPS$" ("NAME", "VALUE$") VALUES (?1, ?2))");
        u.bind(1, name).bind(2, value).run();
    }
}

} // namespace engine::sysview
