// The instance's settings kept in PROPS$, the Database calls that change them and a client's default identity.
#include "engine/sysview/instance_load.h"

#include "engine/engine.h"
#include "engine/session/connection.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"
#include "engine/sysview/parameters.h"
#include "engine/sysview/version.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <vector>
#include <unistd.h>
#endif

namespace engine::sysview {

namespace {

int64_t fnv32(const std::string& text)
{
    uint32_t h = 2166136261u;
    for (unsigned char c : text) {
        h ^= c;
        h *= 16777619u;
    }
    return static_cast<int64_t>(h);
}

} // namespace

std::vector<RollbackSegment> defaultRollbackSegments()
{
    std::vector<RollbackSegment> r { { "SYSTEM", true } };
    for (int i = 1; i <= 10; ++i)
        r.push_back({ "_SYSSMU" + std::to_string(i) + "$", true });
    return r;
}

std::string encodeRollbackSegments(const std::vector<RollbackSegment>& segments)
{
    std::string t;
    for (const RollbackSegment& s : segments)
        t += (t.empty() ? "" : ",") + s.name + (s.online ? ":ONLINE" : ":OFFLINE");
    return t;
}

std::vector<RollbackSegment> decodeRollbackSegments(const std::string& text)
{
    std::vector<RollbackSegment> r;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t comma = text.find(',', pos);
        std::string item = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        size_t colon = item.rfind(':');
        RollbackSegment seg;
        seg.name = item.substr(0, colon);
        seg.online = colon == std::string::npos || item.substr(colon + 1) != "OFFLINE";
        if (!seg.name.empty())
            r.push_back(seg);
        if (comma == std::string::npos)
            break;
        pos = comma + 1;
    }
    return r;
}

void loadInstance(DatabaseState& db, sqlite3* conn)
{
    InstanceState& in = db.instance;
    std::lock_guard lk(in.mutex);
    if (in.loaded)
        return;
    in.rollbackSegments = defaultRollbackSegments();
    {
        storage::Stmt q(conn, R"(SELECT "NAME", "VALUE$" FROM "PROPS$")");
        const std::string prefix = startupKey("");
        while (q.step()) {
            std::string name = q.text(0), value = q.text(1);
            if (name == kVersionProperty) {
                if (auto v = normalizeVersion(value))
                    in.version = *v;
            } else if (name == kRollbackSegmentsProperty) {
                in.rollbackSegments = decodeRollbackSegments(value);
            } else if (name.rfind(prefix, 0) == 0) {
                in.startupValues[name.substr(prefix.size())] = value;
            }
        }
    }
    {
        storage::Stmt q(conn, R"(SELECT "CTIME" FROM "USER$" WHERE "USER#" = 0)");
        if (q.step())
            in.created = q.text(0);
    }
    in.dbid = fnv32(db.dir + in.created);
    in.startupTime = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
    // Serial numbers differ from those of an earlier opening, so a pair noted then does not name a new session.
    in.nextSerial = QDateTime::currentSecsSinceEpoch() % 30000 + 1;
    in.loaded = true;
}

} // namespace engine::sysview

namespace engine {

ClientInfo defaultClientInfo()
{
    ClientInfo c;
    c.osUser = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME")).toStdString();
#ifdef Q_OS_UNIX
    if (c.osUser.empty()) {
        // A service or container may run without USER set; the account itself still has a name.
        // The reentrant call: logons run on several threads at once.
        passwd entry {};
        passwd* pw = nullptr;
        std::vector<char> buffer(16384);
        if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &pw) == 0 && pw)
            c.osUser = pw->pw_name;
    }
#endif
    c.machine = QSysInfo::machineHostName().toStdString();
    c.terminal = "unknown";
    QString exe = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                               : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    c.program = QFileInfo(exe).fileName().toStdString();
    return c;
}

namespace {

void withInstance(DatabaseState& db)
{
    {
        std::lock_guard lk(db.instance.mutex);
        if (db.instance.loaded)
            return;
    }
    sqlite3* c = session::openConnection(db.file);
    struct Closer {
        sqlite3* c;
        ~Closer() { sqlite3_close(c); }
    } closer { c };
    sysview::loadInstance(db, c);
}

} // namespace

void Database::setServerVersion(const std::string& version)
{
    auto v = sysview::normalizeVersion(version);
    if (!v)
        throw oraError(
            2097, "parameter cannot be modified because specified value is invalid (server version '" + version + "')");
    withInstance(*state_);
    sysview::storeProperty(*state_, sysview::kVersionProperty, *v);
    std::lock_guard lk(state_->instance.mutex);
    state_->instance.version = *v;
}

std::string Database::serverVersion()
{
    withInstance(*state_);
    std::lock_guard lk(state_->instance.mutex);
    return state_->instance.version;
}

void Database::setRollbackSegments(const std::vector<RollbackSegment>& segments)
{
    withInstance(*state_);
    sysview::storeProperty(*state_, sysview::kRollbackSegmentsProperty, sysview::encodeRollbackSegments(segments));
    std::lock_guard lk(state_->instance.mutex);
    state_->instance.rollbackSegments = segments;
}

} // namespace engine
