#include "service/ServerSession.h"

#include "base/ErrorTexts.h"
#include "base/Settings.h"
#include "base/Waiter.h"
#include "service/WizardTexts.h"

namespace orv {

namespace {
QString oneLine(QString text) {
    return text.replace(QLatin1Char('\n'), QLatin1Char(' '));
}
}  // namespace

ServerSession::ServerSession(SessionHost& host, Waiter& waiter, const MonotonicClock& clock,
                             QObject* parent)
    : QObject(parent), host_(host), waiter_(waiter), clock_(clock) {
    socket_.setObjectName(QStringLiteral("zelSock"));
    watchdog_.setObjectName(QStringLiteral("NavTimer"));
    socket_.setParent(this);
    watchdog_.setParent(this);
    watchdog_.setInterval(kWatchdogMs);
    connect(&watchdog_, &QTimer::timeout, this, &ServerSession::watchdogTick);
    connect(&socket_, &QTcpSocket::connected, this, &ServerSession::onConnected);
    connect(&socket_, &QTcpSocket::bytesWritten, this, &ServerSession::onBytesWritten);
    connect(&socket_, &QTcpSocket::readyRead, this, &ServerSession::onReadyRead);
    connect(&socket_, &QTcpSocket::disconnected, this, &ServerSession::onDisconnected);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &ServerSession::onError);
}

void ServerSession::configure(const QString& address, const QString& port, qint32 connectTimeout,
                              qint32 replyTimeout) {
    address_ = address;
    const qint32 p = toInt32(port);
    port_ = p > 0 && p <= 65535 ? static_cast<quint16>(p) : 0;
    connectTimeout_ = connectTimeout;
    replyTimeout_ = replyTimeout;
}

void ServerSession::setConnected(bool on) {
    if (connected_ == on) return;
    connected_ = on;
    host_.serverConnectedChanged(on);
}

void ServerSession::closeSocket() {
    closing_ = true;
    socket_.abort();
    closing_ = false;
    setConnected(false);
}

bool ServerSession::connectToServer(const std::function<bool()>& abandon) {
    socketError_.clear();
    host_.sessionTips(texts::kConnecting);
    closeSocket();
    socket_.connectToHost(address_, port_);
    const bool settled = waiter_.waitUntil(
        [&] {
            return socket_.state() == QAbstractSocket::ConnectedState || !socketError_.isEmpty() ||
                   (abandon && abandon());
        },
        connectTimeout_);
    if (abandon && abandon()) {
        closeSocket();
        return false;
    }
    if (!socketError_.isEmpty()) {
        socketError_.clear();
        return false;
    }
    if (!settled) {
        host_.sessionReady();
        closeSocket();
        host_.sessionTips(texts::kConnectTimeout);
        host_.sessionLog(texts::kConnectTimeout);
        return false;
    }
    return true;
}

void ServerSession::send(const QByteArray& message) {
    host_.sessionTips(texts::kSending);
    waitStart_ = clock_.seconds();
    watchdog_.start();
    reply_ = wire::ReplyAccumulator();
    host_.sessionLog(wire::logForm(message));
    sending_ = true;
    socket_.write(message);
}

void ServerSession::onConnected() {
    setConnected(true);
}

void ServerSession::onBytesWritten() {
    if (!sending_ || socket_.bytesToWrite() > 0) return;
    sending_ = false;
    watchdog_.stop();
    host_.sessionTips(texts::kSent);
    waitStart_ = clock_.seconds();
    watchdog_.start();
    host_.sessionReady();
}

void ServerSession::onReadyRead() {
    const QByteArray bytes = socket_.readAll();
    if (!watchdog_.isActive()) return;  // nothing awaited: stray bytes
    switch (reply_.add(bytes)) {
        case wire::ReplyAccumulator::State::Incomplete:
            return;
        case wire::ReplyAccumulator::State::Complete:
            deliver(false);
            return;
        case wire::ReplyAccumulator::State::Refused:
            deliver(true);
            return;
    }
}

void ServerSession::deliver(bool refused) {
    watchdog_.stop();
    const QByteArray bytes = reply_.bytes();
    reply_ = wire::ReplyAccumulator();
    host_.sessionLog(wire::logForm(bytes));
    const wire::Reply reply = wire::unpack(bytes);
    // The rest runs once the socket's own signal has returned: the step
    // that follows may connect this socket again.
    QMetaObject::invokeMethod(
        this,
        [this, reply, refused] {
            host_.sessionReady();
            closeSocket();
            host_.sessionTips(texts::kReceived);
            host_.replyArrived(reply, refused);
        },
        Qt::QueuedConnection);
}

void ServerSession::onDisconnected() {
    if (closing_) return;
    setConnected(false);
    if (!watchdog_.isActive()) return;
    // The server closed while a reply was awaited. What it sent before is
    // the reply, however short; nothing at all is a broken connection.
    if (!reply_.bytes().isEmpty()) {
        deliver(reply_.finish() == wire::ReplyAccumulator::State::Refused);
        return;
    }
    watchdog_.stop();
    host_.sessionReady();
    closeSocket();
    const QString text = texts::kDisconnected + QLatin1Char('\n') + texts::kRetryLater;
    host_.sessionTips(text);
    host_.sessionLog(oneLine(text));
}

void ServerSession::onError(QAbstractSocket::SocketError error) {
    // A server closing its end is the close event, not an error.
    if (error == QAbstractSocket::RemoteHostClosedError || closing_) return;
    socketError_ = socket_.errorString();
    // No reply can come on a failed socket; a running watchdog would only
    // replace this text with a time-out later.
    watchdog_.stop();
    host_.sessionReady();
    closeSocket();
    // The user reads the reason in Chinese; the log keeps the system's words.
    if (socketError_.isEmpty()) socketError_ = socketErrorText(error);
    const QString text = texts::kSocketError + QLatin1Char('\n') + socketErrorText(error) +
                         QLatin1Char('\n') + texts::kRetryLater;
    host_.sessionTips(text);
    host_.sessionLog(oneLine(text) + QStringLiteral("（") + socketError_ + QStringLiteral("）"));
}

void ServerSession::watchdogTick() {
    if (!watchdog_.isActive()) return;
    if (clock_.seconds() - waitStart_ <= replyTimeout_) return;
    host_.sessionReady();
    closeSocket();
    watchdog_.stop();
    host_.sessionTips(texts::kReplyTimeout);
    host_.sessionLog(texts::kReplyTimeoutLog);
}

}  // namespace orv
