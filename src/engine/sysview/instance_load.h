// Reading the instance's settings from the database file when it is first used, and the Database calls that
// change them (server version, rollback segments).
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

namespace engine {
struct DatabaseState;
struct RollbackSegment;
} // namespace engine

namespace engine::sysview {

// PROPS$ names of the settings kept in the file.
inline constexpr const char* kVersionProperty = "SERVER_VERSION";
inline constexpr const char* kRollbackSegmentsProperty = "ROLLBACK_SEGMENTS";

// Loads the instance state once per opening of the database through the given connection.
void loadInstance(DatabaseState& db, sqlite3* conn);

// "NAME:ONLINE,NAME:OFFLINE" and back.
std::string encodeRollbackSegments(const std::vector<RollbackSegment>& segments);
std::vector<RollbackSegment> decodeRollbackSegments(const std::string& text);
std::vector<RollbackSegment> defaultRollbackSegments();

} // namespace engine::sysview
