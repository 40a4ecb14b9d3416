// Flushing a file to the disk on POSIX systems: fsync.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "orv/fileinstall.h"

namespace orv {

bool syncFile(const std::filesystem::path& path, std::error_code& ec) {
    // A folder opens read-only; a file too, which fsync takes as well.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        ec.assign(errno, std::generic_category());
        return false;
    }
    int result;
    do {
        result = fsync(fd);
    } while (result != 0 && errno == EINTR);
    ec = result == 0 ? std::error_code() : std::error_code(errno, std::generic_category());
    close(fd);
    return result == 0;
}

}  // namespace orv
