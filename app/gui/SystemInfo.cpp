#include "gui/SystemInfo.h"

#include <QFileInfo>
#include <QStandardPaths>

#include "gui/Desktop.h"
#include "gui/MessageBox.h"

namespace orv {

bool SystemLookups::fileExists(const QString& path) {
    return QFileInfo(path).isFile();
}

QString SystemLookups::findOnPath(const QString& program) {
    return QStandardPaths::findExecutable(program);
}

QStringList desktopSystemInfoTools() {
    // System profilers first, then the desktops' own information windows.
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("lshw-gtk"), QStringLiteral("xfce4-about")};
}

SystemInfoProgram windowsSystemInfo(SystemInfoLookups& lookups) {
    if (auto path = lookups.registryValue(
            QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), QStringLiteral("PATH"));
        path && !path->isEmpty()) {
        return {*path, {}};
    }
    if (auto folder =
            lookups.registryValue(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                                  QStringLiteral("MSINFO"))) {
        const QString program = *folder + QStringLiteral("\\MSINFO32.EXE");
        if (lookups.fileExists(program)) return {program, {}};
    }
    return {};
}

SystemInfoProgram desktopSystemInfo(SystemInfoLookups& lookups) {
    for (const QString& tool : desktopSystemInfoTools()) {
        const QString path = lookups.findOnPath(tool);
        if (!path.isEmpty()) return {path, {}};
    }
    return {};
}

void StartSysInfo(QWidget* parent, DesktopActions& desktop, const SystemInfoProgram& found) {
    if (found.program.isEmpty()) {
        MessageBox::show(parent, QStringLiteral("此时系统信息不可用"), QStringLiteral("Orvane"),
                         MessageBox::Icon::None);
        return;
    }
    desktop.startProgram(found.program, found.arguments);
}

}  // namespace orv
