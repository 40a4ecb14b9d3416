#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "base/TempFile.h"

namespace orv {

int createExclusive(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    ::close(fd);
    return 0;
}

}  // namespace orv
