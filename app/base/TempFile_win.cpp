#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

#include "base/TempFile.h"

namespace orv {

// _O_EXCL, not fopen's "x", which Windows' C runtime ignores: two calls
// would get the same file.
int createExclusive(const QString& path) {
    const int fd =
        _wopen(reinterpret_cast<const wchar_t*>(path.utf16()),
               _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) return errno;
    _close(fd);
    return 0;
}

}  // namespace orv
