#include "shell/SingleInstance.h"

#include <QDir>
#include <QEventLoop>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include "base/AppLog.h"
#include "gui/MessageBox.h"

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

SingleInstance::Claim SingleInstance::acquire() {
    QString reason;
    switch (lock_.tryLock(&reason, &detail_)) {
        case ProgramLock::Result::Held:
            break;
        case ProgramLock::Result::Running:
            return Claim::Running;
        case ProgramLock::Result::Failed:
            error_ = QStringLiteral("无法创建程序运行锁文件：") +
                     QDir::toNativeSeparators(lockPath_) + QLatin1Char('\n') + reason;
            return Claim::Failed;
    }
    // Holding the lock, any socket file there is a crashed copy's.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    // Without the socket the copy still runs alone; it only cannot be
    // called to the front.
    server_->listen(socketPath_);
    return Claim::First;
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

std::optional<int> claimSingleInstance(SingleInstance& instance, const QString& programFolder) {
    switch (instance.acquire()) {
        case SingleInstance::Claim::First:
            return std::nullopt;
        case SingleInstance::Claim::Running:
            // Another copy runs: bring it forward and leave without a trace.
            instance.notifyRunning();
            return 0;
        case SingleInstance::Claim::Failed:
            break;
    }
    const QString text = instance.errorString();
    AppLog(programFolder)
        .Log(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')) + QStringLiteral("（") +
             instance.errorDetail() + QStringLiteral("）"));
    MessageBox::show(nullptr, text, QStringLiteral("错误"), MessageBox::Icon::Exclamation);
    return 1;
}

}  // namespace orv
