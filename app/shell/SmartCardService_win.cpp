// The smart-card service (SCardSvr) through the service control tool, both
// commands every start, as the service may have been stopped or disabled.
#include <windows.h>

#include <QProcess>

#include "shell/SmartCardService.h"

namespace orv {

void SystemSmartCardService::startDetached(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.setProgram(program);
    p.setArguments(arguments);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    // Hidden: sc is a console program, and the program has no console.
    p.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
        args->flags &= ~static_cast<DWORD>(CREATE_NEW_CONSOLE);
        args->flags |= CREATE_NO_WINDOW;
    });
    p.startDetached();  // a failure to start is ignored
}

// Windows has no socket to ask: the service control tool decides.
QString SystemSmartCardService::defaultSocketPath() {
    return QString();
}

void SystemSmartCardService::start() {
    launch_(QStringLiteral("sc"), {QStringLiteral("config"), QStringLiteral("SCardSvr"),
                                   QStringLiteral("start="), QStringLiteral("auto")});
    launch_(QStringLiteral("sc"), {QStringLiteral("start"), QStringLiteral("SCardSvr")});
}

}  // namespace orv
