#include "UpdateServer.h"

#include <QFile>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

namespace updsim {

namespace {

constexpr qsizetype kMaxRequest = 16 * 1024;

QByteArray reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 302:
            return "Found";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        default:
            return "Internal Server Error";
    }
}

QByteArray head(int status, const QList<QByteArray>& fields) {
    QByteArray h = "HTTP/1.1 " + QByteArray::number(status) + " " + reason(status) + "\r\n";
    for (const QByteArray& f : fields)
        h += f + "\r\n";
    return h + "Connection: close\r\n\r\n";
}

// A path under the root: only plain names between the slashes.
bool safePath(const QString& path) {
    if (!path.startsWith(QLatin1Char('/'))) return false;
    for (const QString& part : path.mid(1).split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
        for (QChar c : part)
            if (!(c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-') ||
                  c == QLatin1Char('_')))
                return false;
    }
    return true;
}

// Writes `body` in chunks with a pause between them, then closes; with
// `stall` it stops after the first chunk and keeps the connection open.
void trickle(QTcpSocket* socket, QByteArray body, int chunk, int delayMs, bool stall) {
    auto* timer = new QTimer(socket);
    timer->setInterval(delayMs);
    QObject::connect(timer, &QTimer::timeout, socket, [=]() mutable {
        socket->write(body.left(chunk));
        body.remove(0, chunk);
        if (stall) {
            timer->stop();
        } else if (body.isEmpty()) {
            timer->stop();
            socket->disconnectFromHost();
        }
    });
    timer->start();
}

}  // namespace

UpdateServer::UpdateServer(const QString& root, QIODevice* log, QObject* parent)
    : QObject(parent), root_(root), log_(log) {
    connect(&server_, &QTcpServer::newConnection, this, &UpdateServer::onConnection);
}

bool UpdateServer::listen(quint16 port) {
    return server_.listen(QHostAddress::LocalHost, port);
}

void UpdateServer::onConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto* request = new QByteArray;
        connect(socket, &QObject::destroyed, [request] { delete request; });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
            *request += socket->readAll();
            if (request->contains("\r\n\r\n") || request->size() > kMaxRequest) {
                const QByteArray whole = *request;
                request->clear();
                disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
                respond(socket, whole);
            }
        });
    }
}

void UpdateServer::respond(QTcpSocket* socket, const QByteArray& request) {
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    const QByteArray method = words.value(0);
    const QByteArray target = words.value(1);
    const QUrl url(QString::fromLatin1(target));
    const QUrlQuery query(url);
    const QString fault = query.queryItemValue(QStringLiteral("fault"));
    int status = 200;
    QByteArray body;
    QList<QByteArray> fields;

    const QString path = url.path();
    if (request.size() > kMaxRequest || words.size() < 3) {
        status = 400;
    } else if (method != "GET" && method != "HEAD") {
        status = 405;
    } else if (query.hasQueryItem(QStringLiteral("redirect"))) {
        status = 302;
        fields << "Location: " + query.queryItemValue(QStringLiteral("redirect")).toLatin1();
    } else if (fault == QLatin1String("404") || fault == QLatin1String("500")) {
        status = fault.toInt();
    } else {
        QFile file(root_.filePath(path.mid(1)));
        const QString signedPath = path.chopped(std::min<qsizetype>(4, path.size()));
        QFile signedFile(root_.filePath(signedPath.mid(1)));
        if (!safePath(path)) {
            status = 404;
        } else if (file.open(QIODevice::ReadOnly)) {
            body = file.readAll();
        } else if (signer_ && path.endsWith(QLatin1String(".sig")) &&
                   signedFile.open(QIODevice::ReadOnly)) {
            body = signer_->sign(signedFile.readAll());
            if (body.isEmpty()) status = 500;
        } else {
            status = 404;
        }
    }
    if (status != 200) body = reason(status) + "\n";

    const bool announce = fault != QLatin1String("nolength");
    if (announce) fields << "Content-Length: " + QByteArray::number(body.size());
    fields << "Content-Type: application/octet-stream";
    socket->write(head(status, fields));
    if (method == "HEAD") body.clear();

    qsizetype sent = body.size();
    if (status != 200) {
        socket->write(body);
        socket->disconnectFromHost();
    } else if (fault == QLatin1String("cut")) {
        sent = body.size() / 2;
        socket->write(body.left(sent));
        socket->disconnectFromHost();
    } else if (fault == QLatin1String("slow") || fault == QLatin1String("stall")) {
        auto number = [&](const char* name, int def, int least) {
            const QString key = QLatin1String(name);
            return query.hasQueryItem(key) ? std::max(least, query.queryItemValue(key).toInt())
                                           : def;
        };
        const int chunk = number("chunk", 256, 1);
        const bool stall = fault == QLatin1String("stall");
        if (stall) sent = std::min<qsizetype>(chunk, body.size());
        trickle(socket, body, chunk, number("delay", 20, 0), stall);
    } else {
        socket->write(body);
        socket->disconnectFromHost();
    }
    if (log_) {
        log_->write(method + " " + target + " " + QByteArray::number(status) + " " +
                    QByteArray::number(sent) + "\n");
        if (auto* f = qobject_cast<QFile*>(log_)) f->flush();
    }
}

}  // namespace updsim
