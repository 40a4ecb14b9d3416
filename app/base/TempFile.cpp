#include "base/TempFile.h"

#include <QDateTime>
#include <QDir>

#include <cerrno>

#include "base/ProgramFolder.h"

namespace orv {

QString TempFolder() {
    QString t = QDir::toNativeSeparators(QDir::tempPath());
    if (!t.endsWith(QDir::separator())) t += QDir::separator();
    return t;
}

TempFileResult TempFileName(const QString& prefix, const QString& folder) {
    const QString dir = folder.isEmpty() ? TempFolder() : folder;
    // Like GetTempFileName with unique number 0: start from the clock and
    // take the first number whose file does not exist yet.
    const auto start = static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch() & 0xFFFF);
    int lastError = EEXIST;
    for (unsigned i = 0; i < 0x10000; ++i) {
        const unsigned n = (start + i) & 0xFFFF;
        if (n == 0) continue;
        const QString path = inFolder(
            dir, prefix.left(3) + QString::number(n, 16).toUpper() + QStringLiteral(".tmp"));
        lastError = createExclusive(path);
        if (lastError == 0) return {path, 0};
        if (lastError != EEXIST) break;
    }
    return {QString(), lastError};
}

}  // namespace orv
