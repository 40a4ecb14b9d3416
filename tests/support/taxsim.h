// The test tax-service server as a child process on 127.0.0.1, any free
// port, with its JSON log of the requests it saw.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>

#include "tempdir.h"

namespace orvtest {

class TaxSim {
public:
    // `fault`: "KIND:N" for a fault at the N-th request (taxsim --fault).
    TaxSim(const TempDir& dir, const QString& scenario, const QString& fault = {});
    ~TaxSim();
    TaxSim(const TaxSim&) = delete;
    TaxSim& operator=(const TaxSim&) = delete;

    quint16 port() const { return port_; }
    // One object per request, in order.
    QList<QJsonObject> lines() const;

private:
    QProcess proc_;
    QString log_;
    quint16 port_ = 0;
};

}  // namespace orvtest
