#include "shell/SmartCardService.h"

#include <QProcess>
#include <utility>

namespace orv {

SystemSmartCardService::SystemSmartCardService()
    : SystemSmartCardService(defaultSocketPath(), startDetached) {}

SystemSmartCardService::SystemSmartCardService(QString socketPath, Launch launch)
    : socketPath_(std::move(socketPath)), launch_(std::move(launch)) {}

void SystemSmartCardService::startDetached(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.setProgram(program);
    p.setArguments(arguments);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    hideConsole(p);
    p.startDetached();  // a failure to start is ignored
}

}  // namespace orv
