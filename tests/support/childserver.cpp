#include "childserver.h"

#include <gtest/gtest.h>

#include <QTcpSocket>

namespace orvtest {

quint16 startListening(QProcess& proc, const QString& program, const QStringList& args) {
    proc.setReadChannel(QProcess::StandardError);
    proc.start(program, args);
    EXPECT_TRUE(proc.waitForStarted(5000)) << program.toStdString();
    QByteArray seen;
    while (proc.waitForReadyRead(5000)) {
        seen += proc.readAllStandardError();
        const qsizetype at = seen.indexOf("listening on 127.0.0.1:");
        const qsizetype end = seen.indexOf('\n', at);
        if (at >= 0 && end > at) {
            const QByteArray line = seen.mid(at, end - at);
            const quint16 port = line.mid(line.lastIndexOf(':') + 1).trimmed().toUShort();
            EXPECT_NE(port, 0) << line.toStdString();
            return port;
        }
    }
    ADD_FAILURE() << program.toStdString() << " did not start listening: " << seen.toStdString();
    return 0;
}

quint16 closedPort() {
    // Bound without address sharing and never listening: connections are
    // refused, and no other socket can bind the port on 127.0.0.1 or on
    // every address. Kept for the life of the process on purpose.
    static auto* held = new QList<QTcpSocket*>;
    auto* socket = new QTcpSocket;
    EXPECT_TRUE(socket->bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress))
        << socket->errorString().toStdString();
    held->append(socket);
    return socket->localPort();
}

InvoiceSim::InvoiceSim(const QString& link) {
    QStringList args{QStringLiteral(ORV_SOURCE_DIR "/tools/invoicesim/invoicesim.py"),
                     QStringLiteral("--port"), QStringLiteral("0")};
    if (!link.isEmpty()) args << QStringLiteral("--link") << link;
    port_ = startListening(proc_, QStringLiteral("/usr/bin/python3"), args);
}

InvoiceSim::~InvoiceSim() {
    proc_.kill();
    proc_.waitForFinished(5000);
}

QString InvoiceSim::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path);
}

}  // namespace orvtest
