#include "shell/SingleInstance.h"

#include <QDir>
#include <QEventLoop>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace orv {

namespace {
const QByteArray kShow = "show\n";
}

SingleInstance::SingleInstance(const QString& folder, const QString& name, QObject* parent)
    : QObject(parent),
      lockPath_(QDir(folder).filePath(name + QStringLiteral(".lock"))),
      socketPath_(QDir(folder).filePath(name)),
      lock_(lockPath_, name) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

QString SingleInstance::runtimeFolder() {
    QString f = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (f.isEmpty()) f = QDir::tempPath();
    QDir().mkpath(f);
    return f;
}

bool SingleInstance::acquire() {
    if (!lock_.tryLock()) return false;
    // Holding the lock, any socket file there is a crashed copy's.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    // Without the socket the copy still runs alone; it only cannot be
    // called to the front.
    server_->listen(socketPath_);
    return true;
}

void SingleInstance::onConnection() {
    while (QLocalSocket* s = server_->nextPendingConnection()) {
        connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        connect(s, &QLocalSocket::readyRead, this, [this, s] {
            if (s->readAll().contains(kShow)) emit activationRequested();
            s->disconnectFromServer();
        });
    }
}

bool SingleInstance::notifyRunning(int timeoutMs) {
    QLocalSocket s;
    QEventLoop loop;
    bool sent = false, failed = false;
    connect(&s, &QLocalSocket::connected, &loop, [&] { s.write(kShow); });
    connect(&s, &QLocalSocket::bytesWritten, &loop, [&] {
        if (s.bytesToWrite() == 0) {
            sent = true;
            loop.quit();
        }
    });
    connect(&s, &QLocalSocket::errorOccurred, &loop, [&] {
        failed = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    s.connectToServer(socketPath_);
    // A missing socket fails at once, before the loop would run.
    if (!sent && !failed) loop.exec();
    s.disconnectFromServer();
    return sent;
}

}  // namespace orv
