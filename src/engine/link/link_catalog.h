// The LINK$ rows of database links: finding the link a name@link means (the user's own, else a PUBLIC one; a
// name without a domain matches one stored with it), and the password kept scrambled, not as plain text.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>

namespace engine::link {

// OWNER# of PUBLIC links.
inline constexpr int64_t kPublicOwner = 1;

struct LinkRow {
    int64_t ownerId = 0;
    std::string name; // as stored, upper case, with its domain when created with one
    std::string host; // USING '...'; empty when not given (the link's name names the database then)
    std::string user;
    std::string password; // in clear, after unscrambling
    // One text per link definition: a remote session opened for an older definition of the name is not reused.
    std::string identity() const;
};

// The link `name` means for the user: exact name first, then the same name ignoring a domain suffix; the user's
// own links before PUBLIC ones.
std::optional<LinkRow> findLink(sqlite3* db, int64_t userId, const std::string& name);
// The link of exactly that owner and name.
std::optional<LinkRow> linkOf(sqlite3* db, int64_t ownerId, const std::string& name);

void insertLink(sqlite3* db, const LinkRow& row);
void deleteLink(sqlite3* db, int64_t ownerId, const std::string& name);

// Reversible, keyed by the link's owner and name, so LINK$ never shows the password and a copied row does not
// decode under another name.
std::string scramblePassword(int64_t ownerId, const std::string& name, const std::string& password);
std::string unscramblePassword(int64_t ownerId, const std::string& name, const std::string& stored);

} // namespace engine::link
