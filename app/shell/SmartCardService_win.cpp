// The smart-card service (SCardSvr) through the service control tool, both
// commands every start, as the service may have been stopped or disabled.
#include <windows.h>

#include <QProcess>

#include "shell/SmartCardService.h"

namespace orv {

// Hidden: sc is a console program, and the program has no console.
void SystemSmartCardService::hideConsole(QProcess& process) {
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
        args->flags &= ~static_cast<DWORD>(CREATE_NEW_CONSOLE);
        args->flags |= CREATE_NO_WINDOW;
    });
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
