// How the catalog keeps passwords: salted hashes, one of the upper-cased password (what logon compares while
// sec_case_sensitive_logon is FALSE, the default) and one of the password as given.
#pragma once

#include <string>

namespace engine::catalog {

std::string passwordHash(const std::string& user, const std::string& password, bool caseSensitive);

} // namespace engine::catalog
