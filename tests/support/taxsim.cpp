#include "taxsim.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>

#include "childserver.h"
#include "zellib.h"

namespace orvtest {

TaxSim::TaxSim(const TempDir& dir, const QString& scenario, const QString& fault)
    : log_(QString::fromStdString(dir.file("taxsim.jsonl"))) {
    QStringList args{"--port", "0", "--scenario", scenario, "--log", log_};
    if (!fault.isEmpty()) args << "--fault" << fault;
    port_ = startListening(proc_, QString::fromStdString(binDir() + "/taxsim"), args);
}

TaxSim::~TaxSim() {
    proc_.kill();
    proc_.waitForFinished(5000);
}

QList<QJsonObject> TaxSim::lines() const {
    QFile f(log_);
    QList<QJsonObject> out;
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& l : f.readAll().split('\n'))
        if (!l.isEmpty()) out << QJsonDocument::fromJson(l).object();
    return out;
}

}  // namespace orvtest
