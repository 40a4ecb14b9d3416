#include "base/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace orv {

QString programFolder() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString inFolder(const QString& folder, const QString& name) {
    if (folder.endsWith(QDir::separator()) || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QDir::separator() + name;
}

QString fileNameOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QDir::separator());
    if (slash >= 0) return path.mid(slash + 1);
    return path.mid(driveLength(path));
}

}  // namespace orv
