// The wizard's connection to the tax-service server: one TCP connection per
// request, event-driven. Connects within the connect time-out while events
// run, sends one framed request, gathers the whole reply, watches for the
// reply time-out, and reports every socket event with its text.
#pragma once

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include "service/Wire.h"

namespace orv {

class MonotonicClock;
class Waiter;

// What the session tells the wizard.
class SessionHost {
public:
    virtual ~SessionHost() = default;
    virtual void sessionTips(const QString& text) = 0;
    // The wizard becomes ready without enabling "确定".
    virtual void sessionReady() = 0;
    // One log line; the host adds its prefix.
    virtual void sessionLog(const QString& text) = 0;
    virtual void serverConnectedChanged(bool connected) = 0;
    // A whole reply arrived (or one too large to take: `refused`); the
    // socket is closed already.
    virtual void replyArrived(const wire::Reply& reply, bool refused) = 0;
};

class ServerSession : public QObject {
    Q_OBJECT
public:
    // The watchdog looks at the reply time-out this often.
    static constexpr int kWatchdogMs = 10000;

    ServerSession(SessionHost& host, Waiter& waiter, const MonotonicClock& clock,
                  QObject* parent = nullptr);

    // The server and the time-outs in seconds, as the settings hold them.
    void configure(const QString& address, const QString& port, qint32 connectTimeout,
                   qint32 replyTimeout);

    // True once connected. False after a time-out (its text shown and
    // logged), after a socket error (the error event has shown it), or when
    // `abandon` holds during the wait (the window is closing).
    bool connectToServer(const std::function<bool()>& abandon = {});
    void send(const QByteArray& message);
    // Closes without reporting a close event; ServerConnected becomes false.
    void closeSocket();

    bool awaitingReply() const { return watchdog_.isActive(); }
    const QString& socketError() const { return socketError_; }
    QTcpSocket& socket() { return socket_; }
    QTimer& watchdog() { return watchdog_; }

    // The watchdog's tick; public so that a test can tick it at a moment of
    // its choosing.
    void watchdogTick();

private:
    void onConnected();
    void onBytesWritten();
    void onReadyRead();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);
    void setConnected(bool on);
    // Takes the gathered reply once it is whole (or refused).
    void deliver(bool refused);

    SessionHost& host_;
    Waiter& waiter_;
    const MonotonicClock& clock_;
    QTcpSocket socket_;
    QTimer watchdog_;
    QString address_;
    quint16 port_ = 0;
    qint32 connectTimeout_ = 60;
    qint32 replyTimeout_ = 300;
    QString socketError_;
    bool sending_ = false;  // the request is still being written
    double waitStart_ = 0;
    bool connected_ = false;
    bool closing_ = false;  // our own close: no close event
    wire::ReplyAccumulator reply_;
};

}  // namespace orv
