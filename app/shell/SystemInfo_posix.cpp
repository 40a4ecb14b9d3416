// The system's lookups where there is no registry: PATH and the file system.
#include <QFileInfo>
#include <QStandardPaths>

#include "shell/SystemInfo.h"

namespace orv {

namespace {
class PosixLookups : public SystemInfoLookups {
public:
    std::optional<QString> registryValue(const QString&, const QString&) override { return {}; }
    bool fileExists(const QString& path) override { return QFileInfo(path).isFile(); }
    QString findOnPath(const QString& program) override {
        return QStandardPaths::findExecutable(program);
    }
};
}  // namespace

SystemInfoProgram findSystemInfo() {
    PosixLookups lookups;
    return desktopSystemInfo(lookups);
}

}  // namespace orv
