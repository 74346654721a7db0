// The demo database: the application's schemas, tables, rows and grants, created from the SQL files of this folder
// (compiled into the program) so that the tool has a real installation to talk to without an Oracle server.
#pragma once

#include "engine/engine.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine::kit {

// One file of the kit: its name ("20_util_scripts.sql") and its text.
struct KitFile {
    std::string name;
    std::string text;
};

// The files of the kit in the order they run (by name: each begins with its two-digit place).
std::vector<KitFile> kitFiles();

// Files compiled into the program but kept out of the run order until the engine runs everything they hold; the
// tests of the server-side objects run them on their copy. Empty while every file runs.
std::vector<KitFile> waitingKitFiles();

// A failure while the kit runs: the engine's error with the file and the line of the statement that failed.
// code() is the engine's code; message() ends with " (file, line n)".
class KitError : public Error {
public:
    KitError(const Error& cause, std::string file, int line);
    const std::string& file() const { return file_; }
    int line() const { return line_; }
    // The engine's own message, without the place.
    const std::string& cause() const { return cause_; }

private:
    std::string file_;
    int line_;
    std::string cause_;
};

// Runs the statements of one script text on a session, in order, and commits after the last. The first failing
// statement throws KitError naming the file and its line (the line of the offending token when the engine gives
// an offset). See script.h for how the text is split.
void runScript(Session& session, const std::string& fileName, std::string_view text);

// Called before each file with the file's name, the number of files done and the total, and once more with an empty
// name when all are done; returning false before a file stops the creation (it then fails with ORA-01013 and
// leaves nothing behind).
using Progress = std::function<bool(const std::string& file, int done, int total)>;

// Creates a database in dir (see Database::create) and runs every kit file on it as SYSTEM. Beside it, in the
// directory VEXOAUDT next to dir, it makes the audit database that VOXA's database link VEXOAUDT leads to, unless a
// database is there already. On failure the files the creation made are removed again, so dir is as it was, and
// the error (KitError, or Database::create's) is thrown.
std::shared_ptr<Database> createDemoDatabase(const std::string& dir, const Progress& progress = {});

// The audit database alone: the files of the kit's folder vexoaudt run in dir as SYSTEM.
void createAuditDatabase(const std::string& dir);

// The directory of the audit database that belongs to the demo database in dir: VEXOAUDT beside it.
std::string auditDatabaseDir(const std::string& demoDir);

// The second demo instance, DEMO2 beside the demo in demoDir: a copy of the demo, so that a command file can be run
// over two instances (instance.txt) without an Oracle server.
std::string secondDemoDir(const std::string& demoDir);

// Copies the closed database in `from` into `to`, which must not hold a database; the copy is taken under from's
// lock, so no session has it open meanwhile.
void copyDatabase(const std::string& from, const std::string& to);

// For tests: makes dir a fresh demo database (with its audit database beside it, when none is there). The first call in
// a process builds a template in a temporary directory (removed when the process ends); every call copies the
// template's files into dir, which must not hold a database already. Safe to call from several threads.
void demoTemplate(const std::string& dir);

// Users of the demo database and their passwords (also in the README).
struct DemoUser {
    const char* name;
    const char* password;
};
inline constexpr DemoUser kVoxa { "VOXA", "VOXA" };
inline constexpr DemoUser kBildor { "BILDOR", "BILDOR" };
inline constexpr DemoUser kVexoUtil { "VEXO_UTIL", "VEXO_UTIL" };
inline constexpr DemoUser kVexoAudit { "VEXO_AUDIT", "VEXO_AUDIT" };
inline constexpr DemoUser kVexoServis { "VEXO_SERVIS", "VEXO_SERVIS" };
inline constexpr DemoUser kBlob { "BLOB", "BLOB" };
// An end user of the application (a row of VOXA.ISEC_USERS) who is not an administrator, and one who is.
inline constexpr DemoUser kEndUser { "MNOVAK", "MNOVAK" };
inline constexpr DemoUser kAdminUser { "AKRALJ", "AKRALJ" };

} // namespace engine::kit
