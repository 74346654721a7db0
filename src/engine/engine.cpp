// The public API's entry points, stubbed until the storage, catalog and session layers fill them in.
#include "engine/engine.h"

#include <QStandardPaths>

#include <cstdio>

namespace engine {

struct SessionState { };
struct DatabaseState {
    std::string dir;
};

std::string Value::toString() const
{
    switch (kind) {
    case Kind::Null:
        return {};
    case Kind::Integer:
        return std::to_string(integer);
    case Kind::Real: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", real);
        return buf;
    }
    default:
        return text;
    }
}

Error::Error(int code, std::string message, int offset)
    : code_(code)
    , message_(std::move(message))
    , offset_(offset)
{
}

Error oraError(int code, const std::string& text, int offset)
{
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
    return Error(code, prefix + text, offset);
}

Session::Session(std::unique_ptr<SessionState> state)
    : state_(std::move(state))
{
}
Session::~Session() = default;
ExecResult Session::execute(std::string_view, std::vector<Bind>&) { throw oraError(3001, "unimplemented feature"); }
ExecResult Session::execute(std::string_view sql)
{
    std::vector<Bind> none;
    return execute(sql, none);
}
void Session::commit() { }
void Session::rollback() { }
bool Session::inTransaction() const { return false; }
void Session::interrupt() { }
void Session::enableOutput(int64_t) { }
void Session::disableOutput() { }
std::vector<std::string> Session::takeOutputLines() { return {}; }
void Session::putOutputLine(const std::string&) { }
std::string Session::user() const { return {}; }
std::string Session::currentSchema() const { return {}; }
int64_t Session::sessionId() const { return 0; }
std::string Session::serverVersion() const { return serverVersionText(); }

Database::Database(std::unique_ptr<DatabaseState> state)
    : state_(std::move(state))
{
}
Database::~Database() = default;
std::shared_ptr<Database> Database::open(const std::string&) { throw oraError(3001, "unimplemented feature"); }
std::shared_ptr<Database> Database::create(const std::string&) { throw oraError(3001, "unimplemented feature"); }
bool Database::exists(const std::string&) { return false; }
std::unique_ptr<Session> Database::logOn(const std::string&, const std::string&, bool)
{
    throw oraError(1017, "invalid username/password; logon denied");
}
const std::string& Database::directory() const { return state_->dir; }

std::string defaultDataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() + "/dremmox/databases";
}

std::string serverVersionText()
{
    return "Oracle Database 11g Enterprise Edition Release 11.2.0.4.0 - 64bit Production";
}

} // namespace engine
