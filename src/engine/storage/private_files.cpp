#include "engine/storage/private_files.h"

#include "engine/engine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine::storage {

bool restrictToOwner(const std::string& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0)
        return false;
    const mode_t wanted = S_ISDIR(st.st_mode) ? S_IRWXU : (S_IRUSR | S_IWUSR);
    if ((st.st_mode & 07777) == wanted)
        return true;
    return ::chmod(path.c_str(), wanted) == 0;
}

void createOwnerOnlyFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        throw oraError(1501, "CREATE DATABASE failed (cannot create " + path + ": " + std::strerror(errno) + ")");
    ::close(fd);
    if (!restrictToOwner(path))
        throw oraError(1501, "CREATE DATABASE failed (cannot restrict " + path + " to its owner)");
}

} // namespace engine::storage
