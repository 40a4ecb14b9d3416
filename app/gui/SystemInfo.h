// The about box's "系统信息": which program shows the system information.
// Windows names it in the registry; elsewhere the first of a short list of
// common desktop tools found on PATH is taken. Both ways are plain
// functions over the lookups, so each is tested on any platform.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace orv {

class DesktopActions;

class SystemInfoLookups {
public:
    virtual ~SystemInfoLookups() = default;
    // A string value under HKEY_LOCAL_MACHINE; nothing when the key cannot
    // be opened or the value cannot be read.
    virtual std::optional<QString> registryValue(const QString& key, const QString& value) = 0;
    virtual bool fileExists(const QString& path) = 0;
    // The program's full path, or "" when PATH holds none of that name.
    virtual QString findOnPath(const QString& program) = 0;
};

// The file system and PATH as they are; the platform adds the registry.
class SystemLookups : public SystemInfoLookups {
public:
    bool fileExists(const QString& path) override;
    QString findOnPath(const QString& program) override;
};

struct SystemInfoProgram {
    QString program;  // "" when there is none
    QStringList arguments;
};

// The tools looked for on PATH, in order.
QStringList desktopSystemInfoTools();

SystemInfoProgram windowsSystemInfo(SystemInfoLookups& lookups);
SystemInfoProgram desktopSystemInfo(SystemInfoLookups& lookups);
// This platform's way with the system's own lookups.
SystemInfoProgram findSystemInfo();

// StartSysInfo: starts `found`, or tells the user that there is none. A
// program that is found but does not start ends it silently.
void StartSysInfo(QWidget* parent, DesktopActions& desktop, const SystemInfoProgram& found);

}  // namespace orv
