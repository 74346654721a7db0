// The public face of the embedded Oracle-compatible engine: databases, logons, sessions, statements, cursors.
// The access layer's embedded driver is the one client; it knows nothing of SQLite or of the engine's stages.
//
// Where the engine knowingly differs from Oracle:
// - Read consistency: a session sees another session's uncommitted changes once that other session's statement
//   has been committed to the file, which happens when any third session writes. Until then it sees the last
//   committed state.
// - Logging off rolls back what the session did not commit (the access layer commits first when asked to).
// - A definer's-rights unit (AUTHID DEFINER, the default) and a trigger run with their owner's roles enabled, where
//   Oracle counts only what is granted to the owner directly or to PUBLIC.
// - DATE holds the years 1 to 9999: a date before year 1 (BC), which Oracle keeps, is refused with ORA-01841.
// - An autonomous transaction sees its caller's uncommitted rows, and a row its caller locked does not make it wait
//   (Oracle makes it wait, and reports ORA-00060 when the caller is the holder); work over a database link is not
//   set aside. Its COMMIT inside a running statement reaches the file with that statement's transaction.
// - MERGE fires its row triggers clause by clause (every updated row before any inserted row), where Oracle fires
//   them row by row in the order the source gives.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Timestamp* and Interval* (at the end, so stored numbers of the others stay): their values reach the client as a
// Date holding fractions ("YYYY-MM-DD HH:MM:SS.ffffff", TIMESTAMP and WITH LOCAL TIME ZONE in the session's zone) or
// as Oracle's text (WITH TIME ZONE "YYYY-MM-DD HH:MM:SS.ffffff +02:00", intervals "+01 02:03:04.000000", "+01-02");
// ColumnDesc::scale is the fractional-second precision, ColumnDesc::precision an interval's leading precision.
enum class OraType {
    Varchar2,
    Char,
    Number,
    Date,
    Long,
    Clob,
    Blob,
    Raw,
    Rowid,
    RefCursor,
    Timestamp,
    TimestampTz,
    TimestampLtz,
    IntervalYM,
    IntervalDS
};

// One value as the engine stores and passes it: NULL, a NUMBER as integer or real, text (VARCHAR2, CHAR, LONG,
// CLOB, ROWID), a DATE as "YYYY-MM-DD HH:MM:SS" (a TIMESTAMP with ".fffffffff" after it, up to nine digits), or
// bytes (RAW, BLOB). Text is never empty: '' is NULL.
struct Value {
    enum class Kind { Null, Integer, Real, Text, Date, Blob };
    Kind kind = Kind::Null;
    int64_t integer = 0;
    double real = 0;
    std::string text; // Text, Date (19 characters) and Blob (bytes)

    static Value null() { return {}; }
    static Value fromInt(int64_t v)
    {
        Value r;
        r.kind = Kind::Integer;
        r.integer = v;
        return r;
    }
    static Value fromReal(double v)
    {
        Value r;
        r.kind = Kind::Real;
        r.real = v;
        return r;
    }
    // An empty text is Oracle's NULL.
    static Value fromText(std::string v)
    {
        Value r;
        if (v.empty())
            return r;
        r.kind = Kind::Text;
        r.text = std::move(v);
        return r;
    }
    static Value fromDate(std::string v)
    {
        Value r;
        r.kind = Kind::Date;
        r.text = std::move(v);
        return r;
    }
    static Value fromBlob(std::string bytes)
    {
        Value r;
        r.kind = Kind::Blob;
        r.text = std::move(bytes);
        return r;
    }
    bool isNull() const { return kind == Kind::Null; }
    // The value as text: numbers in Oracle's default number text, dates as stored, NULL as "".
    std::string toString() const;
    bool operator==(const Value& o) const = default;
};

struct ColumnDesc {
    std::string name;
    OraType type = OraType::Varchar2;
    int size = 0;
    int precision = 0;
    int scale = 0;
    bool nullable = true;
};

class Cursor;

enum class BindDir { In, Out, InOut };

struct Bind {
    std::string name; // upper-case, no colon
    BindDir dir = BindDir::In;
    OraType type = OraType::Varchar2;
    Value value;
    std::shared_ptr<Cursor> cursor; // REF CURSOR out
    // A RETURNING ... INTO target that takes every returned row (PL/SQL's RETURNING BULK COLLECT INTO): the values
    // go to `values`, one a row, where a plain target takes one row and refuses a second (ORA-01422).
    bool returnAll = false;
    std::vector<Value> values;
};

// Every failure of the engine: Oracle's code and text ("ORA-00942: table or view does not exist") and the byte
// offset of the offending token in the statement, -1 when there is none.
class Error : public std::exception {
public:
    Error(int code, std::string message, int offset = -1);
    int code() const { return code_; }
    const std::string& message() const { return message_; }
    int offset() const { return offset_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    int code_;
    std::string message_;
    int offset_;
};

// "ORA-%05d: " + text, the one place the prefix is built.
Error oraError(int code, const std::string& text, int offset = -1);

enum class StatementKind {
    Select,
    Insert,
    Update,
    Delete,
    PlSql,
    Ddl,
    Commit,
    Rollback,
    Savepoint,
    SetTransaction,
    AlterSession,
    LockTable,
    Other
};

// Rows of a query, fetched as next() is called. May be read from another thread than the one that executed it,
// but not from two at once.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual const std::vector<ColumnDesc>& columns() const = 0;
    virtual bool next() = 0;
    virtual const Value& value(int i) const = 0;
    virtual void close() = 0;
};

struct ExecResult {
    StatementKind kind = StatementKind::Other;
    int64_t rowsProcessed = 0;
    std::unique_ptr<Cursor> cursor;
    std::optional<Error> warning; // e.g. ORA-24344 success with compilation error
};

class Database;
struct SessionState;

// Who is at the other end of a logon, as V$SESSION shows it (OSUSER, MACHINE, TERMINAL, PROGRAM).
struct ClientInfo {
    std::string osUser, machine, terminal, program;
};

// The operating-system user from the environment, this host's name, "unknown" and the executable's name.
ClientInfo defaultClientInfo();

// A rollback segment as V$ROLLNAME and V$ROLLSTAT list it.
struct RollbackSegment {
    std::string name;
    bool online = true;
};

// One logon. Usable from any thread; calls on one session are serialised. interrupt() may come from any thread.
class Session {
public:
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ExecResult execute(std::string_view sql, std::vector<Bind>& binds); // throws Error
    ExecResult execute(std::string_view sql);
    void commit();
    void rollback();
    bool inTransaction() const;
    // The running or waiting call fails with ORA-01013.
    void interrupt();

    void enableOutput(int64_t bufferSize);
    void disableOutput();
    std::vector<std::string> takeOutputLines();
    // Appends one line to the server output buffer when output is enabled (the way DBMS_OUTPUT writes).
    void putOutputLine(const std::string& line);

    std::string user() const;
    std::string currentSchema() const;
    int64_t sessionId() const;
    std::string serverVersion() const;

    // For the engine's own parts.
    SessionState& state() { return *state_; }

private:
    friend class Database;
    explicit Session(std::unique_ptr<SessionState> state);
    std::unique_ptr<SessionState> state_;
};

struct DatabaseState;

// A directory holding one SQLite file; one process owns it at a time (a lock file says which).
class Database : public std::enable_shared_from_this<Database> {
public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Throws Error when the directory holds no database, when another process owns it, or when it is damaged.
    static std::shared_ptr<Database> open(const std::string& dir);
    // An empty database with SYS and SYSTEM. Throws Error when the directory already holds one.
    static std::shared_ptr<Database> create(const std::string& dir);
    static bool exists(const std::string& dir);

    // ORA-01017 for an unknown user or wrong password; ORA-01031 for SYSDBA without the privilege.
    // ORA-01035 while restricted session is enabled and the user lacks RESTRICTED SESSION.
    std::unique_ptr<Session> logOn(const std::string& user, const std::string& password, bool asSysdba = false);
    std::unique_ptr<Session> logOn(
        const std::string& user, const std::string& password, bool asSysdba, const ClientInfo& client);

    // The Oracle release the database presents in V$VERSION, V$INSTANCE and the compatible parameter: "19",
    // "12.1", "11.2", "10.2", "9.2", "8.1.7" or a full five-part release. Kept in the database file; the default
    // is 19. Throws Error (ORA-02097) for a text that is not such a release.
    void setServerVersion(const std::string& version);
    // The five-part release, e.g. "19.0.0.0.0".
    std::string serverVersion();
    // The rollback segments V$ROLLNAME and V$ROLLSTAT list, kept in the database file. The default is SYSTEM and
    // ten system-managed undo segments, all online.
    void setRollbackSegments(const std::vector<RollbackSegment>& segments);

    const std::string& directory() const;
    DatabaseState& state() { return *state_; }

    // For the engine's own parts: a session of the user with `schema` as its current schema, without a password
    // and without keeping the database open (a job's session; the job queue ends it before the database closes).
    // `prepare` may set the session's environment before it is listed in V$SESSION.
    static std::unique_ptr<Session> backgroundSession(DatabaseState& db, const std::string& user,
        const std::string& schema, const ClientInfo& client, const std::function<void(SessionState&)>& prepare);

private:
    explicit Database(std::unique_ptr<DatabaseState> state);
    static std::unique_ptr<Session> startSession(std::unique_ptr<SessionState> st, const ClientInfo& client,
        bool checkRestricted, const std::function<void(SessionState&)>& prepare);
    std::unique_ptr<DatabaseState> state_;
};

// The user's data directory + "/dremmox/databases".
std::string defaultDataDirectory();

// The engine's default version text (release 19), as V$VERSION and the logon banner give it; a session gives its
// database's configured release through Session::serverVersion().
std::string serverVersionText();

} // namespace engine
