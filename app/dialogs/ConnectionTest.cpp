#include "dialogs/ConnectionTest.h"

#include <QNetworkProxy>
#include <QTcpSocket>

#include "base/ErrorTexts.h"
#include "base/ServerSettings.h"
#include "base/Settings.h"
#include "base/Text.h"

namespace orv {

ConnectionTest::ConnectionTest(QObject* parent) : QObject(parent) {}

ConnectionTest::~ConnectionTest() {
    cancel();
}

ConnectionTest::Start ConnectionTest::start(const QString& ip, const QString& port) {
    if (running()) return Start::AlreadyRunning;
    const QString address = trimSpaces(ip), p = trimSpaces(port);
    if (!IsValidIP(address) || !IsValidPort(p)) return Start::Invalid;
    detail_.clear();
    socket_ = new QTcpSocket(this);
    // The test asks whether the server itself can be reached.
    socket_->setProxy(QNetworkProxy::NoProxy);
    connect(socket_, &QTcpSocket::connected, this,
            [this] { end(true, QStringLiteral("连接成功！")); });
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        // The reason in the program's words; the system's text for the log.
        detail_ = socket_->errorString();
        end(false, failureText(errorNumber(e), socketErrorText(e)));
    });
    socket_->connectToHost(address, static_cast<quint16>(toInt32(p)));
    return Start::Started;
}

void ConnectionTest::cancel() {
    if (!socket_) return;
    QTcpSocket* s = socket_;
    socket_ = nullptr;
    s->disconnect(this);
    s->abort();
    s->deleteLater();
}

void ConnectionTest::end(bool connected, const QString& text) {
    if (!socket_) return;
    cancel();
    emit finished(connected, text);
}

QString ConnectionTest::failureText(int number, const QString& description) {
    return QStringLiteral("连接失败！\n") + QString(30, u' ') + QStringLiteral("\n\n") +
           QString::number(number) + u':' + description;
}

int ConnectionTest::errorNumber(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::ConnectionRefusedError:
            return 10061;
        case QAbstractSocket::RemoteHostClosedError:
            return 10054;
        case QAbstractSocket::HostNotFoundError:
            return 11001;
        case QAbstractSocket::SocketAccessError:
            return 10013;
        case QAbstractSocket::SocketResourceError:
            return 10055;
        case QAbstractSocket::SocketTimeoutError:
            return 10060;
        case QAbstractSocket::NetworkError:
            return 10051;
        case QAbstractSocket::AddressInUseError:
            return 10048;
        case QAbstractSocket::SocketAddressNotAvailableError:
            return 10049;
        case QAbstractSocket::UnsupportedSocketOperationError:
            return 10047;
        default:
            // What has no Windows Sockets code of its own: the network
            // layer failed.
            return 10050;
    }
}

}  // namespace orv
