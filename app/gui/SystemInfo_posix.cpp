// The system's lookups where there is no registry: PATH and the file system.
#include "gui/SystemInfo.h"

namespace orv {

namespace {
class PosixLookups : public SystemLookups {
public:
    std::optional<QString> registryValue(const QString&, const QString&) override { return {}; }
};
}  // namespace

SystemInfoProgram findSystemInfo() {
    PosixLookups lookups;
    return desktopSystemInfo(lookups);
}

}  // namespace orv
