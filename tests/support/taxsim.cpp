#include "taxsim.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>

#include "zellib.h"

namespace orvtest {

TaxSim::TaxSim(const TempDir& dir, const QString& scenario, const QString& fault)
    : log_(QString::fromStdString(dir.file("taxsim.jsonl"))) {
    proc_.setReadChannel(QProcess::StandardError);
    QStringList args{"--port", "0", "--scenario", scenario, "--log", log_};
    if (!fault.isEmpty()) args << "--fault" << fault;
    proc_.start(QString::fromStdString(binDir() + "/taxsim"), args);
    EXPECT_TRUE(proc_.waitForStarted(5000));
    // "taxsim: listening on 127.0.0.1:PORT"
    while (port_ == 0 && proc_.waitForReadyRead(5000)) {
        const QByteArray line = proc_.readAllStandardError();
        const qsizetype colon = line.lastIndexOf(':');
        if (line.contains("listening") && colon > 0)
            port_ = line.mid(colon + 1).trimmed().toUShort();
    }
    EXPECT_NE(port_, 0);
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
