// The lock file that makes one process the owner of a database directory. The lock is an advisory file lock, so
// it ends with the process that held it however that process ended: a lock file left by a dead process is simply
// taken over. The file holds the owner's process id for the error message.
#pragma once

#include <string>

namespace engine::storage {

class LockFile {
public:
    // Throws Error ORA-01102 when another process holds the lock.
    explicit LockFile(const std::string& path);
    ~LockFile();
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

private:
    int fd_ = -1;
};

} // namespace engine::storage
