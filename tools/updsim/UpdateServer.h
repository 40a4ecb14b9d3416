// The test update server: plain HTTP on 127.0.0.1 only, files from one
// folder, and faults chosen per request by its query:
//   fault=404 | fault=500      that status instead of the file
//   fault=cut                  the full length announced, half of it sent
//   fault=slow                 `chunk` bytes (256) every `delay` ms (20)
//   fault=stall                the headers and one chunk, then silence
//   fault=nolength             no Content-Length; the end is the close
//   redirect=/other/path       302 to that path
// With a signing key, "NAME.sig" that is not a file of the folder is the
// signature of NAME, made as scripts/sign-manifest makes it; a file
// "NAME.sig" in the folder is served as it is (a test's bad signature).
// One line per request goes to the log: method, target, status, bytes sent.
#pragma once

#include <QDir>
#include <QIODevice>
#include <QTcpServer>
#include <memory>

#include "Signer.h"

namespace updsim {

class UpdateServer : public QObject {
    Q_OBJECT
public:
    UpdateServer(const QString& root, QIODevice* log, QObject* parent = nullptr);
    bool listen(quint16 port);
    quint16 port() const { return server_.serverPort(); }
    void setSigner(std::unique_ptr<Signer> signer) { signer_ = std::move(signer); }

private:
    void onConnection();
    void respond(QTcpSocket* socket, const QByteArray& request);

    QTcpServer server_;
    QDir root_;
    QIODevice* log_;
    std::unique_ptr<Signer> signer_;
};

}  // namespace updsim
