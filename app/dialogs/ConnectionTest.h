// The server dialog's connection test: one TCP connection attempt to the
// typed address, event-driven, with no time-out of its own (the system's
// decides), and the texts its outcome is shown with.
#pragma once

#include <QAbstractSocket>
#include <QObject>
#include <QString>

class QTcpSocket;

namespace orv {

class ConnectionTest : public QObject {
    Q_OBJECT
public:
    explicit ConnectionTest(QObject* parent = nullptr);
    ~ConnectionTest() override;

    enum class Start { Started, AlreadyRunning, Invalid };
    // `ip` and `port` as typed (trimmed here). Nothing is sent; the
    // connection is closed as soon as it is made.
    Start start(const QString& ip, const QString& port);
    bool running() const { return socket_ != nullptr; }
    // Closes the attempt; no outcome is reported.
    void cancel();

    // The system's own text of the last failure (for the log), or "".
    const QString& detail() const { return detail_; }

    // "连接失败！", a line of 30 blanks, an empty line, number ":" text.
    static QString failureText(int number, const QString& description);
    // The number the user sees for a socket error: the Windows Sockets code
    // of the same failure, so that the number means the same everywhere.
    static int errorNumber(QAbstractSocket::SocketError error);

signals:
    // `text` is "连接成功！" or failureText(...).
    void finished(bool connected, const QString& text);

private:
    void end(bool connected, const QString& text);

    QTcpSocket* socket_ = nullptr;
    QString detail_;
};

}  // namespace orv
