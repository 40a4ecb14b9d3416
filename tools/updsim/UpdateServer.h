// The test update server: plain HTTP on 127.0.0.1 only, files from one
// folder, and faults chosen per request by its query:
//   fault=404 | fault=500      that status instead of the file
//   fault=cut                  the full length announced, half of it sent
//   fault=slow                 `chunk` bytes (256) every `delay` ms (20)
//   fault=stall                the headers and one chunk, then silence
//   fault=nolength             no Content-Length; the end is the close
//   redirect=/other/path       302 to that path
// One line per request goes to the log: method, target, status, bytes sent.
#pragma once

#include <QDir>
#include <QIODevice>
#include <QTcpServer>

namespace updsim {

class UpdateServer : public QObject {
    Q_OBJECT
public:
    UpdateServer(const QString& root, QIODevice* log, QObject* parent = nullptr);
    bool listen(quint16 port);
    quint16 port() const { return server_.serverPort(); }

private:
    void onConnection();
    void respond(QTcpSocket* socket, const QByteArray& request);

    QTcpServer server_;
    QDir root_;
    QIODevice* log_;
};

}  // namespace updsim
