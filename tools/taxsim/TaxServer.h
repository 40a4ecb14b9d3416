// The test tax-service server: 127.0.0.1 only, one request and one reply per
// connection, a JSON line per request.
#pragma once

#include <QFile>
#include <QTcpServer>

#include "RequestCheck.h"
#include "Scenario.h"
#include "service/Wire.h"

namespace taxsim {

class TaxServer : public QObject {
    Q_OBJECT
public:
    TaxServer(Scenario scenario, QIODevice* log, QObject* parent = nullptr);
    bool listen(quint16 port);
    quint16 port() const { return port_; }

private:
    void onConnection();
    void respond(QTcpSocket* socket, const QByteArray& request);

    QTcpServer server_;
    Scenario scenario_;
    RunContext run_;
    QIODevice* log_;
    int seq_ = 0;
    quint16 port_ = 0;
};

}  // namespace taxsim
