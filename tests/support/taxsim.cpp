#include "taxsim.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>

#include "childserver.h"
#include "zellib.h"

namespace orvtest {

TaxSim::TaxSim(const TempDir& dir, const QString& scenario)
    : log_(QString::fromStdString(dir.file("taxsim.jsonl"))) {
    port_ = startListening(proc_, QString::fromStdString(binDir() + "/taxsim"),
                           {"--port", "0", "--scenario", scenario, "--log", log_});
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
