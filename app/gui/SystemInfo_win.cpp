// The system's lookups on Windows: the registry under HKEY_LOCAL_MACHINE.
#include <QSettings>

#include "gui/SystemInfo.h"

namespace orv {

namespace {
class WindowsLookups : public SystemLookups {
public:
    std::optional<QString> registryValue(const QString& key, const QString& value) override {
        QSettings reg(QStringLiteral("HKEY_LOCAL_MACHINE\\") + key, QSettings::NativeFormat);
        if (reg.status() != QSettings::NoError || !reg.contains(value)) return {};
        const QVariant v = reg.value(value);
        if (!v.canConvert<QString>()) return {};
        QString text = v.toString();
        // A stored terminating NUL is not part of the text.
        if (text.endsWith(QChar(0))) text.chop(1);
        return text;
    }
};
}  // namespace

SystemInfoProgram findSystemInfo() {
    WindowsLookups lookups;
    return windowsSystemInfo(lookups);
}

}  // namespace orv
