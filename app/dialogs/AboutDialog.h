// frmAbout: the product, its version from the build, the notice and the
// supervising authority, the two pictures that open the vendor's web sites,
// and "系统信息".
#pragma once

#include <QDialog>
#include <functional>

#include "gui/SystemInfo.h"

namespace orv {

class DesktopActions;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // `findSysInfo` looks the system-information program up when the user
    // asks for it (findSystemInfo in the program).
    AboutDialog(DesktopActions& desktop, std::function<SystemInfoProgram()> findSysInfo,
                QWidget* parent = nullptr);

    // "Orvane", a line break, "V" and the three version numbers.
    static QString versionText();
    // The notice, an empty line, the supervising authority.
    static QString disclaimerText();

private:
    DesktopActions& desktop_;
    std::function<SystemInfoProgram()> findSysInfo_;
};

}  // namespace orv
