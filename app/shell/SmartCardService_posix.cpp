// pcscd through systemd's socket activation.
#include <QLocalSocket>
#include <QProcess>

#include "shell/SmartCardService.h"

namespace orv {

namespace {
// A local socket connects at once or fails at once; one still connecting
// has a listener with a full backlog, which is a service that runs.
bool answers(const QString& socketPath) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    const bool up = socket.state() != QLocalSocket::UnconnectedState;
    socket.abort();
    return up;
}
}  // namespace

void SystemSmartCardService::hideConsole(QProcess&) {}

QString SystemSmartCardService::defaultSocketPath() {
    return qEnvironmentVariable("PCSCLITE_CSOCK_NAME", QStringLiteral("/run/pcscd/pcscd.comm"));
}

void SystemSmartCardService::start() {
    // Enabling the socket again would only ask for a right the user may lack
    // (a password prompt on some desktops) to change nothing.
    if (answers(socketPath_)) return;
    // Socket activation starts pcscd on the first client, now and at boot.
    launch_(QStringLiteral("systemctl"),
            {QStringLiteral("--no-ask-password"), QStringLiteral("enable"), QStringLiteral("--now"),
             QStringLiteral("pcscd.socket")});
}

}  // namespace orv
