#include "gui/Desktop.h"

#include <QDesktopServices>
#include <QProcess>

namespace orv {

bool SystemDesktop::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool SystemDesktop::startProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

}  // namespace orv
