// A database's directory and files are readable by their owner only: the catalog holds password verifiers and the
// data may be anyone's. SQLite gives the journal and the write-ahead log the mode of the database file.
#pragma once

#include <string>

namespace engine::storage {

// Makes an existing directory (0700) or file (0600) its owner's only. False when that failed or there is none.
bool restrictToOwner(const std::string& path);

// Creates an empty file readable and writable by its owner only; one that exists is made so. Throws ORA-01501
// when neither can be done.
void createOwnerOnlyFile(const std::string& path);

} // namespace engine::storage
