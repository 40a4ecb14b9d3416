#include "TaxServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QTimer>

namespace taxsim {

TaxServer::TaxServer(Scenario scenario, QIODevice* log, QObject* parent)
    : QObject(parent), scenario_(std::move(scenario)), log_(log) {
    connect(&server_, &QTcpServer::newConnection, this, &TaxServer::onConnection);
}

bool TaxServer::listen(quint16 port) {
    if (!server_.listen(QHostAddress::LocalHost, port)) return false;
    port_ = server_.serverPort();
    // A port that refuses the first connection: known, but closed.
    if (scenario_.refuseAt() == 1) server_.close();
    return true;
}

void TaxServer::onConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        auto* acc = new orv::wire::ReplyAccumulator;  // frames requests just as replies
        connect(socket, &QTcpSocket::disconnected, socket, [socket, acc] {
            delete acc;
            socket->deleteLater();
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, acc] {
            const auto state = acc->add(socket->readAll());
            if (state == orv::wire::ReplyAccumulator::State::Incomplete) return;
            disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
            respond(socket, state == orv::wire::ReplyAccumulator::State::Refused ? QByteArray()
                                                                                 : acc->bytes());
        });
    }
}

void TaxServer::respond(QTcpSocket* socket, const QByteArray& request) {
    const Check check = checkRequest(request, run_);
    QJsonObject line = check.found;
    line[QStringLiteral("seq")] = ++seq_;
    line[QStringLiteral("ok")] = check.ok();
    line[QStringLiteral("errors")] = QJsonArray::fromStringList(check.errors);
    line[QStringLiteral("bytes")] = static_cast<qint64>(request.size());
    log_->write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
    if (auto* f = qobject_cast<QFile*>(log_)) f->flush();

    const Answer a = scenario_.answer(check, run_, seq_);
    if (scenario_.refuseAt() == seq_ + 1) server_.close();
    switch (a.delivery) {
        case Delivery::Silent:
            return;
        case Delivery::Close:
            socket->disconnectFromHost();
            return;
        case Delivery::Whole:
            socket->write(a.bytes);
            socket->disconnectFromHost();
            return;
        case Delivery::Split: {
            const qsizetype half = a.bytes.size() / 2;
            socket->write(a.bytes.left(half));
            socket->flush();
            QTimer::singleShot(50, socket, [socket, rest = a.bytes.mid(half)] {
                socket->write(rest);
                socket->disconnectFromHost();
            });
            return;
        }
    }
}

}  // namespace taxsim
