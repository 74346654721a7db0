// Advisory lock of a database directory.
#include "engine/storage/lock_file.h"

#include "engine/engine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace engine::storage {

LockFile::LockFile(const std::string& path)
{
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0)
        throw oraError(1102, "cannot mount database in EXCLUSIVE mode (" + path + ": " + std::strerror(errno) + ")");
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        char buf[32] = {};
        ssize_t n = ::pread(fd_, buf, sizeof buf - 1, 0);
        std::string owner = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("another process");
        while (!owner.empty() && (owner.back() == '\n' || owner.back() == ' '))
            owner.pop_back();
        ::close(fd_);
        fd_ = -1;
        throw oraError(
            1102, "cannot mount database in EXCLUSIVE mode (the database is in use by process " + owner + ")");
    }
    std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd_, 0) == 0 && ::pwrite(fd_, pid.data(), pid.size(), 0) < 0) {
        // The process id is only for the message another process shows; the lock itself holds.
    }
}

LockFile::~LockFile()
{
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

} // namespace engine::storage
