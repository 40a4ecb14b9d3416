// Asks the system to start the smart-card service and keep it starting with
// the system. Never waited for and never reported: the machine may lack the
// right, and the reader library copes with a stopped service.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QProcess;

namespace orv {

class SmartCardService {
public:
    virtual ~SmartCardService() = default;
    virtual void start() = 0;
};

// The system's own tool, started detached with its output discarded:
// systemctl for pcscd's socket on Linux, sc for SCardSvr on Windows. On
// Linux nothing is started when the service already answers on its socket
// (pcscd running, or systemd listening for it), as it does where the
// package's pcscd enables the socket.
class SystemSmartCardService : public SmartCardService {
public:
    using Launch = std::function<void(const QString& program, const QStringList& arguments)>;

    SystemSmartCardService();
    // `socketPath`: where the service's clients connect; `launch` starts a
    // system command without waiting for it.
    SystemSmartCardService(QString socketPath, Launch launch);
    void start() override;

    // pcsc-lite's client socket: PCSCLITE_CSOCK_NAME when set, as the
    // library itself takes it, else /run/pcscd/pcscd.comm.
    static QString defaultSocketPath();
    // Starts a system command without waiting for it, its output discarded.
    static void startDetached(const QString& program, const QStringList& arguments);

private:
    // Keeps a console program's window from showing (Windows; nothing
    // elsewhere).
    static void hideConsole(QProcess& process);

    QString socketPath_;
    Launch launch_;
};

}  // namespace orv
